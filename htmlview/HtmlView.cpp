// The viewer control: construction, loading, properties and the deferred
// messages. Painting and scroll bars are in HtmlViewPaint.cpp, links,
// history and the visited list in HtmlViewLinks.cpp, mouse and keys in
// HtmlViewInput.cpp.
#include "htmlview/HtmlView.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <vector>

#include "gui/base/FileLoad.h"
#include "gui/windows/Forms.h"
#include "htmlview/HtmlBlocks.h"

namespace htmlview {

using namespace gui;

namespace {

double MsSince(std::chrono::steady_clock::time_point& t) {
    const auto now = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - t).count();
    t = now;
    return ms;
}

// Shows the hourglass and puts the previous cursor back at scope end.
class HourGlass {
public:
    HourGlass() : FOld(Screen ? Screen->Cursor() : crDefault) {
        if (Screen) Screen->SetCursor(crHourGlass);
    }
    ~HourGlass() {
        if (Screen) Screen->SetCursor(FOld);
    }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;

private:
    TCursor FOld;
};

// Turns the processing flag on and off again at scope end.
class ProcessingScope {
public:
    ProcessingScope(bool& Flag, std::function<void(bool)> Notify) : FFlag(Flag), FNotify(std::move(Notify)) {
        FFlag = true;
        if (FNotify) FNotify(true);
    }
    ~ProcessingScope() {
        FFlag = false;
        if (FNotify) FNotify(false);
    }
    ProcessingScope(const ProcessingScope&) = delete;
    ProcessingScope& operator=(const ProcessingScope&) = delete;

private:
    bool& FFlag;
    std::function<void(bool)> FNotify;
};

String LowerCase(String s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

THtmlView::THtmlView(TComponent* AOwner)
    : TWinControl(AOwner),
      FTimer(std::make_unique<TTimer>(nullptr)),
      FMeasure(std::make_unique<TBitmap>()),
      FSectionList(std::make_unique<TSectionList>()),
      FNameList(std::make_unique<TStringList>()),
      FHistory(std::make_unique<TStringList>()),
      FTitleHistory(std::make_unique<TStringList>()),
      FVisited(std::make_unique<TStringList>()) {
    SetTabStop(false);
    FMeasure->SetSize(1, 1);

    FBorderPanel = new TPanel(this);
    FBorderPanel->SetBevelOuter(bvNone);
    FBorderPanel->SetBevelInner(bvNone);
    FBorderPanel->SetParentColor(true);
    FBorderPanel->SetAlign(alClient);
    FBorderPanel->SetParent(this);

    FPaintPanel = new TPaintPanel(this, this);
    FPaintPanel->SetParentColor(true);
    FPaintPanel->SetParent(FBorderPanel);
    FPaintPanel->SetBounds(1, 1, 148, 148);

    FVScrollBar = new T32ScrollBar(this, this);
    FVScrollBar->SetKind(sbVertical);
    FVScrollBar->SetVisible(false);
    FVScrollBar->SetTabStop(false);
    FVScrollBar->SetSmallChange(16);
    FVScrollBar->SetParent(FBorderPanel);

    FHScrollBar = new TScrollBar(this);
    FHScrollBar->SetKind(sbHorizontal);
    FHScrollBar->SetVisible(false);
    FHScrollBar->SetTabStop(false);
    FHScrollBar->SetSmallChange(15);
    FHScrollBar->SetParent(FBorderPanel);
    FHScrollBar->OnScroll = [this](TObject*, TScrollCode, int& Pos) {
        Pos = std::max(0, std::min(Pos, FHScrollBar->Max() - FPaintPanel->Width()));
        if (CanFocus()) SetFocus();
        FHScrollBar->SetPosition(Pos);
        FPaintPanel->Invalidate();
    };

    FTimer->SetEnabled(false);
    FTimer->SetInterval(200);
    FTimer->SetOnTimer([this](TObject*) { LinkLeaveTick(); });

    FNameList->SetSorted(true);
    FNameList->SetCaseSensitive(false);
    FNameList->SetDuplicates(dupIgnore);
    FSubmit.Results = std::make_unique<TStringList>();

    TSectionList& doc = *FSectionList;
    doc.PaintPanel = FPaintPanel;
    doc.TheOwner = this;
    doc.ShowImages = FViewImages;
    doc.OnBackgroundChange = [this](TColor C) { SetColor(C); };
    doc.ViewerExpandName = [this](const String& Src) { return ExpandImage(Src); };
    doc.OnFormSubmit = [this](TObject*, const String& Action, const String& Target, const String& EncType,
                              const String& Method, TStringList* Results) {
        SubmitForm(Action, Target, EncType, Method, Results);
    };
    doc.OnControlEnter = [this](TSectionList*, TFormControlObj* Obj) {
        // A control that takes the focus is brought into view, centred.
        if (!Obj) return;
        const int top = Obj->YValue;
        const int pos = FVScrollBar->Position32();
        const int h = FPaintPanel->Height();
        if (top < pos || top > pos + h - 20) ScrollTo(top - h / 2);
    };
    doc.OnViewHeight = [this] { return std::max(0, FPaintPanel->Height() - 2 * FMarginHeightX); };
    ApplyFonts(false);
    SetColor(FBackground);
    UpdateBorder();
    FReady = true;
    SetBounds(0, 0, 150, 150);
}

THtmlView::~THtmlView() {
    FTimer->SetEnabled(false);
    // The document's controls live on the paint panel: they go first.
    FSectionList.reset();
    // The last viewer gone takes the shared state with it; the cursors it
    // registered go too (the next viewer registers them again).
    if (!THtmlContext::Current() && Screen)
        for (TCursor i = 1; i <= 5; ++i)
            if (HCURSOR c = Screen->Cursors.Find(i)) {
                DestroyCursor(c);
                Screen->Cursors[i] = nullptr;
            }
}

void THtmlView::SetProcessing(bool v) {
    FProcessing = v;
    if (OnProcessing && !IsLoading()) OnProcessing(this, v);
}

void THtmlView::ApplyFonts(bool Relayout) {
    FSectionList->Charset = FCharSet;
    FSectionList->SetFonts(FFontName, FPreFontName, FFontSize, FFontColor, FHotSpotColor, FVisitedColor, FOverColor,
                           FBackground, FOptions.Contains(htOverLinksActive));
    if (Relayout && FSectionList->Count() > 0) LayoutKeepingPosition();
    FPaintPanel->Invalidate();
}

// ---- Loading ------------------------------------------------------------------------

void THtmlView::LoadFromFile(const String& FileName) {
    if (FProcessing || FileName.empty()) return;
    const String oldFile = FCurrentFile, oldTitle = FTitle;
    const THtmlFileType oldType = FCurrentFileType;
    const int oldPos = Position();
    LoadFile(FileName, THtmlFileType::HTMLType);
    if (oldFile != FCurrentFile || oldType != FCurrentFileType) AddToHistory(oldFile, oldTitle, oldType, oldPos);
}

void THtmlView::LoadImageFile(const String& FileName) {
    if (FProcessing || FileName.empty()) return;
    const String oldFile = FCurrentFile, oldTitle = FTitle;
    const THtmlFileType oldType = FCurrentFileType;
    const int oldPos = Position();
    LoadFile(FileName, THtmlFileType::ImgType);
    if (oldFile != FCurrentFile || oldType != FCurrentFileType) AddToHistory(oldFile, oldTitle, oldType, oldPos);
}

void THtmlView::LoadFile(const String& FileName, THtmlFileType Type) {
    HourGlass hourGlass;
    String name = FileName, dest;
    if (const auto hash = name.find('#'); hash != String::npos) {
        dest = name.substr(hash + 1);
        name.erase(hash);
    }
    FRefreshPending = false;
    FRefreshDelay = 0;
    FRefreshURL.clear();
    const String previous = FCurrentFile;
    ProcessingScope busy(FProcessing, [this](bool On) {
        if (OnProcessing && !IsLoading()) OnProcessing(this, On);
    });

    // Only regular files within the size limit are pages: a pipe or a device
    // would block the program, a huge file would fill its memory.
    FLoadTimes = {};
    auto clock = std::chrono::steady_clock::now();
    std::vector<std::uint8_t> bytes;
    const bool readable =
        ReadRegularFile(name, Type == THtmlFileType::HTMLType ? kMaxPageFileBytes : kMaxPictureFileBytes, bytes) ==
        FileStatus::Ok;
    FLoadTimes.Read = MsSince(clock);
    // Prepare the document: the previous page goes whatever happens next.
    FTimer->SetEnabled(false);
    FSectionList->Clear();
    if (FSectionList->Context) FSectionList->Context->Cache().BumpAndCheck();
    ApplyFonts(false);
    FNameList->Clear();
    FMarginWidthX = FMarginWidth;
    FMarginHeightX = FMarginHeight;
    FCaretPos = 0;
    FSelAnchor = -1;
    FSectionList->SelB = FSectionList->SelE = 0;
    if (!readable) {
        FCurrentFile.clear();
        FTitle.clear();
        FBase.clear();
        FBaseTarget.clear();
        DoLayout();
        ScrollTo(0);
        FPaintPanel->Invalidate();
        throw EInOutError("Can't locate file: " + FileName);
    }

    std::error_code ec;
    String full = std::filesystem::absolute(std::filesystem::path(name), ec).lexically_normal().string();
    if (ec) full = name;
    FCurrentFile = full;
    FCurrentFileType = Type;
    if (FRootFolder.empty()) FRootFolder = std::filesystem::path(full).parent_path().string();

    THtmlParseHooks hooks;
    hooks.Sender = this;
    hooks.IsViewer = true;
    hooks.UnderlineLinks = !FOptions.Contains(htNoLinkUnderline);
    hooks.SetMargins = [this](int W, int H) {
        if (W >= 0) FMarginWidthX = std::min(W, 200);
        if (H >= 0) FMarginHeightX = std::min(H, 200);
    };
    hooks.OnInclude = OnInclude;
    hooks.OnScript = OnScript;
    THtmlParseResult result;
    auto finish = [&] {
        FTitle = result.Title;
        FBase = result.Base;
        FBaseTarget = result.BaseTarget;
        FLoadTimes.Parse = MsSince(clock);
        DoLayout();
        FLoadTimes.Layout = MsSince(clock);
        CheckVisitedLinks();
        AccessibleItemsChanged();
        if (dest.empty() || !PositionTo(dest)) {
            if (FCurrentFile != previous) {
                ScrollTo(0);
                FHScrollBar->SetPosition(0);
            } else {
                ScrollTo(FVScrollBar->Position32());
            }
        }
        FPaintPanel->Invalidate();
    };
    try {
        if (Type == THtmlFileType::HTMLType) {
            if (OnSoundRequest) OnSoundRequest(this, "", 0, true);
            hooks.OnMeta = [this](TObject* Sender, const String& HttpEq, const String& N, const String& Content) {
                HandleMeta(Sender, HttpEq, N, Content);
            };
            hooks.OnSoundRequest = OnSoundRequest;
            result = HtmlParseString(FSectionList.get(), FNameList.get(), reinterpret_cast<const char*>(bytes.data()),
                                     bytes.size(), hooks);
        } else {
            String page = "<img src=\"" + full + "\">";
            if (page.size() > 255) page.resize(255);
            THtmlParseHooks picture;
            picture.OnInclude = OnInclude;
            result = HtmlParseString(FSectionList.get(), FNameList.get(), page.data(), page.size(), picture);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (FRefreshPending && OnMetaRefresh) OnMetaRefresh(this, FRefreshDelay, FRefreshURL);
}

void THtmlView::HandleMeta(TObject* Sender, const String& HttpEq, const String& Name, const String& Content) {
    if (OnMeta) OnMeta(Sender, HttpEq, Name, Content);
    if (!OnMetaRefresh || LowerCase(HttpEq) != "refresh") return;
    const auto semi = Content.find(';');
    const String delay = Trim(semi == String::npos ? Content : Content.substr(0, semi));
    char* end = nullptr;
    const long v = std::strtol(delay.c_str(), &end, 10);
    if (delay.empty() || (end && *end) || v < INT32_MIN || v > INT32_MAX) {
        FRefreshPending = false;
        return;
    }
    FRefreshDelay = v == 0 ? 1 : static_cast<int>(v);
    const String lower = LowerCase(Content);
    const auto url = lower.find("url=");
    FRefreshURL = url == String::npos ? String() : Trim(Content.substr(url + 4));
    FRefreshPending = true;
}

void THtmlView::Clear() {
    FTimer->SetEnabled(false);
    FSectionList->Clear();
    ApplyFonts(false);
    FNameList->Clear();
    FBase.clear();
    FBaseTarget.clear();
    FTitle.clear();
    FCurrentFile.clear();
    FMaxVertical = 0;
    FScrollWidth = 0;
    FVScrollBar->SetParams32(0, 0, 0, FVScrollBar->Page32(), FOptions.Contains(htShowVScroll));
    FVScrollBar->SetVisible(false);
    FHScrollBar->SetVisible(false);
    FSectionList->SetYOffset(0);
    FCaretPos = 0;
    FSelAnchor = -1;
    FSectionList->SelB = FSectionList->SelE = 0;
    if (OnSoundRequest) OnSoundRequest(this, "", 0, true);
    AccessibleItemsChanged();
    FPaintPanel->Invalidate();
}

// ---- Deferred messages --------------------------------------------------------------

void THtmlView::SubmitForm(const String& Action, const String& Target, const String& EncType, const String& Method,
                           TStringList* Results) {
    if (!OnFormSubmit) return;
    FSubmit.Action = Action;
    FSubmit.Target = Target;
    FSubmit.EncType = EncType;
    FSubmit.Method = Method;
    FSubmit.Results->Clear();
    if (Results) FSubmit.Results->AddStrings(Results);
    // The handler runs after the form has finished its own click handling.
    PostMessage(Handle(), WM_FORMSUBMIT, 0, 0);
}

void THtmlView::WndProc(TMessage& M) {
    if (M.Msg == WM_FORMSUBMIT) {
        if (OnFormSubmit)
            OnFormSubmit(this, FSubmit.Action, FSubmit.Target, FSubmit.EncType, FSubmit.Method,
                         FSubmit.Results.get());
        return;
    }
    if (M.Msg == WM_MOUSESCROLL) {
        AutoScrollLoop();
        return;
    }
    TWinControl::WndProc(M);
}

// ---- Properties ---------------------------------------------------------------------

void THtmlView::SetDefBackground(TColor v) {
    FBackground = v;
    ApplyFonts(false);
}
void THtmlView::SetDefFontName(const String& v) {
    FFontName = v;
    ApplyFonts(true);
}
void THtmlView::SetDefPreFontName(const String& v) {
    FPreFontName = v;
    ApplyFonts(true);
}
void THtmlView::SetDefFontSize(int v) {
    FFontSize = std::max(6, v);
    ApplyFonts(true);
}
void THtmlView::SetDefFontColor(TColor v) {
    FFontColor = v;
    ApplyFonts(false);
}
void THtmlView::SetDefHotSpotColor(TColor v) {
    FHotSpotColor = v;
    ApplyFonts(false);
}
void THtmlView::SetDefVisitedLinkColor(TColor v) {
    FVisitedColor = v;
    ApplyFonts(false);
}
void THtmlView::SetDefOverLinkColor(TColor v) {
    FOverColor = v;
    ApplyFonts(false);
}
void THtmlView::SetCharSet(TFontCharset v) {
    FCharSet = v;
    ApplyFonts(true);
}

void THtmlView::SetHistoryMaxCount(int v) {
    if (v < 0 || v == FHistoryMaxCount) return;
    const bool lower = v < FHistoryMaxCount;
    FHistoryMaxCount = v;
    if (lower) ClearHistory();
}

void THtmlView::SetVisitedMaxCount(int v) {
    v = std::max(0, v);
    FVisitedMaxCount = v;
    if (v == 0) {
        FVisited->Clear();
        for (TFontObj* f : FSectionList->LinkList) f->SetVisited(false);
        FPaintPanel->Invalidate();
    } else {
        while (FVisited->Count() > v) FVisited->Delete(FVisited->Count() - 1);
    }
}

void THtmlView::SetImageCacheCount(int v) {
    FImageCacheCount = std::clamp(v, 0, 20);
    if (FSectionList->Context) FSectionList->Context->Cache().SetCacheCount(FImageCacheCount);
}

void THtmlView::SetViewImages(bool v) {
    if (FProcessing || v == FViewImages) return;
    HourGlass hourGlass;
    FViewImages = v;
    FSectionList->ShowImages = v;
    if (FSectionList->Count() > 0) LayoutKeepingPosition();
    FPaintPanel->Invalidate();
}

void THtmlView::SetMarginWidth(int v) {
    if (FProcessing || v < 0) return;
    HourGlass hourGlass;
    FMarginWidth = FMarginWidthX = std::min(v, 200);
    if (FSectionList->Count() > 0) LayoutKeepingPosition();
    FPaintPanel->Invalidate();
}

void THtmlView::SetMarginHeight(int v) {
    if (FProcessing || v < 0) return;
    HourGlass hourGlass;
    FMarginHeight = FMarginHeightX = std::min(v, 200);
    if (FSectionList->Count() > 0) LayoutKeepingPosition();
    FPaintPanel->Invalidate();
}

void THtmlView::SetScrollBars(TScrollStyle v) {
    FScrollBars = v;
    if (!IsLoading() && !FProcessing) LayoutKeepingPosition();
}

void THtmlView::SetHtmlBorderStyle(THtmlBorderStyle v) {
    FBorderStyle = v;
    UpdateBorder();
    ArrangeScrollBars();
}

void THtmlView::SethtOptions(THtmlViewOptions v) {
    FOptions = v;
    FSectionList->LinksActive = v.Contains(htOverLinksActive);
    FSectionList->ShowCaret = v.Contains(htShowDummyCaret);
    ApplyFonts(false);
    if (!IsLoading() && !FProcessing) LayoutKeepingPosition();
}

void THtmlView::SetNoSelect(bool v) {
    FNoSelect = v;
    if (v && FSectionList->SelE > FSectionList->SelB) {
        FSectionList->SelB = FSectionList->SelE = 0;
        FSelAnchor = -1;
        FPaintPanel->Invalidate();
    }
}

void THtmlView::SetServerRoot(const String& v) {
    String s = Trim(v);
    while (!s.empty() && (s.back() == '\\' || s.back() == '/')) s.pop_back();
    FServerRoot = s;
}

void THtmlView::DoEnter() {
    TWinControl::DoEnter();
    UpdateBorder();
}

void THtmlView::DoExit() {
    TWinControl::DoExit();
    UpdateBorder();
}

}  // namespace htmlview
