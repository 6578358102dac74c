#include "controls/slider.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "controls/SkSysUtils.h"
#include "gui/windows/Forms.h"

namespace controls {

using namespace gui;

namespace {

constexpr TColor RulerTransparent = 32896;  // olive: the ruler's background
constexpr UINT RepeatTimerId = 1;
constexpr UINT RepeatInterval = 400;

const char* const ResourceNames[SliderImageCount] = {"W95_HTB", "W95_HRL", "W95_VTB",
                                                      "W95_VRL", "W95_VTBP", "W95_HTBP"};

int ClampInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool Loading(const TComponent* c) {
    return c->ComponentState().Contains(csLoading) || c->ComponentState().Contains(csReading);
}

}  // namespace

const char* SliderImageResource(int Index) {
    return Index >= 0 && Index < SliderImageCount ? ResourceNames[Index] : "";
}

void DrawTransparentBitmap(TCanvas* Canvas, int X, int Y, const TBitmap& Bitmap, TRect Src, TColor TransparentColor) {
    if (!Canvas || Bitmap.Empty()) return;
    const TRect whole = Rect(0, 0, Bitmap.Width(), Bitmap.Height());
    if (Src.Width() == 0 || Src.Height() == 0) Src = whole;
    TRect cut;
    if (!IntersectRect(&cut, &Src, &whole)) return;
    // Cutting the left or top edge moves the drawing with it.
    X += cut.Left - Src.Left;
    Y += cut.Top - Src.Top;
    HDC src = Bitmap.ReadCanvas()->Handle();
    HDC dst = Canvas->Handle();
    if (TransparentColor == clNone) {
        BitBlt(dst, X, Y, cut.Width(), cut.Height(), src, cut.Left, cut.Top, SRCCOPY);
        return;
    }
    TColor key = TransparentColor == clDefault ? Bitmap.ReadCanvas()->Pixels(0, whole.Bottom - 1)
                                               : ColorToRGB(TransparentColor);
    TransparentBlt(dst, X, Y, cut.Width(), cut.Height(), src, cut.Left, cut.Top, cut.Width(), cut.Height(),
                   static_cast<UINT>(ColorToRGB(key)));
}

// ---- TSliderThumb ---------------------------------------------------------------

TSliderThumb::TSliderThumb(TComponent* AOwner) : TCustomControl(AOwner), FPicture(std::make_unique<TBitmap>()) {
    SetControlStyle(TControlStyle{csCaptureMouse});
}

TSliderThumb::~TSliderThumb() = default;

void TSliderThumb::SetPicture(TBitmap* Value) {
    if (Value != FPicture.get()) FPicture->Assign(Value);
    ResizeToPicture();
    Invalidate();
}

void TSliderThumb::SetNumStates(TNumThumbStates Value) {
    Value = std::clamp(Value, 1, 2);
    if (Value == FNumStates) return;
    FNumStates = static_cast<std::uint8_t>(Value);
    ResizeToPicture();
    Invalidate();
}

void TSliderThumb::SetPressed(bool Value) {
    if (Value == FPressed) return;
    FPressed = Value;
    Repaint();
}

void TSliderThumb::ResizeToPicture() {
    SetBounds(Left(), Top(), FPicture->Width() / FNumStates, FPicture->Height());
}

void TSliderThumb::Paint() {
    const int w = FPicture->Width(), h = FPicture->Height();
    TRect src = Rect(0, 0, w, h);
    if (FNumStates > 1) src = FPressed ? Rect(w / 2, 0, w, h) : Rect(0, 0, w / 2, h);
    DrawTransparentBitmap(Canvas(), 0, 0, *FPicture, src, clDefault);
}

// ---- TSlider ---------------------------------------------------------------------

TSlider::TSlider(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents});
    FCreating = true;
    SetBounds(Left(), Top(), 140, 40);
    FOrientation = soHorizontal;
    FOptions = TSliderOptions{soShowFocus, soShowPoints, soSmooth};
    FEdgeSize = 2;
    FMinValue = 0;
    FMaxValue = 100;
    FIncrement = 10;
    SetTabStop(true);
    FRuler = std::make_unique<TBitmap>();
    FRuler->SetPixelFormat(pf24bit);
    FThumb = new TSliderThumb(this);
    FThumb->SetParent(this);
    FThumb->SetNumStates(2);
    FThumb->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        ThumbMouseDown(s, b, sh, x, y);
    };
    FThumb->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { ThumbMouseMove(s, sh, x, y); };
    FThumb->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        ThumbMouseUp(s, b, sh, x, y);
    };
    for (int i = 0; i < SliderImageCount; ++i) SetImage(i, nullptr);
    Layout();
    FCreating = false;
}

