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
//   {"type":"command","id":"...","args":[...](,"input":"...")}
//                                     -> {"working":true} once the app takes it,
//                                        then {"exit":0,"out":"...","err":"..."}
//   ("input": the content of the file the command names, read by `cadro`)
//   {"type":"watch","args":["status"(,"--json")]}
//                                     -> {"out":"..."} now and after each change
//   {"type":"stepAside"}              -> {} and the app ends (a newer one starts)
//   {"type":"show","args":[build...]} -> {"exit":0} and the app shows its window when
//                                        it is that build (started again), else a
//                                        nonzero exit: the newcomer takes over

struct Request {
    enum class Type { command, watch, stepAside, show };
    Type type = Type::command;
    std::vector<std::string> args;
    /// Made once per `cadro` invocation and sent again with the request when
    /// the first app ended before answering, so the app can tell a repeat.
    std::string id;
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

/// The app's first answer to a command: it has taken the request and carries
/// it out (the command then waits for as long as that takes).
inline constexpr std::string_view kWorkingLine = "{\"working\":true}";

/// Longest request the app accepts: an import's content, escaped.
constexpr std::size_t kMaxRequestBytes = 2 * kMaxImportBytes + 4 * 1024 * 1024;
/// Longest request id (a UUID is 36).
constexpr std::size_t kMaxRequestIdBytes = 64;
/// Longest reply a command accepts: a whole brain dump or `list --json` of a
/// large store must arrive whole.
constexpr std::size_t kMaxReplyBytes = std::size_t{1} << 30;

}  // namespace cadro::ipc
