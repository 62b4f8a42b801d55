#include "core/menu/Commands.h"

#include "core/actions/Actions.h"
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

ActionResult Commands::run(MenuAction action, const std::string& representedObject) {
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
        case MenuAction::undo:
            return cmdUndo();
    }
    return ActionResult::refused("unknown action");
}

void Commands::hygieneCheck() {
    if (store_.state().sessionOpen && store_.state().currentIsHygiene())
        interface_.openSettingsWindow();
}

ActionResult Commands::nextAndCheck() {
    ActionResult result = actions::next(store_);
    hygieneCheck();
    return result;
}

std::string Commands::promptTitle(const char* beginning) const {
    const Strand* thread = store_.state().current();
    return std::string(beginning) + (thread ? thread->title : std::string()) + "\xE2\x80\x9D";
}

namespace {

const char* const kNothingCurrent = "nothing is current";

}  // namespace

ActionResult Commands::cmdStartDay() {
    ActionResult result = actions::startDay(store_);
    ui_.setSelectedTab(SettingsTab::brainDump);
    interface_.openSettingsWindow();
    return result;
}

ActionResult Commands::cmdEndDay() {
    return actions::endDay(store_);
}

ActionResult Commands::cmdOpenBrainDump() {
    ui_.setSelectedTab(SettingsTab::brainDump);
    interface_.openSettingsWindow();
    return ActionResult::done();
}

ActionResult Commands::cmdNext() {
    if (!store_.state().currentTodo() && !threadIsCurrent())
        return ActionResult::nothingToDo(kNothingCurrent);
    return nextAndCheck();
}

ActionResult Commands::cmdNextWithNewTask() {
    if (store_.state().currentTodo())
        return nextAndCheck();
    if (!threadIsCurrent())
        return ActionResult::nothingToDo(kNothingCurrent);
    if (!store_.advanceCurrentStep()) {
        auto answer = interface_.askForText(
            {promptTitle("Next step for \xE2\x80\x9C"),
             "No planned steps left. Type the next one, or leave empty to clear the current step.",
             ""});
        if (!answer)
            return ActionResult::cancelled();
        actions::setCurrentStep(store_, trimWhitespaceAndNewlines(*answer));
    }
    return nextAndCheck();
}

ActionResult Commands::cmdNextTypedTask() {
    if (store_.state().currentTodo())
        return ActionResult::nothingToDo("a to-do is up");
    if (!threadIsCurrent())
        return ActionResult::nothingToDo(kNothingCurrent);
    auto answer = interface_.askForText(
        {promptTitle("New task for \xE2\x80\x9C"),
         "Type the task to switch this thread to, or leave it empty to clear it. Then Cadro "
         "moves on.",
         ""});
    if (!answer)
        return ActionResult::cancelled();
    actions::setCurrentStep(store_, trimWhitespaceAndNewlines(*answer));
    return nextAndCheck();
}

ActionResult Commands::cmdEditStep() {
    const Strand* thread = store_.state().current();
    if (!thread)
        return ActionResult::nothingToDo("no thread is current");
    auto answer = interface_.askForText(
        {promptTitle("Current step for \xE2\x80\x9C"),
         "What are you working on right now? (Stays on this thread.)", thread->step});
    if (!answer)
        return ActionResult::cancelled();
    return actions::setCurrentStep(store_, *answer);
}

ActionResult Commands::cmdAdd() {
    ui_.setSelectedTab(SettingsTab::active);
    ui_.setSheet(SettingsSheet::add());
    interface_.openSettingsWindow();
    return ActionResult::done();
}

ActionResult Commands::cmdAddTodo() {
    ui_.setSelectedTab(SettingsTab::todo);
    ui_.setSheet(SettingsSheet::addTodo());
    interface_.openSettingsWindow();
    return ActionResult::done();
}

ActionResult Commands::cmdParkCurrent() {
    const auto current = store_.state().currentID;
    if (!current)
        return ActionResult::nothingToDo("no thread is current");
    return actions::park(store_, *current);
}

ActionResult Commands::snoozeCurrent(Date until) {
    if (auto todo = store_.state().currentTodoID)
        return actions::snooze(store_, *todo, until);
    if (auto thread = store_.state().currentID)
        return actions::snooze(store_, *thread, until);
    return ActionResult::nothingToDo(kNothingCurrent);
}

ActionResult Commands::cmdSnoozeDefault() {
    return snoozeCurrent(clock_.now() +
                         static_cast<double>(store_.state().defaultSnoozeMinutes) * 60.0);
}

ActionResult Commands::cmdSnoozePreset(const std::string& presetId) {
    for (const auto& preset : allSnoozePresets()) {
        if (preset.id == presetId)
            return snoozeCurrent(preset.makeDate(clock_.now(), calendar_));
    }
    return ActionResult::refused("unknown snooze length");
}

ActionResult Commands::cmdSnoozeCustom() {
    if (const Todo* todo = store_.state().currentTodo()) {
        ui_.setSheet(SettingsSheet::snoozeTodo(todo->id));
    } else if (const Strand* thread = store_.state().current()) {
        ui_.setSheet(SettingsSheet::snooze(thread->id));
    } else {
        return ActionResult::nothingToDo(kNothingCurrent);
    }
    interface_.openSettingsWindow();
    return ActionResult::done();
}

ActionResult Commands::cmdUnpark(const std::string& payload) {
    if (auto id = uuidPayload(payload))
        return actions::unpark(store_, *id);
    return ActionResult::refused("not a thread's id");
}

ActionResult Commands::cmdWake(const std::string& payload) {
    if (auto id = uuidPayload(payload))
        return actions::wake(store_, *id);
    return ActionResult::refused("not a thread's or to-do's id");
}

ActionResult Commands::cmdDownloadUpdate() {
    if (!updates_ || !updates_->available())
        return ActionResult::nothingToDo("no update is available");
    interface_.openUrl(updates_->available()->url);
    return ActionResult::done();
}

ActionResult Commands::cmdToggleLaunchAtLogin() {
    if (!launchAtLogin_)
        return ActionResult::nothingToDo("starting at login is not available here");
    std::error_code error =
        launchAtLogin_->isEnabled() ? launchAtLogin_->disable() : launchAtLogin_->enable();
    if (error)
        return ActionResult::nothingToDo(error.message());
    return ActionResult::done();
}

ActionResult Commands::cmdCheckForUpdates() {
    if (!updates_)
        return ActionResult::nothingToDo("updates are not checked here");
    updates_->check([this](UpdateCheckOutcome outcome) {
        const std::string installed = updates_->installedVersion().value_or("");
        AlertContent alert = updateAlert(outcome.result, installed);
        int chosen = interface_.showAlert(alert);
        if (chosen == 0 && outcome.result && outcome.result->release) {
            interface_.openUrl(outcome.result->release->url);
        }
    });
    return ActionResult::done();
}

ActionResult Commands::cmdSettings() {
    interface_.openSettingsWindow();
    return ActionResult::done();
}

ActionResult Commands::cmdQuit() {
    interface_.quit();
    return ActionResult::done();
}

ActionResult Commands::cmdUndo() {
    if (!undo_ || !undo_->undo())
        return ActionResult::nothingToDo("nothing to undo");
    return ActionResult::done();
}

ActionResult Commands::cmdRedo() {
    if (!undo_ || !undo_->redo())
        return ActionResult::nothingToDo("nothing to redo");
    return ActionResult::done();
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