TSlider::~TSlider() {
    if (FRepeating && HandleAllocated()) KillTimer(Handle(), RepeatTimerId);
}

TBitmap* TSlider::Image(int Index) const {
    return Index >= 0 && Index < SliderImageCount ? FImages[Index].get() : nullptr;
}

void TSlider::LoadBuiltIn(int Index) { FImages[Index]->LoadFromResourceName(ResourceNames[Index]); }

void TSlider::SetImage(int Index, TBitmap* Value) {
    if (Index < 0 || Index >= SliderImageCount) return;
    if (!FImages[Index]) FImages[Index] = std::make_unique<TBitmap>();
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << Index);
    if (Value) {
        if (Value != FImages[Index].get()) FImages[Index]->Assign(Value);
        FUserImages |= bit;
    } else {
        LoadBuiltIn(Index);
        FUserImages &= static_cast<std::uint8_t>(~bit);
    }
    if (Index == (Vertical() ? siVThumb : siHThumb)) FThumb->SetPicture(FImages[Index].get());
    if (!FCreating) Relayout();
}

void TSlider::SetEdgeSize(int Value) {
    TBitmap* p = Vertical() ? FImages[siVRuler].get() : FImages[siHRuler].get();
    const int length = Vertical() ? p->Height() : p->Width();
    // A negative edge would copy from outside the picture.
    if (Value < 0 || 2LL * Value >= length || Value == FEdgeSize) return;
    FEdgeSize = Value;
    if (!FCreating) Relayout();
}

TNumThumbStates TSlider::NumThumbStates() const { return FThumb->NumStates(); }

void TSlider::SetNumThumbStates(TNumThumbStates Value) {
    if (Value == FThumb->NumStates()) return;
    FThumb->SetNumStates(Value);
    // The track length depends on the thumb's size.
    if (!FCreating && !Loading(this)) Relayout();
}

void TSlider::SetOrientation(TSliderOrientation Value) {
    if (Value == FOrientation) return;
    FOrientation = Value;
    FThumb->SetPicture(FImages[Vertical() ? siVThumb : siHThumb].get());
    Relayout();
}

void TSlider::SetOptions(TSliderOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    Invalidate();
}

void TSlider::SetMinValue(int Value) {
    if (Value == FMinValue || static_cast<long long>(Value) > static_cast<long long>(FMaxValue) - FIncrement) return;
    FMinValue = Value;
    if (FOptions.Contains(soShowPoints)) Invalidate();
}

void TSlider::SetMaxValue(int Value) {
    if (Value == FMaxValue || static_cast<long long>(Value) < static_cast<long long>(FMinValue) + FIncrement) return;
    FMaxValue = Value;
    if (FOptions.Contains(soShowPoints)) Invalidate();
}

void TSlider::SetIncrement(int Value) {
    if (Value <= 0 || Value == FIncrement) return;
    FIncrement = Value;
    SetValue(FValue);
    Invalidate();
}

void TSlider::SetValue(int Value) {
    if (FCurrentlySeeking) return;
    Value = std::min(Value, FMaxValue);
    Value = std::max(Value, FMinValue);
    const int old = FValue;
    FValue = Value;
    SetThumbAlong(ValueToPixel(Value));
    if (Value != old && OnChange) OnChange(this);
}

int TSlider::ThumbLength() const {
    if (!FThumb) return 0;
    return Vertical() ? FThumb->Height() : FThumb->Width();
}

