#include "core/actions/Actions.h"

namespace cadro::actions {
namespace {

bool inRing(const ThreadStore& store, const Uuid& id) {
    return store.state().kindOf(id) == ThreadKind::active;
}

ActionResult noSuchItem() {
    return ActionResult::refused("that thread or to-do no longer exists");
}

}  // namespace

ActionResult startDay(ThreadStore& store) {
    store.startDay();
    return ActionResult::done();
}

ActionResult endDay(ThreadStore& store) {
    store.endDay();
    return ActionResult::done();
}

ActionResult next(ThreadStore& store) {
    if (!store.state().currentTodo() && !store.state().current())
        return ActionResult::nothingToDo("nothing is current");
    store.next();
    return ActionResult::done();
}

ActionResult wakeDueSnoozes(ThreadStore& store) {
    store.wakeDueSnoozes(true);
    return ActionResult::done();
}

ActionResult processSchedules(ThreadStore& store, Date now, bool canPresent) {
    store.processSchedules(now, canPresent);
    return ActionResult::done();
}

ActionResult tick(ThreadStore& store, Date now, bool canPresent) {
    wakeDueSnoozes(store);
    return processSchedules(store, now, canPresent);
}

ActionResult setCurrentStep(ThreadStore& store, std::string step) {
    const Strand* current = store.state().current();
    if (!current)
        return ActionResult::nothingToDo("no thread is current");
    store.reviseThread(current->id, {.step = std::move(step)});
    return ActionResult::done();
}

ActionResult addThread(ThreadStore& store, Strand thread) {
    if (thread.title.empty())
        return ActionResult::refused("the title is empty");
    store.addThread(std::move(thread));
    return ActionResult::done();
}

ActionResult addTodo(ThreadStore& store, const std::string& title,
                     std::optional<std::int64_t> minutes, std::optional<TodoSchedule> schedule,
                     Uuid* created) {
    auto id = store.addTodo(title, minutes, std::move(schedule));
    if (!id)
        return ActionResult::refused("the title is empty");
    if (created)
        *created = *id;
    return ActionResult::done();
}

ActionResult reviseThread(ThreadStore& store, const Uuid& id, const ThreadRevision& revision,
                          Save when) {
    if (!store.state().kindOf(id))
        return noSuchItem();
    store.reviseThread(id, revision, when);
    return ActionResult::done();
}

ActionResult reviseTodo(ThreadStore& store, const Uuid& id, const TodoRevision& revision,
                        Save when) {
    if (!store.state().todo(id))
        return noSuchItem();
    store.reviseTodo(id, revision, when);
    return ActionResult::done();
}

ActionResult moveActive(ThreadStore& store, const std::vector<std::size_t>& offsets,
                        std::size_t destination) {
    const std::size_t size = store.state().active.size();
    if (destination > size)
        return ActionResult::refused("there is no such place in the ring");
    for (std::size_t offset : offsets) {
        if (offset >= size)
            return ActionResult::refused("there is no such place in the ring");
    }
    store.moveActive(offsets, destination);
    return ActionResult::done();
}

ActionResult importRecords(ThreadStore& store, const PersistedState& other) {
    store.importRecords(other);
    return ActionResult::done();
}

ActionResult replaceRecords(ThreadStore& store, const PersistedState& other) {
    store.replaceRecords(other);
    return ActionResult::done();
}

ActionResult remove(ThreadStore& store, const Uuid& id) {
    if (store.state().todo(id)) {
        store.remove(id);
        return ActionResult::done();
    }
    const auto thread = store.state().strand(id);
    if (!thread)
        return noSuchItem();
    if (thread->isHygiene)
        return ActionResult::refused(
            "\xE2\x80\x9C" + thread->title +
            "\xE2\x80\x9D keeps Cadro itself in the ring; park it instead");
    store.remove(id);
    return ActionResult::done();
}

ActionResult park(ThreadStore& store, const Uuid& id) {
    if (!inRing(store, id))
        return ActionResult::nothingToDo("the thread is not in the ring");
    store.park(id);
    return ActionResult::done();
}

ActionResult unpark(ThreadStore& store, const Uuid& id) {
    if (store.state().kindOf(id) != ThreadKind::parked)
        return ActionResult::nothingToDo("the thread is not parked");
    store.unpark(id);
    return ActionResult::done();
}

ActionResult snooze(ThreadStore& store, const Uuid& id, Date until) {
    if (store.state().todo(id)) {
        store.snooze(id, until);
    } else if (inRing(store, id)) {
        store.snooze(id, until);
    } else {
        return ActionResult::nothingToDo("it is not in the ring nor a to-do");
    }
    return ActionResult::done();
}

ActionResult wake(ThreadStore& store, const Uuid& id) {
    if (auto todo = store.state().todo(id); todo && todo->snoozedUntil) {
        store.wake(id);
    } else if (store.state().kindOf(id) == ThreadKind::snoozed) {
        store.wake(id);
    } else {
        return ActionResult::nothingToDo("it is not snoozed");
    }
    return ActionResult::done();
}

ActionResult finishTodo(ThreadStore& store, const Uuid& id) {
    if (!store.state().todo(id))
        return noSuchItem();
    store.finishTodo(id);
    return ActionResult::done();
}

ActionResult editBrainDump(ThreadStore& store, std::string text, Save when) {
    const std::string asked = text;
    if (store.editBrainDump(std::move(text), when))
        return ActionResult::done();
    // Another editor's text won: the problem says where this text went.
    if (store.state().brainDump != asked)
        return ActionResult::nothingToDo(store.brainDumpFileProblem());
    return ActionResult::nothingToDo(store.brainDumpFileProblem() +
                                     "; the brain dump is kept in Cadro only");
}

ActionResult linkBrainDumpFile(ThreadStore& store, const std::string& path) {
    if (!store.linkBrainDumpFile(path))
        return ActionResult::refused(store.brainDumpFileProblem() + "; it is left as it is");
    if (!store.brainDumpFileProblem().empty()) {
        return ActionResult::nothingToDo(store.brainDumpFileProblem() +
                                         "; the brain dump is kept in Cadro only");
    }
    return ActionResult::done();
}

ActionResult unlinkBrainDumpFile(ThreadStore& store) {
    store.linkBrainDumpFile(std::nullopt);
    return ActionResult::done();
}

ActionResult setDefaultSnoozeMinutes(ThreadStore& store, std::int64_t minutes) {
    if (minutes < 1 || minutes > 525'600)
        return ActionResult::refused("the default snooze lies between 1 minute and a year");
    store.setPreferences({.defaultSnoozeMinutes = minutes});
    return ActionResult::done();
}

ActionResult setTodoChancePercent(ThreadStore& store, std::int64_t percent) {
    if (percent < 0 || percent > 100)
        return ActionResult::refused("the to-do chance lies between 0 and 100 percent");
    store.setPreferences({.todoChancePercent = percent});
    return ActionResult::done();
}

}  // namespace cadro::actions
