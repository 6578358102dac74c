// Text sections laid out, painted and queried without a window: line
// breaking, floats and clear, list markers, selection copy, position maps
// and hit tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "gui/draw/ScopedDC.h"
#include "gui/windows/TestKit.h"
#include "htmlview/common/DocKit.h"

using namespace dockit;

namespace {

class Sections : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override {
        ReleaseViewerCursors();
        DoneApplication();
    }
};

}  // namespace

// ---- Building ------------------------------------------------------------------------------

TEST_F(Sections, SpacesCollapseAcrossTokensAndNeverLead) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok(" abc ", 0));
    s->AppendText(*Tok(" def", 5));
    EXPECT_EQ(s->Buffer(), "abc def");
    s->AppendChar(' ', 9);
    s->AppendChar(' ', 10);
    EXPECT_EQ(s->Buffer(), "abc def ");
}

TEST_F(Sections, NoBreakSpacesBecome160AndCollapse) {
    Page p;
    auto s = p.Section();
    p.doc.Build.NoBreak = true;
    s->AppendText(*Tok("\x05" "a\x05\x05" "b \x05" "c\x05 d", 0));
    EXPECT_EQ(s->Buffer(), "a\xA0" "b c d");
    // Each removal takes its source position with it: b stays at source 4.
    auto* sec = p.Add(std::move(s));
    ASSERT_NE(sec->Buffer().find('b'), std::string::npos);
    EXPECT_EQ(sec->SourcePosOf(static_cast<int>(sec->Buffer().find('b'))), 4);
}

TEST_F(Sections, SpaceAfterFloatedImagesAloneIsDropped) {
    Page p;
    Pictures pics;
    pics.Add("f.bmp", 20, 20);
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AddImage(*ImageAttrs("f.bmp", "left"), 0);
    s->AppendText(*Tok(" text", 1));
    EXPECT_EQ(s->Buffer(), std::string("\x04") + "text");
}

// ---- Line breaking ------------------------------------------------------------------------

TEST_F(Sections, BreaksAfterSpacesWhereTheTextFits) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok("aaa bbb ccc ddd"));
    auto* sec = p.Add(std::move(s));
    const int width = p.Width("aaa bbb") + 1;
    p.LayOut(width);
    ASSERT_EQ(sec->Lines().size(), 2u);
    EXPECT_EQ(Page::LineText(sec, sec->Lines()[0]), "aaa bbb ");
    EXPECT_EQ(Page::LineText(sec, sec->Lines()[1]), "ccc ddd");
    // Heights add up line by line.
    EXPECT_EQ(sec->SectionHeight, sec->Lines()[0].Band() + sec->Lines()[1].Band());
    EXPECT_EQ(sec->Lines()[1].Top, sec->Lines()[0].Band());
}

TEST_F(Sections, NeverBreaksInsideANoBreakRun) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok("xx "));
    p.doc.Build.NoBreak = true;
    s->AppendText(*Tok("aaa\x05" "bbb\x05" "ccc"));
    p.doc.Build.NoBreak = false;
    s->AppendText(*Tok(" yy"));
    auto* sec = p.Add(std::move(s));
    int scroll = 0;
    p.LayOut(p.Width("aaa bbb") + 2, &scroll);
    ASSERT_EQ(sec->Lines().size(), 3u);
    EXPECT_EQ(Page::LineText(sec, sec->Lines()[1]), "aaa\xA0" "bbb\xA0" "ccc ");
    EXPECT_GE(scroll, p.Width("aaa bbb ccc") - 2);
}

