// The commands that act on any thread or to-do a person names: finishing,
// removing, editing, moving, parking, snoozing and waking.
#include "core/base/Utf8.h"
#include "core/cli/CommandRun.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/schedule/SnoozePreset.h"
#include "core/schedule/TimeInput.h"
#include "core/store/TodoFinish.h"

#include <algorithm>
#include <cctype>

namespace cadro::cli {
namespace {

bool isActiveThread(const Item& item) {
    return item.list == ThreadKind::active;
}

// "none" clears a value; anything else is parsed.
template <typename T, typename Parse>
std::optional<std::optional<T>> optionOrNone(Arguments& args, const std::string& name,
                                             Parse parse) {
    auto value = args.option(name);
    if (!value)
        return std::nullopt;
    if (*value == "none")
        return std::optional<T>();
    return std::optional<T>(parse(*value));
}

// When a snooze ends, worked out before anything is looked at.
Date snoozeEnd(CommandRun& run, const std::optional<std::string>& when, const char* what) {
    const Date now = run.now();
    if (!when)
        return now + static_cast<double>(run.store().state().defaultSnoozeMinutes) * 60.0;
    const auto end = parseMoment(*when, now, run.host.calendar);
    if (!end)
        throw UsageError(std::string(what) + end.problem);
    if (*end.value <= now)
        throw UsageError(std::string(what) + "\"" + *when + "\" is in the past (" +
                         wakeTime(run, *end.value) + ")");
    return *end.value;
}

std::string joined(const std::vector<std::string>& words, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to; ++i)
        text += (i > from ? " " : "") + words[i];
    return text;
}

}  // namespace

bool requireOpenDay(CommandRun& run) {
    if (run.store().state().sessionOpen)
        return true;
    run.nothingToDo("your day hasn't started; start it with: cadro start-day");
    return false;
}

std::string requireOneLine(std::string text, const char* what) {
    if (hasControlCharacters(text)) {
        throw UsageError(std::string(what) +
                         " contains a line break, tab or other control character");
    }
    return text;
}

std::string requireText(const std::string& text, const char* what) {
    if (trimWhitespaceAndNewlines(requireOneLine(text, what)).empty())
        throw UsageError(std::string(what) + " is blank");
    return text;
}

std::string wakeTime(const CommandRun& run, Date when) {
    return formatWakeTime(when, run.host.calendar, run.now());
}

void runDone(CommandRun& run, Arguments& args) {
    std::optional<std::string> name = args.optionalPositional();
    args.done();
    const Todo* up = run.store().state().sessionOpen ? run.store().state().currentTodo() : nullptr;
    Item todo;
    if (name) {
        todo = pickItem(run.store(), *name, &Item::isTodo, "to-do");
    } else if (up) {
        todo = {0, up->id, up->title, std::nullopt, false};
    } else {
        run.nothingToDo("no to-do is up; name one: cadro done TODO");
        return;
    }
    const Todo record = *run.store().state().todo(todo.id);
    const TodoFinish finish =
        planFinish(record, isUpOrWaiting(run.store(), record), run.now(), run.host.calendar);
    if (!run.report(actions::finishTodo(run.store(), todo.id)))
        return;
    std::string what = "Finished " + inQuotes(todo.title);
    if (finish.next) {
        if (finish.finishes)
            what += " for " + wakeTime(run, *finish.finishes);
        what += "; next " + wakeTime(run, *finish.next);
    }
    run.sayDone(what);
}

void runRemove(CommandRun& run, Arguments& args) {
    std::string name = args.positional("THREAD or TODO");
    args.done();
    const Item item = pickItem(
        run.store(), name, [](const Item&) { return true; }, "thread or to-do");
    if (!run.report(actions::remove(run.store(), item.id)))
        return;
    run.sayDone("Removed " + inQuotes(item.title));
}

