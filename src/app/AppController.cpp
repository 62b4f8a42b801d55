#include "app/AppController.h"

#include "app/Alerts.h"
#include "app/CaptureStage.h"
#include "app/MenuRenderer.h"
#include "app/MinuteTimer.h"
#include "app/QuitKey.h"
#include "app/TextPrompt.h"
#include "app/tray/DesktopNotifications.h"
#include "app/tray/TrayPresence.h"
#include "core/actions/Actions.h"
#include "core/base/XdgFolders.h"
#include "core/demo/DemoFixtures.h"
#include "core/menu/StatusMenu.h"
#include "core/schedule/ScheduleLabels.h"
#include "core/shortcuts/KeyNotation.h"
#include "core/status/StatusTitle.h"
#include "core/store/ConflictCopies.h"
#include "core/store/DataLocation.h"
#include "core/store/StoreFormat.h"
#include "core/updates/AppVersion.h"
#include "gui/HexColor.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/FileWatcher.h"
#include "platform/linux/SocketFolder.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/portal/PortalHotKeyBackend.h"
#include "platform/x11/X11HotKeyBackend.h"
#include "settings/SettingsWindow.h"
#include "settings/WelcomeWindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace cadro {
namespace {

// While saving fails, how often to try again.
constexpr int kSaveRetryMilliseconds = 5'000;

// A plain GET of the feed through Qt; the body is handed back on the main
// thread. Bodies larger than the checker accepts are cut off early.
FeedTransport qtTransport(QObject* owner) {
    auto* network = new QNetworkAccessManager(owner);
    return [network](const std::string& url, FetchCompletion done) {
        QNetworkReply* reply = network->get(QNetworkRequest(QUrl(QString::fromStdString(url))));
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                         [reply](qint64 received, qint64) {
                             if (received > static_cast<qint64>(UpdateChecker::kMaxFeedBytes))
                                 reply->abort();
                         });
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done] {
            reply->deleteLater();
            if (reply->error() != QNetworkReply::NoError) {
                done(FetchResult::failure(reply->errorString().toStdString()));
                return;
            }
            done(FetchResult::success(reply->readAll().toStdString()));
        });
    };
}

MenuAction menuActionFor(HotKeyAction action) {
    switch (action) {
        case HotKeyAction::next:
            return MenuAction::next;
        case HotKeyAction::nextWithNewTask:
            return MenuAction::nextWithNewTask;
        case HotKeyAction::nextTypedTask:
            return MenuAction::nextTypedTask;
        case HotKeyAction::snooze:
            return MenuAction::snoozeDefault;
    }
    return MenuAction::next;
}

}  // namespace

