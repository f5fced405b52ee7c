#include "UiLib/render/DpiScale.h"

#include <gtest/gtest.h>

using namespace UiLib;

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

// At the skin's own DPI, and for a DPI the system cannot report, every skin value is drawn as written:
// the pixels of every window stay exactly as they are.
TEST(DpiScaleTest, TheSkinsOwnDpiChangesNothing) {
    for (int dpi : {96, 0, -144}) {
        CDpiScale scale(dpi);
        EXPECT_TRUE(scale.IsIdentity()) << dpi;
        for (int value : {0, 1, 3, -7, 970, 660, -32768, 1 << 20}) EXPECT_EQ(scale.Scale(value), value) << value;
        EXPECT_EQ(scale.ScaleFontSize(12), 12);
        SIZE size = scale.Scale(SIZE{970, 660});
        EXPECT_EQ(size.cx, 970);
        EXPECT_EQ(size.cy, 660);
        POINT point = scale.Scale(POINT{-5, 17});
        EXPECT_EQ(point.x, -5);
        EXPECT_EQ(point.y, 17);
        EXPECT_TRUE(SameRect(scale.Scale(RECT{-3, 5, 333, 41}), RECT{-3, 5, 333, 41}));
    }
}

// 125 %, 150 % and 200 %: lengths round to the nearest pixel, negative ones as their positive twins,
// and rectangles that touch at 96 DPI still touch (edges scale, not origin and size).
TEST(DpiScaleTest, ScaledLengthsRoundToTheNearestPixelAndNeighboursStillTouch) {
    CDpiScale oneAndAHalf(144);
    EXPECT_FALSE(oneAndAHalf.IsIdentity());
    EXPECT_EQ(oneAndAHalf.Scale(970), 1455);
    EXPECT_EQ(oneAndAHalf.Scale(1), 2);  // 1.5 rounds away from zero
    EXPECT_EQ(oneAndAHalf.Scale(-1), -2);
    EXPECT_EQ(oneAndAHalf.Scale(-7), -oneAndAHalf.Scale(7));
    EXPECT_EQ(CDpiScale(120).Scale(3), 4);  // 3.75
    EXPECT_EQ(CDpiScale(120).Scale(2), 3);  // 2.5
    EXPECT_EQ(CDpiScale(192).Scale(660), 1320);

    const RECT left{0, 0, 33, 21}, right{33, 0, 71, 21};
    for (int dpi : {120, 144, 168, 192}) {
        CDpiScale scale(dpi);
        EXPECT_EQ(scale.Scale(left).right, scale.Scale(right).left) << dpi;
        SIZE size = scale.Scale(SIZE{33, 21});
        EXPECT_EQ(size.cx, scale.Scale(left).right) << dpi;
        EXPECT_EQ(size.cy, scale.Scale(left).bottom) << dpi;
    }
}

// A font scales like any length but never vanishes: a zero height would ask the system for its
// default font size instead of a tiny one.
TEST(DpiScaleTest, FontSizesScaleButNeverRoundToNothing) {
    EXPECT_EQ(CDpiScale(144).ScaleFontSize(12), 18);
    EXPECT_EQ(CDpiScale(192).ScaleFontSize(-12), -24);
    CDpiScale tiny(40);
    EXPECT_EQ(tiny.ScaleFontSize(1), 1);
    EXPECT_EQ(tiny.ScaleFontSize(-1), -1);
    EXPECT_EQ(tiny.ScaleFontSize(0), 0);
}
