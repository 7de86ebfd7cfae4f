#pragma once

// The colour a CSS colour value stands for, for a small swatch beside the
// value: in the property grid's value cells, and in the colour list picker.
//
// Reads the names of the program's colour table (ignoring letter case, so
// that its own names such as feldspar paint as they are written), the other
// colour keywords Qt knows, "transparent", #RGB, #RGBA, #RRGGBB, #RRGGBBAA,
// and the functions rgb(), rgba(), hsl(), hsla() with their numbers or
// percentages, separated by commas or blanks, with an optional "/ alpha".
// Anything else (var(--brand), currentColor, inherit, a misspelt value) has
// no swatch: the result is an invalid QColor and nothing is painted.

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

namespace korvel {

/// The colour of a CSS colour value, or an invalid QColor.
[[nodiscard]] QColor SwatchColorOf(const QString& value);

/// Where a cell shows its swatch: a square as high as the cell less 4
/// pixels, 2 pixels in from the cell's left edge, centred in its height.
[[nodiscard]] QRect SwatchRect(const QRect& cell);

/// Paints the colour into the rectangle with a thin dark outline; a
/// translucent colour is painted over a light checkerboard, so that its
/// transparency shows. An invalid colour paints nothing.
void PaintColorSwatch(QPainter& painter, const QRect& swatch, const QColor& colour);

}  // namespace korvel
