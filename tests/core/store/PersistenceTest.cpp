#include "core/store/StoreFormat.h"
#include "core/store/StoreUndo.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::StoreHarness;

// A store with something in every list, the day open, a to-do up, the brain
// dump linked to a file.
struct BusyStore : StoreHarness {
    BusyStore() {
        a = addThread("A");
        b = addThread("B", 2);
        c = addThread("C");
        parkedId = addThread("Parked");
        snoozedId = addThread("Snoozed");
        store().park(parkedId);
        store().snooze(snoozedId, clock.now() + 7200);
        store().startDay();
        chance = *store().addTodo("chance", 5);
        TodoSchedule s{clock.now(), {{14, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
        scheduled = *store().addTodo("scheduled", 10, s);
        store().setPreferences({.todoChancePercent = 100});
        random.values = {0.0, 0.0};
        store().next();  // "chance" comes up
        store().reviseThread(a, {.nextSteps = std::vector<std::string>{"next"}});
        store().linkBrainDumpFile(dir / "b.md");
        clock.advance(3600);
    }
    Uuid a, b, c, parkedId, snoozedId, chance, scheduled;
};

// Each operation saves before observers hear of it, and what it saved is
// what a restart reads.
TEST(EveryOperation, SavesBeforeTellingObservers) {
    const std::pair<const char*, void (*)(BusyStore&)> operations[] = {
        {"Next", [](auto& h) { h->next(); }},
        {"StartDay", [](auto& h) { h->startDay(); }},
        {"EndDay", [](auto& h) { h->endDay(); }},
        {"Park", [](auto& h) { h->park(h.c); }},
        {"Unpark", [](auto& h) { h->unpark(h.parkedId); }},
        {"Snooze", [](auto& h) { h->snooze(h.b, h.clock.now() + 60); }},
        {"Wake", [](auto& h) { h->wake(h.snoozedId); }},
        {"WakeDueSnoozes",
         [](auto& h) {
             h.clock.advance(7200);
             h->wakeDueSnoozes(true);
         }},
        {"AddThread", [](auto& h) { h.addThread("New"); }},
        {"ReviseThread",
         [](auto& h) {
             h->reviseThread(h.c, {"C2", "s", {}, 4, "#112233"});
         }},
        {"Remove", [](auto& h) { h->remove(h.a); }},
        {"AdvanceCurrentStep", [](auto& h) { h->advanceCurrentStep(); }},
        {"MoveActive", [](auto& h) { h->moveActive({2}, 0); }},
        {"AddTodo", [](auto& h) { h->addTodo("another", 15); }},
        {"ReviseTodo",
         [](auto& h) {
             h->reviseTodo(h.scheduled, {"renamed", 45, std::optional<TodoSchedule>()});
         }},
        {"SnoozeTodo", [](auto& h) { h->snooze(h.scheduled, h.clock.now() + 60); }},
        {"RemoveTodo", [](auto& h) { h->remove(h.chance); }},
        {"ProcessSchedules",
         [](auto& h) { h->processSchedules(h.berlin(2026, 3, 4, 14, 0, 5), true); }},
        {"EditBrainDump", [](auto& h) { h->editBrainDump("- a\n- b"); }},
        {"LinkBrainDump", [](auto& h) { h->linkBrainDumpFile(h.dir / "c.md"); }},
        {"UnlinkBrainDump", [](auto& h) { h->linkBrainDumpFile(std::nullopt); }},
        {"DefaultSnooze", [](auto& h) { h->setPreferences({.defaultSnoozeMinutes = 240}); }},
        {"Chance", [](auto& h) { h->setPreferences({.todoChancePercent = 30}); }},
    };

    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        BusyStore h;
        bool observedUnsavedState = false;
        auto subscription = h->subscribe([&](StoreProperty) {
            observedUnsavedState =
                observedUnsavedState ||
                decodeStoreFile(testing::readFile(h.file()), Date{}) != h->state();
        });
        operation(h);
        EXPECT_FALSE(observedUnsavedState);
        EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->state());
        ThreadStore reopened(h.folder(), h.dependencies());
        EXPECT_EQ(reopened.state(), h->state());
    }
}

TEST(DaySession, ARelaunchPicksAMissingCurrentEndDayStopsTheCycleAndStartDayRestartsIt) {
    StoreHarness h;
    auto ids = h.openDay({"A", "B"});
    auto state = h->state();
    state.currentID.reset();
    testing::writeFile(h.file(), encodeStoreFile(state));
    h.reopen();
    EXPECT_EQ(h.currentTitle(), "B");  // A was shown at Start Day

    h->endDay();
    EXPECT_FALSE(h->state().currentID);
    state = h->state();
    EXPECT_EQ(state.slot, 2);
    h->next();
    EXPECT_EQ(h->state(), state);

    // Start Day begins the round again from the first active thread, or none.
    h->startDay();
    h->next();
    h->startDay();
    EXPECT_EQ(h->state().currentID, ids[0]);
    EXPECT_EQ(h->state().strand(ids[0])->lastSlot, 0);
    EXPECT_FALSE(h->state().strand(ids[1])->lastSlot);
    EXPECT_EQ(h->state().slot, 1);

    for (const auto& thread : std::vector<Strand>(h->state().active))
        h->park(thread.id);
    h->startDay();
    EXPECT_FALSE(h->state().currentID);
    EXPECT_EQ(h->state().slot, 0);
    h->next();
    EXPECT_FALSE(h->state().currentID);
}

struct LinkedDump : StoreHarness {
    fs::path notes() { return dir / "notes.md"; }
};

TEST(BrainDump, ALinkedFileAndTheStoreKeepEachOthersText) {
    LinkedDump h;
    h->editBrainDump("- buy ink");
    h->linkBrainDumpFile(h.notes());
    EXPECT_EQ(testing::readFile(h.notes()), "- buy ink\n");
    testing::writeFile(h.notes(), "");
    h->linkBrainDumpFile(h.notes());
    EXPECT_EQ(testing::readFile(h.notes()), "- buy ink\n");

    testing::writeFile(h.notes(), "file text\n");
    h->linkBrainDumpFile(h.notes());
    EXPECT_EQ(h->state().brainDump, "file text");  // the last line's break is the file's

    // Outside edits come back; a deleted file is written again.
    testing::writeFile(h.notes(), "- edited elsewhere");
    auto bytes = testing::readFile(h.file());
    h->refreshBrainDump();
    EXPECT_EQ(h->state().brainDump, "- edited elsewhere");
    EXPECT_EQ(testing::readFile(h.file()), bytes);  // refreshing saves nothing

    fs::remove(h.notes());
    h->refreshBrainDump();
    EXPECT_EQ(h->state().brainDump, "- edited elsewhere");
    h->editBrainDump("recreated");
    EXPECT_EQ(testing::readFile(h.notes()), "recreated\n");

    // At start-up a readable file wins, even when empty; bytes that are not
    // UTF-8 text are never read; unlinking leaves the file alone. Linking such
    // a file is refused in the brain-dump tab's test.
    testing::writeFile(h.notes(), "");
    h.reopen();
    EXPECT_EQ(h->state().brainDump, "");
    testing::writeFile(h.notes(), "\xFF");
    h->refreshBrainDump();
    EXPECT_EQ(h->state().brainDump, "");
    h->linkBrainDumpFile(std::nullopt);
    h->editBrainDump("only in the store");
    EXPECT_EQ(testing::readFile(h.notes()), "\xFF");
    EXPECT_FALSE(h->state().brainDumpFilePath);
}

// Typing reaches the linked file with the store file, by the next save; a
// crash before it loses that typing only.
TEST(BrainDump, TypingReachesTheFileWithTheNextSaveAndNeverOverAnOutsideEdit) {
    LinkedDump h;
    const fs::path copy = h.dir / "notes (conflict from Cadro).md";
    testing::writeFile(h.notes(), "- one\n");
    ASSERT_TRUE(h->linkBrainDumpFile(h.notes()));
    h->editBrainDump("- one\n- typed", Save::soon);
    EXPECT_EQ(testing::readFile(h.notes()), "- one\n");
    EXPECT_TRUE(h->save());
    EXPECT_EQ(testing::readFile(h.notes()), "- one\n- typed\n");
    h->editBrainDump("- lost in a crash", Save::soon);
    h.reopen();
    EXPECT_EQ(h->state().brainDump, "- one\n- typed");

    // Another editor wrote between the last keystroke and the save: its text
    // stays, and the typing goes beside it.
    h->editBrainDump("- one\n- typed\n- more", Save::soon);
    testing::writeFile(h.notes(), "- from the phone\n");
    EXPECT_TRUE(h->save());
    EXPECT_EQ(testing::readFile(h.notes()), "- from the phone\n");
    EXPECT_EQ(testing::readFile(copy), "- one\n- typed\n- more\n");
    EXPECT_EQ(h->state().brainDump, "- from the phone");
    EXPECT_NE(h->brainDumpFileProblem().find(copy.filename().string()), std::string::npos);
    // Found when the page comes into view, or by an edit written at once.
    h->editBrainDump("here again", Save::soon);
    testing::writeFile(h.notes(), "elsewhere again\n");
    h->refreshBrainDump();
    EXPECT_EQ(h->state().brainDump, "elsewhere again");
    testing::writeFile(h.notes(), "and again\n");
    EXPECT_FALSE(h->editBrainDump("typed over it"));
    EXPECT_EQ(testing::readFile(h.dir / "notes (conflict from Cadro 2).md"), "here again\n");
    EXPECT_EQ(testing::readFile(h.dir / "notes (conflict from Cadro 3).md"), "typed over it\n");
    h.reopen();
    EXPECT_EQ(h->state().brainDump, "and again");
    testing::writeFile(h.notes(), "same\n");  // what the page has anyway: no conflict
    EXPECT_TRUE(h->editBrainDump("same"));
    EXPECT_FALSE(fs::exists(h.dir / "notes (conflict from Cadro 4).md"));
}

// Links and other users' files in its place are attacked end to end
// (braindump_link_swap.sh). A file grown too large, or one of the user's own
// swapped in after the last read, is never replaced either.
TEST(BrainDump, AGrownOrSwappedFileIsNotWritten) {
    LinkedDump h;
    ASSERT_TRUE(h->linkBrainDumpFile(h.notes()));
    fs::resize_file(h.notes(), BrainDumpFile::kMaxBytes + 1);
    EXPECT_FALSE(h->editBrainDump("small"));
    EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(h.notes())), BrainDumpFile::kMaxBytes + 1);

    fs::rename(h.notes(), h.dir / "aside.md");  // keeps its inode number taken
    testing::writeFile(h.dir / "other.md", "other");
    fs::rename(h.dir / "other.md", h.notes());
    EXPECT_FALSE(h->editBrainDump("- more"));
    EXPECT_EQ(testing::readFile(h.notes()), "other");
}

