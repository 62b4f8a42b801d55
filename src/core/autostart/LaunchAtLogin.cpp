#include "core/autostart/LaunchAtLogin.h"

#include "core/base/AtomicFile.h"
#include "core/base/Utf8.h"
#include "core/environment/AppId.h"

#include <algorithm>

namespace cadro {

namespace fs = std::filesystem;

// --- Shared behaviour ----------------------------------------------------------

bool LaunchAtLogin::isEnabled() const {
    std::error_code ec;
    return fs::exists(agentPath_, ec);
}

std::error_code LaunchAtLogin::enable() const {
    std::string content = fileContent();
    if (content.empty())
        return std::make_error_code(std::errc::invalid_argument);
    if (auto ec = createPrivateDirectories(agentPath_.parent_path()))
        return ec;
    return writeFileAtomically(agentPath_, content);
}

std::error_code LaunchAtLogin::disable() const {
    std::error_code ec;
    fs::remove(agentPath_, ec);  // false without error when there is no file
    return ec;
}

void LaunchAtLogin::refresh() const {
    if (isEnabled() && !unavailableReason())
        (void)enable();
}

// --- XDG autostart entry -------------------------------------------------------

namespace {

bool insideBuildTree(const fs::path& executable) {
    std::error_code ec;
    for (fs::path dir = executable.parent_path(); !dir.empty(); dir = dir.parent_path()) {
        if (fs::exists(dir / "CMakeCache.txt", ec))
            return true;
        if (dir == dir.root_path())
            break;
    }
    return false;
}

}  // namespace

std::string XdgAutostartEntry::fileName() {
    return std::string(kAppId) + ".desktop";
}

XdgAutostartEntry::XdgAutostartEntry(const fs::path& autostartDirectory, std::string executablePath)
    : LaunchAtLogin(autostartDirectory / fileName(), std::move(executablePath)) {
    const std::string& path = this->executablePath();
    // A desktop entry is UTF-8 text, one key per line: such paths cannot be written.
    bool writable = !hasControlCharacters(path) && isValidUtf8(path);
    if (path.empty() || !fs::path(path).is_absolute() || !writable || insideBuildTree(path)) {
        reason_ = std::string(kNotInstalled);
    }
}

std::string XdgAutostartEntry::execValue(std::string_view path) {
    // Quoting rules of the Exec key: reserved characters force double quotes,
    // inside which " ` $ \ take a backslash; % is doubled. Then the general
    // string escape doubles every backslash again.
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    bool quote = path.find_first_of(kReserved) != std::string_view::npos;
    std::string exec;
    if (quote)
        exec.push_back('"');
    for (char c : path) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            exec.push_back('\\');
        if (c == '%')
            exec.push_back('%');
        exec.push_back(c);
    }
    if (quote)
        exec.push_back('"');
    std::string escaped;
    for (char c : exec) {
        if (c == '\\')
            escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

std::string XdgAutostartEntry::fileContent() const {
    const std::string& path = executablePath();
    if (path.empty() || hasControlCharacters(path) || !isValidUtf8(path))
        return {};
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Cadro\n"
           "Comment=Shows what to work on now\n"
           "Exec=" +
           execValue(path) +
           "\n"
           "Icon=" +
           std::string(kAppId) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

// --- Locations -----------------------------------------------------------------

fs::path userAutostartDirectory(const EnvironmentLookup& lookup) {
    return configHome(lookup) / "autostart";
}

fs::path userLoginItemsDirectory(const EnvironmentLookup& lookup) {
    return userAutostartDirectory(lookup);
}

std::unique_ptr<LaunchAtLogin> makeLaunchAtLogin(const fs::path& directory,
                                                 std::string executablePath) {
    return std::make_unique<XdgAutostartEntry>(directory, std::move(executablePath));
}

}  // namespace cadro
