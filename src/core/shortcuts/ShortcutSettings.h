#pragma once

#include "core/base/Defaults.h"
#include "core/base/Observable.h"
#include "core/shortcuts/HotKeyAction.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace cadro {

/// The published properties of ShortcutSettings.
enum class ShortcutProperty { combos, isRecording };

/// The current global shortcut of every action, kept in the user defaults
/// under "shortcuts". Observers are told after each change of `combos` or
/// `isRecording`; the app re-grabs the keys on every notification.
class ShortcutSettings {
  public:
    static constexpr std::string_view kDefaultsKey = "shortcuts";
    using ComboMap = std::map<HotKeyAction, KeyCombo>;

    /// Loads the stored map. Data that is missing or does not decode as an
    /// object whose members are all valid combos counts as an empty map: one
    /// bad member discards them all. Actions without a stored combo get their
    /// default; members with other names are ignored.
    explicit ShortcutSettings(std::shared_ptr<Defaults> defaults);

    /// Always holds all four actions after construction.
    const ComboMap& combos() const { return combos_; }
    /// Replaces the map; does not save (the recorder calls save()).
    void setCombos(ComboMap combos);
    void setCombo(HotKeyAction action, KeyCombo combo);

    /// True while the settings window records a new combo; the global keys are
    /// released meanwhile.
    bool isRecording() const { return isRecording_; }
    void setIsRecording(bool recording);

    /// The action's combo, or its default if the map lacks it.
    KeyCombo combo(HotKeyAction action) const;
    /// The first action, in order, whose combo has the same key code and
    /// modifiers as `combo` (labels are not compared).
    std::optional<HotKeyAction> action(const KeyCombo& combo) const;
    /// Every action has its default key code and modifiers.
    bool isAllDefault() const;

    /// Every action back to its default, then saved.
    void resetAll();
    /// Writes the map as UTF-8 JSON data under "shortcuts".
    void save();

    [[nodiscard]] Subscription subscribe(std::function<void(ShortcutProperty)> observer) {
        return changes_.subscribe(std::move(observer));
    }

    /// The stored form of a map: {"next": {"keyCode": 45, ...}, ...}.
    static std::string encode(const ComboMap& combos);
    /// The stored members that name an action, or an empty map when the data
    /// is not an object of valid combos.
    static ComboMap decode(std::string_view data);

  private:
    std::shared_ptr<Defaults> defaults_;
    ComboMap combos_;
    bool isRecording_ = false;
    Observable<ShortcutProperty> changes_;
};

}  // namespace cadro
