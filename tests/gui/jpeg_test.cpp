// JPEG reading and writing, 8-bit decoding, bad data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "gui/base/Classes.h"
#include "gui/draw/Jpeg.h"

using namespace gui;

namespace {

// A 16x8 picture: left half red, right half blue.
void MakePicture(TBitmap& b) {
    b.SetPixelFormat(pf24bit);
    b.SetSize(16, 8);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 8, 8));
    b.Canvas()->Brush()->SetColor(clBlue);
    b.Canvas()->FillRect(Rect(8, 0, 16, 8));
}

bool Near(TColor c, TColor want, int tol) {
    return std::abs(GetRValue(c) - GetRValue(want)) <= tol && std::abs(GetGValue(c) - GetGValue(want)) <= tol &&
           std::abs(GetBValue(c) - GetBValue(want)) <= tol;
}

}  // namespace

TEST(Jpeg, WriteThenReadBackTwentyFourBit) {
    TBitmap src;
    MakePicture(src);
    TJPEGImage out;
    out.Assign(&src);
    out.SaveToFile("jpeg_test_out.jpg", 95);

    TJPEGImage in;
    in.LoadFromFile("jpeg_test_out.jpg");
    std::remove("jpeg_test_out.jpg");
    EXPECT_EQ(in.Width(), 16);
    EXPECT_EQ(in.Height(), 8);
    EXPECT_FALSE(in.Grayscale());
    TBitmap b;
    b.Assign(&in);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_TRUE(Near(b.Canvas()->Pixels(2, 4), clRed, 12));
    EXPECT_TRUE(Near(b.Canvas()->Pixels(13, 4), clBlue, 12));
    // Drawing a JPEG on a canvas.
    TBitmap dst;
    dst.SetSize(32, 8);
    dst.Canvas()->StretchDraw(Rect(0, 0, 32, 8), &in);
    EXPECT_TRUE(Near(dst.Canvas()->Pixels(28, 4), clBlue, 12));
}

TEST(Jpeg, EightBitDecodingWithAGivenPalette) {
    TBitmap src;
    MakePicture(src);
    TJPEGImage j;
    j.Assign(&src);
    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 3;
    lp->palPalEntry[0] = {0, 0, 0, 0};
    lp->palPalEntry[1] = {0, 0, 255, 0};
    lp->palPalEntry[2] = {255, 0, 0, 0};
    HPALETTE pal = CreatePalette(lp);
    j.SetPalette(pal);
    DeleteObject(pal);  // the image keeps its own copy
    j.SetPixelFormat(jf8Bit);
    TBitmap b;
    b.Assign(&j);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    auto* row = static_cast<std::uint8_t*>(b.ScanLine(4));
    EXPECT_EQ(row[1], 2);   // red
    EXPECT_EQ(row[14], 1);  // blue
    // Without a palette libjpeg chooses one; colours stay close.
    TJPEGImage k;
    k.Assign(&src);
    k.SetPixelFormat(jf8Bit);
    TBitmap c;
    c.Assign(&k);
    EXPECT_EQ(c.PixelFormat(), pf8bit);
    EXPECT_NE(c.Palette(), nullptr);
    EXPECT_TRUE(Near(c.Canvas()->Pixels(2, 4), clRed, 24));
}

TEST(Jpeg, GreyPicturesDecodeToAGreyRamp) {
    TBitmap g;
    g.SetPixelFormat(pf24bit);
    g.SetSize(8, 8);
    g.Canvas()->Brush()->SetColor(RGB(128, 128, 128));
    g.Canvas()->FillRect(Rect(0, 0, 8, 8));
    TJPEGImage j;
    j.Assign(&g);
    j.SetGrayscale(true);
    EXPECT_TRUE(j.Grayscale());
    TBitmap b;
    b.Assign(&j);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    TColor c = b.Canvas()->Pixels(4, 4);
    EXPECT_EQ(GetRValue(c), GetBValue(c));
    EXPECT_TRUE(Near(c, RGB(128, 128, 128), 4));
}

TEST(Jpeg, CorruptDataRaisesInsteadOfEndingTheProgram) {
    TJPEGImage j;
    std::vector<std::uint8_t> garbage = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 2, 3};
    EXPECT_THROW(j.LoadFromBytes(garbage.data(), garbage.size()), EJPEG);
    std::vector<std::uint8_t> notJpeg(64, 0x11);
    EXPECT_THROW(j.LoadFromBytes(notJpeg.data(), notJpeg.size()), EJPEG);
    EXPECT_TRUE(j.Empty());
    // A valid stream cut short in its header.
    TBitmap src;
    MakePicture(src);
    TJPEGImage ok;
    ok.Assign(&src);
    std::vector<std::uint8_t> bytes = ok.SaveToBytes();
    ASSERT_GT(bytes.size(), 200u);
    EXPECT_THROW(j.LoadFromBytes(bytes.data(), 100), EJPEG);
    // Missing file: the usual open error.
    EXPECT_THROW(j.LoadFromFile("jpeg_no_such.jpg"), EFOpenError);
    // Streams work like files.
    TMemoryStream ms;
    ms.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    ms.SetPosition(0);
    j.LoadFromStream(&ms);
    EXPECT_EQ(j.Width(), 16);
}

TEST(Jpeg, ScaledDecoding) {
    TBitmap src;
    MakePicture(src);
    TJPEGImage j;
    j.Assign(&src);
    j.SetScale(jsHalf);
    EXPECT_EQ(j.Width(), 8);
    EXPECT_EQ(j.Bitmap()->Height(), 4);
    TBitmap empty;
    TJPEGImage k;
    EXPECT_THROW(k.Assign(&empty), EJPEG);
}

TEST(Jpeg, DamagedStreamsNeverCrash) {
    // Deterministic damage to a valid file: every outcome is a picture or an EJPEG.
    TBitmap src;
    MakePicture(src);
    TJPEGImage ok;
    ok.Assign(&src);
    const std::vector<std::uint8_t> good = ok.SaveToBytes();
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    int loaded = 0;
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> bad = good;
        const int hits = 1 + static_cast<int>(next() % 4);
        for (int i = 0; i < hits; ++i) bad[2 + next() % (bad.size() - 2)] = static_cast<std::uint8_t>(next() >> 8);
        if (round % 5 == 0) bad.resize(2 + next() % (bad.size() - 2));
        TJPEGImage j;
        try {
            j.LoadFromBytes(bad.data(), bad.size());
            TBitmap b;
            b.Assign(&j);
            ++loaded;
        } catch (const EJPEG&) {
        }
    }
    EXPECT_GT(loaded, 0);  // damage inside the entropy-coded data still decodes
}
