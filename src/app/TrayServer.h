#pragma once

#include <QObject>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace cadro {

// Kept out of this header: the meta-object compiler cannot read the C++20
// standard headers that the core uses.
struct CommandLineResult;
class StoreLock;
namespace ipc {
struct Request;
}

/// The tray app's claim on its data and its per-user socket. It makes this
/// process the only tray app on that socket (a start of the same build brings
/// the running one forward instead; any other start wins: an older app is told
/// to step aside), the only writer of the store (it holds the store lock until
/// it ends), and runs the `cadro` commands sent to it.
class TrayServer : public QObject {
    Q_OBJECT
  public:
    /// Runs a command line; `id` tells a request sent again from a new one
    /// (empty for a watch); `input` is the content of the file it names, if any.
    using RunCommand = std::function<CommandLineResult(
        const std::vector<std::string>& args, const std::string& id, const std::string* input)>;

    /// Listens on `socket`: the user's own, or a demo's beside it.
    TrayServer(RunCommand run, std::filesystem::path socket, QObject* parent = nullptr);
    ~TrayServer() override;

    /// What became of the claim.
    struct Claim {
        /// This process holds the store lock and may load and write the store.
        bool holdsStore = false;
        /// Why the store or the socket could not be had (empty when all is well).
        std::string problem;
        /// Commands reach this app (perhaps in a folder of its own).
        bool listening = false;
        /// The same build already runs and was asked to show its window:
        /// this process has nothing to do and ends.
        bool broughtForward = false;
    };
    /// Tells a running tray app to end, takes the store lock of `dataFolder`
    /// (waiting a few seconds for the old app to let go), then listens on the
    /// socket. Call before the store is loaded. With `sameBuildStays`, a
    /// running app of this very build is brought forward instead.
    Claim takeOver(const std::filesystem::path& dataFolder, bool sameBuildStays);

    /// What tells this build from another: the program's file, its version
    /// and the linker's build id.
    static std::vector<std::string> thisBuild();

    /// Sends the current `status` output to every watcher whose output changed.
    void notifyWatchers();

    /// Asked when a newer tray app wants this one to end: the changes this
    /// app keeps but could not save yet, said for the user; empty when there
    /// are none. While there are, this app does not step aside.
    void setKeptChanges(std::function<std::string()> keptChanges) {
        keptChanges_ = std::move(keptChanges);
    }

  signals:
    /// A newer tray app has started: the store lock is already released; end
    /// now without writing anything.
    void stepAsideRequested();
    /// The same build was started again: show the app's window.
    void showRequested();

  private:
    void accept();
    void readFrom(QLocalSocket* socket);
    void handle(QLocalSocket* socket, const ipc::Request& request);
    bool listen(std::string& problem);

    RunCommand run_;
    std::filesystem::path socket_;
    std::vector<std::string> build_;
    QLocalServer* server_;
    std::unique_ptr<StoreLock> lock_;
    std::function<std::string()> keptChanges_;
    // Where this app listens; a folder of its own when the usual one cannot
    // be used (then removed when it ends).
    std::filesystem::path listening_;
    std::filesystem::path ownFolder_;
    struct Watcher {
        QLocalSocket* socket;
        std::vector<std::string> args;
        std::string last;
    };
    std::vector<Watcher> watchers_;
};

}  // namespace cadro
