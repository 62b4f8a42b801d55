#include "core/menu/Commands.h"

#include "core/base/Utf8.h"
#include "core/schedule/SnoozePreset.h"

namespace cadro {

Commands::Commands(ThreadStore& store, UIState& ui, const Clock& clock, const Calendar& calendar,
                   CommandUi& interface, UpdateChecker* updates, const LaunchAtLogin* launchAtLogin)
    : store_(store),
      ui_(ui),
      clock_(clock),
      calendar_(calendar),
      interface_(interface),
      updates_(updates),
      launchAtLogin_(launchAtLogin) {}

void Commands::run(MenuAction action, const std::string& representedObject) {
    switch (action) {
        case MenuAction::startDay:
            return cmdStartDay();
        case MenuAction::endDay:
            return cmdEndDay();
        case MenuAction::openBrainDump:
            return cmdOpenBrainDump();
        case MenuAction::next:
            return cmdNext();
        case MenuAction::nextWithNewTask:
            return cmdNextWithNewTask();
        case MenuAction::nextTypedTask:
            return cmdNextTypedTask();
        case MenuAction::editStep:
            return cmdEditStep();
        case MenuAction::add:
            return cmdAdd();
        case MenuAction::addTodo:
            return cmdAddTodo();
        case MenuAction::parkCurrent:
            return cmdParkCurrent();
        case MenuAction::snoozeDefault:
            return cmdSnoozeDefault();
        case MenuAction::snoozePreset:
            return cmdSnoozePreset(representedObject);
        case MenuAction::snoozeCustom:
            return cmdSnoozeCustom();
        case MenuAction::unpark:
            return cmdUnpark(representedObject);
        case MenuAction::wake:
            return cmdWake(representedObject);
        case MenuAction::downloadUpdate:
            return cmdDownloadUpdate();
        case MenuAction::toggleLaunchAtLogin:
            return cmdToggleLaunchAtLogin();
        case MenuAction::checkForUpdates:
            return cmdCheckForUpdates();
        case MenuAction::settings:
            return cmdSettings();
        case MenuAction::quit:
            return cmdQuit();
    }
}

void Commands::hygieneCheck() {
    if (store_.state().sessionOpen && store_.state().currentIsHygiene())
        interface_.openSettingsWindow();
}

void Commands::nextAndCheck() {
    store_.next();
    hygieneCheck();
}

std::string Commands::promptTitle(const char* beginning) const {
    const Strand* thread = store_.state().current();
    return std::string(beginning) + (thread ? thread->title : std::string()) + "\xE2\x80\x9D";
}

void Commands::cmdStartDay() {
    store_.startDay();
    ui_.setSelectedTab(SettingsTab::brainDump);
    interface_.openSettingsWindow();
}

void Commands::cmdEndDay() {
    store_.endDay();
}

void Commands::cmdOpenBrainDump() {
    ui_.setSelectedTab(SettingsTab::brainDump);
    interface_.openSettingsWindow();
}

void Commands::cmdNext() {
    if (!store_.state().currentTodo() && !threadIsCurrent()) {
        interface_.beep();
        return;
    }
    nextAndCheck();
}

void Commands::cmdNextWithNewTask() {
    if (store_.state().currentTodo()) {
        nextAndCheck();
        return;
    }
    if (!threadIsCurrent()) {
        interface_.beep();
        return;
    }
    if (!store_.advanceCurrentStep()) {
        auto answer = interface_.askForText(
            {promptTitle("Next step for \xE2\x80\x9C"),
             "No planned steps left. Type the next one, or leave empty to clear the current step.",
             ""});
        if (!answer)
            return;
        setCurrentStep(store_, trimWhitespaceAndNewlines(*answer));
    }
    nextAndCheck();
}

void Commands::cmdNextTypedTask() {
    if (store_.state().currentTodo() || !threadIsCurrent()) {
        interface_.beep();
        return;
    }
    auto answer = interface_.askForText(
        {promptTitle("New task for \xE2\x80\x9C"),
         "Type the task to switch this thread to, or leave it empty to clear it. Then Cadro "
         "moves on.",
         ""});
    if (!answer)
        return;
    setCurrentStep(store_, trimWhitespaceAndNewlines(*answer));
    nextAndCheck();
}

void Commands::cmdEditStep() {
    const Strand* thread = store_.state().current();
    if (!thread) {
        interface_.beep();
        return;
    }
    auto answer = interface_.askForText(
        {promptTitle("Current step for \xE2\x80\x9C"),
         "What are you working on right now? (Stays on this thread.)", thread->step});
    if (answer)
        setCurrentStep(store_, *answer);
}

void Commands::cmdAdd() {
    ui_.setSelectedTab(SettingsTab::active);
    ui_.setSheet(SettingsSheet::add());
    interface_.openSettingsWindow();
}

void Commands::cmdAddTodo() {
    ui_.setSelectedTab(SettingsTab::todo);
    ui_.setSheet(SettingsSheet::addTodo());
    interface_.openSettingsWindow();
}

void Commands::cmdParkCurrent() {
    parkCurrent(store_);
}

void Commands::cmdSnoozeDefault() {
    if (!store_.state().currentTodo() && !threadIsCurrent()) {
        interface_.beep();
        return;
    }
    store_.snoozeCurrent(clock_.now() +
                         static_cast<double>(store_.state().defaultSnoozeMinutes) * 60.0);
}

void Commands::cmdSnoozePreset(const std::string& presetId) {
    for (const auto& preset : allSnoozePresets()) {
        if (preset.id == presetId) {
            store_.snoozeCurrent(preset.makeDate(clock_.now(), calendar_));
            return;
        }
    }
}

void Commands::cmdSnoozeCustom() {
    if (const Todo* todo = store_.state().currentTodo()) {
        ui_.setSheet(SettingsSheet::snoozeTodo(todo->id));
    } else if (const Strand* thread = store_.state().current()) {
        ui_.setSheet(SettingsSheet::snooze(thread->id));
    } else {
        interface_.beep();
        return;
    }
    interface_.openSettingsWindow();
}

void Commands::cmdUnpark(const std::string& payload) {
    if (auto id = uuidPayload(payload))
        store_.unpark(*id);
}

void Commands::cmdWake(const std::string& payload) {
    if (auto id = uuidPayload(payload))
        store_.wake(*id);
}

void Commands::cmdDownloadUpdate() {
    if (updates_ && updates_->available())
        interface_.openUrl(updates_->available()->url);
}

void Commands::cmdToggleLaunchAtLogin() {
    if (!launchAtLogin_) {
        interface_.beep();
        return;
    }
    std::error_code error =
        launchAtLogin_->isEnabled() ? launchAtLogin_->disable() : launchAtLogin_->enable();
    if (error)
        interface_.beep();
}

void Commands::cmdCheckForUpdates() {
    if (!updates_)
        return;
    updates_->check([this](UpdateCheckOutcome outcome) {
        const std::string installed = updates_->installedVersion().value_or("");
        AlertContent alert = updateAlert(outcome.result, installed);
        int chosen = interface_.showAlert(alert);
        if (chosen == 0 && outcome.result && outcome.result->release) {
            interface_.openUrl(outcome.result->release->url);
        }
    });
}

void Commands::cmdSettings() {
    interface_.openSettingsWindow();
}

void Commands::cmdQuit() {
    interface_.quit();
}

AlertContent Commands::updateAlert(const std::optional<UpdateCheckResult>& result,
                                   const std::string& installedVersion) {
    if (!result)
        return {"Couldn't check for updates", "Check your connection and try again.", {}};
    if (result->release) {
        return {"Cadro " + result->release->version + " is available",
                "You have Cadro " + installedVersion + ".",
                {"Download", "Later"}};
    }
    return {"You're up to date", "Cadro " + installedVersion + " is the latest version.", {}};
}

}  // namespace cadro
