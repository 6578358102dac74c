// The GIF LZW decoder over plain buffers, fed by the content generator's
// encoder: round trips, clear codes and full tables, interlaced rows, data
// that ends early and code streams no encoder writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "content/pictures/Codecs.h"
#include "htmlview/GifLzw.h"

using namespace htmlview;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The frame data as it sits in a file: code size byte, sub-blocks, terminator.
Bytes FrameData(const Bytes& codes, int minCodeSize) {
    Bytes out{static_cast<std::uint8_t>(minCodeSize)};
    for (std::size_t i = 0; i < codes.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, codes.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), codes.begin() + static_cast<std::ptrdiff_t>(i),
                   codes.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
    return out;
}

Bytes Decode(const Bytes& data, int w, int h, bool interlaced = false, std::uint8_t fill = 0) {
    Bytes px(static_cast<std::size_t>(w * h), fill);
    GifReader r{data.data(), data.size(), 0};
    EXPECT_TRUE(DecodeGifLzw(r, w, h, interlaced, px.data()));
    return px;
}

Bytes Pattern(int n, int colours, unsigned seed) {
    Bytes px(static_cast<std::size_t>(n));
    for (auto& p : px) {
        seed = seed * 1103515245u + 12345u;
        p = static_cast<std::uint8_t>((seed >> 16) % static_cast<unsigned>(colours));
    }
    return px;
}

}  // namespace

TEST(GifLzw, RoundTripsAtEveryCodeSize) {
    for (int m = 2; m <= 8; ++m) {
        const Bytes px = Pattern(37 * 23, 1 << m, static_cast<unsigned>(m));
        const Bytes data = FrameData(content::pic::LzwEncode(px, m), m);
        EXPECT_EQ(Decode(data, 37, 23), px) << "code size " << m;
    }
}

TEST(GifLzw, FullTablesAndClearCodesKeepThePixels) {
    // Noise over 256 colours fills the 4096-entry table many times over.
    const Bytes noise = Pattern(300 * 200, 256, 7);
    EXPECT_EQ(Decode(FrameData(content::pic::LzwEncode(noise, 8), 8), 300, 200), noise);
    // Long runs reach the 12-bit codes quickly; extra clears restart the table.
    Bytes runs(250 * 40);
    for (std::size_t i = 0; i < runs.size(); ++i) runs[i] = static_cast<std::uint8_t>((i / 97) % 3);
    EXPECT_EQ(Decode(FrameData(content::pic::LzwEncode(runs, 2), 2), 250, 40), runs);
    EXPECT_EQ(Decode(FrameData(content::pic::LzwEncode(runs, 2, 7), 2), 250, 40), runs);
}

TEST(GifLzw, InterlacedRowsArePutInPlace) {
    for (int h : {1, 2, 3, 5, 8, 9, 17}) {
        const int w = 3;
        Bytes picture(static_cast<std::size_t>(w * h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) picture[static_cast<std::size_t>(y * w + x)] = static_cast<std::uint8_t>(y % 16);
        Bytes stream;  // rows in the order of the four passes
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int p = 0; p < 4; ++p)
            for (int y = start[p]; y < h; y += step[p])
                stream.insert(stream.end(), picture.begin() + y * w, picture.begin() + (y + 1) * w);
        EXPECT_EQ(Decode(FrameData(content::pic::LzwEncode(stream, 4), 4), w, h, true), picture) << h;
    }
}

TEST(GifLzw, DataThatEndsEarlyLeavesTheRestAlone) {
    const Bytes px = Pattern(64 * 64, 16, 3);
    Bytes codes = content::pic::LzwEncode(px, 4);
    codes.resize(codes.size() / 4);
    const Bytes out = Decode(FrameData(codes, 4), 64, 64, false, 0xEE);
    ASSERT_EQ(out.size(), px.size());
    std::size_t same = 0;
    while (same < px.size() && out[same] == px[same]) ++same;
    EXPECT_GT(same, 0u);
    EXPECT_LT(same, px.size());
    EXPECT_EQ(out.back(), 0xEE) << "pixels the data never reached keep their value";

    // More codes than pixels: the surplus is dropped, nothing is written past the end.
    const Bytes big = Pattern(40, 4, 9);
    Bytes small(10 + 1, 0x55);
    const Bytes data = FrameData(content::pic::LzwEncode(big, 2), 2);
    GifReader r{data.data(), data.size(), 0};
    EXPECT_TRUE(DecodeGifLzw(r, 10, 1, false, small.data()));
    EXPECT_EQ(Bytes(small.begin(), small.begin() + 10), Bytes(big.begin(), big.begin() + 10));
    EXPECT_EQ(small[10], 0x55);
}

