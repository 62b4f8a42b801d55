#include "SettingsFixture.h"

#include "settings/NowBar.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

namespace cadro::testing {
namespace {

class SettingsWindowTest : public SettingsFixture {};

TEST_F(SettingsWindowTest, FrameTitleSizeAndTabs) {
    EXPECT_EQ(window.windowTitle(), "Cadro");
    EXPECT_EQ(window.minimumSize(), QSize(480, 460));
    EXPECT_EQ(window.size(), QSize(560, 600));
    auto* tabs = in<QTabWidget>(&window, "settingsTabs");
    QStringList labels;
    for (int i = 0; i < tabs->count(); ++i)
        labels << tabs->tabText(i);
    EXPECT_EQ(labels,
              QStringList({"Active", "Parked", "Snoozed", "To-Do", "Brain Dump", "Shortcuts"}));
}

TEST_F(SettingsWindowTest, TheSelectedTabIsKept) {
    auto* tabs = in<QTabWidget>(&window, "settingsTabs");
    tabs->tabBar()->setCurrentIndex(4);
    EXPECT_EQ(ui.selectedTab(), SettingsTab::brainDump);
    EXPECT_EQ(defaults->getString(UIState::kSelectedTabKey), "brainDump");

    ui.setSelectedTab(SettingsTab::parked);
    EXPECT_EQ(tabs->currentIndex(), 1);

    // A restart opens on the stored tab.
    ui.setSelectedTab(SettingsTab::shortcuts);
    UIState again(defaults);
    SettingsWindow reopened(h.store(), shortcuts, again, *h.calendar, h.clock);
    EXPECT_EQ(in<QTabWidget>(&reopened, "settingsTabs")->currentIndex(), 5);
}

TEST_F(SettingsWindowTest, EmptyStatesAndFooters) {
    // Only the hygiene thread: the first-run panel above its row.
    auto* active = tab("activeTab");
    EXPECT_TRUE(in<QWidget>(active, "emptyState")->isVisibleTo(active));
    EXPECT_EQ(in<QLabel>(active, "emptyStateTitle")->text(), "No threads yet");
    EXPECT_NE(row(h->hygiene()->id), nullptr);
    in<QPushButton>(active, "emptyStateAction")->click();
    EXPECT_EQ(ui.sheet(), SettingsSheet::add());
    ui.setSheet(std::nullopt);

    h.addThread("Essay");
    settle();
    EXPECT_FALSE(in<QWidget>(active, "emptyState")->isVisibleTo(active));

    auto* parked = tab("parkedTab");
    auto* stack = parked->findChild<QStackedWidget*>();
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(stack->currentWidget()->objectName(), "emptyState");
    EXPECT_EQ(in<QLabel>(parked, "emptyStateTitle")->text(), "Nothing parked");
    EXPECT_EQ(in<QLabel>(parked, "footerNote")->text(),
              "Parked threads sit out of the cycle until you unpark them.");
    EXPECT_EQ(in<QLabel>(tab("snoozedTab"), "emptyStateMessage")->text(),
              "Snooze a thread to set it aside until a time you pick. It comes back on its own.");
    h->park(h->active()[0].id);
    settle();
    EXPECT_EQ(stack->currentWidget()->objectName(), "threadList");
}

TEST_F(SettingsWindowTest, NowStripFollowsTheStore) {
    auto* headline = in<QLabel>(&window, "nowHeadline");
    auto* bar = in<NowBar>(&window, "nowBar");
    // A new store: the built-in thread with its first-run step.
    EXPECT_EQ(bar->headline(), "Cadro: Add your first thread");
    Uuid id = h.addThread("Essay");
    h->startDay();
    h->update(id, "Essay", "intro");
    // Redrawn on a later pass of the event loop, once for the lot.
    EXPECT_EQ(bar->headline(), "Cadro: Add your first thread");
    settle();
    EXPECT_EQ(bar->headline(), "Essay: intro");
    EXPECT_EQ(headline->toolTip(), "Essay: intro");
}

TEST_F(SettingsWindowTest, ClosingHidesAndTellsTheController) {
    QSignalSpy closing(&window, &SettingsWindow::aboutToClose);
    window.close();
    EXPECT_EQ(closing.count(), 1);
    EXPECT_FALSE(window.isVisible());
    window.showAndRaise();
    EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace cadro::testing
