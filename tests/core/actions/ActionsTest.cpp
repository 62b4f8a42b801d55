#include "core/actions/Actions.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <functional>

namespace cadro {
namespace {

// Every action either changes the store and says done, or leaves it exactly
// as it was and says why.
TEST(Actions, ChangeTheStoreExactlyWhenDoneAndSayWhyNot) {
    using testing::StoreHarness;
    using Act = std::function<ActionResult(ThreadStore&)>;
    struct Ids {
        Uuid ring, parked, snoozed, todo, nobody = Uuid::random();
    };
    Ids ids;
    const Date later = Date{} + 1e9;
    struct Case {
        const char* name;
        Act act;
        Outcome outcome;
    } cases[] = {
        {"park in ring", [&](auto& s) { return actions::park(s, ids.ring); }, Outcome::done},
        {"park parked", [&](auto& s) { return actions::park(s, ids.parked); },
         Outcome::nothingToDo},
        {"unpark", [&](auto& s) { return actions::unpark(s, ids.parked); }, Outcome::done},
        {"wake", [&](auto& s) { return actions::wake(s, ids.snoozed); }, Outcome::done},
        {"wake awake", [&](auto& s) { return actions::wake(s, ids.todo); }, Outcome::nothingToDo},
        {"snooze to-do", [&](auto& s) { return actions::snooze(s, ids.todo, later); },
         Outcome::done},
        {"snooze parked", [&](auto& s) { return actions::snooze(s, ids.parked, later); },
         Outcome::nothingToDo},
        {"remove to-do", [&](auto& s) { return actions::remove(s, ids.todo); }, Outcome::done},
        {"remove hygiene", [&](auto& s) { return actions::remove(s, s.state().hygiene()->id); },
         Outcome::refused},
        {"remove nothing", [&](auto& s) { return actions::remove(s, ids.nobody); },
         Outcome::refused},
        {"revise nothing", [&](auto& s) { return actions::reviseThread(s, ids.nobody, {}); },
         Outcome::refused},
        {"move off the ring", [&](auto& s) { return actions::moveActive(s, {0}, 9); },
         Outcome::refused},
        {"snooze of 0 min", [&](auto& s) { return actions::setDefaultSnoozeMinutes(s, 0); },
         Outcome::refused},
        {"chance of 101%", [&](auto& s) { return actions::setTodoChancePercent(s, 101); },
         Outcome::refused},
    };
    for (const auto& c : cases) {
        // One thread in the ring, one parked, one snoozed and a to-do.
        StoreHarness h;
        const auto open = h.openDay({"Ring", "Parked", "Snoozed"});
        ids.ring = open[0], ids.parked = open[1], ids.snoozed = open[2];
        h->park(ids.parked);
        h->snooze(ids.snoozed, h.clock.now() + 3600);
        ids.todo = *h->addTodo("Tea");
        const PersistedState before = h->state();
        const ActionResult result = c.act(h.store());
        EXPECT_EQ(result.outcome, c.outcome) << c.name << ": " << result.message;
        EXPECT_EQ(h->state() != before, c.outcome == Outcome::done) << c.name;
        EXPECT_EQ(result.message.empty(), c.outcome == Outcome::done) << c.name;
    }
}

}  // namespace
}  // namespace cadro
