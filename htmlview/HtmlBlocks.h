// The document's block sections (paragraph and heading gaps, horizontal
// rules, preformatted text, list items), its forms with their controls, and
// its tables.
//
// Block sections lay out and paint like text sections: on a canvas, for a
// width, with no window. Form controls are the exception by nature: each is a
// real GUI-layer control, a child of the document's paint panel, that stands
// in its text section as one character; layout only measures it, painting
// moves it to where its character is drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "gui/base/Classes.h"
#include "gui/windows/Controls.h"
#include "htmlview/HtmlSections.h"

namespace htmlview {

// Attribute symbols the blocks and forms read; the numbering belongs to the
// tokenizer (its attribute table's order, counting the repeated VALUE once).
struct TFormSymbols {
    std::uint8_t Name, Value, Type, Checked, Size, MaxLength, Cols, Rows, Multiple, Method, Action, Target, EncType,
        OnClick, Wrap;
};
struct TRuleSymbols {
    std::uint8_t Align, Width, Size, Color, NoShade;
};
// The tokenizer's attribute symbols.
extern const TFormSymbols DefaultFormSymbols;
extern const TRuleSymbols DefaultRuleSymbols;

// ---- Block sections -----------------------------------------------------------------

// The gap a paragraph leaves.
class TParagraphSpace : public TSectionBase {
public:
    explicit TParagraphSpace(TCell* ACell);
    void CopySelection(TCopyBuffer& Buffer) override;
    void FixHeight() override;
};

// The gap before or after a heading; deeper levels leave less.
class THeadingSpace : public TSectionBase {
public:
    THeadingSpace(TCell* ACell, int ALevel);
    void CopySelection(TCopyBuffer& Buffer) override;
    void FixHeight() override;
    int HeadingSize;  // 1 to 6
};

// A horizontal rule.
class THorzLine : public TSectionBase {
public:
    enum Align : std::uint8_t { Left = 1, Centre = 2, Right = 3 };
    THorzLine(TCell* ACell, const TAttributeList& Attrs, const TRuleSymbols& Sy = DefaultRuleSymbols);
    void CopySelection(TCopyBuffer& Buffer) override;
    int Paint(gui::TCanvas* Canvas, const gui::TRect& ARect, IndentManager& IMgr, int X, int Y) override;
    void FixHeight() override;
    // The rule's left and right ends for the edges L and R.
    void Span(int L, int R, int& From, int& To) const;

    int VSize = 2;      // thickness
    int HWidth = 0;     // 0: no width given
    bool AsPercent = false;
    std::uint8_t Alignment = Centre;
    bool UseDefaultColor = true;  // no COLOR: drawn as a 3D outline
    bool NoShade = false;
    gui::TColor Color = gui::clBlack;
};

// Preformatted text: every character kept, never wrapped, drawn clipped to
// the cell.
class TPreFormated : public TSection {
public:
    TPreFormated(TCell* ACell, std::uint8_t AJustify, const TUrlTarget* AUrl, const TMyFont& AFont, int AListLevel);
    int LayOut(gui::TCanvas* Canvas, int Y, IndentManager& IMgr, int& MaxWidth, int& Curs) override;
    void MeasureWidths(gui::TCanvas* Canvas, int& Min, int& Max) override;
};

// A bulleted list item (no bullet when Plain).
class TUListItem : public TSection {
public:
    TUListItem(TCell* ACell, const TUrlTarget* AUrl, const TMyFont& AFont, int AListLevel);
    void SetPlain(bool Value) { PlainItem = Value; }
};

// A definition list entry: indented, no marker.
class TDListItem : public TUListItem {
public:
    TDListItem(TCell* ACell, const TUrlTarget* AUrl, const TMyFont& AFont, int AListLevel);
};

// A numbered item: 'A', 'a', 'I', 'i' or anything else for decimal.
class TOListItem : public TUListItem {
public:
    TOListItem(TCell* ACell, const TUrlTarget* AUrl, const TMyFont& AFont, char AStyle, int ANumber, int AListLevel);
};

// ---- Forms -------------------------------------------------------------------------------

class TFormControlObj;

class ThtmlForm : public gui::TObject {
public:
    // Attrs may be null (the implicit form of controls outside any FORM);
    // the builder hands the form to the document (TSectionList::AddForm).
    ThtmlForm(TSectionList* ADoc, const TAttributeList* Attrs, const TFormSymbols& Sy = DefaultFormSymbols);
    ~ThtmlForm() override;
    // The builder's current form, or a new implicit one added to the document.
    static ThtmlForm* Current(TSectionList* Doc);
    void InsertControl(std::unique_ptr<TFormControlObj> Ctl);
    void DoReset();
    // Asks every control for its items; Extra (when not empty) comes last.
    void SubmitTheForm(const String& Extra);
    // Unchecks the form's other radio buttons of that name.
    void RadioClicked(TFormControlObj* Clicked);
    int ControlCount() const { return static_cast<int>(ControlList.size()); }
    TFormControlObj* Control(int i) const { return ControlList[static_cast<std::size_t>(i)].get(); }

