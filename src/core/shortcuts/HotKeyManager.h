#pragma once

#include "core/shortcuts/HotKeyAction.h"
#include "core/shortcuts/KeyCombo.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace cadro {

/// What happened to a grabbed key.
enum class HotKeyEvent { pressed, released };

/// The system-wide key grabbing of one platform. Key codes and modifiers are
/// given as stored in combos (virtual key codes, Command/Shift/Option/Control
/// bits); the backend maps them to its own keys and reports presses and
/// releases of the ids it grabbed to whoever it was built with.
class HotKeyBackend {
  public:
    virtual ~HotKeyBackend() = default;
    /// Grabs the combo under `id`. False when the system refuses it (another
    /// program holds it, the key does not exist here, no grabbing at all).
    virtual bool grab(std::uint32_t id, std::uint32_t keyCode, std::uint32_t modifiers) = 0;
    /// Lets go of every grab.
    virtual void releaseAll() = 0;
};

/// Owns the global shortcuts: which callback each grabbed id runs, and which
/// keys are held down, so that a key held long enough to repeat runs its
/// callback once. Registrations are replaced wholesale, never edited.
/// Main thread only.
class HotKeyManager {
  public:
    using Callback = std::function<void()>;

    struct Binding {
        std::uint32_t id = 0;
        std::uint32_t keyCode = 0;
        std::uint32_t modifiers = 0;
        Callback callback;
    };

    /// `backend` must outlive the manager, which lets go of its grabs on
    /// destruction.
    explicit HotKeyManager(HotKeyBackend& backend);
    ~HotKeyManager();
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    /// Drops every registration, then registers `bindings` in order. A binding
    /// whose grab is refused stays silent; the others still register.
    void replaceAll(std::vector<Binding> bindings);
    /// Adds one registration: keeps the callback under its id, then grabs.
    /// Returns whether the grab succeeded.
    bool add(Binding binding);
    /// Releases every grab and forgets callbacks and held keys, so that a key
    /// held across a re-registration fires again on its next press.
    void unregisterAll();

    /// Called by the backend. A press of a key already held (auto-repeat) does
    /// nothing; an id without a callback is consumed without effect.
    void handle(std::uint32_t id, HotKeyEvent event);

    const std::set<std::uint32_t>& heldDown() const { return heldDown_; }
    /// One entry per registration attempt, in order: the id when it was
    /// grabbed, empty when it was refused.
    const std::vector<std::optional<std::uint32_t>>& registrations() const {
        return registrations_;
    }

  private:
    HotKeyBackend& backend_;
    std::map<std::uint32_t, Callback> actions_;
    std::set<std::uint32_t> heldDown_;
    std::vector<std::optional<std::uint32_t>> registrations_;
};

/// Registers the four actions' shortcuts afresh: drops every registration and,
/// unless `paused` (a shortcut is being recorded), registers each action in
/// order under its id with its combo from `combos`, or its default combo when
/// absent. A press runs `run` with the action.
void registerHotKeys(HotKeyManager& manager, const std::map<HotKeyAction, KeyCombo>& combos,
                     bool paused, std::function<void(HotKeyAction)> run);

}  // namespace cadro
