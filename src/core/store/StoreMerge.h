#pragma once

#include "core/store/StoreFile.h"

#include <string>
#include <vector>

namespace cadro {

/// How long a deletion is remembered: a copy from another machine older than
/// this may bring the record back.
inline constexpr double kDeletionMemorySeconds = 30 * 24 * 3600.0;

/// The machine name merges give what they write themselves (their notes).
inline constexpr const char* kMergeMachine = "merge";

struct MergeResult {
    PersistedState state;
    /// What had to give way, as added to the brain dump.
    std::vector<std::string> notes;
};

/// Merges a copy of the store changed on another machine (`theirs`) into
/// `ours`, record by record. The same two copies give the same result on every
/// machine, and merging a copy again changes nothing.
MergeResult mergeStores(const PersistedState& ours, const PersistedState& theirs);

/// Stamps what changed between `before` (the file as last read or written)
/// and `after` with `now` and `machine`: records, deletions, the day's state,
/// the brain dump and the ring's order. What a merge brought in keeps the
/// stamp it came with. Forgets deletions older than kDeletionMemorySeconds.
void stampChanges(const PersistedState& before, PersistedState& after, Date now,
                  const std::string& machine);
/// The same, matching records by id alone rather than first by their place:
/// slower, and the reference the usual way is checked against.
void stampChangesById(const PersistedState& before, PersistedState& after, Date now,
                      const std::string& machine);

}  // namespace cadro
