#include "app/BrandColor.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace cadro {
namespace {

QPalette paletteWithWindow(QColor window) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    return palette;
}

TEST(BrandColorTest, ColoursFollowTheThemeWithoutRestart) {
    EXPECT_EQ(BrandColor::appearanceOf(paletteWithWindow(QColor(0x1E, 0x1E, 0x1E))),
              Appearance::dark);
    EXPECT_EQ(BrandColor::appearanceOf(paletteWithWindow(QColor(0xEF, 0xEF, 0xEF))),
              Appearance::light);
    // Light and dark must differ, or the switch below would prove nothing.
    ASSERT_NE(BrandColor::pink(Appearance::dark), BrandColor::pink(Appearance::light));

    const QPalette original = QGuiApplication::palette();
    for (Appearance appearance : {Appearance::dark, Appearance::light}) {
        const int window = appearance == Appearance::dark ? 0x20 : 0xF0;
        QGuiApplication::setPalette(paletteWithWindow(QColor(window, window, window)));
        EXPECT_EQ(BrandColor::pink(), BrandColor::pink(appearance));
        EXPECT_EQ(BrandColor::paper(), BrandColor::paper(appearance));
        EXPECT_EQ(BrandColor::gradient().stops().first().second, BrandColor::pink(appearance));
    }
    QGuiApplication::setPalette(original);
}

}  // namespace
}  // namespace cadro
