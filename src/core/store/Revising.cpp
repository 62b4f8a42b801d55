// Changes made from the command line: several edits of one record at once,
// finishing any to-do, and taking in another store's records.
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"
#include "core/store/TodoFinish.h"

namespace cadro {

void ThreadStore::reviseTodo(const Uuid& id, const TodoRevision& revision, Save when) {
    ChangeScope scope(*this);
    deferWrite(when);
    name(titled("Edit", id));
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

void ThreadStore::finishTodo(Uuid id) {
    ChangeScope scope(*this);
    name(titled("Finished", id));
    if (state_.currentTodoID == id) {
        completeCurrentTodo();
        return;
    }
    const Todo* todo = findTodo(id);
    if (!todo)
        return;
    const TodoFinish finish =
        planFinish(*todo, isUpOrWaiting(*this, *todo), deps_.clock->now(), calendar());
    if (!finish.next) {
        removeTodo(id);
        return;
    }
    // Done for now: it comes back at its next time, not at the one done.
    Todo* kept = editTodo(id);
    kept->snoozedUntil.reset();
    if (finish.finishes && (!kept->lastFiredAt || *kept->lastFiredAt < *finish.finishes))
        kept->lastFiredAt = finish.finishes;
    state_.pendingScheduledTodoIDs.erase(id);
    markUnsaved();
}

void ThreadStore::wakeTodo(const Uuid& id) {
    ChangeScope scope(*this);
    name(titled("Wake", id));
    if (const Todo* todo = findTodo(id); todo && todo->snoozedUntil)
        editTodo(id)->snoozedUntil.reset();
    markUnsaved();
}

void ThreadStore::importRecords(const PersistedState& other) {
    ChangeScope scope(*this);
    name("Import");
    std::set<Uuid> taken;
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        for (const auto& thread : state_.threads(kind))
            taken.insert(thread.id);
    }
    for (const auto& todo : state_.todos)
        taken.insert(todo.id);
    // A record whose id is here already is the same record: importing one
    // export twice adds nothing the second time.
    auto isNew = [&](const Uuid& id) { return taken.insert(id).second; };
    for (auto [kind, from] : {std::pair{ThreadKind::active, &other.active},
                              {ThreadKind::parked, &other.parked},
                              {ThreadKind::snoozed, &other.snoozed}}) {
        for (Strand thread : *from) {
            if (thread.isHygiene || !isNew(thread.id))
                continue;  // this store has its own hygiene thread
            thread.lastSlot.reset();
            if (kind == ThreadKind::active)
                joinRing(std::move(thread));
            else
                list(kind).push_back(std::move(thread));
        }
    }
    for (Todo todo : other.todos) {
        if (!isNew(todo.id))
            continue;
        changed(StoreProperty::todos);
        state_.todos.push_back(std::move(todo));
    }
    afterJoiningRing();
}

void ThreadStore::replaceRecords(PersistedState other) {
    ChangeScope scope(*this);
    other.requests = state_.requests;  // answered commands stay answered
    adopt(std::move(other));
    ensureHygiene();
    markUnsaved();
}

}  // namespace cadro
