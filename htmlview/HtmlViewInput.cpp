// The viewer's mouse and keyboard: hot spots, selection, link clicks, keys,
// the wheel, right-button scroll mode and the auto-scroll loop.
#include <algorithm>
#include <cctype>

#include "gui/windows/Forms.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlImages.h"
#include "htmlview/HtmlView.h"

namespace htmlview {

using namespace gui;

namespace {

constexpr TCursor kLinkCursor = 1;
constexpr TCursor kTextCursor = 2;
constexpr TCursor kUpDownCursor = 3;
constexpr TCursor kUpCursor = 4;
constexpr TCursor kDownCursor = 5;

bool IsWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isdigit(u) || (u < 128 && std::isalpha(u)) || u >= 192;
}

}  // namespace

int THtmlView::CharIndexAt(int X, int Y) {
    return FSectionList->CursorAt(MeasureCanvas(), X, Y + FSectionList->YOff).Pos;
}

String THtmlView::WordAt(int Index, int& Start, int& End) {
    Start = End = Index;
    char c = 0;
    TSectionBase* s = nullptr;
    if (Index < 0 || !FSectionList->CharAt(Index, c, s) || !IsWordChar(c)) return String();
    while (Start > 0 && FSectionList->CharAt(Start - 1, c, s) && IsWordChar(c)) --Start;
    String word;
    while (FSectionList->CharAt(End, c, s) && IsWordChar(c)) {
        word += c;
        ++End;
    }
    return word;
}

void THtmlView::ExtendSelection(int X, int Y) {
    if (FNoSelect || FSelAnchor < 0) return;
    const int i = CharIndexAt(X, Y);
    if (i < 0) return;
    FCaretPos = i;
    const int b = std::min(FSelAnchor, i), e = std::max(FSelAnchor, i);
    if (b != FSectionList->SelB || e != FSectionList->SelE) {
        FSectionList->SelB = b;
        FSectionList->SelE = e;
        if (e > b) FSelectionDragged = true;
        FPaintPanel->Invalidate();
    }
}

String THtmlView::SelText() {
    if (FSectionList->SelE <= FSectionList->SelB) return String();
    TCopyBuffer buffer;
    FSectionList->CopySelection(buffer);
    return buffer.Text;
}

void THtmlView::SelectAll() {
    if (FNoSelect) return;
    FSectionList->SelB = 0;
    FSectionList->SelE = FSectionList->Len;
    FPaintPanel->Invalidate();
}

// ---- Mouse ------------------------------------------------------------------------------

void THtmlView::PanelMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
    if (Button == mbRight) {
        FRightScroll = true;
        FRightScrollStartY = Y;
        FPaintPanel->SetCursor(kUpDownCursor);
        return;
    }
    if (FRightScroll) {
        FRightScroll = false;
        FPaintPanel->SetCursor(crDefault);
        return;
    }
    if (Button != mbLeft) return;
    if (CanFocus()) SetFocus();
    FLeftButtonDown = true;
    FHiLiting = true;
    FSelectionDragged = false;
    const int i = CharIndexAt(X, Y);
    if (i < 0 || FNoSelect) return;
    FSelAnchor = i;
    FCaretPos = i;
    const bool had = FSectionList->SelE > FSectionList->SelB;
    FSectionList->SelB = FSectionList->SelE = i;
    if (had) FPaintPanel->Invalidate();
}

