#include "support/StoreHarness.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::StoreHarness;

std::vector<fs::path> corruptCopies(const StoreHarness& h) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(h.folder())) {
        if (entry.path().filename().string().rfind("threads.json.corrupt-", 0) == 0) {
            found.push_back(entry.path());
        }
    }
    return found;
}

TEST(StoreFile, RoundTripsEveryFieldThroughARealFile) {
    StoreHarness h;
    h->startDay();
    auto a = h.addThread("Website /redesign", 3);
    h->setColor(a, "#8B7CF6");
    h->setNextSteps(a, {"one", "tw\xC3\xB6"});
    h->update(a, "Website /redesign", "Write hero copy");
    auto b = h.addThread("Tax");
    h->snooze(b, h.clock.now() + 3600.25);
    h->park(h.addThread("Japanese"));
    h->editBrainDump("- line\n- \xE2\x98\x90 box");
    h->setTodoChancePercent(30);
    h->setDefaultSnoozeMinutes(240);

    auto state = h->persistedState();
    h.reopen();
    EXPECT_EQ(h->persistedState(), state);
    EXPECT_TRUE(h->loadProblem().empty());
}

// The key names are what existing files hold: a name changed on both the
// writing and the reading side would pass a round trip and lose them.
TEST(StoreFile, ReadsEveryKeyOfADocumentWrittenByHand) {
    StoreHarness h;
    testing::writeFile(h.file(), R"({
        "active": [{"id": "00000000-0000-4000-8000-00000000000A", "title": "A", "step": "s",
                    "nextSteps": ["n"], "createdAt": 5, "colorHex": "#112233", "priority": 2,
                    "lastSlot": 3, "focusTarget": "f"}],
        "parked": [{"id": "00000000-0000-4000-8000-00000000000D", "title": "M",
                    "isHygiene": true}],
        "snoozed": [{"id": "00000000-0000-4000-8000-00000000000B", "title": "S",
                     "snoozedUntil": 9e9}],
        "todos": [{"id": "00000000-0000-4000-8000-00000000000C", "title": "T",
                   "estimatedMinutes": 7, "lastFiredAt": 6, "snoozedUntil": 9e9}],
        "slot": 4, "currentID": "00000000-0000-4000-8000-00000000000A",
        "currentTodoID": "00000000-0000-4000-8000-00000000000C",
        "interruptedTodoID": "00000000-0000-4000-8000-00000000000C",
        "defaultSnoozeMinutes": 15, "todoChancePercent": 20, "brainDump": "b",
        "sessionOpen": true, "brainDumpFilePath": ")" +
                                     (h.dir / "b.md").string() + R"("})");
    h.reopen();
    ASSERT_TRUE(h->loadProblem().empty()) << h->loadProblem();
    const Strand& thread = h->active().front();
    EXPECT_EQ(thread.step, "s");
    EXPECT_EQ(thread.nextSteps, std::vector<std::string>{"n"});
    EXPECT_EQ(thread.createdAt, Date{5});
    EXPECT_EQ(thread.colorHex, "#112233");
    EXPECT_EQ(thread.priority, 2);
    EXPECT_EQ(thread.lastSlot, 3);
    EXPECT_EQ(thread.focusTarget, "f");
    EXPECT_EQ(h->snoozed().front().snoozedUntil, Date{9e9});
    const Todo& todo = h->todos().front();
    EXPECT_EQ(todo.estimatedMinutes, 7);
    EXPECT_EQ(todo.lastFiredAt, Date{6});
    EXPECT_EQ(todo.snoozedUntil, Date{9e9});
    EXPECT_EQ(h->slot(), 4);
    EXPECT_EQ(h->currentID(), thread.id);
    EXPECT_EQ(h->currentTodoID(), todo.id);
    EXPECT_EQ(h->interruptedTodoID(), todo.id);
    EXPECT_EQ(h->defaultSnoozeMinutes(), 15);
    EXPECT_EQ(h->todoChancePercent(), 20);
    EXPECT_EQ(h->brainDump(), "b");  // the linked file is missing
    EXPECT_EQ(h->brainDumpFilePath(), (h.dir / "b.md").string());
    EXPECT_TRUE(h->sessionOpen());
    EXPECT_EQ(h->hygiene()->title, "M");
}

