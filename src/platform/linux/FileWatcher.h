#pragma once

#include <filesystem>
#include <string>

namespace cadro {

/// Watches one file by watching its folder, so that a file replaced by a
/// rename (atomic saves, editors, sync tools) is still seen. The owner polls
/// fd() (with a socket notifier or poll) and calls takeChanges() when it is
/// readable.
class FileWatcher {
  public:
    explicit FileWatcher(const std::filesystem::path& file);
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    /// -1 when the folder cannot be watched.
    int fd() const { return fd_; }
    /// Reads the pending events; true when one of them was about the file.
    bool takeChanges();

  private:
    int fd_ = -1;
    std::string name_;
};

}  // namespace cadro
