// GIF decoding and composition against pictures with known pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "content/pictures/Codecs.h"
#include "htmlview/GifImage.h"
#include "htmlview/common/GifWriter.h"

using namespace htmlview;
using testgif::Frame;
using testgif::Gif;
using testgif::Rgb;

namespace {

std::vector<Rgb> Grey(int n) {
    std::vector<Rgb> t;
    for (int i = 0; i < n; ++i) {
        auto v = static_cast<std::uint8_t>(i * 255 / std::max(1, n - 1));
        t.push_back({v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(i * 7)});
    }
    return t;
}

std::uint32_t Px(const Rgb& c) { return (static_cast<std::uint32_t>(c.r) << 16) | (c.g << 8) | c.b; }

std::vector<std::uint8_t> RandomPixels(int w, int h, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w * h));
    for (auto& p : px) p = static_cast<std::uint8_t>(rng() % static_cast<unsigned>(colours));
    return px;
}

Frame Full(int w, int h, std::vector<std::uint8_t> px) {
    Frame f;
    f.width = w;
    f.height = h;
    f.pixels = std::move(px);
    return f;
}

std::unique_ptr<TGIFImage> Load(const std::vector<std::uint8_t>& bytes, bool scanOnly = false) {
    auto img = std::make_unique<TGIFImage>();
    img->SetScanOnly(scanOnly);
    if (!img->LoadFromBytes(bytes.data(), bytes.size())) return nullptr;
    return img;
}

void ExpectFramePixels(const TgfFrame* f, const std::vector<std::uint8_t>& px, const std::vector<Rgb>& table) {
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->Indexes.size(), px.size());
    for (std::size_t i = 0; i < px.size(); ++i) {
        ASSERT_EQ(f->Indexes[i], px[i]) << "pixel " << i;
        ASSERT_EQ(f->PixelAt(i), Px(table[px[i]])) << "pixel " << i;
    }
}

// A 4x4 screen: frame 1 red everywhere (with `first` disposal), frame 2 a
// green 2x2 square at (1,1) whose lower-right pixel is transparent (with
// `second` disposal), frame 3 one blue pixel at (0,0).
Gif ThreeFrames(int first, int second) {
    Gif g;
    g.width = 4;
    g.height = 4;
    g.globalTable = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    Frame a = Full(4, 4, std::vector<std::uint8_t>(16, 1));
    a.gce = true;
    a.disposal = first;
    Frame b = Full(2, 2, {2, 2, 2, 0});
    b.left = 1;
    b.top = 1;
    b.gce = true;
    b.disposal = second;
    b.transparent = true;
    b.transparentIndex = 0;
    Frame c = Full(1, 1, {3});
    g.frames = {a, b, c};
    return g;
}

constexpr std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, K = 0;

}  // namespace

TEST(GifDecode, StillPictureIsPixelExact) {
    for (int colours : {2, 4, 16, 256}) {
        Gif g;
        g.width = 37;
        g.height = 23;
        g.globalTable = Grey(colours);
        auto px = RandomPixels(37, 23, colours, static_cast<unsigned>(colours));
        g.frames = {Full(37, 23, px)};
        auto img = Load(g.Encode());
        ASSERT_TRUE(img) << colours;
        EXPECT_EQ(img->FrameCount(), 1);
        EXPECT_FALSE(img->Animated());
        EXPECT_EQ(img->Width(), 37);
        EXPECT_EQ(img->Height(), 23);
        EXPECT_EQ(img->ColorBits(), testgif::TableBits(static_cast<std::size_t>(colours)));
        ExpectFramePixels(img->Frame(1), px, g.globalTable);
        // Frame 1 is composed on the screen after the parse.
        std::vector<std::uint32_t> expected;
        for (auto p : px) expected.push_back(Px(g.globalTable[p]));
        EXPECT_EQ(img->CompositeImage(), expected);
    }
}

