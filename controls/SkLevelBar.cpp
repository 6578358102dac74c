#include "controls/SkLevelBar.h"

#include <algorithm>
#include <climits>

#include "controls/SkSysUtils.h"

namespace controls {

using namespace gui;

namespace {
int Saturate(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }
}  // namespace

TSkLevelBar::TSkLevelBar(TComponent* AOwner) : TSkGraphicImageControl(AOwner) {
    ControlStyle() << csOpaque;
    // Its value is read on demand: a change every tick would only be noise.
    SetAccessibleRole(arLevelBar);
    SetBounds(0, 0, 20, 170);
    SetColor(clBlack);
    SetParentColor(false);

    auto palette = [this](TColor low, TColor high) {
        auto p = std::make_unique<TSkPalette>();
        p->SetLow(low);
        p->SetHigh(high);
        p->OnChange = [this](TObject*) { UpdateControl(); };
        return p;
    };
    FPalette1 = palette(clGreen, clLime);
    FPalette2 = palette(clOlive, clYellow);
    FPalette3 = palette(clMaroon, clRed);

    FBevel = std::make_unique<TSkBevel>();
    FBevel->SetInnerStyle(bsLowered);
    FBevel->SetInnerWidth(2);
    FBevel->SetInnerColor(clBlack);
    FBevel->OnChange = [this](TObject*) { BevelChanged(); };

    // The tick area before any paint, so that a bevel change made before
    // the first paint keeps the right area.
    FInner = ClientRect();
    FBevel->GetVisibleArea(FInner);
}

TSkLevelBar::~TSkLevelBar() {
    FBevel.reset();
    FPalette1.reset();
    FPalette2.reset();
    FPalette3.reset();
}

void TSkLevelBar::SetPosition(int Value) {
    Value = std::clamp(Value, FMinValue, FMaxValue);
    if (Value == FPosition) return;
    FPosition = Value;
    // The player sets both meters 33 times a second; most new levels light
    // as many ticks as before, and those draw the same pixels.
    if (FPaintedLit < 0 || LitTicks() != FPaintedLit) {
        TFlagScope ticksOnly(FTicksOnly, true);
        UpdateControl();
    }
    if (OnChange) OnChange(this);
    if (FPosition == FMinValue && OnMinValue) OnMinValue(this);
    if (FPosition == FMaxValue && OnMaxValue) OnMaxValue(this);
}

void TSkLevelBar::SetMinValue(int Value) { SetRangeBound(*this, FMinValue, FMaxValue, false, Value, FPosition); }

void TSkLevelBar::SetMaxValue(int Value) { SetRangeBound(*this, FMinValue, FMaxValue, true, Value, FPosition); }

void TSkLevelBar::SetPercent1(int Value) {
    Value = std::clamp(Value, 0, 100);
    if (Value == FPercent1) return;
    if (!IsLoading() && Value + FPercent2 > 100) Value = 100 - FPercent2;
    FPercent1 = Value;
    UpdateControl();
}

void TSkLevelBar::SetPercent2(int Value) {
    if (Value == FPercent2 || Value < 0 || Value > 100 || FPercent1 + Value > 100) return;
    FPercent2 = Value;
    UpdateControl();
}

void TSkLevelBar::SetTickHeight(int Value) {
    if (Value == FTickHeight || Value <= 0) return;
    FTickHeight = Value;
    UpdateControl();
}

void TSkLevelBar::SetSpacing(int Value) {
    if (Value == FSpacing) return;
    FSpacing = Value;
    UpdateControl();
}

void TSkLevelBar::SetStyle(TSkProgressStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    UpdateControl();
}

void TSkLevelBar::SetOrientation(TSkOrientation Value) {
    if (Value == FOrientation) return;
    FOrientation = Value;
    if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
    UpdateControl();
}

void TSkLevelBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TSkGraphicImageControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    // A paint draws with the layout it computed before trimming the size.
    if (FBevel && !FInLayout) {
        FInner = ClientRect();
        FBevel->GetVisibleArea(FInner);
    }
}

void TSkLevelBar::BevelChanged() {
    if (!IsLoading()) {
        // Keep the tick area and resize the control around it.
        TRect area = ClientRect();
        FBevel->GetVisibleArea(area);
        const long long w = area.Left;
        TRect outer = FInner;
        ShrinkRect(outer, -w);
        SetBounds(Left(), Top(), outer.Width(), outer.Height());
    }
    UpdateControl();
}

