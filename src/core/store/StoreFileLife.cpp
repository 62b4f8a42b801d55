// Reading, watching and saving the store file; its bytes are StoreFile.cpp's.
#include "core/base/Json.h"
#include "core/base/XdgFolders.h"
#include "core/store/DataLocation.h"
#include "core/store/StoreFile.h"
#include "core/store/StoreFormat.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace cadro {
namespace fs = std::filesystem;

fs::path defaultStoreDirectory() {
    return chosenDataFolder().value_or(machineFolder());
}

StoreFile::StoreFile(fs::path path, const Clock& clock, Durability durability, bool writes)
    : path_(std::move(path)), clock_(&clock), durability_(durability), writes_(writes) {
    if (writes_) {
        createPrivateDirectories(path_.parent_path());  // failure: we go on in memory
        removeLeftoverTemporaries(path_);
    }
}

StoreFile::Health StoreFile::health() const {
    if (unreadable_)
        return Health::unreadable;
    return damagedToKeep_ ? Health::damaged : Health::good;
}

// Another program rewriting the file in place leaves it half written for a
// moment: a file that does not decode is read again while it keeps changing,
// so that moment is not taken for damage. Throws json::DecodeError.
PersistedState StoreFile::decodeSettled(std::string& bytes) {
    for (int attempt = 0;; ++attempt) {
        try {
            decodedAt_ = clock_->now();
            return decodeStoreFile(bytes, decodedAt_);
        } catch (const json::DecodeError&) {
            const auto stamp = stampOf(path_);
            if (attempt == 10)
                throw;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::string again;
            if (readWholeFile(path_, again) || (again == bytes && stampOf(path_) == stamp))
                throw;  // settled (or gone): it is what it is
            bytes = std::move(again);
        }
    }
}

StoreFile::Read StoreFile::read() {
    std::string bytes;
    if (std::error_code ec = readWholeFile(path_, bytes)) {
        if (ec != std::errc::no_such_file_or_directory && !noteUnreadable(ec)) {
            loadProblem_ = "cannot read " + path_.string() + ": " + ec.message();
            damagedToKeep_ = true;  // a folder or a device in its place
        }
        return {std::nullopt, loadProblem_};
    }
    try {
        PersistedState state = decodeSettled(bytes);
        remember(std::move(bytes));
        return {std::move(state), {}};
    } catch (const json::DecodeError& error) {
        loadProblem_ = path_.string() + " is damaged (" + error.what() + ")";
        damagedToKeep_ = true;
        return {std::nullopt, loadProblem_};
    }
}

PersistedState StoreFile::decodeAsRead() const {
    return decodeStoreFile(bytes_, decodedAt_);
}

bool StoreFile::noteUnreadable(std::error_code error) {
    if (error == std::errc::invalid_argument || error == std::errc::no_such_file_or_directory)
        return false;  // not a regular file, or gone: not this case
    loadProblem_ = "cannot read " + path_.string() + ": " + error.message();
    unreadable_ = true;
    return true;
}

StoreFile::Outside StoreFile::checkOutside(const PersistedState* unsaved) {
    if (!stamp_ && !unreadable_)
        return {};  // nothing read or written yet: nothing to compare with
    auto stamp = stampOf(path_);
    if (!stamp || stamp == stamp_)
        return {};  // a removed file is written again by the next save
    std::string bytes;
    if (std::error_code ec = readWholeFile(path_, bytes)) {
        if (noteUnreadable(ec))
            return {Change::damaged, {}};
        stamp_ = stamp;
        return {};
    }
    bool mustReload = false;
    if (std::exchange(unreadable_, false) && unsaved) {
        // Readable again: the file holds the user's data and wins; what was
        // changed meanwhile on top of nothing is kept beside it.
        std::string aside = asideName("conflict");
        if (!writeFileAtomically(aside, encodeStoreFile(*unsaved), durability_))
            keptAside_ = aside;
        unsaved = nullptr;
        mustReload = true;
    }
    if (!mustReload && stamp_ && bytes == bytes_) {
        stamp_ = stamp;
        return {};
    }
    if (unsaved) {
        // The caller's change is not on disk yet; it stays, and the other
        // version is kept where the user can find it.
        if (keepAside("conflict"))
            remember(std::move(bytes));
        return {Change::keptAside, {}};
    }
    try {
        PersistedState loaded = decodeSettled(bytes);
        remember(std::move(bytes));
        return {Change::reloaded, std::move(loaded)};
    } catch (const json::DecodeError& error) {
        loadProblem_ =
            path_.string() + " was changed into something unreadable (" + error.what() + ")";
        damagedToKeep_ = true;
        return {Change::damaged, {}};
    }
}

void StoreFile::remember(std::string bytes) {
    stamp_ = stampOf(path_);
    bytes_ = std::move(bytes);
}

std::string StoreFile::asideName(const char* label) const {
    return path_.string() + "." + label + "-" +
           formatUtcTimestamp(SystemClock::instance().now(), true);
}

// Keeps the file as it is now beside itself, so another program's version is
// never silently lost. False when it could not (then we must not save).
bool StoreFile::keepAside(const char* label) {
    std::string stem = asideName(label);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        std::string name = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
        if (::link(path_.c_str(), name.c_str()) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        if (errno == ENOENT)
            return true;  // the file has gone meanwhile
        // Hard links may be refused (some file systems): move it aside instead.
        return !fs::exists(name) && ::rename(path_.c_str(), name.c_str()) == 0;
    }
    return false;
}

bool StoreFile::save(const PersistedState& state) {
    if (!writes_)
        return false;
    if (unreadable_) {
        saveProblem_ = loadProblem_ + "; it is left as it is";
        return false;
    }
    // The swap tells exactly what the write replaced: anything but what we
    // last read or wrote (a damaged file, an edit made a moment ago) is kept.
    std::string bytes = encodeStoreFile(state);
    std::optional<std::string_view> expected;
    if (stamp_)
        expected = bytes_;
    Replacement replaced = replaceFileKeepingOthers(
        path_, bytes, expected, asideName(damagedToKeep_ ? "corrupt" : "conflict"), durability_);
    if (replaced.error) {
        saveProblem_ = "cannot write " + path_.string() + ": " + replaced.error.message();
        return false;
    }
    if (!replaced.keptAt.empty() && !damagedToKeep_)
        keptAside_ = replaced.keptAt.string();
    damagedToKeep_ = false;
    saveProblem_.clear();
    ++writeCount_;
    remember(std::move(bytes));
    return true;
}

}  // namespace cadro
