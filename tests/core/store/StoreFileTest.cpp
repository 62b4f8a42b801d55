#include "core/base/Json.h"
#include "core/base/JsonWriter.h"
#include "core/store/StoreFile.h"
#include "core/store/StoreFormat.h"
#include "core/store/ThreadColor.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <random>
#include <set>
#include <thread>
#include <tuple>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::StoreHarness;
using namespace std::string_literals;

// A command sent again after its answer was lost gets that answer instead of
// running twice, also from the next process that opens the file; only
// changes are remembered, and only the latest few.
TEST(StoreFile, ARequestIdIsCarriedOutOnceEvenAcrossARestart) {
    StoreHarness h;
    int runs = 0;
    auto add = [&] {
        ++runs;
        h->addTodo("Milk");
        return RememberedReply{{}, 0, "added\n", ""};
    };
    EXPECT_EQ(h->applyOnce("R1", add).out, "added\n");
    h.reopen();
    EXPECT_EQ(h->applyOnce("R1", add).out, "added\n");
    EXPECT_EQ(runs, 1);
    h->applyOnce("R2", [] { return RememberedReply{{}, 1, "", "nothing to do"}; });
    EXPECT_EQ(h->state().requests.size(), 1u);
    for (int i = 0; i < 40; ++i)
        h->applyOnce("N" + std::to_string(i), add);
    EXPECT_EQ(h->state().requests.size(), 32u);
    EXPECT_EQ(h->state().requests.back().id, "N39");
    // An entry that does not read costs only itself.
    testing::writeFile(h.file(),
                       R"({"active":[],"parked":[],"requests":[{"id":1},{"id":"X","exit":999},)"
                       R"({"id":"R","exit":0,"out":"","err":""}]})");
    h.reopen();
    EXPECT_EQ(h->state().requests.size(), 1u);
}

// Another program may write the file by hand: what it leaves out gets its
// default, and a file without "sessionOpen" counts as an open day.
TEST(StoreFile, AMinimalDocumentGetsEveryDefaultAndAnOpenDayAndHalfSavesGo) {
    StoreHarness h;
    // Only temporaries of our own interrupted saves are removed at start.
    testing::writeFile(h.folder() / ".threads.json.tmp-a1B2c3", "half a save");
    testing::writeFile(h.folder() / ".threads.json.tmp-notours", "someone else's");
    testing::writeFile(h.file(),
                       R"({"active":[{"id":"0a1b2c3d-4e5f-4a6b-8c7d-8e9fa0b1c2d3","title":"T"}],)"
                       R"("parked":[],"brainDump":null})");
    h.reopen();
    EXPECT_EQ(h->state().defaultSnoozeMinutes, 60);
    EXPECT_EQ(h->state().todoChancePercent, 5);
    EXPECT_TRUE(h->state().sessionOpen);
    ASSERT_EQ(h->state().active.size(), 2u);
    EXPECT_EQ(h->state().active[0].createdAt, h.clock.now());
    EXPECT_EQ(h.currentTitle(), "T");
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->state());
    EXPECT_FALSE(fs::exists(h.folder() / ".threads.json.tmp-a1B2c3"));
    EXPECT_TRUE(fs::exists(h.folder() / ".threads.json.tmp-notours"));
}

