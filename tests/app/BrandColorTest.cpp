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

TEST(BrandColorTest, AppearanceFollowsThePaletteWindowColour) {
    EXPECT_EQ(BrandColor::appearanceOf(paletteWithWindow(QColor(0x1E, 0x1E, 0x1E))),
              Appearance::dark);
    EXPECT_EQ(BrandColor::appearanceOf(paletteWithWindow(QColor(0xEF, 0xEF, 0xEF))),
              Appearance::light);
}

TEST(BrandColorTest, ColoursFollowAThemeSwitchWithoutRestart) {
    const QPalette original = QGuiApplication::palette();
    QGuiApplication::setPalette(paletteWithWindow(QColor(0x20, 0x20, 0x20)));
    EXPECT_EQ(BrandColor::pink().name(), "#f0abfc");
    EXPECT_EQ(BrandColor::paper().name(), "#1d1a26");
    QGuiApplication::setPalette(paletteWithWindow(QColor(0xF0, 0xF0, 0xF0)));
    EXPECT_EQ(BrandColor::pink().name(), "#d946ef");
    EXPECT_EQ(BrandColor::paper().name(), "#fbfaf6");
    QGuiApplication::setPalette(original);
}

TEST(BrandColorTest, GradientsRunFromPinkToViolet) {
    const QLinearGradient across = BrandColor::gradient(Appearance::light);
    EXPECT_EQ(across.start(), QPointF(0, 0));
    EXPECT_EQ(across.finalStop(), QPointF(1, 0));
    const QLinearGradient down = BrandColor::verticalGradient(Appearance::dark);
    EXPECT_EQ(down.start(), QPointF(0, 0));
    EXPECT_EQ(down.finalStop(), QPointF(0, 1));
    for (const QLinearGradient& gradient : {across, down}) {
        EXPECT_EQ(gradient.coordinateMode(), QGradient::ObjectMode);
        ASSERT_EQ(gradient.stops().size(), 2);
        EXPECT_EQ(gradient.stops().last().second, BrandColor::violet());
    }
    EXPECT_EQ(across.stops().first().second, BrandColor::pink(Appearance::light));
    EXPECT_EQ(down.stops().first().second, BrandColor::pink(Appearance::dark));
}

}  // namespace
}  // namespace cadro
