#pragma once

// What `cadro status` and `cadro list` print, and the lines other commands
// print about the current thread.

#include "core/base/Calendar.h"
#include "core/store/ThreadStore.h"

#include <string>

namespace cadro::cli {

/// `title` in double quotes, safe to print on one line.
std::string inQuotes(const std::string& title);

/// What the terminal and status bars show while the day is closed: how to
/// open it.
std::string closedDayText();
/// What `cadro status` prints: the tray's title (elided at a word), what to
/// do when nothing is current, or closedDayText().
std::string statusText(const ThreadStore& store);
/// "Now: Title — step", or what stands in for it when nothing is up.
std::string currentLine(const ThreadStore& store);
/// Why nothing is current, with what to do about it: start the day, bring
/// a thread back or add one.
std::string nothingCurrent(const ThreadStore& store);
/// `text` cut to at most `characters`, at a word boundary, ending in "…".
std::string elided(const std::string& text, std::size_t characters);

/// Which items `cadro list` shows: those whose title (or a thread's step)
/// holds `pattern` in any case, of one kind if asked. Items keep the numbers
/// they have in the whole list.
struct ListFilter {
    std::string pattern;
    bool threads = true;
    bool todos = true;

    bool matches(const std::string& title, const std::string& step = {}) const;
};

std::string listText(const ThreadStore& store, const Calendar& calendar, Date now,
                     const ListFilter& filter = {});
std::string listJson(const ThreadStore& store, const Calendar& calendar, Date now,
                     const ListFilter& filter = {});
/// What `cadro list --titles` prints for the shell completions: one line per
/// thread and to-do, its title, a tab and "thread" or "to-do".
std::string listTitles(const ThreadStore& store, const ListFilter& filter = {});
/// An instant as ISO 8601 in the calendar's zone, with its offset
/// ("2026-03-04T18:00:00+01:00").
std::string localTimestamp(Date date, const Calendar& calendar);

}  // namespace cadro::cli
