#include "app/CaptureStage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace cadro {
namespace {

// The corner radius of the pictures, in device-independent pixels.
constexpr qreal kCornerRadius = 10;

}  // namespace

CaptureStage::CaptureStage(Windows windows, QObject* context)
    : windows_(std::move(windows)), context_(context) {}

void CaptureStage::showWelcome() {
    placeForCapture(windows_.showWelcome());
}

void CaptureStage::closeWelcome() {
    windows_.closeWelcome();
}

void CaptureStage::openSettingsWindow() {
    placeForCapture(windows_.openSettingsWindow());
}

std::optional<std::string> CaptureStage::capture(const std::filesystem::path& file) {
    QWidget* window = windows_.front();
    if (!window || !window->isVisible())
        return "no window is shown";
    const QPixmap picture = window->grab();
    if (picture.isNull())
        return "the window gave no picture";
    const QImage rounded =
        roundCorners(picture.toImage(), kCornerRadius * picture.devicePixelRatio());
    if (!rounded.save(QString::fromStdString(file.string()), "PNG"))
        return "cannot write " + file.string();
    return std::nullopt;
}

void CaptureStage::runAfter(int milliseconds, std::function<void()> action) {
    QTimer::singleShot(milliseconds, context_, std::move(action));
}

QImage CaptureStage::roundCorners(const QImage& image, qreal radius) {
    // Drawn in device pixels: the picture keeps every pixel of a sharp screen.
    QImage source = image;
    source.setDevicePixelRatio(1);
    QImage rounded(source.size(), QImage::Format_ARGB32_Premultiplied);
    rounded.fill(Qt::transparent);
    QPainter painter(&rounded);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(source));
    painter.drawRoundedRect(QRectF(rounded.rect()), radius, radius);
    painter.end();
    return rounded;
}

void CaptureStage::placeForCapture(QWidget* window) {
    QScreen* sharpest = nullptr;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (!sharpest || screen->devicePixelRatio() > sharpest->devicePixelRatio())
            sharpest = screen;
    }
    if (!window || !sharpest)
        return;
    const QRect frame = window->frameGeometry();
    window->move(window->pos() + sharpest->availableGeometry().center() - frame.center());
}

}  // namespace cadro
