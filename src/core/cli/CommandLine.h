#pragma once

#include "core/base/Calendar.h"
#include "core/base/Clock.h"
#include "core/settings/UIState.h"
#include "core/store/StoreUndo.h"
#include "core/store/ThreadStore.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

/// Exit codes of the `cadro` command.
enum ExitCode : int {
    kExitOk = 0,
    /// Nothing to act on (where the menu would beep), or no tray app running.
    kExitNothingToDo = 1,
    /// Bad input: unknown command or option, a value that does not parse, an
    /// id or title that names nothing, text that is not UTF-8.
    kExitBadInput = 2,
    /// The change could not be written to the store file, or the store file
    /// cannot be read (then nothing is shown from it nor written to it).
    kExitNotSaved = 3,
    /// The tray app holds the store but did not take the command: nothing was
    /// changed, and it will not be.
    kExitUnreachable = 4,
    /// Something else went wrong (the tray app could not be started, the
    /// store could not be watched, an answer came garbled); the message says
    /// what. Never "nothing to do": a script must not take it for that.
    kExitFailed = 5,
};

struct CommandLineResult {
    int exitCode = kExitOk;
    std::string out;
    std::string err;
};

/// Where a command runs: the store, the time and calendar, and what the
/// tray app adds when the command runs inside it (windows and quitting).
struct CommandLineHost {
    ThreadStore& store;
    const Clock& clock;
    const Calendar& calendar;
    /// The tray app's window state; null when no tray app runs.
    UIState* ui = nullptr;
    /// Brings up the settings window on ui's tab and sheet; empty without a
    /// tray app (commands then leave windows alone).
    std::function<void()> openSettingsWindow;
    /// Ends the tray app; empty without one.
    std::function<void()> quit;
    /// The id the sender gave this command; a command with an id the store
    /// already carried out gets its first answer again (see applyOnce).
    std::string requestId;
    /// The content of the file a command names (`import FILE`), read by the
    /// `cadro` command itself: the tray app never opens such a file.
    const std::string* input = nullptr;
    /// Undo and redo of the store's changes; null where there are none.
    StoreUndo* undo = nullptr;
};

/// The largest file `cadro import` takes.
constexpr std::size_t kMaxImportBytes = 64 * 1024 * 1024;

/// What a command line reads before it runs: the content of the file that
/// `import` names ("-" is standard input), or why it cannot be taken (not a
/// regular file, too large, unreadable). Both empty for other commands.
/// `import --replace` without --yes asks for a confirmation on the terminal.
struct CommandInput {
    std::optional<std::string> content;
    std::optional<CommandLineResult> refusal;
    /// `import --replace` was confirmed on the terminal: the command goes on
    /// as if --yes had been given.
    bool confirmed = false;
};
CommandInput readCommandInput(const std::vector<std::string>& args);

/// How a command line is carried out: by starting a demo (or a screenshot
/// tour) beside the user's tray app, by watching the status, by a store
/// command, by printing help or the version, or, with no command at all, by
/// printing a short usage and the status.
enum class CommandKind { trayApp, watch, storeCommand, info, summary };

/// The arguments with a file given to `brain-dump --link` made absolute
/// against this process's working directory, before the command travels to
/// the tray app, which runs elsewhere.
std::vector<std::string> withAbsoluteFilePaths(std::vector<std::string> args);

/// A leading -q moved behind the command name, where every command takes it.
std::vector<std::string> withQuietAfterCommand(std::vector<std::string> args);

/// What kind of command the arguments (without the program name) ask for.
CommandKind classifyCommandLine(const std::vector<std::string>& args);

/// False for the commands that only read (status, list, showing the brain
/// dump, windows): they never create or change a file.
bool commandChangesStore(const std::vector<std::string>& args);

/// The refusal of arguments that are not UTF-8 text; nothing when they are.
std::optional<CommandLineResult> rejectMalformedArguments(const std::vector<std::string>& args);

/// What `cadro --version`, `cadro --help`, `cadro help [COMMAND]` and
/// `cadro COMMAND --help` print, with their exit code; nullopt for any other
/// command line.
std::optional<CommandLineResult> infoResult(const std::vector<std::string>& args);

/// Runs one `cadro` subcommand against the host's store. Never throws. A
/// change that could not be saved gives kExitNotSaved.
CommandLineResult runCommandLine(std::vector<std::string> args, CommandLineHost& host);

/// The one-line JSON object of `cadro status --json`.
std::string statusJson(const ThreadStore& store, const Calendar& calendar, Date now);

/// The usage text of `cadro --help`.
const std::string& usageText();
/// What `cadro` without a command prints before the status.
std::string_view briefUsage();

}  // namespace cadro
