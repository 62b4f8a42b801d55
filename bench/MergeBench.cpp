// Merging two copies of a large store changed apart on two machines.
#include "core/store/StoreMerge.h"

#include <benchmark/benchmark.h>

namespace cadro {
namespace {

Strand thread(int i, Date at) {
    Strand s;
    s.id = Uuid::random();
    s.title = "Thread " + std::to_string(i);
    s.step = "Step of thread " + std::to_string(i);
    s.nextSteps = {"then this", "and that"};
    s.createdAt = at;
    return s;
}

// A shared start of `threads` threads and to-dos as many as a tenth of them,
// then each side edits a tenth, adds a twentieth and removes a fiftieth.
void BM_MergeTwoCopies(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Date t0 = Date::fromUnix(1772625600);
    PersistedState base;
    for (int i = 0; i < n; ++i)
        base.active.push_back(thread(i, t0));
    for (int i = 0; i < n / 10; ++i)
        base.todos.push_back(Todo{Uuid::random(), "To-do " + std::to_string(i), 5, {}, t0, {}, {}});
    PersistedState empty;
    stampChanges(empty, base, t0, "A");
    PersistedState ours = base, theirs = base;
    auto change = [&](PersistedState& side, int offset, const char* machine, Date at) {
        PersistedState before = side;
        for (int i = offset; i < n; i += 10)
            side.active[i].step = std::string("edited on ") + machine;
        for (int i = 0; i < n / 20; ++i)
            side.active.push_back(thread(n + i, at));
        for (int i = 0; i < n / 50; ++i)
            side.active.erase(side.active.begin() + offset + i * 40);
        stampChanges(before, side, at, machine);
    };
    change(ours, 0, "A", t0 + 60);
    change(theirs, 5, "B", t0 + 120);
    for (auto _ : state)
        benchmark::DoNotOptimize(mergeStores(ours, theirs));
}
BENCHMARK(BM_MergeTwoCopies)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cadro
