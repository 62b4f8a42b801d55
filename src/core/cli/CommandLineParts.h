#pragma once

// The pieces of the `cadro` command line: argument handling, parsing of
// values, looking threads up by name, and the text and JSON listings.

#include "core/base/Calendar.h"
#include "core/cli/CommandLine.h"
#include "core/store/ThreadStore.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cadro::cli {

/// Bad input on the command line; the message says what and where.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// The arguments after the command name. Options are taken out as they are
/// asked for; done() rejects whatever is left.
class Arguments {
  public:
    explicit Arguments(std::vector<std::string> args) : args_(std::move(args)) {}

    bool flag(const std::string& name);
    /// The value after `name`; throws when the value is missing or the option
    /// is given twice.
    std::optional<std::string> option(const std::string& name);
    /// Every value of a repeatable option, in order.
    std::vector<std::string> options(const std::string& name);
    /// An option followed by an optional count and a word ("--every 2 week" or
    /// "--every week"); empty when absent.
    std::vector<std::string> optionWithCount(const std::string& name);
    /// The first argument that is not an option (ask for options first: their
    /// values look like positional arguments); throws when there is none.
    std::string positional(const std::string& what);
    std::optional<std::string> optionalPositional();
    /// Throws for any argument nobody asked for.
    void done() const;

  private:
    std::vector<std::string> args_;
};

/// A whole decimal number within [min, max].
std::int64_t parseInteger(const std::string& text, const std::string& what, std::int64_t min,
                          std::int64_t max);
/// "45" minutes; nothing when the text is not a plain number (a preset name).
std::optional<std::int64_t> parseMinutes(const std::string& text);
/// "#RRGGBB" (the # optional), returned in the stored upper-case form.
std::string parseColor(const std::string& text);
/// "YYYY-MM-DD HH:MM" in the calendar's zone.
Date parseDateTime(const std::string& text, const Calendar& calendar);

/// The thread in `kind`'s list with this id (either case) or exact title.
Uuid findThread(const ThreadStore& store, ThreadKind kind, const std::string& name);

/// The schedule described by --at, --on, --every, --weekdays and --day, or
/// nothing when no --at is given (other schedule options then are an error).
std::optional<TodoSchedule> scheduleFromOptions(Arguments& args, const CommandLineHost& host);

std::string listText(const ThreadStore& store, const Calendar& calendar, Date now);
std::string listJson(const ThreadStore& store, const Calendar& calendar);

}  // namespace cadro::cli
