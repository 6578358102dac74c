// Block sections laid out and painted on a bitmap: gap heights for the
// document's default size, rule pixels, preformatted text that never wraps
// and is cut at the cell's clip width, list items and selection copy.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gui/windows/TestKit.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/common/DocKit.h"

using namespace dockit;

namespace {

const TRuleSymbols& Ry = DefaultRuleSymbols;

std::unique_ptr<TAttributeList> A(std::initializer_list<std::pair<std::uint8_t, std::string>> list) {
    auto a = std::make_unique<TAttributeList>();
    for (const auto& [sym, text] : list) a->AddAttribute(sym, std::atoi(text.c_str()), text);
    return a;
}

class Blocks : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override {
        ReleaseViewerCursors();
        DoneApplication();
    }
};

TColor Px(Page& p, int x, int y) { return p.Canvas()->Pixels(x, y) & 0xFFFFFF; }
TColor Rgb(TColor c) { return ColorToRGB(c) & 0xFFFFFF; }

// A page holding one rule, laid out and painted 600 pixels wide.
struct RulePage {
    Page p;
    THorzLine* rule;
    explicit RulePage(std::unique_ptr<TAttributeList> attrs, TColor background = clWhite) {
        p.doc.Background = background;
        auto r = std::make_unique<THorzLine>(&p.doc, *attrs);
        rule = r.get();
        p.doc.AddSection(std::move(r));
        p.LayOut(600);
        p.Paint(600);
    }
    // Every page's context registers the viewer's cursors anew.
    ~RulePage() { ReleaseViewerCursors(); }
};

}  // namespace

// ---- Gaps ------------------------------------------------------------------------------------

TEST_F(Blocks, GapsScaleWithTheDefaultSizeRoundingToNearest) {
    for (const auto& [size, para, h1, h3, h4, h5, h6, rule4] :
         std::vector<std::tuple<int, int, int, int, int, int, int, int>>{{12, 14, 16, 10, 8, 6, 4, 22},
                                                                         {15, 18, 20, 13, 10, 8, 5, 27},
                                                                         {9, 11, 12, 8, 6, 5, 3, 17}}) {
        Page p;
        p.doc.FontSize = size;
        p.doc.AddSection(std::make_unique<TParagraphSpace>(&p.doc));
        for (int level : {1, 3, 4, 5, 6, 9}) p.doc.AddSection(std::make_unique<THeadingSpace>(&p.doc, level));
        p.doc.AddSection(std::make_unique<THorzLine>(&p.doc, *A({{Ry.Size, "4"}})));
        const int expect[] = {para, h1, h3, h4, h5, h6, h4, rule4};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(p.doc.Section(i)->SectionHeight, expect[i]) << size << " #" << i;
        // The gaps stack: each section starts where the ones above end.
        EXPECT_EQ(p.LayOut(600), para + h1 + h3 + h4 + h5 + h6 + h4 + rule4);
        EXPECT_EQ(p.doc.SectionTop(7), para + h1 + h3 + h4 + h5 + h6 + h4);
        ReleaseViewerCursors();
    }
}

TEST_F(Blocks, GapsAndRulesCopyAsLineBreaks) {
    Page p;
    auto a = p.Section();
    a->AppendText(*Tok("abc"));
    p.Add(std::move(a));
    p.doc.AddSection(std::make_unique<TParagraphSpace>(&p.doc));
    p.doc.AddSection(std::make_unique<THorzLine>(&p.doc, *A({})));
    auto b = p.Section();
    b->AppendText(*Tok("def", 10));
    p.Add(std::move(b));
    p.LayOut(600);
    p.doc.SelB = 1;
    p.doc.SelE = 5;
    TCopyBuffer buf;
    p.doc.CopySelection(buf);
    EXPECT_EQ(buf.Text, "bc\r\n\r\n\r\nde");
}

// ---- Rules -----------------------------------------------------------------------------------

TEST_F(Blocks, AnUnsizedRuleIsAGrooveTenPixelsInFromEachEdge) {
    RulePage r(A({}));
    // Height 20, thickness 2: rows 9 and 10.
    EXPECT_EQ(Px(r.p, 10, 9), Rgb(clBtnShadow));
    EXPECT_EQ(Px(r.p, 300, 9), Rgb(clBtnShadow));
    EXPECT_EQ(Px(r.p, 10, 10), Rgb(clBtnShadow)) << "left edge";
    EXPECT_EQ(Px(r.p, 300, 10), 0xC0C0C0u) << "silver on a white page";
    EXPECT_EQ(Px(r.p, 589, 9), 0xC0C0C0u) << "right edge";
    EXPECT_EQ(Px(r.p, 9, 9), 0xFFFFFFu);
    EXPECT_EQ(Px(r.p, 590, 9), 0xFFFFFFu);
    EXPECT_EQ(Px(r.p, 300, 8), 0xFFFFFFu);
    EXPECT_EQ(Px(r.p, 300, 11), 0xFFFFFFu);
}