// Each document is wrong at one place; the whole file must fail, the store
// must start fresh, and the damaged bytes must survive beside the new file.
// Broken JSON, a list as the document, a missing list and text that is no
// text are read with their messages in StoreFormat.ProblemsAreNamedWithTheirPlace.
TEST(StoreFile, AnyMissingRequiredKeyOrWrongTypeFailsTheWholeFileAndKeepsACopy) {
    const std::string id = R"("id":"0A1B2C3D-4E5F-4A6B-8C7D-8E9FA0B1C2D3")";
    const std::vector<std::string> damaged = {
        "",
        R"({"active":[]})",
        R"({"active":{},"parked":[]})",
        R"({"active":[{"title":"no id"}],"parked":[]})",
        R"({"active":[{)" + id + R"(}],"parked":[]})",
        R"({"active":[{"id":"nope","title":"t"}],"parked":[]})",
        R"({"active":[],"parked":[{)" + id + R"(,"title":7}]})",
        R"({"active":[{)" + id + R"(,"title":"t","priority":"2"}],"parked":[]})",
        R"({"active":[{)" + id + R"(,"title":"t","isHygiene":1}],"parked":[]})",
        R"({"active":[],"parked":[],"snoozed":[{)" + id +
            R"(,"title":"t","snoozedUntil":"soon"}]})",
        R"({"active":[],"parked":[],"todos":[{)" + id + R"(,"title":"t","estimatedMinutes":2.5}]})",
        R"({"active":[],"parked":[],"todos":[{)" + id + R"(,"title":"t","schedule":{}}]})",
        R"({"active":[],"parked":[],"slot":"0"})",
        R"({"active":[],"parked":[],"currentID":"X"})",
        R"({"active":[],"parked":[],"sessionOpen":"yes"})",
        R"({"active":[],"parked":[],"brainDump":null,"brainDumpFilePath":3})",
        R"({"active":[],"parked":[],"slot":9223372036854775808})",
    };
    // One folder for all: each damaged file is kept beside the earlier ones.
    StoreHarness h;
    for (const auto& bytes : damaged) {
        SCOPED_TRACE(bytes);
        testing::writeFile(h.file(), bytes);
        h.reopen();
        EXPECT_FALSE(h->file().loadProblem().empty());
        EXPECT_FALSE(h->state().sessionOpen);
        EXPECT_EQ(h->state().active.size(), 1u);
    }
    // Later saves work and keep no further copies.
    h.addThread("One");
    h.addThread("Two");
    EXPECT_EQ(h->file().saveProblem(), "");
    std::multiset<std::string> copies;
    for (const auto& entry : fs::directory_iterator(h.folder())) {
        if (entry.path().filename().string().starts_with("threads.json.corrupt-"))
            copies.insert(testing::readFile(entry.path()));
    }
    EXPECT_EQ(copies, std::multiset<std::string>(damaged.begin(), damaged.end()));
}

// The file's life on its own, without a store around it. A file the user may
// not read is attacked end to end (unreadable_store.sh).
TEST(StoreFileLife, ReadGivesTheStateOrWhyNot) {
    const std::string good = encodeStoreFile({});
    using Health = StoreFile::Health;
    // The content (none: missing, "/": a folder), the problem, the health.
    const std::tuple<const char*, const char*, Health> cases[] = {
        {nullptr, "", Health::good},
        {good.c_str(), "", Health::good},
        {R"({"active":[)", "is damaged", Health::damaged},
        {"/", "cannot read", Health::damaged}};
    for (const auto& [content, problem, health] : cases) {
        testing::TempDir dir;
        if (content && content[0] == '/')
            fs::create_directory(dir / "threads.json");
        else if (content)
            testing::writeFile(dir / "threads.json", content);
        StoreFile file(dir / "threads.json", SystemClock::instance(), Durability::Unsynced, true);
        StoreFile::Read read = file.read();
        EXPECT_EQ(read.state.has_value(), content == good.c_str());
        EXPECT_NE(read.problem.find(problem), std::string::npos) << read.problem;
        EXPECT_EQ(file.health(), health) << problem;
    }
}

