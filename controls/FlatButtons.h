// A flat push button: a thin border at rest, a raised frame while the
// pointer is over it or it has the focus, sunk while pressed. It can carry a
// glyph beside its caption, work as one of a group of toggle buttons, and
// take its colours from the parent with computed shades.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/windows/Controls.h"
#include "gui/draw/Graphics.h"

namespace controls {

enum TTransparentMode { tmAlways, tmNotFocused, tmNone };
using TAdvColors = int;  // 0 .. 100
using TNumGlyphs = int;  // 1 .. 4
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum class TFlatButtonState { Up, Disabled, Down, Exclusive };

class TFlatButton : public gui::TCustomControl {
public:
    explicit TFlatButton(gui::TComponent* AOwner);
    ~TFlatButton() override;

    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    bool UseAdvColors() const { return FUseAdvColors; }
    void SetUseAdvColors(bool Value);
    TAdvColors AdvColorFocused() const { return FAdvColorFocused; }
    void SetAdvColorFocused(TAdvColors Value);
    TAdvColors AdvColorDown() const { return FAdvColorDown; }
    void SetAdvColorDown(TAdvColors Value);
    TAdvColors AdvColorBorder() const { return FAdvColorBorder; }
    void SetAdvColorBorder(TAdvColors Value);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs Value);
    gui::TColor ColorDown() const { return FColorDown; }
    void SetColorDown(gui::TColor Value);
    gui::TColor ColorBorder() const { return FColorBorder; }
    void SetColorBorder(gui::TColor Value);
    gui::TColor ColorHighLight() const { return FColorHighLight; }
    void SetColorHighLight(gui::TColor Value);
    gui::TColor ColorShadow() const { return FColorShadow; }
    void SetColorShadow(gui::TColor Value);
    gui::TColor ColorFocused() const { return FColorFocused; }
    void SetColorFocused(gui::TColor Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    gui::TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(gui::TBitmap* Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);

    // The look state, for painting and tests.
    TFlatButtonState State() const { return FState; }
    bool Hot() const { return FHot; }
    gui::TRect TextBounds() const { return FTextBounds; }
    gui::TPoint GlyphPos() const { return FGlyphPos; }

    void Click() override;
    void DblClick() override;
    void Loaded() override;

    gui::TNotifyEvent OnMouseEnter;
    gui::TNotifyEvent OnMouseLeave;

    // Unit-wide hover state: the button that owns the 100 ms timer, and the
    // number of live buttons that keeps the timer.
    static TFlatButton* HoveredButton();
    static int InstanceCount();
    static bool HoverTimerRunning();

protected:
    void Paint() override;
    void Dispatch(gui::TMessage& M) override;
    void MouseDown(gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y) override;
    void MouseMove(gui::TShiftState Shift, int X, int Y) override;
    void MouseUp(gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y) override;
    void WMKeyDown(gui::TMessage& M) override;
    void WMKeyUp(gui::TMessage& M) override;
    void WMSetFocus(gui::TMessage& M) override;
    void WMKillFocus(gui::TMessage& M) override;
    void WMMove(gui::TMessage& M) override;
    void WMSize(gui::TMessage& M) override;
    void CMMouseEnter(gui::TMessage& M) override;
    void CMMouseLeave(gui::TMessage& M) override;
    void CMEnabledChanged(gui::TMessage& M) override;
    void CMButtonPressed(gui::TMessage& M) override;
    void CMSysColorChange(gui::TMessage& M) override;
    void CMParentColorChanged(gui::TMessage& M) override;

private:
    void CalcAdvColors();
    void NotifyGroup();
    void LayoutGlyphAndText(gui::TCanvas* Canvas, int Offset);
    void PaintBackground(gui::TBitmap* Image);
    void PaintGlyph(gui::TCanvas* Canvas, gui::TColor Transparent);
    void Enter();
    void Leave();
    void Recheck();
    void ReleaseHoverTimer();
    void HoverTick();
    bool UnderCursor() const;

    TTransparentMode FTransparentMode = tmNone;
    int FModalResult = 0;
    bool FUseAdvColors = false;
    TAdvColors FAdvColorFocused = 10;
    TAdvColors FAdvColorDown = 10;
    TAdvColors FAdvColorBorder = 50;
    gui::TRect FTextBounds;
    gui::TPoint FGlyphPos;
    TNumGlyphs FNumGlyphs = 1;
    gui::TColor FColorDown = 12965593;
    gui::TColor FColorBorder = 8623776;
    gui::TColor FColorHighLight = 16777215;
    gui::TColor FColorShadow = 0;
    gui::TColor FColorFocused = 14805739;
    int FGroupIndex = 0;
    std::unique_ptr<gui::TBitmap> FGlyph;
    bool FDown = false;
    bool FDragging = false;
    bool FAllowAllUp = false;
    TButtonLayout FLayout = blGlyphTop;
    int FSpacing = 4;
    int FMargin = -1;
    bool FHot = false;
    bool FDefault = false;
    TFlatButtonState FState = TFlatButtonState::Up;
};

}  // namespace controls
