// Compares occurrence and nextOccurrence with a reference written from the
// rules' plain meaning: walk the calendar day by day from the start day and
// list every occurrence, using only Calendar's own day, week and month
// operations.

#include "core/base/Calendar.h"
#include "core/schedule/TodoSchedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace cadro {
namespace {

// Every occurrence from the start day through `lastDay`, ascending. Days
// and weeks are counted as the walk passes them (a week begins on the
// locale's first weekday); months with Calendar's month count.
std::vector<Date> allOccurrences(const TodoSchedule& schedule, Date lastDay,
                                 const Calendar& calendar) {
    std::vector<TimeOfDay> times = schedule.times;
    std::sort(times.begin(), times.end());
    const Date startDay = calendar.startOfDay(schedule.startDate);
    const auto& rule = schedule.repeatRule;
    const std::int64_t step = rule ? std::max<std::int64_t>(1, rule->interval) : 1;
    const int startDom = calendar.day(startDay);
    std::vector<Date> result;
    std::int64_t weeksWalked = 0;
    // Noon is never skipped or repeated, so it marks each day safely.
    Date noon =
        *calendar.compose(calendar.year(startDay), calendar.month(startDay), startDom, 12, 0, 0);
    for (std::int64_t daysWalked = 0; noon <= lastDay; ++daysWalked) {
        const CivilDate date = *calendar.civilDate(noon);
        const int weekday = calendar.weekday(noon);
        bool active = false;
        if (!rule) {
            active = daysWalked == 0;
        } else if (rule->unit == RepeatUnit::day) {
            active = daysWalked % step == 0;
        } else if (rule->unit == RepeatUnit::week) {
            if (daysWalked > 0 && weekday == calendar.firstWeekday()) {
                ++weeksWalked;
            }
            active = rule->weekdays.count(weekday) != 0 &&
                     (rule->interval <= 1 || weeksWalked % step == 0);
        } else {
            active = date.day == rule->dayOfMonth.value_or(startDom) &&
                     *calendar.monthsBetween(startDay, calendar.startOfDay(noon)) % step == 0;
        }
        if (active) {
            for (const auto& time : times) {
                result.push_back(
                    *calendar.compose(date.year, date.month, date.day, time.hour, time.minute, 0));
            }
        }
        noon = *calendar.addDays(noon, 1);
    }
    std::sort(result.begin(), result.end());
    return result;
}

TEST(OccurrenceCrossCheckTest, AgreesWithADayByDayWalk) {
    std::mt19937 random(20260304);
    auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const std::unique_ptr<Calendar> calendars[] = {
        Calendar::make("Europe/Berlin", "de_DE"),
        Calendar::make("America/New_York", "en_US"),
        Calendar::make("Australia/Lord_Howe", "en_AU"),
    };
    int compared = 0;
    for (int i = 0; i < 300; ++i) {
        const Calendar& calendar = *calendars[i % 3];
        TodoSchedule schedule;
        schedule.startDate = *calendar.compose(2025, uniform(1, 12), uniform(1, 31), uniform(0, 23),
                                               uniform(0, 59), 0);
        for (int t = uniform(1, 3); t > 0; --t) {
            // Whole and half hours, so that some land in daylight-saving gaps.
            schedule.times.push_back({uniform(0, 23), uniform(0, 1) * 30 + uniform(0, 1) * 15});
        }
        const int kind = i % 4;  // one-off, daily, weekly, monthly
        if (kind > 0) {
            RepeatRule rule;
            rule.unit = static_cast<RepeatUnit>(kind - 1);
            rule.interval = uniform(1, 4);
            for (int weekday = 1; weekday <= 7; ++weekday) {
                if (uniform(0, 2) == 0) {
                    rule.weekdays.insert(weekday);
                }
            }
            if (rule.weekdays.empty()) {
                rule.weekdays.insert(uniform(1, 7));
            }
            if (uniform(0, 1) == 0) {
                rule.dayOfMonth = uniform(1, 31);
            }
            schedule.repeatRule = rule;
        }
        SCOPED_TRACE("schedule " + std::to_string(i) + " in " + calendar.zoneId());
        const Date lastDay = *calendar.compose(2027, 6, 30, 0, 0, 0);
        const Date lastProbe = *calendar.compose(2026, 6, 30, 0, 0, 0);
        const auto reference = allOccurrences(schedule, lastDay, calendar);
        for (int probe = 0; probe < 6; ++probe) {
            // Random instants, and instants on and next to occurrences.
            Date instant =
                *calendar.compose(2024, 12, uniform(1, 570), uniform(0, 23), uniform(0, 59), 0);
            // The reference runs a year past the probes, more than the
            // longest gap between occurrences.
            const auto probeEnd = std::lower_bound(reference.begin(), reference.end(), lastProbe);
            if (probe >= 3 && probeEnd != reference.begin()) {
                const int count = static_cast<int>(probeEnd - reference.begin());
                instant = reference[static_cast<std::size_t>(uniform(0, count - 1))] + (probe - 4);
            }
            std::optional<Date> latest, next;
            const auto upper = std::upper_bound(reference.begin(), reference.end(), instant);
            if (upper != reference.begin()) {
                latest = *(upper - 1);
            }
            if (upper != reference.end()) {
                next = *upper;
            }
            ASSERT_EQ(schedule.occurrence(instant, calendar), latest)
                << "at unix " << instant.toUnix();
            ASSERT_EQ(schedule.nextOccurrence(instant, calendar), next)
                << "after unix " << instant.toUnix();
            ++compared;
        }
    }
    EXPECT_EQ(compared, 1800);
}

}  // namespace
}  // namespace cadro
