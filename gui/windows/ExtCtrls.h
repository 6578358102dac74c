// Picture, panel, shape, paint box and timer components.
#pragma once

#include <memory>

#include "gui/windows/Controls.h"
#include "gui/windows/StdCtrls.h"

namespace gui {

// ---- TImage --------------------------------------------------------------------
// A windowless picture control (BMP or JPEG through TPicture).
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* v) { FPicture->Assign(v); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v);
    bool Center() const { return FCenter; }
    void SetCenter(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool v);
    // Where the picture is drawn, in client coordinates.
    TRect DestRect() const;

protected:
    void Paint() override;
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;
    virtual void PictureChanged(TObject* Sender);

private:
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCenter = false;
    bool FTransparent = false;
    bool FProportional = false;
};

// ---- TPanel --------------------------------------------------------------------
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Draws Width rings of a 3-D frame inside r and shrinks r by Width.
void Frame3D(TCanvas* Canvas, TRect& R, TColor TopColor, TColor BottomColor, int Width);

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* AOwner);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    void AdjustClientRect(TRect& Rect) override;

protected:
    void Paint() override;

private:
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
    TAlignment FAlignment = taCenter;
};

// ---- TShape ---------------------------------------------------------------------
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* AOwner);
    ~TShape() override;
    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType v);
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* v) { FPen->Assign(v); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* v) { FBrush->Assign(v); }

protected:
    void Paint() override;

private:
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TShapeType FShape = stRectangle;
};

// ---- TPaintBox ---------------------------------------------------------------------
class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent* AOwner);
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};

// ---- TTimer --------------------------------------------------------------------
// Fires OnTimer every Interval milliseconds while Enabled (and a handler is set).
// An exception from the handler goes to the application's error report.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned v);
    void SetOnTimer(TNotifyEvent v);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    // A resting timer keeps Enabled, Interval and its handler but asks the
    // event loop for no ticks: its owner rests it while ticks could change
    // nothing anyone sees and wakes it when they could again, so an idle
    // program does not wake up.
    bool Resting() const { return FResting; }
    void SetResting(bool v);
    // True while the timer runs (enabled, not resting, interval above 0,
    // handler set).
    bool Running() const { return FKey != 0; }
    // The timer hub's key (for the test kit).
    int TimerKey() const { return FKey; }

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    TNotifyEvent FOnTimer;
    bool FEnabled = true;
    bool FResting = false;
    unsigned FInterval = 1000;
    int FKey = 0;
};

}  // namespace gui
