#include "core/cli/CommandLineListing.h"

#include "core/base/Utf8.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/status/StatusTitle.h"
#include "core/store/RecordsJson.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cadro {
namespace {

using json::OrderedValue;

const char* className(StatusContent::State state) {
    switch (state) {
        case StatusContent::State::dayClosed:
            return "closed";
        case StatusContent::State::todo:
            return "todo";
        case StatusContent::State::thread:
            return "thread";
        case StatusContent::State::idle:
            return "idle";
    }
    return "idle";
}

template <typename T>
OrderedValue orNull(const std::optional<T>& value) {
    return value ? OrderedValue(*value) : OrderedValue(nullptr);
}

OrderedValue threadJson(const Strand& thread) {
    OrderedValue out = OrderedValue::object();
    out["id"] = thread.id.toString();
    out["title"] = thread.title;
    out["step"] = thread.step;
    out["nextSteps"] = thread.nextSteps;
    out["color"] = orNull(thread.colorHex);
    out["priority"] = orNull(thread.priority);
    out["isHygiene"] = thread.isHygiene;
    return out;
}

OrderedValue timestampOrNull(const std::optional<Date>& date, const Calendar& calendar) {
    return date ? OrderedValue(cli::localTimestamp(*date, calendar)) : OrderedValue(nullptr);
}

// The schedule as the store keeps it, with its label and next time added.
OrderedValue scheduleJson(const TodoSchedule& schedule, const Calendar& calendar, Date now) {
    OrderedValue out = json::encode(schedule);
    out["label"] = shortLabel(schedule, calendar);
    out["next"] = timestampOrNull(schedule.nextOccurrence(now, calendar), calendar);
    return out;
}

OrderedValue todoJson(const Todo& todo, const Calendar& calendar, Date now) {
    OrderedValue out = OrderedValue::object();
    out["id"] = todo.id.toString();
    out["title"] = todo.title;
    out["estimatedMinutes"] = orNull(todo.estimatedMinutes);
    out["schedule"] =
        todo.schedule ? scheduleJson(*todo.schedule, calendar, now) : OrderedValue(nullptr);
    out["snoozedUntil"] = timestampOrNull(todo.snoozedUntil, calendar);
    return out;
}

std::string tooltip(const ThreadStore& store, const StatusContent& content) {
    switch (content.state) {
        case StatusContent::State::dayClosed:
            return "Your day hasn't started";
        case StatusContent::State::idle:
            return "No active threads";
        case StatusContent::State::todo: {
            const Todo& todo = *store.state().currentTodo();
            std::string text = "To-do: " + todo.title;
            if (todo.estimatedMinutes)
                text += " (~" + std::to_string(*todo.estimatedMinutes) + " min)";
            return text;
        }
        case StatusContent::State::thread:
            break;
    }
    const Strand& thread = *store.state().current();
    std::string text = threadText(store, thread);
    if (!thread.nextSteps.empty())
        text += "\nnext \xE2\x96\xB8 " + thread.nextSteps.front();
    return text;
}

// The start of a row in `cadro list`: its number, for naming it in other
// commands, and a star when it is current.
std::string rowStart(std::size_t& number, bool isCurrent) {
    std::string text = std::to_string(++number);
    return std::string(text.size() < 3 ? 3 - text.size() : 0, ' ') + text +
           (isCurrent ? " * " : "   ");
}

void listThreads(std::string& out, const char* heading, const std::vector<Strand>& threads,
                 const ThreadStore& store, const Calendar& calendar, Date now,
                 std::size_t& number) {
    out += heading;
    out += threads.empty() ? " none\n" : "\n";
    for (const auto& thread : threads) {
        bool isCurrent = store.state().sessionOpen && !store.state().currentTodo() &&
                         store.state().currentID == thread.id;
        out += rowStart(number, isCurrent);
        out += withoutControlCharacters(threadText(store, thread));
        if (thread.priority)
            out += "  [priority " + std::to_string(*thread.priority) + "]";
        if (thread.snoozedUntil)
            out += "  (wakes " + formatWakeTime(*thread.snoozedUntil, calendar, now) + ")";
        out += "\n";
    }
}

}  // namespace

