// The page viewer control: shows one local HTML page (or a picture) from a
// file, scrolls it with its own bars, follows links to other pages, pictures
// and anchors, keeps a history and a visited list, and lets the user select
// text. The program only calls LoadFromFile; the rest is the control's own.
//
// Links and picture sources never reach outside the folder of the first page
// loaded (the release's content folder): an absolute name, or one that climbs
// out with "..", is ignored (a picture shows the error picture).
#pragma once

#include <functional>
#include <memory>

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/StdCtrls.h"
#include "gui/base/Types.h"
#include "htmlview/HtmlParse.h"
#include "htmlview/HtmlSections.h"

namespace htmlview {

class THtmlView;
class TImageObj;

enum THtmlBorderStyle { htFocused, htNone, htSingle };
enum THtmlViewOption { htOverLinksActive, htNoLinkUnderline, htShowDummyCaret, htShowVScroll };
using THtmlViewOptions = gui::TSet<THtmlViewOption>;
enum class THtmlFileType { HTMLType, ImgType };

// What a right click was over.
class TRightClickParameters : public gui::TObject {
public:
    TImageObj* Image = nullptr;
    int ImageX = 0, ImageY = 0;
    String URL, Target;
    String ClickWord;
};

using THotSpotEvent = std::function<void(gui::TObject* Sender, const String& SRC)>;
using THotSpotClickEvent = std::function<void(gui::TObject* Sender, const String& SRC, bool& Handled)>;
using TFormSubmitEvent = std::function<void(gui::TObject* Sender, const String& Action, const String& Target,
                                            const String& EncType, const String& Method, gui::TStringList* Results)>;
using TProcessingEvent = std::function<void(gui::TObject* Sender, bool ProcessingOn)>;
using TMetaRefreshType = std::function<void(gui::TObject* Sender, int Delay, const String& URL)>;
using TImageClickEvent = std::function<void(gui::TObject* Sender, gui::TObject* Obj, gui::TMouseButton Button,
                                            gui::TShiftState Shift, int X, int Y)>;
using TImageOverEvent =
    std::function<void(gui::TObject* Sender, gui::TObject* Obj, gui::TShiftState Shift, int X, int Y)>;
using TObjectClickEvent = std::function<void(gui::TObject* Sender, gui::TObject* Obj, const String& OnClick)>;
using TRightClickEvent = std::function<void(gui::TObject* Sender, TRightClickParameters* Parameters)>;

// The inner panel: paints the page double-buffered and takes the mouse.
class TPaintPanel : public gui::TCustomControl {
public:
    TPaintPanel(gui::TComponent* AOwner, THtmlView* Viewer);

protected:
    // A click can give the panel the focus: its keys are the viewer's.
    void WndProc(gui::TMessage& M) override;
    void Paint() override;
    void WMEraseBkgnd(gui::TMessage& M) override { M.Result = 1; }  // the paint covers everything
    void WMLButtonDblClk(gui::TMessage& M) override;
    void MouseDown(gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y) override;
    void MouseMove(gui::TShiftState Shift, int X, int Y) override;
    void MouseUp(gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y) override;

private:
    THtmlView* FViewer;
};

// The vertical bar with its own 32-bit range: the platform's position in a
// scroll message is only 16 bits wide.
class T32ScrollBar : public gui::TScrollBar {
public:
    T32ScrollBar(gui::TComponent* AOwner, THtmlView* Viewer);
    int Position32() const { return FPos; }
    int Min32() const { return FMin; }
    int Max32() const { return FMax; }
    int Page32() const { return FPage; }
    // One SetScrollInfo call; none when nothing changed.
    void SetParams32(int APos, int AMin, int AMax, int APage, bool DisableNoScroll);
    void SetPosition32(int APos) { SetParams32(APos, FMin, FMax, FPage, FDisableNoScroll); }
    // Whether the platform bar is enabled (with DisableNoScroll, only when
    // the range exceeds the page).
    bool BarEnabled() const;

protected:
    void WMVScroll(gui::TMessage& M) override;

private:
    THtmlView* FViewer;
    int FPos = 0, FMin = 0, FMax = 0, FPage = 0;
    bool FDisableNoScroll = false;
    bool FSet = false;
};

class THtmlView : public gui::TWinControl {
public:
    explicit THtmlView(gui::TComponent* AOwner);
    ~THtmlView() override;