TEST(GifDecode, LargeCodeStreamsWithFullTablesAndClears) {
    // 8-bit noise fills the code table (12-bit codes, resets); smooth
    // gradients make long strings; explicit clears restart mid-stream.
    const int w = 301, h = 207;
    Gif g;
    g.width = w;
    g.height = h;
    g.globalTable = Grey(256);
    auto noise = RandomPixels(w, h, 256, 7);
    std::vector<std::uint8_t> smooth(static_cast<std::size_t>(w * h));
    for (int i = 0; i < w * h; ++i) smooth[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i / 97) % 3);
    Frame a = Full(w, h, noise);
    Frame b = Full(w, h, smooth);
    Frame c = Full(w, h, noise);
    c.clearEvery = 50;
    g.frames = {a, b, c};
    auto img = Load(g.Encode());
    ASSERT_TRUE(img);
    ASSERT_EQ(img->FrameCount(), 3);
    ExpectFramePixels(img->Frame(1), noise, g.globalTable);
    ExpectFramePixels(img->Frame(2), smooth, g.globalTable);
    ExpectFramePixels(img->Frame(3), noise, g.globalTable);
}

TEST(GifDecode, InterlacedFramesOfEveryHeight) {
    for (int h : {1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 33}) {
        Gif g;
        g.width = 5;
        g.height = h;
        g.globalTable = Grey(16);
        auto px = RandomPixels(5, h, 16, static_cast<unsigned>(h));
        Frame f = Full(5, h, px);
        f.interlaced = true;
        g.frames = {f};
        auto img = Load(g.Encode());
        ASSERT_TRUE(img) << h;
        EXPECT_TRUE(img->Frame(1)->Interlaced);
        ExpectFramePixels(img->Frame(1), px, g.globalTable);
    }
}

TEST(GifDecode, LocalTableWinsOverGlobalAndColourBitsTakeTheLargest) {
    Gif g;
    g.width = 3;
    g.height = 2;
    g.version89 = false;
    g.globalTable = Grey(4);
    Frame f = Full(3, 2, {0, 1, 2, 3, 4, 5});
    f.localTable = Grey(8);
    std::reverse(f.localTable.begin(), f.localTable.end());
    g.frames = {Full(3, 2, {0, 1, 2, 3, 0, 1}), f};
    auto img = Load(g.Encode());
    ASSERT_TRUE(img);
    EXPECT_EQ(img->ColorBits(), 3);
    EXPECT_EQ(img->Frame(1)->ColorBits, 0);
    EXPECT_EQ(img->Frame(2)->ColorBits, 3);
    ExpectFramePixels(img->Frame(1), {0, 1, 2, 3, 0, 1}, g.globalTable);
    ExpectFramePixels(img->Frame(2), {0, 1, 2, 3, 4, 5}, f.localTable);
}

TEST(GifDecode, TransparencyMaskAndColour) {
    Gif g;
    g.width = 3;
    g.height = 1;
    g.globalTable = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}};
    Frame f = Full(3, 1, {0, 2, 1});
    f.gce = true;
    f.transparent = true;
    f.transparentIndex = 2;
    g.frames = {f};
    auto img = Load(g.Encode());
    ASSERT_TRUE(img);
    EXPECT_TRUE(img->HasTransparency());
    const TgfFrame* fr = img->Frame(1);
    EXPECT_EQ(fr->Mask, (std::vector<std::uint8_t>{0, 1, 0}));
    EXPECT_EQ(fr->PixelAt(1), 0u) << "transparent pixels are black in the frame";
    EXPECT_EQ(fr->TransRed, 70);
    EXPECT_EQ(fr->TransGreen, 80);
    EXPECT_EQ(fr->TransBlue, 90);
    EXPECT_EQ(img->RenderComposite(0xABCDEF), (std::vector<std::uint32_t>{0x0A141E, 0xABCDEF, 0x28323C}));
}

TEST(GifCompose, DisposalMethodsGiveTheAnimationsFrames) {
    struct Case {
        int first, second;
        std::vector<std::uint32_t> f2, f3;
    };
    // Frame 2 over red: green square with a see-through corner.
    const std::vector<std::uint32_t> f2 = {R, R, R, R,  //
                                           R, G, G, R,  //
                                           R, G, R, R,  //
                                           R, R, R, R};
    const std::vector<std::uint32_t> keep3 = {B, R, R, R,  //
                                              R, G, G, R,  //
                                              R, G, R, R,  //
                                              R, R, R, R};
    const std::vector<std::uint32_t> cleared3 = {B, R, R, R,  //
                                                 R, K, K, R,  //
                                                 R, K, K, R,  //
                                                 R, R, R, R};
    const std::vector<std::uint32_t> restored3 = {B, R, R, R,  //
                                                  R, R, R, R,  //
                                                  R, R, R, R,  //
                                                  R, R, R, R};
    for (const Case& c : {Case{0, 0, f2, keep3}, Case{1, 1, f2, keep3}, Case{1, 2, f2, cleared3},
                          Case{1, 3, f2, restored3}, Case{0, 5, f2, cleared3}}) {
        auto img = Load(ThreeFrames(c.first, c.second).Encode());
        ASSERT_TRUE(img);
        EXPECT_EQ(img->Frame(2)->Disposal, c.second == 5 ? 2 : c.second);
        EXPECT_EQ(img->CompositeImage(), std::vector<std::uint32_t>(16, R));
        img->SetCurrentFrame(2);
        EXPECT_EQ(img->RenderComposite(0x123456), c.f2) << c.second;
        img->SetCurrentFrame(3);
        // Disposal 2 leaves a see-through hole where frame 2 was.
        auto out = img->RenderComposite(K);
        EXPECT_EQ(out, c.f3) << c.second;
    }
}