std::string statusJson(const ThreadStore& store, const Calendar& calendar, Date now) {
    StatusContent content = statusContent(store);
    OrderedValue out = OrderedValue::object();
    out["text"] = cli::statusText(store);
    out["tooltip"] = tooltip(store, content);
    out["class"] = className(content.state);
    out["sessionOpen"] = store.state().sessionOpen;
    const Strand* thread = store.state().sessionOpen ? store.state().current() : nullptr;
    out["thread"] = thread ? threadJson(*thread) : OrderedValue(nullptr);
    const Todo* todo = store.state().sessionOpen ? store.state().currentTodo() : nullptr;
    out["todo"] = todo ? todoJson(*todo, calendar, now) : OrderedValue(nullptr);
    return out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

namespace cli {

std::string inQuotes(const std::string& title) {
    return "\"" + withoutControlCharacters(title) + "\"";
}

std::string closedDayText() {
    return "Day not started \xC2\xB7 cadro start-day";
}

std::string currentLine(const ThreadStore& store) {
    if (!store.state().sessionOpen)
        return closedDayText();
    if (const Todo* todo = store.state().currentTodo())
        return "Now: to-do " + inQuotes(todo->title);
    const Strand* thread = store.state().current();
    if (!thread)
        return "Nothing is current: add a thread with cadro add-thread";
    std::string line = "Now: " + withoutControlCharacters(thread->title);
    const std::string step = threadStepLabel(store, *thread);
    if (!step.empty())
        line += " \xE2\x80\x94 " + withoutControlCharacters(step);
    return line;
}

std::string statusText(const ThreadStore& store) {
    if (!store.state().sessionOpen)
        return closedDayText();
    return withoutControlCharacters(statusContent(store).title.substr(1));
}

std::string localTimestamp(Date date, const Calendar& calendar) {
    const auto day = calendar.dayNumber(date);
    if (!day)
        return formatUtcTimestamp(date);
    const auto wholeSeconds = static_cast<std::int64_t>(std::floor(date.toUnix()));
    const std::int64_t local = *day * 86'400 + calendar.hour(date) * 3'600 +
                               calendar.minute(date) * 60 + calendar.second(date);
    const std::int64_t offset = local - wholeSeconds;
    const auto civil = calendar.civilDate(date);
    char text[160];  // room for any value, so the compiler sees no truncation
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02d:%02d:%02d%c%02lld:%02lld",
                  static_cast<long long>(civil->year), static_cast<long long>(civil->month),
                  static_cast<long long>(civil->day), calendar.hour(date), calendar.minute(date),
                  calendar.second(date), offset < 0 ? '-' : '+',
                  static_cast<long long>(std::abs(offset) / 3'600),
                  static_cast<long long>(std::abs(offset) % 3'600 / 60));
    return text;
}

std::string listText(const ThreadStore& store, const Calendar& calendar, Date now) {
    std::string out;
    out += store.state().sessionOpen ? "Day: open\n" : "Day: not started\n";
    std::size_t number = 0;
    listThreads(out, "Active:", store.state().active, store, calendar, now, number);
    listThreads(out, "Parked:", store.state().parked, store, calendar, now, number);
    listThreads(out, "Snoozed:", store.state().snoozed, store, calendar, now, number);
    out += store.state().todos.empty() ? "To-dos: none\n" : "To-dos:\n";
    for (const auto& todo : store.state().todos) {
        out +=
            rowStart(number, store.state().sessionOpen && store.state().currentTodoID == todo.id);
        out += withoutControlCharacters(todo.title);
        if (todo.estimatedMinutes)
            out += "  ~" + durationLabel(*todo.estimatedMinutes);
        if (todo.schedule)
            out += "  " + shortLabel(*todo.schedule, calendar);
        if (todo.snoozedUntil && *todo.snoozedUntil > now) {
            out += "  (until " + formatWakeTime(*todo.snoozedUntil, calendar, now) + ")";
        }
        out += "\n";
    }
    return out;
}

std::string listTitles(const ThreadStore& store) {
    // Control characters (a tab among them) are shown as replacements, so
    // each line holds exactly one tab.
    std::string out;
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        for (const auto& thread : store.state().threads(kind))
            out += withoutControlCharacters(thread.title) + "\tthread\n";
    }
    for (const auto& todo : store.state().todos)
        out += withoutControlCharacters(todo.title) + "\tto-do\n";
    return out;
}

std::string listJson(const ThreadStore& store, const Calendar& calendar, Date now) {
    OrderedValue out = OrderedValue::object();
    out["sessionOpen"] = store.state().sessionOpen;
    out["currentID"] = store.state().currentID ? OrderedValue(store.state().currentID->toString())
                                               : OrderedValue(nullptr);
    out["currentTodoID"] = store.state().currentTodoID
                               ? OrderedValue(store.state().currentTodoID->toString())
                               : OrderedValue(nullptr);
    for (auto [kind, key] : {std::pair{ThreadKind::active, "active"},
                             {ThreadKind::parked, "parked"},
                             {ThreadKind::snoozed, "snoozed"}}) {
        OrderedValue list = OrderedValue::array();
        for (const auto& thread : store.state().threads(kind)) {
            OrderedValue item = threadJson(thread);
            if (thread.snoozedUntil)
                item["snoozedUntil"] = localTimestamp(*thread.snoozedUntil, calendar);
            list.push_back(std::move(item));
        }
        out[key] = std::move(list);
    }
    OrderedValue todos = OrderedValue::array();
    for (const auto& todo : store.state().todos)
        todos.push_back(todoJson(todo, calendar, now));
    out["todos"] = std::move(todos);
    return out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace cli
}  // namespace cadro
