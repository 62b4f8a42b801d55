#include "core/store/UndoHistory.h"

#include "core/base/Json.h"
#include "core/store/StoreFormat.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace cadro {
namespace {

// A step is one JSON object:
//   {"threads": [ENTRY...], "todos": [ENTRY...], "cycle": {"slot": [OLD, NEW], ...}}
// An ENTRY is {"id": ID, "old": SIDE, "new": SIDE}. A SIDE is null where the
// record does not exist, the whole record where it was added or removed, and
// otherwise only the fields that differ (null for a field that is absent). A
// record that moved also carries "@list" (threads only) and "@after", the id
// of the record before it in its list (null: it comes first). Only records
// that moved against the others carry their place, so a reorder or a record
// taken out of the middle of a long list costs a few entries, not one each.

using json::OrderedValue;
using json::Value;

// Records are compared and patched key by key in the store file's own words.
template <typename Record>
OrderedValue recordValue(const Record& record) {
    return OrderedValue::parse(encodeRecord(record));
}

template <typename Record>
Record recordFrom(const Value& value) {
    Record record;
    decodeRecord(value.dump(), record);
    return record;
}

constexpr const char* kThreadLists[] = {"active", "parked", "snoozed"};

struct Place {
    std::size_t list;
    std::size_t index;
};

template <typename Record>
using Lists = std::vector<const std::vector<Record>*>;

template <typename Record>
std::unordered_map<Uuid, Place> placesOf(const Lists<Record>& lists) {
    std::unordered_map<Uuid, Place> places;
    for (std::size_t l = 0; l < lists.size(); ++l) {
        for (std::size_t i = 0; i < lists[l]->size(); ++i)
            places.emplace((*lists[l])[i].id, Place{l, i});
    }
    return places;
}

// Marks the members of one longest increasing subsequence: the records that
// kept their order; the others are the ones that moved.
std::vector<bool> longestIncreasing(const std::vector<std::size_t>& values) {
    std::vector<std::size_t> tails;  // index into values of the smallest tail per length
    std::vector<std::size_t> previous(values.size(), SIZE_MAX);
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
                                   [&](std::size_t t, std::size_t v) { return values[t] < v; });
        if (at != tails.begin())
            previous[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<bool> kept(values.size(), false);
    for (std::size_t i = tails.empty() ? SIZE_MAX : tails.back(); i != SIZE_MAX; i = previous[i])
        kept[i] = true;
    return kept;
}

void fieldDifference(const OrderedValue& before, const OrderedValue& after, OrderedValue& old,
                     OrderedValue& now) {
    for (const auto& [key, value] : before.items()) {
        auto there = after.find(key);
        if (there == after.end()) {
            old[key] = value;
            now[key] = nullptr;
        } else if (*there != value) {
            old[key] = value;
            now[key] = *there;
        }
    }
    for (const auto& [key, value] : after.items()) {
        if (!before.contains(key)) {
            old[key] = nullptr;
            now[key] = value;
        }
    }
}

OrderedValue entry(const Uuid& id, OrderedValue old, OrderedValue now) {
    OrderedValue out = OrderedValue::object();
    out["id"] = id.toString();
    out["old"] = std::move(old);
    out["new"] = std::move(now);
    return out;
}

template <typename Record>
bool sameIds(const Lists<Record>& before, const Lists<Record>& after) {
    for (std::size_t l = 0; l < before.size(); ++l) {
        if (!std::equal(before[l]->begin(), before[l]->end(), after[l]->begin(), after[l]->end(),
                        [](const Record& x, const Record& y) { return x.id == y.id; }))
            return false;
    }
    return true;
}

template <typename Record>
OrderedValue recordChanges(const Lists<Record>& before, const Lists<Record>& after) {
    const bool namesList = before.size() > 1;
    if (sameIds(before, after)) {
        // Nothing came, went or moved (most changes): only edits to find.
        OrderedValue entries = OrderedValue::array();
        for (std::size_t l = 0; l < before.size(); ++l) {
            for (std::size_t i = 0; i < before[l]->size(); ++i) {
                const Record& was = (*before[l])[i];
                const Record& is = (*after[l])[i];
                if (is == was)
                    continue;
                OrderedValue old = OrderedValue::object();
                OrderedValue now = OrderedValue::object();
                fieldDifference(recordValue(was), recordValue(is), old, now);
                entries.push_back(entry(was.id, std::move(old), std::move(now)));
            }
        }
        return entries;
    }
    const auto beforeAt = placesOf(before);
    const auto afterAt = placesOf(after);

    std::unordered_set<Uuid> moved;
    for (std::size_t l = 0; l < before.size(); ++l) {
        std::vector<std::size_t> order;
        std::vector<Uuid> ids;
        for (const auto& record : *before[l]) {
            auto found = afterAt.find(record.id);
            if (found != afterAt.end() && found->second.list == l) {
                order.push_back(found->second.index);
                ids.push_back(record.id);
            }
        }
        const std::vector<bool> kept = longestIncreasing(order);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (!kept[i])
                moved.insert(ids[i]);
        }
    }

