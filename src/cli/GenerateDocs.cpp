// cadro-docs OUTDIR: writes the manual page cadro.1 and the bash, zsh and fish
// completions from the command table that `cadro --help` prints, so that
// none of them can fall behind the program. Runs at build time.
#include "core/cli/CommandTable.h"
#include "core/environment/AppId.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace fs = std::filesystem;
using namespace cadro;

namespace {

// --- Manual page -------------------------------------------------------------------

// Text as roff prints it literally: backslashes doubled, hyphens as minus
// signs (so options can be searched and copied), a leading dot or quote
// guarded.
std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out.push_back(c);
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string optionTerm(const OptionSpec& option) {
    std::string term = "\\fB" + roff(option.name) + "\\fR";
    if (!option.value.empty())
        term += " \\fI" + roff(option.value) + "\\fR";
    return term;
}

std::string manPage() {
    std::string page = ".TH CADRO 1 \"\" \"Cadro " CADRO_VERSION
                       "\" \"User Commands\"\n"
                       ".SH NAME\n"
                       "cadro \\- shows what to work on now and moves you through it\n"
                       ".SH SYNOPSIS\n"
                       ".B cadro\n"
                       "[\\fB\\-\\-demo\\fR | \\fB\\-\\-demo\\-empty\\fR] "
                       "[\\fB\\-\\-capture\\fR \\fIDIR\\fR]\n"
                       ".br\n"
                       ".B cadro\n"
                       "\\fICOMMAND\\fR [\\fIOPTIONS\\fR]\n"
                       ".SH DESCRIPTION\n"
                       "Cadro lives in the system tray and moves you through everything you "
                       "juggle, one thing at a time. Each thing you keep coming back to is a "
                       "thread, with the step you are on and the steps planned after it; one-off "
                       "tasks are to-dos.\n"
                       ".PP\n"
                       "Without a command, \\fBcadro\\fR prints a short usage and the status; the "
                       "tray app is \\fBcadro\\-tray\\fR, and starting it again brings the "
                       "running one forward. With a command it "
                       "acts on your threads: in the running tray app when there is one (through "
                       "a socket only you can use), otherwise on the store file directly, under a "
                       "lock.\n"
                       ".SH OPTIONS\n";
    for (const auto& option : programOptions())
        page += ".TP\n" + optionTerm(option) + "\n" + roff(option.help) + "\n";
    page += ".SH COMMANDS\n";
    for (const auto& command : commandTable()) {
        page += ".TP\n\\fB" + roff(command.name) + "\\fR " + roff(command.synopsis) + "\n" +
                roff(command.summary) + ".\n";
        if (command.options.empty())
            continue;
        page += ".RS\n";
        for (const auto& option : command.options)
            page += ".TP\n" + optionTerm(option) + "\n" + roff(option.help) + "\n";
        page += ".RE\n";
    }
    page +=
        ".PP\n"
        "\\fBcadro\\fR \\fICOMMAND\\fR \\fB\\-\\-help\\fR prints the usage of one "
        "command.\n"
        ".SH EXIT STATUS\n"
        ".TP\n0\ndone\n"
        ".TP\n1\nnothing to act on (the tray would beep), or Cadro is not running\n"
        ".TP\n2\nbad input: an unknown command or option, a value that does not parse, a "
        "thread that does not exist, text that is not UTF\\-8, a title with a line break\n"
        ".TP\n3\nthe change could not be saved (disk full, no permission); the file keeps "
        "its last good content\n"
        ".TP\n4\nthe tray app holds your data but does not answer, or its socket folder "
        "is not private\n"
        ".SH ENVIRONMENT\n"
        ".TP\n.B XDG_DATA_HOME\nwhere the data folder is (default \\fI~/.local/share\\fR)\n"
        ".TP\n.B XDG_CONFIG_HOME\nwhere the preferences and the autostart entry are "
        "(default \\fI~/.config\\fR)\n"
        ".TP\n.B XDG_RUNTIME_DIR\nwhere the tray app's socket is (without it, a private "
        "folder in \\fI$TMPDIR\\fR or \\fI/tmp\\fR)\n"
        ".TP\n.B TZ\nthe time zone of schedules and snoozes\n"
        ".TP\n.BR LC_ALL \", \" LC_TIME \", \" LANG\nthe locale of dates and the first day "
        "of the week\n"
        ".SH FILES\n"
        ".TP\n.I $XDG_DATA_HOME/Cadro/threads.json\nall threads and to-dos, rewritten "
        "atomically on every change\n"
        ".TP\n.I $XDG_CONFIG_HOME/Cadro/Cadro.conf\nshortcuts and window preferences\n"
        ".TP\n.I $XDG_CONFIG_HOME/autostart/" +
        roff(std::string(kAppId) + ".desktop") +
        "\npresent while Cadro starts at login\n"
        ".SH EXAMPLES\n"
        ".nf\n"
        "cadro add\\-thread \"Quarterly report\" \\-\\-step \"Collect the numbers\"\n"
        "cadro start\\-day\n"
        "cadro next\n"
        "cadro status \\-\\-watch \\-\\-json\n"
        ".fi\n";
    return page;
}

// --- Completions ----------------------------------------------------------------------

std::string commandNames() {
    std::string names;
    for (const auto& command : commandTable())
        names += (names.empty() ? "" : " ") + std::string(command.name);
    return names;
}

std::string programOptionNames() {
    std::string names;
    for (const auto& option : programOptions())
        names += (names.empty() ? "" : " ") + std::string(option.name);
    return names;
}

// What completes after a command: its options, its fixed words, and
// --help; "help" completes command names.
std::string argumentWords(const CommandSpec& command) {
    if (command.name == "help")
        return commandNames();
    std::string words;
    for (auto word : command.words)
        words += std::string(word) + " ";
    for (const auto& option : command.options)
        words += std::string(option.name) + " ";
    return words + "--help";
}

// Single quotes for shell words, with embedded quotes closed and reopened.
std::string shellQuoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

std::string bashCompletion() {
    std::string script =
        "# bash completion for cadro, generated from its command table\n"
        "_cadro() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} words\n"
        "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
        "        words=" +
        shellQuoted(commandNames() + " " + programOptionNames()) +
        "\n"
        "    else\n"
        "        case ${COMP_WORDS[1]} in\n";
    for (const auto& command : commandTable()) {
        script += "            " + std::string(command.name) +
                  ") words=" + shellQuoted(argumentWords(command)) + " ;;\n";
    }
    script +=
        "            *) words='' ;;\n"
        "        esac\n"
        "    fi\n"
        "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
        "}\n"
        "complete -F _cadro cadro\n";
    return script;
}

std::string zshCompletion() {
    std::string script =
        "#compdef cadro\n"
        "# zsh completion for cadro, generated from its command table\n"
        "_cadro() {\n"
        "    local -a commands\n"
        "    commands=(\n";
    for (const auto& command : commandTable()) {
        script += "        " +
                  shellQuoted(std::string(command.name) + ":" + std::string(command.summary)) +
                  "\n";
    }
    script +=
        "    )\n"
        "    if (( CURRENT == 2 )); then\n"
        "        _describe -t commands 'cadro command' commands\n"
        "        compadd -- " +
        programOptionNames() +
        "\n"
        "        return\n"
        "    fi\n"
        "    case $words[2] in\n";
    for (const auto& command : commandTable()) {
        script += "        " + std::string(command.name) + ") compadd -- " +
                  argumentWords(command) + " ;;\n";
    }
    script +=
        "    esac\n"
        "}\n"
        "_cadro \"$@\"\n";
    return script;
}

std::string fishCompletion() {
    std::string script =
        "# fish completion for cadro, generated from its command table\n"
        "complete -c cadro -f\n";
    for (const auto& option : programOptions()) {
        script += "complete -c cadro -n __fish_use_subcommand -l " +
                  std::string(option.name.substr(2)) + " -d " + shellQuoted(option.help) + "\n";
    }
    for (const auto& command : commandTable()) {
        const std::string name(command.name);
        const std::string seen = "'__fish_seen_subcommand_from " + name + "'";
        script += "complete -c cadro -n __fish_use_subcommand -a " + name + " -d " +
                  shellQuoted(command.summary) + "\n";
        for (const auto& option : command.options) {
            script += "complete -c cadro -n " + seen + " -l " + std::string(option.name.substr(2)) +
                      (option.value.empty() ? "" : " -r") + " -d " + shellQuoted(option.help) +
                      "\n";
        }
        if (!command.words.empty() || command.name == "help") {
            std::string words = command.name == "help" ? commandNames() : "";
            for (auto word : command.words)
                words += (words.empty() ? "" : " ") + std::string(word);
            script += "complete -c cadro -n " + seen + " -a " + shellQuoted(words) + "\n";
        }
    }
    return script;
}

bool write(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return bool(file.flush());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: cadro-docs OUTDIR\n";
        return 2;
    }
    const fs::path out(argv[1]);
    std::error_code ec;
    fs::create_directories(out, ec);
    bool ok = write(out / "cadro.1", manPage()) && write(out / "cadro.bash", bashCompletion()) &&
              write(out / "_cadro", zshCompletion()) && write(out / "cadro.fish", fishCompletion());
    if (!ok) {
        std::cerr << "cadro-docs: cannot write into " << out.string() << "\n";
        return 1;
    }
    return 0;
}
