#include "core/store/StoreFile.h"

namespace cadro {
namespace {

using json::ObjectReader;
using json::OrderedValue;
using json::Value;

template <typename Record>
OrderedValue encodeList(const std::vector<Record>& records, const ChangeMarks& marks) {
    OrderedValue list = OrderedValue::array();
    for (const auto& record : records) {
        list.push_back(json::encode(record));
        json::encodeStamp(list.back(), marks, record.id);
    }
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

// Only a memory of answers: an entry that does not read is dropped rather
// than costing the user the whole file.
std::vector<RememberedReply> decodeRequests(const Value& document) {
    std::vector<RememberedReply> out;
    auto found = document.find("requests");
    if (found == document.end() || !found->is_array())
        return out;
    for (const auto& entry : *found) {
        if (!entry.is_object())
            continue;
        auto id = entry.find("id");
        auto exit = entry.find("exit");
        auto text = entry.find("out");
        auto err = entry.find("err");
        if (id == entry.end() || !id->is_string() || exit == entry.end() ||
            !exit->is_number_integer() || *exit < 0 || *exit > 255 || text == entry.end() ||
            !text->is_string() || err == entry.end() || !err->is_string())
            continue;
        out.push_back({id->get<std::string>(), exit->get<int>(), text->get<std::string>(),
                       err->get<std::string>()});
    }
    return out;
}

}  // namespace

std::string encodeStoreFile(const PersistedState& state) {
    OrderedValue out = OrderedValue::object();
    out["active"] = encodeList(state.active, state.marks);
    out["parked"] = encodeList(state.parked, state.marks);
    out["snoozed"] = encodeList(state.snoozed, state.marks);
    out["todos"] = encodeList(state.todos, state.marks);
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
    json::encodeMarks(out, state.marks);
    if (!state.requests.empty()) {
        OrderedValue requests = OrderedValue::array();
        for (const auto& reply : state.requests) {
            requests.push_back({{"id", reply.id},
                                {"exit", reply.exitCode},
                                {"out", reply.out},
                                {"err", reply.err}});
        }
        out["requests"] = std::move(requests);
    }
    return json::encodeCompact(out);
}

PersistedState decodeStoreFile(std::string_view bytes, Date readAt) {
    Value document = json::parse(bytes);
    ObjectReader in(document, "");
    PersistedState state;
    auto strand = [&](const Value& v, const std::string& path) {
        json::decodeStamp(v, state.marks);
        return json::decodeStrand(v, path, readAt);
    };
    auto todo = [&](const Value& v, const std::string& path) {
        json::decodeStamp(v, state.marks);
        return json::decodeTodo(v, path, readAt);
    };

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
    json::decodeMarks(document, state.marks);
    state.requests = decodeRequests(document);
    return state;
}

}  // namespace cadro
