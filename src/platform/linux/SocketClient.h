#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace cadro {

/// The uid of the process at the other end of a connected local socket.
std::optional<uid_t> peerUid(int fd);

/// A `cadro` command's connection to the running tray app.
class SocketClient {
  public:
    enum class Failure {
        /// Nobody listens (no app, or a socket file left by one that died).
        noListener,
        /// The socket is served by another user's process: never talk to it.
        foreignPeer,
        /// Someone listens but takes no connection (a stopped app).
        noAnswer,
    };

    /// Connects to the socket, waiting at most `timeoutMilliseconds`; the
    /// other end must run as this user.
    static SocketClient connect(const std::filesystem::path& socket,
                                int timeoutMilliseconds = 1000);

    SocketClient(SocketClient&& other) noexcept;
    SocketClient& operator=(SocketClient&&) = delete;
    SocketClient(const SocketClient&) = delete;
    ~SocketClient();

    bool isConnected() const { return fd_ >= 0; }
    std::optional<Failure> failure() const { return failure_; }

    bool send(const std::string& line);
    /// The next line without its line feed; nothing when the app closed the
    /// connection, sent a line longer than `maxBytes`, or sent nothing for
    /// `timeoutMilliseconds` (-1 waits for ever).
    std::optional<std::string> readLine(int timeoutMilliseconds, std::size_t maxBytes);
    /// The other end closed the connection (as opposed to not answering).
    bool closedByPeer() const { return closedByPeer_; }

  private:
    SocketClient(int fd, std::optional<Failure> failure) : fd_(fd), failure_(failure) {}
    int fd_ = -1;
    std::optional<Failure> failure_;
    std::string buffer_;
    bool closedByPeer_ = false;
};

}  // namespace cadro
