#include "core/cli/CommandLine.h"

#include "core/base/Utf8.h"
#include "core/cli/CommandLineParts.h"
#include "core/cli/CommandTable.h"
#include "core/schedule/SnoozePreset.h"
#include "core/shell/Commands.h"
#include "core/shell/StatusTitle.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace cadro {
namespace {

using cli::Arguments;
using cli::UsageError;

/// Answers the commands' questions from the command line and remembers a beep.
class CommandLineUi final : public CommandUi {
  public:
    explicit CommandLineUi(CommandLineHost& host) : host_(host) {}
    void beep() override { beeped = true; }
    std::optional<std::string> askForText(const TextRequest& request) override {
        asked = request;
        return answer;
    }
    void openSettingsWindow() override {
        if (host_.openSettingsWindow)
            host_.openSettingsWindow();
    }
    void openUrl(const std::string&) override {}
    int showAlert(const AlertContent&) override { return -1; }
    void quit() override {
        if (host_.quit)
            host_.quit();
    }

    bool beeped = false;
    std::optional<std::string> answer;
    std::optional<TextRequest> asked;

  private:
    CommandLineHost& host_;
};

struct Session {
    CommandLineHost& host;
    CommandLineUi ui;
    std::shared_ptr<MemoryDefaults> scratchDefaults;
    std::unique_ptr<UIState> scratchUi;
    std::unique_ptr<Commands> commands;
    CommandLineResult result;

    explicit Session(CommandLineHost& h) : host(h), ui(h) {
        UIState* windows = host.ui;
        if (!windows) {
            // No tray app: window state goes nowhere.
            scratchDefaults = std::make_shared<MemoryDefaults>();
            scratchUi = std::make_unique<UIState>(scratchDefaults);
            windows = scratchUi.get();
        }
        commands = std::make_unique<Commands>(host.store, *windows, host.clock, host.calendar, ui);
    }
    ThreadStore& store() { return host.store; }

