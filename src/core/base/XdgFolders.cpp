#include "core/base/XdgFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace cadro {

namespace fs = std::filesystem;

std::optional<std::string> processEnvironment(const char* name) {
    if (const char* value = std::getenv(name); value && *value)
        return std::string(value);
    if (std::string_view(name) == "HOME") {
        if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
            return std::string(entry->pw_dir);
    }
    return std::nullopt;
}

fs::path homeDirectory(const EnvironmentLookup& lookup) {
    auto home = lookup("HOME");
    return home && !home->empty() ? fs::path(*home) : fs::path("/");
}

namespace {

// The base-directory rules say to ignore a relative value.
fs::path baseFolder(const EnvironmentLookup& lookup, const char* variable,
                    const fs::path& underHome) {
    if (auto value = lookup(variable); value && fs::path(*value).is_absolute())
        return fs::path(*value);
    return homeDirectory(lookup) / underHome;
}

}  // namespace

fs::path configHome(const EnvironmentLookup& lookup) {
    return baseFolder(lookup, "XDG_CONFIG_HOME", ".config");
}

fs::path dataHome(const EnvironmentLookup& lookup) {
    return baseFolder(lookup, "XDG_DATA_HOME", fs::path(".local") / "share");
}

fs::path stateHome(const EnvironmentLookup& lookup) {
    return baseFolder(lookup, "XDG_STATE_HOME", fs::path(".local") / "state");
}

}  // namespace cadro
