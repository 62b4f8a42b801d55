#include "gui/StatusIcon.h"

#include "gui/BrandColor.h"
#include "gui/HexColor.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>

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
// The light glyph of the plain panel icon and its rim.
const QColor kGlyph(0xFF, 0xFF, 0xFF);
const QColor kRim(0x14, 0x14, 0x14);
constexpr qreal kRimOpacity = 0.85;

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

// The waves in a square: they span 85 % of its width, which leaves them
// heavier than the 22-point-wide drawing would be in the same square.
QTransform squareFrame(qreal size) {
    const qreal scale = size / 20;
    return QTransform::fromTranslate((size - kWidth * scale) / 2, (size - kHeight * scale) / 2)
        .scale(scale, scale);
}

// Lines a tenth of the square wide: at 16 pixels still 1.6 pixels of glyph.
qreal squareLine(qreal size) {
    return size / 10;
}

struct Dot {
    QPointF centre;
    qreal radius;
};

Dot dotIn(qreal size) {
    const qreal radius = size * 0.19;
    return {{size - radius - size * 0.03, radius + size * 0.03}, radius};
}

QImage transparentImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

}  // namespace

QPainterPath wavePath(int index) {
    return wave(index == 0 ? 0 : std::numbers::pi);
}

QImage panelImage(std::optional<QColor> tint, bool attention, int size) {
    const QTransform frame = squareFrame(size);
    const QPainterPath waves = frame.map(wavePath(0)) + frame.map(wavePath(1));
    const qreal line = squareLine(size);
    const qreal rim = std::max(1.0, size / 24.0);
    QImage image = transparentImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!tint) {
        // Opaque on a layer of its own, laid down at reduced opacity, so that
        // the crossings of the waves are no denser than the rest.
        QImage layer = transparentImage(size);
        QPainter halo(&layer);
        halo.setRenderHint(QPainter::Antialiasing);
        halo.strokePath(waves, roundPen(kRim, line + 2 * rim));
        halo.end();
        painter.setOpacity(kRimOpacity);
        painter.drawImage(0, 0, layer);
        painter.setOpacity(1);
    }
    painter.strokePath(waves, roundPen(tint.value_or(kGlyph), line));
    if (attention) {
        const Dot dot = dotIn(size);
        // A clear gap around the dot keeps it apart from the waves.
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(dot.centre, dot.radius + rim + 1, dot.radius + rim + 1);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setBrush(kRim);
        painter.drawEllipse(dot.centre, dot.radius + rim, dot.radius + rim);
        painter.setBrush(attentionColor());
        painter.drawEllipse(dot.centre, dot.radius, dot.radius);
    }
    return image;
}

QIcon icon(std::optional<QColor> tint, bool attention) {
    QIcon result;
    for (int size : kPanelSizes)
        result.addPixmap(QPixmap::fromImage(panelImage(tint, attention, size)));
    return result;
}

QPainterPath symbolicPath(bool attention, qreal size) {
    const QTransform frame = squareFrame(size);
    QPainterPathStroker stroker;
    stroker.setWidth(size / 8);  // symbolic icons draw two-unit lines at 16
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath shape = stroker.createStroke(frame.map(wavePath(0)))
                             .united(stroker.createStroke(frame.map(wavePath(1))));
    if (attention) {
        const Dot dot = dotIn(size);
        QPainterPath gap;
        gap.addEllipse(dot.centre, dot.radius + size / 12, dot.radius + size / 12);
        shape = shape.subtracted(gap);
    }
    return shape.simplified();
}

QPainterPath attentionDot(qreal size) {
    const Dot dot = dotIn(size);
    QPainterPath path;
    path.addEllipse(dot.centre, dot.radius, dot.radius);
    return path;
}

QColor attentionColor() {
    return BrandColor::pink(Appearance::light);
}

QImage appImage(int size) {
    using namespace AppIconLayout;
    QImage image = transparentImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    const qreal tile = kCanvas - 2 * kTileInset;
    painter.setPen(QPen(kTileBorder, 2));
    painter.setBrush(BrandColor::paper(Appearance::light));
    painter.drawRoundedRect(QRectF(kTileInset, kTileInset, tile, tile), kTileRadius, kTileRadius);
    painter.translate(kWaveOrigin);
    painter.scale(kWaveScale, kWaveScale);
    const QColor colours[] = {BrandColor::violet(), BrandColor::pink(Appearance::light)};
    for (int index : {0, 1})
        painter.strokePath(wavePath(index), roundPen(colours[index], kLineWidth));
    return image;
}

QIcon appIcon() {
    QIcon result;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        result.addPixmap(QPixmap::fromImage(appImage(size)));
    return result;
}

QPixmap brand(qreal height, qreal devicePixelRatio) {
    const qreal scale = height / kHeight;
    QPixmap pixmap = canvas({kWidth * scale, kHeight * scale}, devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.strokePath(wavePath(0), roundPen(BrandColor::violet(), kLineWidth));
    painter.strokePath(wavePath(1), roundPen(BrandColor::pink(), kLineWidth));
    return pixmap;
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
