#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>

#include <cstdlib>

// Runs the tests against an Xvfb of their own. Xvfb picks a free display
// number itself (-displayfd), so that parallel test runs never collide, and
// goes down with us even when we crash. Without it the tests run on the
// offscreen platform, where the X tests fail their set-up.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QProcess server;
    QByteArray display;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (!program.isEmpty()) {
        server.setProgram(program);
        server.setArguments({"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"});
        server.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        server.start();
        while (server.waitForReadyRead(10000) && !server.canReadLine()) {
        }
        display = server.readLine().trimmed();
    }
    setenv("DISPLAY", (":" + display).constData(), 1);
    setenv("QT_QPA_PLATFORM", display.isEmpty() ? "offscreen" : "xcb", 1);
    int result = 0;
    {
        QGuiApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    server.terminate();
    server.waitForFinished();
    return result;
}