TEST_F(Sections, PicturesInsideANoBreakRunAllowNoBreak) {
    Page p;
    Pictures pics;
    pics.Add("i.bmp", 10, 10);
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AppendText(*Tok("ab "));
    p.doc.Build.NoBreak = true;
    s->AppendText(*Tok("cd", 3));
    s->AddImage(*ImageAttrs("i.bmp"), 5);
    s->AppendText(*Tok("ef", 6));
    p.doc.Build.NoBreak = false;
    auto* sec = p.Add(std::move(s));
    EXPECT_EQ(sec->Buffer(), "ab cd\x07" "ef");
    p.LayOut(p.Width("ab cd") + 4);
    ASSERT_EQ(sec->Lines().size(), 2u);
    EXPECT_EQ(Page::LineText(sec, sec->Lines()[1]), "cd\x07" "ef");
    // Outside such a run the picture is a break opportunity.
    Page q;
    pics.Attach(q.doc);
    auto t = q.Section();
    t->AppendText(*Tok("abcd"));
    t->AddImage(*ImageAttrs("i.bmp"), 4);
    t->AppendText(*Tok("efgh", 5));
    auto* sec2 = q.Add(std::move(t));
    q.LayOut(q.Width("abcd") + 12);
    ASSERT_EQ(sec2->Lines().size(), 2u);
    EXPECT_EQ(Page::LineText(sec2, sec2->Lines()[0]), "abcd\x04");
}

TEST_F(Sections, AWordWiderThanTheLineTakesItsOwnLineAndWidensTheMaximum) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok("a extraordinarily b"));
    auto* sec = p.Add(std::move(s));
    int scroll = 0;
    p.LayOut(p.Width("a ex"), &scroll);
    ASSERT_EQ(sec->Lines().size(), 3u);
    EXPECT_EQ(Page::LineText(sec, sec->Lines()[0]), "a ");
    EXPECT_EQ(Page::LineText(sec, sec->Lines()[1]), "extraordinarily ");
    EXPECT_EQ(Page::LineText(sec, sec->Lines()[2]), "b");
    EXPECT_GE(scroll, p.Width("extraordinarily"));
}

TEST_F(Sections, AlignmentPlacesTheContentWithoutTrailingSpaces) {
    Page p;
    auto c = p.Section(TSection::Centre);
    c->AppendText(*Tok("mid"));
    auto* centre = p.Add(std::move(c));
    auto r = p.Section(TSection::Right);
    r->AppendText(*Tok("end "));
    auto* right = p.Add(std::move(r));
    p.LayOut(300);
    EXPECT_EQ(centre->Lines()[0].LineLeftX, (300 - p.Width("mid")) / 2);
    EXPECT_EQ(right->Lines()[0].LineLeftX, 300 - p.Width("end") - 1);
}

TEST_F(Sections, TextFlowsBesideLeftAndRightFloatsAndClearGoesBelow) {
    Page p;
    Pictures pics;
    pics.Add("l.bmp", 40, 60);
    pics.Add("r.bmp", 30, 50);
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AddImage(*ImageAttrs("l.bmp", "left"), 0);
    s->AddImage(*ImageAttrs("r.bmp", "right"), 1);
    s->AppendText(*Tok("one two three four five six seven eight nine ten", 2));
    auto* sec = p.Add(std::move(s));
    auto c = p.Section();
    c->SetClear("Left");
    c->AppendText(*Tok("after", 100));
    auto* cleared = p.Add(std::move(c));
    p.LayOut(200);
    const LineRec& first = sec->Lines()[0];
    // Floats with the default 5 pixels of side space.
    EXPECT_EQ(first.LineLeftX, 45);
    const int firstWidth = sec->TextWidth(p.Canvas(), first.Start, first.Ln, true);
    EXPECT_LE(first.LineLeftX + firstWidth, 200 - 35);
    TImageObj* right = sec->Images->Image(1);
    EXPECT_EQ(right->Indent, 200 - 35 + 5);
    // The cleared section starts at the left float's bottom.
    EXPECT_EQ(cleared->ClearAttr, 1);
    const int top = cleared->YValue;
    EXPECT_GE(top + cleared->Lines()[0].Band(), 60);
    EXPECT_EQ(cleared->Lines().back().LineLeftX, 0);
    EXPECT_EQ(cleared->Lines().back().Top, std::max(60, top));
}

