#include "core/store/RecordsJson.h"

namespace cadro::json {

OrderedValue encode(const Strand& strand) {
    OrderedValue out = OrderedValue::object();
    out["id"] = strand.id.toString();
    out["title"] = strand.title;
    out["step"] = strand.step;
    out["nextSteps"] = strand.nextSteps;
    if (strand.colorHex)
        out["colorHex"] = *strand.colorHex;
    if (strand.priority)
        out["priority"] = *strand.priority;
    if (strand.focusTarget)
        out["focusTarget"] = *strand.focusTarget;
    out["createdAt"] = strand.createdAt.secondsSinceReference;
    if (strand.lastSlot)
        out["lastSlot"] = *strand.lastSlot;
    if (strand.snoozedUntil)
        out["snoozedUntil"] = strand.snoozedUntil->secondsSinceReference;
    out["isHygiene"] = strand.isHygiene;
    return out;
}

OrderedValue encode(const Todo& todo) {
    OrderedValue out = OrderedValue::object();
    out["id"] = todo.id.toString();
    out["title"] = todo.title;
    if (todo.estimatedMinutes)
        out["estimatedMinutes"] = *todo.estimatedMinutes;
    if (todo.snoozedUntil)
        out["snoozedUntil"] = todo.snoozedUntil->secondsSinceReference;
    out["createdAt"] = todo.createdAt.secondsSinceReference;
    if (todo.schedule)
        out["schedule"] = encode(*todo.schedule);
    if (todo.lastFiredAt)
        out["lastFiredAt"] = todo.lastFiredAt->secondsSinceReference;
    return out;
}

Strand decodeStrand(const Value& value, const std::string& path, Date readAt) {
    ObjectReader in(value, path);
    Strand strand;
    strand.id = in.uuid("id");
    strand.title = in.string("title");
    strand.step = in.optionalString("step").value_or("");
    if (const Value* steps = in.optionalArray("nextSteps")) {
        for (const auto& step : *steps) {
            if (!step.is_string())
                in.fail("nextSteps", "must hold text");
            strand.nextSteps.push_back(step.get<std::string>());
        }
    }
    strand.colorHex = in.optionalString("colorHex");
    strand.priority = in.optionalInteger("priority");
    strand.focusTarget = in.optionalString("focusTarget");
    strand.createdAt = in.optionalDate("createdAt").value_or(readAt);
    strand.lastSlot = in.optionalInteger("lastSlot");
    strand.snoozedUntil = in.optionalDate("snoozedUntil");
    strand.isHygiene = in.optionalBoolean("isHygiene").value_or(false);
    return strand;
}

Todo decodeTodo(const Value& value, const std::string& path, Date readAt) {
    ObjectReader in(value, path);
    Todo todo;
    todo.id = in.uuid("id");
    todo.title = in.string("title");
    todo.estimatedMinutes = in.optionalInteger("estimatedMinutes");
    todo.snoozedUntil = in.optionalDate("snoozedUntil");
    todo.createdAt = in.optionalDate("createdAt").value_or(readAt);
    if (const Value* schedule = in.optionalObject("schedule")) {
        todo.schedule = decodeSchedule(*schedule, in.childPath("schedule"));
    }
    todo.lastFiredAt = in.optionalDate("lastFiredAt");
    return todo;
}

}  // namespace cadro::json
