// The encoders, checked by decoding their output with the independent
// readers in Readers.cpp.
#include <gtest/gtest.h>

#include <stdexcept>

#include "Readers.h"
#include "content/pictures/Codecs.h"
#include "content/pictures/Raster.h"

namespace pic = content::pic;

namespace {

std::vector<pic::Rgb> Ramp(int n) {
  std::vector<pic::Rgb> p;
  for (int i = 0; i < n; ++i) p.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7)});
  return p;
}

pic::GifFile OneFrame(int w, int h, std::vector<uint8_t> idx, int colours) {
  pic::GifFile g;
  g.width = w;
  g.height = h;
  g.globalPalette = Ramp(colours);
  pic::GifFrame f;
  f.width = w;
  f.height = h;
  f.indices = std::move(idx);
  g.frames.push_back(std::move(f));
  return g;
}

std::optional<readers::Gif> Decode(const pic::Bytes& b) {
  std::string err;
  auto g = readers::DecodeGif(b, &err);
  EXPECT_TRUE(g.has_value()) << err;
  return g;
}

}  // namespace

// Random data exercises every code width and, for large pictures, the
// dictionary reset at 4096 entries; runs exercise the code-equals-next case.
TEST(GifEncoder, RoundTripsPixelsForEveryColourCount) {
  pic::Rng rng(7);
  for (int colours : {2, 3, 4, 16, 17, 100, 256}) {
    for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {64, 64}, {300, 200}}) {
      std::vector<uint8_t> idx(static_cast<size_t>(w) * h);
      for (size_t i = 0; i < idx.size(); ++i)
        idx[i] = static_cast<uint8_t>(i % 5 == 0 ? rng.Next() % colours : (i / 37) % colours);
      auto g = Decode(pic::EncodeGif(OneFrame(w, h, idx, colours)));
      ASSERT_TRUE(g) << colours << " colours, " << w << "x" << h;
      ASSERT_EQ(g->frames.size(), 1u);
      EXPECT_EQ(g->frames[0].indices, idx) << colours << " colours, " << w << "x" << h;
    }
  }
}

TEST(GifEncoder, RoundTripsUniformAndNoisyExtremes) {
  std::vector<uint8_t> flat(500 * 400, 3);  // very long runs: many chained codes
  auto g = Decode(pic::EncodeGif(OneFrame(500, 400, flat, 4)));
  ASSERT_TRUE(g);
  EXPECT_EQ(g->frames[0].indices, flat);
  pic::Rng rng(99);
  std::vector<uint8_t> noise(256 * 256);
  for (auto& v : noise) v = static_cast<uint8_t>(rng.Next());  // incompressible, resets often
  g = Decode(pic::EncodeGif(OneFrame(256, 256, noise, 256)));
  ASSERT_TRUE(g);
  EXPECT_EQ(g->frames[0].indices, noise);
}

TEST(GifEncoder, InterlacedFramesStoreRowsInFourPasses) {
  for (int h : {1, 2, 3, 4, 5, 9, 17, 33}) {
    const int w = 5;
    std::vector<uint8_t> idx(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) idx[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(y % 64);
    auto file = OneFrame(w, h, idx, 64);
    file.frames[0].interlaced = true;
    auto g = Decode(pic::EncodeGif(file));
    ASSERT_TRUE(g) << "height " << h;
    EXPECT_TRUE(g->frames[0].interlaced);
    EXPECT_EQ(g->frames[0].indices, idx) << "height " << h;  // the reader de-interlaces
  }
}

TEST(GifEncoder, WritesAnimationControlLoopAndLocalTables) {
  pic::GifFile g;
  g.width = 20;
  g.height = 10;
  g.globalPalette = Ramp(8);
  g.loopCount = 0;
  g.comment = "made here";
  for (int i = 0; i < 3; ++i) {
    pic::GifFrame f;
    f.left = i * 2;
    f.top = i;
    f.width = 6;
    f.height = 4;
    f.indices.assign(24, static_cast<uint8_t>(i + 1));
    f.delayCs = 10 + i;
    f.disposal = i;
    if (i == 1) f.transparentIndex = 0;
    if (i == 2) f.localPalette = Ramp(32);
    g.frames.push_back(f);
  }
  auto d = Decode(pic::EncodeGif(g));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->version, "89a");
  EXPECT_EQ(d->loopCount, 0);
  ASSERT_EQ(d->comments.size(), 1u);
  EXPECT_EQ(d->comments[0], "made here");
  ASSERT_EQ(d->frames.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const auto& f = d->frames[static_cast<size_t>(i)];
    EXPECT_EQ(f.left, i * 2);
    EXPECT_EQ(f.top, i);
    EXPECT_EQ(f.delayCs, 10 + i);
    EXPECT_EQ(f.disposal, i);
    EXPECT_EQ(f.transparentIndex, i == 1 ? 0 : -1);
    EXPECT_EQ(f.localPalette.size(), i == 2 ? 32u : 0u);
    EXPECT_EQ(f.indices, std::vector<uint8_t>(24, static_cast<uint8_t>(i + 1)));
  }
}