TEST(StoreFileLife, CheckOutsideTellsEachKindOfChange) {
    using Change = StoreFile::Change;
    testing::TempDir dir;
    StoreFile file(dir / "threads.json", SystemClock::instance(), Durability::Unsynced, true);
    PersistedState mine{.brainDump = "mine"}, theirs{.brainDump = "theirs"};
    ASSERT_TRUE(file.save(mine));
    EXPECT_EQ(file.checkOutside(nullptr).change, Change::none);  // our own save
    testing::writeFile(file.path(), encodeStoreFile(mine));      // touched, not changed
    EXPECT_EQ(file.checkOutside(nullptr).change, Change::none);

    testing::writeFile(file.path(), encodeStoreFile(theirs));
    StoreFile::Outside outside = file.checkOutside(nullptr);
    EXPECT_EQ(outside.change, Change::reloaded);
    EXPECT_EQ(outside.state, theirs);

    // Holding unsaved changes: ours win and theirs are kept beside the file.
    theirs.brainDump = "theirs again";
    testing::writeFile(file.path(), encodeStoreFile(theirs));
    EXPECT_EQ(file.checkOutside(&mine).change, Change::keptAside);
    ASSERT_TRUE(file.save(mine));
    std::vector<std::string> aside;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().filename().string().starts_with("threads.json.conflict-"))
            aside.push_back(testing::readFile(entry.path()));
    EXPECT_EQ(aside, std::vector{encodeStoreFile(theirs)});

    testing::writeFile(file.path(), "{ half");
    EXPECT_EQ(file.checkOutside(nullptr).change, Change::damaged);
    ASSERT_TRUE(file.save(mine));  // the damaged version goes aside, not away
    EXPECT_EQ(file.health(), StoreFile::Health::good);
}

// Typing is kept at once and written by the next save or operation, so a
// burst of keystrokes costs one write.
TEST(SaveSoon, ABurstOfTypingWritesOnceAndTheNextOperationCarriesIt) {
    StoreHarness h;
    const Uuid a = h.addThread("A");
    const Uuid t = *h->addTodo("T");
    const int writes = h->file().writeCount();
    for (int i = 1; i <= 20; ++i)
        h->reviseThread(a, {.title = "A" + std::string(std::size_t(i), '!')}, Save::soon);
    h->reviseTodo(t, {.title = "T!"}, Save::soon);
    EXPECT_TRUE(h->editBrainDump("note", Save::soon));
    EXPECT_EQ(h->file().writeCount(), writes);
    EXPECT_FALSE(h->hasUnsavedChanges());  // waiting by choice is no failure
    EXPECT_TRUE(h->save() && h->save());
    EXPECT_EQ(h->file().writeCount(), writes + 1);
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->state());

    h->reviseThread(a, {.step = "typed"}, Save::soon);
    h->startDay();  // a command writes the typing with its own change
    EXPECT_EQ(h->file().writeCount(), writes + 2);
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->state());
}

TEST(StoreFile, DanglingAndSharedIdsAndOutOfRangePreferencesAreRepairedOnLoad) {
    StoreHarness h;
    h->startDay();
    auto a = h.addThread("A");
    auto b = h.addThread("B");
    h->park(b);
    auto todo = *h->addTodo("T");
    auto state = h->state();
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
    EXPECT_FALSE(h->state().currentTodoID || h->state().interruptedTodoID);
    EXPECT_EQ(h->state().kindOf(h->state().currentID.value_or(Uuid{})), ThreadKind::active);
    // Both records stay; the later one gets an id of its own.
    EXPECT_EQ(h.titles(ThreadKind::parked), "B A twin ");
    EXPECT_NE(h->state().parked.back().id, a);
    ASSERT_EQ(h->state().todos.size(), 2u);
    EXPECT_NE(h->state().todos[1].id, todo);
    EXPECT_EQ(h->state().todoChancePercent, 100);
    EXPECT_EQ(h->state().defaultSnoozeMinutes, 1);
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->state());
}

TEST(StoreFile, AReadOnlyStoreDoesNotSaveWhatItRepairs) {
    StoreHarness h;
    auto deps = h.dependencies();
    deps.writesFile = false;
    auto b = h.addThread("B");
    h->startDay();
    h->snooze(b, h.clock.now() + 60);
    h.clock.advance(120);  // B is due to wake
    const std::string before = testing::readFile(h.file());
    ThreadStore reader(h.folder(), deps);
    EXPECT_EQ(reader.state().kindOf(b), ThreadKind::active);
    reader.wakeDueSnoozes(true);
    EXPECT_EQ(testing::readFile(h.file()), before);
}

