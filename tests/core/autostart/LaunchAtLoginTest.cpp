#include "core/environment/AppId.h"
#include "core/autostart/LaunchAtLogin.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <regex>
#include <sstream>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// The keys of a property list's top dictionary with their values: a
// string's text with entities resolved, or "true"/"false".
std::map<std::string, std::string> plistEntries(const std::string& xml) {
    std::map<std::string, std::string> entries;
    std::regex entry(R"(<key>([^<]*)</key>\s*(?:<string>([^<]*)</string>|<(true|false)/>))");
    for (std::sregex_iterator it(xml.begin(), xml.end(), entry), end; it != end; ++it) {
        std::string value = (*it)[3].matched ? (*it)[3].str() : (*it)[2].str();
        for (auto at = value.find("&amp;"); at != std::string::npos;
             at = value.find("&amp;", at + 1))
            value.replace(at, 5, "&");
        entries[(*it)[1]] = value;
    }
    return entries;
}

TEST(LaunchAgentPlist, NamesTheProgramAndStartsItAtLogin) {
    TempDir home;
    fs::path agents = home / "Library/LaunchAgents";
    const std::string program = "/Applications/Cadro & Co.app/Contents/MacOS/Cadro";
    LaunchAgentPlist agent(agents, program);
    EXPECT_EQ(agent.agentPath().parent_path(), agents);
    EXPECT_FALSE(agent.isEnabled());

    ASSERT_FALSE(agent.enable());  // creates the missing folders
    EXPECT_TRUE(agent.isEnabled());
    const std::string xml = readFile(agent.agentPath());
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
    EXPECT_NE(xml.find("<plist version=\"1.0\">"), std::string::npos);
    auto entries = plistEntries(xml);
    EXPECT_EQ(entries["Program"], program);
    EXPECT_EQ(entries["RunAtLoad"], "true");
    // launchd expects the label to match the file name.
    EXPECT_EQ(entries["Label"] + ".plist", agent.agentPath().filename().string());
}

TEST(LaunchAgentPlist, Unavailability) {
    const std::string notInstalled = "Only available in the installed app.";
    const std::string move = "Move Cadro to your Applications folder first.";
    struct Case {
        const char* path;
        std::optional<std::string> reason;
    } cases[] = {
        {"/Applications/Cadro.app/Contents/MacOS/Cadro", std::nullopt},
        {"/Users/me/Applications/Cadro.app/Contents/MacOS/Cadro", std::nullopt},
        {"/Volumes/Cadro/Cadro.app/Contents/MacOS/Cadro", move},
        {"/private/var/folders/x/AppTranslocation/1234/d/Cadro.app/Contents/MacOS/Cadro", move},
        {"/Users/me/src/cadro/.build/debug/Cadro", notInstalled},
        {"/Volumes/Cadro/cadro", notInstalled},  // the bundle test comes first
        {"", notInstalled},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LaunchAgentPlist("/tmp", c.path).unavailableReason(), c.reason) << c.path;
    }
}