    // Loads a page ("name" or "name#anchor"). A missing file raises
    // "Can't locate file: <name>" and leaves the viewer empty.
    void LoadFromFile(const String& FileName);
    // Shows a picture file as a one-picture page.
    void LoadImageFile(const String& FileName);
    void Clear();

    // The page's links, for assistive technology (HtmlViewAccess.cpp).
    int AccessibleItemCount() const override;
    gui::TAccessibleItem AccessibleItem(int Index) const override;
    void AccessibleItemPress(int Index) override;

    // Document position: section index * 65536 + offset into it.
    int Position() const;
    void SetPosition(int Value);
    int VScrollBarPosition() const { return FVScrollBar->Position32(); }
    void SetVScrollBarPosition(int Value);
    int HScrollBarPosition() const { return FHScrollBar->Position(); }
    void SetHScrollBarPosition(int Value);
    int DocumentHeight() const { return FMaxVertical; }
    int ScrollWidth() const { return FScrollWidth; }
    // Scrolls to a named anchor; false when the page has none by that name.
    bool PositionTo(const String& Dest);

    // Where the last load and the last paint of the page spent their time
    // (milliseconds), for traces and benchmarks.
    struct TLoadTimes {
        double Read = 0, Parse = 0, Layout = 0;
    };
    const TLoadTimes& LastLoadTimes() const { return FLoadTimes; }
    double LastPaintMs() const { return FLastPaintMs; }

    const String& CurrentFile() const { return FCurrentFile; }
    THtmlFileType CurrentFileType() const { return FCurrentFileType; }
    const String& DocumentTitle() const { return FTitle; }
    const String& Base() const { return FBase; }
    const String& BaseTarget() const { return FBaseTarget; }
    const String& CurrentHotSpot() const { return FURL; }
    // The folder links and pictures must stay in (set by the first load).
    const String& ContentFolder() const { return FRootFolder; }
    // The file a link names, or "" when it would leave the content folder.
    String HTMLExpandFilename(const String& Filename) const;

    gui::TStringList* History() const { return FHistory.get(); }
    gui::TStringList* TitleHistory() const { return FTitleHistory.get(); }
    int HistoryIndex() const { return FHistoryIndex; }
    // Goes to an entry of the history (0 the newest); Alt+Left and
    // Alt+Right step back and forward.
    void SetHistoryIndex(int Value);
    gui::TStringList* Visited() const { return FVisited.get(); }

    // The selected text, as the document copies it.
    String SelText();
    int SelStart() const { return FSectionList->SelB; }
    int SelLength() const { return FSectionList->SelE - FSectionList->SelB; }
    void SelectAll();

    TSectionList* SectionList() const { return FSectionList.get(); }
    TPaintPanel* PaintPanel() const { return FPaintPanel; }
    T32ScrollBar* VScrollBar() const { return FVScrollBar; }
    gui::TScrollBar* HScrollBar() const { return FHScrollBar; }
    gui::TPanel* BorderPanel() const { return FBorderPanel; }
    gui::TTimer* LinkLeaveTimer() const { return FTimer.get(); }
    bool Processing() const { return FProcessing; }

