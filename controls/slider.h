// A track-bar control: a thumb picture that moves along a ruler picture
// between MinValue and MaxValue. The slider and its thumb are windowed
// controls; the thumb is a child window that the slider owns.
#pragma once

#include <cstdint>
#include <memory>

#include "gui/windows/Controls.h"
#include "gui/draw/Graphics.h"

namespace controls {

enum TSliderOrientation { soHorizontal, soVertical };
enum TSliderOption { soShowFocus, soShowPoints, soSmooth };
using TSliderOptions = gui::TSet<TSliderOption>;
using TNumThumbStates = int;  // 1 or 2

// Indexes of the six pictures.
enum TSliderImage {
    siHThumb = 0, siHRuler = 1, siVThumb = 2, siVRuler = 3, siVThumbPressed = 4, siHThumbPressed = 5
};
constexpr int SliderImageCount = 6;
// The built-in picture of each index, a program resource of kind BITMAP.
const char* SliderImageResource(int Index);

// Copies Src (the whole bitmap when Src has no area; it is cut to the
// bitmap first) to (X, Y) on Canvas, leaving the destination unchanged where
// the source pixel is TransparentColor. clNone copies plainly; clDefault
// takes the colour of the bitmap's bottom-left pixel.
void DrawTransparentBitmap(gui::TCanvas* Canvas, int X, int Y, const gui::TBitmap& Bitmap, gui::TRect Src,
                           gui::TColor TransparentColor);

class TSlider;

class TSliderThumb : public gui::TCustomControl {
public:
    explicit TSliderThumb(gui::TComponent* AOwner);
    ~TSliderThumb() override;

    gui::TBitmap* Picture() const { return FPicture.get(); }
    // Takes a copy and resizes the window to one state of the picture.
    void SetPicture(gui::TBitmap* Value);
    TNumThumbStates NumStates() const { return FNumStates; }
    void SetNumStates(TNumThumbStates Value);
    bool Pressed() const { return FPressed; }
    void SetPressed(bool Value);

protected:
    void Paint() override;

private:
    void ResizeToPicture();
    std::unique_ptr<gui::TBitmap> FPicture;
    gui::TColor FColor = 16711935;  // magenta; kept for layout compatibility, never read
    bool FPressed = false;
    std::uint8_t FNumStates = 2;
};

class TSlider : public gui::TCustomControl {
public:
    static constexpr int Margin = 1;

    explicit TSlider(gui::TComponent* AOwner);
    ~TSlider() override;

    // The six pictures: nullptr restores the built-in one.
    gui::TBitmap* Image(int Index) const;
    void SetImage(int Index, gui::TBitmap* Value);
    gui::TBitmap* ImageHThumb() const { return Image(siHThumb); }
    void SetImageHThumb(gui::TBitmap* v) { SetImage(siHThumb, v); }
    gui::TBitmap* ImageHRuler() const { return Image(siHRuler); }
    void SetImageHRuler(gui::TBitmap* v) { SetImage(siHRuler, v); }
    gui::TBitmap* ImageVThumb() const { return Image(siVThumb); }
    void SetImageVThumb(gui::TBitmap* v) { SetImage(siVThumb, v); }
    gui::TBitmap* ImageVRuler() const { return Image(siVRuler); }
    void SetImageVRuler(gui::TBitmap* v) { SetImage(siVRuler, v); }
    gui::TBitmap* ImageVThumbPressed() const { return Image(siVThumbPressed); }
    void SetImageVThumbPressed(gui::TBitmap* v) { SetImage(siVThumbPressed, v); }
    gui::TBitmap* ImageHThumbPressed() const { return Image(siHThumbPressed); }
    void SetImageHThumbPressed(gui::TBitmap* v) { SetImage(siHThumbPressed, v); }
    // Bit i is set while picture i is the user's own.
    std::uint8_t UserImageMask() const { return FUserImages; }

    int EdgeSize() const { return FEdgeSize; }
    void SetEdgeSize(int Value);
    TNumThumbStates NumThumbStates() const;
    void SetNumThumbStates(TNumThumbStates Value);
    bool CurrentlySeeking() const { return FCurrentlySeeking; }
    TSliderOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TSliderOrientation Value);
    TSliderOptions Options() const { return FOptions; }
    void SetOptions(TSliderOptions Value);
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value);
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value);
    int Value() const { return FValue; }
    void SetValue(int Value);

    // Geometry, for painting and for tests.
    TSliderThumb* Thumb() const { return FThumb; }
    gui::TBitmap* Ruler() const { return FRuler.get(); }
    gui::TPoint RulerOrigin() const { return FRulerOrigin; }
    gui::TRect PointArea() const { return FPointArea; }
    // Ruler length minus thumb length along the bar.
    int TrackLength() const;
    int ValueToPixel(int Value) const;
    int PixelToValue(int Pixel) const;

    void DefineProperties(gui::TFiler* Filer) override;
    void Loaded() override;

    gui::TNotifyEvent OnChange;
    gui::TNotifyEvent OnDrawPoints;
    gui::TNotifyEvent OnStopTracking;

    // The thumb's mouse events, installed as its handlers.
    virtual void ThumbMouseDown(gui::TObject* Sender, gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y);
    virtual void ThumbMouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
    virtual void ThumbMouseUp(gui::TObject* Sender, gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y);
    // Tick marks every Increment (or a multiple, so that they stay 3 apart).
    virtual void DrawPoints(int Inc, int ShortLength, int LongLength);

protected:
    void Paint() override;
    void MouseDown(gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y) override;
    void MouseMove(gui::TShiftState Shift, int X, int Y) override;
    void MouseUp(gui::TMouseButton Button, gui::TShiftState Shift, int X, int Y) override;
    void KeyDown(gui::Word& Key, gui::TShiftState Shift) override;
    void WMTimer(gui::TMessage& M) override;
    void WMSize(gui::TMessage& M) override;
    void WMSetFocus(gui::TMessage& M) override;
    void WMKillFocus(gui::TMessage& M) override;
    void WMGetDlgCode(gui::TMessage& M) override;

private:
    void LoadBuiltIn(int Index);
    void ComposeRuler();
    void Layout();
    void Relayout();
    void MoveThumb(int Pixel);
    void SetThumbAlong(int Pixel);
    int ClickZone(int X, int Y) const;
    void RepeatStep();
    void Step(int Kind);
    void FocusChanged();
    bool Vertical() const { return FOrientation == soVertical; }
    int ThumbLength() const;

    std::uint8_t FUserImages = 0;
    std::unique_ptr<gui::TBitmap> FImages[SliderImageCount];
    int FEdgeSize = 2;
    std::unique_ptr<gui::TBitmap> FRuler;
    gui::TPoint FRulerOrigin;
    TSliderThumb* FThumb = nullptr;
    gui::TRect FPointArea;
    TSliderOrientation FOrientation = soHorizontal;
    TSliderOptions FOptions;
    bool FCurrentlySeeking = false;
    int FMinValue = 0;
    int FMaxValue = 100;
    int FIncrement = 10;
    int FValue = 0;
    int FDragOffset = 0;
    bool FFocused = false;
    bool FTracking = false;
    bool FPressed = false;
    bool FRepeating = false;
    gui::TPoint FLastPoint;
    std::uint8_t FClickZone = 0;
    bool FCreating = false;
};

}  // namespace controls