TEST(GifLzw, ImpossibleStreamsAreRefused) {
    Bytes px(4, 0);
    // No code size byte at all: nothing decoded, no error.
    GifReader empty{nullptr, 0, 0};
    EXPECT_FALSE(DecodeGifLzw(empty, 2, 2, false, px.data()));
    // Code sizes outside 1..11.
    for (std::uint8_t m : {0, 12, 200}) {
        const Bytes data{m, 1, 0xFF, 0};
        GifReader r{data.data(), data.size(), 0};
        EXPECT_THROW(DecodeGifLzw(r, 2, 2, false, px.data()), GifDataError) << int(m);
    }
    // Code size 2, first code 7 (3 bits: clear is 4): a code not yet defined.
    const Bytes undefined{2, 1, 0x07, 0};
    GifReader r{undefined.data(), undefined.size(), 0};
    EXPECT_THROW(DecodeGifLzw(r, 2, 2, false, px.data()), GifDataError);
}

TEST(GifLzw, ABadCodeReportsThePixelsDecodedBeforeIt) {
    // 3-bit codes, least significant bit first: clear (4), 3, then 7 while
    // the next free code is 6.
    const Bytes data{2, 2, 0xDC, 0x01, 0};
    Bytes px(4, 0x55);
    GifReader r{data.data(), data.size(), 0};
    try {
        DecodeGifLzw(r, 2, 2, false, px.data());
        ADD_FAILURE() << "no error";
    } catch (const GifDataError& e) {
        EXPECT_EQ(e.Decoded, 1u);
        EXPECT_EQ(px, (Bytes{3, 0x55, 0x55, 0x55})) << "the pixel before the bad code is in place";
    }
}

TEST(GifLzw, CapacityKeepsOnlyTheRowsThatFit) {
    const Bytes picture = Pattern(30, 4, 5);
    const Bytes data = FrameData(content::pic::LzwEncode(picture, 2), 2);
    for (bool interlaced : {false, true}) {
        Bytes full(30, 0);
        GifReader a{data.data(), data.size(), 0};
        EXPECT_TRUE(DecodeGifLzw(a, 6, 5, interlaced, full.data()));
        Bytes part(12 + 1, 0x77);  // two rows, and a guard byte
        GifReader b{data.data(), data.size(), 0};
        EXPECT_TRUE(DecodeGifLzw(b, 6, 5, interlaced, part.data(), 12));
        EXPECT_EQ(Bytes(part.begin(), part.begin() + 12), Bytes(full.begin(), full.begin() + 12)) << interlaced;
        EXPECT_EQ(part[12], 0x77);
    }
}

// Each code's pixels are copied from earlier output, in pieces sized by the
// run's length: every length from 1 to past 16, cut by the end of the buffer
// or of the data at every point, must give exactly the pixels and leave
// everything after them alone.
TEST(GifLzw, RunsOfEveryLengthStopExactlyWhereTheBufferOrDataEnds) {
    const int w = 64, h = 40;
    Bytes picture;
    for (int run = 1; picture.size() < static_cast<std::size_t>(w * h); run = run % 41 + 1)
        picture.insert(picture.end(), static_cast<std::size_t>(run), static_cast<std::uint8_t>(run % 7));
    picture.resize(static_cast<std::size_t>(w * h));
    const Bytes codes = content::pic::LzwEncode(picture, 3);
    const Bytes data = FrameData(codes, 3);
    ASSERT_EQ(Decode(data, w, h), picture);

    for (std::size_t cap = 1; cap < picture.size(); cap += 7) {
        Bytes px(picture.size(), 0xEE);
        GifReader r{data.data(), data.size(), 0};
        EXPECT_TRUE(DecodeGifLzw(r, w, h, false, px.data(), cap));
        ASSERT_EQ(Bytes(px.begin(), px.begin() + static_cast<std::ptrdiff_t>(cap)),
                  Bytes(picture.begin(), picture.begin() + static_cast<std::ptrdiff_t>(cap)))
            << "capacity " << cap;
        ASSERT_EQ(Bytes(px.begin() + static_cast<std::ptrdiff_t>(cap), px.end()), Bytes(px.size() - cap, 0xEE))
            << "nothing written past capacity " << cap;
    }
    std::size_t lastDecoded = 0;
    for (std::size_t keep = 0; keep < codes.size(); ++keep) {
        const Bytes cut = FrameData(Bytes(codes.begin(), codes.begin() + static_cast<std::ptrdiff_t>(keep)), 3);
        Bytes px(picture.size(), 0xEE);  // no pixel of the picture has this value
        GifReader r{cut.data(), cut.size(), 0};
        EXPECT_TRUE(DecodeGifLzw(r, w, h, false, px.data()));
        const auto decoded = static_cast<std::size_t>(std::find(px.begin(), px.end(), 0xEE) - px.begin());
        ASSERT_EQ(Bytes(px.begin(), px.begin() + static_cast<std::ptrdiff_t>(decoded)),
                  Bytes(picture.begin(), picture.begin() + static_cast<std::ptrdiff_t>(decoded)))
            << "data cut at " << keep;
        ASSERT_EQ(std::count(px.begin(), px.end(), 0xEE), static_cast<std::ptrdiff_t>(px.size() - decoded))
            << "data cut at " << keep << ": pixels written past the last whole code";
        EXPECT_GE(decoded, lastDecoded) << "more data never gives fewer pixels, cut at " << keep;
        lastDecoded = decoded;
    }
}