TEST(StoreFile, NewStoreStartsWithTheDayClosedAndAPrivateFile) {
    StoreHarness h;
    EXPECT_FALSE(h->sessionOpen());
    struct stat st {};
    ASSERT_EQ(::stat(h.file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Another program may write the file by hand: what it leaves out gets its
// default, and a file without "sessionOpen" counts as an open day.
TEST(StoreFile, AMinimalDocumentGetsEveryDefaultAndAnOpenDay) {
    StoreHarness h;
    testing::writeFile(h.file(),
                       R"({"active":[{"id":"0a1b2c3d-4e5f-4a6b-8c7d-8e9fa0b1c2d3","title":"T"}],)"
                       R"("parked":[]})");
    h.reopen();
    EXPECT_TRUE(h->snoozed().empty());
    EXPECT_TRUE(h->todos().empty());
    EXPECT_EQ(h->defaultSnoozeMinutes(), 60);
    EXPECT_EQ(h->todoChancePercent(), 5);
    EXPECT_EQ(h->brainDump(), "");
    EXPECT_TRUE(h->sessionOpen());
    ASSERT_EQ(h->active().size(), 2u);
    const Strand& t = h->active()[0];
    EXPECT_EQ(t.step, "");
    EXPECT_TRUE(t.nextSteps.empty());
    EXPECT_FALSE(t.colorHex || t.priority || t.snoozedUntil || t.focusTarget);
    EXPECT_FALSE(t.isHygiene);
    EXPECT_EQ(t.createdAt, h.clock.now());
    EXPECT_TRUE(h->active()[1].isHygiene);
    EXPECT_EQ(h->currentID(), t.id);
    EXPECT_EQ(h->slot(), 1);
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->persistedState());
}

// Each document is wrong at one place; the whole file must fail, the store
// must start fresh, and the damaged bytes must survive beside the new file.
TEST(StoreFile, AnyMissingRequiredKeyOrWrongTypeFailsTheWholeFileAndKeepsACopy) {
    const std::string id = R"("id":"0A1B2C3D-4E5F-4A6B-8C7D-8E9FA0B1C2D3")";
    const std::string todo = "{" + id + R"(,"title":"t","schedule":)";
    const std::vector<std::string> damaged = {
        "{not json",
        "",
        "[]",
        R"({"parked":[]})",
        R"({"active":[]})",
        R"({"active":{},"parked":[]})",
        R"({"active":[{"title":"no id"}],"parked":[]})",
        R"({"active":[{)" + id + R"(}],"parked":[]})",
        R"({"active":[{"id":"nope","title":"t"}],"parked":[]})",
        R"({"active":[],"parked":[{)" + id + R"(,"title":7}]})",
        R"({"active":[{)" + id + R"(,"title":"t","priority":"2"}],"parked":[]})",
        R"({"active":[{)" + id + R"(,"title":"t","nextSteps":[1]}],"parked":[]})",
        R"({"active":[{)" + id + R"(,"title":"t","isHygiene":1}],"parked":[]})",
        R"({"active":[],"parked":[],"snoozed":[{)" + id +
            R"(,"title":"t","snoozedUntil":"soon"}]})",
        R"({"active":[],"parked":[],"todos":[{"title":"no id"}]})",
        R"({"active":[],"parked":[],"todos":[{)" + id + R"(,"title":"t","estimatedMinutes":2.5}]})",
        R"({"active":[],"parked":[],"todos":[)" + todo + R"({"times":[]}}]})",
        R"({"active":[],"parked":[],"todos":[)" + todo +
            R"({"startDate":0,"times":[],"repeatRule":{"interval":1,"unit":"fortnight","weekdays":[]}}}]})",
        R"({"active":[],"parked":[],"slot":"0"})",
        R"({"active":[],"parked":[],"currentID":"X"})",
        R"({"active":[],"parked":[],"sessionOpen":"yes"})",
        R"({"active":[],"parked":[],"brainDump":null,"brainDumpFilePath":3})",
        R"({"active":[],"parked":[],"slot":9223372036854775808})",
    };
    for (const auto& bytes : damaged) {
        StoreHarness h;
        testing::writeFile(h.file(), bytes);
        h.reopen();
        EXPECT_FALSE(h->loadProblem().empty()) << bytes;
        EXPECT_FALSE(h->sessionOpen()) << bytes;
        ASSERT_EQ(h->active().size(), 1u) << bytes;
        EXPECT_TRUE(h->active()[0].isHygiene);
        auto copies = corruptCopies(h);
        ASSERT_EQ(copies.size(), 1u) << bytes;
        EXPECT_EQ(testing::readFile(copies[0]), bytes);
        EXPECT_TRUE(std::regex_search(copies[0].filename().string(),
                                      std::regex(R"(corrupt-\d{8}T\d{6}Z$)")));
    }
}

TEST(StoreFile, EarlierCorruptCopiesAreNeverOverwritten) {
    StoreHarness h;
    for (int i = 0; i < 3; ++i) {
        testing::writeFile(h.file(), "garbage " + std::to_string(i));
        h.reopen();
    }
    auto copies = corruptCopies(h);
    ASSERT_EQ(copies.size(), 3u);
    std::set<std::string> contents;
    for (const auto& copy : copies)
        contents.insert(testing::readFile(copy));
    EXPECT_EQ(contents, (std::set<std::string>{"garbage 0", "garbage 1", "garbage 2"}));
}

TEST(StoreFile, DanglingAndSharedIdsAndOutOfRangePreferencesAreRepairedOnLoad) {
    StoreHarness h;
    h->startDay();
    auto a = h.addThread("A");
    auto b = h.addThread("B");
    h->park(b);
    auto todo = *h->addTodo("T");
    auto state = h->persistedState();
    state.currentID = b;  // names a parked thread
    state.currentTodoID = Uuid::random();
    state.interruptedTodoID = Uuid::random();
    state.parked.push_back(state.active[0]);  // a copy of A under A's id
    state.parked.back().title = "A twin";
    state.todos.push_back(state.todos[0]);
    state.todoChancePercent = 250;
    state.defaultSnoozeMinutes = -5;
    testing::writeFile(h.file(), encodeStoreFile(state));
    h.reopen();
    EXPECT_FALSE(h->currentTodoID());
    EXPECT_FALSE(h->interruptedTodoID());
    ASSERT_TRUE(h->currentID());
    EXPECT_EQ(h->kindOf(*h->currentID()), ThreadKind::active);
    // Both records stay; the later one gets an id of its own.
    EXPECT_EQ(h->strand(a)->title, "A");
    ASSERT_EQ(h->parked().size(), 2u);
    EXPECT_NE(h->parked().back().id, a);
    ASSERT_EQ(h->todos().size(), 2u);
    EXPECT_EQ(h->todos()[0].id, todo);
    EXPECT_NE(h->todos()[1].id, todo);
    EXPECT_EQ(h->todoChancePercent(), 100);
    EXPECT_EQ(h->defaultSnoozeMinutes(), 1);
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->persistedState());
}

TEST(StoreFile, TemporariesOfInterruptedSavesAreRemovedAtTheNextStart) {
    StoreHarness h;
    testing::writeFile(h.folder() / ".threads.json.tmp-a1B2c3", "half a save");
    testing::writeFile(h.folder() / ".threads.json.tmp-notours", "someone else's");
    h.reopen();
    EXPECT_FALSE(std::filesystem::exists(h.folder() / ".threads.json.tmp-a1B2c3"));
    EXPECT_TRUE(std::filesystem::exists(h.folder() / ".threads.json.tmp-notours"));
}

TEST(StoreFile, AReadOnlyStoreNeverCreatesOrChangesTheFile) {
    StoreHarness h;
    auto deps = h.dependencies();
    deps.writesFile = false;
    {
        testing::TempDir empty;
        ThreadStore reader(empty.path(), deps);
        EXPECT_TRUE(std::filesystem::is_empty(empty.path()));
    }

    auto b = h.addThread("B");
    h->startDay();
    h->snooze(b, h.clock.now() + 60);
    h.clock.advance(120);  // B is due to wake
    const std::string before = testing::readFile(h.file());
    ThreadStore reader(h.folder(), deps);
    EXPECT_EQ(reader.kindOf(b), ThreadKind::active);
    reader.wakeDueSnoozes(true);
    EXPECT_EQ(testing::readFile(h.file()), before);
}

TEST(StoreFile, AnOutsideEditIsTakenBeforeTheNextOperation) {
    StoreHarness h;
    h.addThread("A");
    h->startDay();
    {
        // Another writer (an editor, a command) adds a thread behind our back.
        ThreadStore other(h.folder(), h.dependencies());
        Strand b;
        b.id = Uuid::random();
        b.title = "B";
        other.addThread(b);
    }
    h->next();
    EXPECT_EQ(h.currentTitle(), "B");
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}).active.size(), 3u);
    EXPECT_EQ(h->reloadIfChangedOnDisk(), ThreadStore::DiskChange::none);  // our own save

    // An edit that dropped the hygiene thread gets it back, saved.
    auto edited = h->persistedState();
    std::erase_if(edited.active, [](const Strand& s) { return s.isHygiene; });
    testing::writeFile(h.file(), encodeStoreFile(edited));
    EXPECT_EQ(h->reloadIfChangedOnDisk(), ThreadStore::DiskChange::reloaded);
    ASSERT_TRUE(h->hygiene());
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->persistedState());

    // A damaged edit is kept aside and what we had is written back.
    testing::writeFile(h.file(), "{\"active\": oops");
    EXPECT_EQ(h->reloadIfChangedOnDisk(), ThreadStore::DiskChange::damaged);
    EXPECT_EQ(h->active().size(), 3u);
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->persistedState());
    EXPECT_EQ(corruptCopies(h).size(), 1u);
}

