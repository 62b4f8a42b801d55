#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QPalette>

namespace cadro {

/// Light or dark look of the desktop, read from the palette.
enum class Appearance { light, dark };

/// The small fixed palette that the settings and welcome windows and the tray
/// icon draw with. Pink and paper have a light and a dark value; the ones
/// without an argument answer for the application's current palette, so a
/// theme switch is picked up on the next redraw.
namespace BrandColor {

/// Dark when the palette's window colour is darker than mid-grey.
Appearance appearanceOf(const QPalette& palette);
Appearance currentAppearance();

QColor violet();
QColor pink(Appearance appearance);
QColor pink();
QColor paper(Appearance appearance);
QColor paper();
QColor accent();

/// Pink at the leading edge to violet at the trailing edge, in object
/// coordinates so that it fills whatever shape it paints.
QLinearGradient gradient(Appearance appearance);
QLinearGradient gradient();
/// Pink at the top to violet at the bottom, in object coordinates.
QLinearGradient verticalGradient(Appearance appearance);
QLinearGradient verticalGradient();

}  // namespace BrandColor
}  // namespace cadro
