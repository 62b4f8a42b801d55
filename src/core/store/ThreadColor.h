#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cadro {

/// An sRGB colour with components in 0...1, fully opaque.
struct RgbColor {
    double red = 0;
    double green = 0;
    double blue = 0;

    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

/// The text rules of a thread's colour: "#RRGGBB" to a colour and back.
namespace ThreadColor {

/// One optional leading "#", then exactly six hex digits in either case;
/// anything else is no colour.
std::optional<RgbColor> fromHex(std::string_view text);

/// "#" and six upper-case hex digits; components are scaled by 255 and rounded
/// half away from zero. Components outside 0...1 are clamped.
std::string hex(const RgbColor& color);

}  // namespace ThreadColor
}  // namespace cadro
