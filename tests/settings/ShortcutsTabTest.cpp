#include "SettingsFixture.h"

#include "settings/PanelPreferencesBox.h"
#include "settings/ShortcutsTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

namespace cadro::testing {
namespace {

constexpr auto kCtrlAltSuper = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

class ShortcutsTabTest : public SettingsFixture {
  protected:
    ShortcutsTabTest() { ui.setSelectedTab(SettingsTab::shortcuts); }
    ShortcutsTab* tab() { return window.findChild<ShortcutsTab*>("shortcutsTab"); }
    ShortcutRow* row(HotKeyAction action) { return tab()->row(action); }
    QString detail(HotKeyAction action) {
        return row(action)->findChild<QLabel*>("shortcutDetail")->text();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = kCtrlAltSuper) {
        QTest::keyClick(&window, key, modifiers);
        settle();
    }
};

TEST_F(ShortcutsTabTest, RecordingTakesTheNextComboAndSavesIt) {
    QPushButton* keys = row(HotKeyAction::next)->keysButton();
    keys->click();
    EXPECT_TRUE(row(HotKeyAction::next)->isRecording());
    EXPECT_TRUE(shortcuts.isRecording());

    // Modifiers pressed on their own are part of typing the combo, not an answer.
    press(Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(row(HotKeyAction::next)->problem().isEmpty());

    press(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(row(HotKeyAction::next)->isRecording());
    EXPECT_FALSE(shortcuts.isRecording());
    EXPECT_EQ(shortcuts.combo(HotKeyAction::next), (KeyCombo{38, 0x1200, "J"}));
    EXPECT_EQ(keys->accessibleName(), "Ctrl+Shift+J");
    EXPECT_TRUE(in<QPushButton>(tab(), "resetShortcutsButton")->isEnabled());

    in<QPushButton>(tab(), "resetShortcutsButton")->click();
    settle();
    EXPECT_TRUE(shortcuts.isAllDefault());
    EXPECT_FALSE(in<QPushButton>(tab(), "resetShortcutsButton")->isEnabled());
}

TEST_F(ShortcutsTabTest, RejectedCombosKeepRecordingWithTheirMessageUntilAnAnswerOrACancel) {
    row(HotKeyAction::next)->keysButton()->click();

    press(Qt::Key_M);
    EXPECT_EQ(detail(HotKeyAction::next),
              "Ctrl+Alt+Super+M is already used for Next with New Task.");
    EXPECT_TRUE(row(HotKeyAction::next)->isRecording());

    press(Qt::Key_K, Qt::ShiftModifier);
    EXPECT_EQ(detail(HotKeyAction::next),
              "Include Super, Alt or Ctrl so the shortcut doesn't get in the way of typing.");

    // The row's own combo is no conflict.
    press(Qt::Key_N);
    EXPECT_FALSE(row(HotKeyAction::next)->isRecording());
    EXPECT_EQ(detail(HotKeyAction::next), "Move on to the next thread.");
    EXPECT_TRUE(shortcuts.isAllDefault());

    // Escape, a click elsewhere or the window closing cancel.
    row(HotKeyAction::snooze)->keysButton()->click();
    press(Qt::Key_Escape, Qt::NoModifier);
    EXPECT_FALSE(row(HotKeyAction::snooze)->isRecording());
    EXPECT_TRUE(window.isVisible());  // Escape went to the recording, not the window

    // A click on another row's keys ends this recording and starts that one.
    row(HotKeyAction::snooze)->keysButton()->click();
    QTest::mouseClick(row(HotKeyAction::nextTypedTask)->keysButton(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(row(HotKeyAction::snooze)->isRecording());
    EXPECT_TRUE(row(HotKeyAction::nextTypedTask)->isRecording());

    shortcuts.setIsRecording(false);  // as closing the window does
    settle();
    EXPECT_FALSE(row(HotKeyAction::nextTypedTask)->isRecording());
    EXPECT_TRUE(shortcuts.isAllDefault());
}

TEST_F(ShortcutsTabTest, RefusedCombosSaySoAndPreferencesAreStoredAsTheyChange) {
    tab()->setRefused({HotKeyAction::snooze});
    EXPECT_TRUE(detail(HotKeyAction::snooze).startsWith("Another program already uses"));
    EXPECT_EQ(detail(HotKeyAction::next), "Move on to the next thread.");

    QComboBox* picker = tab()->snoozePicker();
    picker->activated(picker->findText("Tomorrow (24 hr)"));
    EXPECT_EQ(h->state().defaultSnoozeMinutes, 1440);
    h->setPreferences({.defaultSnoozeMinutes = 45});  // from the command line
    settle();
    EXPECT_EQ(picker->currentText(), "45 min");

    auto* box = tab()->findChild<PanelPreferencesBox*>();
    ASSERT_NE(box, nullptr);
    box->lengthField()->setValue(12);
    box->notificationsToggle()->click();
    box->labelToggle()->click();
    EXPECT_EQ(ui.panel(), (PanelPreferences{false, 12, false}));
    EXPECT_FALSE(box->lengthField()->isEnabled());
}

}  // namespace
}  // namespace cadro::testing
