#include "core/schedule/ScheduleDraft.h"

#include "core/base/Calendar.h"

#include <algorithm>
#include <cmath>

namespace cadro {

ScheduleDraft ScheduleDraft::makeNew(Date now, const Calendar& calendar) {
    // The current minute has begun, so it would never come up: the form
    // starts at the next one, tomorrow's first just before midnight.
    const Date start = Date::fromUnix((std::floor(now.toUnix() / 60.0) + 1.0) * 60.0);
    ScheduleDraft draft;
    draft.date = start;
    draft.timeRows.push_back(TimeRow{Uuid::random(), start});
    draft.weekdays = {calendar.weekday(start)};
    draft.dayOfMonth = calendar.day(start);
    return draft;
}

ScheduleDraft ScheduleDraft::fromSchedule(const TodoSchedule& schedule, Date now,
                                          const Calendar& calendar) {
    // A start date the calendar cannot read (damaged file) borrows today's
    // weekday and day rather than showing nothing selected.
    const Date reference = Calendar::inRange(schedule.startDate) ? schedule.startDate : now;
    const std::int64_t weekday = calendar.weekday(reference);
    const std::int64_t day = calendar.day(reference);

    ScheduleDraft draft;
    draft.date = schedule.startDate;
    auto times = schedule.times;
    std::sort(times.begin(), times.end());
    for (const auto& time : times) {
        const auto at = calendar.compose(calendar.year(now), calendar.month(now), calendar.day(now),
                                         time.hour, time.minute, 0);
        draft.timeRows.push_back(TimeRow{Uuid::random(), at.value_or(now)});
    }
    if (times.empty()) {
        draft.timeRows.push_back(TimeRow{Uuid::random(), schedule.startDate});
    }
    draft.weekdays = {weekday};
    draft.dayOfMonth = day;
    if (const auto& rule = schedule.repeatRule) {
        draft.repeats = true;
        draft.interval = rule->interval;
        draft.unit = rule->unit;
        if (!rule->weekdays.empty()) {
            draft.weekdays = rule->weekdays;
        }
        draft.dayOfMonth = rule->dayOfMonth.value_or(day);
    }
    return draft;
}

TodoSchedule ScheduleDraft::schedule(const Calendar& calendar) const {
    TodoSchedule result;
    result.startDate = date;
    for (const auto& row : timeRows) {
        result.times.push_back({calendar.hour(row.date), calendar.minute(row.date)});
    }
    std::sort(result.times.begin(), result.times.end());
    result.times.erase(std::unique(result.times.begin(), result.times.end()), result.times.end());
    if (repeats) {
        RepeatRule rule;
        rule.interval = std::max<std::int64_t>(1, interval);
        rule.unit = unit;
        if (unit == RepeatUnit::week) {
            rule.weekdays = weekdays;
        }
        if (unit == RepeatUnit::month) {
            rule.dayOfMonth = dayOfMonth;
        }
        result.repeatRule = rule;
    }
    return result;
}

bool ScheduleDraft::isValid() const {
    if (timeRows.empty()) {
        return false;
    }
    return !(repeats && unit == RepeatUnit::week && weekdays.empty());
}

void ScheduleDraft::addTime() {
    timeRows.push_back(TimeRow{Uuid::random(), date});
}

void ScheduleDraft::removeTime(const Uuid& id) {
    if (timeRows.size() < 2) {
        return;
    }
    std::erase_if(timeRows, [&](const TimeRow& row) { return row.id == id; });
}

}  // namespace cadro
