#include "core/cli/CommandLineListing.h"

#include "core/base/JsonWriter.h"
#include "core/base/Utf8.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/status/StatusTitle.h"
#include "core/store/StoreFormat.h"
#include "core/store/TodoFinish.h"

#include <unicode/unistr.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace cadro {
namespace {

const char* className(StatusContent::State state) {
    switch (state) {
        case StatusContent::State::dayClosed:
            return "closed";
        case StatusContent::State::todo:
            return "todo";
        case StatusContent::State::thread:
            return "thread";
        case StatusContent::State::idle:
            return "idle";
    }
    return "idle";
}

template <typename T>
void valueOrNull(json::Writer& out, const std::optional<T>& value) {
    if (value)
        out.value(*value);
    else
        out.null();
}

void timestampOrNull(json::Writer& out, const std::optional<Date>& date, const Calendar& calendar) {
    if (date)
        out.value(cli::localTimestamp(*date, calendar));
    else
        out.null();
}

// Leaves the object open for keys of the caller's.
void writeThread(json::Writer& out, const Strand& thread) {
    out.beginObject();
    out.key("id");
    out.value(thread.id.toString());
    out.key("title");
    out.value(thread.title);
    out.key("step");
    out.value(thread.step);
    out.key("nextSteps");
    out.beginArray();
    for (const auto& step : thread.nextSteps)
        out.value(step);
    out.endArray();
    out.key("color");
    valueOrNull(out, thread.colorHex);
    out.key("priority");
    valueOrNull(out, thread.priority);
    out.key("isHygiene");
    out.value(thread.isHygiene);
}

void writeTodo(json::Writer& out, const Todo& todo, const Calendar& calendar, Date now) {
    out.beginObject();
    out.key("id");
    out.value(todo.id.toString());
    out.key("title");
    out.value(todo.title);
    out.key("estimatedMinutes");
    valueOrNull(out, todo.estimatedMinutes);
    out.key("schedule");
    if (todo.schedule) {
        // The schedule as the store keeps it, with its label and next time added.
        out.beginObject();
        writeScheduleFields(out, *todo.schedule);
        out.key("label");
        out.value(shortLabel(*todo.schedule, calendar));
        out.key("next");
        timestampOrNull(out, todo.schedule->nextOccurrence(now, calendar), calendar);
        out.endObject();
    } else {
        out.null();
    }
    out.key("snoozedUntil");
    timestampOrNull(out, todo.snoozedUntil, calendar);
    out.endObject();
}

std::string tooltip(const ThreadStore& store, const StatusContent& content) {
    switch (content.state) {
        case StatusContent::State::dayClosed:
            return "Your day hasn't started";
        case StatusContent::State::idle:
            return "No active threads";
        case StatusContent::State::todo: {
            const Todo& todo = *store.state().currentTodo();
            std::string text = "To-do: " + todo.title;
            if (todo.estimatedMinutes)
                text += " (~" + std::to_string(*todo.estimatedMinutes) + " min)";
            return text;
        }
        case StatusContent::State::thread:
            break;
    }
    const Strand& thread = *store.state().current();
    std::string text = threadText(store, thread);
    if (!thread.nextSteps.empty())
        text += "\nnext \xE2\x96\xB8 " + thread.nextSteps.front();
    return text;
}

// The start of a row in `cadro list`: its number, for naming it in other
// commands, and a star when it is current.
std::string rowStart(std::size_t& number, bool isCurrent) {
    std::string text = std::to_string(++number);
    return std::string(text.size() < 3 ? 3 - text.size() : 0, ' ') + text +
           (isCurrent ? " * " : "   ");
}

void listThreads(std::string& out, const char* heading, const std::vector<Strand>& threads,
                 const ThreadStore& store, const Calendar& calendar, Date now, std::size_t& number,
                 const cli::ListFilter& filter) {
    if (!filter.threads) {
        number += threads.size();
        return;
    }
    const bool any = std::any_of(threads.begin(), threads.end(), [&](const Strand& thread) {
        return filter.matches(thread.title, thread.step);
    });
    out += heading;
    out += any ? "\n" : " none\n";
    for (const auto& thread : threads) {
        if (!filter.matches(thread.title, thread.step)) {
            ++number;
            continue;
        }
        bool isCurrent = store.state().sessionOpen && !store.state().currentTodo() &&
                         store.state().currentID == thread.id;
        out += rowStart(number, isCurrent);
        out += withoutControlCharacters(threadText(store, thread));
        if (thread.priority)
            out += "  [priority " + std::to_string(*thread.priority) + "]";
        if (thread.snoozedUntil)
            out += "  (wakes " + formatWakeTime(*thread.snoozedUntil, calendar, now) + ")";
        out += "\n";
    }
}

}  // namespace

