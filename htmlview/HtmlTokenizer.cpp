// The token reader: characters with line-end folding, comments, declarations
// and include directives, tags with their attributes, entities and text runs,
// and the literal readers of SCRIPT and TEXTAREA bodies.
#include <limits>

#include "htmlview/HtmlParse.h"

namespace htmlview {

using gui::String;
using gui::TFlagScope;

namespace {

bool IsUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlnum(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
// Codes 0 to 31 except CR, the one line-end character left after folding.
bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 32 && u != '\r';
}
bool EqualsIgnoringCase(const String& S, std::string_view Lower) {
    if (S.size() != Lower.size()) return false;
    for (std::size_t i = 0; i < S.size(); ++i)
        if (Upper(S[i]) != Upper(Lower[i])) return false;
    return true;
}
String TrimControls(const String& S) {
    std::size_t b = 0;
    std::size_t e = S.size();
    while (b < e && static_cast<unsigned char>(S[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(S[e - 1]) <= 32) --e;
    return S.substr(b, e - b);
}

}  // namespace

THtmlTokenizer::THtmlTokenizer()
    : FToken(std::make_unique<TokenObj>()),
      FScratch(std::make_unique<TokenObj>()),
      FValue(std::make_unique<TokenObj>()),
      FAttributes(std::make_unique<TAttributeList>()) {}

THtmlTokenizer::~THtmlTokenizer() = default;

void THtmlTokenizer::SetIncludeHandler(TIncludeType Handler, gui::TObject* Sender) {
    FOnInclude = std::move(Handler);
    FIncludeSender = Sender;
}

void THtmlTokenizer::Start(const char* Buffer, std::size_t Length) {
    // Positions are 32-bit, so every character of the text must have one.
    if (Length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EParseError("HTML text too large");
    FMain = TSource{Buffer, Buffer ? Length : 0, 0};
    FInclude = TSource{};
    String().swap(FIncludeText);
    FIncludeActive = false;
    FInDirective = false;
    FInComment = false;
    FOpenComment = false;
    FLast = TLastLineEnd::None;
    FCh = ' ';
    FLCh = ' ';
    FChPos = 0;
    Sy = EofSy;
    FToken->Clear();
    FAttributes->Clear();
    TagPos = 0;
    HeadingLevel = 0;
    Preformatted = false;
    NoBreak = false;
    ScriptMode = false;
    ParagraphSpace = false;
}

// ---- Characters ----------------------------------------------------------------------

// A byte 26 ends the text as its end does (the old DOS end-of-text mark), and
// for good: the end is then reported however often the reader is asked.
int THtmlTokenizer::RawByte() {
    if (FIncludeActive) {
        if (FInclude.Index < FInclude.Length && FInclude.Data[FInclude.Index] != EofChar) {
            // Included text has no place in the source: it sits where the
            // main text resumes.
            FChPos = static_cast<std::int32_t>(FMain.Index);
            return static_cast<unsigned char>(FInclude.Data[FInclude.Index++]);
        }
        FIncludeActive = false;
        FInclude = TSource{};
        String().swap(FIncludeText);
    }
    FChPos = static_cast<std::int32_t>(FMain.Index);
    if (FMain.Index < FMain.Length && FMain.Data[FMain.Index] != EofChar)
        return static_cast<unsigned char>(FMain.Data[FMain.Index++]);
    FMain.Length = FMain.Index;
    return -1;
}

int THtmlTokenizer::PeekRawByte() const {
    if (FIncludeActive && FInclude.Index < FInclude.Length && FInclude.Data[FInclude.Index] != EofChar)
        return static_cast<unsigned char>(FInclude.Data[FInclude.Index]);
    if (FMain.Index < FMain.Length && FMain.Data[FMain.Index] != EofChar)
        return static_cast<unsigned char>(FMain.Data[FMain.Index]);
    return -1;
}

void THtmlTokenizer::ReadChar() {
    for (;;) {
        const int b = RawByte();
        if (b < 0) {
            FCh = EofChar;
            FLCh = EofChar;
            FLast = TLastLineEnd::None;
            if (FInComment) FOpenComment = true;
            return;
        }
        char c = static_cast<char>(b);
        if (c == '\n') {
            // The second half of a CR LF or LF CR pair goes; the pair is one line end.
            if (FLast == TLastLineEnd::Cr) {
                FLast = TLastLineEnd::None;
                continue;
            }
            FLast = TLastLineEnd::Lf;
            c = '\r';
        } else if (c == '\r') {
            if (FLast == TLastLineEnd::Lf) {
                FLast = TLastLineEnd::None;
                continue;
            }
            FLast = TLastLineEnd::Cr;
        } else {
            FLast = TLastLineEnd::None;
            if (c == '\t') c = ' ';
        }
        FCh = c;
        FLCh = Upper(c);
        return;
    }
}

void THtmlTokenizer::Advance() {
    for (;;) {
        ReadChar();
        if (FCh != '<' || ScriptMode || PeekRawByte() != '!') return;
        TFlagScope inComment(FInComment, true);
        ReadChar();  // the "!"
        ReadChar();
        bool comment = false;
        if (FCh == '-') {
            ReadChar();
            comment = FCh == '-';
        }
        if (comment) {
            ReadChar();
            if (FCh == '#' && FOnInclude && !FIncludeActive && !FInDirective)
                RunIncludeDirective();
            else
                SkipComment();
        } else {
            SkipDeclaration();
        }
    }
}

// From the first character after "<!--" to the ">" of "--", optional blanks,
// ">"; or to the end of the text, which leaves the open-comment error pending.
void THtmlTokenizer::SkipComment() {
    for (;;) {
        while (FCh != '-' && !IsEof()) ReadChar();
        if (IsEof()) return;
        ReadChar();
        if (FCh != '-') continue;
        while (FCh == '-') ReadChar();
        while (FCh == ' ' || FCh == '\r') ReadChar();
        if (FCh == '>') return;
    }
}

void THtmlTokenizer::SkipDeclaration() {
    while (FCh != '>' && !IsEof()) ReadChar();
}

void THtmlTokenizer::SkipBlanks() {
    while (FCh == ' ' || FCh == '\r') Advance();
}

// <!--#command NAME="value" ...--> : the handler may hand back text that is
// read in the directive's place.
void THtmlTokenizer::RunIncludeDirective() {
    String command;
    gui::TStringList params;
    {
        TFlagScope inDirective(FInDirective, true);
        Advance();  // past "#"
        while (IsUpperLetter(FLCh)) {
            command += FCh;
            Advance();
        }
        Symb sym;
        std::int32_t value;
        String text;
        String name;
        while (ReadAttribute(sym, value, text, &name)) {
            if (params.Count() < MaxAttributes) params.Add(name + "=\"" + text + "\"");
        }
        SkipComment();
    }
    if (FOpenComment) return;
    const char* buffer = nullptr;
    std::int32_t size = 0;
    FOnInclude(FIncludeSender, command, &params, buffer, size);
    if (buffer && size > 0) {
        FIncludeText.assign(buffer, static_cast<std::size_t>(size));
        FInclude = TSource{FIncludeText.data(), FIncludeText.size(), 0};
        FIncludeActive = true;
    }
}

// ---- Tags and attributes ---------------------------------------------------------------

bool THtmlTokenizer::ReadAttribute(Symb& Sym, std::int32_t& Value, String& Text, String* UpperName) {
    SkipBlanks();
    if (!IsUpperLetter(FLCh)) return false;
    String name;
    while (IsUpperLetter(FLCh) || FCh == '-') {
        name += FLCh;
        Advance();
    }
    Sym = LookupAttribute(name);
    if (UpperName) *UpperName = std::move(name);
    SkipBlanks();
    Value = Sym == BorderAttr ? 1 : 0;
    Text.clear();
    if (FCh != '=') return true;
    Advance();
    SkipBlanks();
    if (FCh == '"' || FCh == '\'') {
        const char quote = FCh;
        Advance();
        FValue->Clear();
        while (FCh != quote && !IsEof()) {
            if (FCh == '&') {
                ReadEntity(*FValue);
            } else {
                if (FCh != '\r') FValue->AddChar(FCh, FChPos);
                Advance();
            }
        }
        if (FCh == quote) Advance();
        Text = TrimControls(FValue->S);
        std::string_view number(Text);
        if (!number.empty() && number.back() == '%') number.remove_suffix(1);
        Value = IntValueOrZero(number);
    } else if (FCh == '+' || FCh == '-' || IsDigit(FCh)) {
        while (FCh != ' ' && FCh != '\r' && FCh != '%' && FCh != '>' && !IsEof()) {
            Text += FCh;
            Advance();
        }
        SkipBlanks();
        Value = IntValueOrZero(Text);
        if (FCh == '%') {
            Text += '%';
            Advance();
        }
    } else {
        while (FCh != ' ' && FCh != '\r' && FCh != '>' && !IsEof()) {
            Text += FCh;
            Advance();
        }
    }
    return true;
}

void THtmlTokenizer::ReadTag() {
    TagPos = FChPos;
    Advance();
    bool isEnd = false;
    if (FCh == '/') {
        isEnd = true;
        Advance();
    } else if (!IsUpperLetter(FLCh)) {
        // "<" that starts no name ("a < b") is text.
        FToken->AddChar('<', TagPos);
        Sy = TextSy;
        return;
    }
    Sy = UnknownTagSy;
    String name;
    while (IsUpperLetter(FLCh)) {
        if (name.size() < 255) name += FLCh;
        Advance();
    }
    const TTagEntry* tag = LookupTag(name);
    if (tag) Sy = isEnd ? tag->End : tag->Start;
    SkipBlanks();
    HeadingLevel = 0;
    if ((Sy == HSy || Sy == HEndSy) && FCh >= '1' && FCh <= '6') {
        HeadingLevel = FCh - '0';
        Advance();
    }
    // End tags of the tags without one are unknown and leave the list alone.
    const bool keep = tag && Sy != UnknownTagSy && tag->KeepsAttributes;
    if (keep) FAttributes->Clear();
    Symb sym;
    std::int32_t value;
    String text;
    while (ReadAttribute(sym, value, text, nullptr)) {
        if (keep && FAttributes->Count() < MaxAttributes) FAttributes->AddAttribute(sym, value, text);
    }
    while (FCh != '>' && !IsEof()) Advance();
    Advance();
}

// ---- Entities and text -----------------------------------------------------------------

bool THtmlTokenizer::ReadEntity(TokenObj& Into) {
    TokenObj& scratch = *FScratch;
    scratch.Clear();
    const std::int32_t amp = FChPos;
    scratch.AddChar('&', amp);
    Advance();
    const auto invalid = [&] {
        Into.AddString(scratch);
        return false;
    };
    if (FCh == '#') {
        scratch.AddChar('#', FChPos);
        Advance();
        int digits = 0;
        std::int32_t code = 0;
        while (IsDigit(FCh)) {
            if (digits == 5) return invalid();
            code = code * 10 + (FCh - '0');
            ++digits;
            scratch.AddChar(FCh, FChPos);
            Advance();
        }
        if (digits == 0) return invalid();
        if (FCh == ';') {
            scratch.AddChar(';', FChPos);
            Advance();
        }
        const int b = NumericEntityByte(code);
        if (b < 0) return invalid();
        Into.AddChar(static_cast<char>(b), amp);
        return true;
    }
    String name;
    while (IsAlnum(FCh)) {
        if (name.size() == 6) return invalid();
        name += FCh;
        scratch.AddChar(FCh, FChPos);
        Advance();
    }
    if (name.empty()) return invalid();
    if (FCh == ';') {
        scratch.AddChar(';', FChPos);
        Advance();
    }
    const std::string_view text = LookupEntity(name);
    if (text.empty()) return invalid();
    if (text.size() == 1) {
        Into.AddChar(text[0], amp);
    } else {
        // "hellip": its dots take the places of "&", "h" and "e".
        for (std::size_t i = 0; i < text.size(); ++i)
            Into.AddChar(text[i], scratch.Position(static_cast<int>(i)));
    }
    return true;
}

void THtmlTokenizer::ReadTextRun() {
    TokenObj& t = *FToken;
    while (t.Leng() < 100 && !IsControl(FCh) && FCh != '&' && FCh != '<') {
        if (Preformatted || (FCh != ' ' && FCh != '\r')) {
            t.AddChar(FCh, FChPos);
            Advance();
        } else {
            t.AddChar(NoBreak ? NoBreakMark : ' ', FChPos);
            SkipBlanks();
        }
    }
    if (t.Leng() > 0) Sy = TextSy;
}

void THtmlTokenizer::RaiseOpenComment() const {
    if (FOpenComment) throw EParseError(OpenCommentMessage);
}

void THtmlTokenizer::Next() {
    RaiseOpenComment();
    FToken->Clear();
    if (IsEof()) {
        Sy = EofSy;
    } else if (FCh == '<') {
        ReadTag();
    } else if (FCh == '&') {
        Sy = TextSy;
        ReadEntity(*FToken);
    } else {
        ReadTextRun();
        if (FToken->Leng() == 0) {
            Sy = OtherCharSy;
            FToken->AddChar(FCh, FChPos);
            Advance();
        }
    }
    if (ParagraphSpace) {
        switch (Sy) {
        case BRSy: case HSy: case HRSy: case ImageSy: case TextSy:
        case TableSy: case InputSy: case TextAreaSy: case SelectSy:
            ParagraphSpace = false;
            break;
        default:
            break;
        }
    }
}

// ---- SCRIPT and TEXTAREA bodies ----------------------------------------------------------

void THtmlTokenizer::NextScript() {
    RaiseOpenComment();
    TokenObj& t = *FToken;
    t.Clear();
    if (IsEof()) {
        Sy = EofSy;
        return;
    }
    if (FCh == '\r') {
        Sy = EolSy;
        Advance();
        return;
    }
    if (FCh == '<') {
        t.AddChar(FCh, FChPos);
        Advance();
        for (int n = 0; n < 7 && (FCh == '/' || IsUpperLetter(FLCh)); ++n) {
            t.AddChar(FCh, FChPos);
            Advance();
        }
        if (FCh == '>') {
            t.AddChar(FCh, FChPos);
            Advance();
        }
        Sy = EqualsIgnoringCase(t.S, "</script>") ? ScriptEndSy : UnknownTagSy;
        return;
    }
    Sy = TextSy;
    do {
        t.AddChar(FCh, FChPos);
        Advance();
    } while (t.Leng() < 100 && FCh != '\r' && FCh != '<' && !IsEof());
}

void THtmlTokenizer::NextTextArea() {
    RaiseOpenComment();
    TokenObj& t = *FToken;
    t.Clear();
    if (IsEof()) {
        Sy = EofSy;
        return;
    }
    if (FCh == '\r') {
        Sy = EolSy;
        Advance();
        return;
    }
    if (FCh == '<') {
        do {
            t.AddChar(FCh, FChPos);
            Advance();
        } while (FCh != ' ' && FCh != '\r' && FCh != '>' && !IsEof());
        Sy = EqualsIgnoringCase(t.S, "</textarea") ? TextAreaEndSy : UnknownTagSy;
        return;
    }
    Sy = TextSy;
    if (FCh == '&') {
        ReadEntity(t);
        return;
    }
    do {
        t.AddChar(FCh, FChPos);
        Advance();
    } while (t.Leng() < 100 && FCh != '\r' && FCh != '&' && FCh != '<' && !IsEof());
}

}  // namespace htmlview
