#include "core/schedule/TimeInput.h"

#include "core/base/Calendar.h"
#include "core/schedule/ScheduleLabels.h"

#include <unicode/unistr.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace cadro {
namespace {

constexpr const char* kExamples = "try 90m, 2h, 1h30, 7pm, 19:30, noon, tomorrow 9 or mon 9:00";
constexpr TimeOfDay kMorning{9, 0};

std::string wrapped(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool isDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::optional<std::int64_t> number(std::string_view text) {
    std::int64_t value = 0;
    if (!isDigits(text) || text.size() > 9)
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Minutes per unit word, or 0 for a word that is none.
double unitMinutes(std::string_view unit) {
    static const std::pair<std::string_view, double> kUnits[] = {
        {"d", 1440}, {"day", 1440}, {"days", 1440}, {"h", 60}, {"hr", 60},
        {"hrs", 60}, {"hour", 60},  {"hours", 60},  {"m", 1},  {"min", 1},
        {"mins", 1}, {"minute", 1}, {"minutes", 1},
    };
    for (const auto& [name, minutes] : kUnits) {
        if (name == unit)
            return minutes;
    }
    return 0;
}

// "1h30m", "1.5h", "90": the minutes, or nothing when it is no length at all.
std::optional<double> lengthMinutes(const std::string& text) {
    if (isDigits(text))
        return static_cast<double>(*number(text.size() > 9 ? "999999999" : text));
    double total = 0;
    double lastUnit = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t digits = text.find_first_not_of("0123456789.", at);
        const std::string amount = text.substr(at, digits - at);
        if (amount.empty() || std::count(amount.begin(), amount.end(), '.') > 1 ||
            amount.front() == '.' || amount.back() == '.' || amount.size() > 9)
            return std::nullopt;
        const double value = std::stod(amount);
        if (digits == std::string::npos) {
            // "1h30": minutes after the hours.
            if (lastUnit != 60 || amount.find('.') != std::string::npos)
                return std::nullopt;
            return total + value;
        }
        const std::size_t end = text.find_first_of("0123456789.", digits);
        const double unit = unitMinutes(std::string_view(text).substr(digits, end - digits));
        // Units come largest first, each once.
        if (unit == 0 || (lastUnit != 0 && unit >= lastUnit))
            return std::nullopt;
        total += value * unit;
        lastUnit = unit;
        at = end == std::string::npos ? text.size() : end;
    }
    return total;
}

// A time of day; a bare hour ("9") only when `bareHour`.
std::optional<TimeOfDay> timeOfDay(std::string text, bool bareHour) {
    static const std::pair<std::string_view, TimeOfDay> kWords[] = {
        {"noon", {12, 0}}, {"midnight", {0, 0}}, {"morning", kMorning}, {"evening", {18, 0}}};
    for (const auto& [word, time] : kWords) {
        if (text == word)
            return time;
    }
    int half = 0;  // 1 am, 2 pm
    for (const auto& [suffix, which] : {std::pair{"a.m.", 1}, {"p.m.", 2}, {"am", 1}, {"pm", 2}}) {
        if (text.size() > std::string_view(suffix).size() && text.ends_with(suffix)) {
            text.erase(text.size() - std::string_view(suffix).size());
            half = which;
            break;
        }
    }
    const std::size_t colon = text.find(':');
    const auto hour = number(text.substr(0, colon));
    std::optional<std::int64_t> minute = 0;
    if (colon != std::string::npos) {
        const std::string rest = text.substr(colon + 1);
        minute = rest.size() == 2 ? number(rest) : std::nullopt;
    } else if (!half && !bareHour) {
        return std::nullopt;
    }
    if (!hour || !minute || *minute > 59 || text.substr(0, colon).size() > 2)
        return std::nullopt;
    if (half) {
        if (*hour < 1 || *hour > 12)
            return std::nullopt;
        return TimeOfDay{*hour % 12 + (half == 2 ? 12 : 0), *minute};
    }
    if (*hour > 23)
        return std::nullopt;
    return TimeOfDay{*hour, *minute};
}

std::string folded(std::string_view text) {
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())))
        .foldCase()
        .toUTF8String(out);
    while (!out.empty() && out.back() == '.')
        out.pop_back();  // "Mo." in some languages
    return out;
}

// 1 = Sunday ... 7 = Saturday for an English weekday name or one of the
// calendar's language.
std::optional<int> weekdayNamed(const std::string& word, const Calendar& calendar) {
    static const std::vector<std::string_view> kEnglish[] = {
        {"su", "sun", "sunday"},
        {"mo", "mon", "monday"},
        {"tu", "tue", "tues", "tuesday"},
        {"we", "wed", "wednesday"},
        {"th", "thu", "thur", "thurs", "thursday"},
        {"fr", "fri", "friday"},
        {"sa", "sat", "saturday"}};
    for (int day = 0; day < 7; ++day) {
        const auto& names = kEnglish[day];
        if (std::find(names.begin(), names.end(), word) != names.end())
            return day + 1;
    }
    const std::string key = folded(word);
    for (const auto& choice : weekdayChoices(calendar)) {
        if (key == folded(choice.label) || key == folded(choice.name))
            return static_cast<int>(choice.weekday);
    }
    return std::nullopt;
}

struct Day {
    std::int64_t year, month, day;
};

std::optional<Day> dayAfter(Date now, std::int64_t days, const Calendar& calendar) {
    const auto date = calendar.addDays(calendar.startOfDay(now), days);
    const auto civil = date ? calendar.civilDate(*date) : std::nullopt;
    if (!civil)
        return std::nullopt;
    return Day{civil->year, civil->month, civil->day};
}

