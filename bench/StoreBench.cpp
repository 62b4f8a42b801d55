// The store's hot paths: Next, saving and loading, for a typical store (50
// threads, 50 to-dos) and a huge one (10,000 threads).
#include "core/base/AtomicFile.h"
#include "core/store/StoreFormat.h"
#include "core/store/StoreUndo.h"
#include "core/store/ThreadStore.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace cadro {
namespace {

namespace fs = std::filesystem;

class BenchFolder {
  public:
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "cadro-bench-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~BenchFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

/// A store with `threads` threads (every 7th prioritised) and `todos` to-dos,
/// the day started, saved in `folder`.
void fill(ThreadStore& store, int threads, int todos) {
    PersistedState state = store.state();
    for (int i = 0; i < threads; ++i) {
        Strand s;
        s.id = Uuid::random();
        s.title = "Thread " + std::to_string(i);
        s.step = "Step of thread " + std::to_string(i);
        s.nextSteps = {"then this", "and that"};
        if (i % 7 == 0)
            s.priority = 3;
        if (i % 3 == 0)
            s.colorHex = "#8B7CF6";
        state.active.insert(state.active.end() - 1, s);
    }
    for (int i = 0; i < todos; ++i) {
        Todo t;
        t.id = Uuid::random();
        t.title = "To-do " + std::to_string(i);
        t.estimatedMinutes = 5 + i % 60;
        state.todos.push_back(t);
    }
    state.todoChancePercent = 0;
    std::string bytes = encodeStoreFile(state);
    writeFileAtomically(store.file().path(), bytes, Durability::Unsynced);
}

std::unique_ptr<ThreadStore> openStore(const fs::path& folder, int threads, int todos,
                                       StoreDependencies deps) {
    {
        StoreDependencies quick;
        quick.durability = Durability::Unsynced;
        ThreadStore seed(folder, quick);
        fill(seed, threads, todos);
    }
    auto store = std::make_unique<ThreadStore>(folder, deps);
    store->startDay();
    return store;
}

void BM_NextInMemory(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    deps.durability = Durability::Unsynced;
    openStore(folder.path(), static_cast<int>(state.range(0)), 50, deps);
    // Same data, never written: only the cycle's own work is measured.
    deps.writesFile = false;
    ThreadStore memory(folder.path(), deps);
    for (auto _ : state)
        memory.next();
}
BENCHMARK(BM_NextInMemory)->Arg(50)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_NextAndSave(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    deps.durability = state.range(1) ? Durability::Synced : Durability::Unsynced;
    auto store = openStore(folder.path(), static_cast<int>(state.range(0)), 50, deps);
    for (auto _ : state)
        store->next();
}
BENCHMARK(BM_NextAndSave)
    ->ArgNames({"threads", "fsync"})
    ->Args({50, 0})
    ->Args({50, 1})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMicrosecond);

// As the tray app and the command line run it: every Next is also kept for
// undo, in a history file beside the store.
void BM_NextAndSaveWithUndo(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    deps.durability = Durability::Unsynced;
    auto store = openStore(folder.path(), static_cast<int>(state.range(0)), 50, deps);
    StoreUndo undo(*store, folder.path() / "undo.json");
    for (auto _ : state)
        store->next();
}
BENCHMARK(BM_NextAndSaveWithUndo)->Arg(50)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_Load(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    deps.durability = Durability::Unsynced;
    openStore(folder.path(), static_cast<int>(state.range(0)), 50, deps);
    for (auto _ : state) {
        ThreadStore loaded(folder.path(), deps);
        benchmark::DoNotOptimize(loaded.state().active.size());
    }
}
BENCHMARK(BM_Load)->Arg(50)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_Encode(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    deps.durability = Durability::Unsynced;
    auto store = openStore(folder.path(), static_cast<int>(state.range(0)), 50, deps);
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeStoreFile(store->state()));
}
BENCHMARK(BM_Encode)->Arg(50)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The file's bytes to records, without the rest of opening a store.
void BM_Decode(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    deps.durability = Durability::Unsynced;
    auto store = openStore(folder.path(), static_cast<int>(state.range(0)), 50, deps);
    const std::string bytes = encodeStoreFile(store->state());
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeStoreFile(bytes, Date{}));
}
BENCHMARK(BM_Decode)->Arg(50)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace cadro

namespace cadro {
namespace {

/// 1,000 scheduled to-dos of mixed rules, the day open.
void BM_ProcessSchedules(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    deps.durability = Durability::Unsynced;
    deps.writesFile = false;
    ThreadStore store(folder.path(), deps);
    store.startDay();
    const Date start = SystemClock::instance().now() - 86400.0 * 40;
    for (int i = 0; i < 1000; ++i) {
        TodoSchedule schedule{start, {{8 + i % 10, i % 60}, {17, 30}}, std::nullopt};
        switch (i % 4) {
            case 0:
                schedule.repeatRule = RepeatRule{1 + i % 3, RepeatUnit::day, {}, {}};
                break;
            case 1:
                schedule.repeatRule = RepeatRule{1 + i % 4, RepeatUnit::week, {2, 4, 6}, {}};
                break;
            case 2:
                schedule.repeatRule = RepeatRule{1 + i % 3, RepeatUnit::month, {}, 29 + i % 3};
                break;
            default:
                break;  // one-off, long over
        }
        store.addTodo("Scheduled " + std::to_string(i), 5, schedule);
    }
    Date now = SystemClock::instance().now();
    for (auto _ : state) {
        store.processSchedules(now, false);
        now = now + 30;
    }
}
BENCHMARK(BM_ProcessSchedules)->Unit(benchmark::kMillisecond);

/// One round trip through a chance to-do among 1,000 eligible ones: Next
/// draws it, Next finishes it (which removes it), and it is added again.
void BM_ChanceTodoRoundTrip(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    deps.durability = Durability::Unsynced;
    openStore(folder.path(), 50, 1000, deps);
    deps.writesFile = false;
    ThreadStore store(folder.path(), deps);
    store.setPreferences({.todoChancePercent = 100});
    for (auto _ : state) {
        store.next();
        std::string title = store.state().currentTodo()->title;
        store.next();
        store.addTodo(title, 15);
    }
}
BENCHMARK(BM_ChanceTodoRoundTrip)->Unit(benchmark::kMicrosecond);

/// Twenty keystrokes in a thread's title field, then the save the settings
/// window makes a second later (synced, as the app does).
void BM_TypingBurst(benchmark::State& state) {
    BenchFolder folder;
    StoreDependencies deps;
    auto store = openStore(folder.path(), static_cast<int>(state.range(0)), 50, deps);
    const Uuid id = store->state().current()->id;
    const int writesBefore = store->file().writeCount();
    for (auto _ : state) {
        std::string title;
        for (int key = 0; key < 20; ++key) {
            title += 'x';
            store->reviseThread(id, {.title = title}, Save::soon);
        }
        store->save();
    }
    state.counters["writes/burst"] =
        double(store->file().writeCount() - writesBefore) / double(state.iterations());
}
BENCHMARK(BM_TypingBurst)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cadro