AppController::AppController(AppEnvironment environment, DefaultsProvider& defaultsProvider)
    : environment_(std::move(environment)), defaultsProvider_(defaultsProvider) {
    // A signal ends the app the way Quit does, from the first moment on.
    signals_ = std::make_unique<TerminationSignals>();
    if (signals_->fd() >= 0) {
        auto* notifier = new QSocketNotifier(signals_->fd(), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            signals_->acknowledge();
            QApplication::quit();
        });
    }
    // The store lock and the socket come before the store is loaded, so that
    // no command can write the file between our reading and our first save.
    // A demo (or a tour in a sandbox) runs beside the user's tray app, on a
    // socket of its own, so `cadro` commands keep going to the user's.
    const bool beside = environment_.sandbox.has_value();
    server_ =
        new TrayServer([this](const std::vector<std::string>& args, const std::string& id,
                              const std::string* input) { return runCommand(args, id, input); },
                       beside ? demoSocketPath() : socketPath(), this);
    // The lock stays in this machine's own folder when the data is in a synced one.
    claim_ = server_->takeOver(environment_.dataDirectory.value_or(machineFolder()), !beside);
    if (claim_.broughtForward)
        return;  // the running app shows itself; this one ends

    calendar_ = Calendar::current();
    // A tour of the demo tells the same times whenever it runs; one of the
    // user's own data keeps their clock.
    if (environment_.captureDirectory && environment_.sandbox && !environment_.storeCopiedFrom)
        tourClock_ = std::make_unique<ManualClock>(ScreenshotTour::demoMoment(*calendar_));
    environment_.copyStoreIntoSandbox();
    StoreDependencies deps;
    deps.clock = &clock();
    deps.calendar = calendar_.get();
    deps.writesFile = claim_.holdsStore;
    deps.machine = environment_.sandbox ? "demo" : machineName();
    store_ = std::make_unique<ThreadStore>(environment_.dataDirectory, deps);
    launchAtLogin_ =
        makeLaunchAtLogin(environment_.launchAgentsDirectory, executablePath().string());
    updates_ = std::make_unique<UpdateChecker>(ReleaseConfig::feedURL(), AppVersion::current(),
                                               environment_.defaults, clock(), qtTransport(this));
    shortcuts_ = std::make_unique<ShortcutSettings>(environment_.defaults);
    ui_ = std::make_unique<UIState>(environment_.defaults);
    commands_ = std::make_unique<Commands>(*store_, *ui_, clock(), *calendar_, *this,
                                           updates_.get(), launchAtLogin_.get());
    if (environment_.seedsSampleData && claim_.holdsStore) {
        DemoFixtures::populate(*store_, clock().now(), *calendar_);
    }
    // The sample data is where a demo starts, not a change to take back.
    undo_ = std::make_unique<StoreUndo>(*store_, StoreUndo::fileIn(environment_.stateDirectory),
                                        claim_.holdsStore);
    commands_->setUndo(undo_.get());
}

AppController::~AppController() = default;