TEST_F(Sections, AnEmptySectionIsAsHighAsItsClearDistance) {
    Page p;
    Pictures pics;
    pics.Add("l.bmp", 40, 60);
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AddImage(*ImageAttrs("l.bmp", "left"), 0);
    p.Add(std::move(s));
    auto e = p.Section();
    auto* empty = p.Add(std::move(e));
    auto c = p.Section();
    c->SetClear("all");
    auto* cleared = p.Add(std::move(c));
    p.LayOut(200);
    EXPECT_EQ(empty->SectionHeight, 0);
    EXPECT_EQ(cleared->SectionHeight, 60 - cleared->YValue);
}

TEST_F(Sections, ALineOfImagesOnlyHasNoTextHeight) {
    Page p;
    Pictures pics;
    pics.Add("a.bmp", 20, 30);
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AddImage(*ImageAttrs("a.bmp"), 0);
    auto* sec = p.Add(std::move(s));
    p.LayOut(200);
    ASSERT_EQ(sec->Lines().size(), 1u);
    EXPECT_EQ(sec->Lines()[0].LineHt, 0);
    EXPECT_EQ(sec->SectionHeight, 30);
}

TEST_F(Sections, ALayoutErrorDropsTheSectionAndGoesOn) {
    struct Broken : TSectionBase {
        using TSectionBase::TSectionBase;
        int LayOut(TCanvas*, int, IndentManager&, int&, int&) override { throw EProcessError("Bad table"); }
    };
    Page p;
    auto a = p.Section();
    a->AppendText(*Tok("before"));
    p.Add(std::move(a));
    p.Add(std::make_unique<Broken>(&p.doc));
    auto b = p.Section();
    b->AppendText(*Tok("after", 10));
    p.Add(std::move(b));
    const int h = p.LayOut(300);
    EXPECT_EQ(p.errors, std::vector<std::string>{"Bad table"});
    EXPECT_EQ(p.doc.Count(), 2);
    EXPECT_EQ(h, p.doc.Section(0)->SectionHeight + p.doc.Section(1)->SectionHeight);
    EXPECT_EQ(p.doc.Section(1)->StartCurs, 6);
}

// ---- List markers -----------------------------------------------------------------------

TEST_F(Sections, OrderedMarkersStopAtZAndAtTwenty) {
    Page p;
    auto s = p.Section(TSection::Left, 1);
    s->ListType = 1;
    const std::pair<char, int> cases[] = {{'A', 1}, {'A', 27}, {'a', 26}, {'I', 4}, {'i', 25}, {'i', 19}, {'1', 123}};
    const char* expected[] = {"A.", "Z.", "z.", "IV.", "xx.", "xix.", "123."};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        s->ListStyle = cases[i].first;
        s->ListNumber = cases[i].second;
        EXPECT_EQ(s->OrderedMarker(), expected[i]) << i;
    }
}

TEST_F(Sections, BulletsAreColouredOnLightAndHollowOnDarkBackgrounds) {
    for (const TColor bg : {TColor(clWhite), TColor(0x202020)}) {
        Page p;
        p.doc.Background = bg;
        p.doc.FontColor = clYellow;
        p.Canvas()->Brush()->SetColor(bg);
        p.Canvas()->FillRect(Rect(0, 0, 700, 500));
        auto s = p.Section(TSection::Left, 1);
        s->ListType = 2;
        s->AppendText(*Tok("item"));
        auto* sec = p.Add(std::move(s));
        p.LayOut(300);
        p.Paint(300);
        const LineRec& l = sec->Lines()[0];
        const int cx = sec->FirstLineIndent - 8, cy = l.DrawY + l.LineHt - l.LineHt / 2;
        ASSERT_EQ(sec->FirstLineIndent, 35);
        const TColor centre = ColorToRGB(p.Canvas()->Pixels(cx, cy));
        const TColor edge = ColorToRGB(p.Canvas()->Pixels(cx - 2, cy));
        if (bg == clWhite) {
            EXPECT_EQ(centre, TColor(0x800000));  // navy for level 1
            EXPECT_EQ(edge, TColor(0x800000));
        } else {
            EXPECT_EQ(centre, bg);
            EXPECT_EQ(edge, ColorToRGB(clYellow));
        }
        ReleaseViewerCursors();
    }
}

