#include "app/MinuteTimer.h"

#include "platform/linux/ClockChanges.h"

#include <QDateTime>
#include <QSocketNotifier>

namespace cadro {
namespace {

constexpr qint64 kMinuteMs = 60'000;
// Lands a little after the minute, never just before it.
constexpr qint64 kLateMs = 150;

}  // namespace

MinuteTimer::MinuteTimer(std::function<void()> tick, QObject* parent)
    : QObject(parent), tick_(std::move(tick)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &MinuteTimer::fire);
    changes_ = std::make_unique<ClockChanges>();
    if (changes_->fd() >= 0) {
        changed_ = new QSocketNotifier(changes_->fd(), QSocketNotifier::Read, this);
        changed_->setEnabled(false);
        connect(changed_, &QSocketNotifier::activated, this, [this] {
            changes_->acknowledge();
            if (changes_->fd() < 0)
                changed_->setEnabled(false);
            fire();  // whatever fell due meanwhile, now
        });
    }
}

MinuteTimer::~MinuteTimer() = default;

int MinuteTimer::untilNextMinute(qint64 nowMs) {
    const qint64 intoMinute = ((nowMs % kMinuteMs) + kMinuteMs) % kMinuteMs;
    return int(kMinuteMs - intoMinute + kLateMs);
}

void MinuteTimer::start() {
    if (changed_)
        changed_->setEnabled(changes_->fd() >= 0);
    arm();
}

void MinuteTimer::stop() {
    timer_.stop();
    if (changed_)
        changed_->setEnabled(false);
}

void MinuteTimer::arm() {
    timer_.start(untilNextMinute(QDateTime::currentMSecsSinceEpoch()));
}

void MinuteTimer::fire() {
    arm();  // first, so that a tick that opens a dialog does not hold it up
    tick_();
}

}  // namespace cadro