    void nothingToDo(const std::string& reason) {
        result.exitCode = kExitNothingToDo;
        result.err += "cadro: " + reason + "\n";
    }
    /// After a command that beeps when nothing is current.
    void reportBeep(const std::string& reason) {
        if (ui.beeped)
            nothingToDo(reason);
    }
    void print(const std::string& line) { result.out += line + "\n"; }
};

const char* kNothingCurrent = "nothing is current (start the day, or add a thread)";

/// Commands that move the cycle need an open day; true when it is open.
bool requireOpenDay(Session& s) {
    if (s.store().sessionOpen())
        return true;
    s.nothingToDo("your day hasn't started; start it with: cadro start-day");
    return false;
}

CommandLineResult usageError(const std::string& message) {
    return {kExitBadInput, "", "cadro: " + message + "\nTry 'cadro --help' for usage.\n"};
}

/// Titles and steps are one line of text: a line break, tab or escape
/// sequence in one would garble every place that shows it.
std::string requireOneLine(std::string text, const char* what) {
    if (hasControlCharacters(text)) {
        throw UsageError(std::string(what) +
                         " contains a line break, tab or other control character");
    }
    return text;
}

// --- The commands -------------------------------------------------------------

void runStatus(Session& s, Arguments& args) {
    bool json = args.flag("--json");
    args.done();
    if (json) {
        s.print(statusJson(s.store(), s.host.calendar));
    } else {
        s.print(withoutControlCharacters(statusContent(s.store()).title.substr(1)));
    }
}

void runNext(Session& s, Arguments& args) {
    bool newTask = args.flag("--new-task");
    std::optional<std::string> step = args.option("--step");
    args.done();
    if (step)
        requireOneLine(*step, "the step");
    if (newTask && step)
        throw UsageError("--new-task and --step cannot be combined");
    if (!requireOpenDay(s))
        return;
    if (step) {
        s.ui.answer = *step;
        s.commands->cmdNextTypedTask();
        if (s.ui.beeped) {
            s.nothingToDo(s.store().currentTodo() ? "a to-do is up: finish it with cadro next"
                                                  : kNothingCurrent);
        }
    } else if (newTask) {
        s.commands->cmdNextWithNewTask();
        s.reportBeep(kNothingCurrent);
        if (s.ui.asked) {
            s.nothingToDo(
                "no planned steps left on this thread; give the next one with "
                "cadro next --step TEXT");
        }
    } else {
        s.commands->cmdNext();
        s.reportBeep(kNothingCurrent);
    }
}

void runStep(Session& s, Arguments& args) {
    std::string text = requireOneLine(args.positional("TEXT"), "the step");
    args.done();
    if (!requireOpenDay(s))
        return;
    s.ui.answer = text;
    s.commands->cmdEditStep();
    s.reportBeep("no thread is current");
}

void runStartDay(Session& s, Arguments& args) {
    args.done();
    s.commands->cmdStartDay();
}

void runEndDay(Session& s, Arguments& args) {
    args.done();
    s.commands->cmdEndDay();
}

void runPark(Session& s, Arguments& args) {
    args.done();
    if (!requireOpenDay(s))
        return;
    const auto id = s.store().currentID();
    if (!id || s.store().kindOf(*id) != ThreadKind::active) {
        s.nothingToDo("no thread is current");
        return;
    }
    s.commands->cmdParkCurrent();
}

void runSnooze(Session& s, Arguments& args) {
    std::optional<std::string> until = args.option("--until");
    std::optional<std::string> length = args.optionalPositional();
    args.done();
    if (until && length)
        throw UsageError("give either a length or --until, not both");
    if (!requireOpenDay(s))
        return;
    if (!s.store().currentTodo() && !s.store().current()) {
        s.nothingToDo(kNothingCurrent);
        return;
    }
    if (until) {
        s.store().snoozeCurrent(cli::parseDateTime(*until, s.host.calendar));
    } else if (!length) {
        s.commands->cmdSnoozeDefault();
    } else if (auto minutes = cli::parseMinutes(*length)) {
        s.store().snoozeCurrent(s.host.clock.now() + static_cast<double>(*minutes) * 60.0);
    } else {
        bool known = false;
        for (const auto& preset : allSnoozePresets())
            known = known || preset.id == *length;
        if (!known) {
            throw UsageError("unknown snooze length \"" + *length +
                             "\" (minutes, 15m, 1h, 3h, evening or tomorrow)");
        }
        s.commands->cmdSnoozePreset(*length);
    }
}

void runRevive(Session& s, Arguments& args, ThreadKind from) {
    std::string name = args.positional("THREAD");
    args.done();
    Uuid id = cli::findThread(s.store(), from, name);
    if (from == ThreadKind::parked) {
        s.commands->cmdUnpark(id.toString());
    } else {
        s.commands->cmdWake(id.toString());
    }
}

void runAddThread(Session& s, Arguments& args) {
    Strand thread;
    thread.id = Uuid::random();
    thread.step = requireOneLine(args.option("--step").value_or(""), "the step");
    thread.nextSteps = args.options("--next");
    for (const auto& step : thread.nextSteps)
        requireOneLine(step, "a next step");
    if (auto priority = args.option("--priority")) {
        thread.priority = cli::parseInteger(*priority, "--priority", 1, 1'000'000);
    }
    if (auto color = args.option("--color"))
        thread.colorHex = cli::parseColor(*color);
    thread.title = requireOneLine(trimWhitespaceAndNewlines(args.positional("TITLE")), "the title");
    args.done();
    if (thread.title.empty())
        throw UsageError("the title is empty");
    thread.createdAt = s.host.clock.now();
    s.store().addThread(thread);
    s.print(thread.id.toString());
}

void runAddTodo(Session& s, Arguments& args) {
    std::optional<std::int64_t> minutes;
    if (auto m = args.option("--minutes"))
        minutes = cli::parseInteger(*m, "--minutes", 1, 100'000);
    std::optional<TodoSchedule> schedule = cli::scheduleFromOptions(args, s.host);
    std::string title =
        requireOneLine(trimWhitespaceAndNewlines(args.positional("TITLE")), "the title");
    args.done();
    if (title.empty())
        throw UsageError("the title is empty");
    auto id = s.store().addTodo(title, minutes, schedule);
    s.print(id->toString());
}

void runList(Session& s, Arguments& args) {
    bool json = args.flag("--json");
    args.done();
    s.result.out += json ? cli::listJson(s.store(), s.host.calendar) + "\n"
                         : cli::listText(s.store(), s.host.calendar, s.host.clock.now());
}

void runTick(Session& s, Arguments& args) {
    args.done();
    s.store().wakeDueSnoozes(true);
    s.store().processSchedules(s.host.clock.now(), true);
}

void runBrainDump(Session& s, Arguments& args) {
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
        if (!s.store().linkBrainDumpFile(*link))
            s.nothingToDo(*link + " cannot be read as text; it is left as it is");
        return;
    }
    if (unlink) {
        s.store().unlinkBrainDumpFile();
        return;
    }
    s.store().refreshBrainDump();  // another editor may have changed the linked file
    if (set) {
        s.store().editBrainDump(*set);
    } else if (append) {
        std::string text = s.store().brainDump();
        if (!text.empty() && text.back() != '\n')
            text += '\n';
        s.store().editBrainDump(text + *append);
    } else {
        s.result.out += s.store().brainDump();
        if (!s.store().brainDump().empty() && s.store().brainDump().back() != '\n') {
            s.result.out += "\n";
        }
    }
}

/// `set`: the preferences that live in the store; without a name it lists them
/// (and the linked brain-dump file, if any).
void runSet(Session& s, Arguments& args) {
    std::optional<std::string> name = args.optionalPositional();
    std::optional<std::string> value = args.optionalPositional();
    args.done();
    if (!name) {
        s.print("default-snooze " + std::to_string(s.store().defaultSnoozeMinutes()));
        s.print("todo-chance " + std::to_string(s.store().todoChancePercent()));
        if (const auto& file = s.store().brainDumpFilePath())
            s.print("brain-dump-file " + *file);
        return;
    }
    if (!value)
        throw UsageError("set " + *name + " needs a value");
    if (*name == "default-snooze") {
        s.store().setDefaultSnoozeMinutes(cli::parseInteger(*value, "default-snooze", 1, 525'600));
    } else if (*name == "todo-chance") {
        s.store().setTodoChancePercent(cli::parseInteger(*value, "todo-chance", 0, 100));
    } else {
        throw UsageError("unknown setting \"" + *name + "\" (default-snooze or todo-chance)");
    }
}

void runShow(Session& s, Arguments& args) {
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
    if (!s.host.openSettingsWindow || !s.host.ui) {
        s.nothingToDo("Cadro is not running; start it with: cadro");
        return;
    }
    s.commands->run(window->second);
}

void runQuit(Session& s, Arguments& args) {
    args.done();
    if (!s.host.quit) {
        s.nothingToDo("Cadro is not running");
        return;
    }
    s.commands->cmdQuit();
}

using Handler = void (*)(Session&, Arguments&);

const std::map<std::string, Handler>& handlers() {
    static const std::map<std::string, Handler> table = {
        {"status", runStatus},
        {"next", runNext},
        {"step", runStep},
        {"start-day", runStartDay},
        {"end-day", runEndDay},
        {"park", runPark},
        {"snooze", runSnooze},
        {"unpark", [](Session& s, Arguments& a) { runRevive(s, a, ThreadKind::parked); }},
        {"wake", [](Session& s, Arguments& a) { runRevive(s, a, ThreadKind::snoozed); }},
        {"add-thread", runAddThread},
        {"add-todo", runAddTodo},
        {"list", runList},
        {"tick", runTick},
        {"brain-dump", runBrainDump},
        {"set", runSet},
        {"show", runShow},
        {"quit", runQuit},
    };
    return table;
}

bool isHelpFlag(const std::string& arg) {
    return arg == "--help" || arg == "-h";
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
        info.err = "cadro: unknown command \"" + *topic + "\"\nTry 'cadro --help' for usage.\n";
    }
    return info;
}

std::vector<std::string> withAbsoluteFilePaths(std::vector<std::string> args) {
    if (args.empty() || args.front() != "brain-dump")
        return args;
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--link" && !args[i + 1].empty()) {
            std::error_code error;
            const std::filesystem::path full = std::filesystem::absolute(args[i + 1], error);
            if (!error)
                args[i + 1] = full.lexically_normal().string();
        }
    }
    return args;
}

