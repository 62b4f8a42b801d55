// cadro-docs OUTDIR: writes the manual pages cadro.1 and cadro-tray.1 and the
// bash, zsh and fish completions from the command table that `cadro --help` prints, so that
// none of them can fall behind the program. Runs at build time.
#include "core/cli/CommandTable.h"
#include "core/environment/AppId.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

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
        ".TP\n5\nsomething else went wrong (the tray app could not be started, the store "
        "could not be watched); the message says what\n"
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

// The tray app's own page: what it is, and the options `cadro` hands on to it.
std::string trayManPage() {
    std::string page = ".TH CADRO\\-TRAY 1 \"\" \"Cadro " CADRO_VERSION
                       "\" \"User Commands\"\n"
                       ".SH NAME\n"
                       "cadro\\-tray \\- the Cadro tray app\n"
                       ".SH SYNOPSIS\n"
                       ".B cadro\\-tray\n"
                       "[\\fB\\-\\-demo\\fR | \\fB\\-\\-demo\\-empty\\fR] "
                       "[\\fB\\-\\-capture\\fR \\fIDIR\\fR]\n"
                       ".SH DESCRIPTION\n"
                       "\\fBcadro\\-tray\\fR shows what to work on now in the system tray and "
                       "moves you through your threads and to-dos from its menu, global "
                       "shortcuts and settings window. It is started by \\fBcadro\\fR without a "
                       "command, by the desktop's launcher entry, or at login.\n"
                       ".SH OPTIONS\n";
    for (const auto& option : programOptions()) {
        if (option.name != "--quiet" && option.name != "--help" && option.name != "--version")
            page += ".TP\n" + optionTerm(option) + "\n" + roff(option.help) + "\n";
    }
    page +=
        ".SH SEE ALSO\n"
        ".BR cadro (1)\n";
    return page;
}

// --- Completions ----------------------------------------------------------------------

// What completion offers for a value: the table's placeholder says it.
// FILE and DIR ask for paths, THREAD, TODO and ITEM for the titles in the
// store, and alternatives such as "N day|week|month" for their words.
struct Offer {
    enum class Kind { nothing, words, files, directories, items };
    Kind kind = Kind::nothing;
    std::vector<std::string> words;
    /// files: a glob the names must match ("*.md"), or empty for any file.
    std::string pattern;
    /// items: "thread", "to-do" or "any".
    std::string items;
};

Offer offerFor(std::string_view placeholder) {
    while (!placeholder.empty() && placeholder.front() == '[')
        placeholder.remove_prefix(1);
    while (!placeholder.empty() && (placeholder.back() == ']' || placeholder.back() == '.'))
        placeholder.remove_suffix(1);
    Offer offer;
    auto starts = [&](std::string_view word) { return placeholder.substr(0, word.size()) == word; };
    if (starts("FILE")) {
        offer.kind = Offer::Kind::files;
        const auto dot = placeholder.find('.');
        if (dot != std::string_view::npos)
            offer.pattern = "*" + std::string(placeholder.substr(dot));
    } else if (starts("DIR")) {
        offer.kind = Offer::Kind::directories;
    } else if (starts("THREAD") || starts("TODO") || starts("ITEM")) {
        offer.kind = Offer::Kind::items;
        offer.items = starts("THREAD") ? "thread" : starts("TODO") ? "to-do" : "any";
    } else if (placeholder.find('|') != std::string_view::npos) {
        // The last word's lower-case alternatives: "none" of "N|none".
        std::string_view last = placeholder.substr(placeholder.rfind(' ') + 1);
        for (std::size_t start = 0; start <= last.size();) {
            std::size_t end = std::min(last.find('|', start), last.size());
            std::string_view word = last.substr(start, end - start);
            start = end + 1;
            if (!word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
                    return (c >= 'a' && c <= 'z') || c == '-';
                }))
                offer.words.emplace_back(word);
        }
        if (!offer.words.empty())
            offer.kind = Offer::Kind::words;
    }
    return offer;
}

