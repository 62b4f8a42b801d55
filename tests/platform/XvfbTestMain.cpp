#include "XvfbServer.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>

#include <cstdlib>

namespace cadro::testing {
namespace {
QString gDisplay;
}  // namespace

QString xvfbDisplay() {
    return gDisplay;
}

}  // namespace cadro::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    // Xvfb picks a free display number itself (-displayfd), so that parallel
    // test runs never collide, and goes down with us even when we crash.
    QProcess server;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (!program.isEmpty()) {
        server.setProgram(program);
        server.setArguments({"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
        server.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        server.start();
        while (server.waitForReadyRead(10000) && !server.canReadLine()) {
        }
        const QByteArray number = server.readLine().trimmed();
        if (!number.isEmpty())
            cadro::testing::gDisplay = ":" + QString::fromLatin1(number);
    }
    if (!cadro::testing::gDisplay.isEmpty()) {
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
    server.terminate();
    server.waitForFinished();
    return result;
}
