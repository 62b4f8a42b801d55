#pragma once

#include "core/base/XdgFolders.h"

#include <filesystem>
#include <optional>
#include <string>

namespace cadro {

/// $XDG_DATA_HOME/Cadro: this machine's own folder. The store lives here
/// unless the user chose another folder; what belongs to this machine alone
/// (the lock, this machine's name) always does, so a synced data folder never
/// carries it.
std::filesystem::path machineFolder(const EnvironmentLookup& lookup = processEnvironment);

/// The folder the user chose for the data (remembered per machine in
/// $XDG_CONFIG_HOME/Cadro/data-folder); nothing when they chose none.
std::optional<std::filesystem::path> chosenDataFolder(
    const EnvironmentLookup& lookup = processEnvironment);

/// This machine's name in the store's change stamps: made up once and kept in
/// machineFolder(). "local" when it can be neither read nor kept.
std::string machineName(const EnvironmentLookup& lookup = processEnvironment);

/// What moving the data did.
struct DataMove {
    enum class Outcome {
        moved,
        /// The folder already held the data of another machine; this
        /// machine's data was merged into it.
        joined,
        alreadyThere,
        refused,
    };
    Outcome outcome = Outcome::refused;
    std::filesystem::path folder;
    /// Why it was refused, in words for the user.
    std::string problem;
};

/// Moves "threads.json" from `from` into `to` (created when missing) and
/// remembers `to` as this machine's data folder: the new file is written and
/// flushed to disk, then the choice is remembered, and only then is the old
/// file removed. A folder that already holds a store is refused unless
/// `join`, which merges this machine's data into that store. The caller holds
/// the store lock; `machine` names this machine in what a join writes.
DataMove moveDataFolder(const std::filesystem::path& from, const std::filesystem::path& to,
                        bool join, const std::string& machine,
                        const EnvironmentLookup& lookup = processEnvironment);

}  // namespace cadro
