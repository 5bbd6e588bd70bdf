#include "toolkit/qt/dialog_units.h"

#include <gtest/gtest.h>

#include <QFontInfo>

namespace {

using toolkit::qt::BaseUnits;
using toolkit::qt::DialogUnitsToPixels;
using toolkit::qt::MulDiv;

TEST(MulDiv, RoundsToNearestWithHalvesAwayFromZero) {
    struct Case {
        int a, b, c, expected;
    };
    for (const Case& c : {Case{469, 6, 4, 704}, Case{418, 13, 8, 679}, Case{1, 6, 4, 2},
                          Case{3, 13, 8, 5}, Case{5, 13, 8, 8}, Case{-1, 6, 4, -2},
                          Case{-3, 13, 8, -5}, Case{0, 6, 4, 0}, Case{8, 96, 72, 11}}) {
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
    }
}

TEST(DialogUnits, ConvertEachEdgeThroughItsBaseUnit) {
    const BaseUnits units{6, 13};
    // x and width by baseX / 4, y and height by baseY / 8, each rounded on its own.
    EXPECT_EQ(DialogUnitsToPixels(346, 397, 50, 14, units), QRect(519, 645, 75, 23));
    EXPECT_EQ(DialogUnitsToPixels(7, 17, 455, 371, units), QRect(11, 28, 683, 603));
    EXPECT_EQ(DialogUnitsToPixels(0, 0, 469, 418, units).size(), QSize(704, 679));
    EXPECT_EQ(DialogUnitsToPixels(1, 1, 1, 1, BaseUnits{7, 14}), QRect(2, 2, 2, 2));
}

TEST(DialogUnits, TheDialogFontReplacesMsSansSerifWithTheSameMetrics) {
    const QFont font = toolkit::qt::DialogFont("MS Sans Serif", 8);
    EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
    EXPECT_EQ(font.pixelSize(), 11);
    const BaseUnits units = toolkit::qt::MeasureBaseUnits(font);
    EXPECT_EQ(units.x, 6);
    EXPECT_EQ(units.y, 13);
}

TEST(DialogUnits, BaseUnitsGrowWithTheFont) {
    const BaseUnits small =
        toolkit::qt::MeasureBaseUnits(toolkit::qt::DialogFont("MS Sans Serif", 8));
    const BaseUnits large =
        toolkit::qt::MeasureBaseUnits(toolkit::qt::DialogFont("MS Sans Serif", 16));
    EXPECT_GT(large.x, small.x);
    EXPECT_GT(large.y, small.y);
}

}  // namespace
