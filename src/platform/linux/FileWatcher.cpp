#include "platform/linux/FileWatcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cadro {

FileWatcher::FileWatcher(const std::filesystem::path& file) : name_(file.filename().string()) {
    fd_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd_ < 0)
        return;
    // Written in place (closed after writing) or moved into place.
    if (::inotify_add_watch(fd_, file.parent_path().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

FileWatcher::~FileWatcher() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileWatcher::takeChanges() {
    bool aboutTheFile = false;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return aboutTheFile;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && name_ == event->name)
                aboutTheFile = true;
            if (event->mask & IN_Q_OVERFLOW)
                aboutTheFile = true;  // events were lost: look anyway
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

}  // namespace cadro
