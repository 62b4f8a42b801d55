#include "core/environment/AppEnvironment.h"

#include "core/store/ThreadStore.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> fakeHome(const char* name) {
    if (std::string_view(name) == "HOME")
        return "/home/me";
    return std::nullopt;
}

// Flags count only as whole arguments, and the first --capture names the
// folder; screenshots of the user's own data are taken of a copy.
TEST(AppEnvironment, ChosenByWholeArguments) {
    struct Case {
        std::vector<std::string> arguments;
        bool sandboxed;
        bool seeded;
        std::optional<fs::path> capture;
        bool copiesOwnStore;
    } cases[] = {
        {{"cadro"}, false, false, std::nullopt, false},
        {{"cadro", "--demo"}, true, true, std::nullopt, false},
        {{"cadro", "--demo-empty"}, true, false, std::nullopt, false},
        {{"cadro", "--demo-empty", "--demo"}, true, false, std::nullopt, false},
        {{"cadro", "--demo=1", "-demo", "--DEMO"}, false, false, std::nullopt, false},
        {{"cadro", "--capture"}, false, false, std::nullopt, false},
        {{"cadro", "--capture", "a", "--capture", "b"}, true, false, fs::path("a"), true},
        {{"cadro", "--capture", ""}, false, false, std::nullopt, false},
        {{"cadro", "--demo", "--capture", "s"}, true, true, fs::path("s"), false},
    };
    for (const auto& c : cases) {
        MemoryDefaultsProvider provider;
        auto environment = AppEnvironment::current(c.arguments, provider, fakeHome);
        SCOPED_TRACE(c.arguments.back());
        EXPECT_EQ(environment.sandbox.has_value(), c.sandboxed);
        EXPECT_EQ(environment.seedsSampleData, c.seeded);
        EXPECT_EQ(environment.captureDirectory, c.capture);
        EXPECT_EQ(environment.storeCopiedFrom.has_value(), c.copiesOwnStore);
    }
}

TEST(AppEnvironment, LiveUsesTheUsersOwnPlacesAndWelcomesOnce) {
    MemoryDefaultsProvider provider;
    auto environment = AppEnvironment::live(provider, fakeHome);
    EXPECT_EQ(environment.dataDirectory, std::nullopt);
    EXPECT_EQ(environment.sandbox, std::nullopt);
    EXPECT_EQ(environment.launchAgentsDirectory, userLoginItemsDirectory(fakeHome));
    EXPECT_TRUE(environment.claimWelcome());
    EXPECT_FALSE(AppEnvironment::live(provider, fakeHome).claimWelcome());  // the next start
    environment.discardDemoData(provider);                                  // nothing to discard
    EXPECT_EQ(provider.standard()->getBool("welcome.shown"), true);
    // Every demo starts from a fresh domain, so it welcomes every time.
    EXPECT_TRUE(AppEnvironment::demo(false, provider).claimWelcome());
}

TEST(AppEnvironment, ADemoStartsFromAFreshSandboxAndDomainAndDiscardsThem) {
    MemoryDefaultsProvider provider;
    provider.suite("com.cadro.demo")->setBool("welcome.shown", true);
    provider.standard()->setString("settings.selectedTab", "todo");

    auto environment = AppEnvironment::demo(true, provider);

    ASSERT_TRUE(environment.sandbox);
    const fs::path& sandbox = *environment.sandbox;
    EXPECT_EQ(sandbox.parent_path(), fs::temp_directory_path());
    EXPECT_EQ(environment.dataDirectory, sandbox / "data");
    EXPECT_EQ(environment.launchAgentsDirectory, sandbox / "LaunchAgents");
    EXPECT_FALSE(fs::exists(sandbox));  // made by whoever writes first
    // The demo suite was wiped and is the one in use; the user's own is untouched.
    EXPECT_EQ(environment.defaults->getBool("welcome.shown"), std::nullopt);
    EXPECT_EQ(environment.defaults->getString("settings.selectedTab"), std::nullopt);
    EXPECT_EQ(provider.standard()->getString("settings.selectedTab"), "todo");
    EXPECT_NE(AppEnvironment::demo(true, provider).sandbox, environment.sandbox);

    // Quitting discards the demo's files and defaults, and only those.
    fs::create_directories(*environment.dataDirectory);
    testing::writeFile(*environment.dataDirectory / "threads.json", "{}");
    environment.defaults->setBool("welcome.shown", true);
    environment.discardDemoData(provider);
    EXPECT_FALSE(fs::exists(sandbox));
    EXPECT_EQ(provider.domains().count("com.cadro.demo"), 0u);
    EXPECT_EQ(provider.standard()->getString("settings.selectedTab"), "todo");
}

TEST(AppEnvironment, ScreenshotsOfOwnDataAreTakenOfACopyWithoutTheWelcome) {
    MemoryDefaultsProvider provider;
    testing::TempDir home;
    testing::writeFile(home / "threads.json", "{\"own\": true}");
    auto own = AppEnvironment::current({"cadro", "--capture", "s"}, provider, fakeHome);
    EXPECT_EQ(own.storeCopiedFrom, defaultStoreDirectory() / "threads.json");
    EXPECT_FALSE(own.claimWelcome());
    EXPECT_EQ(provider.standard()->getBool("welcome.shown"), std::nullopt);

    own.storeCopiedFrom = home / "threads.json";
    own.sandbox = home / "sandbox";
    own.dataDirectory = home / "sandbox" / "data";
    own.copyStoreIntoSandbox();
    EXPECT_EQ(testing::readFile(home / "sandbox" / "data" / "threads.json"), "{\"own\": true}");
    EXPECT_EQ(fs::status(home / "sandbox").permissions(), fs::perms::owner_all);
}

}  // namespace
}  // namespace cadro