TEST_F(Blocks, RuleWidthsAlignInTheColumn) {
    struct Case {
        const char* align;
        const char* width;
        int from, to;
    };
    for (const Case& c : {Case{"center", "50%", 150, 450}, Case{"LEFT", "50%", 0, 300},
                          Case{"right", "50%", 300, 600}, Case{"", "100", 250, 350},
                          Case{"left", "250%", 0, 600}}) {
        RulePage r(A({{Ry.Align, c.align}, {Ry.Width, c.width}}));
        EXPECT_NE(Px(r.p, c.from, 9), 0xFFFFFFu) << c.align << " " << c.width;
        EXPECT_NE(Px(r.p, c.to - 1, 9), 0xFFFFFFu) << c.align << " " << c.width;
        if (c.from > 0) {
            EXPECT_EQ(Px(r.p, c.from - 1, 9), 0xFFFFFFu) << c.align << " " << c.width;
        }
        if (c.to < 600) {
            EXPECT_EQ(Px(r.p, c.to, 9), 0xFFFFFFu) << c.align << " " << c.width;
        }
    }
}

TEST_F(Blocks, ColouredNoShadeAndDarkPageRules) {
    {
        RulePage r(A({{Ry.Color, "Red"}, {Ry.Size, "4"}}));
        EXPECT_EQ(r.rule->SectionHeight, 22);
        for (int y = 9; y < 13; ++y) EXPECT_EQ(Px(r.p, 300, y), 0x0000FFu) << y;
        EXPECT_EQ(Px(r.p, 300, 13), 0xFFFFFFu);
    }
    {
        RulePage r(A({{Ry.Color, "#00ff00"}}));
        EXPECT_EQ(Px(r.p, 10, 9), 0x00FF00u);
    }
    {
        RulePage r(A({{Ry.NoShade, ""}}));
        EXPECT_EQ(Px(r.p, 300, 9), 0u);
        EXPECT_EQ(Px(r.p, 300, 10), 0u);
    }
    {
        RulePage r(A({{Ry.Color, "no such colour"}}), clBtnFace);
        // An unreadable colour keeps the groove; off white it is highlighted.
        EXPECT_EQ(Px(r.p, 300, 10), Rgb(clBtnHighlight));
    }
    {
        // Sizes outside 1 to 20 are ignored.
        RulePage r(A({{Ry.Size, "40"}}));
        EXPECT_EQ(r.rule->VSize, 2);
    }
}

TEST_F(Blocks, ARuleOutsideTheClipDrawsNothing) {
    Page p;
    auto r = std::make_unique<THorzLine>(&p.doc, *A({{Ry.NoShade, ""}}));
    p.doc.AddSection(std::move(r));
    p.LayOut(600);
    p.doc.SetYOffset(5);
    // Scrolled by 5 the rule's band is -5 to 15: a clip from 15 down misses it.
    p.doc.Draw(p.Canvas(), Rect(0, 15, 700, 500), 0, 0, 600);
    EXPECT_EQ(Px(p, 300, 4), 0xFFFFFFu);
    p.doc.Draw(p.Canvas(), Rect(0, 0, 700, 500), 0, 0, 600);
    EXPECT_EQ(Px(p, 300, 4), 0u) << "drawn at 9 - 5";
}

// ---- Preformatted text -------------------------------------------------------------------------

TEST_F(Blocks, PreformattedTextKeepsItsSpacesAndNeverWraps) {
    Page p;
    auto s = std::make_unique<TPreFormated>(&p.doc, TSection::Left, nullptr, p.font, 0);
    s->AppendText(*Tok("  a   b  "));
    s->AppendText(*Tok(" c", 9));
    EXPECT_EQ(s->Buffer(), "  a   b   c");
    auto* sec = p.Add(std::move(s));
    int sw = 0;
    p.LayOut(20, &sw);
    ASSERT_EQ(sec->Lines().size(), 1u);
    EXPECT_EQ(sw, p.Width("  a   b   c"));
    int mn = 0, mx = 0;
    sec->MeasureWidths(p.Canvas(), mn, mx);
    EXPECT_EQ(mx, p.Width("  a   b   c"));
    EXPECT_EQ(mn, mx);
}

