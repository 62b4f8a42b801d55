#pragma once

#include "core/base/Date.h"
#include "core/base/Uuid.h"
#include "core/schedule/TodoSchedule.h"

#include <cstdint>
#include <set>
#include <vector>

namespace cadro {

class Calendar;

/// One time in the schedule form; only the hour and minute of `date` count.
struct TimeRow {
    Uuid id = Uuid::random();
    Date date;

    friend bool operator==(const TimeRow&, const TimeRow&) = default;
};

/// What the schedule form shows while it is edited. It keeps every repeat
/// setting even when it does not apply, so switching the unit back and forth
/// loses nothing; only schedule() decides what is saved.
struct ScheduleDraft {
    Date date;  // the start day; its time of day is given to added rows
    std::vector<TimeRow> timeRows;
    bool repeats = false;
    std::int64_t interval = 1;
    RepeatUnit unit = RepeatUnit::week;
    std::set<std::int64_t> weekdays;
    std::int64_t dayOfMonth = 1;

    /// A one-off at the next whole minute; turning "Repeats" on offers every
    /// week on that day's weekday.
    static ScheduleDraft makeNew(Date now, const Calendar& calendar);
    /// The form for a stored schedule. Rows carry today's date at each time.
    static ScheduleDraft fromSchedule(const TodoSchedule& schedule, Date now,
                                      const Calendar& calendar);

    /// The schedule the form describes: times deduplicated and sorted, and
    /// only the settings that apply to the chosen unit.
    TodoSchedule schedule(const Calendar& calendar) const;
    /// False without times, or repeating weekly on no weekday.
    bool isValid() const;

    /// "Add time": a new row at the time held in `date`.
    void addTime();
    /// Removes a row, but never the last one.
    void removeTime(const Uuid& id);
};

}  // namespace cadro
