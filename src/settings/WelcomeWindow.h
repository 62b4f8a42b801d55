#pragma once

#ifndef Q_MOC_RUN
#include "core/autostart/LaunchAtLogin.h"
#endif

#include <QDialog>

class QCheckBox;

namespace cadro {

/// The window shown on the first start: what threads, Next, the day and
/// to-dos are, a switch to start Cadro at login, and the way to a first
/// thread. Return chooses "Add Your First Thread"; Escape or the window's
/// close button close it.
class WelcomeWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kInstallToStartAtLogin =
        "Install Cadro to have it start when you log in.";

    /// `nextShortcut` is the Next combo as the desktop names it.
    WelcomeWindow(const LaunchAtLogin& launchAtLogin, const QString& nextShortcut,
                  QWidget* parent = nullptr);

  signals:
    /// "Add Your First Thread" was chosen; the window has closed.
    void addThreadChosen();
    /// The window was closed in any other way.
    void closed();

  protected:
    void done(int result) override;

  private:
    QWidget* makeHeading();
    QWidget* makePoint(const char* symbol, const QString& title, const QString& text);
    QWidget* makeLoginLine();

    const LaunchAtLogin& launchAtLogin_;
};

}  // namespace cadro
