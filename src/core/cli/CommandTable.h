#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

/// One option of a command: "--step" with its value's name ("TEXT"; empty
/// for a plain flag) and what it does.
struct OptionSpec {
    std::string_view name;
    std::string_view value;
    std::string_view help;
};

/// One `cadro` command as the help, the manual page and the shell
/// completions describe it. The handlers in CommandLine.cpp carry it out.
struct CommandSpec {
    std::string_view name;
    /// What follows the name in a usage line.
    std::string_view synopsis;
    std::string_view summary;
    std::vector<OptionSpec> options;
    /// The fixed words the first argument can be, offered by completion.
    std::vector<std::string_view> words;
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
