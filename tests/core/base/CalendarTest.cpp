#include "core/base/Calendar.h"
#include "core/base/DayNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <tuple>

namespace cadro {
namespace {

std::unique_ptr<Calendar> calendarFor(const char* zone, const char* locale = "en_US") {
    auto calendar = Calendar::make(zone, locale);
    EXPECT_NE(calendar, nullptr) << zone;
    return calendar;
}

Date utc(int year, int month, int day, int hour, int minute = 0) {
    const auto days = dayNumberFromCivil({year, month, day});
    return Date::fromUnix(static_cast<double>(days * 86400 + hour * 3600 + minute * 60));
}

TEST(CalendarTest, ComposeResolvesGapsForwardAndRepeatsToTheFirst) {
    struct Row {
        const char* zone;
        int year, month, day, hour, minute;
        Date expected;
    };
    const Row rows[] = {
        // Berlin springs forward at 02:00 CET: 02:30 does not exist, 03:00 CEST is next.
        {"Europe/Berlin", 2026, 3, 29, 2, 30, utc(2026, 3, 29, 1)},
        // Berlin falls back at 03:00 CEST: 02:30 happens twice; the first is CEST.
        {"Europe/Berlin", 2026, 10, 25, 2, 30, utc(2026, 10, 25, 0, 30)},
        // Santiago skips midnight: the day starts at 01:00.
        {"America/Santiago", 2026, 9, 6, 0, 0, utc(2026, 9, 6, 4)},
        // Ordinary times and lenient roll-over.
        {"Europe/Berlin", 2026, 3, 4, 9, 0, utc(2026, 3, 4, 8)},
        {"Europe/Berlin", 2026, 3, 4, 25, 0, utc(2026, 3, 5, 0)},
        {"Europe/Berlin", 2026, 13, 1, 0, 0, utc(2026, 12, 31, 23)},
        {"Europe/Berlin", 2026, 3, 0, 12, 0, utc(2026, 2, 28, 11)},
        {"Europe/Berlin", 2026, 3, 4, 9, -30, utc(2026, 3, 4, 7, 30)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.zone) + " month " + std::to_string(row.month));
        EXPECT_EQ(
            calendarFor(row.zone)->compose(row.year, row.month, row.day, row.hour, row.minute, 0),
            row.expected);
    }
}

TEST(CalendarTest, RejectsAbsurdValuesAndInstants) {
    const auto calendar = calendarFor("Europe/Berlin");
    constexpr auto kBig = std::numeric_limits<std::int64_t>::max();
    constexpr auto kSmall = std::numeric_limits<std::int64_t>::min();
    EXPECT_FALSE(calendar->compose(kBig, 1, 1, 0, 0, 0));
    EXPECT_FALSE(calendar->compose(2026, kSmall, 1, 0, 0, 0));
    EXPECT_FALSE(calendar->compose(2026, 1, 1, kBig, 0, 0));
    EXPECT_FALSE(calendar->compose(2026, 1, 1, 0, 0, kSmall));
    EXPECT_FALSE(calendar->compose(2026, 1, 1, 1'000'000'000, 0, 0));  // some 114,000 years on
    EXPECT_FALSE(calendar->compose(1200, 1, 1, 0, 0, 0));
    EXPECT_FALSE(calendar->compose(12000, 1, 1, 0, 0, 0));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double seconds : {nan, inf, -inf, 1e300, -1e20, 1e13}) {
        SCOPED_TRACE(seconds);
        const Date bad{seconds};
        EXPECT_FALSE(Calendar::inRange(bad));
        EXPECT_EQ(calendar->year(bad), 0);
        EXPECT_EQ(calendar->weekday(bad), 0);
        EXPECT_FALSE(calendar->dayNumber(bad));
        EXPECT_FALSE(calendar->localTime(bad));
        EXPECT_FALSE(calendar->addDays(bad, 1));
        EXPECT_FALSE(calendar->monthsBetween(Date{}, bad));
        const Date start = calendar->startOfDay(bad);
        EXPECT_TRUE(start == bad ||
                    (std::isnan(seconds) && std::isnan(start.secondsSinceReference)));
    }
    EXPECT_FALSE(calendar->addDays(Date{}, kBig));
    EXPECT_FALSE(calendar->addDays(utc(9998, 12, 1, 0), 100));
}

TEST(CalendarTest, FieldsAndStartOfDayFollowTheZone) {
    const auto berlin = calendarFor("Europe/Berlin");
    const Date lateEvening = utc(2026, 3, 4, 23, 30);  // 00:30 on March 5 in Berlin
    EXPECT_EQ(std::tuple(berlin->year(lateEvening), berlin->month(lateEvening),
                         berlin->day(lateEvening), berlin->hour(lateEvening)),
              std::tuple(2026, 3, 5, 0));
    EXPECT_EQ(berlin->weekday(lateEvening), 5);  // Thursday
    EXPECT_EQ(berlin->startOfDay(lateEvening), utc(2026, 3, 4, 23));
    // All at once, as the fields one by one give them.
    const auto local = berlin->localTime(lateEvening + 59);
    ASSERT_TRUE(local);
    EXPECT_EQ(local->date, (CivilDate{2026, 3, 5}));
    EXPECT_EQ(local->dayNumber, dayNumberFromCivil({2026, 3, 5}));
    EXPECT_EQ(std::tuple(local->hour, local->minute, local->second), std::tuple(0, 30, 59));
}

TEST(CalendarTest, AddingKeepsTheWallClockTime) {
    const auto berlin = calendarFor("Europe/Berlin");
    const Date nine = *berlin->compose(2026, 3, 28, 9, 0, 0);
    // Across the spring change a day is 23 hours long.
    EXPECT_EQ(*berlin->addDays(nine, 1), *berlin->compose(2026, 3, 29, 9, 0, 0));
    EXPECT_EQ(*berlin->addDays(nine, -28), *berlin->compose(2026, 2, 28, 9, 0, 0));
    // 02:30 plus a day lands in the gap and moves on to 03:00.
    EXPECT_EQ(*berlin->addDays(*berlin->compose(2026, 3, 28, 2, 30, 0), 1), utc(2026, 3, 29, 1));
    // Into a repeated hour, the first of the two.
    EXPECT_EQ(*berlin->addDays(*berlin->compose(2026, 10, 24, 2, 30, 0), 1),
              utc(2026, 10, 25, 0, 30));
}

TEST(CalendarTest, TheFirstWeekdayFollowsTheLocale) {
    for (const auto& [locale, first] : {std::pair{"en_US", 1}, {"de_DE", 2}, {"ar_EG", 7}}) {
        EXPECT_EQ(calendarFor("Europe/Berlin", locale)->firstWeekday(), first) << locale;
    }
}

TEST(CalendarTest, CurrentReadsZoneAndLocaleFromTheEnvironment) {
    struct Row {
        const char *tz, *lcAll, *lcTime, *lang, *zone, *locale;
    };
    const Row rows[] = {
        {":America/New_York", nullptr, "en_GB.UTF-8", "de_DE", "America/New_York", "en_GB"},
        {"/usr/share/zoneinfo/Asia/Tokyo", "fr_FR@euro", "en_GB", "de_DE", "Asia/Tokyo", "fr_FR"},
        {"Nowhere/Special", nullptr, nullptr, "de_DE.UTF-8", "UTC", "de_DE"},
        // A POSIX string alone is followed, daylight saving included.
        {"CET-1CEST,M3.5.0,M10.5.0/3", "C", nullptr, nullptr, "CET-1CEST,M3.5.0,M10.5.0/3",
         "en_US_POSIX"},
    };
    auto set = [](const char* name, const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tz);
        set("TZ", row.tz);
        set("LC_ALL", row.lcAll);
        set("LC_TIME", row.lcTime);
        set("LANG", row.lang);
        const auto calendar = Calendar::current();
        EXPECT_EQ(calendar->zoneId(), row.zone);
        EXPECT_EQ(calendar->localeId(), row.locale);
    }
    EXPECT_EQ(Calendar::current()->compose(2026, 3, 29, 2, 30, 0), utc(2026, 3, 29, 1));
    EXPECT_EQ(Calendar::current()->compose(2026, 7, 1, 12, 0, 0), utc(2026, 7, 1, 10));
    for (const char* name : {"TZ", "LC_ALL", "LC_TIME", "LANG"})
        unsetenv(name);
}

}  // namespace
}  // namespace cadro
