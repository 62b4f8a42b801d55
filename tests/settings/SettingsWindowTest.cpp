#include "SettingsFixture.h"

#include "settings/NowBar.h"
#include "settings/TodoTab.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <functional>

namespace cadro::testing {
namespace {

class SettingsWindowTest : public SettingsFixture {};

TEST_F(SettingsWindowTest, KeepsTheSelectedTabAndHidesOnCloseOrCtrlW) {
    auto* tabs = in<QTabWidget>(&window, "settingsTabs");
    tabs->tabBar()->setCurrentIndex(4);
    EXPECT_EQ(ui.selectedTab(), SettingsTab::brainDump);

    ui.setSelectedTab(SettingsTab::parked);
    EXPECT_EQ(tabs->currentIndex(), 1);

    // A restart opens on the stored tab.
    ui.setSelectedTab(SettingsTab::shortcuts);
    UIState again(defaults);
    SettingsWindow reopened(h.store(), shortcuts, again, *h.calendar, h.clock);
    EXPECT_EQ(in<QTabWidget>(&reopened, "settingsTabs")->currentIndex(), 5);

    QSignalSpy closing(&window, &SettingsWindow::aboutToClose);
    window.close();
    EXPECT_EQ(closing.count(), 1);  // the controller ends a recording on it
    EXPECT_FALSE(window.isVisible());
    window.showAndRaise();
    QApplication::setActiveWindow(&window);  // window shortcuts act in the active window only
    QTest::keyClick(&window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(SettingsWindowTest, EmptyStatesAndTheNowStripFollowTheStore) {
    // Only the hygiene thread: the first-run panel above its row, and the
    // built-in thread with its first-run step in the strip.
    auto* active = tab("activeTab");
    auto* bar = in<NowBar>(&window, "nowBar");
    EXPECT_EQ(bar->headline(), "Cadro: Add your first thread");
    EXPECT_TRUE(in<QWidget>(active, "emptyState")->isVisibleTo(active));
    EXPECT_NE(row(h->state().hygiene()->id), nullptr);
    // ...and says what that row is, by the name it shows.
    EXPECT_TRUE(in<QLabel>(active, "emptyStateNote")->text().startsWith("The \u201CCadro\u201D"));
    in<QPushButton>(active, "emptyStateAction")->click();
    EXPECT_EQ(ui.sheet(), SettingsSheet::add());
    ui.setSheet(std::nullopt);

    const Uuid essay = h.openDay({"Essay"})[0];
    h->reviseThread(essay, {.title = "Essay", .step = "intro"});
    // Redrawn on a later pass of the event loop, once for the lot.
    EXPECT_EQ(bar->headline(), "Cadro: Add your first thread");
    settle();
    EXPECT_EQ(bar->headline(), "Essay: intro");
    EXPECT_FALSE(in<QWidget>(active, "emptyState")->isVisibleTo(active));

    auto* stack = tab("parkedTab")->findChild<QStackedWidget*>();
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->currentWidget()->objectName(), "emptyState");
    h->park(essay);
    settle();
    EXPECT_EQ(stack->currentWidget()->objectName(), "threadList");
}

TEST_F(SettingsWindowTest, ButtonsOpenTheirSheetsAndEscapeClosesThemWithoutAChange) {
    const Uuid thread = h.addThread("Essay");
    h->reviseThread(thread, {.nextSteps = std::vector<std::string>{"outline", "draft"}});
    const Uuid todo = *h->addTodo("Stretch");
    settle();
    const std::string before = readFile(h.file());
    auto* todoTab = window.findChild<TodoTab*>("todoTab");
    auto* steps = in<QToolButton>(row(thread), "nextStepsButton");
    EXPECT_EQ(steps->text(), "2 next steps");
    const std::pair<QAbstractButton*, SettingsSheet> cases[] = {
        {steps, SettingsSheet::editSteps(thread)},
        {in<QToolButton>(row(thread), "snoozeButton"), SettingsSheet::snooze(thread)},
        {in<QToolButton>(todoTab->row(todo), "scheduleButton"), SettingsSheet::scheduleTodo(todo)},
        {in<QToolButton>(todoTab->row(todo), "snoozeButton"), SettingsSheet::snoozeTodo(todo)},
        {in<QPushButton>(todoTab, "addTodoButton"), SettingsSheet::addTodo()},
        {in<QPushButton>(tab("activeTab"), "addThreadButton"), SettingsSheet::add()},
    };
    for (const auto& [button, sheet] : cases) {
        SCOPED_TRACE(int(sheet.kind));
        button->click();
        QDialog* dialog = window.sheetDialog();
        EXPECT_EQ(ui.sheet(), sheet);
        ASSERT_NE(dialog, nullptr);
        if (auto* title = dialog->findChild<QLineEdit*>("titleField"))
            title->setText("typed");
        if (auto* editor = dialog->findChild<QPlainTextEdit*>("stepsEditor"))
            editor->setPlainText("typed");
        QTest::keyClick(dialog, Qt::Key_Escape);
        settle();
        EXPECT_FALSE(window.hasSheet());
        EXPECT_EQ(ui.sheet(), std::nullopt);
        EXPECT_EQ(readFile(h.file()), before);
    }
}

TEST_F(SettingsWindowTest, AddSheetsStartInTheTitleAndWaitForOne) {
    const std::pair<SettingsSheet, std::function<std::size_t()>> cases[] = {
        {SettingsSheet::add(), [&] { return h->state().active.size(); }},
        {SettingsSheet::addTodo(), [&] { return h->state().todos.size(); }},
    };
    for (const auto& [kind, count] : cases) {
        SCOPED_TRACE(int(kind.kind));
        QDialog* sheet = open(kind);
        const std::size_t before = count();
        auto* title = in<QLineEdit>(sheet, "titleField");
        auto* add = in<QPushButton>(sheet, "addButton");
        EXPECT_EQ(sheet->focusWidget(), title);
        title->setText("   \t");
        EXPECT_FALSE(add->isEnabled());
        QTest::keyClick(title, Qt::Key_Return);
        settle();
        EXPECT_EQ(count(), before);
        EXPECT_TRUE(window.hasSheet());
        title->setText("Essay");
        QTest::keyClick(title, Qt::Key_Return);  // Return adds once the title is there
        settle();
        EXPECT_EQ(count(), before + 1);
        EXPECT_FALSE(window.hasSheet());
        EXPECT_EQ(ui.sheet(), std::nullopt);
    }
}

}  // namespace
}  // namespace cadro::testing
