// TBitmap: scan-line layouts, pixel formats, BMP reading and writing,
// transparency, resources and pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "gui/base/Classes.h"
#include "gui/draw/Graphics.h"
#include "gui/draw/Jpeg.h"
#include "gui/base/Resources.h"

using namespace gui;

namespace {

std::uint32_t Rd32(const std::vector<std::uint8_t>& v, std::size_t at) {
    return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (static_cast<std::uint32_t>(v[at + 3]) << 24);
}
std::uint16_t Rd16(const std::vector<std::uint8_t>& v, std::size_t at) {
    return static_cast<std::uint16_t>(v[at] | (v[at + 1] << 8));
}

String DataFile(const char* name) {
    const char* src = std::getenv("KORVANE_SOURCE_DIR");
    return String(src != nullptr ? src : "/work/main") + "/tests/gui/data/" + name;
}

void WriteFile(const String& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(GraphicsBitmap, NewBitmapIsWhiteAndResizeKeepsThePicture) {
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.PixelFormat(), pfDevice);
    b.SetSize(4, 3);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.Canvas()->Pixels(3, 2), clWhite);
    b.Canvas()->SetPixels(1, 1, clRed);
    b.SetWidth(8);
    EXPECT_EQ(b.Width(), 8);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(7, 2), clWhite);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.SetSize(8, 3);  // same size: nothing happens
    EXPECT_EQ(changes, 0);
    b.SetHeight(0);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(changes, 1);
}

TEST(GraphicsBitmap, ScanLinesFollowTheDibRowLayout) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 2);
    b.Canvas()->SetPixels(0, 0, RGB(1, 2, 3));
    b.Canvas()->SetPixels(2, 1, RGB(7, 8, 9));
    auto* row0 = static_cast<std::uint8_t*>(b.ScanLine(0));
    auto* row1 = static_cast<std::uint8_t*>(b.ScanLine(1));
    EXPECT_EQ(row1 - row0, 12);  // 9 bytes padded to 12
    EXPECT_EQ(row0[0], 3);  // blue, green, red
    EXPECT_EQ(row0[2], 1);
    EXPECT_EQ(row1[6], 9);
    // Writing through the scan line shows on the canvas.
    row0[3] = 0xFF;
    row0[4] = 0;
    row0[5] = 0;
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clBlue);
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);

    // One bit: leftmost pixel in the most significant bit, index 0 black.
    TBitmap m;
    m.SetPixelFormat(pf1bit);
    m.SetSize(10, 1);
    auto* bits = static_cast<std::uint8_t*>(m.ScanLine(0));
    EXPECT_EQ(bits[0], 0xFF);  // white everywhere
    bits[0] = 0x7F;            // pixel 0 black
    bits[1] = 0xBF;            // pixel 9 black
    EXPECT_EQ(m.Canvas()->Pixels(0, 0), clBlack);
    EXPECT_EQ(m.Canvas()->Pixels(1, 0), clWhite);
    EXPECT_EQ(m.Canvas()->Pixels(9, 0), clBlack);

    // Four bits: high nibble first.
    TBitmap f;
    f.SetPixelFormat(pf4bit);
    f.SetSize(3, 1);
    auto* nib = static_cast<std::uint8_t*>(f.ScanLine(0));
    nib[0] = 0x9C;  // pixel 0 = 9 (red), pixel 1 = 12 (blue) in the 16-colour table
    nib[1] = 0x00;
    EXPECT_EQ(f.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(f.Canvas()->Pixels(1, 0), clBlue);
    EXPECT_EQ(f.Canvas()->Pixels(2, 0), clBlack);
}

TEST(GraphicsBitmap, PixelFormatChangesKeepThePicture) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(4, 1);
    b.Canvas()->SetPixels(0, 0, clRed);
    b.Canvas()->SetPixels(1, 0, clBlack);
    b.Canvas()->SetPixels(2, 0, RGB(100, 100, 100));
    b.SetPixelFormat(pf8bit);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    ASSERT_NE(b.Palette(), nullptr);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);  // in the default palette
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clBlack);
    b.SetPixelFormat(pf32bit);
    auto* px = static_cast<std::uint8_t*>(b.ScanLine(0));
    EXPECT_EQ(px[2], 255);  // red, at byte 2 of a blue-green-red-x quad
    EXPECT_EQ(px[4 + 2], 0);
    // To one bit: the nearest of black and white.
    b.SetPixelFormat(pf1bit);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(3, 0), clWhite);
    EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(0))[0] & 0xF0, 0x10);
}