// The first argument of a command, as its synopsis names it.
Offer argumentOffer(const CommandSpec& command) {
    std::string_view first = command.synopsis.substr(0, command.synopsis.find(' '));
    if (first.empty() || first.front() == '-' || first.substr(0, 2) == "[-")
        return {};
    Offer offer = offerFor(first);
    // Fixed words are offered with the options already.
    return offer.kind == Offer::Kind::words && !command.words.empty() ? Offer{} : offer;
}

// Options whose value starts with a count ("--every 2 week"): after the
// count the rest of the value is offered.
std::vector<std::string> countedOptions() {
    std::vector<std::string> names;
    for (const auto& command : commandTable()) {
        for (const auto& option : command.options) {
            if (option.value.substr(0, 2) == "N " &&
                std::find(names.begin(), names.end(), option.name) == names.end())
                names.emplace_back(option.name);
        }
    }
    return names;
}

std::string joined(const std::vector<std::string>& words, std::string_view separator) {
    std::string out;
    for (const auto& word : words)
        out += (out.empty() ? "" : std::string(separator)) + word;
    return out;
}

std::vector<std::string> commandNames() {
    std::vector<std::string> names;
    for (const auto& command : commandTable())
        names.emplace_back(command.name);
    return names;
}

std::vector<std::string> optionNames(const std::vector<OptionSpec>& options) {
    std::vector<std::string> names;
    for (const auto& option : options)
        names.emplace_back(option.name);
    return names;
}

// What completes after a command besides its first argument: its fixed
// words, its options and --help; "help" completes command names.
std::vector<std::string> argumentWords(const CommandSpec& command) {
    if (command.name == "help")
        return commandNames();
    std::vector<std::string> words(command.words.begin(), command.words.end());
    for (const auto& option : command.options)
        words.emplace_back(option.name);
    words.emplace_back("--help");
    return words;
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

// The options that take a value, grouped by what they offer, as case arms:
// "--to|--on) ACTION ;;".
template <typename Action>
std::string valueArms(const std::vector<OptionSpec>& options, const std::string& indent,
                      Action action) {
    std::vector<std::pair<std::string, std::string>> arms;  // action, patterns
    for (const auto& option : options) {
        if (option.value.empty())
            continue;
        std::string code = action(offerFor(option.value));
        auto arm = std::find_if(arms.begin(), arms.end(),
                                [&](const auto& entry) { return entry.first == code; });
        if (arm == arms.end())
            arms.emplace_back(code, std::string(option.name));
        else
            arm->second += "|" + std::string(option.name);
    }
    std::string out;
    for (const auto& [code, patterns] : arms)
        out += indent + patterns + ") " + code + " ;;\n";
    return out;
}

std::string bashOffer(const Offer& offer) {
    switch (offer.kind) {
        case Offer::Kind::words:
            return "words=" + shellQuoted(joined(offer.words, " "));
        case Offer::Kind::files:
            return "_cadro_files " + shellQuoted(offer.pattern);
        case Offer::Kind::directories:
            return "_cadro_files /";
        case Offer::Kind::items:
            return "_cadro_items " + offer.items;
        case Offer::Kind::nothing:
            break;
    }
    return ":";
}

// "; ACTION" for a command's first argument, or nothing.
std::string bashArgument(const CommandSpec& command) {
    const Offer offer = argumentOffer(command);
    return offer.kind == Offer::Kind::nothing ? "" : "; " + bashOffer(offer);
}

std::string bashCompletion() {
    std::string script =
        "# bash completion for cadro, generated from its command table\n"
        "\n"
        "# Appends the titles of the store's threads and to-dos of kind $1 (thread,\n"
        "# to-do or any) that complete $cur, quoted for the command line.\n"
        "_cadro_items() {\n"
        "    local title kind\n"
        "    while IFS=$'\\t' read -r title kind; do\n"
        "        [[ $1 == any || $kind == \"$1\" ]] && [[ $title == \"$cur\"* ]] &&\n"
        "            COMPREPLY+=(\"$(printf '%q' \"$title\")\")\n"
        "    done < <(timeout 2 cadro list --titles 2>/dev/null)\n"
        "}\n"
        "\n"
        "# Appends the paths that complete $cur: directories for \"/\", else files\n"
        "# matching the glob $1 (any file when empty) and directories.\n"
        "_cadro_files() {\n"
        "    compopt -o filenames 2>/dev/null\n"
        "    local path\n"
        "    while IFS= read -r path; do COMPREPLY+=(\"$path\"); done < <(\n"
        "        if [ \"$1\" = / ]; then compgen -d -- \"$cur\"\n"
        "        elif [ -n \"$1\" ]; then compgen -d -- \"$cur\"; compgen -f -X \"!$1\" -- "
        "\"$cur\"\n"
        "        else compgen -f -- \"$cur\"; fi)\n"
        "}\n"
        "\n"
        "_cadro() {\n"
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} words=''\n"
        "    COMPREPLY=()\n"
        "    # After a count the rest of the option's value follows.\n"
        "    if [[ $COMP_CWORD -gt 2 && $prev == [0-9]* ]]; then\n"
        "        case ${COMP_WORDS[COMP_CWORD-2]} in " +
        joined(countedOptions(), "|") +
        ") prev=${COMP_WORDS[COMP_CWORD-2]} ;; esac\n"
        "    fi\n"
        "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
        "        words=" +
        shellQuoted(joined(commandNames(), " ") + " " +
                    joined(optionNames(programOptions()), " ")) +
        "\n"
        "    else\n"
        "        case ${COMP_WORDS[1]} in\n";
    for (const auto& command : commandTable()) {
        script +=
            "            " + std::string(command.name) + ")\n" + "                case $prev in\n" +
            valueArms(command.options, "                    ", bashOffer) +
            "                    *) words=" + shellQuoted(joined(argumentWords(command), " ")) +
            bashArgument(command) + " ;;\n" + "                esac ;;\n";
    }
    script +=
        "            -*)\n"
        "                case $prev in\n" +
        valueArms(programOptions(), "                    ", bashOffer) +
        "                    *) words=" + shellQuoted(joined(optionNames(programOptions()), " ")) +
        " ;;\n"
        "                esac ;;\n"
        "        esac\n"
        "    fi\n"
        "    COMPREPLY+=($(compgen -W \"$words\" -- \"$cur\"))\n"
        "}\n"
        "complete -F _cadro cadro\n";
    return script;
}

