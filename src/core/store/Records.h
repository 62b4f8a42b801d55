#pragma once

#include "core/base/Date.h"
#include "core/base/Uuid.h"
#include "core/schedule/TodoSchedule.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cadro {

/// When, and on which machine, something last changed.
struct ChangeStamp {
    Date at;
    std::string on;

    friend bool operator==(const ChangeStamp&, const ChangeStamp&) = default;
};

/// A thread: something the user keeps coming back to, with the step they are
/// on and the steps planned after it.
struct Strand {
    Uuid id;
    std::string title;
    std::string step;
    std::vector<std::string> nextSteps;
    /// "#" and six hex digits; absent means no colour of its own.
    std::optional<std::string> colorHex;
    /// Absent: once per round. Present (at least 1): back after that many Nexts.
    std::optional<std::int64_t> priority;
    /// Carried through unchanged; nothing sets or reads it.
    std::optional<std::string> focusTarget;
    Date createdAt;
    /// The slot counter when this thread was last made current; absent puts it
    /// first in line.
    std::optional<std::int64_t> lastSlot;
    std::optional<Date> snoozedUntil;
    bool isHygiene = false;
    /// Set only while the store file is read; the state keeps record stamps
    /// in its ChangeMarks.
    std::optional<ChangeStamp> changed = {};

    friend bool operator==(const Strand&, const Strand&) = default;
};

/// A one-off task that drops in between threads, by chance or at its times.
struct Todo {
    Uuid id;
    std::string title;
    std::optional<std::int64_t> estimatedMinutes;
    std::optional<Date> snoozedUntil;
    Date createdAt;
    std::optional<TodoSchedule> schedule;
    /// The occurrence at which the schedule last fired, or a later one that
    /// was finished ahead of its time (so it does not fire).
    std::optional<Date> lastFiredAt;
    /// As Strand::changed.
    std::optional<ChangeStamp> changed = {};

    friend bool operator==(const Todo&, const Todo&) = default;
};

/// The three thread lists of the store.
enum class ThreadKind { active, parked, snoozed };

}  // namespace cadro
