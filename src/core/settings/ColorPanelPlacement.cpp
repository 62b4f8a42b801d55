#include "core/settings/ColorPanelPlacement.h"

#include <algorithm>

namespace cadro {

ScreenPoint colorPanelOrigin(double panelWidth, double panelHeight, const ScreenRect& window,
                             const ScreenRect& visible) {
    double x = window.right() + 8;
    if (x + panelWidth > visible.right())
        x = std::max(window.left() - 8 - panelWidth, visible.left());
    // Top edges level; the last clamp keeps the panel's top on screen.
    double y = std::min(window.top(), visible.bottom() - panelHeight);
    y = std::max(y, visible.top());
    return {x, y};
}

}  // namespace cadro
