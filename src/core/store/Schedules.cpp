// Firing scheduled to-dos: noticing occurrences that have just passed and
// putting one fired to-do on screen at a time.
#include "core/base/Calendar.h"
#include "core/store/ChangeScope.h"
#include "core/store/ThreadStore.h"

namespace cadro {
namespace {

// An occurrence older than this is never fired late.
constexpr double kFiringWindowSeconds = 60;

}  // namespace

void ThreadStore::processSchedules(Date now, bool canPresent) {
    ChangeScope scope(*this);
    if (!state_.sessionOpen)
        return;

    bool changedAnything = false;
    for (std::size_t i = 0; i < state_.todos.size(); ++i) {
        const Todo& todo = state_.todos[i];
        if (!todo.schedule)
            continue;
        auto occurrence = todo.schedule->occurrence(now, calendar());
        if (occurrence && now - *occurrence <= kFiringWindowSeconds &&
            todo.lastFiredAt != occurrence) {
            changed(StoreProperty::todos);
            state_.todos[i].lastFiredAt = occurrence;
            state_.pendingScheduledTodoIDs.insert(todo.id);
            changedAnything = true;
        }
        // A snoozed or pushed-back scheduled to-do asks to be shown again.
        if (todo.snoozedUntil && *todo.snoozedUntil <= now) {
            state_.pendingScheduledTodoIDs.insert(todo.id);
        }
    }

    if (canPresent) {
        for (const auto& todo : state_.todos) {
            if (state_.pendingScheduledTodoIDs.count(todo.id)) {
                presentScheduled(todo.id, now);
                markUnsaved();
                return;
            }
        }
    }
    if (changedAnything)
        markUnsaved();
}

void ThreadStore::presentScheduled(const Uuid& id, Date now) {
    state_.pendingScheduledTodoIDs.erase(id);
    if (Todo* todo = editTodo(id))
        todo->snoozedUntil.reset();
    if (state_.currentTodoID && *state_.currentTodoID != id) {
        if (Todo* shown = editTodo(*state_.currentTodoID)) {
            if (shown->schedule) {
                // Set aside the way the snooze shortcut would.
                shown->snoozedUntil = now + static_cast<double>(state_.defaultSnoozeMinutes) * 60.0;
            } else {
                setInterruptedTodoID(shown->id);  // it comes back after this one
            }
        }
    }
    setCurrentTodoID(id);
}

}  // namespace cadro
