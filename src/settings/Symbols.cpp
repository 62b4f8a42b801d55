#include "settings/Symbols.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <string>

namespace cadro::Symbols {
namespace {

// Every symbol is drawn on a 16 × 16 grid and scaled; a 1.4 unit stroke with
// round caps reads well at 16 and 18 points and stays crisp at 2×.
constexpr qreal kGrid = 16;
constexpr qreal kStroke = 1.4;

using Draw = std::function<void(QPainter&)>;

void circle(QPainter& p) {
    p.drawEllipse(QPointF(8, 8), 6.3, 6.3);
}

void moonZzz(QPainter& p) {
    QPainterPath moon;
    moon.addEllipse(QPointF(7, 9), 5.5, 5.5);
    QPainterPath bite;
    bite.addEllipse(QPointF(10.2, 6.2), 4.3, 4.3);
    p.drawPath(moon.subtracted(bite));
    QPen thin = p.pen();
    thin.setWidthF(1.1);
    p.setPen(thin);
    p.drawPolyline(QPolygonF({{11, 1.5}, {14.5, 1.5}, {11, 5}, {14.5, 5}}));
}

void pauseCircle(QPainter& p) {
    circle(p);
    p.drawLine(QPointF(6.5, 5.5), QPointF(6.5, 10.5));
    p.drawLine(QPointF(9.5, 5.5), QPointF(9.5, 10.5));
}

void playCircle(QPainter& p) {
    circle(p);
    p.drawPolygon(QPolygonF({{6.6, 5.2}, {11, 8}, {6.6, 10.8}}));
}

void sunMax(QPainter& p) {
    p.drawEllipse(QPointF(8, 8), 2.8, 2.8);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * std::numbers::pi / 4;
        p.drawLine(QPointF(8 + 5 * std::cos(a), 8 + 5 * std::sin(a)),
                   QPointF(8 + 6.8 * std::cos(a), 8 + 6.8 * std::sin(a)));
    }
}

void trash(QPainter& p) {
    p.drawLine(QPointF(2.5, 4), QPointF(13.5, 4));
    p.drawPolyline(QPolygonF({{6, 4}, {6, 2}, {10, 2}, {10, 4}}));
    p.drawPolyline(QPolygonF({{4, 4}, {4.8, 14}, {11.2, 14}, {12, 4}}));
    p.drawLine(QPointF(6.8, 6.5), QPointF(7, 11.5));
    p.drawLine(QPointF(9.2, 6.5), QPointF(9, 11.5));
}

void listBullet(QPainter& p) {
    for (qreal y : {3.5, 8.0, 12.5}) {
        p.drawLine(QPointF(6, y), QPointF(14, y));
    }
    // Bullets as solid dots: a stroked point is too faint at 1×.
    const QColor ink = p.pen().color();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (qreal y : {3.5, 8.0, 12.5})
        p.drawEllipse(QPointF(2.5, y), 1.1, 1.1);
}

void alarm(QPainter& p) {
    p.drawEllipse(QPointF(8, 8.8), 5.4, 5.4);
    p.drawPolyline(QPolygonF({{8, 5.8}, {8, 8.8}, {10.2, 10.2}}));
    p.drawLine(QPointF(1.8, 3.6), QPointF(4, 1.6));
    p.drawLine(QPointF(14.2, 3.6), QPointF(12, 1.6));
}

void plus(QPainter& p) {
    p.drawLine(QPointF(8, 2.5), QPointF(8, 13.5));
    p.drawLine(QPointF(2.5, 8), QPointF(13.5, 8));
}

void clock(QPainter& p) {
    circle(p);
    p.drawPolyline(QPolygonF({{8, 4.5}, {8, 8}, {10.5, 9.5}}));
}

void timer(QPainter& p) {
    p.drawEllipse(QPointF(8, 9), 5.6, 5.6);
    p.drawLine(QPointF(6.2, 1.6), QPointF(9.8, 1.6));
    p.drawLine(QPointF(8, 1.6), QPointF(8, 3.4));
    p.drawLine(QPointF(8, 9), QPointF(10.4, 6.6));
}

void minusCircle(QPainter& p) {
    circle(p);
    p.drawLine(QPointF(5, 8), QPointF(11, 8));
}

void layers(QPainter& p) {
    // Three stacked sheets seen from above: a diamond and two chevrons under it.
    p.drawPolygon(QPolygonF({{8, 1.8}, {14.2, 5}, {8, 8.2}, {1.8, 5}}));
    p.drawPolyline(QPolygonF({{1.8, 8}, {8, 11.2}, {14.2, 8}}));
    p.drawPolyline(QPolygonF({{1.8, 11}, {8, 14.2}, {14.2, 11}}));
}

void arrowRightCircle(QPainter& p) {
    circle(p);
    p.drawLine(QPointF(4.8, 8), QPointF(11, 8));
    p.drawPolyline(QPolygonF({{8.2, 5.2}, {11, 8}, {8.2, 10.8}}));
}

void sunrise(QPainter& p) {
    p.drawLine(QPointF(1.5, 12.5), QPointF(14.5, 12.5));
    p.drawArc(QRectF(4.5, 7, 7, 7), 0, 180 * 16);
    p.drawPolyline(QPolygonF({{6.2, 3.6}, {8, 1.8}, {9.8, 3.6}}));
    p.drawLine(QPointF(2.2, 8.6), QPointF(3.4, 9.4));
    p.drawLine(QPointF(13.8, 8.6), QPointF(12.6, 9.4));
}

void checklist(QPainter& p) {
    for (qreal y : {3.5, 8.0, 12.5}) {
        p.drawPolyline(QPolygonF({{1.6, y}, {2.8, y + 1.2}, {5, y - 1.2}}));
        p.drawLine(QPointF(7.5, y), QPointF(14.5, y));
    }
}

void docText(QPainter& p) {
    p.drawPolygon(QPolygonF({{3.5, 1.5}, {9.5, 1.5}, {12.5, 4.5}, {12.5, 14.5}, {3.5, 14.5}}));
    for (qreal y : {7.0, 9.5, 12.0})
        p.drawLine(QPointF(5.8, y), QPointF(10.2, y));
}

const std::map<std::string, Draw, std::less<>>& drawings() {
    static const std::map<std::string, Draw, std::less<>> all{
        {"moon.zzz", moonZzz},
        {"pause.circle", pauseCircle},
        {"play.circle", playCircle},
        {"sun.max", sunMax},
        {"trash", trash},
        {"list.bullet", listBullet},
        {"alarm", alarm},
        {"plus", plus},
        {"clock", clock},
        {"timer", timer},
        {"minus.circle", minusCircle},
        {"square.stack.3d.up", layers},
        {"arrow.right.circle", arrowRightCircle},
        {"sunrise", sunrise},
        {"checklist", checklist},
        {"doc.text", docText},
    };
    return all;
}

}  // namespace

QPixmap pixmap(std::string_view name, qreal size, QColor color, qreal devicePixelRatio) {
    auto found = drawings().find(name);
    if (found == drawings().end())
        return {};
    const int pixels = int(std::ceil(size * devicePixelRatio));
    QPixmap pm(pixels, pixels);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    QPen pen(color, kStroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    found->second(painter);
    return pm;
}

QIcon icon(std::string_view name, qreal size, QColor color) {
    QIcon result;
    for (qreal ratio : {1.0, 2.0}) {
        QPixmap pm = pixmap(name, size, color, ratio);
        if (pm.isNull())
            return {};
        result.addPixmap(pm);
    }
    return result;
}

}  // namespace cadro::Symbols
