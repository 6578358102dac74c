// The document's block elements, form controls and tables: sections that
// the document builder adds to a cell beside the text sections.
#pragma once

#include <cstdint>
#include <memory>

#include "htmlview/HtmlSections.h"

namespace htmlview {

// ---- Tables ----

// Attribute symbols the table, its rows and cells read; the numbering
// belongs to the tokenizer.
struct TTableSymbols {
    std::uint8_t Align, BgColor, ColSpan, RowSpan, Border, CellPadding, CellSpacing, Width, BorderColor, Height,
        HSpace, VSpace;
};
// The tokenizer's attribute order until it lands beside this code.
extern const TTableSymbols DefaultTableSymbols;

// An HTML colour value (a name or six hex digits, "#" optional) as a colour
// matched against the palette; false when it does not parse.
bool ParseHtmlColor(const String& Value, gui::TColor& Color);

// One table cell: its spans and sizes, and the column of sections it holds.
class TCellObj : public gui::TObject {
public:
    TCellObj(TSectionList* Doc, const TAttributeList& Attrs, std::uint8_t AVAlign,
             const TTableSymbols& Sy = DefaultTableSymbols);
    // A grid slot covered by another cell's span; never laid out or painted.
    static std::unique_ptr<TCellObj> Placeholder(TSectionList* Doc, int ARowSpan);
    ~TCellObj() override;
    bool IsPlaceholder() const { return ColSpan == 0; }
    bool PixelWidth() const { return SpecWd > 0 && !WidthPercent; }

    int ColSpan = 1;
    int RowSpan = 1;
    int Wd = 0;      // sum of the spanned columns' widths
    int Ht = 0;      // sum of the spanned rows' heights
    int VSize = 0;   // content height
    int SpecHt = 0;  // HEIGHT
    int YIndent = 0; // vertical offset from the alignment
    std::uint8_t VAlign = 1;  // 0 top, 1 middle, 2 bottom
    int SpecWd = 0;  // pixels, or per mille with WidthPercent
    bool WidthPercent = false;
    std::unique_ptr<TCell> Cell;
};

// One table row: cells in column order. After the grid is normalised an
// entry may be empty (nullptr, covered by a column span) or a placeholder.
class TCellList : public TFreeList {
public:
    TCellList() = default;
    TCellList(const TAttributeList& Attrs, const TTableSymbols& Sy = DefaultTableSymbols);
    TCellObj* CellObj(int i) const { return static_cast<TCellObj*>(Items(i)); }
    void AddCell(std::unique_ptr<TCellObj> C);

    int RowHeight = 0;
    int SpanHeight = 0;  // tallest cell starting in this row, spans included
    bool BkGnd = false;
    gui::TColor BkColor = gui::clNone;
};

class ThtmlTable : public TSectionBase {
public:
    enum Align : std::uint8_t { ALeft = 1, ACentre = 2, ARight = 3 };
    static constexpr int MaxCols = 200;

    // Owner is the cell the table stands in; Doc the document root.
    ThtmlTable(TCell* AOwner, int AListLevel, TSectionList* ADoc, std::uint8_t AJustify, const TAttributeList& Attrs,
               const TTableSymbols& Sy = DefaultTableSymbols);
    ~ThtmlTable() override;

    // Building.
    void AddRow(std::unique_ptr<TCellList> Row);
    TCellList* Row(int i) const { return static_cast<TCellList*>(Rows.Items(i)); }
    int RowCount() const { return Rows.Count(); }

    void CopySelection(TCopyBuffer& Buffer) override;
    int LayOut(gui::TCanvas* Canvas, int Y, IndentManager& IMgr, int& MaxWidth, int& Curs) override;
    int Paint(gui::TCanvas* Canvas, const gui::TRect& ARect, IndentManager& IMgr, int X, int Y) override;
    std::unique_ptr<TUrlTarget> LinkAt(gui::TCanvas* Canvas, int X, int Y, gui::TObject*& FormControl) override;
    bool ImageAt(int X, int Y, TImageObj*& Img, int& XInside, int& YInside) override;
    int CursorAt(gui::TCanvas* Canvas, int X, int Y, int& CaretX, int& CaretY, int& CaretHt,
                 bool& InText) override;
    int SearchText(int Start, const String& Text, bool MatchCase) override;
    int SourcePosOf(int DocPos) override;
    int DocPosOf(int SourcePos, bool TakePrevious) override;
    bool CaretPointOf(gui::TCanvas* Canvas, int DocPos, int& X, int& Y) override;
    bool CharAt(int DocPos, char& Ch, TSectionBase*& Section) override;
    void RefreshFonts() override;
    void MeasureWidths(gui::TCanvas* Canvas, int& Min, int& Max) override;

    // The column widths of the last layout (ColCount entries).
    int ColumnWidth(int i) const { return Widths[static_cast<std::size_t>(i)]; }
    // Left of the rows block relative to the paint x, and its top in document
    // coordinates, at the last layout.
    int RowsLeft() const { return TableIndent; }
    int RowsTop() const { return FRowsTop; }

    TFreeList Rows;  // TCellList
    std::unique_ptr<TCellObj> Caption;
    bool Initialized = false;
    bool BorderOn = false;
    bool TopCaption = true;
    int TableIndent = 0;  // x offset of the rows under a wider caption, placement included
    int Indent = 0;       // placement: alignment and the left edge
    std::uint8_t Justify;
    bool Float = false;
    int ColCount = 0;
    int TableWidth = 0;  // spacing plus the column widths
    int TotalWidth = 0;  // with the caption
    int SpecWidth = 0;
    bool WidthPercent = false;
    int SpecHeight = 0;
    bool HeightPercent = false;
    bool HasPixelWidthCells = false;
    int CaptionHeight = 0;
    int RowsHeight = 0;  // sum of the row heights
    int CellPadding = 1;
    int CellSpacing = 2;
    int CaptionMinWidth = 0;
    int HSpace = 5;
    int VSpace = 0;
    int ListLevel;
    int PaintX = 0;
    bool BkGnd = false;
    bool BdrOn = false;  // border colour given
    gui::TColor BkColor = gui::clNone;
    gui::TColor BdrColor = gui::clNone;
    TCell* Owner;
    TSectionList* Doc;

private:
    struct Measure;
    void Initialize();
    void CellMinMax(gui::TCanvas* Canvas, TCellObj* C, int& Mn, int& Mx);
    void PlainMeasure(gui::TCanvas* Canvas, Measure& M);
    void PercentMeasure(gui::TCanvas* Canvas, int TotalW, Measure& M);
    void DistributeWithPercents(Measure& M, int Target);
    void AutoWidthPercents(Measure& M, int Target);
    int ViewPercentHeight() const;
    // The cell (and its column index) whose box holds the point, from the
    // last paint; nullptr when none, or the caption when it is hit.
    TCell* CellAtPoint(int X, int Y);
    std::vector<int> Widths;
    bool FTooManyColumns = false;
    int FRowsTop = 0;
};

}  // namespace htmlview
