#pragma once

#include "core/base/Date.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

class Calendar;

/// A wall-clock time. The ranges 0-23 and 0-59 hold in practice but are not
/// enforced; the calendar decides what an hour of 25 means.
struct TimeOfDay {
    std::int64_t hour = 0;
    std::int64_t minute = 0;

    friend auto operator<=>(const TimeOfDay&, const TimeOfDay&) = default;
};

enum class RepeatUnit { day, week, month };

std::string_view toString(RepeatUnit unit);
std::optional<RepeatUnit> repeatUnitFromString(std::string_view text);

struct RepeatRule {
    /// The N of "every N units"; computations use max(1, interval).
    std::int64_t interval = 1;
    RepeatUnit unit = RepeatUnit::day;
    /// Weekday numbers, 1 = Sunday ... 7 = Saturday; used for weekly rules only.
    std::set<std::int64_t> weekdays;
    /// Day of the month for monthly rules; absent means the start day's.
    std::optional<std::int64_t> dayOfMonth;

    friend bool operator==(const RepeatRule&, const RepeatRule&) = default;
};

/// When a scheduled to-do comes up: one or more times of day on a start day,
/// optionally repeating.
struct TodoSchedule {
    /// Only the calendar day of this instant matters.
    Date startDate;
    /// In no particular order; computations sort a copy.
    std::vector<TimeOfDay> times;
    /// Absent: a one-off schedule on the start day.
    std::optional<RepeatRule> repeatRule;

    /// The latest occurrence at or before `onOrBefore`; none for an empty time
    /// list, a weekly rule without weekdays, or a one-off schedule before its
    /// first time.
    std::optional<Date> occurrence(Date onOrBefore, const Calendar& calendar) const;
    /// The earliest occurrence strictly after `after`.
    std::optional<Date> nextOccurrence(Date after, const Calendar& calendar) const;

    friend bool operator==(const TodoSchedule&, const TodoSchedule&) = default;
};

}  // namespace cadro
