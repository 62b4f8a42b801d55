#include "core/base/Calendar.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/schedule/TimeInput.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace cadro {
namespace {

std::string wallClock(Date date, const Calendar& calendar) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", calendar.year(date),
                  calendar.month(date), calendar.day(date), calendar.hour(date),
                  calendar.minute(date));
    return text;
}

TEST(TimeInputTest, LengthsInMinutes) {
    const std::pair<const char*, std::int64_t> rows[] = {
        {"45", 45},       {"15m", 15},  {"90m", 90},   {"90 min", 90}, {"2h", 120},
        {"1h", 60},       {"1.5h", 90}, {"1h30", 90},  {"1h30m", 90},  {"1H 30M", 90},
        {"2 hours", 120}, {"1d", 1440}, {"0.25h", 15}, {"0", 0},       {"0m", 0},
        {"1h90h", 0},     {"30m1h", 0}, {"1.2.3h", 0}, {"h", 0},       {"1x", 0},
        {"-5", 0},        {"2y", 0},    {"1h30.5", 0}, {"400d", 0},    {"", 0},
    };
    for (const auto& [text, minutes] : rows) {
        const auto length = parseLength(text);
        EXPECT_EQ(length.value.value_or(0), minutes) << text;
        EXPECT_EQ(length.problem.empty(), minutes != 0) << text;
    }
}

TEST(TimeInputTest, TimesOfDayAndWhatARefusalSays) {
    struct Row {
        const char* text;
        int hour, minute;  // -1: refused
    } rows[] = {
        {"19:30", 19, 30}, {"09:30", 9, 30},   {"9:05", 9, 5},      {"7pm", 19, 0},
        {"7PM", 19, 0},    {"7:30pm", 19, 30}, {"7:30 pm", 19, 30}, {"12am", 0, 0},
        {"12pm", 12, 0},   {"noon", 12, 0},    {"midnight", 0, 0},  {"evening", 18, 0},
        {"24:00", -1, 0},  {"12:60", -1, 0},   {"12:5", -1, 0},     {"13pm", -1, 0},
        {"0am", -1, 0},    {"1230", -1, 0},    {":30", -1, 0},      {"9", -1, 0},
        {"00:00", 0, 0},   {"23:59", 23, 59},  {"25:00", -1, 0},    {"-1:30", -1, 0},
        {"12:-5", -1, 0},
    };
    for (const auto& row : rows) {
        const auto time = parseTimeOfDay(row.text);
        if (row.hour < 0) {
            EXPECT_FALSE(time) << row.text;
            EXPECT_NE(time.problem.find(std::string("\"") + row.text + "\""), std::string::npos);
        } else {
            EXPECT_EQ(time.value, (TimeOfDay{row.hour, row.minute})) << row.text;
        }
    }
    EXPECT_EQ(parseTimeOfDay("9").problem, "\"9\" is not a time: write 9:00, 9am or 9pm");
}

// Moments read the same in a 12-hour and a 24-hour locale; only the echo
// differs.
TEST(TimeInputTest, MomentsFromAWednesdayMorning) {
    struct Row {
        const char* text;
        const char* wall;  // nullptr: refused
    } rows[] = {
        {"90m", "2026-03-04 11:30"},
        {"45", "2026-03-04 10:45"},
        {"7pm", "2026-03-04 19:00"},
        {"09:30", "2026-03-05 09:30"},  // passed today
        {"midnight", "2026-03-05 00:00"},
        {"tomorrow", "2026-03-05 09:00"},
        {"tomorrow 9", "2026-03-05 09:00"},
        {"Tomorrow 7pm", "2026-03-05 19:00"},
        {"today 17:00", "2026-03-04 17:00"},
        {"mon 9:00", "2026-03-09 09:00"},
        {"wed 11:00", "2026-03-04 11:00"},
        {"wednesday 9", "2026-03-11 09:00"},
        {"fri", "2026-03-06 09:00"},
        {"2026-03-10 18:30", "2026-03-10 18:30"},
        {"2026-03-10", "2026-03-10 09:00"},
        {"2026-02-30 10:00", nullptr},
        {"tomorrow 25", nullptr},
        {"fortnight", nullptr},
        {"tomorrow at 9", nullptr},
        {"0", nullptr},
        {"", nullptr},
    };
    for (const char* locale : {"en_US", "de_DE"}) {
        const auto calendar = Calendar::make("Europe/Berlin", locale);
        const Date now = *calendar->compose(2026, 3, 4, 10, 0, 0);
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(locale) + " " + row.text);
            const auto moment = parseMoment(row.text, now, *calendar);
            if (!row.wall) {
                EXPECT_FALSE(moment);
                EXPECT_FALSE(moment.problem.empty());
                continue;
            }
            ASSERT_TRUE(moment) << moment.problem;
            EXPECT_EQ(wallClock(*moment.value, *calendar), row.wall);
        }
    }
    // The calendar's own weekday names, and the echo in its clock.
    const auto de = Calendar::make("Europe/Berlin", "de_DE");
    const Date now = *de->compose(2026, 3, 4, 10, 0, 0);
    EXPECT_EQ(wallClock(*parseMoment("Montag 7pm", now, *de).value, *de), "2026-03-09 19:00");
    EXPECT_EQ(formatWakeTime(*parseMoment("tomorrow 7pm", now, *de).value, *de, now),
              "morgen, 19:00");
    EXPECT_EQ(parseMoment("tomorrow 25", now, *de).problem,
              "\"25\" in \"tomorrow 25\" is not a time of day (try 9, 7pm, 19:30 or noon)");
}

TEST(TimeInputTest, DaylightSavingDays) {
    // Berlin skips 02:00-03:00 on Sunday 2026-03-29 and repeats it on 2026-10-25.
    const auto calendar = Calendar::make("Europe/Berlin", "en_GB");
    const Date saturdayNight = *calendar->compose(2026, 3, 28, 22, 0, 0);
    const auto tomorrow = parseMoment("tomorrow", saturdayNight, *calendar);
    EXPECT_EQ(wallClock(*tomorrow.value, *calendar), "2026-03-29 09:00");
    EXPECT_EQ(*tomorrow.value - saturdayNight, 10 * 3600.0);  // an hour short
    const auto gap = parseMoment("tomorrow 2:30", saturdayNight, *calendar);
    EXPECT_EQ(calendar->hour(*gap.value), 3);  // moved past the gap
    const auto hours = parseMoment("5h", saturdayNight, *calendar);
    EXPECT_EQ(wallClock(*hours.value, *calendar), "2026-03-29 04:00");  // lengths are elapsed time
    const Date autumn = *calendar->compose(2026, 10, 25, 0, 30, 0);
    EXPECT_EQ(*parseMoment("noon", autumn, *calendar).value - autumn, 12.5 * 3600.0);
}

TEST(TimeInputTest, ClockFollowsTheLocale) {
    const struct {
        const char* locale;
        const char* text;
    } rows[] = {{"en_US", "7:05\u202fPM"}, {"de_DE", "19:05"}, {"en_GB", "19:05"}, {"", "19:05"}};
    for (const auto& row : rows) {
        const auto calendar = Calendar::make("America/New_York", row.locale);
        EXPECT_EQ(formatClock({19, 5}, *calendar), row.text) << row.locale;
        EXPECT_EQ(uses24HourClock(*calendar), std::string(row.locale) != "en_US") << row.locale;
    }
}

}  // namespace
}  // namespace cadro
