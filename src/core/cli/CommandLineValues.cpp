#include "core/cli/CommandLineValues.h"

#include "core/schedule/ScheduleLabels.h"
#include "core/schedule/TimeInput.h"
#include "core/store/ThreadColor.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

namespace cadro::cli {
namespace {

// "2026-03-04" into year, month, day; throws with `what` in the message.
struct CivilDay {
    std::int64_t year, month, day;
};

CivilDay parseDay(const std::string& text, const std::string& what) {
    auto bad = [&] {
        return UsageError(what + " must be a date like 2026-03-04, not \"" + text + "\"");
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        throw bad();
    auto y = wholeNumber(std::string_view(text).substr(0, 4));
    auto m = wholeNumber(std::string_view(text).substr(5, 2));
    auto d = wholeNumber(std::string_view(text).substr(8, 2));
    if (!y || !m || !d || *y < 1900 || *m < 1 || *m > 12 || *d < 1 || *d > 31)
        throw bad();
    return {*y, *m, *d};
}

TimeOfDay parseTime(const std::string& text, const std::string& what) {
    auto time = parseTimeOfDay(text);
    if (!time)
        throw UsageError(what + ": " + time.problem);
    return *time.value;
}

// The instant of a wall-clock time on a day; the day must exist.
Date compose(const Calendar& calendar, CivilDay day, TimeOfDay time, const std::string& text) {
    auto date = calendar.compose(day.year, day.month, day.day, time.hour, time.minute, 0);
    if (!date || calendar.day(*date) != day.day || calendar.month(*date) != day.month) {
        throw UsageError("there is no such day as \"" + text + "\"");
    }
    return *date;
}

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string clockTime(std::int64_t hour, std::int64_t minute) {
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(hour),
                  static_cast<long long>(minute));
    return text;
}

std::string isoDay(Date date, const Calendar& calendar) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", calendar.year(date), calendar.month(date),
                  calendar.day(date));
    return text;
}

}  // namespace

void refusePastSchedule(const TodoSchedule& schedule, Date now, const Calendar& calendar) {
    if (schedule.nextOccurrence(now, calendar))
        return;
    // Say what was understood, so a misread time shows itself.
    std::string times;
    for (const TimeOfDay& time : schedule.times)
        times += (times.empty() ? "" : ", ") + clockTime(time.hour, time.minute);
    const bool today = calendar.dayNumber(schedule.startDate) == calendar.dayNumber(now);
    const std::string nowText = clockTime(calendar.hour(now), calendar.minute(now));
    throw UsageError(times + (today ? " today" : " on " + isoDay(schedule.startDate, calendar)) +
                     (schedule.times.size() > 1 ? " are" : " is") + " in the past (it is " +
                     (today ? nowText : isoDay(now, calendar) + " " + nowText) +
                     " now); it would never come up");
}

std::optional<std::int64_t> wholeNumber(std::string_view text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

std::int64_t parseInteger(const std::string& text, const std::string& what, std::int64_t min,
                          std::int64_t max) {
    auto value = wholeNumber(text);
    if (!value || *value < min || *value > max) {
        throw UsageError(what + " must be a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not \"" + text + "\"");
    }
    return *value;
}

std::string parseColor(const std::string& text) {
    auto color = ThreadColor::fromHex(text);
    if (!color)
        throw UsageError("--color must look like #8B7CF6, not \"" + text + "\"");
    return ThreadColor::hex(*color);
}

std::optional<TodoSchedule> scheduleFromOptions(Arguments& args, const CommandLineHost& host) {
    std::vector<std::string> at = args.options("--at");
    std::optional<std::string> on = args.option("--on");
    std::optional<std::string> weekdays = args.option("--weekdays");
    std::optional<std::string> day = args.option("--day");
    std::vector<std::string> every = args.optionWithCount("--every");
    if (at.empty()) {
        if (on || weekdays || day || !every.empty()) {
            throw UsageError("a schedule needs at least one time: --at HH:MM");
        }
        return std::nullopt;
    }

    const Calendar& calendar = host.calendar;
    TodoSchedule schedule;
    schedule.startDate = calendar.startOfDay(host.clock.now());
    if (on)
        schedule.startDate = compose(calendar, parseDay(*on, "--on"), {0, 0}, *on);
    for (const auto& time : at)
        schedule.times.push_back(parseTime(time, "--at"));
    std::sort(schedule.times.begin(), schedule.times.end());
    schedule.times.erase(std::unique(schedule.times.begin(), schedule.times.end()),
                         schedule.times.end());

    const Date now = host.clock.now();
    if (every.empty()) {
        if (weekdays || day)
            throw UsageError("--weekdays and --day need --every");
        refusePastSchedule(schedule, now, calendar);
        return schedule;
    }
    if (on && schedule.startDate < calendar.startOfDay(now))
        throw UsageError("--on " + *on + " is in the past");
    RepeatRule rule;
    std::string unit = lowerAscii(every.back());
    if (every.size() == 2)
        rule.interval = parseInteger(every.front(), "--every", 1, 99);
    static const std::map<std::string, RepeatUnit> kUnits = {
        {"day", RepeatUnit::day},    {"days", RepeatUnit::day},    {"week", RepeatUnit::week},
        {"weeks", RepeatUnit::week}, {"month", RepeatUnit::month}, {"months", RepeatUnit::month}};
    auto found = kUnits.find(unit);
    if (found == kUnits.end())
        throw UsageError("--every takes day, week or month, not \"" + unit + "\"");
    rule.unit = found->second;

    if (weekdays && rule.unit != RepeatUnit::week)
        throw UsageError("--weekdays needs --every N week");
    if (day && rule.unit != RepeatUnit::month)
        throw UsageError("--day needs --every N month");
    if (rule.unit == RepeatUnit::week) {
        if (weekdays) {
            static const std::vector<std::string> kNames = {"su", "mo", "tu", "we",
                                                            "th", "fr", "sa"};
            std::string rest = lowerAscii(*weekdays) + ",";
            for (std::size_t start = 0, comma; (comma = rest.find(',', start)) != std::string::npos;
                 start = comma + 1) {
                std::string name = rest.substr(start, comma - start);
                auto it = std::find(kNames.begin(), kNames.end(), name);
                if (it == kNames.end()) {
                    throw UsageError("--weekdays takes su,mo,tu,we,th,fr,sa, not \"" + name + "\"");
                }
                rule.weekdays.insert(it - kNames.begin() + 1);
            }
        } else {
            rule.weekdays.insert(calendar.weekday(schedule.startDate));
        }
    }
    if (rule.unit == RepeatUnit::month && day)
        rule.dayOfMonth = parseInteger(*day, "--day", 1, 31);
    schedule.repeatRule = rule;
    return schedule;
}

}  // namespace cadro::cli
