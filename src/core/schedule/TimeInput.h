#pragma once

// Lengths and times as people type them ("90m", "1h30", "7pm", "tomorrow 9",
// "mon 9:00"), read the same way wherever Cadro takes them as text.

#include "core/base/Date.h"
#include "core/schedule/TodoSchedule.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cadro {

class Calendar;

/// What was read, or `problem`: a sentence saying which part was not
/// understood.
template <typename T>
struct TimeInput {
    std::optional<T> value;
    std::string problem;

    explicit operator bool() const { return value.has_value(); }
};

/// The most a length may be: a year.
constexpr std::int64_t kMaxLengthMinutes = 525'600;

/// A length in whole minutes: "45" (plain minutes), "15m", "90 min", "2h",
/// "1.5h", "1h30", "1h30m", "1h 30m", "2d". Zero and more than a year are
/// refused.
TimeInput<std::int64_t> parseLength(std::string_view text);

/// A time of day: "19:30", "09:30", "9:05", "7pm", "7:30pm", "7:30 PM",
/// "noon", "midnight", "morning" (9:00), "evening" (18:00). A bare hour ("9")
/// is refused: it could be morning or evening.
TimeInput<TimeOfDay> parseTimeOfDay(std::string_view text);

/// A moment ahead of `now`: a length from now ("2h"), a time of day (today
/// if still ahead, else tomorrow), a day ("today", "tomorrow", a weekday
/// such as "mon" or "Monday" in English or the calendar's language,
/// "2026-03-04") with an optional time after it ("tomorrow 9" takes a bare
/// hour; a day alone means 9:00). A weekday is the next such day whose time
/// is still ahead. Wall-clock times skipped by a daylight-saving change move
/// forward. Only "today" and a date can give a moment in the past; the
/// caller decides what that means.
TimeInput<Date> parseMoment(std::string_view text, Date now, const Calendar& calendar);

}  // namespace cadro