std::string zshOffer(const Offer& offer) {
    switch (offer.kind) {
        case Offer::Kind::words:
            return "compadd -- " + joined(offer.words, " ");
        case Offer::Kind::files:
            return offer.pattern.empty() ? "_files" : "_files -g " + shellQuoted(offer.pattern);
        case Offer::Kind::directories:
            return "_files -/";
        case Offer::Kind::items:
            return "_cadro_items " + offer.items;
        case Offer::Kind::nothing:
            break;
    }
    return ":";
}

std::string zshArgument(const CommandSpec& command) {
    const Offer offer = argumentOffer(command);
    return offer.kind == Offer::Kind::nothing ? "" : "; " + zshOffer(offer);
}

std::string zshCompletion() {
    std::string script =
        "#compdef cadro\n"
        "# zsh completion for cadro, generated from its command table\n"
        "\n"
        "# The titles of the store's threads and to-dos of kind $1 (thread, to-do or\n"
        "# any).\n"
        "_cadro_items() {\n"
        "    local -a lines\n"
        "    lines=(${(f)\"$(timeout 2 cadro list --titles 2>/dev/null)\"})\n"
        "    [[ $1 == any ]] || lines=(${(M)lines:#*$'\\t'$1})\n"
        "    if (( $#lines )); then compadd -- ${lines%%$'\\t'*}; fi\n"
        "}\n"
        "\n"
        "_cadro() {\n"
        "    local -a commands\n"
        "    local prev=$words[CURRENT-1]\n"
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
        joined(optionNames(programOptions()), " ") +
        "\n"
        "        return\n"
        "    fi\n"
        "    # After a count the rest of the option's value follows.\n"
        "    if (( CURRENT > 3 )) && [[ $prev == <-> ]]; then\n"
        "        case $words[CURRENT-2] in " +
        joined(countedOptions(), "|") +
        ") prev=$words[CURRENT-2] ;; esac\n"
        "    fi\n"
        "    case $words[2] in\n";
    for (const auto& command : commandTable()) {
        script += "        " + std::string(command.name) + ")\n" + "            case $prev in\n" +
                  valueArms(command.options, "                ", zshOffer) +
                  "                *) compadd -- " + joined(argumentWords(command), " ") +
                  zshArgument(command) + " ;;\n" + "            esac ;;\n";
    }
    script +=
        "        -*)\n"
        "            case $prev in\n" +
        valueArms(programOptions(), "                ", zshOffer) +
        "                *) compadd -- " + joined(optionNames(programOptions()), " ") +
        " ;;\n"
        "            esac ;;\n"
        "    esac\n"
        "}\n"
        "_cadro \"$@\"\n";
    return script;
}