TEST(StoreFile, AnOutsideEditIsTakenBeforeTheNextOperation) {
    StoreHarness h;
    h.openDay({"A"});
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

    // An edit that dropped the hygiene thread gets it back, saved with the
    // next change (a reload by itself writes nothing).
    auto edited = h->state();
    std::erase_if(edited.active, [](const Strand& s) { return s.isHygiene; });
    testing::writeFile(h.file(), encodeStoreFile(edited));
    EXPECT_EQ(h->reloadIfChangedOnDisk(), ThreadStore::DiskChange::reloaded);
    ASSERT_TRUE(h->state().hygiene());
    EXPECT_EQ(testing::readFile(h.file()), encodeStoreFile(edited));
    h->next();
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}), h->state());
}

TEST(StoreFile, AFolderThatCannotBeWrittenOrMadeLeavesTheStoreWorkingInMemory) {
    StoreHarness h;
    h.addThread("A");
    // Nothing can be written while a file stands where the folder should be.
    std::filesystem::remove_all(h.folder());
    testing::writeFile(h.folder(), "in the way");
    h.addThread("B");
    EXPECT_TRUE(h->hasUnsavedChanges());
    EXPECT_NE(h->file().saveProblem().find("threads.json"), std::string::npos);
    EXPECT_FALSE(h->save());
    ThreadStore elsewhere(h.folder() / "Cadro", h.dependencies());
    Strand a;
    a.id = Uuid::random();
    a.title = "A";
    elsewhere.addThread(a);
    EXPECT_EQ(elsewhere.state().current()->title, "A");
    EXPECT_EQ(elsewhere.state().active.size(), 2u);

    std::filesystem::remove(h.folder());
    std::filesystem::create_directory(h.folder());
    EXPECT_TRUE(h->save());
    EXPECT_TRUE(h->file().saveProblem().empty());
    EXPECT_EQ(decodeStoreFile(testing::readFile(h.file()), Date{}).active.size(), 3u);
}

// Saves as fast as it can, growing the document, until it is killed; writes
// to `ready` once it runs so a slow start does not use up the time.
[[noreturn]] void saveForever(const std::filesystem::path& folder, int ready) {
    StoreDependencies deps;
    deps.durability = Durability::Synced;
    ThreadStore store(folder, deps);
    (void)!::write(ready, "x", 1);
    for (int i = 0;; ++i) {
        Strand strand;
        strand.id = Uuid::random();
        strand.title = "Thread " + std::string(static_cast<std::size_t>(i % 97), 'x');
        store.addThread(strand);
    }
}

TEST(CrashSafety, KillingASaveAtAnyMomentLeavesTheOldOrTheNewDocument) {
    testing::TempDir dir;
    std::size_t lastCount = 0;
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0)
            saveForever(dir.path(), ready[1]);
        char byte;
        (void)!::read(ready[0], &byte, 1);
        ::close(ready[0]);
        ::close(ready[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(300 + round * 1100));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        // Every round starts from the previous file, so the data only grows.
        PersistedState state;
        ASSERT_NO_THROW(state = decodeStoreFile(testing::readFile(dir / "threads.json"), Date{}));
        EXPECT_GE(state.active.size(), lastCount);
        lastCount = state.active.size();
    }
    EXPECT_GT(lastCount, 1u);
}

