#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace cadro {

// Kept out of this header: the meta-object compiler cannot read the C++20
// standard headers that the core uses.
struct CommandLineResult;
namespace ipc {
struct Request;
}

/// The tray app's per-user socket. It makes this process the only tray app
/// (the newest start wins: an older one is told to step aside) and runs the
/// `cadro` commands sent to it, so that they change the store here.
class TrayServer : public QObject {
    Q_OBJECT
  public:
    using RunCommand = std::function<CommandLineResult(const std::vector<std::string>& args)>;

    TrayServer(RunCommand run, QObject* parent = nullptr);
    ~TrayServer() override;

    /// Tells a running tray app to end, then listens in its place. False when
    /// the socket cannot be made (the app then runs without commands).
    bool takeOver();

    /// Sends the current `status` output to every watcher whose output changed.
    void notifyWatchers();

  signals:
    /// A newer tray app has started: end now.
    void stepAsideRequested();

  private:
    void accept();
    void readFrom(QLocalSocket* socket);
    void handle(QLocalSocket* socket, const ipc::Request& request);

    RunCommand run_;
    QLocalServer* server_;
    struct Watcher {
        QLocalSocket* socket;
        std::vector<std::string> args;
        std::string last;
    };
    std::vector<Watcher> watchers_;
};

}  // namespace cadro
