#include "app/MenuRenderer.h"
#include "app/StatusIcon.h"
#include "app/tray/StatusNotifierItem.h"
#include "support/TrayHarness.h"

#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QSignalSpy>

#include <gtest/gtest.h>
#include <QImage>
#include <algorithm>

namespace cadro {
namespace {

using testing::TrayHarness;

QAction* entry(QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

TEST(MenuRenderer, DrawsTheModelAndRunsAChosenEntryLaterWithItsPayload) {
    TrayHarness h;
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
    QAction* login = entry(menu, "Launch at Login");
    EXPECT_TRUE(login->isCheckable() && !login->isChecked());  // a toggle while off too
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

// Device pixels of a pixmap, straight (not premultiplied) colours.
QImage pixelsOf(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// At x = 5.16 points the first wave peaks 3 points from the top and the
// second lies 3 points from the bottom, the gap between them at y = 8.
QColor at(const QImage& image, qreal y, qreal scale, qreal x = 5.16) {
    return image.pixelColor(int(x * scale), int(y * scale));
}

TEST(StatusIconTest, TintedWavesAreOnlyTheThreadColourUntintedOnesHaveASoftHalo) {
    const QColor tint(0x4F, 0x8E, 0xF7);
    for (qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        const QPixmap pixmap = StatusIcon::make(tint, ratio);
        EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
        const QImage image = pixelsOf(pixmap);
        EXPECT_GT(at(image, 3, ratio).alpha(), 200);
        EXPECT_GT(at(image, 13, ratio).alpha(), 200);
        EXPECT_EQ(at(image, 8, ratio).alpha(), 0) << "nothing between the waves";
        EXPECT_EQ(at(image, 1.2, ratio).alpha(), 0) << "no halo around tinted waves";
        int painted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() <= 128)
                    continue;
                ++painted;
                EXPECT_LE(std::max({std::abs(pixel.red() - tint.red()),
                                    std::abs(pixel.green() - tint.green()),
                                    std::abs(pixel.blue() - tint.blue())}),
                          6)
                    << x << "," << y;
            }
        }
        // Two strokes of 1.7 points over roughly 22 points of curve each.
        EXPECT_GT(painted, 40 * ratio * ratio);

        const QImage plain =
            pixelsOf(StatusIcon::make(std::nullopt, ratio, QColor(Qt::black), QColor(Qt::white)));
        const QColor onWave = at(plain, 3.5, ratio);
        EXPECT_TRUE(onWave.lightness() < 60 && onWave.alpha() > 200);
        const QColor besideWave = at(plain, 1.5, ratio);
        EXPECT_TRUE(besideWave.lightness() > 200 && besideWave.alpha() > 0 &&
                    besideWave.alpha() < 255)
            << "a soft halo";
        EXPECT_LT(at(plain, 8, ratio).alpha(), 32) << "the gap stays open";
    }
    // At 2x the 3.4-pixel stroke fully covers the two pixel rows at the top of
    // the wave; an upscaled 1x image would leave them partly transparent.
    const QImage doubled = pixelsOf(StatusIcon::make(tint, 2));
    EXPECT_EQ(doubled.pixelColor(10, 5).alpha() + doubled.pixelColor(10, 6).alpha(), 2 * 255);
    EXPECT_EQ(doubled.pixelColor(10, 3).alpha(), 0);
    EXPECT_GE(StatusIcon::icon(tint).availableSizes().size(), 2) << "1x and 2x for the tray";
}

TEST(StatusIconTest, DotIsTheThreadColourOrNothing) {
    for (const char* bad : {"", "#12345G", "##4F8EF7"})
        EXPECT_TRUE(StatusIcon::dot(bad).isNull()) << bad;
    EXPECT_TRUE(StatusIcon::dot(std::nullopt).isNull());
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = pixelsOf(StatusIcon::dot("#4F8EF7", ratio));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(at(image, 4.5, ratio, 4.5), QColor(0x4F, 0x8E, 0xF7));
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "a circle, not a square";
    }
}

}  // namespace
}  // namespace cadro
