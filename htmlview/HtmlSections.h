// The viewer's document: a vertical stack of sections laid out in one column
// (TCell), the document root (TSectionList), the text section (TSection) with
// its line breaking, painting and hit tests, and the font objects.
//
// Layout and painting take a canvas and a width, never a window: a tool or a
// test can build a document, lay it out and paint it on a bitmap. Text is
// measured and drawn through the platform layer's GDI text calls.
//
// Coordinates are document pixels, y = 0 at the top of the document; the
// scroll offset is subtracted only when painting. Document positions count
// the characters of all text sections in document order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "gui/draw/Graphics.h"
#include "htmlview/HtmlSupport.h"

namespace gui {
class TTimer;
class TStream;
class TWinControl;
}  // namespace gui

namespace htmlview {

class TSectionList;
class TCell;
class TSection;
class TImageObj;
class TImageObjList;
class TFloatingObj;
class ThtmlForm;
class TFormControlObj;
class TFormControlList;
struct TFormSymbols;

// Raised by a section's layout for content it cannot lay out: the document
// reports it, drops the section and goes on.
class EProcessError : public gui::Exception {
public:
    using gui::Exception::Exception;
};

// Characters with a meaning of their own in a section's text buffer.
namespace chars {
constexpr char FormControl = 2;        // break before or after
constexpr char Image = 4;              // break before or after
constexpr char NoBreakSpaceIn = 5;     // parser's no-break space, never stored
constexpr char NoBreakControl = 6;     // inside a no-break run
constexpr char NoBreakImage = 7;       // inside a no-break run
constexpr char NoBreakSpace = static_cast<char>(160);

constexpr bool IsImage(char c) { return c == Image || c == NoBreakImage; }
constexpr bool IsControl(char c) { return c == FormControl || c == NoBreakControl; }
constexpr bool IsObject(char c) { return IsImage(c) || IsControl(c); }
// A line may break at a space and before or after an object outside a no-break run.
constexpr bool IsBreak(char c) { return c == ' ' || c == Image || c == FormControl; }
}  // namespace chars

// Where the selected text goes.
class TCopyBuffer : public gui::TObject {
public:
    void Append(const char* Bytes, int Count) { Text.append(Bytes, static_cast<std::size_t>(Count)); }
    void Append(const String& S) { Text += S; }
    String Text;
};

// ---- Fonts -------------------------------------------------------------------------

// A font with a size relative to the document's default (12 = the default).
class TMyFont : public gui::TFont {
public:
    void Assign(gui::TPersistent* Source) override;  // the added fields, then the font
    int NormalSize = 12;
    bool Fixed = false;
};

// Effective point size: default size times relative size divided by 12.
int EffectiveSize(int DefaultSize, int RelativeSize);

// A font's place relative to the baseline.
enum TScript : std::uint8_t { NormalScript = 0, Subscript = 1, Superscript = 2 };

// A font change at a buffer position, with its link and metrics.
class TFontObj : public gui::TObject {
public:
    TFontObj(TSection* ASection, const TMyFont& AFont, int APos);
    ~TFontObj() override;
    void SetVisited(bool Value);
    void SetHover(bool Value);
    bool Visited() const { return FVisited; }
    bool Hover() const { return FHover; }
    bool HasLink() const { return !UrlTarget.Url.empty(); }
    // Face, charset, size and colour from the document, then the metrics.
    void Refresh(const TSectionList& Doc);