    auto place = [&](OrderedValue& side, const Lists<Record>& lists, Place at) {
        if (namesList)
            side["@list"] = kThreadLists[at.list];
        side["@after"] = at.index == 0
                             ? OrderedValue()
                             : OrderedValue((*lists[at.list])[at.index - 1].id.toString());
    };
    auto whole = [&](const Record& record, const Lists<Record>& lists, Place at) {
        OrderedValue side = recordValue(record);
        place(side, lists, at);
        return side;
    };

    OrderedValue entries = OrderedValue::array();
    for (std::size_t l = 0; l < before.size(); ++l) {
        for (std::size_t i = 0; i < before[l]->size(); ++i) {
            const Record& was = (*before[l])[i];
            auto found = afterAt.find(was.id);
            if (found == afterAt.end()) {
                entries.push_back(entry(was.id, whole(was, before, {l, i}), nullptr));
                continue;
            }
            const Place to = found->second;
            const Record& is = (*after[to.list])[to.index];
            const bool moves = to.list != l || moved.count(was.id);
            if (is == was && !moves)
                continue;
            OrderedValue old = OrderedValue::object();
            OrderedValue now = OrderedValue::object();
            if (!(is == was))
                fieldDifference(recordValue(was), recordValue(is), old, now);
            if (moves) {
                place(old, before, {l, i});
                place(now, after, to);
            }
            entries.push_back(entry(was.id, std::move(old), std::move(now)));
        }
    }
    for (std::size_t l = 0; l < after.size(); ++l) {
        for (std::size_t i = 0; i < after[l]->size(); ++i) {
            const Record& is = (*after[l])[i];
            if (!beforeAt.count(is.id))
                entries.push_back(entry(is.id, nullptr, whole(is, after, {l, i})));
        }
    }
    return entries;
}

OrderedValue idValue(const std::optional<Uuid>& id) {
    return id ? OrderedValue(id->toString()) : OrderedValue();
}

OrderedValue cycleChanges(const PersistedState& before, const PersistedState& after) {
    OrderedValue cycle = OrderedValue::object();
    auto field = [&](const char* name, OrderedValue old, OrderedValue now) {
        if (old != now)
            cycle[name] = OrderedValue::array({std::move(old), std::move(now)});
    };
    field("slot", before.slot, after.slot);
    field("currentID", idValue(before.currentID), idValue(after.currentID));
    field("currentTodoID", idValue(before.currentTodoID), idValue(after.currentTodoID));
    field("interruptedTodoID", idValue(before.interruptedTodoID), idValue(after.interruptedTodoID));
    field("defaultSnoozeMinutes", before.defaultSnoozeMinutes, after.defaultSnoozeMinutes);
    field("todoChancePercent", before.todoChancePercent, after.todoChancePercent);
    field("sessionOpen", before.sessionOpen, after.sessionOpen);
    return cycle;
}

Uuid uuidIn(const Value& value) {
    auto id = Uuid::parse(value.get<std::string>());
    if (!id)
        throw json::DecodeError("not an id");
    return *id;
}

std::optional<Uuid> optionalUuidIn(const Value& value) {
    return value.is_null() ? std::nullopt : std::optional<Uuid>(uuidIn(value));
}

