#include "settings/Style.h"

#include "gui/BrandColor.h"

#include <QApplication>
#include <QFontInfo>
#include <QFrame>

#include <algorithm>

namespace cadro {

QColor systemBlue() {
    return QColor(0x00, 0x7A, 0xFF);
}

QColor threadColorOrAccent(const Strand* thread) {
    if (thread) {
        if (auto color = colorFromHex(thread->colorHex))
            return *color;
    }
    return BrandColor::accent();
}

QColor secondaryTextColor(const QWidget* widget) {
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.6f);
    return color;
}

namespace {
constexpr qreal kBodyPoints = 13;
}

QFont scaledFont(qreal points, QFont::Weight weight) {
    QFont font = QApplication::font();
    const qreal factor = points / kBodyPoints;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(std::max(1, qRound(font.pixelSize() * factor)));
    font.setWeight(weight);
    return font;
}

int scaled(int length) {
    const qreal body = QFontInfo(QApplication::font()).pixelSize();
    return qRound(length * std::max<qreal>(1, body / kBodyPoints));
}

void setTextColor(QWidget* widget, const QColor& color) {
    widget->setStyleSheet(QString("color: rgba(%1, %2, %3, %4);")
                              .arg(color.red())
                              .arg(color.green())
                              .arg(color.blue())
                              .arg(color.alphaF()));
}

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.15f);
    palette.setColor(QPalette::WindowText, color);
    line->setPalette(palette);
    return line;
}

}  // namespace cadro
