#pragma once

// Thread colours between their stored "#RRGGBB" text and Qt.

#include "core/store/ThreadColor.h"

#include <QColor>

#include <optional>
#include <string>
#include <string_view>

namespace cadro {

QColor toQColor(const RgbColor& color);
/// The colour a stored text names; nothing without a text or when it is no colour.
std::optional<QColor> colorFromHex(std::optional<std::string_view> hex);
/// The stored "#RRGGBB" form of a picked colour.
std::string hexOf(const QColor& color);

}  // namespace cadro
