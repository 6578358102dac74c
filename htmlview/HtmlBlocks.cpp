// Block sections: paragraph and heading gaps, horizontal rules, preformatted
// text and list items.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "gui/draw/ScopedDC.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlParse.h"

namespace htmlview {

using namespace gui;

const TRuleSymbols DefaultRuleSymbols{AlignAttr, WidthAttr, SizeAttr, ColorAttr, NoShadeAttr};

namespace {

int DefaultSize(const TSectionList* Doc) { return Doc ? Doc->FontSize : 12; }

bool ParseColor(const String& S, TColor& Color) { return ParseColorValue(S, Color); }

}  // namespace

// ---- Gaps ---------------------------------------------------------------------------------

TParagraphSpace::TParagraphSpace(TCell* ACell) : TSectionBase(ACell ? ACell->MasterList : nullptr) {}

void TParagraphSpace::CopySelection(TCopyBuffer& Buffer) { Buffer.Append("\r\n"); }

void TParagraphSpace::FixHeight() {
    SectionHeight = MulDiv(14, DefaultSize(ParentSectionList), 12);
    DrawHeight = SectionHeight;
}

THeadingSpace::THeadingSpace(TCell* ACell, int ALevel)
    : TSectionBase(ACell ? ACell->MasterList : nullptr), HeadingSize(ALevel) {}

void THeadingSpace::CopySelection(TCopyBuffer& Buffer) { Buffer.Append("\r\n"); }

void THeadingSpace::FixHeight() {
    int h;
    switch (HeadingSize) {
        case 1: h = 16; break;
        case 2: h = 12; break;
        case 3: h = 10; break;
        case 5: h = 6; break;
        case 6: h = 4; break;
        default: h = 8; break;
    }
    SectionHeight = MulDiv(h, DefaultSize(ParentSectionList), 12);
    DrawHeight = SectionHeight;
}

// ---- Rules --------------------------------------------------------------------------------

THorzLine::THorzLine(TCell* ACell, const TAttributeList& Attrs, const TRuleSymbols& Sy)
    : TSectionBase(ACell ? ACell->MasterList : nullptr) {
    for (int i = 0; i < Attrs.Count(); ++i) {
        const TAttribute* a = Attrs.Attr(i);
        if (a->Which == Sy.Align) {
            const String v = LowerCase(a->Name.substr(0, 10));
            Alignment = v == "left" ? Left : v == "right" ? Right : Centre;
        } else if (a->Which == Sy.Width) {
            if (a->Value > 0) {
                AsPercent = a->Name.find('%') != String::npos;
                HWidth = AsPercent ? std::min(a->Value, 100) : a->Value;
            }
        } else if (a->Which == Sy.Size) {
            if (a->Value >= 1 && a->Value <= 20) VSize = a->Value;
        } else if (a->Which == Sy.Color) {
            TColor c = 0;
            if (ParseColor(a->Name, c)) {
                Color = c | static_cast<TColor>(PALETTE_RELATIVE);
                UseDefaultColor = false;
            }
        } else if (a->Which == Sy.NoShade) {
            NoShade = true;
        }
    }
}

void THorzLine::CopySelection(TCopyBuffer& Buffer) { Buffer.Append("\r\n"); }

void THorzLine::FixHeight() {
    SectionHeight = MulDiv(20, DefaultSize(ParentSectionList), 12) + VSize - 2;
    DrawHeight = SectionHeight;
}

void THorzLine::Span(int L, int R, int& From, int& To) const {
    if (HWidth <= 0) {
        From = L + 10;
        To = R - 10;
        return;
    }
    const int w = AsPercent ? (R - L) * HWidth / 100 : HWidth;
    switch (Alignment) {
        case Left: From = L; break;
        case Right: From = R - w; break;
        default: From = L + (R - L - w) / 2; break;
    }
    To = From + w;
}

int THorzLine::Paint(TCanvas* Canvas, const TRect& ARect, IndentManager& IMgr, int, int Y) {
    YValue = Y;
    const int result = Y + SectionHeight;
    TSectionList* doc = ParentSectionList;
    const int scroll = doc ? doc->YOff : 0;
    if (Y - scroll >= ARect.Bottom || Y - scroll + SectionHeight <= ARect.Top) return result;
    const int top = Y - scroll + (SectionHeight - VSize) / 2;
    int from = 0, to = 0;
    Span(IMgr.LeftIndent(Y), IMgr.RightSide(Y), from, to);
    if (to <= from) return result;
    HDC dc = Canvas->Handle();
    if (!UseDefaultColor) {
        const TRect r = Rect(from, top, to, top + VSize);
        HBRUSH b = CreateSolidBrush(ColorToRef(Color));
        FillRect(dc, &r, b);
        DeleteObject(b);
        return result;
    }
    // A monochrome device has no shades to draw a groove with.
    const bool plain = NoShade || (GetDeviceCaps(dc, BITSPIXEL) == 1 && GetDeviceCaps(dc, PLANES) == 1);
    const TColor bg = doc ? doc->Background & ~static_cast<TColor>(PALETTE_RELATIVE) : clWhite;
    const bool whiteBack =
        bg == 0xFFFFFF || (bg == clWindow && (GetSysColor(COLOR_WINDOW) & 0xFFFFFF) == 0xFFFFFF);
    const TColor dark = plain ? clBlack : clBtnShadow;
    const TColor light = plain ? clBlack : whiteBack ? static_cast<TColor>(0xC0C0C0) : clBtnHighlight;
    const int bottom = top + VSize - 1;
    TPen* pen = Canvas->Pen();
    const TColor oldColor = pen->Color();
    pen->SetStyle(psSolid);
    pen->SetWidth(1);
    pen->SetColor(dark);
    Canvas->MoveTo(from, bottom);
    Canvas->LineTo(from, top);
    Canvas->LineTo(to - 1, top);
    pen->SetColor(light);
    Canvas->LineTo(to - 1, bottom);
    Canvas->LineTo(from, bottom);
    pen->SetColor(oldColor);
    return result;
}

// ---- Preformatted text ------------------------------------------------------------------------

TPreFormated::TPreFormated(TCell* ACell, std::uint8_t AJustify, const TUrlTarget* AUrl, const TMyFont& AFont,
                           int AListLevel)
    : TSection(ACell, AJustify, AUrl, AFont, AListLevel) {
    FPreformatted = true;
}

int TPreFormated::LayOut(TCanvas* Canvas, int Y, IndentManager& IMgr, int& MaxWidth, int& Curs) {
    if (Len == 0) {
        TSection::LayOut(Canvas, Y, IMgr, MaxWidth, Curs);
        // An empty block still leaves a line's worth of room.
        SectionHeight = BaseFont.Size();
        DrawHeight = SectionHeight;
        MaxWidth = 0;
        return SectionHeight;
    }
    const int width = IMgr.Width;
    IMgr.Width = 32000;
    TSection::LayOut(Canvas, Y, IMgr, MaxWidth, Curs);
    IMgr.Width = width;
    int mn = 0;
    MeasureWidths(Canvas, mn, MaxWidth);
    return SectionHeight;
}

void TPreFormated::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
    if (Len == 0) {
        Min = Max = Indent;
        return;
    }
    Max = TextWidth(Canvas, 0, Len, false) + Indent;
    Min = std::min(2000, Max);
}

// ---- List items ---------------------------------------------------------------------------------

TUListItem::TUListItem(TCell* ACell, const TUrlTarget* AUrl, const TMyFont& AFont, int AListLevel)
    : TSection(ACell, Left, AUrl, AFont, AListLevel) {
    ListType = UnorderedList;
}

TDListItem::TDListItem(TCell* ACell, const TUrlTarget* AUrl, const TMyFont& AFont, int AListLevel)
    : TUListItem(ACell, AUrl, AFont, AListLevel) {
    ListType = DefinitionList;
}

TOListItem::TOListItem(TCell* ACell, const TUrlTarget* AUrl, const TMyFont& AFont, char AStyle, int ANumber,
                       int AListLevel)
    : TUListItem(ACell, AUrl, AFont, AListLevel) {
    ListType = OrderedList;
    ListStyle = AStyle;
    ListNumber = ANumber;
}

}  // namespace htmlview