TEST(XdgAutostartEntry, EnabledExactlyWhileTheEntryExistsAndRefreshedOnlyThen) {
    TempDir config;
    fs::path autostart = config / "deep/autostart";
    XdgAutostartEntry entry(autostart, "/usr/bin/cadro");
    EXPECT_EQ(entry.agentPath(), autostart / (std::string(kAppId) + ".desktop"));
    EXPECT_FALSE(entry.isEnabled());

    ASSERT_FALSE(entry.enable());
    EXPECT_TRUE(entry.isEnabled());
    // Read as key=value lines of its one group.
    std::istringstream lines(readFile(entry.agentPath()));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "[Desktop Entry]");
    std::map<std::string, std::string> keys;
    while (std::getline(lines, line)) {
        auto eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Exec"], "/usr/bin/cadro");
    EXPECT_EQ(keys["X-GNOME-Autostart-enabled"], "true");
    EXPECT_EQ(keys.count("Hidden"), 0u);
    EXPECT_FALSE(keys["Name"].empty());
    struct stat info {};
    ASSERT_EQ(::stat(entry.agentPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u);

    ASSERT_FALSE(entry.disable());
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_FALSE(entry.disable());  // twice is fine
    entry.refresh();
    EXPECT_FALSE(entry.isEnabled());  // refreshing never turns it on

    // Anything at the path counts; a refresh rewrites it unless this copy is
    // not installed.
    writeFile(entry.agentPath(), "Exec=/old/place/cadro\n");
    EXPECT_TRUE(entry.isEnabled());
    XdgAutostartEntry(autostart, "").refresh();
    EXPECT_EQ(readFile(entry.agentPath()), "Exec=/old/place/cadro\n");
    entry.refresh();
    EXPECT_EQ(readFile(entry.agentPath()), entry.fileContent());
}

TEST(XdgAutostartEntry, UnavailableOutsideAnInstalledLocation) {
    TempDir root;
    fs::create_directories(root / "build/src/app");
    writeFile(root / "build/CMakeCache.txt", "");
    fs::create_directories(root / "installed/bin");
    struct Case {
        std::string path;
        bool available;
    } cases[] = {
        {(root / "installed/bin/cadro").string(), true},
        {"/usr/bin/cadro", true},
        {(root / "build/src/app/cadro").string(), false},
        {(root / "build/cadro").string(), false},
        {"", false},
        {"build/cadro", false},
        {"/usr/bin/ca\ndro", false},
        {"/usr/bin/ca\xFF", false},
    };
    for (const auto& c : cases) {
        XdgAutostartEntry entry(root / "autostart", c.path);
        EXPECT_EQ(!entry.unavailableReason(), c.available) << c.path;
    }
    // A path no desktop entry can hold is refused before anything is written.
    EXPECT_TRUE(XdgAutostartEntry(root / "autostart", "/usr/bin/ca\ndro").enable());
    EXPECT_FALSE(fs::exists(root / "autostart"));
}

TEST(XdgAutostartEntry, ExecValuesAreQuotedAndEscaped) {
    struct Case {
        const char* path;
        const char* exec;  // as written in the file
    } cases[] = {
        {"/usr/bin/cadro", "/usr/bin/cadro"},
        {"/home/me/My Apps/cadro", "\"/home/me/My Apps/cadro\""},
        {"/opt/100%/cadro", "/opt/100%%/cadro"},
        {"/opt/$HOME/cadro", "\"/opt/\\\\$HOME/cadro\""},
        {"/opt/a\\b/cadro", "\"/opt/a\\\\\\\\b/cadro\""},
        {"/opt/\"q\"/cadro", "\"/opt/\\\\\"q\\\\\"/cadro\""},
        {"/opt/it's/cadro", "\"/opt/it's/cadro\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(XdgAutostartEntry::execValue(c.path), c.exec) << c.path;
}

TEST(LoginItemsFolder, FollowsTheXdgConfigHome) {
    auto lookupFrom = [](std::map<std::string, std::string> vars) {
        return [vars](const char* name) -> std::optional<std::string> {
            auto found = vars.find(name);
            return found == vars.end() ? std::nullopt : std::optional(found->second);
        };
    };
    EXPECT_EQ(userAutostartDirectory(lookupFrom({{"HOME", "/home/me"}})),
              "/home/me/.config/autostart");
    EXPECT_EQ(
        userAutostartDirectory(lookupFrom({{"HOME", "/home/me"}, {"XDG_CONFIG_HOME", "/cfg"}})),
        "/cfg/autostart");
    EXPECT_EQ(userAutostartDirectory(
                  lookupFrom({{"HOME", "/home/me"}, {"XDG_CONFIG_HOME", "relative/cfg"}})),
              "/home/me/.config/autostart");
    EXPECT_EQ(userLaunchAgentsDirectory(lookupFrom({{"HOME", "/Users/me"}})),
              "/Users/me/Library/LaunchAgents");
}

}  // namespace
}  // namespace cadro
