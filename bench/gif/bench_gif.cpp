// GIF decoding of a large still and a large animated picture, ours and
// giflib's on the same bytes in the same run; dithering a 640 x 480 photo.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "gui/Graphics.h"
#include "htmlview/Dither.h"
#include "htmlview/GifImage.h"
#include "htmlview/HtmlSupport.h"
#include "htmlview/common/GifWriter.h"

namespace {

// A photo-like picture: smooth shapes with some grain.
std::vector<std::uint8_t> PhotoBgr(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double fx = x / static_cast<double>(w), fy = y / static_cast<double>(h);
            const int grain = static_cast<int>(rng() % 13) - 6;
            auto clamp = [](double v) { return static_cast<std::uint8_t>(std::max(0.0, std::min(255.0, v))); };
            std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
            p[0] = clamp(128 + 100 * std::sin(fx * 7 + fy * 3) + grain);
            p[1] = clamp(255 * fy + grain);
            p[2] = clamp(200 * fx + 40 * std::cos(fy * 11) + grain);
        }
    return px;
}

// 256-colour indexes of the same kind of picture.
std::vector<std::uint8_t> PhotoIndexes(int w, int h, unsigned seed) {
    auto bgr = PhotoBgr(w, h, seed);
    std::vector<std::uint8_t> idx(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < idx.size(); ++i)
        idx[i] = static_cast<std::uint8_t>((bgr[3 * i] >> 5) | ((bgr[3 * i + 1] >> 5) << 3) | ((bgr[3 * i + 2] >> 6) << 6));
    return idx;
}

std::vector<testgif::Rgb> Table() {
    std::vector<testgif::Rgb> t;
    for (int i = 0; i < 256; ++i)
        t.push_back({static_cast<std::uint8_t>((i >> 6) * 85), static_cast<std::uint8_t>(((i >> 3) & 7) * 36),
                     static_cast<std::uint8_t>((i & 7) * 36)});
    return t;
}

const std::vector<std::uint8_t>& StillGif() {
    static const std::vector<std::uint8_t> bytes = [] {
        testgif::Gif g;
        g.width = 1024;
        g.height = 768;
        g.globalTable = Table();
        testgif::Frame f;
        f.width = 1024;
        f.height = 768;
        f.pixels = PhotoIndexes(1024, 768, 1);
        g.frames = {f};
        return g.Encode();
    }();
    return bytes;
}

const std::vector<std::uint8_t>& AnimatedGif() {
    static const std::vector<std::uint8_t> bytes = [] {
        testgif::Gif g;
        g.width = 320;
        g.height = 240;
        g.globalTable = Table();
        g.loopCount = 0;
        for (int i = 0; i < 60; ++i) {
            testgif::Frame f;
            f.width = 320;
            f.height = 240;
            f.pixels = PhotoIndexes(320, 240, static_cast<unsigned>(i));
            f.gce = true;
            f.delay = 5;
            f.disposal = 1 + (i % 2);
            f.transparent = i % 3 == 0;
            f.transparentIndex = 0;
            f.interlaced = i % 4 == 0;
            g.frames.push_back(f);
        }
        return g.Encode();
    }();
    return bytes;
}

void OurDecode(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    for (auto _ : state) {
        htmlview::TGIFImage gif;
        const bool ok = gif.LoadFromBytes(bytes.data(), bytes.size());
        if (!ok) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(gif.CompositeImage().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}

struct Memory {
    const std::vector<std::uint8_t>* bytes;
    std::size_t pos;
};

int ReadMemory(GifFileType* f, GifByteType* out, int n) {
    auto* m = static_cast<Memory*>(f->UserData);
    const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(n), m->bytes->size() - m->pos);
    std::memcpy(out, m->bytes->data() + m->pos, k);
    m->pos += k;
    return static_cast<int>(k);
}

// giflib: decode every frame and turn its indexes into colours, as ours does.
void GiflibDecode(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint32_t> rgb;
    for (auto _ : state) {
        Memory m{&bytes, 0};
        int err = 0;
        GifFileType* f = DGifOpen(&m, ReadMemory, &err);
        if (!f || DGifSlurp(f) != GIF_OK) {
            state.SkipWithError("giflib failed");
            if (f) DGifCloseFile(f, &err);
            break;
        }
        for (int i = 0; i < f->ImageCount; ++i) {
            const SavedImage& img = f->SavedImages[i];
            const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : f->SColorMap;
            const std::size_t n = static_cast<std::size_t>(img.ImageDesc.Width) * img.ImageDesc.Height;
            rgb.resize(n);
            for (std::size_t k = 0; k < n; ++k) {
                const GifColorType& c = map->Colors[img.RasterBits[k] % map->ColorCount];
                rgb[k] = (static_cast<std::uint32_t>(c.Red) << 16) | (c.Green << 8) | c.Blue;
            }
            benchmark::DoNotOptimize(rgb.data());
        }
        DGifCloseFile(f, &err);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}

void BM_StillOurs(benchmark::State& s) { OurDecode(s, StillGif()); }
void BM_StillGiflib(benchmark::State& s) { GiflibDecode(s, StillGif()); }
void BM_AnimatedOurs(benchmark::State& s) { OurDecode(s, AnimatedGif()); }
void BM_AnimatedGiflib(benchmark::State& s) { GiflibDecode(s, AnimatedGif()); }

void BM_Dither640x480Rows(benchmark::State& state) {
    const auto photo = PhotoBgr(640, 480, 3);
    gui::PALETTEENTRY sys[256] = {}, pal[256];
    gui::GetStandardSystemPalette(sys);
    htmlview::BuildSharedPaletteEntries(sys, pal);
    std::vector<std::uint8_t> out(640 * 480);
    for (auto _ : state) {
        htmlview::DitherRows(640, 480, pal, 256, photo.data(), 640 * 3, out.data(), 640);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel("per picture");
}

void BM_Dither640x480Bitmap(benchmark::State& state) {
    gui::SetDisplayColorDepth(8);
    auto context = htmlview::THtmlContext::Acquire();
    context->RefreshDisplayDepth();
    const auto photo = PhotoBgr(640, 480, 3);
    gui::TBitmap src;
    src.SetPixelFormat(gui::pf24bit);
    src.SetSize(640, 480);
    for (int y = 0; y < 480; ++y) std::memcpy(src.ScanLine(y), &photo[static_cast<std::size_t>(y) * 640 * 3], 640 * 3);
    for (auto _ : state) {
        std::unique_ptr<gui::TBitmap> out(htmlview::DitherForScreen(&src, 8, htmlview::ThePalette()));
        benchmark::DoNotOptimize(out.get());
    }
    context.reset();
    gui::SetDisplayColorDepth(24);
    state.SetLabel("per picture, bitmap to bitmap");
}

}  // namespace

BENCHMARK(BM_StillOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StillGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimatedOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimatedGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dither640x480Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dither640x480Bitmap)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The bitmaps need the GUI layer's platform: off screen, as in the tests,
    // so the benchmark runs without a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#ifndef NDEBUG
    std::fputs("bench_gif: our code is a debug build; time a Release build (see README.md)\n", stderr);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