    TSection* Section;
    int Pos;
    TMyFont TheFont;
    int FontHeight = 0;  // metric height plus external leading
    int tmHeight = 0;
    int Overhang = 0;
    int Descent = 0;
    std::uint8_t SScript = NormalScript;  // a TScript
    TUrlTarget UrlTarget;
    bool Listed = false;  // in the document's link list

private:
    void Measure();
    void Recolor();
    bool FVisited = false;
    bool FHover = false;
};

class TFontList : public TFreeList<TFontObj> {
public:
    TFontObj* Font(int i) const { return Items(i); }
    // The entry in force at the position (the last starting at or before it).
    TFontObj* FontAt(int Pos) const;
    TFontObj* FontAt(int Pos, int& Overhang) const;
    // Characters from the position to the next entry's start (or to Leng).
    int CountAt(int Pos, int Leng) const;
};

// ---- Indents -------------------------------------------------------------------------

// The float tracker, with the image-float operation.
class IndentManager : public IndentManagerBasic {
public:
    // Floats the image at y (left or right alignment; others are left alone).
    void FloatImage(int Y, TFloatingObj* Img);
    // The lowest bottom of the left (Side 1) or right (Side 2) image floats.
    int FloatBottom(int Side) const;
};

// ---- Sections ---------------------------------------------------------------------------

// The picture under a point and the point inside it; Image is null for none.
struct TImageHit {
    TImageObj* Image = nullptr;
    int XInside = 0;
    int YInside = 0;
};

// The document position under a point (-1 for none), where the caret goes
// for it, and whether the point is over a character rather than beside a line.
struct TCursorHit {
    int Pos = -1;
    int CaretX = 0;
    int CaretY = 0;
    int CaretHt = 0;
    bool InText = false;
};

class TSectionBase : public gui::TObject {
public:
    explicit TSectionBase(TSectionList* AParent) : ParentSectionList(AParent) {}

    virtual void CopySelection(TCopyBuffer& Buffer);
    virtual int LayOut(gui::TCanvas* Canvas, int Y, IndentManager& IMgr, int& MaxWidth, int& Curs);
    virtual int Paint(gui::TCanvas* Canvas, const gui::TRect& ARect, IndentManager& IMgr, int X, int Y);
    // A copy of the link under the point (the caller owns it), or nullptr.
    virtual std::unique_ptr<TUrlTarget> LinkAt(gui::TCanvas* Canvas, int X, int Y, gui::TObject*& FormControl);
    virtual TImageHit ImageAt(int X, int Y);
    virtual TCursorHit CursorAt(gui::TCanvas* Canvas, int X, int Y);
    virtual int SearchText(int Start, const String& Text, bool MatchCase);
    virtual int SourcePosOf(int DocPos);
    virtual int DocPosOf(int SourcePos, bool TakePrevious);
    virtual bool CaretPointOf(gui::TCanvas* Canvas, int DocPos, int& X, int& Y);
    virtual bool CharAt(int DocPos, char& Ch, TSectionBase*& Section);
    virtual void RefreshFonts();
    virtual void FixHeight();
    virtual void MeasureWidths(gui::TCanvas* Canvas, int& Min, int& Max);

    TSectionList* ParentSectionList;
    int SectionHeight = 0;  // vertical advance
    int DrawHeight = 0;     // what painting covers, floats included
    int YValue = 0;         // top at the last layout or paint
    int StartCurs = 0;      // first document position
    int Len = 0;            // characters
};

struct LineRec {
    int Start = 0;        // buffer index
    int SpaceBefore = 0;  // above the text, for images
    int SpaceAfter = 0;
    int LineHt = 0;       // tallest font of the line
    int DrawHeight = 0;   // the line's band, or more where a float hangs lower
    int Ln = 0;           // characters
    int Descent = 0;
    int LineLeftX = 0;    // content left after alignment, relative to the cell
    int DrawXX = 0;       // absolute content left at the last paint
    int DrawY = 0;        // top of the text at the last paint
    int Top = 0;          // top of the line's band in document coordinates
    int Band() const { return SpaceBefore + LineHt + SpaceAfter; }
};

struct IndexObj {
    int Pos;    // buffer position where the run starts
    int Index;  // source position of that character
};

// What the document builder tells a section while it builds it.
struct TBuildState {
    bool NoBreak = false;           // inside a no-break run
    gui::TFontStyles Style;         // style flags added to each new font
    std::uint8_t Shift = NormalScript;  // a TScript
};

class TSection : public TSectionBase {
public:
    enum Align : std::uint8_t { Left = 1, Centre = 2, Right = 3 };
    // Which floats the section starts below (CLEAR).
    enum TClear : std::uint8_t { ClearNone = 0, ClearLeft = 1, ClearRight = 2, ClearAll = 3 };
    // The list a section is an item of.
    enum TListType : std::uint8_t { NoList = 0, OrderedList = 1, UnorderedList = 2, DefinitionList = 3 };
    TSection(TCell* ACell, std::uint8_t AJustify, const TUrlTarget* AUrl, const TMyFont& AFont, int AListLevel);
    ~TSection() override;

