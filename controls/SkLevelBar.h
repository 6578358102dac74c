// A segmented level meter: a row or column of equal ticks in three colour
// zones, lit from the start of the fill up to the current position.
#pragma once

#include <memory>

#include "controls/SkClasses.h"
#include "controls/SkControls.h"

namespace controls {

class TSkLevelBar : public TSkGraphicImageControl {
public:
    explicit TSkLevelBar(gui::TComponent* AOwner);
    ~TSkLevelBar() override;

    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value);
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value);
    int Position() const { return FPosition; }
    void SetPosition(int Value);
    // Sizes of the first two colour zones in percent of the ticks.
    int Percent1() const { return FPercent1; }
    void SetPercent1(int Value);
    int Percent2() const { return FPercent2; }
    void SetPercent2(int Value);
    TSkPalette* Palette1() const { return FPalette1.get(); }
    void SetPalette1(TSkPalette* Value) { FPalette1->Assign(Value); }
    TSkPalette* Palette2() const { return FPalette2.get(); }
    void SetPalette2(TSkPalette* Value) { FPalette2->Assign(Value); }
    TSkPalette* Palette3() const { return FPalette3.get(); }
    void SetPalette3(TSkPalette* Value) { FPalette3->Assign(Value); }
    TSkBevel* Bevel() const { return FBevel.get(); }
    void SetBevel(TSkBevel* Value) { FBevel->Assign(Value); }
    TSkOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TSkOrientation Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    int TickHeight() const { return FTickHeight; }
    void SetTickHeight(int Value);
    TSkProgressStyle Style() const { return FStyle; }
    void SetStyle(TSkProgressStyle Value);
    // Stored and published; nothing reads it.
    int Step() const { return FStep; }
    void SetStep(int Value) { FStep = Value; }

    // The layout of the last paint: the area inside the bevel and the ticks.
    gui::TRect InnerRect() const { return FInner; }
    int TickCount() const { return FCount; }
    // Paints run since construction (what a setter that changes no pixel
    // must not add to).
    int Paints() const { return FPaints; }

    // Keeps the tick area in step with the bounds between paints.
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    bool AccessibleValue(gui::TAccessibleValue& V) const override {
        V = {FMinValue, FMaxValue, FPosition};
        return true;
    }
    gui::TNotifyEvent OnChange;
    gui::TNotifyEvent OnMinValue;
    gui::TNotifyEvent OnMaxValue;

    void UpdateControl() override;

protected:
    void Paint() override;
    void CMColorChanged(gui::TMessage& M) override;

private:
    void BevelChanged();
    // Fits the control to a whole number of ticks.
    void Layout();
    // Draws ticks From..To (1-based) as a full paint draws them.
    void DrawTicks(int From, int To);
    // True when the drawing image holds the last paint and only the
    // position changed since: the ticks between the two levels are all
    // that differ.
    bool OnlyTicksChanged() const;
    // The lit ticks for the current position with the last paint's count.
    int LitTicks() const;

    int FMinValue = 0;
    int FMaxValue = 100;
    int FPosition = 0;
    int FPercent1 = 60;
    int FPercent2 = 25;
    std::unique_ptr<TSkPalette> FPalette1;
    std::unique_ptr<TSkPalette> FPalette2;
    std::unique_ptr<TSkPalette> FPalette3;
    std::unique_ptr<TSkBevel> FBevel;
    TSkOrientation FOrientation = voVertical;
    int FSpacing = 1;
    int FTickHeight = 1;
    TSkProgressStyle FStyle = psBottomLeft;
    int FStep = 10;
    gui::TRect FInner;
    int FPitch = 2;
    int FCount = 0;
    bool FInLayout = false;
    // Lit ticks on screen after the last paint; -1 before the first.
    int FPaintedLit = -1;
    // A repaint asked for by a position change alone, and whether the
    // drawing image is still what the last paint left (size included).
    bool FTicksOnly = false;
    bool FImageCurrent = false;
    int FImageWidth = 0;
    int FImageHeight = 0;
    int FPaints = 0;
};

}  // namespace controls