TEST(StoreFile, AFailedSaveIsReportedKeptInMemoryAndWrittenWhenSavingWorksAgain) {
    StoreHarness h;
    h.addThread("A");
    const std::string lastGood = testing::readFile(h.file());
    // Nothing can replace a folder that stands where the file should be.
    std::filesystem::remove(h.file());
    std::filesystem::create_directory(h.file());
    h.addThread("B");
    EXPECT_TRUE(h->hasUnsavedChanges());
    EXPECT_NE(h->saveProblem().find("threads.json"), std::string::npos);
    EXPECT_FALSE(h->retrySave());

    // Meanwhile someone else wrote a version of their own: it is kept aside.
    std::filesystem::remove(h.file());
    auto theirs = decodeStoreFile(lastGood, Date{});
    theirs.brainDump = "theirs";
    testing::writeFile(h.file(), encodeStoreFile(theirs));
    EXPECT_EQ(h->reloadIfChangedOnDisk(), ThreadStore::DiskChange::keptAside);
    EXPECT_TRUE(h->retrySave());
    EXPECT_TRUE(h->saveProblem().empty());
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}).active.size(), 3u);
}

TEST(StoreFile, AFolderThatCannotBeCreatedLeavesTheStoreWorkingInMemory) {
    testing::TempDir dir;
    testing::writeFile(dir / "blocker", "a file where the folder should be");
    StoreHarness h;
    ThreadStore store(dir / "blocker" / "Cadro", h.dependencies());
    Strand a;
    a.id = Uuid::random();
    a.title = "A";
    store.addThread(a);
    EXPECT_EQ(store.active().size(), 2u);
    EXPECT_EQ(store.current()->title, "A");
}

}  // namespace
}  // namespace cadro
