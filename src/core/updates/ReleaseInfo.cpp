#include "core/updates/ReleaseInfo.h"

#include "core/base/Json.h"

#include <algorithm>
#include <cctype>

namespace cadro {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char lower, char c) {
               return std::tolower(static_cast<unsigned char>(c)) == lower;
           });
}

}  // namespace

bool isWebUrl(std::string_view text) {
    std::string_view rest;
    if (startsWithNoCase(text, "https://")) {
        rest = text.substr(8);
    } else if (startsWithNoCase(text, "http://")) {
        rest = text.substr(7);
    } else {
        return false;
    }
    bool clean = std::none_of(text.begin(), text.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u <= 0x20 || u == 0x7F || c == '\\';
    });
    if (!clean)
        return false;
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    auto at = authority.rfind('@');
    std::string_view hostAndPort =
        at == std::string_view::npos ? authority : authority.substr(at + 1);
    std::string_view host = hostAndPort.substr(0, hostAndPort.rfind(':'));
    // An IPv6 literal "[::1]" holds colons of its own.
    if (!hostAndPort.empty() && hostAndPort.front() == '[') {
        host = hostAndPort.substr(0, hostAndPort.find(']') + 1);
    }
    return !host.empty();
}

ReleaseInfo decodeReleaseFeed(std::string_view body) {
    json::Value document = json::parse(body);
    json::ObjectReader reader(document, "");
    ReleaseInfo info;
    info.version = reader.string("version");
    info.url = reader.string("url");
    if (!isWebUrl(info.url))
        reader.fail("url", "is not an http or https address");
    return info;
}

namespace ReleaseConfig {

std::optional<std::string> feedURL() {
#ifdef CADRO_RELEASE_HOST
    std::string_view host = CADRO_RELEASE_HOST;
    if (!host.empty())
        return "https://" + std::string(host) + "/cadro/latest.json";
#endif
    return std::nullopt;
}

}  // namespace ReleaseConfig
}  // namespace cadro
