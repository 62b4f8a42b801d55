#include "core/actions/Actions.h"
#include "support/TrayHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <tuple>

namespace cadro {
namespace {

using testing::TrayHarness;

struct OnThread : TrayHarness {
    std::vector<Uuid> ids = openDay({"Alpha", "Beta"});
    Uuid a = ids[0], b = ids[1];
};

TEST(Commands, NextWithNewTaskWalksThePlanElseAsksAndCancelChangesNothing) {
    OnThread h;
    h->reviseThread(h.a, {.nextSteps = std::vector<std::string>{"Ship"}});
    h.commands.cmdNextWithNewTask();
    EXPECT_TRUE(h.recorder.events.empty());
    EXPECT_EQ(h->state().strand(h.a)->step, "Ship");
    EXPECT_EQ(h->state().currentID, h.b);

    actions::setCurrentStep(h.store(), "old");
    auto state = h->state();
    EXPECT_EQ(h.commands.cmdNextWithNewTask().outcome, Outcome::cancelled);
    ASSERT_EQ(h.recorder.requests.size(), 1u);
    EXPECT_NE(h.recorder.requests[0].title.find("Beta"), std::string::npos);
    EXPECT_EQ(h->state(), state);

    h.recorder.answers = {std::string("")};  // an empty answer clears the step and moves on
    h.commands.cmdNextWithNewTask();
    EXPECT_EQ(h->state().strand(h.b)->step, "");
    EXPECT_EQ(h.currentTitle(), "Cadro");
}

TEST(Commands, TypedTaskIsTrimmedEditStepKeepsSpacesAndTheHygieneThreadOpensSettings) {
    OnThread h;
    h.recorder.answers = {std::string("  Draft intro \n")};
    h.commands.cmdNextTypedTask();
    EXPECT_NE(h.recorder.requests[0].title.find("Alpha"), std::string::npos);
    EXPECT_EQ(h->state().strand(h.a)->step, "Draft intro");
    EXPECT_EQ(h->state().currentID, h.b);

    actions::setCurrentStep(h.store(), "current");
    h.recorder.answers = {std::string("  as typed  ")};
    h.commands.cmdEditStep();
    EXPECT_EQ(h.recorder.requests[1].initialText, "current");
    EXPECT_EQ(h->state().strand(h.b)->step, "  as typed  ");
    EXPECT_EQ(h->state().currentID, h.b);  // no Next

    h.commands.cmdNext();  // Cadro
    EXPECT_EQ(h.recorder.events.back(), "settings");
}

TEST(Commands, TypedTaskHasNothingToDoWhileAToDoIsUpButNewTaskFinishesIt) {
    OnThread h;
    h->addTodo("Call", 5);
    h->setPreferences({.todoChancePercent = 100});
    h.random.values = {0.0, 0.0};
    h.commands.cmdNext();
    ASSERT_TRUE(h->state().currentTodo());
    EXPECT_EQ(h.commands.cmdNextTypedTask().outcome, Outcome::nothingToDo);
    EXPECT_TRUE(h.recorder.events.empty());
    h.commands.cmdNextWithNewTask();
    EXPECT_TRUE(h->state().todos.empty());
}

TEST(Commands, WindowActionsSetTheTabAndSheetFirst) {
    OnThread h;
    h.commands.cmdAdd();
    EXPECT_EQ(h.ui.selectedTab(), SettingsTab::active);
    EXPECT_EQ(h.ui.sheet(), SettingsSheet::add());
    h.ui.setSelectedTab(SettingsTab::todo);
    h.commands.cmdSnoozeCustom();
    EXPECT_EQ(h.ui.sheet(), SettingsSheet::snooze(h.a));
    EXPECT_EQ(h.ui.selectedTab(), SettingsTab::todo);  // unchanged
    h.commands.cmdStartDay();
    EXPECT_EQ(h.ui.selectedTab(), SettingsTab::brainDump);
    EXPECT_EQ(h.recorder.events, std::vector<std::string>(3, "settings"));
}

TEST(Commands, SnoozeDefaultAndPresetsSnoozeTheCurrentItem) {
    OnThread h;
    h->setPreferences({.defaultSnoozeMinutes = 90});
    Date now = h.clock.now();
    h.commands.cmdSnoozeDefault();
    EXPECT_EQ(h->state().strand(h.a)->snoozedUntil, now + 5400);
    h.commands.cmdSnoozePreset("evening");  // 13:00 in Berlin: today at 18:00
    EXPECT_EQ(h->state().strand(h.b)->snoozedUntil, h.berlin(2026, 3, 4, 18, 0));
    auto state = h->state();
    h.commands.cmdSnoozePreset("fortnight");
    EXPECT_EQ(h->state(), state);
}

TEST(Commands, UpdateAlertsNameTheVersionsAndOnlyTheirDownloadButtonOpensTheReleasePage) {
    EXPECT_TRUE(Commands::updateAlert(std::nullopt, "1.0").buttons.empty());
    auto current = Commands::updateAlert(UpdateCheckResult::upToDate(), "1.0");
    EXPECT_NE(current.informativeText.find("1.0"), std::string::npos);
    EXPECT_TRUE(current.buttons.empty());
    const ReleaseInfo release{"1.4.2", "https://example.org/1.4.2"};
    EXPECT_EQ(Commands::updateAlert(UpdateCheckResult::available(release), "1.0").buttons.size(),
              2u);

    TrayHarness h;
    UpdateChecker updates(
        "https://example.org/cadro/latest.json", "1.0", h.defaults, h.clock,
        [](const std::string&, FetchCompletion done) {
            done(FetchResult::success(R"({"version":"1.4.2","url":"https://example.org/1.4.2"})"));
        });
    Commands commands{h.store(), h.ui, h.clock, *h.calendar, h.recorder, &updates};
    for (int choice : {1, 0}) {
        h.recorder.events.clear();
        h.recorder.alertChoice = choice;
        commands.run(MenuAction::checkForUpdates);
        EXPECT_EQ(h.recorder.events.front(), "alert: Cadro 1.4.2 is available");
        EXPECT_EQ(h.recorder.events.back() == "open https://example.org/1.4.2", choice == 0);
    }
}

using A = MenuAction;

std::vector<MenuAction> actionsOf(const std::vector<MenuItem>& menu) {
    std::vector<MenuAction> out;
    for (const auto& item : menu) {
        if (item.action)
            out.push_back(*item.action);
    }
    return out;
}

// The first item with this title or action.
template <class Key>
const MenuItem& find(const std::vector<MenuItem>& menu, const Key& key) {
    for (const auto& item : menu) {
        if constexpr (std::is_same_v<Key, MenuAction>) {
            if (item.action == key)
                return item;
        } else if (item.title == key) {
            return item;
        }
    }
    throw std::runtime_error("no such item");
}

// The information lines at the top, up to the first separator.
std::vector<std::string> header(const std::vector<MenuItem>& menu) {
    std::vector<std::string> out;
    for (const auto& item : menu) {
        if (item.isSeparator)
            break;
        EXPECT_FALSE(item.enabled) << item.title;
        out.push_back(item.title);
    }
    return out;
}

TEST(StatusMenu, EachStateOffersItsCommandsAndAToDoUpItsEstimateAndSchedule) {
    const std::vector<A> footer = {A::toggleLaunchAtLogin, A::checkForUpdates, A::settings,
                                   A::quit};
    auto with = [&](std::vector<A> head) {
        head.insert(head.end(), footer.begin(), footer.end());
        return head;
    };
    TrayHarness h;
    h.addThread("A");
    TodoSchedule s{h.berlin(2026, 3, 2, 0, 0),
                   {{17, 30}, {8, 0}},
                   RepeatRule{1, RepeatUnit::week, {2, 5}, std::nullopt}};
    h->addTodo("Stretch", 45, s);
    EXPECT_EQ(actionsOf(h.menu()), with({A::startDay, A::openBrainDump}));
    EXPECT_FALSE(find(h.menu(), A::checkForUpdates).enabled);  // no update checker

    h->startDay();
    EXPECT_EQ(actionsOf(h.menu()),
              with({A::next, A::nextWithNewTask, A::nextTypedTask, A::editStep, A::add, A::addTodo,
                    A::parkCurrent, A::openBrainDump, A::endDay}));
    const auto snooze = find(h.menu(), "Snooze Current").submenu;
    ASSERT_GE(snooze.size(), 2u);
    EXPECT_EQ(snooze.front().title, "Default: 1h");
    EXPECT_EQ(snooze.front().action, A::snoozeDefault);
    EXPECT_EQ(snooze.back().action, A::snoozeCustom);
    h.shortcuts.setCombo(HotKeyAction::next, KeyCombo{49, 0x0100 | 0x0200, "Space"});
    EXPECT_EQ(find(h.menu(), A::next).shortcut, "Shift+Super+Space");
    EXPECT_EQ(find(h.menu(), A::add).shortcut, "");

    // The to-do comes up at its time: Done, with its estimate and schedule above.
    h->processSchedules(h.berlin(2026, 3, 5, 8, 0, 10), true);  // a Thursday
    auto menu = h.menu();
    EXPECT_EQ(actionsOf(menu), with({A::next, A::openBrainDump, A::endDay}));  // Done
    EXPECT_EQ(header(menu),
              (std::vector<std::string>{
                  "TO-DO", "Stretch", "   ~45 min",
                  "   \xE2\x86\xBA every Monday, Thursday at 8:00\u202fAM, 5:30\u202fPM"}));
    EXPECT_TRUE(find(menu, "Snooze Current").enabled);
}

TEST(StatusMenu, UndoNamesTheChangeAfterTheDaysCommandsOnlyWhenThereIsOne) {
    OnThread h;
    auto menu = [&](std::string label) {
        return buildStatusMenu(
            {h.store(), h.shortcuts, nullptr, nullptr, *h.calendar, h.clock.now(), label});
    };
    const auto withUndo = menu("Finished \"Buy milk\"");
    EXPECT_EQ(actionsOf(withUndo)[9], A::undo);  // right after End Day
    EXPECT_EQ(find(withUndo, A::undo).title, "Undo Finished \"Buy milk\"");
    EXPECT_EQ(find(withUndo, A::undo).key, "undo");
    EXPECT_EQ(find(menu(std::string(60, 'x')), A::undo).title,
              "Undo " + std::string(39, 'x') + "\xE2\x80\xA6");
    EXPECT_THROW(find(h.menu(), A::undo), std::runtime_error);
}

TEST(StatusMenu, HeaderDescribesTheCurrentThreadAndWithoutOneItsActionsAreOff) {
    TrayHarness h;
    h->startDay();
    EXPECT_EQ(header(h.menu()),
              (std::vector<std::string>{"Cadro", "   \xE2\x86\xB3 Add your first thread",
                                        "   1 active"}));

    h->park(h->state().hygiene()->id);
    auto menu = h.menu();
    EXPECT_EQ(menu[0].title, "No active threads");
    for (auto action : {A::next, A::nextWithNewTask, A::parkCurrent, A::editStep})
        EXPECT_FALSE(find(menu, action).enabled);
    const MenuItem& snooze = find(menu, "Snooze Current");
    EXPECT_FALSE(snooze.enabled || !snooze.submenu.empty());
    EXPECT_TRUE(find(menu, A::add).enabled);
    // A shortcut can still run them.
    auto state = h->state();
    for (auto action : {A::next, A::nextWithNewTask, A::nextTypedTask, A::editStep,
                        A::snoozeDefault, A::snoozeCustom, A::parkCurrent})
        EXPECT_EQ(h.commands.run(action).outcome, Outcome::nothingToDo);
    EXPECT_TRUE(h.recorder.events.empty());
    EXPECT_EQ(h->state(), state);

    auto a = h.addThread("Website", 2);
    h->reviseThread(a, {.colorHex = "#8B7CF6"});
    h->startDay();
    h->reviseThread(a, {.nextSteps = std::vector<std::string>{"only one"}});
    EXPECT_EQ(header(h.menu())[1],
              "   \xE2\x86\xB3 (no step yet, use Edit Current Step\xE2\x80\xA6)");

    h->reviseThread(a, {.title = "Website", .step = "  Write hero copy \n"});
    h->reviseThread(
        a, {.nextSteps = std::vector<std::string>{"Pick screenshots", "Ship", "Tell Veda"}});
    menu = h.menu();
    EXPECT_EQ(header(menu),
              (std::vector<std::string>{"Website", "   \xE2\x86\xB3 Write hero copy",
                                        "   next \xE2\x96\xB8 Pick screenshots (+2 more)",
                                        "   priority 2 \xC2\xB7 1 active"}));
    EXPECT_EQ(menu[0].dotColorHex, h->state().strand(a)->colorHex);
}

// Each entry revives its thread by the id it carries, and nothing else does.
TEST(StatusMenu, RevivalSubmenusShowOnlyWhenNonEmptyAndTheirEntriesReviveTheirThread) {
    TrayHarness h;
    auto ids = h.openDay({"A", "Talk", "Japanese"});
    h->reviseThread(ids[1], {.colorHex = "#FF9F0A"});
    h->snooze(ids[1], h.berlin(2026, 3, 5, 9, 0));
    h->park(ids[2]);
    const auto menu = h.menu();
    const MenuItem& snoozed = find(menu, "Snoozed (1)").submenu.at(0);
    EXPECT_EQ(snoozed.title.rfind("Talk \xC2\xB7 ", 0), 0u);
    EXPECT_NE(snoozed.title.find("omorrow"), std::string::npos);
    EXPECT_EQ(snoozed.dotColorHex, "#FF9F0A");
    const MenuItem& parked = find(menu, "Parked (1)").submenu.at(0);
    for (const MenuItem* entry : {&snoozed, &parked}) {
        const auto before = h->state();
        h.commands.run(entry->action.value(), "not an id");
        EXPECT_EQ(h->state(), before) << entry->title;
        h.commands.run(entry->action.value(), entry->representedObject);
    }
    EXPECT_EQ(h.titles(), "A Talk Japanese Cadro ");
    EXPECT_THROW(find(h.menu(), "Parked (0)"), std::runtime_error);
}

// Panels keep entries by their keys: in every state of the menu a key names
// one entry among its siblings, and the same key always names the same kind
// of entry (separator, action and payload).
TEST(StatusMenu, KeysNameOneEntryEachAndKeepNamingIt) {
    using Kind = std::tuple<bool, std::optional<MenuAction>, std::string>;
    std::map<std::string, Kind> seen;
    std::function<void(const std::vector<MenuItem>&, const std::string&)> check =
        [&](const std::vector<MenuItem>& menu, const std::string& parent) {
            std::set<std::string> siblings;
            for (const MenuItem& item : menu) {
                const std::string path = parent + "/" + item.key;
                EXPECT_FALSE(item.key.empty()) << item.title;
                EXPECT_TRUE(siblings.insert(item.key).second) << path;
                Kind kind{item.isSeparator, item.action, item.representedObject};
                EXPECT_EQ(seen.emplace(path, kind).first->second, kind) << path;
                check(item.submenu, path);
            }
        };
    TrayHarness h;
    check(h.menu(), "");  // the closed day
    auto ids = h.openDay({"A", "B", "C"});
    h->park(ids[1]);
    h->snooze(ids[2], h.berlin(2026, 3, 5, 9, 0));
    check(h.menu(), "");
    const std::string next = find(h.menu(), A::next).key;
    h->addTodo("Stretch", 45);
    h->setPreferences({.todoChancePercent = 100});
    h.random.values = {0.0, 0.0};
    h->next();
    check(h.menu(), "");
    EXPECT_NE(find(h.menu(), A::next).key, next);  // "Done" is an entry of its own
}

TEST(StatusMenu, LaunchAtLoginIsAlwaysAToggleAndShowsWhyItIsOff) {
    TrayHarness h;
    const XdgAutostartEntry inBuildFolder(h.dir.path() / "autostart", "cadro");
    auto menu = buildStatusMenu(
        {h.store(), h.shortcuts, nullptr, &inBuildFolder, *h.calendar, h.clock.now()});
    const MenuItem& login = find(menu, A::toggleLaunchAtLogin);
    EXPECT_TRUE(login.checkable && !login.checked && !login.enabled);
    EXPECT_EQ(login.tooltip, LaunchAtLogin::kNotInstalled);
    // Panels show no tooltips, so the reason is also the next line.
    EXPECT_EQ((&login)[1].title, "   " + login.tooltip);
    EXPECT_FALSE((&login)[1].enabled);
}

}  // namespace
}  // namespace cadro
