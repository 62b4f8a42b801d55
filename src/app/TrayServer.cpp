#include "app/TrayServer.h"

#include "core/base/AtomicFile.h"
#include "core/cli/CommandLine.h"
#include "core/ipc/Client.h"
#include "core/ipc/Protocol.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace cadro {

TrayServer::TrayServer(RunCommand run, QObject* parent)
    : QObject(parent), run_(std::move(run)), server_(new QLocalServer(this)) {
    // Only this user may connect (the socket is made srwx------).
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &TrayServer::accept);
}

TrayServer::~TrayServer() = default;

bool TrayServer::takeOver() {
    const std::filesystem::path path = ipc::socketPath();
    createPrivateDirectories(path.parent_path());
    if (auto older = ipc::Client::connect(path)) {
        older->send(ipc::encode(ipc::Request{ipc::Request::Type::stepAside, {}}));
        // Give it a moment to let go of the socket; listening removes it anyway.
        older->readLine(2000);
    }
    const QString name = QString::fromStdString(path.string());
    QLocalServer::removeServer(name);  // a file left by an app that was killed
    return server_->listen(name);
}

void TrayServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            std::erase_if(watchers_, [socket](const Watcher& w) { return w.socket == socket; });
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void TrayServer::readFrom(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        QByteArray line = socket->readLine(static_cast<qint64>(ipc::kMaxLineBytes) + 2);
        auto request = ipc::decodeRequest(std::string_view(line.constData(), line.size()));
        if (!request) {
            socket->write(QByteArray::fromStdString(ipc::encode(CommandLineResult{
                kExitBadInput, "", "cadro: the tray app did not understand the request\n"})));
            socket->disconnectFromServer();
            return;
        }
        handle(socket, *request);
    }
    if (socket->bytesAvailable() > static_cast<qint64>(ipc::kMaxLineBytes))
        socket->abort();
}

void TrayServer::handle(QLocalSocket* socket, const ipc::Request& request) {
    switch (request.type) {
        case ipc::Request::Type::stepAside:
            // Let go of the socket first, then answer: the newer app listens
            // once it has the answer, and must not lose its socket file to
            // this one's closing.
            server_->close();
            socket->write("{}\n");
            socket->flush();
            emit stepAsideRequested();
            return;
        case ipc::Request::Type::command: {
            CommandLineResult result = run_(request.args);
            socket->write(QByteArray::fromStdString(ipc::encode(result)));
            socket->disconnectFromServer();
            return;
        }
        case ipc::Request::Type::watch: {
            CommandLineResult result = run_(request.args);
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
        CommandLineResult result = run_(watcher.args);
        if (result.out == watcher.last)
            continue;
        watcher.last = result.out;
        watcher.socket->write(QByteArray::fromStdString(ipc::encode(result)));
    }
}

}  // namespace cadro
