// The tokenizer's vocabulary: the tag and attribute tables, the names of the
// symbols and the number rule shared by attribute values.
#include <array>
#include <limits>
#include <string>
#include <string_view>

#include "htmlview/HtmlParse.h"

namespace htmlview {

namespace {

constexpr Symb NoEnd = UnknownTagSy;

// The 49 tags with end tags come first; their end symbols follow the same order.
constexpr std::array<TTagEntry, 66> kTags{{
    {"HTML", HtmlSy, HtmlEndSy, false},
    {"TITLE", TitleSy, TitleEndSy, false},
    {"BODY", BodySy, BodyEndSy, true},
    {"HEAD", HeadSy, HeadEndSy, false},
    {"B", BSy, BEndSy, false},
    {"I", ISy, IEndSy, false},
    {"H", HSy, HEndSy, true},
    {"EM", EmSy, EmEndSy, false},
    {"STRONG", StrongSy, StrongEndSy, false},
    {"U", USy, UEndSy, false},
    {"CITE", CiteSy, CiteEndSy, false},
    {"VAR", VarSy, VarEndSy, false},
    {"TT", TTSy, TTEndSy, false},
    {"CODE", CodeSy, CodeEndSy, false},
    {"KBD", KbdSy, KbdEndSy, false},
    {"SAMP", SampSy, SampEndSy, false},
    {"OL", OLSy, OLEndSy, true},
    {"UL", ULSy, ULEndSy, true},
    {"DIR", DirSy, DirEndSy, false},
    {"MENU", MenuSy, MenuEndSy, false},
    {"DL", DLSy, DLEndSy, false},
    {"A", ASy, AEndSy, true},
    {"ADDRESS", AddressSy, AddressEndSy, false},
    {"BLOCKQUOTE", BlockQuoteSy, BlockQuoteEndSy, false},
    {"PRE", PreSy, PreEndSy, false},
    {"CENTER", CenterSy, CenterEndSy, false},
    {"TABLE", TableSy, TableEndSy, true},
    {"TD", TDSy, TDEndSy, true},
    {"TH", THSy, THEndSy, true},
    {"CAPTION", CaptionSy, CaptionEndSy, true},
    {"FORM", FormSy, FormEndSy, true},
    {"TEXTAREA", TextAreaSy, TextAreaEndSy, true},
    {"SELECT", SelectSy, SelectEndSy, true},
    {"OPTION", OptionSy, OptionEndSy, true},
    {"FONT", FontSy, FontEndSy, true},
    {"SUB", SubSy, SubEndSy, false},
    {"SUP", SupSy, SupEndSy, false},
    {"BIG", BigSy, BigEndSy, false},
    {"SMALL", SmallSy, SmallEndSy, false},
    {"P", PSy, PEndSy, true},
    {"MAP", MapSy, MapEndSy, true},
    {"FRAMESET", FrameSetSy, FrameSetEndSy, true},
    {"NOFRAMES", NoFramesSy, NoFramesEndSy, false},
    {"SCRIPT", ScriptSy, ScriptEndSy, true},
    {"DIV", DivSy, DivEndSy, true},
    {"S", SSy, SEndSy, false},
    {"STRIKE", StrikeSy, StrikeEndSy, false},
    {"TR", TRSy, TREndSy, true},
    {"NOBR", NoBrSy, NoBrEndSy, false},
    {"LI", LISy, NoEnd, false},
    {"BR", BRSy, NoEnd, true},
    {"HR", HRSy, NoEnd, true},
    {"DD", DDSy, NoEnd, false},
    {"DT", DTSy, NoEnd, false},
    {"IMG", ImageSy, NoEnd, true},
    {"BASE", BaseSy, NoEnd, true},
    {"BUTTON", ButtonSy, NoEnd, false},
    {"INPUT", InputSy, NoEnd, true},
    {"SELECTED", SelectedSy, NoEnd, false},
    {"BASEFONT", BaseFontSy, NoEnd, true},
    {"AREA", AreaSy, NoEnd, true},
    {"FRAME", FrameSy, NoEnd, true},
    {"BGSOUND", BgSoundSy, NoEnd, true},
    {"WRAP", WrapSy, NoEnd, true},
    {"META", MetaSy, NoEnd, true},
    {"WBR", WbrSy, NoEnd, false},
}};

struct TAttributeEntry {
    const char* Name;
    Symb Sym;
};

// VALUE is listed twice; the first match wins, so both give the same symbol.
constexpr std::array<TAttributeEntry, 63> kAttributes{{
    {"HREF", HrefAttr},           {"NAME", NameAttr},
    {"SRC", SrcAttr},             {"ALT", AltAttr},
    {"ALIGN", AlignAttr},         {"TEXT", TextAttr},
    {"BGCOLOR", BgColorAttr},     {"LINK", LinkAttr},
    {"BACKGROUND", BackgroundAttr}, {"COLSPAN", ColSpanAttr},
    {"ROWSPAN", RowSpanAttr},     {"BORDER", BorderAttr},
    {"CELLPADDING", CellPaddingAttr}, {"CELLSPACING", CellSpacingAttr},
    {"VALIGN", VAlignAttr},       {"WIDTH", WidthAttr},
    {"START", StartAttr},         {"VALUE", ValueAttr},
    {"TYPE", TypeAttr},           {"CHECKBOX", CheckBoxAttr},
    {"RADIO", RadioAttr},         {"METHOD", MethodAttr},
    {"ACTION", ActionAttr},       {"CHECKED", CheckedAttr},
    {"SIZE", SizeAttr},           {"MAXLENGTH", MaxLengthAttr},
    {"COLS", ColsAttr},           {"ROWS", RowsAttr},
    {"MULTIPLE", MultipleAttr},   {"VALUE", ValueAttr},
    {"SELECTED", SelectedAttr},   {"FACE", FaceAttr},
    {"COLOR", ColorAttr},         {"TRANSP", TranspAttr},
    {"CLEAR", ClearAttr},         {"ISMAP", IsMapAttr},
    {"BORDERCOLOR", BorderColorAttr}, {"USEMAP", UseMapAttr},
    {"SHAPE", ShapeAttr},         {"COORDS", CoordsAttr},
    {"NOHREF", NoHrefAttr},       {"HEIGHT", HeightAttr},
    {"PLAIN", PlainAttr},         {"TARGET", TargetAttr},
    {"NORESIZE", NoResizeAttr},   {"SCROLLING", ScrollingAttr},
    {"HSPACE", HSpaceAttr},       {"LANGUAGE", LanguageAttr},
    {"FRAMEBORDER", FrameBorderAttr}, {"MARGINWIDTH", MarginWidthAttr},
    {"MARGINHEIGHT", MarginHeightAttr}, {"LOOP", LoopAttr},
    {"ONCLICK", OnClickAttr},     {"WRAP", WrapAttr},
    {"NOSHADE", NoShadeAttr},     {"HTTP-EQUIV", HttpEquivAttr},
    {"CONTENT", ContentAttr},     {"ENCTYPE", EncTypeAttr},
    {"VLINK", VLinkAttr},         {"OLINK", OLinkAttr},
    {"ACTIVE", ActiveAttr},       {"VSPACE", VSpaceAttr},
    {"NOWRAP", NoWrapAttr},
}};

static_assert(kTags[48].Start == NoBrSy && kTags[49].End == NoEnd, "49 tags have end tags");
static_assert(NoBrEndSy - HtmlEndSy == 48 && WbrSy - HtmlSy == 65);
static_assert(UnknownAttr - HrefAttr == 62, "62 distinct attribute symbols");
static_assert(EolSy < 255, "symbols fit in a byte");

}  // namespace

namespace {

// The names as views, measured once: comparing against the C strings took
// a strlen of every table entry for every tag and attribute read.
template <typename Entry, std::size_t N>
constexpr std::array<std::string_view, N> NameViews(const std::array<Entry, N>& Table) {
    std::array<std::string_view, N> views{};
    for (std::size_t i = 0; i < N; ++i) views[i] = Table[i].Name;
    return views;
}
constexpr auto kTagNames = NameViews(kTags);
constexpr auto kAttributeNames = NameViews(kAttributes);

}  // namespace

const TTagEntry* LookupTag(std::string_view UpperName) {
    for (std::size_t i = 0; i < kTagNames.size(); ++i)
        if (UpperName == kTagNames[i]) return &kTags[i];
    return nullptr;
}

Symb LookupAttribute(std::string_view UpperName) {
    for (std::size_t i = 0; i < kAttributeNames.size(); ++i)
        if (UpperName == kAttributeNames[i]) return kAttributes[i].Sym;
    return UnknownAttr;
}

bool IsTagSymbol(Symb S) {
    return S <= NoBrEndSy;
}

const char* SymbolName(Symb S) {
    // The "/NAME" strings of the end tags, built once.
    static const std::array<std::string, 49> kEndNames = [] {
        std::array<std::string, 49> names;
        for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::string("/") + kTags[i].Name;
        return names;
    }();
    if (S <= WbrSy) return kTags[S].Name;
    if (S <= NoBrEndSy) return kEndNames[static_cast<std::size_t>(S - HtmlEndSy)].c_str();
    if (S < UnknownAttr) {
        for (const TAttributeEntry& a : kAttributes)
            if (a.Sym == S) return a.Name;
    }
    switch (S) {
    case UnknownAttr: return "unknown attribute";
    case TextSy: return "text";
    case OtherCharSy: return "other character";
    case UnknownTagSy: return "unknown tag";
    case EofSy: return "end of file";
    case EolSy: return "end of line";
    default: return "?";
    }
}

std::int32_t IntValueOrZero(std::string_view Text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) negative = Text[i++] == '-';
    if (i == Text.size()) return 0;
    // One past the largest int32 is still kept so that the most negative value parses.
    std::int64_t v = 0;
    for (; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
        if (v > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return 0;
    }
    if (negative) return static_cast<std::int32_t>(-v);
    if (v > std::numeric_limits<std::int32_t>::max()) return 0;
    return static_cast<std::int32_t>(v);
}

}  // namespace htmlview
