#include "core/updates/AppVersion.h"
#include "core/updates/UpdateChecker.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

constexpr const char* kFeed = "https://example.org/cadro/latest.json";
constexpr const char* kLastChecked = "updates.lastCheckedAt";
constexpr double kHour = 3600;

// Keeps every request; the test answers them when it likes.
struct UpdateCheckerTest : ::testing::Test {
    ManualClock clock{Date{800'000'000}};
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    std::vector<std::string> urls;
    std::vector<FetchCompletion> pending;

    std::unique_ptr<UpdateChecker> make(std::optional<std::string> feed = kFeed,
                                        std::optional<std::string> installed = "1.9") {
        return std::make_unique<UpdateChecker>(
            feed, installed, defaults, clock, [this](const std::string& url, FetchCompletion done) {
                urls.push_back(url);
                pending.push_back(std::move(done));
            });
    }
    void answer(FetchResult result) {
        ASSERT_FALSE(pending.empty());
        auto completion = std::move(pending.front());
        pending.erase(pending.begin());
        completion(std::move(result));
    }

    // Runs check() and answers it with `answer`.
    UpdateCheckOutcome checkWith(UpdateChecker& checker, FetchResult answer) {
        std::optional<UpdateCheckOutcome> outcome;
        checker.check([&](UpdateCheckOutcome o) { outcome = std::move(o); });
        this->answer(std::move(answer));
        EXPECT_TRUE(outcome) << "the check never finished";
        return outcome.value_or(UpdateCheckOutcome{});
    }
};

TEST_F(UpdateCheckerTest, AutomaticChecksRunOncePerDay) {
    struct Case {
        const char* name;
        std::optional<double> lastCheckedAgo;  // seconds before now
        bool fetches;
    } cases[] = {
        {"never checked", std::nullopt, true},
        {"just under a day", 24 * kHour - 0.001, false},
        {"exactly a day", 24 * kHour, true},
        {"more than a day ahead of the clock", -30 * kHour, false},
    };
    for (const auto& c : cases) {
        defaults = std::make_shared<MemoryDefaults>();
        urls.clear();
        if (c.lastCheckedAgo)
            defaults->setDate(kLastChecked, clock.now() - *c.lastCheckedAgo);
        auto checker = make();

        EXPECT_EQ(checker->checkIfDue(), c.fetches) << c.name;
        EXPECT_EQ(urls, c.fetches ? std::vector<std::string>{kFeed} : std::vector<std::string>{})
            << c.name;
        // Written before the answer arrives, so a failure also waits a day.
        if (c.fetches)
            answer(FetchResult::failure("offline"));
        EXPECT_EQ(defaults->getDate(kLastChecked),
                  c.fetches ? clock.now() : clock.now() - c.lastCheckedAgo.value_or(0))
            << c.name;
    }
}

TEST_F(UpdateCheckerTest, UnconfiguredCheckersNeverFetch) {
    for (auto [feed, installed] :
         {std::pair<std::optional<std::string>, std::optional<std::string>>{std::nullopt, "1.0"},
          {kFeed, std::nullopt}}) {
        auto checker = make(feed, installed);
        EXPECT_FALSE(checker->isConfigured());
        EXPECT_FALSE(checker->checkIfDue());
    }
    EXPECT_TRUE(urls.empty());
    EXPECT_EQ(defaults->getDate(kLastChecked), std::nullopt);
}

