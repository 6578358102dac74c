#include "controls/SkHyperCtrls.h"

#include "controls/SkSysUtils.h"
#include "gui/draw/Gdi.h"

namespace controls {

using namespace gui;

// ---- TSkHotRect -----------------------------------------------------------------

void TSkHotRect::SetColor(TColor v) {
    if (FColor == v) return;
    FColor = v;
    Changed();
}

void TSkHotRect::SetWidth(int v) {
    if (FWidth == v) return;
    FWidth = v;
    Changed();
}

void TSkHotRect::SetVisible(bool v) {
    if (FVisible == v) return;
    FVisible = v;
    Changed();
}

void TSkHotRect::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TSkHotRect*>(Source);
    if (!src) {
        TSkPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    SetColor(src->FColor);
    SetWidth(src->FWidth);
    SetVisible(src->FVisible);
    EndUpdate();
}

// ---- TSkHotImage -------------------------------------------------------------------

TSkHotImage::TSkHotImage(TComponent* AOwner) : TSkGraphicImageControl(AOwner) {
    // Two quick clicks are two clicks.
    ControlStyle() >> csDoubleClicks;
    ControlStyle() << csOpaque;
    SetBounds(0, 0, 85, 85);
    SetParentFont(false);
    Font()->SetName("Arial");
    Font()->SetStyle(Font()->Style() + TFontStyles{fsBold});
    Font()->SetColor(clWhite);
    SetTransparent(false);
    FColorEnter = clBlue;
    FColorLeave = clBlack;
    FDrawStyle = dsCenter;
    FTextAlignment = vtaBottom;
    FImageLeave = std::make_unique<TBitmap>();
    FImageLeave->OnChange = [this](TObject*) { UpdateControl(); };
    FImageEnter = std::make_unique<TBitmap>();
    FImageEnter->OnChange = [this](TObject*) { UpdateControl(); };
    FHotRect = std::make_unique<TSkHotRect>();
    FHotRect->OnChange = [this](TObject*) { UpdateControl(); };
}

TSkHotImage::~TSkHotImage() {
    FHotRect.reset();
    FImageLeave.reset();
    FImageEnter.reset();
}

void TSkHotImage::SetColorEnter(TColor Value) {
    if (FColorEnter == Value) return;
    FColorEnter = Value;
    UpdateControl();
}

void TSkHotImage::SetColorLeave(TColor Value) {
    if (FColorLeave == Value) return;
    FColorLeave = Value;
    UpdateControl();
}

void TSkHotImage::SetDrawStyle(TSkHotImageDrawStyle Value) {
    if (FDrawStyle == Value) return;
    FDrawStyle = Value;
    UpdateControl();
}

void TSkHotImage::SetTextAlignment(TSkTextAlignment Value) {
    if (FTextAlignment == Value) return;
    FTextAlignment = Value;
    UpdateControl();
}

void TSkHotImage::MouseEnter() {
    TSkGraphicImageControl::MouseEnter();
    FHot = true;
    UpdateControl();
}

void TSkHotImage::MouseLeave() {
    TSkGraphicImageControl::MouseLeave();
    FHot = false;
    UpdateControl();
}

void TSkHotImage::FontChanged() {
    TSkGraphicImageControl::FontChanged();
    UpdateControl();
}

void TSkHotImage::TextChanged() {
    TSkGraphicImageControl::TextChanged();
    UpdateControl();
}

void TSkHotImage::Paint() {
    // Painting can start before construction has finished (a font change
    // in the constructor); there is nothing to draw yet then.
    if (!FHotRect) {
        TSkGraphicImageControl::Paint();
        return;
    }
    TCanvas* canvas = ImageCanvas();
    if (Transparent()) PaintBackground();

    const bool enter = FHot && Enabled();
    TBitmap* picture = enter ? FImageEnter.get() : FImageLeave.get();
    const TColor state = enter ? FColorEnter : FColorLeave;
    canvas->Brush()->SetColor(state);  // also makes the brush solid again

    const TRect client = ClientRect();
    if (!Transparent()) canvas->FillRect(client);

    if (!picture->Empty()) {
        const int w = picture->Width(), h = picture->Height();
        TRect place = client;
        if (FDrawStyle == dsCenter) place = Bounds((client.Width() - w) / 2, (client.Height() - h) / 2, w, h);
        if (!Transparent())
            canvas->StretchDraw(place, picture);
        else
            canvas->BrushCopy(place, picture, Rect(0, 0, w, h), state);
    }

    TRect text = client;
    if (FHotRect->Visible()) {
        ShrinkRect(text, static_cast<long long>(FHotRect->Width()) + 2);
        if (FHot) {
            TRect frame = client;
            Draw3DFrame(canvas, frame, FHotRect->Color(), FHotRect->Color(), FHotRect->Width());
        }
    }

    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(gui::bsClear);
    const String caption = Caption();
    if (!caption.empty())
        DrawTextA(canvas->Handle(), caption.c_str(), -1, &text, TextAlignmentFlags(FTextAlignment));

    TSkGraphicImageControl::Paint();
}

}  // namespace controls
