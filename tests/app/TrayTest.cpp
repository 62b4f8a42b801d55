#include "app/MenuRenderer.h"
#include "app/tray/StatusNotifierItem.h"
#include "support/ShellHarness.h"

#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QSignalSpy>

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

TEST(MenuRenderer, DrawsTheModelAndRunsAChosenEntryLaterWithItsPayload) {
    ShellHarness h;
    auto web = h.addThread("Website");
    h->setColor(web, "#8B7CF6");
    const Uuid japanese = h.addThread("Japanese");
    h->park(japanese);
    h->startDay();
    std::vector<MenuItem> model = h.menu();
    model.back().tooltip = "Only available in the installed app.";

    std::vector<std::pair<MenuAction, std::string>> ran;
    QMenu menu;
    renderMenu(&menu, model,
               [&](MenuAction action, std::string payload) { ran.emplace_back(action, payload); });
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
    EXPECT_EQ(entry(menu, "Quit Cadro")->toolTip(), "Only available in the installed app.");
    QMenu* parked = entry(menu, "Parked (1)")->menu();
    ASSERT_NE(parked, nullptr);
    EXPECT_EQ(parked->actions().front()->text(), "Japanese");

    parked->actions().front()->trigger();
    EXPECT_TRUE(ran.empty());  // not inside the menu's own handling
    QApplication::processEvents();
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0].first, MenuAction::unpark);
    EXPECT_EQ(ran[0].second, japanese.toString());
}

// The first fully opaque pixel of the 1x image, as (A, R, G, B) bytes.
QByteArray firstOpaquePixel(const SniPixmap& pixmap) {
    for (qsizetype i = 0; i + 3 < pixmap.pixels.size(); i += 4) {
        if (quint8(pixmap.pixels[i]) == 0xFF)
            return pixmap.pixels.mid(i, 4);
    }
    return {};
}

TEST(StatusNotifierItem, PixmapsAreStraightArgbFollowThePaletteAndOnlyChangesAreSignalled) {
    QObject object;
    StatusNotifierItem item(&object, {[](QPoint) {}, [] {}});
    item.show({"Alpha", "Alpha", QColor(Qt::red), false});
    ASSERT_GE(item.iconPixmap().size(), 2);
    EXPECT_EQ(firstOpaquePixel(item.iconPixmap()[0]), QByteArray("\xFF\xFF\x00\x00", 4));
    // The coloured icon has no name: hosts would prefer the name and lose the colour.
    EXPECT_TRUE(item.iconName().isEmpty());

    item.show({"Cadro", "Cadro", std::nullopt, false});
    EXPECT_FALSE(item.iconName().isEmpty());
    const SniPixmaps light = item.iconPixmap();
    QSignalSpy newIcon(&item, &StatusNotifierItem::NewIcon);
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Window, Qt::black);
    QApplication::setPalette(dark);
    EXPECT_GE(newIcon.count(), 1);
    EXPECT_NE(item.iconPixmap()[0].pixels, light[0].pixels);
    QApplication::setPalette(before);

    // The host is told only what changed.
    item.show({"Alpha", "Alpha", std::nullopt, false});
    QSignalSpy label(&item, &StatusNotifierItem::XAyatanaNewLabel);
    QSignalSpy status(&item, &StatusNotifierItem::NewStatus);
    QSignalSpy icon(&item, &StatusNotifierItem::NewIcon);

    item.show({"Alpha", "Alpha", std::nullopt, true});
    item.show({"Beta", "Be\u2026", std::nullopt, true});
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(item.status(), "NeedsAttention");
    ASSERT_EQ(label.count(), 1);
    EXPECT_EQ(label[0][0].toString(), "Be\u2026");
    EXPECT_EQ(icon.count(), 0);
}

}  // namespace
}  // namespace cadro
