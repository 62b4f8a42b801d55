#include "core/cli/CommandTable.h"

#include "core/cli/CommandRun.h"

#include <algorithm>

namespace cadro {
namespace {

constexpr std::size_t kSummaryColumn = 34;
constexpr std::size_t kLineWidth = 79;

// `text` after `line`, wrapped at spaces so that no line is wider than a
// terminal; continuation lines are indented by `indent`.
std::string wrapped(std::string line, std::string_view text, std::size_t indent) {
    std::string out;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string_view word = text.substr(start, end - start);
        start = end + 1;
        if (line.size() > indent && line.size() + 1 + word.size() > kLineWidth) {
            out += line + "\n";
            line.assign(indent, ' ');
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
        line += word;
    }
    return out + line + "\n";
}

// A two-column row: `left`, then `right` from the summary column on, or on
// the next line when `left` reaches into it.
std::string row(const std::string& left, std::string_view right) {
    std::string lead = "  " + left;
    if (lead.size() < kSummaryColumn) {
        lead.resize(kSummaryColumn, ' ');
        return wrapped(lead, right, kSummaryColumn);
    }
    return wrapped("  ", left, 6) +
           wrapped(std::string(kSummaryColumn, ' '), right, kSummaryColumn);
}

std::string optionLabel(const OptionSpec& option) {
    std::string label(option.name);
    if (!option.value.empty())
        label += " " + std::string(option.value);
    return label;
}

}  // namespace

const std::vector<CommandSpec>& commandTable() {
    static const std::vector<CommandSpec> table = {
        {"status",
         "[--json] [--watch]",
         "what you are on now, as the tray shows it",
         {{"--json", "", "print one JSON object, for status bars"},
          {"--watch", "", "print again whenever it changes, until interrupted"}},
         {},
         StoreUse::reads,
         cli::runStatus},
        {"next",
         "[--new-task | --step TEXT]",
         "move on (to the next planned step, or a typed one)",
         {{"--new-task", "", "take up the current thread's next planned step first"},
          {"--step", "TEXT", "give the current thread the step TEXT first"}},
         {},
         StoreUse::writes,
         cli::runNext},
        {"step",
         "TEXT",
         "change the current thread's step",
         {},
         {},
         StoreUse::writes,
         cli::runStep},
        {"start-day", "", "open the working day", {}, {}, StoreUse::writes, cli::runStartDay},
        {"end-day", "", "close the working day", {}, {}, StoreUse::writes, cli::runEndDay},
        {"done",
         "[TODO]",
         "finish a to-do (the one that is up, or the one named)",
         {},
         {},
         StoreUse::writes,
         cli::runDone},
        {"park",
         "[THREAD]",
         "park a thread (the current one, or the one named)",
         {},
         {},
         StoreUse::writes,
         cli::runPark},
        {"snooze",
         "[ITEM] [LENGTH | TIME | --until TIME]",
         "set a thread or to-do aside (the current one, or the one named) for a length "
         "(45, 90m, 2h, 1h30, 1.5h) or until a time (7pm, 19:30, noon, evening, tomorrow 9, "
         "mon 9:00, 2026-03-04 18:30); a lone argument starting with a digit is a length",
         {{"--until", "TIME", "until that moment, which must lie ahead"}},
         {"15m", "1h", "3h", "evening", "tomorrow"},
         StoreUse::writes,
         cli::runSnooze},
        {"wake",
         "ITEM",
         "bring a snoozed thread or to-do back",
         {},
         {},
         StoreUse::writes,
         cli::runWake},
        {"unpark",
         "THREAD",
         "bring a parked thread back",
         {},
         {},
         StoreUse::writes,
         cli::runUnpark},
        {"add-thread",
         "TITLE [--step TEXT] [--next TEXT]... [--priority N] [--color #RRGGBB]",
         "add a thread",
         {{"--step", "TEXT", "the step you are on"},
          {"--next", "TEXT", "a step planned after it; repeat for more"},
          {"--priority", "N", "bring it back sooner: priority 2 comes back every 3rd Next"},
          {"--color", "#RRGGBB", "its colour in the tray and the lists"}},
         {},
         StoreUse::writes,
         cli::runAddThread},
        {"add-todo",
         "TITLE [--minutes N] [--at HH:MM]... [--on YYYY-MM-DD] [--every N day|week|month] "
         "[--weekdays su,mo,tu,we,th,fr,sa] [--day N]",
         "add a to-do, at set times if given",
         {{"--minutes", "N", "how long it takes; shorter ones come up more often"},
          {"--at", "TIME", "a time it comes up (19:30, 7pm, 7:30pm, noon); repeat for more"},
          {"--on", "YYYY-MM-DD", "the day it comes up first"},
          {"--every", "N day|week|month", "repeat every N days, weeks or months"},
          {"--weekdays", "su,mo,tu,we,th,fr,sa", "the days of a weekly repeat"},
          {"--day", "N", "the day of the month of a monthly repeat"}},
         {},
         StoreUse::writes,
         cli::runAddTodo},
        {"edit",
         "ITEM [--title TEXT] [--step TEXT] [--next TEXT]... [--no-next] [--priority N|none] "
         "[--color #RRGGBB|none] [--minutes N|none] [--at HH:MM]... [--on YYYY-MM-DD] "
         "[--every N day|week|month] [--weekdays su,mo,...] [--day N] [--no-schedule]",
         "change a thread or a to-do",
         {{"--title", "TEXT", "its new title"},
          {"--step", "TEXT", "a thread's step"},
          {"--next", "TEXT", "replace a thread's planned steps; repeat for more"},
          {"--no-next", "", "forget a thread's planned steps"},
          {"--priority", "N|none",
           "bring a thread back sooner (priority 2 comes back every 3rd Next), or once per "
           "round with none"},
          {"--color", "#RRGGBB|none", "a thread's colour, or none"},
          {"--minutes", "N|none", "how long a to-do takes, or no estimate"},
          {"--at", "HH:MM",
           "a to-do's new schedule, with --on, --every, --weekdays and --day "
           "as for add-todo"},
          {"--on", "YYYY-MM-DD", "the day a to-do's new schedule starts"},
          {"--every", "N day|week|month", "repeat a to-do's new schedule"},
          {"--weekdays", "su,mo,tu,we,th,fr,sa", "the days of a weekly repeat"},
          {"--day", "N", "the day of the month of a monthly repeat"},
          {"--no-schedule", "", "take a to-do's schedule away"}},
         {},
         StoreUse::writes,
         cli::runEdit},
        {"remove",
         "ITEM",
         "delete a thread or a to-do for good",
         {},
         {},
         StoreUse::writes,
         cli::runRemove},
        {"move",
         "THREAD --to N | --before THREAD | --after THREAD",
         "move a thread within the ring; the one below it comes up next as before",
         {{"--to", "N", "to place N of the ring"},
          {"--before", "THREAD", "just before another thread"},
          {"--after", "THREAD", "just after another thread"}},
         {},
         StoreUse::writes,
         cli::runMove},
        {"list",
         "[PATTERN] [--kind thread|todo] [--json | --titles]",
         "threads and to-dos, numbered; with PATTERN only those whose title or step holds it, "
         "in any case",
         {{"--kind", "thread|todo", "only threads, or only to-dos"},
          {"--json", "", "print one JSON object"},
          {"--titles", "", "print each title, a tab and its kind, one a line (for completions)"}},
         {},
         StoreUse::reads,
         cli::runList},
        {"export",
         "",
         "print the whole store as JSON (the store file's format)",
         {},
         {},
         StoreUse::reads,
         cli::runExport},
        {"import",
         "FILE|- [--dry-run] [--format todotxt|json] [--replace [--yes]]",
         "add the threads and to-dos of an export, or the tasks of a todo.txt file (- reads "
         "standard input); what is here already is not added twice",
         {{"--dry-run", "", "show what would be added and change nothing"},
          {"--format", "todotxt|json", "read FILE as that, even if it does not look like it"},
          {"--replace", "", "restore an export as the whole store, after a confirmation"},
          {"--yes", "", "with --replace: no confirmation (needed without a terminal)"}},
         {},
         StoreUse::writesUnlessDryRun,
         cli::runImport},
        {"undo",
         "",
         "take back the latest change (the last 100 can be)",
         {},
         {},
         StoreUse::writes,
         cli::runUndo},
        {"redo",
         "",
         "make the change that undo took back again",
         {},
         {},
         StoreUse::writes,
         cli::runRedo},
        {"tick",
         "",
         "wake due snoozes and show due scheduled to-dos",
         {},
         {},
         StoreUse::writes,
         cli::runTick},
        {"brain-dump",
         "[--set TEXT | --append LINE | --link FILE.md | --unlink]",
         "print the brain dump, or replace or extend it, or keep it in a Markdown file",
         {{"--set", "TEXT", "replace it with TEXT"},
          {"--append", "LINE", "add LINE at its end"},
          {"--link", "FILE.md", "keep it in FILE.md from now on"},
          {"--unlink", "", "keep it in Cadro again (the file stays)"}},
         {},
         StoreUse::writesWithOption,
         cli::runBrainDump},
        {"set",
         "[default-snooze MINUTES | todo-chance PERCENT]",
         "show or change the preferences",
         {},
         {"default-snooze", "todo-chance"},
         StoreUse::writesWithArgument,
         cli::runSet},
        {"show",
         "settings|brain-dump|add-thread|add-todo",
         "open a window of the running tray app",
         {},
         {"settings", "brain-dump", "add-thread", "add-todo"},
         StoreUse::none,
         cli::runShow},
        {"quit", "", "end the running tray app", {}, {}, StoreUse::none, cli::runQuit},
        // Both run before the store is opened (they choose where it is).
        {"where", "", "print the folder your data is kept in", {}, {}, StoreUse::none, nullptr},
        {"move-data",
         "DIR [--join]",
         "keep your data in DIR from now on, a synced folder for example (quit Cadro first)",
         {{"--join", "", "DIR holds another machine's Cadro data: merge yours into it"}},
         {},
         StoreUse::none,
         nullptr},
        {"help",
         "[COMMAND]",
         "what a command does and its options",
         {},
         {},
         StoreUse::none,
         nullptr},
    };
    return table;
}

const std::vector<OptionSpec>& programOptions() {
    static const std::vector<OptionSpec> options = {
        {"--demo", "", "start a throw-away demo filled with sample data"},
        {"--demo-empty", "", "start an empty throw-away demo"},
        {"--capture", "DIR", "take screenshots of the windows into DIR"},
        {"--quiet", "", "with a command (also -q): no line saying what it did"},
        {"--help", "", "print this help"},
        {"--version", "", "print the version"},
    };
    return options;
}

const CommandSpec* findCommand(std::string_view name) {
    const auto& table = commandTable();
    auto found = std::find_if(table.begin(), table.end(),
                              [&](const CommandSpec& command) { return command.name == name; });
    return found == table.end() ? nullptr : &*found;
}

std::string commandSynopsis(const CommandSpec& command) {
    std::string line(command.name);
    if (!command.synopsis.empty())
        line += " " + std::string(command.synopsis);
    return line;
}

std::string commandHelp(const CommandSpec& command) {
    // The summary as a sentence of its own.
    std::string sentence(command.summary);
    if (!sentence.empty() && sentence.front() >= 'a' && sentence.front() <= 'z')
        sentence.front() = static_cast<char>(sentence.front() - 'a' + 'A');
    std::string text =
        wrapped("Usage: cadro", commandSynopsis(command), 8) + "\n" + sentence + ".\n";
    if (!command.options.empty()) {
        text += "\nOptions:\n";
        for (const auto& option : command.options)
            text += row(optionLabel(option), option.help);
    }
    return text;
}

std::string programHelp() {
    std::string text =
        "Usage: cadro [COMMAND] [OPTIONS]\n"
        "\n"
        "Without a command, cadro prints a short usage and the status. The tray app is\n"
        "cadro-tray (started again, it brings the running one forward). These start a\n"
        "separate tray app that leaves yours and its commands alone:\n";
    for (const auto& option : programOptions()) {
        if (option.name != "--help" && option.name != "--version" && option.name != "--quiet")
            text += row(optionLabel(option), option.help);
    }
    text += "\nCommands:\n";
    for (const auto& command : commandTable())
        text += row(commandSynopsis(command), command.summary);
    text += row("-q | --quiet", "with a command: no line saying what it did") +
            row("--help | --version", "this help, or the version") +
            "\n"
            "A command that changes something says in one line what it did and what is\n"
            "current now. With -q, add-thread and add-todo print just the new id.\n"
            "\n"
            "ITEM, THREAD and TODO name a thread or to-do by the number 'cadro list' shows,\n"
            "its id or the start of it, or its title in any case (the start of a title\n"
            "will do when only one begins that way).\n"
            "\n"
            "Your data is kept in $XDG_DATA_HOME/Cadro (~/.local/share/Cadro) unless you\n"
            "chose another folder with 'cadro move-data DIR'; 'cadro where' prints it.\n"
            "\n"
            "Run 'cadro COMMAND --help' for what a command's options do. With CADRO_DEMO=1\n"
            "in the environment, commands go to the running demo instead of your Cadro.\n"
            "Exit status: 0 done; 1 nothing to act on (no to-do up, the day not started)\n"
            "or Cadro not running; 2 bad input (a value that does not parse, a name that\n"
            "names nothing or several things), checked before anything changes; 3 the\n"
            "change could not be saved; 4 Cadro runs but did not take the command, so\n"
            "nothing changed; 5 something else went wrong (the message says what).\n";
    return text;
}

}  // namespace cadro
