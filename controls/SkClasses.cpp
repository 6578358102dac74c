#include "controls/SkClasses.h"

#include "controls/SkSysUtils.h"

namespace controls {

using namespace gui;

// ---- TSkPersistent ----------------------------------------------------------

void TSkPersistent::BeginUpdate() { ++FUpdateCount; }

void TSkPersistent::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    Changed();
}

void TSkPersistent::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange(this);
}

// ---- TSkBevel --------------------------------------------------------------------

template <typename T>
void TSkBevel::Set(T& field, T v) {
    if (field == v) return;
    field = v;
    Changed();
}

// The width and space properties are subranges; values outside them are
// refused like an unchanged value rather than stored.
void TSkBevel::SetBorderWidth(TSkBorderWidth v) {
    if (v >= 0) Set(FBorderWidth, v);
}
void TSkBevel::SetBorderColor(TColor v) { Set(FBorderColor, v); }
void TSkBevel::SetInnerShadow(TColor v) { Set(FInnerShadow, v); }
void TSkBevel::SetInnerHighlight(TColor v) { Set(FInnerHighlight, v); }
void TSkBevel::SetInnerWidth(TSkBevelWidth v) {
    if (v >= 1) Set(FInnerWidth, v);
}
void TSkBevel::SetInnerStyle(TSkBevelStyle v) { Set(FInnerStyle, v); }
void TSkBevel::SetInnerOutline(TSkBevelOutlineStyle v) { Set(FInnerOutline, v); }
void TSkBevel::SetInnerSpace(TSkBevelSpace v) {
    if (v >= 0) Set(FInnerSpace, v);
}
void TSkBevel::SetInnerColor(TColor v) { Set(FInnerColor, v); }
void TSkBevel::SetOuterShadow(TColor v) { Set(FOuterShadow, v); }
void TSkBevel::SetOuterHighlight(TColor v) { Set(FOuterHighlight, v); }
void TSkBevel::SetOuterWidth(TSkBevelWidth v) {
    if (v >= 1) Set(FOuterWidth, v);
}
void TSkBevel::SetOuterStyle(TSkBevelStyle v) { Set(FOuterStyle, v); }
void TSkBevel::SetOuterOutline(TSkBevelOutlineStyle v) { Set(FOuterOutline, v); }
void TSkBevel::SetOuterSpace(TSkBevelSpace v) {
    if (v >= 0) Set(FOuterSpace, v);
}
void TSkBevel::SetOuterColor(TColor v) { Set(FOuterColor, v); }
void TSkBevel::SetVisible(bool v) { Set(FVisible, v); }

void TSkBevel::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TSkBevel*>(Source);
    if (!src) {
        TSkPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    try {
        SetBorderWidth(src->FBorderWidth);
        SetBorderColor(src->FBorderColor);
        SetInnerShadow(src->FInnerShadow);
        SetInnerHighlight(src->FInnerHighlight);
        SetInnerWidth(src->FInnerWidth);
        SetInnerStyle(src->FInnerStyle);
        SetInnerOutline(src->FInnerOutline);
        SetInnerSpace(src->FInnerSpace);
        SetInnerColor(src->FInnerColor);
        SetOuterShadow(src->FOuterShadow);
        SetOuterHighlight(src->FOuterHighlight);
        SetOuterWidth(src->FOuterWidth);
        SetOuterStyle(src->FOuterStyle);
        SetOuterOutline(src->FOuterOutline);
        SetOuterSpace(src->FOuterSpace);
        SetOuterColor(src->FOuterColor);
        SetVisible(src->FVisible);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

long long TSkBevel::BevelWidth() const {
    if (!FVisible) return 0;
    long long w = FBorderWidth;
    if (FOuterOutline != osNone) w += 1;
    if (FOuterStyle != bsNone) w += FOuterWidth;
    w += FOuterSpace;
    if (FInnerOutline != osNone) w += 1;
    if (FInnerStyle != bsNone) w += FInnerWidth;
    w += FInnerSpace;
    return w;
}

void TSkBevel::GetVisibleArea(TRect& Rect) const { ShrinkRect(Rect, BevelWidth()); }

void TSkBevel::PaintTo(TCanvas* Canvas, TRect& Rect) const {
    if (!FVisible) return;
    auto edge = [&](TSkBevelStyle style, TColor shadow, TColor highlight, int width) {
        if (style == bsLowered)
            Draw3DFrame(Canvas, Rect, shadow, highlight, width);
        else if (style == bsRaised)
            Draw3DFrame(Canvas, Rect, highlight, shadow, width);
    };
    if (FBorderWidth > 0) Draw3DFrame(Canvas, Rect, FBorderColor, FBorderColor, FBorderWidth);
    if (FOuterOutline == osOuter) Draw3DFrame(Canvas, Rect, clBlack, clBlack, 1);
    edge(FOuterStyle, FOuterShadow, FOuterHighlight, FOuterWidth);
    if (FOuterOutline == osInner) Draw3DFrame(Canvas, Rect, clBlack, clBlack, 1);
    Draw3DFrame(Canvas, Rect, FOuterColor, FOuterColor, FOuterSpace);
    if (FInnerOutline == osOuter) Draw3DFrame(Canvas, Rect, clBlack, clBlack, 1);
    edge(FInnerStyle, FInnerShadow, FInnerHighlight, FInnerWidth);
    if (FInnerOutline == osInner) Draw3DFrame(Canvas, Rect, clBlack, clBlack, 1);
    Draw3DFrame(Canvas, Rect, FInnerColor, FInnerColor, FInnerSpace);
}

std::vector<String> TSkBevel::StoredProperties() const {
    std::vector<String> out;
    if (FBorderWidth != 0) out.push_back("BorderWidth");
    if (FBorderColor != clBtnFace) out.push_back("BorderColor");
    out.push_back("InnerShadow");
    out.push_back("InnerHighlight");
    out.push_back("InnerWidth");
    out.push_back("InnerStyle");
    if (FInnerOutline != osNone) out.push_back("InnerOutline");
    out.push_back("InnerSpace");
    out.push_back("InnerColor");
    out.push_back("OuterShadow");
    out.push_back("OuterHighlight");
    if (FOuterWidth != 1) out.push_back("OuterWidth");
    out.push_back("OuterStyle");
    out.push_back("OuterOutline");
    if (FOuterSpace != 0) out.push_back("OuterSpace");
    if (FOuterColor != clBtnFace) out.push_back("OuterColor");
    if (!FVisible) out.push_back("Visible");
    return out;
}

// ---- TSkPalette ----------------------------------------------------------------------

void TSkPalette::SetLow(TColor v) {
    if (FLow == v) return;
    FLow = v;
    Changed();
}

void TSkPalette::SetHigh(TColor v) {
    if (FHigh == v) return;
    FHigh = v;
    Changed();
}

void TSkPalette::Assign(TPersistent* Source) {
    auto* src = dynamic_cast<TSkPalette*>(Source);
    if (!src) {
        TSkPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    SetLow(src->FLow);
    SetHigh(src->FHigh);
    EndUpdate();
}

TColor TSkPalette::ColorFor(int Index) const { return Index <= 0 ? FLow : FHigh; }

}  // namespace controls
