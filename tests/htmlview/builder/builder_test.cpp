// The document builder: what each tag builds, the repairs of missing end
// tags, the font stack and the edge cases that pages written for this
// viewer rely on.
#include <gtest/gtest.h>

#include <cstdio>

#include "htmlview/builder/BuildKit.h"

using namespace buildkit;

namespace {

// ---- Values -------------------------------------------------------------------------------------

TEST(BuilderValues, ColoursByNameAndPaddedHex) {
    TColor c = 0;
    ASSERT_TRUE(ParseColorValue("#f00", c));
    EXPECT_EQ(c, 0x0000F0);  // f00000: red 240
    ASSERT_TRUE(ParseColorValue("red", c));
    EXPECT_EQ(c, 0x0000FF);
    ASSERT_TRUE(ParseColorValue("Red", c));
    EXPECT_EQ(c, 0x0000FF);
    ASSERT_TRUE(ParseColorValue("#102030", c));
    EXPECT_EQ(c, 0x302010);
    EXPECT_FALSE(ParseColorValue("rgb", c));
    EXPECT_FALSE(ParseColorValue("", c));
    EXPECT_FALSE(ParseColorValue("#", c));
}

TEST(BuilderValues, SizeTablesAndCharsets) {
    EXPECT_EQ(FontSizeOfNumber(1, false), 8);
    EXPECT_EQ(FontSizeOfNumber(7, false), 36);
    EXPECT_EQ(FontSizeOfNumber(99, false), 36);
    EXPECT_EQ(FontSizeOfNumber(4, true), 12);
    EXPECT_EQ(CharsetOfContentType("text/html; charset=windows-1251"), 204);
    EXPECT_EQ(CharsetOfContentType("text/html; charset=KOI8-R"), 204);
    EXPECT_EQ(CharsetOfContentType("text/html; charset=iso-8859-1"), 0);
    EXPECT_EQ(CharsetOfContentType("text/html; charset=utf-8"), -1);
}

// ---- Text, fonts and paragraphs -------------------------------------------------------------------

TEST(Builder, RelativeFontSizesFollowTheBaseFontAndClamp) {
    Built b;
    b.Parse("<font size=+1>a</font><font size=9>b</font><font size=-9>c</font>"
            "<basefont size=5><font size=+1>d</font>");
    auto secs = Built::All<TSection>(b.doc());
    ASSERT_EQ(secs.size(), 1u);
    std::vector<int> sizes;
    for (int i = 0; i < secs[0]->Fonts.Count(); ++i) sizes.push_back(secs[0]->Fonts.Font(i)->TheFont.NormalSize);
    // After text, BASEFONT changes no displayed font but the base for +1.
    EXPECT_EQ(sizes, (std::vector<int>{14, 36, 8, 24, 12}));
}

TEST(Builder, ParagraphsGiveOneSpaceAndNoneAtACellsStart) {
    Built b;
    b.Parse("one<p><p align=center><p>two<table><tr><td><p>cell</table>");
    EXPECT_EQ(Built::All<TParagraphSpace>(b.doc()).size(), 1u);
    auto texts = Built::All<TSection>(b.doc());
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[1]->Buffer(), "two");
    EXPECT_EQ(texts[1]->Justify, TSection::Left);  // the last P's alignment
    auto tables = Built::All<ThtmlTable>(b.doc());
    ASSERT_EQ(tables.size(), 1u);
    const TCell& cell = *tables[0]->Row(0)->CellObj(0)->Cell;
    EXPECT_TRUE(Built::All<TParagraphSpace>(cell).empty());
    EXPECT_EQ(Built::Texts(cell), (std::vector<std::string>{"cell"}));
}

