#include "core/store/ConflictCopies.h"
#include "core/store/StoreFormat.h"
#include "core/store/StoreMerge.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <functional>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::StoreHarness;

struct Ids {
    Uuid t1, t2, t3, todo;
};

using Edit = std::function<void(StoreHarness&, const Ids&)>;

// Two machines that start from the same file; "B" always acts later.
struct TwoMachines {
    TwoMachines() {
        a.machine = "A";
        a.reopen();
        auto threads = a.openDay({"T1", "T2", "T3"});
        ids = {threads[0], threads[1], threads[2], *a->addTodo("Call")};
        fs::copy_file(a.file(), b.file(), fs::copy_options::overwrite_existing);
        b.machine = "B";
        b.reopen();
        a.clock.advance(10);
        b.clock.advance(20);
    }
    StoreHarness a, b;
    Ids ids;
};

std::string summary(StoreHarness& h) {
    const ThreadStore& s = h.store();
    std::string out = h.titles() + "| " + h.titles(ThreadKind::parked) + "| ";
    for (const auto* list : {&s.state().active, &s.state().parked}) {
        for (const auto& strand : *list)
            out += strand.step.empty() ? "" : strand.title + ":" + strand.step + " ";
    }
    for (const auto& todo : s.state().todos)
        out += "[" + todo.title + "] ";
    out += s.state().sessionOpen ? "| open " + h.currentTitle() : "| closed";
    return out;
}

struct Row {
    const char* name;
    Edit onA, onB;
    std::string expected;
    // Text the brain dump must hold afterwards; empty: the dump stays empty.
    std::string noted;
};

