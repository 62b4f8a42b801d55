#include "core/cli/CommandLine.h"
#include "core/cli/CommandTable.h"
#include "core/store/StoreFile.h"
#include "core/store/StoreFormat.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <set>
#include <thread>

namespace cadro {
namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a program to its end with extra environment variables on top of a
// clean, minimal one. Output goes to files, so a grandchild left running
// cannot hold the run open; a hung child is ended by timeout and exits 124.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment) {
    testing::TempDir dir;
    std::string line = "timeout 30 env -i PATH=/usr/bin:/bin";
    if (const char* home = std::getenv("HOME"))
        line += " " + quoted(std::string("HOME=") + home);
    for (const auto& [key, value] : environment)
        line += " " + quoted(key + "=" + value);
    for (const auto& word : argv)
        line += " " + quoted(word);
    line +=
        " </dev/null >" + quoted((dir / "out").string()) + " 2>" + quoted((dir / "err").string());
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            testing::readFile(dir / "out"), testing::readFile(dir / "err")};
}

// Command-line arguments written as one string, split at '|'.
std::vector<std::string> split(std::string_view line) {
    std::vector<std::string> args;
    for (std::size_t start = 0;;) {
        const auto bar = line.find('|', start);
        args.emplace_back(line.substr(start, bar - start));
        if (bar == std::string_view::npos)
            return args;
        start = bar + 1;
    }
}

// The real `cadro` binary in temporary XDG folders, in Berlin, in English.
class Cli {
  public:
    // Runs set-up commands written as for split().
    explicit Cli(std::initializer_list<const char*> setup = {}, const std::string& fakeTime = "") {
        for (const char* line : setup)
            ok(split(line), fakeTime);
    }
    ProcessResult run(std::vector<std::string> args, const std::string& fakeTime = "") {
        std::vector<std::string> argv = {program};
        argv.insert(argv.end(), args.begin(), args.end());
        // faketime preloads a library; a sanitizer build must let it go first.
        std::map<std::string, std::string> environment = {
            {"ASAN_OPTIONS", "verify_asan_link_order=0"},
            {"XDG_DATA_HOME", (home / "data").string()},
            {"XDG_CONFIG_HOME", (home / "config").string()},
            {"XDG_STATE_HOME", (home / "state").string()},
            {"XDG_RUNTIME_DIR", (home / "run").string()},
            {"TZ", "Europe/Berlin"},
            {"LANG", "en_US.UTF-8"}};
        if (!fakeTime.empty()) {
            // The library itself rather than the faketime wrapper, whose named
            // semaphores clash with those a killed earlier run left behind.
            environment["LD_PRELOAD"] = CADRO_LIBFAKETIME;
            environment["FAKETIME"] = "@" + fakeTime;
        }
        return runProcess(argv, environment);
    }
    // Runs a command that must succeed and returns its output.
    std::string ok(std::vector<std::string> args, const std::string& fakeTime = "") {
        ProcessResult r = run(args, fakeTime);
        EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
        return r.out;
    }
    nlohmann::json status(const std::string& fakeTime = "") {
        return nlohmann::json::parse(ok({"status", "--json"}, fakeTime));
    }
    nlohmann::json list(const std::string& fakeTime = "") {
        return nlohmann::json::parse(ok({"list", "--json"}, fakeTime));
    }
    std::filesystem::path storeFile() const { return home / "data" / "Cadro" / "threads.json"; }
    std::string storeBytes() const { return testing::readFile(storeFile()); }

    testing::TempDir home;
    std::string program = CADRO_CLI_PATH;
};

TEST(Cli, WorkedExampleDrivenByNext) {
    Cli cli(
        {"add-thread|A", "add-thread|B|--priority|2", "add-thread|C", "add-thread|D", "start-day"});
    std::string seen = cli.status()["thread"]["title"];
    for (int i = 0; i < 12; ++i) {
        cli.ok({"next"});
        seen += " " + cli.status()["thread"]["title"].get<std::string>();
    }
    EXPECT_EQ(seen, "A B C D B Cadro A B C D B Cadro A");
    EXPECT_EQ(decodeStoreFile(cli.storeBytes(), Date{}).currentID->toString(),
              cli.status()["thread"]["id"]);
}

