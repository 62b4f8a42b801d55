#pragma once

#include "core/demo/ScreenshotTour.h"

#include <QImage>

#include <functional>

class QObject;
class QWidget;

namespace cadro {

/// The screenshot tour's windowing side: shows the application's windows
/// through the hooks it is given and photographs them with Qt's own drawing,
/// so it needs no screen-capture program and works on any X server and on
/// the offscreen platform alike.
class CaptureStage final : public TourStage {
  public:
    struct Windows {
        /// Each shows its window and returns it.
        std::function<QWidget*()> showWelcome;
        std::function<QWidget*()> openSettingsWindow;
        std::function<void()> closeWelcome;
        /// The window in front now (a sheet before its settings window), or null.
        std::function<QWidget*()> front;
    };

    /// Delayed actions are dropped when `context` is gone.
    CaptureStage(Windows windows, QObject* context);

    void showWelcome() override;
    void closeWelcome() override;
    void openSettingsWindow() override;
    std::optional<std::string> capture(const std::filesystem::path& file) override;
    void runAfter(int milliseconds, std::function<void()> action) override;

    /// The image with its corners cut round to transparency.
    static QImage roundCorners(const QImage& image, qreal radius);
    /// Centres the window on the sharpest screen (the first of equals).
    static void placeForCapture(QWidget* window);

  private:
    Windows windows_;
    QObject* context_;
};

}  // namespace cadro