    // Building.
    virtual void AppendChar(char Ch, int SourcePos);
    virtual void AppendText(const TokenObj& Token);
    void ChangeFont(const TMyFont& AFont);
    // Symbol code IsHref: the parser starts a link with this target.
    void ChangeFontAndLink(bool IsHref, const TMyFont& AFont, const TUrlTarget* Url);
    // Adds an image standing at the current end of the text.
    TImageObj* AddImage(const TAttributeList& Attrs, int SourcePos);
    // Adds a form control of the kind the tag and its TYPE or SELECT
    // attributes ask for (null symbols: the tokenizer's defaults). The control
    // belongs to its form; an image button stands here as an image.
    enum class TFormTag : std::uint8_t { Input, Select, TextArea };
    TFormControlObj* AddFormControl(TFormTag Tag, const TAttributeList& Attrs, int SourcePos,
                                    const TFormSymbols* Sy = nullptr);
    void SetClear(const String& Value);
    std::uint8_t MakeNonEmpty();
    // Terminates the buffer and builds the position runs; done when added to a cell.
    void Finish();
    bool Finished() const { return FFinished; }

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

    // Width of n buffer characters from Start as drawn (floats count 0).
    int TextWidth(gui::TCanvas* Canvas, int Start, int N, bool RemoveSpaces);
    // The list marker text of an ordered item ("" for other kinds).
    String OrderedMarker() const;

    const String& Buffer() const { return Buff; }
    const std::vector<LineRec>& Lines() const { return FLines; }
    const std::vector<IndexObj>& PositionRuns() const { return PosIndex; }

    TCell* Cell;
    String Buff;
    std::vector<std::int32_t> SIndexList;  // per character while building
    TFontList Fonts;
    std::unique_ptr<TImageObjList> Images;
    std::unique_ptr<TFormControlList> FormControls;  // in buffer order; the forms own them
    std::vector<IndexObj> PosIndex;
    int ListLevel = 0;
    int Indent = 0;
    int ListNumber = 0;
    TMyFont BaseFont;
    std::uint8_t ListType = NoList;  // a TListType
    char ListStyle = '1';        // ordered: 'A', 'a', 'I', 'i' or decimal
    bool PlainItem = false;      // unordered item without a bullet
    std::uint8_t Justify = Left;
    TClear ClearAttr = ClearNone;
    int FirstLineIndent = 0;     // left edge at the top at the last layout

protected:
    // Bisection: how many of n characters from Start fit in W pixels.
    int FitText(gui::TCanvas* Canvas, int Start, int N, int W, int& Used);
    // Characters of a line that fit in W pixels, images included.
    int FitLine(gui::TCanvas* Canvas, const LineRec& L, int W, int& Used);
    const LineRec* LineAtY(int Y) const;
    int ClearDistance(const IndentManager& IMgr, int Y) const;
    void DrawMarker(gui::TCanvas* Canvas, const LineRec& L, int Baseline);
    bool FPreformatted = false;  // no space rules, no width limit

private:
    void FinishLine(gui::TCanvas* Canvas, IndentManager& IMgr, int Start, int N, int FloatHt,
                    const std::vector<TImageObj*>& Deferred, int& Y);
    bool FFinished = false;
    std::vector<LineRec> FLines;
};

// ---- Cells and the document ----------------------------------------------------------------

class TCell : public TFreeList<TSectionBase> {
public:
    explicit TCell(TSectionList* AMaster);
    ~TCell() override;
    TSectionBase* Section(int i) const { return Items(i); }
    // Appends (finishing a text section) and attaches the section.
    void AddSection(std::unique_ptr<TSectionBase> Section);
    void RefreshFonts();

