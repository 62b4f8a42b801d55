#include "core/updates/UpdateChecker.h"

#include "core/base/Json.h"
#include "core/updates/AppVersion.h"

namespace cadro {

UpdateChecker::UpdateChecker(std::optional<std::string> feedURL,
                             std::optional<std::string> installedVersion,
                             std::shared_ptr<Defaults> defaults, const Clock& clock,
                             FeedTransport fetch)
    : feedURL_(std::move(feedURL)),
      installedVersion_(std::move(installedVersion)),
      defaults_(std::move(defaults)),
      clock_(&clock),
      fetch_(std::move(fetch)),
      self_(std::make_shared<UpdateChecker*>(this)) {}

UpdateChecker::~UpdateChecker() = default;

bool UpdateChecker::checkIfDue() {
    if (!isConfigured())
        return false;
    Date now = clock_->now();
    // A date in the future gives a negative gap and so also waits.
    if (auto last = defaults_->getDate(kLastCheckedKey); last && now - *last < kCheckInterval) {
        return false;
    }
    defaults_->setDate(kLastCheckedKey, now);
    check();
    return true;
}

void UpdateChecker::check(std::function<void(UpdateCheckOutcome)> completion) {
    auto finish = [&completion](UpdateCheckOutcome outcome) {
        if (completion)
            completion(std::move(outcome));
    };
    if (!isConfigured()) {
        finish({std::nullopt, "unsupported URL"});
        return;
    }
    if (!fetch_) {
        finish({std::nullopt, "no transport"});
        return;
    }
    std::weak_ptr<UpdateChecker*> weak = self_;
    fetch_(*feedURL_, [weak, completion = std::move(completion)](FetchResult fetched) {
        auto self = weak.lock();
        if (!self)
            return;
        UpdateCheckOutcome outcome = (*self)->evaluate(fetched);
        if (completion)
            completion(std::move(outcome));
    });
}

UpdateCheckOutcome UpdateChecker::evaluate(const FetchResult& fetched) {
    if (!fetched.body)
        return {std::nullopt, fetched.error.empty() ? "no answer" : fetched.error};
    if (fetched.body->size() > kMaxFeedBytes)
        return {std::nullopt, "the feed is too large"};
    ReleaseInfo release;
    try {
        release = decodeReleaseFeed(*fetched.body);
    } catch (const json::DecodeError& error) {
        return {std::nullopt, error.what()};
    } catch (const nlohmann::json::exception& error) {
        return {std::nullopt, error.what()};
    }
    if (AppVersion::isNewer(release.version, installedVersion_.value_or(""))) {
        setAvailable(release);
        return {UpdateCheckResult::available(std::move(release)), {}};
    }
    setAvailable(std::nullopt);
    return {UpdateCheckResult::upToDate(), {}};
}

void UpdateChecker::setAvailable(std::optional<ReleaseInfo> release) {
    available_ = std::move(release);
    changes_.notify(UpdateProperty::available);
}

}  // namespace cadro
