#include "controls/SkControls.h"

#include "gui/windows/Cursors.h"
#include "gui/windows/Forms.h"
#include "gui/draw/Gdi.h"
#include "gui/draw/ScopedDC.h"

namespace controls {

using namespace gui;

UINT TextAlignmentFlags(TSkTextAlignment Alignment) {
    UINT flags = 0;
    switch (Alignment) {
        case vtaLeft: flags = DT_VCENTER; break;
        case vtaCenter: flags = DT_CENTER | DT_VCENTER; break;
        case vtaRight: flags = DT_RIGHT | DT_VCENTER; break;
        case vtaTopLeft: flags = 0; break;
        case vtaTop: flags = DT_CENTER; break;
        case vtaTopRight: flags = DT_RIGHT; break;
        case vtaBottomLeft: flags = DT_BOTTOM; break;
        case vtaBottom: flags = DT_BOTTOM | DT_CENTER; break;
        case vtaBottomRight: flags = DT_BOTTOM | DT_RIGHT; break;
    }
    return flags | DT_SINGLELINE | DT_NOPREFIX;
}

namespace {
bool gInitialised = false;
// Kept here as well as in the cursor table so that it stays reachable for
// the life of the program.
HCURSOR gHandCursor = nullptr;
}  // namespace

void InitSkControls() {
    if (gInitialised) return;
    gInitialised = true;
    if (!Screen) InitApplication();
    gHandCursor = LoadCursor(HInstance, "SKCURSORHANDPOINT");
    if (gHandCursor) Screen->Cursors[crSkHandPoint] = gHandCursor;
}

// ---- TSkGraphicControl ------------------------------------------------------------

TSkGraphicControl::TSkGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner) { InitSkControls(); }

void TSkGraphicControl::UpdateControl() {
    if (IsLoading()) return;
    Repaint();
}

void TSkGraphicControl::ApplyBoundsAgain() {
    if (IsLoading()) return;
    const TRect before = BoundsRect();
    SetBounds(before.Left, before.Top, before.Width(), before.Height());
    if (!(BoundsRect() == before)) UpdateControl();
}

void TSkGraphicControl::UpdateBounds() {
    const TAlign a = Align();
    if (AutoSize() && (a == alNone || a == alTop || a == alBottom || a == alLeft || a == alRight))
        ApplyBoundsAgain();
    else
        UpdateControl();
}

void TSkGraphicControl::ReapplyBounds() { ApplyBoundsAgain(); }

void TSkGraphicControl::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TSkGraphicControl::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
}

void TSkGraphicControl::FontChanged() {
    if (OnFontChanged) OnFontChanged(this);
}

void TSkGraphicControl::TextChanged() {}

void TSkGraphicControl::CMMouseEnter(TMessage& M) {
    TGraphicControl::CMMouseEnter(M);
    MouseEnter();
}

void TSkGraphicControl::CMMouseLeave(TMessage& M) {
    TGraphicControl::CMMouseLeave(M);
    MouseLeave();
}

void TSkGraphicControl::CMFontChanged(TMessage& M) {
    TGraphicControl::CMFontChanged(M);
    FontChanged();
}

void TSkGraphicControl::CMTextChanged(TMessage& M) {
    TGraphicControl::CMTextChanged(M);
    TextChanged();
}

// ---- TSkGraphicImageControl -----------------------------------------------------

TSkGraphicImageControl::TSkGraphicImageControl(TComponent* AOwner)
    : TSkGraphicControl(AOwner), FBackground(std::make_unique<TBitmap>()), FImage(std::make_unique<TBitmap>()) {}

TSkGraphicImageControl::~TSkGraphicImageControl() = default;

TCanvas* TSkGraphicImageControl::ImageCanvas() const { return FImage->Canvas(); }

void TSkGraphicImageControl::SetTransparent(bool Value) {
    if (FTransparent == Value) return;
    FTransparent = Value;
    if (Value)
        ControlStyle() >> csOpaque;
    else
        ControlStyle() << csOpaque;
    UpdateControl();
}

void TSkGraphicImageControl::UpdateControl() {
    // A self-started repaint of a transparent control draws over the cached
    // background instead of having the parent repaint beneath it.
    if (FTransparent && !FBackground->Empty()) {
        FGrab = false;
        RepaintOver();  // nothing while loading
        return;
    }
    TSkGraphicControl::UpdateControl();
}

void TSkGraphicImageControl::WMPaint(TMessage& M) {
    HDC dc = reinterpret_cast<HDC>(M.WParam);
    if (!dc) return;
    FImage->SetSize(Width(), Height());
    CanvasLock image(*FImage->Canvas());
    CanvasBinding bind(*Canvas(), dc);
    Paint();
}

void TSkGraphicImageControl::PaintBackground() {
    TCanvas* image = FImage->Canvas();
    image->Brush()->SetStyle(gui::bsSolid);
    if (FTransparent) {
        if (FGrab) {
            FBackground->SetSize(Width(), Height());
            // The control's canvas shows the parent's freshly painted pixels here.
            TRect clip = Canvas()->ClipRect();
            FBackground->Canvas()->CopyRect(clip, Canvas(), clip);
        }
        BitBlt(image->Handle(), 0, 0, FImage->Width(), FImage->Height(), FBackground->Canvas()->Handle(), 0, 0,
               SRCCOPY);
    } else {
        image->Brush()->SetColor(Color());
        image->FillRect(Rect(0, 0, FImage->Width(), FImage->Height()));
    }
}

void TSkGraphicImageControl::Paint() {
    BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), FImage->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (FTransparent) FGrab = true;
}

}  // namespace controls
