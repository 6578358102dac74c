// The page corpus: pages in the manner of the late 1990s (sliced pictures
// with spacers, layout tables, navigation bars, floated photos, image maps,
// FONT soup, forms in tables, long listings), their pictures made from their
// names. At every width from 400 to 1200: the first layout equals the second
// and equals a layout after other widths, no picture is wider than its cell
// unless its table is wider than the page, sections and cells keep to their
// bands, and every picture and link is placed inside the document.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "htmlview/builder/BuildKit.h"
#include "htmlview/corpus/CorpusPictures.h"

using namespace buildkit;

namespace {

const std::string PagesDir = KORVANE_CORPUS_DIR;

std::vector<std::string> CorpusPages() {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(PagesDir))
        if (e.path().extension() == ".htm") out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string ReadFile(const std::string& name) {
    std::ifstream f(PagesDir + "/" + name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// A page parsed into its own document, its pictures served by name.
struct Laid {
    Built b;
    std::map<std::string, std::unique_ptr<TMemoryStream>> streams;
    std::map<std::string, int> requests;
    TBitmap surface;
    int width = 0, height = 0, scrollWidth = 0;

    explicit Laid(const std::string& html, std::shared_ptr<THtmlContext> context) {
        b.doc().Context = std::move(context);
        b.doc().OnGetImage = [this](const std::string& n) -> TStream* {
            ++requests[n];
            auto& s = streams[n];
            if (!s) {
                const corpus::Bytes bytes = corpus::PictureFor(n);
                if (bytes.empty()) return nullptr;
                s = std::make_unique<TMemoryStream>();
                s->Write(bytes.data(), static_cast<int>(bytes.size()));
            }
            return s.get();
        };
        b.Parse(html);
        surface.SetPixelFormat(pf24bit);
        surface.SetSize(1200, 500);
    }
    void LayOut(int w) {
        width = w;
        int curs = 0;
        height = b.doc().DoLayout(surface.Canvas(), 0, w, scrollWidth, curs);
    }
    void PaintAll() {
        for (int y = 0; y < height; y += 500) {
            b.doc().SetYOffset(y);
            b.doc().Draw(surface.Canvas(), Rect(0, 0, 1200, 500), 0, 0, width);
        }
        b.doc().SetYOffset(0);
    }
};

// Every place the layout decided, as text: two layouts are equal when their
// snapshots are.
void Snap(std::ostream& o, const TCell& cell);

void Snap(std::ostream& o, TSectionBase* s) {
    o << "s " << s->YValue << ' ' << s->SectionHeight << ' ' << s->DrawHeight << '\n';
    if (auto* t = dynamic_cast<TSection*>(s)) {
        for (const LineRec& l : t->Lines())
            o << " l " << l.Start << ' ' << l.Ln << ' ' << l.LineHt << ' ' << l.SpaceBefore << ' ' << l.SpaceAfter
              << ' ' << l.LineLeftX << '\n';
        for (int i = 0; i < t->Images->Count(); ++i) {
            const TImageObj* img = t->Images->Image(i);
            o << " i " << img->ImageWidth << 'x' << img->ImageHeight << ' ' << img->Indent << '\n';
        }
    }
    if (auto* t = dynamic_cast<ThtmlTable*>(s)) {
        o << " t " << t->TotalWidth << ' ' << t->Indent;
        for (int c = 0; c < t->ColCount; ++c) o << ' ' << t->ColumnWidth(c);
        o << '\n';
        for (int r = 0; r < t->RowCount(); ++r)
            for (int c = 0; c < t->Row(r)->Count(); ++c)
                if (TCellObj* cell = t->Row(r)->CellObj(c); cell && !cell->IsPlaceholder()) {
                    o << " c " << r << ' ' << c << ' ' << cell->Wd << ' ' << cell->Ht << ' ' << cell->YIndent << '\n';
                    Snap(o, *cell->Cell);
                }
        Snap(o, *t->Caption->Cell);
    }
}

void Snap(std::ostream& o, const TCell& cell) {
    for (int i = 0; i < cell.Count(); ++i) Snap(o, cell.Section(i));
}

std::string Snapshot(const Laid& l) {
    std::ostringstream o;
    o << l.height << ' ' << l.scrollWidth << '\n';
    Snap(o, l.b.page.doc);
    return o.str();
}

// Walks every table cell and text section of the document.
struct Walker {
    std::function<void(ThtmlTable*, TCellObj*)> OnCell;
    std::function<void(TSection*)> OnText;
    void Cell(const TCell& cell) {
        for (int i = 0; i < cell.Count(); ++i) {
            TSectionBase* s = cell.Section(i);
            if (auto* t = dynamic_cast<TSection*>(s); t && OnText) OnText(t);
            if (auto* t = dynamic_cast<ThtmlTable*>(s)) {
                for (int r = 0; r < t->RowCount(); ++r)
                    for (int c = 0; c < t->Row(r)->Count(); ++c)
                        if (TCellObj* co = t->Row(r)->CellObj(c); co && !co->IsPlaceholder()) {
                            if (OnCell) OnCell(t, co);
                            Cell(*co->Cell);
                        }
                Cell(*t->Caption->Cell);
            }
        }
    }
};

// Sections follow one another down a cell without overlapping.
void CheckBands(const TCell& cell, const std::string& where) {
    for (int i = 1; i < cell.Count(); ++i) {
        const TSectionBase* a = cell.Section(i - 1);
        const TSectionBase* b = cell.Section(i);
        EXPECT_GE(b->YValue, a->YValue + a->SectionHeight) << where << " section " << i;
    }
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST(CorpusPictures, NamesGivePictures) {
    int w = 0, h = 0;
    EXPECT_TRUE(corpus::SizeOf("logo-277x73", w, h));
    EXPECT_EQ(w, 277);
    EXPECT_EQ(h, 73);
    EXPECT_TRUE(corpus::SizeOf("huge-9999x5", w, h));
    EXPECT_EQ(w, 1024);  // held
    EXPECT_FALSE(corpus::SizeOf("plain", w, h));
    EXPECT_FALSE(corpus::PictureFor("images/spacer.gif").empty());
    EXPECT_FALSE(corpus::PictureFor("a-3x4.jpg").empty());
    EXPECT_FALSE(corpus::PictureFor("a-3x4.bmp").empty());
    EXPECT_TRUE(corpus::PictureFor("gone.gif").empty());
}

TEST(CorpusPictures, TheCorpusHoldsTwentyPages) { EXPECT_GE(CorpusPages().size(), 20u); }

TEST_P(Corpus, InvariantsHoldAtEveryWidth) {
    auto context = THtmlContext::Acquire();
    const std::string html = ReadFile(GetParam());
    ASSERT_FALSE(html.empty());
    Laid sweep(html, context);  // laid out at every width in turn
    for (int w = 400; w <= 1200; w += 100) {
        const std::string at = GetParam() + " at " + std::to_string(w);
        Laid l(html, context);
        l.LayOut(w);
        const std::string first = Snapshot(l);
        l.LayOut(w);
        EXPECT_EQ(first, Snapshot(l)) << at << ": the second layout differs from the first";
        sweep.LayOut(w);
        EXPECT_EQ(first, Snapshot(sweep)) << at << ": a layout after other widths differs";
        for (const auto& [name, n] : l.requests) {
            if (!l.streams[name]) continue;  // a missing picture is asked for by each of its uses
            EXPECT_EQ(n, 1) << at << ": " << name << " fetched " << n << " times";
        }

        CheckBands(l.b.page.doc, at);
        Walker cells;
        cells.OnCell = [&](ThtmlTable* t, TCellObj* c) {
            CheckBands(*c->Cell, at);
            const int pad = t->CellPadding, content = c->Wd - t->CellSpacing - 2 * pad;
            // The content, floats included, stays inside the cell's rows.
            int bottom = c->Cell->YValue;
            for (int i = 0; i < c->Cell->Count(); ++i) {
                const TSectionBase* s = c->Cell->Section(i);
                bottom = std::max(bottom, s->YValue + std::max(s->SectionHeight, s->DrawHeight));
            }
            EXPECT_LE(bottom - c->Cell->YValue + c->YIndent, c->Ht - t->CellSpacing - 2 * pad) << at << ": cell content too tall";
            if (t->TotalWidth > w) return;  // a table wider than the page may crowd its pictures
            for (int i = 0; i < c->Cell->Count(); ++i) {
                auto* s = dynamic_cast<TSection*>(c->Cell->Section(i));
                for (int k = 0; s && k < s->Images->Count(); ++k)
                    EXPECT_LE(s->Images->Image(k)->ImageWidth, content)
                        << at << ": " << s->Images->Image(k)->Source << " wider than its cell";
            }
        };
        cells.Cell(l.b.page.doc);

        l.PaintAll();
        const int docW = std::max(w, l.scrollWidth);
        Walker placed;
        placed.OnText = [&](TSection* s) {
            for (int k = 0; k < s->Images->Count(); ++k) {
                const TImageObj* img = s->Images->Image(k);
                const std::string what = at + ": " + img->Source;
                EXPECT_GE(img->DrawX, 0) << what;
                EXPECT_GE(img->DrawY, 0) << what;
                EXPECT_LE(img->DrawX + img->ImageWidth, docW) << what;
                EXPECT_LE(img->DrawY + img->ImageHeight, l.height) << what;
            }
        };
        placed.Cell(l.b.page.doc);
        for (TFontObj* f : l.b.doc().LinkList) {
            for (const LineRec& line : f->Section->Lines()) {
                if (f->Pos < line.Start || f->Pos >= line.Start + line.Ln) continue;
                const std::string what = at + ": link " + f->UrlTarget.Url;
                EXPECT_GE(line.DrawXX, 0) << what;
                EXPECT_LT(line.DrawXX, docW) << what;
                EXPECT_GE(line.DrawY, 0) << what;
                EXPECT_LE(line.DrawY + line.LineHt, l.height) << what;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, Corpus, ::testing::ValuesIn(CorpusPages()),
                         [](const ::testing::TestParamInfo<std::string>& i) {
                             std::string n = i.param.substr(0, i.param.find('.'));
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

}  // namespace