TEST(GifCompose, FrameOneDisposedBeforeTheLoopStartsAgain) {
    // Frame 2 (disposal 2) cleared to the transparent background; back on
    // frame 1, the whole screen is red again.
    auto img = Load(ThreeFrames(2, 2).Encode());
    ASSERT_TRUE(img);
    img->SetCurrentFrame(2);
    img->SetCurrentFrame(3);
    img->SetCurrentFrame(4);  // past the end: frame 1
    EXPECT_EQ(img->CurrentFrame(), 1);
    EXPECT_EQ(img->RenderComposite(K), std::vector<std::uint32_t>(16, R));
    img->SetCurrentFrame(0);  // before the start: the last frame
    EXPECT_EQ(img->CurrentFrame(), 3);
}

TEST(GifParse, StructureEdgeCases) {
    // A graphic control block without an image after it is dropped; one
    // applies only to the next image.
    Gif g = ThreeFrames(0, 0);
    g.frames[0].gce = false;
    g.frames[2].left = 6;  // beyond the logical screen: widens it
    g.frames[2].top = 3;
    g.frames[1].comment = "hello";
    auto bytes = g.Encode();
    bytes.pop_back();
    const std::uint8_t lone[] = {0x21, 0xF9, 4, 0x09, 50, 0, 1, 0, 0x3B};
    bytes.insert(bytes.end(), std::begin(lone), std::end(lone));
    auto img = Load(bytes);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->FrameCount(), 3);
    EXPECT_FALSE(img->Frame(1)->Transparent);
    EXPECT_EQ(img->Frame(1)->Delay, 0);
    EXPECT_TRUE(img->Frame(2)->Transparent);
    EXPECT_FALSE(img->Frame(3)->Transparent);
    EXPECT_EQ(img->Frame(2)->Comment, "hello");
    EXPECT_EQ(img->Frame(3)->Comment, "");
    EXPECT_EQ(img->Width(), 7);
    EXPECT_EQ(img->Height(), 4);
    EXPECT_EQ(img->LoopCount(), 1);
}

TEST(GifParse, AtMost256FramesAreKept) {
    Gif g;
    g.width = 2;
    g.height = 1;
    g.globalTable = Grey(2);
    for (int i = 0; i < 257; ++i) g.frames.push_back(Full(2, 1, {static_cast<std::uint8_t>(i & 1), 0}));
    auto img = Load(g.Encode());
    ASSERT_TRUE(img);
    EXPECT_EQ(img->FrameCount(), 256);
}

TEST(GifParse, ScanOnlyReadsGeometryButNoPixels) {
    Gif g = ThreeFrames(1, 3);
    g.frames[2].localTable = Grey(32);
    g.loopCount = 0;
    auto img = Load(g.Encode(), true);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->FrameCount(), 3);
    EXPECT_TRUE(img->Animated());
    EXPECT_EQ(img->ColorBits(), 5);
    EXPECT_EQ(img->LoopCount(), 0);
    EXPECT_TRUE(img->HasTransparency());
    EXPECT_TRUE(img->Frame(1)->Indexes.empty());
    EXPECT_TRUE(img->CompositeImage().empty());
}

