// Parking and snoozing threads, and the wake-up pass.
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"

namespace cadro {

void ThreadStore::afterLeavingRing(const Uuid& id) {
    if (state_.currentID == id) {
        setCurrentID(std::nullopt);
        pickCurrent();
    } else {
        markUnsaved();
    }
}

void ThreadStore::afterJoiningRing() {
    if (!state_.currentID) {
        pickCurrent();
    } else {
        markUnsaved();
    }
}

void ThreadStore::park(Uuid id) {
    ChangeScope scope(*this);
    name(titled("Park", id));
    auto strand = take(ThreadKind::active, id);
    if (!strand)
        return;
    list(ThreadKind::parked).push_back(std::move(*strand));
    afterLeavingRing(id);
}

void ThreadStore::unpark(Uuid id) {
    ChangeScope scope(*this);
    name(titled("Unpark", id));
    auto strand = take(ThreadKind::parked, id);
    if (!strand)
        return;
    strand->lastSlot.reset();
    joinRing(std::move(*strand));
    afterJoiningRing();
}

void ThreadStore::snooze(Uuid id, Date until) {
    if (findTodo(id)) {
        snoozeTodo(id, until);
        return;
    }
    ChangeScope scope(*this);
    name(titled("Snooze", id));
    auto strand = take(ThreadKind::active, id);
    if (!strand)
        return;
    strand->snoozedUntil = until;
    list(ThreadKind::snoozed).push_back(std::move(*strand));
    afterLeavingRing(id);
}

void ThreadStore::wake(Uuid id) {
    if (findTodo(id)) {
        wakeTodo(id);
        return;
    }
    ChangeScope scope(*this);
    name(titled("Wake", id));
    auto strand = take(ThreadKind::snoozed, id);
    if (!strand)
        return;
    strand->snoozedUntil.reset();
    strand->lastSlot.reset();
    joinRing(std::move(*strand));
    afterJoiningRing();
}

bool ThreadStore::wakeDueSnoozes(bool persist) {
    ChangeScope scope(*this);
    const Date now = deps_.clock->now();
    bool anything = false;

    std::vector<Strand> due;
    for (const auto& strand : state_.snoozed) {
        if (!strand.snoozedUntil || *strand.snoozedUntil <= now)
            due.push_back(strand);
    }
    for (auto& strand : due) {
        take(ThreadKind::snoozed, strand.id);
        strand.snoozedUntil.reset();
        strand.lastSlot.reset();
        joinRing(std::move(strand));
        anything = true;
    }

    // Scheduled to-dos keep their snooze: it means "show again at", and the
    // schedule processing clears it when it shows them.
    for (std::size_t i = 0; i < state_.todos.size(); ++i) {
        const Todo& todo = state_.todos[i];
        if (!todo.schedule && todo.snoozedUntil && *todo.snoozedUntil <= now) {
            changed(StoreProperty::todos);
            state_.todos[i].snoozedUntil.reset();
            anything = true;
        }
    }

    if (!anything)
        return false;
    if (state_.sessionOpen && !state_.currentID) {
        pickCurrent();
    } else if (persist) {
        markUnsaved();
    }
    return true;
}

}  // namespace cadro
