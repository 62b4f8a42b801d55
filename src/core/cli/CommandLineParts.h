#pragma once

// The pieces of the `cadro` command line: argument handling, parsing of
// values, looking threads up by name, and the text and JSON listings.

#include "core/base/Calendar.h"
#include "core/cli/CommandLine.h"
#include "core/store/ThreadStore.h"

#include <cstdint>
#include <functional>
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

/// One thread or to-do, with the number `cadro list` shows beside it.
struct Item {
    std::size_t number = 0;
    Uuid id;
    std::string title;
    /// The list a thread is in; nothing for a to-do.
    std::optional<ThreadKind> list;
    bool snoozed = false;

    bool isTodo() const { return !list; }
};

/// Every thread (active, parked, snoozed) and then every to-do, numbered
/// from 1 in the order `cadro list` shows them.
std::vector<Item> numberedItems(const ThreadStore& store);

/// The item `name` names among those `accepts` takes (`what` says which, as
/// in "snoozed thread or to-do"): its number in `cadro list`, its id or a
/// unique start of it, or its title in any case, where an exact title wins
/// over a unique start of one. Throws UsageError when nothing or several
/// match, naming the candidates.
Item pickItem(const ThreadStore& store, const std::string& name,
              const std::function<bool(const Item&)>& accepts, const std::string& what);

/// `title` in double quotes, safe to print on one line.
std::string inQuotes(const std::string& title);

/// What the terminal and status bars show while the day is closed: how to
/// open it.
std::string closedDayText();
/// What `cadro status` prints: the tray's title, or closedDayText().
std::string statusText(const ThreadStore& store);
/// "Now: Title — step", or what stands in for it when nothing is up.
std::string currentLine(const ThreadStore& store);

/// The schedule described by --at, --on, --every, --weekdays and --day, or
/// nothing when no --at is given (other schedule options then are an error).
std::optional<TodoSchedule> scheduleFromOptions(Arguments& args, const CommandLineHost& host);

std::string listText(const ThreadStore& store, const Calendar& calendar, Date now);
std::string listJson(const ThreadStore& store, const Calendar& calendar, Date now);
/// An instant as ISO 8601 in the calendar's zone, with its offset
/// ("2026-03-04T18:00:00+01:00").
std::string localTimestamp(Date date, const Calendar& calendar);

}  // namespace cadro::cli
