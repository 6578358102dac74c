#include "controls/SkProgressBar.h"

#include <algorithm>

#include "controls/SkSysUtils.h"

namespace controls {

using namespace gui;

TSkProgressBar::TSkProgressBar(TComponent* AOwner) : TSkGraphicImageControl(AOwner) {
    // The caption is never set to the component's name.
    ControlStyle() >> csSetCaption;
    ControlStyle() << csOpaque;
    SetAccessibleRole(arProgressBar);
    SetBounds(0, 0, 200, 16);
    SetColor(clBlack);
    SetParentColor(false);

    FBevel = std::make_unique<TSkBevel>();
    FBevel->SetInnerStyle(bsNone);
    FBevel->SetInnerSpace(0);
    FBevel->SetOuterStyle(bsLowered);
    FBevel->SetOuterOutline(osNone);
    FBevel->OnChange = [this](TObject*) { UpdateControl(); };

    FBitmap = std::make_unique<TBitmap>();
    FBitmap->OnChange = [this](TObject*) {
        FDirty = FFillType == pfBitmap;
        UpdateControl();
    };
    FFill = std::make_unique<TBitmap>();
}

TSkProgressBar::~TSkProgressBar() {
    FBitmap.reset();
    FFill.reset();
    FBevel.reset();
}

void TSkProgressBar::SetPosition(int Value) {
    Value = std::clamp(Value, FMinValue, FMaxValue);
    if (Value == FPosition) return;
    FPosition = Value;
    // A song's position moves the bar by a pixel only now and then; a new
    // value that fills the same length draws the same pixels.
    if (FPaintedFilled < 0 || FilledLength() != FPaintedFilled) UpdateControl();
    AccessibleValueChanged();
    if (OnChange) OnChange(this);
}

void TSkProgressBar::SetMinValue(int Value) { SetRangeBound(*this, FMinValue, FMaxValue, false, Value, FPosition); }

void TSkProgressBar::SetMaxValue(int Value) { SetRangeBound(*this, FMinValue, FMaxValue, true, Value, FPosition); }

void TSkProgressBar::SetStartColor(TColor Value) {
    if (Value == FStartColor) return;
    FStartColor = Value;
    FDirty = true;
    UpdateControl();
}

void TSkProgressBar::SetEndColor(TColor Value) {
    if (Value == FEndColor) return;
    FEndColor = Value;
    FDirty = true;
    UpdateControl();
}

void TSkProgressBar::SetFillType(TSkProgressBarFill Value) {
    if (Value == FFillType) return;
    FFillType = Value;
    FDirty = true;
    UpdateControl();
}

void TSkProgressBar::SetSmooth(bool Value) {
    if (Value == FSmooth) return;
    FSmooth = Value;
    UpdateControl();
}

void TSkProgressBar::SetOrientation(TSkOrientation Value) {
    if (Value == FOrientation) return;
    FOrientation = Value;
    FDirty = true;
    if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
    UpdateControl();
}

void TSkProgressBar::CMSysColorChange(TMessage& M) {
    TSkGraphicImageControl::CMSysColorChange(M);
    // The plain fill uses a system colour.
    FDirty = true;
}

void TSkProgressBar::PrepareFill(int W, int H) {
    W = std::max(0, W);
    H = std::max(0, H);
    if (!FDirty && FFill->Width() == W && FFill->Height() == H) return;
    FFill->SetSize(W, H);
    ++FFillBuilds;
    if (W > 0 && H > 0) {
        TCanvas* c = FFill->Canvas();
        const TRect all = Rect(0, 0, W, H);
        const bool tile = FFillType == pfBitmap && !FBitmap->Empty() && FBitmap->Width() > 0 && FBitmap->Height() > 0;
        if (FFillType == pfGradient) {
            if (FOrientation == voHorizontal)
                DrawGradient(c, all, FStartColor, FEndColor, gdHorizontal, 1);
            else
                DrawGradient(c, all, FEndColor, FStartColor, gdVertical, 1);
        } else if (tile) {
            TileBitmap(c, all, FBitmap.get());
        } else {
            c->Brush()->SetColor(clHighlight);
            c->FillRect(all);
        }
    }
    FDirty = false;
}

void TSkProgressBar::CopyBlock(const TRect& Dest, const TRect& Source) {
    // Empty or inverted blocks would mirror in the stretching copy.
    if (Dest.Width() <= 0 || Dest.Height() <= 0 || Source.Width() <= 0 || Source.Height() <= 0) return;
    ImageCanvas()->CopyRect(Dest, FFill->Canvas(), Source);
}

void TSkProgressBar::DrawHorizontal(int Filled) {
    const TRect R = FInner;
    const long long end = static_cast<long long>(R.Left) + Filled;
    const int block = (R.Height() / 3) * 2;
    TRect blk = Bounds(R.Left + (FSmooth ? 1 : 0), R.Top, block, R.Height());
    blk.Top += 1;
    blk.Bottom -= 1;
    if (!FSmooth) {
        blk.Left += 1;
        blk.Right -= 1;
    }
    if (FSmooth) blk.Right = static_cast<int>(end);
    while (end > blk.Left) {
        if (blk.Right >= R.Right) blk.Right = R.Right - 1;
        CopyBlock(blk, Bounds(blk.Left - R.Left, 0, blk.Width(), blk.Height()));
        const int advance = blk.Width() + 2;
        // Blocks of a bar under 3 pixels high would never advance.
        if (advance <= 0) break;
        blk.Left += advance;
        blk.Right += advance;
    }
}

void TSkProgressBar::DrawVertical(int Filled) {
    const TRect R = FInner;
    const long long top = static_cast<long long>(R.Bottom) - Filled;
    const int block = (R.Width() / 3) * 2;
    TRect blk = Rect(R.Left, R.Bottom - block, R.Right, R.Bottom);
    blk.Left += 1;
    blk.Right -= 1;
    if (!FSmooth) {
        blk.Top += 1;
        blk.Bottom -= 1;
    }
    if (FSmooth) blk.Top = static_cast<int>(top);
    while (top < blk.Bottom) {
        if (R.Top >= blk.Top) blk.Top = R.Top + 1;
        CopyBlock(blk, Bounds(0, blk.Top - R.Top - 1, FFill->Width(), blk.Height()));
        const int advance = blk.Height() + 2;
        if (advance <= 0) break;
        blk.Top -= advance;
        blk.Bottom -= advance;
    }
}

int TSkProgressBar::FilledLength() const {
    // In 64 bits: the full 32-bit range does not fit a 32-bit difference.
    const int percent = PercentFromValue(static_cast<long long>(FPosition) - FMinValue,
                                         static_cast<long long>(FMaxValue) - FMinValue);
    return PercentOf(percent, FOrientation == voHorizontal ? FInner.Width() : FInner.Height());
}

void TSkProgressBar::Paint() {
    if (!FFill) {
        TSkGraphicImageControl::Paint();
        return;
    }
    PaintBackground();
    TRect r = ClientRect();
    FBevel->PaintTo(ImageCanvas(), r);
    FInner = r;
    PrepareFill(r.Width(), r.Height());
    const int filled = FilledLength();
    if (FOrientation == voHorizontal)
        DrawHorizontal(filled);
    else
        DrawVertical(filled);
    TSkGraphicImageControl::Paint();
    FPaintedFilled = filled;
    ++FPaints;
}

}  // namespace controls
