#include "platform/linux/SocketClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace cadro {
namespace {

// A request is small; an app that takes none of it for this long is stuck.
constexpr int kSendMilliseconds = 5000;

}  // namespace

std::optional<uid_t> peerUid(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    return credentials.uid;
}

SocketClient SocketClient::connect(const std::filesystem::path& socket, int timeoutMilliseconds) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.size() >= sizeof address.sun_path)
        return SocketClient(-1, Failure::noListener);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // Non-blocking: connecting to a stopped app whose backlog is full would
    // otherwise wait for as long as it stays stopped.
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return SocketClient(-1, Failure::noListener);
    // A full backlog refuses with EAGAIN rather than queueing the attempt:
    // try again until the time is up.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    while (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN && std::chrono::steady_clock::now() < deadline) {
            ::poll(nullptr, 0, 10);
            continue;
        }
        const Failure failure = errno == EAGAIN ? Failure::noAnswer : Failure::noListener;
        ::close(fd);  // no app listens (a leftover socket file refuses)
        return SocketClient(-1, failure);
    }
    if (peerUid(fd) != ::getuid()) {
        ::close(fd);
        return SocketClient(-1, Failure::foreignPeer);
    }
    return SocketClient(fd, std::nullopt);
}

SocketClient::SocketClient(SocketClient&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      failure_(other.failure_),
      buffer_(std::move(other.buffer_)) {}

SocketClient::~SocketClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool SocketClient::send(const std::string& line) {
    std::size_t sent = 0;
    while (sent < line.size()) {
        ssize_t n = ::send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            pollfd wait{fd_, POLLOUT, 0};
            if (errno == EAGAIN && ::poll(&wait, 1, kSendMilliseconds) > 0)
                continue;
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> SocketClient::readLine(int timeoutMilliseconds, std::size_t maxBytes) {
    for (;;) {
        auto end = buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        if (buffer_.size() > maxBytes)
            return std::nullopt;
        pollfd wait{fd_, POLLIN, 0};
        int ready = ::poll(&wait, 1, timeoutMilliseconds);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char chunk[65536];
        ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0) {
            closedByPeer_ = got == 0 || errno == ECONNRESET;
            return std::nullopt;
        }
        buffer_.append(chunk, static_cast<std::size_t>(got));
    }
}

}  // namespace cadro
