// Tables laid out, painted and queried on a bitmap: attribute limits, the
// grid with spans, column widths in pixels, row heights, captions, floats,
// nested tables, backgrounds and frames, hit tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "gui/windows/TestKit.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/common/DocKit.h"

using namespace dockit;

namespace {

const TTableSymbols& Sy = DefaultTableSymbols;

// Attributes as the tokenizer gives them: the number read from the text,
// and the text itself.
std::unique_ptr<TAttributeList> Attrs(std::vector<std::pair<std::uint8_t, std::string>> list) {
    auto a = std::make_unique<TAttributeList>();
    for (auto& [sym, text] : list) a->AddAttribute(sym, std::atoi(text.c_str()), text);
    return a;
}

class Tables : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override {
        ReleaseViewerCursors();
        DoneApplication();
    }

    Page p;

    ThtmlTable* NewTable(std::vector<std::pair<std::uint8_t, std::string>> a = {}, TCell* owner = nullptr) {
        owned = std::make_unique<ThtmlTable>(owner ? owner : &p.doc, 0, &p.doc, ThtmlTable::ALeft, *Attrs(std::move(a)));
        return owned.get();
    }
    // Adds the table built last to a cell (the document by default).
    ThtmlTable* Place(TCell* into = nullptr) {
        ThtmlTable* t = owned.get();
        (into ? into : &p.doc)->AddSection(std::move(owned));
        return t;
    }
    TCellList* NewRow(ThtmlTable* t, std::vector<std::pair<std::uint8_t, std::string>> a = {}) {
        auto row = std::make_unique<TCellList>(*Attrs(std::move(a)));
        TCellList* raw = row.get();
        t->AddRow(std::move(row));
        return raw;
    }
    // A cell holding one text section; the section is returned.
    TSection* AddCell(TCellList* row, const std::string& text, std::vector<std::pair<std::uint8_t, std::string>> a = {},
                      std::uint8_t valign = 1, TCellObj** cellOut = nullptr) {
        auto c = std::make_unique<TCellObj>(&p.doc, *Attrs(std::move(a)), valign);
        TSection* s = nullptr;
        if (!text.empty()) s = AddText(c->Cell.get(), text);
        if (cellOut) *cellOut = c.get();
        row->AddCell(std::move(c));
        return s;
    }
    TSection* AddText(TCell* cell, const std::string& text, const TUrlTarget* url = nullptr) {
        auto s = std::make_unique<TSection>(cell, TSection::Left, url, p.font, 0);
        s->AppendText(*Tok(text));
        TSection* raw = s.get();
        cell->AddSection(std::move(s));
        return raw;
    }
    TSection* AddDocText(const std::string& text) {
        auto s = p.Section();
        s->AppendText(*Tok(text));
        return p.Add(std::move(s));
    }
    int LineX(const TSection* s) const { return s->Lines().at(0).DrawXX; }
    int LineTop(const TSection* s) const { return s->Lines().at(0).Top; }
    int LineHt(const TSection* s) const { return s->Lines().at(0).Band(); }
    void LayOutAndPaint(int width = 600) {
        p.LayOut(width);
        p.Paint(width);
    }
    TColor Pixel(int x, int y) { return p.Canvas()->Pixels(x, y) & 0xFFFFFF; }

    std::unique_ptr<ThtmlTable> owned;
};

}  // namespace

// ---- Attributes ------------------------------------------------------------------------------

TEST_F(Tables, SpacingAndPaddingAreLimitedAndNegativeValuesKeepTheDefaults) {
    auto* t = NewTable({{Sy.CellSpacing, "100"}, {Sy.CellPadding, "80"}});
    EXPECT_EQ(t->CellSpacing, 40);
    EXPECT_EQ(t->CellPadding, 50);
    t = NewTable({{Sy.CellSpacing, "-3"}, {Sy.CellPadding, "-1"}, {Sy.HSpace, "-70"}, {Sy.VSpace, "900"}});
    EXPECT_EQ(t->CellSpacing, 2);
    EXPECT_EQ(t->CellPadding, 1);
    EXPECT_EQ(t->HSpace, 40);
    EXPECT_EQ(t->VSpace, 200);
    // A border widens the spacing by two; a border of 0 is no border.
    EXPECT_EQ(NewTable({{Sy.Border, "1"}, {Sy.CellSpacing, "0"}})->CellSpacing, 2);
    EXPECT_EQ(NewTable({{Sy.Border, "1"}, {Sy.CellSpacing, "5"}})->CellSpacing, 7);
    auto* none = NewTable({{Sy.Border, "0"}, {Sy.CellSpacing, "5"}});
    EXPECT_FALSE(none->BorderOn);
    EXPECT_EQ(none->CellSpacing, 5);
}