// ---- Selection, positions, search -------------------------------------------------------------

TEST_F(Sections, CopiesTheSelectionWithLineEndsOnlyWhereSelected) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok("alpha beta gamma delta"));
    auto* sec = p.Add(std::move(s));
    auto t = p.Section();
    t->AppendText(*Tok("omega", 50));
    p.Add(std::move(t));
    p.LayOut(std::max(p.Width("alpha beta"), p.Width("gamma delta")) + 1);
    ASSERT_EQ(sec->Lines().size(), 2u);  // "alpha beta " and "gamma delta"
    TCopyBuffer part;
    p.doc.SelB = 6;
    p.doc.SelE = 14;
    p.doc.CopySelection(part);
    EXPECT_EQ(part.Text, "beta \r\ngam");
    TCopyBuffer all;
    p.doc.SelB = 0;
    p.doc.SelE = 27;
    p.doc.CopySelection(all);
    EXPECT_EQ(all.Text, "alpha beta \r\ngamma delta\r\nomega\r\n");
    TCopyBuffer inside;
    p.doc.SelB = 1;
    p.doc.SelE = 3;
    p.doc.CopySelection(inside);
    EXPECT_EQ(inside.Text, "lp");
}

TEST_F(Sections, ListLinesCopyWithTheirIndent) {
    Page p;
    auto s = p.Section(TSection::Left, 2);
    s->AppendText(*Tok("nested"));
    p.Add(std::move(s));
    p.LayOut(300);
    TCopyBuffer b;
    p.doc.SelB = 0;
    p.doc.SelE = 6;
    p.doc.CopySelection(b);
    EXPECT_EQ(b.Text, "      nested\r\n");
}

TEST_F(Sections, PositionMapsWorkBothWays) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok("ab", 10));
    s->AppendText(*Tok("cd", 20));
    auto* sec = p.Add(std::move(s));
    auto t = p.Section();
    t->AppendText(*Tok("xy", 40));
    auto* second = p.Add(std::move(t));
    p.LayOut(300);
    ASSERT_EQ(sec->PositionRuns().size(), 2u);
    EXPECT_EQ(p.doc.SourcePosOf(1), 11);
    EXPECT_EQ(p.doc.SourcePosOf(2), 20);
    EXPECT_EQ(p.doc.SourcePosOf(5), 41);
    EXPECT_EQ(p.doc.SourcePosOf(9), -1);
    EXPECT_EQ(p.doc.DocPosOf(21, false), 3);
    EXPECT_EQ(p.doc.DocPosOf(15, false), 2);  // a gap: the next run's first
    EXPECT_EQ(sec->DocPosOf(15, true), 1);    // or the previous run's last
    EXPECT_EQ(sec->DocPosOf(5, false), 0);
    EXPECT_EQ(sec->DocPosOf(5, true), -1);
    EXPECT_EQ(sec->DocPosOf(30, false), -1);
    EXPECT_EQ(sec->DocPosOf(30, true), 3);
    EXPECT_EQ(second->DocPosOf(41, false), 5);
    EXPECT_EQ(p.doc.DocPosOf(30, true), 3);
}

TEST_F(Sections, SearchFindsTextWithOrWithoutCase) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok("The Quick fox. The \xC4quator"));
    p.Add(std::move(s));
    p.LayOut(600);
    EXPECT_EQ(p.doc.SearchText(0, "quick", false), 4);
    EXPECT_EQ(p.doc.SearchText(0, "quick", true), -1);
    EXPECT_EQ(p.doc.SearchText(1, "the", false), 15);
    EXPECT_EQ(p.doc.SearchText(0, "\xE4QUATOR", false), 19);
    EXPECT_EQ(p.doc.SearchText(0, "fox!", false), -1);
}

