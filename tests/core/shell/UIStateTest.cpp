#include "core/shell/UIState.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

constexpr const char* kKey = "settings.selectedTab";

TEST(UIState, OpensOnTheStoredTab) {
    struct Case {
        const char* name;
        std::optional<std::string> stored;
        SettingsTab tab;
    } cases[] = {
        {"nothing stored", std::nullopt, SettingsTab::active},
        {"brain dump", "brainDump", SettingsTab::brainDump},
        {"shortcuts", "shortcuts", SettingsTab::shortcuts},
        {"label instead of raw value", "Brain Dump", SettingsTab::active},
        {"wrong case", "Todo", SettingsTab::active},
        {"empty", "", SettingsTab::active},
    };
    for (const auto& c : cases) {
        auto defaults = std::make_shared<MemoryDefaults>();
        if (c.stored)
            defaults->setString(kKey, *c.stored);
        UIState ui(defaults);
        EXPECT_EQ(ui.selectedTab(), c.tab) << c.name;
        EXPECT_EQ(ui.sheet(), std::nullopt) << c.name;
        EXPECT_FALSE(ui.addThreadPrefill || ui.addTodoPrefill) << c.name;
    }
}

TEST(UIState, SelectingATabStoresItAtOnce) {
    auto defaults = std::make_shared<MemoryDefaults>();
    UIState ui(defaults);
    std::vector<UIProperty> seen;
    auto sub = ui.subscribe([&](UIProperty p) { seen.push_back(p); });

    ui.setSelectedTab(SettingsTab::brainDump);
    EXPECT_EQ(defaults->getString(kKey), "brainDump");
    EXPECT_EQ(UIState(defaults).selectedTab(), SettingsTab::brainDump);

    defaults->remove(kKey);
    ui.setSelectedTab(SettingsTab::brainDump);  // the same tab is written again
    EXPECT_EQ(defaults->getString(kKey), "brainDump");

    ui.setSheet(SettingsSheet::add());
    ui.setSheet(std::nullopt);
    EXPECT_EQ(seen, (std::vector<UIProperty>{UIProperty::selectedTab, UIProperty::selectedTab,
                                             UIProperty::sheet, UIProperty::sheet}));
}

TEST(UIState, PanelPreferencesSurviveARestartWithTheLengthKeptInBounds) {
    auto defaults = std::make_shared<MemoryDefaults>();
    UIState ui(defaults);
    ui.setPanel({false, 1000, false});
    EXPECT_EQ(UIState(defaults).panel(),
              (PanelPreferences{false, PanelPreferences::kLongestLabel, false}));

    for (const char* stored : {"12abc", "", "-3", "99999999999999999999999"}) {
        defaults->setString("panel.labelLength", stored);
        EXPECT_EQ(UIState(defaults).panel().labelLength, PanelPreferences{}.labelLength) << stored;
    }
}

TEST(SettingsSheet, IdentitiesTellSheetsApart) {
    auto a = *Uuid::parse("6f1c2d3e-4a5b-4c6d-8e9f-0a1b2c3d4e5f");
    auto b = *Uuid::parse("00000000-0000-4000-8000-000000000001");
    const std::string A = "6F1C2D3E-4A5B-4C6D-8E9F-0A1B2C3D4E5F";
    EXPECT_EQ(SettingsSheet::snooze(a).identity(), "snooze-" + A);
    EXPECT_EQ(SettingsSheet::snoozeTodo(a).identity(), "snooze-todo-" + A);
    EXPECT_EQ(SettingsSheet::scheduleTodo(a).identity(), "schedule-todo-" + A);
    EXPECT_EQ(SettingsSheet::editSteps(a).identity(), "steps-" + A);
    EXPECT_EQ(SettingsSheet::add().identity(), "add");
    EXPECT_EQ(SettingsSheet::addTodo().identity(), "add-todo");
    EXPECT_NE(SettingsSheet::snooze(a).identity(), SettingsSheet::snooze(b).identity());
    EXPECT_NE(SettingsSheet::snooze(a), SettingsSheet::snoozeTodo(a));
}

}  // namespace
}  // namespace cadro
