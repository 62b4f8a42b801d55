#include "app/StatusIcon.h"

#include "app/BrandColor.h"
#include "app/HexColor.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <cmath>
#include <numbers>

namespace cadro::StatusIcon {

namespace {

constexpr qreal kInset = 2.5;
constexpr qreal kSpan = kWidth - 2 * kInset;
constexpr qreal kCentre = 8;
constexpr qreal kAmplitude = 5;
constexpr qreal kPeriods = 1.6;
constexpr int kSegments = 60;
// Wide enough to separate the waves from any background, narrow enough not to
// fill the gaps between them.
constexpr qreal kHaloWidth = kLineWidth + 1.4;
constexpr qreal kHaloOpacity = 0.85;

// One wave in drawing coordinates. The geometry is given with the origin at the
// bottom left; Qt's origin is the top left, hence the flip.
QPainterPath wave(qreal phase) {
    QPainterPath path;
    for (int i = 0; i <= kSegments; ++i) {
        const qreal t = qreal(i) / kSegments;
        const qreal x = kInset + kSpan * t;
        const qreal y =
            kCentre + kAmplitude * std::sin(2 * std::numbers::pi * kPeriods * t + phase);
        const QPointF point(x, kHeight - y);
        if (i == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }
    return path;
}

// A transparent pixmap of `points` at the given ratio, sized in whole device
// pixels so that nothing is resampled later.
QPixmap canvas(QSizeF points, qreal devicePixelRatio) {
    QPixmap pixmap(std::lround(points.width() * devicePixelRatio),
                   std::lround(points.height() * devicePixelRatio));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPen roundPen(const QColor& color, qreal width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

struct WaveStyle {
    QColor first;
    QColor second;
    std::optional<QColor> halo;
};

QPixmap drawWaves(const WaveStyle& style, qreal scale, qreal devicePixelRatio) {
    QPixmap pixmap = canvas({kWidth * scale, kHeight * scale}, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    const QPainterPath first = wavePath(0);
    const QPainterPath second = wavePath(1);
    if (style.halo) {
        // Drawn opaque on a layer of its own and laid down at reduced opacity,
        // so that the crossings of the two halos are no denser than the rest.
        QPixmap layer = canvas({kWidth * scale, kHeight * scale}, devicePixelRatio);
        QPainter halo(&layer);
        halo.setRenderHint(QPainter::Antialiasing);
        halo.scale(scale, scale);
        halo.strokePath(first, roundPen(*style.halo, kHaloWidth));
        halo.strokePath(second, roundPen(*style.halo, kHaloWidth));
        halo.end();
        painter.save();
        painter.resetTransform();
        painter.setOpacity(kHaloOpacity);
        painter.drawPixmap(0, 0, layer);
        painter.restore();
    }
    painter.strokePath(first, roundPen(style.first, kLineWidth));
    painter.strokePath(second, roundPen(style.second, kLineWidth));
    return pixmap;
}

}  // namespace

QPainterPath wavePath(int index) {
    return wave(index == 0 ? 0 : std::numbers::pi);
}

QPixmap make(std::optional<QColor> tint, qreal devicePixelRatio, QColor foreground, QColor halo) {
    if (tint) {
        return drawWaves({*tint, *tint, std::nullopt}, 1, devicePixelRatio);
    }
    return drawWaves({foreground, foreground, halo}, 1, devicePixelRatio);
}

QPixmap make(std::optional<QColor> tint, qreal devicePixelRatio) {
    const QPalette palette = QGuiApplication::palette();
    return make(tint, devicePixelRatio, palette.color(QPalette::Active, QPalette::WindowText),
                palette.color(QPalette::Active, QPalette::Window));
}

QIcon icon(std::optional<QColor> tint) {
    QIcon result;
    result.addPixmap(make(tint, 1));
    result.addPixmap(make(tint, 2));
    return result;
}

QPixmap brand(qreal height, qreal devicePixelRatio) {
    return drawWaves({BrandColor::violet(), BrandColor::pink(), std::nullopt}, height / kHeight,
                     devicePixelRatio);
}

QPixmap dot(std::optional<std::string_view> colorHex, qreal devicePixelRatio) {
    const std::optional<QColor> color = colorFromHex(colorHex);
    if (!color) {
        return {};
    }
    QPixmap pixmap = canvas({9, 9}, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(*color);
    painter.drawEllipse(QRectF(0.5, 0.5, 8, 8));
    return pixmap;
}

}  // namespace cadro::StatusIcon
