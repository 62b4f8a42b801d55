#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cadro {

/// A release as the feed describes it.
struct ReleaseInfo {
    std::string version;
    /// The release's download page; always an http or https URL.
    std::string url;

    friend bool operator==(const ReleaseInfo&, const ReleaseInfo&) = default;
};

/// The outcome of a successful check.
struct UpdateCheckResult {
    enum class Kind { upToDate, available };

    Kind kind = Kind::upToDate;
    /// Present exactly when `kind` is `available`.
    std::optional<ReleaseInfo> release;

    static UpdateCheckResult upToDate() { return {}; }
    static UpdateCheckResult available(ReleaseInfo info) {
        return {Kind::available, std::move(info)};
    }

    friend bool operator==(const UpdateCheckResult&, const UpdateCheckResult&) = default;
};

/// True for an absolute http or https URL with a host and no spaces or control
/// characters. The feed's "url" is opened with the desktop's default handler,
/// so anything else (a file, another scheme) must never get that far.
bool isWebUrl(std::string_view text);

/// Decodes a release feed: a JSON object with the text members "version" and
/// "url" (a web URL); other members are ignored. Throws json::DecodeError.
ReleaseInfo decodeReleaseFeed(std::string_view body);

/// Where the release feed lives: https://<release host>/cadro/latest.json, or
/// nullopt when this build was made without a release host.
namespace ReleaseConfig {
std::optional<std::string> feedURL();
}

}  // namespace cadro