    // Published properties.
    gui::TColor DefBackground() const { return FBackground; }
    void SetDefBackground(gui::TColor v);
    const String& DefFontName() const { return FFontName; }
    void SetDefFontName(const String& v);
    const String& DefPreFontName() const { return FPreFontName; }
    void SetDefPreFontName(const String& v);
    int DefFontSize() const { return FFontSize; }
    void SetDefFontSize(int v);
    gui::TColor DefFontColor() const { return FFontColor; }
    void SetDefFontColor(gui::TColor v);
    gui::TColor DefHotSpotColor() const { return FHotSpotColor; }
    void SetDefHotSpotColor(gui::TColor v);
    gui::TColor DefVisitedLinkColor() const { return FVisitedColor; }
    void SetDefVisitedLinkColor(gui::TColor v);
    gui::TColor DefOverLinkColor() const { return FOverColor; }
    void SetDefOverLinkColor(gui::TColor v);
    gui::TFontCharset CharSet() const { return FCharSet; }
    void SetCharSet(gui::TFontCharset v);
    int HistoryMaxCount() const { return FHistoryMaxCount; }
    void SetHistoryMaxCount(int v);
    int VisitedMaxCount() const { return FVisitedMaxCount; }
    void SetVisitedMaxCount(int v);
    int ImageCacheCount() const { return FImageCacheCount; }
    void SetImageCacheCount(int v);
    int MarginWidth() const { return FMarginWidth; }
    void SetMarginWidth(int v);
    int MarginHeight() const { return FMarginHeight; }
    void SetMarginHeight(int v);
    gui::TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(gui::TScrollStyle v);
    THtmlBorderStyle HtmlBorderStyle() const { return FBorderStyle; }
    void SetHtmlBorderStyle(THtmlBorderStyle v);
    THtmlViewOptions htOptions() const { return FOptions; }
    void SethtOptions(THtmlViewOptions v);
    bool NoSelect() const { return FNoSelect; }
    void SetNoSelect(bool v);
    bool ViewImages() const { return FViewImages; }
    void SetViewImages(bool v);
    const String& ServerRoot() const { return FServerRoot; }
    void SetServerRoot(const String& v);

    // Events.
    THotSpotEvent OnHotSpotCovered;
    THotSpotClickEvent OnHotSpotClick;
    TSectionList::TGetImageEvent OnImageRequest;
    TScriptEvent OnScript;
    TFormSubmitEvent OnFormSubmit;
    gui::TNotifyEvent OnHistoryChange;
    TProcessingEvent OnProcessing;
    TIncludeType OnInclude;
    TSoundType OnSoundRequest;
    TMetaType OnMeta;
    TMetaRefreshType OnMetaRefresh;
    TImageClickEvent OnImageClick;
    TImageOverEvent OnImageOver;
    TObjectClickEvent OnObjectClick;
    TRightClickEvent OnRightClick;
    gui::TMouseEvent OnMouseDouble;

