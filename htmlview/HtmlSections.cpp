// The section base, the column of sections and the document root. The
// document's parts that need the pictures or the forms (animation, hover,
// the background picture; placing and hiding the controls) are defined
// beside those types, in HtmlImages.cpp and HtmlForms.cpp.
#include <algorithm>
#include <iterator>

#include "gui/draw/ScopedDC.h"
#include "gui/windows/Controls.h"
#include "gui/windows/Dialogs.h"
#include "gui/windows/ExtCtrls.h"
#include "htmlview/HtmlSections.h"

namespace htmlview {

using namespace gui;

// ---- TSectionBase ------------------------------------------------------------------------

void TSectionBase::CopySelection(TCopyBuffer&) {}

int TSectionBase::LayOut(TCanvas*, int Y, IndentManager& IMgr, int& MaxWidth, int& Curs) {
    YValue = Y;
    StartCurs = Curs;
    DrawHeight = SectionHeight;
    MaxWidth = IMgr.Width;
    return SectionHeight;
}

int TSectionBase::Paint(TCanvas*, const TRect&, IndentManager&, int, int Y) {
    YValue = Y;
    return Y + SectionHeight;
}

std::unique_ptr<TUrlTarget> TSectionBase::LinkAt(TCanvas*, int, int, TObject*&) { return nullptr; }
TImageHit TSectionBase::ImageAt(int, int) { return {}; }
TCursorHit TSectionBase::CursorAt(TCanvas*, int, int) { return {}; }
int TSectionBase::SearchText(int, const String&, bool) { return -1; }
int TSectionBase::SourcePosOf(int) { return -1; }
int TSectionBase::DocPosOf(int, bool) { return -1; }
bool TSectionBase::CaretPointOf(TCanvas*, int, int&, int&) { return false; }
bool TSectionBase::CharAt(int, char&, TSectionBase*&) { return false; }
void TSectionBase::RefreshFonts() { FixHeight(); }
void TSectionBase::FixHeight() {}
void TSectionBase::MeasureWidths(TCanvas*, int& Min, int& Max) {
    Min = 0;
    Max = 0;
}

// ---- TCell -----------------------------------------------------------------------------------

TCell::TCell(TSectionList* AMaster) : MasterList(AMaster), IMgr(std::make_unique<IndentManager>()) {}

TCell::~TCell() = default;

void TCell::AddSection(std::unique_ptr<TSectionBase> Section) {
    if (!Section) return;
    if (auto* s = dynamic_cast<TSection*>(Section.get())) s->Finish();
    Section->ParentSectionList = MasterList;
    TSectionBase* raw = Section.get();
    Add(std::move(Section));
    raw->FixHeight();
}

void TCell::RefreshFonts() {
    for (int i = 0; i < Count(); ++i) Section(i)->RefreshFonts();
}

int TCell::DoLayout(TCanvas* Canvas, int Y, int Width, int& ScrollWidth, int& Curs) {
    IMgr->Clear();
    IMgr->Reset(0, Width);
    IMgr->Width = Width;
    YValue = Y;
    StartCurs = Curs;
    ScrollWidth = 0;
    int sum = 0;
    int i = 0;
    while (i < Count()) {
        int maxWidth = 0;
        try {
            sum += Section(i)->LayOut(Canvas, Y + sum, *IMgr, maxWidth, Curs);
        } catch (const EProcessError& e) {
            // Content that cannot be laid out is reported and left out.
            if (MasterList && MasterList->OnProcessError)
                MasterList->OnProcessError(e.Message());
            else
                MessageBox(nullptr, e.Message(), "Error", MB_OK);
            Delete(i);
            continue;
        }
        ScrollWidth = std::max(ScrollWidth, maxWidth);
        ++i;
    }
    Len = Curs - StartCurs;
    return std::max(sum, IMgr->ImageBottom() - YValue);
}

void TCell::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
    Min = 0;
    Max = 0;
    for (int i = 0; i < Count(); ++i) {
        int mn = 0, mx = 0;
        Section(i)->MeasureWidths(Canvas, mn, mx);
        Min = std::max(Min, mn);
        Max = std::max(Max, mx);
    }
}

int TCell::Draw(TCanvas* Canvas, const TRect& ARect, int X, int Y, int ClipWidth) {
    IMgr->Clear();
    IMgr->Reset(X, X + IMgr->Width);
    this->ClipWidth = ClipWidth;
    for (int i = 0; i < Count(); ++i) Y = Section(i)->Paint(Canvas, ARect, *IMgr, X, Y);
    return Y;
}

TSectionBase* TCell::SectionAtBand(int Y) const {
    // The section whose own band holds y; below the last one, a section whose
    // floats hang down to y.
    int top = YValue;
    TSectionBase* hanging = nullptr;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* s = Section(i);
        if (Y >= top && Y < top + s->SectionHeight) return s;
        if (!hanging && Y >= top && Y < top + s->DrawHeight) hanging = s;
        top += s->SectionHeight;
    }
    return hanging;
}

