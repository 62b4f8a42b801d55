#include "core/base/Calendar.h"
#include "core/schedule/TodoSchedule.h"

#include <algorithm>
#include <limits>

// Occurrences are found on calendar days: the two newest (or oldest) days on
// which the rule is active around an instant, then the times on those days.
// The searches look at a bounded window of days or months, so that a rule that
// can never match (weekly without weekdays, a 31st every 2 months from
// February) costs no more than one that does.
//
// Day and month arithmetic is done on day numbers: calendar days and months
// do not depend on the zone, and this keeps a check over a thousand
// schedules cheap. Only turning a day and time into an instant asks the zone.

namespace cadro {
namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
// The days Calendar accepts; a day outside cannot be composed.
constexpr std::int64_t kFirstDay = dayNumberFromCivil({1601, 1, 2});
constexpr std::int64_t kLastDay = dayNumberFromCivil({9998, 12, 30});
constexpr std::int64_t kFirstMonth = monthIndex(1601, 2);
constexpr std::int64_t kLastMonth = monthIndex(9998, 11);

std::int64_t stepOf(const RepeatRule& rule) {
    return std::max<std::int64_t>(1, rule.interval);
}

// a * b + c, saturating at the largest value (all arguments non-negative).
std::int64_t saturatingWindow(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (a > (kInt64Max - c) / b) {
        return kInt64Max;
    }
    return a * b + c;
}

struct Search {
    const RepeatRule& rule;
    std::int64_t step;
    std::int64_t startDay;
    CivilDate start;
    int firstWeekday;
};

std::int64_t weekStart(std::int64_t day, int firstWeekday) {
    return day - floorMod(weekdayOfDayNumber(day) - firstWeekday, 7);
}

bool hasWeekday(const RepeatRule& rule, std::int64_t day) {
    return rule.weekdays.count(weekdayOfDayNumber(day)) != 0;
}

bool hasValidWeekday(const RepeatRule& rule) {
    return std::any_of(rule.weekdays.begin(), rule.weekdays.end(),
                       [](std::int64_t weekday) { return weekday >= 1 && weekday <= 7; });
}

// Whole months from the start day to a later day: a month is complete when
// the same day of month (or the month's last day, if it is shorter) has come.
std::int64_t monthsFromStart(const CivilDate& start, const CivilDate& day) {
    const std::int64_t months =
        monthIndex(day.year, day.month) - monthIndex(start.year, start.month);
    const std::int64_t anniversary =
        std::min<std::int64_t>(start.day, daysInMonth(day.year, day.month));
    return anniversary > day.day ? months - 1 : months;
}

std::int64_t dayOfMonthFor(const Search& search) {
    return search.rule.dayOfMonth.value_or(search.start.day);
}

// The day with day-of-month `dom` in month index `month`, if it has one.
std::optional<CivilDate> dayInMonth(std::int64_t month, std::int64_t dom) {
    const CivilDate first{floorDiv(month, 12), floorMod(month, 12) + 1, 1};
    if (dom < 1 || dom > daysInMonth(first.year, first.month)) {
        return std::nullopt;
    }
    return CivilDate{first.year, first.month, dom};
}

std::vector<std::int64_t> recentDays(const Search& search, std::int64_t endDay) {
    std::vector<std::int64_t> days;
    const std::int64_t startDay = search.startDay;
    if (endDay < startDay) {
        return days;
    }
    const std::int64_t step = search.step;
    switch (search.rule.unit) {
        case RepeatUnit::day: {
            const std::int64_t elapsed = endDay - startDay;
            for (std::int64_t k = elapsed - elapsed % step; k >= 0 && days.size() < 2; k -= step) {
                days.push_back(startDay + k);
            }
            break;
        }
        case RepeatUnit::week: {
            if (!hasValidWeekday(search.rule)) {
                break;
            }
            const std::int64_t window = saturatingWindow(21, step, 7);
            const std::int64_t lowest = window >= endDay - startDay ? startDay : endDay - window;
            const std::int64_t firstWeek = weekStart(startDay, search.firstWeekday);
            std::int64_t day = endDay;
            while (day >= lowest && days.size() < 2) {
                if (search.rule.interval > 1) {
                    const std::int64_t week = weekStart(day, search.firstWeekday);
                    const std::int64_t behind = ((week - firstWeek) / 7) % step;
                    if (behind != 0) {
                        // Straight to the last day of the nearest active week.
                        day = week - 7 * (behind - 1) - 1;
                        continue;
                    }
                }
                if (hasWeekday(search.rule, day)) {
                    days.push_back(day);
                }
                --day;
            }
            break;
        }
        case RepeatUnit::month: {
            const std::int64_t dom = dayOfMonthFor(search);
            const CivilDate end = civilFromDayNumber(endDay);
            const std::int64_t endMonth = monthIndex(end.year, end.month);
            const std::int64_t window = saturatingWindow(14, step, 24);
            const std::int64_t startMonth = monthIndex(search.start.year, search.start.month);
            const std::int64_t lowest =
                std::max({startMonth, kFirstMonth,
                          window >= endMonth - startMonth ? startMonth : endMonth - window});
            std::int64_t month = endMonth;
            while (month >= lowest && days.size() < 2) {
                const auto candidate = dayInMonth(month, dom);
                if (candidate) {
                    const std::int64_t day = dayNumberFromCivil(*candidate);
                    if (day >= startDay && day <= endDay) {
                        const std::int64_t behind =
                            monthsFromStart(search.start, *candidate) % step;
                        if (behind == 0) {
                            days.push_back(day);
                        } else if (behind >= 2) {
                            // The months between cannot complete a multiple
                            // of the step: each adds at most one month.
                            month -= behind - 1;
                            continue;
                        }
                    }
                }
                --month;
            }
            break;
        }
    }
    return days;
}

std::vector<std::int64_t> futureDays(const Search& search, std::int64_t fromDay) {
    std::vector<std::int64_t> days;
    const std::int64_t startDay = search.startDay;
    const std::int64_t step = search.step;
    switch (search.rule.unit) {
        case RepeatUnit::day: {
            const std::int64_t elapsed = std::max(startDay, fromDay) - startDay;
            const std::int64_t remainder = elapsed % step;
            std::int64_t k = elapsed;
            if (remainder != 0 && __builtin_add_overflow(elapsed, step - remainder, &k)) {
                break;
            }
            while (days.size() < 2) {
                std::int64_t day = 0;
                // Once a day lies beyond the calendar, every later one does.
                if (__builtin_add_overflow(startDay, k, &day) || day > kLastDay) {
                    break;
                }
                days.push_back(day);
                if (__builtin_add_overflow(k, step, &k)) {
                    break;
                }
            }
            break;
        }
        case RepeatUnit::week: {
            if (!hasValidWeekday(search.rule)) {
                break;
            }
            // The window opens at the start day when that is later, as for
            // daily rules: a schedule starting weeks ahead still has a next
            // occurrence.
            const std::int64_t base = std::max(startDay, fromDay);
            const std::int64_t window = saturatingWindow(21, step, 7);
            const std::int64_t highest = window >= kLastDay - base ? kLastDay : base + window;
            const std::int64_t firstWeek = weekStart(startDay, search.firstWeekday);
            std::int64_t day = base;
            while (day <= highest && days.size() < 2) {
                if (search.rule.interval > 1) {
                    const std::int64_t week = weekStart(day, search.firstWeekday);
                    const std::int64_t behind = ((week - firstWeek) / 7) % step;
                    if (behind != 0) {
                        // Straight to the first day of the next active week.
                        std::int64_t ahead = 0;
                        if (__builtin_mul_overflow(step - behind, 7, &ahead) ||
                            __builtin_add_overflow(week, ahead, &day)) {
                            break;
                        }
                        continue;
                    }
                }
                if (hasWeekday(search.rule, day)) {
                    days.push_back(day);
                }
                ++day;
            }
            break;
        }
        case RepeatUnit::month: {
            const std::int64_t dom = dayOfMonthFor(search);
            const CivilDate from = civilFromDayNumber(fromDay);
            const std::int64_t fromMonth = monthIndex(from.year, from.month);
            const std::int64_t startMonth = monthIndex(search.start.year, search.start.month);
            const std::int64_t base = std::max(fromMonth, startMonth);
            const std::int64_t window = saturatingWindow(14, step, 24);
            const std::int64_t highest = window >= kLastMonth - base ? kLastMonth : base + window;
            std::int64_t month = base;
            while (month <= highest && days.size() < 2) {
                const auto candidate = dayInMonth(month, dom);
                if (candidate) {
                    const std::int64_t day = dayNumberFromCivil(*candidate);
                    if (day >= startDay && day >= fromDay) {
                        const std::int64_t behind =
                            monthsFromStart(search.start, *candidate) % step;
                        if (behind == 0) {
                            days.push_back(day);
                        } else if (step - behind >= 2) {
                            // As above: no multiple before that many months.
                            if (__builtin_add_overflow(month, step - behind - 1, &month)) {
                                break;
                            }
                            continue;
                        }
                    }
                }
                ++month;
            }
            break;
        }
    }
    return days;
}

// The active days around `instant` (recent or future), as day numbers; the
// start day alone for a one-off schedule.
std::optional<std::vector<std::int64_t>> activeDays(const TodoSchedule& schedule, Date instant,
                                                    bool future, const Calendar& calendar) {
    const auto day = calendar.dayNumber(instant);
    const auto start = calendar.civilDate(schedule.startDate);
    if (!day || !start) {
        return std::nullopt;
    }
    if (!schedule.repeatRule) {
        return std::vector<std::int64_t>{dayNumberFromCivil(*start)};
    }
    const Search search{*schedule.repeatRule, stepOf(*schedule.repeatRule),
                        dayNumberFromCivil(*start), *start, calendar.firstWeekday()};
    return future ? futureDays(search, *day) : recentDays(search, *day);
}

std::vector<TimeOfDay> sortedTimes(const TodoSchedule& schedule) {
    std::vector<TimeOfDay> times = schedule.times;
    std::sort(times.begin(), times.end());
    return times;
}

}  // namespace

