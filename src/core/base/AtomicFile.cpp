#include "core/base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace cadro {
namespace fs = std::filesystem;
namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Follows symbolic links (also chains, and links to files that do not exist
// yet) to the path that will really be written.
fs::path resolveLinks(const fs::path& path) {
    fs::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec)) || ec)
            return current;
        fs::path target = fs::read_symlink(current, ec);
        if (ec)
            return current;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current;
}

void syncDirectory(const fs::path& directory) {
    int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Writes `data` to a new temporary file beside `target`, synced, with the
// target's permission bits; sets `temporary` to its name.
std::error_code writeTemporary(const fs::path& target, std::string_view data, Durability durability,
                               std::string& temporary) {
    std::string leaf = ".";
    leaf.append(target.filename().string()).append(".tmp-XXXXXX");
    temporary = (target.parent_path() / leaf).string();

    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0)
        return lastError();

    auto fail = [&](std::error_code ec) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return ec;
    };

    // The user can always read back what we wrote, whatever the old bits.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 &&
        ::fchmod(fd, (existing.st_mode & 07777) | S_IRUSR | S_IWUSR) != 0) {
        return fail(lastError());
    }
    if (!writeAll(fd, data))
        return fail(lastError());
    if (durability == Durability::Synced && ::fsync(fd) != 0)
        return fail(lastError());
    if (::close(fd) != 0) {
        std::error_code ec = lastError();
        ::unlink(temporary.c_str());
        return ec;
    }
    return {};
}

// Gives the file a name of its own beside `keepAs` (keepAs, keepAs-2, ...)
// through `place(newName)`, which fails with EEXIST when a name is taken.
// Returns the name, or nothing when no name could be had.
template <typename Place>
std::optional<fs::path> underFreeName(const fs::path& keepAs, Place place) {
    for (int attempt = 1; attempt < 1000; ++attempt) {
        fs::path name =
            attempt == 1 ? keepAs : fs::path(keepAs.string() + "-" + std::to_string(attempt));
        if (place(name.c_str()) == 0)
            return name;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<fs::path> moveAside(const std::string& from, const fs::path& keepAs) {
    return underFreeName(keepAs, [&](const char* name) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, name, RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL)
            return -1;
        if (::link(from.c_str(), name) != 0)  // no RENAME_NOREPLACE here
            return -1;
        ::unlink(from.c_str());
        return 0;
    });
}

// True when another process has the file open for writing (a read lease is
// refused then): an editor rewriting it in place would write on into a file
// we remove. Nobody opens the file anew under its temporary name.
bool openForWriting(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool busy = ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN;
    if (!busy)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    return busy;
}

bool differs(const std::optional<std::string>& found, std::optional<std::string_view> expected) {
    return !found || !expected || *found != *expected;
}

}  // namespace

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::error_code writeFileAtomically(const fs::path& requested, std::string_view data,
                                    Durability durability) {
    const fs::path target = resolveLinks(requested);
    std::string temporary;
    if (std::error_code ec = writeTemporary(target, data, durability, temporary))
        return ec;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        std::error_code ec = lastError();
        ::unlink(temporary.c_str());
        return ec;
    }
    if (durability == Durability::Synced)
        syncDirectory(target.parent_path());
    return {};
}

Replacement replaceFileKeepingOthers(const fs::path& requested, std::string_view data,
                                     std::optional<std::string_view> expected,
                                     const fs::path& keepAs, Durability durability) {
    Replacement result;
    const fs::path target = resolveLinks(requested);
    std::string temporary;
    if ((result.error = writeTemporary(target, data, durability, temporary)))
        return result;

    auto failed = [&] {
        result.error = lastError();
        ::unlink(temporary.c_str());
        return result;
    };
    bool swapped = false;
    for (int attempt = 0; attempt < 10 && !swapped; ++attempt) {
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) ==
            0) {
            swapped = true;
            break;
        }
        if (errno == EINVAL)
            break;  // this file system cannot swap names
        if (errno != ENOENT)
            return failed();
        // Nothing at the target: take the name, unless a file appeared there
        // meanwhile (then swap with that one).
        if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) ==
            0) {
            if (durability == Durability::Synced)
                syncDirectory(target.parent_path());
            return result;
        }
        if (errno != EEXIST && errno != EINVAL)
            return failed();
        if (errno == EINVAL)
            break;
    }

    if (swapped) {
        std::string displaced;
        if (!readWholeFile(temporary, displaced))
            result.displaced = std::move(displaced);
        if (!differs(result.displaced, expected) && !openForWriting(temporary)) {
            ::unlink(temporary.c_str());
        } else {
            // Never dropped: under the kept name, or under the temporary name
            // when even that failed.
            result.keptAt = moveAside(temporary, keepAs).value_or(fs::path(temporary));
        }
    } else {
        // No swapping here: read what is there and keep it first if it is
        // not what we expect; an edit in the instant before the rename can
        // still be overwritten.
        std::string current;
        std::error_code readError = readWholeFile(target, current);
        if (readError != std::errc::no_such_file_or_directory) {
            if (!readError)
                result.displaced = std::move(current);
            if (differs(result.displaced, expected)) {
                auto kept = underFreeName(
                    keepAs, [&](const char* name) { return ::link(target.c_str(), name); });
                if (!kept) {
                    result.error = lastError();
                    ::unlink(temporary.c_str());
                    return result;
                }
                result.keptAt = *kept;
            }
        }
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            return failed();
    }
    if (durability == Durability::Synced)
        syncDirectory(target.parent_path());
    return result;
}

std::error_code readWholeFile(const fs::path& path, std::string& out) {
    // O_NONBLOCK: opening a FIFO named by a damaged file must not hang us.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return lastError();
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::make_error_code(std::errc::invalid_argument);  // devices, FIFOs, folders
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));  // a store file is read whole
    char buffer[1 << 16];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            std::error_code ec = lastError();
            ::close(fd);
            return ec;
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    out = std::move(content);
    return {};
}

std::error_code createPrivateDirectories(const fs::path& directory) {
    std::error_code ec;
    if (fs::is_directory(directory, ec))
        return {};
    if (directory.has_parent_path() && directory.parent_path() != directory) {
        if (auto parentError = createPrivateDirectories(directory.parent_path()))
            return parentError;
    }
    if (::mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST)
        return lastError();
    return {};
}

void removeLeftoverTemporaries(const fs::path& path) {
    const fs::path target = resolveLinks(path);
    const std::string prefix = "." + target.filename().string() + ".tmp-";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.rfind(prefix, 0) == 0)
            fs::remove(entry.path(), ec);
    }
}

std::optional<FileStamp> stampOf(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    auto nanoseconds = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    return FileStamp{static_cast<std::uint64_t>(info.st_dev),
                     static_cast<std::uint64_t>(info.st_ino),
                     static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_ctim),
                     nanoseconds(info.st_mtim)};
}

}  // namespace cadro
