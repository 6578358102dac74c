#include "gui/windows/ComCtrls.h"

#include <algorithm>

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/StdCtrls.h"

namespace gui {

// ---- TTabSheet -------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
    ControlStyle() << csAcceptsControls;
    SetVisible(false);
    SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
    if (FPageControl) FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* v) {
    if (FPageControl == v) return;
    if (FPageControl) FPageControl->RemovePage(this);
    SetParent(v);
    if (v) v->InsertPage(this);
}

int TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    auto& p = FPageControl->FPages;
    auto it = std::find(p.begin(), p.end(), this);
    return it == p.end() ? -1 : static_cast<int>(it - p.begin());
}

void TTabSheet::SetTabVisible(bool v) {
    if (FTabVisible == v) return;
    FTabVisible = v;
    if (FPageControl) FPageControl->Invalidate();
}

void TTabSheet::CMTextChanged(TMessage& M) {
    TCustomControl::CMTextChanged(M);
    if (FPageControl) FPageControl->Invalidate();
}

// ---- TPageControl -------------------------------------------------------------------

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
    SetColor(clBtnFace);
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
    for (TTabSheet* p : FPages) p->FPageControl = nullptr;
    FPages.clear();
}

TTabSheet* TPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FPages[static_cast<size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
    FPages.push_back(Page);
    Page->FPageControl = this;
    if (!FActivePage) SetActivePage(Page);
    Realign();
    Invalidate();
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto it = std::find(FPages.begin(), FPages.end(), Page);
    if (it == FPages.end()) return;
    FPages.erase(it);
    Page->FPageControl = nullptr;
    if (FActivePage == Page) {
        FActivePage = nullptr;
        if (!FPages.empty()) SetActivePage(FPages.front());
    }
    Invalidate();
}

void TPageControl::ShowActive() {
    for (TTabSheet* p : FPages) p->SetVisible(p == FActivePage);
    if (FActivePage) FActivePage->BringToFront();
    Realign();
}

void TPageControl::SetActivePage(TTabSheet* v) {
    if (v && v->FPageControl != this) return;
    if (FActivePage == v) return;
    FActivePage = v;
    ShowActive();
    Invalidate();
}

int TPageControl::ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int v) {
    if (v >= 0 && v < PageCount()) SetActivePage(FPages[static_cast<size_t>(v)]);
    else SetActivePage(nullptr);
}

int TPageControl::TabHeight() const { return MeasureText(Font(), "Wg", 0, DT_SINGLELINE).cy + 6; }

TRect TPageControl::TabRect(int Index) const {
    int x = 2;
    for (int i = 0; i < PageCount(); ++i) {
        TTabSheet* p = FPages[static_cast<size_t>(i)];
        if (!p->TabVisible()) {
            if (i == Index) return Rect(0, 0, 0, 0);
            continue;
        }
        int w = MeasureText(Font(), p->Caption(), 0, DT_SINGLELINE).cx + 12;
        if (i == Index) return Rect(x, 2, x + w, 2 + TabHeight());
        x += w;
    }
    return Rect(0, 0, 0, 0);
}

int TPageControl::IndexOfTabAt(int X, int Y) const {
    for (int i = 0; i < PageCount(); ++i) {
        TRect r = TabRect(i);
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return i;
    }
    return -1;
}

void TPageControl::AdjustClientRect(TRect& R) {
    // Below the tabs and inside the body's 2-pixel frame, which stays visible.
    R.Top += TabHeight() + 4;
    R.Left += 2;
    R.Right -= 2;
    R.Bottom -= 2;
}

void TPageControl::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    int th = TabHeight() + 2;
    TRect body = Rect(0, th, Width(), Height());
    Frame3D(c, body, clBtnHighlight, cl3DDkShadow, 1);
    Frame3D(c, body, cl3DLight, clBtnShadow, 1);
    c->Font()->Assign(Font());
    for (int i = 0; i < PageCount(); ++i) {
        TRect r = TabRect(i);
        if (r.Width() <= 0) continue;
        bool active = FPages[static_cast<size_t>(i)] == FActivePage;
        // The active tab is raised and covers the frame's top edge under it,
        // so it joins its page.
        if (active) r = Rect(r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 2);
        c->Brush()->SetColor(Color());
        c->FillRect(r);
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(r.Left, r.Bottom);
        c->LineTo(r.Left, r.Top);
        c->LineTo(r.Right - 1, r.Top);
        c->Pen()->SetColor(cl3DDkShadow);
        c->LineTo(r.Right - 1, r.Bottom);
        c->Brush()->SetStyle(bsClear);
        RECT tr = r;
        String text = FPages[static_cast<size_t>(i)]->Caption();
        DrawTextA(c->Handle(), text.c_str(), static_cast<int>(text.size()), &tr,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        c->Brush()->SetStyle(bsSolid);
    }
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    int i = IndexOfTabAt(X, Y);
    if (i < 0 || FPages[static_cast<size_t>(i)] == FActivePage) return;
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) return;
    SetActivePage(FPages[static_cast<size_t>(i)]);
    if (OnChange) OnChange(this);
}

void TPageControl::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key != VK_LEFT && Key != VK_RIGHT) return;
    int i = ActivePageIndex() + (Key == VK_RIGHT ? 1 : -1);
    if (i < 0 || i >= PageCount()) return;
    SetActivePageIndex(i);
    if (OnChange) OnChange(this);
}

void TPageControl::CMFontChanged(TMessage& M) {
    TCustomControl::CMFontChanged(M);
    Realign();
}

}  // namespace gui
