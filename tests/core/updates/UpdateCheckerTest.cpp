#include "core/updates/UpdateChecker.h"

#include <gtest/gtest.h>

namespace cadro {
namespace {

constexpr const char* kFeed = "https://example.org/cadro/latest.json";
constexpr const char* kLastChecked = "updates.lastCheckedAt";
constexpr double kHour = 3600;

// Keeps every request; the test answers them when it likes.
struct FakeTransport {
    std::vector<std::string> urls;
    std::vector<FetchCompletion> pending;

    FeedTransport transport() {
        return [this](const std::string& url, FetchCompletion completion) {
            urls.push_back(url);
            pending.push_back(std::move(completion));
        };
    }
    void answer(FetchResult result) {
        ASSERT_FALSE(pending.empty());
        auto completion = std::move(pending.front());
        pending.erase(pending.begin());
        completion(std::move(result));
    }
};

struct UpdateCheckerTest : ::testing::Test {
    ManualClock clock{Date{800'000'000}};
    std::shared_ptr<MemoryDefaults> defaults = std::make_shared<MemoryDefaults>();
    FakeTransport fake;

    std::unique_ptr<UpdateChecker> make(std::optional<std::string> feed = kFeed,
                                        std::optional<std::string> installed = "1.9") {
        return std::make_unique<UpdateChecker>(feed, installed, defaults, clock, fake.transport());
    }