TEST(Builder, StylesHeadingsAndTheFontStackCap) {
    Built b;
    std::string many;
    for (int i = 0; i < 40; ++i) many += "<font size=" + std::to_string(1 + i % 7) + ">x";
    b.Parse("<b>bold</b><h1>Head</h1>" + many + "<h2>not applied</h2>tail");
    auto secs = Built::All<TSection>(b.doc());
    ASSERT_GE(secs.size(), 2u);
    EXPECT_TRUE(secs[0]->Fonts.Font(0)->TheFont.Style().Contains(fsBold));
    EXPECT_EQ(secs[1]->Buffer(), "Head");
    EXPECT_EQ(secs[1]->Fonts.Font(0)->TheFont.NormalSize, 24);
    EXPECT_TRUE(secs[1]->Fonts.Font(0)->TheFont.Style().Contains(fsBold));
    // H2 found the stack full; its end still adds a gap and pops one font.
    EXPECT_EQ(Built::All<THeadingSpace>(b.doc()).size(), 3u);
    // 24 pushes fit above the base font; the rest change nothing.
    const TSection* last = secs.back();
    EXPECT_NE(last->Buffer().find("tail"), std::string::npos);
    EXPECT_EQ(Built::LastFont(last)->TheFont.NormalSize, FontSizeOfNumber(1 + 22 % 7, false));
}

TEST(Builder, LinksAnchorsTitleAndBase) {
    Built b;
    b.Parse("<title>The </title><title>Page</title><base href=\"http://x/\" target=main>"
            "<a name=top>t</a><a href=\"#Top\" target=_blank>go</a> and <a name=TOP>dup</a>");
    EXPECT_EQ(b.result.Title, "The Page");  // every TITLE adds its text
    EXPECT_EQ(b.result.Base, "http://x/");
    EXPECT_EQ(b.result.BaseTarget, "main");
    ASSERT_EQ(b.names.Count(), 1);
    EXPECT_EQ(b.names.Get(0), "TOP");
    ASSERT_EQ(b.doc().LinkList.size(), 1u);
    TFontObj* link = b.doc().LinkList[0];
    EXPECT_EQ(link->UrlTarget.Url, "#Top");
    EXPECT_EQ(link->UrlTarget.Target, "_blank");
    EXPECT_TRUE(link->TheFont.Style().Contains(fsUnderline));
    EXPECT_EQ(b.names.GetObject(0), link->Section);  // the first anchor wins
}

TEST(Builder, BodyColoursOnlyBeforeContentAndTheMarginHook) {
    Built b;
    int mw = -2, mh = -2;
    THtmlParseHooks hooks;
    hooks.IsViewer = true;
    hooks.SetMargins = [&](int w, int h) {
        if (w >= 0) mw = w;
        if (h >= 0) mh = h;
    };
    b.Parse("<body bgcolor=#000080 text=yellow link=lime vlink=red olink=aqua marginwidth=500 "
            "marginheight=7>x<body bgcolor=white>",
            hooks);
    EXPECT_EQ(b.doc().Background, 0x02800000);
    EXPECT_EQ(b.doc().FontColor, 0x0200FFFF);
    EXPECT_EQ(b.doc().HotSpotColor, 0x0200FF00);
    EXPECT_EQ(b.doc().LinkVisitedColor, 0x020000FF);
    EXPECT_TRUE(b.doc().LinksActive);
    EXPECT_EQ(mw, 200);
    EXPECT_EQ(mh, 7);
}

// ---- Lists ---------------------------------------------------------------------------------------

TEST(Builder, ListsNumberNestAndEndAtAnyListEnd) {
    Built b;
    b.Parse("<ol start=3 type=a><li>a<li>b<ul plain><li>c</ol><li>d</ul>after");
    auto items = Built::All<TUListItem>(b.doc());
    ASSERT_EQ(items.size(), 4u);
    auto* o = dynamic_cast<TOListItem*>(items[1]);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->ListNumber, 4);
    EXPECT_EQ(o->ListStyle, 'a');
    EXPECT_EQ(items[2]->ListLevel, 2);
    EXPECT_TRUE(items[2]->PlainItem);
    // </ol> closed the inner list; the outer OL goes on numbering.
    EXPECT_EQ(items[3]->ListLevel, 1);
    EXPECT_NE(dynamic_cast<TOListItem*>(items[3]), nullptr);
    EXPECT_EQ(Built::Texts(b.doc()).back(), "after");
}