// The viewer finds a still GIF's transparent colour only when the control
// block follows the global table directly; looping animations must still
// carry their looping block.
TEST(GifEncoder, TransparentFirstFramePutsControlRightAfterGlobalTable) {
  auto file = OneFrame(4, 4, std::vector<uint8_t>(16, 1), 4);
  file.frames[0].transparentIndex = 0;
  file.loopCount = 2;
  file.frames.push_back(file.frames[0]);
  const pic::Bytes bytes = pic::EncodeGif(file);
  auto d = Decode(bytes);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->firstControlOffset, 13u + 3u * 4u);
  EXPECT_EQ(d->loopCount, 2);
  EXPECT_EQ(d->frames.size(), 2u);
}

TEST(GifEncoder, RejectsInconsistentInput) {
  EXPECT_THROW(pic::EncodeGif(OneFrame(4, 4, std::vector<uint8_t>(15, 0), 4)), std::invalid_argument);
  EXPECT_THROW(pic::EncodeGif(OneFrame(2, 2, {0, 1, 2, 4}, 4)), std::invalid_argument);  // index 4 of 4 colours
  pic::GifFile none;
  none.width = none.height = 1;
  none.globalPalette = Ramp(2);
  EXPECT_THROW(pic::EncodeGif(none), std::invalid_argument);
  auto big = OneFrame(1, 1, {0}, 2);
  big.globalPalette = Ramp(257);
  EXPECT_THROW(pic::EncodeGif(big), std::invalid_argument);
  auto tr = OneFrame(1, 1, {0}, 2);
  tr.frames[0].transparentIndex = 5;
  EXPECT_THROW(pic::EncodeGif(tr), std::invalid_argument);
}

TEST(BmpEncoder, TwentyFourBitRowsArePaddedAndBottomUp) {
  pic::Image img(3, 2);
  img.Set(0, 0, {255, 0, 0});
  img.Set(2, 0, {1, 2, 3});
  img.Set(1, 1, {0, 0, 255});
  const pic::Bytes b = pic::EncodeBmp24(img);
  EXPECT_EQ(b.size(), 54u + 2u * 12u);  // 9 bytes of pixels padded to 12
  std::string err;
  auto d = readers::DecodeBmp(b, &err);
  ASSERT_TRUE(d) << err;
  EXPECT_EQ(d->bpp, 24);
  EXPECT_EQ(d->At(0, 0), (readers::Rgb{255, 0, 0}));
  EXPECT_EQ(d->At(2, 0), (readers::Rgb{1, 2, 3}));
  EXPECT_EQ(d->At(1, 1), (readers::Rgb{0, 0, 255}));
  EXPECT_EQ(d->At(0, 1), (readers::Rgb{0, 0, 0}));
}

