#include "settings/WelcomeWindow.h"

#include "support/TempDir.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(WelcomeWindow, NamesNextAsBoundAndOnlyTheAddButtonAddsAThread) {
    TempDir config;
    XdgAutostartEntry entry(config.path(), "/usr/bin/cadro-tray");
    struct Case {
        const char* name;
        std::function<void(WelcomeWindow&)> act;
        bool adds;
    } cases[] = {
        {"add button",
         [](WelcomeWindow& w) { w.findChild<QPushButton*>("addThreadButton")->click(); }, true},
        {"Escape", [](WelcomeWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }, false},
        {"Close button",
         [](WelcomeWindow& w) { w.findChild<QPushButton*>("closeButton")->click(); }, false},
    };
    for (const auto& c : cases) {
        WelcomeWindow window(entry, "Ctrl+Shift+Super+J");
        QStringList titles;
        for (auto* label : window.findChildren<QLabel*>("pointTitle"))
            titles << label->text();
        EXPECT_TRUE(titles.contains("Next  Ctrl+Shift+Super+J")) << "the shortcut as bound";
        window.show();
        QSignalSpy added(&window, &WelcomeWindow::addThreadChosen);
        QSignalSpy closed(&window, &WelcomeWindow::closed);
        c.act(window);
        EXPECT_EQ(added.count(), c.adds ? 1 : 0) << c.name;
        EXPECT_EQ(closed.count(), c.adds ? 0 : 1) << c.name;
        EXPECT_FALSE(window.isVisible()) << c.name;
    }
}

TEST(WelcomeWindow, TheLoginSwitchWritesAndRemovesTheAutostartEntryUnlessRunFromTheBuildTree) {
    TempDir config;
    XdgAutostartEntry entry(config / "autostart", "/usr/bin/cadro-tray");
    {
        WelcomeWindow window(entry, "N");
        auto* toggle = window.findChild<QCheckBox*>("startsAtLogin");
        ASSERT_NE(toggle, nullptr);
        EXPECT_FALSE(toggle->isChecked());
        toggle->click();
        EXPECT_TRUE(fs::exists(entry.agentPath()));
    }
    // Opened again while the entry exists, the switch is on; off removes it.
    WelcomeWindow window(entry, "N");
    auto* toggle = window.findChild<QCheckBox*>("startsAtLogin");
    EXPECT_TRUE(toggle->isChecked());
    toggle->click();
    EXPECT_FALSE(fs::exists(entry.agentPath()));

    // From the build tree it says to install instead.
    fs::create_directories(config / "build/bin");
    testing::writeFile(config / "build/CMakeCache.txt", "");
    XdgAutostartEntry built(config / "autostart", (config / "build/bin/cadro-tray").string());
    WelcomeWindow fromBuild(built, "N");
    EXPECT_EQ(fromBuild.findChild<QCheckBox*>("startsAtLogin"), nullptr);
    auto* note = fromBuild.findChild<QLabel*>("loginUnavailable");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->toolTip().toStdString(), *built.unavailableReason());
}

}  // namespace
}  // namespace cadro