void THtmlView::PanelMouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
    if (FRightScroll) {
        if (std::abs(Y - FRightScrollStartY) > 20 && !FMouseScrolling && HandleAllocated()) {
            FMouseScrolling = true;
            PostMessage(Handle(), WM_MOUSESCROLL, 0, 0);
        }
        return;
    }
    TObject* formControl = nullptr;
    const int docY = Y + FSectionList->YOff;
    auto link = FSectionList->LinkAt(MeasureCanvas(), X, docY, formControl);
    TCursor cursor = link ? kLinkCursor : crArrow;
    TImageHit img;
    if ((OnImageClick || OnImageOver) && (img = FSectionList->ImageAt(X, docY)).Image) {
        if (OnImageOver) OnImageOver(this, img.Image, Shift, img.XInside, img.YInside);
    } else if (!link) {
        if (FSectionList->CursorAt(MeasureCanvas(), X, docY).InText)
            cursor = Cursor() == crIBeam ? kTextCursor : Cursor();
    }
    FPaintPanel->SetCursor(cursor);
    FTimer->SetEnabled(link != nullptr || FSectionList->ActiveLink != nullptr);
    DoHotSpotCovered(link ? link->Url : String(), link ? link->Target : String());
    if (FLeftButtonDown && FHiLiting && !FNoSelect) {
        if ((Y < 0 || Y > FPaintPanel->Height()) && !FMouseScrolling && HandleAllocated()) {
            FMouseScrolling = true;
            PostMessage(Handle(), WM_MOUSESCROLL, 0, 0);
        }
        ExtendSelection(X, Y);
    }
}

void THtmlView::DoHotSpotCovered(const String& Url, const String& Target) {
    if (Url == FURL && Target == FTarget) return;
    FURL = Url;
    FTarget = Target;
    if (OnHotSpotCovered) OnHotSpotCovered(this, Url);
}

void THtmlView::LinkLeaveTick() {
    TPoint pt;
    GetCursorPos(&pt);
    if (FPaintPanel->HandleAllocated() && WindowFromPoint(pt) == FPaintPanel->Handle()) return;
    FSectionList->HoverReset();
    FPaintPanel->Invalidate();
    FTimer->SetEnabled(false);
    if (!FURL.empty() || !FTarget.empty()) {
        FURL.clear();
        FTarget.clear();
        if (OnHotSpotCovered) OnHotSpotCovered(this, String());
    }
}

void THtmlView::PanelMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
    if (FRightScroll) {
        if (Button == mbRight && Y == FRightScrollStartY) {
            // A right click without a drag: report what lies under the mouse.
            FRightScroll = false;
            FPaintPanel->SetCursor(crDefault);
        } else {
            FRightScroll = false;
            FPaintPanel->SetCursor(crDefault);
            return;
        }
    }
    if (Button == mbRight) {
        if (OnRightClick) {
            auto params = std::make_unique<TRightClickParameters>();
            const int docY = Y + FSectionList->YOff;
            if (TImageHit img = FSectionList->ImageAt(X, docY); img.Image) {
                params->Image = img.Image;
                params->ImageX = img.XInside;
                params->ImageY = img.YInside;
            }
            TObject* fc = nullptr;
            if (auto link = FSectionList->LinkAt(MeasureCanvas(), X, docY, fc)) {
                params->URL = link->Url;
                params->Target = link->Target;
            }
            int b = 0, e = 0;
            params->ClickWord = WordAt(CharIndexAt(X, Y), b, e);
            OnRightClick(this, params.get());
        }
        return;
    }
    if (Button != mbLeft) return;
    if (OnImageClick)
        if (TImageHit img = FSectionList->ImageAt(X, Y + FSectionList->YOff); img.Image)
            OnImageClick(this, img.Image, Button, Shift, img.XInside, img.YInside);
    const bool wasDown = FLeftButtonDown;
    FLeftButtonDown = false;
    FHiLiting = false;
    if (!FNoSelect) ExtendSelection(X, Y);
    if (!wasDown) return;
    TObject* formControl = nullptr;
    auto link = FSectionList->LinkAt(MeasureCanvas(), X, Y + FSectionList->YOff, formControl);
    if (auto* imageInput = dynamic_cast<TImageFormControlObj*>(formControl)) {
        imageInput->ImageClicked();
        return;
    }
    if (!link) return;
    // A drag that selected text is not a click on the link.
    if (FSelectionDragged || FSectionList->SelE > FSectionList->SelB) return;
    FURL = link->Url;
    FTarget = link->Target;
    FIgnoreDblClick = true;
    FollowLink(link->Url);
}

