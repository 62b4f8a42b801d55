#pragma once

// The values `cadro` commands take: numbers, minutes, colours, times and
// schedules.

#include "core/base/Calendar.h"
#include "core/cli/Arguments.h"
#include "core/cli/CommandLine.h"
#include "core/schedule/TodoSchedule.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cadro::cli {

/// All of `text` as a decimal integer (an optional leading minus), else nothing.
std::optional<std::int64_t> wholeNumber(std::string_view text);
/// A whole decimal number within [min, max].
std::int64_t parseInteger(const std::string& text, const std::string& what, std::int64_t min,
                          std::int64_t max);
/// "#RRGGBB" (the # optional), returned in the stored upper-case form.
std::string parseColor(const std::string& text);

/// Refuses a schedule with no time still ahead, naming the times and day it
/// was understood as.
void refusePastSchedule(const TodoSchedule& schedule, Date now, const Calendar& calendar);

/// The schedule described by --at, --on, --every, --weekdays and --day, or
/// nothing when no --at is given (other schedule options then are an error).
std::optional<TodoSchedule> scheduleFromOptions(Arguments& args, const CommandLineHost& host);

}  // namespace cadro::cli
