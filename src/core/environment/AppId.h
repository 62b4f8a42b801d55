#pragma once

#include <string_view>

namespace cadro {

/// The reverse-DNS name desktops know the program by. The desktop entry, the
/// autostart entry, the icons and the metainfo are named after it, and
/// Wayland compositors match the program's windows to its launcher by it.
/// The build reads it from this line.
inline constexpr std::string_view kAppId = "com.cadro.Cadro";

}  // namespace cadro
