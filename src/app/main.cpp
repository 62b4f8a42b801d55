// cadro-tray: the tray application. Started again while it runs, it brings
// the running one forward and ends.
#include "app/AppController.h"
#include "app/QSettingsDefaults.h"
#include "core/environment/AppId.h"

#include <QApplication>

#include <csignal>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // A closed pipe (stderr whose reader has gone, a client that hung up)
    // shows as a failed write, never as the end of the app.
    std::signal(SIGPIPE, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Cadro");
    // Wayland compositors match windows to the launcher entry by this name.
    QGuiApplication::setDesktopFileName(
        QString::fromUtf8(cadro::kAppId.data(), cadro::kAppId.size()));
    QApplication::setQuitOnLastWindowClosed(false);  // a tray app has no main window

    std::vector<std::string> arguments(argv + 1, argv + argc);
    cadro::QSettingsDefaultsProvider defaults;
    cadro::AppController controller(cadro::AppEnvironment::current(arguments, defaults), defaults);
    if (!controller.start())
        return controller.broughtForward() ? 0 : 1;
    return QApplication::exec();
}
