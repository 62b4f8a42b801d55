#include "app/TrayServer.h"

#include "core/cli/CommandLine.h"
#include "core/ipc/Protocol.h"
#include "core/updates/AppVersion.h"
#include "platform/linux/ExecutablePath.h"
#include "platform/linux/SocketClient.h"
#include "platform/linux/SocketFolder.h"
#include "platform/linux/StoreLock.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <set>

namespace cadro {
namespace {

// A client has this long to send its whole request.
constexpr int kRequestMilliseconds = 5000;
// How long a new app waits for the old one to let go of the store.
constexpr auto kTakeOverPatience = std::chrono::seconds(5);

// Asks the tray app on `socket` to end and waits for its answer, which it
// gives once it has let go of the socket and the store lock. Returns why it
// stays when it refuses (it holds changes it could not save yet).
std::string askToStepAside(const std::filesystem::path& socket) {
    if (unsafeFolderReason(socket.parent_path()))
        return {};
    SocketClient older = SocketClient::connect(socket);
    if (!older.isConnected())
        return {};
    older.send(ipc::encode(ipc::Request{ipc::Request::Type::stepAside, {}, {}, {}}));
    auto line = older.readLine(2000, ipc::kMaxReplyBytes);
    auto answer = line ? ipc::decodeResult(*line) : std::nullopt;
    return answer && answer->exitCode != kExitOk ? answer->err : std::string();
}

// Asks the tray app on `socket` to show itself if it is this very build.
bool askToShow(const std::filesystem::path& socket, const std::vector<std::string>& build) {
    if (unsafeFolderReason(socket.parent_path()))
        return false;
    SocketClient running = SocketClient::connect(socket);
    if (!running.isConnected())
        return false;
    running.send(ipc::encode(ipc::Request{ipc::Request::Type::show, build, {}, {}}));
    auto line = running.readLine(2000, ipc::kMaxReplyBytes);
    auto answer = line ? ipc::decodeResult(*line) : std::nullopt;
    // An app that does not know the request answers that it did not
    // understand: it is another build.
    return answer && answer->exitCode == kExitOk;
}

// True when the client has hung up: it gave up waiting, so it has told its
// user that nothing was changed, and the request must not be carried out.
bool clientHasGone(QLocalSocket* socket) {
    if (socket->state() != QLocalSocket::ConnectedState || socket->socketDescriptor() < 0)
        return true;
    pollfd peer{static_cast<int>(socket->socketDescriptor()), POLLRDHUP, 0};
    return ::poll(&peer, 1, 0) > 0 && (peer.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

}  // namespace

TrayServer::TrayServer(RunCommand run, std::filesystem::path socket, QObject* parent)
    : QObject(parent),
      run_(std::move(run)),
      socket_(std::move(socket)),
      build_(thisBuild()),
      server_(new QLocalServer(this)) {
    // Only this user may connect (the socket is made srwx------); accept()
    // checks the peer as well.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TrayServer::accept);
}

TrayServer::~TrayServer() {
    if (!ownFolder_.empty()) {
        server_->close();
        std::error_code ignored;
        std::filesystem::remove_all(ownFolder_, ignored);
    }
}

std::vector<std::string> TrayServer::thisBuild() {
    // Taken once at start: the running app keeps saying what it was started
    // as, even after an upgrade has replaced its file.
    return {executablePath().string(), AppVersion::current().value_or(""), executableBuildId()};
}

TrayServer::Claim TrayServer::takeOver(const std::filesystem::path& dataFolder,
                                       bool sameBuildStays) {
    Claim claim;
    const std::filesystem::path& socket = socket_;
    if (sameBuildStays && askToShow(socket, build_)) {
        claim.broughtForward = true;
        return claim;
    }
    std::string refused = askToStepAside(socket);

    std::set<std::filesystem::path> asked{socket};
    const auto deadline = std::chrono::steady_clock::now() + kTakeOverPatience;
    for (;;) {
        if (auto lock = StoreLock::tryAcquire(dataFolder)) {
            lock_ = std::make_unique<StoreLock>(std::move(*lock));
            break;
        }
        // An app started with another runtime folder, found by its lock file.
        auto holder = StoreLock::holder(dataFolder);
        if (holder && asked.insert(holder->socket).second && refused.empty())
            refused = askToStepAside(holder->socket);
        if (!refused.empty()) {
            claim.problem = refused;
            return claim;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            claim.problem = "Another Cadro";
            if (holder)
                claim.problem += " (process " + std::to_string(holder->pid) + ")";
            claim.problem +=
                " holds your data and does not let go of it. End it, then start "
                "Cadro again.";
            return claim;
        }
        QThread::msleep(25);
    }
    claim.holdsStore = true;
    claim.listening = listen(claim.problem);
    if (claim.listening)
        lock_->advertise(listening_);
    return claim;
}

bool TrayServer::listen(std::string& problem) {
    listening_ = socket_;
    if (auto unsafe = prepareSocketFolder(listening_)) {
        // Someone else's folder in our place must not keep commands from
        // us: a fresh private folder does, and the lock file tells commands
        // where it is.
        std::string pattern = (std::filesystem::temp_directory_path() /
                               ("cadro-" + std::to_string(::getuid()) + "-XXXXXX"))
                                  .string();
        if (!::mkdtemp(pattern.data())) {
            problem = "Cadro does not listen for cadro commands: " + *unsafe +
                      ", and it cannot make a folder of its own in " +
                      std::filesystem::temp_directory_path().string() + ".";
            return false;
        }
        ownFolder_ = pattern;
        listening_ = ownFolder_ / socket_.filename();
        problem = *unsafe + ", so Cadro listens in " + ownFolder_.string() +
                  " instead; cadro commands find it there. To use the usual place again, have " +
                  socket_.parent_path().string() +
                  " removed (by its owner or an administrator) and start Cadro again.";
    }
    const QString name = QString::fromStdString(listening_.string());
    QLocalServer::removeServer(name);  // a file left by an app that was killed
    if (!server_->listen(name)) {
        problem =
            "Cadro does not listen for cadro commands: " + server_->errorString().toStdString();
        return false;
    }
    return true;
}

void TrayServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (peerUid(static_cast<int>(socket->socketDescriptor())) != ::getuid()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            std::erase_if(watchers_, [socket](const Watcher& w) { return w.socket == socket; });
            socket->deleteLater();
        });
        // A client that never finishes its request is let go.
        QTimer::singleShot(kRequestMilliseconds, socket, [this, socket] {
            bool watching = std::any_of(watchers_.begin(), watchers_.end(),
                                        [socket](const Watcher& w) { return w.socket == socket; });
            if (!watching && socket->state() == QLocalSocket::ConnectedState &&
                socket->bytesToWrite() == 0)
                socket->abort();
        });
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void TrayServer::readFrom(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        QByteArray line = socket->readLine(static_cast<qint64>(ipc::kMaxRequestBytes) + 2);
        auto request = ipc::decodeRequest(std::string_view(line.constData(), line.size()));
        if (!request) {
            socket->write(QByteArray::fromStdString(ipc::encode(CommandLineResult{
                kExitBadInput, "", "cadro: the tray app did not understand the request\n"})));
            socket->disconnectFromServer();
            return;
        }
        handle(socket, *request);
    }
    if (socket->bytesAvailable() > static_cast<qint64>(ipc::kMaxRequestBytes))
        socket->abort();
}

void TrayServer::handle(QLocalSocket* socket, const ipc::Request& request) {
    switch (request.type) {
        case ipc::Request::Type::stepAside: {
            // Changes the user was told are kept must not go with this app:
            // it stays until it has saved them.
            std::string kept = keptChanges_ ? keptChanges_() : std::string();
            if (!kept.empty()) {
                socket->write(QByteArray::fromStdString(
                    ipc::encode(CommandLineResult{kExitNotSaved, "", kept})));
                socket->flush();
                return;
            }
            // Let go of the socket and the store first, then answer: the newer
            // app takes both once it has the answer, and must not lose its
            // socket file to this one's closing.
            server_->close();
            emit stepAsideRequested();
            lock_.reset();
            socket->write("{}\n");
            socket->flush();
            return;
        }
        case ipc::Request::Type::show: {
            const bool same = request.args == build_;
            socket->write(QByteArray::fromStdString(
                ipc::encode(same ? CommandLineResult{}
                                 : CommandLineResult{kExitNothingToDo, "", "another build"})));
            socket->flush();
            socket->disconnectFromServer();
            if (same)
                emit showRequested();
            return;
        }
        case ipc::Request::Type::command: {
            if (clientHasGone(socket)) {
                socket->abort();
                return;
            }
            // Taken: from here on the command waits for the answer however
            // long saving takes.
            socket->write(ipc::kWorkingLine.data(), ipc::kWorkingLine.size());
            socket->write("\n");
            socket->flush();
            CommandLineResult result =
                run_(request.args, request.id, request.input ? &*request.input : nullptr);
            socket->write(QByteArray::fromStdString(ipc::encode(result)));
            // Out now: a command that ran must be answered even if the app
            // ends right after (a newer one takes over).
            socket->flush();
            socket->disconnectFromServer();
            return;
        }
        case ipc::Request::Type::watch: {
            CommandLineResult result = run_(request.args, {}, nullptr);
            socket->write(QByteArray::fromStdString(ipc::encode(result)));
            if (result.exitCode != kExitOk) {
                socket->disconnectFromServer();
                return;
            }
            watchers_.push_back({socket, request.args, result.out});
            return;
        }
    }
}

void TrayServer::notifyWatchers() {
    for (auto& watcher : watchers_) {
        CommandLineResult result = run_(watcher.args, {}, nullptr);
        if (result.out == watcher.last)
            continue;
        watcher.last = result.out;
        watcher.socket->write(QByteArray::fromStdString(ipc::encode(result)));
    }
}

}  // namespace cadro
