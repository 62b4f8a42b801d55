#include "SettingsFixture.h"

#include "settings/Sheets.h"
#include "settings/Style.h"
#include "settings/ThreadFields.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace cadro::testing {
namespace {

class Threads : public SettingsFixture {
  protected:
    const Strand* titled(const std::string& title) {
        for (const Strand& s : h->state().active)
            if (s.title == title)
                return &s;
        return nullptr;
    }
};

TEST_F(Threads, RowEditsReachTheStore) {
    Uuid id = h.addThread("Essay");
    h->reviseThread(id, {.title = "Essay", .step = "intro"});
    ThreadRow* r = row(id);
    ASSERT_NE(r, nullptr);

    auto* priority = in<QCheckBox>(r, "priorityCheck");
    auto* spin = in<QSpinBox>(r, "prioritySpin");
    priority->click();
    EXPECT_EQ(h->state().strand(id)->priority, 1);
    spin->setValue(4);
    EXPECT_EQ(h->state().strand(id)->priority, 4);
    priority->click();
    EXPECT_EQ(h->state().strand(id)->priority, std::nullopt);

    auto* color = in<QCheckBox>(r, "colorCheck");
    color->click();
    EXPECT_EQ(h->state().strand(id)->colorHex, std::string(kDefaultThreadHex));
    color->click();
    EXPECT_EQ(h->state().strand(id)->colorHex, std::nullopt);

    // A thread's own colour and priority come back when toggled on again.
    h->reviseThread(id, {.colorHex = "#112233"});
    h->reviseThread(id, {.priority = 7});
    settle();
    EXPECT_TRUE(priority->isChecked());
    EXPECT_EQ(spin->value(), 7);
    EXPECT_EQ(in<ColorWell>(r, "colorWell")->color(), QColor("#112233"));

    auto* title = in<QLineEdit>(r, "titleField");
    title->setFocus();
    const int writes = h->file().writeCount();
    QTest::keyClicks(title, " draft");
    EXPECT_EQ(h->state().strand(id)->title, "Essay draft");
    EXPECT_EQ(h->file().writeCount(), writes);  // typing waits a moment...

    auto* step = in<QLineEdit>(r, "stepField");
    step->setFocus();  // ...but leaving the field writes it
    EXPECT_EQ(h->file().writeCount(), writes + 1);
    QTest::keyClicks(step, "!");
    settle();
    EXPECT_EQ(h->state().strand(id)->step, "intro!");
    // The row survives the redraw, so typing goes on in the same field.
    EXPECT_EQ(row(id), r);
    EXPECT_EQ(step->text(), "intro!");
    window.close();  // so does closing the window
    EXPECT_EQ(h->file().writeCount(), writes + 2);
}

TEST_F(Threads, ReorderingAndRowActionsFollowTheList) {
    const auto ids = h.openDay({"A", "B", "C"});
    ASSERT_EQ(h->state().currentID, ids[0]);
    settle();
    // Third row dropped between the first and the second.
    tab("activeTab")->list()->moveRows({2}, 1);
    ASSERT_EQ(h->state().active[1].id, ids[2]);
    h->next();
    EXPECT_EQ(h->state().currentID, ids[2]);

    const Uuid id = ids[0];
    ThreadRow* own = row(id);
    ThreadRow* builtIn = row(h->state().hygiene()->id);
    ASSERT_TRUE(own && builtIn);
    EXPECT_EQ(builtIn->findChild<QToolButton*>("removeButton"), nullptr);

    in<QToolButton>(own, "parkButton")->click();
    ASSERT_EQ(h->state().kindOf(id), ThreadKind::parked);
    ThreadRow* parked = row(id);
    ASSERT_NE(parked, nullptr);
    EXPECT_EQ(parked->findChild<QToolButton*>("snoozeButton"), nullptr);
    in<QToolButton>(parked, "unparkButton")->click();
    ASSERT_EQ(h->state().kindOf(id), ThreadKind::active);

    h->snooze(id, h.clock.now() + 86400);
    in<QToolButton>(row(id), "wakeButton")->click();
    ASSERT_EQ(h->state().kindOf(id), ThreadKind::active);

    in<QToolButton>(row(id), "removeButton")->click();
    EXPECT_EQ(h->state().kindOf(id), std::nullopt);
    EXPECT_EQ(row(id), nullptr);
}

TEST_F(Threads, AddingAThreadKeepsWhatWasTypedOrPrefilled) {
    QDialog* sheet = open(SettingsSheet::add());
    in<QLineEdit>(sheet, "titleField")->setText("  Essay  ");
    in<QLineEdit>(sheet, "stepField")->setText(" write intro ");
    in<QPlainTextEdit>(sheet, "stepsEditor")->setPlainText(" outline\n\n- draft \r\nsend");
    in<QCheckBox>(sheet, "priorityCheck")->click();
    auto* spin = in<QSpinBox>(sheet, "prioritySpin");
    EXPECT_EQ(spin->value(), 1);
    spin->setValue(3);
    in<QCheckBox>(sheet, "colorCheck")->click();
    in<QPushButton>(sheet, "addButton")->click();
    settle();

    const Strand* added = titled("Essay");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->step, " write intro ");
    EXPECT_EQ(added->nextSteps, (std::vector<std::string>{"outline", "- draft", "send"}));
    EXPECT_EQ(added->priority, 3);
    EXPECT_EQ(added->colorHex, hexOf(systemBlue()));
    EXPECT_FALSE(window.hasSheet());