// ---- Hit tests ---------------------------------------------------------------------------------

TEST_F(Sections, LinksCaretsAndPositionsUnderThePoint) {
    Page p;
    p.doc.LinksActive = true;
    auto s = p.Section();
    s->AppendText(*Tok("see "));
    TUrlTarget url("page.htm", "main");
    s->ChangeFontAndLink(true, p.font, &url);
    s->AppendText(*Tok("here", 4));
    s->ChangeFontAndLink(false, p.font, nullptr);
    s->AppendText(*Tok(" now", 8));
    auto* sec = p.Add(std::move(s));
    p.LayOut(400);
    p.Paint(400);
    ASSERT_EQ(p.doc.LinkList.size(), 1u);
    const LineRec& l = sec->Lines()[0];
    const int y = l.Top + 2;
    TObject* control = nullptr;
    auto hit = p.doc.LinkAt(p.Canvas(), p.Width("see h"), y, control);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->Url, "page.htm");
    EXPECT_EQ(hit->Target, "main");
    EXPECT_TRUE(p.doc.LinkList[0]->Hover());
    EXPECT_EQ(p.doc.LinkAt(p.Canvas(), 2, y, control), nullptr);
    EXPECT_FALSE(p.doc.LinkList[0]->Hover());
    EXPECT_EQ(p.doc.LinkAt(p.Canvas(), 300, y, control), nullptr);

    auto [pos, cx, cy, ch, inText] = p.doc.CursorAt(p.Canvas(), p.Width("see") + 1, y);
    EXPECT_EQ(pos, 3);
    EXPECT_TRUE(inText);
    EXPECT_EQ(cx, p.Width("see"));
    EXPECT_EQ(ch, l.LineHt);
    const TCursorHit end = p.doc.CursorAt(p.Canvas(), 399, y);
    EXPECT_EQ(end.Pos, 12);
    EXPECT_FALSE(end.InText);
    int px = 0, py = 0;
    ASSERT_TRUE(p.doc.CaretPointOf(p.Canvas(), 4, px, py));
    EXPECT_EQ(px, p.Width("see "));
    EXPECT_EQ(py, l.Top);
    char c = 0;
    TSectionBase* owner = nullptr;
    ASSERT_TRUE(p.doc.CharAt(5, c, owner));
    EXPECT_EQ(c, 'e');
    EXPECT_EQ(owner, sec);
}

TEST_F(Sections, PaintsTheTextAndTheSelectionInverted) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok("MMMM MMMM"));
    auto* sec = p.Add(std::move(s));
    p.LayOut(400);
    p.doc.SelB = 5;
    p.doc.SelE = 9;
    p.Paint(400);
    const LineRec& l = sec->Lines()[0];
    // Selected text sits on the font colour: its background is black.
    const int selX = p.Width("MMMM M") - 1;
    int black = 0, ink = 0;
    for (int y = l.DrawY; y < l.DrawY + l.LineHt; ++y) {
        if (ColorToRGB(p.Canvas()->Pixels(selX, y)) == clBlack) ++black;
        if (ColorToRGB(p.Canvas()->Pixels(p.Width("M") / 2, y)) != clWhite) ++ink;
    }
    EXPECT_GT(black, l.LineHt / 2);
    EXPECT_GT(ink, 0);
    EXPECT_LT(ink, l.LineHt);
}

// ---- Document ------------------------------------------------------------------------------

