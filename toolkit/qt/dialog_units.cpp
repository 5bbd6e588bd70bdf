#include "toolkit/qt/dialog_units.h"

#include <QFontMetricsF>
#include <QString>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "toolkit/qt/text.h"

namespace toolkit::qt {

int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long magnitude = (std::llabs(product) + half) / std::llabs(c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

QRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units) {
    return QRect(MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4),
                 MulDiv(cy, units.y, 8));
}

BaseUnits MeasureBaseUnits(const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The height is counted in whole pixel rows that hold both ascent and descent, so a line of
    // text never loses its descenders in a control one dialog line (8 units) high.
    return BaseUnits{static_cast<int>(std::lround(width / 52)),
                     static_cast<int>(std::ceil(metrics.ascent() + metrics.descent()))};
}

QFont DialogFont(const char* face, int points) {
    static const char* const kBitmapSansFaces[] = {"MS Sans Serif", "MS Shell Dlg",
                                                   "MS Shell Dlg 2"};
    QString family = FromAnsi(face);
    for (const char* bitmapFace : kBitmapSansFaces) {
        if (face != nullptr && std::strcmp(face, bitmapFace) == 0) family = "Liberation Sans";
    }
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(MulDiv(points, 96, 72));
    return font;
}

}  // namespace toolkit::qt
