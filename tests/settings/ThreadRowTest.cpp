#include "SettingsFixture.h"

#include "settings/Controls.h"

#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace cadro::testing {
namespace {

class ThreadRows : public SettingsFixture {};

TEST_F(ThreadRows, TitleAndStepEditsReachTheStore) {
    Uuid id = h.addThread("Essay");
    h->update(id, "Essay", "intro");
    ThreadRow* r = row(id);
    ASSERT_NE(r, nullptr);

    auto* title = in<QLineEdit>(r, "titleField");
    title->setFocus();
    QTest::keyClicks(title, " draft");
    EXPECT_EQ(h->strand(id)->title, "Essay draft");
    EXPECT_EQ(h->strand(id)->step, "intro");

    auto* step = in<QLineEdit>(r, "stepField");
    step->setFocus();
    QTest::keyClicks(step, "!");
    settle();
    EXPECT_EQ(h->strand(id)->title, "Essay draft");
    EXPECT_EQ(h->strand(id)->step, "intro!");
    // The row survives the redraw, so typing goes on in the same field.
    EXPECT_EQ(row(id), r);
    EXPECT_EQ(step->text(), "intro!");
}

TEST_F(ThreadRows, PriorityAndColourToggles) {
    Uuid id = h.addThread("Essay");
    ThreadRow* r = row(id);
    auto* priority = in<QCheckBox>(r, "priorityCheck");
    auto* spin = in<QSpinBox>(r, "prioritySpin");
    priority->click();
    EXPECT_EQ(h->strand(id)->priority, 1);
    settle();
    EXPECT_TRUE(spin->isVisibleTo(r));
    spin->setValue(4);
    EXPECT_EQ(h->strand(id)->priority, 4);
    priority->click();
    EXPECT_EQ(h->strand(id)->priority, std::nullopt);
    settle();
    EXPECT_FALSE(spin->isVisibleTo(r));

    auto* color = in<QCheckBox>(r, "colorCheck");
    color->click();
    EXPECT_EQ(h->strand(id)->colorHex, hexOf(systemBlue()));
    color->click();
    EXPECT_EQ(h->strand(id)->colorHex, std::nullopt);

    // A thread's own colour and priority come back when toggled on again.
    h->setColor(id, "#112233");
    h->setPriority(id, 7);
    settle();
    EXPECT_TRUE(priority->isChecked());
    EXPECT_EQ(spin->value(), 7);
    EXPECT_EQ(in<ColorWell>(r, "colorWell")->color(), QColor("#112233"));
}

TEST_F(ThreadRows, ActionsFollowTheList) {
    Uuid id = h.addThread("Essay");
    const Uuid hygiene = h->hygiene()->id;

    ThreadRow* own = row(id);
    ThreadRow* builtIn = row(hygiene);
    ASSERT_TRUE(own && builtIn);
    EXPECT_EQ(builtIn->findChild<QToolButton*>("removeButton"), nullptr);

    in<QToolButton>(own, "parkButton")->click();
    ASSERT_EQ(h->kindOf(id), ThreadKind::parked);
    ThreadRow* parked = row(id);
    ASSERT_NE(parked, nullptr);
    EXPECT_EQ(parked->findChild<QToolButton*>("snoozeButton"), nullptr);
    in<QToolButton>(parked, "unparkButton")->click();
    ASSERT_EQ(h->kindOf(id), ThreadKind::active);

    h->snooze(id, h.clock.now() + 86400);
    ThreadRow* snoozed = row(id);
    ASSERT_NE(snoozed, nullptr);
    auto* wakes = in<QLabel>(snoozed, "wakesText");
    EXPECT_TRUE(wakes->text().startsWith("Wakes ")) << wakes->text().toStdString();
    EXPECT_TRUE(wakes->isVisibleTo(snoozed));
    in<QToolButton>(snoozed, "wakeButton")->click();
    ASSERT_EQ(h->kindOf(id), ThreadKind::active);

    in<QToolButton>(row(id), "removeButton")->click();
    EXPECT_EQ(h->kindOf(id), std::nullopt);
    EXPECT_EQ(row(id), nullptr);
}

TEST_F(ThreadRows, ActionsShowOnlyWhileHovered) {
    ThreadRow* r = row(h.addThread("Essay"));
    auto* effect =
        qobject_cast<QGraphicsOpacityEffect*>(in<QWidget>(r, "rowActions")->graphicsEffect());
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->opacity(), 0.0);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(r, &enter);
    EXPECT_EQ(effect->opacity(), 1.0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(r, &leave);
    EXPECT_EQ(effect->opacity(), 0.0);
}

TEST_F(ThreadRows, NowBadgeOnlyForTheCurrentRowOfAnOpenDay) {
    const auto ids = openDay({"Essay", "Taxes"});
    ASSERT_EQ(h->currentID(), ids[0]);
    auto badge = [&](const Uuid& id) {
        return in<QLabel>(row(id), "nowBadge")->isVisibleTo(row(id));
    };
    EXPECT_TRUE(badge(ids[0]));
    EXPECT_FALSE(badge(ids[1]));
    h->endDay();
    EXPECT_FALSE(badge(ids[0]));
}

TEST_F(ThreadRows, ReorderingTheActiveListChangesTheNextThread) {
    const auto ids = openDay({"A", "B", "C"});
    const Uuid c = ids[2];
    ASSERT_EQ(h->currentID(), ids[0]);
    settle();

    // Third row dropped between the first and the second.
    tab("activeTab")->list()->moveRows({2}, 1);
    ASSERT_EQ(h->active()[1].id, c);
    settle();
    auto* list = tab("activeTab")->list();
    EXPECT_EQ(static_cast<ThreadRow*>(list->itemWidget(list->item(1)))->thread().id, c);

    h->next();
    EXPECT_EQ(h->currentID(), c);
}

}  // namespace
}  // namespace cadro::testing