TEST(GraphicsBitmap, DrawingOnAPalettedBitmapUsesThePalette) {
    TBitmap b;
    b.SetPixelFormat(pf8bit);
    b.SetSize(4, 4);
    std::vector<std::uint8_t> block(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    lp->palPalEntry[0] = {0, 0, 0, 0};
    lp->palPalEntry[1] = {200, 0, 0, 0};
    b.SetPalette(CreatePalette(lp));
    b.Canvas()->Brush()->SetColor(RGB(250, 20, 20));
    b.Canvas()->FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(b.Canvas()->Pixels(2, 2), RGB(200, 0, 0));
    EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(3))[3], 1);
    PALETTEENTRY e[2];
    EXPECT_EQ(GetPaletteEntries(b.Palette(), 0, 2, e), 2u);
    EXPECT_EQ(e[1].peRed, 200);
    // A released palette belongs to the caller; the bitmap has none until given one.
    HPALETTE mine = b.ReleasePalette();
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(b.Palette(), nullptr);
    EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(0))[0], 1);  // pixels untouched
    b.SetPalette(mine);
    EXPECT_EQ(b.Palette(), mine);
}

TEST(GraphicsBitmap, MonochromeTurnsWhiteIntoOneAndEverythingElseIntoZero) {
    TBitmap b;
    b.SetSize(3, 1);
    b.Canvas()->SetPixels(0, 0, clWhite);
    b.Canvas()->SetPixels(1, 0, RGB(250, 250, 250));
    b.Canvas()->SetPixels(2, 0, clBlack);
    b.SetMonochrome(true);
    EXPECT_TRUE(b.Monochrome());
    b.SetPixelFormat(pf1bit);
    EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(0))[0] & 0xE0, 0x80);
    PALETTEENTRY e[2];
    ASSERT_EQ(GetPaletteEntries(b.Palette(), 0, 2, e), 2u);
    EXPECT_EQ(e[0].peRed, 0);
    EXPECT_EQ(e[1].peRed, 255);
}

TEST(GraphicsBitmap, SaveToStreamWritesAnExactBmpAndLoadsBack) {
    for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        TBitmap b;
        b.SetPixelFormat(pf);
        b.SetSize(5, 3);
        b.Canvas()->SetPixels(0, 0, clBlack);
        b.Canvas()->SetPixels(4, 2, clBlack);
        TMemoryStream ms;
        b.SaveToStream(&ms);
        std::vector<std::uint8_t> v(static_cast<std::size_t>(ms.Size()));
        ms.SetPosition(0);
        ms.ReadBuffer(v.data(), static_cast<int>(v.size()));
        const int bpp = pf == pf1bit ? 1 : pf == pf4bit ? 4 : pf == pf8bit ? 8 : pf == pf24bit ? 24 : 32;
        const std::uint32_t colours = bpp <= 8 ? (1u << bpp) : 0;
        const std::uint32_t stride = ((5 * bpp + 31) / 32) * 4;
        ASSERT_EQ(v.size(), 14 + 40 + 4 * colours + 3 * stride) << bpp;
        EXPECT_EQ(v[0], 'B');
        EXPECT_EQ(Rd32(v, 2), v.size());
        EXPECT_EQ(Rd32(v, 10), 14 + 40 + 4 * colours);
        EXPECT_EQ(Rd32(v, 14), 40u);
        EXPECT_EQ(Rd32(v, 18), 5u);
        EXPECT_EQ(Rd32(v, 22), 3u);  // positive: bottom-up
        EXPECT_EQ(Rd16(v, 28), bpp);
        // The first stored row is the bottom one, whose last pixel is black.
        const std::size_t bottom = 14 + 40 + 4 * colours;
        if (bpp == 24) {
            EXPECT_EQ(v[bottom + 12], 0);
            EXPECT_EQ(v[bottom], 255);
        }
        TBitmap c;
        const std::uint8_t tail[3] = {1, 2, 3};
        ms.SetPosition(ms.Size());
        ms.WriteBuffer(tail, 3);  // whatever follows the picture stays unread
        ms.SetPosition(0);
        c.LoadFromStream(&ms);
        EXPECT_EQ(ms.Position(), static_cast<std::int64_t>(v.size()));
        EXPECT_EQ(c.PixelFormat(), pf) << bpp;
        EXPECT_EQ(c.Width(), 5);
        EXPECT_EQ(c.Canvas()->Pixels(0, 0), clBlack) << bpp;
        EXPECT_EQ(c.Canvas()->Pixels(4, 2), clBlack) << bpp;
        EXPECT_EQ(c.Canvas()->Pixels(2, 1), clWhite) << bpp;
    }
}