TEST_F(Sections, WidthsAreTheWidestWordAndTheWholeLine) {
    Page p;
    auto s = p.Section(TSection::Left, 1);
    s->AppendText(*Tok("tiny enormousword x"));
    auto* sec = p.Add(std::move(s));
    p.LayOut(400);
    int mn = 0, mx = 0;
    p.doc.MeasureWidths(p.Canvas(), mn, mx);
    EXPECT_EQ(mn, p.Width("enormousword") + sec->Indent);
    EXPECT_EQ(mx, p.Width("tiny enormousword x") + sec->Indent);
}

TEST_F(Sections, SectionsAreFoundByTheirBands) {
    Page p;
    for (const char* t : {"one", "two", "three"}) {
        auto s = p.Section();
        s->AppendText(*Tok(t));
        p.Add(std::move(s));
    }
    p.LayOut(300);
    const int h0 = p.doc.Section(0)->SectionHeight, h1 = p.doc.Section(1)->SectionHeight;
    EXPECT_EQ(p.doc.SectionTop(0), 0);
    EXPECT_EQ(p.doc.SectionTop(2), h0 + h1);
    EXPECT_EQ(p.doc.SectionTop(9), h0 + h1);
    int top = -1, index = -1;
    EXPECT_EQ(p.doc.SectionAtY(h0, top, index), p.doc.Section(1));
    EXPECT_EQ(top, h0);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(p.doc.SectionAtY(h0 - 1, top, index), p.doc.Section(0));
    EXPECT_EQ(p.doc.SectionAtY(10000, top, index), nullptr);
}

TEST_F(Sections, ScriptsShrinkByAQuarterAndLinksFollowTheDocumentColours) {
    Page p;
    auto s = p.Section();
    s->AppendText(*Tok("x"));
    p.doc.Build.Shift = 2;
    p.font.NormalSize = 16;
    s->ChangeFont(p.font);
    s->AppendText(*Tok("2", 1));
    p.doc.Build.Shift = 0;
    TUrlTarget url("u.htm", "");
    s->ChangeFontAndLink(true, p.font, &url);
    s->AppendText(*Tok("link", 2));
    auto* sec = p.Add(std::move(s));
    EXPECT_EQ(sec->Fonts.Font(1)->SScript, 2);
    EXPECT_EQ(sec->Fonts.Font(1)->TheFont.NormalSize, 12);
    p.doc.SetFonts("Arial", "Courier New", 10, clBlack, clBlue, clPurple, clRed, clWhite, true);
    TFontObj* link = sec->Fonts.Font(2);
    EXPECT_EQ(link->TheFont.Size(), EffectiveSize(10, 16));
    EXPECT_EQ(ColorToRGB(link->TheFont.Color()), ColorToRGB(clBlue));
    link->SetVisited(true);
    EXPECT_EQ(ColorToRGB(link->TheFont.Color()), ColorToRGB(clPurple));
    link->SetHover(true);
    EXPECT_EQ(ColorToRGB(link->TheFont.Color()), ColorToRGB(clRed));
    EXPECT_GT(link->FontHeight, 0);
}

namespace {

// A font's metrics read on a DC of the test's own.
TEXTMETRICA MetricsOf(TFont& f) {
    gui::OwnedDC dc(CreateCompatibleDC(nullptr));
    gui::SelectedObject sel(dc.Get(), f.Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.Get(), &tm);
    return tm;
}

void ExpectMetricsOf(const TFontObj& f, TFont& expected) {
    const TEXTMETRICA tm = MetricsOf(expected);
    EXPECT_EQ(f.tmHeight, tm.tmHeight);
    EXPECT_EQ(f.FontHeight, tm.tmHeight + tm.tmExternalLeading);
    EXPECT_EQ(f.Descent, tm.tmDescent);
}

}  // namespace

