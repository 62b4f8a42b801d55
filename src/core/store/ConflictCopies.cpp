#include "core/store/ConflictCopies.h"

#include "core/base/AtomicFile.h"
#include "core/store/StoreFormat.h"
#include "core/store/ThreadStore.h"

#include <algorithm>
#include <chrono>

namespace cadro {
namespace fs = std::filesystem;

bool isConflictCopyName(const std::string& name) {
    auto startsWith = [&](std::string_view prefix) { return name.rfind(prefix, 0) == 0; };
    auto endsWith = [&](std::string_view suffix) {
        return name.size() >= suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    if (!endsWith(".json"))
        return false;
    if (startsWith("threads.sync-conflict-"))
        return true;
    return startsWith("threads (") && endsWith(").json") &&
           name.find("conflicted copy") != std::string::npos;
}

std::vector<fs::path> findConflictCopies(const fs::path& storeFile) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(storeFile.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (isConflictCopyName(it->path().filename().string()) && it->is_regular_file(ec))
            out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());  // the same order on every machine
    return out;
}

namespace {

void pruneMerged(const fs::path& folder) {
    std::error_code ec;
    const auto cutoff = fs::file_time_type::clock::now() -
                        std::chrono::seconds(static_cast<long>(kMergedCopiesKeptSeconds));
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored) && it->last_write_time(ignored) < cutoff)
            fs::remove(it->path(), ignored);
    }
}

}  // namespace

ConflictCopiesTaken takeInConflictCopies(ThreadStore& store, Date now) {
    ConflictCopiesTaken taken;
    const auto copies = findConflictCopies(store.file().path());
    // A sync tool renames the file to the copy's name before it puts the
    // other version in place: until then there is nothing to merge into.
    std::error_code ec;
    if (copies.empty() || !fs::exists(store.file().path(), ec))
        return taken;
    const fs::path merged = store.file().path().parent_path() / "merged";
    for (const auto& copy : copies) {
        std::string bytes;
        if (readWholeFile(copy, bytes))
            continue;  // gone meanwhile (the other machine took it in)
        try {
            auto notes = store.mergeCopy(decodeStoreFile(bytes, now));
            taken.notes.insert(taken.notes.end(), notes.begin(), notes.end());
            ++taken.merged;
        } catch (const json::DecodeError&) {
            ++taken.unreadable;  // kept in merged/ for the user to look at
        }
        if (store.hasUnsavedChanges()) {
            taken.problem = store.file().saveProblem();
            return taken;  // the copy stays until its merge is on disk
        }
        createPrivateDirectories(merged);
        fs::rename(copy, merged / copy.filename(), ec);
    }
    pruneMerged(merged);
    return taken;
}

}  // namespace cadro
