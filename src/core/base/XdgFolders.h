#pragma once

// Where a user's files go, by the XDG base-directory rules.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace cadro {

/// Looks up an environment variable; replaced in tests.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

/// The process environment (unset and empty variables are nothing), with the
/// home folder from the password database when HOME is unset.
std::optional<std::string> processEnvironment(const char* name);

/// $HOME, or "/" without one.
std::filesystem::path homeDirectory(const EnvironmentLookup& lookup = processEnvironment);
/// $XDG_CONFIG_HOME, or ~/.config when the variable is unset, empty or relative.
std::filesystem::path configHome(const EnvironmentLookup& lookup = processEnvironment);
/// $XDG_DATA_HOME, or ~/.local/share when the variable is unset, empty or relative.
std::filesystem::path dataHome(const EnvironmentLookup& lookup = processEnvironment);
/// $XDG_STATE_HOME, or ~/.local/state: what belongs to this machine alone.
std::filesystem::path stateHome(const EnvironmentLookup& lookup = processEnvironment);

}  // namespace cadro