TEST(GifParse, BadInputFailsCleanly) {
    auto good = ThreeFrames(1, 2).Encode();
    // Wrong signature.
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    EXPECT_FALSE(Load(png));
    EXPECT_FALSE(Load({}));
    // Every truncation either loads the frames read so far or fails; none crashes.
    for (std::size_t n = 3; n < good.size(); ++n) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        auto img = Load(cut);
        if (img) {
            EXPECT_LE(img->FrameCount(), 3);
        }
    }
    // Flipped bytes anywhere.
    for (std::size_t i = 6; i < good.size(); ++i) {
        auto bad = good;
        bad[i] ^= 0xA5;
        auto img = std::make_unique<TGIFImage>();
        img->LoadFromBytes(bad.data(), bad.size());
    }
}

TEST(GifParse, InvalidCodesAndSizesAreRefused) {
    Gif g;
    g.width = 4;
    g.height = 4;
    g.globalTable = Grey(4);
    g.frames = {Full(4, 4, std::vector<std::uint8_t>(16, 1))};
    auto bytes = g.Encode();
    // Find the image data: the minimum code size byte follows the 10-byte descriptor.
    const std::size_t desc = 13 + 12;
    ASSERT_EQ(bytes[desc], 0x2C);
    const std::size_t mcs = desc + 10;

    auto withData = [&](int m, std::vector<std::uint8_t> data) {
        std::vector<std::uint8_t> b(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(mcs));
        b.push_back(static_cast<std::uint8_t>(m));
        testgif::PutSubBlocks(b, data);
        b.push_back(0x3B);
        return b;
    };
    // m = 2: clear 4, end 5; code 7 is not yet defined after one pixel.
    testgif::BitWriter w;
    w.Put(4, 3);
    w.Put(1, 3);
    w.Put(7, 3);
    w.Put(5, 3);
    w.Flush();
    {
        // A code beyond the next free one is corrupt: the pixel before it
        // is shown, the rest of the frame stays blank.
        auto damaged = Load(withData(2, w.bytes));
        ASSERT_TRUE(damaged);
        EXPECT_TRUE(damaged->Frame(1)->Damaged);
        std::vector<std::uint8_t> px(16, 0);
        px[0] = 1;
        EXPECT_EQ(damaged->Frame(1)->Indexes, px);
    }
    testgif::BitWriter first;  // corrupt before any pixel: nothing to show
    first.Put(4, 3);
    first.Put(7, 3);
    first.Flush();
    EXPECT_FALSE(Load(withData(2, first.bytes)));
    // The next free code itself (6) repeats the previous string's first byte.
    testgif::BitWriter ok;
    ok.Put(4, 3);
    ok.Put(1, 3);
    ok.Put(6, 3);  // "1 1"
    ok.Put(7, 3);  // "1 1 1"
    ok.Put(8, 4);  // "1 1 1 1"
    ok.Put(9, 4);  // "1 1 1 1 1"
    ok.Put(1, 4);  // 16 pixels in all
    ok.Put(5, 4);
    ok.Flush();
    auto img = Load(withData(2, ok.bytes));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->Frame(1)->Indexes, std::vector<std::uint8_t>(16, 1));
    // Minimum code sizes outside 1..11.
    EXPECT_FALSE(Load(withData(0, {0})));
    EXPECT_FALSE(Load(withData(12, {0})));
    // A logical screen or frame past the size limit.
    Gif big = g;
    big.width = MaxGifDimension + 1;
    EXPECT_FALSE(Load(big.Encode()));
    EXPECT_FALSE(Load(big.Encode(), true));
    Gif far = g;
    far.frames[0].left = MaxGifDimension - 2;
    EXPECT_FALSE(Load(far.Encode()));
}

TEST(GifParse, PixelBudgetBoundsTheFileAsAWhole) {
    // Each frame is within the per-side limit, together they are not.
    const int side = 4096;
    std::vector<std::uint8_t> b = {'G', 'I', 'F', '8', '9', 'a', 0, 0x10, 0, 0x10, 0, 0, 0};
    const long long perFrame = static_cast<long long>(side) * side;
    const int frames = static_cast<int>(MaxGifPixelBudget / perFrame) + 1;
    for (int i = 0; i < frames; ++i) {
        const std::uint8_t d[] = {0x2C, 0, 0, 0, 0, 0, 0x10, 0, 0x10, 0, 2, 2, 4, 0x05, 0};
        b.insert(b.end(), std::begin(d), std::end(d));
    }
    b.push_back(0x3B);
    EXPECT_FALSE(Load(b));
    auto scan = Load(b, true);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->FrameCount(), frames);
}