    // Runs check() and answers it with `body`.
    UpdateCheckOutcome checkWith(UpdateChecker& checker, FetchResult answer) {
        UpdateCheckOutcome outcome;
        bool called = false;
        checker.check([&](UpdateCheckOutcome o) {
            outcome = std::move(o);
            called = true;
        });
        fake.answer(std::move(answer));
        EXPECT_TRUE(called);
        return outcome;
    }
};

TEST_F(UpdateCheckerTest, AutomaticChecksRunOncePerDay) {
    struct Case {
        const char* name;
        std::optional<double> lastCheckedAgo;  // seconds before now
        bool fetches;
    } cases[] = {
        {"never checked", std::nullopt, true},
        {"23 hours ago", 23 * kHour, false},
        {"just under a day", 24 * kHour - 0.001, false},
        {"exactly a day", 24 * kHour, true},
        {"a week ago", 168 * kHour, true},
    };
    for (const auto& c : cases) {
        defaults = std::make_shared<MemoryDefaults>();
        fake = {};
        if (c.lastCheckedAgo)
            defaults->setDate(kLastChecked, clock.now() - *c.lastCheckedAgo);
        auto checker = make();

        EXPECT_EQ(checker->checkIfDue(), c.fetches) << c.name;
        EXPECT_EQ(fake.urls.size(), c.fetches ? 1u : 0u) << c.name;
        if (c.fetches) {
            // Written before the answer arrives, so a failure also waits a day.
            EXPECT_EQ(fake.urls.front(), kFeed);
            EXPECT_EQ(defaults->getDate(kLastChecked), clock.now()) << c.name;
            fake.answer(FetchResult::failure("offline"));
            EXPECT_EQ(defaults->getDate(kLastChecked), clock.now()) << c.name;
        } else if (c.lastCheckedAgo) {
            EXPECT_EQ(defaults->getDate(kLastChecked), clock.now() - *c.lastCheckedAgo) << c.name;
        }
    }
}

TEST_F(UpdateCheckerTest, AFutureDateWaitsUntilADayAfterIt) {
    Date future = clock.now() + 10 * kHour;
    defaults->setDate(kLastChecked, future);
    auto checker = make();
    clock.set(future + 24 * kHour - 1);
    EXPECT_FALSE(checker->checkIfDue());
    clock.set(future + 24 * kHour);
    EXPECT_TRUE(checker->checkIfDue());
    EXPECT_FALSE(checker->checkIfDue());  // the key now holds this moment
    EXPECT_EQ(fake.urls.size(), 1u);
}

TEST_F(UpdateCheckerTest, UnconfiguredCheckersNeverFetch) {
    for (auto [feed, installed] :
         {std::pair<std::optional<std::string>, std::optional<std::string>>{std::nullopt, "1.0"},
          {kFeed, std::nullopt}}) {
        auto checker = make(feed, installed);
        EXPECT_FALSE(checker->isConfigured());
        EXPECT_FALSE(checker->checkIfDue());
        bool failed = false;
        checker->check([&](UpdateCheckOutcome o) { failed = o.failed(); });
        EXPECT_TRUE(failed);
    }
    EXPECT_TRUE(fake.urls.empty());
    EXPECT_EQ(defaults->getDate(kLastChecked), std::nullopt);
    EXPECT_TRUE(make()->isConfigured());
}

TEST_F(UpdateCheckerTest, PublishesANewerReleaseAndClearsItWhenUpToDate) {
    auto checker = make();
    int notifications = 0;
    auto sub = checker->subscribe([&](UpdateProperty) { ++notifications; });
    ReleaseInfo release{"1.10", "https://example.org/cadro/1.10"};

    auto outcome = checkWith(
        *checker,
        FetchResult::success(R"({"version":"1.10","url":"https://example.org/cadro/1.10",)"
                             R"("notes":"extra keys are fine"})"));
    ASSERT_FALSE(outcome.failed());
    EXPECT_EQ(*outcome.result, UpdateCheckResult::available(release));
    EXPECT_EQ(checker->available(), release);

    // A failure leaves the known release alone.
    EXPECT_TRUE(checkWith(*checker, FetchResult::failure("offline")).failed());
    EXPECT_EQ(checker->available(), release);

    outcome = checkWith(*checker,
                        FetchResult::success(R"({"version":"1.9.0","url":"http://example.org/"})"));
    ASSERT_FALSE(outcome.failed());
    EXPECT_EQ(*outcome.result, UpdateCheckResult::upToDate());
    EXPECT_EQ(checker->available(), std::nullopt);
    EXPECT_EQ(notifications, 2);
}

TEST_F(UpdateCheckerTest, MalformedFeedsFailTheCheck) {
    std::string padded = R"({"version":"9.0","url":"https://example.org/"})";
    std::string tooLarge = padded + std::string(UpdateChecker::kMaxFeedBytes, ' ');
    std::string deep = std::string(100'000, '[') + std::string(100'000, ']');
    struct Case {
        const char* name;
        std::string body;
    } cases[] = {
        {"missing url", R"({"version":"9.0"})"},
        {"version not text", R"({"version":9.0,"url":"https://example.org/"})"},
        {"url not text", R"({"version":"9.0","url":["https://example.org/"]})"},
        {"file url", R"({"version":"9.0","url":"file:///usr/bin/xterm"})"},
        {"not an object", R"(["9.0","https://example.org/"])"},
        {"not JSON", "<html>502 Bad Gateway</html>"},
        {"empty body", ""},
        {"invalid UTF-8", "{\"version\":\"9.0\xFF\",\"url\":\"https://example.org/\"}"},
        {"deeply nested", deep},
        {"over 1 MiB", tooLarge},
    };
    auto checker = make();
    ReleaseInfo known{"2.0", "https://example.org/2.0"};
    checkWith(*checker,
              FetchResult::success(R"({"version":"2.0","url":"https://example.org/2.0"})"));
    for (const auto& c : cases) {
        auto outcome = checkWith(*checker, FetchResult::success(c.body));
        EXPECT_TRUE(outcome.failed()) << c.name;
        EXPECT_FALSE(outcome.error.empty()) << c.name;
        EXPECT_EQ(checker->available(), known) << c.name;
    }
    // A feed of exactly the limit is still read.
    std::string atLimit = R"({"version":"9.0","url":"HTTPS://example.org/"})";
    atLimit += std::string(UpdateChecker::kMaxFeedBytes - atLimit.size(), '\n');
    EXPECT_FALSE(checkWith(*checker, FetchResult::success(atLimit)).failed());
    EXPECT_EQ(checker->available()->version, "9.0");
}

TEST_F(UpdateCheckerTest, AnAnswerAfterTheCheckerIsGoneIsDropped) {
    auto checker = make();
    bool called = false;
    checker->check([&](UpdateCheckOutcome) { called = true; });
    checker.reset();
    fake.answer(FetchResult::success(R"({"version":"9.0","url":"https://example.org/"})"));
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

}  // namespace
}  // namespace cadro