std::string statusJson(const ThreadStore& store, const Calendar& calendar, Date now) {
    StatusContent content = statusContent(store);
    std::string text;
    json::Writer out(text);
    out.beginObject();
    out.key("text");
    out.value(cli::statusText(store));
    out.key("tooltip");
    out.value(tooltip(store, content));
    out.key("class");
    out.value(className(content.state));
    out.key("sessionOpen");
    out.value(store.state().sessionOpen);
    out.key("thread");
    if (const Strand* thread = store.state().sessionOpen ? store.state().current() : nullptr) {
        writeThread(out, *thread);
        out.endObject();
    } else {
        out.null();
    }
    out.key("todo");
    if (const Todo* todo = store.state().sessionOpen ? store.state().currentTodo() : nullptr)
        writeTodo(out, *todo, calendar, now);
    else
        out.null();
    out.endObject();
    return text;
}

namespace cli {
namespace {

// What a status bar shows at most, in characters.
constexpr std::size_t kStatusCharacters = 60;

// What printf's "%0*lld" writes: at least `width` characters, zeros between
// any sign and the digits.
void appendPadded(std::string& out, std::int64_t value, std::size_t width) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const char* first = digits;
    if (value < 0) {
        out += '-';
        ++first;
        width = width > 0 ? width - 1 : 0;
    }
    const auto length = static_cast<std::size_t>(end - first);
    if (length < width)
        out.append(width - length, '0');
    out.append(first, length);
}

}  // namespace

std::string inQuotes(const std::string& title) {
    return "\"" + withoutControlCharacters(title) + "\"";
}

std::string closedDayText() {
    return "Day not started \xC2\xB7 cadro start-day";
}

std::string nothingCurrent(const ThreadStore& store) {
    if (!store.state().sessionOpen)
        return "your day hasn't started; start it with: cadro start-day";
    if (!store.state().parked.empty() || !store.state().snoozed.empty()) {
        return "nothing is current: every thread is parked or snoozed; bring one back with "
               "cadro unpark THREAD or cadro wake THREAD, or add one with cadro add-thread TITLE";
    }
    return "nothing is current: add a thread with cadro add-thread TITLE";
}

std::string currentLine(const ThreadStore& store) {
    if (!store.state().sessionOpen)
        return closedDayText();
    if (const Todo* todo = store.state().currentTodo())
        return "Now: to-do " + inQuotes(todo->title);
    const Strand* thread = store.state().current();
    if (!thread) {
        std::string line = nothingCurrent(store);
        line.front() = 'N';
        return line;
    }
    std::string line = "Now: " + withoutControlCharacters(thread->title);
    const std::string step = threadStepLabel(store, *thread);
    if (!step.empty())
        line += " \xE2\x80\x94 " + withoutControlCharacters(step);
    return line;
}

std::string statusText(const ThreadStore& store) {
    if (!store.state().sessionOpen)
        return closedDayText();
    if (const Todo* todo = store.state().currentTodo())
        return "\xE2\x98\x90 " + elided(withoutControlCharacters(todo->title), kStatusCharacters);
    if (const Strand* thread = store.state().current())
        return elided(withoutControlCharacters(threadText(store, *thread)), kStatusCharacters);
    const bool setAside = !store.state().parked.empty() || !store.state().snoozed.empty();
    return setAside ? "Nothing current \xC2\xB7 cadro unpark or cadro wake a thread"
                    : "Nothing current \xC2\xB7 cadro add-thread TITLE";
}

std::string elided(const std::string& text, std::size_t characters) {
    if (prefixCharacters(text, characters).size() == text.size())
        return text;
    std::string cut = prefixCharacters(text, characters - 1);
    // Back to the last word boundary, unless that throws most of it away.
    const std::size_t space = cut.find_last_of(' ');
    if (space != std::string::npos && space > cut.size() / 2)
        cut.erase(space);
    while (!cut.empty() && std::string_view(" ,;:.-").find(cut.back()) != std::string_view::npos)
        cut.pop_back();
    return cut + "\xE2\x80\xA6";
}