TEST_F(Tables, AlignmentFloatsOnlyForLeftAndRight) {
    auto* t = NewTable({{Sy.Align, "center"}});
    EXPECT_EQ(t->Justify, ThtmlTable::ACentre);
    EXPECT_FALSE(t->Float);
    t = NewTable({{Sy.Align, "Right"}});
    EXPECT_EQ(t->Justify, ThtmlTable::ARight);
    EXPECT_TRUE(t->Float);
    t = NewTable({{Sy.Align, "middle"}});
    EXPECT_EQ(t->Justify, ThtmlTable::ALeft);
    EXPECT_FALSE(t->Float);
}

TEST_F(Tables, ColoursParseByNameAndHexAndMatchThePalette) {
    TColor c = 0;
    ASSERT_TRUE(ParseHtmlColor("navy", c));
    EXPECT_EQ(c, static_cast<TColor>(0x02800000));
    ASSERT_TRUE(ParseHtmlColor("#FF8000", c));
    EXPECT_EQ(c, static_cast<TColor>(0x020080FF));
    ASSERT_TRUE(ParseHtmlColor("00ff00", c));
    EXPECT_EQ(c, static_cast<TColor>(0x0200FF00));
    // Short values are padded on the right, as pages written for it expect.
    ASSERT_TRUE(ParseHtmlColor("#12345", c));
    EXPECT_EQ(c, static_cast<TColor>(0x02503412));
    EXPECT_FALSE(ParseHtmlColor("nocolour", c));
}

// ---- Column widths ------------------------------------------------------------------------------

TEST_F(Tables, PercentColumnsOfAFixedWidthTableRoundToNearestAndGiveBackTheExcess) {
    NewTable({{Sy.Width, "600"}});
    auto* row = NewRow(owned.get());
    TSection* a = AddCell(row, "a", {{Sy.Width, "25%"}});
    TSection* b = AddCell(row, "b", {{Sy.Width, "75%"}});
    auto* t = Place();
    LayOutAndPaint(700);
    // 598 pixels to share: 149.5 and 448.5 round up to 150 and 449; the one
    // pixel too many is taken back in proportion, 0.25 and 0.75 of it, which
    // round to nothing from the first column and one from the second.
    EXPECT_EQ(t->ColumnWidth(0), 150);
    EXPECT_EQ(t->ColumnWidth(1), 448);
    EXPECT_EQ(t->TableWidth, 600);
    EXPECT_EQ(LineX(a), 3);
    EXPECT_EQ(LineX(b), 150 + 3);
}

TEST_F(Tables, APixelCellBesideAnAutomaticOneInAFixedTable) {
    NewTable({{Sy.Width, "300"}});
    auto* row = NewRow(owned.get());
    AddCell(row, "a", {{Sy.Width, "100"}});
    TSection* b = AddCell(row, "b");
    auto* t = Place();
    LayOutAndPaint();
    // 100 pixels plus padding and spacing; the automatic cell takes the rest.
    EXPECT_EQ(t->ColumnWidth(0), 104);
    EXPECT_EQ(t->ColumnWidth(1), 194);
    EXPECT_EQ(LineX(b), 104 + 3);
    EXPECT_EQ(t->TableWidth, 300);
}

TEST_F(Tables, APercentTableTakesItsShareOfTheColumnLessTheSpacing) {
    NewTable({{Sy.Width, "50%"}});
    TSection* a = AddCell(NewRow(owned.get()), "a");
    auto* t = Place();
    LayOutAndPaint(600);
    EXPECT_EQ(t->ColumnWidth(0), 298);
    EXPECT_EQ(t->TableWidth, 300);
    EXPECT_EQ(LineX(a), 3);

    Page q;  // centred: the same table in the middle of the column
    auto c = std::make_unique<ThtmlTable>(&q.doc, 0, &q.doc, ThtmlTable::ALeft,
                                          *Attrs({{Sy.Width, "50%"}, {Sy.Align, "center"}}));
    auto row = std::make_unique<TCellList>();
    auto cell = std::make_unique<TCellObj>(&q.doc, TAttributeList(), std::uint8_t{1});
    TSection* s = AddText(cell->Cell.get(), "a");
    row->AddCell(std::move(cell));
    c->AddRow(std::move(row));
    q.doc.AddSection(std::move(c));
    q.LayOut(600);
    q.Paint(600);
    EXPECT_EQ(LineX(s), 150 + 3);
}

TEST_F(Tables, APercentWidthOutOfRangeIsNoWidth) {
    NewTable({{Sy.Width, "150%"}});
    AddCell(NewRow(owned.get()), "a");
    auto* t = Place();
    p.LayOut(600);
    // Automatic: the column is as wide as its content.
    EXPECT_EQ(t->TableWidth, p.Width("a") + 4 + 2);
}

