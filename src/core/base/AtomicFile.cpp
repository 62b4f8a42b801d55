#include "core/base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

void syncDirectory(const fs::path& directory) {
    int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::error_code writeFileAtomically(const fs::path& requested, std::string_view data,
                                    Durability durability) {
    const fs::path target = resolveLinks(requested);
    const fs::path directory = target.parent_path();
    std::string leaf = ".";
    leaf.append(target.filename().string()).append(".tmp-XXXXXX");
    std::string temporary = (directory / leaf).string();

    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // mode 0600
    if (fd < 0)
        return lastError();

    auto fail = [&](std::error_code ec) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return ec;
    };

    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && ::fchmod(fd, existing.st_mode & 07777) != 0) {
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
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        std::error_code ec = lastError();
        ::unlink(temporary.c_str());
        return ec;
    }
    if (durability == Durability::Synced)
        syncDirectory(directory);
    return {};
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