    ui.addThreadPrefill = ThreadPrefill{"Taxes", "intro", {"a", "b"}, "#D946EF"};
    sheet = open(SettingsSheet::add());
    EXPECT_EQ(in<QPlainTextEdit>(sheet, "stepsEditor")->toPlainText(), "a\nb");
    EXPECT_EQ(in<ColorWell>(sheet, "colorWell")->color(), QColor("#D946EF"));
    in<QPushButton>(sheet, "addButton")->click();
    ASSERT_NE(titled("Taxes"), nullptr);
    EXPECT_EQ(titled("Taxes")->step, "intro");
}

TEST_F(Threads, SheetsOnAThreadStartFromItAndSaveToIt) {
    const Uuid id = h.addThread("Essay");
    h->reviseThread(id, {.nextSteps = std::vector<std::string>{"outline"}});
    QDialog* steps = open(SettingsSheet::editSteps(id));
    auto* editor = in<QPlainTextEdit>(steps, "stepsEditor");
    EXPECT_EQ(editor->toPlainText(), "outline");
    editor->setPlainText("outline\ndraft");
    in<QPushButton>(steps, "saveButton")->click();
    EXPECT_EQ(h->state().strand(id)->nextSteps, (std::vector<std::string>{"outline", "draft"}));
    EXPECT_FALSE(window.hasSheet());

    // A snooze sheet per thread: another id's starts afresh, an hour ahead.
    auto* unknown = qobject_cast<SnoozeSheet*>(open(SettingsSheet::snooze(Uuid::random())));
    ASSERT_NE(unknown, nullptr);
    in<QDateTimeEdit>(unknown, "wakeAt")->setDateTime(toQDateTime(h.clock.now() + 7200));
    auto* sheet = qobject_cast<SnoozeSheet*>(open(SettingsSheet::snooze(id)));
    ASSERT_NE(sheet, nullptr);
    EXPECT_NE(sheet, unknown);
    EXPECT_EQ(sheet->heading(), QString::fromUtf8("Snooze “Essay”"));
    auto* date = in<QDateTimeEdit>(sheet, "wakeAt");
    EXPECT_EQ(date->dateTime(), toQDateTime(h.clock.now() + 3600));
    EXPECT_EQ(date->minimumDateTime(), toQDateTime(h.clock.now()));
    in<QPushButton>(sheet, "snoozeButton")->click();
    EXPECT_EQ(h->state().kindOf(id), ThreadKind::snoozed);
    EXPECT_NEAR(*h->state().strand(id)->snoozedUntil - (h.clock.now() + 3600), 0, 1);
    EXPECT_FALSE(window.hasSheet());
}

}  // namespace
}  // namespace cadro::testing
