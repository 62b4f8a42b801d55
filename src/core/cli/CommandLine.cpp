#include "core/cli/CommandLine.h"

#include "core/base/Utf8.h"
#include "core/cli/CommandRun.h"
#include "core/cli/CommandTable.h"
#include "core/cli/DidYouMean.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/status/StatusTitle.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace cadro {
namespace {

using namespace cli;

CommandLineResult usageError(const std::string& message) {
    return {kExitBadInput, "", "cadro: " + message + "\nTry 'cadro --help' for usage.\n"};
}

}  // namespace

// --- The commands -------------------------------------------------------------

namespace cli {

void runStatus(CommandRun& run, Arguments& args) {
    bool json = args.flag("--json");
    args.done();
    if (json) {
        run.print(statusJson(run.store(), run.host.calendar, run.now()));
    } else {
        run.print(statusText(run.store()));
    }
}

void runNext(CommandRun& run, Arguments& args) {
    bool newTask = args.flag("--new-task");
    std::optional<std::string> step = args.option("--step");
    args.done();
    if (step)
        step = requireText(*step, "the step");
    if (newTask && step)
        throw UsageError("--new-task and --step cannot be combined");
    if (!requireOpenDay(run))
        return;
    std::optional<std::string> finishing;
    if (const Todo* up = run.store().state().currentTodo(); up && !step)
        finishing = up->title;
    bool done;
    if (step) {
        run.ui.answer = *step;
        done = run.report(run.commands->cmdNextTypedTask(),
                          run.store().state().currentTodo()
                              ? "a to-do is up: finish it with cadro next"
                              : nothingCurrent(run.store()));
    } else if (newTask) {
        const ActionResult result = run.commands->cmdNextWithNewTask();
        done = run.report(result, result.outcome == Outcome::cancelled
                                      ? "no planned steps left on this thread; give the next "
                                        "one with cadro next --step TEXT"
                                      : nothingCurrent(run.store()));
    } else {
        done = run.report(run.commands->cmdNext(), nothingCurrent(run.store()));
    }
    if (!done)
        return;
    if (finishing)
        run.sayDone("Finished " + inQuotes(*finishing));
    else
        run.say(currentLine(run.store()));
}

// `undo` and `redo`: the latest change taken back, or made again.
void runUndoOrRedo(CommandRun& run, Arguments& args, bool redo) {
    args.done();
    std::optional<std::string> label;
    if (run.host.undo)
        label = redo ? run.host.undo->redo() : run.host.undo->undo();
    if (!label) {
        run.nothingToDo(redo ? "nothing to redo" : "nothing to undo");
        return;
    }
    run.sayDone((redo ? "Redid " : "Undid ") + inQuotes(*label));
}

void runUndo(CommandRun& run, Arguments& args) {
    runUndoOrRedo(run, args, false);
}

void runRedo(CommandRun& run, Arguments& args) {
    runUndoOrRedo(run, args, true);
}

void runStep(CommandRun& run, Arguments& args) {
    std::string text = requireText(args.positional("TEXT"), "the step");
    args.done();
    if (!requireOpenDay(run))
        return;
    run.ui.answer = text;
    if (run.report(run.commands->cmdEditStep(), "no thread is current"))
        run.say(currentLine(run.store()));
}

void runStartDay(CommandRun& run, Arguments& args) {
    args.done();
    if (run.report(run.commands->cmdStartDay()))
        run.sayDone("Day started");
}

void runEndDay(CommandRun& run, Arguments& args) {
    args.done();
    if (run.report(run.commands->cmdEndDay()))
        run.say("Day ended. See you next time: cadro start-day");
}

void runAddThread(CommandRun& run, Arguments& args) {
    Strand thread;
    thread.id = Uuid::random();
    if (auto step = args.option("--step"))
        thread.step = requireText(*step, "the step");
    thread.nextSteps = args.options("--next");
    for (auto& step : thread.nextSteps)
        step = requireText(step, "a next step");
    if (auto priority = args.option("--priority")) {
        thread.priority = cli::parseInteger(*priority, "--priority", 1, 1'000'000);
    }
    if (auto color = args.option("--color"))
        thread.colorHex = cli::parseColor(*color);
    thread.title = requireOneLine(trimWhitespaceAndNewlines(args.positional("TITLE")), "the title");
    args.done();
    if (thread.title.empty())
        throw UsageError("the title is empty");
    thread.createdAt = run.host.clock.now();
    run.report(actions::addThread(run.store(), thread));
    if (run.quiet)
        run.print(thread.id.toString());
    run.sayDone("Added thread " + inQuotes(thread.title));
}

void runAddTodo(CommandRun& run, Arguments& args) {
    std::optional<std::int64_t> minutes;
    if (auto m = args.option("--minutes"))
        minutes = cli::parseInteger(*m, "--minutes", 1, 100'000);
    std::optional<TodoSchedule> schedule = cli::scheduleFromOptions(args, run.host);
    std::string title =
        requireOneLine(trimWhitespaceAndNewlines(args.positional("TITLE")), "the title");
    args.done();
    if (title.empty())
        throw UsageError("the title is empty");
    Uuid id;
    run.report(actions::addTodo(run.store(), title, minutes, schedule, &id));
    if (run.quiet)
        run.print(id.toString());
    // The times as understood, in the locale's clock.
    run.sayDone("Added to-do " + inQuotes(title) +
                (schedule ? " (" + shortLabel(*schedule, run.host.calendar) + ")" : ""));
}

void runList(CommandRun& run, Arguments& args) {
    bool json = args.flag("--json");
    bool titles = args.flag("--titles");
    ListFilter filter;
    if (auto kind = args.option("--kind")) {
        if (*kind != "thread" && *kind != "todo")
            throw UsageError("--kind takes thread or todo, not \"" + *kind + "\"");
        filter.threads = *kind == "thread";
        filter.todos = *kind == "todo";
    }
    filter.pattern = args.optionalPositional().value_or("");
    args.done();
    if (json && titles)
        throw UsageError("--json and --titles cannot be combined");
    std::string listing;
    if (titles)
        listing = listTitles(run.store(), filter);
    else if (json)
        listing = listJson(run.store(), run.host.calendar, run.now(), filter) + '\n';
    else
        listing = listText(run.store(), run.host.calendar, run.now(), filter);
    if (run.result.out.empty())
        run.result.out = std::move(listing);  // no copy of a long list
    else
        run.result.out += listing;
}

void runTick(CommandRun& run, Arguments& args) {
    args.done();
    const std::string before = currentLine(run.store());
    run.report(actions::tick(run.store(), run.host.clock.now(), true));
    if (currentLine(run.store()) != before)
        run.say(currentLine(run.store()));
}

void runBrainDump(CommandRun& run, Arguments& args) {
    std::optional<std::string> set = args.option("--set");
    std::optional<std::string> append = args.option("--append");
    std::optional<std::string> link = args.option("--link");
    bool unlink = args.flag("--unlink");
    args.done();
    if (int(bool(set)) + int(bool(append)) + int(bool(link)) + int(unlink) > 1)
        throw UsageError("--set, --append, --link and --unlink cannot be combined");
    if (link) {
        if (!std::filesystem::path(*link).is_absolute())
            throw UsageError("--link needs the file's full path, not \"" + *link + "\"");
        const ActionResult linked = actions::linkBrainDumpFile(run.store(), *link);
        // The file was named right; it is the file that cannot be used.
        if (linked.outcome == Outcome::refused)
            run.nothingToDo(linked.message);
        else if (run.report(linked))
            run.say("The brain dump is kept in " + *run.store().state().brainDumpFilePath + " now");
        return;
    }
    if (unlink) {
        if (run.report(actions::unlinkBrainDumpFile(run.store())))
            run.say("The brain dump is kept in Cadro again");
        return;
    }
    run.store().refreshBrainDump();  // another editor may have changed the linked file
    if (set) {
        if (run.report(actions::editBrainDump(run.store(), *set)))
            run.say("Brain dump replaced");
    } else if (append) {
        std::string text = run.store().state().brainDump;
        if (!text.empty() && text.back() != '\n')
            text += '\n';
        if (run.report(actions::editBrainDump(run.store(), text + *append)))
            run.say("Added to the brain dump");
    } else {
        run.result.out += run.store().state().brainDump;
        if (!run.store().state().brainDump.empty() &&
            run.store().state().brainDump.back() != '\n') {
            run.result.out += "\n";
        }
    }
}

// `set`: the preferences that live in the store; without a name it lists them
// (and the linked brain-dump file, if any).
void runSet(CommandRun& run, Arguments& args) {
    std::optional<std::string> name = args.optionalPositional();
    std::optional<std::string> value = args.optionalPositional();
    args.done();
    if (!name) {
        run.print("default-snooze " + std::to_string(run.store().state().defaultSnoozeMinutes));
        run.print("todo-chance " + std::to_string(run.store().state().todoChancePercent));
        if (const auto& file = run.store().state().brainDumpFilePath)
            run.print("brain-dump-file " + *file);
        return;
    }
    if (!value)
        throw UsageError("set " + *name + " needs a value");
    if (*name == "default-snooze") {
        run.report(actions::setDefaultSnoozeMinutes(
            run.store(), parseInteger(*value, "default-snooze", 1, 525'600)));
    } else if (*name == "todo-chance") {
        run.report(actions::setTodoChancePercent(run.store(),
                                                 parseInteger(*value, "todo-chance", 0, 100)));
    } else {
        throw UsageError("unknown setting \"" + *name + "\" (default-snooze or todo-chance)");
    }
    run.say(*name + " is " + *value + " now");
}

void runShow(CommandRun& run, Arguments& args) {
    std::string what = args.positional("WINDOW");
    args.done();
    static const std::map<std::string, MenuAction> kWindows = {
        {"settings", MenuAction::settings},
        {"brain-dump", MenuAction::openBrainDump},
        {"add-thread", MenuAction::add},
        {"add-todo", MenuAction::addTodo},
    };
    auto window = kWindows.find(what);
    if (window == kWindows.end()) {
        throw UsageError("unknown window \"" + what +
                         "\" (settings, brain-dump, add-thread or add-todo)");
    }
    if (!run.host.openSettingsWindow || !run.host.ui) {
        run.nothingToDo("Cadro is not running; start it with: cadro");
        return;
    }
    run.report(run.commands->run(window->second));
}

void runQuit(CommandRun& run, Arguments& args) {
    args.done();
    if (!run.host.quit) {
        run.nothingToDo("Cadro is not running");
        return;
    }
    run.report(run.commands->cmdQuit());
}

}  // namespace cli

namespace {

// "unknown command \"nxt\". Did you mean \"next\"?"
std::string unknownCommand(const std::string& name) {
    std::vector<std::string_view> names;
    for (const auto& command : commandTable())
        names.push_back(command.name);
    return "unknown command \"" + name + "\"" + didYouMean(name, names);
}

bool isHelpFlag(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

bool isQuietFlag(const std::string& arg) {
    return arg == "-q" || arg == "--quiet";
}

// Takes -q and --quiet out of the arguments (not after "--": there they are
// text); true when one was there.
bool takeQuietFlag(std::vector<std::string>& args) {
    const auto end = std::find(args.begin(), args.end(), "--");
    const auto kept = std::remove_if(args.begin(), end, isQuietFlag);
    const bool quiet = kept != end;
    args.erase(kept, end);
    return quiet;
}

// A store file that cannot be read is never replaced, and one that is
// damaged is not shown as an empty store: the user must be told, not given
// a blank status or an empty "backup".
std::optional<CommandLineResult> refuseUnusableStore(const std::string& command, bool changes,
                                                     const ThreadStore& store) {
    const CommandSpec* spec = findCommand(command);
    if (!spec || spec->use == StoreUse::none)
        return std::nullopt;
    const std::string file = store.file().path().string();
    switch (store.file().health()) {
        case StoreFile::Health::good:
            return std::nullopt;
        case StoreFile::Health::unreadable:
            return CommandLineResult{kExitNotSaved, "",
                                     "cadro: " + store.file().loadProblem() +
                                         "; Cadro leaves it as it is and changes nothing until "
                                         "you can read and write it (chmod u+rw " +
                                         file + ")\n"};
        case StoreFile::Health::damaged:
            break;
    }
    if (changes)
        return std::nullopt;  // the change starts afresh; the file is kept aside
    return CommandLineResult{
        kExitNotSaved, command == "status" ? "Store file damaged\n" : "",
        "cadro: " + store.file().loadProblem() +
            "; nothing is shown from it. The next change keeps it beside the new file as "
            "threads.json.corrupt-* and starts afresh\n"};
}

bool isTrayAppArgument(const std::string& arg) {
    return arg == "--demo" || arg == "--demo-empty" || arg == "--capture";
}

}  // namespace

std::optional<CommandLineResult> infoResult(const std::vector<std::string>& args) {
    if (args.empty())
        return std::nullopt;
    const std::string& first = args.front();
    CommandLineResult info;
    if (first == "--version") {
        info.out = std::string("cadro ") + CADRO_VERSION + "\n";
        return info;
    }
    // "cadro help COMMAND" and "cadro COMMAND --help" (anywhere after it).
    std::optional<std::string> topic;
    if (first == "help" && args.size() > 1) {
        topic = isHelpFlag(args[1]) ? first : args[1];
    } else if (isHelpFlag(first) || first == "help") {
        info.out = usageText();
        return info;
    } else if (std::any_of(args.begin() + 1, args.end(), isHelpFlag)) {
        topic = first;
    } else {
        return std::nullopt;
    }
    if (const CommandSpec* command = findCommand(*topic)) {
        info.out = commandHelp(*command);
    } else {
        info.exitCode = kExitBadInput;
        info.err = "cadro: " + unknownCommand(*topic) + "\nTry 'cadro --help' for usage.\n";
    }
    return info;
}

std::vector<std::string> withAbsoluteFilePaths(std::vector<std::string> args) {
    auto makeAbsolute = [](std::string& path) {
        std::error_code error;
        const std::filesystem::path full = std::filesystem::absolute(path, error);
        if (!error && !path.empty())
            path = full.lexically_normal().string();
    };
    if (args.empty())
        return args;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args.front() == "brain-dump" && args[i] == "--link" && i + 1 < args.size())
            makeAbsolute(args[i + 1]);
        if (args.front() == "import" && args[i] == "--format")
            ++i;  // its value is no file
        else if (args.front() == "import" && args[i].rfind("--", 0) != 0 && args[i] != "-q" &&
                 args[i] != "-")
            makeAbsolute(args[i]);
    }
    return args;
}

std::vector<std::string> withQuietAfterCommand(std::vector<std::string> args) {
    if (args.size() > 1 && isQuietFlag(args.front()))
        std::rotate(args.begin(), args.begin() + 1, args.begin() + 2);
    return args;
}

CommandKind classifyCommandLine(const std::vector<std::string>& args) {
    if (args.empty())
        return CommandKind::summary;
    if (isTrayAppArgument(args.front()))
        return CommandKind::trayApp;
    if (infoResult(args))
        return CommandKind::info;
    if (args.front() == "status") {
        for (const auto& arg : args) {
            if (arg == "--watch")
                return CommandKind::watch;
        }
    }
    return CommandKind::storeCommand;
}

bool commandChangesStore(const std::vector<std::string>& args) {
    const CommandSpec* command = args.empty() ? nullptr : findCommand(args.front());
    if (!command)
        return false;
    const auto given = [&](std::string_view word) {
        return std::find(args.begin() + 1, args.end(), word) != args.end();
    };
    switch (command->use) {
        case StoreUse::none:
        case StoreUse::reads:
            return false;
        case StoreUse::writes:
            return true;
        case StoreUse::writesWithOption:
            return std::any_of(command->options.begin(), command->options.end(),
                               [&](const OptionSpec& option) { return given(option.name); });
        case StoreUse::writesWithArgument:
            return args.size() > 1;
        case StoreUse::writesUnlessDryRun:
            return !given("--dry-run");
    }
    return false;
}

std::optional<CommandLineResult> rejectMalformedArguments(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (!isValidUtf8(arg))
            return usageError("an argument is not valid UTF-8 text");
    }
    return std::nullopt;
}

namespace {

// One command against the store, its failures turned into answers.
CommandLineResult runHandler(const std::string& command, const std::vector<std::string>& args,
                             CommandLineHost& host, bool quiet) {
    CommandRun run(host);
    run.quiet = quiet;
    try {
        const CommandSpec* spec = findCommand(command);
        if (!spec || !spec->run)
            throw UsageError(unknownCommand(command));
        Arguments rest(std::vector<std::string>(args.begin() + 1, args.end()));
        for (const auto& option : spec->options)
            rest.knownOptions.push_back(option.name);
        rest.knownOptions.push_back("--help");
        spec->run(run, rest);
    } catch (const UsageError& error) {
        CommandLineResult bad;
        bad.exitCode = kExitBadInput;
        const std::string usage =
            findCommand(command) ? "cadro " + command + " --help" : "cadro --help";
        bad.err = "cadro: " + std::string(error.what()) + "\nTry '" + usage + "' for usage.\n";
        return bad;
    } catch (const std::exception& error) {
        CommandLineResult failed;
        failed.exitCode = kExitFailed;
        failed.err = "cadro: " + std::string(error.what()) + "\n";
        return failed;
    }
    return std::move(run.result);  // a listing may run to megabytes
}

}  // namespace

CommandLineResult runCommandLine(std::vector<std::string> args, CommandLineHost& host) {
    const bool quiet = takeQuietFlag(args);
    if (args.empty()) {
        CommandLineResult none;
        none.exitCode = kExitBadInput;
        none.err = "cadro: no command given\n" + usageText();
        return none;
    }
    if (auto info = infoResult(args))
        return *info;
    const std::string& command = args.front();
    if (auto refused = rejectMalformedArguments(args))
        return *refused;
    if (auto refused = refuseUnusableStore(command, commandChangesStore(args), host.store))
        return *refused;
    const std::string keptBefore = host.store.file().keptAside();
    CommandLineResult result;
    if (host.requestId.empty()) {
        result = runHandler(command, args, host, quiet);
    } else {
        bool ranNow = false;
        RememberedReply reply = host.store.applyOnce(host.requestId, [&] {
            ranNow = true;
            CommandLineResult ran = runHandler(command, args, host, quiet);
            return RememberedReply{{}, ran.exitCode, std::move(ran.out), std::move(ran.err)};
        });
        result = {reply.exitCode, std::move(reply.out), std::move(reply.err)};
        if (!ranNow)
            return result;  // carried out before; its answer was lost on the way
    }
    if (host.store.hasUnsavedChanges() && commandChangesStore(args)) {
        // Said plainly: nothing is on disk. The tray app keeps the change and
        // saves it when it can; a command on its own drops it as it ends.
        const std::string fate =
            host.quit ? "Cadro keeps it and saves it as soon as it can" : "it was not made";
        return {kExitNotSaved, "",
                "cadro: the change could not be saved (" + host.store.file().saveProblem() + "); " +
                    fate + "\n"};
    }
    if (host.store.file().keptAside() != keptBefore) {
        result.err += "cadro: another program changed " + host.store.file().path().string() +
                      " while this change was saved; that version is kept beside it as " +
                      host.store.file().keptAside() + "\n";
    }
    return result;
}

std::string_view briefUsage() {
    return "Usage: cadro COMMAND [OPTIONS]; 'cadro --help' lists the commands.\n"
           "The tray app is cadro-tray; 'cadro --demo' starts a demo beside it.\n"
           "Status: ";
}

const std::string& usageText() {
    static const std::string text = programHelp();
    return text;
}

}  // namespace cadro
