#include "SettingsFixture.h"

#include "core/schedule/ScheduleLabels.h"
#include "settings/TodoTab.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

namespace cadro::testing {
namespace {

class TodoRows : public SettingsFixture {
  protected:
    TodoTab* todoTab() { return window.findChild<TodoTab*>("todoTab"); }
    TodoRow* todoRow(const Uuid& id) {
        settle();
        return todoTab()->row(id);
    }
    void pickEstimate(TodoRow* row, const QString& label) {
        in<QToolButton>(row, "estimateButton")->click();
        QMenu* menu = row->estimateMenu();
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->text() == label) {
                action->trigger();
                menu->close();
                return;
            }
        }
        FAIL() << "no choice " << label.toStdString();
    }
    QStringList checkedEstimates(TodoRow* row) {
        in<QToolButton>(row, "estimateButton")->click();
        QStringList checked;
        for (QAction* action : row->estimateMenu()->actions())
            if (action->isChecked())
                checked << action->text();
        row->estimateMenu()->close();
        return checked;
    }
};

TEST_F(TodoRows, ToDosShowWithTheirSchedulesForTheEyeAndTheScreenReader) {
    auto* stack = todoTab()->findChild<QStackedWidget*>();
    EXPECT_EQ(stack->currentWidget(), in<QWidget>(todoTab(), "emptyState"));
    const TodoSchedule daily{h.clock.now(), {{18, 0}}, RepeatRule{1, RepeatUnit::day, {}, {}}};
    const Uuid id = *h->addTodo("Water the plants", 5, daily);
    settle();
    EXPECT_EQ(stack->currentWidget(), todoTab()->list());
    const QString label = QString::fromStdString(shortLabel(daily, *h.calendar));
    EXPECT_EQ(in<QToolButton>(todoRow(id), "scheduleButton")->text(), label);
    QListWidgetItem* item = todoTab()->list()->item(0);
    EXPECT_EQ(item->data(Qt::AccessibleTextRole).toString(), "Water the plants");
    EXPECT_TRUE(item->data(Qt::AccessibleDescriptionRole).toString().contains(label));
}

TEST_F(TodoRows, EditingInPlace) {
    const Uuid id = *h->addTodo("Renew passport", 45);
    TodoRow* row = todoRow(id);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(in<QToolButton>(row, "estimateButton")->text(), "45 min");
    EXPECT_TRUE(checkedEstimates(row).isEmpty());

    pickEstimate(row, "No estimate");
    EXPECT_EQ(h->todo(id)->estimatedMinutes, std::nullopt);
    row = todoRow(id);
    EXPECT_EQ(in<QToolButton>(row, "estimateButton")->text(), "");
    EXPECT_EQ(checkedEstimates(row), QStringList{"No estimate"});
    pickEstimate(row, "1 hr");
    EXPECT_EQ(h->todo(id)->estimatedMinutes, 60);

    auto* title = in<QLineEdit>(todoRow(id), "titleField");
    window.activateWindow();  // the estimate menu took it
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    title->setFocus();
    title->end(false);
    QTest::keyClicks(title, " now");
    EXPECT_EQ(h->todo(id)->title, "Renew passport now");

    in<QToolButton>(todoRow(id), "removeButton")->click();
    EXPECT_TRUE(h->todos().empty());
    EXPECT_EQ(todoRow(id), nullptr);
}

TEST_F(TodoRows, UntilOnlyWhileSnoozedIntoTheFuture) {
    const Uuid id = *h->addTodo("Renew passport");
    h->snoozeTodo(id, h.clock.now() + 3600);
    TodoRow* row = todoRow(id);
    auto* until = in<QLabel>(row, "untilText");
    EXPECT_TRUE(until->isVisibleTo(row));
    const QString spoken =
        todoTab()->list()->item(0)->data(Qt::AccessibleDescriptionRole).toString();
    EXPECT_TRUE(!until->text().isEmpty() && spoken.contains(until->text())) << spoken.toStdString();

    h.clock.advance(7200);
    window.refreshNow();
    EXPECT_FALSE(until->isVisibleTo(row));
}

TEST_F(TodoRows, TheToDoThatIsUpIsMarked) {
    const Uuid id = *h->addTodo("Renew passport");
    const Uuid other = *h->addTodo("Reply to Oren");
    h->setTodoChancePercent(100);
    openDay({"Essay"});
    h.random.values = {0.0, 0.0};
    h->next();
    ASSERT_EQ(h->currentTodoID(), id);
    TodoRow* row = todoRow(id);
    EXPECT_TRUE(in<QLabel>(row, "nowBadge")->isVisibleTo(row));
    EXPECT_FALSE(in<QLabel>(todoRow(other), "nowBadge")->isVisibleTo(todoRow(other)));
}

TEST_F(TodoRows, TheChanceControlFollowsTheStoreBothWays) {
    auto* chance = in<QSpinBox>(todoTab(), "chanceSpin");
    chance->setValue(40);
    EXPECT_EQ(h->todoChancePercent(), 40);
    chance->setValue(150);
    EXPECT_EQ(h->todoChancePercent(), 100);

    h->setTodoChancePercent(7);
    settle();
    EXPECT_EQ(chance->value(), 7);
}

}  // namespace
}  // namespace cadro::testing
