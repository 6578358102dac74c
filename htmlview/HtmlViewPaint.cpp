// The viewer's painting, layout and scroll bars.
#include <algorithm>
#include <chrono>

#include "gui/draw/ScopedDC.h"
#include "htmlview/HtmlView.h"

namespace htmlview {

using namespace gui;

// ---- TPaintPanel --------------------------------------------------------------------

TPaintPanel::TPaintPanel(TComponent* AOwner, THtmlView* Viewer) : TCustomControl(AOwner), FViewer(Viewer) {
    ControlStyle() << csDoubleClicks;
}

void TPaintPanel::WndProc(TMessage& M) {
    switch (M.Msg) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
        case WM_GETDLGCODE: M.Result = FViewer->Perform(M.Msg, M.WParam, M.LParam); return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: FViewer->UpdateBorder(); break;
        default: break;
    }
    TCustomControl::WndProc(M);
}

void TPaintPanel::Paint() { FViewer->PanelPaint(Canvas()); }

void TPaintPanel::WMLButtonDblClk(TMessage& M) {
    FViewer->PanelDblClick(KeysToShiftState(M.WParam), GetXLParam(M.LParam), GetYLParam(M.LParam));
    TCustomControl::WMLButtonDblClk(M);
}

void TPaintPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    FViewer->PanelMouseDown(Button, Shift, X, Y);
}

void TPaintPanel::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    FViewer->PanelMouseMove(Shift, X, Y);
}

void TPaintPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FViewer->PanelMouseUp(Button, Shift, X, Y);
}

// ---- T32ScrollBar -------------------------------------------------------------------

T32ScrollBar::T32ScrollBar(TComponent* AOwner, THtmlView* Viewer) : TScrollBar(AOwner), FViewer(Viewer) {}

void T32ScrollBar::SetParams32(int APos, int AMin, int AMax, int APage, bool DisableNoScroll) {
    if (FSet && APos == FPos && AMin == FMin && AMax == FMax && APage == FPage && DisableNoScroll == FDisableNoScroll)
        return;
    FSet = true;
    FPos = APos;
    FMin = AMin;
    FMax = AMax;
    FPage = APage;
    FDisableNoScroll = DisableNoScroll;
    SCROLLINFO si;
    si.fMask = SIF_ALL | (DisableNoScroll ? SIF_DISABLENOSCROLL : 0);
    si.nMin = AMin;
    si.nMax = AMax;
    si.nPage = static_cast<UINT>(std::max(0, APage));
    si.nPos = APos;
    si.nTrackPos = APos;
    SetScrollInfo(Handle(), SB_CTL, &si, true);
}

bool T32ScrollBar::BarEnabled() const {
    if (!Enabled()) return false;
    if (!FDisableNoScroll) return true;
    return FMax - FMin + 1 > FPage;
}

void T32ScrollBar::WMVScroll(TMessage& M) {
    FViewer->VScrollMessage(LoWord(static_cast<std::intptr_t>(M.WParam)));
}

void THtmlView::VScrollMessage(int Code) {
    const int old = FVScrollBar->Position32();
    int pos = old;
    switch (Code) {
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = FVScrollBar->ScrollInfoValues().nTrackPos; break;
        case SB_LINEUP: pos -= FVScrollBar->SmallChange(); break;
        case SB_LINEDOWN: pos += FVScrollBar->SmallChange(); break;
        case SB_PAGEUP: pos -= FVScrollBar->LargeChange(); break;
        case SB_PAGEDOWN: pos += FVScrollBar->LargeChange(); break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = FMaxVertical - FPaintPanel->Height(); break;
        default: return;
    }
    if (CanFocus()) SetFocus();
    ScrollBy1(pos);
}

// ---- Layout ---------------------------------------------------------------------------

TCanvas* THtmlView::MeasureCanvas() const { return FMeasure->Canvas(); }

