// A progress bar that reveals part of a fill picture (gradient, tiled
// bitmap or plain colour) as separate blocks or as one smooth bar.
#pragma once

#include <memory>

#include "controls/SkClasses.h"
#include "controls/SkControls.h"
#include "gui/draw/Graphics.h"

namespace controls {

enum TSkProgressBarFill { pfPlain, pfGradient, pfBitmap };

class TSkProgressBar : public TSkGraphicImageControl {
public:
    explicit TSkProgressBar(gui::TComponent* AOwner);
    ~TSkProgressBar() override;

    TSkBevel* Bevel() const { return FBevel.get(); }
    void SetBevel(TSkBevel* Value) { FBevel->Assign(Value); }
    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value);
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value);
    int Position() const { return FPosition; }
    void SetPosition(int Value);
    TSkProgressBarFill FillType() const { return FFillType; }
    void SetFillType(TSkProgressBarFill Value);
    gui::TColor StartColor() const { return FStartColor; }
    void SetStartColor(gui::TColor Value);
    gui::TColor EndColor() const { return FEndColor; }
    void SetEndColor(gui::TColor Value);
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool Value);
    TSkOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TSkOrientation Value);
    // Stored and published; nothing reads it.
    int Step() const { return FStep; }
    void SetStep(int Value) { FStep = Value; }
    // The tile for pfBitmap; setting copies the given picture.
    gui::TBitmap* Bitmap() const { return FBitmap.get(); }
    void SetBitmap(gui::TBitmap* Value) { FBitmap->Assign(Value); }

    // The inner rectangle of the last paint and the fill picture built for it.
    gui::TRect InnerRect() const { return FInner; }
    gui::TBitmap* FillImage() const { return FFill.get(); }
    // How often the fill picture has been (re)built.
    int FillBuilds() const { return FFillBuilds; }
    // Paints run since construction.
    int Paints() const { return FPaints; }

    bool AccessibleValue(gui::TAccessibleValue& V) const override {
        V = {FMinValue, FMaxValue, FPosition};
        return true;
    }
    gui::TNotifyEvent OnChange;

protected:
    void Paint() override;
    void CMSysColorChange(gui::TMessage& M) override;

private:
    void PrepareFill(int W, int H);
    void DrawHorizontal(int Filled);
    void DrawVertical(int Filled);
    void CopyBlock(const gui::TRect& Dest, const gui::TRect& Source);
    // The filled length for the current position along the last paint's inner rectangle.
    int FilledLength() const;

    std::unique_ptr<TSkBevel> FBevel;
    int FMinValue = 0;
    int FMaxValue = 100;
    int FPosition = 100;
    TSkProgressBarFill FFillType = pfGradient;
    gui::TColor FStartColor = gui::clNavy;
    gui::TColor FEndColor = gui::clAqua;
    bool FSmooth = false;
    TSkOrientation FOrientation = voHorizontal;
    int FStep = 10;
    std::unique_ptr<gui::TBitmap> FBitmap;
    gui::TRect FInner;
    std::unique_ptr<gui::TBitmap> FFill;
    bool FDirty = false;
    int FFillBuilds = 0;
    // The filled length on screen after the last paint; -1 before the first.
    int FPaintedFilled = -1;
    int FPaints = 0;
};

}  // namespace controls