int TSlider::TrackLength() const {
    if (!FRuler) return 0;
    return (Vertical() ? FRuler->Height() : FRuler->Width()) - ThumbLength();
}

int TSlider::ValueToPixel(int Value) const {
    const long long range = static_cast<long long>(FMaxValue) - FMinValue;
    long long p = 0;
    if (range > 0)
        p = RoundHalfEven(static_cast<long double>(TrackLength()) * (static_cast<long long>(Value) - FMinValue) / range);
    p += Margin;
    if (Vertical()) p = static_cast<long long>(ClientHeight()) - p - (FThumb ? FThumb->Height() : 0);
    return ClampInt(p);
}

int TSlider::PixelToValue(int Pixel) const {
    long long p = Pixel;
    if (Vertical()) p = static_cast<long long>(ClientHeight()) - p - (FThumb ? FThumb->Height() : 0);
    const int t = TrackLength();
    const long long range = static_cast<long long>(FMaxValue) - FMinValue;
    long long x = 0;
    if (t > 0) x = RoundHalfEven(static_cast<long double>(p - Margin) * range / t);
    if (!FOptions.Contains(soSmooth)) x = (x / FIncrement) * FIncrement;
    return ClampInt(x + FMinValue);
}

void TSlider::SetThumbAlong(int Pixel) {
    if (!FThumb) return;
    if (Vertical())
        FThumb->SetTop(Pixel);
    else
        FThumb->SetLeft(Pixel);
}

void TSlider::MoveThumb(int Pixel) {
    const int t = TrackLength();
    Pixel = std::min(Pixel, Margin + t);
    Pixel = std::max(Pixel, Margin);
    int v = PixelToValue(Pixel);
    // Snapping goes through the value once: reading the value back from the
    // snapped pixel could land one increment lower than the thumb shows.
    if (!FOptions.Contains(soSmooth)) Pixel = ValueToPixel(v);
    SetThumbAlong(Pixel);
    if (FTracking) {
        if (v != FValue) {
            FValue = v;
            if (OnChange) OnChange(this);
        }
    }
}

void TSlider::ComposeRuler() {
    TBitmap* p = FImages[Vertical() ? siVRuler : siHRuler].get();
    if (!p || !FRuler) return;
    const int pw = p->Width(), ph = p->Height();
    int rw, rh;
    if (Vertical()) {
        rw = pw;
        rh = std::max(0, Height() - 2 * Margin);
    } else {
        rw = std::max(0, std::max(0, Width()) - 2 * Margin);
        rh = ph;
    }
    FRuler->SetSize(rw, rh);
    if (rw == 0 || rh == 0 || p->Empty()) return;
    HDC dst = FRuler->Canvas()->Handle();
    HDC src = p->Canvas()->Handle();
    // Copies picture span [from, from + len) to ruler span [at, at + len).
    auto piece = [&](int at, int from, int len) {
        if (len <= 0) return;
        if (Vertical())
            BitBlt(dst, 0, at, pw, len, src, 0, from, SRCCOPY);
        else
            BitBlt(dst, at, 0, len, ph, src, from, 0, SRCCOPY);
    };
    const int L = Vertical() ? rh : rw;
    const int S = Vertical() ? ph : pw;
    const int E = FEdgeSize;
    const int a = L - 2 * E, s = S - 2 * E;
    if (s <= 0) {
        // A user picture too short for the edges: repeat it whole.
        for (int at = 0; at < L; at += S) piece(at, 0, std::min(S, L - at));
        return;
    }
    const int n = a / s, r = a % s;
    piece(0, 0, S - E);
    for (int i = 1; i < n; ++i) piece(E + i * s, E, s);
    if (n >= 1) piece(E + n * s, E + s - r, L - (E + n * s));
}