void THtmlView::DoLayout() {
    const bool wasInLayout = FInLayout;
    FInLayout = true;
    const bool vAllowed = FScrollBars == ssVertical || FScrollBars == ssBoth;
    const int border = FBorderStyle == htNone ? 1 : 3;
    int width = Width() - 2 * FMarginWidthX - border;
    if (vAllowed) width -= kScrollBarSize;
    width = std::max(1, width);
    int scrollWidth = 0, curs = 0;
    const int height = FSectionList->DoLayout(MeasureCanvas(), FMarginHeightX, width, scrollWidth, curs);
    FScrollWidth = std::min(scrollWidth, kMaxScrollWidth);
    FMaxVertical = height + (vAllowed ? 2 * FMarginHeightX : FMarginHeightX);
    FInLayout = wasInLayout;
    ArrangeScrollBars();
}

int THtmlView::Position() const {
    const int y = FVScrollBar->Position32();
    const TSectionList& doc = *FSectionList;
    for (int i = 0; i < doc.Count(); ++i) {
        const TSectionBase* s = doc.Section(i);
        if (y < s->YValue + s->SectionHeight || i == doc.Count() - 1)
            return i * 65536 + std::clamp(y - s->YValue, 0, 65535);
    }
    return 0;
}

void THtmlView::SetPosition(int Value) {
    const int index = Value / 65536, offset = Value % 65536;
    if (index < 0 || index >= FSectionList->Count()) {
        ScrollTo(0);
        return;
    }
    ScrollTo(FSectionList->Section(index)->YValue + offset);
}

void THtmlView::LayoutKeepingPosition() {
    const bool was = FProcessing;
    SetProcessing(true);
    const int pos = Position();
    DoLayout();
    SetPosition(pos);
    SetProcessing(was);
}

void THtmlView::ArrangeScrollBars() {
    const int W = Width(), H = Height(), S = kScrollBarSize, B = FBorderStyle == htNone ? 0 : 1;
    const int M = 2 * FMarginWidthX + FScrollWidth;
    const bool showV = FOptions.Contains(htShowVScroll);
    bool vNeeded = false, hNeeded = false;
    const bool hAllowed = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const bool vAllowed = FScrollBars == ssVertical || FScrollBars == ssBoth;
    if (!vAllowed) {
        hNeeded = FScrollBars == ssHorizontal && W < M;
    } else {
        vNeeded = FMaxVertical >= H - 2 || (hAllowed && FMaxVertical >= H - S - 2 && W - S < M);
        hNeeded = hAllowed && (W < M || ((vNeeded || showV) && W - S < M));
    }
    int panelW = (vNeeded || (showV && vAllowed)) ? W - S : W;
    panelW = std::max(0, panelW - 2 * B);
    const int panelH = std::max(0, H - 2 * B - (hNeeded ? S : 0));
    FPaintPanel->SetBounds(B, B, panelW, panelH);

    FHScrollBar->SetBounds(B, H - 2 * B - S + B, panelW, S);
    FHScrollBar->SetVisible(hNeeded);
    FHScrollBar->SetLargeChange(std::max(1, panelW - 20));
    FHScrollBar->SetPageSize(0);
    FHScrollBar->SetMax(std::max(0, std::max(M, panelW)));
    FHScrollBar->SetPageSize(panelW);
    if (!hNeeded) FHScrollBar->SetPosition(0);

    FVScrollBar->SetBounds(W - 2 * B - S + B, B, S, panelH);
    FVScrollBar->SetLargeChange(std::max(1, panelH - FVScrollBar->SmallChange()));
    if (showV) {
        FVScrollBar->SetVisible(vAllowed);
    } else {
        FVScrollBar->SetVisible(vNeeded);
    }
    FVScrollBar->SetParams32(FVScrollBar->Position32(), 0, FMaxVertical, panelH + 1, showV);
    FVScrollBar->SetEnabled(!showV || vNeeded);
}

void THtmlView::WMSize(TMessage& M) {
    TWinControl::WMSize(M);
    if (!FReady) return;
    if (FProcessing) {
        ArrangeScrollBars();
        return;
    }
    LayoutKeepingPosition();
    if (FMaxVertical < FPaintPanel->Height())
        ScrollTo(0);
    else
        ScrollTo(FVScrollBar->Position32());
    const int hmax = std::max(0, FHScrollBar->Max() - FPaintPanel->Width());
    if (FHScrollBar->Position() > hmax) FHScrollBar->SetPosition(hmax);
}

// ---- Scrolling ------------------------------------------------------------------------