// The user's data: undo puts it back, while change stamps only move on.
PersistedState data(PersistedState state) {
    state.marks = {};
    return state;
}

// The busy day with undo attached.
struct UndoStore : BusyStore {
    UndoStore() { attach(); }
    void attach() { undo = std::make_unique<StoreUndo>(store(), dir / "state" / "undo.json"); }
    void restart() {
        undo.reset();
        reopen();
        attach();
    }
    std::unique_ptr<StoreUndo> undo;
};

PersistedState ring(std::initializer_list<const char*> titles) {
    PersistedState state;
    for (const char* title : titles) {
        Strand thread;
        thread.id = Uuid::random();
        thread.title = title;
        state.active.push_back(thread);
    }
    return state;
}

TEST(Undo, TakesBackEachKindOfChangeAndRedoesIt) {
    struct Row {
        const char* label;
        std::function<void(UndoStore&)> change;
    };
    const Row rows[] = {
        {"Finished \"chance\"", [](UndoStore& h) { h->next(); }},
        {"Next", [](UndoStore& h) { h->next(); }},
        {"Park \"B\"", [](UndoStore& h) { h->park(h.b); }},
        {"Unpark \"Parked\"", [](UndoStore& h) { h->unpark(h.parkedId); }},
        {"Snooze \"C\"", [](UndoStore& h) { h->snooze(h.c, h.clock.now() + 600); }},
        {"Snooze \"chance\"", [](UndoStore& h) { h->snooze(h.chance, h.clock.now() + 600); }},
        {"Wake \"Snoozed\"", [](UndoStore& h) { h->wake(h.snoozedId); }},
        {"Add \"New\"", [](UndoStore& h) { h.addThread("New"); }},
        {"Delete \"B\"", [](UndoStore& h) { h->remove(h.b); }},
        {"Add \"Call mum\"", [](UndoStore& h) { h->addTodo("Call mum"); }},
        {"Delete \"chance\"", [](UndoStore& h) { h->remove(h.chance); }},
        {"Edit \"A\"",
         [](UndoStore& h) { h->reviseThread(h.a, {.title = "A2", .step = "drafting"}); }},
        {"Reorder", [](UndoStore& h) { h->moveActive({2}, 0); }},
        {"End Day", [](UndoStore& h) { h->endDay(); }},
        {"Import",
         [](UndoStore& h) {
             PersistedState other = ring({"Imported"});
             other.todos.push_back({Uuid::random(), "Imported to-do", {}, {}, {}, {}, {}});
             h->importRecords(other);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        UndoStore h;
        if (std::string(row.label) == "Next")
            h->next();  // the to-do is done first, then Next moves between threads
        const PersistedState before = data(h->state());
        row.change(h);
        const PersistedState after = data(h->state());
        ASSERT_NE(before, after);
        EXPECT_EQ(h.undo->undoLabel(), row.label);
        EXPECT_EQ(h.undo->undo(), row.label);
        EXPECT_EQ(data(h->state()), before);
        EXPECT_EQ(h.undo->redo(), row.label);
        EXPECT_EQ(data(h->state()), after);
    }
}

TEST(Undo, SurvivesARestartAndTakesBackAnOutsideChangeAsOneStep) {
    UndoStore h;
    const PersistedState start = data(h->state());
    h->park(h.b);
    h.restart();
    EXPECT_EQ(h.undo->undo(), "Park \"B\"");
    EXPECT_EQ(data(h->state()), start);
    h.restart();
    EXPECT_EQ(h.undo->redoLabel(), "Park \"B\"");

    // Another program rewrites the file: noticed, it is one step of its own.
    PersistedState edited = h->state();
    edited.active.erase(edited.active.begin() + 1, edited.active.begin() + 3);
    edited.todos.clear();
    testing::writeFile(h.file(), encodeStoreFile(edited));
    EXPECT_EQ(h.undo->undo(), "outside change");
    EXPECT_EQ(data(h->state()), start);
    EXPECT_EQ(h.undo->redoLabel(), "outside change");  // a new step ended the way back

    testing::writeFile(h.dir / "state" / "undo.json", "{\"undo\": [");
    h.restart();
    EXPECT_FALSE(h.undo->undo());  // a damaged history is an empty one
    EXPECT_EQ(data(h->state()), start);
}

TEST(UndoHistory, PutsBackOnlyWhatTheStepChangedInTheStateAsItIsNow) {
    UndoHistory history;
    PersistedState state = ring({"A", "B", "C", "Cadro"});
    const PersistedState before = state;
    state.parked.push_back(state.active[1]);
    state.active.erase(state.active.begin() + 1);
    ASSERT_TRUE(history.record("Park \"B\"", before, state));

    // Made since, not through the history: another machine, a tick.
    state.active[1].title = "C renamed";
    state.active.insert(state.active.begin() + 2, ring({"D"}).active[0]);
    state.todos.push_back({Uuid::random(), "Later", {}, {}, {}, {}, {}});
    state.slot = 7;

    EXPECT_EQ(history.undo(state), "Park \"B\"");
    std::string titles;
    for (const auto& thread : state.active)
        titles += thread.title + " ";
    EXPECT_EQ(titles, "A B C renamed D Cadro ");
    EXPECT_TRUE(state.parked.empty());
    EXPECT_EQ(state.todos.size(), 1u);
    EXPECT_EQ(state.slot, 7);
}

TEST(UndoHistory, KeepsTheLatestHundredSteps) {
    UndoHistory history;
    PersistedState state;
    for (int i = 0; i < 120; ++i) {
        PersistedState before = state;
        ++state.slot;
        history.record("Next", before, state);
    }
    EXPECT_FALSE(history.record("Nothing", state, state));
    EXPECT_EQ(history.size(), UndoHistory::kDepth);
    int undone = 0;
    while (history.undo(state))
        ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(state.slot, 20);
}

}  // namespace
}  // namespace cadro