TEST_F(UpdateCheckerTest, PublishesANewerReleaseKeepsItThroughFailedChecksAndClearsItWhenUpToDate) {
    std::string padded = R"({"version":"9.0","url":"https://example.org/"})";
    std::string tooLarge = padded + std::string(UpdateChecker::kMaxFeedBytes, ' ');
    std::string deep = std::string(100'000, '[') + std::string(100'000, ']');
    struct Case {
        const char* name;
        std::string body;
    } malformed[] = {
        {"missing url", R"({"version":"9.0"})"},
        {"url not text", R"({"version":"9.0","url":["https://example.org/"]})"},
        {"file url", R"({"version":"9.0","url":"file:///usr/bin/xterm"})"},
        {"not JSON", "<html>502 Bad Gateway</html>"},
        {"deeply nested", deep},
        {"over 1 MiB", tooLarge},
    };
    auto checker = make();
    int notifications = 0;
    auto sub = checker->subscribe([&](UpdateProperty) { ++notifications; });
    ReleaseInfo release{"1.10", "https://example.org/cadro/1.10"};

    auto outcome = checkWith(
        *checker,
        FetchResult::success(R"({"version":"1.10","url":"https://example.org/cadro/1.10",)"
                             R"("notes":"extra keys are fine"})"));
    EXPECT_EQ(outcome.result, UpdateCheckResult::available(release));
    EXPECT_EQ(checker->available(), release);

    EXPECT_TRUE(checkWith(*checker, FetchResult::failure("offline")).failed());
    EXPECT_EQ(checker->available(), release);
    for (const auto& c : malformed) {
        EXPECT_TRUE(checkWith(*checker, FetchResult::success(c.body)).failed()) << c.name;
        EXPECT_EQ(checker->available(), release) << c.name;
    }
    // A feed of exactly the limit is still read.
    std::string atLimit = R"({"version":"9.0","url":"HTTPS://example.org/"})";
    atLimit += std::string(UpdateChecker::kMaxFeedBytes - atLimit.size(), '\n');
    EXPECT_FALSE(checkWith(*checker, FetchResult::success(atLimit)).failed());
    EXPECT_EQ(checker->available()->version, "9.0");

    outcome = checkWith(*checker,
                        FetchResult::success(R"({"version":"1.9.0","url":"http://example.org/"})"));
    EXPECT_EQ(outcome.result, UpdateCheckResult::upToDate());
    EXPECT_EQ(checker->available(), std::nullopt);
    EXPECT_EQ(notifications, 3);
}

TEST_F(UpdateCheckerTest, AnAnswerAfterTheCheckerIsGoneIsDropped) {
    auto checker = make();
    bool called = false;
    checker->check([&](UpdateCheckOutcome) { called = true; });
    checker.reset();
    answer(FetchResult::success(R"({"version":"9.0","url":"https://example.org/"})"));
    EXPECT_FALSE(called);
}

TEST(ReleaseFeed, WebUrls) {
    for (const char* url : {"https://example.org", "http://example.org/cadro?v=1#top",
                            "HtTpS://user@example.org:8443/x", "https://[::1]:8080/"}) {
        EXPECT_TRUE(isWebUrl(url)) << url;
    }
    for (const char* url : {"https://", "https://:443/", "https://user@/x", "https://[/x",
                            "ftp://example.org/", "file:///etc/passwd", "https:example.org",
                            "https://example.org/\tx", "https://example.org\\@evil.example/", ""}) {
        EXPECT_FALSE(isWebUrl(url)) << url;
    }
}

// Versions compare by the numbers between their dots; anything that is not a
// whole number in range counts as 0.
TEST(AppVersion, IsNewer) {
    struct Case {
        const char* candidate;
        const char* installed;
        bool newer;
    } cases[] = {
        {"1.10", "1.9", true},
        {"1.9", "1.10", false},
        {"1.2.1", "1.2", true},
        {"1.2.0", "1.2", false},
        {"1.2", "1.2.0", false},
        {"1.2", "1.2", false},
        {"1.3-rc1", "1.2", false},  // 1.0 against 1.2
        {"2.0-beta", "1.9", true},
        {"v2.0", "1.0", false},  // "v2" counts as 0
        {"0.0.1", "", true},
        {"", "0.0.0", false},
        {"1.-1", "1", false},
        {"1..3", "1.2", true},                // an empty piece is skipped
        {"beta.1", "0.2", false},             // 0.1
        {"+3.-2", "2.9", true},               // 3.-2
        {"+-1", "-1", true},                  // a sign after "+" makes no number
        {" 1.2", "0.3", false},               // nor does a space
        {"4294967296", "1", true},            // wider than 32 bits
        {"9223372036854775808", "1", false},  // wider than 64 bits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppVersion::isNewer(c.candidate, c.installed), c.newer)
            << c.candidate << " vs " << c.installed;
    }
}

}  // namespace
}  // namespace cadro
