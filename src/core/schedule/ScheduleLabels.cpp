#include "core/schedule/ScheduleLabels.h"

#include "core/base/Calendar.h"
#include "core/base/CalendarImpl.h"

#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/dtptngen.h>
#include <unicode/reldatefmt.h>
#include <unicode/simpleformatter.h>
#include <unicode/smpdtfmt.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <map>

namespace cadro {
namespace {

constexpr std::string_view kShortWeekdays[] = {"", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::string_view kLongWeekdays[] = {"",          "Sunday",   "Monday", "Tuesday",
                                              "Wednesday", "Thursday", "Friday", "Saturday"};

std::string clockTime(const TimeOfDay& time) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02" PRId64 ":%02" PRId64, time.hour, time.minute);
    return buffer;
}

// The locale's pattern for hours and minutes ("h:mm a", "HH:mm"). The POSIX
// locale (what C and C.UTF-8 become) keeps the 24-hour clock of the C
// library rather than the American one ICU gives it.
icu::UnicodeString clockPattern(const Calendar& calendar) {
    auto& impl = calendar.impl();
    if (std::string_view(impl.locale.getVariant()) == "POSIX")
        return u"HH:mm";
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(impl.locale, status));
    if (U_FAILURE(status))
        return u"HH:mm";
    icu::UnicodeString pattern = generator->getBestPattern(u"jmm", status);
    return U_SUCCESS(status) && !pattern.isEmpty() ? pattern : icu::UnicodeString(u"HH:mm");
}

// A formatter of clock times; in the calendar's zone, or in UTC for a bare
// time of day, which no daylight-saving change may shift.
icu::SimpleDateFormat* clockFormat(const Calendar& calendar, bool bare) {
    auto& impl = calendar.impl();
    return impl.cached<icu::SimpleDateFormat>(
        bare ? "clockBare" : "clock", [&]() -> std::unique_ptr<icu::SimpleDateFormat> {
            UErrorCode status = U_ZERO_ERROR;
            auto made = std::make_unique<icu::SimpleDateFormat>(clockPattern(calendar), impl.locale,
                                                                status);
            if (U_FAILURE(status))
                return nullptr;
            if (bare)
                made->adoptTimeZone(icu::TimeZone::createTimeZone(u"UTC"));
            else
                made->setCalendar(*impl.calendar);
            return made;
        });
}

// Bare clock times as formatted, by minute of the day; empty until asked.
struct ClockTexts : icu::UObject {
    std::map<std::int64_t, std::string> byMinute;
};

std::vector<TimeOfDay> sorted(std::vector<TimeOfDay> times) {
    std::sort(times.begin(), times.end());
    return times;
}

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (const auto& part : parts) {
        if (!text.empty()) {
            text += separator;
        }
        text += part;
    }
    return text;
}

std::string weekdayNames(const std::set<std::int64_t>& weekdays, bool longNames,
                         std::string_view separator) {
    std::vector<std::string> names;
    for (const int weekday : orderedWeekdays(weekdays)) {
        names.emplace_back(longNames ? longWeekday(weekday) : shortWeekday(weekday));
    }
    return join(names, separator);
}

std::string dayOfMonthText(const RepeatRule& rule, const TodoSchedule& schedule,
                           const Calendar& calendar) {
    if (rule.dayOfMonth) {
        return std::to_string(*rule.dayOfMonth);
    }
    return std::to_string(calendar.day(schedule.startDate));
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string result;
    text.toUTF8String(result);
    return result;
}

// The pieces of ICU's relative date format (names for nearby days and the
// pattern gluing date and time), read once per calendar from the locale
// data, so that days can be counted from an injected "now".
struct RelativeDays : icu::UObject {
    std::map<int, icu::UnicodeString> names;
    icu::SimpleFormatter glue;
};

std::unique_ptr<RelativeDays> loadRelativeDays(const icu::Locale& locale) {
    auto result = std::make_unique<RelativeDays>();
    UErrorCode status = U_ZERO_ERROR;
    // The long style holds the names the relative date format uses
    // ("yesterday", "today", "tomorrow"; some locales have two days more).
    icu::RelativeDateTimeFormatter names(locale, nullptr, UDAT_STYLE_LONG,
                                         UDISPCTX_CAPITALIZATION_NONE, status);
    const std::pair<int, UDateDirection> directions[] = {{-2, UDAT_DIRECTION_LAST_2},
                                                         {-1, UDAT_DIRECTION_LAST},
                                                         {0, UDAT_DIRECTION_THIS},
                                                         {1, UDAT_DIRECTION_NEXT},
                                                         {2, UDAT_DIRECTION_NEXT_2}};
    for (const auto& [offset, direction] : directions) {
        if (U_FAILURE(status)) {
            break;
        }
        icu::UnicodeString name;
        names.format(direction, UDAT_ABSOLUTE_DAY, name, status);
        if (!name.isEmpty() && !name.isBogus()) {
            result->names[offset] = name;
        }
    }
    // The short date-time glue ("{1}, {0}" in en and de).
    UErrorCode glueStatus = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, glueStatus));
    icu::UnicodeString glue(u"{1} {0}");
    if (U_SUCCESS(glueStatus)) {
        const icu::UnicodeString& pattern = generator->getDateTimeFormat(UDAT_SHORT, glueStatus);
        if (U_SUCCESS(glueStatus) && !pattern.isEmpty()) {
            glue = pattern;
        }
    }
    UErrorCode formatStatus = U_ZERO_ERROR;
    result->glue.applyPatternMinMaxArguments(glue, 2, 2, formatStatus);
    if (U_FAILURE(formatStatus)) {
        formatStatus = U_ZERO_ERROR;
        result->glue.applyPatternMinMaxArguments(u"{1} {0}", 2, 2, formatStatus);
    }
    return result;
}

