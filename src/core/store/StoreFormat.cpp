#include "core/store/StoreFormat.h"

#include "core/base/Json.h"
#include "core/base/JsonFields.h"

namespace cadro {

// Beside RepeatUnit, where the tables' writer finds it.
void writeValue(json::Writer& out, RepeatUnit unit) {
    out.value(toString(unit));
}

namespace json {

template <>
struct ReadingOf<RepeatUnit> {
    static const Reading& get() {
        static const Reading reading = scalarReading(
            "must be text", "must hold text", [](void* target, Scalar& value) -> const char* {
                auto unit = value.kind == Scalar::Kind::text ? repeatUnitFromString(value.text)
                                                             : std::nullopt;
                if (!unit)
                    return "must be \"day\", \"week\" or \"month\"";
                *static_cast<RepeatUnit*>(target) = *unit;
                return nullptr;
            });
        return reading;
    }
};

// An exit status of a remembered answer.
const Reading& exitStatus() {
    static const Reading reading = scalarReading(
        "must be an exit status", "must hold exit statuses",
        [](void* target, Scalar& value) -> const char* {
            if (value.kind != Scalar::Kind::integer || value.integer < 0 || value.integer > 255)
                return "must be an exit status";
            *static_cast<int*>(target) = static_cast<int>(value.integer);
            return nullptr;
        });
    return reading;
}

// Each table lists a record's keys in the order they are written.

template <>
struct Schema<Strand> {
    static std::span<const Field> fields() {
        static const Field table[] = {
            field<&Strand::id>("id", required),
            field<&Strand::title>("title", required),
            field<&Strand::step>("step"),
            field<&Strand::nextSteps>("nextSteps"),
            field<&Strand::colorHex>("colorHex"),
            field<&Strand::priority>("priority"),
            field<&Strand::focusTarget>("focusTarget"),
            field<&Strand::createdAt>("createdAt"),
            field<&Strand::lastSlot>("lastSlot"),
            field<&Strand::snoozedUntil>("snoozedUntil"),
            field<&Strand::isHygiene>("isHygiene"),
            // Read here, then kept in the state's marks; written from there.
            pathField<&Strand::changed, &ChangeStamp::at>("changedAt", forgiving),
            pathField<&Strand::changed, &ChangeStamp::on>("changedOn", forgiving),
        };
        return table;
    }
    static void start(Strand& strand, const Decoder& decoder) {
        strand.createdAt = decoder.defaultDate();
    }
};

template <>
struct Schema<TimeOfDay> {
    static std::span<const Field> fields() {
        static const Field table[] = {
            field<&TimeOfDay::hour>("hour", required),
            field<&TimeOfDay::minute>("minute", required),
        };
        return table;
    }
};

template <>
struct Schema<RepeatRule> {
    static std::span<const Field> fields() {
        static const Field table[] = {
            field<&RepeatRule::interval>("interval", required),
            field<&RepeatRule::unit>("unit", required),
            field<&RepeatRule::weekdays>("weekdays", required),
            field<&RepeatRule::dayOfMonth>("dayOfMonth"),
        };
        return table;
    }
};

template <>
struct Schema<TodoSchedule> {
    static std::span<const Field> fields() {
        static const Field table[] = {
            field<&TodoSchedule::startDate>("startDate", required),
            field<&TodoSchedule::times>("times", required),
            field<&TodoSchedule::repeatRule>("repeatRule"),
        };
        return table;
    }
};

template <>
struct Schema<Todo> {
    static std::span<const Field> fields() {
        static const Field table[] = {
            field<&Todo::id>("id", required),
            field<&Todo::title>("title", required),
            field<&Todo::estimatedMinutes>("estimatedMinutes"),
            field<&Todo::snoozedUntil>("snoozedUntil"),
            field<&Todo::createdAt>("createdAt"),
            field<&Todo::schedule>("schedule"),
            field<&Todo::lastFiredAt>("lastFiredAt"),
            pathField<&Todo::changed, &ChangeStamp::at>("changedAt", forgiving),
            pathField<&Todo::changed, &ChangeStamp::on>("changedOn", forgiving),
        };
        return table;
    }
    static void start(Todo& todo, const Decoder& decoder) {
        todo.createdAt = decoder.defaultDate();
    }
};

template <>
struct Schema<RememberedReply> {
    static std::span<const Field> fields() {
        static const Field table[] = {
            field<&RememberedReply::id>("id", required),
            field<&RememberedReply::exitCode>("exit", required, &exitStatus()),
            field<&RememberedReply::out>("out", required),
            field<&RememberedReply::err>("err", required),
        };
        return table;
    }
};

template <>
struct Schema<Deletion> {
    static std::span<const Field> fields() {
        static const Field table[] = {
            field<&Deletion::id>("id", required),
            pathField<&Deletion::stamp, &ChangeStamp::at>("at", required),
            pathField<&Deletion::stamp, &ChangeStamp::on>("on", required),
        };
        return table;
    }
};

// A list of threads or to-dos, each with its change stamp from the marks
// after its own keys.
template <auto List>
Field stampedList(std::string_view key, unsigned flags = optional) {
    Field f = field<List>(key, flags);
    f.write = [](Writer& out, const void* record) {
        const auto& state = *static_cast<const PersistedState*>(record);
        const auto& stamps = state.marks.records;
        out.beginArray();
        for (const auto& element : state.*List) {
            out.beginObject();
            writeFields(out, element);
            if (auto found = stamps.empty() ? stamps.end() : stamps.find(element.id);
                found != stamps.end()) {
                out.key("changedAt");
                writeValue(out, found->second.at);
                out.key("changedOn");
                writeValue(out, found->second.on);
            }
            out.endObject();
        }
        out.endArray();
    };
    return f;
}

template <>
struct Schema<PersistedState> {
    static std::span<const Field> fields() {
        static const Field table[] = {
            stampedList<&PersistedState::active>("active", required),
            stampedList<&PersistedState::parked>("parked", required),
            stampedList<&PersistedState::snoozed>("snoozed"),
            stampedList<&PersistedState::todos>("todos"),
            field<&PersistedState::slot>("slot"),
            field<&PersistedState::currentID>("currentID"),
            field<&PersistedState::currentTodoID>("currentTodoID"),
            field<&PersistedState::interruptedTodoID>("interruptedTodoID"),
            field<&PersistedState::defaultSnoozeMinutes>("defaultSnoozeMinutes"),
            field<&PersistedState::todoChancePercent>("todoChancePercent"),
            field<&PersistedState::brainDump>("brainDump"),
            field<&PersistedState::brainDumpFilePath>("brainDumpFilePath"),
            field<&PersistedState::sessionOpen>("sessionOpen"),
            field<&PersistedState::pendingScheduledTodoIDs>("pendingScheduledTodoIDs",
                                                            leftOutWhenEmpty),
            // What merging copies from two machines goes by. Only a help: a
            // value that does not read is left out.
            pathField<&PersistedState::marks, &ChangeMarks::deleted>("deleted", forgiving),
            pathField<&PersistedState::marks, &ChangeMarks::machines>("machines", forgiving),
            pathField<&PersistedState::marks, &ChangeMarks::session, &ChangeStamp::at>(
                "sessionChangedAt", forgiving),
            pathField<&PersistedState::marks, &ChangeMarks::session, &ChangeStamp::on>(
                "sessionChangedOn", forgiving),
            pathField<&PersistedState::marks, &ChangeMarks::brainDump, &ChangeStamp::at>(
                "brainDumpChangedAt", forgiving),
            pathField<&PersistedState::marks, &ChangeMarks::brainDump, &ChangeStamp::on>(
                "brainDumpChangedOn", forgiving),
            pathField<&PersistedState::marks, &ChangeMarks::ringAt>("ringChangedAt", forgiving),
            // Only a memory of answers: an entry that does not read is
            // dropped rather than costing the user the whole file.
            field<&PersistedState::requests>("requests", leftOutWhenEmpty | forgiving),
        };
        return table;
    }
};

}  // namespace json

std::string encodeStoreFile(const PersistedState& state) {
    std::string out;
    out.reserve(256 + 256 * (state.active.size() + state.parked.size() + state.snoozed.size() +
                             state.todos.size()));
    json::Writer writer(out, true);
    json::writeValue(writer, state);
    return out;
}

namespace {
// Record stamps go into the marks; one without its machine is left out.
template <typename Record>
void takeStamps(std::vector<Record>& records, ChangeMarks& marks) {
    for (auto& record : records) {
        if (record.changed) {
            if (!record.changed->on.empty())
                marks.records[record.id] = std::move(*record.changed);
            record.changed.reset();
        }
    }
}

// Likewise a stamp of the document's own without its machine.
void dropHalfStamp(std::optional<ChangeStamp>& stamp) {
    if (stamp && stamp->on.empty())
        stamp.reset();
}
}  // namespace

PersistedState decodeStoreFile(std::string_view bytes, Date readAt) {
    PersistedState state;
    json::decode(bytes, state, readAt);
    for (auto* list : {&state.active, &state.parked, &state.snoozed})
        takeStamps(*list, state.marks);
    takeStamps(state.todos, state.marks);
    dropHalfStamp(state.marks.session);
    dropHalfStamp(state.marks.brainDump);
    return state;
}

namespace {
template <typename Record>
std::string encodeOne(const Record& record) {
    std::string out;
    json::Writer writer(out, true);
    json::writeValue(writer, record);
    return out;
}
}  // namespace

std::string encodeRecord(const Strand& thread) {
    return encodeOne(thread);
}

std::string encodeRecord(const Todo& todo) {
    return encodeOne(todo);
}

void decodeRecord(std::string_view bytes, Strand& thread) {
    json::decode(bytes, thread, Date{});
    thread.changed.reset();  // stamps belong to the store's marks
}

void decodeRecord(std::string_view bytes, Todo& todo) {
    json::decode(bytes, todo, Date{});
    todo.changed.reset();
}

void writeScheduleFields(json::Writer& out, const TodoSchedule& schedule) {
    json::writeFields(out, schedule);
}

}  // namespace cadro