TEST_F(Sections, FontMetricsFollowEveryChangeOfTheFont) {
    Page p;
    p.doc.Build.Style = TFontStyles() << fsBold;
    auto s = p.Section();
    TMyFont bold;
    bold.Assign(&p.font);
    bold.SetStyle(TFontStyles() << fsBold);
    EXPECT_TRUE(s->Fonts.Font(0)->TheFont.Style().Contains(fsBold)) << "the build's style is applied";
    ExpectMetricsOf(*s->Fonts.Font(0), bold);

    p.doc.Build.Style = TFontStyles();
    s->AppendText(*Tok("a", 0));
    TMyFont big;
    big.Assign(&p.font);
    big.SetSize(28);
    s->ChangeFont(big);
    ASSERT_EQ(s->Fonts.Count(), 2);
    ExpectMetricsOf(*s->Fonts.Font(1), big);
    // Changed again before any text: the same entry takes the new font.
    TMyFont small;
    small.Assign(&p.font);
    small.SetSize(8);
    s->ChangeFont(small);
    ASSERT_EQ(s->Fonts.Count(), 2);
    ExpectMetricsOf(*s->Fonts.Font(1), small);
    EXPECT_LT(s->Fonts.Font(1)->FontHeight, s->Fonts.Font(0)->FontHeight);

    // A superscript shrinks by a quarter, metrics included.
    s->AppendText(*Tok("b", 1));
    p.doc.Build.Shift = 2;
    TMyFont sup;
    sup.Assign(&big);
    s->ChangeFont(sup);
    p.doc.Build.Shift = 0;
    TFontObj* shifted = s->Fonts.Font(2);
    EXPECT_EQ(shifted->TheFont.NormalSize, 9);
    sup.NormalSize = 9;
    sup.SetSize(EffectiveSize(p.doc.FontSize, 9));
    ExpectMetricsOf(*shifted, sup);

    // A later change of the font itself is measured again.
    shifted->TheFont.SetSize(40);
    TMyFont huge;
    huge.Assign(&p.font);
    huge.SetSize(40);
    ExpectMetricsOf(*shifted, huge);
    EXPECT_GT(shifted->FontHeight, s->Fonts.Font(1)->FontHeight);

    // Another thread measures with a DC of its own and gets the same answer.
    int other = 0;
    std::thread t([&] {
        TFontObj f(nullptr, huge, 0);
        other = f.FontHeight;
    });
    t.join();
    EXPECT_EQ(other, shifted->FontHeight);
}

TEST_F(Sections, ALongParagraphFindsItsFontRunsAndPicturesByPosition) {
    // A paragraph of many links and pictures: every position answers with
    // the font run it is in and the picture standing there, as a walk over
    // the lists would.
    Page p;
    auto s = p.Section();
    std::vector<int> fontStarts{0};
    std::vector<int> pictures;
    for (int i = 0; i < 300; ++i) {
        if (i % 3 == 0) {
            p.font.SetSize(10 + i % 7);
            s->ChangeFont(p.font);
            if (fontStarts.back() != s->Len) fontStarts.push_back(s->Len);
        }
        s->AppendText(*Tok("word ", i * 6));
        if (i % 5 == 0) {
            pictures.push_back(s->Len);
            s->AddImage(*ImageAttrs("i.bmp", "", 8, 8), i * 6 + 5);
        }
    }
    const int len = s->Len;
    for (int pos = 0; pos < len; ++pos) {
        auto after = std::upper_bound(fontStarts.begin(), fontStarts.end(), pos);
        const int expected = after == fontStarts.end() ? len - pos : *after - pos;
        ASSERT_EQ(s->Fonts.CountAt(pos, len), expected) << "at " << pos;
        const bool picture = std::binary_search(pictures.begin(), pictures.end(), pos);
        TImageObj* img = s->Images->FindImage(pos);
        ASSERT_EQ(img != nullptr, picture) << "at " << pos;
        if (img) {
            EXPECT_EQ(img->Pos, pos);
        }
    }
    EXPECT_EQ(s->Images->FindImage(-1), nullptr);
    EXPECT_EQ(s->Images->FindImage(len), nullptr);

    // Laid out, the lines cover the buffer once, in order.
    auto* sec = p.Add(std::move(s));
    p.LayOut(300);
    int covered = 0;
    for (const auto& line : sec->Lines()) {
        EXPECT_EQ(line.Start, covered);
        covered += line.Ln;
    }
    EXPECT_EQ(covered, len);
}