TEST(GraphicsBitmap, LoadingKeepsTheFileDepthAndPalette) {
    TBitmap b;
    b.LoadFromFile(DataFile("tiny_4bit.bmp"));
    EXPECT_EQ(b.PixelFormat(), pf4bit);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(2, 0), clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(0, 2), clTeal);
    EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(0))[0], 0x9A);
    // The default transparent colour is the lower-left pixel.
    EXPECT_EQ(b.TransparentColor(), clTeal);
}

TEST(GraphicsBitmap, MissingAndBrokenFilesRaiseClearErrors) {
    TBitmap b;
    try {
        b.LoadFromFile("no-such-file.bmp");
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file no-such-file.bmp");
    }
    // Truncated, garbage, and absurd dimensions.
    std::vector<std::uint8_t> good;
    {
        std::ifstream in(DataFile("tiny_4bit.bmp"), std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(good.size(), 60u);
    EXPECT_THROW(b.LoadFromBytes(good.data(), 20), EInvalidGraphic);
    std::vector<std::uint8_t> garbage(100, 0x42);
    EXPECT_THROW(b.LoadFromBytes(garbage.data(), garbage.size()), EInvalidGraphic);
    std::vector<std::uint8_t> huge = good;
    huge[18] = 0xFF;
    huge[19] = 0xFF;
    huge[20] = 0xFF;
    huge[21] = 0x0F;
    EXPECT_THROW(b.LoadFromBytes(huge.data(), huge.size()), EInvalidGraphic);
    EXPECT_TRUE(b.Empty());  // a failed load leaves the bitmap as it was
}

TEST(GraphicsBitmap, TransparentDrawingLeavesTheKeyColourOut) {
    TBitmap pic;
    pic.SetSize(2, 2);
    pic.Canvas()->Brush()->SetColor(clFuchsia);
    pic.Canvas()->FillRect(Rect(0, 0, 2, 2));
    pic.Canvas()->SetPixels(1, 0, clLime);
    TBitmap dst;
    dst.SetSize(4, 4);
    dst.Canvas()->Brush()->SetColor(clNavy);
    dst.Canvas()->FillRect(Rect(0, 0, 4, 4));
    pic.SetTransparent(true);
    dst.Canvas()->Draw(1, 1, &pic);
    EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clNavy);
    EXPECT_EQ(dst.Canvas()->Pixels(2, 1), clLime);
    pic.SetTransparent(false);
    dst.Canvas()->StretchDraw(Rect(0, 0, 4, 4), &pic);
    EXPECT_EQ(dst.Canvas()->Pixels(0, 3), clFuchsia);
    EXPECT_EQ(dst.Canvas()->Pixels(3, 0), clLime);
    // A fixed transparent colour overrides the lower-left pixel.
    pic.SetTransparentColor(clLime);
    EXPECT_EQ(pic.TransparentMode(), tmFixed);
    EXPECT_EQ(pic.TransparentColor(), clLime);
}

TEST(GraphicsBitmap, AssignCopiesIndependentlyAndHandlesAreReleasable) {
    TBitmap a;
    a.SetPixelFormat(pf8bit);
    a.SetSize(2, 2);
    a.Canvas()->SetPixels(0, 0, clRed);
    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    b.Canvas()->SetPixels(0, 0, clBlue);
    EXPECT_EQ(a.Canvas()->Pixels(0, 0), clRed);
    // Assigning nothing empties; a stranger class is refused.
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
    TFont font;
    EXPECT_THROW(b.Assign(&font), EConvertError);
    // A released handle belongs to the caller and leaves the bitmap empty.
    HBITMAP h = a.ReleaseHandle();
    EXPECT_TRUE(a.Empty());
    BITMAP info;
    ASSERT_EQ(GetObjectA(h, sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.bmWidth, 2);
    b.SetHandle(h);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
}

TEST(GraphicsBitmap, ResourcesByNameAndNumber) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(FindResource("tiny_4bit", RT_BITMAP, bytes));
    EXPECT_EQ(bytes.size(), 130u);
    EXPECT_FALSE(FindResource("TINY_4BIT", RT_CURSOR, bytes));
    EXPECT_EQ(ResourceNames(RT_BITMAP), std::vector<String>{"TINY_4BIT"});
    TBitmap b;
    b.LoadFromResourceName("TINY_4BIT");
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clLime);
    try {
        b.LoadFromResourceID(1001);
        FAIL() << "no exception";
    } catch (const EResNotFound& e) {
        EXPECT_STREQ(e.what(), "Resource 1001 not found");
    }
}