template <typename Record, typename Decode>
void applyRecords(const Value& entries, const char* side, const char* other,
                  const std::vector<std::vector<Record>*>& lists, Decode decode) {
    struct Pending {
        std::size_t list;
        std::optional<Uuid> anchor;
        Record record;
    };
    std::vector<Pending> pending;
    std::unordered_set<Uuid> leaving;
    std::unordered_map<Uuid, Place> at;
    for (std::size_t l = 0; l < lists.size(); ++l) {
        for (std::size_t i = 0; i < lists[l]->size(); ++i)
            at.emplace((*lists[l])[i].id, Place{l, i});
    }

    auto listOf = [&](const Value& target, std::size_t otherwise) {
        auto named = target.find("@list");
        if (named == target.end())
            return otherwise;
        for (std::size_t l = 0; l < lists.size() && l < std::size(kThreadLists); ++l) {
            if (*named == kThreadLists[l])
                return l;
        }
        throw json::DecodeError("unknown list");
    };
    auto fieldsOf = [](const Value& target, Value fields) {
        for (const auto& [key, value] : target.items()) {
            if (key.starts_with("@"))
                continue;
            if (value.is_null())
                fields.erase(key);
            else
                fields[key] = value;
        }
        return fields;
    };

    for (const Value& entry : entries) {
        const Uuid id = uuidIn(entry.at("id"));
        const Value& target = entry.at(side);
        const Value& source = entry.at(other);
        if (target.is_null()) {
            leaving.insert(id);
            continue;
        }
        if (source.is_null()) {
            leaving.insert(id);
            pending.push_back({listOf(target, 0), optionalUuidIn(target.at("@after")),
                               decode(fieldsOf(target, Value::object()))});
            continue;
        }
        auto found = at.find(id);
        if (found == at.end() || leaving.count(id))
            continue;  // removed since: a change to it has nothing to act on
        Record& record = (*lists[found->second.list])[found->second.index];
        Record patched = decode(fieldsOf(target, Value(recordValue(record))));
        if (target.contains("@after")) {
            leaving.insert(id);
            pending.push_back({listOf(target, found->second.list),
                               optionalUuidIn(target.at("@after")), std::move(patched)});
        } else {
            record = std::move(patched);
        }
    }
    for (auto* list : lists)
        std::erase_if(*list, [&](const Record& r) { return leaving.count(r.id) > 0; });

    // Each record goes back after its neighbour (one whose neighbour is
    // itself coming back follows it in), and one whose neighbour has gone
    // meanwhile goes last. Each list is rebuilt in one pass.
    for (std::size_t l = 0; l < lists.size(); ++l) {
        std::unordered_map<Uuid, std::vector<std::size_t>> followers;
        std::vector<std::size_t> first;
        std::vector<bool> placed(pending.size(), false);
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if (pending[i].list != l)
                placed[i] = true;
            else if (pending[i].anchor)
                followers[*pending[i].anchor].push_back(i);
            else
                first.push_back(i);
        }
        std::vector<Record> rebuilt;
        rebuilt.reserve(lists[l]->size() + pending.size());
        std::vector<std::size_t> stack;
        auto emit = [&](const std::vector<std::size_t>& items) {
            stack.assign(items.rbegin(), items.rend());
            while (!stack.empty()) {
                const std::size_t i = stack.back();
                stack.pop_back();
                if (placed[i])
                    continue;
                placed[i] = true;
                rebuilt.push_back(std::move(pending[i].record));
                if (auto next = followers.find(rebuilt.back().id); next != followers.end())
                    stack.insert(stack.end(), next->second.rbegin(), next->second.rend());
            }
        };
        emit(first);
        for (Record& record : *lists[l]) {
            rebuilt.push_back(std::move(record));
            if (auto next = followers.find(rebuilt.back().id); next != followers.end())
                emit(next->second);
        }
        for (std::size_t i = 0; i < pending.size(); ++i) {
            if (!placed[i])
                rebuilt.push_back(std::move(pending[i].record));
        }
        *lists[l] = std::move(rebuilt);
    }
}

void applyCycle(const Value& cycle, std::size_t side, PersistedState& state) {
    for (const auto& [key, pair] : cycle.items()) {
        const Value& value = pair.at(side);
        if (key == "slot")
            state.slot = value.get<std::int64_t>();
        else if (key == "currentID")
            state.currentID = optionalUuidIn(value);
        else if (key == "currentTodoID")
            state.currentTodoID = optionalUuidIn(value);
        else if (key == "interruptedTodoID")
            state.interruptedTodoID = optionalUuidIn(value);
        else if (key == "defaultSnoozeMinutes")
            state.defaultSnoozeMinutes = value.get<std::int64_t>();
        else if (key == "todoChancePercent")
            state.todoChancePercent = value.get<std::int64_t>();
        else if (key == "sessionOpen")
            state.sessionOpen = value.get<bool>();
    }
}

