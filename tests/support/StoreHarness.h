#pragma once

#include "core/base/Calendar.h"
#include "core/base/Clock.h"
#include "core/base/Random.h"
#include "core/store/ThreadStore.h"
#include "support/TempDir.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace cadro::testing {

/// Hands out the values it was given, then 0.999 (never a chance to-do).
struct ScriptedRandom final : RandomSource {
    std::deque<double> values;
    double uniform() override {
        if (values.empty())
            return 0.999;
        double v = values.front();
        values.pop_front();
        return v;
    }
};

/// A store on a real file in a temporary folder, with a clock that only moves
/// when told to and the calendar of Berlin.
class StoreHarness {
  public:
    StoreHarness() { reopen(); }

    ThreadStore& store() { return *store_; }
    ThreadStore* operator->() { return store_.get(); }
    const std::filesystem::path& folder() const { return dir.path(); }
    std::filesystem::path file() const { return dir / "threads.json"; }

    /// Drops the store and opens the folder again, as a restart does.
    ThreadStore& reopen() {
        store_.reset();
        store_ = std::make_unique<ThreadStore>(dir.path(), dependencies());
        return *store_;
    }

    StoreDependencies dependencies() {
        return {.clock = &clock,
                .calendar = calendar.get(),
                .random = &random,
                .durability = Durability::Unsynced,
                .machine = machine};
    }

    /// Adds a thread the way the add-thread sheet does and returns its id.
    Uuid addThread(const std::string& title, std::optional<std::int64_t> priority = std::nullopt) {
        Strand strand;
        strand.id = Uuid::random();
        strand.title = title;
        strand.priority = priority;
        strand.createdAt = clock.now();
        store_->addThread(strand);
        return strand.id;
    }

    /// Adds threads with these titles in this order, starts the day (the
    /// first is current) and returns their ids.
    std::vector<Uuid> openDay(std::initializer_list<std::string> titles) {
        std::vector<Uuid> ids;
        for (const auto& title : titles)
            ids.push_back(addThread(title));
        store_->startDay();
        return ids;
    }

    /// The titles of one list in order, each followed by a space: "A B Cadro ".
    std::string titles(ThreadKind kind = ThreadKind::active) {
        std::string out;
        for (const auto& strand : store_->state().threads(kind))
            out += strand.title + " ";
        return out;
    }

    std::string currentTitle() {
        const Strand* current = store_->state().current();
        return current ? current->title : std::string("(none)");
    }

    /// What the user sees: the current to-do's title, else "thread " and the thread's.
    std::string up() {
        const Todo* todo = store_->state().currentTodo();
        return todo ? todo->title : "thread " + currentTitle();
    }

    /// An instant given as Berlin wall-clock time.
    Date berlin(int year, int month, int day, int hour, int minute, int second = 0) {
        return *calendar->compose(year, month, day, hour, minute, second);
    }

    TempDir dir;
    std::unique_ptr<Calendar> calendar = Calendar::make("Europe/Berlin", "en_US");
    ManualClock clock{Date::fromUnix(1772625600)};  // 2026-03-04 12:00:00 UTC, 13:00 in Berlin
    ScriptedRandom random;
    std::string machine = "local";

  private:
    std::unique_ptr<ThreadStore> store_;
};

}  // namespace cadro::testing