    // The auto-scroll loop's and the form submission's deferred messages.
    static constexpr gui::UINT WM_FORMSUBMIT = gui::WM_USER + 100;
    static constexpr gui::UINT WM_MOUSESCROLL = gui::WM_USER + 102;
    static constexpr int kScrollBarSize = 16;
    static constexpr int kMaxScrollWidth = 6000;

protected:
    friend class TPaintPanel;
    friend class T32ScrollBar;
    void WndProc(gui::TMessage& M) override;
    void WMSize(gui::TMessage& M) override;
    void WMGetDlgCode(gui::TMessage& M) override;
    void WMMouseWheel(gui::TMessage& M) override;
    void KeyDown(gui::Word& Key, gui::TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;

    // Paint panel hooks.
    void PanelPaint(gui::TCanvas* Canvas);
    void PanelMouseDown(gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y);
    void PanelMouseMove(gui::TShiftState Shift, int X, int Y);
    void PanelMouseUp(gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y);
    void PanelDblClick(gui::TShiftState Shift, int X, int Y);
    void VScrollMessage(int Code);

private:
    void LoadFile(const String& FileName, THtmlFileType Type);
    void SetProcessing(bool v);
    void DoLayout();
    void LayoutKeepingPosition();
    void ArrangeScrollBars();
    void ScrollTo(int Y);
    void ScrollBy1(int NewPos);  // moves the pixels that stay in view, paints the rest
    void UpdateBorder();
    void AddToHistory(const String& FileName, const String& Title, THtmlFileType Type, int Pos);
    void ClearHistory();
    void AddVisited(const String& Name);
    void CheckVisitedLinks();
    String LinkTarget(const String& Url) const;  // for visited marking
    void FollowLink(const String& Url);
    void ExtendSelection(int X, int Y);
    void DoHotSpotCovered(const String& Url, const String& Target);
    void LinkLeaveTick();
    void AutoScrollLoop();
    int CharIndexAt(int X, int Y);
    String WordAt(int Index, int& Start, int& End);
    void ApplyFonts(bool Relayout);
    void HandleMeta(gui::TObject* Sender, const String& HttpEq, const String& Name, const String& Content);
    void SubmitForm(const String& Action, const String& Target, const String& EncType, const String& Method,
                    gui::TStringList* Results);
    String ExpandImage(const String& Src) const;
    bool InContentFolder(const String& FullPath) const;

    bool FReady = false;  // children made: size changes may arrange them
    gui::TPanel* FBorderPanel = nullptr;
    TPaintPanel* FPaintPanel = nullptr;
    T32ScrollBar* FVScrollBar = nullptr;
    gui::TScrollBar* FHScrollBar = nullptr;
    std::unique_ptr<gui::TTimer> FTimer;
    // Layout and hit tests measure on this, so they work outside a paint.
    std::unique_ptr<gui::TBitmap> FMeasure;
    gui::TCanvas* MeasureCanvas() const;
    std::unique_ptr<TSectionList> FSectionList;
    std::unique_ptr<gui::TStringList> FNameList;
    std::unique_ptr<gui::TStringList> FHistory, FTitleHistory, FVisited;
    std::vector<std::pair<int, THtmlFileType>> FPositionHistory;
    int FHistoryIndex = 0;

    String FCurrentFile, FTitle, FBase, FBaseTarget, FRootFolder;
    THtmlFileType FCurrentFileType = THtmlFileType::HTMLType;
    String FURL, FTarget;
    int FMaxVertical = 0, FScrollWidth = 0;
    int FMarginWidthX = 10, FMarginHeightX = 5;  // working margins (BODY may change them)
    int FCaretPos = 0, FSelAnchor = -1;
    bool FLeftButtonDown = false, FHiLiting = false, FMouseScrolling = false, FRightScroll = false;
    bool FIgnoreDblClick = false, FSelectionDragged = false;
    int FRightScrollStartY = 0;
    bool FProcessing = false, FInLayout = false, FDesigning = false;
    int FRefreshDelay = 0;
    String FRefreshURL;
    bool FRefreshPending = false;
    TLoadTimes FLoadTimes;
    double FLastPaintMs = 0;
    struct {
        String Action, Target, EncType, Method;
        std::unique_ptr<gui::TStringList> Results;
    } FSubmit;

    gui::TColor FBackground = gui::clBtnFace;
    String FFontName = "Times New Roman", FPreFontName = "Courier New";
    int FFontSize = 12;
    gui::TColor FFontColor = gui::clBtnText, FHotSpotColor = 0xFF0000, FVisitedColor = 0x800080,
                FOverColor = 0xFF0000;
    gui::TFontCharset FCharSet = 1;
    int FHistoryMaxCount = 0, FVisitedMaxCount = 50, FImageCacheCount = 5;
    int FMarginWidth = 10, FMarginHeight = 5;
    gui::TScrollStyle FScrollBars = gui::ssBoth;
    THtmlBorderStyle FBorderStyle = htFocused;
    THtmlViewOptions FOptions;
    bool FNoSelect = false, FViewImages = true;
    String FServerRoot;
};

}  // namespace htmlview
