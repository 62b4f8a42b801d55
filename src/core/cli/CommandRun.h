#pragma once

// What the handlers of the `cadro` commands share: the run of one command,
// and the checks and wording several commands use.

#include "core/actions/Actions.h"
#include "core/cli/Arguments.h"
#include "core/cli/CommandLine.h"
#include "core/cli/CommandLineListing.h"
#include "core/cli/CommandLineValues.h"
#include "core/cli/ItemNames.h"
#include "core/menu/Commands.h"

#include <memory>
#include <optional>
#include <string>

namespace cadro::cli {

/// Answers the commands' questions from the command line.
class CommandLineUi final : public CommandUi {
  public:
    explicit CommandLineUi(CommandLineHost& host) : host_(host) {}
    std::optional<std::string> askForText(const TextRequest&) override { return answer; }
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

    std::optional<std::string> answer;

  private:
    CommandLineHost& host_;
};

/// One run of a command: what it works on, what it prints and its exit status.
struct CommandRun {
    CommandLineHost& host;
    CommandLineUi ui;
    std::shared_ptr<MemoryDefaults> scratchDefaults;
    std::unique_ptr<UIState> scratchUi;
    std::unique_ptr<Commands> commands;
    CommandLineResult result;
    /// -q: no feedback lines (what a command was asked to print still comes).
    bool quiet = false;

    explicit CommandRun(CommandLineHost& h) : host(h), ui(h) {
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
    Date now() const { return host.clock.now(); }

    void nothingToDo(const std::string& reason) {
        result.exitCode = kExitNothingToDo;
        result.err += "cadro: " + reason + "\n";
    }
    /// Presents what became of an action: with nothing to do (or a question
    /// left unanswered) the command exits 1 saying `reason`, or else the
    /// action's own; a refusal is bad input. True when the action was done.
    bool report(const ActionResult& action, const std::string& reason = {}) {
        switch (action.outcome) {
            case Outcome::done:
                return true;
            case Outcome::nothingToDo:
            case Outcome::cancelled:
                nothingToDo(reason.empty() ? action.message : reason);
                return false;
            case Outcome::refused:
                throw UsageError(action.message);
        }
        return false;
    }
    /// Output the command was asked for.
    void print(const std::string& line) { result.out += line + "\n"; }
    /// The line that says what a command did; -q silences it.
    void say(const std::string& line) {
        if (!quiet)
            print(line);
    }
    /// Says what was done and what is current now, once the change succeeded.
    void sayDone(const std::string& what) { say(what + ". " + currentLine(store())); }
};

/// Commands that move the cycle need an open day; true when it is open.
bool requireOpenDay(CommandRun& run);

/// Titles and steps are one line of text: a line break, tab or escape
/// sequence in one would garble every place that shows it.
std::string requireOneLine(std::string text, const char* what);
/// Like requireOneLine, and not blank either.
std::string requireText(const std::string& text, const char* what);

/// A moment as a person reads it beside the time now ("tomorrow, 9:00 AM").
std::string wakeTime(const CommandRun& run, Date when);

// The commands, one handler each; the command table names them.
void runStatus(CommandRun& run, Arguments& args);
void runNext(CommandRun& run, Arguments& args);
void runStep(CommandRun& run, Arguments& args);
void runStartDay(CommandRun& run, Arguments& args);
void runEndDay(CommandRun& run, Arguments& args);
void runAddThread(CommandRun& run, Arguments& args);
void runAddTodo(CommandRun& run, Arguments& args);
void runList(CommandRun& run, Arguments& args);
void runTick(CommandRun& run, Arguments& args);
void runUndo(CommandRun& run, Arguments& args);
void runRedo(CommandRun& run, Arguments& args);
void runBrainDump(CommandRun& run, Arguments& args);
void runSet(CommandRun& run, Arguments& args);
void runShow(CommandRun& run, Arguments& args);
void runQuit(CommandRun& run, Arguments& args);
// The commands that pick any thread or to-do by name.
void runDone(CommandRun& run, Arguments& args);
void runRemove(CommandRun& run, Arguments& args);
void runEdit(CommandRun& run, Arguments& args);
void runMove(CommandRun& run, Arguments& args);
void runPark(CommandRun& run, Arguments& args);
void runSnooze(CommandRun& run, Arguments& args);
void runWake(CommandRun& run, Arguments& args);
void runUnpark(CommandRun& run, Arguments& args);
// Moving data out and in.
void runExport(CommandRun& run, Arguments& args);
void runImport(CommandRun& run, Arguments& args);

}  // namespace cadro::cli
