// Fonts and text output: metrics, aliasing, alignment, DrawText layout.
#include <gtest/gtest.h>

#include <cstring>

#include "gdi_testutil.h"
#include "gui/draw/detail/GdiInternal.h"

using namespace gui;
using gdi_test::Surface;

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;

HFONT MakeFont(const char* face, int height, int weight = FW_NORMAL, int escapement = 0, bool underline = false) {
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfEscapement = escapement;
    lf.lfUnderline = underline ? 1 : 0;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

// A surface with a font selected, black text on white, transparent background.
struct TextSurface : Surface {
    TextSurface(int w, int h, HFONT f) : Surface(w, h), font(f) {
        old = SelectObject(dc(), font);
        SetBkMode(dc(), TRANSPARENT);
        SetTextColor(dc(), kBlack);
    }
    ~TextSurface() {
        SelectObject(dc(), old);
        DeleteObject(font);
    }
    TEXTMETRICA Metrics() {
        TEXTMETRICA tm;
        GetTextMetricsA(dc(), &tm);
        return tm;
    }
    SIZE Extent(const char* s) {
        SIZE sz;
        GetTextExtentPoint32A(dc(), s, static_cast<int>(std::strlen(s)), &sz);
        return sz;
    }
    HFONT font;
    HGDIOBJ old;
};

}  // namespace