// Puts one side of a step into `state`; false (and `state` untouched) when
// the step does not read.
bool applyStep(const std::string& changes, bool forward, PersistedState& state) {
    const char* side = forward ? "new" : "old";
    const char* other = forward ? "old" : "new";
    try {
        const Value step = json::parse(changes);
        PersistedState next = state;
        if (auto threads = step.find("threads"); threads != step.end()) {
            applyRecords<Strand>(*threads, side, other, {&next.active, &next.parked, &next.snoozed},
                                 [](const Value& v) { return recordFrom<Strand>(v); });
        }
        if (auto todos = step.find("todos"); todos != step.end()) {
            applyRecords<Todo>(*todos, side, other, {&next.todos},
                               [](const Value& v) { return recordFrom<Todo>(v); });
        }
        if (auto cycle = step.find("cycle"); cycle != step.end())
            applyCycle(*cycle, forward ? 1 : 0, next);
        state = std::move(next);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::size_t weight(const UndoStep& step) {
    return step.label.size() + step.changes.size();
}

}  // namespace

UndoHistory::UndoHistory(std::size_t depth, std::size_t budgetBytes)
    : depth_(depth), budgetBytes_(budgetBytes) {}

bool UndoHistory::record(std::string label, const PersistedState& before,
                         const PersistedState& after) {
    OrderedValue step = OrderedValue::object();
    OrderedValue threads = recordChanges<Strand>({&before.active, &before.parked, &before.snoozed},
                                                 {&after.active, &after.parked, &after.snoozed});
    if (!threads.empty())
        step["threads"] = std::move(threads);
    OrderedValue todos = recordChanges<Todo>({&before.todos}, {&after.todos});
    if (!todos.empty())
        step["todos"] = std::move(todos);
    OrderedValue cycle = cycleChanges(before, after);
    if (!cycle.empty())
        step["cycle"] = std::move(cycle);
    if (step.empty())
        return false;
    undone_.clear();
    done_.push_back({std::move(label), json::encodeCompact(step)});
    bytes_ += weight(done_.back());
    trim();
    return true;
}

void UndoHistory::trim() {
    while (done_.size() > depth_ || (bytes_ > budgetBytes_ && done_.size() > 1)) {
        bytes_ -= weight(done_.front());
        done_.pop_front();
    }
}

std::optional<std::string> UndoHistory::undo(PersistedState& state) {
    if (done_.empty())
        return std::nullopt;
    UndoStep step = std::move(done_.back());
    done_.pop_back();
    bytes_ -= weight(step);
    if (!applyStep(step.changes, false, state))
        return std::nullopt;
    undone_.push_back(std::move(step));
    return undone_.back().label;
}

std::optional<std::string> UndoHistory::redo(PersistedState& state) {
    if (undone_.empty())
        return std::nullopt;
    UndoStep step = std::move(undone_.back());
    undone_.pop_back();
    if (!applyStep(step.changes, true, state))
        return std::nullopt;
    done_.push_back(std::move(step));
    bytes_ += weight(done_.back());
    std::string label = done_.back().label;
    trim();
    return label;
}

std::string UndoHistory::encode(std::string_view store) const {
    auto list = [](auto begin, auto end) {
        std::string out = "[";
        for (auto it = begin; it != end; ++it) {
            if (out.size() > 1)
                out += ",";
            out += "{\"label\":" + json::encodeCompact(OrderedValue(it->label)) +
                   ",\"changes\":" + it->changes + "}";
        }
        return out + "]";
    };
    return "{\"store\":" + json::encodeCompact(OrderedValue(std::string(store))) +
           ",\"undo\":" + list(done_.begin(), done_.end()) +
           ",\"redo\":" + list(undone_.begin(), undone_.end()) + "}\n";
}

UndoHistory UndoHistory::decode(std::string_view bytes, std::string_view store, std::size_t depth,
                                std::size_t budgetBytes) {
    UndoHistory history(depth, budgetBytes);
    try {
        const Value document = json::parse(bytes);
        if (document.value("store", std::string()) != store)
            return history;
        auto steps = [&](const char* key, auto add) {
            auto found = document.find(key);
            if (found == document.end() || !found->is_array())
                return;
            for (const Value& step : *found) {
                auto label = step.find("label");
                auto changes = step.find("changes");
                if (step.is_object() && label != step.end() && label->is_string() &&
                    changes != step.end() && changes->is_object())
                    add(UndoStep{label->get<std::string>(), changes->dump()});
            }
        };
        steps("undo", [&](UndoStep step) {
            history.bytes_ += weight(step);
            history.done_.push_back(std::move(step));
        });
        steps("redo", [&](UndoStep step) { history.undone_.push_back(std::move(step)); });
        history.trim();
    } catch (const std::exception&) {
        return UndoHistory(depth, budgetBytes);
    }
    return history;
}

}  // namespace cadro
