#include "XvfbServer.h"

#include <QGuiApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace cadro::testing {

namespace {

QString gDisplay;
bool gInstalled = false;

// Starts Xvfb on a free display number of its own choosing (-displayfd), so
// that parallel test runs never collide. Returns the server's pid, or -1.
pid_t startXvfb(const QString& program, QString& display) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1;
    }
    const std::string fd = std::to_string(fds[1]);
    const std::string path = program.toStdString();
    const pid_t pid = fork();
    if (pid == 0) {
        // Take the server down with the test program, even when it crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        execl(path.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
              "640x480x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd watch{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&watch, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    display = QStringLiteral(":") + QString::fromStdString(number);
    return pid;
}

}  // namespace

QString xvfbDisplay() {
    return gDisplay;
}
bool xvfbInstalled() {
    return gInstalled;
}

}  // namespace cadro::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    pid_t server = -1;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    cadro::testing::gInstalled = !program.isEmpty();
    if (cadro::testing::gInstalled) {
        server = cadro::testing::startXvfb(program, cadro::testing::gDisplay);
    }
    if (server > 0) {
        setenv("DISPLAY", cadro::testing::gDisplay.toLocal8Bit().constData(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    } else {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int result = 0;
    {
        QGuiApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
    return result;
}
