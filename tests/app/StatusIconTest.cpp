#include "app/StatusIcon.h"

#include <QImage>

#include <gtest/gtest.h>

namespace cadro {
namespace {

// Device pixels of a pixmap, straight (not premultiplied) colours.
QImage pixelsOf(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

bool sameRgb(QColor a, QColor b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// The first wave peaks 3 points from the top at x = 5.16 points; the second
// wave is then 3 points from the bottom, the gap between them at y = 8.
constexpr qreal kPeakX = 5.16;
constexpr qreal kUpperY = 3;
constexpr qreal kLowerY = 13;
constexpr qreal kGapY = 8;

QColor at(const QImage& image, qreal x, qreal y, qreal scale) {
    return image.pixelColor(int(x * scale), int(y * scale));
}

TEST(StatusIconTest, TintedIconIsOnlyTheThreadColourDrawnAtEachRatio) {
    const QColor tint(0x4F, 0x8E, 0xF7);
    for (qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        const QPixmap pixmap = StatusIcon::make(tint, ratio);
        EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
        const QImage image = pixelsOf(pixmap);
        // Both waves are drawn; the scan below checks their colour.
        EXPECT_GT(at(image, kPeakX, kUpperY, ratio).alpha(), 200);
        EXPECT_GT(at(image, kPeakX, kLowerY, ratio).alpha(), 200);
        EXPECT_EQ(at(image, kPeakX, kGapY, ratio).alpha(), 0) << "nothing between the waves";
        EXPECT_EQ(at(image, kPeakX, 1.2, ratio).alpha(), 0) << "no halo around tinted waves";

        int painted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() > 128) {
                    ++painted;
                    EXPECT_TRUE(sameRgb(pixel, tint, 6)) << x << "," << y;
                }
            }
        }
        // Two strokes of 1.7 points over roughly 22 points of curve each.
        EXPECT_GT(painted, 40 * ratio * ratio);
    }
    // At 2× the 3.4-pixel stroke fully covers the two pixel rows at the top of
    // the wave; an upscaled 1× image would leave them partly transparent.
    const QImage doubled = pixelsOf(StatusIcon::make(tint, 2));
    EXPECT_EQ(doubled.pixelColor(10, 5).alpha(), 255);
    EXPECT_EQ(doubled.pixelColor(10, 6).alpha(), 255);
    EXPECT_EQ(doubled.pixelColor(10, 3).alpha(), 0);
    EXPECT_GE(StatusIcon::icon(tint).availableSizes().size(), 2) << "1× and 2× for the tray";
}

TEST(StatusIconTest, UntintedIconHasForegroundWavesInASoftContrastingHalo) {
    for (qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage image =
            pixelsOf(StatusIcon::make(std::nullopt, ratio, QColor(Qt::black), QColor(Qt::white)));
        const QColor onWave = at(image, kPeakX, kUpperY + 0.5, ratio);
        EXPECT_TRUE(onWave.lightness() < 60 && onWave.alpha() > 200);
        const QColor besideWave = at(image, kPeakX, 1.5, ratio);
        EXPECT_GT(besideWave.lightness(), 200);
        EXPECT_TRUE(besideWave.alpha() > 0 && besideWave.alpha() < 255) << "a soft halo";
        EXPECT_LT(at(image, kPeakX, kGapY, ratio).alpha(), 32) << "the gap stays open";
    }
}

TEST(StatusIconTest, DotIsTheThreadColourOrNothing) {
    for (const char* bad : {"", "#12345", "#12345G", "blue", "##4F8EF7"}) {
        EXPECT_TRUE(StatusIcon::dot(bad).isNull()) << bad;
    }
    EXPECT_TRUE(StatusIcon::dot(std::nullopt).isNull());
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = pixelsOf(StatusIcon::dot("#4F8EF7", ratio));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(at(image, 4.5, 4.5, ratio), QColor(0x4F, 0x8E, 0xF7));
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "a circle, not a square";
    }
}

}  // namespace
}  // namespace cadro
