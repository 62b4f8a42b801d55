#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

#include <string_view>

namespace cadro::Symbols {

/// Line icons of our own for the symbol names the settings window uses
/// ("moon.zzz", "pause.circle", "play.circle", "sun.max", "trash",
/// "list.bullet", "alarm", "plus", "clock", "timer", "minus.circle", "doc.text",
/// and the welcome window's "square.stack.3d.up", "arrow.right.circle",
/// "sunrise", "checklist"), drawn in `color` with one stroke weight so that
/// they sit together. Unknown names give a null pixmap.
QPixmap pixmap(std::string_view name, qreal size, QColor color, qreal devicePixelRatio);

/// The symbol at 1× and 2×, ready for buttons and labels.
QIcon icon(std::string_view name, qreal size, QColor color);

}  // namespace cadro::Symbols
