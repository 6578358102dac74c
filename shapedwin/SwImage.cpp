#include "shapedwin/SwImage.h"

namespace shapedwin {

using namespace gui;

TSwImage::TSwImage(TComponent* AOwner) : TImage(AOwner), FMask(std::make_unique<TBitmap>()) {}

TSwImage::~TSwImage() { DeleteRegion(); }

bool TSwImage::HasMask() const { return FMask != nullptr && FMask->Width() * FMask->Height() != 0; }

void TSwImage::SetMask(TBitmap* Value) {
    FMask->Assign(Value);
    if (HasMask()) {
        FMask->SetPixelFormat(pf1bit);
        BuildRegion();
    }
}

void TSwImage::SetCombineMode(TCombineMode Value) { FCombineMode = Value; }

HRGN TSwImage::GetRegion() {
    BuildRegion();
    return FRegion;
}

void TSwImage::DeleteRegion() {
    if (FRegion != nullptr) DeleteRegionHandle(FRegion);
}

void TSwImage::BuildRegion() {
    DeleteRegion();
    if (HasMask())
        RegionFromMask(FRegion, FMask.get(), Rect(0, 0, Width(), Height()));
    else
        CreateEmptyRegion(FRegion);
    const TPoint at = PositionInForm(this);
    OffsetRegion(FRegion, at.X, at.Y);
}

}  // namespace shapedwin
