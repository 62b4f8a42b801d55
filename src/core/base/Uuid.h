#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

    friend auto operator<=>(const Uuid&, const Uuid&) = default;

  private:
    Bytes bytes_{};
};

}  // namespace cadro

template <>
struct std::hash<cadro::Uuid> {
    std::size_t operator()(const cadro::Uuid& id) const noexcept;
};
