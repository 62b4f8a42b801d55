#pragma once

#include "core/base/Date.h"

namespace cadro {

/// Where every "now" comes from, so that tests can pin and move time.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

/// The real wall clock.
class SystemClock final : public Clock {
  public:
    Date now() const override;
    /// One shared instance; it has no state.
    static const SystemClock& instance();
};

/// A clock that stands still until told to move. Used by tests and by tools
/// that replay a moment.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(Date start = {}) : now_(start) {}
    Date now() const override { return now_; }
    void set(Date date) { now_ = date; }
    void advance(double seconds) { now_ = now_ + seconds; }

  private:
    Date now_;
};

}  // namespace cadro