TEST(Builder, StrayItemsIndentFifteenAndItemsAfterACenterBlockAreIgnored) {
    Built b;
    b.Parse("<li>stray <b>bold</b><p>para<ul><li>one<center>mid</center><li>ignored</ul>");
    auto items = Built::All<TUListItem>(b.doc());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]->Indent, 15);
    EXPECT_EQ(items[0]->Buffer(), "stray bold");
    EXPECT_EQ(ListIndentStep, 35);
    EXPECT_EQ(items[1]->Buffer(), "one");
    bool sawIgnored = false;
    for (auto& t : Built::Texts(b.doc())) sawIgnored = sawIgnored || t.find("ignored") != std::string::npos;
    EXPECT_TRUE(sawIgnored);  // its text stays, in a plain section
    EXPECT_EQ(Built::All<TUListItem>(b.doc()).size(), 2u);
}

// ---- Tables --------------------------------------------------------------------------------------

TEST(Builder, TablesRepairMissingEndTagsAndPutStrayTextFirst) {
    Built b;
    b.Parse("<table border=1><caption align=bottom>cap</caption><tr>before<td>a<font size=7><b>big"
            "<td nowrap>b<tr><th>c</table>after");
    auto secs = Built::Texts(b.doc());
    ASSERT_GE(secs.size(), 2u);
    EXPECT_EQ(secs.front(), "before");
    EXPECT_EQ(secs.back(), "after");
    auto tables = Built::All<ThtmlTable>(b.doc());
    ASSERT_EQ(tables.size(), 1u);
    ThtmlTable& t = *tables[0];
    ASSERT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Row(0)->Count(), 2);
    EXPECT_EQ(t.Row(1)->Count(), 1);
    EXPECT_FALSE(t.TopCaption);
    EXPECT_EQ(Built::Texts(*t.Caption->Cell), (std::vector<std::string>{"cap"}));
    // The cell's FONT and B end with the cell.
    auto* b2 = Built::All<TSection>(*t.Row(0)->CellObj(1)->Cell)[0];
    EXPECT_EQ(b2->Fonts.Font(0)->TheFont.NormalSize, 12);
    EXPECT_FALSE(b2->Fonts.Font(0)->TheFont.Style().Contains(fsBold));
    auto* th = Built::All<TSection>(*t.Row(1)->CellObj(0)->Cell)[0];
    EXPECT_EQ(th->Justify, TSection::Centre);
    EXPECT_TRUE(th->Fonts.Font(0)->TheFont.Style().Contains(fsBold));
    // After the table, bold is off again.
    auto after = Built::All<TSection>(b.doc()).back();
    EXPECT_FALSE(after->Fonts.Font(0)->TheFont.Style().Contains(fsBold));
}

// ---- Preformatted text -------------------------------------------------------------------------------

TEST(Builder, PreKeepsLinesSpacesAndEntities) {
    Built b;
    b.Parse("<pre>a  b&amp;c\n<b>x</b>\tend<br>\nlast</pre>after");
    auto pre = Built::All<TPreFormated>(b.doc());
    std::vector<std::string> lines;
    for (auto* p : pre) lines.push_back(p->Buffer());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "a  b&c");
    EXPECT_EQ(lines[1], "x end");  // TAB reads as one space
    EXPECT_EQ(lines[2], "last");   // BR and the line end give one line
    EXPECT_TRUE(pre[0]->Fonts.Font(0)->TheFont.Fixed);
    EXPECT_EQ(Built::Texts(b.doc()).back(), "after");
    EXPECT_FALSE(Built::All<TSection>(b.doc()).back()->Fonts.Font(0)->TheFont.Fixed);
}

// ---- Maps, forms, events ----------------------------------------------------------------------------

