#include "app/MenuRenderer.h"
#include "support/ShellHarness.h"

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

namespace cadro {
namespace {

using testing::ShellHarness;

QAction* entry(QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

TEST(MenuRenderer, DrawsTheModelsTitlesStatesAndSubmenus) {
    ShellHarness h;
    auto web = h.addThread("Website");
    h->setColor(web, "#8B7CF6");
    h->park(h.addThread("Japanese"));
    h->startDay();
    std::vector<MenuItem> model = h.menu();
    model.back().tooltip = "Only available in the installed app.";

    QMenu menu;
    renderMenu(&menu, model, [](MenuAction, std::string) {});
    ASSERT_EQ(menu.actions().size(), static_cast<qsizetype>(model.size()));
    for (std::size_t i = 0; i < model.size(); ++i) {
        QAction* action = menu.actions()[static_cast<qsizetype>(i)];
        EXPECT_EQ(action->isSeparator(), model[i].isSeparator) << i;
        if (model[i].isSeparator)
            continue;
        const std::string column = model[i].shortcut.empty() ? "" : "\t" + model[i].shortcut;
        EXPECT_EQ(action->text().toStdString(), model[i].title + column);
        EXPECT_EQ(action->isEnabled(), model[i].enabled) << model[i].title;
    }
    EXPECT_FALSE(entry(menu, "Website")->icon().isNull());  // the colour dot
    EXPECT_NE(entry(menu, "Next\tCtrl+Alt+Super+N"), nullptr);
    EXPECT_EQ(entry(menu, "Quit Cadro")->toolTip(), "Only available in the installed app.");
    QMenu* parked = entry(menu, "Parked (1)")->menu();
    ASSERT_NE(parked, nullptr);
    EXPECT_EQ(parked->actions().front()->text(), "Japanese");
}

TEST(MenuRenderer, ChoosingAnEntryRunsItsActionLaterWithItsPayload) {
    ShellHarness h;
    auto japanese = h.addThread("Japanese");
    h->park(japanese);
    h->startDay();
    std::vector<std::pair<MenuAction, std::string>> ran;
    QMenu menu;
    renderMenu(&menu, h.menu(),
               [&](MenuAction action, std::string payload) { ran.emplace_back(action, payload); });
    entry(menu, "Parked (1)")->menu()->actions().front()->trigger();
    EXPECT_TRUE(ran.empty());  // not inside the menu's own handling
    QApplication::processEvents();
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0].first, MenuAction::unpark);
    EXPECT_EQ(ran[0].second, japanese.toString());
}

}  // namespace
}  // namespace cadro