void THtmlView::PanelDblClick(TShiftState Shift, int X, int Y) {
    if (FIgnoreDblClick) {
        FIgnoreDblClick = false;
        return;
    }
    if (!FNoSelect) {
        int b = 0, e = 0;
        if (!WordAt(CharIndexAt(X, Y), b, e).empty()) {
            FSectionList->SelB = b;
            FSectionList->SelE = e;
            FSelAnchor = b;
            FCaretPos = e;
            FPaintPanel->Invalidate();
        }
    }
    if (OnMouseDouble) OnMouseDouble(this, mbLeft, Shift, X, Y);
}

void THtmlView::WMMouseWheel(TMessage& M) {
    const auto delta = static_cast<std::int16_t>(HiWord(static_cast<std::intptr_t>(M.WParam)));
    ScrollBy1(FVScrollBar->Position32() - delta / 2);
    M.Result = 1;
}

// ---- Keys -------------------------------------------------------------------------------

void THtmlView::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS; }

void THtmlView::KeyDown(Word& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    if (FRightScroll) {
        FRightScroll = false;
        FPaintPanel->SetCursor(crDefault);
        return;
    }
    if (Shift.Contains(ssAlt) && (Key == VK_LEFT || Key == VK_RIGHT)) {
        // Back and forward through the history, as readers expect.
        SetHistoryIndex(FHistoryIndex + (Key == VK_LEFT ? 1 : -1));
        return;
    }
    const int pos = FVScrollBar->Position32();
    int newPos = pos;
    switch (Key) {
        case VK_PRIOR: newPos = pos - FVScrollBar->LargeChange(); break;
        case VK_NEXT: newPos = pos + FVScrollBar->LargeChange(); break;
        case VK_HOME: newPos = 0; break;
        case VK_END: newPos = FMaxVertical; break;
        case VK_UP: newPos = pos - FVScrollBar->SmallChange(); break;
        case VK_DOWN: newPos = pos + FVScrollBar->SmallChange(); break;
        case VK_LEFT:
        case VK_RIGHT: {
            const int step = Key == VK_LEFT ? -FHScrollBar->SmallChange() : FHScrollBar->SmallChange();
            SetHScrollBarPosition(FHScrollBar->Position() + step);
            return;
        }
        default: return;
    }
    ScrollBy1(newPos);
}

// ---- Auto-scroll ----------------------------------------------------------------------

void THtmlView::AutoScrollLoop() {
    DWORD last = 0;
    for (;;) {
        TPoint pt;
        GetCursorPos(&pt);
        pt = FPaintPanel->ScreenToClient(pt);
        int step = 0;
        const int sc = FVScrollBar->SmallChange();
        if (FRightScroll) {
            const int d = pt.Y - FRightScrollStartY;
            if (std::abs(d) <= 20) break;
            step = d < -60 ? -32 : d < -20 ? -8 : d > 60 ? 32 : 8;
            FPaintPanel->SetCursor(step < 0 ? kUpCursor : kDownCursor);
        } else if (FLeftButtonDown && FHiLiting && !FNoSelect) {
            const int h = FPaintPanel->Height();
            if (pt.Y < -15) step = -8 * sc;
            else if (pt.Y < 0) step = -sc;
            else if (pt.Y > h + 15) step = 8 * sc;
            else if (pt.Y > h) step = sc;
            else break;
        } else {
            break;
        }
        const DWORD now = GetTickCount();
        if (last == 0 || now - last >= 100) {
            last = now;
            ScrollTo(FVScrollBar->Position32() + step);
            if (!FRightScroll) ExtendSelection(pt.X, pt.Y);
            FPaintPanel->Update();
        }
        for (int i = 0; i < 4; ++i) Application->ProcessMessages();
        if (!HandleAllocated()) return;
    }
    FMouseScrolling = false;
    if (FRightScroll) FPaintPanel->SetCursor(kUpDownCursor);
}

}  // namespace htmlview
