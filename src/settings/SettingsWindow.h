#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/base/Calendar.h"
#include "core/base/Clock.h"
#include "core/base/Observable.h"
#include "core/settings/UIState.h"
#include "core/shortcuts/ShortcutSettings.h"
#include "core/store/ThreadStore.h"
#endif

#include <QPointer>
#include <QWidget>

#include <optional>
#include <set>
#include <string>

class QDialog;
class QTabWidget;
class QTimer;

namespace cadro {

class BrainDumpTab;
class NowBar;
class ShortcutsTab;
class ThreadListTab;
class TodoTab;

/// The settings window: the now strip over six tabs, and the one place that
/// presents and dismisses the sheets named by `UIState::sheet`. It redraws
/// from the store, the shortcut settings and the UI state on a later pass of
/// the event loop after they change. Closing it only hides it.
class SettingsWindow : public QWidget {
    Q_OBJECT
  public:
    SettingsWindow(ThreadStore& store, ShortcutSettings& shortcuts, UIState& ui,
                   const Calendar& calendar, const Clock& clock, QWidget* parent = nullptr);
    ~SettingsWindow() override;

    /// Shows the window (centred the first time), raises and activates it.
    void showAndRaise();
    /// True while a sheet is attached to the window.
    bool hasSheet() const;
    /// The sheet dialog showing, if any.
    QDialog* sheetDialog() const { return sheet_; }
    /// Redraws at once instead of on the next pass of the event loop.
    void refreshNow();
    /// Shows on the Shortcuts tab which combos the desktop refused to grab.
    void setRefusedShortcuts(const std::set<HotKeyAction>& refused);
    /// The keys the desktop assigned to the commands, where it assigns them.
    void setDesktopShortcuts(const std::map<HotKeyAction, QString>& triggers);
    /// Ctrl+Z and Ctrl+Shift+Z run these where focus is not in a text field
    /// (a field keeps the keys for its own text).
    void setUndoActions(const std::function<void()>& undo, const std::function<void()>& redo);

  signals:
    /// The user closed the window (it is being hidden).
    void aboutToClose();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void scheduleRefresh();
    void syncTab();
    void syncSheet();
    QDialog* makeSheet(const SettingsSheet& sheet);

    ThreadStore& store_;
    ShortcutSettings& shortcuts_;
    UIState& ui_;
    const Calendar& calendar_;
    const Clock& clock_;

    NowBar* nowBar_;
    QTabWidget* tabs_;
    ThreadListTab* lists_[3] = {};
    TodoTab* todoTab_ = nullptr;
    BrainDumpTab* brainDump_;
    ShortcutsTab* shortcutsTab_;
    QPointer<QDialog> sheet_;
    std::string sheetIdentity_;
    // Writes what was typed a moment ago, a second after the first keystroke.
    QTimer* saveTimer_;
    bool refreshQueued_ = false;
    bool shownOnce_ = false;
    Subscription storeSubscription_;
    Subscription uiSubscription_;
    Subscription shortcutsSubscription_;
};

}  // namespace cadro
