#include "core/base/Calendar.h"
#include "core/schedule/ScheduleDraft.h"
#include "core/schedule/SnoozePreset.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

class ScheduleDraftTest : public ::testing::Test {
  protected:
    std::unique_ptr<Calendar> calendar = Calendar::make("Europe/Berlin", "en_US");
    Date now = *calendar->compose(2026, 3, 4, 14, 25, 31);  // a Wednesday

    Date at(int month, int day, int hour, int minute = 0) const {
        return *calendar->compose(2026, month, day, hour, minute, 0);
    }
};

TEST_F(ScheduleDraftTest, NewDraftSavesAOneOffNow) {
    auto draft = ScheduleDraft::makeNew(now, *calendar);
    EXPECT_TRUE(draft.isValid());
    EXPECT_EQ(draft.schedule(*calendar), (TodoSchedule{now, {{14, 25}}, std::nullopt}));

    // Turning "Repeats" on offers today's weekday, or monthly today's day.
    draft.repeats = true;
    EXPECT_EQ(draft.schedule(*calendar).repeatRule, (RepeatRule{1, RepeatUnit::week, {4}, {}}));
    draft.unit = RepeatUnit::month;
    EXPECT_EQ(draft.schedule(*calendar).repeatRule, (RepeatRule{1, RepeatUnit::month, {}, 4}));
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
    struct Row {
        RepeatUnit unit;
        RepeatRule rule;
    };
    const Row rows[] = {
        {RepeatUnit::week, {1, RepeatUnit::week, {2, 6}, {}}},
        {RepeatUnit::month, {1, RepeatUnit::month, {}, 20}},
        {RepeatUnit::day, {1, RepeatUnit::day, {}, {}}},
        {RepeatUnit::week, {1, RepeatUnit::week, {2, 6}, {}}},  // the weekdays survived
    };
    for (const auto& row : rows) {
        draft.unit = row.unit;
        const auto schedule = draft.schedule(*calendar);
        EXPECT_EQ(schedule.repeatRule, row.rule);
        EXPECT_EQ(schedule.times, (std::vector<TimeOfDay>{{8, 0}, {17, 30}}));
    }
    draft.repeats = false;
    EXPECT_FALSE(draft.schedule(*calendar).repeatRule.has_value());
}

TEST_F(ScheduleDraftTest, Validity) {
    auto draft = ScheduleDraft::makeNew(now, *calendar);
    draft.repeats = true;
    draft.weekdays.clear();
    EXPECT_FALSE(draft.isValid());
    draft.unit = RepeatUnit::month;
    EXPECT_TRUE(draft.isValid());
    draft.unit = RepeatUnit::week;
    draft.repeats = false;
    EXPECT_TRUE(draft.isValid());
    draft.timeRows.clear();
    EXPECT_FALSE(draft.isValid());
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
    EXPECT_EQ(loaded.schedule(*calendar).repeatRule->interval, 1);

    const auto empty =
        ScheduleDraft::fromSchedule(TodoSchedule{start, {}, std::nullopt}, now, *calendar);
    EXPECT_FALSE(empty.repeats);
    ASSERT_EQ(empty.timeRows.size(), 1u);
    EXPECT_EQ(empty.timeRows[0].date, start);
    const auto monthly = ScheduleDraft::fromSchedule(
        TodoSchedule{start, {{9, 0}}, RepeatRule{2, RepeatUnit::month, {3}, 31}}, now, *calendar);
    EXPECT_EQ(monthly.weekdays, (std::set<std::int64_t>{3}));
    EXPECT_EQ(monthly.dayOfMonth, 31);
}

TEST_F(ScheduleDraftTest, AddAndRemoveTimes) {
    auto draft = ScheduleDraft::makeNew(now, *calendar);
    draft.date = at(5, 1, 7, 45);
    draft.addTime();
    ASSERT_EQ(draft.timeRows.size(), 2u);
    EXPECT_EQ(draft.timeRows[1].date, draft.date);
    draft.removeTime(draft.timeRows[0].id);
    ASSERT_EQ(draft.timeRows.size(), 1u);
    draft.removeTime(draft.timeRows[0].id);  // the last row stays
    EXPECT_EQ(draft.timeRows.size(), 1u);
}

TEST(SnoozePresetTest, WakeUpDates) {
    struct Row {
        const char* zone;
        const char* preset;
        int month, day, hour, minute;  // now
        int wakeMonth, wakeDay, wakeHour, wakeMinute;
    };
    const Row rows[] = {
        {"Europe/Berlin", "15m", 3, 4, 10, 0, 3, 4, 10, 15},
        {"Europe/Berlin", "1h", 3, 29, 1, 30, 3, 29, 3, 30},  // an hour of real time
        {"Europe/Berlin", "3h", 3, 4, 22, 0, 3, 5, 1, 0},
        {"Europe/Berlin", "evening", 3, 4, 17, 59, 3, 4, 18, 0},
        {"Europe/Berlin", "evening", 3, 4, 18, 0, 3, 5, 18, 0},
        {"Europe/Berlin", "tomorrow", 3, 4, 2, 0, 3, 5, 9, 0},
        {"Europe/Berlin", "tomorrow", 3, 28, 23, 0, 3, 29, 9, 0},  // across the spring change
        {"America/New_York", "evening", 11, 1, 18, 0, 11, 2, 18, 0},
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
    // A skipped hour moves forward: 02:00 on the spring-change day is 03:00.
    const auto berlin = Calendar::make("Europe/Berlin", "en_US");
    EXPECT_EQ(nextTime(2, false, *berlin->compose(2026, 3, 29, 0, 30, 0), *berlin),
              *berlin->compose(2026, 3, 29, 3, 0, 0));
}

}  // namespace
}  // namespace cadro
