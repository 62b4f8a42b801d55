#include "core/status/StoreNotices.h"

#include <algorithm>

namespace cadro {

StoreNotices::StoreNotices(const ThreadStore& store) {
    remember(store);
}

void StoreNotices::remember(const ThreadStore& store) {
    firedAt_.clear();
    for (const Todo& todo : store.state().todos)
        firedAt_[todo.id] = todo.lastFiredAt;
    snoozedUntil_.clear();
    for (const Strand& thread : store.state().snoozed)
        snoozedUntil_[thread.id] = thread.snoozedUntil;
}

std::vector<StoreNotice> StoreNotices::take(const ThreadStore& store, Date now) {
    std::vector<StoreNotice> notices;
    for (const Todo& todo : store.state().todos) {
        // Only a to-do seen before: one that arrives with a firing (the file
        // was edited elsewhere) fired long ago.
        auto before = firedAt_.find(todo.id);
        if (before != firedAt_.end() && todo.lastFiredAt && before->second != todo.lastFiredAt) {
            notices.push_back({StoreNotice::Kind::todoFired, todo.id, todo.title});
            unseen_.insert(todo.id);
        }
    }
    // Not a structured binding: clang 14 cannot capture one in a lambda.
    for (const auto& entry : snoozedUntil_) {
        const Uuid& id = entry.first;
        const std::optional<Date>& until = entry.second;
        // Gone from the snoozed list with its time come: woken by the clock,
        // not by the user.
        const bool stillSnoozed =
            std::any_of(store.state().snoozed.begin(), store.state().snoozed.end(),
                        [&](const Strand& s) { return s.id == id; });
        if (stillSnoozed || (until && *until > now))
            continue;
        if (auto thread = store.state().strand(id);
            thread && store.state().kindOf(id) == ThreadKind::active)
            notices.push_back({StoreNotice::Kind::threadWoke, id, thread->title});
    }
    // A fired to-do that is neither up nor waiting any more has been dealt with.
    std::erase_if(unseen_, [&](const Uuid& id) {
        return store.state().currentTodoID != id &&
               !store.state().pendingScheduledTodoIDs.count(id);
    });
    remember(store);
    return notices;
}

}  // namespace cadro