std::optional<Date> TodoSchedule::occurrence(Date onOrBefore, const Calendar& calendar) const {
    if (times.empty()) {
        return std::nullopt;
    }
    const auto days = activeDays(*this, onOrBefore, false, calendar);
    if (!days) {
        return std::nullopt;
    }
    const auto sorted = sortedTimes(*this);
    for (const std::int64_t day : *days) {
        const CivilDate date = civilFromDayNumber(day);
        for (auto time = sorted.rbegin(); time != sorted.rend(); ++time) {
            const auto candidate =
                calendar.compose(date.year, date.month, date.day, time->hour, time->minute, 0);
            if (candidate && *candidate <= onOrBefore) {
                return candidate;
            }
        }
    }
    return std::nullopt;
}

std::optional<Date> TodoSchedule::nextOccurrence(Date after, const Calendar& calendar) const {
    if (times.empty()) {
        return std::nullopt;
    }
    const auto days = activeDays(*this, after, true, calendar);
    if (!days) {
        return std::nullopt;
    }
    const auto sorted = sortedTimes(*this);
    for (const std::int64_t day : *days) {
        const CivilDate date = civilFromDayNumber(day);
        for (const auto& time : sorted) {
            const auto candidate =
                calendar.compose(date.year, date.month, date.day, time.hour, time.minute, 0);
            if (candidate && *candidate > after) {
                return candidate;
            }
        }
    }
    return std::nullopt;
}

}  // namespace cadro
