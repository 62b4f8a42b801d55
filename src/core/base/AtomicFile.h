#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
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