TEST(GraphicsPicture, TypeComesFromTheContentNotTheName) {
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(3, 2);
    b.Canvas()->SetPixels(1, 1, clRed);
    WriteFile("graphics_picture_test.jpg", b.SaveToBytes());  // a BMP under a JPEG name
    TPicture p;
    int changes = 0;
    p.OnChange = [&](TObject*) { ++changes; };
    p.LoadFromFile("graphics_picture_test.jpg");
    EXPECT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
    EXPECT_EQ(p.Width(), 3);
    EXPECT_EQ(p.Bitmap()->Canvas()->Pixels(1, 1), clRed);
    EXPECT_GE(changes, 1);
    std::remove("graphics_picture_test.jpg");
    // A real JPEG becomes a TJPEGImage; its bitmap view replaces it when asked.
    TJPEGImage j;
    j.Assign(&b);
    j.SaveToFile("graphics_picture_test.bmp");
    p.LoadFromFile("graphics_picture_test.bmp");
    EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);
    EXPECT_EQ(p.Height(), 2);
    std::remove("graphics_picture_test.bmp");
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0, 0, 0, 0};
    WriteFile("graphics_picture_test.png", png);
    EXPECT_THROW(p.LoadFromFile("graphics_picture_test.png"), EInvalidGraphic);
    std::remove("graphics_picture_test.png");
    EXPECT_THROW(p.LoadFromFile("graphics_no_such.bmp"), EFOpenError);
    // Copies of a picture are independent.
    TPicture q;
    q.Assign(&p);
    ASSERT_NE(q.Graphic(), nullptr);
    EXPECT_NE(q.Graphic(), p.Graphic());
}

namespace {
// A format of the test's own: it remembers the bytes it was given.
class TNoteGraphic : public TGraphic {
public:
    bool Empty() const override { return bytes.empty(); }
    int Width() const override { return static_cast<int>(bytes.size()); }
    int Height() const override { return 1; }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    void LoadFromBytes(const std::uint8_t* data, std::size_t size) override { bytes.assign(data, data + size); }
    std::vector<std::uint8_t> SaveToBytes() override { return bytes; }
    std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TNoteGraphic>(); }
    void Assign(TPersistent* Source) override {
        if (auto* n = dynamic_cast<TNoteGraphic*>(Source)) bytes = n->bytes;
        else TGraphic::Assign(Source);
    }
    std::vector<std::uint8_t> bytes;

protected:
    void Draw(TCanvas*, const TRect&) override {}
};
}  // namespace

TEST(GraphicsPicture, RegisteredFormatsAreFoundByTheirLongestSignature) {
    TBitmap b;
    b.SetSize(2, 2);
    const std::vector<std::uint8_t> bmp = b.SaveToBytes();
    // A signature that extends BMP's "BM" takes only the files that carry it.
    TPicture::RegisterFileFormat("BMNOTE", [] { return std::unique_ptr<TGraphic>(std::make_unique<TNoteGraphic>()); });
    std::vector<std::uint8_t> note = {'B', 'M', 'N', 'O', 'T', 'E', 7};
    std::unique_ptr<TGraphic> g = LoadGraphicFromBytes(note.data(), note.size());
    auto* n = dynamic_cast<TNoteGraphic*>(g.get());
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->bytes, note);
    EXPECT_NE(dynamic_cast<TBitmap*>(LoadGraphicFromBytes(bmp.data(), bmp.size()).get()), nullptr);
    EXPECT_THROW(LoadGraphicFromBytes(nullptr, 0), EInvalidGraphic);
    // A copy is of the graphic's own kind.
    TPicture p, q;
    p.SetGraphic(n);
    q.Assign(&p);
    auto* copy = dynamic_cast<TNoteGraphic*>(q.Graphic());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, n);
    EXPECT_EQ(copy->bytes, note);
    TJPEGImage j;
    j.Assign(&b);
    p.SetGraphic(&j);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);
}

