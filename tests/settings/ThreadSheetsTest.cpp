#include "SettingsFixture.h"

#include "settings/Controls.h"
#include "settings/Sheets.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

namespace cadro::testing {
namespace {

class ThreadSheets : public SettingsFixture {
  protected:
    QDialog* openAdd() {
        QDialog* sheet = open(SettingsSheet::add());
        EXPECT_NE(qobject_cast<AddThreadSheet*>(sheet), nullptr);
        return sheet;
    }
    const Strand* ownThread() {
        for (const Strand& s : h->active())
            if (!s.isHygiene)
                return &s;
        return nullptr;
    }
};

TEST_F(ThreadSheets, AddingAThreadKeepsWhatWasTyped) {
    QDialog* sheet = openAdd();
    in<QLineEdit>(sheet, "titleField")->setText("  Essay  ");
    in<QLineEdit>(sheet, "stepField")->setText(" write intro ");
    in<QPlainTextEdit>(sheet, "stepsEditor")->setPlainText(" outline\n\n- draft \r\nsend");
    in<QCheckBox>(sheet, "priorityCheck")->click();
    auto* spin = in<QSpinBox>(sheet, "prioritySpin");
    EXPECT_EQ(spin->value(), 1);
    spin->setValue(25);
    EXPECT_EQ(spin->value(), 20);
    spin->setValue(3);
    in<QCheckBox>(sheet, "colorCheck")->click();
    in<QPushButton>(sheet, "addButton")->click();
    settle();

    const Strand* added = ownThread();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->title, "Essay");
    EXPECT_EQ(added->step, " write intro ");
    EXPECT_EQ(added->nextSteps, (std::vector<std::string>{"outline", "- draft", "send"}));
    EXPECT_EQ(added->priority, 3);
    EXPECT_EQ(added->colorHex, hexOf(systemBlue()));
    EXPECT_FALSE(added->isHygiene);
    EXPECT_EQ(added->createdAt, h.clock.now());
    EXPECT_FALSE(window.hasSheet());
}

TEST_F(ThreadSheets, PrefillFillsTheSheetButNotThePriority) {
    ui.addThreadPrefill = ThreadPrefill{"Essay", "intro", {"a", "b"}, "not a colour"};
    QDialog* sheet = openAdd();
    EXPECT_EQ(in<QLineEdit>(sheet, "titleField")->text(), "Essay");
    EXPECT_EQ(in<QPlainTextEdit>(sheet, "stepsEditor")->toPlainText(), "a\nb");
    EXPECT_TRUE(in<QCheckBox>(sheet, "colorCheck")->isChecked());
    EXPECT_FALSE(in<QCheckBox>(sheet, "priorityCheck")->isChecked());
    in<QPushButton>(sheet, "addButton")->click();
    ASSERT_NE(ownThread(), nullptr);
    EXPECT_EQ(ownThread()->colorHex, hexOf(systemBlue()));
    EXPECT_EQ(ownThread()->step, "intro");

    ui.addThreadPrefill->colorHex = "#D946EF";
    sheet = openAdd();
    EXPECT_EQ(in<ColorWell>(sheet, "colorWell")->color(), QColor("#D946EF"));
}

TEST_F(ThreadSheets, EditingTheNextSteps) {
    Uuid id = h.addThread("Essay");
    h->setNextSteps(id, {"outline"});
    QDialog* sheet = open(SettingsSheet::editSteps(id));
    ASSERT_NE(sheet, nullptr);
    auto* editor = in<QPlainTextEdit>(sheet, "stepsEditor");
    EXPECT_EQ(editor->toPlainText(), "outline");
    editor->setPlainText("outline\n  draft\n");
    in<QPushButton>(sheet, "saveButton")->click();
    EXPECT_EQ(h->strand(id)->nextSteps, (std::vector<std::string>{"outline", "draft"}));
    EXPECT_FALSE(window.hasSheet());
}

TEST_F(ThreadSheets, ASnoozeSheetPerThreadStartsAnHourAhead) {
    auto* unknown = qobject_cast<SnoozeSheet*>(open(SettingsSheet::snooze(Uuid::random())));
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(unknown->heading(), QString::fromUtf8("Snooze “thread”"));
    in<QDateTimeEdit>(unknown, "wakeAt")->setDateTime(toQDateTime(h.clock.now() + 7200));

    // Another id is another sheet, starting afresh.
    const Uuid id = h.addThread("Essay");
    auto* sheet = qobject_cast<SnoozeSheet*>(open(SettingsSheet::snooze(id)));
    ASSERT_NE(sheet, nullptr);
    EXPECT_NE(sheet, unknown);
    EXPECT_EQ(sheet->heading(), QString::fromUtf8("Snooze “Essay”"));
    auto* date = in<QDateTimeEdit>(sheet, "wakeAt");
    EXPECT_EQ(date->dateTime(), toQDateTime(h.clock.now() + 3600));
    EXPECT_EQ(date->minimumDateTime(), toQDateTime(h.clock.now()));
    in<QPushButton>(sheet, "snoozeButton")->click();
    EXPECT_EQ(h->kindOf(id), ThreadKind::snoozed);
    EXPECT_NEAR(*h->strand(id)->snoozedUntil - (h.clock.now() + 3600), 0, 1);
    EXPECT_FALSE(window.hasSheet());
}

}  // namespace
}  // namespace cadro::testing
