#include "core/store/TodoFinish.h"

#include "core/base/Calendar.h"

namespace cadro {

TodoFinish planFinish(const Todo& todo, bool waiting, Date now, const Calendar& calendar) {
    if (!todo.schedule)
        return {};
    const TodoSchedule& schedule = *todo.schedule;
    if (waiting)
        return {todo.lastFiredAt, schedule.nextOccurrence(now, calendar)};
    // A time earlier today that never came up (the day opened after it) is
    // the one a person means when they say it is done.
    const auto passed = schedule.occurrence(now, calendar);
    if (passed && passed != todo.lastFiredAt &&
        calendar.dayNumber(*passed) == calendar.dayNumber(now)) {
        return {passed, schedule.nextOccurrence(now, calendar)};
    }
    const auto upcoming = schedule.nextOccurrence(now, calendar);
    if (!upcoming)
        return {};
    return {upcoming, schedule.nextOccurrence(*upcoming, calendar)};
}

bool isUpOrWaiting(const ThreadStore& store, const Todo& todo) {
    return store.state().currentTodoID == todo.id || todo.snoozedUntil ||
           store.state().pendingScheduledTodoIDs.count(todo.id);
}

bool neverComesUp(const ThreadStore& store, const Todo& todo, Date now, const Calendar& calendar) {
    return todo.schedule && !isUpOrWaiting(store, todo) &&
           !todo.schedule->nextOccurrence(now, calendar);
}

}  // namespace cadro
