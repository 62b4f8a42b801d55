#pragma once

#include "core/cli/CommandLine.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro::ipc {

// The running tray app listens on a per-user local socket. Each message is
// one line of JSON. A `cadro` command sends a request and reads replies:
//   {"type":"command","args":[...]}   -> {"exit":0,"out":"...","err":"..."}
//   {"type":"watch","args":[...]}     -> {"out":"..."} now and after each change
//   {"type":"stepAside"}              -> the app ends at once (a newer one starts)

/// The socket: $XDG_RUNTIME_DIR/cadro/tray.sock, or a private folder in /tmp
/// when there is no runtime folder.
std::filesystem::path socketPath();

struct Request {
    enum class Type { command, watch, stepAside };
    Type type = Type::command;
    std::vector<std::string> args;

    friend bool operator==(const Request&, const Request&) = default;
};

std::string encode(const Request& request);
std::string encode(const CommandLineResult& result);

/// Nothing for a line that is not a well-formed request (wrong JSON, unknown
/// type, arguments that are not text or not UTF-8, too long).
std::optional<Request> decodeRequest(std::string_view line);
std::optional<CommandLineResult> decodeResult(std::string_view line);

/// Longest line either side accepts; anything longer is not ours.
constexpr std::size_t kMaxLineBytes = 4 * 1024 * 1024;

}  // namespace cadro::ipc