TEST_F(Tables, APixelWidthCellHasEqualMinimumAndMaximum) {
    NewTable();
    AddCell(NewRow(owned.get()), "a", {{Sy.Width, "150"}});
    int mn = 0, mx = 0;
    owned->MeasureWidths(p.Canvas(), mn, mx);
    EXPECT_EQ(mn, 150 + 4 + 2);
    EXPECT_EQ(mx, 150 + 4 + 2);
}

TEST_F(Tables, AutomaticColumnsGetTheirMaximumsOrShareTheRoomBetweenMinimumAndMaximum) {
    NewTable();
    auto* row = NewRow(owned.get());
    AddCell(row, "aaa aaa");
    TSection* b = AddCell(row, "bbbbbb bbbbbb bbbbbb");
    auto* t = Place();
    p.LayOut(650);
    const int max0 = p.Width("aaa aaa") + 4, max1 = p.Width("bbbbbb bbbbbb bbbbbb") + 4;
    EXPECT_EQ(t->ColumnWidth(0), max0);
    EXPECT_EQ(t->ColumnWidth(1), max1);

    // Narrower than both maximums: each column gets its minimum plus a share
    // of the room in proportion to its own slack; everything fits exactly.
    const int min0 = p.Width("aaa") + 4, min1 = p.Width("bbbbbb") + 4;
    const int target = min0 + min1 + (max0 + max1 - min0 - min1) / 2;
    p.LayOut(target + 2);
    EXPECT_GE(t->ColumnWidth(0), min0);
    EXPECT_LT(t->ColumnWidth(0), max0);
    EXPECT_GE(t->ColumnWidth(1), min1);
    EXPECT_LT(t->ColumnWidth(1), max1);
    EXPECT_LE(std::abs(t->ColumnWidth(0) + t->ColumnWidth(1) - target), 1);
    // Text wrapped to the narrower cell.
    EXPECT_GT(b->Lines().size(), 1u);
}

TEST_F(Tables, TooNarrowForTheMinimumsTheTableOverflows) {
    NewTable({{Sy.Width, "40"}});
    auto* row = NewRow(owned.get());
    AddCell(row, "wwwwwwww");
    AddCell(row, "mmmmmmmm");
    auto* t = Place();
    int sw = 0;
    p.LayOut(600, &sw);
    EXPECT_EQ(t->ColumnWidth(0), p.Width("wwwwwwww") + 4);
    EXPECT_EQ(t->ColumnWidth(1), p.Width("mmmmmmmm") + 4);
    EXPECT_EQ(sw, t->TableWidth);
}

TEST_F(Tables, ASpanningCellWidensTheColumnsItSpans) {
    NewTable();
    auto* r1 = NewRow(owned.get());
    TCellObj* wide = nullptr;
    AddCell(r1, "x", {{Sy.ColSpan, "2"}, {Sy.Width, "300"}}, 1, &wide);
    auto* r2 = NewRow(owned.get());
    AddCell(r2, "a");
    TSection* b = AddCell(r2, "b");
    auto* t = Place();
    LayOutAndPaint();
    // The two columns together hold the 300 pixels plus padding and spacing.
    EXPECT_EQ(t->ColumnWidth(0) + t->ColumnWidth(1), 304);
    EXPECT_EQ(wide->Wd, 304);
    EXPECT_EQ(LineX(b), t->ColumnWidth(0) + 3);
}

TEST_F(Tables, AHalfColumnInAnAutomaticTableMakesItJustWideEnoughToBeHalf) {
    NewTable();
    auto* row = NewRow(owned.get());
    TSection* a = AddCell(row, "a", {{Sy.Width, "50%"}});
    TSection* b = AddCell(row, "bbbbbbbbbb");
    auto* t = Place();
    LayOutAndPaint(600);
    // The wider content decides: both halves are as wide as it.
    const int half = std::max(p.Width("a"), p.Width("bbbbbbbbbb")) + 4;
    EXPECT_EQ(t->ColumnWidth(0), half);
    EXPECT_EQ(t->ColumnWidth(1), half);
    EXPECT_EQ(LineX(a), 3);
    EXPECT_EQ(LineX(b), half + 3);
}

TEST_F(Tables, ASpanningPercentageIsSharedByTheColumnsItSpans) {
    NewTable({{Sy.Width, "500"}});
    AddCell(NewRow(owned.get()), "x", {{Sy.ColSpan, "2"}, {Sy.Width, "60%"}});
    auto* r2 = NewRow(owned.get());
    AddCell(r2, "a");
    TSection* b = AddCell(r2, "bbbbbbbbbbbb");
    auto* t = Place();
    LayOutAndPaint(600);
    // 30 % each: 149 of the 498 pixels, then the rest shared by percentage.
    EXPECT_EQ(t->ColumnWidth(0), 249);
    EXPECT_EQ(t->ColumnWidth(1), 249);
    EXPECT_EQ(LineX(b), 249 + 3);
}

