#include "app/Alerts.h"
#include "app/QuitKey.h"
#include "app/TextPrompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace cadro {
namespace {

// Runs `show`, which holds a modal loop, and acts on the modal window from
// inside it as a user would. A window still open after a few seconds is
// closed, so that a broken key binding fails the test instead of hanging it.
template <typename Show>
auto insideModal(Show show, const std::function<void(QWidget&)>& user) {
    QObject scope;  // ends the timers with this call
    QTimer::singleShot(0, &scope, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        user(*modal);
    });
    QTimer::singleShot(5000, &scope, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "the window did not close";
            modal->close();
        }
    });
    return show();
}

std::optional<int> answer(const AlertContent& alert,
                          const std::function<void(QMessageBox&)>& user) {
    return insideModal([&] { return runAlert(alert); },
                       [&](QWidget& window) {
                           auto* box = qobject_cast<QMessageBox*>(&window);
                           ASSERT_NE(box, nullptr);
                           EXPECT_EQ(box->text().toStdString(), alert.message);
                           EXPECT_EQ(box->informativeText().toStdString(), alert.informativeText);
                           user(*box);
                       });
}

std::optional<QString> answer(TextPrompt& prompt, const std::function<void(TextPrompt&)>& user) {
    const auto result =
        insideModal([&] { return prompt.present(); }, [&](QWidget&) { user(prompt); });
    EXPECT_FALSE(prompt.isVisible());
    return result;
}

QPushButton* buttonTitled(QMessageBox& box, const QString& title) {
    for (QAbstractButton* button : box.buttons())
        if (button->text() == title)
            return qobject_cast<QPushButton*>(button);
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

    // Without buttons there is a single OK.
    const AlertContent failed{"Couldn't check for updates", "Check your connection.", {}};
    EXPECT_EQ(answer(failed,
                     [](QMessageBox& box) {
                         ASSERT_EQ(box.buttons().size(), 1);
                         QTest::keyClick(&box, Qt::Key_Return);
                     }),
              0);
}

TEST(TextPromptTest, ReturnOrOkGiveTheFieldAndEscapeOrCancelNothing) {
    using Close = std::function<void(TextPrompt&)>;
    const Close enter = [](TextPrompt& p) { QTest::keyClick(p.field(), Qt::Key_Enter); };
    const Close ok = [](TextPrompt& p) { p.okButton()->click(); };
    const Close escape = [](TextPrompt& p) { QTest::keyClick(p.field(), Qt::Key_Escape); };
    const Close cancel = [](TextPrompt& p) { p.cancelButton()->click(); };
    // The default starts selected, so typing replaces it; what is typed comes
    // back exactly; an empty field confirmed is an empty string, not a cancel;
    // pasted line breaks, tabs and escapes become spaces.
    const std::tuple<const char*, const char*, Close, std::optional<QString>> cases[] = {
        {"draft", "  outline ", enter, "  outline "},
        {"", "", enter, QString("")},
        {"keep me", "", ok, "keep me"},
        {"", "typed", escape, std::nullopt},
        {"x", "typed", cancel, std::nullopt},
        {"", "a\tb\nc\x1b[31m\u0085d", enter, "a b c [31m d"},
    };
    for (const auto& [start, typed, close, result] : cases) {
        SCOPED_TRACE(typed);
        TextPrompt prompt("Title", "Message", start);
        EXPECT_EQ(answer(prompt,
                         [&](TextPrompt& p) {
                             if (*typed)  // as typed or pasted
                                 p.field()->insert(QString::fromUtf8(typed));
                             close(p);
                         }),
                  result);
    }
}

TEST(QuitKey, CtrlQQuitsFromAnyWindowAndOtherKeysPassThrough) {
    int quits = 0;
    QuitKey key([&] { ++quits; });
    qApp->installEventFilter(&key);
    QLineEdit field;
    QTest::keyClick(&field, Qt::Key_Q);
    QTest::keyClick(&field, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(field.text(), "q");
    QTest::keyClick(&field, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quits, 1);
    qApp->removeEventFilter(&key);
}

}  // namespace
}  // namespace cadro
