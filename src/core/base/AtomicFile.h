#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace cadro {

enum class Durability {
    /// fsync the data and the folder: after a crash or power cut the file holds
    /// either the old or the new content.
    Synced,
    /// Skip the fsyncs (benchmarks, throw-away data); still atomic for readers.
    Unsynced,
};

/// Replaces the file at `path` with `data` so that no reader ever sees a mix:
/// the bytes go to a temporary file in the same folder, which is synced and
/// renamed over the target, and then the folder is synced.
///
/// A symbolic link at `path` is followed and the file it points to is
/// replaced, so the link survives. A new file is readable by the user only;
/// an existing file keeps its permission bits.
std::error_code writeFileAtomically(const std::filesystem::path& path, std::string_view data,
                                    Durability durability = Durability::Synced);

/// What a replacing write found at its target.
struct Replacement {
    std::error_code error;
    /// The content the write displaced; nothing when no file was there.
    std::optional<std::string> displaced;
    /// Where the displaced file was kept because it was not what the caller
    /// expected; empty when it was dropped (or nothing was displaced).
    std::filesystem::path keptAt;
};

/// Like writeFileAtomically, but the writer knows exactly what it replaced:
/// the new file is swapped with the target in one step (RENAME_EXCHANGE), so
/// the temporary name then holds what was at the target a moment before.
/// When that differs from `expected` (nothing: no file was expected) the
/// displaced file is kept as `keepAs` (or `keepAs`-2, -3, ...) instead of being
/// removed, so an edit that landed just before the write is never lost. Where
/// the file system cannot swap names, the target is read and, if it differs,
/// linked to `keepAs` before a plain rename.
Replacement replaceFileKeepingOthers(const std::filesystem::path& path, std::string_view data,
                                     std::optional<std::string_view> expected,
                                     const std::filesystem::path& keepAs,
                                     Durability durability = Durability::Synced);

/// Writes all of `data` to `fd`, carrying on after interrupted writes; false
/// with errno set when a write fails.
bool writeAll(int fd, std::string_view data);

/// Reads a whole regular file. Returns an error for a missing or unreadable
/// file, and for anything that is not a regular file (a device or FIFO would
/// never end or block).
std::error_code readWholeFile(const std::filesystem::path& path, std::string& out);

/// Removes the temporary files that writes of `path` interrupted by a crash or
/// a power cut left in its folder. Only for the file's single writer.
void removeLeftoverTemporaries(const std::filesystem::path& path);

/// What identifies one version of a file: a replaced file has a new inode,
/// an edited one a new size or change time.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t changedNanoseconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

/// The stamp of the file at `path` (links followed); nothing when it is missing.
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

/// Creates `directory` and its missing parents; folders it creates are
/// accessible by the user only.
std::error_code createPrivateDirectories(const std::filesystem::path& directory);

}  // namespace cadro
