#include "settings/SettingsWindow.h"

#include "core/actions/Actions.h"
#include "gui/BrandColor.h"
#include "settings/BrainDumpTab.h"
#include "settings/NowBar.h"
#include "settings/PanelPreferencesBox.h"
#include "settings/Sheets.h"
#include "settings/ShortcutsTab.h"
#include "settings/Style.h"
#include "settings/ThreadFields.h"
#include "settings/ThreadListTab.h"
#include "settings/TodoSheets.h"
#include "settings/TodoTab.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace cadro {
SettingsWindow::SettingsWindow(ThreadStore& store, ShortcutSettings& shortcuts, UIState& ui,
                               const Calendar& calendar, const Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store_(store),
      shortcuts_(shortcuts),
      ui_(ui),
      calendar_(calendar),
      clock_(clock),
      nowBar_(new NowBar(store, this)),
      tabs_(new QTabWidget(this)),
      brainDump_(new BrainDumpTab(store, tabs_)),
      shortcutsTab_(new ShortcutsTab(shortcuts, store, tabs_)) {
    setObjectName("settingsWindow");
    setWindowTitle("Cadro");
    setMinimumSize(480, 460);
    // Larger for a larger desktop font, as far as the screen has room.
    const QSize designed(560, 600);
    QSize size(scaled(designed.width()), scaled(designed.height()));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size.expandedTo(designed));

    // The brand accent tints the controls.
    QPalette tinted = palette();
    tinted.setColor(QPalette::Highlight, BrandColor::accent());
    tinted.setColor(QPalette::Link, BrandColor::accent());
    setPalette(tinted);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(nowBar_);
    layout->addWidget(tabs_, 1);
    tabs_->setObjectName("settingsTabs");
    tabs_->setDocumentMode(true);
    tabs_->tabBar()->setExpanding(false);

    saveTimer_ = new QTimer(this);
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(1000);
    connect(saveTimer_, &QTimer::timeout, this, [this] {
        store_.save();
        brainDump_->saved();
    });
    auto typed = [this] {
        if (!saveTimer_->isActive())
            saveTimer_->start();
    };
    brainDump_->setTyped(typed);
    const RowContext rows{&store_, &calendar_, &clock_, {}, typed};
    ThreadRow::Context context{
        rows, [this](const Uuid& id) { ui_.setSheet(SettingsSheet::editSteps(id)); }};
    context.onSnooze = [this](const Uuid& id) { ui_.setSheet(SettingsSheet::snooze(id)); };
    const ThreadKind kinds[3] = {ThreadKind::active, ThreadKind::parked, ThreadKind::snoozed};
    ThreadRow::Context noSnooze = context;
    noSnooze.onSnooze = nullptr;
    for (int i = 0; i < 3; ++i) {
        lists_[i] = new ThreadListTab(kinds[i], i == 0 ? context : noSnooze, tabs_);
        connect(lists_[i], &ThreadListTab::addThreadRequested, this,
                [this] { ui_.setSheet(SettingsSheet::add()); });
    }
    const char* names[] = {"activeTab", "parkedTab", "snoozedTab"};
    for (int i = 0; i < 3; ++i) {
        lists_[i]->setObjectName(names[i]);
        tabs_->addTab(lists_[i], QString::fromUtf8(label(kAllSettingsTabs[std::size_t(i)]).data()));
    }
    TodoRow::Context todoContext{
        rows, [this](const Uuid& id) { ui_.setSheet(SettingsSheet::scheduleTodo(id)); }};
    todoContext.onSnooze = [this](const Uuid& id) { ui_.setSheet(SettingsSheet::snoozeTodo(id)); };
    todoTab_ = new TodoTab(todoContext, tabs_);
    connect(todoTab_, &TodoTab::addTodoRequested, this,
            [this] { ui_.setSheet(SettingsSheet::addTodo()); });
    QWidget* todo = todoTab_;
    todo->setObjectName("todoTab");
    brainDump_->setObjectName("brainDumpTab");
    shortcutsTab_->setObjectName("shortcutsTab");
    shortcutsTab_->addSection(new PanelPreferencesBox(ui_, shortcutsTab_));
    // The shortcuts tab is the tallest: with a large font it scrolls.
    auto* shortcutsPage = new QScrollArea(tabs_);
    shortcutsPage->setObjectName("shortcutsPage");
    shortcutsPage->setFrameShape(QFrame::NoFrame);
    shortcutsPage->setWidgetResizable(true);
    shortcutsPage->setWidget(shortcutsTab_);
    for (QWidget* tab :
         {todo, static_cast<QWidget*>(brainDump_), static_cast<QWidget*>(shortcutsPage)}) {
        const auto index = std::size_t(tabs_->count());
        tabs_->addTab(tab, QString::fromUtf8(label(kAllSettingsTabs[index]).data()));
    }
    syncTab();
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && kAllSettingsTabs[std::size_t(index)] != ui_.selectedTab())
            ui_.setSelectedTab(kAllSettingsTabs[std::size_t(index)]);
    });

    // Ctrl+W and Escape close the window; an open sheet is a window of its own
    // and takes Escape first.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);

    storeSubscription_ = store_.subscribe([this](StoreProperty) { scheduleRefresh(); });
    shortcutsSubscription_ = shortcuts_.subscribe([this](auto) { scheduleRefresh(); });
    uiSubscription_ = ui_.subscribe([this](UIProperty property) {
        // Sheets come and go at once, so that hasSheet() answers truthfully.
        if (property == UIProperty::sheet)
            syncSheet();
        else
            syncTab();
    });
    syncSheet();
}

