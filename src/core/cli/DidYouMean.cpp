#include "core/cli/DidYouMean.h"

#include <algorithm>

namespace cadro::cli {
namespace {

// Optimal string alignment distance; bytes are fine for the ASCII names of
// commands and options.
std::size_t distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string> closestName(std::string_view typed,
                                       const std::vector<std::string_view>& names) {
    if (typed.size() > 64)
        return std::nullopt;  // no name is that long; spare the work
    std::optional<std::string> best;
    std::size_t bestDistance = 3;
    for (const auto name : names) {
        const std::size_t edits = distance(typed, name);
        if (edits < bestDistance && edits * 2 < std::max(typed.size(), name.size())) {
            best = std::string(name);
            bestDistance = edits;
        }
    }
    return best;
}

std::string didYouMean(std::string_view typed, const std::vector<std::string_view>& names) {
    const auto name = closestName(typed, names);
    return name ? ". Did you mean \"" + *name + "\"?" : "";
}

}  // namespace cadro::cli
