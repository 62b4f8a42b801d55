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

TEST(AlertsTest, UpdateResultTexts) {
    EXPECT_EQ(
        updateResultAlert({true, "1.4.0", "1.3.2"}),
        (AlertText{"Cadro 1.4.0 is available", "You have Cadro 1.3.2.", {"Download", "Later"}}));
    EXPECT_EQ(updateResultAlert({true, "1.4.0", ""}).informativeText, "You have Cadro .");
    EXPECT_EQ(updateResultAlert({true, std::nullopt, "1.3.2"}),
              (AlertText{"You're up to date", "Cadro 1.3.2 is the latest version.", {}}));
    // A failed check says nothing about versions, even when some are known.
    EXPECT_EQ(
        updateResultAlert({false, "1.4.0", "1.3.2"}),
        (AlertText{"Couldn't check for updates", "Check your connection and try again.", {}}));
}

// Shows the alert and acts on the message box from inside its modal loop.
std::optional<int> answer(const AlertText& alert, const std::function<void(QMessageBox&)>& user) {
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
    const AlertText available = updateResultAlert({true, "2.0", "1.0"});
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
    const AlertText failed = updateResultAlert({});
    const auto chosen = answer(failed, [](QMessageBox& box) {
        ASSERT_EQ(box.buttons().size(), 1);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(chosen, 0);
}

}  // namespace
}  // namespace cadro
