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
//   {"type":"command","args":[...](,"input":"...")}
//                                     -> {"exit":0,"out":"...","err":"..."}
//   ("input": the content of the file the command names, read by `cadro`)
//   {"type":"watch","args":["status"(,"--json")]}
//                                     -> {"out":"..."} now and after each change
//   {"type":"stepAside"}              -> {} and the app ends (a newer one starts)

struct Request {
    enum class Type { command, watch, stepAside };
    Type type = Type::command;
    std::vector<std::string> args;
    std::optional<std::string> input = std::nullopt;

    friend bool operator==(const Request&, const Request&) = default;
};

std::string encode(const Request& request);
std::string encode(const CommandLineResult& result);

/// Nothing for a line that is not a well-formed request (wrong JSON, unknown
/// type, arguments that are not text or not UTF-8, a watch of anything but
/// the status, too long).
std::optional<Request> decodeRequest(std::string_view line);
std::optional<CommandLineResult> decodeResult(std::string_view line);

/// Longest request the app accepts: an import's content, escaped.
constexpr std::size_t kMaxRequestBytes = 2 * kMaxImportBytes + 4 * 1024 * 1024;
/// Longest reply a command accepts: a whole brain dump or `list --json` of a
/// large store must arrive whole.
constexpr std::size_t kMaxReplyBytes = std::size_t{1} << 30;

}  // namespace cadro::ipc
