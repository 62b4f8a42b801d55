#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

namespace cadro {

/// The exclusive lock on a store folder ("threads.lock"). Whoever holds it is
/// the only writer of the store file: a `cadro` command for the length of one
/// command, the tray app from before it loads the store until it quits.
class StoreLock {
  public:
    /// What the tray app tells others about itself in the lock file, so that a
    /// command started with another runtime folder still finds its socket.
    struct Holder {
        pid_t pid = 0;
        std::filesystem::path socket;
    };

    enum class Missing {
        /// Create the folder and the lock file (a writer).
        create,
        /// Create nothing (a reader): where there is no lock file, nobody
        /// holds it and an empty lock stands in.
        leave,
    };
    /// Takes the lock when nobody holds it; nothing when someone does or the
    /// folder cannot be used.
    static std::optional<StoreLock> tryAcquire(const std::filesystem::path& folder,
                                               Missing missing = Missing::create);
    /// What the current holder wrote; nothing when it wrote nothing.
    static std::optional<Holder> holder(const std::filesystem::path& folder);

    StoreLock(StoreLock&& other) noexcept;
    StoreLock& operator=(StoreLock&& other) noexcept;
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock();

    /// Writes this process's id and socket into the lock file.
    void advertise(const std::filesystem::path& socket);
    /// Lets go early (before the process ends).
    void release();

  private:
    explicit StoreLock(int fd) : fd_(fd) {}
    int fd_ = -1;
    bool advertised_ = false;
};

}  // namespace cadro
