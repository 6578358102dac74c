// Lays out (and paints in screen-sized bands) a page holding a table of N
// rows by 20 columns, with spans, percentage and pixel widths, and a table
// nested two deep in every tenth row, at 600 pixels and without a window.
// BM_LayOut runs N = 50, 100, 200 and 400 and fits the growth in N, which
// must stay linear; the heap allocations per row of one layout show the
// work per row apart from the cache effects in the timings.
#include <benchmark/benchmark.h>

#include "bench/common/AllocCount.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "gui/windows/Forms.h"
#include "htmlview/HtmlBlocks.h"

namespace {

using namespace htmlview;
using namespace gui;

constexpr int PageWidth = 600;
constexpr int ViewHeight = 800;
constexpr int Columns = 20;

const TTableSymbols& Sy = DefaultTableSymbols;

// Built by appending (GCC 12 warns falsely on a literal plus a string).
std::string Join(const char* a, int n, const char* b) {
    std::string s(a);
    s += std::to_string(n);
    s += b;
    return s;
}

struct TablePage {
    TSectionList doc;
    TMyFont font;

    explicit TablePage(int rows) {
        font.SetName("Arial");
        font.SetSize(10);
        font.SetColor(clBlack);
        doc.Background = clWhite;
        TAttributeList attrs;
        attrs.AddAttribute(Sy.Border, 1, "1");
        attrs.AddAttribute(Sy.Width, 100, "100%");
        auto table = std::make_unique<ThtmlTable>(&doc, 0, &doc, ThtmlTable::ALeft, attrs);
        AddText(table->Caption->Cell.get(), Join("A table of ", rows, " rows"));
        for (int r = 0; r < rows; ++r) {
            auto row = std::make_unique<TCellList>();
            for (int c = 0; c < Columns; ++c) {
                if (r % 11 == 6 && c == 8) continue;  // under the row span above
                TAttributeList a;
                if (r == 0 && c == 0) a.AddAttribute(Sy.Width, 10, "10%");
                if (r == 0 && c == 1) a.AddAttribute(Sy.Width, 40, "40");
                if (r % 7 == 3 && c == 4) {
                    a.AddAttribute(Sy.ColSpan, 2, "2");
                    a.AddAttribute(Sy.BgColor, 0, "silver");
                }
                if (r % 11 == 5 && c == 8) a.AddAttribute(Sy.RowSpan, 2, "2");
                auto cell = std::make_unique<TCellObj>(&doc, a, std::uint8_t{1});
                if (r % 10 == 0 && c == 2)
                    cell->Cell->AddSection(Nested(cell->Cell.get(), 2));
                else
                    AddText(cell->Cell.get(), Join("r", r, " text"));
                row->AddCell(std::move(cell));
                if (r % 7 == 3 && c == 4) ++c;  // the span covers the next column
            }
            table->AddRow(std::move(row));
        }
        doc.AddSection(std::move(table));
    }

    // A 3 x 3 table whose middle cell holds the next level down.
    std::unique_ptr<ThtmlTable> Nested(TCell* owner, int depth) {
        auto t = std::make_unique<ThtmlTable>(owner, 0, &doc, ThtmlTable::ALeft, TAttributeList());
        for (int r = 0; r < 3; ++r) {
            auto row = std::make_unique<TCellList>();
            for (int c = 0; c < 3; ++c) {
                auto cell = std::make_unique<TCellObj>(&doc, TAttributeList(), std::uint8_t{0});
                if (depth > 1 && r == 1 && c == 1)
                    cell->Cell->AddSection(Nested(cell->Cell.get(), depth - 1));
                else
                    AddText(cell->Cell.get(), Join("n", depth, ""));
                row->AddCell(std::move(cell));
            }
            t->AddRow(std::move(row));
        }
        return t;
    }

    void AddText(TCell* cell, const std::string& text) {
        auto s = std::make_unique<TSection>(cell, TSection::Left, nullptr, font, 0);
        TokenObj t;
        for (std::size_t i = 0; i < text.size(); ++i) t.AddChar(text[i], static_cast<int>(i));
        s->AppendText(t);
        cell->AddSection(std::move(s));
    }
};

void Init() {
    static bool done = [] {
        InitApplication();
        return true;
    }();
    (void)done;
}

void BM_LayOut(benchmark::State& state) {
    Init();
    const int rows = static_cast<int>(state.range(0));
    TablePage page(rows);
    TBitmap surface;
    surface.SetPixelFormat(pf24bit);
    surface.SetSize(PageWidth, ViewHeight);
    int height = 0;
    long long allocs = 0;
    for (auto _ : state) {
        const long long before = bench::Allocations();
        int scroll = 0, curs = 0;
        height = page.doc.DoLayout(surface.Canvas(), 0, PageWidth, scroll, curs);
        allocs += bench::Allocations() - before;
    }
    state.SetComplexityN(rows);
    state.counters["allocs/row"] =
        static_cast<double>(allocs) / static_cast<double>(state.iterations()) / static_cast<double>(rows);
    state.counters["height"] = height;
    state.counters["rows"] = rows;
}

void BM_PaintWholePage(benchmark::State& state) {
    Init();
    TablePage page(static_cast<int>(state.range(0)));
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

BENCHMARK(BM_LayOut)->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_PaintWholePage)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
