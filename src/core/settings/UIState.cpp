#include "core/settings/UIState.h"

#include <algorithm>
#include <charconv>

namespace cadro {
namespace {

struct TabInfo {
    std::string_view rawValue;
    std::string_view label;
};

constexpr std::array<TabInfo, 6> kTabs{{
    {"active", "Active"},
    {"parked", "Parked"},
    {"snoozed", "Snoozed"},
    {"todo", "To-Do"},
    {"brainDump", "Brain Dump"},
    {"shortcuts", "Shortcuts"},
}};

constexpr std::string_view kShowsLabelKey = "panel.showsLabel";
constexpr std::string_view kLabelLengthKey = "panel.labelLength";
constexpr std::string_view kNotifiesKey = "panel.notifies";

std::size_t clampedLabelLength(std::size_t length) {
    return std::clamp(length, PanelPreferences::kShortestLabel, PanelPreferences::kLongestLabel);
}

const TabInfo& info(SettingsTab tab) {
    return kTabs[static_cast<std::size_t>(tab)];
}

}  // namespace

std::string_view rawValue(SettingsTab tab) {
    return info(tab).rawValue;
}

std::optional<SettingsTab> settingsTabFromRawValue(std::string_view text) {
    for (SettingsTab tab : kAllSettingsTabs) {
        if (rawValue(tab) == text)
            return tab;
    }
    return std::nullopt;
}

std::string_view label(SettingsTab tab) {
    return info(tab).label;
}

std::string SettingsSheet::identity() const {
    std::string suffix = id ? id->toString() : std::string();
    switch (kind) {
        case Kind::snooze:
            return "snooze-" + suffix;
        case Kind::snoozeTodo:
            return "snooze-todo-" + suffix;
        case Kind::scheduleTodo:
            return "schedule-todo-" + suffix;
        case Kind::editSteps:
            return "steps-" + suffix;
        case Kind::add:
            return "add";
        case Kind::addTodo:
            return "add-todo";
    }
    return {};
}

UIState::UIState(std::shared_ptr<Defaults> defaults) : defaults_(std::move(defaults)) {
    if (auto stored = defaults_->getString(kSelectedTabKey)) {
        selectedTab_ = settingsTabFromRawValue(*stored).value_or(SettingsTab::active);
    }
    panel_.showsLabel = defaults_->getBool(kShowsLabelKey).value_or(panel_.showsLabel);
    panel_.notifies = defaults_->getBool(kNotifiesKey).value_or(panel_.notifies);
    if (auto stored = defaults_->getString(kLabelLengthKey)) {
        std::size_t length = 0;
        const char* end = stored->data() + stored->size();
        auto [rest, error] = std::from_chars(stored->data(), end, length);
        if (error == std::errc() && rest == end)
            panel_.labelLength = clampedLabelLength(length);
    }
}

void UIState::setSheet(std::optional<SettingsSheet> sheet) {
    sheet_ = std::move(sheet);
    changes_.notify(UIProperty::sheet);
}

void UIState::setSelectedTab(SettingsTab tab) {
    selectedTab_ = tab;
    defaults_->setString(kSelectedTabKey, std::string(rawValue(tab)));
    changes_.notify(UIProperty::selectedTab);
}

void UIState::setPanel(PanelPreferences panel) {
    panel.labelLength = clampedLabelLength(panel.labelLength);
    panel_ = panel;
    defaults_->setBool(kShowsLabelKey, panel.showsLabel);
    defaults_->setString(kLabelLengthKey, std::to_string(panel.labelLength));
    defaults_->setBool(kNotifiesKey, panel.notifies);
    changes_.notify(UIProperty::panel);
}

}  // namespace cadro
