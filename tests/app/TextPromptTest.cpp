#include "app/TextPrompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

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

TEST(TextPromptTest, ReturnConfirmsTheTypedTextWhichReplacesTheSelectedDefault) {
    TextPrompt prompt("Current step for “Write”", "What are you working on right now?", "draft");
    QString selectedAtStart;
    const auto result = answer(prompt, [&](TextPrompt& p) {
        selectedAtStart = p.field()->selectedText();
        QTest::keyClicks(p.field(), "  outline ");
        QTest::keyClick(p.field(), Qt::Key_Return);
    });
    EXPECT_EQ(selectedAtStart, "draft");
    EXPECT_EQ(result, std::optional<QString>("  outline ")) << "returned exactly as typed";
}

TEST(TextPromptTest, EachWayOfClosingGivesTheFieldOrNothing) {
    struct Case {
        const char* name;
        const char* start;
        std::function<void(TextPrompt&)> act;
        std::optional<QString> result;
    } cases[] = {
        // An empty field confirmed is an empty string, not a cancel.
        {"Enter on empty", "", [](TextPrompt& p) { QTest::keyClick(p.field(), Qt::Key_Enter); },
         QString("")},
        {"OK untouched", "keep me", [](TextPrompt& p) { p.okButton()->click(); }, "keep me"},
        {"Escape after typing", "",
         [](TextPrompt& p) {
             QTest::keyClicks(p.field(), "typed");
             QTest::keyClick(p.field(), Qt::Key_Escape);
         },
         std::nullopt},
        {"Cancel after typing", "x",
         [](TextPrompt& p) {
             QTest::keyClicks(p.field(), "typed");
             p.cancelButton()->click();
         },
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextPrompt prompt("Title", "Message", c.start);
        EXPECT_EQ(answer(prompt, c.act), c.result);
    }
}

TEST(TextPromptTest, OkIsTheDefaultAndALongMessageGrowsThePromptDown) {
    TextPrompt shortPrompt("Title", "Short.", "");
    TextPrompt longPrompt("Title", QString("A long explanation that has to wrap. ").repeated(12),
                          "");
    for (TextPrompt* prompt : {&shortPrompt, &longPrompt}) {
        prompt->show();
        QApplication::processEvents();
        EXPECT_TRUE(prompt->okButton()->isDefault());
        EXPECT_GT(prompt->okButton()->geometry().left(), prompt->cancelButton()->geometry().right())
            << "OK sits right of Cancel";
        prompt->hide();
    }
    EXPECT_EQ(longPrompt.width(), shortPrompt.width());
    EXPECT_GT(longPrompt.height(), shortPrompt.height() + 3 * shortPrompt.fontMetrics().height());
}

}  // namespace
}  // namespace cadro