icu::DateFormat* dateFormat(const Calendar& calendar, std::string_view key,
                            icu::DateFormat::EStyle dateStyle, icu::DateFormat::EStyle timeStyle) {
    auto& impl = calendar.impl();
    return impl.cached<icu::DateFormat>(key, [&]() -> std::unique_ptr<icu::DateFormat> {
        std::unique_ptr<icu::DateFormat> format(
            icu::DateFormat::createDateTimeInstance(dateStyle, timeStyle, impl.locale));
        if (format) {
            // Formatters use the process's zone unless given the calendar.
            format->setCalendar(*impl.calendar);
        }
        return format;
    });
}

}  // namespace

std::vector<int> orderedWeekdays(const std::set<std::int64_t>& weekdays) {
    std::vector<int> result;
    for (const auto weekday : weekdays) {
        if (weekday >= 1 && weekday <= 7) {
            result.push_back(static_cast<int>(weekday));
        }
    }
    return result;
}

std::string_view shortWeekday(std::int64_t weekday) {
    return weekday >= 1 && weekday <= 7 ? kShortWeekdays[weekday] : "";
}

std::string_view longWeekday(std::int64_t weekday) {
    return weekday >= 1 && weekday <= 7 ? kLongWeekdays[weekday] : "";
}

std::string timesLabel(const std::vector<TimeOfDay>& times, const Calendar& calendar) {
    if (times.empty()) {
        return "";
    }
    const auto ordered = sorted(times);
    std::string text = formatClock(ordered.front(), calendar);
    if (ordered.size() > 1) {
        text += " +" + std::to_string(ordered.size() - 1);
    }
    return text;
}

std::string repeatLabel(const RepeatRule& rule, const TodoSchedule& schedule,
                        const Calendar& calendar) {
    const bool several = rule.interval >= 2;
    const std::string n = std::to_string(rule.interval);
    switch (rule.unit) {
        case RepeatUnit::day:
            return several ? "Every " + n + "d" : "Daily";
        case RepeatUnit::week: {
            const std::string names = weekdayNames(rule.weekdays, false, " ");
            if (names.empty()) {
                return "Weekly";
            }
            return several ? "Every " + n + "w · " + names : names;
        }
        case RepeatUnit::month: {
            const std::string day = "Day " + dayOfMonthText(rule, schedule, calendar);
            return several ? "Every " + n + "mo · " + day : day;
        }
    }
    return "";
}

std::string repeatPhrase(const RepeatRule& rule, const TodoSchedule& schedule,
                         const Calendar& calendar) {
    const bool several = rule.interval >= 2;
    const std::string n = std::to_string(rule.interval);
    switch (rule.unit) {
        case RepeatUnit::day:
            return several ? "every " + n + " days" : "every day";
        case RepeatUnit::week: {
            std::string names = weekdayNames(rule.weekdays, true, ", ");
            if (names.empty()) {
                names = "week";
            }
            return several ? "every " + n + " weeks on " + names : "every " + names;
        }
        case RepeatUnit::month: {
            const std::string day = "day " + dayOfMonthText(rule, schedule, calendar);
            return several ? day + " every " + n + " months" : day + " monthly";
        }
    }
    return "";
}

std::string shortLabel(const TodoSchedule& schedule, const Calendar& calendar) {
    const std::string when = schedule.repeatRule
                                 ? repeatLabel(*schedule.repeatRule, schedule, calendar)
                                 : formatDay(schedule.startDate, calendar);
    return when + " · " + timesLabel(schedule.times, calendar);
}

std::string menuDescription(const TodoSchedule& schedule, const Calendar& calendar) {
    const std::string when = schedule.repeatRule
                                 ? repeatPhrase(*schedule.repeatRule, schedule, calendar)
                                 : "once on " + formatDay(schedule.startDate, calendar);
    std::vector<std::string> times;
    for (const auto& time : sorted(schedule.times)) {
        times.push_back(formatClock(time, calendar));
    }
    return "↺ " + when + " at " + join(times, ", ");
}

