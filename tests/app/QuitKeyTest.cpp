#include "app/QuitKey.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace cadro {
namespace {

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
