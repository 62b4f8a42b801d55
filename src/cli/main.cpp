// The `cadro` command: runs one command against the store; without one it
// prints a short usage and the status, and with --demo it starts a demo. While
// the tray app runs it is the only writer of the store, so commands go to it
// through its socket; only when no app holds the store lock does a command
// work on the file itself.
#include "core/base/AtomicFile.h"
#include "core/base/Calendar.h"
#include "core/base/Uuid.h"
#include "core/cli/CommandLine.h"
#include "core/ipc/Protocol.h"
#include "core/store/ConflictCopies.h"
#include "core/store/DataLocation.h"
#include "core/store/StoreUndo.h"
#include "core/store/ThreadStore.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/SocketClient.h"
#include "platform/linux/SocketFolder.h"
#include "platform/linux/StoreLock.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace fs = std::filesystem;
using namespace cadro;

namespace {

// How long a command waits for a tray app that holds the store to answer:
// long enough for one that is starting, short enough for a script.
constexpr auto kAppPatience = std::chrono::seconds(5);
constexpr int kReplyTimeoutMilliseconds = 5000;

// The tray app lives beside this program as "cadro-tray"; `cadro` starts it
// only for a demo or a screenshot tour, which run beside the user's own.
[[noreturn]] void startTrayApp(char** argv) {
    fs::path self = executablePath();
    fs::path tray = self.empty() ? fs::path("cadro-tray") : self.parent_path() / "cadro-tray";
    argv[0] = const_cast<char*>("cadro-tray");
    ::execv(tray.c_str(), argv);
    std::fprintf(stderr, "cadro: cannot start the tray app (%s: %s)\n", tray.c_str(),
                 std::strerror(errno));
    std::exit(kExitFailed);
}

void print(const CommandLineResult& result) {
    std::cout << result.out << std::flush;
    std::cerr << result.err << std::flush;
}

// How often a watch through the tray app looks whether its output is still
// read.
constexpr int kOutputCheckMilliseconds = 500;

// True once nobody reads our output any more (the reader of a pipe is gone).
bool outputClosed() {
    pollfd out{STDOUT_FILENO, 0, 0};
    return ::poll(&out, 1, 0) > 0 && (out.revents & (POLLERR | POLLHUP)) != 0;
}

// Sends the request and relays the replies: one for a command, one per
// change for a watch. Returns the exit status, or nothing when the app
// closed the connection without answering: an app that ended (stepped aside
// for a newer one, or died) may or may not have carried the request out, so
// it is sent again, with the same id, to whoever holds the store now; that
// one answers a request it already knows from its memory. `shown` is the
// watched status last printed.
std::optional<int> talkToTrayApp(SocketClient& client, const ipc::Request& request,
                                 std::string& shown) {
    if (!client.send(ipc::encode(request)))
        return std::nullopt;
    const bool watching = request.type == ipc::Request::Type::watch;
    int timeout = kReplyTimeoutMilliseconds;
    for (;;) {
        auto line = client.readLine(timeout, ipc::kMaxReplyBytes);
        if (!line) {
            if (client.closedByPeer())
                return std::nullopt;
            if (timeout == kOutputCheckMilliseconds) {
                if (outputClosed())
                    return kExitOk;  // nobody reads on
                continue;            // watching, and still read
            }
            // The app never took the request; it drops it once it sees that
            // nobody waits for the answer any more, so nothing was changed.
            std::cerr << "cadro: the tray app did not answer; nothing was changed\n";
            return kExitUnreachable;
        }
        if (*line == ipc::kWorkingLine) {
            timeout = -1;  // taken: it is carried out however long saving takes
            continue;
        }
        auto reply = ipc::decodeResult(*line);
        if (!reply) {
            // Once taken, the command may well have been carried out.
            std::cerr << "cadro: the tray app sent something unexpected\n";
            return timeout == -1 ? kExitFailed : kExitUnreachable;
        }
        if (!watching || reply->out != shown)
            print(*reply);
        if (!std::cout)
            return kExitOk;  // the output was closed
        if (!watching || reply->exitCode != kExitOk)
            return reply->exitCode;
        shown = reply->out;
        timeout = kOutputCheckMilliseconds;
    }
}

// No tray app holds the store: the command may work on the file, holding
// this lock while it does.
struct NoTrayApp {
    StoreLock lock;
};

// Finds the tray app that holds the store and runs the request there.
// Returns the exit status, or the store lock when no app runs.
std::variant<int, NoTrayApp> runInTrayApp(const ipc::Request& request, const fs::path& dataFolder,
                                          StoreLock::Missing missing, std::string& shown) {
    // Commands go to a demo only when asked to, and never fall back to the
    // user's own store.
    if (const char* demo = std::getenv("CADRO_DEMO"); demo && *demo && std::string(demo) != "0") {
        const fs::path socket = demoSocketPath();
        if (!unsafeFolderReason(socket.parent_path())) {
            SocketClient client = SocketClient::connect(socket);
            if (client.isConnected()) {
                if (auto exitCode = talkToTrayApp(client, request, shown))
                    return *exitCode;
            }
        }
        std::cerr << "cadro: no Cadro demo answers (CADRO_DEMO is set); nothing was changed\n";
        return kExitNothingToDo;
    }
    auto deadline = std::chrono::steady_clock::now() + kAppPatience;
    std::string problem;
    for (;;) {
        // Our own socket first, then the one the lock holder advertises (it
        // may have been started with another runtime folder).
        std::vector<fs::path> sockets{socketPath()};
        auto holder = StoreLock::holder(dataFolder);
        if (holder && holder->socket != sockets.front())
            sockets.push_back(holder->socket);
        for (const auto& socket : sockets) {
            if (auto unsafe = unsafeFolderReason(socket.parent_path())) {
                if (fs::exists(socket.parent_path()))
                    problem = *unsafe + ", so its socket is not used";
                continue;
            }
            SocketClient client = SocketClient::connect(socket);
            if (client.isConnected()) {
                if (auto exitCode = talkToTrayApp(client, request, shown))
                    return *exitCode;
                // Look again for whoever holds the store now, as patiently as
                // at first (a newer app may be starting).
                deadline = std::chrono::steady_clock::now() + kAppPatience;
                continue;
            }
            if (client.failure() == SocketClient::Failure::foreignPeer)
                problem =
                    socket.string() + " is served by another user's program, so it is not used";
            if (client.failure() == SocketClient::Failure::noAnswer)
                problem = "it takes no connection (is it stopped?)";
        }
        if (auto lock = StoreLock::tryAcquire(dataFolder, missing))
            return NoTrayApp{std::move(*lock)};
        if (std::chrono::steady_clock::now() >= deadline) {
            std::cerr << "cadro: Cadro"
                      << (holder ? " (process " + std::to_string(holder->pid) + ")" : "")
                      << " holds your data but cannot be reached"
                      << (problem.empty() ? " (it does not answer)" : ": " + problem)
                      << "; nothing was changed\n";
            return kExitUnreachable;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}

void warnAboutDamagedStore(const ThreadStore& store) {
    if (store.file().health() == StoreFile::Health::damaged) {
        std::cerr << "cadro: warning: " << store.file().loadProblem()
                  << "; started afresh, the old file is kept beside it as threads.json.corrupt-*\n";
    }
}

void reportConflictCopies(const ConflictCopiesTaken& taken) {
    if (taken.merged)
        std::cerr << "cadro: merged " << taken.merged << (taken.merged == 1 ? " copy" : " copies")
                  << " of your data from another machine (kept in merged/)\n";
    if (!taken.notes.empty())
        std::cerr << "cadro: what gave way is in the brain dump\n";
    if (taken.unreadable)
        std::cerr << "cadro: " << taken.unreadable
                  << " copy from another machine did not read; it is kept in merged/\n";
    if (!taken.problem.empty())
        std::cerr << "cadro: a copy from another machine was not merged: " << taken.problem << "\n";
}

// `cadro where` and `cadro move-data DIR [--join]`: where the data lives.
// Moving needs the store to itself, so it is left to a moment the tray app
// does not run.
int runDataFolderCommand(const std::vector<std::string>& args) {
    const fs::path folder = defaultStoreDirectory();
    if (args[0] == "where") {
        if (args.size() > 1) {
            std::cerr << "cadro: where takes no arguments\n";
            return kExitBadInput;
        }
        std::cout << folder.string() << "\n";
        return kExitOk;
    }
    std::optional<fs::path> to;
    bool join = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--join")
            join = true;
        else if (!to && !args[i].empty() && args[i][0] != '-')
            to = fs::absolute(args[i]);
        else {
            std::cerr << "cadro: move-data takes a folder and, if you like, --join\n";
            return kExitBadInput;
        }
    }
    if (!to) {
        std::cerr << "cadro: move-data needs the folder to keep your data in\n";
        return kExitBadInput;
    }
    auto lock = StoreLock::tryAcquire(machineFolder());
    if (!lock) {
        std::cerr << "cadro: Cadro is running; quit it ('cadro quit'), then move your data\n";
        return kExitUnreachable;
    }
    DataMove move = moveDataFolder(folder, *to, join, machineName());
    switch (move.outcome) {
        case DataMove::Outcome::refused:
            std::cerr << "cadro: " << move.problem << "; your data stays in " << folder.string()
                      << "\n";
            return kExitBadInput;
        case DataMove::Outcome::alreadyThere:
            std::cout << "Your data is already in " << move.folder.string() << "\n";
            return kExitOk;
        case DataMove::Outcome::joined:
            std::cout << "Your data is merged into " << move.folder.string() << "\n";
            return kExitOk;
        case DataMove::Outcome::moved:
            break;
    }
    std::cout << "Your data is now in " << move.folder.string() << "\n";
    return kExitOk;
}

int runStoreCommand(std::vector<std::string> args) {
    // A file the command names is read here, never by the tray app.
    CommandInput input = readCommandInput(args);
    if (input.refusal) {
        print(*input.refusal);
        return input.refusal->exitCode;
    }
    if (input.confirmed)
        args.push_back("--yes");
    // One id for this command wherever it ends up being carried out.
    const std::string id = Uuid::random().toString();
    ipc::Request request{ipc::Request::Type::command, args, id, input.content};
    if (input.content && ipc::encode(request).size() > ipc::kMaxRequestBytes) {
        std::cerr << "cadro: the file holds too many control characters to import\n";
        return kExitBadInput;
    }
    const fs::path folder = defaultStoreDirectory();
    // Copies a sync tool left beside the store are merged first, even by a
    // command that only reads, so that it shows everything.
    const bool copies = !findConflictCopies(folder / "threads.json").empty();
    const bool writes = commandChangesStore(args) || copies;
    std::string shown;
    auto route =
        runInTrayApp(request, machineFolder(),
                     writes ? StoreLock::Missing::create : StoreLock::Missing::leave, shown);
    if (auto* exitCode = std::get_if<int>(&route))
        return *exitCode;
    if (!writes)
        std::get<NoTrayApp>(route).lock.release();  // reading needs no lock
    std::unique_ptr<Calendar> calendar = Calendar::current();
    StoreDependencies deps;
    deps.calendar = calendar.get();
    deps.writesFile = writes;
    deps.savesLoadRepairs = false;                    // one write per command, none when it fails
    deps.machine = writes ? machineName() : "local";  // reading stamps nothing
    ThreadStore store(folder, deps);
    if (writes)
        warnAboutDamagedStore(store);
    if (copies)
        reportConflictCopies(takeInConflictCopies(store, SystemClock::instance().now()));
    CommandLineHost host{store, SystemClock::instance(), *calendar, nullptr, {}, {}, id, nullptr};
    if (input.content)
        host.input = &*input.content;
    std::unique_ptr<StoreUndo> undo;
    if (writes) {
        undo = std::make_unique<StoreUndo>(store, StoreUndo::fileIn());
        host.undo = undo.get();
    }
    CommandLineResult result = runCommandLine(args, host);
    print(result);
    // A command that only read has nothing left to do (its output is
    // flushed): freeing a large store piece by piece would only delay the exit.
    if (!writes)
        std::_Exit(result.exitCode);
    return result.exitCode;
}

// Milliseconds until just after the next minute turns, when wording that
// depends on the time ("tomorrow", "in 5 min") may change.
int untilNextMinute() {
    const double now = SystemClock::instance().now().toUnix();
    return static_cast<int>((60.0 - std::fmod(now, 60.0)) * 1000.0) + 50;
}

// `cadro status --watch`: prints the status at once and again whenever it
// changes, until interrupted or until nobody reads the output.
int watchStatus(const std::vector<std::string>& args) {
    std::signal(SIGPIPE, SIG_IGN);  // a closed output shows as a failed write

    std::vector<std::string> once;
    for (const auto& arg : args) {
        if (arg != "--watch")
            once.push_back(arg);
    }
    const fs::path folder = defaultStoreDirectory();
    // Through the app while one runs; when it is replaced the watch follows
    // the newer one, and when none is left it watches the file.
    std::string last;
    auto route = runInTrayApp({ipc::Request::Type::watch, once, {}, {}}, machineFolder(),
                              StoreLock::Missing::leave, last);
    if (auto* exitCode = std::get_if<int>(&route))
        return *exitCode;
    std::get<NoTrayApp>(route).lock.release();  // watching only reads

    createPrivateDirectories(folder);  // an empty folder to watch until the first save
    int notify = ::inotify_init1(IN_CLOEXEC);
    if (notify < 0 ||
        ::inotify_add_watch(notify, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE) < 0) {
        std::cerr << "cadro: cannot watch " << folder.string() << ": " << std::strerror(errno)
                  << "\n";
        return kExitFailed;
    }
    std::unique_ptr<Calendar> calendar = Calendar::current();
    for (;;) {
        {
            StoreDependencies deps;
            deps.calendar = calendar.get();
            deps.writesFile = false;  // watching never writes
            ThreadStore store(folder, deps);
            CommandLineHost host{store,  SystemClock::instance(), *calendar, nullptr, {}, {}, {},
                                 nullptr};
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
        pollfd waits[2] = {{notify, POLLIN, 0}, {STDOUT_FILENO, 0, 0}};
        if (!std::cout || (::poll(waits, 2, untilNextMinute()) > 0 && waits[1].revents != 0))
            return kExitOk;  // nobody reads on
        alignas(inotify_event) char buffer[4096];
        if ((waits[0].revents & POLLIN) && ::read(notify, buffer, sizeof buffer) < 0 &&
            errno != EINTR)
            return kExitFailed;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = withQuietAfterCommand({argv + 1, argv + argc});
    switch (classifyCommandLine(args)) {
        case CommandKind::trayApp:
            startTrayApp(argv);
        case CommandKind::summary:
            // What someone types to see how to use it: never starts or
            // replaces the tray app.
            std::cout << briefUsage() << std::flush;
            args = {"status"};
            break;
        case CommandKind::info: {
            CommandLineResult info = *infoResult(args);
            std::cout << info.out;
            std::cerr << info.err;
            return info.exitCode;
        }
        case CommandKind::watch:
        case CommandKind::storeCommand:
            break;
    }
    if (!args.empty() && (args[0] == "where" || args[0] == "move-data") &&
        std::find(args.begin(), args.end(), "--help") == args.end()) {
        try {
            return runDataFolderCommand(args);
        } catch (const std::exception& error) {
            std::cerr << "cadro: " << error.what() << "\n";
            return kExitNothingToDo;
        }
    }
    // Refused the same way whether or not the tray app runs.
    if (auto refused = rejectMalformedArguments(args)) {
        print(*refused);
        return refused->exitCode;
    }
    try {
        if (classifyCommandLine(args) == CommandKind::watch)
            return watchStatus(args);
        return runStoreCommand(withAbsoluteFilePaths(args));
    } catch (const std::exception& error) {
        std::cerr << "cadro: " << error.what() << "\n";
        return kExitFailed;
    }
}
