#pragma once

// Where the colour panel of the settings window opens.

namespace cadro {

/// A rectangle in screen coordinates, y growing downwards.
struct ScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double left() const { return x; }
    double right() const { return x + width; }
    double top() const { return y; }
    double bottom() const { return y + height; }

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

struct ScreenPoint {
    double x = 0;
    double y = 0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

/// Where the colour panel goes beside `window`: 8 points to its right, or to
/// its left when that would leave the screen (never past the screen's left
/// edge); its top level with the window's top, kept on screen vertically.
ScreenPoint colorPanelOrigin(double panelWidth, double panelHeight, const ScreenRect& window,
                             const ScreenRect& visible);

}  // namespace cadro
