#include "app/tray/StatusNotifierItem.h"

#include <QApplication>
#include <QPalette>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace cadro {
namespace {

// The first fully opaque pixel of the 1x image, as (A, R, G, B) bytes.
QByteArray firstOpaquePixel(const SniPixmap& pixmap) {
    for (qsizetype i = 0; i + 3 < pixmap.pixels.size(); i += 4) {
        if (quint8(pixmap.pixels[i]) == 0xFF)
            return pixmap.pixels.mid(i, 4);
    }
    return {};
}

TEST(StatusNotifierItem, PixmapsAreStraightArgbInNetworkOrderAndFollowThePalette) {
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
}

TEST(StatusNotifierItem, TellsTheHostOnlyWhatChanged) {
    QObject object;
    StatusNotifierItem item(&object, {[](QPoint) {}, [] {}});
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
