#include <gtest/gtest.h>

#include "controls/FlatUtils.h"
#include "controls/HSLUtils.h"
#include "gui/draw/Graphics.h"

using namespace gui;
using namespace controls;

TEST(HSLUtils, ConvertsOnThe240Scale) {
    EXPECT_EQ(RGBtoHSL(clWhite), (THSL{0, 0, 240}));
    EXPECT_EQ(RGBtoHSL(clBlack), (THSL{0, 0, 0}));
    EXPECT_EQ(RGBtoHSL(clRed), (THSL{0, 240, 120}));
    // Hue of pure green is 239 / 3 = 79.67; luminance 128 / 510 * 240 = 60.2.
    EXPECT_EQ(RGBtoHSL(clGreen), (THSL{80, 240, 60}));
    EXPECT_EQ(RGBtoHSL(clBlue), (THSL{159, 240, 120}));
    EXPECT_EQ(HSLtoRGB(0, 240, 120), clRed);
    EXPECT_EQ(HSLtoRGB(0, 0, 240), clWhite);
}

TEST(HSLUtils, GreysRoundHalvesToEven) {
    // 255 * 8 / 240 = 8.5 and 255 * 24 / 240 = 25.5.
    EXPECT_EQ(HSLtoRGB(0, 0, 8), RGB(8, 8, 8));
    EXPECT_EQ(HSLtoRGB(0, 0, 24), RGB(26, 26, 26));
}

TEST(HSLUtils, OutOfScaleInputStillGivesAValidColour) {
    EXPECT_EQ(HSLtoRGB(0, 0, 300), clWhite);
    EXPECT_EQ(HSLtoRGB(500, 240, -5), clBlack);
}

TEST(HSLUtils, RoundTripStaysWithinRounding) {
    for (TColor c : {RGB(235, 234, 225), RGB(217, 214, 197), RGB(160, 150, 131), RGB(12, 200, 99)}) {
        TColor back = HSLtoRGB(RGBtoHSL(c));
        EXPECT_NEAR(GetRValue(back), GetRValue(c), 3);
        EXPECT_NEAR(GetGValue(back), GetGValue(c), 3);
        EXPECT_NEAR(GetBValue(back), GetBValue(c), 3);
    }
}

TEST(AdvColor, LighterOfWhiteIsCappedAtLuminance100) {
    TColor c = AdvColor(clWhite, clRed, 10, adLighter);
    EXPECT_EQ(RGBtoHSL(c).L, 100);
    EXPECT_EQ(c, RGB(106, 106, 106));  // 255 * 100 / 240 = 106.25
}

TEST(AdvColor, ZeroPercentKeepsTheCurrentColour) {
    EXPECT_EQ(AdvColor(clWhite, RGB(1, 2, 3), 0, adDarker), RGB(1, 2, 3));
}

TEST(AdvColor, DarkerShadesStayInRange) {
    // Luminance 240 + 10 - 5 is above the scale: the result is white, not garbage.
    EXPECT_EQ(AdvColor(clWhite, clBlack, 5, adDarker), clWhite);
    EXPECT_EQ(RGBtoHSL(AdvColor(RGB(128, 128, 128), clBlack, 50, adDarker)).L, 120 + 10 - 50);
    EXPECT_EQ(AdvColor(clBlack, clWhite, 50, adDarker), clBlack);
    // System colours are resolved first.
    EXPECT_EQ(AdvColor(clBtnFace, clBlack, 10, adDarker), AdvColor(ColorToRGB(clBtnFace), clBlack, 10, adDarker));
}

TEST(FlatUtils, DisabledBitmapEmbossesBlackPixels) {
    TBitmap src;
    src.SetPixelFormat(pf24bit);
    src.SetSize(4, 4);
    src.Canvas()->Brush()->SetColor(clWhite);
    src.Canvas()->FillRect(Rect(0, 0, 4, 4));
    src.Canvas()->SetPixels(1, 1, clBlack);
    src.Canvas()->SetPixels(3, 3, clBlack);  // its highlight would fall outside
    auto d = CreateDisabledBitmap(src);
    ASSERT_EQ(d->Width(), 4);
    EXPECT_EQ(d->Canvas()->Pixels(1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(d->Canvas()->Pixels(2, 2), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(d->Canvas()->Pixels(3, 3), ColorToRGB(clBtnShadow));
    EXPECT_EQ(d->Canvas()->Pixels(0, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(d->Canvas()->Pixels(3, 0), ColorToRGB(clBtnFace));
    TBitmap empty;
    EXPECT_TRUE(CreateDisabledBitmap(empty)->Empty());
}
