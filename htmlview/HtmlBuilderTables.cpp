// The document builder's table loop: rows, cells and the caption, with the
// repairs of missing end tags (a new cell, row or caption, or the table's
// end, closes the open cell and pops the fonts it pushed).
#include "htmlview/HtmlBuilder.h"

#include <algorithm>

namespace htmlview {

using namespace gui;

namespace {

std::uint8_t VAlignOf(const TAttributeList& Attrs, std::uint8_t Default) {
    TAttribute* t = nullptr;
    if (!Attrs.Find(VAlignAttr, t)) return Default;
    const String v = LowerValue(t);
    if (v == "top" || v == "baseline") return 0;
    if (v == "middle") return 1;
    if (v == "bottom") return 2;
    return Default;
}

std::uint8_t HAlignOf(const TAttributeList& Attrs) {
    TAttribute* t = nullptr;
    if (!Attrs.Find(AlignAttr, t)) return 0;
    const String v = LowerValue(t);
    return v == "left" ? 1 : v == "center" ? 2 : v == "right" ? 3 : 0;
}

}  // namespace

void THtmlBuilder::TableLoop(int Level) {
    if (FTableDepth >= MaxTableNesting || FDepth >= MaxNesting) {
        // Too deep: the table's content flows into the enclosing cell.
        Result.NestingCut = true;
        Next();
        return;
    }
    ++FTableDepth;
    ++FDepth;
    EndLink();
    const std::size_t height = FFonts.size();
    TCell* const enclosing = FCurrentCell;
    const std::uint8_t savedJustify = FJustify;
    const TFontStyles savedStyle = Doc->Build.Style;
    const bool savedNoBreak = Doc->Build.NoBreak;
    CloseSection();
    FCurrentCell = nullptr;

    auto table = std::make_unique<ThtmlTable>(enclosing, Level, Doc, FJustify, FTok.Attributes());
    std::unique_ptr<TCellList> row;
    std::unique_ptr<TCellObj> cell;
    std::uint8_t rowVAlign = 1, rowHAlign = 0;
    const TSymbSet cellTerm{TableEndSy, TDSy, THSy, TRSy, TREndSy, CaptionSy, CaptionEndSy};
    TCellObj* const caption = table->Caption.get();

    auto finishCell = [&] {
        if (!cell) return;
        if (FSection) FSection->TrimTrailingSpaces();
        CloseSection();
        if (row) row->AddCell(std::move(cell));
        cell.reset();
        FCurrentCell = nullptr;
    };
    auto setNoBreak = [&](bool On) {
        Doc->Build.NoBreak = On;
        FTok.NoBreak = On;
    };

    Next();
    while (FTok.Sy != TableEndSy && FTok.Sy != EofSy) {
        const Symb sy = FTok.Sy;
        switch (sy) {
        case TextSy: {
            // Whitespace alone between the table's tags is no text: it would
            // only leave an empty section ahead of the table.
            const String& text = FTok.Token().S;
            if (std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == chars::NoBreakSpaceIn; })) {
                Next();
                break;
            }
            // Text between cells goes ahead of the table.
            TCell* const previous = FCurrentCell;
            FCurrentCell = enclosing;
            BodyLoop(0, cellTerm);
            CloseSection();
            FCurrentCell = previous;
            break;
        }
        case TDSy: case THSy: {
            EndLink();
            PopTo(height);
            Doc->Build.Style = savedStyle;
            TAttribute* t = nullptr;
            setNoBreak(FTok.Find(NoWrapAttr, t) && !FTok.Find(WidthAttr, t));
            if (row)
                finishCell();
            else {
                row = std::make_unique<TCellList>();
                rowVAlign = 1;
                rowHAlign = 0;
            }
            if (rowHAlign != 0)
                FJustify = rowHAlign;
            else
                FJustify = sy == THSy ? TSection::Centre : TSection::Left;
            SetStyle(fsBold, sy == THSy);
            const std::uint8_t h = HAlignOf(FTok.Attributes());
            if (h != 0) FJustify = h;
            cell = std::make_unique<TCellObj>(Doc, FTok.Attributes(), VAlignOf(FTok.Attributes(), rowVAlign));
            FCurrentCell = cell->Cell.get();
            FTok.SkipBlanks();
            Next();
            FTok.ParagraphSpace = true;
            BodyLoop(0, cellTerm);
            break;
        }
        case TDEndSy: case THEndSy:
            finishCell();
            Next();
            break;
        case TRSy:
            EndLink();
            if (row) {
                finishCell();
                table->AddRow(std::move(row));
            }
            row = std::make_unique<TCellList>(FTok.Attributes());
            rowHAlign = HAlignOf(FTok.Attributes());
            rowVAlign = VAlignOf(FTok.Attributes(), 1);
            Next();
            break;
        case TREndSy:
            EndLink();
            if (row) {
                finishCell();
                table->AddRow(std::move(row));
                row.reset();
            }
            Next();
            break;
        case CaptionSy: {
            EndLink();
            PopTo(height);
            Doc->Build.Style = savedStyle;
            setNoBreak(false);
            finishCell();
            TAttribute* t = nullptr;
            if (FTok.Find(AlignAttr, t)) table->TopCaption = LowerValue(t) != "bottom";
            FCurrentCell = caption ? caption->Cell.get() : nullptr;
            FJustify = TSection::Centre;
            Next();
            BodyLoop(0, cellTerm);
            if (FSection) FSection->TrimTrailingSpaces();
            CloseSection();
            FCurrentCell = nullptr;
            if (FTok.Sy == CaptionEndSy) Next();
            break;
        }
        default:
            Next();
            break;
        }
    }
    EndLink();
    PopTo(height);
    finishCell();
    if (row) table->AddRow(std::move(row));
    FCurrentCell = enclosing;
    FCurrentCell->AddSection(std::move(table));
    Doc->Build.Style = savedStyle;
    setNoBreak(savedNoBreak);
    FJustify = savedJustify;
    --FDepth;
    --FTableDepth;
    Next();
}

}  // namespace htmlview