TEST(BmpEncoder, IndexedDepthsRoundTrip) {
  for (int bpp : {1, 4, 8}) {
    const int w = 13, h = 5, colours = 1 << bpp;
    std::vector<uint8_t> idx(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<uint8_t>((i * 7 + i / 3) % colours);
    std::string err;
    auto d = readers::DecodeBmp(pic::EncodeBmpIndexed(w, h, idx, Ramp(colours), bpp), &err);
    ASSERT_TRUE(d) << err;
    EXPECT_EQ(d->bpp, bpp);
    EXPECT_EQ(d->indices, idx) << bpp << " bits";
  }
  EXPECT_THROW(pic::EncodeBmpIndexed(2, 1, {0, 2}, Ramp(2), 1), std::invalid_argument);
  EXPECT_THROW(pic::EncodeBmpIndexed(2, 1, {0, 1}, Ramp(3), 1), std::invalid_argument);
  EXPECT_THROW(pic::EncodeBmpIndexed(2, 2, {0, 1}, Ramp(2), 1), std::invalid_argument);
}

TEST(BmpEncoder, MaskUsesIndexZeroForBlack) {
  std::string err;
  auto d = readers::DecodeBmp(pic::EncodeBmpMask(3, 1, {true, false, true}), &err);
  ASSERT_TRUE(d) << err;
  EXPECT_EQ(d->bpp, 1);
  ASSERT_EQ(d->palette.size(), 2u);
  EXPECT_EQ(d->palette[0], (readers::Rgb{0, 0, 0}));
  EXPECT_EQ(d->palette[1], (readers::Rgb{255, 255, 255}));
  EXPECT_EQ(d->indices, (std::vector<uint8_t>{0, 1, 0}));
}

TEST(JpegEncoder, WritesJfifThatDecodesToTheSameSizeAndColour) {
  pic::Image img(37, 21, {200, 40, 30});
  const pic::Bytes b = pic::EncodeJpeg(img, 95);
  EXPECT_EQ(readers::SniffType(b), "jpeg");
  std::string err;
  auto d = readers::DecodeJpeg(b, &err);
  ASSERT_TRUE(d) << err;
  EXPECT_EQ(d->width, 37);
  EXPECT_EQ(d->height, 21);
  EXPECT_NEAR(d->rgb[0], 200, 6);
  EXPECT_NEAR(d->rgb[1], 40, 6);
  EXPECT_NEAR(d->rgb[2], 30, 6);
  EXPECT_THROW(pic::EncodeJpeg(pic::Image()), std::invalid_argument);
}

TEST(CursorEncoder, MapsTheFourPixelKindsToAndXorBits) {
  std::vector<std::string> art(32, std::string(32, '.'));
  art[0][0] = '#';
  art[0][1] = 'o';
  art[31][31] = 'x';
  std::string err;
  auto c = readers::DecodeCursor(pic::EncodeCursor(art, 3, 30), &err);
  ASSERT_TRUE(c) << err;
  EXPECT_EQ(c->width, 32);
  EXPECT_EQ(c->height, 32);
  EXPECT_EQ(c->hotX, 3);
  EXPECT_EQ(c->hotY, 30);
  auto at = [&](int x, int y) { return std::pair<bool, bool>(c->andMask[static_cast<size_t>(y) * 32 + x], c->xorMask[static_cast<size_t>(y) * 32 + x]); };
  EXPECT_EQ(at(0, 0), std::make_pair(false, false));  // black
  EXPECT_EQ(at(1, 0), std::make_pair(false, true));   // white
  EXPECT_EQ(at(2, 0), std::make_pair(true, false));   // transparent
  EXPECT_EQ(at(31, 31), std::make_pair(true, true));  // inverted
  EXPECT_THROW(pic::EncodeCursor(art, 32, 0), std::invalid_argument);
  art[4].pop_back();
  EXPECT_THROW(pic::EncodeCursor(art, 0, 0), std::invalid_argument);
}

TEST(Palette, FewColoursAreKeptExactly) {
  pic::Image img(10, 10, {10, 20, 30});
  img.FillRect(0, 0, 5, 5, {200, 100, 50});
  img.FillRect(5, 5, 10, 10, {0, 255, 0});
  const auto pal = pic::BuildPalette({&img}, 16);
  ASSERT_EQ(pal.size(), 3u);
  const auto ix = pic::MapToPalette(img, pal, true);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(pal[ix.indices[static_cast<size_t>(y) * 10 + x]], img.At(x, y));
}

TEST(Font, EveryPrintableCharacterHasItsOwnGlyph) {
  auto bits = [](char c) {
    std::string s;
    for (int r = 0; r < pic::font::kCellH; ++r)
      for (int col = 0; col < pic::font::kCellW; ++col) s += pic::font::GlyphBit(c, col, r) ? '#' : '.';
    return s;
  };
  std::vector<std::string> seen;
  for (char c = 33; c < 127; ++c) {
    const std::string g = bits(c);
    EXPECT_NE(g.find('#'), std::string::npos) << "blank glyph for " << c;
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_NE(g, seen[i]) << c << " looks like " << static_cast<char>(33 + i);
    seen.push_back(g);
  }
  EXPECT_EQ(bits(' ').find('#'), std::string::npos);
  EXPECT_EQ(pic::font::TextWidth("ab", 2), (2 * 6 - 1) * 2);
}
