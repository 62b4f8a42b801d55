#pragma once

// The changes a person makes to their threads, to-dos and preferences, from
// wherever they make them: the status menu, a shortcut, the command line, a
// notification's button or the settings window. Each says what became of it.

#include "core/actions/ActionResult.h"
#include "core/store/ThreadStore.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cadro::actions {

ActionResult startDay(ThreadStore& store);
ActionResult endDay(ThreadStore& store);
/// Moves on; nothing to do while nothing is current.
ActionResult next(ThreadStore& store);
/// Wakes the threads and to-dos whose snooze has run out.
ActionResult wakeDueSnoozes(ThreadStore& store);
/// Brings up the scheduled to-dos that fell due (shown only when
/// `canPresent`).
ActionResult processSchedules(ThreadStore& store, Date now, bool canPresent);
/// Both of the above: wakes due snoozes and brings up due scheduled to-dos (shown only when
/// `canPresent`).
ActionResult tick(ThreadStore& store, Date now, bool canPresent);

/// The current thread's step; nothing to do while no thread is current.
ActionResult setCurrentStep(ThreadStore& store, std::string step);
ActionResult addThread(ThreadStore& store, Strand thread);
/// The new to-do's id goes to `created` when given.
ActionResult addTodo(ThreadStore& store, const std::string& title,
                     std::optional<std::int64_t> minutes, std::optional<TodoSchedule> schedule,
                     Uuid* created = nullptr);
/// `when` soon: typing, written within a second (see ThreadStore::Save).
ActionResult reviseThread(ThreadStore& store, const Uuid& id, const ThreadRevision& revision,
                          Save when = Save::now);
ActionResult reviseTodo(ThreadStore& store, const Uuid& id, const TodoRevision& revision,
                        Save when = Save::now);
/// Moves the ring's threads at `offsets` to before the row at `destination`.
ActionResult moveActive(ThreadStore& store, const std::vector<std::size_t>& offsets,
                        std::size_t destination);
/// Adds another store's threads and to-dos beside these.
ActionResult importRecords(ThreadStore& store, const PersistedState& other);
/// Makes another store's threads and to-dos these (restoring an export).
ActionResult replaceRecords(ThreadStore& store, const PersistedState& other);
/// A thread or a to-do; the thread that keeps Cadro itself in the ring is
/// refused.
ActionResult remove(ThreadStore& store, const Uuid& id);

/// A thread in the ring.
ActionResult park(ThreadStore& store, const Uuid& id);
ActionResult unpark(ThreadStore& store, const Uuid& id);
/// A to-do, or a thread in the ring.
ActionResult snooze(ThreadStore& store, const Uuid& id, Date until);
/// A snoozed thread or to-do.
ActionResult wake(ThreadStore& store, const Uuid& id);
ActionResult finishTodo(ThreadStore& store, const Uuid& id);

/// Nothing to do when the linked file refused the text (it is kept in the
/// store alone); the message says why.
ActionResult editBrainDump(ThreadStore& store, std::string text, Save when = Save::now);
/// Refused when the file cannot be used (it is left alone); nothing to do
/// when it was linked but refused the store's text.
ActionResult linkBrainDumpFile(ThreadStore& store, const std::string& path);
ActionResult unlinkBrainDumpFile(ThreadStore& store);

/// Refused out of range (1 minute to a year).
ActionResult setDefaultSnoozeMinutes(ThreadStore& store, std::int64_t minutes);
/// Refused out of 0 to 100.
ActionResult setTodoChancePercent(ThreadStore& store, std::int64_t percent);

}  // namespace cadro::actions