TEST(GraphicsBitmap, TopDownAndBitFieldFilesLoad) {
    // An in-memory BMP as a DIB writer builds it: top-down 8-bit rows.
    auto put32 = [](std::vector<std::uint8_t>& v, std::uint32_t x) {
        for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
    };
    auto put16 = [](std::vector<std::uint8_t>& v, unsigned x) {
        v.push_back(static_cast<std::uint8_t>(x));
        v.push_back(static_cast<std::uint8_t>(x >> 8));
    };
    auto file = [&](int w, int h, int bpp, std::uint32_t compression, const std::vector<std::uint8_t>& table,
                    const std::vector<std::uint8_t>& pixels) {
        std::vector<std::uint8_t> v = {'B', 'M'};
        const std::uint32_t off = 14 + 40 + static_cast<std::uint32_t>(table.size());
        put32(v, off + static_cast<std::uint32_t>(pixels.size()));
        put32(v, 0);
        put32(v, off);
        put32(v, 40);
        put32(v, static_cast<std::uint32_t>(w));
        put32(v, static_cast<std::uint32_t>(h));
        put16(v, 1);
        put16(v, static_cast<unsigned>(bpp));
        put32(v, compression);
        put32(v, static_cast<std::uint32_t>(pixels.size()));
        put32(v, 0);
        put32(v, 0);
        put32(v, bpp <= 8 ? static_cast<std::uint32_t>(table.size() / 4) : 0);
        put32(v, 0);
        v.insert(v.end(), table.begin(), table.end());
        v.insert(v.end(), pixels.begin(), pixels.end());
        return v;
    };
    std::vector<std::uint8_t> table = {0, 0, 255, 0, 255, 0, 0, 0};  // 0 red, 1 blue
    std::vector<std::uint8_t> rows = {0, 1, 0, 0, 1, 1, 0, 0};          // top row: red blue; bottom: blue blue
    std::vector<std::uint8_t> topDown = file(2, -2, 8, 0, table, rows);
    TBitmap b;
    b.LoadFromBytes(topDown.data(), topDown.size());
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(0, 1), clBlue);
    // 32 bits with explicit masks after the header.
    std::vector<std::uint8_t> masks;
    put32(masks, 0x00FF0000);
    put32(masks, 0x0000FF00);
    put32(masks, 0x000000FF);
    std::vector<std::uint8_t> px = {0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0};
    std::vector<std::uint8_t> bf = file(2, 1, 32, 3 /* BI_BITFIELDS */, masks, px);
    TBitmap c;
    c.LoadFromBytes(bf.data(), bf.size());
    EXPECT_EQ(c.Width(), 2);
    EXPECT_EQ(c.Canvas()->Pixels(0, 0), RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(c.Canvas()->Pixels(1, 0), RGB(0x60, 0x50, 0x40));
}

TEST(GraphicsBitmap, ScanLinesAndCanvasStayInStepAcrossFormatChanges) {
    TBitmap b;
    b.SetPixelFormat(pf8bit);
    b.SetSize(4, 2);
    TCanvas* c = b.Canvas();  // its DC stays valid through the changes below
    static_cast<std::uint8_t*>(b.ScanLine(0))[0] = 249;  // red in the default table
    c->SetPixels(1, 0, clBlue);
    auto* row = static_cast<std::uint8_t*>(b.ScanLine(0));
    EXPECT_EQ(row[0], 249);
    EXPECT_EQ(c->Pixels(1, 0), clBlue);
    b.SetPixelFormat(pf24bit);
    c->SetPixels(2, 1, clLime);
    row = static_cast<std::uint8_t*>(b.ScanLine(0));
    EXPECT_EQ(row[2], 255);  // red pixel, red byte
    EXPECT_EQ(row[3], 255);  // blue pixel, blue byte
    EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(1))[7], 255);  // lime, green byte
    b.SetSize(2, 1);
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 2, 1));
    EXPECT_EQ(c->Pixels(0, 0), clRed);
}

TEST(GraphicsBitmap, DamagedBmpFilesNeverCrash) {
    std::uint32_t seed = 777;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    // Every depth: the paletted ones are read by our own code, 24-bit by Qt.
    for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf24bit}) {
        TBitmap good;
        good.SetPixelFormat(pf);
        good.SetSize(7, 5);
        good.Canvas()->SetPixels(3, 3, clRed);
        const std::vector<std::uint8_t> bytes = good.SaveToBytes();
        for (int round = 0; round < 300; ++round) {
            std::vector<std::uint8_t> bad = bytes;
            const int hits = 1 + static_cast<int>(next() % 3);
            // Mostly the headers, where the sizes, counts and offsets live.
            for (int i = 0; i < hits; ++i) bad[2 + next() % 60] = static_cast<std::uint8_t>(next() >> 8);
            if (round % 7 == 0) bad.resize(next() % bad.size());
            TBitmap b;
            try {
                b.LoadFromBytes(bad.data(), bad.size());
                b.Canvas()->Pixels(0, 0);
                b.ScanLine(0);
            } catch (const EInvalidGraphic&) {
            } catch (const EInvalidGraphicOperation&) {
            }
        }
    }
}