std::unique_ptr<TUrlTarget> TCell::LinkAt(TCanvas* Canvas, int X, int Y, TObject*& FormControl) {
    FormControl = nullptr;
    TSectionBase* own = SectionAtBand(Y);
    if (own) {
        if (auto url = own->LinkAt(Canvas, X, Y, FormControl)) return url;
        if (FormControl) return nullptr;
    }
    // A picture floated by an earlier section may hang beside later text.
    int top = YValue;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* s = Section(i);
        if (s != own && Y >= top && Y < top + s->DrawHeight) {
            if (auto url = s->LinkAt(Canvas, X, Y, FormControl)) return url;
            if (FormControl) return nullptr;
        }
        top += s->SectionHeight;
    }
    return nullptr;
}

TImageHit TCell::ImageAt(int X, int Y) {
    for (int i = 0; i < Count(); ++i)
        if (TImageHit hit = Section(i)->ImageAt(X, Y); hit.Image) return hit;
    return {};
}

TCursorHit TCell::CursorAt(TCanvas* Canvas, int X, int Y) {
    if (TSectionBase* s = SectionAtBand(Y)) return s->CursorAt(Canvas, X, Y);
    return {};
}

int TCell::SearchText(int Start, const String& Text, bool MatchCase) {
    for (int i = 0; i < Count(); ++i) {
        const int p = Section(i)->SearchText(Start, Text, MatchCase);
        if (p >= 0) return p;
    }
    return -1;
}

int TCell::SourcePosOf(int DocPos) {
    for (int i = 0; i < Count(); ++i) {
        const int p = Section(i)->SourcePosOf(DocPos);
        if (p >= 0) return p;
    }
    return -1;
}

int TCell::DocPosOf(int SourcePos, bool TakePrevious) {
    if (TakePrevious) {
        for (int i = Count() - 1; i >= 0; --i) {
            const int p = Section(i)->DocPosOf(SourcePos, true);
            if (p >= 0) return p;
        }
    } else {
        for (int i = 0; i < Count(); ++i) {
            const int p = Section(i)->DocPosOf(SourcePos, false);
            if (p >= 0) return p;
        }
    }
    return -1;
}

bool TCell::CaretPointOf(TCanvas* Canvas, int DocPos, int& X, int& Y) {
    for (int i = 0; i < Count(); ++i)
        if (Section(i)->CaretPointOf(Canvas, DocPos, X, Y)) return true;
    return false;
}

bool TCell::CharAt(int DocPos, char& Ch, TSectionBase*& Sect) {
    if (DocPos < StartCurs || DocPos >= StartCurs + Len) return false;
    for (int i = 0; i < Count(); ++i)
        if (Section(i)->CharAt(DocPos, Ch, Sect)) return true;
    return false;
}

void TCell::CopySelection(TCopyBuffer& Buffer) {
    if (!MasterList || MasterList->SelE <= MasterList->SelB) return;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* s = Section(i);
        if (s->StartCurs >= MasterList->SelE) break;
        const bool overlaps = s->Len > 0 ? s->StartCurs + s->Len > MasterList->SelB : s->StartCurs >= MasterList->SelB;
        if (overlaps) s->CopySelection(Buffer);
    }
}

TSectionBase* TCell::SectionAtY(int Y, int& Top, int& Index) const {
    int top = 0;
    for (int i = 0; i < Count(); ++i) {
        const int h = Section(i)->SectionHeight;
        if (Y >= top && Y < top + h) {
            Top = top;
            Index = i;
            return Section(i);
        }
        top += h;
    }
    return nullptr;
}

// ---- TSectionList ------------------------------------------------------------------------------

TSectionList::TSectionList() : TCell(this), Context(THtmlContext::Acquire()) {}

TSectionList::~TSectionList() {
    // Sections (and the images in them) go before the context they draw from.
    TSectionList::Clear();
}

void TSectionList::Clear() {
    if (Timer) Timer->SetEnabled(false);
    AGifList.clear();
    LinkList.clear();
    ActiveLink = nullptr;
    ActiveImage = nullptr;
    MissingImages.Clear();
    TCell::Clear();
    // Sections first: their images may point at image buttons.
    htmlFormList.Clear();
    FormControlList.clear();
    CurrentForm = nullptr;
    HideNeeded = false;
    IMgr->Clear();
    MapList.Clear();
    Timer.reset();
    // A background picture from the cache gives its use back.
    if (BackgroundBitmap && !OwnedBackground && Context) Context->Cache().DecUsage(FBackgroundKey);
    BackgroundBitmap = nullptr;
    BackgroundMask = nullptr;
    OwnedBackground.reset();
    FBackgroundKey.clear();
    BitmapName.clear();
    BitmapLoaded = false;
    SelB = SelE = 0;
}

