#include "platform/linux/SocketFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace cadro {
namespace fs = std::filesystem;

fs::path socketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && fs::path(runtime).is_absolute())
        return fs::path(runtime) / "cadro" / "tray.sock";
    return fs::temp_directory_path() / ("cadro-" + std::to_string(::getuid())) / "tray.sock";
}

fs::path demoSocketPath() {
    return socketPath().parent_path() / "demo.sock";
}

std::optional<std::string> unsafeFolderReason(const fs::path& folder) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return folder.string() + ": " + std::strerror(errno);
    if (S_ISLNK(info.st_mode))
        return folder.string() + " is a symbolic link";
    if (!S_ISDIR(info.st_mode))
        return folder.string() + " is not a folder";
    if (info.st_uid != ::getuid())
        return folder.string() + " belongs to another user";
    if (info.st_mode & (S_IRWXG | S_IRWXO))
        return folder.string() + " is open to other users";
    return std::nullopt;
}

std::optional<std::string> prepareSocketFolder(const fs::path& socket) {
    const fs::path folder = socket.parent_path();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return "cannot create " + folder.string() + ": " + std::strerror(errno);
    return unsafeFolderReason(folder);
}

}  // namespace cadro
