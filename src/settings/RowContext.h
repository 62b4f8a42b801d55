#pragma once

#include <functional>

namespace cadro {

class Calendar;
class Clock;
class ThreadStore;
class Uuid;

/// What a row of the settings lists works with: the store it edits, the
/// calendar and clock of its texts, and where its snooze button leads (empty:
/// no snooze action), and who saves what is typed.
struct RowContext {
    ThreadStore* store = nullptr;
    const Calendar* calendar = nullptr;
    const Clock* clock = nullptr;
    std::function<void(const Uuid&)> onSnooze;
    /// Called after a keystroke's edit was kept for a save soon after.
    std::function<void()> typed;
};

}  // namespace cadro