TEST_F(Sections, ALayoutErrorIsReportedInAMessageBoxByDefault) {
    struct Broken : TSectionBase {
        using TSectionBase::TSectionBase;
        int LayOut(TCanvas*, int, IndentManager&, int&, int&) override { throw EProcessError("Table too wide"); }
    };
    testkit::Session session;
    Page p;
    p.doc.OnProcessError = nullptr;
    p.Add(std::make_unique<Broken>(&p.doc));
    p.LayOut(300);
    EXPECT_EQ(session.Texts(), std::vector<std::string>{"Table too wide"});
    EXPECT_EQ(p.doc.Count(), 0);
}

TEST_F(Sections, TheBackgroundPictureIsFetchedOnce) {
    Page p;
    Pictures pics;
    pics.Add("back.bmp", 8, 8, clTeal);
    pics.Attach(p.doc);
    p.doc.BitmapName = "back.bmp";
    TBitmap* mask = nullptr;
    TBitmap* back = p.doc.BackgroundPicture(mask);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Width(), 8);
    EXPECT_EQ(p.doc.BackgroundPicture(mask), back);
    EXPECT_EQ(pics.requests["back.bmp"], 1);
    p.doc.Clear();
    EXPECT_EQ(BitmapList()->Item(BitmapList()->IndexOf("BACK.BMP"))->UsageCount, 0);
}

TEST_F(Sections, AFloatHangingBesideTheNextSectionKeepsItsLink) {
    Page p;
    Pictures pics;
    pics.Add("tall.bmp", 40, 120);
    pics.Attach(p.doc);
    TUrlTarget pictureLink("picture.htm", "");
    auto s = p.Section(TSection::Left, 0, &pictureLink);
    s->AddImage(*ImageAttrs("tall.bmp", "left"), 0);
    s->AppendText(*Tok("short", 1));
    auto* first = p.Add(std::move(s));
    TUrlTarget textLink("text.htm", "");
    auto t = p.Section(TSection::Left, 0, &textLink);
    t->AppendText(*Tok("beside", 10));
    auto* second = p.Add(std::move(t));
    p.LayOut(300);
    p.Paint(300);
    ASSERT_LT(first->SectionHeight, 60);
    ASSERT_GT(first->DrawHeight, 100);
    const int y = second->Lines()[0].Top + 2;
    TObject* control = nullptr;
    auto onPicture = p.doc.LinkAt(p.Canvas(), 10, y, control);
    ASSERT_NE(onPicture, nullptr);
    EXPECT_EQ(onPicture->Url, "picture.htm");
    auto onText = p.doc.LinkAt(p.Canvas(), second->Lines()[0].DrawXX + 3, y, control);
    ASSERT_NE(onText, nullptr);
    EXPECT_EQ(onText->Url, "text.htm");
    EXPECT_EQ(second->Lines()[0].LineLeftX, 42 + 5);  // bordered inside its link, plus side space
}

TEST_F(Sections, AStrayListItemIndentsByFifteen) {
    Page p;
    const int saved = ListIndentStep;
    ListIndentStep = 15;
    auto s = p.Section(TSection::Left, 1);
    ListIndentStep = saved;
    s->AppendText(*Tok("stray"));
    auto* stray = p.Add(std::move(s));
    auto n = p.Section(TSection::Left, 1);
    n->AppendText(*Tok("normal", 10));
    auto* normal = p.Add(std::move(n));
    p.LayOut(300);
    EXPECT_EQ(stray->Indent, 15);
    EXPECT_EQ(stray->FirstLineIndent, 15);
    EXPECT_EQ(stray->Lines()[0].LineLeftX, 15);
    // The next item at the same level keeps the record already open.
    EXPECT_EQ(normal->FirstLineIndent, 15);
}
