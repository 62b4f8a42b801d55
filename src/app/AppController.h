#pragma once

#include "app/QSettingsDefaults.h"
#include "app/TrayServer.h"
#include "core/autostart/LaunchAtLogin.h"
#include "core/base/Calendar.h"
#include "core/cli/CommandLine.h"
#include "core/demo/ScreenshotTour.h"
#include "core/environment/AppEnvironment.h"
#include "core/menu/Commands.h"
#include "core/menu/StatusMenu.h"
#include "core/settings/UIState.h"
#include "core/shortcuts/HotKeyManager.h"
#include "core/shortcuts/ShortcutSettings.h"
#include "core/status/StoreNotices.h"
#include "core/store/StoreUndo.h"
#include "core/store/ThreadStore.h"
#include "core/updates/UpdateChecker.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <set>

class QMenu;
class QTimer;
class QWidget;

namespace cadro {

class CaptureStage;
class MinuteTimer;
class DesktopNotifications;
class PortalHotKeyBackend;
class FileWatcher;
class SettingsWindow;
class TerminationSignals;
class TrayPresence;
class WelcomeWindow;
class X11HotKeyBackend;

/// The tray application: owns the store and every long-lived object for the
/// life of the process, draws the tray icon and its menu, runs the
/// housekeeping tick, the global shortcuts and the commands sent by `cadro`.
class AppController : public QObject, public CommandUi {
  public:
    AppController(AppEnvironment environment, DefaultsProvider& defaultsProvider);
    ~AppController() override;

    /// The start-up sequence, once the event loop runs. False when this
    /// process must end without running: another app holds the user's data
    /// and does not let go, or the same build already runs and was brought
    /// forward (see broughtForward).
    bool start();
    /// This build already ran and shows its window now; nothing went wrong.
    bool broughtForward() const { return claim_.broughtForward; }

    ThreadStore& store() { return *store_; }
    UIState& ui() { return *ui_; }
    ShortcutSettings& shortcuts() { return *shortcuts_; }
    const Calendar& calendar() const { return *calendar_; }

    /// One housekeeping pass: update check if due, wake snoozes, fire and
    /// present scheduled to-dos (presenting waits while a modal window or a
    /// settings sheet is up).
    void tick();

    /// Runs a `cadro` command line inside the app; a request id it already
    /// carried out gets the first answer again.
    CommandLineResult runCommand(const std::vector<std::string>& args,
                                 const std::string& requestId = {},
                                 const std::string* input = nullptr);

    // What the commands ask of the user interface.
    std::optional<std::string> askForText(const TextRequest& request) override;
    void openSettingsWindow() override;
    void openUrl(const std::string& url) override;
    int showAlert(const AlertContent& alert) override;
    void quit() override;

  private:
    void buildTray();
    // Opening the menu wakes due snoozes and counts as seeing what came up.
    void menuOpened();
    void rebuildMenu();
    std::vector<MenuItem> currentMenu() const;
    void updateStatusTitle();
    // Tells the desktop what fired or woke since the last look.
    void announceNotices();
    void notify(const StoreNotice& notice);
    // Whether the thread or to-do `id` is what the user is on.
    bool isUp(const Uuid& id, bool isTodo) const;
    // What the notification announced was dealt with: it goes.
    void withdrawHandledNotification();
    void scheduleRedraw();
    void registerShortcuts();
    // The desktop's portal takes the shortcuts that X11 grabs cannot.
    void usePortalShortcuts();
    // The actions whose combos the desktop refused at the last registration.
    std::set<HotKeyAction> refusedShortcuts() const;
    void runHotKey(HotKeyAction action);
    // Runs a menu or shortcut action and shows what became of it: a beep when
    // there was nothing to do, a message when it was refused.
    void runAction(MenuAction action, const std::string& payload = {});
    void present(const ActionResult& result);
    bool canPresent() const;
    // A message that does not block the app (saving and reading problems).
    void showMessage(const QString& title, const QString& text);
    // A desktop notification; the message above where no server answers.
    void showNotice(const QString& title, const QString& text);
    void showNoticeOnce(const QString& key, const QString& title, const QString& text);
    void watchStoreFile();
    // Merges the copies a sync tool left beside the store file.
    void takeInConflictCopies();
    void reportDiskChange(ThreadStore::DiskChange change);
    // Tells the user once when saving starts failing, and retries until it
    // works again.
    void checkSaved(bool saved);
    void shutDown();
    // Writes changes that could not be saved beside the store (or wherever
    // there is room) when the app ends, and says where.
    void keepUnsavedAside();
    void settingsWindowWillClose();
    void showWelcome();
    // Photographs every window into `directory`, then ends the app; the exit
    // status says whether every picture was written.
    void runScreenshotTour(const std::filesystem::path& directory);
    // The real clock, or the fixed moment of a screenshot tour of the demo.
    const Clock& clock() const;

    AppEnvironment environment_;
    DefaultsProvider& defaultsProvider_;
    std::unique_ptr<Calendar> calendar_;
    std::unique_ptr<ThreadStore> store_;
    // After the store: it lets go of the store before the store goes.
    std::unique_ptr<StoreUndo> undo_;
    std::unique_ptr<LaunchAtLogin> launchAtLogin_;
    std::unique_ptr<UpdateChecker> updates_;
    std::unique_ptr<ShortcutSettings> shortcuts_;
    std::unique_ptr<UIState> ui_;
    std::unique_ptr<Commands> commands_;
    std::unique_ptr<X11HotKeyBackend> hotKeyBackend_;
    // Where X11 grabs do not work and the desktop offers its shortcuts portal.
    PortalHotKeyBackend* portalHotKeys_ = nullptr;
    // The keys the portal's desktop assigned, for the Shortcuts tab.
    std::map<HotKeyAction, QString> desktopShortcuts_;
    std::unique_ptr<HotKeyManager> hotKeys_;
    std::unique_ptr<TerminationSignals> signals_;
    TrayServer* server_ = nullptr;
    TrayServer::Claim claim_;
    std::unique_ptr<FileWatcher> storeWatcher_;
    QTimer* saveRetry_ = nullptr;
    bool saveProblemShown_ = false;
    std::string shownLoadProblem_;
    std::string shownKeptAside_;
    // One message for edits kept aside, however many collide.
    QPointer<QMessageBox> keptAsideBox_;
    TrayPresence* tray_ = nullptr;
    DesktopNotifications* notifications_ = nullptr;
    std::unique_ptr<StoreNotices> notices_;
    std::unique_ptr<QMenu> menu_;
    MinuteTimer* minuteTimer_ = nullptr;
    // What the shown notification announced.
    std::optional<StoreNotice> notified_;
    bool redrawPending_ = false;
    bool isSteppingAside_ = false;
    // Made on first use and then kept: closing only hides it.
    std::unique_ptr<SettingsWindow> settingsWindow_;
    // Made each time it is shown and forgotten when it closes.
    QPointer<WelcomeWindow> welcomeWindow_;
    std::vector<Subscription> subscriptions_;
    std::unique_ptr<ManualClock> tourClock_;
    std::unique_ptr<CaptureStage> tourStage_;
    std::unique_ptr<ScreenshotTour> screenshotTour_;
};

}  // namespace cadro
