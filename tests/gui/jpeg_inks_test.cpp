// JPEGs in inks (CMYK, YCCK, with and without the Adobe marker's inversion),
// and headers that claim more than the data or the budget allows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/base/FileLoad.h"
#include "gui/draw/Jpeg.h"

#include <jpeglib.h>

using namespace gui;

namespace {

// A flat 16 x 16 JPEG of the given four stored ink bytes.
std::vector<std::uint8_t> InkJpeg(const std::uint8_t ink[4], J_COLOR_SPACE stored, bool adobe) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = 16;
    c.image_height = 16;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, stored);
    c.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<std::uint8_t> row(16 * 4);
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = ink[i % 4];
    JSAMPROW r = row.data();
    while (c.next_scanline < c.image_height) jpeg_write_scanlines(&c, &r, 1);
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> out(buf, buf + size);
    jpeg_destroy_compress(&c);
    std::free(buf);
    return out;
}

TColor Decoded(const std::vector<std::uint8_t>& file) {
    TJPEGImage j;
    j.LoadFromBytes(file.data(), file.size());
    return j.Bitmap()->Canvas()->Pixels(8, 8);
}

bool Near(TColor c, TColor want, int tol = 8) {
    return std::abs(GetRValue(c) - GetRValue(want)) <= tol && std::abs(GetGValue(c) - GetGValue(want)) <= tol &&
           std::abs(GetBValue(c) - GetBValue(want)) <= tol;
}

}  // namespace

TEST(JpegInks, CmykAndYcckBecomeRgb) {
    // Orange: no cyan, half magenta, full yellow, no black.
    const std::uint8_t plain[4] = {0, 128, 255, 0};
    const std::uint8_t inverted[4] = {255, 127, 0, 255};  // as Adobe files store it
    const TColor orange = RGB(255, 127, 0);
    TColor c = Decoded(InkJpeg(plain, JCS_CMYK, false));
    EXPECT_TRUE(Near(c, orange)) << std::hex << c;
    c = Decoded(InkJpeg(inverted, JCS_CMYK, true));
    EXPECT_TRUE(Near(c, orange)) << std::hex << c;
    c = Decoded(InkJpeg(inverted, JCS_YCCK, true));
    EXPECT_TRUE(Near(c, orange)) << std::hex << c;
    // Black ink darkens: half black over the same orange.
    const std::uint8_t darker[4] = {255, 127, 0, 128};
    c = Decoded(InkJpeg(darker, JCS_CMYK, true));
    EXPECT_TRUE(Near(c, RGB(128, 64, 0))) << std::hex << c;

    TJPEGImage grey;
    const auto f = InkJpeg(inverted, JCS_CMYK, true);
    grey.LoadFromBytes(f.data(), f.size());
    grey.SetGrayscale(true);
    const TColor g = grey.Bitmap()->Canvas()->Pixels(3, 3);
    EXPECT_EQ(GetRValue(g), GetGValue(g));
    EXPECT_NEAR(GetRValue(g), (299 * 255 + 587 * 127) / 1000, 8);
}

TEST(JpegInks, HeadersClaimingTooMuchAreRefusedBeforeDecoding) {
    // A real 16 x 16 file whose frame header is rewritten to claim more.
    std::vector<std::uint8_t> bgr(16 * 16 * 3, 0x80);
    const std::vector<std::uint8_t> good = EncodeJpeg(bgr.data(), 16, 16, 48, 90);
    std::size_t sof = 0;
    for (std::size_t i = 0; i + 8 < good.size(); ++i)
        if (good[i] == 0xFF && good[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    ASSERT_GT(sof, 0u);
    auto claim = [&](unsigned w, unsigned h) {
        std::vector<std::uint8_t> f = good;
        f[sof + 5] = static_cast<std::uint8_t>(h >> 8);
        f[sof + 6] = static_cast<std::uint8_t>(h);
        f[sof + 7] = static_cast<std::uint8_t>(w >> 8);
        f[sof + 8] = static_cast<std::uint8_t>(w);
        return f;
    };
    auto error = [](const std::vector<std::uint8_t>& f) -> std::string {
        try {
            TJPEGImage j;
            j.LoadFromBytes(f.data(), f.size());
            j.Bitmap();
        } catch (const EJPEG& e) {
            return e.what();
        }
        return {};
    };
    ASSERT_GT(8192LL * 8192, kMaxPicturePixels);
    EXPECT_NE(error(claim(8192, 8192)).find("too large"), std::string::npos);
    // Within the budget, but a few hundred bytes cannot encode 2000 x 2000.
    EXPECT_NE(error(claim(2000, 2000)).find("truncated"), std::string::npos);
    EXPECT_EQ(error(good), "");
}
