// RegionFromMask (one scan, one ExtCreateRegion call) against the approach it
// replaces: one rectangle region per run, each combined into the result.
// Reports, per mask, the runs found and the time of each approach; the
// ratio is the per-run time over the scan time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"
#include "shapedwin/SwRegionAPI.h"

#ifdef KORVANE_HAVE_MENU_MASK
#include "content/pictures/Artists.h"
#include "content/pictures/Artwork.h"
#endif

using namespace gui;

namespace {

std::unique_ptr<TBitmap> MaskFromBits(int w, int h, const std::vector<bool>& black) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf1bit);
    bmp->SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<std::uint8_t*>(bmp->ScanLine(y));
        std::memset(row, 0xFF, static_cast<std::size_t>((w + 7) / 8));
        for (int x = 0; x < w; ++x)
            if (black[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)])
                row[x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x % 8)));
    }
    return bmp;
}

// The main menu's 294 x 441 outline: the artwork's own when it is built,
// otherwise a stand-in of the same size with curved and slanted edges.
std::unique_ptr<TBitmap> MenuMask() {
#ifdef KORVANE_HAVE_MENU_MASK
    return MaskFromBits(content::pic::kMenuWidth, content::pic::kMenuHeight, content::pic::MenuMaskBits());
#else
    const int w = 294, h = 441;
    std::vector<bool> bits(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool body = x < 222 && y >= 44 && y < 382 && x + y >= 58;
            const int dx = x - 242, dy = y - 62;
            const bool moon = dx * dx + dy * dy <= 50 * 50;
            const bool pillar = x >= 226 && x < 286 && y >= 100 && y < 440 - (x > 256 ? x - 256 : 256 - x);
            const bool bar = y >= 378 && y < 414 && x < 292;
            bits[static_cast<std::size_t>(y) * w + x] = body || moon || pillar || bar;
        }
    return MaskFromBits(w, h, bits);
#endif
}

// Blotchy noise: each pixel flips colour with probability 1/flip, so runs
// are `flip` pixels long on average.
std::unique_ptr<TBitmap> NoisyMask(int w, int h, unsigned flip) {
    std::mt19937 rng(2002);
    std::vector<bool> bits(static_cast<std::size_t>(w) * h);
    bool cur = false;
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (rng() % flip == 0) cur = !cur;
        bits[i] = cur;
    }
    return MaskFromBits(w, h, bits);
}

TBitmap* Mask(int which) {
    static std::unique_ptr<TBitmap> menu = MenuMask();
    static std::unique_ptr<TBitmap> noisy = NoisyMask(2000, 2000, 16);
    return which == 0 ? menu.get() : noisy.get();
}

// The ruled-out way: the same scan, but every run becomes a region of its
// own that is combined into the result at once.
HRGN RegionPerRun(TBitmap* mask, int h) {
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    const int w = mask->Width();
    for (int y = 0; y < h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(mask->ScanLine(y));
        int x = 0;
        while (x < w) {
            while (x < w && ((row[x >> 3] >> (7 - (x & 7))) & 1)) ++x;
            if (x >= w) break;
            const int start = x;
            while (x < w && !((row[x >> 3] >> (7 - (x & 7))) & 1)) ++x;
            HRGN run = CreateRectRgn(start, y, x, y + 1);
            CombineRgn(result, result, run, RGN_OR);
            DeleteObject(run);
        }
    }
    return result;
}

// The top `rows` rows of the mask; bounds are inclusive limits.
int Rows(benchmark::State& state, TBitmap* mask) {
    return state.range(1) > 0 ? static_cast<int>(state.range(1)) : mask->Height();
}

void SetCounters(benchmark::State& state, TBitmap* mask) {
    const auto block = shapedwin::MaskRegionData(mask, Rect(0, 0, mask->Width() - 1, Rows(state, mask) - 1));
    state.counters["runs"] = static_cast<double>((block.size() - 32) / 16);
}

void BM_RegionFromMask(benchmark::State& state) {
    TBitmap* mask = Mask(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        HRGN r = nullptr;
        shapedwin::RegionFromMask(r, mask, Rect(0, 0, mask->Width() - 1, Rows(state, mask) - 1));
        benchmark::DoNotOptimize(r);
        DeleteObject(r);
    }
    SetCounters(state, mask);
}

void BM_CombinePerRun(benchmark::State& state) {
    TBitmap* mask = Mask(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        HRGN r = RegionPerRun(mask, Rows(state, mask));
        benchmark::DoNotOptimize(r);
        DeleteObject(r);
    }
    SetCounters(state, mask);
}

}  // namespace

// Arguments: the mask (0: the menu's 294 x 441; 1: the 2000 x 2000 noisy
// one) and the rows taken from its top (0: all). Combining per run grows with
// the square of the runs, so on the noisy mask it is measured on growing top
// bands; the scan is measured on the same bands and on the whole mask.
BENCHMARK(BM_RegionFromMask)
    ->Args({0, 0})
    ->Args({1, 125})
    ->Args({1, 250})
    ->Args({1, 500})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CombinePerRun)->Args({0, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CombinePerRun)->Args({1, 125})->Args({1, 250})->Args({1, 500})->Unit(benchmark::kMillisecond)->Iterations(1);
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // The whole noisy mask one run at a time takes many minutes: only on request.
    if (std::getenv("KORVANE_BENCH_SLOW") != nullptr)
        benchmark::RegisterBenchmark("BM_CombinePerRun/whole-noisy", BM_CombinePerRun)
            ->Args({1, 0})
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
