#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cadro::AppVersion {

/// The version this program was built as, or nullopt when the build gave none.
std::optional<std::string> current();

/// The numeric pieces of a dotted version: empty pieces are dropped, and a
/// piece that is not a whole decimal integer (optionally signed) fitting 64
/// bits counts as 0. "1..3" gives {1, 3}; "2.0-beta" gives {2, 0}.
std::vector<std::int64_t> components(std::string_view text);

/// True when `candidate` is newer than `installed`, comparing the pieces in
/// order with missing ones as 0: 1.10 > 1.9, 1.2.1 > 1.2, 1.2.0 == 1.2.
bool isNewer(std::string_view candidate, std::string_view installed);

}  // namespace cadro::AppVersion
