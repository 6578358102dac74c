// The base of the custom-painted windowless controls: shared enumerations,
// the notification hooks of TSkGraphicControl, and the off-screen drawing
// image with optional transparency of TSkGraphicImageControl.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/windows/Controls.h"
#include "gui/draw/Graphics.h"
#include "gui/base/Types.h"

namespace controls {

enum TSkOrientation { voVertical, voHorizontal };
enum TSkProgressStyle { psBottomLeft, psTopRight };
enum TSkTextAlignment {
    vtaLeft, vtaCenter, vtaRight, vtaTopLeft, vtaTop, vtaTopRight, vtaBottomLeft, vtaBottom, vtaBottomRight
};
using TSkPercentInt = std::uint8_t;  // 0 .. 100
using TSkTextAngle = int;            // 0 .. 359
using TSkVersion = gui::String;      // at most 4 characters

// DrawTextA flags for a caption placed with Alignment: the placement flags
// plus DT_SINGLELINE and DT_NOPREFIX.
gui::UINT TextAlignmentFlags(TSkTextAlignment Alignment);

// The number under which the controls' hand cursor is registered.
constexpr gui::TCursor crSkHandPoint = 99;

// Loads the "SKCURSORHANDPOINT" cursor resource and registers it in the
// screen's cursor table as number 99. Only the first call does anything;
// every control constructor calls it.
void InitSkControls();

class TSkGraphicControl : public gui::TGraphicControl {
public:
    explicit TSkGraphicControl(gui::TComponent* AOwner);

    TSkVersion Version() const { return "3.72"; }

    // Repaints at once (not while loading).
    virtual void UpdateControl();
    // Lets the auto-size rule recompute the size, repainting if it changed.
    virtual void UpdateBounds();
    virtual void ReapplyBounds();

protected:
    using gui::TGraphicControl::FontChanged;

    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void FontChanged();
    virtual void TextChanged();

    void CMMouseEnter(gui::TMessage& M) override;
    void CMMouseLeave(gui::TMessage& M) override;
    void CMFontChanged(gui::TMessage& M) override;
    void CMTextChanged(gui::TMessage& M) override;

    bool Loading() const { return IsLoading(); }

    // Subclasses publish the ones they want with a using-declaration.
    gui::TNotifyEvent OnMouseEnter;
    gui::TNotifyEvent OnMouseLeave;
    gui::TNotifyEvent OnFontChanged;

private:
    void ApplyBoundsAgain();
};

class TSkGraphicImageControl : public TSkGraphicControl {
public:
    explicit TSkGraphicImageControl(gui::TComponent* AOwner);
    ~TSkGraphicImageControl() override;

    // The canvas of the drawing image, on which every subclass draws.
    gui::TCanvas* ImageCanvas() const;

    void UpdateControl() override;

    // True while the next paint captures the pixels behind the control.
    bool Grabbing() const { return FGrab; }
    // The pixels behind the control at the last capture.
    gui::TBitmap* BackgroundCopy() const { return FBackground.get(); }
    gui::TBitmap* DrawingImage() const { return FImage.get(); }

protected:
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    // Gives the drawing image its background: the cached pixels behind the
    // control when transparent, else the control's Color.
    virtual void PaintBackground();
    // Presents the drawing image on the control's canvas in one transfer.
    void Paint() override;
    void WMPaint(gui::TMessage& M) override;

private:
    std::unique_ptr<gui::TBitmap> FBackground;
    std::unique_ptr<gui::TBitmap> FImage;
    bool FGrab = true;
    bool FTransparent = false;
};

}  // namespace controls
