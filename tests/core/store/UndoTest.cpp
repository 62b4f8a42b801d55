#include "core/store/StoreFormat.h"
#include "core/store/StoreUndo.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <functional>

namespace cadro {
namespace {

using testing::StoreHarness;

// The user's data: undo puts it back, while change stamps only move on.
PersistedState data(PersistedState state) {
    state.marks = {};
    return state;
}

// A day in progress with undo attached: A, B, C in the ring (A current), D
// snoozed, E parked, and "Buy milk" up.
struct UndoStore : StoreHarness {
    UndoStore() {
        attach();
        a = addThread("A");
        b = addThread("B");
        c = addThread("C");
        d = addThread("D");
        e = addThread("E");
        store().snooze(d, clock.now() + 7200);
        store().park(e);
        store().startDay();
        milk = *store().addTodo("Buy milk", 5);
        store().setPreferences({.todoChancePercent = 100});
        random.values = {0.0, 0.0};
        store().next();
    }
    void attach() { undo = std::make_unique<StoreUndo>(store(), dir / "state" / "undo.json"); }
    void restart() {
        undo.reset();
        reopen();
        attach();
    }
    std::unique_ptr<StoreUndo> undo;
    Uuid a, b, c, d, e, milk;
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
        {"Finished \"Buy milk\"", [](UndoStore& h) { h->next(); }},
        {"Next", [](UndoStore& h) { h->next(); }},
        {"Park \"B\"", [](UndoStore& h) { h->park(h.b); }},
        {"Unpark \"E\"", [](UndoStore& h) { h->unpark(h.e); }},
        {"Snooze \"C\"", [](UndoStore& h) { h->snooze(h.c, h.clock.now() + 600); }},
        {"Snooze \"Buy milk\"", [](UndoStore& h) { h->snooze(h.milk, h.clock.now() + 600); }},
        {"Wake \"D\"", [](UndoStore& h) { h->wake(h.d); }},
        {"Add \"New\"", [](UndoStore& h) { h.addThread("New"); }},
        {"Delete \"B\"", [](UndoStore& h) { h->remove(h.b); }},
        {"Add \"Call mum\"", [](UndoStore& h) { h->addTodo("Call mum"); }},
        {"Delete \"Buy milk\"", [](UndoStore& h) { h->remove(h.milk); }},
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
