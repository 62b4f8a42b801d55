#include "core/settings/BrainDumpSync.h"

#include "core/actions/Actions.h"

namespace cadro {

BrainDumpSync::BrainDumpSync(ThreadStore& store) : store_(store) {
    lastSeenFileText_ = store_.readBrainDumpFile();
}

void BrainDumpSync::refresh() {
    store_.refreshBrainDump();
    lastSeenFileText_ = store_.readBrainDumpFile();
}

std::optional<std::filesystem::path> BrainDumpSync::edit(std::string text, Save when) {
    const std::optional<std::string> onDisk = store_.readBrainDumpFile();
    // Changed outside: the file no longer holds what the store holds (a
    // command run through the store keeps both equal), nor what was last seen
    // here (a file that refuses writes keeps its old text, which is no news).
    const bool changedOutside = onDisk && store_.state().brainDumpFilePath &&
                                *onDisk != store_.state().brainDump &&
                                *onDisk != lastSeenFileText_ && *onDisk != text;
    if (!changedOutside) {
        actions::editBrainDump(store_, std::move(text), when);
        lastSeenFileText_ = store_.readBrainDumpFile();
        return std::nullopt;
    }
    // A new file only, never through a name someone else put there first.
    std::filesystem::path copy;
    std::error_code error = std::make_error_code(std::errc::file_exists);
    for (int attempt = 0; attempt < 100 && error == std::errc::file_exists; ++attempt) {
        copy = conflictCopyPath(*store_.state().brainDumpFilePath);
        error = BrainDumpFile::createNew(copy, text);
    }
    lastSeenFileText_ = onDisk;
    if (error) {
        // The folder takes no new file, so the file cannot be replaced
        // either: the page's text stays in the store, the outside text in the
        // file.
        actions::editBrainDump(store_, std::move(text), when);
        return std::nullopt;
    }
    store_.refreshBrainDump();
    return copy;
}

bool BrainDumpSync::link(const std::filesystem::path& path) {
    const bool linked =
        actions::linkBrainDumpFile(store_, path.string()).outcome != Outcome::refused;
    lastSeenFileText_ = store_.readBrainDumpFile();
    return linked;
}

std::filesystem::path BrainDumpSync::conflictCopyPath(const std::filesystem::path& file) {
    const std::string stem = file.stem().string();
    const std::string extension = file.extension().string();
    for (int n = 1;; ++n) {
        const std::string suffix = n == 1 ? "" : " " + std::to_string(n);
        std::filesystem::path candidate =
            file.parent_path() / (stem + " (conflict from Cadro" + suffix + ")" + extension);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error)))
            return candidate;
    }
}

}  // namespace cadro
