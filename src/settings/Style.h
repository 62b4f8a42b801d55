#pragma once

// The look the settings window shares: colours, fonts and dividers.

#include "core/store/Records.h"
#include "gui/HexColor.h"

#include <QColor>
#include <QFont>
#include <QWidget>

#include <string_view>

class QFrame;

namespace cadro {

/// The colour shown when a thread has none of its own.
QColor systemBlue();
/// Stored when the colour check box is turned on for a thread without one.
inline constexpr std::string_view kDefaultThreadHex = "#4F8EF7";

/// The thread's colour, or the brand accent.
QColor threadColorOrAccent(const Strand* thread);
/// The palette's secondary text colour.
QColor secondaryTextColor(const QWidget* widget);
/// The application font (the desktop's) at the design's `points` of a
/// 13-point body text: 12 is 12/13 of the desktop's size, never a fixed size,
/// so every text follows the desktop's font and its size.
QFont scaledFont(qreal points, QFont::Weight weight = QFont::Normal);
/// A length of the design (drawn for a 13-pixel body text) for the desktop's
/// font: the same for smaller fonts, larger for larger ones.
int scaled(int length);
/// Sets a label's text colour. A style sheet, because palettes are not
/// honoured under a styled parent such as the thread list.
void setTextColor(QWidget* widget, const QColor& color);

/// A faint horizontal line between the parts of a tab.
QFrame* divider(QWidget* parent);

}  // namespace cadro