std::string formatDay(Date date, const Calendar& calendar) {
    if (!Calendar::inRange(date)) {
        return "";
    }
    auto& impl = calendar.impl();
    auto* format =
        impl.cached<icu::SimpleDateFormat>("day", [&]() -> std::unique_ptr<icu::SimpleDateFormat> {
            UErrorCode status = U_ZERO_ERROR;
            auto made = std::make_unique<icu::SimpleDateFormat>(u"MMM d", impl.locale, status);
            if (U_FAILURE(status)) {
                return nullptr;
            }
            made->setCalendar(*impl.calendar);
            return made;
        });
    if (format == nullptr) {
        return "";
    }
    icu::UnicodeString text;
    format->format(toIcuDate(date), text);
    return toUtf8(text);
}

std::vector<WeekdayChoice> weekdayChoices(const Calendar& calendar) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(calendar.impl().locale, status);
    int32_t shorterCount = 0;
    int32_t fullCount = 0;
    // ICU's arrays are indexed by weekday number, 1 = Sunday; slot 0 is empty.
    const icu::UnicodeString* shorter =
        U_SUCCESS(status) ? symbols.getWeekdays(shorterCount, icu::DateFormatSymbols::STANDALONE,
                                                icu::DateFormatSymbols::SHORT)
                          : nullptr;
    const icu::UnicodeString* full =
        U_SUCCESS(status) ? symbols.getWeekdays(fullCount, icu::DateFormatSymbols::STANDALONE,
                                                icu::DateFormatSymbols::WIDE)
                          : nullptr;
    std::vector<WeekdayChoice> choices;
    for (int offset = 0; offset < 7; ++offset) {
        const int weekday = (calendar.firstWeekday() - 1 + offset) % 7 + 1;
        WeekdayChoice choice{weekday, std::string(shortWeekday(weekday).substr(0, 2)),
                             std::string(longWeekday(weekday))};
        if (shorter && weekday < shorterCount)
            choice.label = toUtf8(shorter[weekday]);
        if (full && weekday < fullCount)
            choice.name = toUtf8(full[weekday]);
        choices.push_back(std::move(choice));
    }
    return choices;
}

std::string durationLabel(std::int64_t minutes) {
    if (minutes < 60) {
        return std::to_string(minutes) + " min";
    }
    const std::int64_t hours = minutes / 60;
    const std::int64_t rest = minutes % 60;
    if (rest == 0) {
        return std::to_string(hours) + "h";
    }
    return std::to_string(hours) + "h " + std::to_string(rest) + "m";
}

bool uses24HourClock(const Calendar& calendar) {
    return clockPattern(calendar).indexOf(u'a') < 0;
}

std::string formatClock(const TimeOfDay& time, const Calendar& calendar) {
    auto* format = clockFormat(calendar, true);
    if (format == nullptr || time.hour < 0 || time.hour > 23 || time.minute < 0 ||
        time.minute > 59) {
        return clockTime(time);  // what a damaged record holds, as it is
    }
    // A long list shows the same few times over and over.
    auto* texts = calendar.impl().cached<ClockTexts>("clockTexts",
                                                     [] { return std::make_unique<ClockTexts>(); });
    std::string& known = texts->byMinute[time.hour * 60 + time.minute];
    if (known.empty()) {
        icu::UnicodeString text;
        format->format(static_cast<UDate>((time.hour * 60 + time.minute) * 60'000), text);
        known = toUtf8(text);
    }
    return known;
}

std::string formatWakeTime(Date date, const Calendar& calendar, Date now) {
    if (!Calendar::inRange(date)) {
        return "";
    }
    auto& impl = calendar.impl();
    auto* relative =
        impl.cached<RelativeDays>("relativeDays", [&] { return loadRelativeDays(impl.locale); });
    auto* dateOnly =
        dateFormat(calendar, "shortDate", icu::DateFormat::kShort, icu::DateFormat::kNone);
    auto* timeOnly = clockFormat(calendar, false);
    if (dateOnly == nullptr || timeOnly == nullptr) {
        return "";
    }
    icu::UnicodeString dayText;
    const auto day = calendar.dayNumber(date);
    const auto today = calendar.dayNumber(now);
    const auto name = day && today && *day - *today >= -2 && *day - *today <= 2
                          ? relative->names.find(static_cast<int>(*day - *today))
                          : relative->names.end();
    if (name != relative->names.end()) {
        dayText = name->second;
    } else {
        dateOnly->format(toIcuDate(date), dayText);
    }
    icu::UnicodeString timeText;
    timeOnly->format(toIcuDate(date), timeText);
    icu::UnicodeString text;
    UErrorCode status = U_ZERO_ERROR;
    relative->glue.format(timeText, dayText, text, status);
    return U_SUCCESS(status) ? toUtf8(text) : toUtf8(dayText) + " " + toUtf8(timeText);
}

}  // namespace cadro