    virtual int DoLayout(gui::TCanvas* Canvas, int Y, int Width, int& ScrollWidth, int& Curs);
    virtual void MeasureWidths(gui::TCanvas* Canvas, int& Min, int& Max);
    virtual int Draw(gui::TCanvas* Canvas, const gui::TRect& ARect, int X, int Y, int ClipWidth);
    virtual std::unique_ptr<TUrlTarget> LinkAt(gui::TCanvas* Canvas, int X, int Y, gui::TObject*& FormControl);

    TImageHit ImageAt(int X, int Y);
    TCursorHit CursorAt(gui::TCanvas* Canvas, int X, int Y);
    int SearchText(int Start, const String& Text, bool MatchCase);
    int SourcePosOf(int DocPos);
    int DocPosOf(int SourcePos, bool TakePrevious);
    bool CaretPointOf(gui::TCanvas* Canvas, int DocPos, int& X, int& Y);
    bool CharAt(int DocPos, char& Ch, TSectionBase*& Section);
    void CopySelection(TCopyBuffer& Buffer);
    // The section whose band [top, top + height) holds y, or nullptr.
    TSectionBase* SectionAtY(int Y, int& Top, int& Index) const;

    TSectionList* MasterList;
    int DefFontSize = 12;
    int YValue = 0;
    int StartCurs = 0;
    int Len = 0;
    std::unique_ptr<IndentManager> IMgr;
    gui::TColor BkColor = gui::clNone;
    bool BkGnd = false;
    int ClipWidth = 0;  // of the latest Draw: preformatted text is cut there

protected:
    // The section whose painted band holds y.
    TSectionBase* SectionAtBand(int Y) const;
};

class TSectionList : public TCell {
public:
    // Returns the stream for a picture name; WaitStream() means "pending".
    using TGetImageEvent = std::function<gui::TStream*(const String& Name)>;
    using TExpandNameEvent = std::function<String(const String& Name)>;

    TSectionList();
    ~TSectionList() override;

    int DoLayout(gui::TCanvas* Canvas, int Y, int Width, int& ScrollWidth, int& Curs) override;
    int Draw(gui::TCanvas* Canvas, const gui::TRect& ARect, int X, int Y, int ClipWidth) override;
    std::unique_ptr<TUrlTarget> LinkAt(gui::TCanvas* Canvas, int X, int Y, gui::TObject*& FormControl) override;

    void Clear() override;
    // A new offset leaves every form control unplaced until the next paint.
    void SetYOffset(int Y);
    // After a paint (or a layout): the controls it did not place go out of
    // sight, moved off-screen while one of them has the focus, else hidden.
    void HideControls();
    void ControlEntered(TFormControlObj* Ctl);
    void ControlExited(TFormControlObj* Ctl);
    void ForgetControl(TFormControlObj* Ctl);
    void SetFonts(const String& Name, const String& PreName, int Size, gui::TColor Color, gui::TColor Link,
                  gui::TColor Visited, gui::TColor Hover, gui::TColor Back, bool ALinksActive);
    void SetBackground(gui::TColor Color);
    // The page's background picture, fetched on the first request.
    gui::TBitmap* BackgroundPicture(gui::TBitmap*& Mask);
    void HoverReset();
    // Top of section i (the heights of the sections before it).
    int SectionTop(int i) const;
    // The picture for a name through the cache, the request callback or the
    // loaders; null picture when none could be had.
    struct TFetched {
        gui::TObject* Image = nullptr;  // a TBitmap or a TGIFImage (owned by the cache)
        gui::TBitmap* Mask = nullptr;
        bool Pending = false;
        bool FromCache = false;
        std::unique_ptr<gui::TObject> Owned;  // a picture that could not be cached
    };
    TFetched GetTheBitmap(const String& Name, int& Transparent);
    // The name for loading: the viewer's expansion or the request callback's.
    String ExpandImageName(const String& Src) const;
    void AnimationTick();
    void AddAnimated(TImageObj* Img);
    void RemoveAnimated(TImageObj* Img);
    bool IsAnimated(const TImageObj* Img) const;
    const std::vector<TImageObj*>& AnimatedImages() const { return AGifList; }
    gui::TTimer* AnimationTimer() const { return Timer.get(); }
    // Builder hooks.
    // Takes a form the builder opened; it becomes the current form, which
    // new controls join. Returns it.
    ThtmlForm* AddForm(std::unique_ptr<ThtmlForm> Form);
    void AddLinkFont(TFontObj* F) {
        LinkList.push_back(F);
        F->Listed = true;
    }
    void ForgetFont(TFontObj* F);
    void ForgetImage(TImageObj* Img);

