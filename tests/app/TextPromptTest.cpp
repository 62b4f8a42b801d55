#include "app/TextPrompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace cadro {
namespace {

// Runs the prompt's modal loop and acts on it from inside the loop, the way a
// user would. A prompt still open after a few seconds is closed so that a
// broken key binding fails the test instead of hanging it.
std::optional<QString> answer(TextPrompt& prompt, const std::function<void(TextPrompt&)>& user) {
    bool timedOut = false;
    QTimer::singleShot(0, &prompt, [&] { user(prompt); });
    QTimer::singleShot(5000, &prompt, [&] {
        timedOut = true;
        prompt.reject();
    });
    std::optional<QString> result = prompt.present();
    EXPECT_FALSE(timedOut) << "the prompt did not close";
    EXPECT_FALSE(prompt.isVisible());
    return result;
}

TEST(TextPromptTest, PastedLineBreaksTabsAndEscapesBecomeSpaces) {
    TextPrompt prompt("Next step", "What next?", "");
    const auto result = answer(prompt, [&](TextPrompt& p) {
        p.field()->insert(QString::fromUtf8("a\tb\nc\x1b[31m\u0085d"));
        QTest::keyClick(p.field(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QString("a b c [31m d"));
}

TEST(TextPromptTest, ReturnOrOkGiveTheFieldAndEscapeOrCancelNothing) {
    using Close = std::function<void(TextPrompt&)>;
    const Close enter = [](TextPrompt& p) { QTest::keyClick(p.field(), Qt::Key_Enter); };
    const Close ok = [](TextPrompt& p) { p.okButton()->click(); };
    const Close escape = [](TextPrompt& p) { QTest::keyClick(p.field(), Qt::Key_Escape); };
    const Close cancel = [](TextPrompt& p) { p.cancelButton()->click(); };
    // The default starts selected, so typing replaces it; what is typed comes
    // back exactly; an empty field confirmed is an empty string, not a cancel.
    const std::tuple<const char*, const char*, Close, std::optional<QString>> cases[] = {
        {"draft", "  outline ", enter, "  outline "},
        {"", "", enter, QString("")},
        {"keep me", "", ok, "keep me"},
        {"", "typed", escape, std::nullopt},
        {"x", "typed", cancel, std::nullopt},
    };
    for (const auto& [start, typed, close, result] : cases) {
        SCOPED_TRACE(typed);
        TextPrompt prompt("Title", "Message", start);
        EXPECT_EQ(answer(prompt,
                         [&](TextPrompt& p) {
                             QTest::keyClicks(p.field(), typed);
                             close(p);
                         }),
                  result);
    }
}

TEST(TextPromptTest, OkIsTheDefaultAndALongMessageGrowsThePromptDown) {
    TextPrompt shortPrompt("Title", "Short.", "");
    TextPrompt longPrompt("Title", QString("A long explanation that has to wrap. ").repeated(12),
                          "");
    for (TextPrompt* prompt : {&shortPrompt, &longPrompt}) {
        prompt->show();
        QApplication::processEvents();
    }
    EXPECT_TRUE(shortPrompt.okButton()->isDefault());
    EXPECT_GT(shortPrompt.okButton()->geometry().left(),
              shortPrompt.cancelButton()->geometry().right())
        << "OK sits right of Cancel";
    EXPECT_EQ(longPrompt.width(), shortPrompt.width());
    EXPECT_GT(longPrompt.height(), shortPrompt.height() + 3 * shortPrompt.fontMetrics().height());
}

}  // namespace
}  // namespace cadro
