// Tags, attributes, the SCRIPT and TEXTAREA readers and include directives.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "htmlview/tokenizer/TokenizerHelpers.h"

using namespace htmlview;
using namespace tokenizer_test;

namespace {

struct Attr {
    Symb Which;
    std::int32_t Value;
    std::string Name;
    bool operator==(const Attr&) const = default;
};

// The attribute list after reading the first token of Html.
std::vector<Attr> AttrsOf(const std::string& Html, Symb* Sy = nullptr) {
    THtmlTokenizer t;
    t.Start(Html.data(), Html.size());
    t.Advance();
    t.Next();
    if (Sy) *Sy = t.Sy;
    std::vector<Attr> out;
    for (int i = 0; i < t.Attributes().Count(); ++i) {
        const TAttribute* a = t.Attributes().Attr(i);
        out.push_back({static_cast<Symb>(a->Which), a->Value, a->Name});
    }
    return out;
}

void PrintTo(const Attr& A, std::ostream* os) {
    *os << SymbolName(A.Which) << "=" << A.Value << "/\"" << A.Name << "\"";
}

// ---- Tag names ---------------------------------------------------------------------------

TEST(TokenizerTags, NamesInAnyCaseGiveStartAndEndSymbols) {
    const auto toks = Tokenize("<TaBlE><tr></Tr></table><Br><A href=x></a>");
    EXPECT_EQ(Symbols(toks), (std::vector<Symb>{TableSy, TRSy, TREndSy, TableEndSy, BRSy, ASy, AEndSy, EofSy}));
}

TEST(TokenizerTags, EveryTableEntryRoundTrips) {
    int withEnd = 0;
    for (int s = HtmlSy; s <= WbrSy; ++s) {
        const std::string name = SymbolName(static_cast<Symb>(s));
        const auto toks = Tokenize("<" + name + "></" + name + ">");
        ASSERT_EQ(toks.size(), 3u) << name;
        EXPECT_EQ(toks[0].Sy, s) << name;
        const TTagEntry* e = LookupTag(name);
        ASSERT_NE(e, nullptr);
        if (e->End != UnknownTagSy) {
            ++withEnd;
            EXPECT_EQ(toks[1].Sy, e->End) << name;
            EXPECT_EQ(std::string("/") + name, SymbolName(e->End));
        } else {
            EXPECT_EQ(toks[1].Sy, UnknownTagSy) << name;  // </LI> and the like
        }
    }
    EXPECT_EQ(withEnd, 49);
}

TEST(TokenizerTags, UnknownAndNamelessTags) {
    EXPECT_EQ(Symbols(Tokenize("<blink>x</blink>")), (std::vector<Symb>{UnknownTagSy, TextSy, UnknownTagSy, EofSy}));
    EXPECT_EQ(Symbols(Tokenize("</ >")), (std::vector<Symb>{UnknownTagSy, EofSy}));
    EXPECT_EQ(Symbols(Tokenize("</li>")), (std::vector<Symb>{UnknownTagSy, EofSy}));
    // The name is letters only: "<B2>" is B, "<TD3>" is TD.
    EXPECT_EQ(Symbols(Tokenize("<B2><TD3 align=left>")), (std::vector<Symb>{BSy, TDSy, EofSy}));
    // A name past 255 letters is cut, not kept whole.
    EXPECT_EQ(Symbols(Tokenize("<" + std::string(1000, 'b') + ">")), (std::vector<Symb>{UnknownTagSy, EofSy}));
}

TEST(TokenizerTags, HeadingLevelFromTheDigitAfterH) {
    struct Case {
        const char* Html;
        Symb Sy;
        int Level;
    };
    const Case cases[] = {{"<H3>", HSy, 3}, {"</h6>", HEndSy, 6}, {"<h 2>", HSy, 2}, {"<H7>", HSy, 0},
                          {"<H0>", HSy, 0}, {"<H>", HSy, 0},      {"<H1 align=center>", HSy, 1}};
    for (const Case& c : cases) {
        THtmlTokenizer t;
        const std::string s = c.Html;
        t.Start(s.data(), s.size());
        t.Advance();
        t.Next();
        EXPECT_EQ(t.Sy, c.Sy) << c.Html;
        EXPECT_EQ(t.HeadingLevel, c.Level) << c.Html;
        t.Next();
        EXPECT_EQ(t.Sy, EofSy) << c.Html;  // the rest of the tag went with it
    }
}

TEST(TokenizerTags, TagPositionAndWhatFollowsTheTag) {
    THtmlTokenizer t;
    const std::string s = "ab <p\r\n align=left >cd";
    t.Start(s.data(), s.size());
    t.Advance();
    t.Next();
    t.Next();
    EXPECT_EQ(t.Sy, PSy);
    EXPECT_EQ(t.TagPos, 3);
    t.Next();
    EXPECT_EQ(t.Token().S, "cd");
    EXPECT_EQ(t.Token().Position(0), 20);
}

TEST(TokenizerTags, UnterminatedTagEndsAtEndOfFile) {
    Symb sy;
    const auto attrs = AttrsOf("<a href=\"x.htm", &sy);
    EXPECT_EQ(sy, ASy);
    EXPECT_EQ(attrs, (std::vector<Attr>{{HrefAttr, 0, "x.htm"}}));
    EXPECT_EQ(Symbols(Tokenize("<table border")), (std::vector<Symb>{TableSy, EofSy}));
}

// ---- Attributes ----------------------------------------------------------------------

TEST(TokenizerAttributes, ValueForms) {
    EXPECT_EQ(AttrsOf("<img src=\"a b.gif\" alt='it' width=50 height=-3 align=left border>"),
              (std::vector<Attr>{{SrcAttr, 0, "a b.gif"},
                                 {AltAttr, 0, "it"},
                                 {WidthAttr, 50, "50"},
                                 {HeightAttr, -3, "-3"},
                                 {AlignAttr, 0, "left"},
                                 {BorderAttr, 1, ""}}));
}

TEST(TokenizerAttributes, NumbersAndPercentages) {
    struct Case {
        const char* Html;
        std::int32_t Value;
        const char* Text;
    };
    const Case cases[] = {
        {"<td width=50%>", 50, "50%"},
        {"<td width=50 %>", 50, "50%"},
        {"<td width=\"50%\">", 50, "50%"},
        {"<td width=\" 50% \">", 50, "50%"},
        {"<td width=\"50 %\">", 0, "50 %"},
        {"<td width=100px>", 0, "100px"},
        {"<td width=+7>", 7, "+7"},
        {"<td width=\"-7\">", -7, "-7"},
        {"<td width=2147483647>", 2147483647, "2147483647"},
        {"<td width=-2147483648>", -2147483647 - 1, "-2147483648"},
        {"<td width=2147483648>", 0, "2147483648"},
        {"<td width=\"99999999999999999999999\">", 0, "99999999999999999999999"},
        {"<td width=->", 0, "-"},
        {"<td width=abc>", 0, "abc"},
        {"<td border=\"x\">", 0, "x"},
        {"<td border=x>", 1, "x"},  // a plain value leaves the starting 1
        {"<td width = 12 >", 12, "12"},
        {"<td width=>", 0, ""},
    };
    for (const Case& c : cases) {
        const auto attrs = AttrsOf(c.Html);
        ASSERT_EQ(attrs.size(), 1u) << c.Html;
        EXPECT_EQ(attrs[0].Value, c.Value) << c.Html;
        EXPECT_EQ(attrs[0].Name, c.Text) << c.Html;
    }
}

TEST(TokenizerAttributes, QuotedValuesDecodeEntitiesDropLineEndsAndTrim) {
    EXPECT_EQ(AttrsOf("<a href=\"\r\n a.htm?x=1&amp;y=2&bogus;\r\nz \">"),
              (std::vector<Attr>{{HrefAttr, 0, "a.htm?x=1&y=2&bogus;z"}}));
    // The symbol stays the tag's across the entity.
    Symb sy;
    AttrsOf("<font face=\"a&lt;b\">", &sy);
    EXPECT_EQ(sy, FontSy);
    // A quote of the other kind is part of the value.
    EXPECT_EQ(AttrsOf("<a title='say \"hi\"'>"), (std::vector<Attr>{{UnknownAttr, 0, "say \"hi\""}}));
}

TEST(TokenizerAttributes, NamesAreUpperCasedWithHyphens) {
    EXPECT_EQ(AttrsOf("<meta Http-Equiv=\"Refresh\" content=\"5\" data-x=1>"),
              (std::vector<Attr>{{HttpEquivAttr, 0, "Refresh"}, {ContentAttr, 5, "5"}, {UnknownAttr, 1, "1"}}));
    EXPECT_EQ(LookupAttribute("VALUE"), ValueAttr);
    EXPECT_EQ(LookupAttribute("value"), UnknownAttr);
}

TEST(TokenizerAttributes, OnlyKeepingTagsReplaceTheList) {
    THtmlTokenizer t;
    const std::string s = "<body bgcolor=red><b class=x><i>";
    t.Start(s.data(), s.size());
    t.Advance();
    for (int i = 0; i < 3; ++i) {
        t.Next();
        TAttribute* a = nullptr;
        ASSERT_TRUE(t.Find(BgColorAttr, a)) << i;
        EXPECT_EQ(a->Name, "red");
        EXPECT_EQ(t.Attributes().Count(), 1);
    }
    // An unknown tag reads its attributes but keeps the list too.
    const std::string u = "<img src=a.gif><blink src=b.gif></br src=c.gif>";
    t.Start(u.data(), u.size());
    t.Advance();
    for (int i = 0; i < 3; ++i) {
        t.Next();
        TAttribute* a = nullptr;
        ASSERT_TRUE(t.Find(SrcAttr, a));
        EXPECT_EQ(a->Name, "a.gif");
    }
}

TEST(TokenizerAttributes, AttributeReadingStopsAtANonLetter) {
    Symb sy;
    EXPECT_EQ(AttrsOf("<hr size=2 \"junk\" width=5>", &sy), (std::vector<Attr>{{SizeAttr, 2, "2"}}));
    EXPECT_EQ(sy, HRSy);
    EXPECT_EQ(AttrsOf("<hr/>"), (std::vector<Attr>{}));
}

// ---- SCRIPT and TEXTAREA ----------------------------------------------------------------

std::vector<Tok> BodyTokens(const std::string& Html, Reader R, bool Script = false) {
    THtmlTokenizer t;
    t.Start(Html.data(), Html.size());
    t.ScriptMode = Script;
    t.Advance();
    return Tokens(t, R);
}

TEST(TokenizerScript, TagsAndLineEndsComeLiterally) {
    const auto toks = BodyTokens("if (a<b) x();\r\ny = '<p>';</SCRIPT>z", Reader::Script, true);
    std::vector<std::pair<Symb, std::string>> got;
    for (const Tok& t : toks) got.emplace_back(t.Sy, t.Text);
    EXPECT_EQ(got, (std::vector<std::pair<Symb, std::string>>{{TextSy, "if (a"},
                                                              {UnknownTagSy, "<b"},
                                                              {TextSy, ") x();"},
                                                              {EolSy, ""},
                                                              {TextSy, "y = '"},
                                                              {UnknownTagSy, "<p>"},
                                                              {TextSy, "';"},
                                                              {ScriptEndSy, "</SCRIPT>"},
                                                              {TextSy, "z"},
                                                              {EofSy, ""}}));
}

TEST(TokenizerScript, EndNeedsTheWholeName) {
    const auto toks = BodyTokens("</scrip></scriptx></script", Reader::Script, true);
    EXPECT_EQ(Symbols(toks), (std::vector<Symb>{UnknownTagSy, UnknownTagSy, TextSy, UnknownTagSy, EofSy}));
}

TEST(TokenizerTextArea, ContentStaysAsTyped) {
    const auto toks = BodyTokens("a<b>c &amp; d\r\nline 2</TextArea>", Reader::TextArea);
    std::vector<std::pair<Symb, std::string>> got;
    for (const Tok& t : toks) got.emplace_back(t.Sy, t.Text);
    EXPECT_EQ(got, (std::vector<std::pair<Symb, std::string>>{{TextSy, "a"},
                                                              {UnknownTagSy, "<b"},
                                                              {TextSy, ">c "},
                                                              {TextSy, "&"},
                                                              {TextSy, " d"},
                                                              {EolSy, ""},
                                                              {TextSy, "line 2"},
                                                              {TextAreaEndSy, "</TextArea"},
                                                              {TextSy, ">"},
                                                              {EofSy, ""}}));
}

// ---- Include directives ----------------------------------------------------------------

struct IncludeCall {
    std::string Command;
    std::vector<std::string> Params;
};

TEST(TokenizerInclude, HandlerTextIsReadInPlaceOfTheDirective) {
    std::vector<IncludeCall> calls;
    gui::TObject sender;
    gui::TObject* seen = nullptr;
    std::string included;
    THtmlTokenizer t;
    t.SetIncludeHandler(
        [&](gui::TObject* S, const gui::String& Cmd, gui::TStringList* P, const char*& Buf, std::int32_t& Size) {
            seen = S;
            EXPECT_EQ(Size, 0);
            IncludeCall c{Cmd, {}};
            for (int i = 0; i < P->Count(); ++i) c.Params.push_back(P->Strings(i));
            calls.push_back(c);
            included = "<b>in</b><!--#nested -->" + std::to_string(calls.size());
            Buf = included.data();
            Size = static_cast<std::int32_t>(included.size());
        },
        &sender);
    const std::string s = "x<!--#Include file=\"a&amp;b.htm\" Virtual = /v -->y";
    t.Start(s.data(), s.size());
    t.Advance();
    t.Next();
    EXPECT_EQ(t.Token().S, "x");
    // The handler's memory is its own once it has returned: the text was copied.
    std::fill(included.begin(), included.end(), 'Z');
    const auto toks = Tokens(t);
    ASSERT_EQ(calls.size(), 1u);  // the directive in the included text is a plain comment
    EXPECT_EQ(seen, &sender);
    EXPECT_EQ(calls[0].Command, "Include");
    EXPECT_EQ(calls[0].Params, (std::vector<std::string>{"FILE=\"a&b.htm\"", "VIRTUAL=\"/v\""}));
    std::vector<std::pair<Symb, std::string>> got;
    for (const Tok& k : toks) got.emplace_back(k.Sy, k.Text);
    EXPECT_EQ(got, (std::vector<std::pair<Symb, std::string>>{
                       {BSy, ""}, {TextSy, "in"}, {BEndSy, ""}, {TextSy, "1y"}, {EofSy, ""}}));
    // Included characters sit where the main text resumes.
    const std::int32_t yPos = static_cast<std::int32_t>(s.size() - 1);
    EXPECT_EQ(toks[1].Pos, (std::vector<std::int32_t>{yPos, yPos}));
    EXPECT_EQ(toks[3].Pos, (std::vector<std::int32_t>{yPos, yPos}));
}

TEST(TokenizerInclude, WithoutHandlerOrTextTheDirectiveIsAComment) {
    EXPECT_EQ(JoinedText(Tokenize("a<!--#include file=x -->b")), "ab");
    int calls = 0;
    THtmlTokenizer t;
    t.SetIncludeHandler([&](gui::TObject*, const gui::String&, gui::TStringList*, const char*&,
                            std::int32_t& Size) { ++calls; Size = -5; },
                        nullptr);
    const std::string s = "a<!--#echo-->b<!--#echo-->c";
    t.Start(s.data(), s.size());
    t.Advance();
    EXPECT_EQ(JoinedText(Tokens(t)), "abc");
    EXPECT_EQ(calls, 2);
}

TEST(TokenizerInclude, UnterminatedDirectiveRaisesWithoutCallingTheHandler) {
    int calls = 0;
    THtmlTokenizer t;
    t.SetIncludeHandler([&](gui::TObject*, const gui::String&, gui::TStringList*, const char*&,
                            std::int32_t&) { ++calls; },
                        nullptr);
    for (const std::string s : {"<!--#include file=\"x", "<!--#include file=x", "<!--#inc"}) {
        t.Start(s.data(), s.size());
        t.Advance();
        EXPECT_THROW(t.Next(), EParseError) << s;
    }
    EXPECT_EQ(calls, 0);
}

}  // namespace