void TSkLevelBar::Layout() {
    FInner = ClientRect();
    FBevel->GetVisibleArea(FInner);
    const long long pitch = static_cast<long long>(FTickHeight) + FSpacing;
    // A pitch of 0 or less fits no ticks: draw none and leave the size alone.
    if (pitch <= 0) {
        FPitch = 0;
        FCount = 0;
        return;
    }
    FPitch = Saturate(pitch);
    const bool vertical = FOrientation == voVertical;
    const long long extent = vertical ? FInner.Height() : FInner.Width();
    const long long count = std::max<long long>(0, (extent + FSpacing) / pitch);
    FCount = Saturate(count);
    const long long start = vertical ? FInner.Top : FInner.Left;
    const int size = Saturate(2 * start + count * pitch - FSpacing);
    FInLayout = true;
    try {
        if (vertical && size != Height()) SetBounds(Left(), Top(), Width(), size);
        if (!vertical && size != Width()) SetBounds(Left(), Top(), size, Height());
    } catch (...) {
        FInLayout = false;
        throw;
    }
    FInLayout = false;
}

int TSkLevelBar::LitTicks() const {
    if (FCount <= 0) return 0;
    // In 64 bits: the full 32-bit range does not fit a 32-bit difference.
    const int percent = PercentFromValue(static_cast<long long>(FPosition) - FMinValue,
                                         static_cast<long long>(FMaxValue) - FMinValue);
    return std::clamp(PercentOf(percent, FCount), 0, FCount);
}

void TSkLevelBar::UpdateControl() {
    // Anything but the position may change any pixel.
    if (!FTicksOnly) FImageCurrent = false;
    TSkGraphicImageControl::UpdateControl();
}

void TSkLevelBar::CMColorChanged(TMessage& M) {
    FImageCurrent = false;
    TSkGraphicImageControl::CMColorChanged(M);
}

bool TSkLevelBar::OnlyTicksChanged() const {
    // Overlapping ticks (a negative spacing) depend on their drawing order.
    return FTicksOnly && FImageCurrent && FPaintedLit >= 0 && FSpacing >= 0 &&
           DrawingImage()->Width() == FImageWidth && DrawingImage()->Height() == FImageHeight;
}

void TSkLevelBar::DrawTicks(int From, int To) {
    const int count = FCount;
    if (count <= 0) return;
    From = std::max(From, 1);
    To = std::min(To, count);
    const int lit = LitTicks();
    const int z1 = PercentOf(FPercent1, count);
    const long long z2 = static_cast<long long>(z1) + PercentOf(FPercent2, count);
    TCanvas* canvas = ImageCanvas();
    const bool vertical = FOrientation == voVertical;
    const bool fromStart = FStyle == psBottomLeft;

    auto tick = [&](int k) {
        const TSkPalette* zone = k <= z1 ? FPalette1.get() : (k <= z2 ? FPalette2.get() : FPalette3.get());
        canvas->Brush()->SetColor(zone->ColorFor(k <= lit ? 1 : 0));
        TRect r = FInner;
        if (vertical) {
            // Drawing runs from k = count to 1: down from the top for a
            // bottom-up fill, up from the bottom for a top-down one.
            long long y;
            if (fromStart)
                y = static_cast<long long>(FInner.Top) + static_cast<long long>(count - k) * FPitch;
            else
                y = static_cast<long long>(FInner.Bottom) - FTickHeight - static_cast<long long>(count - k) * FPitch;
            r.Top = Saturate(y);
            r.Bottom = Saturate(y + FTickHeight);
        } else {
            long long x;
            if (fromStart)
                x = static_cast<long long>(FInner.Left) + static_cast<long long>(k - 1) * FPitch;
            else
                x = static_cast<long long>(FInner.Right) - FTickHeight - static_cast<long long>(k - 1) * FPitch;
            r.Left = Saturate(x);
            r.Right = Saturate(x + FTickHeight);
        }
        canvas->FillRect(r);
    };

    auto in = [&](int k) { return k >= From && k <= To; };
    if (vertical) {
        for (int k = count; k > lit; --k)
            if (in(k)) tick(k);
        for (int k = lit; k >= 1; --k)
            if (in(k)) tick(k);
    } else {
        for (int k = 1; k <= lit; ++k)
            if (in(k)) tick(k);
        for (int k = lit + 1; k <= count; ++k)
            if (in(k)) tick(k);
    }
}

void TSkLevelBar::Paint() {
    if (!FBevel) {
        TSkGraphicImageControl::Paint();
        return;
    }
    if (OnlyTicksChanged()) {
        // The background, the bevel and the other ticks are in the image.
        const int lit = LitTicks();
        DrawTicks(std::min(lit, FPaintedLit) + 1, std::max(lit, FPaintedLit));
    } else {
        Layout();
        PaintBackground();
        TRect r = ClientRect();
        FBevel->PaintTo(ImageCanvas(), r);
        DrawTicks(1, FCount);
        FImageWidth = DrawingImage()->Width();
        FImageHeight = DrawingImage()->Height();
    }
    TSkGraphicImageControl::Paint();
    FPaintedLit = LitTicks();
    FImageCurrent = true;
    ++FPaints;
}

}  // namespace controls
