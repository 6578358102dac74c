// Hostile and huge input: everything ends, in bounded memory, with tokens or
// the one parse error.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "htmlview/tokenizer/TokenizerHelpers.h"

using namespace htmlview;
using namespace tokenizer_test;

namespace {

// A whole page of 10 MB for the common shapes; 2 MB for the odd ones keeps
// the sanitizer build quick while still far beyond any buffer or run limit.
constexpr std::size_t kPage = 10u << 20;
constexpr std::size_t kBig = 2u << 20;

struct Summary {
    std::size_t Tokens = 0;
    std::size_t LongestText = 0;
    int MaxAttributes = 0;
    bool ParseError = false;
};

// Reads to the end without keeping the tokens, checking what every token
// must satisfy on the way.
Summary Drain(const std::string& Html, Reader R = Reader::Normal,
              const std::function<void(THtmlTokenizer&)>& Setup = {}) {
    Summary s;
    THtmlTokenizer t;
    if (Setup) Setup(t);
    t.Start(Html.data(), Html.size());
    try {
        t.Advance();
        do {
            if (R == Reader::Script) t.NextScript();
            else if (R == Reader::TextArea) t.NextTextArea();
            else t.Next();
            ++s.Tokens;
            if (t.Sy == TextSy) s.LongestText = std::max<std::size_t>(s.LongestText, t.Token().S.size());
            s.MaxAttributes = std::max(s.MaxAttributes, t.Attributes().Count());
            for (int i = 0; i < t.Token().Leng(); ++i) {
                const std::int32_t p = t.Token().Position(i);
                if (p < 0 || static_cast<std::size_t>(p) > Html.size()) {
                    ADD_FAILURE() << "position " << p << " outside the text";
                    return s;
                }
            }
            if (s.Tokens > Html.size() + 2) {
                ADD_FAILURE() << "more tokens than characters: the reader does not advance";
                return s;
            }
        } while (t.Sy != EofSy);
    } catch (const EParseError&) {
        s.ParseError = true;
    }
    return s;
}

std::string Repeat(const std::string& Unit, std::size_t Size) {
    std::string s;
    s.reserve(Size + Unit.size());
    while (s.size() < Size) s += Unit;
    return s;
}

TEST(TokenizerRobustness, HugeInputsOfEveryShapeFinish) {
    struct Case {
        const char* Name;
        std::string Html;
        Reader R;
        bool ParseError;
    };
    const Case cases[] = {
        {"text", Repeat("word  \r\n\t", kPage), Reader::Normal, false},
        {"tags", Repeat("<b><td width=50%></b>x", kPage), Reader::Normal, false},
        {"open quote", "<a href=\"" + std::string(kBig, 'x'), Reader::Normal, false},
        {"tag name", "<" + std::string(kBig, 'x'), Reader::Normal, false},
        {"attribute name", "<p " + std::string(kBig, 'x'), Reader::Normal, false},
        {"number", "<td width=" + std::string(kBig, '9') + ">", Reader::Normal, false},
        {"entities", Repeat("&#&#1&amp&hellip;&nbsp", kBig), Reader::Normal, false},
        {"unclosed comment", "<!--" + Repeat("- -- x ", kBig), Reader::Normal, true},
        {"unclosed declaration", "<!DOCTYPE" + std::string(kBig, 'x'), Reader::Normal, true},
        {"comment openers", Repeat("<!", kBig), Reader::Normal, true},
        {"less-thans", std::string(kBig, '<'), Reader::Normal, false},
        {"nul bytes", std::string(kBig, '\0'), Reader::Normal, false},
        {"line ends", Repeat("\r\n\n\r\r", kBig), Reader::Normal, false},
        {"script", Repeat("x<scr</scrip\r\n", kBig), Reader::Script, false},
        {"textarea", "<" + std::string(kBig, 'x'), Reader::TextArea, false},
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const Summary s = Drain(c.Html, c.R);
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(s.ParseError, c.ParseError) << c.Name;
        EXPECT_LE(s.LongestText, c.R == Reader::TextArea ? kBig + 1 : 100u) << c.Name;
        // Generous even for sanitizer builds; quadratic work would take minutes.
        EXPECT_LT(secs, 60.0) << c.Name;
    }
}

TEST(TokenizerRobustness, AttributeListStaysBounded) {
    const Summary s = Drain("<body " + Repeat("a ", 40 * THtmlTokenizer::MaxAttributes) + ">");
    EXPECT_EQ(s.MaxAttributes, THtmlTokenizer::MaxAttributes);
}

TEST(TokenizerRobustness, DirectivesInsideDirectivesDoNotRecurse) {
    int calls = 0;
    const auto setup = [&](THtmlTokenizer& t) {
        t.SetIncludeHandler([&](gui::TObject*, const gui::String&, gui::TStringList* P, const char*&,
                                std::int32_t&) {
            ++calls;
            EXPECT_LE(P->Count(), THtmlTokenizer::MaxAttributes);
        },
                            nullptr);
    };
    // Each "<!--" inside the directive is a comment of its own; the one
    // directive ends at the last "-->".
    const std::string nested = Repeat("<!--#a b=", 1u << 18) + Repeat(" -->", 1u << 18) + "x";
    Summary s = Drain(nested, Reader::Normal, setup);
    EXPECT_FALSE(s.ParseError);
    EXPECT_EQ(calls, 1);
    calls = 0;
    s = Drain(Repeat("<!--#a a a a a a a a -->", 1u << 18), Reader::Normal, setup);
    EXPECT_FALSE(s.ParseError);
    EXPECT_EQ(calls, 10923);
}

// Runs Html with a handler that hands back Included for every directive.
std::string WithInclude(const std::string& Html, const std::string& Included) {
    THtmlTokenizer t;
    t.SetIncludeHandler([&](gui::TObject*, const gui::String&, gui::TStringList*, const char*& Buf,
                            std::int32_t& Size) {
        Buf = Included.data();
        Size = static_cast<std::int32_t>(Included.size());
    },
                        nullptr);
    t.Start(Html.data(), Html.size());
    t.Advance();
    return JoinedText(Tokens(t));
}

TEST(TokenizerRobustness, IncludedTextEndsAtA26ByteOrItsSize) {
    // NULs are characters; a 26 byte ends the included text, not the page.
    EXPECT_EQ(WithInclude("<!--#x-->y", std::string("a\0b\x1a" "c", 5)), "aby");
    // A comment opened in included text goes on in the main text.
    EXPECT_EQ(WithInclude("<!--#x-->y -->z", "a<!-- open"), "az");
}

TEST(TokenizerRobustness, EmptyAndNullBuffersGiveEndOfFile) {
    THtmlTokenizer t;
    t.Start(nullptr, 1234);
    t.Advance();
    t.Next();
    EXPECT_EQ(t.Sy, EofSy);
    t.Start("", 0);
    t.Advance();
    t.Next();
    EXPECT_EQ(t.Sy, EofSy);
}

}  // namespace
