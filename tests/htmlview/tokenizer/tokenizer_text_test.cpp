// Characters, line ends, comments, entities and text runs.
#include <gtest/gtest.h>

#include "htmlview/tokenizer/TokenizerHelpers.h"

using namespace htmlview;
using namespace tokenizer_test;

namespace {

using Positions = std::vector<std::int32_t>;

// ---- Line ends and positions ---------------------------------------------------------

TEST(TokenizerChars, LineEndsFoldToOneCrAndPositionsCountDroppedBytes) {
    struct Case {
        const char* Html;
        const char* Text;
        Positions Pos;
    };
    // In preformatted text each line end is kept, so the folding shows.
    const Case cases[] = {
        {"a\r\nb", "a\rb", {0, 1, 3}},
        {"a\n\rb", "a\rb", {0, 1, 3}},
        {"a\nb", "a\rb", {0, 1, 2}},
        {"a\r\r\nb", "a\r\rb", {0, 1, 2, 4}},
        {"a\r\n\r\nb", "a\r\rb", {0, 1, 3, 5}},
        {"a\n\nb", "a\r\rb", {0, 1, 2, 3}},
        {"a\tb", "a b", {0, 1, 2}},
    };
    for (const Case& c : cases) {
        const auto toks = Tokenize(c.Html, /*Pre=*/true);
        ASSERT_EQ(toks.size(), 2u) << c.Html;
        EXPECT_EQ(toks[0].Text, c.Text) << c.Html;
        EXPECT_EQ(toks[0].Pos, c.Pos) << c.Html;
    }
}

TEST(TokenizerChars, EndOfTextIsStickyAndByte26EndsTheText) {
    THtmlTokenizer t;
    const std::string html("ab\x1a<b>cd", 8);
    t.Start(html.data(), html.size());
    t.Advance();
    t.Next();
    EXPECT_EQ(t.Token().S, "ab");
    for (int i = 0; i < 3; ++i) {
        t.Next();
        EXPECT_EQ(t.Sy, EofSy);
        EXPECT_EQ(t.Ch(), EofChar);
    }
}

TEST(TokenizerChars, NulAndOtherControlBytesAreSingleCharacters) {
    const auto toks = Tokenize(std::string("a\0b\x01", 4));
    ASSERT_EQ(toks.size(), 5u);
    EXPECT_EQ(toks[0].Text, "a");
    EXPECT_EQ(toks[1].Sy, OtherCharSy);
    EXPECT_EQ(toks[1].Text, std::string(1, '\0'));
    EXPECT_EQ(toks[1].Pos, Positions{1});
    EXPECT_EQ(toks[2].Text, "b");
    EXPECT_EQ(toks[3].Sy, OtherCharSy);
    EXPECT_EQ(toks[4].Sy, EofSy);
}

// ---- Comments and declarations -----------------------------------------------------------

TEST(TokenizerComments, CommentFormsAreSkipped) {
    const char* cases[] = {
        "a<!-- x -->b",
        "a<!---->b",
        "a<!-- x -- >b",          // blanks between "--" and ">"
        "a<!-- x --\r\n>b",
        "a<!-- x ----->b",        // any number of dashes
        "a<!-- - x -- y -->b",    // a lone "-" and a "--" not before ">"
        "a<!-- <b> -->b",
        "a<!DOCTYPE html PUBLIC \"x\">b",
        "a<!>b",
        "a<!-x>b",                // "<!" without "--" is a declaration
        "a<!-->x-->b",            // "-->" right after the opening ends nothing
        "a<!-- 1 --><!X><!-- 2 -->b",
    };
    for (const char* html : cases) {
        const auto toks = Tokenize(html);
        EXPECT_EQ(JoinedText(toks), "ab") << html;
        EXPECT_EQ(toks.size(), 2u) << html;  // one run: the comment does not split it
    }
}

TEST(TokenizerComments, CommentBetweenBlanksCollapsesToOneSpace) {
    EXPECT_EQ(JoinedText(Tokenize("a  <!-- x -->\r\n  <!-- y --> b")), "a b");
}

TEST(TokenizerComments, EndOfFileInsideCommentRaisesAfterEverythingBeforeIt) {
    const char* tails[] = {"<!-- open", "<!-- open -", "<!-- open --", "<!-- open -- ", "<!-- open --\r\n",
                           "<!DOCTYPE",  "<!",          "<!-",          "<!-->"};
    // Before the comment: a tag, text right up to it, and a tag it cuts short.
    for (const std::string head : {"<b>x y", "<a href=x"}) {
        for (const char* tail : tails) {
            const std::string html = head + tail;
            THtmlTokenizer t;
            t.Start(html.data(), html.size());
            t.Advance();
            std::vector<Symb> got;
            std::string text;
            try {
                for (int i = 0; i < 10; ++i) {
                    t.Next();
                    got.push_back(t.Sy);
                    if (t.Sy == TextSy) text += t.Token().S;
                }
                ADD_FAILURE() << "no error for " << html;
            } catch (const EParseError& e) {
                EXPECT_STREQ(e.what(), "Open Comment at End of HTML File") << html;
            }
            if (head[1] == 'b') {
                EXPECT_EQ(got, (std::vector<Symb>{BSy, TextSy})) << html;
                EXPECT_EQ(text, "x y") << html;
            } else {
                EXPECT_EQ(got, std::vector<Symb>{ASy}) << html;
                TAttribute* href = nullptr;
                ASSERT_TRUE(t.Find(HrefAttr, href)) << html;
                EXPECT_EQ(href->Name, "x") << html;
            }
            // The error stays until the next parse, whichever reader asks.
            EXPECT_THROW(t.NextScript(), EParseError);
            EXPECT_THROW(t.NextTextArea(), EParseError);
        }
    }
}

TEST(TokenizerComments, ScriptModeSeesNoComments) {
    THtmlTokenizer t;
    const std::string s = "<!-- x";
    t.Start(s.data(), s.size());
    t.ScriptMode = true;
    t.Advance();
    const auto toks = Tokens(t);
    EXPECT_EQ(JoinedText(toks), "<!-- x");
}

// ---- Entities -------------------------------------------------------------------------

TEST(TokenizerEntities, NamedAndNumericEntitiesDecode) {
    struct Case {
        const char* Html;
        std::string Text;
    };
    const Case cases[] = {
        {"&amp;", "&"},        {"&lt;", "<"},          {"&gt;", ">"},
        {"&quot;", "\""},      {"&rsquo;", "'"},       {"&ndash;", "-"},
        {"&trade;", "\x99"},   {"&nbsp;", "\xa0"},     {"&copy;", "\xa9"},
        {"&copy", "\xa9"},     {"&yuml;", "\xff"},     {"&Agrave;", "\xc0"},
        {"&agrave;", "\xe0"},  {"&ETH;", "\xd0"},      {"&eth;", "\xf0"},
        {"&#65;", "A"},        {"&#65", "A"},          {"&#9;", " "},
        {"&#10;", "\n"},       {"&#32;", " "},         {"&#255;", "\xff"},
        {"&#00065;", "A"},     {"&#8364;", "\x80"},    {"&#8217;", "\x92"},
        {"&#8482;", "\x99"},   {"&#1000;", "?"},       {"&#65601;", "A"},  // low 16 bits
        {"&#65545;", " "},
    };
    for (const Case& c : cases) {
        const auto toks = Tokenize(c.Html);
        ASSERT_EQ(toks.size(), 2u) << c.Html;
        EXPECT_EQ(toks[0].Sy, TextSy) << c.Html;
        EXPECT_EQ(toks[0].Text, c.Text) << c.Html;
        EXPECT_EQ(toks[0].Pos, Positions{0}) << c.Html;
    }
}

TEST(TokenizerEntities, HellipGivesThreeDotsAtTheFirstThreePositions) {
    const auto toks = Tokenize("x&hellip;");
    ASSERT_GE(toks.size(), 2u);
    EXPECT_EQ(toks[1].Text, "...");
    EXPECT_EQ(toks[1].Pos, (Positions{1, 2, 3}));
}

TEST(TokenizerEntities, InvalidEntitiesStayLiteral) {
    const char* cases[] = {
        "&AMP;", "&Amp;", "&foo;", "&foo", "&", "& b", "&;", "&#;", "&#", "&#x41;",
        "&#0;", "&#8;", "&#11;", "&#13;", "&#31;", "&#65536;", "&#123456;", "&#999999999999;",
        "&ampxyz;", "&abcdefgh;", "&#-5;",
    };
    for (const char* html : cases) {
        const auto toks = Tokenize(html);
        EXPECT_EQ(JoinedText(toks), html) << html;
    }
}

TEST(TokenizerEntities, InvalidEntityKeepsItsSourcePositions) {
    const auto toks = Tokenize("ab&xyz;c");
    ASSERT_GE(toks.size(), 3u);
    EXPECT_EQ(toks[1].Text, "&xyz;");
    EXPECT_EQ(toks[1].Pos, (Positions{2, 3, 4, 5, 6}));
    EXPECT_EQ(toks[2].Text, "c");
    EXPECT_EQ(toks[2].Pos, Positions{7});
}

TEST(TokenizerEntities, TooLongNamesAndNumbersStopAtTheLimit) {
    // The seventh name character and the sixth digit are not consumed: they
    // start the next token.
    auto toks = Tokenize("&abcdefg;");
    ASSERT_EQ(toks.size(), 3u);
    EXPECT_EQ(toks[0].Text, "&abcdef");
    EXPECT_EQ(toks[1].Text, "g;");
    toks = Tokenize("&#123456;");
    ASSERT_EQ(toks.size(), 3u);
    EXPECT_EQ(toks[0].Text, "&#12345");
    EXPECT_EQ(toks[1].Text, "6;");
}

// ---- Text runs ------------------------------------------------------------------------

TEST(TokenizerText, BlanksCollapseToOneSpaceOutsidePre) {
    const auto toks = Tokenize("a  \r\n  b");
    ASSERT_EQ(toks.size(), 2u);
    EXPECT_EQ(toks[0].Text, "a b");
    EXPECT_EQ(toks[0].Pos, (Positions{0, 1, 7}));
}

TEST(TokenizerText, NoBreakFlagTurnsCollapsedSpaceIntoMark) {
    EXPECT_EQ(JoinedText(Tokenize("a  \r\n  b", false, true)), "a\x05" "b");
    // Entities are not blanks: a no-break space entity stays itself.
    EXPECT_EQ(JoinedText(Tokenize("a&nbsp;b", false, true)), "a\xa0" "b");
}

TEST(TokenizerText, LessThanWithoutNameIsText) {
    const auto toks = Tokenize("a < b");
    EXPECT_EQ(JoinedText(toks), "a < b");
    ASSERT_EQ(toks.size(), 4u);
    EXPECT_EQ(toks[1].Text, "<");
    EXPECT_EQ(toks[1].Pos, Positions{2});
}

TEST(TokenizerText, RunsAreAtMostAHundredCharacters) {
    const std::string html(250, 'x');
    const auto toks = Tokenize(html);
    ASSERT_EQ(toks.size(), 4u);
    EXPECT_EQ(toks[0].Text.size(), 100u);
    EXPECT_EQ(toks[1].Text.size(), 100u);
    EXPECT_EQ(toks[2].Text.size(), 50u);
    EXPECT_EQ(toks[1].Pos.front(), 100);
    EXPECT_EQ(toks[2].Pos.back(), 249);
}

TEST(TokenizerText, BlanksAtARunBoundaryGiveOneSpace) {
    // The 100th character of the first run is the collapsed space; the next
    // run must not start with another one.
    const std::string html = std::string(99, 'x') + "    \r\n   y";
    const auto toks = Tokenize(html);
    ASSERT_EQ(toks.size(), 3u);
    EXPECT_EQ(toks[0].Text, std::string(99, 'x') + " ");
    EXPECT_EQ(toks[1].Text, "y");
    EXPECT_EQ(toks[1].Pos, Positions{static_cast<std::int32_t>(html.size() - 1)});
}

TEST(TokenizerText, ParagraphSpaceFlagIsClearedByContentTokensOnly) {
    struct Case {
        const char* Html;
        bool Cleared;
    };
    const Case cases[] = {{"text", true},   {"<br>", true},     {"<h2>", true},   {"<hr>", true},
                          {"<img>", true},  {"<table>", true},  {"<input>", true}, {"<textarea>", true},
                          {"<select>", true}, {"&amp;", true},  {"<p>", false},   {"</p>", false},
                          {"<b>", false},   {"<td>", false},    {"<x>", false},   {"", false}};
    for (const Case& c : cases) {
        THtmlTokenizer t;
        const std::string s = c.Html;
        t.Start(s.data(), s.size());
        t.Advance();
        t.ParagraphSpace = true;
        t.Next();
        EXPECT_EQ(t.ParagraphSpace, !c.Cleared) << c.Html;
    }
}

}  // namespace
