#pragma once

#include <array>
#include <bit>
#include <compare>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace cadro {

/// A random (version 4) UUID. Written in the canonical upper-case 8-4-4-4-12
/// form; read in either case. Anything else is not an id.
class Uuid {
  public:
    using Bytes = std::array<std::uint8_t, 16>;

    /// The nil UUID (all zero). Only useful as a placeholder.
    constexpr Uuid() = default;
    explicit constexpr Uuid(const Bytes& bytes) : bytes_(bytes) {}

    /// A fresh random version-4 id from the operating system's random source.
    static Uuid random();
    /// Parses the 36-character hyphenated form in either case.
    static std::optional<Uuid> parse(std::string_view text);

    std::string toString() const;
    const Bytes& bytes() const { return bytes_; }

    // The bytes as two big-endian numbers order as the bytes do, in two
    // comparisons instead of a call to memcmp (ids are sorted by the thousand).
    friend std::strong_ordering operator<=>(const Uuid& a, const Uuid& b) {
        return a.halves() <=> b.halves();
    }
    friend bool operator==(const Uuid& a, const Uuid& b) { return a.halves() == b.halves(); }

  private:
    std::pair<std::uint64_t, std::uint64_t> halves() const {
        std::uint64_t high, low;
        std::memcpy(&high, bytes_.data(), 8);
        std::memcpy(&low, bytes_.data() + 8, 8);
        if constexpr (std::endian::native == std::endian::little)
            return {__builtin_bswap64(high), __builtin_bswap64(low)};
        return {high, low};
    }

    Bytes bytes_{};
};

}  // namespace cadro

template <>
struct std::hash<cadro::Uuid> {
    std::size_t operator()(const cadro::Uuid& id) const noexcept;
};
