#include "platform/linux/StoreLock.h"

#include "core/base/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace cadro {
namespace fs = std::filesystem;
namespace {

fs::path lockPath(const fs::path& folder) {
    return folder / "threads.lock";
}

}  // namespace

std::optional<StoreLock> StoreLock::tryAcquire(const fs::path& folder, Missing missing) {
    int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
    if (missing == Missing::create) {
        createPrivateDirectories(folder);
        flags |= O_CREAT;
    }
    int fd = ::open(lockPath(folder).c_str(), flags, 0600);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        // A read-only store (mount or file mode) still locks: flock needs no
        // write access. Writing the store then fails and says why.
        fd = ::open(lockPath(folder).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    if (fd < 0 && (errno == ENOENT || errno == EACCES || errno == EROFS))
        return StoreLock(-1);  // no lock file and none can be made: nobody holds it
    if (fd < 0)
        return std::nullopt;
    int locked;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return StoreLock(fd);
}

std::optional<StoreLock::Holder> StoreLock::holder(const fs::path& folder) {
    std::string text;
    if (readWholeFile(lockPath(folder), text))
        return std::nullopt;
    // "<pid>\n<socket path>\n"
    auto newline = text.find('\n');
    if (newline == std::string::npos || text.back() != '\n')
        return std::nullopt;
    Holder who;
    try {
        who.pid = static_cast<pid_t>(std::stol(text.substr(0, newline)));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    who.socket = text.substr(newline + 1, text.size() - newline - 2);
    if (who.pid <= 0 || !who.socket.is_absolute())
        return std::nullopt;
    return who;
}

StoreLock::StoreLock(StoreLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), advertised_(std::exchange(other.advertised_, false)) {}

StoreLock& StoreLock::operator=(StoreLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        advertised_ = std::exchange(other.advertised_, false);
    }
    return *this;
}

StoreLock::~StoreLock() {
    release();
}

void StoreLock::advertise(const fs::path& socket) {
    if (fd_ < 0)
        return;
    std::string text = std::to_string(::getpid()) + "\n" + socket.string() + "\n";
    if (::ftruncate(fd_, 0) == 0)
        advertised_ = ::pwrite(fd_, text.data(), text.size(), 0) > 0;
}

void StoreLock::release() {
    if (fd_ < 0)
        return;
    if (advertised_) [[maybe_unused]]
        int cleared = ::ftruncate(fd_, 0);  // nobody to find here any more
    ::close(std::exchange(fd_, -1));        // closing lets go of the lock
}

}  // namespace cadro