void TSlider::Layout() {
    if (!FThumb || !FRuler) return;
    ComposeRuler();
    const int rw = FRuler->Width(), rh = FRuler->Height();
    const int tw = FThumb->Width(), th = FThumb->Height();
    if (!Vertical()) {
        FThumb->SetBounds(Margin, rh - th + Margin + 1, tw, th);
        FRulerOrigin = Point(Margin, Margin);
        FPointArea = Rect(Margin, rh + Margin + 1, Margin + rw, Height() - 1);
    } else if (rw < tw) {
        FThumb->SetBounds(Margin, Margin, tw, th);
        FRulerOrigin = Point((tw - rw) / 2 + Margin, Margin);
        FPointArea = Rect(tw + Margin + 1, Margin, Width() - 1, Margin + rh);
    } else {
        FThumb->SetBounds((rw - tw) / 2 + Margin, Margin, tw, th);
        FRulerOrigin = Point(Margin, Margin);
        FPointArea = Rect(rw + Margin + 1, Margin, Width() - 1, Margin + rh);
    }
    SetValue(FValue);
}

void TSlider::Relayout() {
    Layout();
    Invalidate();
}

void TSlider::WMSize(TMessage& M) {
    TCustomControl::WMSize(M);
    if (!FCreating && !Loading(this)) Relayout();
}

void TSlider::FocusChanged() {
    const bool f = Focused();
    if (f == FFocused) return;
    FFocused = f;
    if (FOptions.Contains(soShowFocus)) Invalidate();
}

void TSlider::WMSetFocus(TMessage& M) {
    TCustomControl::WMSetFocus(M);
    FocusChanged();
}

void TSlider::WMKillFocus(TMessage& M) {
    TCustomControl::WMKillFocus(M);
    FocusChanged();
}

void TSlider::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS; }

void TSlider::ThumbMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    SetFocus();
    if (Button != mbLeft) return;
    FDragOffset = Vertical() ? Y : X;
    FThumb->SetPicture(FImages[Vertical() ? siVThumbPressed : siHThumbPressed].get());
    Relayout();
    FCurrentlySeeking = true;
    FTracking = true;
    FThumb->SetPressed(true);
}

void TSlider::ThumbMouseMove(TObject*, TShiftState, int X, int Y) {
    if (!FThumb->ControlState().Contains(csLButtonDown)) return;
    const int x = FThumb->Left() + X, y = FThumb->Top() + Y;
    MoveThumb((Vertical() ? y : x) - FDragOffset);
}

void TSlider::ThumbMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    FThumb->SetPicture(FImages[Vertical() ? siVThumb : siHThumb].get());
    auto finish = [this] {
        FCurrentlySeeking = false;
        FTracking = false;
        FThumb->SetPressed(false);
    };
    // The handler sees the drag still on; a failing handler must not leave it on.
    try {
        if (OnStopTracking) OnStopTracking(this);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

int TSlider::ClickZone(int X, int Y) const {
    if (!Vertical()) {
        if (X < FThumb->Left()) return 4;
        if (X >= FThumb->Left() + FThumb->Width()) return 3;
        return 0;
    }
    if (Y < FThumb->Top()) return 3;
    if (Y >= FThumb->Top() + FThumb->Height()) return 4;
    return 0;
}

void TSlider::Step(int Kind) {
    const long long v = FValue, inc = FIncrement;
    switch (Kind) {
        case 1: SetValue(FMinValue); break;
        case 2: SetValue(FMaxValue); break;
        case 3: SetValue(ClampInt((v / inc + 1) * inc)); break;
        case 4: SetValue(ClampInt((v / inc - 1) * inc)); break;
        default: break;
    }
}

void TSlider::RepeatStep() {
    if (ClickZone(FLastPoint.X, FLastPoint.Y) == FClickZone) Step(FClickZone);
    if (!FRepeating && HandleAllocated()) {
        SetTimer(Handle(), RepeatTimerId, RepeatInterval);
        FRepeating = true;
    }
}

void TSlider::WMTimer(TMessage& M) {
    if (M.WParam == RepeatTimerId && FRepeating) {
        RepeatStep();
        return;
    }
    TCustomControl::WMTimer(M);
}

void TSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || Shift.Contains(ssDouble)) return;
    SetFocus();
    SetMouseCapture(true);
    FPressed = true;
    FLastPoint = Point(X, Y);
    FClickZone = static_cast<std::uint8_t>(ClickZone(X, Y));
    RepeatStep();
}

