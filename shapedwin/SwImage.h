// A picture control with a one-bit mask: its black pixels are the part of the
// window that the image contributes to its form's region.
#pragma once

#include <memory>

#include "gui/windows/ExtCtrls.h"
#include "gui/draw/Graphics.h"
#include "shapedwin/SwRegionAPI.h"

namespace shapedwin {

class TSwImage : public gui::TImage {
public:
    explicit TSwImage(gui::TComponent* AOwner);
    ~TSwImage() override;

    // The mask is owned by the image; SetMask copies the given bitmap.
    gui::TBitmap* Mask() const { return FMask.get(); }
    void SetMask(gui::TBitmap* Value);
    TCombineMode CombineMode() const { return FCombineMode; }
    void SetCombineMode(TCombineMode Value);
    // The mask exists and has pixels.
    bool HasMask() const;

    // BuildRegion, then the region (still owned by the image).
    virtual gui::HRGN GetRegion();
    virtual void DeleteRegion();
    // The mask's region over the image's bounds, in the form's client
    // coordinates; an empty region without a mask.
    virtual void BuildRegion();

private:
    TCombineMode FCombineMode = cmOR;
    std::unique_ptr<gui::TBitmap> FMask;
    gui::HRGN FRegion = nullptr;
};

}  // namespace shapedwin
