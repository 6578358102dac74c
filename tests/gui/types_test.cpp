#include <gtest/gtest.h>

#include "gui/base/Types.h"

using namespace gui;

TEST(Types, ColourLayoutIsBlueGreenRed) {
    // The dark background of the splash, Bio and Cover windows.
    EXPECT_EQ(RGB(21, 22, 5), 333333);
    EXPECT_EQ(GetRValue(333333), 21);
    EXPECT_EQ(GetGValue(333333), 22);
    EXPECT_EQ(GetBValue(333333), 5);
    EXPECT_EQ(clBtnFace, -2147483633);
}

TEST(Types, BoundsAndMessageTemplates) {
    TRect r = Bounds(-1, 123, 211, 37);
    EXPECT_EQ(r.Right, 210);
    EXPECT_EQ(r.Height(), 37);
    EXPECT_EQ(FormatMessage("Cannot open file %s", "bio-back.jpg"), "Cannot open file bio-back.jpg");
    EXPECT_EQ(FormatMessage("Stream read error", "x"), "Stream read error");
}
