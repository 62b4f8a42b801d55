#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

namespace cli {
struct CommandRun;
class Arguments;
}  // namespace cli

/// Carries out one command; the arguments are those after its name.
using CommandHandler = void (*)(cli::CommandRun&, cli::Arguments&);

/// What a command does with the store: whether it changes it, and for the
/// few that only sometimes do, which arguments make it a change.
enum class StoreUse {
    /// Touches no data (windows, quitting).
    none,
    reads,
    writes,
    /// Changes it when given any of its options, shows it otherwise.
    writesWithOption,
    /// Changes it when given an argument, shows it otherwise.
    writesWithArgument,
    /// Changes it unless given --dry-run.
    writesUnlessDryRun,
};

/// One option of a command: "--step" with its value's name ("TEXT"; empty
/// for a plain flag) and what it does.
struct OptionSpec {
    std::string_view name;
    std::string_view value;
    std::string_view help;
};

/// One `cadro` command: what the help, the manual page and the shell
/// completions say of it, whether it changes the store, and its handler.
struct CommandSpec {
    std::string_view name;
    /// What follows the name in a usage line.
    std::string_view synopsis;
    std::string_view summary;
    std::vector<OptionSpec> options;
    /// The fixed words the first argument can be, offered by completion.
    std::vector<std::string_view> words;
    StoreUse use = StoreUse::reads;
    /// Null for `help`, `where` and `move-data`, which the program answers
    /// before any command runs.
    CommandHandler run = nullptr;
};

/// Every command, in the order the help lists them.
const std::vector<CommandSpec>& commandTable();
/// The options of `cadro` itself: the tray app's and --help, --version.
const std::vector<OptionSpec>& programOptions();
const CommandSpec* findCommand(std::string_view name);

/// "name synopsis", the usage line of one command.
std::string commandSynopsis(const CommandSpec& command);
/// What `cadro COMMAND --help` prints.
std::string commandHelp(const CommandSpec& command);
/// What `cadro --help` prints.
std::string programHelp();

}  // namespace cadro