    TSectionList* MasterList;
    String Method = "Get";
    String Action, Target, EncType;
    std::vector<std::unique_ptr<TFormControlObj>> ControlList;
    int NonHiddenCount = 0;
};

class TFormControlObj : public gui::TObject {
public:
    TFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs, const TFormSymbols& Sy);
    ~TFormControlObj() override;

    virtual gui::TWinControl* FocusControl();
    virtual void ResetValue();
    virtual bool SubmitItem(int Index, String& Text);
    virtual void SizeOnCanvas(gui::TCanvas* Canvas);

    gui::TWinControl* TheControl() const { return FControl.get(); }
    int Width() const;
    int Height() const;
    // Moves the control to (X, Y) on the panel and shows it.
    void Place(int X, int Y);
    // Shows it out of sight (OffScreen) or hides it.
    void Park(bool OffScreen);

    int YValue = 0;  // top of the line that holds it, at the last layout
    int Pos;         // its character in the section's buffer
    TSectionList* MasterList;
    ThtmlForm* MyForm = nullptr;
    TCell* MyCell = nullptr;
    String Value;
    String Name;
    bool OnBaseline = false;
    bool Placed = false;
    String OnClickScript;

protected:
    // Takes the GUI control: a hidden child of the paint panel at y = -400.
    void SetControl(gui::TWinControl* Ctl);
    void AttachEvents(gui::TWinControl* Ctl);
    // The object-click callback with this control's script.
    void Clicked();
    // The document's fixed-pitch face at 10 points.
    void UseFixedFont(gui::TWinControl* Ctl);

private:
    class TGuard;
    std::unique_ptr<gui::TWinControl> FControl;
    std::unique_ptr<TGuard> FGuard;  // lets go of the control if its parent frees it first
};

class TEditFormControlObj : public TFormControlObj {
public:
    TEditFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs, const String& AType,
                        const TFormSymbols& Sy = DefaultFormSymbols);
    void ResetValue() override;
    bool SubmitItem(int Index, String& Text) override;
    void SizeOnCanvas(gui::TCanvas* Canvas) override;
    String Text() const;
    int EditSize = 20;
};

class TButtonFormControlObj : public TFormControlObj {
public:
    enum Kind : std::uint8_t { Submit = 0, Reset = 1, Button = 2 };
    TButtonFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs, const String& AType,
                          const TFormSymbols& Sy = DefaultFormSymbols);
    void SizeOnCanvas(gui::TCanvas* Canvas) override;
    void Press();  // what a click does
    std::uint8_t Which;
};

class TCheckBoxFormControlObj : public TFormControlObj {
public:
    TCheckBoxFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                            const TFormSymbols& Sy = DefaultFormSymbols);
    void ResetValue() override;
    bool SubmitItem(int Index, String& Text) override;
    bool Checked() const;
    void SetChecked(bool Value);
    bool WasChecked = false;
};

class TRadioButtonFormControlObj : public TFormControlObj {
public:
    TRadioButtonFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs, TCell* ACell,
                               const TFormSymbols& Sy = DefaultFormSymbols);
    gui::TWinControl* FocusControl() override;
    void ResetValue() override;
    bool SubmitItem(int Index, String& Text) override;
    bool Checked() const;
    void SetChecked(bool Value);
    void Press();  // what a click does
    bool WasChecked = false;
    gui::TWinControl* RButton = nullptr;  // inside the panel, freed with it
};

class THiddenFormControlObj : public TFormControlObj {
public:
    using TFormControlObj::TFormControlObj;
    bool SubmitItem(int Index, String& Text) override;
};

class TImageFormControlObj : public TFormControlObj {
public:
    TImageFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                         const TFormSymbols& Sy = DefaultFormSymbols);
    bool SubmitItem(int Index, String& Text) override;
    // The viewer reports a click on the picture (at the point the latest
    // hit test recorded): the form is submitted with that point.
    void ImageClicked();
    int XPos = -1, YPos = -1;
    int XTmp = 0, YTmp = 0;
};

