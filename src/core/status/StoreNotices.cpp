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
    todoSnoozedUntil_.clear();
    for (const Todo& todo : store.state().todos) {
        if (todo.snoozedUntil)
            todoSnoozedUntil_[todo.id] = *todo.snoozedUntil;
    }
}

namespace {

bool isUpOrPending(const ThreadStore& store, const Uuid& id) {
    return store.state().currentTodoID == id || store.state().pendingScheduledTodoIDs.count(id);
}

}  // namespace

bool isHandled(const StoreNotice& notice, const ThreadStore& store) {
    if (notice.kind == StoreNotice::Kind::threadWoke)
        return store.state().kindOf(notice.id) != ThreadKind::active;
    const auto todo = store.state().todo(notice.id);
    if (!todo)
        return true;
    // A scheduled one was put on screen; one without schedule is back in the
    // draw until it is snoozed again or finished.
    if (todo->schedule)
        return !isUpOrPending(store, notice.id);
    return todo->snoozedUntil.has_value();
}

std::vector<StoreNotice> StoreNotices::take(const ThreadStore& store, Date now) {
    std::vector<StoreNotice> notices;
    for (const Todo& todo : store.state().todos) {
        // Only a to-do seen before: one that arrives with a firing (the file
        // was edited elsewhere) fired long ago. Nor one that is neither up
        // nor in line: that time was finished ahead.
        auto before = firedAt_.find(todo.id);
        if (before != firedAt_.end() && todo.lastFiredAt && before->second != todo.lastFiredAt &&
            isUpOrPending(store, todo.id)) {
            notices.push_back({StoreNotice::Kind::todoFired, todo.id, todo.title});
            unseen_.insert(todo.id);
            continue;
        }
        // Its snooze ran out: a scheduled one is back on screen, one without
        // schedule back in the draw.
        auto snoozed = todoSnoozedUntil_.find(todo.id);
        if (snoozed != todoSnoozedUntil_.end() && !todo.snoozedUntil && snoozed->second <= now &&
            (!todo.schedule || store.state().currentTodoID == todo.id)) {
            notices.push_back({StoreNotice::Kind::todoWoke, todo.id, todo.title});
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