CommandKind classifyCommandLine(const std::vector<std::string>& args) {
    if (args.empty() || isTrayAppArgument(args.front()))
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
    if (args.empty())
        return false;
    const std::string& command = args.front();
    if (command == "brain-dump") {
        return std::any_of(args.begin(), args.end(), [](const std::string& a) {
            return a == "--set" || a == "--append" || a == "--link" || a == "--unlink";
        });
    }
    if (command == "set")
        return args.size() > 1;  // without a setting it only shows them
    return handlers().count(command) && command != "status" && command != "list" &&
           command != "show" && command != "quit";
}

std::optional<CommandLineResult> rejectMalformedArguments(const std::vector<std::string>& args) {
    for (const auto& arg : args) {
        if (!isValidUtf8(arg))
            return usageError("an argument is not valid UTF-8 text");
    }
    return std::nullopt;
}

CommandLineResult runCommandLine(const std::vector<std::string>& args, CommandLineHost& host) {
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
    Session session(host);
    try {
        auto handler = handlers().find(command);
        if (handler == handlers().end())
            throw UsageError("unknown command \"" + command + "\"");
        Arguments rest(std::vector<std::string>(args.begin() + 1, args.end()));
        handler->second(session, rest);
    } catch (const UsageError& error) {
        CommandLineResult bad;
        bad.exitCode = kExitBadInput;
        const std::string usage =
            findCommand(command) ? "cadro " + command + " --help" : "cadro --help";
        bad.err = "cadro: " + std::string(error.what()) + "\nTry '" + usage + "' for usage.\n";
        return bad;
    } catch (const std::exception& error) {
        CommandLineResult failed;
        failed.exitCode = kExitNothingToDo;
        failed.err = "cadro: " + std::string(error.what()) + "\n";
        return failed;
    }
    if (host.store.hasUnsavedChanges() && commandChangesStore(args)) {
        // Said plainly: nothing is on disk. The tray app keeps the change and
        // saves it when it can; a command on its own drops it as it ends.
        const std::string fate =
            host.quit ? "Cadro keeps it and saves it as soon as it can" : "it was not made";
        return {kExitNotSaved, "",
                "cadro: the change could not be saved (" + host.store.saveProblem() + "); " + fate +
                    "\n"};
    }
    return session.result;
}

const std::string& usageText() {
    static const std::string text = programHelp();
    return text;
}

}  // namespace cadro
