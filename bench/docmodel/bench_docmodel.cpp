// Lays out and paints a page of about 1 MB of text with font changes, links
// and pictures (inline and floating) at 600 pixels, without a window.
// Reports the time of a layout and of painting the whole page in
// screen-sized bands, and the heap allocations of one layout.
#include <benchmark/benchmark.h>

#include "bench/common/AllocCount.h"

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <random>

#include "gui/windows/Forms.h"
#include "htmlview/HtmlImages.h"
#include "htmlview/HtmlSections.h"

namespace {

using namespace htmlview;
using namespace gui;

constexpr int PageWidth = 600;
constexpr int ViewHeight = 800;

struct LargePage {
    TSectionList doc;
    std::map<std::string, std::unique_ptr<TMemoryStream>> pictures;
    long long characters = 0;

    void AddPicture(const std::string& name, int w, int h, TColor c) {
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.SetSize(w, h);
        b.Canvas()->Brush()->SetColor(c);
        b.Canvas()->FillRect(Rect(0, 0, w, h));
        const auto bytes = b.SaveToBytes();
        auto s = std::make_unique<TMemoryStream>();
        s->Write(bytes.data(), static_cast<int>(bytes.size()));
        pictures[name] = std::move(s);
    }

    LargePage() {
        AddPicture("a.bmp", 64, 48, clRed);
        AddPicture("b.bmp", 120, 90, clBlue);
        AddPicture("c.bmp", 16, 16, clGreen);
        doc.OnGetImage = [this](const std::string& n) -> TStream* {
            auto it = pictures.find(n);
            return it == pictures.end() ? nullptr : it->second.get();
        };
        doc.FontName = "Arial";
        std::mt19937 rng(7);
        static const char* const words[] = {"music", "tracker", "module", "sample", "pattern", "the", "of",
                                            "remake", "channel", "a", "disk", "release", "instrument",
                                            "volume", "envelope", "order", "tempo", "and", "artist", "song"};
        TMyFont plain, bold, big;
        plain.SetName("Arial");
        plain.SetSize(12);
        bold.Assign(&plain);
        bold.SetStyle(TFontStyles{fsBold});
        big.Assign(&plain);
        big.NormalSize = 18;
        big.SetSize(18);
        const TImageSymbols& sy = DefaultImageSymbols;
        int source = 0;
        while (characters < 1000000) {
            auto s = std::make_unique<TSection>(&doc, static_cast<std::uint8_t>(1 + rng() % 3), nullptr, plain, 0);
            const int words_in_paragraph = 60 + static_cast<int>(rng() % 120);
            for (int w = 0; w < words_in_paragraph; ++w) {
                const unsigned r = rng() % 100;
                if (r < 4) {
                    TUrlTarget url("page" + std::to_string(rng() % 50) + ".htm", "");
                    s->ChangeFontAndLink(true, plain, &url);
                } else if (r < 8) {
                    s->ChangeFontAndLink(false, plain, nullptr);
                } else if (r < 11) {
                    s->ChangeFont(rng() % 2 ? bold : big);
                } else if (r < 13) {
                    s->ChangeFont(plain);
                } else if (r < 14) {
                    TAttributeList a;
                    const char* names[] = {"a.bmp", "b.bmp", "c.bmp"};
                    a.AddAttribute(sy.Src, 0, names[rng() % 3]);
                    const unsigned align = rng() % 4;
                    if (align == 1) a.AddAttribute(sy.Align, 0, "left");
                    if (align == 2) a.AddAttribute(sy.Align, 0, "right");
                    if (align == 3) a.AddAttribute(sy.Align, 0, "middle");
                    s->AddImage(a, source++);
                }
                TokenObj t;
                const std::string word = words[rng() % std::size(words)];
                for (char c : word) t.AddChar(c, source++);
                t.AddChar(' ', source++);
                s->AppendText(t);
            }
            characters += s->Len;
            doc.AddSection(std::move(s));
        }
        doc.RefreshFonts();
    }
};

LargePage& Page() {
    static LargePage* page = [] {
        InitApplication();
        return new LargePage;
    }();
    return *page;
}

void BM_LayOut(benchmark::State& state) {
    LargePage& page = Page();
    TBitmap surface;
    surface.SetPixelFormat(pf24bit);
    surface.SetSize(PageWidth, ViewHeight);
    long long allocs = 0, layouts = 0;
    int height = 0;
    for (auto _ : state) {
        const long long before = bench::Allocations();
        int scroll = 0, curs = 0;
        height = page.doc.DoLayout(surface.Canvas(), 0, PageWidth, scroll, curs);
        allocs += bench::Allocations() - before;
        ++layouts;
    }
    state.counters["allocs/layout"] = static_cast<double>(allocs) / static_cast<double>(layouts);
    state.counters["height"] = height;
    state.counters["chars"] = static_cast<double>(page.characters);
    state.counters["sections"] = page.doc.Count();
}

void BM_PaintWholePage(benchmark::State& state) {
    LargePage& page = Page();
    TBitmap surface;
    surface.SetPixelFormat(pf24bit);
    surface.SetSize(PageWidth, ViewHeight);
    int scroll = 0, curs = 0;
    const int height = page.doc.DoLayout(surface.Canvas(), 0, PageWidth, scroll, curs);
    long long bands = 0;
    for (auto _ : state) {
        for (int top = 0; top < height; top += ViewHeight) {
            page.doc.SetYOffset(top);
            surface.Canvas()->Brush()->SetColor(clWhite);
            surface.Canvas()->FillRect(Rect(0, 0, PageWidth, ViewHeight));
            page.doc.Draw(surface.Canvas(), Rect(0, 0, PageWidth, ViewHeight), 0, 0, PageWidth);
            ++bands;
        }
    }
    state.counters["bands"] = static_cast<double>(bands) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_LayOut)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PaintWholePage)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
