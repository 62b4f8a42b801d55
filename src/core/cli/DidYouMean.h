#pragma once

// Suggestions for a mistyped command or option.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro::cli {

/// The name among `names` nearest to `typed` by edit distance (a swap of two
/// neighbouring letters counts as one edit), when it is near enough to be
/// what was meant: at most two edits, and fewer than half the letters.
std::optional<std::string> closestName(std::string_view typed,
                                       const std::vector<std::string_view>& names);

/// ". Did you mean \"next\"?" or "", to follow what was not understood.
std::string didYouMean(std::string_view typed, const std::vector<std::string_view>& names);

}  // namespace cadro::cli
