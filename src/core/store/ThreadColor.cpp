#include "core/store/ThreadColor.h"

#include "core/base/Hex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace cadro::ThreadColor {
namespace {

int toByte(double component) {
    if (!std::isfinite(component))
        component = 0;
    // std::round rounds halves away from zero.
    return static_cast<int>(std::round(std::clamp(component, 0.0, 1.0) * 255.0));
}

}  // namespace

std::optional<RgbColor> fromHex(std::string_view text) {
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    if (text.size() != 6)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return RgbColor{((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0,
                    (value & 0xFF) / 255.0};
}

std::string hex(const RgbColor& color) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", toByte(color.red), toByte(color.green),
                  toByte(color.blue));
    return buffer;
}

}  // namespace cadro::ThreadColor
