// Dialog units to pixels, through the base units of the dialog's font.
#pragma once

#include <QFont>
#include <QRect>

namespace toolkit::qt {

struct BaseUnits {
    int x;  // average character width
    int y;  // character height
};

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c);

// x = dlu * baseX / 4, y = dlu * baseY / 8, each rounded.
QRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units);

// Width of "A..Za..z" / 52 rounded, and the font's height in whole pixels.
BaseUnits MeasureBaseUnits(const QFont& font);

// The template's font at the standard 96 dots per inch; "MS Sans Serif" and its kin are replaced
// by an installed sans of the same metrics.
QFont DialogFont(const char* face, int points);

}  // namespace toolkit::qt
