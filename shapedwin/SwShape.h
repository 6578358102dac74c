// A shape control that contributes a geometric region (rectangle, square,
// rounded rectangle or square, ellipse, circle) to its form's region. It is
// invisible by default: it only marks out part of the window.
#pragma once

#include "gui/base/Classes.h"
#include "gui/windows/ExtCtrls.h"
#include "shapedwin/SwRegionAPI.h"

namespace shapedwin {

class TSwShape : public gui::TShape {
public:
    explicit TSwShape(gui::TComponent* AOwner);
    ~TSwShape() override;

    TCombineMode CombineMode() const { return FCombineMode; }
    void SetCombineMode(TCombineMode Value);

    // The brush style is stored once more with the layout, as the one-byte
    // binary property "BrushDataOverride".
    void DefineProperties(gui::TFiler* Filer) override;

    // BuildRegion, then the region (still owned by the shape).
    virtual gui::HRGN GetRegion();
    virtual void DeleteRegion();
    // The figure of Shape over the control's bounds, in the form's client
    // coordinates. Square, rounded square and circle are centred in the
    // bounds with the shorter side.
    virtual void BuildRegion();

private:
    void ReadBrushData(gui::TStream* Stream);
    void WriteBrushData(gui::TStream* Stream);

    TCombineMode FCombineMode = cmOR;
    gui::HRGN FRegion = nullptr;
};

}  // namespace shapedwin
