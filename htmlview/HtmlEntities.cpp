// Character entities: the named table and the numeric codes as bytes of the
// Windows code page the page text is kept in.
#include <array>

#include "htmlview/HtmlParse.h"

namespace htmlview {

namespace {

struct TEntity {
    const char* Name;
    const char* Text;
};

constexpr std::array<TEntity, 8> kSpecial{{
    {"amp", "&"},
    {"lt", "<"},
    {"gt", ">"},
    {"quot", "\""},
    {"rsquo", "'"},
    {"ndash", "-"},
    {"trade", "\x99"},
    {"hellip", "..."},
}};

// Codes 160 to 255, in order.
constexpr std::array<const char*, 96> kLatin1{{
    "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect",
    "uml", "copy", "ordf", "laquo", "not", "shy", "reg", "macr",
    "deg", "plusmn", "sup2", "sup3", "acute", "micro", "para", "middot",
    "cedil", "sup1", "ordm", "raquo", "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring", "AElig", "Ccedil",
    "Egrave", "Eacute", "Ecirc", "Euml", "Igrave", "Iacute", "Icirc", "Iuml",
    "ETH", "Ntilde", "Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml", "Yacute", "THORN", "szlig",
    "agrave", "aacute", "acirc", "atilde", "auml", "aring", "aelig", "ccedil",
    "egrave", "eacute", "ecirc", "euml", "igrave", "iacute", "icirc", "iuml",
    "eth", "ntilde", "ograve", "oacute", "ocirc", "otilde", "ouml", "divide",
    "oslash", "ugrave", "uacute", "ucirc", "uuml", "yacute", "thorn", "yuml",
}};

// One character strings for the codes 160 to 255, for LookupEntity's views.
const std::array<char, 96>& Latin1Bytes() {
    static const std::array<char, 96> bytes = [] {
        std::array<char, 96> b{};
        for (int i = 0; i < 96; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>(160 + i);
        return b;
    }();
    return bytes;
}

// The characters that Windows-1252 places at 0x80..0x9F; 0 where it keeps
// the code unassigned (those pass through as the same byte).
constexpr std::array<char16_t, 32> kCp1252High{{
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
}};

// One UTF-16 unit in the code page; '?' for what it cannot show.
int UnitToAnsi(char16_t U) {
    if (U < 0x100) return U;
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == U) return static_cast<int>(0x80 + i);
    return '?';
}

}  // namespace

std::string_view LookupEntity(std::string_view Name) {
    for (const TEntity& e : kSpecial)
        if (Name == e.Name) return e.Text;
    for (std::size_t i = 0; i < kLatin1.size(); ++i)
        if (Name == kLatin1[i]) return std::string_view(&Latin1Bytes()[i], 1);
    return {};
}

int NumericEntityByte(std::int32_t Code) {
    if (Code < 0) return -1;
    int b = Code > 255 ? UnitToAnsi(static_cast<char16_t>(Code & 0xFFFF)) : Code;
    if (b == 9) return ' ';
    if (b == 10 || (b >= 32 && b <= 255)) return b;
    return -1;
}

}  // namespace htmlview
