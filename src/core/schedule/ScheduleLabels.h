#pragma once

#include "core/base/Date.h"
#include "core/schedule/TodoSchedule.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

class Calendar;

/// The numbers 1-7 of the set, ascending; anything else is ignored.
std::vector<int> orderedWeekdays(const std::set<std::int64_t>& weekdays);
/// "Sun" ... "Sat" for 1-7, "" otherwise.
std::string_view shortWeekday(std::int64_t weekday);
/// "Sunday" ... "Saturday" for 1-7, "" otherwise.
std::string_view longWeekday(std::int64_t weekday);

/// "07:30", "07:30 +2" (the earliest time and the count of the others), "";
/// each time as formatClock writes it.
std::string timesLabel(const std::vector<TimeOfDay>& times, const Calendar& calendar);
/// Short form of a rule: "Daily", "Every 3d", "Mon Wed Fri", "Every 2w · Mon",
/// "Day 15", "Every 3mo · Day 15". The day of month falls back to the start
/// day's in `calendar`.
std::string repeatLabel(const RepeatRule& rule, const TodoSchedule& schedule,
                        const Calendar& calendar);
/// Long form: "every day", "every Monday, Thursday", "day 15 every 3 months".
std::string repeatPhrase(const RepeatRule& rule, const TodoSchedule& schedule,
                         const Calendar& calendar);
/// "Daily · 09:00", "Mar 4 · 2:00 PM +1": the to-do list's label.
std::string shortLabel(const TodoSchedule& schedule, const Calendar& calendar);
/// "↺ every Monday, Thursday at 08:00, 17:30": the status menu's line.
std::string menuDescription(const TodoSchedule& schedule, const Calendar& calendar);

/// "Mar 4": the fixed pattern "MMM d" with the month names of the
/// calendar's locale ("März 4" in de_DE).
std::string formatDay(Date date, const Calendar& calendar);

/// One button of the weekday picker.
struct WeekdayChoice {
    std::int64_t weekday = 1;  // 1 = Sunday
    std::string label;         // the locale's short name: "Mo", "Di."
    std::string name;          // the full name, for assistive technology: "Monday"

    friend bool operator==(const WeekdayChoice&, const WeekdayChoice&) = default;
};

/// The seven weekdays in the order of the calendar's locale, starting on its
/// first weekday, named in its language.
std::vector<WeekdayChoice> weekdayChoices(const Calendar& calendar);

/// "45 min", "2h", "1h 30m".
std::string durationLabel(std::int64_t minutes);

/// Whether the calendar's locale writes times on the 24-hour clock (de_DE,
/// en_GB, the POSIX locale) rather than the 12-hour one (en_US).
bool uses24HourClock(const Calendar& calendar);
/// A time of day in the locale's habit: "09:30" or "9:30 AM". Every clock
/// time Cadro shows is written this way, so a line never mixes the two.
std::string formatClock(const TimeOfDay& time, const Calendar& calendar);

/// A wake-up time in the locale's short date and time, with the locale's
/// relative day names where they apply ("tomorrow, 9:00 AM"). Days are
/// counted from `now`, not from the system clock.
std::string formatWakeTime(Date date, const Calendar& calendar, Date now);

}  // namespace cadro
