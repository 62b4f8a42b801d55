#pragma once

#include "core/base/Date.h"
#include "core/store/Records.h"
#include "core/store/ThreadStore.h"

#include <optional>

namespace cadro {

class Calendar;

/// What finishing a to-do that is not up does to it.
struct TodoFinish {
    /// The occurrence the user has done: the one that fired and waits to be
    /// shown again, one that passed unseen earlier today, or else the next one
    /// (done ahead of time). None for a to-do without schedule.
    std::optional<Date> finishes;
    /// When it comes up again; none means the to-do is gone.
    std::optional<Date> next;

    friend bool operator==(const TodoFinish&, const TodoFinish&) = default;
};

/// `waiting`: the to-do fired or was snoozed and waits to be shown again.
TodoFinish planFinish(const Todo& todo, bool waiting, Date now, const Calendar& calendar);

/// The to-do is up, or fired or was snoozed and waits to be shown.
bool isUpOrWaiting(const ThreadStore& store, const Todo& todo);
/// A scheduled to-do with no time ahead that is neither up nor waiting: it
/// would sit in the list for good.
bool neverComesUp(const ThreadStore& store, const Todo& todo, Date now, const Calendar& calendar);

}  // namespace cadro