// ---- The grid --------------------------------------------------------------------------------

TEST_F(Tables, AColumnSpanOfThreeInARowOfTwoGivesFourColumns) {
    NewTable();
    auto* r1 = NewRow(owned.get());
    TCellObj* a = nullptr;
    TSection* sa = AddCell(r1, "a", {{Sy.ColSpan, "3"}}, 1, &a);
    TSection* sb = AddCell(r1, "b");
    auto* r2 = NewRow(owned.get());
    AddCell(r2, "c");
    AddCell(r2, "d");
    auto* t = Place();
    LayOutAndPaint();
    EXPECT_EQ(t->ColCount, 4);
    EXPECT_EQ(r1->Count(), 4);
    EXPECT_EQ(LineX(sb), LineX(sa) + a->Wd);
}

TEST_F(Tables, RowSpansBeyondTheLastRowAreCutAndTheRowsBelowKeepTheirColumns) {
    NewTable();
    auto* r1 = NewRow(owned.get());
    TCellObj* a = nullptr;
    AddCell(r1, "a", {{Sy.RowSpan, "5"}}, 1, &a);
    TSection* b = AddCell(r1, "b");
    auto* r2 = NewRow(owned.get());
    TSection* c = AddCell(r2, "c");
    auto* t = Place();
    LayOutAndPaint();
    EXPECT_EQ(a->RowSpan, 2);
    ASSERT_EQ(r2->Count(), 2);
    EXPECT_TRUE(r2->CellObj(0)->IsPlaceholder());
    // c sits under b, and a covers both rows.
    EXPECT_EQ(LineX(c), LineX(b));
    EXPECT_EQ(a->Ht, r1->RowHeight + r2->RowHeight);
    EXPECT_EQ(t->SectionHeight, r1->RowHeight + r2->RowHeight + 2);
}

TEST_F(Tables, ASpanIntoAShortRowIsPaddedToItsColumn) {
    NewTable();
    auto* r1 = NewRow(owned.get());
    AddCell(r1, "a");
    AddCell(r1, "b");
    TSection* c = AddCell(r1, "c", {{Sy.RowSpan, "2"}});
    auto* r2 = NewRow(owned.get());
    TSection* d = AddCell(r2, "d");
    Place();
    LayOutAndPaint();
    ASSERT_EQ(r2->Count(), 3);
    EXPECT_EQ(r2->CellObj(1), nullptr);
    EXPECT_TRUE(r2->CellObj(2)->IsPlaceholder());
    EXPECT_EQ(LineX(d), 3);
    EXPECT_GT(LineX(c), LineX(d));
}

TEST_F(Tables, ColumnAndRowSpanTogetherCoverABlock) {
    NewTable();
    auto* r1 = NewRow(owned.get());
    TCellObj* big = nullptr;
    AddCell(r1, "big", {{Sy.ColSpan, "2"}, {Sy.RowSpan, "2"}}, 1, &big);
    TSection* r1c = AddCell(r1, "r1");
    auto* r2 = NewRow(owned.get());
    TSection* r2c = AddCell(r2, "r2");
    auto* r3 = NewRow(owned.get());
    TSection* l3 = AddCell(r3, "l3");
    auto* t = Place();
    LayOutAndPaint();
    EXPECT_EQ(t->ColCount, 3);
    EXPECT_EQ(LineX(r2c), LineX(r1c));
    EXPECT_EQ(LineX(l3), 3);
    EXPECT_EQ(big->Ht, r1->RowHeight + r2->RowHeight);
    EXPECT_EQ(LineX(r1c), big->Wd + 3);
}

TEST_F(Tables, MoreThanTwoHundredColumnsDropTheTableAndReportIt) {
    NewTable();
    AddCell(NewRow(owned.get()), "a", {{Sy.ColSpan, "250"}});
    Place();
    TSection* after = AddDocText("after");
    p.LayOut(600);
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_EQ(p.errors[0], "Table has too many Columns");
    ASSERT_EQ(p.doc.Count(), 1);
    EXPECT_EQ(p.doc.Section(0), after);
}

TEST_F(Tables, ANestedTableWithTooManyColumnsIsDroppedFromItsCellOnly) {
    NewTable();
    TCellObj* outerCell = nullptr;
    AddCell(NewRow(owned.get()), "", {}, 1, &outerCell);
    auto outer = std::move(owned);
    NewTable({}, outerCell->Cell.get());
    AddCell(NewRow(owned.get()), "a", {{Sy.ColSpan, "201"}});
    Place(outerCell->Cell.get());
    TSection* kept = AddText(outerCell->Cell.get(), "kept");
    ThtmlTable* o = outer.get();
    p.doc.AddSection(std::move(outer));
    LayOutAndPaint();
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_EQ(p.doc.Count(), 1);
    EXPECT_EQ(p.doc.Section(0), o);
    ASSERT_EQ(outerCell->Cell->Count(), 1);
    EXPECT_EQ(LineX(kept), 3);
}

