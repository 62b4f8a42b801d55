// The `cadro` command: starts the tray app when given no command, and
// otherwise runs one command against the store. It links only the core, so a
// command costs a process start and a few microseconds of work.
#include "core/base/AtomicFile.h"
#include "core/base/Calendar.h"
#include "core/cli/CommandLine.h"
#include "core/ipc/Client.h"
#include "core/ipc/Protocol.h"
#include "core/store/ThreadStore.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace cadro;

namespace {

/// Holds an exclusive lock on the data folder while a command runs, so two
/// commands never interleave their reads and writes of the store file.
class StoreLock {
  public:
    explicit StoreLock(const fs::path& folder) {
        createPrivateDirectories(folder);
        fd_ = ::open((folder / "threads.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~StoreLock() {
        if (fd_ >= 0)
            ::close(fd_);  // closing releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

  private:
    int fd_ = -1;
};

/// The tray app lives beside this program as "cadro-tray".
[[noreturn]] void startTrayApp(char** argv) {
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    fs::path tray =
        length > 0 ? fs::path(std::string(self, static_cast<std::size_t>(length))).parent_path() /
                         "cadro-tray"
                   : fs::path("cadro-tray");
    argv[0] = const_cast<char*>("cadro-tray");
    ::execv(tray.c_str(), argv);
    std::fprintf(stderr, "cadro: cannot start the tray app (%s: %s)\n", tray.c_str(),
                 std::strerror(errno));
    std::exit(kExitNothingToDo);
}

void warnAboutDamagedStore(const ThreadStore& store) {
    if (!store.loadProblem().empty()) {
        std::cerr << "cadro: warning: " << store.loadProblem()
                  << "; started afresh, the old file is kept beside it as threads.json.corrupt-*\n";
    }
}

/// Runs the command inside the tray app when one runs, so that it changes
/// the store there and the tray updates at once; nothing when none runs.
std::optional<int> runInTrayApp(ipc::Request request) {
    auto client = ipc::Client::connect(ipc::socketPath());
    if (!client || !client->send(ipc::encode(request)))
        return std::nullopt;
    for (;;) {
        auto line = client->readLine();
        if (!line) {
            if (request.type == ipc::Request::Type::command) {
                std::cerr << "cadro: the tray app did not answer\n";
            }
            return kExitNothingToDo;
        }
        auto reply = ipc::decodeResult(*line);
        if (!reply) {
            std::cerr << "cadro: the tray app sent something unexpected\n";
            return kExitNothingToDo;
        }
        std::cout << reply->out << std::flush;
        std::cerr << reply->err << std::flush;
        if (request.type == ipc::Request::Type::command)
            return reply->exitCode;
    }
}

int runStoreCommand(const std::vector<std::string>& args) {
    if (auto inApp = runInTrayApp({ipc::Request::Type::command, args}))
        return *inApp;
    const fs::path folder = ThreadStore::defaultDirectory();
    StoreLock lock(folder);
    std::unique_ptr<Calendar> calendar = Calendar::current();
    StoreDependencies deps;
    deps.calendar = calendar.get();
    ThreadStore store(folder, deps);
    warnAboutDamagedStore(store);
    CommandLineHost host{store, SystemClock::instance(), *calendar, nullptr, {}, {}};
    CommandLineResult result = runCommandLine(args, host);
    std::cout << result.out << std::flush;
    std::cerr << result.err << std::flush;
    return result.exitCode;
}

/// `cadro status --watch`: prints the status at once and again whenever the
/// store file changes, until interrupted.
int watchStatus(const std::vector<std::string>& args) {
    std::vector<std::string> once;
    for (const auto& arg : args) {
        if (arg != "--watch")
            once.push_back(arg);
    }
    if (auto inApp = runInTrayApp({ipc::Request::Type::watch, once}))
        return *inApp;
    const fs::path folder = ThreadStore::defaultDirectory();
    createPrivateDirectories(folder);
    int notify = ::inotify_init1(IN_CLOEXEC);
    if (notify < 0 ||
        ::inotify_add_watch(notify, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE) < 0) {
        std::cerr << "cadro: cannot watch " << folder.string() << ": " << std::strerror(errno)
                  << "\n";
        return kExitNothingToDo;
    }
    std::unique_ptr<Calendar> calendar = Calendar::current();
    std::string last;
    for (;;) {
        {
            StoreDependencies deps;
            deps.calendar = calendar.get();
            deps.writesFile = false;  // watching never writes
            ThreadStore store(folder, deps);
            CommandLineHost host{store, SystemClock::instance(), *calendar, nullptr, {}, {}};
            CommandLineResult result = runCommandLine(once, host);
            if (result.exitCode != kExitOk) {
                std::cerr << result.err;
                return result.exitCode;
            }
            if (result.out != last) {
                std::cout << result.out << std::flush;
                last = result.out;
            }
        }
        alignas(inotify_event) char buffer[4096];
        if (::read(notify, buffer, sizeof buffer) < 0 && errno != EINTR)
            return kExitNothingToDo;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    switch (classifyCommandLine(args)) {
        case CommandKind::trayApp:
            startTrayApp(argv);
        case CommandKind::info: {
            if (args.front() == "--version") {
                std::cout << "cadro " << CADRO_VERSION << "\n";
            } else {
                std::cout << usageText();
            }
            return kExitOk;
        }
        case CommandKind::watch:
            return watchStatus(args);
        case CommandKind::storeCommand:
            break;
    }
    try {
        return runStoreCommand(withAbsoluteFilePaths(args));
    } catch (const std::exception& error) {
        std::cerr << "cadro: " << error.what() << "\n";
        return kExitNothingToDo;
    }
}