// A two-colour file's own indexes survive loading: masks rely on index 0
// being the file's first colour, whatever that colour is.
TEST(GraphicsBitmap, TwoColourFilesKeepTheirIndexesAndPalette) {
    for (bool whiteFirst : {false, true}) {
        // 3 x 2, bottom-up: bottom row 1,0,1; top row 0,1,1.
        std::vector<std::uint8_t> f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0};
        std::vector<std::uint8_t> info(40, 0);
        info[0] = 40;
        info[4] = 3;
        info[8] = 2;
        info[12] = 1;
        info[14] = 1;
        f.insert(f.end(), info.begin(), info.end());
        const std::uint8_t black[4] = {0, 0, 0, 0}, white[4] = {255, 255, 255, 0};
        f.insert(f.end(), whiteFirst ? white : black, (whiteFirst ? white : black) + 4);
        f.insert(f.end(), whiteFirst ? black : white, (whiteFirst ? black : white) + 4);
        const std::uint8_t rows[8] = {0xA0, 0, 0, 0, 0x60, 0, 0, 0};
        f.insert(f.end(), rows, rows + 8);
        f[2] = static_cast<std::uint8_t>(f.size());
        WriteFile("two_colour.bmp", f);

        TBitmap b;
        b.LoadFromFile("two_colour.bmp");
        ASSERT_EQ(b.PixelFormat(), pf1bit);
        PALETTEENTRY pe[2];
        ASSERT_EQ(GetPaletteEntries(b.Palette(), 0, 2, pe), 2u);
        EXPECT_EQ(pe[0].peRed, whiteFirst ? 255 : 0);
        EXPECT_EQ(pe[1].peRed, whiteFirst ? 0 : 255);
        EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(0))[0] & 0xE0, 0x60);
        EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(1))[0] & 0xE0, 0xA0);
        const TColor one = whiteFirst ? clBlack : clWhite;
        const TColor zero = whiteFirst ? clWhite : clBlack;
        EXPECT_EQ(b.Canvas()->Pixels(0, 0) & 0xFFFFFF, zero);
        EXPECT_EQ(b.Canvas()->Pixels(1, 0) & 0xFFFFFF, one);
        EXPECT_EQ(b.Canvas()->Pixels(0, 1) & 0xFFFFFF, one);
        EXPECT_EQ(b.Canvas()->Pixels(1, 1) & 0xFFFFFF, zero);
        std::remove("two_colour.bmp");
    }
}

// Read-only code holds a const bitmap: its rows and canvas read the same
// picture that drawing made, and reading changes nothing.
TEST(GraphicsBitmap, ConstReadPathSeesThePictureAndLeavesItUnchanged) {
    TBitmap b;
    b.SetPixelFormat(pf8bit);
    b.SetSize(5, 3);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, 5, 3));
    b.Canvas()->SetPixels(2, 1, clRed);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    const TBitmap& r = b;
    const auto* row = static_cast<const std::uint8_t*>(r.ScanLine(1));
    const auto* same = static_cast<const std::uint8_t*>(b.ScanLine(1));
    EXPECT_EQ(row[2], same[2]);
    EXPECT_NE(row[2], row[1]);  // the red pixel has its own index
    EXPECT_EQ(r.ReadCanvas()->Pixels(2, 1), clRed);
    EXPECT_EQ(r.ReadCanvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(r.ReadCanvas(), b.Canvas());  // one canvas per bitmap
    EXPECT_THROW(r.ScanLine(3), EInvalidGraphicOperation);
    EXPECT_THROW(r.ScanLine(-1), EInvalidGraphicOperation);
    EXPECT_EQ(changes, 0);

    // Drawing after a const read is seen by the next read.
    b.Canvas()->SetPixels(0, 0, clBlack);
    EXPECT_EQ(r.ReadCanvas()->Pixels(0, 0), clBlack);
    const auto* top = static_cast<const std::uint8_t*>(r.ScanLine(0));
    EXPECT_NE(top[0], top[1]);  // black and white rows in step with the canvas

    const TBitmap empty;
    EXPECT_THROW(empty.ScanLine(0), EInvalidGraphicOperation);
}
