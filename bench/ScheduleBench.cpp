#include "core/base/Calendar.h"
#include "core/schedule/TodoSchedule.h"

#include <benchmark/benchmark.h>

namespace cadro {
namespace {

// One tick of the app asks every scheduled to-do for its latest occurrence;
// finishing one asks for the next. Both must stay far below 20 µs a call.

struct Case {
    const char* zone;
    TodoSchedule schedule;
};

TodoSchedule makeSchedule(const Calendar& calendar, RepeatRule rule) {
    return TodoSchedule{
        *calendar.compose(2023, 1, 17, 9, 0, 0), {{8, 0}, {13, 30}, {18, 15}}, std::move(rule)};
}

RepeatRule ruleFor(int kind) {
    switch (kind) {
        case 0:
            return RepeatRule{1, RepeatUnit::day, {}, std::nullopt};
        case 1:
            return RepeatRule{4, RepeatUnit::week, {2, 5}, std::nullopt};
        default:
            return RepeatRule{3, RepeatUnit::month, {}, 31};
    }
}

void occurrence(benchmark::State& state) {
    const auto calendar =
        Calendar::make(state.range(1) == 0 ? "Europe/Berlin" : "America/New_York", "en_US");
    const auto schedule = makeSchedule(*calendar, ruleFor(static_cast<int>(state.range(0))));
    Date now = *calendar->compose(2026, 3, 4, 10, 0, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(schedule.occurrence(now, *calendar));
        now = now + 3600 * 7;  // wander through the year
    }
}

void nextOccurrence(benchmark::State& state) {
    const auto calendar =
        Calendar::make(state.range(1) == 0 ? "Europe/Berlin" : "America/New_York", "en_US");
    const auto schedule = makeSchedule(*calendar, ruleFor(static_cast<int>(state.range(0))));
    Date now = *calendar->compose(2026, 3, 4, 10, 0, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(schedule.nextOccurrence(now, *calendar));
        now = now + 3600 * 7;
    }
}

// Arguments: rule (0 daily, 1 weekly every 4 weeks, 2 monthly every 3 months
// on the 31st), zone (0 Berlin, 1 New York).
BENCHMARK(occurrence)->ArgsProduct({{0, 1, 2}, {0, 1}});
BENCHMARK(nextOccurrence)->ArgsProduct({{0, 1, 2}, {0, 1}});

void calendarCompose(benchmark::State& state) {
    const auto calendar = Calendar::make("Europe/Berlin", "en_US");
    int day = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(calendar->compose(2026, 3, day, 9, 30, 0));
        day = day % 300 + 1;
    }
}
BENCHMARK(calendarCompose);

void calendarAddDays(benchmark::State& state) {
    const auto calendar = Calendar::make("Europe/Berlin", "en_US");
    const Date start = *calendar->compose(2026, 3, 4, 9, 30, 0);
    int days = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(calendar->addDays(start, days));
        days = days % 300 + 1;
    }
}
BENCHMARK(calendarAddDays);

void calendarMake(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Calendar::make("Europe/Berlin", "en_US"));
    }
}
BENCHMARK(calendarMake);

}  // namespace
}  // namespace cadro
