#include "core/autostart/LaunchAtLogin.h"
#include "core/environment/AppId.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string_view>

namespace cadro {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(XdgAutostartEntry, EnabledExactlyWhileTheEntryExistsAndRefreshedOnlyThen) {
    TempDir config;
    fs::path autostart = config / "deep/autostart";
    XdgAutostartEntry entry(autostart, "/usr/bin/cadro");
    EXPECT_EQ(entry.agentPath(), autostart / (std::string(kAppId) + ".desktop"));
    EXPECT_FALSE(entry.isEnabled());

    ASSERT_FALSE(entry.enable());
    EXPECT_TRUE(entry.isEnabled());
    const std::string text = readFile(entry.agentPath());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nExec=/usr/bin/cadro\n"), std::string::npos);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_EQ(text.find("Hidden="), std::string::npos);
    const auto others = fs::perms::group_all | fs::perms::others_all;
    EXPECT_EQ(fs::status(entry.agentPath()).permissions() & others, fs::perms::none);

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
    const auto folderWith = [](std::optional<std::string> configHome) {
        return userAutostartDirectory([&](const char* name) -> std::optional<std::string> {
            if (std::string_view(name) == "HOME")
                return "/home/me";
            return std::string_view(name) == "XDG_CONFIG_HOME" ? configHome : std::nullopt;
        });
    };
    EXPECT_EQ(folderWith(std::nullopt), "/home/me/.config/autostart");
    EXPECT_EQ(folderWith("/cfg"), "/cfg/autostart");
    EXPECT_EQ(folderWith("relative/cfg"), "/home/me/.config/autostart");  // must be absolute
}

}  // namespace
}  // namespace cadro