TEST_F(Blocks, PreformattedMinimumWidthStopsAt2000) {
    Page p;
    auto s = std::make_unique<TPreFormated>(&p.doc, TSection::Left, nullptr, p.font, 2);
    s->AppendText(*Tok(std::string(600, 'W')));
    auto* sec = p.Add(std::move(s));
    int mn = 0, mx = 0;
    sec->MeasureWidths(p.Canvas(), mn, mx);
    EXPECT_EQ(mx, p.Width(std::string(600, 'W')) + 2 * ListIndentStep);
    ASSERT_GT(mx, 2000);
    EXPECT_EQ(mn, 2000);
}

TEST_F(Blocks, EmptyPreformattedBlocksTakeTheFontSizeAndRunawayOnesStop) {
    Page p;
    auto e = std::make_unique<TPreFormated>(&p.doc, TSection::Left, nullptr, p.font, 0);
    auto* empty = p.Add(std::move(e));
    int sw = -1;
    EXPECT_EQ(p.LayOut(600, &sw), 12);
    EXPECT_EQ(empty->SectionHeight, 12);
    int mn = -1, mx = -1;
    empty->MeasureWidths(p.Canvas(), mn, mx);
    EXPECT_EQ(mn, 0);
    EXPECT_EQ(mx, 0);

    auto big = std::make_unique<TPreFormated>(&p.doc, TSection::Left, nullptr, p.font, 0);
    big->AppendText(*Tok(std::string(20001, 'x')));
    big->AppendText(*Tok("more"));
    EXPECT_EQ(big->Buffer().size(), 20001u);
}

TEST_F(Blocks, PreformattedLinesAreCutAtTheClipWidth) {
    const std::string text(80, 'M');
    auto inkRight = [&](bool pre, int clip) {
        Page p;
        std::unique_ptr<TSection> s;
        if (pre)
            s = std::make_unique<TPreFormated>(&p.doc, TSection::Left, nullptr, p.font, 0);
        else
            s = p.Section();
        s->AppendText(*Tok(text));
        auto* sec = p.Add(std::move(s));
        p.LayOut(pre ? clip : 32000);
        p.doc.Draw(p.Canvas(), Rect(0, 0, 700, 500), 0, 0, clip);
        int right = -1;
        for (int y = 0; y < sec->SectionHeight; ++y)
            for (int x = 0; x < 700; ++x)
                if (Px(p, x, y) != 0xFFFFFFu) right = std::max(right, x);
        ReleaseViewerCursors();
        return right;
    };
    EXPECT_GT(inkRight(false, 100), 300) << "plain text is not cut";
    const int cut = inkRight(true, 100);
    EXPECT_LT(cut, 100);
    EXPECT_GT(cut, 90);
}

// ---- List items ----------------------------------------------------------------------------------

TEST_F(Blocks, ListItemsKeepTheirKindAndMarkers) {
    Page p;
    auto u = std::make_unique<TUListItem>(&p.doc, nullptr, p.font, 1);
    auto d = std::make_unique<TDListItem>(&p.doc, nullptr, p.font, 1);
    auto o = std::make_unique<TOListItem>(&p.doc, nullptr, p.font, 'i', 4, 1);
    auto oa = std::make_unique<TOListItem>(&p.doc, nullptr, p.font, 'A', 30, 1);
    EXPECT_EQ(u->ListType, 2);
    EXPECT_EQ(d->ListType, 3);
    EXPECT_EQ(o->ListType, 1);
    EXPECT_EQ(o->Justify, TSection::Left);
    EXPECT_EQ(o->OrderedMarker(), "iv.");
    EXPECT_EQ(oa->OrderedMarker(), "Z.");
    EXPECT_EQ(u->Indent, ListIndentStep);
}

TEST_F(Blocks, BulletsStandLeftOfTheItemUnlessPlainOrDefinition) {
    // Ink left of the text's edge, in the first line's band.
    auto bulletInk = [](int kind) {
        Page p;
        std::unique_ptr<TSection> s;
        if (kind == 0) s = std::make_unique<TUListItem>(&p.doc, nullptr, p.font, 1);
        if (kind == 1) {
            auto u = std::make_unique<TUListItem>(&p.doc, nullptr, p.font, 1);
            u->SetPlain(true);
            s = std::move(u);
        }
        if (kind == 2) s = std::make_unique<TDListItem>(&p.doc, nullptr, p.font, 1);
        s->AppendText(*Tok("item"));
        auto* sec = p.Add(std::move(s));
        p.LayOut(600);
        p.Paint(600);
        int ink = 0;
        for (int y = 0; y < sec->SectionHeight; ++y)
            for (int x = 0; x < ListIndentStep; ++x) ink += Px(p, x, y) != 0xFFFFFFu;
        ReleaseViewerCursors();
        return ink;
    };
    EXPECT_GT(bulletInk(0), 0);
    EXPECT_EQ(bulletInk(1), 0);
    EXPECT_EQ(bulletInk(2), 0);
}
