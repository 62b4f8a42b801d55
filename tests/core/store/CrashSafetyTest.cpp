#include "core/store/StoreFile.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

namespace cadro {
namespace {

// Saves as fast as it can, growing the document, until it is killed. Says
// so on `ready` once it saves, so that a slow start (a sanitizer build on a
// busy machine) does not use up the time before the kill.
[[noreturn]] void saveForever(const std::filesystem::path& folder, int ready) {
    StoreDependencies deps;
    deps.durability = Durability::Synced;
    ThreadStore store(folder, deps);
    store.startDay();
    (void)!::write(ready, "x", 1);
    for (int i = 0;; ++i) {
        Strand strand;
        strand.id = Uuid::random();
        strand.title =
            "Thread " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), 'x');
        store.addThread(strand);
        store.next();
        if (i % 5 == 0)
            store.park(strand.id);
    }
}

TEST(CrashSafety, KillingASaveAtAnyMomentLeavesTheOldOrTheNewDocument) {
    testing::TempDir dir;
    std::mt19937 pick(20261206);
    std::uniform_int_distribution<int> delayMicros(200, 30000);
    std::size_t lastThreadCount = 0;
    bool seenFile = false;
    for (int round = 0; round < 40; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            saveForever(dir.path(), ready[1]);
        char byte;
        (void)!::read(ready[0], &byte, 1);
        ::close(ready[0]);
        ::close(ready[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(pick)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        auto file = dir / "threads.json";
        if (!std::filesystem::exists(file)) {
            ASSERT_FALSE(seenFile) << "the file vanished in round " << round;
            continue;  // killed before the first save ever
        }
        seenFile = true;
        std::string bytes = testing::readFile(file);
        ASSERT_FALSE(bytes.empty()) << "round " << round;
        PersistedState state;
        ASSERT_NO_THROW(state = decodeStoreFile(bytes, Date{})) << "round " << round;
        // Every round starts from the previous file, so the data only grows.
        std::size_t count = state.active.size() + state.parked.size();
        EXPECT_GE(count, lastThreadCount) << "round " << round;
        lastThreadCount = count;
    }
    EXPECT_GT(lastThreadCount, 1u);
}

}  // namespace
}  // namespace cadro