void THtmlView::ScrollTo(int Y) {
    Y = std::max(0, std::min(Y, FMaxVertical - FPaintPanel->Height()));
    FVScrollBar->SetPosition32(Y);
    FSectionList->SetYOffset(Y);
    FPaintPanel->Invalidate();
}

void THtmlView::SetVScrollBarPosition(int Value) { ScrollTo(Value); }

void THtmlView::SetHScrollBarPosition(int Value) {
    Value = std::max(0, std::min(Value, FHScrollBar->Max() - FPaintPanel->Width()));
    FHScrollBar->SetPosition(Value);
    FPaintPanel->Invalidate();
}

void THtmlView::ScrollBy1(int NewPos) {
    const int old = FVScrollBar->Position32();
    NewPos = std::max(0, std::min(NewPos, FMaxVertical - FPaintPanel->Height()));
    if (NewPos == old) return;
    FVScrollBar->SetPosition32(NewPos);
    FSectionList->SetYOffset(NewPos);
    if (std::abs(NewPos - old) < FPaintPanel->Height() && FPaintPanel->HandleAllocated()) {
        // Part of the view stays visible: move those pixels and paint only
        // the uncovered strip (the background's tiles follow the position,
        // so moved pixels are what a full paint would draw).
        FPaintPanel->ScrollBy(0, old - NewPos, nullptr);
        FPaintPanel->Update();
    } else {
        FPaintPanel->Invalidate();
    }
}

// ---- Painting -------------------------------------------------------------------------

void THtmlView::UpdateBorder() {
    const bool border =
        FBorderStyle == htSingle || (FBorderStyle == htFocused && (Focused() || FPaintPanel->Focused())) || FDesigning;
    FBorderPanel->SetVisible(true);
    FBorderPanel->SetBorderStyle(border ? bsSingle : bsNone);
}

void THtmlView::PanelPaint(TCanvas* Canvas) {
    if (FInLayout) return;
    UpdateBorder();
    const TRect clip = Canvas->ClipRect();
    const int w = clip.Width(), h = clip.Height();
    if (w <= 0 || h <= 0) return;
    const auto start = std::chrono::steady_clock::now();
    TBitmap buffer;
    buffer.SetSize(w, h);
    if (!buffer.Canvas()->Handle()) throw EOutOfResources("Out of Resources");
    TCanvas* mem = buffer.Canvas();
    const int hpos = FHScrollBar->Visible() ? FHScrollBar->Position() : 0;
    const int vpos = FVScrollBar->Position32();
    {
        SavedCanvasDC saved(*mem);
        SetWindowOrgEx(mem->Handle(), clip.Left, clip.Top, nullptr);
        // Background: the fill, then the page's picture tiled in step with the scroll.
        mem->Brush()->SetStyle(bsSolid);
        mem->Brush()->SetColor(FPaintPanel->Color());
        mem->FillRect(clip);
        TBitmap* mask = nullptr;
        TBitmap* picture = FViewImages ? FSectionList->BackgroundPicture(mask) : nullptr;
        if (picture && picture->Width() > 0 && picture->Height() > 0) {
            const int pw = picture->Width(), ph = picture->Height();
            const int x0 = -(hpos % pw), y0 = -(vpos % ph);
            for (int y = y0; y < clip.Bottom; y += ph) {
                if (y + ph <= clip.Top) continue;
                for (int x = x0; x < clip.Right; x += pw) {
                    if (x + pw <= clip.Left) continue;
                    if (mask)
                        FinishTransparentBitmap(mem->Handle(), picture, mask, x, y, pw, ph);
                    else
                        BitBlt(mem->Handle(), x, y, pw, ph, picture->Canvas()->Handle(), 0, 0, SRCCOPY);
                }
            }
        }
        FSectionList->Draw(mem, clip, FMarginWidthX - hpos, FMarginHeightX,
                           FPaintPanel->Width() + hpos - FMarginWidthX);
    }
    SelectedPalette pal(Canvas->Handle(), ThePalette());
    BitBlt(Canvas->Handle(), clip.Left, clip.Top, w, h, mem->Handle(), 0, 0, SRCCOPY);
    FLastPaintMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace htmlview