std::string localTimestamp(Date date, const Calendar& calendar) {
    const auto local = calendar.localTime(date);
    if (!local)
        return formatUtcTimestamp(date);
    const auto wholeSeconds = static_cast<std::int64_t>(std::floor(date.toUnix()));
    const std::int64_t seconds =
        local->dayNumber * 86'400 + local->hour * 3'600 + local->minute * 60 + local->second;
    const std::int64_t offset = seconds - wholeSeconds;
    // Put together by hand: a list of many to-dos writes many of these, and
    // printf costs more than the calendar work behind them.
    std::string text;
    text.reserve(32);
    appendPadded(text, local->date.year, 4);
    text += '-';
    appendPadded(text, local->date.month, 2);
    text += '-';
    appendPadded(text, local->date.day, 2);
    text += 'T';
    appendPadded(text, local->hour, 2);
    text += ':';
    appendPadded(text, local->minute, 2);
    text += ':';
    appendPadded(text, local->second, 2);
    text += offset < 0 ? '-' : '+';
    appendPadded(text, std::abs(offset) / 3'600, 2);
    text += ':';
    appendPadded(text, std::abs(offset) % 3'600 / 60, 2);
    return text;
}

bool ListFilter::matches(const std::string& title, const std::string& step) const {
    if (pattern.empty())
        return true;
    auto fold = [](const std::string& text) {
        std::string out;
        icu::UnicodeString::fromUTF8(text).foldCase().toUTF8String(out);
        return out;
    };
    const std::string key = fold(pattern);
    return fold(title).find(key) != std::string::npos || fold(step).find(key) != std::string::npos;
}

std::string listText(const ThreadStore& store, const Calendar& calendar, Date now,
                     const ListFilter& filter) {
    std::string out;
    out += store.state().sessionOpen ? "Day: open\n" : "Day: not started\n";
    std::size_t number = 0;
    listThreads(out, "Active:", store.state().active, store, calendar, now, number, filter);
    listThreads(out, "Parked:", store.state().parked, store, calendar, now, number, filter);
    listThreads(out, "Snoozed:", store.state().snoozed, store, calendar, now, number, filter);
    if (!filter.todos)
        return out;
    const auto& all = store.state().todos;
    const bool any = std::any_of(all.begin(), all.end(),
                                 [&](const Todo& todo) { return filter.matches(todo.title); });
    out += any ? "To-dos:\n" : "To-dos: none\n";
    for (const auto& todo : store.state().todos) {
        if (!filter.matches(todo.title)) {
            ++number;
            continue;
        }
        out +=
            rowStart(number, store.state().sessionOpen && store.state().currentTodoID == todo.id);
        out += withoutControlCharacters(todo.title);
        if (todo.estimatedMinutes)
            out += "  ~" + durationLabel(*todo.estimatedMinutes);
        if (todo.schedule)
            out += "  " + shortLabel(*todo.schedule, calendar);
        if (neverComesUp(store, todo, now, calendar))
            out += " \xC2\xB7 never comes up";
        if (todo.snoozedUntil && *todo.snoozedUntil > now) {
            out += "  (until " + formatWakeTime(*todo.snoozedUntil, calendar, now) + ")";
        }
        out += "\n";
    }
    return out;
}

std::string listTitles(const ThreadStore& store, const ListFilter& filter) {
    // Control characters (a tab among them) are shown as replacements, so
    // each line holds exactly one tab.
    std::string out;
    for (auto kind : {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed}) {
        for (const auto& thread : store.state().threads(kind)) {
            if (filter.threads && filter.matches(thread.title, thread.step))
                out += withoutControlCharacters(thread.title) + "\tthread\n";
        }
    }
    for (const auto& todo : store.state().todos) {
        if (filter.todos && filter.matches(todo.title))
            out += withoutControlCharacters(todo.title) + "\tto-do\n";
    }
    return out;
}

std::string listJson(const ThreadStore& store, const Calendar& calendar, Date now,
                     const ListFilter& filter) {
    std::string text;
    // Room for a typical item each, so that a long list is not copied over
    // and over as it grows.
    const auto& state = store.state();
    text.reserve(1024 + 256 * (state.active.size() + state.parked.size() + state.snoozed.size() +
                               state.todos.size()));
    json::Writer out(text);
    out.beginObject();
    out.key("sessionOpen");
    out.value(store.state().sessionOpen);
    out.key("currentID");
    valueOrNull(out, store.state().currentID ? std::optional(store.state().currentID->toString())
                                             : std::nullopt);
    out.key("currentTodoID");
    valueOrNull(out, store.state().currentTodoID
                         ? std::optional(store.state().currentTodoID->toString())
                         : std::nullopt);
    for (auto [kind, key] : {std::pair{ThreadKind::active, "active"},
                             {ThreadKind::parked, "parked"},
                             {ThreadKind::snoozed, "snoozed"}}) {
        out.key(key);
        out.beginArray();
        for (const auto& thread : store.state().threads(kind)) {
            if (!filter.threads || !filter.matches(thread.title, thread.step))
                continue;
            writeThread(out, thread);
            if (thread.snoozedUntil) {
                out.key("snoozedUntil");
                out.value(localTimestamp(*thread.snoozedUntil, calendar));
            }
            out.endObject();
        }
        out.endArray();
    }
    out.key("todos");
    out.beginArray();
    for (const auto& todo : store.state().todos) {
        if (filter.todos && filter.matches(todo.title))
            writeTodo(out, todo, calendar, now);
    }
    out.endArray();
    out.endObject();
    return text;
}

}  // namespace cli
}  // namespace cadro