// ---- Heights ---------------------------------------------------------------------------------

TEST_F(Tables, ARowSpanTallerThanItsRowsSharesTheExtraHeight) {
    NewTable();
    auto* r1 = NewRow(owned.get());
    AddCell(r1, "a", {{Sy.RowSpan, "2"}, {Sy.Height, "100"}});
    TSection* b = AddCell(r1, "b");
    auto* r2 = NewRow(owned.get());
    AddCell(r2, "c");
    auto* t = Place();
    LayOutAndPaint();
    // 98 pixels of content plus padding and spacing over the two rows.
    EXPECT_EQ(r1->RowHeight + r2->RowHeight, 102);
    EXPECT_LE(std::abs(r1->RowHeight - r2->RowHeight), 1);
    EXPECT_EQ(t->SectionHeight, 104);
    // b is centred in its row.
    EXPECT_EQ(LineTop(b), 3 + (r1->RowHeight - LineHt(b) - 4) / 2);
}

TEST_F(Tables, ASpecifiedHeightStretchesTheRowsAndCellsAlignVertically) {
    NewTable({{Sy.Height, "100"}});
    auto* row = NewRow(owned.get());
    TSection* top = AddCell(row, "t", {}, 0);
    TSection* mid = AddCell(row, "m", {}, 1);
    TSection* bottom = AddCell(row, "b", {}, 2);
    auto* t = Place();
    LayOutAndPaint();
    const int lh = LineHt(top);
    EXPECT_EQ(row->RowHeight, 100);
    EXPECT_EQ(t->SectionHeight, 102);
    EXPECT_EQ(LineTop(top), 3);
    EXPECT_EQ(LineTop(mid), 3 + (100 - lh - 4) / 2);
    // The bottom cell's text ends at the cell's bottom less the padding.
    EXPECT_EQ(LineTop(bottom) + lh, 99);
}

TEST_F(Tables, ASpecifiedHeightGoesToTheRowsEvenlyWithTheRestInTheLast) {
    NewTable({{Sy.Height, "101"}});
    AddCell(NewRow(owned.get()), "a");
    AddCell(NewRow(owned.get()), "b");
    AddCell(NewRow(owned.get()), "c");
    auto* t = Place();
    p.LayOut(600);
    const int r0 = t->Row(0)->RowHeight, r1 = t->Row(1)->RowHeight, r2 = t->Row(2)->RowHeight;
    EXPECT_EQ(r0, r1);
    EXPECT_EQ(r0 + r1 + r2, 101);
    EXPECT_GE(r2, r0);
    EXPECT_EQ(t->SectionHeight, 103);
}

TEST_F(Tables, APercentHeightIsOfTheViewersClientHeightOnlyInTheDocument) {
    p.doc.OnViewHeight = [] { return 400; };
    NewTable({{Sy.Height, "50%"}});
    AddCell(NewRow(owned.get()), "a");
    auto* t = Place();
    p.LayOut(600);
    // Half of 400, less the spacing and 3.
    EXPECT_EQ(t->Row(0)->RowHeight, 195);

    NewTable({{Sy.Height, "50%"}}, t->Row(0)->CellObj(0)->Cell.get());
    EXPECT_FALSE(owned->HeightPercent);
    EXPECT_EQ(owned->SpecHeight, 50);
}

TEST_F(Tables, CellHeightIsAMinimumForTheContent) {
    NewTable();
    auto* row = NewRow(owned.get());
    TSection* a = AddCell(row, "a", {{Sy.Height, "60"}}, 0);
    auto* t = Place();
    p.LayOut(600);
    EXPECT_EQ(row->RowHeight, 60 - 2 + 2 + 2);
    EXPECT_EQ(t->SectionHeight, row->RowHeight + 2);
    EXPECT_EQ(LineTop(a), 3);
}

// ---- Captions ----------------------------------------------------------------------------------

TEST_F(Tables, ACaptionOnTopPushesTheRowsDownAndCentresANarrowerTable) {
    NewTable();
    TSection* cap = AddText(owned->Caption->Cell.get(), "Supercalifragilistic");
    TSection* a = AddCell(NewRow(owned.get()), "a");
    auto* t = Place();
    LayOutAndPaint();
    const int capW = p.Width("Supercalifragilistic");
    const int tableW = p.Width("a") + 4 + 2;
    EXPECT_EQ(t->TotalWidth, capW);
    EXPECT_EQ(LineTop(cap), 0);
    EXPECT_EQ(LineTop(a), LineHt(cap) + 3);
    EXPECT_EQ(LineX(a), (capW - tableW) / 2 + 3);
    EXPECT_EQ(t->SectionHeight, LineHt(cap) + LineHt(a) + 4 + 2);
}

