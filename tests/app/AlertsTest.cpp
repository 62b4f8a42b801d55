#include "app/Alerts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

namespace cadro {
namespace {

// Shows the alert and acts on the message box from inside its modal loop.
std::optional<int> answer(const AlertContent& alert,
                          const std::function<void(QMessageBox&)>& user) {
    QObject scope;  // ends the timers with this call
    QTimer::singleShot(0, &scope, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text().toStdString(), alert.message);
        EXPECT_EQ(box->informativeText().toStdString(), alert.informativeText);
        user(*box);
    });
    // A box left open by a failed expectation is closed instead of hanging the run.
    QTimer::singleShot(5000, &scope, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "the alert did not close";
            modal->close();
        }
    });
    return runAlert(alert);
}

QPushButton* buttonTitled(QMessageBox& box, const QString& title) {
    for (QAbstractButton* button : box.buttons()) {
        if (button->text() == title) {
            return qobject_cast<QPushButton*>(button);
        }
    }
    return nullptr;
}

TEST(AlertsTest, ReturnsTheIndexOfTheChosenButton) {
    const AlertContent available{
        "Cadro 2.0 is available", "You have Cadro 1.0.", {"Download", "Later"}};
    EXPECT_EQ(answer(available, [](QMessageBox& box) { buttonTitled(box, "Later")->click(); }), 1);
    EXPECT_EQ(answer(available, [](QMessageBox& box) { buttonTitled(box, "Download")->click(); }),
              0);
    // Return takes the first button, Escape the last, as in the system's alerts.
    EXPECT_EQ(answer(available, [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }),
              0);
    EXPECT_EQ(answer(available, [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              1);
}

TEST(AlertsTest, AlertWithoutButtonsHasASingleOk) {
    const AlertContent failed{
        "Couldn't check for updates", "Check your connection and try again.", {}};
    const auto chosen = answer(failed, [](QMessageBox& box) {
        ASSERT_EQ(box.buttons().size(), 1);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(chosen, 0);
}

}  // namespace
}  // namespace cadro