TEST(Cli, NothingCurrentExitsOneAndAFailureExitsFive) {
    Cli cli;
    ProcessResult r = cli.run({"next"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("day hasn't started"), std::string::npos);
    cli.ok({"start-day"});
    cli.ok({"park"});  // the hygiene thread
    std::string before = cli.storeBytes();
    // No tray app runs for show and quit.
    for (const char* line :
         {"next", "park", "snooze", "step|x", "next|--step|x", "show|settings", "quit"}) {
        ProcessResult each = cli.run(split(line));
        EXPECT_EQ(each.exitCode, 1) << line;
        EXPECT_FALSE(each.err.empty());
    }
    EXPECT_EQ(cli.storeBytes(), before);
    // The day is open: what to do is bring a thread back, not start the day.
    EXPECT_EQ(cli.ok({"status"}), "Nothing current \xC2\xB7 cadro unpark or cadro wake a thread\n");
    EXPECT_NE(cli.run({"next"}).err.find("cadro unpark THREAD"), std::string::npos);
    EXPECT_EQ(cli.run({"next"}).err.find("start"), std::string::npos);

    // A long title is cut at a word, visibly.
    cli.ok({"add-thread",
            "Write the quarterly report for the board with all the figures from "
            "finance"});
    EXPECT_EQ(cli.ok({"status"}),
              "Write the quarterly report for the board with all the\xE2\x80\xA6\n");

    // A failure is never mistaken for nothing to do: with no tray app beside
    // it to start, --demo exits 5.
    cli.program = (cli.home / "cadro").string();
    std::filesystem::copy_file(CADRO_CLI_PATH, cli.program);
    const ProcessResult demo = cli.run({"--demo"});
    EXPECT_EQ(demo.exitCode, 5);
    EXPECT_NE(demo.err.find("cannot start the tray app"), std::string::npos) << demo.err;
}

// Bad input exits 2 with a pointer to help, says what was wrong (suggesting
// what a mistyped name may have meant), and leaves the file byte for byte,
// even when loading it woke snoozes that had run out; a command carried out
// from there writes the file once.
TEST(Cli, BadInputExitsTwoAndLeavesTheFileByteForByte) {
    const std::string later = "2026-03-04 10:00:00";
    // Nothing current: the snoozes run out before the commands below, so
    // loading the file wakes both threads and picks one.
    Cli cli(
        {"add-thread|Alpha", "add-thread|Beta", "start-day", "park|Alpha", "snooze|5", "snooze|5"},
        "2026-03-04 09:00:00");
    std::string before = cli.storeBytes();
    auto expectRefused = [&](const char* line, const char* says) {
        ProcessResult r = cli.run(split(line), later);
        EXPECT_EQ(r.exitCode, 2) << line;
        EXPECT_NE(r.err.find(" --help'"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << line << ": " << r.err;
        EXPECT_EQ(cli.storeBytes(), before) << line;
    };
    const std::pair<const char*, const char*> rows[] = {
        {"frobnicate", "unknown command \"frobnicate\"\n"},
        {"nxt", "unknown command \"nxt\". Did you mean \"next\"?"},
        {"help|stauts", "unknown command \"stauts\". Did you mean \"status\"?"},
        {"nosuch|--help", "unknown command \"nosuch\""},
        {"next|--zzz", "unknown option \"--zzz\"\n"},
        {"list|--jsno", "unknown option \"--jsno\". Did you mean \"--json\"?"},
        {"snooze|--untill|2h", "unknown option \"--untill\". Did you mean \"--until\"?"},
        {"done|Alpha", "parked thread \"Alpha\" (#3, "},  // a thread is never done
        {"remove|Cadro", "park it instead"},
        {"next|--new-task|--step|x", ""},
        {"status|extra", ""},
        {"tick|extra", ""},
        {"snooze|fortnight", ""},
        {"snooze|--until|2026-13-01 10:00", ""},
        {"unpark|00000000-0000-4000-8000-000000000000", ""},
        {"wake|Alpha", ""},
        {"add-thread", ""},
        {"add-thread|  \n ", ""},
        {"add-thread|T|--priority|0", ""},
        {"add-thread|T|--color|#12345", ""},
        {"add-thread|T|--step", ""},
        {"add-todo|x|--minutes|-5", ""},
        {"add-todo|x|--on|2026-03-04", ""},
        {"add-todo|x|--at|07:00", "07:00 today is in the past (it is 10:00 now)"},
        {"add-todo|x|--on|2026-03-01|--at|09:00",
         "09:00 on 2026-03-01 is in the past (it is 2026-03-04 10:00 now)"},
        {"snooze|--until|today 9:00", "in the past (today, 9:00\u202fAM)"},
        {"add-todo|x|--at|09:00|--every|2|fortnight", ""},
        {"add-todo|x|--at|09:00|--every|0|day", ""},
        {"add-todo|x|--at|09:00|--weekdays|mo", ""},
        {"add-todo|x|--at|09:00|--every|week|--weekdays|mo,xx", ""},
        {"add-todo|x|--at|09:00|--every|day|--day|3", ""},
        {"add-todo|x|--at|09:00|--every|month|--day|32", ""},
        {"show|everything", ""},
        {"add-thread|bad \xFF utf8", ""},
        {"add-thread|two\nlines", ""},
        {"add-thread|tab\there", ""},
        {"add-thread|esc \x1B[31mred", ""},
        {"brain-dump|--append|\xC0\xAF", ""},
        {"next|--step| ", ""},
        {"edit|Alpha", ""},
        {"edit|Alpha|--title|  ", ""},
        {"edit|Alpha|--minutes|5", ""},
        {"move|Alpha", ""},
        {"import|/no/such/file", ""},
        {"set|default-snooze|0", ""},
        {"set|todo-chance|101", ""},
        {"set|volume|3", ""},
        {"brain-dump|--link|a.md|--unlink", ""},
    };
    for (const auto& [line, says] : rows)
        expectRefused(line, says);

    // One Next, one write, even with the snoozes to wake first.
    testing::writeFile(cli.storeFile(), before);
    const auto trace = cli.home / "trace";
    cli.program = "/usr/bin/strace";
    // LeakSanitizer cannot run under ptrace: off for this run in sanitizer builds.
    cli.ok({"-f", "-qq", "-e", "trace=rename,renameat,renameat2", "-E",
            "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0", "-o", trace.string(),
            CADRO_CLI_PATH, "next"},
           later);
    const std::string calls = testing::readFile(trace);
    const std::string target = '"' + cli.storeFile().string() + '"';
    int writes = 0;
    for (auto at = calls.find(target); at != std::string::npos; at = calls.find(target, at + 1))
        ++writes;
    EXPECT_EQ(writes, 1) << calls;
    cli.program = CADRO_CLI_PATH;

    // Bad input is bad input before the day starts too.
    cli.ok({"end-day"}, later);
    before = cli.storeBytes();
    for (const char* line : {"snooze|5x", "next|--step|", "park|Nobody"})
        expectRefused(line, "");
}

TEST(Cli, EveryCommandHasItsOwnHelp) {
    Cli cli;
    const std::pair<const char*, const char*> rows[] = {
        {"next|--help", "Usage: cadro next [--new-task"},
        {"help|add-todo", "Usage: cadro add-todo TITLE"},
        {"status|--watch|-h", "Usage: cadro status"},  // help, not a watch
        {"help", "Usage: cadro [COMMAND]"},
    };
    for (const auto& [line, starts] : rows) {
        ProcessResult r = cli.run(split(line));
        EXPECT_EQ(r.exitCode, 0) << line;
        EXPECT_TRUE(r.out.starts_with(starts)) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(cli.storeFile()));  // help touches no data
    // Summaries start in one column, whether their command is short or long.
    const std::string help = cli.ok({"help"});
    const auto column = [&](const std::string& start) {
        const auto line = help.find("\n" + start);
        return help.find_first_not_of(' ', line + start.size() + 1) - line;
    };
    EXPECT_EQ(column("  status [--json] [--watch]"), column("  --demo-empty"));
}

// Every command of the table runs from the command line, and it changes the
// store file exactly when the table says it writes (which also decides
// whether it takes the store lock and may create the file).
TEST(Cli, EveryCommandWritesTheFileExactlyWhenMarkedSo) {
    const std::string at = "2026-03-04 09:00:00";
    Cli cli({"add-thread|Alpha", "add-thread|Beta", "add-todo|Tea", "start-day", "snooze|Beta|1"},
            at);
    const auto todoTxt = cli.home / "todo.txt";
    testing::writeFile(todoTxt, "Buy milk\n");
    const std::string before = cli.storeBytes();
    struct Case {
        std::string line;
        const char* setup = nullptr;
        const char* time = "2026-03-04 09:00:00";
    } cases[] = {
        {"status"},
        {"next"},
        {"step|x"},
        {"start-day", "end-day"},
        {"end-day"},
        {"done|Tea"},
        {"park"},
        {"snooze|Alpha|5"},
        {"wake|Beta"},
        {"unpark|Alpha", "park|Alpha"},
        {"add-thread|New"},
        {"add-todo|New"},
        {"edit|Alpha|--title|A2"},
        {"remove|Alpha"},
        {"move|Alpha|--to|2"},
        {"list"},
        {"export"},
        {"import|" + todoTxt.string() + "|--dry-run"},
        {"import|" + todoTxt.string()},
        {"tick", "add-todo|Meds|--at|09:30", "2026-03-04 09:30:20"},
        {"brain-dump"},
        {"brain-dump|--append|x"},
        {"set"},
        {"set|todo-chance|10"},
        {"show|settings"},
        {"quit"},
        {"undo", "next"},
        {"redo", "undo"},
    };
    // Answered before any store is opened (the sync test runs the last two).
    std::set<std::string_view> covered = {"help", "where", "move-data"};
    for (const auto& c : cases) {
        testing::writeFile(cli.storeFile(), before);
        if (c.setup)
            cli.ok(split(c.setup), at);
        const std::string start = cli.storeBytes();
        const std::vector<std::string> args = split(c.line);
        const ProcessResult r = cli.run(args, c.time);
        const bool writes = commandChangesStore(args);
        EXPECT_EQ(cli.storeBytes() != start, writes) << c.line << ": " << r.err;
        EXPECT_EQ(r.exitCode, writes ? 0 : r.exitCode) << c.line << ": " << r.err;
        const CommandSpec* command = findCommand(args.front());
        ASSERT_NE(command, nullptr) << c.line;
        EXPECT_NE(command->run, nullptr) << c.line;
        covered.insert(command->name);
    }
    for (const CommandSpec& command : commandTable())
        EXPECT_TRUE(covered.count(command.name)) << command.name << " has no case here";
}

TEST(Cli, CommandsStartedTogetherAreAllApplied) {
    Cli cli({"start-day"});
    std::vector<std::thread> runners;
    for (int i = 0; i < 8; ++i) {
        runners.emplace_back([&cli, i] { cli.ok({"add-todo", "todo " + std::to_string(i)}); });
    }
    for (auto& runner : runners)
        runner.join();
    EXPECT_EQ(cli.list()["todos"].size(), 8u);
}

TEST(Cli, BrainDumpFileAndPreferences) {
    Cli cli({"brain-dump|--set|- in the app", "brain-dump|--append|- two"});
    EXPECT_EQ(cli.ok({"brain-dump"}), "- in the app\n- two\n");
    const auto notes = cli.home / "notes.md";
    testing::writeFile(notes, "- in the file\n");
    cli.ok({"brain-dump", "--link", notes.string()});
    EXPECT_EQ(cli.ok({"brain-dump"}), "- in the file\n");
    cli.ok({"brain-dump", "--append", "- more"});
    EXPECT_EQ(testing::readFile(notes), "- in the file\n- more\n");  // ends its last line
    testing::writeFile(notes, testing::readFile(notes) + "- added in vim\n");
    EXPECT_EQ(cli.ok({"brain-dump"}), "- in the file\n- more\n- added in vim\n");
    // A file that cannot be made leaves the link as it was.
    const ProcessResult r = cli.run({"brain-dump", "--link", "/no/such/folder/notes.md"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("left as it is"), std::string::npos) << r.err;

    for (const char* line : {"brain-dump|--unlink", "set|default-snooze|30", "set|todo-chance|0"})
        cli.ok(split(line));
    EXPECT_EQ(cli.ok({"set"}), "default-snooze 30\ntodo-chance 0\n");
}

// The thread and to-do titles of `cadro list --json`, list by list.
std::map<std::string, std::vector<std::string>> titles(Cli& cli, const std::string& at = "") {
    auto list = cli.list(at);
    std::map<std::string, std::vector<std::string>> out;
    for (const char* key : {"active", "parked", "snoozed", "todos"}) {
        for (const auto& item : list[key])
            out[key].push_back(item["title"]);
    }
    return out;
}

TEST(Cli, NamesPickAndPatternsFindInAnyCase) {
    Cli cli({"add-thread|Tax return|--step|call the STRASSE office", "add-thread|Taxes 2025"});
    // The id up to its first dash, in lower case: a start of only digits
    // would be read as a number.
    std::string idStart = cli.ok({"-q", "add-thread", "Straße"}).substr(0, 9);
    for (auto& c : idStart)
        c = static_cast<char>(std::tolower(c));
    cli.ok({"add-todo", "Call plumber"});
    cli.ok({"add-todo", "Straße cleaning"});

    // A pattern finds titles and steps, by kind, keeping the numbers.
    const std::string text = cli.ok({"list", "straße"});
    EXPECT_NE(text.find("  1   Tax return: call the STRASSE office"), std::string::npos) << text;
    EXPECT_NE(text.find("  6   Straße cleaning"), std::string::npos) << text;
    EXPECT_EQ(text.find("Taxes"), std::string::npos) << text;
    EXPECT_EQ(cli.ok({"list", "--kind", "todo", "--titles"}),
              "Call plumber\tto-do\nStraße cleaning\tto-do\n");
    auto json = nlohmann::json::parse(cli.ok({"list", "STRASSE", "--kind", "thread", "--json"}));
    EXPECT_EQ(json["active"].size(), 2u);
    EXPECT_EQ(json["todos"].size(), 0u);
    EXPECT_EQ(cli.run({"list", "--kind", "both"}).exitCode, 2);

    // A name is a number, a title, the unique start of one, or an id's start.
    struct Case {
        std::string name;
        int exitCode;
        const char* parked;  // the thread that went to the parked list
    } cases[] = {
        {"2", 0, "Taxes 2025"},           // the number `cadro list` shows
        {"TAX RETURN", 0, "Tax return"},  // an exact title beats the start of another
        {"taxes", 0, "Taxes 2025"},       // a unique start
        {"STRASSE", 0, "Straße"},         // case folded beyond ASCII
        {idStart, 0, "Straße"},           // the start of an id, in any case
        {"ta", 2, nullptr},               // ambiguous
        {"5", 2, nullptr},                // a to-do cannot be parked
        {"9", 2, nullptr},                // no such number
    };
    for (const auto& c : cases) {
        ProcessResult r = cli.run({"park", c.name});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
        if (c.parked) {
            EXPECT_EQ(titles(cli)["parked"], std::vector<std::string>{c.parked}) << c.name;
            cli.ok({"unpark", c.parked});
        }
    }
    // An ambiguous name lists what it could mean, each with its number and kind.
    std::string err = cli.run({"park", "ta"}).err;
    EXPECT_NE(err.find("\n  1 thread \"Tax return\" ("), std::string::npos) << err;
    EXPECT_NE(err.find("\n  2 thread \"Taxes 2025\" ("), std::string::npos) << err;
}

TEST(Cli, VerbsFinishEditMoveAndSetAsideByName) {
    const std::string at = "2026-03-04 10:00:00";  // a Wednesday
    Cli cli({"add-thread|A", "add-thread|B", "add-thread|C", "add-todo|Once",
             "add-todo|Daily|--at|09:00|--every|day", "set|todo-chance|0", "start-day"},
            at);

    // Feedback says what happened and what is current; -q says nothing.
    EXPECT_EQ(cli.ok({"next"}, at), "Now: B\n");
    EXPECT_EQ(cli.ok({"next", "--quiet"}, at), "");
    EXPECT_EQ(cli.ok({"done", "once"}, at), "Finished \"Once\". Now: C\n");
    cli.ok({"done", "daily"}, at);  // today's 09:00, unseen: it stays for tomorrow
    EXPECT_EQ(titles(cli, at)["todos"], std::vector<std::string>{"Daily"});

    cli.ok({"edit", "A", "--title", "Alpha", "--step", "draft", "--next", "polish", "--priority",
            "2", "--color", "#8b7cf6"},
           at);
    cli.ok({"edit", "alpha", "--priority", "none", "--color", "none"}, at);
    cli.ok({"edit", "daily", "--minutes", "5", "--no-schedule"}, at);
    auto list = cli.list(at);
    EXPECT_EQ(list["active"][0]["step"], "draft");
    EXPECT_EQ(list["active"][0]["nextSteps"], nlohmann::json::array({"polish"}));
    EXPECT_TRUE(list["active"][0]["priority"].is_null());
    EXPECT_TRUE(list["active"][0]["color"].is_null());
    EXPECT_EQ(list["todos"][0]["estimatedMinutes"], 5);
    EXPECT_TRUE(list["todos"][0]["schedule"].is_null());

    using Titles = std::vector<std::string>;
    cli.ok({"move", "C", "--to", "1"}, at);
    EXPECT_EQ(titles(cli, at)["active"], (Titles{"C", "Alpha", "B", "Cadro"}));
    cli.ok({"move", "C", "--after", "B"}, at);
    EXPECT_EQ(titles(cli, at)["active"], (Titles{"Alpha", "B", "C", "Cadro"}));
    cli.ok({"move", "Cadro", "--before", "alpha"}, at);
    EXPECT_EQ(titles(cli, at)["active"], (Titles{"Cadro", "Alpha", "B", "C"}));

    // Snoozes take a time as typed, after --until or in several words (a
    // length, as the JSON test's '90').
    EXPECT_TRUE(cli.ok({"snooze", "B", "--until", "7pm"}, at)
                    .starts_with("Snoozed \"B\" until today, 7:00\u202fPM."));
    cli.ok({"snooze", "daily"}, at);  // a name alone: the default length
    cli.ok({"park", "Alpha"}, at);
    auto moved = titles(cli, at);
    EXPECT_EQ(moved["snoozed"], Titles{"B"});
    EXPECT_EQ(moved["parked"], Titles{"Alpha"});
    EXPECT_FALSE(cli.list(at)["todos"][0]["snoozedUntil"].is_null());
    cli.ok({"wake", "daily"}, at);
    cli.ok({"wake", "b"}, at);
    EXPECT_TRUE(cli.list(at)["todos"][0]["snoozedUntil"].is_null());
    cli.ok({"snooze", "daily", "tomorrow", "9"}, at);
    EXPECT_EQ(cli.list(at)["todos"][0]["snoozedUntil"].get<std::string>().substr(0, 16),
              "2026-03-05T09:00");

    cli.ok({"remove", "daily"}, at);
    cli.ok({"remove", "B"}, at);
    moved = titles(cli, at);
    EXPECT_EQ(moved["active"], (Titles{"Cadro", "C"}));
    EXPECT_TRUE(moved["todos"].empty());
}

TEST(Cli, ScheduledToDosFireOnTickAndOneWhoseTimePassedUnseenIsMarked) {
    const std::string at = "2026-12-07 12:13:30";  // a Monday
    Cli cli({"add-thread|A", "add-thread|B", "start-day", "add-todo|Lunch|--at|12:35",
             "add-todo|Stand-up|--at|18:00|--every|day", "add-todo|Soon|--at|12:14"},
            at);
    EXPECT_EQ(cli.ok({"done", "lunch"}, at), "Finished \"Lunch\". Now: A\n");
    EXPECT_EQ(cli.ok({"done", "stand-up"}, at),
              "Finished \"Stand-up\" for today, 6:00\u202FPM; next tomorrow, 6:00\u202FPM. "
              "Now: A\n");
    // Neither comes up at its time today; Stand-up does tomorrow, and hands
    // back to the same thread when done.
    for (const char* when : {"2026-12-07 12:35:20", "2026-12-07 18:00:20"}) {
        EXPECT_EQ(cli.ok({"tick"}, when), "") << when;  // nothing came up: nothing said
        EXPECT_EQ(cli.status(when)["class"], "thread") << when;
    }
    const std::string tomorrow = "2026-12-08 18:00:20";
    cli.ok({"tick"}, tomorrow);
    EXPECT_EQ(cli.status(tomorrow)["text"], "\xE2\x98\x90 Stand-up");
    cli.ok({"next"}, tomorrow);
    EXPECT_EQ(cli.status(tomorrow)["thread"]["title"], "A");

    // Soon's minute passed with nothing there to show it: it stays, marked.
    const std::string list = cli.ok({"list"}, tomorrow);
    EXPECT_NE(list.find("  1 * A\n  2   "), std::string::npos) << list;  // the current one only
    EXPECT_NE(list.find("Soon  Dec 7 \u00B7 12:14\u202FPM \u00B7 never comes up\n"),
              std::string::npos)
        << list;
    EXPECT_EQ(list.find("Stand-up  Daily \u00B7 18:00 \u00B7 never"), std::string::npos) << list;

    // Two due at the same minute wait in the file: each tick shows the next.
    for (const char* title : {"First", "Second"})
        cli.ok({"add-todo", title, "--at", "19:00"}, tomorrow);
    cli.ok({"tick"}, "2026-12-08 19:00:10");
    EXPECT_EQ(cli.status("2026-12-08 19:00:12")["text"], "\xE2\x98\x90 First");
    cli.ok({"next"}, "2026-12-08 19:00:20");
    cli.ok({"tick"}, "2026-12-08 19:00:40");
    EXPECT_EQ(cli.status("2026-12-08 19:00:42")["text"], "\xE2\x98\x90 Second");
}

TEST(Cli, ExportImportsIntoAnEmptyStoreAndTodoTxtBecomesToDos) {
    Cli from({"add-thread|Website|--step|hero|--next|footer|--color|#8B7CF6", "add-thread|Garden",
              "add-todo|Meds|--at|09:00|--every|day|--minutes|1", "start-day", "park|garden"});
    const auto exported = from.home / "export.json";
    const std::string backup = from.ok({"export"});
    testing::writeFile(exported, backup);
    EXPECT_NE(from.storeBytes().find("\"requests\""), std::string::npos);
    EXPECT_EQ(backup.find("\"requests\""), std::string::npos);

    Cli into;
    const std::string empty = into.storeBytes();
    const std::string plan = into.ok({"import", exported.string(), "--dry-run"});
    EXPECT_NE(plan.find("Would add 2 threads and 1 to-do"), std::string::npos) << plan;
    EXPECT_NE(plan.find("thread \"Website\""), std::string::npos) << plan;
    EXPECT_EQ(into.storeBytes(), empty);
    into.ok({"import", exported.string()});
    auto source = from.list();
    auto copy = into.list();
    for (const char* key : {"parked", "todos"})
        EXPECT_EQ(copy[key], source[key]) << key;
    EXPECT_EQ(copy["active"][0], source["active"][0]);  // the hygiene thread is not doubled
    EXPECT_EQ(copy["active"].size(), 2u);

    // The same export again adds nothing; with --replace it is the whole store.
    EXPECT_NE(into.ok({"import", exported.string()}).find("Added 0 threads and 0 to-dos"),
              std::string::npos);
    EXPECT_EQ(into.list()["todos"].size(), 1u);
    into.ok({"add-todo", "Made after the backup"});
    EXPECT_EQ(into.run({"import", "--replace", exported.string()}).exitCode, 2);  // no terminal
    EXPECT_NE(into.ok({"import", "--replace", exported.string(), "--yes"}).find("Replaced"),
              std::string::npos);
    copy = into.list();
    for (const char* key : {"active", "parked", "todos"})
        EXPECT_EQ(copy[key], source[key]) << key;

    const std::string at = "2026-03-04 10:00:00";
    const auto todoTxt = into.home / "todo.txt";
    testing::writeFile(todoTxt,
                       "(A) 2026-03-01 Call Mom +Family @phone due:2026-03-09\r\n"
                       "x 2026-03-02 Done already\n"
                       "\n"
                       "Buy milk @shop due:2026-03-01\n");
    Cli fresh;
    fresh.ok({"import", todoTxt.string()}, at);
    auto todos = fresh.list(at)["todos"];
    EXPECT_EQ(todos[0]["title"], "(A) Call Mom +Family @phone");
    EXPECT_EQ(todos[0]["schedule"]["next"], "2026-03-09T09:00:00+01:00");
    EXPECT_EQ(todos[1]["title"], "Buy milk @shop due:2026-03-01");  // past: kept as written
    EXPECT_TRUE(todos[1]["schedule"].is_null());

    // Refused, in plain words, changing nothing; what is imported passes the
    // checks of the commands that add threads and to-dos.
    const std::string before = fresh.storeBytes();
    const auto edited = [&](const std::string& from, const std::string& to) {
        return std::string(backup).replace(backup.find(from), from.size(), to);
    };
    const std::pair<std::string, const char*> refused[] = {
        {"broken \xFF\n", "is not UTF-8 text"},
        {"[]\n", "holds a JSON list, not a Cadro export"},
        {testing::readFile("/etc/passwd"), "does not look like a Cadro export or a todo.txt list"},
        {backup.substr(0, 40),
         "it ends before the data does (it may be cut short), at line 1, column 40"},
        {"{\n  \"active\": [,]\n}", "the JSON is broken at line 2, column 14"},
        {"\xEF\xBB\xBF{\"active\": 3}", "the data does not have the shape of an export"},
        {"Fine\nRed \x1B[31malert\n",
         "line 2: the title contains a line break, tab or other control character"},
        {edited("\"title\":\"Website\"", "\"title\":\"   \""), ": the title is blank"},
        {edited("\"step\":\"hero\"", "\"step\":\"a\\u001bb\""), ": the step contains a line break"},
    };
    for (const auto& [content, message] : refused) {
        testing::writeFile(todoTxt, content);
        const ProcessResult r = fresh.run({"import", todoTxt.string()});
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("json.exception"), std::string::npos) << r.err;
    }
    EXPECT_EQ(fresh.storeBytes(), before);
    testing::writeFile(todoTxt, "a:b:c:d\n");
    EXPECT_EQ(titles(fresh)["todos"].size(), 2u);
    fresh.ok({"import", "--format", "todotxt", todoTxt.string()});
    EXPECT_EQ(titles(fresh)["todos"].back(), "a:b:c:d");
    // An export saved with a byte-order mark is still an export.
    testing::writeFile(todoTxt, "\xEF\xBB\xBF" + backup);
    EXPECT_TRUE(fresh.ok({"import", todoTxt.string()}).starts_with("Added 2 threads and 1 to-do"));
}

TEST(Cli, JsonOutputsFollowTheDocumentedSchema) {
    Cli cli;
    const std::string at = "2026-03-04 10:00:00";
    EXPECT_EQ(cli.ok({"status"}, at), "Day not started \xC2\xB7 cadro start-day\n");
    std::vector<std::string> outputs = {cli.ok({"status", "--json"}, at)};
    EXPECT_FALSE(std::filesystem::exists(cli.storeFile()));  // reads create no store
    for (const char* line :
         {"add-thread|Alpha|--priority|3|--color|#00AA11", "add-thread|Beta",
          "add-todo|Weekly|--at|09:00|--every|2|week|--weekdays|mo,fr", "add-todo|Tax|--minutes|30",
          "start-day", "snooze|beta|evening", "snooze|tax|90"}) {
        cli.ok(split(line), at);
    }
    // Reads leave the file alone, even its time.
    const auto written = std::filesystem::last_write_time(cli.storeFile()) - std::chrono::hours(1);
    std::filesystem::last_write_time(cli.storeFile(), written);
    auto list = cli.list(at);
    EXPECT_EQ(list["todos"][0]["schedule"]["next"], "2026-03-06T09:00:00+01:00");
    // 90 minutes from a faked clock that runs: a slow start may add a second.
    const std::string tax = list["todos"][1]["snoozedUntil"];
    EXPECT_EQ(tax.substr(0, 16) + tax.substr(19), "2026-03-04T11:30+01:00") << tax;
    EXPECT_EQ(list["snoozed"][0]["snoozedUntil"], "2026-03-04T18:00:00+01:00");
    outputs.push_back(list.dump());
    outputs.push_back(cli.ok({"status", "--json"}, at));
    EXPECT_EQ(std::filesystem::last_write_time(cli.storeFile()), written);

    // Debian's python3-jsonschema, whatever other Python comes first in PATH.
    std::vector<std::string> argv = {
        "/usr/bin/python3", "-c",
        "import json, sys, jsonschema\n"
        "schema = json.load(open(sys.argv[1]))\n"
        "for text in sys.argv[2:]:\n"
        "    jsonschema.Draft202012Validator(schema).validate(json.loads(text))\n",
        CADRO_JSON_SCHEMA};
    argv.insert(argv.end(), outputs.begin(), outputs.end());
    ProcessResult r = runProcess(argv, {});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(Cli, WatchEndsWhenItsOutputIsClosed) {
    Cli cli({"add-thread|Alpha", "start-day"});
    // head takes one line and leaves; the watch must notice and end quietly,
    // long before the timeout (which would exit 124).
    const std::string line = std::string("timeout 10 ") + CADRO_CLI_PATH +
                             " status --watch | head -1; exit ${PIPESTATUS[0]}";
    ProcessResult r =
        runProcess({"bash", "-c", line}, {{"XDG_DATA_HOME", (cli.home / "data").string()},
                                          {"XDG_RUNTIME_DIR", (cli.home / "run").string()}});
    EXPECT_EQ(r.out, "Alpha\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

}  // namespace
}  // namespace cadro
