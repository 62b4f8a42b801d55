#include "SettingsFixture.h"

#include "core/schedule/ScheduleLabels.h"
#include "settings/CommonWidgets.h"
#include "settings/ScheduleFields.h"
#include "settings/TodoTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

#include <tuple>

namespace cadro::testing {
namespace {

class Todos : public SettingsFixture {
  protected:
    TodoTab* todoTab() { return window.findChild<TodoTab*>("todoTab"); }
    TodoRow* todoRow(const Uuid& id) {
        settle();
        return todoTab()->row(id);
    }
    void pickEstimate(TodoRow* row, const QString& label) {
        in<QToolButton>(row, "estimateButton")->click();
        for (QAction* action : row->estimateMenu()->actions())
            if (action->text() == label)
                action->trigger();
        row->estimateMenu()->close();
    }
    QList<QTimeEdit*> times(QDialog* sheet) { return sheet->findChildren<QTimeEdit*>("timeEdit"); }

    TodoSchedule daily() {
        return TodoSchedule{h.clock.now(), {{18, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    }
};

TEST_F(Todos, ToDosShowForTheEyeAndTheScreenReaderAndAreEditedInPlace) {
    auto* stack = todoTab()->findChild<QStackedWidget*>();
    EXPECT_EQ(stack->currentWidget(), in<QWidget>(todoTab(), "emptyState"));
    const Uuid id = *h->addTodo("Water the plants", 45, daily());
    h->snooze(id, h.clock.now() + 3600);
    TodoRow* row = todoRow(id);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(stack->currentWidget(), todoTab()->list());
    const QString label = QString::fromStdString(shortLabel(daily(), *h.calendar));
    EXPECT_EQ(in<QToolButton>(row, "scheduleButton")->text(), label);
    QListWidgetItem* item = todoTab()->list()->item(0);
    EXPECT_EQ(item->data(Qt::AccessibleTextRole).toString(), "Water the plants");
    const QString spoken = item->data(Qt::AccessibleDescriptionRole).toString();
    auto* until = in<QLabel>(row, "untilText");
    EXPECT_TRUE(spoken.contains(label) && spoken.contains(until->text())) << spoken.toStdString();

    // "Until" shows only while the snooze lies ahead.
    EXPECT_TRUE(until->isVisibleTo(row));
    h.clock.advance(7200);
    window.refreshNow();
    EXPECT_FALSE(until->isVisibleTo(row));

    EXPECT_EQ(in<QToolButton>(row, "estimateButton")->text(), "45 min");
    pickEstimate(row, "No estimate");
    EXPECT_EQ(h->state().todo(id)->estimatedMinutes, std::nullopt);
    pickEstimate(todoRow(id), "1 hr");
    EXPECT_EQ(h->state().todo(id)->estimatedMinutes, 60);

    auto* title = in<QLineEdit>(todoRow(id), "titleField");
    window.activateWindow();  // the estimate menu took it
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    title->setFocus();
    title->end(false);
    QTest::keyClicks(title, " now");
    EXPECT_EQ(h->state().todo(id)->title, "Water the plants now");

    in<QToolButton>(todoRow(id), "removeButton")->click();
    EXPECT_TRUE(h->state().todos.empty());
    EXPECT_EQ(todoRow(id), nullptr);
}

TEST_F(Todos, TheChanceControlFollowsTheStoreAndTheNowBadgeMarksOnlyWhatIsUp) {
    const Uuid todo = *h->addTodo("Renew passport");
    const Uuid other = *h->addTodo("Reply to Oren");
    auto* chance = in<QSpinBox>(todoTab(), "chanceSpin");
    chance->setValue(40);
    EXPECT_EQ(h->state().todoChancePercent, 40);
    h->setPreferences({.todoChancePercent = 100});
    settle();
    EXPECT_EQ(chance->value(), 100);

    const auto threads = h.openDay({"Essay", "Taxes"});
    auto badge = [&](QWidget* r) { return in<QLabel>(r, "nowBadge")->isVisibleTo(r); };
    EXPECT_TRUE(badge(row(threads[0])));
    EXPECT_FALSE(badge(row(threads[1])));
    h.random.values = {0.0, 0.0};
    h->next();
    ASSERT_EQ(h->state().currentTodoID, todo);
    EXPECT_TRUE(badge(todoRow(todo)));
    EXPECT_FALSE(badge(todoRow(other)));
}

TEST_F(Todos, AddingAWeeklyToDoOnTwoDaysAtTwoTimes) {
    QDialog* sheet = open(SettingsSheet::addTodo());
    in<QLineEdit>(sheet, "titleField")->setText("Stretch");
    auto* estimate = in<QComboBox>(sheet, "estimateCombo");
    estimate->setCurrentIndex(estimate->findText("15 min"));
    in<QCheckBox>(sheet, "scheduleCheck")->click();
    // Only the last time cannot be removed.
    EXPECT_EQ(sheet->findChild<QToolButton*>("removeTimeButton"), nullptr);
    for (int i = 0; i < 2; ++i)
        in<QPushButton>(sheet, "addTimeButton")->click();
    sheet->findChildren<QToolButton*>("removeTimeButton").back()->click();
    settle();
    ASSERT_EQ(times(sheet).size(), 2);
    times(sheet)[0]->setTime(QTime(17, 30));
    times(sheet)[1]->setTime(QTime(8, 0));
    in<QCheckBox>(sheet, "repeatsCheck")->click();
    // Today, a Wednesday, comes ticked; Monday and Friday instead.
    auto* wednesday = in<QToolButton>(sheet, "weekday-4");
    EXPECT_TRUE(wednesday->isChecked());
    wednesday->click();
    in<QToolButton>(sheet, "weekday-2")->click();
    in<QToolButton>(sheet, "weekday-6")->click();
    in<QPushButton>(sheet, "addButton")->click();
    settle();

    ASSERT_EQ(h->state().todos.size(), 1u);
    const Todo& added = h->state().todos[0];
    EXPECT_EQ(added.title, "Stretch");
    EXPECT_EQ(added.estimatedMinutes, 15);
    ASSERT_TRUE(added.schedule);
    EXPECT_EQ(added.schedule->times, (std::vector<TimeOfDay>{{8, 0}, {17, 30}}));
    EXPECT_EQ(added.schedule->repeatRule, (RepeatRule{1, RepeatUnit::week, {2, 6}, std::nullopt}));
    EXPECT_EQ(h.calendar->day(added.schedule->startDate), 4);
}

TEST_F(Todos, ALongTitleEndsInAnEllipsisAndShowsWholeInItsTooltip) {
    const std::string title =
        "Call the insurance about the windscreen and ask whether the excess can be waived";
    TodoRow* row = todoRow(*h->addTodo(title, std::nullopt, std::nullopt));
    ui.setSelectedTab(SettingsTab::todo);
    window.resize(window.minimumSize());
    settle();
    auto* field = in<TitleField>(row, "titleField");
    const QString shown = field->shownText();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026)) && shown.startsWith("Call the insurance"));
    // The row follows the narrower window, so the cut is where it shows.
    EXPECT_LE(row->width(), todoTab()->list()->viewport()->width());
    EXPECT_EQ(field->toolTip().toStdString(), title);
    // While being edited the whole title is there to edit.
    field->setFocus();
    EXPECT_EQ(field->shownText().toStdString(), title);
}

// The sheet grows with its fields and shrinks again as they go.
TEST_F(Todos, WeeklyOnNoWeekdayOrAPassedTimeCannotBeAddedAndTheFormSaysWhy) {
    QDialog* sheet = open(SettingsSheet::addTodo());
    auto* title = in<QLineEdit>(sheet, "titleField");
    auto* add = in<QPushButton>(sheet, "addButton");
    auto* schedule = in<QCheckBox>(sheet, "scheduleCheck");
    auto* repeats = in<QCheckBox>(sheet, "repeatsCheck");
    title->setText("Stretch");
    const int bare = sheet->height();
    schedule->click();
    const int scheduled = sheet->height();
    repeats->click();
    EXPECT_TRUE(bare < scheduled && scheduled < sheet->height());
    EXPECT_TRUE(add->isEnabled());
    auto* note = in<QLabel>(sheet, "weekdayNote");
    EXPECT_FALSE(note->isVisibleTo(sheet));
    in<QToolButton>(sheet, "weekday-4")->click();
    EXPECT_FALSE(add->isEnabled());
    EXPECT_TRUE(note->isVisibleTo(sheet));
    QTest::keyClick(title, Qt::Key_Return);
    settle();
    EXPECT_TRUE(h->state().todos.empty());
    EXPECT_TRUE(window.hasSheet());

    // A one-off at the minute the form offered, which passed meanwhile.
    repeats->click();
    EXPECT_EQ(sheet->height(), scheduled) << "Repeats unticked";
    h.clock.advance(120);
    add->click();
    EXPECT_TRUE(h->state().todos.empty());
    EXPECT_TRUE(in<QLabel>(sheet, "passedNote")->isVisibleTo(sheet));

    // Without the schedule it may be added, with no estimate and no schedule.
    schedule->click();
    EXPECT_EQ(sheet->height(), bare) << "Schedule unticked";
    add->click();
    ASSERT_EQ(h->state().todos.size(), 1u);
    EXPECT_EQ(h->state().todos[0].estimatedMinutes, std::nullopt);
    EXPECT_EQ(h->state().todos[0].schedule, std::nullopt);
}

TEST_F(Todos, APrefillStartsTheAddSheetAndTheScheduleSheetEditsOrRemovesTheSchedule) {
    ui.addTodoPrefill = TodoPrefill{"Water the plants", 45, daily()};
    QDialog* sheet = open(SettingsSheet::addTodo());
    in<QPushButton>(sheet, "addButton")->click();
    ASSERT_EQ(h->state().todos.size(), 1u);
    const Uuid id = h->state().todos[0].id;
    EXPECT_EQ(h->state().todo(id)->title, "Water the plants");
    EXPECT_EQ(h->state().todo(id)->estimatedMinutes, 45);
    EXPECT_EQ(h->state().todo(id)->schedule, daily());

    sheet = open(SettingsSheet::scheduleTodo(id));
    EXPECT_TRUE(in<QCheckBox>(sheet, "repeatsCheck")->isChecked());
    ASSERT_EQ(times(sheet).size(), 1);
    EXPECT_EQ(times(sheet)[0]->time(), QTime(18, 0));

    in<QSpinBox>(sheet, "intervalSpin")->setValue(2);
    auto* unit = in<QComboBox>(sheet, "unitCombo");
    unit->setCurrentIndex(unit->findText("months"));
    in<QSpinBox>(sheet, "dayOfMonthSpin")->setValue(15);
    in<QPushButton>(sheet, "saveButton")->click();
    settle();
    ASSERT_TRUE(h->state().todo(id)->schedule);
    EXPECT_EQ(h->state().todo(id)->schedule->repeatRule,
              (RepeatRule{2, RepeatUnit::month, {}, 15}));
    EXPECT_EQ(h->state().todo(id)->schedule->times, daily().times);

    sheet = open(SettingsSheet::scheduleTodo(id));
    in<QPushButton>(sheet, "removeScheduleButton")->click();
    settle();
    EXPECT_EQ(h->state().todo(id)->schedule, std::nullopt);
    EXPECT_FALSE(window.hasSheet());
}

TEST(WeekdayPickerTest, FollowsTheLocale) {
    const std::tuple<const char*, std::int64_t, const char*, const char*> cases[] = {
        {"de_DE", 2, "Mo.", "Montag"}, {"en_US", 1, "Su", "Sunday"}};
    for (const auto& [locale, weekday, label, name] : cases) {
        SCOPED_TRACE(locale);
        auto calendar = Calendar::make("Europe/Berlin", locale);
        WeekdayPicker picker(weekdayChoices(*calendar));
        ASSERT_EQ(picker.buttons().size(), 7u);
        QToolButton* first = picker.buttons().front();
        EXPECT_EQ(first->text(), label);
        EXPECT_EQ(first->accessibleName(), name);
        first->click();
        EXPECT_EQ(picker.weekdays(), std::set<std::int64_t>{weekday});
    }
}

}  // namespace
}  // namespace cadro::testing
