#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace cadro {

/// The tray app's socket: $XDG_RUNTIME_DIR/cadro/tray.sock, or
/// $TMPDIR/cadro-<uid>/tray.sock (/tmp without TMPDIR) when there is no
/// runtime folder.
std::filesystem::path socketPath();

/// The socket of a demo, beside the user's own in the same folder: a demo
/// runs next to the user's tray app and never takes its commands.
std::filesystem::path demoSocketPath();

/// Why `folder` must not hold our socket (a link, not a folder, someone
/// else's, or open to others); nothing when it is safe. Both the tray app and
/// the command check it before they use a socket in it.
std::optional<std::string> unsafeFolderReason(const std::filesystem::path& folder);

/// Creates the socket's folder (mode 0700) if it is missing, then checks it.
/// Nothing when it is safe to use, else the reason it is not.
std::optional<std::string> prepareSocketFolder(const std::filesystem::path& socket);

}  // namespace cadro
