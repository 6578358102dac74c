// BMP files as they come: every depth, compression and header size, run-length
// skips, truncation, and headers that claim too much.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gui/base/FileLoad.h"
#include "gui/draw/Graphics.h"

using namespace gui;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& v, unsigned x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void Put32(Bytes& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

struct BmpSpec {
    std::uint32_t header = 40;
    int width = 1;
    int height = 1;
    int bpp = 24;
    std::uint32_t compression = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // written inside headers of 52 bytes and more
    Bytes afterHeader;                       // masks after a 40-byte header, colour table
    Bytes pixels;
};

Bytes MakeBmp(const BmpSpec& s) {
    Bytes h;
    Put32(h, s.header);
    if (s.header == 12) {
        Put16(h, static_cast<unsigned>(s.width));
        Put16(h, static_cast<unsigned>(s.height));
        Put16(h, 1);
        Put16(h, static_cast<unsigned>(s.bpp));
    } else {
        Put32(h, static_cast<std::uint32_t>(s.width));
        Put32(h, static_cast<std::uint32_t>(s.height));
        Put16(h, 1);
        Put16(h, static_cast<unsigned>(s.bpp));
        if (s.header >= 40) {
            Put32(h, s.compression);
            Put32(h, static_cast<std::uint32_t>(s.pixels.size()));
            Put32(h, 2835);
            Put32(h, 2835);
            Put32(h, 0);
            Put32(h, 0);
            for (int i = 0; i < 4 && h.size() + 4 <= s.header && s.header != 64; ++i) Put32(h, s.masks[i]);
        }
        h.resize(s.header, 0);
    }
    Bytes f = {'B', 'M'};
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + h.size() + s.afterHeader.size());
    Put32(f, static_cast<std::uint32_t>(offset + s.pixels.size()));
    Put32(f, 0);
    Put32(f, offset);
    f.insert(f.end(), h.begin(), h.end());
    f.insert(f.end(), s.afterHeader.begin(), s.afterHeader.end());
    f.insert(f.end(), s.pixels.begin(), s.pixels.end());
    return f;
}

// A colour table of n entries (blue, green, red, 0); entry i is `colours[i]`.
Bytes Table(const std::vector<TColor>& colours, int n, int entrySize = 4) {
    Bytes t;
    for (int i = 0; i < n; ++i) {
        TColor c = i < static_cast<int>(colours.size()) ? colours[static_cast<std::size_t>(i)] : RGB(0, 0, 0);
        t.push_back(GetBValue(c));
        t.push_back(GetGValue(c));
        t.push_back(GetRValue(c));
        if (entrySize == 4) t.push_back(0);
    }
    return t;
}

std::vector<TColor> Pixels(TBitmap& b) {
    std::vector<TColor> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) out.push_back(b.Canvas()->Pixels(x, y));
    return out;
}

std::vector<TColor> Load(const Bytes& file) {
    TBitmap b;
    b.LoadFromBytes(file.data(), file.size());
    return Pixels(b);
}

const TColor kZero = RGB(10, 20, 30);  // index 0: what skipped pixels show

}  // namespace

TEST(BmpFiles, RunLengthSkipsShowIndexZeroEveryTime) {
    BmpSpec s;
    s.width = 4;
    s.height = 3;
    s.bpp = 8;
    s.compression = 1;  // 8-bit runs
    s.afterHeader = Table({kZero, clRed, clLime}, 256);
    // Bottom row: two reds, end of line; move 2 right and 1 up; one green; end.
    s.pixels = {2, 1, 0, 0, 0, 2, 2, 1, 1, 2, 0, 1};
    const Bytes file = MakeBmp(s);
    const std::vector<TColor> want = {kZero, kZero, clLime, kZero,  //
                                      kZero, kZero, kZero,  kZero,  //
                                      clRed, clRed, kZero,  kZero};
    EXPECT_EQ(Load(file), want);
    EXPECT_EQ(Load(file), want) << "a second load reads the same";

    // The data ends in the middle of a run: the rest stays index 0.
    Bytes cut = file;
    cut.resize(cut.size() - 7);
    const std::vector<TColor> cutWant = {kZero, kZero, kZero, kZero, kZero, kZero, kZero, kZero,
                                         clRed, clRed, kZero, kZero};
    EXPECT_EQ(Load(cut), cutWant);
}

TEST(BmpFiles, FourBitRunsAndLiteralsKeepTheirIndexes) {
    BmpSpec s;
    s.width = 6;
    s.height = 1;
    s.bpp = 4;
    s.compression = 2;  // 4-bit runs
    const std::vector<TColor> colours = {kZero, clRed, clLime, clBlue, clYellow, clFuchsia};
    s.afterHeader = Table(colours, 16);
    // Three literal pixels 1, 2, 3 (two bytes, no padding); a run of two
    // alternating 4 and 5; the last pixel is never written.
    s.pixels = {0, 3, 0x12, 0x30, 2, 0x45, 0, 1};
    EXPECT_EQ(Load(MakeBmp(s)), (std::vector<TColor>{clRed, clLime, clBlue, clYellow, clFuchsia, kZero}));
    TBitmap b;
    const Bytes f = MakeBmp(s);
    b.LoadFromBytes(f.data(), f.size());
    EXPECT_EQ(b.PixelFormat(), pf4bit);
}