namespace {

// A GIF header with a 4-colour global table and a screen of w x h.
std::vector<std::uint8_t> Header(int w, int h) {
    Gif g;
    g.width = w;
    g.height = h;
    g.globalTable = Grey(4);
    g.trailer = false;
    return g.Encode();
}

// An image block of w x h at (0, 0), code size 2, over the given data.
void PutImage(std::vector<std::uint8_t>& f, int w, int h, const std::vector<std::uint8_t>& data,
              bool interlaced = false) {
    f.push_back(0x2C);
    testgif::PutWord(f, 0);
    testgif::PutWord(f, 0);
    testgif::PutWord(f, w);
    testgif::PutWord(f, h);
    f.push_back(interlaced ? 0x40 : 0);
    f.push_back(2);
    testgif::PutSubBlocks(f, data);
}

}  // namespace

TEST(GifDamage, FramesBeforeABadCodeAreKeptAndTheDamagedOneShowsWhatItDecoded) {
    // 20 frames of 4x4; frame 16 holds 5 good pixels, then a code that is
    // not yet defined.
    Gif g;
    g.width = 4;
    g.height = 4;
    g.globalTable = Grey(4);
    g.trailer = false;
    for (int i = 0; i < 15; ++i) g.frames.push_back(Full(4, 4, RandomPixels(4, 4, 4, 100u + i)));
    std::vector<std::uint8_t> b = g.Encode();
    testgif::BitWriter w;
    w.Put(4, 3);  // clear
    w.Put(3, 3);  // 3
    w.Put(2, 3);  // 2; 6 = "3 2"
    w.Put(6, 3);  // "3 2"; 7 = "2 3", the width grows to 4
    w.Put(1, 4);  // 1
    w.Put(12, 4);  // far beyond the next free code (9)
    w.Put(1, 4);
    w.Flush();
    PutImage(b, 4, 4, w.bytes);
    Gif rest = g;
    rest.frames.assign(4, Full(4, 4, std::vector<std::uint8_t>(16, 2)));
    rest.trailer = true;
    const std::vector<std::uint8_t> tail = rest.Encode();
    b.insert(b.end(), tail.begin() + 25, tail.end());  // after the header and table

    auto img = Load(b);
    ASSERT_TRUE(img) << "not all lost";
    ASSERT_EQ(img->FrameCount(), 16);
    EXPECT_TRUE(img->Animated());
    for (int i = 0; i < 15; ++i) {
        EXPECT_FALSE(img->Frame(i + 1)->Damaged);
        ExpectFramePixels(img->Frame(i + 1), RandomPixels(4, 4, 4, 100u + static_cast<unsigned>(i)), Grey(4));
    }
    const TgfFrame* f = img->Frame(16);
    EXPECT_TRUE(f->Damaged);
    EXPECT_EQ(f->Indexes, (std::vector<std::uint8_t>{3, 2, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // The loaders keep it too, and step through the 16 frames.
    bool single = true;
    auto loaded = GIFFromBytes(b.data(), b.size(), single, 24, nullptr, 0);
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(single);
    EXPECT_EQ(loaded->FrameCount(), 16);
    loaded->SetCurrentFrame(16);
    EXPECT_EQ(loaded->CompositeImage()[0], Px(Grey(4)[3]));

    // A bad code before any pixel of frame 2 (or a bad code size): frame 1 stays.
    const std::vector<std::uint8_t> clearThen7 = {0x3C};
    for (const std::vector<std::uint8_t>& data : {clearThen7, std::vector<std::uint8_t>{}}) {
        Gif one = g;
        one.frames.resize(1);
        std::vector<std::uint8_t> two = one.Encode();
        PutImage(two, 4, 4, data);
        if (data.empty()) two[two.size() - 2] = 12;  // the code size byte
        two.push_back(0x3B);
        auto kept = Load(two);
        ASSERT_TRUE(kept);
        EXPECT_EQ(kept->FrameCount(), 1);
        EXPECT_FALSE(kept->Animated());
    }

    // An interlaced frame: the rows decoded before the bad code are in place.
    std::vector<std::uint8_t> il = Header(2, 8);
    testgif::BitWriter iw;
    iw.Put(4, 3);
    iw.Put(1, 3);
    iw.Put(1, 3);  // row 0 = "1 1"; 6 = "1 1"
    iw.Put(6, 3);  // row 4 = "1 1"
    iw.Put(15, 4);
    iw.Flush();
    PutImage(il, 2, 8, iw.bytes, true);
    il.push_back(0x3B);
    auto inter = Load(il);
    ASSERT_TRUE(inter);
    std::vector<std::uint8_t> rows(16, 0);
    rows[0] = rows[1] = rows[8] = rows[9] = 1;
    EXPECT_EQ(inter->Frame(1)->Indexes, rows);
    EXPECT_FALSE(inter->Animated());
}

TEST(GifBudget, TheFrameStackIsBoundedBeforeAnythingIsAllocated) {
    EXPECT_EQ(MaxGifPixelBudget, 16LL * 1024 * 1024);
    // Two frames of 4096 x 2049: each allowed alone, together over budget.
    std::vector<std::uint8_t> b = Header(0, 0);
    for (int i = 0; i < 2; ++i) {
        testgif::BitWriter w;
        w.Put(4, 3);
        w.Put(1, 3);
        w.Put(5, 3);  // end
        w.Flush();
        PutImage(b, 4096, 2049, w.bytes);
    }
    b.push_back(0x3B);
    auto scan = Load(b, true);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->StackPixels(), 2LL * 4096 * 2049);
    TGIFImage img;
    EXPECT_FALSE(img.LoadFromBytes(b.data(), b.size()));
    EXPECT_NE(img.LastError().find("16777216"), std::string::npos) << img.LastError();
    bool single = false;
    EXPECT_EQ(GIFFromBytes(b.data(), b.size(), single, 24, nullptr, 0), nullptr);
    // Exactly the budget is fine.
    std::vector<std::uint8_t> one = Header(0, 0);
    testgif::BitWriter w;
    w.Put(4, 3);
    w.Put(1, 3);
    w.Flush();
    PutImage(one, 4096, 4096, w.bytes);
    one.push_back(0x3B);
    EXPECT_TRUE(Load(one));
}

TEST(GifBudget, ShortDataNeverClaimsTheWholeFrame) {
    // A tiny file declaring a 4096 x 4096 frame: only the rows its few codes
    // can reach are allocated, and what they hold is decoded as before.
    std::vector<std::uint8_t> b = Header(0, 0);
    PutImage(b, 4096, 4096, content::pic::LzwEncode(std::vector<std::uint8_t>(20, 2), 2));
    b.push_back(0x3B);
    ASSERT_LT(b.size(), 112u);
    auto img = Load(b);
    ASSERT_TRUE(img);
    const TgfFrame* f = img->Frame(1);
    EXPECT_EQ(f->Width, 4096);
    EXPECT_LT(f->Height, 4) << "20 pixels and the codes after them";
    EXPECT_EQ(f->DeclaredHeight, 4096);
    ASSERT_EQ(f->Indexes.size(), 4096u * static_cast<std::size_t>(f->Height));
    EXPECT_EQ(std::count(f->Indexes.begin(), f->Indexes.end(), 2), 20);
    EXPECT_EQ(img->CompositeImage().size(), f->Indexes.size());
    // Interlaced: the first pass's rows are spread over the frame; the rows
    // kept reach the lowest one the data can fill.
    std::vector<std::uint8_t> il = Header(0, 0);
    // 24 pixels: the rows 0, 8 and 16 of width 8
    PutImage(il, 8, 4000, content::pic::LzwEncode(std::vector<std::uint8_t>(24, 3), 2), true);
    il.push_back(0x3B);
    auto inter = Load(il);
    ASSERT_TRUE(inter);
    const TgfFrame* g = inter->Frame(1);
    EXPECT_LT(g->Height, 4000);
    EXPECT_GE(g->Height, 17);
    for (int y : {0, 8, 16})
        for (int x = 0; x < 8; ++x) EXPECT_EQ(g->Indexes[static_cast<std::size_t>(y * 8 + x)], 3) << y;
    EXPECT_EQ(g->Indexes[8 * 4], 0) << "row 4 comes in the second pass";
    // The bound holds for any data: n bytes never give more than it says.
    EXPECT_EQ(GifLzwMaxPixels(0), 0u);
    EXPECT_EQ(GifLzwMaxPixels(1), 10u);  // four 2-bit codes: 1 + 2 + 3 + 4
}

TEST(GifAnimation, LoopCountSpeedAndDelays) {
    Gif g = ThreeFrames(1, 1);
    for (auto& f : g.frames) {
        f.gce = true;
        f.delay = 10;  // 100 ms
    }
    g.frames[2].delay = 0;
    g.loopCount = 3;
    auto img = Load(g.Encode());
    ASSERT_TRUE(img);
    EXPECT_EQ(img->LoopCount(), 3);
    std::uint32_t now = 1000;
    img->SetClock([&] { return now; });
    img->SetSpeed(200);
    img->SetAnimating(true);
    EXPECT_EQ(img->CurrentDelay(), 50) << "speed 200 halves the delay";
    int changes = 0;
    std::vector<int> seen;
    auto invalidate = [&](const gui::TRect&) { ++changes; };
    for (int tick = 0; tick < 200 && img->Animating(); ++tick) {
        now += 50;
        const int before = img->CurrentFrame();
        img->AnimationStep(invalidate);
        if (img->CurrentFrame() != before) seen.push_back(img->CurrentFrame());
        if (img->CurrentFrame() == 3 && img->Animating()) {
            EXPECT_EQ(img->CurrentDelay(), 1) << "a 0 delay is 1 ms";
        }
    }
    EXPECT_FALSE(img->Animating());
    EXPECT_EQ(img->CurrentFrame(), 3) << "stays on the last frame";
    // Three passes: 1 2 3, 1 2 3, 1 2 3 (the first pass starts on frame 1).
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(changes, 8);
}

TEST(GifAnimation, WithoutApplicationExtensionOnePassAndCopiesAnimateAlone) {
    Gif g = ThreeFrames(1, 1);
    auto img = Load(g.Encode());
    ASSERT_TRUE(img);
    std::uint32_t now = 0;
    img->SetClock([&] { return now; });
    TGIFImage copy(*img);
    EXPECT_EQ(copy.FrameCount(), 3);
    EXPECT_EQ(copy.CompositeImage(), img->CompositeImage());
    img->SetAnimating(true);
    for (int i = 0; i < 20; ++i) {
        now += 100;
        img->AnimationStep(nullptr);
    }
    EXPECT_FALSE(img->Animating());
    EXPECT_EQ(img->CurrentFrame(), 3);
    EXPECT_EQ(copy.CurrentFrame(), 1);
    EXPECT_EQ(copy.CompositeImage(), std::vector<std::uint32_t>(16, R));
}

TEST(GifLoad, ScanThenDecodeWithThePaletteOfAn8BitDisplay) {
    // Animations map to the nearest palette colours; stills are dithered.
    gui::PALETTEENTRY bw[2] = {};
    bw[1].peRed = bw[1].peGreen = bw[1].peBlue = 255;
    Gif still;
    still.width = 8;
    still.height = 8;
    still.globalTable = {{0, 0, 0}, {128, 128, 128}, {250, 250, 250}, {30, 30, 30}};
    still.frames = {Full(8, 8, std::vector<std::uint8_t>(64, 1))};
    bool single = false;
    std::unique_ptr<TGIFImage> img(GIFFromBytes(still.Encode().data(), still.Encode().size(), single, 8, bw, 2));
    ASSERT_TRUE(img);
    EXPECT_TRUE(single);
    EXPECT_TRUE(img->DitherFrames());
    int white = 0;
    for (auto p : img->Frame(1)->Pixels()) {
        ASSERT_TRUE(p == 0 || p == 0xFFFFFF);
        white += p != 0;
    }
    EXPECT_GT(white, 16);
    EXPECT_LT(white, 48);

    Gif anim = ThreeFrames(1, 1);
    auto bytes = anim.Encode();
    img = GIFFromBytes(bytes.data(), bytes.size(), single, 8, bw, 2);
    ASSERT_TRUE(img);
    EXPECT_FALSE(single);
    EXPECT_FALSE(img->DitherFrames());
    EXPECT_FALSE(img->Shown());
    // Pure red is nearer to black than to white.
    EXPECT_EQ(img->Frame(1)->PixelAt(0), 0u);

    // On a true-colour display nothing is mapped.
    img = GIFFromBytes(bytes.data(), bytes.size(), single, 24, bw, 2);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->Frame(1)->PixelAt(0), R);
    std::vector<std::uint8_t> junk = {'G', 'I', 'F'};
    EXPECT_EQ(GIFFromBytes(junk.data(), junk.size(), single, 24, nullptr, 0), nullptr) << "no frames";
}