TEST_F(Tables, ACaptionAtTheBottomFollowsTheRowsAndCopiesLast) {
    NewTable();
    owned->TopCaption = false;
    TSection* cap = AddText(owned->Caption->Cell.get(), "Cap");
    TSection* a = AddCell(NewRow(owned.get()), "cell");
    Place();
    LayOutAndPaint();
    EXPECT_EQ(LineTop(a), 3);
    EXPECT_EQ(LineTop(cap), LineHt(a) + 4 + 2);
    p.doc.SelB = 0;
    p.doc.SelE = 1000;
    TCopyBuffer buf;
    p.doc.CopySelection(buf);
    EXPECT_EQ(buf.Text, "cell\r\nCap\r\n");
}

TEST_F(Tables, SelectionCopiesTheTopCaptionThenTheCellsRowByRow) {
    NewTable();
    AddText(owned->Caption->Cell.get(), "Cap");
    auto* r1 = NewRow(owned.get());
    AddCell(r1, "a");
    AddCell(r1, "b");
    AddCell(NewRow(owned.get()), "c");
    Place();
    p.LayOut(600);
    p.doc.SelB = 0;
    p.doc.SelE = 1000;
    TCopyBuffer buf;
    p.doc.CopySelection(buf);
    EXPECT_EQ(buf.Text, "Cap\r\na\r\nb\r\nc\r\n");
}

// ---- Placement and floats --------------------------------------------------------------------

TEST_F(Tables, ALeftTableFloatsAndTextRunsBesideIt) {
    NewTable({{Sy.Align, "left"}, {Sy.VSpace, "10"}});
    TSection* a = AddCell(NewRow(owned.get()), "a");
    auto* t = Place();
    TSection* text = AddDocText("beside");
    LayOutAndPaint();
    EXPECT_EQ(t->SectionHeight, 0);
    EXPECT_EQ(t->DrawHeight, LineHt(a) + 4 + 2 + 20);
    EXPECT_EQ(LineTop(a), 10 + 3);
    EXPECT_EQ(LineTop(text), 0);
    EXPECT_EQ(LineX(text), t->TotalWidth + 5 + 1);
    // The document is as tall as the float.
    EXPECT_EQ(p.LayOut(600), t->DrawHeight);
}

TEST_F(Tables, ARightTableFloatsAtTheRightEdge) {
    NewTable({{Sy.Align, "right"}, {Sy.HSpace, "8"}});
    TSection* a = AddCell(NewRow(owned.get()), "a");
    auto* t = Place();
    TSection* text = AddDocText("beside");
    LayOutAndPaint(600);
    EXPECT_EQ(LineX(a), 600 - t->TotalWidth + 3);
    EXPECT_EQ(LineX(text), 0);
    EXPECT_EQ(LineTop(text), 0);
    // Text to the left stops short of the table and its space.
    p.LayOut(600);
    EXPECT_EQ(p.doc.IMgr->RightSide(0), 600 - t->TotalWidth - 8 - 1);
}

TEST_F(Tables, ARightAlignedTableInAListIsIndented) {
    owned = std::make_unique<ThtmlTable>(&p.doc, 1, &p.doc, ThtmlTable::ALeft, TAttributeList());
    TSection* a = AddCell(NewRow(owned.get()), "a");
    Place();
    LayOutAndPaint();
    EXPECT_EQ(LineX(a), ListIndentStep + 3);
}

// ---- Nested tables ----------------------------------------------------------------------------

TEST_F(Tables, ANestedTableSetsItsColumnsWidthAndSitsInsideThePadding) {
    NewTable();
    TCellObj* outerCell = nullptr;
    AddCell(NewRow(owned.get()), "", {}, 1, &outerCell);
    auto outer = std::move(owned);
    NewTable({{Sy.Width, "200"}}, outerCell->Cell.get());
    TSection* inner = AddCell(NewRow(owned.get()), "inner");
    ThtmlTable* in = Place(outerCell->Cell.get());
    ThtmlTable* o = outer.get();
    p.doc.AddSection(std::move(outer));
    LayOutAndPaint();
    EXPECT_EQ(o->ColumnWidth(0), 204);
    EXPECT_EQ(o->TableWidth, 206);
    EXPECT_EQ(in->TableWidth, 200);
    EXPECT_EQ(LineX(inner), 3 + 3);
    EXPECT_EQ(LineTop(inner), 3 + 3);
    EXPECT_EQ(o->SectionHeight, in->SectionHeight + 4 + 2);
}

