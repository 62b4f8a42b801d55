#include "core/updates/AppVersion.h"

#include <algorithm>
#include <charconv>

namespace cadro::AppVersion {
namespace {

std::int64_t pieceValue(std::string_view piece) {
    // from_chars takes a leading '-' but not '+'; a bare sign is no number.
    if (!piece.empty() && piece.front() == '+') {
        piece.remove_prefix(1);
        if (!piece.empty() && piece.front() == '-')
            return 0;
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (error != std::errc() || end != piece.data() + piece.size())
        return 0;
    return value;
}

}  // namespace

std::optional<std::string> current() {
#ifdef CADRO_VERSION
    std::string_view version = CADRO_VERSION;
    if (!version.empty())
        return std::string(version);
#endif
    return std::nullopt;
}

std::vector<std::int64_t> components(std::string_view text) {
    std::vector<std::int64_t> out;
    while (true) {
        auto dot = text.find('.');
        std::string_view piece = text.substr(0, dot);
        if (!piece.empty())
            out.push_back(pieceValue(piece));
        if (dot == std::string_view::npos)
            break;
        text.remove_prefix(dot + 1);
    }
    return out;
}

bool isNewer(std::string_view candidate, std::string_view installed) {
    auto a = components(candidate);
    auto b = components(installed);
    std::size_t length = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < length; ++i) {
        std::int64_t left = i < a.size() ? a[i] : 0;
        std::int64_t right = i < b.size() ? b[i] : 0;
        if (left != right)
            return left > right;
    }
    return false;
}

}  // namespace cadro::AppVersion
