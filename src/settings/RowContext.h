#pragma once

#include <functional>

namespace cadro {

class Calendar;
class Clock;
class ThreadStore;
class Uuid;

/// What a row of the settings lists works with: the store it edits, the
/// calendar and clock of its texts, and where its snooze button leads (empty:
/// no snooze action).
struct RowContext {
    ThreadStore* store = nullptr;
    const Calendar* calendar = nullptr;
    const Clock* clock = nullptr;
    std::function<void(const Uuid&)> onSnooze;
};

}  // namespace cadro
