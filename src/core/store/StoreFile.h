#pragma once

#include "core/base/AtomicFile.h"
#include "core/base/Clock.h"
#include "core/store/PersistedState.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace cadro {

/// The life of the store file: reading it, noticing edits other programs
/// made, keeping damaged or displaced versions aside, and saving. It reports
/// what happened; what the state becomes is the caller's business.
class StoreFile {
  public:
    /// `writes` false reads the file but never writes it (benchmarks, previews).
    StoreFile(std::filesystem::path path, const Clock& clock, Durability durability, bool writes);

    const std::filesystem::path& path() const { return path_; }

    /// A read at start-up: the state, or nothing with the reason (none when
    /// the file does not exist yet).
    struct Read {
        std::optional<PersistedState> state;
        std::string problem;
    };
    Read read();
    /// The last file read, decoded again exactly as read() decoded it.
    PersistedState decodeAsRead() const;

    enum class Change {
        none,
        /// Another program changed the file: `state` holds its content.
        reloaded,
        /// The file was changed into something unreadable; it is kept aside
        /// when the next save replaces it (loadProblem() says why).
        damaged,
        /// The file changed while the caller held unsaved changes: those win,
        /// the other version was kept aside.
        keptAside,
    };
    struct Outside {
        Change change = Change::none;
        std::optional<PersistedState> state;
    };
    /// Looks for an edit another program made since this file was last read
    /// or written. `unsaved` is the caller's state when it holds changes not
    /// yet on disk (nullptr otherwise).
    Outside checkOutside(const PersistedState* unsaved);

    /// Writes the state; false (saveProblem() says why) when it could not.
    bool save(const PersistedState& state);
    /// From now on nothing is written: another process owns the file.
    void stopWriting() { writes_ = false; }

    enum class Health {
        good,
        /// Read but not understood: kept aside when the first change is saved.
        damaged,
        /// Cannot be read (permissions, I/O): it is never replaced, and
        /// nothing is saved until it can be read again.
        unreadable,
    };
    Health health() const;
    /// Why the file could not be used, and where a damaged file was kept;
    /// empty when it loaded (or did not exist yet).
    const std::string& loadProblem() const { return loadProblem_; }
    /// Why the last save failed; empty after one that worked.
    const std::string& saveProblem() const { return saveProblem_; }
    /// Where the last edit of another program that a save displaced was kept.
    const std::string& keptAside() const { return keptAside_; }
    /// How many saves reached the disk.
    int writeCount() const { return writeCount_; }

  private:
    PersistedState decodeSettled(std::string& bytes);
    bool noteUnreadable(std::error_code error);
    bool keepAside(const char* label);
    std::string asideName(const char* label) const;
    void remember(std::string bytes);

    std::filesystem::path path_;
    const Clock* clock_;
    Durability durability_;
    bool writes_;
    std::string loadProblem_;
    std::string saveProblem_;
    std::string keptAside_;
    bool damagedToKeep_ = false;
    bool unreadable_ = false;
    int writeCount_ = 0;
    // The file as last read or written here, to tell our own saves from
    // other programs' edits.
    std::optional<FileStamp> stamp_;
    std::string bytes_;
    // The time records without "createdAt" took in the last decode.
    Date decodedAt_{};
};

/// The folder the user chose for their data, else $XDG_DATA_HOME/Cadro
/// (~/.local/share/Cadro).
std::filesystem::path defaultStoreDirectory();

}  // namespace cadro