TEST(StoreMerge, TwoMachinesConvergeRecordByRecord) {
    auto step = [](int which, std::string text) {
        return [which, text](StoreHarness& h, const Ids& ids) {
            h->reviseThread(which == 1 ? ids.t1 : ids.t2, {.step = text});
        };
    };
    const Row rows[] = {
        {"AddedOnBoth", [](StoreHarness& h, const Ids&) { h.addThread("FromA"); },
         [](StoreHarness& h, const Ids&) { h.addThread("FromB"); },
         "T1 T2 T3 FromA FromB Cadro | | Cadro:Maintenance [Call] | open T1", ""},
        {"EditedOnBoth", step(2, "a-step"), step(2, "b-step"),
         "T1 T2 T3 Cadro | | T2:b-step Cadro:Maintenance [Call] | open T1", "\u201ca-step\u201d"},
        {"EditedOnOneSideEach", step(1, "a-step"), step(2, "b-step"),
         "T1 T2 T3 Cadro | | T1:a-step T2:b-step Cadro:Maintenance [Call] | open T1", ""},
        {"DeletedThenEditedLater", [](StoreHarness& h, const Ids& ids) { h->remove(ids.t2); },
         step(2, "b-step"), "T1 T2 T3 Cadro | | T2:b-step Cadro:Maintenance [Call] | open T1", ""},
        {"EditedThenDeletedLater", step(2, "a-step"),
         [](StoreHarness& h, const Ids& ids) {
             h->remove(ids.t2);
             h->finishTodo(ids.todo);
         },
         "T1 T3 Cadro | | Cadro:Maintenance | open T1", "\u201ca-step\u201d"},
        {"ParkedOnOneStepOnOther", [](StoreHarness& h, const Ids& ids) { h->park(ids.t3); },
         [](StoreHarness& h, const Ids& ids) { h->reviseTodo(ids.todo, {.title = "Call back"}); },
         "T1 T2 Cadro | T3 | Cadro:Maintenance [Call back] | open T1", ""},
        {"MovedInRingOnBoth", [](StoreHarness& h, const Ids&) { h->moveActive({2}, 0); },
         [](StoreHarness& h, const Ids&) { h->moveActive({0}, 2); },
         "T2 T1 T3 Cadro | | Cadro:Maintenance [Call] | open T1", ""},
        {"ClosedOnOneNextOnOther", [](StoreHarness& h, const Ids&) { h->endDay(); },
         [](StoreHarness& h, const Ids&) { h->next(); },
         "T1 T2 T3 Cadro | | Cadro:Maintenance [Call] | open T2", ""},
        {"NextOnOneClosedOnOther", [](StoreHarness& h, const Ids&) { h->next(); },
         [](StoreHarness& h, const Ids&) { h->endDay(); },
         "T1 T2 T3 Cadro | | Cadro:Maintenance [Call] | closed", ""},
        {"BrainDumpWrittenOnBoth", [](StoreHarness& h, const Ids&) { h->editBrainDump("from a"); },
         [](StoreHarness& h, const Ids&) { h->editBrainDump("from b"); },
         "T1 T2 T3 Cadro | | Cadro:Maintenance [Call] | open T1", "from b\n\nfrom a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TwoMachines m;
        row.onA(m.a, m.ids);
        row.onB(m.b, m.ids);
        const std::string fileA = testing::readFile(m.a.file());
        const std::string fileB = testing::readFile(m.b.file());
        m.a->mergeCopy(decodeStoreFile(fileB, Date{}));
        m.b->mergeCopy(decodeStoreFile(fileA, Date{}));
        EXPECT_EQ(summary(m.a), row.expected);
        EXPECT_EQ(summary(m.b), row.expected);
        EXPECT_EQ(m.a->state().brainDump, m.b->state().brainDump);
        if (row.noted.empty())
            EXPECT_EQ(m.a->state().brainDump, "");
        else
            EXPECT_NE(m.a->state().brainDump.find(row.noted), std::string::npos)
                << m.a->state().brainDump;

        // Taking the same copy in again changes nothing.
        const std::string merged = testing::readFile(m.a.file());
        EXPECT_TRUE(m.a->mergeCopy(decodeStoreFile(fileB, Date{})).empty());
        EXPECT_EQ(testing::readFile(m.a.file()), merged);
    }
}

TEST(StoreMerge, EitherCopyTakenInAgainChangesNothingAndUnstampedRecordsStay) {
    TwoMachines m;
    m.a->reviseThread(m.ids.t1, {.step = "a-step"});
    m.b->reviseThread(m.ids.t1, {.step = "b-step"});
    m.b.addThread("FromB");
    PersistedState winner = decodeStoreFile(testing::readFile(m.b.file()), Date{});
    PersistedState loser = decodeStoreFile(testing::readFile(m.a.file()), Date{});
    // What a sync tool leaves on both machines: the winner in place and the
    // loser beside it.
    MergeResult once = mergeStores(winner, loser);
    EXPECT_EQ(once.notes.size(), 1u);
    EXPECT_EQ(mergeStores(once.state, loser).state, once.state);
    EXPECT_EQ(mergeStores(once.state, winner).state, once.state);

    // A thread an older release added carries no stamp: only a deletion
    // marker would keep it out.
    Strand old;
    old.id = Uuid::random();
    old.title = "Older release";
    loser.parked.push_back(old);
    EXPECT_EQ(mergeStores(winner, loser).state.parked, std::vector<Strand>{old});
}

TEST(StoreMerge, ChangesAreStampedAndDeletionsForgottenAfterAMonth) {
    StoreHarness h;
    h.machine = "A";
    h.reopen();
    Uuid t1 = h.openDay({"T1"})[0];
    std::string bytes = testing::readFile(h.file());
    EXPECT_NE(bytes.find("\"changedAt\""), std::string::npos);
    EXPECT_NE(bytes.find("\"machines\":{\"A\""), std::string::npos);
    h->remove(t1);
    PersistedState state = decodeStoreFile(testing::readFile(h.file()), Date{});
    ASSERT_EQ(state.marks.deleted.size(), 1u);
    // A deletion is forgotten after a month.
    h.clock.advance(kDeletionMemorySeconds + 60);
    h.addThread("T2");
    EXPECT_TRUE(decodeStoreFile(testing::readFile(h.file()), Date{}).marks.deleted.empty());
}

// The first save after a load stamps what differs from the file: a record a
// load woke without saving counts, an untouched one keeps its stamp.
TEST(StoreMerge, TheFirstSaveAfterALoadStampsAgainstTheFile) {
    for (bool wokeAtLoad : {false, true}) {
        SCOPED_TRACE(wokeAtLoad);
        StoreHarness h;
        h.machine = "A";
        h.reopen();
        auto threads = h.openDay({"A", "B", "C"});
        if (wokeAtLoad)
            h->snooze(threads[1], h.clock.now() + 60);
        const auto filed = decodeStoreFile(testing::readFile(h.file()), Date{}).marks.records;
        h.clock.advance(120);
        auto deps = h.dependencies();
        deps.savesLoadRepairs = false;
        ThreadStore later(h.folder(), deps);
        later.reviseThread(threads[0], {.step = "next"});
        const auto saved = decodeStoreFile(testing::readFile(h.file()), Date{}).marks.records;
        EXPECT_EQ(saved.at(threads[0]).at, h.clock.now());
        EXPECT_EQ(saved.at(threads[1]) != filed.at(threads[1]), wokeAtLoad);
        EXPECT_EQ(saved.at(threads[2]), filed.at(threads[2]));
    }
}

// Records are paired by their place in the lists where they line up; that
// must stamp exactly what matching every record by id does.
TEST(StoreMerge, StampingByPlaceAgreesWithStampingById) {
    PersistedState base;
    for (int i = 0; i < 6; ++i) {
        Strand s;
        s.id = Uuid::random(), s.title = "T" + std::to_string(i), s.lastSlot = i;
        (i < 4 ? base.active : base.parked).push_back(s);
        Todo t;
        t.id = Uuid::random(), t.title = "D" + std::to_string(i);
        base.todos.push_back(t);
    }
    const Date now = Date{} + 1e6;
    const Uuid deletedBefore = Uuid::random();
    base.marks.deleted = {{deletedBefore, {now - 60, "B"}}, {Uuid::random(), {now - 70, "B"}}};
    base.marks.records[base.active[1].id] = {now - 50, "B"};
    base.marks.records[base.active[2].id] = {now - 50, "B"};
    base.marks.machines["B"] = now - 50;

    using Edit = std::function<void(PersistedState & before, PersistedState & after)>;
    const std::pair<const char*, Edit> rows[] = {
        {"Next", [](auto&, auto& s) { s.active[1].lastSlot = 9, s.slot = 10; }},
        {"EditedOne", [](auto&, auto& s) { s.active[2].step = "x", s.todos[5].title = "y"; }},
        {"InsertedInTheMiddle",
         [](auto&, auto& s) {
             s.active.insert(s.active.begin() + 2, s.parked[0]);
             s.active[2].id = Uuid::random();
             s.todos.insert(s.todos.begin() + 1, s.todos[4]);
             s.todos[1].id = Uuid::random();
         }},
        {"Reordered", [](auto&, auto& s) { std::swap(s.active[0], s.active[2]); }},
        {"RemovedFromTheMiddle",
         [](auto&, auto& s) {
             s.active.erase(s.active.begin() + 1);
             s.todos.erase(s.todos.begin() + 3);
             s.todos.erase(s.todos.begin() + 1);
         }},
        {"MovedToAnotherList",
         [](auto&, auto& s) {
             s.parked.insert(s.parked.begin(), s.active[1]);
             s.active.erase(s.active.begin() + 1);
         }},
        {"BackUnderADeletedId",
         [&](auto&, auto& s) {
             s.parked.insert(s.parked.begin() + 1, s.active[0]);
             s.parked[1].id = deletedBefore;
         }},
        {"IdTwiceInTheFile",
         [](auto& b, auto& s) {
             b.active[3].id = b.active[1].id;
             s.active[3].id = Uuid::random();
         }},
    };
    for (const auto& [name, edit] : rows) {
        SCOPED_TRACE(name);
        PersistedState before = base, byPlace = base;
        edit(before, byPlace);
        PersistedState byId = byPlace;
        stampChanges(before, byPlace, now, "A");
        stampChangesById(before, byId, now, "A");
        EXPECT_EQ(byPlace.marks, byId.marks);
        EXPECT_TRUE(byPlace.marks.machines.count("A"));
    }
}

TEST(ConflictCopies, EachSyncToolsCopyIsMergedThenMovedIntoMerged) {
    TwoMachines m;
    m.a.addThread("FromA");
    m.b.addThread("FromB");
    const std::string fileB = testing::readFile(m.b.file());
    m.b->reviseThread(m.ids.t1, {.step = "later on b"});
    const fs::path folder = m.a.folder();
    testing::writeFile(folder / "threads.sync-conflict-20261207-101010-ABCDEFG.json", fileB);
    testing::writeFile(folder / "threads (Laptop's conflicted copy 2026-12-07).json",
                       testing::readFile(m.b.file()));
    testing::writeFile(folder / "threads (conflicted copy 2026-12-07 101010).json", "{oops");
    testing::writeFile(folder / "threads.json.conflict-20261207T101010Z", "not a sync copy");
    fs::create_directories(folder / "merged");
    testing::writeFile(folder / "merged" / "old.json", "{}");
    fs::last_write_time(folder / "merged" / "old.json",
                        fs::file_time_type::clock::now() - std::chrono::hours(24 * 8));

    ConflictCopiesTaken taken = takeInConflictCopies(m.a.store(), m.a.clock.now());
    EXPECT_EQ(taken.merged, 2);
    EXPECT_EQ(taken.unreadable, 1);
    EXPECT_TRUE(findConflictCopies(m.a.file()).empty());
    EXPECT_EQ(summary(m.a),
              "T1 T2 T3 FromA FromB Cadro | | T1:later on b Cadro:Maintenance [Call] | open T1");
    std::vector<std::string> kept;
    for (const auto& entry : fs::directory_iterator(folder / "merged"))
        kept.push_back(entry.path().filename().string());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept,
              (std::vector<std::string>{"threads (Laptop's conflicted copy 2026-12-07).json",
                                        "threads (conflicted copy 2026-12-07 101010).json",
                                        "threads.sync-conflict-20261207-101010-ABCDEFG.json"}));
    EXPECT_TRUE(fs::exists(folder / "threads.json.conflict-20261207T101010Z"));
}

}  // namespace
}  // namespace cadro