class TOptionObj : public gui::TObject {
public:
    std::optional<String> Value;
    bool Selected = false;
};

// A SELECT: a list box (MULTIPLE or SIZE above 1) or a drop-down list.
class TSelectFormControlObj : public TFormControlObj {
public:
    using TFormControlObj::TFormControlObj;
    ~TSelectFormControlObj() override;
    void AddOption(const String& Text, const std::optional<String>& AValue, bool Selected);
    int OptionCount() const;
    String OptionValue(int i) const;  // its value, or its text
    std::unique_ptr<gui::TStringList> TheOptions;  // objects: TOptionObj, owned
    int LBSize = -1;   // rows; -1 automatic
    int Longest = 3;   // characters
};

class TListBoxFormControlObj : public TSelectFormControlObj {
public:
    TListBoxFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                           const TFormSymbols& Sy = DefaultFormSymbols);
    void ResetValue() override;
    bool SubmitItem(int Index, String& Text) override;
    void SizeOnCanvas(gui::TCanvas* Canvas) override;
    bool MultiSelect = false;
};

class TComboFormControlObj : public TSelectFormControlObj {
public:
    TComboFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                         const TFormSymbols& Sy = DefaultFormSymbols);
    void ResetValue() override;
    bool SubmitItem(int Index, String& Text) override;
    void SizeOnCanvas(gui::TCanvas* Canvas) override;
};

class TTextAreaFormControlObj : public TFormControlObj {
public:
    TTextAreaFormControlObj(TSectionList* ADoc, int APos, const TAttributeList& Attrs,
                            const TFormSymbols& Sy = DefaultFormSymbols);
    void AddLine(const String& Line);
    void ResetValue() override;
    bool SubmitItem(int Index, String& Text) override;
    void SizeOnCanvas(gui::TCanvas* Canvas) override;
    int Rows = 5, Cols = 30;
    bool Wrap = false;
    std::vector<String> TheText;  // the initial lines
};

// The controls of one section in buffer order (not owning: forms own them).
class TFormControlList {
public:
    int Count() const { return static_cast<int>(FControls.size()); }
    TFormControlObj* Control(int i) const { return FControls.at(static_cast<std::size_t>(i)); }
    void Add(TFormControlObj* Ctl) { FControls.push_back(Ctl); }
    TFormControlObj* FindControl(int Pos) const;
    int GetHeightAt(int Pos, bool& OnBaseline) const;
    int GetWidthAt(int Pos) const;
    // Characters to the next control; 9999 when there is none.
    int GetControlCountAt(int Pos) const;

private:
    std::vector<TFormControlObj*> FControls;
};

// ---- Tables ----

// Attribute symbols the table, its rows and cells read; the numbering
// belongs to the tokenizer.
struct TTableSymbols {
    std::uint8_t Align, BgColor, ColSpan, RowSpan, Border, CellPadding, CellSpacing, Width, BorderColor, Height,
        HSpace, VSpace;
};
// The tokenizer's attribute symbols.
extern const TTableSymbols DefaultTableSymbols;

// An HTML colour value (read as the document builder reads it,
// ParseColorValue) as a colour matched against the palette; false when it
// does not parse.
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
class TCellList : public TFreeList<TCellObj> {
public:
    TCellList() = default;
    TCellList(const TAttributeList& Attrs, const TTableSymbols& Sy = DefaultTableSymbols);
    TCellObj* CellObj(int i) const { return Items(i); }
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
    TCellList* Row(int i) const { return Rows.Items(i); }
    int RowCount() const { return Rows.Count(); }

    void CopySelection(TCopyBuffer& Buffer) override;
    int LayOut(gui::TCanvas* Canvas, int Y, IndentManager& IMgr, int& MaxWidth, int& Curs) override;
    int Paint(gui::TCanvas* Canvas, const gui::TRect& ARect, IndentManager& IMgr, int X, int Y) override;
    std::unique_ptr<TUrlTarget> LinkAt(gui::TCanvas* Canvas, int X, int Y, gui::TObject*& FormControl) override;
    TImageHit ImageAt(int X, int Y) override;
    TCursorHit CursorAt(gui::TCanvas* Canvas, int X, int Y) override;
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

    TFreeList<TCellList> Rows;
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