TEST_F(Tables, ATableTakesItsOwnersBackgroundAndHandsItToItsCells) {
    NewTable({{Sy.BgColor, "red"}});
    TCellObj* outerCell = nullptr;
    AddCell(NewRow(owned.get()), "", {}, 1, &outerCell);
    auto outer = std::move(owned);
    NewTable({}, outerCell->Cell.get());
    TCellObj* innerCell = nullptr;
    AddCell(NewRow(owned.get()), "x", {}, 1, &innerCell);
    Place(outerCell->Cell.get());
    p.doc.AddSection(std::move(outer));
    LayOutAndPaint();
    EXPECT_TRUE(innerCell->Cell->BkGnd);
    EXPECT_EQ(innerCell->Cell->BkColor & 0xFFFFFF, 0x0000FFu);
}

// ---- Painting ----------------------------------------------------------------------------------

TEST_F(Tables, CellBackgroundsComeFromCellRowOrTableAndSkipEmptyCells) {
    NewTable({{Sy.BgColor, "blue"}, {Sy.CellSpacing, "4"}});
    auto* row = NewRow(owned.get(), {{Sy.BgColor, "lime"}});
    TCellObj *own = nullptr, *fromRow = nullptr, *empty = nullptr;
    AddCell(row, "a", {{Sy.BgColor, "red"}, {Sy.Width, "50"}}, 1, &own);
    AddCell(row, "b", {{Sy.Width, "50"}}, 1, &fromRow);
    AddCell(row, "", {{Sy.Width, "50"}}, 1, &empty);
    auto* row2 = NewRow(owned.get());
    TCellObj* fromTable = nullptr;
    AddCell(row2, "c", {}, 1, &fromTable);
    auto* t = Place();
    LayOutAndPaint();
    const int h1 = row->RowHeight;
    // Inside each cell, below the text's line and right of the spacing.
    const int w0 = t->ColumnWidth(0), w1 = t->ColumnWidth(1);
    EXPECT_EQ(Pixel(w0 - 2, h1 - 2), 0x0000FFu);             // own: red
    EXPECT_EQ(Pixel(w0 + w1 - 2, h1 - 2), 0x00FF00u);        // row: lime
    EXPECT_EQ(Pixel(w0 + w1 + 10, h1 - 2), 0xFFFFFFu);       // empty: none
    EXPECT_EQ(Pixel(w0 - 2, h1 + row2->RowHeight - 2), 0xFF0000u);  // table: blue
    // The spacing keeps the page's colour.
    EXPECT_EQ(Pixel(1, 1), 0xFFFFFFu);
    EXPECT_EQ(Pixel(w0 + 1, 10), 0xFFFFFFu);
}

TEST_F(Tables, TheBorderColourFillsTheSpacingBetweenCells) {
    NewTable({{Sy.BorderColor, "red"}, {Sy.CellSpacing, "6"}});
    auto* row = NewRow(owned.get());
    AddCell(row, "a", {{Sy.BgColor, "white"}, {Sy.Width, "40"}});
    AddCell(row, "", {{Sy.Width, "40"}});
    auto* t = Place();
    LayOutAndPaint();
    const int w0 = t->ColumnWidth(0);
    const int bottom = t->SectionHeight;
    EXPECT_EQ(Pixel(2, 2), 0x0000FFu);           // above and left of the cell
    EXPECT_EQ(Pixel(w0 - 2, bottom - 3), 0x0000FFu);  // the spacing under the last row
    EXPECT_EQ(Pixel(w0 - 2, 8), 0xFFFFFFu);      // inside the painted cell
    EXPECT_EQ(Pixel(w0 + 10, 10), 0x0000FFu);    // an empty cell is no hole
    EXPECT_EQ(Pixel(t->TableWidth + 2, 2), 0xFFFFFFu);
}

TEST_F(Tables, ABorderedTableHasARaisedFrameAndSunkenCells) {
    NewTable({{Sy.Border, "1"}, {Sy.CellSpacing, "0"}, {Sy.Width, "400"}});
    auto* row = NewRow(owned.get());
    AddCell(row, "a", {{Sy.Width, "50%"}});
    AddCell(row, "b", {{Sy.Width, "50%"}});
    auto* t = Place();
    LayOutAndPaint(600);
    EXPECT_EQ(t->CellSpacing, 2);
    EXPECT_EQ(t->ColumnWidth(0), 199);
    EXPECT_EQ(t->ColumnWidth(1), 199);
    const TColor shadow = ColorToRGB(clBtnShadow) & 0xFFFFFF;
    const TColor light = clSilver;  // the highlight on a white page
    const int mid = row->RowHeight / 2;
    EXPECT_EQ(Pixel(0, mid), light);     // table: raised, light left
    EXPECT_EQ(Pixel(399, mid), shadow);  // and dark right
    EXPECT_EQ(Pixel(1, mid), shadow);    // first cell: sunken, dark left
    EXPECT_EQ(Pixel(199, mid), light);   // and light right
    EXPECT_EQ(Pixel(200, mid), shadow);  // second cell's left
    EXPECT_EQ(Pixel(398, mid), light);   // second cell's right
}

