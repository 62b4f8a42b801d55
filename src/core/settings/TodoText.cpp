#include "core/settings/TodoText.h"

#include "core/schedule/ScheduleLabels.h"
#include "core/store/TodoFinish.h"

namespace cadro {

std::string estimateLabel(std::int64_t minutes) {
    for (const Estimate& estimate : kEstimates) {
        if (estimate.minutes == minutes)
            return std::string(estimate.label);
    }
    return std::to_string(minutes) + " min";
}

TodoRowText describeTodoRow(const ThreadStore& store, const Todo& todo, const Calendar& calendar,
                            Date now) {
    TodoRowText text;
    text.title = todo.title;
    text.isUp = store.state().currentTodoID == todo.id;
    if (todo.snoozedUntil && *todo.snoozedUntil > now)
        text.until = "Until " + formatWakeTime(*todo.snoozedUntil, calendar, now);
    if (todo.schedule)
        text.schedule = shortLabel(*todo.schedule, calendar);
    if (neverComesUp(store, todo, now, calendar))
        *text.schedule += " \xC2\xB7 never comes up";
    if (todo.estimatedMinutes)
        text.estimate = estimateLabel(*todo.estimatedMinutes);

    for (const auto& part : {text.until, text.schedule, text.estimate}) {
        if (!part)
            continue;
        if (!text.description.empty())
            text.description += ", ";
        text.description += *part;
    }
    return text;
}

}  // namespace cadro