void runEdit(CommandRun& run, Arguments& args) {
    // Everything is read and checked before the item is looked up.
    std::optional<std::string> title = args.option("--title");
    if (title)
        title = trimWhitespaceAndNewlines(requireText(*title, "the title"));
    std::optional<std::string> step = args.option("--step");
    if (step)
        step = requireText(*step, "the step");
    std::optional<std::vector<std::string>> nextSteps;
    if (std::vector<std::string> next = args.options("--next"); !next.empty()) {
        for (auto& each : next)
            each = requireText(each, "a next step");
        nextSteps = next;
    }
    if (args.flag("--no-next")) {
        if (nextSteps)
            throw UsageError("--next and --no-next cannot be combined");
        nextSteps.emplace();
    }
    auto priority = optionOrNone<std::int64_t>(args, "--priority", [](const std::string& v) {
        return parseInteger(v, "--priority", 1, 1'000'000);
    });
    auto color = optionOrNone<std::string>(args, "--color", parseColor);
    auto minutes = optionOrNone<std::int64_t>(args, "--minutes", [](const std::string& v) {
        return parseInteger(v, "--minutes", 1, 100'000);
    });
    std::optional<std::optional<TodoSchedule>> schedule;
    if (auto given = scheduleFromOptions(args, run.host))
        schedule = given;
    if (args.flag("--no-schedule")) {
        if (schedule)
            throw UsageError("--at and --no-schedule cannot be combined");
        schedule.emplace();
    }
    std::string name = args.positional("THREAD or TODO");
    args.done();

    const bool forThread = step || nextSteps || priority || color;
    const bool forTodo = minutes || schedule;
    if (!title && !forThread && !forTodo)
        throw UsageError("nothing to change; give --title or another option");
    const Item item = pickItem(
        run.store(), name, [](const Item&) { return true; }, "thread or to-do");
    if (item.isTodo() ? forThread : forTodo) {
        throw UsageError(
            item.isTodo()
                ? "--step, --next, --no-next, --priority and --color are for threads"
                : "--minutes, --at, --on, --every, --weekdays, --day and --no-schedule are for "
                  "to-dos");
    }
    const ActionResult revised =
        item.isTodo() ? actions::reviseTodo(run.store(), item.id, {title, minutes, schedule})
                      : actions::reviseThread(run.store(), item.id,
                                              {title, step, nextSteps, priority, color});
    if (!run.report(revised))
        return;
    run.sayDone("Changed " + inQuotes(title.value_or(item.title)));
}

void runMove(CommandRun& run, Arguments& args) {
    std::optional<std::string> to = args.option("--to");
    std::optional<std::string> before = args.option("--before");
    std::optional<std::string> after = args.option("--after");
    std::string name = args.positional("THREAD");
    args.done();
    if (int(bool(to)) + int(bool(before)) + int(bool(after)) != 1)
        throw UsageError("give one of --to N, --before THREAD or --after THREAD");
    const std::size_t ringSize = run.store().state().active.size();
    std::optional<std::size_t> position;  // 1-based, where it ends up
    if (to)
        position = parseInteger(*to, "--to", 1, 1'000'000);

    const Item moving = pickItem(run.store(), name, isActiveThread, "thread in the ring");
    const auto& ring = run.store().state().active;
    auto offsetOf = [&](const Uuid& id) {
        return static_cast<std::size_t>(
            std::find_if(ring.begin(), ring.end(), [&](const Strand& t) { return t.id == id; }) -
            ring.begin());
    };
    const std::size_t from = offsetOf(moving.id);
    // moveActive takes the offset of the row it lands before.
    std::size_t destination;
    if (position) {
        const std::size_t target = std::min(*position, ringSize) - 1;
        destination = target >= from ? target + 1 : target;
    } else {
        const Item other =
            pickItem(run.store(), before ? *before : *after, isActiveThread, "thread in the ring");
        if (other.id == moving.id)
            throw UsageError("a thread cannot move beside itself");
        destination = offsetOf(other.id) + (after ? 1 : 0);
    }
    if (!run.report(actions::moveActive(run.store(), {from}, destination)))
        return;
    const std::size_t landed = offsetOf(moving.id) + 1;
    run.say("Moved " + inQuotes(moving.title) + " to place " + std::to_string(landed) + " of " +
            std::to_string(ringSize) + ". " + currentLine(run.store()));
}

void runPark(CommandRun& run, Arguments& args) {
    std::optional<std::string> name = args.optionalPositional();
    args.done();
    Uuid id;
    if (name) {
        id = pickItem(run.store(), *name, isActiveThread, "thread in the ring").id;
    } else {
        if (!requireOpenDay(run))
            return;
        const auto current = run.store().state().currentID;
        if (!current || run.store().state().kindOf(*current) != ThreadKind::active) {
            run.nothingToDo("no thread is current");
            return;
        }
        id = *current;
    }
    const std::string title = run.store().state().strand(id)->title;
    if (!run.report(actions::park(run.store(), id)))
        return;
    run.sayDone("Parked " + inQuotes(title));
}

void runSnooze(CommandRun& run, Arguments& args) {
    std::optional<std::string> until = args.option("--until");
    std::vector<std::string> words;
    while (auto word = args.optionalPositional())
        words.push_back(*word);
    args.done();
    // [ITEM] [WHEN]: the longest tail that reads as a time is the time ("Tax
    // tomorrow 9"); a lone word is a time when it reads as one or starts with
    // a digit, else it names what to snooze.
    std::optional<std::string> name, when;
    std::size_t split = words.size();
    for (std::size_t k = 0; k < words.size() && !until; ++k) {
        if (parseMoment(joined(words, k, words.size()), run.now(), run.host.calendar)) {
            split = k;
            break;
        }
    }
    if (split == words.size() && !until) {
        if (words.size() == 1 && !words[0].empty() &&
            std::isdigit(static_cast<unsigned char>(words[0].front())))
            split = 0;
        else if (words.size() >= 2)
            split = 1;
    }
    if (split > 0)
        name = joined(words, 0, split);
    if (split < words.size())
        when = joined(words, split, words.size());
    if (until && when)
        throw UsageError("give either a length or --until, not both");
    const Date end = until ? snoozeEnd(run, until, "--until: ") : snoozeEnd(run, when, "");

    Item item;
    if (name) {
        item = pickItem(
            run.store(), *name, [](const Item& i) { return i.isTodo() || isActiveThread(i); },
            "to-do or thread in the ring");
    } else {
        if (!requireOpenDay(run))
            return;
        if (const Todo* todo = run.store().state().currentTodo()) {
            item = {0, todo->id, todo->title, std::nullopt, false};
        } else if (const Strand* thread = run.store().state().current()) {
            item = {0, thread->id, thread->title, ThreadKind::active, false};
        } else {
            run.nothingToDo(nothingCurrent(run.store()));
            return;
        }
    }
    if (!run.report(actions::snooze(run.store(), item.id, end)))
        return;
    run.sayDone("Snoozed " + inQuotes(item.title) + " until " + wakeTime(run, end));
}

void runWake(CommandRun& run, Arguments& args) {
    std::string name = args.positional("THREAD or TODO");
    args.done();
    const Item item = pickItem(
        run.store(), name, [](const Item& i) { return i.snoozed; }, "snoozed thread or to-do");
    if (!run.report(actions::wake(run.store(), item.id)))
        return;
    run.sayDone("Woke " + inQuotes(item.title));
}

void runUnpark(CommandRun& run, Arguments& args) {
    std::string name = args.positional("THREAD");
    args.done();
    const Item item = pickItem(
        run.store(), name, [](const Item& i) { return i.list == ThreadKind::parked; },
        "parked thread");
    if (!run.report(actions::unpark(run.store(), item.id)))
        return;
    run.sayDone("Back in the ring: " + inQuotes(item.title));
}

}  // namespace cadro::cli
