// Runs the tokenizer over a string and records what it delivers.
#pragma once

#include <string>
#include <vector>

#include "htmlview/HtmlParse.h"

namespace tokenizer_test {

struct Tok {
    htmlview::Symb Sy;
    std::string Text;
    std::vector<std::int32_t> Pos;
};

enum class Reader { Normal, Script, TextArea };

// Tokens up to and including end of file, at most Limit of them.
inline std::vector<Tok> Tokens(htmlview::THtmlTokenizer& T, Reader R = Reader::Normal, std::size_t Limit = 100000) {
    std::vector<Tok> out;
    do {
        if (R == Reader::Script) T.NextScript();
        else if (R == Reader::TextArea) T.NextTextArea();
        else T.Next();
        Tok t{T.Sy, T.Token().S, {}};
        for (int i = 0; i < T.Token().Leng(); ++i) t.Pos.push_back(T.Token().Position(i));
        out.push_back(std::move(t));
    } while (out.back().Sy != htmlview::EofSy && out.size() < Limit);
    return out;
}

// Starts reading Html as the builder does: one advance, then tokens.
inline std::vector<Tok> Tokenize(const std::string& Html, bool Pre = false, bool NoBreak = false) {
    htmlview::THtmlTokenizer t;
    t.Start(Html.data(), Html.size());
    t.Preformatted = Pre;
    t.NoBreak = NoBreak;
    t.Advance();
    return Tokens(t);
}

// The text of all text tokens, joined.
inline std::string JoinedText(const std::vector<Tok>& Toks) {
    std::string s;
    for (const Tok& t : Toks)
        if (t.Sy == htmlview::TextSy) s += t.Text;
    return s;
}

inline std::vector<htmlview::Symb> Symbols(const std::vector<Tok>& Toks) {
    std::vector<htmlview::Symb> s;
    for (const Tok& t : Toks) s.push_back(t.Sy);
    return s;
}

}  // namespace tokenizer_test
