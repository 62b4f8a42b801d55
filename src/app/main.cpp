// cadro-tray: the tray application. Started again while it runs, it brings
// the running one forward and ends.
#include "app/AppController.h"
#include "app/QSettingsDefaults.h"
#include "core/environment/AppId.h"
#include "core/updates/AppVersion.h"
#include "gui/StatusIcon.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: cadro-tray [--demo | --demo-empty] [--capture DIRECTORY]\n"
    "\n"
    "Starts Cadro in the panel. The cadro command talks to it; \"cadro help\" lists\n"
    "what it can do.\n"
    "\n"
    "  --demo               run in a throw-away sandbox filled with sample data\n"
    "  --demo-empty         run in an empty throw-away sandbox\n"
    "  --capture DIRECTORY  write screenshots of every window to DIRECTORY and quit\n"
    "  --help               show this help and quit\n"
    "  --version            show the version and quit\n"
    "\n"
    "Qt's own options (-platform, -display, ...) are understood as well.\n";

// --help and --version answer before Qt starts, so they work without a display.
bool answersAndQuits(const std::vector<std::string_view>& arguments) {
    for (std::string_view argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return true;
        }
        if (argument == "--version") {
            std::printf("cadro-tray %s\n",
                        cadro::AppVersion::current().value_or("(unknown version)").c_str());
            return true;
        }
    }
    return false;
}

// What Qt left of the command line after taking its own options; empty when
// all of it is ours, else the first argument we do not know.
std::optional<std::string> unknownArgument(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--demo" || argument == "--demo-empty")
            continue;
        if (argument == "--capture" && i + 1 < arguments.size()) {
            ++i;
            continue;
        }
        return argument;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    // A closed pipe (stderr whose reader has gone, a client that hung up)
    // shows as a failed write, never as the end of the app.
    std::signal(SIGPIPE, SIG_IGN);
    if (answersAndQuits(std::vector<std::string_view>(argv + 1, argv + argc)))
        return 0;
    QApplication app(argc, argv);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (auto unknown = unknownArgument(arguments)) {
        std::fprintf(stderr, "cadro-tray: unknown argument '%s'\nTry 'cadro-tray --help'.\n",
                     unknown->c_str());
        return 2;
    }
    QApplication::setApplicationName("Cadro");
    // Wayland compositors match windows to the launcher entry by this name.
    QGuiApplication::setDesktopFileName(
        QString::fromUtf8(cadro::kAppId.data(), cadro::kAppId.size()));
    // Every window (settings, welcome, prompts, alerts) shows it in its frame
    // and in the task switcher.
    QApplication::setWindowIcon(cadro::StatusIcon::appIcon());
    QApplication::setQuitOnLastWindowClosed(false);  // a tray app has no main window

    cadro::QSettingsDefaultsProvider defaults;
    cadro::AppController controller(cadro::AppEnvironment::current(arguments, defaults), defaults);
    if (!controller.start())
        return controller.broughtForward() ? 0 : 1;
    return QApplication::exec();
}
