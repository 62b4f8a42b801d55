#pragma once

#include "core/base/Date.h"

#include <filesystem>
#include <string>
#include <vector>

namespace cadro {

class ThreadStore;

/// The copies of the store file that sync tools leave beside it when both
/// machines changed it: "threads.sync-conflict-….json" (Syncthing),
/// "threads (conflicted copy ….json" (Nextcloud) and
/// "threads (…'s conflicted copy ….json" (Dropbox).
bool isConflictCopyName(const std::string& name);
std::vector<std::filesystem::path> findConflictCopies(const std::filesystem::path& storeFile);

/// What taking the copies in did.
struct ConflictCopiesTaken {
    int merged = 0;
    /// Copies that could not be read as a store; moved aside all the same.
    int unreadable = 0;
    /// What the merges had to leave out (also in the brain dump).
    std::vector<std::string> notes;
    /// Why a copy stays where it is (the merged store could not be saved).
    std::string problem;
};

/// Merges every conflict copy beside the store's file into the store and,
/// once that is saved, moves the copy into "merged/" beside it, where copies
/// older than a week are removed.
ConflictCopiesTaken takeInConflictCopies(ThreadStore& store, Date now);

inline constexpr double kMergedCopiesKeptSeconds = 7 * 24 * 3600.0;

}  // namespace cadro
