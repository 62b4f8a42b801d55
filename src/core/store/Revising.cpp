// Changes made from the command line: several edits of one record at once,
// finishing any to-do, and taking in another store's records.
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"

namespace cadro {

void ThreadStore::reviseTodo(const Uuid& id, const TodoRevision& revision, Save when) {
    ChangeScope scope(*this);
    deferWrite(when);
    if (!findTodo(id))
        return;
    Todo* todo = editTodo(id);
    if (revision.title)
        todo->title = *revision.title;
    if (revision.minutes)
        todo->estimatedMinutes = *revision.minutes;
    if (revision.schedule) {
        todo->schedule = *revision.schedule;
        // The new schedule fires from its own start.
        todo->lastFiredAt.reset();
    }
    markUnsaved();
}

void ThreadStore::finishTodo(const Uuid& id) {
    ChangeScope scope(*this);
    if (state_.currentTodoID == id) {
        completeCurrentTodo();
        return;
    }
    const Todo* todo = findTodo(id);
    if (!todo)
        return;
    if (todo->schedule && todo->schedule->nextOccurrence(deps_.clock->now(), calendar())) {
        // Done for now: it comes back at its next time.
        editTodo(id)->snoozedUntil.reset();
        state_.pendingScheduledTodoIDs.erase(id);
        markUnsaved();
        return;
    }
    removeTodo(id);
}

void ThreadStore::wakeTodo(const Uuid& id) {
    ChangeScope scope(*this);
    if (const Todo* todo = findTodo(id); todo && todo->snoozedUntil)
        editTodo(id)->snoozedUntil.reset();
    markUnsaved();
}

void ThreadStore::importRecords(const PersistedState& other) {
    ChangeScope scope(*this);
    std::set<Uuid> taken;
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        for (const auto& thread : state_.threads(kind))
            taken.insert(thread.id);
    }
    for (const auto& todo : state_.todos)
        taken.insert(todo.id);
    auto freshId = [&](Uuid id) {
        while (!taken.insert(id).second)
            id = Uuid::random();
        return id;
    };
    for (auto [kind, from] : {std::pair{ThreadKind::active, &other.active},
                              {ThreadKind::parked, &other.parked},
                              {ThreadKind::snoozed, &other.snoozed}}) {
        for (Strand thread : *from) {
            if (thread.isHygiene)
                continue;  // this store has its own
            thread.id = freshId(thread.id);
            thread.lastSlot.reset();
            if (kind == ThreadKind::active)
                joinRing(std::move(thread));
            else
                list(kind).push_back(std::move(thread));
        }
    }
    for (Todo todo : other.todos) {
        todo.id = freshId(todo.id);
        changed(StoreProperty::todos);
        state_.todos.push_back(std::move(todo));
    }
    afterJoiningRing();
}

}  // namespace cadro
