#pragma once

#include <QColor>
#include <QIcon>
#include <QPainterPath>
#include <QPixmap>

#include <optional>
#include <string_view>

namespace cadro {

/// The tray icon: two interwoven waves, 22 × 16 points.
///
/// Without a tint the icon has to stand in for a macOS template image, which
/// the system recolours to suit the menu bar. Linux trays do not recolour
/// icons, and the panel's colour is unknown to us (a dark top bar with a light
/// application theme is common), so the waves take the theme's text colour
/// and get a soft halo of the theme's window colour: that reads on a panel of
/// either shade without guessing which one it is.
namespace StatusIcon {

inline constexpr qreal kWidth = 22;
inline constexpr qreal kHeight = 16;
inline constexpr qreal kLineWidth = 1.7;

/// The first (0) or second (1) wave of the drawing, in points with the origin
/// at the top left; stroked `kLineWidth` wide with round caps and joins.
QPainterPath wavePath(int index);

/// Both waves in `tint`; with no tint, the template-like look described above,
/// taking its colours from `foreground` and `halo`.
QPixmap make(std::optional<QColor> tint, qreal devicePixelRatio, QColor foreground, QColor halo);
/// As above, with the application palette's text and window colours.
QPixmap make(std::optional<QColor> tint, qreal devicePixelRatio);
/// Pixmaps at 1× and 2× in one icon, for the tray to pick from.
QIcon icon(std::optional<QColor> tint);

/// The large two-colour variant: violet first wave, pink second, scaled so
/// that the image is `height` points high.
QPixmap brand(qreal height, qreal devicePixelRatio);

/// A 9 × 9 point dot filled with a thread's colour, or a null pixmap when the
/// thread has no colour or its colour does not parse.
QPixmap dot(std::optional<std::string_view> colorHex, qreal devicePixelRatio = 1);

}  // namespace StatusIcon
}  // namespace cadro