std::optional<Date> at(const Day& day, TimeOfDay time, const Calendar& calendar) {
    return calendar.compose(day.year, day.month, day.day, time.hour, time.minute, 0);
}

// "2026-03-04", a day that exists.
std::optional<Day> isoDay(const std::string& word, const Calendar& calendar) {
    if (word.size() != 10 || word[4] != '-' || word[7] != '-')
        return std::nullopt;
    const auto y = number(word.substr(0, 4));
    const auto m = number(word.substr(5, 2));
    const auto d = number(word.substr(8, 2));
    if (!y || !m || !d || *y < 1900)
        return std::nullopt;
    const auto noon = calendar.compose(*y, *m, *d, 12, 0, 0);
    if (!noon || calendar.day(*noon) != *d || calendar.month(*noon) != *m)
        return std::nullopt;
    return Day{*y, *m, *d};
}

}  // namespace

TimeInput<std::int64_t> parseLength(std::string_view text) {
    std::string compact;
    for (char c : lowerAscii(text)) {
        if (c != ' ')
            compact += c;
    }
    const auto minutes = lengthMinutes(compact);
    if (!minutes)
        return {std::nullopt,
                wrapped(text) + " is not a length (try 45, 15m, 90m, 2h, 1h30 or 1.5h)"};
    const auto rounded = static_cast<std::int64_t>(std::llround(*minutes));
    if (rounded < 1 || rounded > kMaxLengthMinutes)
        return {std::nullopt, wrapped(text) + " is not a length from 1 minute to a year"};
    return {rounded, {}};
}

TimeInput<TimeOfDay> parseTimeOfDay(std::string_view text) {
    std::string word;
    for (char c : lowerAscii(text)) {
        if (c != ' ')
            word += c;
    }
    if (auto time = timeOfDay(word, false))
        return {time, {}};
    if (const auto hour = number(word); hour && *hour < 24) {
        // Morning or evening? Say how to write either.
        std::string advice =
            wrapped(text) + " is not a time: write " + std::to_string(*hour) + ":00";
        if (*hour >= 1 && *hour <= 12) {
            advice += ", " + std::to_string(*hour) + "am or " + std::to_string(*hour) + "pm";
        }
        return {std::nullopt, advice};
    }
    return {std::nullopt, wrapped(text) + " is not a time of day (try 7pm, 7:30pm, 19:30 or noon)"};
}

TimeInput<Date> parseMoment(std::string_view text, Date now, const Calendar& calendar) {
    // Words, with "am" and "pm" joined to the time before them.
    std::vector<std::string> words;
    const std::string lower = lowerAscii(text);
    for (std::size_t at = lower.find_first_not_of(" \t"); at != std::string::npos;) {
        const std::size_t end = lower.find_first_of(" \t", at);
        std::string word = lower.substr(at, end - at);
        if (!words.empty() && (word == "am" || word == "pm" || word == "a.m." || word == "p.m."))
            words.back() += word;
        else
            words.push_back(word);
        at = lower.find_first_not_of(" \t", end);
    }
    if (words.empty())
        return {std::nullopt, "no time given (" + std::string(kExamples) + ")"};
    if (const auto length = parseLength(text))
        return {now + static_cast<double>(*length.value) * 60.0, {}};
    if (isDigits(words.front()) && words.size() == 1)
        return {std::nullopt, parseLength(text).problem};

    const std::string& first = words.front();
    std::optional<Day> day;
    std::optional<int> weekday;
    if (first == "today")
        day = dayAfter(now, 0, calendar);
    else if (first == "tomorrow")
        day = dayAfter(now, 1, calendar);
    else if ((weekday = weekdayNamed(first, calendar)))
        ;
    else if (!(day = isoDay(first, calendar)) && first.size() == 10 && first[4] == '-' &&
             first[7] == '-')
        return {std::nullopt, "there is no such day as " + wrapped(first)};
    const bool hasDay = day || weekday;

    if (words.size() > (hasDay ? 2u : 1u)) {
        return {std::nullopt, wrapped(text) + " is not a time (" + kExamples + ")"};
    }
    std::optional<TimeOfDay> time;
    if (words.size() == 2 || !hasDay) {
        const std::string& timeWord = words.back();
        time = timeOfDay(timeWord, hasDay);
        if (!time) {
            if (hasDay)
                return {std::nullopt, wrapped(timeWord) + " in " + wrapped(text) +
                                          " is not a time of day (try 9, 7pm, 19:30 or noon)"};
            if (parseTimeOfDay(timeWord).problem.starts_with(wrapped(timeWord) + " is not a time:"))
                return {std::nullopt, parseTimeOfDay(timeWord).problem};
            return {std::nullopt, wrapped(text) + " is not a time or length (" + kExamples + ")"};
        }
    }
    const TimeOfDay when = time.value_or(kMorning);

    if (weekday) {
        for (int offset = 0; offset <= 7; ++offset) {
            const auto candidate = dayAfter(now, offset, calendar);
            const auto moment = candidate ? at(*candidate, when, calendar) : std::nullopt;
            if (moment && calendar.weekday(*moment) == *weekday && *moment > now)
                return {moment, {}};
        }
    } else if (day) {
        if (const auto moment = at(*day, when, calendar))
            return {moment, {}};
    } else if (const auto today = dayAfter(now, 0, calendar)) {
        // A time alone: today while it is ahead, else tomorrow.
        const auto moment = at(*today, when, calendar);
        if (moment && *moment > now)
            return {moment, {}};
        if (const auto later = moment ? calendar.addDays(*moment, 1) : std::nullopt)
            return {later, {}};
    }
    return {std::nullopt, wrapped(text) + " is not a day this calendar can reach"};
}

}  // namespace cadro
