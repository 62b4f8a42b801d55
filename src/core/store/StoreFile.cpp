#include "core/store/StoreFile.h"

namespace cadro {
namespace {

using json::ObjectReader;
using json::OrderedValue;
using json::Value;

template <typename Record>
OrderedValue encodeList(const std::vector<Record>& records) {
    OrderedValue list = OrderedValue::array();
    for (const auto& record : records)
        list.push_back(json::encode(record));
    return list;
}

template <typename Decode>
auto decodeList(const Value& list, const std::string& path, Decode decode) {
    std::vector<decltype(decode(list, path))> out;
    out.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        out.push_back(decode(list[i], path + "[" + std::to_string(i) + "]"));
    }
    return out;
}

}  // namespace

std::string encodeStoreFile(const PersistedState& state) {
    OrderedValue out = OrderedValue::object();
    out["active"] = encodeList(state.active);
    out["parked"] = encodeList(state.parked);
    out["snoozed"] = encodeList(state.snoozed);
    out["todos"] = encodeList(state.todos);
    out["slot"] = state.slot;
    if (state.currentID)
        out["currentID"] = state.currentID->toString();
    if (state.currentTodoID)
        out["currentTodoID"] = state.currentTodoID->toString();
    if (state.interruptedTodoID)
        out["interruptedTodoID"] = state.interruptedTodoID->toString();
    out["defaultSnoozeMinutes"] = state.defaultSnoozeMinutes;
    out["todoChancePercent"] = state.todoChancePercent;
    out["brainDump"] = state.brainDump;
    if (state.brainDumpFilePath)
        out["brainDumpFilePath"] = *state.brainDumpFilePath;
    out["sessionOpen"] = state.sessionOpen;
    if (!state.pendingScheduledTodoIDs.empty()) {
        OrderedValue pending = OrderedValue::array();
        for (const auto& id : state.pendingScheduledTodoIDs)
            pending.push_back(id.toString());
        out["pendingScheduledTodoIDs"] = std::move(pending);
    }
    return json::encodeCompact(out);
}

PersistedState decodeStoreFile(std::string_view bytes, Date readAt) {
    Value document = json::parse(bytes);
    ObjectReader in(document, "");
    auto strand = [&](const Value& v, const std::string& path) {
        return json::decodeStrand(v, path, readAt);
    };
    auto todo = [&](const Value& v, const std::string& path) {
        return json::decodeTodo(v, path, readAt);
    };

    PersistedState state;
    state.active = decodeList(in.array("active"), "active", strand);
    state.parked = decodeList(in.array("parked"), "parked", strand);
    if (const Value* snoozed = in.optionalArray("snoozed")) {
        state.snoozed = decodeList(*snoozed, "snoozed", strand);
    }
    if (const Value* todos = in.optionalArray("todos")) {
        state.todos = decodeList(*todos, "todos", todo);
    }
    state.slot = in.optionalInteger("slot").value_or(0);
    state.currentID = in.optionalUuid("currentID");
    state.currentTodoID = in.optionalUuid("currentTodoID");
    state.interruptedTodoID = in.optionalUuid("interruptedTodoID");
    state.defaultSnoozeMinutes = in.optionalInteger("defaultSnoozeMinutes").value_or(60);
    state.todoChancePercent = in.optionalInteger("todoChancePercent").value_or(5);
    state.brainDump = in.optionalString("brainDump").value_or("");
    state.brainDumpFilePath = in.optionalString("brainDumpFilePath");
    state.sessionOpen = in.optionalBoolean("sessionOpen").value_or(true);
    if (const Value* pending = in.optionalArray("pendingScheduledTodoIDs")) {
        auto uuid = [](const Value& v, const std::string& path) {
            auto id = v.is_string() ? Uuid::parse(v.get<std::string>()) : std::nullopt;
            if (!id)
                throw json::DecodeError(path + " is not an id");
            return *id;
        };
        for (const auto& id : decodeList(*pending, "pendingScheduledTodoIDs", uuid))
            state.pendingScheduledTodoIDs.insert(id);
    }
    return state;
}

}  // namespace cadro
