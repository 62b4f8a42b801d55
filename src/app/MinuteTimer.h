#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace cadro {

class ClockChanges;

/// Calls back on every wall-clock minute (hh:mm:00), where scheduled to-dos
/// and most snoozes fall due, rather than every so often from whenever the
/// app started. Armed afresh for the next minute each time, and at once when
/// the clock jumps or the machine wakes, since a timer counting elapsed time
/// knows of neither.
class MinuteTimer : public QObject {
  public:
    explicit MinuteTimer(std::function<void()> tick, QObject* parent = nullptr);
    ~MinuteTimer() override;

    void start();
    void stop();

    /// Milliseconds from `nowMs` (since the epoch) to just past the next
    /// minute.
    static int untilNextMinute(qint64 nowMs);

  private:
    void arm();
    void fire();

    std::function<void()> tick_;
    QTimer timer_;
    std::unique_ptr<ClockChanges> changes_;
    QSocketNotifier* changed_ = nullptr;
};

}  // namespace cadro
