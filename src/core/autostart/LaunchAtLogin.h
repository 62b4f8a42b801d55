#pragma once

#include "core/base/XdgFolders.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace cadro {

/// Starting the program at login through a per-user file that the session
/// reads at login. The feature is enabled exactly when the file exists; the
/// program keeps no flag of its own and never reads the file back.
class LaunchAtLogin {
  public:
    static constexpr std::string_view kNotInstalled = "Only available in the installed app.";

    virtual ~LaunchAtLogin() = default;

    /// The file that makes the program start at login.
    const std::filesystem::path& agentPath() const { return agentPath_; }
    const std::string& executablePath() const { return executablePath_; }

    /// Why this copy of the program cannot use the feature, or nullopt.
    virtual std::optional<std::string> unavailableReason() const = 0;
    /// The file's content for the current executable.
    virtual std::string fileContent() const = 0;

    bool isEnabled() const;
    /// Creates the folder if needed and writes the file atomically, replacing
    /// an older one. A failure writes nothing.
    std::error_code enable() const;
    /// Removes the file; no file is fine.
    std::error_code disable() const;
    /// Rewrites an existing file when the feature is available, so that it
    /// follows the executable after a move or update. Errors are ignored.
    void refresh() const;

  protected:
    LaunchAtLogin(std::filesystem::path agentPath, std::string executablePath)
        : agentPath_(std::move(agentPath)), executablePath_(std::move(executablePath)) {}

  private:
    std::filesystem::path agentPath_;
    std::string executablePath_;
};

/// The XDG autostart desktop entry in $XDG_CONFIG_HOME/autostart, which
/// desktop sessions start at login. Named after the application id, like the
/// program's own desktop entry, and carrying its name, comment and icon.
class XdgAutostartEntry final : public LaunchAtLogin {
  public:
    /// "<application id>.desktop".
    static std::string fileName();

    /// Decides availability once, from the file system as it is now.
    XdgAutostartEntry(const std::filesystem::path& autostartDirectory, std::string executablePath);

    /// "Only available in the installed app." when the executable path is
    /// empty or relative, holds characters a desktop entry cannot carry, or
    /// lies in a CMake build tree (its folder or a parent holds
    /// CMakeCache.txt): a login item pointing into a build folder would break
    /// with the next clean build. Any other absolute path is installed.
    std::optional<std::string> unavailableReason() const override { return reason_; }
    std::string fileContent() const override;

    /// The Exec value for `path`, quoted and escaped as desktop entries need.
    static std::string execValue(std::string_view path);

  private:
    std::optional<std::string> reason_;
};

/// $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when the variable is
/// unset, empty or relative.
std::filesystem::path userAutostartDirectory(const EnvironmentLookup& lookup = processEnvironment);
/// The folder where this platform keeps its login items.
std::filesystem::path userLoginItemsDirectory(const EnvironmentLookup& lookup = processEnvironment);

/// The login item of this platform, in `directory`.
std::unique_ptr<LaunchAtLogin> makeLaunchAtLogin(const std::filesystem::path& directory,
                                                 std::string executablePath);

}  // namespace cadro