// Read with or without a hash in either case; written upper case, halves
// rounded away from zero.
TEST(ThreadColor, ReadsSixHexDigitsAndWritesThemBack) {
    auto a = ThreadColor::fromHex("8b7cf6");
    ASSERT_TRUE(a);
    EXPECT_EQ(a, ThreadColor::fromHex("#8B7CF6"));
    EXPECT_DOUBLE_EQ(a->red, 139 / 255.0);
    EXPECT_EQ(ThreadColor::hex(*a), "#8B7CF6");
    for (const char* bad :
         {"#8B7CF", "#8B7CF6FF", "#8B7CGG", "", "#", "##8B7CF6", "+8B7CF6", " 8B7CF6"}) {
        EXPECT_FALSE(ThreadColor::fromHex(bad)) << bad;
    }
    // 0.5/255 rounds up to 01; just below it rounds down.
    EXPECT_EQ(ThreadColor::hex({0.5 / 255.0, 0.49 / 255.0, 1.0}), "#0100FF");
    EXPECT_EQ(ThreadColor::hex({-0.2, 1.7, 0.0}), "#00FF00");
}

template <typename T>
std::string written(const T& value) {
    std::string out;
    json::Writer writer(out, true);
    writer.value(value);
    return out;
}

class Draw {
  public:
    explicit Draw(std::uint64_t seed) : rng_(seed) {}

    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }
    bool coin() { return below(2) == 0; }

    // Bytes with a bias to what needs care: quotes, slashes, controls,
    // multi-byte characters and broken sequences.
    std::string text() {
        static const std::string ascii = "aZ \"\\/\n\t\x01\x1f\x7f";
        static const char* multiByte[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                          "\xEF\xBF\xBF", "\xC2\x80"};
        static const char* broken[] = {"\xFF",    "\xC3",     "\xE2\x82",     "\xF0\x9F\x98",
                                       "\x80",    "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                       "\xE0\x80"};
        std::string out;
        for (std::size_t n = below(12); n > 0; --n) {
            if (below(4) == 0)
                out += broken[below(std::size(broken))];
            else if (below(8) == 0)
                out += static_cast<char>(below(256));
            else if (coin())
                out += ascii[below(ascii.size())];
            else
                out += multiByte[below(std::size(multiByte))];
        }
        return out;
    }

    double number() {
        switch (below(4)) {
            case 0:
                return static_cast<double>(below(1'000'000'000));
            case 1:
                return 786'000'000 + std::uniform_real_distribution<double>(0, 1e8)(rng_);
            case 2:
                return std::uniform_real_distribution<double>(-1e-6, 1e-6)(rng_);
            default: {
                double d = std::bit_cast<double>(static_cast<std::uint64_t>(rng_()));
                return std::isfinite(d) ? d : 0.5;
            }
        }
    }

    std::int64_t integer() {
        return coin() ? static_cast<std::int64_t>(below(100)) - 50
                      : static_cast<std::int64_t>(rng_());
    }

  private:
    std::mt19937_64 rng_;
};

// The reference is nlohmann/json's dump of the same value, with slashes
// escaped.
TEST(StoreFormat, TextAndNumbersAreWrittenAsNlohmannWroteThem) {
    Draw draw(7);
    for (int i = 0; i < 5000; ++i) {
        const std::string text = draw.text();
        ASSERT_EQ(written(std::string_view(text)), json::encodeCompact(text))
            << ::testing::PrintToString(text);
        const double number = draw.number();
        ASSERT_EQ(written(number), json::encodeCompact(number)) << number;
        const std::int64_t integer = draw.integer();
        ASSERT_EQ(written(integer), json::encodeCompact(integer));
    }
    EXPECT_EQ(written(-0.0), json::encodeCompact(-0.0));
    EXPECT_EQ(written(std::nan("")), json::encodeCompact(std::nan("")));
}

// A file with every key, each optional one also left out somewhere, in the
// form the previous writer wrote; with these and the schedules below, every
// field reads back as written. Whole numbers at both ends of their range.
const char* const kEveryKey =
    "{\"active\":[{\"id\":\"00000000-0000-4000-8000-00000000000A\",\"title\":\"A \\\"q\\\" \\/ "
    "\\\\ \\u0001\\u001f\177 caf\303\251 \360\237\230\200\",\"step\":\"s\\/t\",\"nextSteps\":["
    "\"n\",\"tw\303\266\"],\"colorHex\":\"#112233\",\"priority\":-9223372036854775808,\"focusTa"
    "rget\":\"f\",\"createdAt\":5.25,\"lastSlot\":9223372036854775807,\"isHygiene\":false}],\"p"
    "arked\":[{\"id\":\"00000000-0000-4000-8000-00000000000D\",\"title\":\"M\",\"step\":\"\",\""
    "nextSteps\":[],\"createdAt\":1.0,\"isHygiene\":true}],\"snoozed\":[{\"id\":\"00000000-0000"
    "-4000-8000-00000000000B\",\"title\":\"S\",\"step\":\"\",\"nextSteps\":[],\"createdAt\":-0."
    "001,\"snoozedUntil\":9000000000.0,\"isHygiene\":false}],\"todos\":[{\"id\":\"00000000-0000"
    "-4000-8000-00000000000C\",\"title\":\"T\",\"estimatedMinutes\":7,\"snoozedUntil\":1e+21,\""
    "createdAt\":786000000.1234568,\"schedule\":{\"startDate\":100.5,\"times\":[{\"hour\":9,\"m"
    "inute\":30},{\"hour\":17,\"minute\":0}],\"repeatRule\":{\"interval\":2,\"unit\":\"month\","
    "\"weekdays\":[2,6],\"dayOfMonth\":31}},\"lastFiredAt\":6.0},{\"id\":\"00000000-0000-4000-8"
    "000-00000000000E\",\"title\":\"U\",\"createdAt\":1e-07,\"schedule\":{\"startDate\":0.0,\"t"
    "imes\":[]}}],\"slot\":4,\"currentID\":\"00000000-0000-4000-8000-00000000000A\",\"currentTo"
    "doID\":\"00000000-0000-4000-8000-00000000000C\",\"interruptedTodoID\":\"00000000-0000-4000"
    "-8000-00000000000C\",\"defaultSnoozeMinutes\":15,\"todoChancePercent\":20,\"brainDump\":\""
    "b\\n\\t\\r\",\"brainDumpFilePath\":\"\\/b.md\",\"sessionOpen\":false,\"pendingScheduledTod"
    "oIDs\":[\"00000000-0000-4000-8000-00000000000E\"],\"requests\":[{\"id\":\"R\",\"exit\":255"
    ",\"out\":\"o\",\"err\":\"e\"}]}";

TEST(StoreFormat, AFileWithEveryKeyIsWrittenBackByteForByte) {
    EXPECT_EQ(encodeStoreFile(decodeStoreFile(kEveryKey, Date{})), kEveryKey);
    // With the marks merging copies from two machines goes by.
    const std::string marked =
        R"({"active":[{"id":"00000000-0000-4000-8000-00000000000A","title":"A","step":"","nextSteps":[],"createdAt":1.0,"isHygiene":false,"changedAt":7.5,"changedOn":"A"}],"parked":[],"snoozed":[],"todos":[{"id":"00000000-0000-4000-8000-00000000000C","title":"t","createdAt":0.0,"changedAt":8.0,"changedOn":"B"}],"slot":0,"defaultSnoozeMinutes":60,"todoChancePercent":5,"brainDump":"","sessionOpen":true,"deleted":[{"id":"00000000-0000-4000-8000-00000000000D","at":2.0,"on":"A"}],"machines":{"A":7.5,"B":8.0},"sessionChangedAt":3.0,"sessionChangedOn":"A","brainDumpChangedAt":4.0,"brainDumpChangedOn":"B","ringChangedAt":5.0})";
    const PersistedState state = decodeStoreFile(marked, Date{});
    EXPECT_EQ(state.marks.records.size(), 2u);
    EXPECT_FALSE(state.active.at(0).changed);
    EXPECT_EQ(encodeStoreFile(state), marked);
}

// A to-do with `schedule` in an otherwise empty, canonical store file.
std::string withSchedule(const std::string& schedule) {
    return R"({"active":[],"parked":[],"snoozed":[],"todos":[{"id":"00000000-0000-4000-8000-00000000000C","title":"t","createdAt":0.0,"schedule":)" +
           schedule +
           R"(}],"slot":0,"defaultSnoozeMinutes":60,"todoChancePercent":5,"brainDump":"","sessionOpen":true})";
}

TEST(StoreFormat, SchedulesAreWrittenBackAsReadLeavingAbsentPartsOut) {
    // Without a day of the month, and with values out of range: as read.
    const char* const schedules[] = {
        R"({"startDate":0.0,"times":[],"repeatRule":{"interval":2,"unit":"week","weekdays":[2,6]}})",
        R"({"startDate":0.0,"times":[{"hour":25,"minute":75}],"repeatRule":{"interval":0,"unit":"month","weekdays":[9],"dayOfMonth":31}})"};
    for (const char* text : schedules)
        EXPECT_EQ(encodeStoreFile(decodeStoreFile(withSchedule(text), Date{})), withSchedule(text));
    // Weekdays are a set.
    const std::string repeated =
        R"({"startDate":0,"times":[],"repeatRule":{"interval":2,"unit":"week","weekdays":[6,2,6]}})";
    EXPECT_EQ(
        decodeStoreFile(withSchedule(repeated), Date{}).todos.at(0).schedule->repeatRule->weekdays,
        (std::set<std::int64_t>{2, 6}));
}

// The first problem is named with its place; keys nobody knows are skipped
// whatever they hold.
TEST(StoreFormat, ProblemsAreNamedWithTheirPlace) {
    const std::string id = R"("id":"0A1B2C3D-4E5F-4A6B-8C7D-8E9FA0B1C2D3")";
    const std::pair<std::string, std::string> cases[] = {
        {R"({"parked":[]})", R"("active" is missing)"},
        {R"({"active":[],"parked":[],"slot":1.5})", R"("slot" must be a whole number)"},
        {R"({"active":[{)" + id + R"(,"title":"t"},7],"parked":[]})",
         "active[1]: expected an object"},
        {R"({"active":[{)" + id + R"(,"title":"t","nextSteps":["a",{}]}],"parked":[]})",
         R"(active[0]: "nextSteps" must hold text)"},
        {withSchedule(R"({"startDate":0,"times":[{"hour":9}]})"),
         R"(todos[0].schedule.times[0]: "minute" is missing)"},
        {withSchedule(
             R"({"startDate":0,"times":[],"repeatRule":{"interval":1,"unit":"year","weekdays":[]}})"),
         R"(todos[0].schedule.repeatRule: "unit" must be "day", "week" or "month")"},
        {withSchedule(R"({"startDate":"today","times":[]})"),
         R"(todos[0].schedule: "startDate" must be a number of seconds)"},
        {withSchedule(R"({"startDate":0,"times":[],"repeatRule":[]})"),
         R"(todos[0].schedule: "repeatRule" must be an object)"},
        {R"({"active":[],"parked":[],"pendingScheduledTodoIDs":["x"]})",
         R"("pendingScheduledTodoIDs" must hold ids)"},
        {"[]", "document: expected an object"},
        {"{\"active\":[],\n\"parked\":[]]", "not valid JSON: "},
        {"{\"active\":[],\"parked\":[],\"brainDump\":\"\xFF\"}", "not valid JSON: "},
        {"{\"active\":[],\"parked\":[]}\0 "s, "not valid JSON: "},
        {R"({"active":[],"parked":[],"createdAt":1e999})", "not valid JSON: "},
    };
    for (const auto& [bytes, problem] : cases) {
        try {
            decodeStoreFile(bytes, Date{});
            ADD_FAILURE() << "read: " << bytes;
        } catch (const json::DecodeError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(problem)) << error.what();
        }
    }
    const auto state = decodeStoreFile(
        "\xEF\xBB\xBF"
        R"({"x":{"active":[1,{"y":[[]]}]},"active":[],"parked":[],"z":null,"slot":3})",
        Date{});
    EXPECT_EQ(state.slot, 3);
}

}  // namespace
}  // namespace cadro
