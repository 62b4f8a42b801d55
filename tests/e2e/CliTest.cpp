#include "core/cli/CommandTable.h"
#include "core/store/StoreFile.h"
#include "e2e/ProcessRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <thread>

namespace cadro {
namespace {

using testing::ProcessResult;

/// The real `cadro` binary in temporary XDG folders, in Berlin, in English.
class Cli {
  public:
    ProcessResult run(std::vector<std::string> args, const std::string& fakeTime = "") {
        std::vector<std::string> argv;
        if (!fakeTime.empty())
            argv = {"faketime", "-f", "@" + fakeTime};
        argv.push_back(CADRO_CLI_PATH);
        argv.insert(argv.end(), args.begin(), args.end());
        // faketime preloads a library; a sanitizer build must let it go first.
        return testing::runProcess(argv, {{"ASAN_OPTIONS", "verify_asan_link_order=0"},
                                          {"XDG_DATA_HOME", (home / "data").string()},
                                          {"XDG_CONFIG_HOME", (home / "config").string()},
                                          {"XDG_RUNTIME_DIR", (home / "run").string()},
                                          {"TZ", "Europe/Berlin"},
                                          {"LANG", "en_US.UTF-8"}});
    }
    /// Runs a command that must succeed and returns its output.
    std::string ok(std::vector<std::string> args, const std::string& fakeTime = "") {
        ProcessResult r = run(args, fakeTime);
        EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
        return r.out;
    }
    nlohmann::json status(const std::string& fakeTime = "") {
        return nlohmann::json::parse(ok({"status", "--json"}, fakeTime));
    }
    std::filesystem::path storeFile() const { return home / "data" / "Cadro" / "threads.json"; }
    std::string storeBytes() const { return testing::readFile(storeFile()); }

