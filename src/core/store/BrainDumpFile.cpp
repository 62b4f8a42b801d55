#include "core/store/BrainDumpFile.h"

#include "core/base/AtomicFile.h"
#include "core/base/Utf8.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cadro {
namespace fs = std::filesystem;
namespace {

// Closes a descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    explicit operator bool() const { return fd >= 0; }
};

std::string errnoText(int error) {
    return std::strerror(error);
}

int openFolder(const fs::path& path) {
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Opens the file itself, never a link in its place, and never waiting on a
// FIFO.
int openLeaf(int folder, const fs::path& path) {
    return ::openat(folder, path.filename().c_str(),
                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

// What a file found in the linked file's place must be before it is used.
std::string refusal(const struct stat& info, const fs::path& path) {
    if (!S_ISREG(info.st_mode))
        return path.string() + " is not a regular file";
    if (info.st_uid != ::geteuid())
        return path.string() + " belongs to another user";
    return {};
}

std::string openProblem(int error, const fs::path& path) {
    if (error == ELOOP)
        return path.string() + " is a symbolic link now, not the file that was linked";
    return "cannot open " + path.string() + ": " + errnoText(error);
}

}  // namespace

void BrainDumpFile::forget() {
    folder_.reset();
    file_.reset();
}

fs::path BrainDumpFile::resolvedChoice(const fs::path& chosen) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(chosen, error);
    return error ? chosen : resolved;
}

BrainDumpFile::Read BrainDumpFile::read(const fs::path& path) {
    Read result;
    Fd folder(openFolder(path));
    struct stat info {};
    if (!folder || ::fstat(folder.fd, &info) != 0) {
        result.problem = "cannot open the folder of " + path.string() + ": " + errnoText(errno);
        return result;
    }
    const Identity folderIdentity{info.st_dev, info.st_ino};
    if (folder_ && *folder_ != folderIdentity) {
        result.problem = "the folder of " + path.string() + " was replaced since it was linked";
        return result;
    }
    folder_ = folderIdentity;
    Fd file(openLeaf(folder.fd, path));
    if (!file) {
        if (errno == ENOENT) {
            result.missing = true;
            file_.reset();
        } else {
            result.problem = openProblem(errno, path);
        }
        return result;
    }
    if (::fstat(file.fd, &info) != 0) {
        result.problem = "cannot read " + path.string() + ": " + errnoText(errno);
        return result;
    }
    if (std::string refused = refusal(info, path); !refused.empty()) {
        result.problem = std::move(refused);
        return result;
    }
    if (info.st_size > kMaxBytes) {
        result.problem = path.string() + " is larger than 8 MiB";
        return result;
    }
    // Read at most one byte past the limit: a file growing while read is cut
    // off there instead of filling memory.
    std::string text;
    char buffer[1 << 16];
    while (static_cast<std::int64_t>(text.size()) <= kMaxBytes) {
        ssize_t got = ::read(file.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.problem = "cannot read " + path.string() + ": " + errnoText(errno);
            return result;
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    if (static_cast<std::int64_t>(text.size()) > kMaxBytes) {
        result.problem = path.string() + " is larger than 8 MiB";
        return result;
    }
    if (!isValidUtf8(text)) {
        result.problem = path.string() + " is not UTF-8 text";
        return result;
    }
    file_ = Identity{info.st_dev, info.st_ino};
    if (text.ends_with('\n'))
        text.pop_back();  // the line break that ends the last line
    result.text = std::move(text);
    return result;
}

std::string BrainDumpFile::write(const fs::path& path, std::string_view text,
                                 Durability durability) {
    Fd folder(openFolder(path));
    struct stat info {};
    if (!folder || ::fstat(folder.fd, &info) != 0)
        return "cannot open the folder of " + path.string() + ": " + errnoText(errno);
    const Identity folderIdentity{info.st_dev, info.st_ino};
    if (folder_ && *folder_ != folderIdentity)
        return "the folder of " + path.string() + " was replaced since it was linked";

    mode_t mode = 0600;
    {
        Fd existing(openLeaf(folder.fd, path));
        if (existing) {
            if (::fstat(existing.fd, &info) != 0)
                return "cannot read " + path.string() + ": " + errnoText(errno);
            if (std::string refused = refusal(info, path); !refused.empty())
                return refused;
            if (file_ && *file_ != Identity{info.st_dev, info.st_ino})
                return path.string() + " was replaced by another file since Cadro last read it";
            if (info.st_size > kMaxBytes)  // grown outside: never read, so never replaced
                return path.string() + " is larger than 8 MiB";
            mode = info.st_mode & 07777;
        } else if (errno != ENOENT) {
            return openProblem(errno, path);
        }
    }

    const std::string leaf = path.filename().string();
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
            return "cannot write " + path.string() + ": " + errnoText(errno);
        temporary = "." + leaf + ".tmp-";
        for (unsigned char c : random)
            temporary += "abcdefghijklmnopqrstuvwxyz0123456789"[c % 36];
        fd = ::openat(folder.fd, temporary.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return "cannot write beside " + path.string() + ": " + errnoText(errno);
    auto fail = [&](int error) {
        ::close(fd);
        ::unlinkat(folder.fd, temporary.c_str(), 0);
        return "cannot write " + path.string() + ": " + errnoText(error);
    };
    // A text file ends with a line break, so that a line added with
    // `echo >>` starts on a line of its own; read() takes it off again.
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, text) || !writeAll(fd, "\n") ||
        (durability == Durability::Synced && ::fsync(fd) != 0) || ::fstat(fd, &info) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        int error = errno;
        ::unlinkat(folder.fd, temporary.c_str(), 0);
        return "cannot write " + path.string() + ": " + errnoText(error);
    }
    // Renamed within the folder held open: a link put in the file's place
    // meanwhile is replaced itself, never followed.
    if (::renameat(folder.fd, temporary.c_str(), folder.fd, leaf.c_str()) != 0) {
        int error = errno;
        ::unlinkat(folder.fd, temporary.c_str(), 0);
        return "cannot write " + path.string() + ": " + errnoText(error);
    }
    if (durability == Durability::Synced)
        ::fsync(folder.fd);
    folder_ = folderIdentity;
    file_ = Identity{info.st_dev, info.st_ino};
    return {};
}

std::error_code BrainDumpFile::createNew(const fs::path& path, std::string_view text) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {errno, std::generic_category()};
    bool written = writeAll(fd, text) && writeAll(fd, "\n") && ::fsync(fd) == 0;
    int error = errno;
    ::close(fd);
    if (!written) {
        ::unlink(path.c_str());
        return {error, std::generic_category()};
    }
    return {};
}

std::optional<fs::path> BrainDumpFile::keepConflictCopy(const fs::path& file,
                                                        std::string_view text) {
    const std::string stem = file.stem().string();
    const std::string extension = file.extension().string();
    // A new file only, never through a name someone else put there first.
    for (int n = 1; n <= 100; ++n) {
        const std::string suffix = n == 1 ? "" : " " + std::to_string(n);
        fs::path copy =
            file.parent_path() / (stem + " (conflict from Cadro" + suffix + ")" + extension);
        const std::error_code error = createNew(copy, text);
        if (!error)
            return copy;
        if (error != std::errc::file_exists)
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace cadro
