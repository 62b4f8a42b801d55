#pragma once

#include "core/actions/ActionResult.h"
#include "core/autostart/LaunchAtLogin.h"
#include "core/base/Calendar.h"
#include "core/base/Clock.h"
#include "core/menu/AlertContent.h"
#include "core/menu/StatusMenu.h"
#include "core/settings/UIState.h"
#include "core/store/StoreUndo.h"
#include "core/store/ThreadStore.h"
#include "core/updates/UpdateChecker.h"

#include <optional>
#include <string>
#include <vector>

namespace cadro {

/// A one-line text question: title, explanation and the text to start from.
struct TextRequest {
    std::string title;
    std::string message;
    std::string initialText;
};

/// What the commands need from the user interface. The tray app shows real
/// windows; the command line answers from its arguments; tests record.
class CommandUi {
  public:
    virtual ~CommandUi() = default;
    /// Asks for a line of text; nothing when the user cancels.
    virtual std::optional<std::string> askForText(const TextRequest& request) = 0;
    /// Brings up the settings window on UIState's tab and sheet.
    virtual void openSettingsWindow() = 0;
    virtual void openUrl(const std::string& url) = 0;
    /// Shows the alert; returns the index of the button chosen.
    virtual int showAlert(const AlertContent& alert) = 0;
    virtual void quit() = 0;
};

/// The actions behind the status menu, the global shortcuts and the command
/// line: one implementation for all three. Each says what became of it; the
/// caller presents that (the tray beeps when there was nothing to do).
class Commands {
  public:
    Commands(ThreadStore& store, UIState& ui, const Clock& clock, const Calendar& calendar,
             CommandUi& interface, UpdateChecker* updates = nullptr,
             const LaunchAtLogin* launchAtLogin = nullptr);

    /// Runs a menu item's action with the item's represented object.
    ActionResult run(MenuAction action, const std::string& representedObject = {});

    ActionResult cmdStartDay();
    ActionResult cmdEndDay();
    ActionResult cmdOpenBrainDump();
    ActionResult cmdNext();
    ActionResult cmdNextWithNewTask();
    ActionResult cmdNextTypedTask();
    ActionResult cmdEditStep();
    ActionResult cmdAdd();
    ActionResult cmdAddTodo();
    ActionResult cmdParkCurrent();
    ActionResult cmdSnoozeDefault();
    ActionResult cmdSnoozePreset(const std::string& presetId);
    ActionResult cmdSnoozeCustom();
    ActionResult cmdUnpark(const std::string& payload);
    ActionResult cmdWake(const std::string& payload);
    ActionResult cmdDownloadUpdate();
    ActionResult cmdToggleLaunchAtLogin();
    ActionResult cmdCheckForUpdates();
    ActionResult cmdSettings();
    ActionResult cmdQuit();
    /// Takes the latest change back; nothing to do when there is none.
    ActionResult cmdUndo();
    ActionResult cmdRedo();
    void setUndo(StoreUndo* undo) { undo_ = undo; }

    /// After a Next: when the hygiene thread has come up in an open day, the
    /// settings window opens so the user can tidy up.
    void hygieneCheck();

    /// The alert for the outcome of a manual update check (nothing = failed).
    static AlertContent updateAlert(const std::optional<UpdateCheckResult>& result,
                                    const std::string& installedVersion);

  private:
    bool threadIsCurrent() const { return store_.state().current() != nullptr; }
    std::string promptTitle(const char* beginning) const;
    ActionResult nextAndCheck();
    ActionResult snoozeCurrent(Date until);

    ThreadStore& store_;
    UIState& ui_;
    const Clock& clock_;
    const Calendar& calendar_;
    CommandUi& interface_;
    UpdateChecker* updates_;
    const LaunchAtLogin* launchAtLogin_;
    StoreUndo* undo_ = nullptr;
};

}  // namespace cadro