    testing::TempDir home;
};

TEST(Cli, WorkedExampleDrivenByNext) {
    Cli cli;
    for (std::vector<std::string> add : {std::vector<std::string>{"add-thread", "A"},
                                         {"add-thread", "B", "--priority", "2"},
                                         {"add-thread", "C"},
                                         {"add-thread", "D"}}) {
        cli.ok(add);
    }
    cli.ok({"start-day"});
    EXPECT_EQ(cli.status()["thread"]["title"], "A");
    std::string seen;
    for (int i = 0; i < 12; ++i) {
        cli.ok({"next"});
        seen += cli.status()["thread"]["title"].get<std::string>() + " ";
    }
    EXPECT_EQ(seen, "B C D B Cadro A B C D B Cadro A ");
    auto json = cli.status();
    EXPECT_EQ(json["class"], "thread");
    EXPECT_EQ(json["text"], "A");
    PersistedState state = decodeStoreFile(cli.storeBytes(), Date{});
    EXPECT_EQ(state.currentID->toString(), json["thread"]["id"]);
    EXPECT_EQ(cli.ok({"status"}), "A\n");
}

TEST(Cli, NothingCurrentExitsOneAndChangesNothing) {
    Cli cli;
    ProcessResult r = cli.run({"next"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("day hasn't started"), std::string::npos);
    cli.ok({"start-day"});
    cli.ok({"park"});  // the hygiene thread
    std::string before = cli.storeBytes();
    for (std::vector<std::string> args : {std::vector<std::string>{"next"},
                                          {"park"},
                                          {"snooze"},
                                          {"step", "x"},
                                          {"next", "--step", "x"}}) {
        ProcessResult each = cli.run(args);
        EXPECT_EQ(each.exitCode, 1) << args[0];
        EXPECT_FALSE(each.err.empty());
    }
    EXPECT_EQ(cli.storeBytes(), before);
    EXPECT_EQ(cli.run({"show", "settings"}).exitCode, 1);  // no tray app runs
    EXPECT_EQ(cli.run({"quit"}).exitCode, 1);
}

TEST(Cli, BadInputExitsTwoAndLeavesTheFileByteForByte) {
    Cli cli;
    cli.ok({"add-thread", "Alpha"});
    cli.ok({"start-day"});
    cli.ok({"park"});
    std::string before = cli.storeBytes();
    const std::vector<std::vector<std::string>> bad = {
        {"frobnicate"},
        {"next", "--sideways"},
        {"next", "--new-task", "--step", "x"},
        {"status", "extra"},
        {"snooze", "fortnight"},
        {"snooze", "0"},
        {"snooze", "--until", "tomorrow"},
        {"snooze", "--until", "2026-13-01 10:00"},
        {"snooze", "--until", "2026-02-30 10:00"},
        {"snooze", "--until", "2026-03-04 24:00"},
        {"unpark", "Nobody"},
        {"unpark", "00000000-0000-4000-8000-000000000000"},
        {"wake", "Alpha"},
        {"add-thread"},
        {"add-thread", "  \n "},
        {"add-thread", "T", "--priority", "0"},
        {"add-thread", "T", "--priority", "two"},
        {"add-thread", "T", "--color", "#12345"},
        {"add-thread", "T", "--color", "blue"},
        {"add-thread", "T", "--step"},
        {"add-todo", "x", "--minutes", "-5"},
        {"add-todo", "x", "--at", "25:00"},
        {"add-todo", "x", "--at", "9"},
        {"add-todo", "x", "--on", "2026-03-04"},
        {"add-todo", "x", "--at", "09:00", "--every", "2", "fortnight"},
        {"add-todo", "x", "--at", "09:00", "--every", "0", "day"},
        {"add-todo", "x", "--at", "09:00", "--weekdays", "mo"},
        {"add-todo", "x", "--at", "09:00", "--every", "week", "--weekdays", "mo,xx"},
        {"add-todo", "x", "--at", "09:00", "--every", "day", "--day", "3"},
        {"add-todo", "x", "--at", "09:00", "--every", "month", "--day", "32"},
        {"brain-dump", "--set", "a", "--append", "b"},
        {"show", "everything"},
        {"add-thread", "bad \xFF utf8"},
        {"brain-dump", "--append", "\xC0\xAF"},
    };
    for (const auto& args : bad) {
        ProcessResult r = cli.run(args);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_NE(r.err.find(" --help'"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("terminate"), std::string::npos);
        EXPECT_EQ(cli.storeBytes(), before) << args[0];
    }
}

TEST(Cli, EveryCommandHasItsOwnHelp) {
    Cli cli;
    using Args = std::vector<std::string>;
    struct Case {
        Args args;
        int exitCode;
        const char* starts;
    } cases[] = {
        {{"next", "--help"}, 0, "Usage: cadro next [--new-task"},
        {{"help", "add-todo"}, 0, "Usage: cadro add-todo TITLE"},
        {{"status", "--watch", "-h"}, 0, "Usage: cadro status"},  // help, not a watch
        {{"help"}, 0, "Usage: cadro [COMMAND]"},
        {{"help", "nosuch"}, 2, ""},
        {{"nosuch", "--help"}, 2, ""},
    };
    for (const auto& c : cases) {
        ProcessResult r = cli.run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << " " << c.args[1];
        EXPECT_TRUE(r.out.starts_with(c.starts)) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(cli.storeFile()));  // help touches no data

    // Every command the help lists is one the program carries out.
    for (const CommandSpec& command : commandTable()) {
        if (command.name == "help")
            continue;
        ProcessResult r = cli.run({std::string(command.name), "--no-such-option"});
        EXPECT_EQ(r.err.find("unknown command"), std::string::npos) << command.name;
    }
}

TEST(Cli, SnoozePresetsFollowTheFakedClockInBerlin) {
    Cli cli;
    cli.ok({"add-thread", "Alpha"});
    cli.ok({"add-thread", "Beta"});
    cli.ok({"start-day"});
    // Each step snoozes whatever is current and reads the wake times back at
    // the same faked moment (loading the store wakes snoozes that are due).
    auto snoozeAt = [&](const std::string& length, const std::string& at) {
        cli.ok({"snooze", length}, at);
        auto list = nlohmann::json::parse(cli.ok({"list", "--json"}, at));
        std::vector<std::string> wakes;
        for (const auto& thread : list["snoozed"])
            wakes.push_back(thread["snoozedUntil"]);
        return wakes;
    };
    using Wakes = std::vector<std::string>;
    EXPECT_EQ(snoozeAt("evening", "2026-03-04 17:59:00"), Wakes{"2026-03-04T18:00:00+01:00"});
    // At 18:00 the first snooze is over, and "this evening" means tomorrow.
    EXPECT_EQ(snoozeAt("evening", "2026-03-04 18:00:00"), Wakes{"2026-03-05T18:00:00+01:00"});
    EXPECT_EQ(snoozeAt("tomorrow", "2026-03-05 02:00:00"),
              (Wakes{"2026-03-05T18:00:00+01:00", "2026-03-06T09:00:00+01:00"}));  // 31 hours later
    EXPECT_EQ(snoozeAt("90", "2026-03-05 10:00:00").back(), "2026-03-05T11:30:00+01:00");
    cli.ok({"tick"}, "2026-03-05 11:31:00");
    auto list = nlohmann::json::parse(cli.ok({"list", "--json"}, "2026-03-05 11:31:00"));
    EXPECT_EQ(list["snoozed"].size(), 2u);  // only the 90-minute snooze has ended
}

TEST(Cli, AScheduledToDoFiresOnTickAndHandsBack) {
    Cli cli;
    cli.ok({"add-thread", "Alpha"});
    cli.ok({"add-thread", "Beta"});
    cli.ok({"start-day"}, "2026-03-04 09:00:00");
    cli.ok({"add-todo", "Meds", "--at", "14:00", "--minutes", "1"}, "2026-03-04 13:00:00");
    cli.ok({"tick"}, "2026-03-04 13:59:30");
    EXPECT_EQ(cli.status("2026-03-04 13:59:30")["class"], "thread");
    cli.ok({"tick"}, "2026-03-04 14:00:20");
    auto json = cli.status("2026-03-04 14:00:30");
    EXPECT_EQ(json["class"], "todo");
    EXPECT_EQ(json["text"], "\xE2\x98\x90 Meds");
    EXPECT_EQ(json["todo"]["title"], "Meds");
    cli.ok({"next"}, "2026-03-04 14:05:00");
    json = cli.status("2026-03-04 14:05:00");
    EXPECT_EQ(json["class"], "thread");
    EXPECT_EQ(json["thread"]["title"], "Alpha");  // back to the same thread
    EXPECT_EQ(nlohmann::json::parse(cli.ok({"list", "--json"}))["todos"].size(), 0u);
}

TEST(Cli, CommandsStartedTogetherAreAllApplied) {
    Cli cli;
    cli.ok({"start-day"});
    std::vector<std::thread> runners;
    for (int i = 0; i < 8; ++i) {
        runners.emplace_back([&cli, i] { cli.ok({"add-todo", "todo " + std::to_string(i)}); });
    }
    for (auto& runner : runners)
        runner.join();
    auto list = nlohmann::json::parse(cli.ok({"list", "--json"}));
    EXPECT_EQ(list["todos"].size(), 8u);
}

TEST(Cli, StepsBrainDumpAndRevivalByIdOrTitle) {
    Cli cli;
    cli.ok({"add-thread", "Alpha", "--next", "first", "--next", "second"});
    cli.ok({"start-day"});
    cli.ok({"step", "  spaced  "});
    EXPECT_EQ(cli.status()["thread"]["step"], "  spaced  ");
    cli.ok({"next", "--new-task"});  // walks the plan: Alpha's step becomes "first"
    auto list = nlohmann::json::parse(cli.ok({"list", "--json"}));
    EXPECT_EQ(list["active"][0]["step"], "first");

    cli.ok({"brain-dump", "--set", "- one"});
    cli.ok({"brain-dump", "--append", "- two"});
    EXPECT_EQ(cli.ok({"brain-dump"}), "- one\n- two\n");

    cli.ok({"snooze", "--until", "2030-01-01 09:00"});
    std::string id = nlohmann::json::parse(cli.ok({"list", "--json"}))["snoozed"][0]["id"];
    for (auto& c : id)
        c = static_cast<char>(std::tolower(c));
    cli.ok({"wake", id});  // ids are read in either case
    EXPECT_EQ(nlohmann::json::parse(cli.ok({"list", "--json"}))["snoozed"].size(), 0u);
}

TEST(Cli, BrainDumpFileAndPreferences) {
    Cli cli;
    cli.ok({"brain-dump", "--set", "- in the app"});
    const auto notes = cli.home / "notes.md";
    testing::writeFile(notes, "- in the file\n");
    cli.ok({"brain-dump", "--link", notes.string()});
    EXPECT_EQ(cli.ok({"brain-dump"}), "- in the file\n");
    cli.ok({"brain-dump", "--append", "- more"});
    EXPECT_EQ(testing::readFile(notes), "- in the file\n- more");

    // A file that is not text is refused and left alone.
    const auto binary = cli.home / "image.md";
    testing::writeFile(binary, "\x89PNG\xFF\xFE");
    ProcessResult refused = cli.run({"brain-dump", "--link", binary.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(testing::readFile(binary), "\x89PNG\xFF\xFE");

    cli.ok({"brain-dump", "--unlink"});
    cli.ok({"set", "default-snooze", "30"});
    cli.ok({"set", "todo-chance", "0"});
    EXPECT_EQ(cli.ok({"set"}), "default-snooze 30\ntodo-chance 0\n");
    for (std::vector<std::string> bad : {std::vector<std::string>{"set", "default-snooze", "0"},
                                         {"set", "todo-chance", "101"},
                                         {"set", "volume", "3"},
                                         {"brain-dump", "--link", "a.md", "--unlink"}}) {
        EXPECT_EQ(cli.run(bad).exitCode, 2) << bad[1];
    }
}

}  // namespace
}  // namespace cadro
