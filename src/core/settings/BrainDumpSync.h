#pragma once

#include "core/store/ThreadStore.h"

#include <filesystem>
#include <optional>
#include <string>

namespace cadro {

/// Keeps the brain dump page and its linked file in step, without ever losing
/// text written by another editor. When the file changed outside since the
/// page last saw it and the page is then edited, both texts are kept: the
/// file keeps the outside text (which the page then shows) and the page's
/// text goes to a conflict copy beside the file.
class BrainDumpSync {
  public:
    explicit BrainDumpSync(ThreadStore& store);

    /// Takes the linked file's text when it differs from the page's (another
    /// editor changed it). Does not save.
    void refresh();
    /// The user edited the page. Returns the conflict copy's path when the
    /// edit could not go into the file because the file changed outside.
    std::optional<std::filesystem::path> edit(std::string text, Save when = Save::now);
    /// Links the file (see ThreadStore::linkBrainDumpFile); false when it is
    /// refused.
    bool link(const std::filesystem::path& path);

    /// Where a conflict copy of `file` goes: "notes (conflict from Cadro).md",
    /// or with a number when that name is taken.
    static std::filesystem::path conflictCopyPath(const std::filesystem::path& file);

  private:
    ThreadStore& store_;
    // The linked file's text as last read or written here.
    std::optional<std::string> lastSeenFileText_;
};

}  // namespace cadro