// The -a/-F part of a fish completion line.
std::string fishOffer(const Offer& offer) {
    switch (offer.kind) {
        case Offer::Kind::words:
            return " -a " + shellQuoted(joined(offer.words, " "));
        case Offer::Kind::files:
            return " -F";
        case Offer::Kind::directories:
            return " -a '(__fish_complete_directories)'";
        case Offer::Kind::items:
            return " -a '(__cadro_items " + offer.items + ")'";
        case Offer::Kind::nothing:
            break;
    }
    return "";
}

std::string fishOption(const std::string& condition, const OptionSpec& option) {
    std::string line =
        "complete -c cadro -n " + condition + " -l " + std::string(option.name.substr(2));
    if (!option.value.empty()) {
        const Offer offer = offerFor(option.value);
        line += (offer.kind == Offer::Kind::files ? " -r" : " -x") + fishOffer(offer);
    }
    return line + " -d " + shellQuoted(option.help) + "\n";
}

std::string fishCompletion() {
    std::string script =
        "# fish completion for cadro, generated from its command table\n"
        "complete -c cadro -f\n"
        "\n"
        "# The titles of the store's threads and to-dos of kind $argv[1] (thread,\n"
        "# to-do or any), each with its kind as description.\n"
        "function __cadro_items\n"
        "    set -l lines (timeout 2 cadro list --titles 2>/dev/null)\n"
        "    test $argv[1] = any; or set lines (string match -- \"*\t$argv[1]\" $lines)\n"
        "    printf '%s\\n' $lines\n"
        "end\n"
        "\n"
        "# True when the command line ends with OPTION and a count, after which the\n"
        "# rest of the option's value follows.\n"
        "function __cadro_after_count -a option\n"
        "    set -l tokens (commandline -opc)\n"
        "    test (count $tokens) -ge 2; and string match -qr '^[0-9]+$' -- $tokens[-1]\n"
        "    and test $tokens[-2] = $option\n"
        "end\n"
        "\n";
    for (const auto& option : programOptions())
        script += fishOption("__fish_use_subcommand", option);
    for (const auto& command : commandTable()) {
        const std::string name(command.name);
        const std::string seen = "'__fish_seen_subcommand_from " + name + "'";
        script += "complete -c cadro -n __fish_use_subcommand -a " + name + " -d " +
                  shellQuoted(command.summary) + "\n";
        for (const auto& option : command.options) {
            script += fishOption(seen, option);
            if (option.value.substr(0, 2) == "N ") {
                script += "complete -c cadro -n '__fish_seen_subcommand_from " + name +
                          "; and __cadro_after_count " + std::string(option.name) + "'" +
                          fishOffer(offerFor(option.value)) + "\n";
            }
        }
        std::vector<std::string> words =
            command.name == "help"
                ? commandNames()
                : std::vector<std::string>(command.words.begin(), command.words.end());
        if (!words.empty())
            script +=
                "complete -c cadro -n " + seen + " -a " + shellQuoted(joined(words, " ")) + "\n";
        const Offer offer = argumentOffer(command);
        if (offer.kind != Offer::Kind::nothing)
            script += "complete -c cadro -n " + seen + fishOffer(offer) + "\n";
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
    bool ok = write(out / "cadro.1", manPage()) && write(out / "cadro-tray.1", trayManPage()) &&
              write(out / "cadro.bash", bashCompletion()) &&
              write(out / "_cadro", zshCompletion()) && write(out / "cadro.fish", fishCompletion());
    if (!ok) {
        std::cerr << "cadro-docs: cannot write into " << out.string() << "\n";
        return 1;
    }
    return 0;
}
