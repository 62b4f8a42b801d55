#pragma once

#include "core/base/Clock.h"
#include "core/base/Defaults.h"
#include "core/base/Observable.h"
#include "core/updates/ReleaseInfo.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace cadro {

/// What the transport hands back: the response body, or why there is none.
struct FetchResult {
    std::optional<std::string> body;
    std::string error;

    static FetchResult success(std::string body) { return {std::move(body), {}}; }
    static FetchResult failure(std::string error) { return {std::nullopt, std::move(error)}; }
};

/// Fetches a URL with a plain GET and calls the completion exactly once with
/// the body (status and headers are ignored). The app does the request
/// asynchronously and calls back on the main thread; tests may call back at
/// once or keep the completion and call it later. A transport should stop
/// reading beyond UpdateChecker::kMaxFeedBytes; the checker rejects larger
/// bodies anyway.
using FetchCompletion = std::function<void(FetchResult)>;
using FeedTransport = std::function<void(const std::string& url, FetchCompletion completion)>;

/// How a check ended: a result, or a failure with a reason (not for users).
struct UpdateCheckOutcome {
    std::optional<UpdateCheckResult> result;
    std::string error;

    bool failed() const { return !result.has_value(); }
};

/// The published properties of UpdateChecker.
enum class UpdateProperty { available };

/// Learns about newer releases from the release feed: automatically at most
/// once per 24 hours, or on request. Everything runs on the main thread; the
/// fetch itself is the transport's business.
class UpdateChecker {
  public:
    static constexpr std::string_view kLastCheckedKey = "updates.lastCheckedAt";
    static constexpr double kCheckInterval = 86'400;
    /// A feed is a few dozen bytes; anything this large is not one.
    static constexpr std::size_t kMaxFeedBytes = 1024 * 1024;

    UpdateChecker(std::optional<std::string> feedURL, std::optional<std::string> installedVersion,
                  std::shared_ptr<Defaults> defaults, const Clock& clock, FeedTransport fetch);
    ~UpdateChecker();
    UpdateChecker(const UpdateChecker&) = delete;
    UpdateChecker& operator=(const UpdateChecker&) = delete;

    /// Both the feed address and the installed version are known.
    bool isConfigured() const { return feedURL_.has_value() && installedVersion_.has_value(); }
    const std::optional<std::string>& feedURL() const { return feedURL_; }
    const std::optional<std::string>& installedVersion() const { return installedVersion_; }

    /// The newer release found by the last successful check; a failed check
    /// leaves it alone.
    const std::optional<ReleaseInfo>& available() const { return available_; }

    /// Starts a check when configured and at least 24 hours have passed since
    /// the last automatic one. The time is recorded before fetching, so a
    /// failed check also waits a full day. Returns whether a check started;
    /// its outcome shows only in available().
    bool checkIfDue();

    /// Fetches and decodes the feed, updates available() and then calls
    /// `completion` (possibly before check() returns, if the transport answers
    /// at once). Not called if the checker is destroyed first.
    void check(std::function<void(UpdateCheckOutcome)> completion = {});

    [[nodiscard]] Subscription subscribe(std::function<void(UpdateProperty)> observer) {
        return changes_.subscribe(std::move(observer));
    }

  private:
    UpdateCheckOutcome evaluate(const FetchResult& fetched);
    void setAvailable(std::optional<ReleaseInfo> release);

    std::optional<std::string> feedURL_;
    std::optional<std::string> installedVersion_;
    std::shared_ptr<Defaults> defaults_;
    const Clock* clock_;
    FeedTransport fetch_;
    std::optional<ReleaseInfo> available_;
    Observable<UpdateProperty> changes_;
    // Pending completions hold this weakly, so an answer arriving after the
    // checker is gone is dropped.
    std::shared_ptr<UpdateChecker*> self_;
};

}  // namespace cadro