    std::shared_ptr<THtmlContext> Context;
    gui::TWinControl* PaintPanel = nullptr;  // invalidated on hover changes
    bool ShowImages = true;
    int YOff = 0;
    int VisibleBottom = 0;  // scroll offset plus the clip bottom of the last paint
    int SelB = 0, SelE = 0;
    String FontName = "Times New Roman";
    String PreFontName = "Courier New";
    int FontSize = 12;
    gui::TColor FontColor = gui::clBlack;
    gui::TColor LinkVisitedColor = 0x800080;
    gui::TColor HotSpotColor = gui::clBlue;     // link colour
    gui::TColor LinkActiveColor = gui::clRed;  // hover colour
    gui::TFontCharset Charset = 1;
    gui::TColor Background = gui::clBtnFace;
    String BitmapName;
    std::unique_ptr<gui::TObject> OwnedBackground;  // when the cache would not take it
    gui::TBitmap* BackgroundBitmap = nullptr;
    gui::TBitmap* BackgroundMask = nullptr;
    bool BitmapLoaded = false;
    std::function<void(gui::TColor)> OnBackgroundChange;
    TGetImageEvent OnGetImage;
    TExpandNameEvent OnExpandName;  // the request side's name expansion
    TExpandNameEvent ViewerExpandName;  // the viewer's own (no request callback)
    TFreeList<TMapItem> MapList;
    gui::TStringList MissingImages;  // source names, objects the waiting images
    std::vector<TFontObj*> LinkList;
    TFontObj* ActiveLink = nullptr;
    TImageObj* ActiveImage = nullptr;
    bool LinksActive = false;
    bool ShowCaret = false;
    TBuildState Build;
    // Forms (owned; the builder adds them) and all their controls in document order.
    TFreeList<ThtmlForm> htmlFormList;
    std::vector<TFormControlObj*> FormControlList;
    ThtmlForm* CurrentForm = nullptr;  // the builder's: new controls join it
    bool HideNeeded = false;
    gui::TObject* TheOwner = nullptr;  // the viewer: the Sender of the form callbacks
    std::function<void(gui::TObject* Sender, TFormControlObj* Obj, const String& OnClick)> OnObjectClick;
    std::function<void(gui::TObject* Sender, const String& Action, const String& Target, const String& EncType,
                       const String& Method, gui::TStringList* Results)>
        OnFormSubmit;
    std::function<void(TSectionList* Doc, TFormControlObj* Obj)> OnControlEnter;
    // Called when a section's layout fails (message box by default).
    std::function<void(const String& Message)> OnProcessError;
    // The viewer's client height less its two margins, for tables with a
    // percentage height (unset: no percentage height applies).
    std::function<int()> OnViewHeight;

private:
    // Defined beside the types they use (HtmlForms.cpp, HtmlImages.cpp).
    void SizeFormControls(gui::TCanvas* Canvas);
    void RestartAnimations();      // the first frame, animating
    void MarkAnimationsUnshown();  // until painting shows them again
    static void MoveImageHover(TImageObj* From, TImageObj* To);
    std::vector<TImageObj*> AGifList;
    std::unique_ptr<gui::TTimer> Timer;
    String FBackgroundKey;
};

}  // namespace htmlview
