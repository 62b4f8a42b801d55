#pragma once

#include <array>
#include <cstdint>

namespace cadro {

// A table rather than comparisons: ids and colours are read by the thousand.
inline constexpr std::array<std::int8_t, 256> kHexDigitValues = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) {
        table[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(c - 'a' + 10);
        table[static_cast<std::size_t>(c - 'a' + 'A')] = static_cast<std::int8_t>(c - 'a' + 10);
    }
    return table;
}();

/// The value of one hexadecimal digit in either case, or -1 for any other
/// character.
constexpr int hexDigitValue(char c) {
    return kHexDigitValues[static_cast<unsigned char>(c)];
}

}  // namespace cadro
