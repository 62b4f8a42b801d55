#pragma once

// moc cannot read the C++20 standard headers the core pulls in, and needs
// none of the core's types.
#ifndef Q_MOC_RUN
#include "core/shortcuts/ShortcutSettings.h"
#include "core/store/ThreadStore.h"
#endif

#include <QFrame>
#include <QPushButton>
#include <QWidget>

#include <map>
#include <set>
#include <vector>

class QComboBox;
class QLabel;
class QKeyEvent;

namespace cadro {

/// One key of a combo, drawn as a small key; the accent keycap (the key
/// itself, after the modifiers) draws its text in the brand accent.
class Keycap : public QWidget {
  public:
    Keycap(const QString& symbol, bool isAccent, QWidget* parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString symbol_;
    bool isAccent_;
};

/// One command with its shortcut. Clicking the keys records a new combo: the
/// next key press with Ctrl, Alt or Super becomes the shortcut, unless another
/// command uses it. Escape, a click anywhere or leaving the app cancels.
/// While a row records, the global shortcuts are released.
class ShortcutRow : public QFrame {
    Q_OBJECT
  public:
    ShortcutRow(HotKeyAction action, ShortcutSettings& shortcuts, QWidget* parent = nullptr);
    ~ShortcutRow() override;

    void startRecording();
    void stopRecording();
    bool isRecording() const { return isRecording_; }
    /// The last rejection, shown in place of the help text; empty when none.
    QString problem() const { return problem_; }
    /// The desktop refused to grab this row's combo (another program has it).
    void setRefused(bool refused);
    /// The keys the desktop assigned to the command (through its shortcuts
    /// portal), shown under the row; empty when we grab the keys ourselves.
    void setDesktopTrigger(const QString& trigger);
    /// Redraws the keys from the settings; ends a recording that the shared
    /// flag ended elsewhere.
    void refresh();
    QPushButton* keysButton() const { return keys_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Stops recording without redrawing (the row may be going away).
    void endRecording();
    void record(const QKeyEvent& event);
    void showDetail();

    HotKeyAction action_;
    ShortcutSettings& shortcuts_;
    bool isRecording_ = false;
    bool isRefused_ = false;
    QString desktopTrigger_;
    QString problem_;
    QLabel* detail_;
    QPushButton* keys_;
    QMetaObject::Connection appSwitch_;
};

/// The Shortcuts tab: the four shortcut rows, "Reset to Defaults", and the
/// default snooze duration.
class ShortcutsTab : public QWidget {
    Q_OBJECT
  public:
    ShortcutsTab(ShortcutSettings& shortcuts, ThreadStore& store, QWidget* parent = nullptr);

    void refresh();
    /// Shows on their rows the actions whose combos the desktop refused.
    void setRefused(const std::set<HotKeyAction>& refused);
    /// Shows on their rows the keys the desktop assigned.
    void setDesktopTriggers(const std::map<HotKeyAction, QString>& triggers);
    ShortcutRow* row(HotKeyAction action) const;
    QComboBox* snoozePicker() const { return snooze_; }
    /// Adds a section of preferences under the snooze duration.
    void addSection(QWidget* section);

  private:
    ShortcutSettings& shortcuts_;
    ThreadStore& store_;
    std::vector<ShortcutRow*> rows_;
    QPushButton* reset_;
    QComboBox* snooze_;
};

}  // namespace cadro
