#include "gui/HexColor.h"

namespace cadro {

QColor toQColor(const RgbColor& color) {
    return QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
}

std::optional<QColor> colorFromHex(std::optional<std::string_view> hex) {
    if (!hex)
        return std::nullopt;
    if (auto rgb = ThreadColor::fromHex(*hex))
        return toQColor(*rgb);
    return std::nullopt;
}

std::string hexOf(const QColor& color) {
    const QColor rgb = color.toRgb();
    return ThreadColor::hex({rgb.redF(), rgb.greenF(), rgb.blueF()});
}

}  // namespace cadro
