// Tables: painting of backgrounds, border colour and frames; hit tests and
// the position queries, delegated to the cells.
#include <algorithm>

#include "gui/draw/Gdi.h"
#include "gui/draw/ScopedDC.h"
#include "htmlview/HtmlBlocks.h"

namespace htmlview {

using namespace gui;

namespace {

// A region that is deleted at scope end.
class OwnedRegion {
public:
    explicit OwnedRegion(HRGN R) : FRgn(R) {}
    ~OwnedRegion() {
        if (FRgn) DeleteObject(FRgn);
    }
    OwnedRegion(const OwnedRegion&) = delete;
    OwnedRegion& operator=(const OwnedRegion&) = delete;
    HRGN get() const { return FRgn; }

private:
    HRGN FRgn;
};

}  // namespace

int ThtmlTable::Paint(TCanvas* Canvas, const TRect& ARect, IndentManager&, int X, int Y) {
    YValue = Y;
    PaintX = X;
    const int result = Y + SectionHeight;
    const int scroll = Doc ? Doc->YOff : 0;
    const int top = Y + (Float ? VSpace : 0);
    const int bandHeight = DrawHeight - (Float ? 2 * VSpace : 0);
    if (top - scroll >= ARect.Bottom || top - scroll + bandHeight <= ARect.Top) return result;

    const int x0 = X + TableIndent;
    const int rowsTop = FRowsTop;
    const int rowsBottom = rowsTop + RowsHeight;
    const TColor docBackground = Doc ? Doc->Background : clWhite;

    if (TopCaption) Caption->Cell->Draw(Canvas, ARect, X + Indent, top, TotalWidth);

    // The spacing between cells shows the border colour: the rows' box less
    // every painted cell.
    OwnedRegion spacing(BdrOn ? CreateRectRgn(x0, std::max(rowsTop - scroll, ARect.Top), x0 + TableWidth,
                                              std::min(rowsBottom + CellSpacing - scroll, ARect.Bottom))
                              : nullptr);

    int y = rowsTop;
    for (int r = 0; r < RowCount(); ++r) {
        TCellList* row = Row(r);
        const bool visible = y - scroll < ARect.Bottom && y - scroll + row->SpanHeight > ARect.Top;
        int x = x0;
        for (int c = 0; visible && c < row->Count() && c < ColCount; ++c) {
            TCellObj* cell = row->CellObj(c);
            if (cell && !cell->IsPlaceholder() && cell->Cell->Count() > 0) {
                if (cell->Cell->BkGnd) {
                    const int t = std::max(y + CellSpacing - scroll, -200);
                    const int b = std::min(y + cell->Ht - scroll, 3000);
                    Canvas->Brush()->SetColor(cell->Cell->BkColor);
                    Canvas->Brush()->SetStyle(bsSolid);
                    Canvas->FillRect(Rect(x + CellSpacing, t, x + cell->Wd, b));
                }
                cell->Cell->Draw(Canvas, ARect, x + CellSpacing + CellPadding,
                                 y + CellSpacing + CellPadding + cell->YIndent, cell->Wd - CellSpacing - 2 * CellPadding);
                const int grow = BorderOn ? 1 : 0;
                if (BorderOn)
                    RaisedRect(docBackground, Canvas, x + CellSpacing - 1, y + CellSpacing - 1 - scroll, x + cell->Wd,
                               y + cell->Ht - scroll, false);
                if (spacing.get()) {
                    OwnedRegion box(CreateRectRgn(x + CellSpacing - grow, y + CellSpacing - grow - scroll,
                                                  x + cell->Wd + grow, y + cell->Ht + grow - scroll));
                    CombineRgn(spacing.get(), spacing.get(), box.get(), RGN_DIFF);
                }
            }
            x += Widths[static_cast<std::size_t>(c)];
        }
        y += row->RowHeight;
    }

    if (spacing.get()) {
        Canvas->Brush()->SetColor(BdrColor);
        Canvas->Brush()->SetStyle(bsSolid);
        FillRgn(Canvas->Handle(), spacing.get(), Canvas->Brush()->Handle());
    }
    if (BorderOn)
        RaisedRect(docBackground, Canvas, x0, rowsTop - scroll, x0 + TableWidth - 1,
                   rowsBottom + CellSpacing - 1 - scroll, true);
    if (!TopCaption) Caption->Cell->Draw(Canvas, ARect, X + Indent, rowsBottom + CellSpacing, TotalWidth);
    return result;
}

// ---- Hit tests ------------------------------------------------------------------------------

TCell* ThtmlTable::CellAtPoint(int X, int Y) {
    if (Y < YValue || Y >= YValue + DrawHeight) return nullptr;
    const int top = YValue + (Float ? VSpace : 0);
    const bool inCaptionSpan = X >= PaintX + Indent && X < PaintX + Indent + TotalWidth;
    const int rowsBottom = FRowsTop + RowsHeight;
    if (TopCaption && Y >= top && Y < top + CaptionHeight) return inCaptionSpan ? Caption->Cell.get() : nullptr;
    const int capTop = rowsBottom + CellSpacing;
    if (!TopCaption && Y >= capTop && Y < capTop + CaptionHeight) return inCaptionSpan ? Caption->Cell.get() : nullptr;
    int y = FRowsTop;
    for (int r = 0; r < RowCount() && y <= Y; ++r) {
        TCellList* row = Row(r);
        int x = PaintX + TableIndent;
        for (int c = 0; c < row->Count() && c < ColCount; ++c) {
            TCellObj* cell = row->CellObj(c);
            if (cell && !cell->IsPlaceholder() && X >= x && X < x + cell->Wd && Y >= y && Y < y + cell->Ht)
                return cell->Cell.get();
            x += Widths[static_cast<std::size_t>(c)];
        }
        y += row->RowHeight;
    }
    return nullptr;
}

// The cells keep the document coordinates they were laid out and painted at,
// so a point goes to them as it is.
std::unique_ptr<TUrlTarget> ThtmlTable::LinkAt(TCanvas* Canvas, int X, int Y, TObject*& FormControl) {
    FormControl = nullptr;
    if (TCell* cell = CellAtPoint(X, Y)) return cell->LinkAt(Canvas, X, Y, FormControl);
    return nullptr;
}

TImageHit ThtmlTable::ImageAt(int X, int Y) {
    if (TCell* cell = CellAtPoint(X, Y)) return cell->ImageAt(X, Y);
    return {};
}

TCursorHit ThtmlTable::CursorAt(TCanvas* Canvas, int X, int Y) {
    if (TCell* cell = CellAtPoint(X, Y)) return cell->CursorAt(Canvas, X, Y);
    return {};
}

// ---- Delegation to the cells ---------------------------------------------------------------

namespace {

// Every cell with content in row and column order, then the caption; stops
// at the first for which F answers true.
template <typename F>
bool EachCell(ThtmlTable& T, F&& Fn) {
    for (int r = 0; r < T.RowCount(); ++r) {
        TCellList* row = T.Row(r);
        for (int c = 0; c < row->Count(); ++c) {
            TCellObj* cell = row->CellObj(c);
            if (cell && !cell->IsPlaceholder() && Fn(*cell->Cell)) return true;
        }
    }
    return Fn(*T.Caption->Cell);
}

}  // namespace

void ThtmlTable::CopySelection(TCopyBuffer& Buffer) {
    if (TopCaption) Caption->Cell->CopySelection(Buffer);
    for (int r = 0; r < RowCount(); ++r) {
        TCellList* row = Row(r);
        for (int c = 0; c < row->Count(); ++c) {
            TCellObj* cell = row->CellObj(c);
            if (cell && !cell->IsPlaceholder()) cell->Cell->CopySelection(Buffer);
        }
    }
    if (!TopCaption) Caption->Cell->CopySelection(Buffer);
}

int ThtmlTable::SearchText(int Start, const String& Text, bool MatchCase) {
    int found = -1;
    EachCell(*this, [&](TCell& c) { return (found = c.SearchText(Start, Text, MatchCase)) >= 0; });
    return found;
}

int ThtmlTable::SourcePosOf(int DocPos) {
    int found = -1;
    EachCell(*this, [&](TCell& c) { return (found = c.SourcePosOf(DocPos)) >= 0; });
    return found;
}

int ThtmlTable::DocPosOf(int SourcePos, bool TakePrevious) {
    int found = -1;
    EachCell(*this, [&](TCell& c) { return (found = c.DocPosOf(SourcePos, TakePrevious)) >= 0; });
    return found;
}

bool ThtmlTable::CaretPointOf(TCanvas* Canvas, int DocPos, int& X, int& Y) {
    return EachCell(*this, [&](TCell& c) { return c.CaretPointOf(Canvas, DocPos, X, Y); });
}

bool ThtmlTable::CharAt(int DocPos, char& Ch, TSectionBase*& Section) {
    return EachCell(*this, [&](TCell& c) { return c.CharAt(DocPos, Ch, Section); });
}

void ThtmlTable::RefreshFonts() {
    EachCell(*this, [](TCell& c) {
        c.RefreshFonts();
        return false;
    });
}

}  // namespace htmlview