void TSectionList::ForgetControl(TFormControlObj* Ctl) {
    FormControlList.erase(std::remove(FormControlList.begin(), FormControlList.end(), Ctl), FormControlList.end());
}

void TSectionList::SetFonts(const String& Name, const String& PreName, int Size, TColor Color, TColor Link,
                            TColor Visited, TColor Hover, TColor Back, bool ALinksActive) {
    FontName = Name.substr(0, 33);
    PreFontName = PreName.substr(0, 33);
    FontSize = Size;
    FontColor = Color;
    HotSpotColor = Link;
    LinkVisitedColor = Visited;
    LinkActiveColor = Hover;
    LinksActive = ALinksActive;
    SetBackground(Back);
    RefreshFonts();
}

void TSectionList::SetBackground(TColor Color) {
    Background = Color;
    if (OnBackgroundChange) OnBackgroundChange(Color);
}

void TSectionList::HoverReset() {
    if (ActiveLink) ActiveLink->SetHover(false);
    MoveImageHover(ActiveImage, nullptr);
    ActiveLink = nullptr;
    ActiveImage = nullptr;
}

int TSectionList::SectionTop(int i) const {
    if (Count() == 0 || i < 1) return 0;
    i = std::min(i, Count() - 1);
    int top = 0;
    for (int k = 0; k < i; ++k) top += Section(k)->SectionHeight;
    return top;
}

void TSectionList::ForgetFont(TFontObj* F) {
    // A font is listed once, and the one forgotten while building is the
    // newest; unlisted fonts cost nothing: long pages stay linear.
    if (F->Listed) {
        F->Listed = false;
        const auto it = std::find(LinkList.rbegin(), LinkList.rend(), F);
        if (it != LinkList.rend()) LinkList.erase(std::next(it).base());
    }
    if (ActiveLink == F) ActiveLink = nullptr;
}

void TSectionList::AddAnimated(TImageObj* Img) {
    if (!IsAnimated(Img)) AGifList.push_back(Img);
}

void TSectionList::RemoveAnimated(TImageObj* Img) {
    AGifList.erase(std::remove(AGifList.begin(), AGifList.end(), Img), AGifList.end());
}

bool TSectionList::IsAnimated(const TImageObj* Img) const {
    return std::find(AGifList.begin(), AGifList.end(), Img) != AGifList.end();
}

int TSectionList::DoLayout(TCanvas* Canvas, int Y, int Width, int& ScrollWidth, int& Curs) {
    if (Timer) Timer->SetEnabled(false);
    SizeFormControls(Canvas);
    const int h = TCell::DoLayout(Canvas, Y, Width, ScrollWidth, Curs);
    RestartAnimations();
    if (!Timer) {
        Timer = std::make_unique<TTimer>(nullptr);
        Timer->SetEnabled(false);
        Timer->SetInterval(50);
        Timer->SetOnTimer([this](TObject*) { AnimationTick(); });
    }
    Timer->SetEnabled(!AGifList.empty());
    HideControls();
    return h;
}

int TSectionList::Draw(TCanvas* Canvas, const TRect& ARect, int X, int Y, int ClipWidth) {
    VisibleBottom = YOff + ARect.Bottom;
    if (Timer) Timer->SetEnabled(false);
    MarkAnimationsUnshown();
    int result;
    {
        gui::SelectedPalette pal(Canvas->Handle(), ThePalette());
        result = TCell::Draw(Canvas, ARect, X, Y, ClipWidth);
    }
    if (HideNeeded) {
        HideControls();
        HideNeeded = false;
    }
    if (Timer) Timer->SetEnabled(!AGifList.empty());
    return result;
}

std::unique_ptr<TUrlTarget> TSectionList::LinkAt(TCanvas* Canvas, int X, int Y, TObject*& FormControl) {
    TFontObj* oldLink = ActiveLink;
    TImageObj* oldImage = ActiveImage;
    ActiveLink = nullptr;
    ActiveImage = nullptr;
    auto result = TCell::LinkAt(Canvas, X, Y, FormControl);
    bool repaint = false;
    if (LinksActive && ActiveLink != oldLink) {
        if (oldLink) oldLink->SetHover(false);
        if (ActiveLink) ActiveLink->SetHover(true);
        repaint = true;
    }
    if (ActiveImage != oldImage) {
        MoveImageHover(oldImage, ActiveImage);
        repaint = true;
    }
    if (repaint && PaintPanel) PaintPanel->Invalidate();
    return result;
}

String TSectionList::ExpandImageName(const String& Src) const {
    if (!OnGetImage) return ViewerExpandName ? ViewerExpandName(Src) : Src;
    return OnExpandName ? OnExpandName(Src) : Src;
}

}  // namespace htmlview
