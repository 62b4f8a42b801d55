#include "core/base/Calendar.h"
#include "core/schedule/ScheduleDraft.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/schedule/SnoozePreset.h"

#include <gtest/gtest.h>

#include <limits>

namespace cadro {
namespace {

class ScheduleLabelsTest : public ::testing::Test {
  protected:
    // A 24-hour locale; TimeInputTest covers the 12-hour clock.
    std::unique_ptr<Calendar> calendar = Calendar::make("Europe/Berlin", "en_GB");
    Date march4 = *calendar->compose(2026, 3, 4, 17, 0, 0);  // a Wednesday
};

TEST_F(ScheduleLabelsTest, RuleTexts) {
    struct Row {
        RepeatRule rule;
        const char* label;
        const char* phrase;
    };
    using enum RepeatUnit;
    const Row rows[] = {
        {{-4, day, {}, {}}, "Daily", "every day"},
        {{3, day, {}, {}}, "Every 3d", "every 3 days"},
        {{1, week, {6, 2, 4}, {}}, "Mon Wed Fri", "every Monday, Wednesday, Friday"},
        {{2, week, {1, 7}, {}}, "Every 2w · Sun Sat", "every 2 weeks on Sunday, Saturday"},
        {{1, week, {}, {}}, "Weekly", "every week"},
        {{1, week, {0, 3, 99}, {}}, "Tue", "every Tuesday"},
        {{2, week, {}, {}}, "Weekly", "every 2 weeks on week"},
        {{1, month, {}, 15}, "Day 15", "day 15 monthly"},
        {{1, month, {}, {}}, "Day 4", "day 4 monthly"},  // the start day's
        {{3, month, {}, 31}, "Every 3mo · Day 31", "day 31 every 3 months"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const TodoSchedule schedule{march4, {{9, 0}}, row.rule};
        EXPECT_EQ(repeatLabel(row.rule, schedule, *calendar), row.label);
        EXPECT_EQ(repeatPhrase(row.rule, schedule, *calendar), row.phrase);
    }
}

TEST_F(ScheduleLabelsTest, ScheduleTexts) {
    struct Row {
        TodoSchedule schedule;
        const char* shortText;
        const char* menuText;
    };
    const Row rows[] = {
        {TodoSchedule{march4, {{14, 0}, {9, 5}}, std::nullopt}, "Mar 4 · 09:05 +1",
         "↺ once on Mar 4 at 09:05, 14:00"},
        {TodoSchedule{march4, {}, std::nullopt}, "Mar 4 · ", "↺ once on Mar 4 at "},
        {TodoSchedule{
             march4, {{17, 30}, {8, 0}, {8, 0}}, RepeatRule{1, RepeatUnit::week, {5, 2}, {}}},
         "Mon Thu · 08:00 +2", "↺ every Monday, Thursday at 08:00, 08:00, 17:30"},
        {TodoSchedule{march4, {{25, -3}}, std::nullopt}, "Mar 4 · 25:-3",
         "↺ once on Mar 4 at 25:-3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shortText);
        EXPECT_EQ(shortLabel(row.schedule, *calendar), row.shortText);
        EXPECT_EQ(menuDescription(row.schedule, *calendar), row.menuText);
    }
    EXPECT_EQ(longWeekday(std::numeric_limits<std::int64_t>::min()), "");
    // The day is the zone's: 01:00 on the 5th in Tokyo.
    EXPECT_EQ(formatDay(march4, *Calendar::make("Asia/Tokyo", "en_US")), "Mar 5");
    EXPECT_EQ(formatDay(Date{std::numeric_limits<double>::quiet_NaN()}, *calendar), "");
}

TEST(DurationLabelTest, MinutesAndHours) {
    const std::pair<std::int64_t, const char*> rows[] = {
        {0, "0 min"},   {45, "45 min"}, {59, "59 min"},   {60, "1h"},
        {90, "1h 30m"}, {120, "2h"},    {1441, "24h 1m"}, {-5, "-5 min"},
    };
    for (const auto& [minutes, text] : rows) {
        EXPECT_EQ(durationLabel(minutes), text) << minutes;
    }
}

TEST(WakeTimeTest, RelativeDayNamesCountFromTheGivenNow) {
    struct Row {
        const char* locale;
        int day, hour, minute;
        const char* text;
    };
    // Now is Wednesday 2026-03-04 10:00 in Berlin.
    const Row rows[] = {
        {"en_US", 4, 15, 0, "today, 3:00\u202fPM"},
        {"en_US", 5, 9, 30, "tomorrow, 9:30\u202fAM"},
        {"de_DE", 6, 9, 30, "übermorgen, 09:30"},
        {"de_DE", 11, 15, 0, "11.03.26, 15:00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.locale) + " " + row.text);
        const auto calendar = Calendar::make("Europe/Berlin", row.locale);
        const Date now = *calendar->compose(2026, 3, 4, 10, 0, 0);
        const Date wake = *calendar->compose(2026, 3, row.day, row.hour, row.minute, 0);
        EXPECT_EQ(formatWakeTime(wake, *calendar, now), row.text);
    }
}

class ScheduleDraftTest : public ::testing::Test {
  protected:
    std::unique_ptr<Calendar> calendar = Calendar::make("Europe/Berlin", "en_US");
    Date now = *calendar->compose(2026, 3, 4, 14, 25, 31);  // a Wednesday

    Date at(int month, int day, int hour, int minute = 0) const {
        return *calendar->compose(2026, month, day, hour, minute, 0);
    }
};

TEST_F(ScheduleDraftTest, NewDraftSavesAValidOneOffAtTheNextWholeMinute) {
    EXPECT_EQ(ScheduleDraft::makeNew(at(3, 4, 14, 25), *calendar).timeRows[0].date,
              at(3, 4, 14, 26));  // the minute has begun
    const auto late = ScheduleDraft::makeNew(at(3, 4, 23, 59) + 59.5, *calendar);
    EXPECT_EQ(late.date, at(3, 5, 0));
    EXPECT_EQ(late.timeRows[0].date, at(3, 5, 0));
    EXPECT_EQ(late.weekdays, std::set<std::int64_t>{5});
    auto draft = ScheduleDraft::makeNew(now, *calendar);
    EXPECT_TRUE(draft.isValid());

    // Turning "Repeats" on offers monthly today's day (weekly today's weekday).
    draft.repeats = true;
    draft.unit = RepeatUnit::month;
    EXPECT_EQ(draft.schedule(*calendar).repeatRule, (RepeatRule{1, RepeatUnit::month, {}, 4}));

    // Weekly needs a weekday, and every unit needs a time.
    draft.weekdays.clear();
    EXPECT_TRUE(draft.isValid());
    draft.unit = RepeatUnit::week;
    EXPECT_FALSE(draft.isValid());
    draft.unit = RepeatUnit::month;
    draft.timeRows.clear();
    EXPECT_FALSE(draft.isValid());
}

TEST_F(ScheduleDraftTest, SavingKeepsOnlyWhatTheUnitUses) {
    auto draft = ScheduleDraft::makeNew(now, *calendar);
    draft.timeRows = {{Uuid::random(), at(3, 9, 17, 30)},
                      {Uuid::random(), at(3, 4, 8)},
                      {Uuid::random(), at(3, 1, 17, 30)}};
    draft.repeats = true;
    draft.weekdays = {2, 6};
    draft.dayOfMonth = 20;
    draft.interval = 0;
    const RepeatRule rules[] = {
        {1, RepeatUnit::week, {2, 6}, {}},
        {1, RepeatUnit::month, {}, 20},
        {1, RepeatUnit::day, {}, {}},
        {1, RepeatUnit::week, {2, 6}, {}},  // the weekdays survived
    };
    for (const auto& rule : rules) {
        draft.unit = rule.unit;
        const auto schedule = draft.schedule(*calendar);
        EXPECT_EQ(schedule.repeatRule, rule);
        EXPECT_EQ(schedule.times, (std::vector<TimeOfDay>{{8, 0}, {17, 30}}));
    }
    draft.repeats = false;
    EXPECT_FALSE(draft.schedule(*calendar).repeatRule.has_value());
}

TEST_F(ScheduleDraftTest, LoadsAStoredSchedule) {
    const Date start = at(1, 15, 9);  // a Thursday
    const auto loaded = ScheduleDraft::fromSchedule(
        TodoSchedule{start, {{17, 0}, {8, 15}}, RepeatRule{0, RepeatUnit::week, {}, {}}}, now,
        *calendar);
    EXPECT_TRUE(loaded.repeats);
    EXPECT_EQ(loaded.interval, 0);  // shown as stored, saved as 1
    EXPECT_EQ(loaded.weekdays, (std::set<std::int64_t>{5}));
    EXPECT_EQ(loaded.dayOfMonth, 15);
    ASSERT_EQ(loaded.timeRows.size(), 2u);
    EXPECT_EQ(loaded.timeRows[0].date, at(3, 4, 8, 15));  // today's date at the time
    EXPECT_EQ(loaded.timeRows[1].date, at(3, 4, 17));
    EXPECT_NE(loaded.timeRows[0].id, loaded.timeRows[1].id);

    const auto empty =
        ScheduleDraft::fromSchedule(TodoSchedule{start, {}, std::nullopt}, now, *calendar);
    EXPECT_FALSE(empty.repeats);
    ASSERT_EQ(empty.timeRows.size(), 1u);
    EXPECT_EQ(empty.timeRows[0].date, start);
}

TEST(SnoozePresetTest, WakeUpDates) {
    struct Row {
        const char* zone;
        const char* preset;
        int month, day, hour, minute;  // now
        int wakeMonth, wakeDay, wakeHour, wakeMinute;
    };
    const Row rows[] = {
        {"Europe/Berlin", "1h", 3, 29, 1, 30, 3, 29, 3, 30},  // an hour of real time
        {"Europe/Berlin", "evening", 3, 4, 17, 59, 3, 4, 18, 0},
        {"Europe/Berlin", "evening", 3, 4, 18, 0, 3, 5, 18, 0},
        {"Europe/Berlin", "tomorrow", 3, 4, 2, 0, 3, 5, 9, 0},
        {"Europe/Berlin", "tomorrow", 3, 28, 23, 0, 3, 29, 9, 0},  // across the spring change
        {"America/New_York", "tomorrow", 3, 8, 2, 0, 3, 9, 9, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.zone) + " " + row.preset + " " + std::to_string(row.hour));
        const auto calendar = Calendar::make(row.zone, "en_US");
        const Date now = *calendar->compose(2026, row.month, row.day, row.hour, row.minute, 0);
        const auto& presets = allSnoozePresets();
        const auto preset = std::find_if(presets.begin(), presets.end(),
                                         [&](const auto& p) { return p.id == row.preset; });
        ASSERT_NE(preset, presets.end());
        EXPECT_EQ(
            preset->makeDate(now, *calendar),
            *calendar->compose(2026, row.wakeMonth, row.wakeDay, row.wakeHour, row.wakeMinute, 0));
    }
}

}  // namespace
}  // namespace cadro