TEST(GdiFonts, WindowsFacesMapToTheLiberationFamilies) {
    EXPECT_EQ(detail::MapFaceName("Arial", 0), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(detail::MapFaceName("Times New Roman", 0), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(detail::MapFaceName("Courier New", 0), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(detail::MapFaceName("MS Sans Serif", 0), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(detail::MapFaceName("Terminal", 0), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(detail::MapFaceName("No Such Face 123", 0), QStringLiteral("Liberation Sans"));
    // Faces the release's pages name fall back by kind, whatever the case.
    EXPECT_EQ(detail::MapFaceName("Georgia", 0), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(detail::MapFaceName("VERDANA", 0), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(detail::MapFaceName("Tahoma", 0), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(detail::MapFaceName("Palatino Linotype", 0), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(detail::MapFaceName("Consolas", 0), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(detail::MapFaceName("monospace", 0), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(detail::MapFaceName("No Such Face 123", FF_ROMAN), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(detail::MapFaceName("No Such Face 123", FF_MODERN), QStringLiteral("Liberation Mono"));

    // Arial measures exactly as Liberation Sans.
    TextSurface a(10, 10, MakeFont("Arial", -13));
    TextSurface l(10, 10, MakeFont("Liberation Sans", -13));
    TEXTMETRICA ta = a.Metrics(), tl = l.Metrics();
    EXPECT_EQ(ta.tmHeight, tl.tmHeight);
    EXPECT_EQ(ta.tmAscent, tl.tmAscent);
    EXPECT_EQ(ta.tmAveCharWidth, tl.tmAveCharWidth);
    EXPECT_EQ(a.Extent("Hollowmere 2002").cx, l.Extent("Hollowmere 2002").cx);
    // A fixed-pitch face really is fixed: every character has one width.
    TextSurface c(10, 10, MakeFont("Courier New", -13));
    EXPECT_EQ(c.Extent("iiii").cx, c.Extent("WWWW").cx);
    EXPECT_EQ(c.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
    EXPECT_NE(a.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
}

TEST(GdiFonts, MetricsAreConsistentWithTheRequestedHeight) {
    TextSurface em(10, 10, MakeFont("Arial", -20));
    TEXTMETRICA tm = em.Metrics();
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 20);  // negative height is the em size
    EXPECT_GE(tm.tmInternalLeading, 0);
    EXPECT_GT(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    // A positive height asks for the cell height.
    TextSurface cell(10, 10, MakeFont("Arial", 20));
    EXPECT_NEAR(cell.Metrics().tmHeight, 20, 1);
    // Bold is wider.
    TextSurface bold(10, 10, MakeFont("Arial", -20, FW_BOLD));
    EXPECT_GT(bold.Extent("Hollowmere").cx, em.Extent("Hollowmere").cx);
    EXPECT_EQ(bold.Metrics().tmWeight, FW_BOLD);
}

TEST(GdiFonts, FontsAskedForAgainGetTheirOwnMetrics) {
    // The same face in another case, or with bytes left behind its end, is
    // the same font; another height or weight is not.
    LOGFONTA lf;
    lf.lfHeight = -15;
    std::strncpy(lf.lfFaceName, "Times New Roman", LF_FACESIZE - 1);
    const auto base = detail::FontDataFor(lf);
    LOGFONTA upper = lf;
    std::strncpy(upper.lfFaceName, "TIMES NEW ROMAN", LF_FACESIZE - 1);
    EXPECT_EQ(detail::FontDataFor(upper), base);
    LOGFONTA junk = lf;
    junk.lfFaceName[20] = 'x';
    EXPECT_EQ(detail::FontDataFor(junk), base);
    LOGFONTA taller = lf;
    taller.lfHeight = -30;
    EXPECT_NE(detail::FontDataFor(taller), base);
    EXPECT_GT(detail::FontDataFor(taller)->ascent, base->ascent);
    LOGFONTA bold = lf;
    bold.lfWeight = FW_BOLD;
    EXPECT_NE(detail::FontDataFor(bold), base);
    LOGFONTA other = lf;
    std::strncpy(other.lfFaceName, "Courier New", LF_FACESIZE - 1);
    EXPECT_NE(detail::FontDataFor(other), base);
    EXPECT_TRUE(detail::FontDataFor(other)->fixedPitch);

    // Fonts selected in turn into one DC: every read follows the selection.
    Surface s(10, 10);
    HFONT small = MakeFont("Times New Roman", -12), large = MakeFont("Courier New", -24);
    TEXTMETRICA tm;
    HGDIOBJ old = SelectObject(s.dc(), small);
    GetTextMetricsA(s.dc(), &tm);
    const TEXTMETRICA first = tm;
    SIZE a;
    GetTextExtentPoint32A(s.dc(), "iiii", 4, &a);
    EXPECT_EQ(first.tmPitchAndFamily & 0xF0, FF_ROMAN);
    SelectObject(s.dc(), large);
    GetTextMetricsA(s.dc(), &tm);
    EXPECT_GT(tm.tmHeight, first.tmHeight);
    EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_MODERN);
    SIZE b;
    GetTextExtentPoint32A(s.dc(), "iiii", 4, &b);
    EXPECT_GT(b.cx, a.cx);
    SelectObject(s.dc(), small);
    GetTextMetricsA(s.dc(), &tm);
    EXPECT_EQ(tm.tmHeight, first.tmHeight);
    EXPECT_EQ(tm.tmPitchAndFamily, first.tmPitchAndFamily);
    GetTextExtentPoint32A(s.dc(), "iiii", 4, &b);
    EXPECT_EQ(b.cx, a.cx);
    HFONT sans = MakeFont("Arial", -12);
    SelectObject(s.dc(), sans);
    GetTextMetricsA(s.dc(), &tm);
    EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_SWISS);
    SelectObject(s.dc(), old);
    DeleteObject(small);
    DeleteObject(large);
    DeleteObject(sans);
}

TEST(GdiText, DrawnTextIsAliasedAndInsideItsExtent) {
    TextSurface s(120, 30, MakeFont("Arial", -16));
    SetTextColor(s.dc(), RGB(200, 0, 0));
    TextOutA(s.dc(), 5, 3, "Hollowmere", -1);
    // Only the text colour and the background: no antialiasing shades.
    int ink = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            COLORREF c = s.at(x, y);
            ASSERT_TRUE(c == kWhite || c == static_cast<COLORREF>(RGB(200, 0, 0))) << x << "," << y << " " << std::hex << c;
            ink += c != kWhite;
        }
    EXPECT_GT(ink, 40);
    SIZE ext = s.Extent("Hollowmere");
    RECT box = s.Ink();
    EXPECT_GE(box.Left, 5);
    EXPECT_LE(box.Right, 5 + ext.cx + 1);
    EXPECT_GE(box.Right, 5 + ext.cx - 4);
    EXPECT_GE(box.Top, 3);
    EXPECT_LE(box.Bottom, 3 + ext.cy);
}

TEST(GdiText, AlignmentFlagsMoveTheReferencePoint) {
    TextSurface s(100, 40, MakeFont("Arial", -16));
    TEXTMETRICA tm = s.Metrics();
    // Baseline alignment: capital letters sit on y - 1.
    SetTextAlign(s.dc(), TA_BASELINE | TA_LEFT);
    TextOutA(s.dc(), 10, 30, "HH", 2);
    RECT box = s.Ink();
    EXPECT_EQ(box.Bottom, 30);
    EXPECT_LT(box.Top, 30 - tm.tmAscent / 2);
    // Right alignment ends the text at x.
    s.Clear(kWhite);
    SetTextAlign(s.dc(), TA_TOP | TA_RIGHT);
    TextOutA(s.dc(), 90, 5, "HH", 2);
    box = s.Ink();
    EXPECT_LE(box.Right, 90);
    EXPECT_GE(box.Right, 88);
    // Centre alignment puts the middle of the extent at x.
    s.Clear(kWhite);
    SetTextAlign(s.dc(), TA_TOP | TA_CENTER);
    TextOutA(s.dc(), 50, 5, "HH", 2);
    box = s.Ink();
    EXPECT_NEAR((box.Left + box.Right) / 2.0, 50, 2);
    // TA_UPDATECP draws at the current position and advances it.
    s.Clear(kWhite);
    SetTextAlign(s.dc(), TA_UPDATECP);
    MoveToEx(s.dc(), 20, 5, nullptr);
    TextOutA(s.dc(), 0, 0, "HH", 2);
    POINT p;
    GetCurrentPositionEx(s.dc(), &p);
    EXPECT_EQ(p.X, 20 + s.Extent("HH").cx);
    EXPECT_GE(s.Ink().Left, 20);
}

TEST(GdiText, OpaqueBackgroundAndExtTextOutOptions) {
    TextSurface s(80, 30, MakeFont("Arial", -12));
    SetBkMode(s.dc(), OPAQUE);
    SetBkColor(s.dc(), RGB(0, 0, 255));
    TextOutA(s.dc(), 2, 2, "Ab", 2);
    SIZE ext = s.Extent("Ab");
    // The whole character cell is painted in the background colour or ink.
    RECT box = s.Ink();
    EXPECT_EQ(box, (RECT{2, 2, 2 + ext.cx, 2 + ext.cy}));
    // ETO_OPAQUE fills the rectangle; ETO_CLIPPED keeps text inside it.
    s.Clear(kWhite);
    SetBkMode(s.dc(), TRANSPARENT);
    RECT r{10, 10, 20, 20};
    ExtTextOutA(s.dc(), 0, 0, ETO_OPAQUE | ETO_CLIPPED, &r, "WWWWWWWW", 8, nullptr);
    box = s.Ink();
    EXPECT_EQ(box, (RECT{10, 10, 20, 20}));
    // A dx array sets the advance of each character.
    s.Clear(kWhite);
    int dx[2] = {30, 30};
    SetBkMode(s.dc(), OPAQUE);
    ExtTextOutA(s.dc(), 0, 0, 0, nullptr, "ii", 2, dx);
    EXPECT_EQ(s.Ink().Right, 60);
}

TEST(GdiText, ExtentsAndFitCounts) {
    TextSurface s(10, 10, MakeFont("Arial", -13));
    const char* text = "Mod Info";
    SIZE whole = s.Extent(text);
    int fit = -1;
    int dx[8];
    SIZE sz;
    ASSERT_TRUE(GetTextExtentExPointA(s.dc(), text, 8, 1 << 20, &fit, dx, &sz));
    EXPECT_EQ(fit, 8);
    EXPECT_EQ(sz.cx, whole.cx);
    EXPECT_EQ(dx[7], whole.cx);
    for (int i = 1; i < 8; ++i) EXPECT_GT(dx[i], dx[i - 1]);
    // The extent of a prefix is the partial extent at its end.
    EXPECT_EQ(s.Extent("Mod").cx, dx[2]);
    ASSERT_TRUE(GetTextExtentExPointA(s.dc(), text, 8, dx[3], &fit, nullptr, &sz));
    EXPECT_EQ(fit, 4);
    ASSERT_TRUE(GetTextExtentExPointA(s.dc(), text, 8, 0, &fit, nullptr, &sz));
    EXPECT_EQ(fit, 0);
    EXPECT_EQ(s.Extent("").cx, 0);
}

TEST(GdiDrawText, SingleLineAlignmentInARectangle) {
    TextSurface s(200, 60, MakeFont("Arial", -13));
    SIZE ext = s.Extent("Covers");
    RECT r{0, 0, 200, 60};
    DrawTextA(s.dc(), "Covers", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    RECT centred = s.Ink();
    s.Clear(kWhite);
    DrawTextA(s.dc(), "Covers", -1, &r, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
    RECT topLeft = s.Ink();
    EXPECT_EQ(centred.Left - topLeft.Left, (200 - ext.cx) / 2);
    EXPECT_EQ(centred.Top - topLeft.Top, (60 - ext.cy) / 2);
    s.Clear(kWhite);
    int h = DrawTextA(s.dc(), "Covers", -1, &r, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    RECT bottomRight = s.Ink();
    EXPECT_EQ(bottomRight.Left - topLeft.Left, 200 - ext.cx);
    EXPECT_EQ(bottomRight.Top - topLeft.Top, 60 - ext.cy);
    EXPECT_EQ(h, 60);  // bottom-aligned: offset from the top to the text bottom
}

TEST(GdiDrawText, CalcRectMeasuresAndWordBreakWraps) {
    TextSurface s(200, 100, MakeFont("Arial", -13));
    TEXTMETRICA tm = s.Metrics();
    RECT r{10, 20, 500, 20};
    int h = DrawTextA(s.dc(), "Exit", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h, tm.tmHeight);
    EXPECT_EQ(r, (RECT{10, 20, 10 + s.Extent("Exit").cx, 20 + tm.tmHeight}));
    EXPECT_EQ(s.Count(kBlack), 0);  // measuring draws nothing
    // Word wrapping at the box width.
    int wTwo = s.Extent("one two").cx;
    RECT w{0, 0, wTwo + 2, 0};
    h = DrawTextA(s.dc(), "one two one two", -1, &w, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(h, 2 * tm.tmHeight);
    EXPECT_EQ(w.Right, wTwo);
    // A word wider than the box keeps a line of its own.
    RECT narrow{0, 0, 5, 0};
    h = DrawTextA(s.dc(), "Hollowmere is", -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(h, 2 * tm.tmHeight);
    EXPECT_EQ(narrow.Right, s.Extent("Hollowmere").cx);
    // Hard line breaks.
    RECT m{0, 0, 300, 0};
    EXPECT_EQ(DrawTextA(s.dc(), "a\r\nb\nc", -1, &m, DT_CALCRECT), 3 * tm.tmHeight);
    EXPECT_EQ(DrawTextA(s.dc(), "a\r\nb\nc", -1, &m, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
}

TEST(GdiDrawText, PrefixesTabsAndClipping) {
    TextSurface s(200, 40, MakeFont("Arial", -13));
    RECT r{0, 0, 200, 40};
    RECT calc = r;
    DrawTextA(s.dc(), "&Info", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(calc.Right, s.Extent("Info").cx);  // the & takes no room
    calc = r;
    DrawTextA(s.dc(), "&Info", -1, &calc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(calc.Right, s.Extent("&Info").cx);
    calc = r;
    DrawTextA(s.dc(), "R&&B", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(calc.Right, s.Extent("R&B").cx);
    // The prefixed character is underlined: more ink than without the prefix.
    DrawTextA(s.dc(), "&Info", -1, &r, DT_SINGLELINE);
    int withPrefix = s.Count(kBlack);
    s.Clear(kWhite);
    DrawTextA(s.dc(), "Info", -1, &r, DT_SINGLELINE);
    EXPECT_GT(withPrefix, s.Count(kBlack));
    // Tabs expand to stops of 8 average characters.
    TEXTMETRICA tm = s.Metrics();
    calc = r;
    DrawTextA(s.dc(), "a\tb", -1, &calc, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(calc.Right, 8 * tm.tmAveCharWidth + s.Extent("b").cx);
    // Text is clipped to the rectangle unless DT_NOCLIP.
    s.Clear(kWhite);
    RECT small{0, 0, 8, 40};
    DrawTextA(s.dc(), "WWWW", -1, &small, DT_SINGLELINE);
    EXPECT_LE(s.Ink().Right, 8);
    s.Clear(kWhite);
    DrawTextA(s.dc(), "WWWW", -1, &small, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(s.Ink().Right, 8);
}

TEST(GdiText, EscapementRotatesCounterClockwiseAboutTheReferencePoint) {
    TextSurface s(60, 120, MakeFont("Arial", -16, FW_NORMAL, 900));
    SetTextAlign(s.dc(), TA_TOP | TA_LEFT);
    TextOutA(s.dc(), 10, 110, "Hollow", -1);
    RECT box = s.Ink();
    // Rotated by 90 degrees the text runs upwards from (10, 110), its top to the left.
    EXPECT_GT(box.Bottom - box.Top, box.Right - box.Left);
    EXPECT_LE(box.Bottom, 111);
    EXPECT_GE(box.Left, 10);
    EXPECT_NEAR(box.Bottom - box.Top, s.Extent("Hollow").cx, 3);
}

TEST(GdiText, UnderlineAndWindows1252) {
    TextSurface plain(60, 30, MakeFont("Arial", -16));
    TextSurface under(60, 30, MakeFont("Arial", -16, FW_NORMAL, 0, true));
    TextOutA(plain.dc(), 2, 2, "ab", 2);
    TextOutA(under.dc(), 2, 2, "ab", 2);
    EXPECT_GT(under.Count(kBlack), plain.Count(kBlack) + plain.Extent("ab").cx - 2);
    // Windows-1252 upper half.
    EXPECT_EQ(detail::FromAnsi("\x80\xE9\x93", 3), QString::fromUtf8("\u20AC\u00E9\u201C"));
    EXPECT_EQ(detail::ToAnsi(QString::fromUtf8("\u20AC\u00E9\u201C\u4E00")), String("\x80\xE9\x93?"));
    // The euro sign has a glyph of its own, not an empty box.
    SIZE euro;
    GetTextExtentPoint32A(plain.dc(), "\x80", 1, &euro);
    EXPECT_GT(euro.cx, 3);
}
