#include "core/shell/AppId.h"
#include "core/shell/LaunchAtLogin.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(LaunchAgentPlist, WritesTheAgentPropertyList) {
    TempDir home;
    fs::path agents = home / "Library/LaunchAgents";
    LaunchAgentPlist agent(agents, "/Applications/Cadro & Co.app/Contents/MacOS/Cadro");
    EXPECT_EQ(agent.agentPath(), agents / "com.cadro.agent.plist");
    EXPECT_FALSE(agent.isEnabled());

    ASSERT_FALSE(agent.enable());  // creates the missing folders
    EXPECT_TRUE(agent.isEnabled());
    EXPECT_EQ(readFile(agent.agentPath()),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
              "<plist version=\"1.0\">\n"
              "<dict>\n"
              "\t<key>Label</key>\n"
              "\t<string>com.cadro.agent</string>\n"
              "\t<key>Program</key>\n"
              "\t<string>/Applications/Cadro &amp; Co.app/Contents/MacOS/Cadro</string>\n"
              "\t<key>RunAtLoad</key>\n"
              "\t<true/>\n"
              "</dict>\n"
              "</plist>\n");
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

TEST(XdgAutostartEntry, EnabledExactlyWhileTheEntryExists) {
    TempDir config;
    fs::path autostart = config / "deep/autostart";
    XdgAutostartEntry entry(autostart, "/usr/bin/cadro");
    EXPECT_EQ(entry.agentPath(), autostart / (std::string(kAppId) + ".desktop"));
    EXPECT_FALSE(entry.isEnabled());

    ASSERT_FALSE(entry.enable());
    EXPECT_TRUE(entry.isEnabled());
    EXPECT_EQ(readFile(entry.agentPath()),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Cadro\n"
              "Comment=Shows what to work on now\n"
              "Exec=/usr/bin/cadro\n"
              "Icon=com.cadro.Cadro\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    struct stat info {};
    ASSERT_EQ(::stat(entry.agentPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u);

    ASSERT_FALSE(entry.disable());
    EXPECT_FALSE(entry.isEnabled());
    EXPECT_FALSE(entry.disable());  // twice is fine

    // Anything at the path counts, whatever it holds.
    writeFile(entry.agentPath(), "not a desktop entry");
    EXPECT_TRUE(entry.isEnabled());
}

TEST(XdgAutostartEntry, RefreshRewritesOnlyAnExistingEntryOfAnInstalledCopy) {
    TempDir config;
    XdgAutostartEntry installed(config.path(), "/opt/cadro/bin/cadro");
    installed.refresh();
    EXPECT_FALSE(installed.isEnabled());  // never turns the feature on

    writeFile(installed.agentPath(), "Exec=/old/place/cadro\n");
    installed.refresh();
    EXPECT_EQ(readFile(installed.agentPath()), installed.fileContent());

    XdgAutostartEntry fromBuild(config.path(), "");
    writeFile(fromBuild.agentPath(), "Exec=/old/place/cadro\n");
    fromBuild.refresh();
    EXPECT_EQ(readFile(fromBuild.agentPath()), "Exec=/old/place/cadro\n");
}

TEST(XdgAutostartEntry, UnavailableOutsideAnInstalledLocation) {
    TempDir root;
    fs::create_directories(root / "build/src/app");
    writeFile(root / "build/CMakeCache.txt", "");
    fs::create_directories(root / "installed/bin");
    const std::string notInstalled = "Only available in the installed app.";
    struct Case {
        const char* name;
        std::string path;
        std::optional<std::string> reason;
    } cases[] = {
        {"installed", (root / "installed/bin/cadro").string(), std::nullopt},
        {"system", "/usr/bin/cadro", std::nullopt},
        {"build tree, nested", (root / "build/src/app/cadro").string(), notInstalled},
        {"build tree, top", (root / "build/cadro").string(), notInstalled},
        {"empty", "", notInstalled},
        {"relative", "build/cadro", notInstalled},
        {"line break", "/usr/bin/ca\ndro", notInstalled},
        {"not UTF-8", "/usr/bin/ca\xFF", notInstalled},
    };
    for (const auto& c : cases) {
        XdgAutostartEntry entry(root / "autostart", c.path);
        EXPECT_EQ(entry.unavailableReason(), c.reason) << c.name;
    }
    XdgAutostartEntry broken(root / "autostart", "/usr/bin/ca\ndro");
    EXPECT_TRUE(broken.enable());
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
            if (found == vars.end())
                return std::nullopt;
            return found->second;
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
