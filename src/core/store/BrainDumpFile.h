#pragma once

#include "core/base/AtomicFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cadro {

/// The Markdown file the brain dump is kept in. It may sit in a folder other
/// people can write to, so it is read and written only while it is still the
/// file the user linked: a regular file of the user's own, reached without
/// following a symbolic link in its place, in the folder it was linked in, and
/// (for writes) the very file last read or written here. Anything else is
/// refused with a reason; nothing is ever written through a link.
class BrainDumpFile {
  public:
    /// Larger files are not taken as a brain dump.
    static constexpr std::int64_t kMaxBytes = 8 * 1024 * 1024;

    /// What became of a read.
    struct Read {
        /// The whole text; nothing when the file could not be taken.
        std::optional<std::string> text;
        /// The file does not exist (a write creates it).
        bool missing = false;
        /// Why it could not be taken (empty when it was, or is missing).
        std::string problem;
    };

    /// Forgets what was learnt about a file: the next read or write starts
    /// afresh, as for a newly linked file.
    void forget();
    /// Reads the file at `path` (UTF-8 text of at most kMaxBytes), without
    /// the line break that ends its last line.
    Read read(const std::filesystem::path& path);
    /// Replaces the file at `path` with `text` and a final line break
    /// atomically, or creates it.
    /// Returns why it was refused or failed; empty on success.
    std::string write(const std::filesystem::path& path, std::string_view text,
                      Durability durability = Durability::Synced);
    /// Creates a new file at `path` holding `text` and a final line break
    /// (never replacing anything there, a link included). EEXIST when the name is taken.
    static std::error_code createNew(const std::filesystem::path& path, std::string_view text);
    /// Keeps `text` in a new file beside `file`: "notes (conflict from
    /// Cadro).md", or with a number when that name is taken. Nothing when the
    /// folder takes no new file.
    static std::optional<std::filesystem::path> keepConflictCopy(const std::filesystem::path& file,
                                                                 std::string_view text);

    /// The path a chosen file is linked under: the links in it resolved now,
    /// while the user's choice is fresh, so that none is followed later.
    static std::filesystem::path resolvedChoice(const std::filesystem::path& chosen);

  private:
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        friend bool operator==(const Identity&, const Identity&) = default;
    };
    // The folder the file lives in, and the file as last read or written.
    std::optional<Identity> folder_;
    std::optional<Identity> file_;
};

}  // namespace cadro