TEST_F(Tables, ATableWithoutBorderDrawsNoFrames) {
    NewTable({{Sy.Width, "400"}});
    auto* row = NewRow(owned.get());
    AddCell(row, "a");
    auto* t = Place();
    LayOutAndPaint(600);
    for (int x : {0, 1, 2, t->TableWidth - 1}) EXPECT_EQ(Pixel(x, row->RowHeight / 2), 0xFFFFFFu) << x;
}

TEST_F(Tables, PaintingFollowsTheScrollOffset) {
    TSection* before = AddDocText("top");
    NewTable();
    AddCell(NewRow(owned.get()), "a", {{Sy.BgColor, "red"}, {Sy.Width, "60"}, {Sy.Height, "40"}});
    Place();
    p.LayOut(600);
    p.doc.SetYOffset(LineHt(before));
    p.Paint(600);
    // The table's first row now starts at the top of the surface.
    EXPECT_EQ(Pixel(10, 10), 0x0000FFu);
    EXPECT_EQ(Pixel(1, 1), 0xFFFFFFu);
}

// ---- Hit tests and positions ---------------------------------------------------------------

TEST_F(Tables, PointsGoToTheCellUnderThemAndNotToTheSpacing) {
    TUrlTarget url("page.htm", "");
    NewTable({{Sy.CellSpacing, "10"}});
    auto* row = NewRow(owned.get());
    AddCell(row, "plain");
    TCellObj* linked = nullptr;
    AddCell(row, "", {}, 1, &linked);
    TSection* link = AddText(linked->Cell.get(), "link", &url);
    AddText(owned->Caption->Cell.get(), "caption");
    auto* t = Place();
    LayOutAndPaint();
    TObject* fc = nullptr;
    const int x = LineX(link) + 2, y = LineTop(link) + 2;
    auto got = p.doc.LinkAt(p.Canvas(), x, y, fc);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->Url, "page.htm");
    EXPECT_EQ(t->LinkAt(p.Canvas(), LineX(link) - 5, y, fc), nullptr);  // in the spacing
    EXPECT_EQ(t->LinkAt(p.Canvas(), x, t->DrawHeight + 5, fc), nullptr);  // below the table

    const auto [pos, cx, cy, ch, inText] = p.doc.CursorAt(p.Canvas(), x, y);
    EXPECT_GE(pos, link->StartCurs);
    EXPECT_LE(pos, link->StartCurs + 1);
    EXPECT_TRUE(inText);
    // The caption answers in its band.
    TSection* cap = static_cast<TSection*>(t->Caption->Cell->Section(0));
    EXPECT_EQ(t->CursorAt(p.Canvas(), LineX(cap) + 1, LineTop(cap) + 1).Pos, cap->StartCurs);
}

TEST_F(Tables, PositionQueriesGoThroughTheCellsInDocumentOrder) {
    NewTable();
    auto* row = NewRow(owned.get());
    TSection* a = AddCell(row, "alpha");
    TSection* b = AddCell(row, "beta");
    auto* t = Place();
    LayOutAndPaint();
    EXPECT_EQ(t->StartCurs, 0);
    EXPECT_EQ(t->Len, a->Len + b->Len);
    EXPECT_EQ(b->StartCurs, a->Len);
    EXPECT_EQ(t->SearchText(0, "beta", true), b->StartCurs);
    char ch = 0;
    TSectionBase* sect = nullptr;
    ASSERT_TRUE(t->CharAt(b->StartCurs + 1, ch, sect));
    EXPECT_EQ(ch, 'e');
    EXPECT_EQ(sect, b);
    int x = 0, y = 0;
    // The end of one cell's text and the start of the next are one position;
    // the first cell answers it.
    ASSERT_TRUE(t->CaretPointOf(p.Canvas(), b->StartCurs, x, y));
    EXPECT_EQ(x, LineX(a) + p.Width("alpha"));
    ASSERT_TRUE(t->CaretPointOf(p.Canvas(), b->StartCurs + 1, x, y));
    EXPECT_EQ(x, LineX(b) + p.Width("b"));
    EXPECT_EQ(y, LineTop(b));
    EXPECT_EQ(t->SourcePosOf(b->StartCurs + 2), 2);
}
