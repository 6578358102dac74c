// Bold captions at dialog sizes must read as bold without antialiasing: the
// Mod Info window's "Title:" and "Samples:" are MS Sans Serif at -11.
#include <gtest/gtest.h>

#include <memory>

#include "gui/draw/Graphics.h"
#include "gui/windows/TestKit.h"

using namespace gui;

namespace {

struct Ink {
    int pixels = 0;  // text pixels
    int width = 0;   // the text's advance
};

Ink Draw(const char* face, int height, bool bold, const String& text) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetWidth(200);
    bmp->SetHeight(40);
    TCanvas* c = bmp->Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 200, 40));
    c->Font()->SetName(face);
    c->Font()->SetHeight(height);
    c->Font()->SetColor(clBlack);
    if (bold) c->Font()->SetStyle({fsBold});
    c->Brush()->SetStyle(bsClear);
    c->TextOut(4, 4, text);
    Ink ink;
    ink.width = c->TextWidth(text);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            const TColor p = c->Pixels(x, y);
            EXPECT_TRUE(p == clBlack || p == clWhite) << "antialiased pixel at " << x << "," << y;
            if (p == clBlack) ++ink.pixels;
        }
    return ink;
}

TEST(BoldText, DialogCaptionsAreClearlyHeavierThanRegular) {
    testkit::Session session;
    for (const char* face : {"MS Sans Serif", "Arial"})
        for (const char* text : {"Title:", "Samples:", "Instruments:"}) {
            const Ink regular = Draw(face, -11, false, text);
            const Ink bold = Draw(face, -11, true, text);
            ASSERT_GT(regular.pixels, 10) << face << " " << text;
            // A bold stem is two pixels wide where a regular one is one.
            EXPECT_GE(bold.pixels * 10, regular.pixels * 13) << face << " " << text;
            // Still a caption's width: no more than a third wider.
            EXPECT_LE(bold.width * 3, regular.width * 4) << face << " " << text;
        }
}

}  // namespace
