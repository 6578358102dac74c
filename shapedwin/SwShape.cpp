#include "shapedwin/SwShape.h"

#include <algorithm>

namespace shapedwin {

using namespace gui;

namespace {

// A rectangle with elliptic corners of the given diameter.
HRGN RoundRectRegion(int l, int t, int r, int b, int d) {
    if (d < 2) return CreateRectRgn(l, t, r, b);
    const int h = d / 2;
    HRGN result = CreateRectRgn(l + h, t, r - h, b);
    const HRGN parts[] = {
        CreateRectRgn(l, t + h, r, b - h),
        CreateEllipticRgn(l, t, l + d, t + d),
        CreateEllipticRgn(r - d, t, r, t + d),
        CreateEllipticRgn(l, b - d, l + d, b),
        CreateEllipticRgn(r - d, b - d, r, b),
    };
    for (HRGN p : parts) {
        CombineRgn(result, result, p, RGN_OR);
        DeleteObject(p);
    }
    return result;
}

}  // namespace

TSwShape::TSwShape(TComponent* AOwner) : TShape(AOwner) {
    SetVisible(false);
    Brush()->SetStyle(bsBDiagonal);
}

TSwShape::~TSwShape() { DeleteRegion(); }

void TSwShape::SetCombineMode(TCombineMode Value) { FCombineMode = Value; }

HRGN TSwShape::GetRegion() {
    BuildRegion();
    return FRegion;
}

void TSwShape::DeleteRegion() {
    if (FRegion != nullptr) DeleteRegionHandle(FRegion);
}

void TSwShape::BuildRegion() {
    DeleteRegion();
    int x = 0, y = 0, w = std::max(0, Width()), h = std::max(0, Height());
    const TShapeType kind = Shape();
    if (kind == stSquare || kind == stRoundSquare || kind == stCircle) {
        const int side = std::min(w, h);
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    if (w == 0 || h == 0) {
        CreateEmptyRegion(FRegion);
    } else {
        switch (kind) {
            case stRectangle:
            case stSquare: FRegion = CreateRectRgn(x, y, x + w, y + h); break;
            case stRoundRect:
            case stRoundSquare: FRegion = RoundRectRegion(x, y, x + w, y + h, std::min(w, h) / 4); break;
            case stEllipse:
            case stCircle: FRegion = CreateEllipticRgn(x, y, x + w, y + h); break;
        }
        if (FRegion == nullptr) CreateEmptyRegion(FRegion);
    }
    const TPoint at = PositionInForm(this);
    OffsetRegion(FRegion, at.X, at.Y);
}

void TSwShape::DefineProperties(TFiler* Filer) {
    TShape::DefineProperties(Filer);
    bool hasData = true;
    // An inherited layout stores the style only where it differs from the
    // ancestor's, so that a changed style is not lost.
    if (auto* ancestor = dynamic_cast<TSwShape*>(Filer->Ancestor()))
        hasData = ancestor->Brush()->Style() != Brush()->Style();
    Filer->DefineBinaryProperty(
        "BrushDataOverride", [this](TStream* s) { ReadBrushData(s); }, [this](TStream* s) { WriteBrushData(s); },
        hasData);
}

void TSwShape::ReadBrushData(TStream* Stream) {
    std::uint8_t style = 0;
    Stream->ReadBuffer(&style, 1);
    if (style > bsDiagCross) throw EReadError("Invalid property value");
    Brush()->SetStyle(static_cast<TBrushStyle>(style));
}

void TSwShape::WriteBrushData(TStream* Stream) {
    const auto style = static_cast<std::uint8_t>(Brush()->Style());
    Stream->WriteBuffer(&style, 1);
}

}  // namespace shapedwin
