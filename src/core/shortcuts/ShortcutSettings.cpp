#include "core/shortcuts/ShortcutSettings.h"

namespace cadro {

ShortcutSettings::ShortcutSettings(std::shared_ptr<Defaults> defaults)
    : defaults_(std::move(defaults)) {
    ComboMap stored;
    if (auto data = defaults_->getData(kDefaultsKey))
        stored = decode(*data);
    for (HotKeyAction action : kAllHotKeyActions) {
        auto found = stored.find(action);
        combos_[action] = found != stored.end() ? found->second : defaultCombo(action);
    }
}

ShortcutSettings::ComboMap ShortcutSettings::decode(std::string_view data) {
    ComboMap result;
    try {
        json::Value document = json::parse(data);
        if (!document.is_object())
            return {};
        for (const auto& [name, value] : document.items()) {
            // Every member must be a combo, even one we do not use.
            KeyCombo combo = json::decodeKeyCombo(value, name);
            if (auto action = hotKeyActionFromRawValue(name))
                result[*action] = std::move(combo);
        }
    } catch (const json::DecodeError&) {
        return {};
    } catch (const nlohmann::json::exception&) {
        return {};
    }
    return result;
}

std::string ShortcutSettings::encode(const ComboMap& combos) {
    json::OrderedValue document = json::OrderedValue::object();
    for (const auto& [action, combo] : combos) {
        document[std::string(rawValue(action))] = json::encode(combo);
    }
    return json::encodeCompact(document);
}

void ShortcutSettings::setCombos(ComboMap combos) {
    combos_ = std::move(combos);
    changes_.notify(ShortcutProperty::combos);
}

void ShortcutSettings::setCombo(HotKeyAction action, KeyCombo combo) {
    combos_[action] = std::move(combo);
    changes_.notify(ShortcutProperty::combos);
}

void ShortcutSettings::setIsRecording(bool recording) {
    isRecording_ = recording;
    changes_.notify(ShortcutProperty::isRecording);
}

KeyCombo ShortcutSettings::combo(HotKeyAction action) const {
    auto found = combos_.find(action);
    return found != combos_.end() ? found->second : defaultCombo(action);
}

std::optional<HotKeyAction> ShortcutSettings::action(const KeyCombo& wanted) const {
    for (HotKeyAction action : kAllHotKeyActions) {
        if (combo(action).sameKeys(wanted))
            return action;
    }
    return std::nullopt;
}

bool ShortcutSettings::isAllDefault() const {
    for (HotKeyAction action : kAllHotKeyActions) {
        if (!combo(action).sameKeys(defaultCombo(action)))
            return false;
    }
    return true;
}

void ShortcutSettings::resetAll() {
    ComboMap defaults;
    for (HotKeyAction action : kAllHotKeyActions)
        defaults[action] = defaultCombo(action);
    setCombos(std::move(defaults));
    save();
}

void ShortcutSettings::save() {
    defaults_->setData(kDefaultsKey, encode(combos_));
}

}  // namespace cadro
