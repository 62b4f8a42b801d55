#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <functional>

namespace cadro {
namespace {

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
        store().setTodoChancePercent(100);
        random.values = {0.0, 0.0};
        store().next();  // "chance" comes up
        store().setNextSteps(a, {"next"});
        store().linkBrainDumpFile(dir / "b.md");
        clock.advance(3600);
    }
    Uuid a, b, c, parkedId, snoozedId, chance, scheduled;
};

struct Operation {
    const char* name;
    std::function<void(BusyStore&)> run;
};

/// Counts the store file's replacements in a folder.
class WriteCounter {
  public:
    explicit WriteCounter(const std::filesystem::path& folder)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ::inotify_add_watch(fd_, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~WriteCounter() { ::close(fd_); }
    int count() {
        int writes = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                auto* event = reinterpret_cast<inotify_event*>(buffer + at);
                writes += (event->mask & IN_MOVED_TO) && event->len &&
                          std::string(event->name) == "threads.json";
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return writes;
    }

  private:
    int fd_;
};

class EveryOperationPersists : public ::testing::TestWithParam<Operation> {};

TEST_P(EveryOperationPersists, WritesOnceThenTellsObserversWhatIsOnDisk) {
    BusyStore h;
    WriteCounter writes(h.folder());
    bool observedUnsavedState = false;
    auto subscription = h->subscribe([&](StoreProperty) {
        observedUnsavedState =
            observedUnsavedState ||
            decodeStoreFile(testing::readFile(h.file()), Date{}) != h->persistedState();
    });
    GetParam().run(h);
    EXPECT_EQ(writes.count(), 1);
    EXPECT_FALSE(observedUnsavedState);
    PersistedState onDisk = decodeStoreFile(testing::readFile(h.file()), Date{});
    EXPECT_EQ(onDisk, h->persistedState());
    ThreadStore reopened(h.folder(), h.dependencies());
    EXPECT_EQ(reopened.persistedState(), h->persistedState());
}

const Operation kOperations[] = {
    {"Next", [](BusyStore& h) { h->next(); }},
    {"StartDay", [](BusyStore& h) { h->startDay(); }},
    {"EndDay", [](BusyStore& h) { h->endDay(); }},
    {"ParkCurrent", [](BusyStore& h) { h->parkCurrent(); }},
    {"Park", [](BusyStore& h) { h->park(h.c); }},
    {"Unpark", [](BusyStore& h) { h->unpark(h.parkedId); }},
    {"Snooze", [](BusyStore& h) { h->snooze(h.b, h.clock.now() + 60); }},
    {"SnoozeCurrent", [](BusyStore& h) { h->snoozeCurrent(h.clock.now() + 60); }},
    {"Wake", [](BusyStore& h) { h->wake(h.snoozedId); }},
    {"WakeDueSnoozes",
     [](BusyStore& h) {
         h.clock.advance(7200);
         h->wakeDueSnoozes(true);
     }},
    {"AddThread", [](BusyStore& h) { h.addThread("New"); }},
    {"Update", [](BusyStore& h) { h->update(h.a, "A2", "step"); }},
    {"SetNextSteps", [](BusyStore& h) { h->setNextSteps(h.a, {"x"}); }},
    {"SetPriority", [](BusyStore& h) { h->setPriority(h.c, 4); }},
    {"SetColor", [](BusyStore& h) { h->setColor(h.c, "#112233"); }},
    {"Remove", [](BusyStore& h) { h->remove(h.a); }},
    {"SetCurrentStep", [](BusyStore& h) { h->setCurrentStep("typed"); }},
    {"AdvanceCurrentStep", [](BusyStore& h) { h->advanceCurrentStep(); }},
    {"MoveActive", [](BusyStore& h) { h->moveActive({2}, 0); }},
    {"AddTodo", [](BusyStore& h) { h->addTodo("another", 15); }},
    {"UpdateTodo", [](BusyStore& h) { h->updateTodo(h.chance, "renamed"); }},
    {"SetTodoMinutes", [](BusyStore& h) { h->setTodoMinutes(h.chance, 45); }},
    {"SetTodoSchedule", [](BusyStore& h) { h->setTodoSchedule(h.scheduled, std::nullopt); }},
    {"SnoozeTodo", [](BusyStore& h) { h->snoozeTodo(h.scheduled, h.clock.now() + 60); }},
    {"RemoveTodo", [](BusyStore& h) { h->removeTodo(h.chance); }},
    {"ProcessSchedules",
     [](BusyStore& h) { h->processSchedules(h.berlin(2026, 3, 4, 14, 0, 5), true); }},
    {"EditBrainDump", [](BusyStore& h) { h->editBrainDump("- a\n- b"); }},
    {"LinkBrainDump", [](BusyStore& h) { h->linkBrainDumpFile(h.dir / "c.md"); }},
    {"UnlinkBrainDump", [](BusyStore& h) { h->unlinkBrainDumpFile(); }},
    {"DefaultSnooze", [](BusyStore& h) { h->setDefaultSnoozeMinutes(240); }},
    {"Chance", [](BusyStore& h) { h->setTodoChancePercent(30); }},
};

INSTANTIATE_TEST_SUITE_P(Store, EveryOperationPersists, ::testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cadro
