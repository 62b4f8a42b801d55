#include "core/shortcuts/HotKeyManager.h"

#include <utility>

namespace cadro {

HotKeyManager::HotKeyManager(HotKeyBackend& backend) : backend_(backend) {}

HotKeyManager::~HotKeyManager() {
    unregisterAll();
}

void HotKeyManager::replaceAll(std::vector<Binding> bindings) {
    unregisterAll();
    for (Binding& binding : bindings) {
        add(std::move(binding));
    }
}

bool HotKeyManager::add(Binding binding) {
    actions_[binding.id] = std::move(binding.callback);
    const bool grabbed = backend_.grab(binding.id, binding.keyCode, binding.modifiers);
    registrations_.push_back(grabbed ? std::optional(binding.id) : std::nullopt);
    return grabbed;
}

void HotKeyManager::unregisterAll() {
    backend_.releaseAll();
    registrations_.clear();
    actions_.clear();
    heldDown_.clear();
}

void HotKeyManager::handle(std::uint32_t id, HotKeyEvent event) {
    if (event == HotKeyEvent::released) {
        heldDown_.erase(id);
        return;
    }
    if (!heldDown_.insert(id).second) {
        return;
    }
    const auto found = actions_.find(id);
    if (found != actions_.end() && found->second) {
        // Copied: the callback may replace the registrations while it runs.
        const Callback callback = found->second;
        callback();
    }
}

void registerHotKeys(HotKeyManager& manager, const std::map<HotKeyAction, KeyCombo>& combos,
                     bool paused, std::function<void(HotKeyAction)> run) {
    if (paused) {
        manager.unregisterAll();
        return;
    }
    std::vector<HotKeyManager::Binding> bindings;
    for (HotKeyAction action : kAllHotKeyActions) {
        const auto found = combos.find(action);
        const KeyCombo combo = found != combos.end() ? found->second : defaultCombo(action);
        bindings.push_back(
            {hotKeyId(action), combo.keyCode, combo.modifiers, [run, action] { run(action); }});
    }
    manager.replaceAll(std::move(bindings));
}

}  // namespace cadro
