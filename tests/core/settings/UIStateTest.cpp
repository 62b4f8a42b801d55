#include "core/settings/UIState.h"

#include <gtest/gtest.h>

#include <set>

namespace cadro {
namespace {

constexpr const char* kKey = "settings.selectedTab";

TEST(UIState, EveryTabIsStoredAtOnceAndAnythingElseOpensTheFirst) {
    auto defaults = std::make_shared<MemoryDefaults>();
    UIState ui(defaults);
    EXPECT_EQ(ui.selectedTab(), SettingsTab::active);
    EXPECT_EQ(ui.sheet(), std::nullopt);
    EXPECT_FALSE(ui.addThreadPrefill || ui.addTodoPrefill);
    std::vector<UIProperty> seen;
    auto sub = ui.subscribe([&](UIProperty p) { seen.push_back(p); });
    for (auto tab : kAllSettingsTabs) {
        ui.setSelectedTab(tab);
        EXPECT_EQ(UIState(defaults).selectedTab(), tab);
    }
    defaults->remove(kKey);
    ui.setSelectedTab(SettingsTab::shortcuts);  // the same tab is written again
    EXPECT_EQ(UIState(defaults).selectedTab(), SettingsTab::shortcuts);

    ui.setSheet(SettingsSheet::add());
    ui.setSheet(std::nullopt);
    EXPECT_EQ(seen.size(), kAllSettingsTabs.size() + 3);
    EXPECT_EQ(seen.back(), UIProperty::sheet);

    for (const char* stored : {"Brain Dump", "Todo", ""}) {
        defaults->setString(kKey, stored);
        EXPECT_EQ(UIState(defaults).selectedTab(), SettingsTab::active) << stored;
    }
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
    auto a = Uuid::random();
    auto b = Uuid::random();
    const std::vector<SettingsSheet> sheets = {
        SettingsSheet::snooze(a),       SettingsSheet::snooze(b),    SettingsSheet::snoozeTodo(a),
        SettingsSheet::scheduleTodo(a), SettingsSheet::editSteps(a), SettingsSheet::add(),
        SettingsSheet::addTodo()};
    std::set<std::string> identities;
    for (const auto& sheet : sheets)
        identities.insert(sheet.identity());
    EXPECT_EQ(identities.size(), sheets.size());
    EXPECT_EQ(SettingsSheet::snooze(a).identity(), SettingsSheet::snooze(a).identity());
}

}  // namespace
}  // namespace cadro
