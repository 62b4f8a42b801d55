#include "gui/BrandColor.h"

#include <QGuiApplication>

namespace cadro::BrandColor {

namespace {

QLinearGradient pinkToViolet(QPointF from, QPointF to, Appearance appearance) {
    QLinearGradient gradient(from, to);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0, pink(appearance));
    gradient.setColorAt(1, violet());
    return gradient;
}

}  // namespace

Appearance appearanceOf(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Window).lightness() < 128 ? Appearance::dark
                                                                               : Appearance::light;
}

Appearance currentAppearance() {
    return appearanceOf(QGuiApplication::palette());
}

QColor violet() {
    return QColor(0x8B, 0x7C, 0xF6);
}

QColor pink(Appearance appearance) {
    return appearance == Appearance::dark ? QColor(0xF0, 0xAB, 0xFC) : QColor(0xD9, 0x46, 0xEF);
}

QColor pink() {
    return pink(currentAppearance());
}

QColor paper(Appearance appearance) {
    return appearance == Appearance::dark ? QColor(0x1D, 0x1A, 0x26) : QColor(0xFB, 0xFA, 0xF6);
}

QColor paper() {
    return paper(currentAppearance());
}

QColor accent() {
    return violet();
}

QLinearGradient gradient(Appearance appearance) {
    const bool rightToLeft = QGuiApplication::layoutDirection() == Qt::RightToLeft;
    return rightToLeft ? pinkToViolet({1, 0}, {0, 0}, appearance)
                       : pinkToViolet({0, 0}, {1, 0}, appearance);
}

QLinearGradient gradient() {
    return gradient(currentAppearance());
}

QLinearGradient verticalGradient(Appearance appearance) {
    return pinkToViolet({0, 0}, {0, 1}, appearance);
}

QLinearGradient verticalGradient() {
    return verticalGradient(currentAppearance());
}

}  // namespace cadro::BrandColor