TEST(Builder, MapsNeedTheirEndAndFewStrayTags) {
    Built b;
    b.Parse("<map name=nav><area href=a.htm coords=0,0,10,10>text</map>"
            "<map name=bad><b><i><u><area href=b.htm></map>x");
    ASSERT_EQ(b.doc().MapList.Count(), 1);
    auto* m = static_cast<TMapItem*>(b.doc().MapList.Items(0));
    EXPECT_EQ(m->MapName, "NAV");
    EXPECT_EQ(m->Areas.Count(), 1);
}

TEST(Builder, FormsSelectAndTextArea) {
    Built b;
    b.Parse("<form action=go><select name=s><option value=1>One<option selected>  Two  <option></option>"
            "</select><textarea name=t>line 1\nline <b>2</b></textarea><input type=hidden name=h></form>"
            "<input name=outside>");
    ASSERT_EQ(b.doc().htmlFormList.Count(), 2);
    auto* f = static_cast<ThtmlForm*>(b.doc().htmlFormList.Items(0));
    EXPECT_EQ(f->Action, "go");
    ASSERT_EQ(f->ControlList.size(), 3u);
    auto* sel = dynamic_cast<TSelectFormControlObj*>(f->ControlList[0].get());
    ASSERT_NE(sel, nullptr);
    ASSERT_EQ(sel->OptionCount(), 2);
    EXPECT_EQ(sel->TheOptions->Get(1), "Two");
    EXPECT_EQ(sel->OptionValue(0), "1");
    auto* ta = dynamic_cast<TTextAreaFormControlObj*>(f->ControlList[1].get());
    ASSERT_NE(ta, nullptr);
    EXPECT_EQ(ta->TheText, (std::vector<std::string>{"line 1", "line <b>2</b>"}));
}

TEST(Builder, MetaSoundAndScriptEvents) {
    Built b;
    std::vector<std::string> seen;
    THtmlParseHooks hooks;
    hooks.IsViewer = true;
    hooks.OnMeta = [&](TObject*, const String& e, const String& n, const String& c) {
        seen.push_back("meta " + e + "|" + n + "|" + c);
    };
    hooks.OnSoundRequest = [&](TObject*, const String& s, std::int32_t loop, bool term) {
        seen.push_back("sound " + s + " " + std::to_string(loop) + (term ? " t" : " f"));
    };
    hooks.OnScript = [&](TObject*, const String& n, const String& l, const char* text) {
        seen.push_back("script " + n + "|" + l + "|" + text);
    };
    b.Parse("<meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\">"
            "<bgsound src=a.mid loop=3><bgsound src=b.mid><bgsound>"
            "<script language=js name=n>if (a<b) {\n<!-- x -->}</script><p>text",
            hooks);
    EXPECT_EQ(seen, (std::vector<std::string>{"meta Content-Type||text/html; charset=windows-1251",
                                              "sound a.mid 3 f", "sound b.mid 1 f",
                                              "script n|js|if (a<b) {\r\n<!-- x -->}"}));
    auto secs = Built::All<TSection>(b.doc());
    ASSERT_FALSE(secs.empty());
    EXPECT_EQ(secs.back()->Buffer(), "text");
    EXPECT_EQ(secs.back()->Fonts.Font(0)->TheFont.Charset(), 204);
}

TEST(Builder, UnterminatedCommentKeepsWhatCameBefore) {
    Built b;
    b.Parse("<b>kept</b> text<!-- never closed <p>lost");
    EXPECT_EQ(Built::Texts(b.doc()), (std::vector<std::string>{"kept text"}));
}

TEST(Builder, ParseFileReadsTheFileAndReportsAMissingOne) {
    Built b;
    const std::string name = ::testing::TempDir() + "builder_page.htm";
    FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("<title>T</title>file text", f);
    std::fclose(f);
    auto r = HtmlParseFile(&b.doc(), &b.names, name);
    EXPECT_EQ(r.Title, "T");
    EXPECT_EQ(Built::Texts(b.doc()), (std::vector<std::string>{"file text"}));
    Built c;
    EXPECT_THROW(HtmlParseFile(&c.doc(), &c.names, name + ".missing"), Exception);
}

}  // namespace