void TSlider::MouseMove(TShiftState Shift, int X, int Y) {
    if (FPressed) FLastPoint = Point(X, Y);
    TCustomControl::MouseMove(Shift, X, Y);
}

void TSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FPressed) {
        if (FRepeating) {
            KillTimer(Handle(), RepeatTimerId);
            FRepeating = false;
        }
        FPressed = false;
        SetMouseCapture(false);
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TSlider::KeyDown(Word& Key, TShiftState Shift) {
    if (!Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl)) {
        int step = 0;
        switch (Key) {
            case VK_HOME: step = 1; break;
            case VK_END: step = 2; break;
            case VK_LEFT: step = Vertical() ? 0 : 4; break;
            case VK_RIGHT: step = Vertical() ? 0 : 3; break;
            case VK_UP: step = Vertical() ? 3 : 0; break;
            case VK_DOWN: step = Vertical() ? 4 : 0; break;
            default: break;
        }
        if (step) {
            Step(step);
            Key = 0;
        }
    }
    TCustomControl::KeyDown(Key, Shift);
}

void TSlider::Paint() {
    TCanvas* c = Canvas();
    if (FRuler->Width() > 0) DrawTransparentBitmap(c, FRulerOrigin.X, FRulerOrigin.Y, *FRuler, TRect{}, RulerTransparent);
    if (FOptions.Contains(soShowFocus) && FFocused && !ComponentState().Contains(csDesigning)) {
        TRect r = ClientRect();
        InflateRect(&r, -2, -2);
        c->DrawFocusRect(r);
    }
    if (FOptions.Contains(soShowPoints)) {
        if (OnDrawPoints)
            OnDrawPoints(this);
        else
            DrawPoints(FIncrement, 3, 4);
    }
}

void TSlider::DrawPoints(int Inc, int ShortLength, int LongLength) {
    const long long t = TrackLength();
    const long long range = static_cast<long long>(FMaxValue) - FMinValue;
    if (Inc <= 0 || t <= 0 || range < 0) return;
    // Marks must end up at most (t + 3) / 4 in number for a gap of 3, so the
    // search can start where fewer increments could not possibly fit.
    const long long fit = std::max<long long>(1, (t + 3) / 4);
    long long k = std::max<long long>(1, range / (static_cast<long long>(Inc) * fit));
    long long step = Inc;
    for (;; ++k) {
        step = static_cast<long long>(Inc) * k;
        const long long n = range / step + 1;
        const long long gap = n > 1 ? (t - n) / (n - 1) : t;
        if (gap >= 3 || gap == t) break;
    }
    TCanvas* c = Canvas();
    for (long long v = FMinValue; v <= FMaxValue; v += step) {
        const int len = (v == FMinValue || v == FMaxValue) ? LongLength : ShortLength;
        const int p = ValueToPixel(static_cast<int>(v));
        if (!Vertical()) {
            const int x = p + FThumb->Width() / 2;
            c->Rectangle(x, FPointArea.Top, x + 1, FPointArea.Top + len);
        } else {
            const int y = p + FThumb->Height() / 2;
            c->Rectangle(FPointArea.Left, y, FPointArea.Left + len, y + 1);
        }
    }
}

void TSlider::DefineProperties(TFiler* Filer) {
    TCustomControl::DefineProperties(Filer);
    auto* ancestor = dynamic_cast<TSlider*>(Filer->Ancestor());
    const bool hasData = ancestor ? FUserImages != ancestor->FUserImages : FUserImages != 0;
    Filer->DefineBinaryProperty(
        "UserImages",
        [this](TStream* s) {
            std::uint8_t b = 0;
            s->ReadBuffer(&b, 1);
            FUserImages = b;
        },
        [this](TStream* s) { s->WriteBuffer(&FUserImages, 1); }, hasData);
}

void TSlider::Loaded() {
    TCustomControl::Loaded();
    for (int i = 0; i < SliderImageCount; ++i)
        if (FUserImages & (1u << i)) SetImage(i, FImages[i].get());
    Relayout();
}

}  // namespace controls
