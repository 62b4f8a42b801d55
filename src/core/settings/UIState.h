#pragma once

#include "core/base/Defaults.h"
#include "core/base/Observable.h"
#include "core/base/Uuid.h"
#include "core/schedule/TodoSchedule.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro {

/// The tabs of the settings window, in tab order.
enum class SettingsTab { active, parked, snoozed, todo, brainDump, shortcuts };

inline constexpr std::array<SettingsTab, 6> kAllSettingsTabs{
    SettingsTab::active, SettingsTab::parked,    SettingsTab::snoozed,
    SettingsTab::todo,   SettingsTab::brainDump, SettingsTab::shortcuts};

/// The persisted name: "active", ..., "brainDump", "shortcuts".
std::string_view rawValue(SettingsTab tab);
std::optional<SettingsTab> settingsTabFromRawValue(std::string_view text);
/// The tab's label: "Active", "Parked", "Snoozed", "To-Do", "Brain Dump", "Shortcuts".
std::string_view label(SettingsTab tab);

/// The sheet shown over the settings window. Its identity tells sheets apart:
/// a sheet for another id is another sheet, shown afresh.
struct SettingsSheet {
    enum class Kind { snooze, snoozeTodo, scheduleTodo, editSteps, add, addTodo };

    Kind kind = Kind::add;
    /// The thread or to-do the sheet is about; absent for add and addTodo.
    std::optional<Uuid> id;

    static SettingsSheet snooze(Uuid thread) { return {Kind::snooze, thread}; }
    static SettingsSheet snoozeTodo(Uuid todo) { return {Kind::snoozeTodo, todo}; }
    static SettingsSheet scheduleTodo(Uuid todo) { return {Kind::scheduleTodo, todo}; }
    static SettingsSheet editSteps(Uuid thread) { return {Kind::editSteps, thread}; }
    static SettingsSheet add() { return {Kind::add, std::nullopt}; }
    static SettingsSheet addTodo() { return {Kind::addTodo, std::nullopt}; }

    /// "snooze-<ID>", "snooze-todo-<ID>", "schedule-todo-<ID>", "steps-<ID>",
    /// "add", "add-todo", with the id in upper-case hyphenated form.
    std::string identity() const;

    friend bool operator==(const SettingsSheet&, const SettingsSheet&) = default;
};

/// What the add-thread sheet starts from.
struct ThreadPrefill {
    std::string title;
    std::string step;
    std::vector<std::string> nextSteps;
    /// "#" and six hex digits.
    std::string colorHex;

    friend bool operator==(const ThreadPrefill&, const ThreadPrefill&) = default;
};

/// What the add-to-do sheet starts from.
struct TodoPrefill {
    std::string title;
    /// Estimate in minutes; 0 means none.
    std::int64_t minutes = 0;
    TodoSchedule schedule;

    friend bool operator==(const TodoPrefill&, const TodoPrefill&) = default;
};

/// How Cadro shows itself in the panel besides its icon.
struct PanelPreferences {
    static constexpr std::size_t kShortestLabel = 8;
    static constexpr std::size_t kLongestLabel = 60;

    /// The status title as a text label beside the icon, where the panel shows labels.
    bool showsLabel = true;
    /// Longer titles are cut to this many characters, with an ellipsis.
    std::size_t labelLength = 30;
    /// A desktop notification when a scheduled to-do comes up or a snooze ends.
    bool notifies = true;

    friend bool operator==(const PanelPreferences&, const PanelPreferences&) = default;
};

/// The published properties of UIState.
enum class UIProperty { sheet, selectedTab, panel };

/// State shared by the controller and the settings window, so the controller
/// can open the window on a tab or with a sheet already up. The selected tab
/// survives restarts under "settings.selectedTab".
class UIState {
  public:
    static constexpr std::string_view kSelectedTabKey = "settings.selectedTab";

    /// Starts on the stored tab; a missing or unknown value gives Active.
    explicit UIState(std::shared_ptr<Defaults> defaults);

    const std::optional<SettingsSheet>& sheet() const { return sheet_; }
    /// A sheet presents it; nullopt dismisses the one showing.
    void setSheet(std::optional<SettingsSheet> sheet);

    SettingsTab selectedTab() const { return selectedTab_; }
    /// Stores the tab at once, on every call.
    void setSelectedTab(SettingsTab tab);

    const PanelPreferences& panel() const { return panel_; }
    /// Stores the preferences (the length kept within its bounds) and publishes them.
    void setPanel(PanelPreferences panel);

    /// Not published: read by the add sheets when they appear. Nothing clears them.
    std::optional<ThreadPrefill> addThreadPrefill;
    std::optional<TodoPrefill> addTodoPrefill;

    const std::shared_ptr<Defaults>& defaults() const { return defaults_; }

    [[nodiscard]] Subscription subscribe(std::function<void(UIProperty)> observer) {
        return changes_.subscribe(std::move(observer));
    }

  private:
    std::shared_ptr<Defaults> defaults_;
    std::optional<SettingsSheet> sheet_;
    SettingsTab selectedTab_ = SettingsTab::active;
    PanelPreferences panel_;
    Observable<UIProperty> changes_;
};

}  // namespace cadro
