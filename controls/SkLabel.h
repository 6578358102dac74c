// A caption control: one line of text at any angle from 0 to 359 degrees,
// raised, lowered or shadowed, optionally with the letters filled by a
// picture, optionally over the background captured behind it.
#pragma once

#include <memory>

#include "controls/SkControls.h"
#include "gui/windows/StdCtrls.h"

namespace controls {

enum TSkLabelStyle { lsNone, lsRaised, lsLowered, lsShadow };

// Where text of extent tw x th, rotated by Angle degrees, starts in a
// client area of W x H so that it lands aligned as asked.
gui::TPoint SkLabelTextOrigin(int W, int H, int tw, int th, int Angle, gui::TAlignment Alignment,
                              gui::TTextLayout Layout);

// Fills the letters of Text (drawn with Canvas's font at (X, Y)) with
// Picture stretched over R, leaving every other pixel of R as it is.
void FillTextWithPicture(gui::TCanvas* Canvas, const gui::TRect& R, int X, int Y, int Angle, const gui::TBitmap& Picture,
                         const gui::String& Text);

// Makes the canvas font a copy of itself rotated by Angle degrees.
void RotateCanvasFont(gui::TCanvas* Canvas, int Angle);

class TSkLabel : public TSkGraphicImageControl {
public:
    explicit TSkLabel(gui::TComponent* AOwner);
    ~TSkLabel() override;

    gui::TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(gui::TAlignment Value);
    gui::TTextLayout Layout() const { return FLayout; }
    void SetLayout(gui::TTextLayout Value);
    gui::TColor ColorHighlight() const { return FColorHighlight; }
    void SetColorHighlight(gui::TColor Value);
    gui::TColor ColorShadow() const { return FColorShadow; }
    void SetColorShadow(gui::TColor Value);
    TSkLabelStyle Style() const { return FStyle; }
    void SetStyle(TSkLabelStyle Value);
    int ShadowDepth() const { return FShadowDepth; }
    void SetShadowDepth(int Value);
    gui::TBitmap* Bitmap() const { return FBitmap.get(); }
    void SetBitmap(gui::TBitmap* Value);
    TSkTextAngle Angle() const { return FAngle; }
    void SetAngle(TSkTextAngle Value);
    using TSkGraphicImageControl::SetTransparent;
    using TSkGraphicImageControl::Transparent;

    // The caption's extent at the last paint or size check.
    int TextWidth() const { return FTextWidth; }
    int TextHeight() const { return FTextHeight; }
    // Where the caption started at the last paint.
    gui::TPoint TextOrigin() const { return FTextOrigin; }

    using TSkGraphicControl::OnMouseEnter;
    using TSkGraphicControl::OnMouseLeave;

protected:
    using TSkGraphicImageControl::FontChanged;
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    void FontChanged() override;
    void TextChanged() override;

private:
    gui::TSize MeasureCaption(gui::TCanvas* Canvas) const;

    gui::TAlignment FAlignment = gui::taCenter;
    gui::TTextLayout FLayout = gui::tlCenter;
    gui::TColor FColorHighlight = 16777215;
    gui::TColor FColorShadow = 8421504;
    TSkLabelStyle FStyle = lsRaised;
    int FShadowDepth = 2;
    std::unique_ptr<gui::TBitmap> FBitmap;
    TSkTextAngle FAngle = 0;
    double FAngleRad = 0;
    int FTextWidth = 0;
    int FTextHeight = 0;
    gui::TPoint FTextOrigin;
};

}  // namespace controls
