#pragma once

#include "core/base/Uuid.h"
#include "core/store/ChangeMarks.h"
#include "core/store/Records.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cadro {

/// The answer given to a command that changed the store, kept under the id
/// its sender gave it: a command sent again (its first answer was lost) gets
/// this answer instead of being carried out twice.
struct RememberedReply {
    std::string id;
    int exitCode = 0;
    std::string out;
    std::string err;

    friend bool operator==(const RememberedReply&, const RememberedReply&) = default;
};

/// Everything the store keeps in "threads.json", in the order it is written.
struct PersistedState {
    std::vector<Strand> active = {};
    std::vector<Strand> parked = {};
    std::vector<Strand> snoozed = {};
    std::vector<Todo> todos = {};
    std::int64_t slot = 0;
    std::optional<Uuid> currentID = {};
    std::optional<Uuid> currentTodoID = {};
    std::optional<Uuid> interruptedTodoID = {};
    std::int64_t defaultSnoozeMinutes = 60;
    std::int64_t todoChancePercent = 5;
    std::string brainDump = {};
    std::optional<std::string> brainDumpFilePath = {};
    /// A file without the key reads as an open session.
    bool sessionOpen = true;
    /// Scheduled to-dos that fired and wait to be shown. Kept in the file so
    /// that a command run without the tray app, a process of its own, shows
    /// them one after the other as the app does.
    std::set<Uuid> pendingScheduledTodoIDs = {};
    /// The latest commands that changed the store, oldest first ("requests",
    /// written only when there are any; other readers ignore it).
    std::vector<RememberedReply> requests = {};
    /// What merging with a copy edited on another machine needs.
    ChangeMarks marks = {};

    friend bool operator==(const PersistedState&, const PersistedState&) = default;

    // Read-only views (pointers stay valid until the state changes).
    const std::vector<Strand>& threads(ThreadKind kind) const;
    /// The active thread named by currentID, else the first active thread.
    const Strand* current() const;
    const Todo* currentTodo() const;
    /// The first hygiene thread in active, parked, then snoozed.
    const Strand* hygiene() const;
    bool currentIsHygiene() const;
    bool hasOwnThreads() const;
    std::optional<Strand> strand(const Uuid& id) const;
    std::optional<Todo> todo(const Uuid& id) const;
    /// Which list holds the thread, if any.
    std::optional<ThreadKind> kindOf(const Uuid& id) const;
};

}  // namespace cadro
