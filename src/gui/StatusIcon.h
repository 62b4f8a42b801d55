#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>

#include <optional>
#include <string_view>

namespace cadro {

/// The tray icon: two interwoven waves, 22 × 16 points.
///
/// Panels either recolour a named symbolic icon to suit themselves (see the
/// icons written at build time) or show our pixmaps as they are, on a panel
/// whose colour we cannot know. So the plain pixmaps are a light glyph with a
/// dark rim: the glyph reads on a dark panel, the rim on a light one. A
/// thread's colour is drawn as it is.
namespace StatusIcon {

inline constexpr qreal kWidth = 22;
inline constexpr qreal kHeight = 16;
inline constexpr qreal kLineWidth = 1.7;

/// The first (0) or second (1) wave of the drawing, in points with the origin
/// at the top left; stroked `kLineWidth` wide with round caps and joins.
QPainterPath wavePath(int index);

/// The icon as a panel shows it, `size` × `size` pixels: the waves in `tint`,
/// or the light glyph with its dark rim; with `attention`, an accent dot at
/// the top right.
QImage panelImage(std::optional<QColor> tint, bool attention, int size);
/// Panel images at the sizes panels use, in one icon.
QIcon icon(std::optional<QColor> tint, bool attention = false);
/// The sizes in pixels that `icon` and the status notifier item offer.
inline constexpr int kPanelSizes[] = {16, 22, 24, 32, 48, 64};

/// The same shapes as filled outlines in a `size`-unit square, for the
/// one-colour icon that panels recolour: the waves, and with `attention` the
/// waves cleared around the dot (`attentionDot` gives the dot itself).
QPainterPath symbolicPath(bool attention, qreal size);
QPainterPath attentionDot(qreal size);

/// The accent of the attention dot.
QColor attentionColor();

/// The application icon (launchers, window frames): the brand waves on a
/// rounded tile of paper, `size` pixels square.
QImage appImage(int size);
/// Its layout on a 128-unit square, shared with the SVG written at build time.
namespace AppIconLayout {
inline constexpr qreal kCanvas = 128;
inline constexpr qreal kTileInset = 8;
inline constexpr qreal kTileRadius = 24;
inline constexpr qreal kWaveScale = 4.4;
inline const QPointF kWaveOrigin((kCanvas - kWidth * kWaveScale) / 2,
                                 (kCanvas - kHeight * kWaveScale) / 2);
inline const QColor kTileBorder(0xE4, 0xE0, 0xF5);
}  // namespace AppIconLayout
/// `appImage` at the sizes window frames and task switchers use.
QIcon appIcon();

/// The large two-colour variant: violet first wave, pink second, scaled so
/// that the image is `height` points high.
QPixmap brand(qreal height, qreal devicePixelRatio);

/// A 9 × 9 point dot filled with a thread's colour, or a null pixmap when the
/// thread has no colour or its colour does not parse.
QPixmap dot(std::optional<std::string_view> colorHex, qreal devicePixelRatio = 1);

}  // namespace StatusIcon
}  // namespace cadro