TEST(BmpFiles, TruncatedTrueColourFilesFillWithBlack) {
    for (int bpp : {24, 32}) {
        BmpSpec s;
        s.width = 3;
        s.height = 2;
        s.bpp = bpp;
        const int bytes = bpp / 8;
        const int stride = (3 * bytes + 3) / 4 * 4;
        // Bottom row white, top row red at x 0 only: the file ends there.
        Bytes px(static_cast<std::size_t>(stride + bytes), 0xFF);
        px[static_cast<std::size_t>(stride)] = 0;
        px[static_cast<std::size_t>(stride + 1)] = 0;
        s.pixels = px;
        const Bytes file = MakeBmp(s);
        const std::vector<TColor> want = {clRed, clBlack, clBlack, clWhite, clWhite, clWhite};
        EXPECT_EQ(Load(file), want) << bpp;
        EXPECT_EQ(Load(file), want) << bpp << " again";
    }
}

TEST(BmpFiles, SixteenBitChannelsReachTheFullRange) {
    BmpSpec s;
    s.width = 2;
    s.bpp = 16;
    s.pixels = {0xFF, 0x7F, 0x1F, 0x00, 0, 0};  // 5-5-5 white, full blue
    EXPECT_EQ(Load(MakeBmp(s)), (std::vector<TColor>{clWhite, clBlue}));

    s.compression = 3;  // 5-6-5 fields after the header
    s.afterHeader.clear();
    Put32(s.afterHeader, 0xF800);
    Put32(s.afterHeader, 0x07E0);
    Put32(s.afterHeader, 0x001F);
    s.pixels = {0xFF, 0xFF, 0xE0, 0x07, 0, 0};
    EXPECT_EQ(Load(MakeBmp(s)), (std::vector<TColor>{clWhite, clLime}));
}

TEST(BmpFiles, ThirtyTwoBitFieldsWithAndWithoutAlpha) {
    BmpSpec s;
    s.width = 1;
    s.bpp = 32;
    s.compression = 6;  // fields with an alpha mask, after a 40-byte header
    for (std::uint32_t m : {0xFF000000u, 0x00FF0000u, 0x0000FF00u, 0x000000FFu}) Put32(s.afterHeader, m);
    Put32(s.pixels, 0x11223344);
    EXPECT_EQ(Load(MakeBmp(s)), (std::vector<TColor>{RGB(0x11, 0x22, 0x33)}));

    s.header = 124;  // the same masks inside the header
    s.compression = 3;
    s.afterHeader.clear();
    s.masks[0] = 0xFF000000u, s.masks[1] = 0x00FF0000u, s.masks[2] = 0x0000FF00u, s.masks[3] = 0xFF;
    EXPECT_EQ(Load(MakeBmp(s)), (std::vector<TColor>{RGB(0x11, 0x22, 0x33)}));
}

TEST(BmpFiles, EveryDocumentedHeaderSizeReadsTheSamePicture) {
    // 2 x 2, bottom-up: blue, green over red, white.
    const Bytes px = {0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0};
    const std::vector<TColor> want = {clBlue, clLime, clRed, clWhite};
    for (std::uint32_t header : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u}) {
        BmpSpec s;
        s.header = header;
        s.width = 2;
        s.height = 2;
        s.pixels = px;
        EXPECT_EQ(Load(MakeBmp(s)), want) << header;
    }
    // Top-down rows (negative height).
    BmpSpec td;
    td.width = 2;
    td.height = -2;
    td.pixels = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    EXPECT_EQ(Load(MakeBmp(td)), want);
    // OS/2 1.x paletted: three-byte table entries.
    BmpSpec core;
    core.header = 12;
    core.width = 2;
    core.bpp = 8;
    core.afterHeader = Table({clBlack, clNavy, clOlive}, 256, 3);
    core.pixels = {2, 1, 0, 0};
    EXPECT_EQ(Load(MakeBmp(core)), (std::vector<TColor>{clOlive, clNavy}));
}

TEST(BmpFiles, RefusesWhatItCannotRead) {
    BmpSpec s;
    s.header = 44;  // no such header
    s.pixels = {0, 0, 0, 0};
    Bytes f = MakeBmp(s);
    TBitmap b;
    EXPECT_THROW(b.LoadFromBytes(f.data(), f.size()), EInvalidGraphic);
    s.header = 40;
    s.compression = 4;  // 24-bit runs
    f = MakeBmp(s);
    EXPECT_THROW(b.LoadFromBytes(f.data(), f.size()), EInvalidGraphic);
    EXPECT_TRUE(b.Empty());
}

TEST(BmpFiles, HeadersOverThePixelBudgetAreRefusedBeforeAllocating) {
    BmpSpec s;
    s.width = 4097;  // 4097 x 4096 is just over 16 Mi pixels
    s.height = 4096;
    s.pixels = {0, 0, 0, 0};
    ASSERT_GT(4097LL * 4096, kMaxPicturePixels);
    Bytes f = MakeBmp(s);
    TBitmap b;
    try {
        b.LoadFromBytes(f.data(), f.size());
        FAIL() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
    s.width = 4096;  // exactly at the budget: read, black where the data ends
    f = MakeBmp(s);
    b.LoadFromBytes(f.data(), f.size());
    EXPECT_EQ(b.Width(), 4096);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clBlack);
}
