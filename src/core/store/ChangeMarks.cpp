#include "core/store/ChangeMarks.h"

namespace cadro {

bool ChangeMarks::knows(const std::optional<ChangeStamp>& stamp) const {
    if (!stamp)
        return true;
    auto found = machines.find(stamp->on);
    return found != machines.end() && found->second >= stamp->at;
}

std::optional<ChangeStamp> ChangeMarks::of(const Uuid& id) const {
    auto found = records.find(id);
    if (found == records.end())
        return std::nullopt;
    return found->second;
}

namespace json {
namespace {

// These keys only help merging: one that does not read is left out rather
// than costing the user the file.
std::optional<ChangeStamp> readStamp(const Value& object, const char* at, const char* on) {
    auto time = object.find(at);
    auto machine = object.find(on);
    if (time == object.end() || !time->is_number() || machine == object.end() ||
        !machine->is_string())
        return std::nullopt;
    return ChangeStamp{Date{time->get<double>()}, machine->get<std::string>()};
}

void writeStamp(OrderedValue& object, const std::optional<ChangeStamp>& stamp, const char* at,
                const char* on) {
    if (!stamp)
        return;
    object[at] = stamp->at.secondsSinceReference;
    object[on] = stamp->on;
}

std::optional<Uuid> readId(const Value& object) {
    auto id = object.find("id");
    if (id == object.end() || !id->is_string())
        return std::nullopt;
    return Uuid::parse(id->get<std::string>());
}

}  // namespace

void encodeStamp(OrderedValue& record, const ChangeMarks& marks, const Uuid& id) {
    writeStamp(record, marks.of(id), "changedAt", "changedOn");
}

void decodeStamp(const Value& record, ChangeMarks& marks) {
    auto id = readId(record);
    if (auto stamp = readStamp(record, "changedAt", "changedOn"); stamp && id)
        marks.records[*id] = *stamp;
}

void encodeMarks(OrderedValue& document, const ChangeMarks& marks) {
    if (!marks.deleted.empty()) {
        OrderedValue list = OrderedValue::array();
        for (const auto& gone : marks.deleted) {
            list.push_back({{"id", gone.id.toString()},
                            {"at", gone.stamp.at.secondsSinceReference},
                            {"on", gone.stamp.on}});
        }
        document["deleted"] = std::move(list);
    }
    if (!marks.machines.empty()) {
        OrderedValue machines = OrderedValue::object();
        for (const auto& [machine, at] : marks.machines)
            machines[machine] = at.secondsSinceReference;
        document["machines"] = std::move(machines);
    }
    writeStamp(document, marks.session, "sessionChangedAt", "sessionChangedOn");
    writeStamp(document, marks.brainDump, "brainDumpChangedAt", "brainDumpChangedOn");
    if (marks.ringAt)
        document["ringChangedAt"] = marks.ringAt->secondsSinceReference;
}

void decodeMarks(const Value& document, ChangeMarks& marks) {
    if (auto list = document.find("deleted"); list != document.end() && list->is_array()) {
        for (const auto& entry : *list) {
            if (!entry.is_object())
                continue;
            auto id = readId(entry);
            auto stamp = readStamp(entry, "at", "on");
            if (id && stamp)
                marks.deleted.push_back({*id, *stamp});
        }
    }
    if (auto map = document.find("machines"); map != document.end() && map->is_object()) {
        for (const auto& [machine, at] : map->items()) {
            if (at.is_number())
                marks.machines[machine] = Date{at.get<double>()};
        }
    }
    marks.session = readStamp(document, "sessionChangedAt", "sessionChangedOn");
    marks.brainDump = readStamp(document, "brainDumpChangedAt", "brainDumpChangedOn");
    if (auto ring = document.find("ringChangedAt"); ring != document.end() && ring->is_number())
        marks.ringAt = Date{ring->get<double>()};
}

}  // namespace json
}  // namespace cadro
