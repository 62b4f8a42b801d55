#pragma once

namespace cadro {

/// A file descriptor that becomes readable when the wall clock jumps: it is
/// set by hand or by time synchronisation, or the machine wakes from sleep.
/// Timers that count elapsed time run late after either; this tells when to
/// look at the clock again.
class ClockChanges {
  public:
    ClockChanges();
    ~ClockChanges();
    ClockChanges(const ClockChanges&) = delete;
    ClockChanges& operator=(const ClockChanges&) = delete;

    /// -1 when the system offers no such notice.
    int fd() const { return fd_; }
    /// Empties the descriptor after it became readable and listens again.
    void acknowledge();

  private:
    void arm();

    int fd_ = -1;
};

}  // namespace cadro
