#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace cadro::ipc {

/// The command line's side of the connection to the running tray app.
class Client {
  public:
    /// Connects to the tray app's socket; nothing when no tray app listens.
    static std::optional<Client> connect(const std::filesystem::path& socket);

    Client(Client&& other) noexcept;
    Client& operator=(Client&&) = delete;
    Client(const Client&) = delete;
    ~Client();

    bool send(const std::string& line);
    /// The next line without its line feed; nothing when the app closed the
    /// connection, sent something too long, or did not answer in time.
    std::optional<std::string> readLine(int timeoutMilliseconds = -1);

  private:
    explicit Client(int fd) : fd_(fd) {}
    int fd_ = -1;
    std::string buffer_;
};

}  // namespace cadro::ipc