SettingsWindow::~SettingsWindow() {
    uiSubscription_.cancel();
    if (sheet_)
        delete sheet_;
}

void SettingsWindow::setUndoActions(const std::function<void()>& undo,
                                    const std::function<void()>& redo) {
    for (auto [keys, action] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Z), undo},
                                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), redo}}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, action);
    }
}

void SettingsWindow::showAndRaise() {
    if (!shownOnce_) {
        shownOnce_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    refreshNow();
    show();
    raise();
    activateWindow();
    if (sheet_) {
        sheet_->show();
        sheet_->raise();
    }
}

bool SettingsWindow::hasSheet() const {
    return sheet_ != nullptr;
}

void SettingsWindow::scheduleRefresh() {
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        if (refreshQueued_)
            refreshNow();
    });
}

void SettingsWindow::refreshNow() {
    refreshQueued_ = false;
    nowBar_->refresh();
    for (ThreadListTab* list : lists_)
        list->refresh();
    todoTab_->refresh();
    brainDump_->refresh();
    shortcutsTab_->refresh();
}

void SettingsWindow::setRefusedShortcuts(const std::set<HotKeyAction>& refused) {
    shortcutsTab_->setRefused(refused);
}

void SettingsWindow::setDesktopShortcuts(const std::map<HotKeyAction, QString>& triggers) {
    shortcutsTab_->setDesktopTriggers(triggers);
}

void SettingsWindow::syncTab() {
    const int index = int(ui_.selectedTab());
    if (tabs_->currentIndex() != index)
        tabs_->setCurrentIndex(index);
}

void SettingsWindow::syncSheet() {
    const std::optional<SettingsSheet>& wanted = ui_.sheet();
    const std::string identity = wanted ? wanted->identity() : std::string();
    if (sheet_ && identity == sheetIdentity_)
        return;
    if (sheet_) {
        // Replaced or dismissed from outside: close without touching the state.
        QDialog* old = sheet_;
        sheet_ = nullptr;
        old->disconnect(this);
        old->close();
        old->deleteLater();
    }
    sheetIdentity_.clear();
    if (!wanted)
        return;
    QDialog* dialog = makeSheet(*wanted);
    if (!dialog) {
        // Never leave a sheet named that nothing shows: it would block the
        // shortcuts and the scheduled to-dos for good.
        ui_.setSheet(std::nullopt);
        return;
    }
    sheet_ = dialog;
    sheetIdentity_ = identity;
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        if (sheet_ != dialog)
            return;
        sheet_ = nullptr;
        sheetIdentity_.clear();
        dialog->deleteLater();
        ui_.setSheet(std::nullopt);
    });
    if (isVisible()) {
        dialog->show();
        dialog->raise();
    }
}

QDialog* SettingsWindow::makeSheet(const SettingsSheet& sheet) {
    using Kind = SettingsSheet::Kind;
    const QDateTime now = toQDateTime(clock_.now());
    switch (sheet.kind) {
        case Kind::add:
            return new AddThreadSheet(store_, clock_, ui_.addThreadPrefill, this);
        case Kind::editSteps:
            return new EditStepsSheet(store_, *sheet.id, this);
        case Kind::snooze: {
            const std::optional<Strand> thread = store_.state().strand(*sheet.id);
            const QString title = thread ? QString::fromStdString(thread->title) : "thread";
            const Uuid id = *sheet.id;
            return new SnoozeSheet(
                title, now.addSecs(3600), now,
                [this, id](Date until) { actions::snooze(store_, id, until); }, this);
        }
        case Kind::snoozeTodo: {
            const std::optional<Todo> todo = store_.state().todo(*sheet.id);
            const QString title = todo ? QString::fromStdString(todo->title) : "to-do";
            const Uuid id = *sheet.id;
            return new SnoozeSheet(
                title, now.addSecs(3600), now,
                [this, id](Date until) { actions::snooze(store_, id, until); }, this);
        }
        case Kind::scheduleTodo:
            return new ScheduleSheet(store_, calendar_, clock_, *sheet.id, this);
        case Kind::addTodo:
            return new AddTodoSheet(store_, calendar_, clock_, ui_.addTodoPrefill, this);
    }
    return nullptr;
}

void SettingsWindow::changeEvent(QEvent* event) {
    // Back from another editor: show what it did to the linked file.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        tabs_->currentWidget() == brainDump_) {
        brainDump_->reloadFromFile();
    }
    QWidget::changeEvent(event);
}

void SettingsWindow::hideEvent(QHideEvent* event) {
    saveTimer_->stop();
    store_.save();  // closing the window writes what was just typed
    brainDump_->saved();
    QWidget::hideEvent(event);
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    NearbyColorPanel::close();
    emit aboutToClose();
    QWidget::closeEvent(event);
}

}  // namespace cadro