bool AppController::start() {
    if (claim_.broughtForward)
        return false;
    if (!claim_.holdsStore) {
        std::fprintf(stderr, "cadro-tray: %s\n", claim_.problem.c_str());
        QMessageBox::critical(nullptr, "Cadro cannot start",
                              QString::fromStdString(claim_.problem));
        return false;
    }
    // The newest tray app wins: it told the older one to end before it took
    // the store; this one ends in turn when a newer one starts.
    connect(server_, &TrayServer::stepAsideRequested, this, [this] {
        isSteppingAside_ = true;
        store_->stopWriting();  // the newer app owns the file now
        minuteTimer_->stop();
        saveRetry_->stop();
        if (screenshotTour_ && !screenshotTour_->isFinished()) {
            std::fprintf(stderr, "cadro-tray: screenshots: stopped, a newer Cadro started\n");
            QApplication::exit(1);
            return;
        }
        QApplication::quit();
    });
    // Started again from the launcher: what the user wants is a window.
    connect(server_, &TrayServer::showRequested, this, [this] {
        if (welcomeWindow_) {
            welcomeWindow_->show();
            welcomeWindow_->raise();
            welcomeWindow_->activateWindow();
        } else {
            openSettingsWindow();
        }
    });
    server_->setKeptChanges([this]() -> std::string {
        if (store_->save())  // typing not yet written goes too
            return {};
        return "The running Cadro keeps changes it cannot save yet (" +
               store_->file().saveProblem() +
               "), so it stays until they are saved. Make room (or fix the problem), then "
               "start Cadro again.";
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { shutDown(); });
    if (!claim_.problem.empty()) {
        std::fprintf(stderr, "cadro-tray: %s\n", claim_.problem.c_str());
        showMessage(claim_.listening ? "Cadro listens in a folder of its own"
                                     : "Cadro commands cannot reach Cadro",
                    QString::fromStdString(claim_.problem));
    }
    watchStoreFile();
    saveRetry_ = new QTimer(this);
    saveRetry_->setInterval(kSaveRetryMilliseconds);
    connect(saveRetry_, &QTimer::timeout, this, [this] { checkSaved(store_->save()); });
    if (store_->file().health() == StoreFile::Health::unreadable) {
        reportDiskChange(ThreadStore::DiskChange::damaged);
    } else if (!store_->file().loadProblem().empty()) {
        shownLoadProblem_ = store_->file().loadProblem();
        showMessage(
            "Cadro could not read your data",
            QString::fromStdString(shownLoadProblem_ +
                                   ". It is kept beside the file as threads.json.corrupt-*; "
                                   "Cadro started afresh."));
    }
    qApp->installEventFilter(new QuitKey([] { QApplication::quit(); }, this));

    // Keep the login item pointing at this executable.
    launchAtLogin_->refresh();

    notices_ = std::make_unique<StoreNotices>(*store_);
    notifications_ = new DesktopNotifications(this);
    buildTray();
    subscriptions_.push_back(store_->subscribe([this](StoreProperty) { scheduleRedraw(); }));
    subscriptions_.push_back(ui_->subscribe([this](UIProperty property) {
        if (property == UIProperty::panel)
            updateStatusTitle();
    }));
    checkSaved(!store_->hasUnsavedChanges());

    // On the minute, when scheduled to-dos fall due.
    minuteTimer_ = new MinuteTimer([this] { tick(); }, this);
    minuteTimer_->start();

    updates_->checkIfDue();
    actions::processSchedules(*store_, clock().now(), true);

    hotKeyBackend_ = std::make_unique<X11HotKeyBackend>(
        [this](std::uint32_t id, HotKeyEvent event) { hotKeys_->handle(id, event); });
    hotKeys_ = std::make_unique<HotKeyManager>(*hotKeyBackend_);
    registerShortcuts();
    subscriptions_.push_back(
        shortcuts_->subscribe([this](ShortcutProperty) { registerShortcuts(); }));
    if (!hotKeyBackend_->isAvailable()) {
        PortalHotKeyBackend::probe(this, [this](bool offered) {
            if (offered) {
                usePortalShortcuts();
                return;
            }
            showNoticeOnce("notices.shortcutsUnavailable", "Global shortcuts are not available",
                           hotKeyBackend_->unavailableReason() +
                               "\n\nBind the cadro commands in your desktop's keyboard settings "
                               "instead, for example \"cadro next\" for Next, \"cadro next "
                               "--new-task\", \"cadro snooze\". Everything else in Cadro works as "
                               "usual.");
        });
    }
    if (environment_.captureDirectory)
        runScreenshotTour(*environment_.captureDirectory);
    else if (environment_.claimWelcome())
        showWelcome();
    return true;
}

void AppController::watchStoreFile() {
    storeWatcher_ = std::make_unique<FileWatcher>(store_->file().path());
    if (storeWatcher_->fd() < 0)
        return;  // every operation still checks the file before it changes anything
    auto* notifier = new QSocketNotifier(storeWatcher_->fd(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        const bool storeChanged = storeWatcher_->takeChanges();
        if (isSteppingAside_)
            return;
        if (storeChanged)
            reportDiskChange(store_->reloadIfChangedOnDisk());
        takeInConflictCopies();  // a sync tool's copy appears beside the file
    });
    takeInConflictCopies();
}

void AppController::takeInConflictCopies() {
    if (!claim_.holdsStore)
        return;
    ConflictCopiesTaken taken = cadro::takeInConflictCopies(*store_, clock().now());
    if (!taken.notes.empty() || taken.unreadable) {
        showNotice("Cadro merged your data from another machine",
                   taken.notes.empty()
                       ? "A copy from another machine did not read; it is kept in the merged "
                         "folder beside your data."
                       : "Some changes were made on both machines at once; the versions that "
                         "gave way are at the end of the brain dump.");
    }
}

void AppController::reportDiskChange(ThreadStore::DiskChange change) {
    switch (change) {
        case ThreadStore::DiskChange::none:
        case ThreadStore::DiskChange::reloaded:
            return;
        case ThreadStore::DiskChange::damaged:
            shownLoadProblem_ = store_->file().loadProblem();
            if (store_->file().health() == StoreFile::Health::unreadable) {
                showMessage("Cadro cannot read your data",
                            QString::fromStdString(
                                shownLoadProblem_ +
                                ". Cadro leaves the file as it is and saves nothing until it can "
                                "read it again: give yourself read and write access to it."));
                return;
            }
            showMessage(
                "Cadro kept your data",
                QString::fromStdString(shownLoadProblem_ +
                                       ". That version is kept beside it as "
                                       "threads.json.corrupt-*, and Cadro wrote back what it "
                                       "had."));
            return;
        case ThreadStore::DiskChange::keptAside:
            showMessage("Cadro kept your data",
                        "threads.json was changed by another program while Cadro could not save. "
                        "Cadro keeps what it has; the other version is kept beside it as "
                        "threads.json.conflict-*.");
            return;
    }
}

void AppController::checkSaved(bool saved) {
    if (saved) {
        saveRetry_->stop();
        saveProblemShown_ = false;
        return;
    }
    if (!saveRetry_->isActive())
        saveRetry_->start();
    if (saveProblemShown_)
        return;
    saveProblemShown_ = true;
    showMessage(
        "Cadro cannot save your changes",
        QString::fromStdString(store_->file().saveProblem() +
                               ".\n\nCadro keeps your changes while it runs and saves them as "
                               "soon as it can. Until then, do not quit Cadro."));
}

void AppController::buildTray() {
    menu_ = std::make_unique<QMenu>();
    connect(menu_.get(), &QMenu::aboutToShow, this, &AppController::rebuildMenu);
    TrayPresence::Hooks hooks;
    hooks.menuItems = [this] { return currentMenu(); };
    hooks.run = [this](MenuAction action, const std::string& payload) {
        runAction(action, payload);
    };
    hooks.seen = [this] { menuOpened(); };
    hooks.middleClick = [this] { runHotKey(HotKeyAction::next); };
    hooks.noTray = [this] {
        // Panels often start after the apps at login; the icon docks as soon
        // as a tray appears, so only say what to do meanwhile.
        showNotice(
            "No system tray found",
            "Cadro keeps running and shows its icon as soon as your panel has a system "
            "tray.\n\nMeanwhile use the cadro command: \"cadro status\" shows what you are on, "
            "\"cadro next\" moves on. Status bars such as waybar or polybar can show "
            "\"cadro status --watch --json\".");
    };
    tray_ = new TrayPresence(menu_.get(), std::move(hooks), this);
    updateStatusTitle();
}

void AppController::menuOpened() {
    actions::wakeDueSnoozes(*store_);
    notices_->markSeen();
    updateStatusTitle();
}

void AppController::rebuildMenu() {
    menuOpened();
    menu_->clear();
    renderMenu(menu_.get(), currentMenu(), [this](MenuAction action, const std::string& payload) {
        runAction(action, payload);
    });
}

std::vector<MenuItem> AppController::currentMenu() const {
    StatusMenuInputs inputs{*store_,    *shortcuts_,   updates_.get(),    launchAtLogin_.get(),
                            *calendar_, clock().now(), undo_->undoLabel()};
    return buildStatusMenu(inputs);
}

void AppController::updateStatusTitle() {
    StatusContent content = statusContent(*store_);
    tray_->show({QString::fromStdString(content.title.substr(1)),
                 QString::fromStdString(panelLabel(content, ui_->panel())),
                 colorFromHex(content.tintHex), notices_->needsAttention()});
}

void AppController::announceNotices() {
    for (const StoreNotice& notice : notices_->take(*store_, clock().now())) {
        if (ui_->panel().notifies)
            notify(notice);
    }
}

bool AppController::isUp(const Uuid& id, bool isTodo) const {
    return isTodo ? store_->state().currentTodoID == id
                  : !store_->state().currentTodo() && store_->state().current() &&
                        store_->state().current()->id == id;
}

void AppController::notify(const StoreNotice& notice) {
    const bool isTodo = notice.kind != StoreNotice::Kind::threadWoke;
    const QString body = notice.kind == StoreNotice::Kind::todoFired ? "A scheduled to-do is up."
                                                                     : "Back from its snooze.";
    const Uuid id = notice.id;
    notified_ = notice;
    // Only what works on it: a thread that is back can only be set aside
    // again; a to-do can be finished, up or not.
    const std::int64_t minutes = store_->state().defaultSnoozeMinutes;
    QList<DesktopNotifications::Action> actions;
    if (isTodo)
        actions.append(DesktopNotifications::Action{"done", "Done"});
    actions.append(DesktopNotifications::Action{
        "snooze", QString::fromStdString("Snooze " + durationLabel(minutes))});
    // A to-do stays in the desktop's notification history with its buttons
    // while it is up; it is taken back once handled.
    notifications_->show(
        QString::fromStdString(notice.title), body, actions,
        [this, id, isTodo, minutes](const QString& key) {
            // The notification may be older than the state: act only on what
            // it still describes.
            const Date until = clock().now() + static_cast<double>(minutes) * 60.0;
            if (key == "done" && isTodo && isUp(id, true))
                runAction(MenuAction::next);
            else if (key == "done" && isTodo)
                actions::finishTodo(*store_, id);  // gone meanwhile: nothing to do
            else if (key == "snooze")
                actions::snooze(*store_, id, until);
        },
        isTodo);
}

void AppController::withdrawHandledNotification() {
    if (notified_ && isHandled(*notified_, *store_)) {
        notified_.reset();
        notifications_->withdraw();
    }
}

void AppController::scheduleRedraw() {
    // Many changes in one pass of the event loop make one redraw.
    if (redrawPending_)
        return;
    redrawPending_ = true;
    QTimer::singleShot(0, this, [this] {
        redrawPending_ = false;
        if (isSteppingAside_)
            return;
        checkSaved(!store_->hasUnsavedChanges());
        if (store_->file().loadProblem() != shownLoadProblem_)
            reportDiskChange(ThreadStore::DiskChange::damaged);
        if (store_->file().keptAside() != shownKeptAside_) {
            shownKeptAside_ = store_->file().keptAside();
            if (!keptAsideBox_) {
                keptAsideBox_ = new QMessageBox(QMessageBox::Information, "Cadro kept your data",
                                                QString(), QMessageBox::Ok);
                keptAsideBox_->setAttribute(Qt::WA_DeleteOnClose);
                keptAsideBox_->setModal(false);
            }
            keptAsideBox_->setText(QString::fromStdString(
                "threads.json was changed by another program while Cadro saved. That version "
                "is kept beside it as " +
                shownKeptAside_ + "."));
            keptAsideBox_->show();
        }
        announceNotices();
        withdrawHandledNotification();
        updateStatusTitle();
        tray_->refreshMenu();
        server_->notifyWatchers();
    });
}

void AppController::usePortalShortcuts() {
    portalHotKeys_ = new PortalHotKeyBackend(
        [this](std::uint32_t id, HotKeyEvent event) { hotKeys_->handle(id, event); },
        [this](const std::map<std::uint32_t, QString>& triggers) {
            desktopShortcuts_.clear();
            for (const auto& [id, trigger] : triggers)
                desktopShortcuts_[*hotKeyActionFromId(id)] = trigger;
            if (settingsWindow_)
                settingsWindow_->setDesktopShortcuts(desktopShortcuts_);
        },
        this);
    hotKeys_ = std::make_unique<HotKeyManager>(*portalHotKeys_);
    registerShortcuts();
}

void AppController::registerShortcuts() {
    registerHotKeys(*hotKeys_, shortcuts_->combos(), shortcuts_->isRecording(),
                    [this](HotKeyAction action) { runHotKey(action); });
    if (settingsWindow_)
        settingsWindow_->setRefusedShortcuts(refusedShortcuts());
}

std::set<HotKeyAction> AppController::refusedShortcuts() const {
    // One registration per action, in order, unless recording paused them.
    // Where nothing can be grabbed at all, start() has said so once already.
    std::set<HotKeyAction> refused;
    if (!hotKeyBackend_->isAvailable())
        return refused;
    const auto& attempts = hotKeys_->registrations();
    for (std::size_t i = 0; i < attempts.size() && i < kAllHotKeyActions.size(); ++i) {
        if (!attempts[i])
            refused.insert(kAllHotKeyActions[i]);
    }
    return refused;
}

void AppController::runHotKey(HotKeyAction action) {
    // Never inside the key handler; a press while a prompt, an alert or a
    // settings sheet is up is dropped, not queued.
    QPointer<AppController> self(this);
    QTimer::singleShot(0, this, [self, action] {
        if (!self || !self->canPresent())
            return;
        self->runAction(menuActionFor(action));
    });
}

bool AppController::canPresent() const {
    if (QApplication::activeModalWidget())
        return false;
    return !(settingsWindow_ && settingsWindow_->hasSheet());
}

void AppController::tick() {
    if (isSteppingAside_)
        return;
    updates_->checkIfDue();
    takeInConflictCopies();
    actions::tick(*store_, clock().now(), canPresent());
    server_->notifyWatchers();  // wording such as "tomorrow" changes with the time
}

CommandLineResult AppController::runCommand(const std::vector<std::string>& args,
                                            const std::string& requestId,
                                            const std::string* input) {
    reportDiskChange(store_->reloadIfChangedOnDisk());  // a read shows an edit made just now
    CommandLineHost host{*store_,
                         clock(),
                         *calendar_,
                         ui_.get(),
                         [this] { openSettingsWindow(); },
                         [] { QTimer::singleShot(0, qApp, &QApplication::quit); },
                         requestId,
                         input,
                         undo_.get()};
    return runCommandLine(args, host);
}

void AppController::settingsWindowWillClose() {
    shortcuts_->setIsRecording(false);  // ends a recording, so the shortcuts work again
    // Closing the window after the hygiene thread's turn moves on (not when
    // it closes because a newer app took over).
    if (store_->state().currentIsHygiene() && !isSteppingAside_)
        actions::next(*store_);
}

void AppController::showMessage(const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // A note beside the other windows: it neither blocks nor takes the focus
    // from them (the welcome window may be up).
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
}

void AppController::showNotice(const QString& title, const QString& text) {
    QPointer<AppController> self(this);
    notifications_->notice(title, text, [self, title, text] {
        if (self)
            self->showMessage(title, text);
    });
}

void AppController::showNoticeOnce(const QString& key, const QString& title, const QString& text) {
    if (environment_.defaults->getBool(key.toStdString()).value_or(false))
        return;
    environment_.defaults->setBool(key.toStdString(), true);
    showNotice(title, text);
}

void AppController::shutDown() {
    if (isSteppingAside_) {
        environment_.removeSandbox();  // the newer app uses the demo defaults now
        return;
    }
    // What was typed a moment ago is written now, with anything unsaved.
    if (!store_->save())
        keepUnsavedAside();  // the user was told these changes are kept
    environment_.discardDemoData(defaultsProvider_);
}

void AppController::keepUnsavedAside() {
    const std::string name =
        "threads.unsaved-" + formatUtcTimestamp(SystemClock::instance().now(), true) + ".json";
    const std::string bytes = encodeStoreFile(store_->state());
    for (const auto& folder : {store_->file().path().parent_path(), homeDirectory(),
                               std::filesystem::temp_directory_path()}) {
        if (!writeFileAtomically(folder / name, bytes, Durability::Synced)) {
            std::fprintf(stderr,
                         "cadro-tray: your last changes could not be saved (%s); they are kept "
                         "in %s: put it in place of %s once there is room\n",
                         store_->file().saveProblem().c_str(), (folder / name).c_str(),
                         store_->file().path().c_str());
            return;
        }
    }
    std::fprintf(stderr, "cadro-tray: your last changes could not be saved (%s) and are lost\n",
                 store_->file().saveProblem().c_str());
}

void AppController::runAction(MenuAction action, const std::string& payload) {
    present(commands_->run(action, payload));
}

void AppController::present(const ActionResult& result) {
    switch (result.outcome) {
        case Outcome::done:
        case Outcome::cancelled:
            return;
        case Outcome::nothingToDo:
            QApplication::beep();
            return;
        case Outcome::refused:
            showMessage("Cadro could not do that", QString::fromStdString(result.message));
            return;
    }
}

// --- CommandUi --------------------------------------------------------------------

std::optional<std::string> AppController::askForText(const TextRequest& request) {
    TextPrompt prompt(QString::fromStdString(request.title),
                      QString::fromStdString(request.message),
                      QString::fromStdString(request.initialText));
    auto answer = prompt.present();
    if (!answer)
        return std::nullopt;
    return answer->toStdString();
}

void AppController::openSettingsWindow() {
    if (!settingsWindow_) {
        settingsWindow_ =
            std::make_unique<SettingsWindow>(*store_, *shortcuts_, *ui_, *calendar_, clock());
        connect(settingsWindow_.get(), &SettingsWindow::aboutToClose, this,
                &AppController::settingsWindowWillClose);
        settingsWindow_->setRefusedShortcuts(refusedShortcuts());
        settingsWindow_->setDesktopShortcuts(desktopShortcuts_);
        settingsWindow_->setUndoActions([this] { commands_->cmdUndo(); },
                                        [this] { commands_->cmdRedo(); });
    }
    settingsWindow_->showAndRaise();
}

void AppController::showWelcome() {
    const QString next = QString::fromStdString(comboText(shortcuts_->combo(HotKeyAction::next)));
    welcomeWindow_ = new WelcomeWindow(*launchAtLogin_, next);
    connect(welcomeWindow_, &WelcomeWindow::addThreadChosen, this, [this] {
        welcomeWindow_->deleteLater();
        if (!store_->state().sessionOpen)
            actions::startDay(*store_);
        present(commands_->cmdAdd());
    });
    connect(welcomeWindow_, &WelcomeWindow::closed, welcomeWindow_, &QObject::deleteLater);
    welcomeWindow_->show();
    welcomeWindow_->raise();
    welcomeWindow_->activateWindow();
}

void AppController::runScreenshotTour(const std::filesystem::path& directory) {
    CaptureStage::Windows windows;
    windows.showWelcome = [this]() -> QWidget* {
        showWelcome();
        return welcomeWindow_;
    };
    windows.openSettingsWindow = [this]() -> QWidget* {
        openSettingsWindow();
        return settingsWindow_.get();
    };
    windows.closeWelcome = [this] {
        if (welcomeWindow_)
            welcomeWindow_->close();
        welcomeWindow_ = nullptr;
    };
    windows.front = [this]() -> QWidget* {
        if (welcomeWindow_)
            return welcomeWindow_;
        if (!settingsWindow_)
            return nullptr;
        if (QDialog* sheet = settingsWindow_->sheetDialog())
            return sheet;
        return settingsWindow_.get();
    };
    tourStage_ = std::make_unique<CaptureStage>(std::move(windows), this);
    screenshotTour_ = std::make_unique<ScreenshotTour>(
        directory,
        ScreenshotTour::standardScenes(*tourStage_, *store_, *ui_,
                                       DemoFixtures::newTodo(clock().now())),
        *tourStage_);
    screenshotTour_->run([this](const std::vector<std::string>& problems) {
        for (const std::string& problem : problems)
            std::fprintf(stderr, "cadro-tray: screenshots: %s\n", problem.c_str());
        ui_->setSheet(std::nullopt);
        if (settingsWindow_)
            settingsWindow_->close();
        const int status = problems.empty() ? 0 : 1;
        QTimer::singleShot(500, this, [status] { QApplication::exit(status); });
    });
}

const Clock& AppController::clock() const {
    if (tourClock_)
        return *tourClock_;
    return SystemClock::instance();
}

void AppController::openUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

int AppController::showAlert(const AlertContent& alert) {
    return runAlert({alert.message, alert.informativeText, alert.buttons}).value_or(-1);
}

void AppController::quit() {
    QApplication::quit();
}

}  // namespace cadro
