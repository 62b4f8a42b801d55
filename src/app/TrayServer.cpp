#include "app/TrayServer.h"

#include "core/cli/CommandLine.h"
#include "core/ipc/Protocol.h"
#include "platform/linux/SocketClient.h"
#include "platform/linux/SocketFolder.h"
#include "platform/linux/StoreLock.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

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
// gives once it has let go of the socket and the store lock.
void askToStepAside(const std::filesystem::path& socket) {
    if (unsafeFolderReason(socket.parent_path()))
        return;
    SocketClient older = SocketClient::connect(socket);
    if (!older.isConnected())
        return;
    older.send(ipc::encode(ipc::Request{ipc::Request::Type::stepAside, {}}));
    older.readLine(2000, ipc::kMaxReplyBytes);
}

}  // namespace

TrayServer::TrayServer(RunCommand run, QObject* parent)
    : QObject(parent), run_(std::move(run)), server_(new QLocalServer(this)) {
    // Only this user may connect (the socket is made srwx------); accept()
    // checks the peer as well.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TrayServer::accept);
}

TrayServer::~TrayServer() = default;

TrayServer::Claim TrayServer::takeOver(const std::filesystem::path& dataFolder) {
    Claim claim;
    const std::filesystem::path socket = socketPath();
    askToStepAside(socket);

    std::set<std::filesystem::path> asked{socket};
    const auto deadline = std::chrono::steady_clock::now() + kTakeOverPatience;
    for (;;) {
        if (auto lock = StoreLock::tryAcquire(dataFolder)) {
            lock_ = std::make_unique<StoreLock>(std::move(*lock));
            break;
        }
        // An app started with another runtime folder, found by its lock file.
        auto holder = StoreLock::holder(dataFolder);
        if (holder && asked.insert(holder->socket).second)
            askToStepAside(holder->socket);
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
    if (listen(claim.problem))
        lock_->advertise(socket);
    return claim;
}

bool TrayServer::listen(std::string& problem) {
    const std::filesystem::path path = socketPath();
    if (auto unsafe = prepareSocketFolder(path)) {
        problem = "Cadro does not listen for cadro commands: " + *unsafe +
                  ", so it is not safe for its socket. Remove that folder and start Cadro again.";
        return false;
    }
    const QString name = QString::fromStdString(path.string());
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
        case ipc::Request::Type::stepAside:
            // Let go of the socket and the store first, then answer: the newer
            // app takes both once it has the answer, and must not lose its
            // socket file to this one's closing.
            server_->close();
            emit stepAsideRequested();
            lock_.reset();
            socket->write("{}\n");
            socket->flush();
            return;
        case ipc::Request::Type::command: {
            CommandLineResult result =
                run_(request.args, request.input ? &*request.input : nullptr);
            socket->write(QByteArray::fromStdString(ipc::encode(result)));
            // Out now: a command that ran must be answered even if the app
            // ends right after (a newer one takes over).
            socket->flush();
            socket->disconnectFromServer();
            return;
        }
        case ipc::Request::Type::watch: {
            CommandLineResult result = run_(request.args, nullptr);
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
        CommandLineResult result = run_(watcher.args, nullptr);
        if (result.out == watcher.last)
            continue;
        watcher.last = result.out;
        watcher.socket->write(QByteArray::fromStdString(ipc::encode(result)));
    }
}

}  // namespace cadro
