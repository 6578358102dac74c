// Controls: the windowless graphic control, the windowed control with its
// window procedure, child controls, mouse capture, focus and painting.
//
// Property convention (as in the graphics half): P() reads, SetP(v) writes.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "gui/base/Classes.h"
#include "gui/windows/Cursors.h"
#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"
#include "gui/windows/Messages.h"
#include "gui/base/Types.h"

namespace gui {

class TWinControl;
class TCustomForm;
namespace detail {
class WinWidget;
struct WinAccess;
}  // namespace detail

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;  // bsNone or bsSingle for controls
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TControlStyleItem {
    csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
    csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
    csDisplayDragImage, csReflector, csActionClient, csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
    csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating, csPaintCopy,
    csCustomPaint, csDestroyingHandle
};
using TControlState = TSet<TControlStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// Shift state from the MK_ flags of a mouse message.
TShiftState KeysToShiftState(WPARAM keys);
// Shift state of the keyboard right now (as last seen with input).
TShiftState GetShiftState();

// ---- TControl -------------------------------------------------------------
class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // Geometry, in the parent's client coordinates.
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    virtual void SetClientWidth(int v);
    virtual void SetClientHeight(int v);
    // Screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent (and the top-level window shown).
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* v) { FFont->Assign(v); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    String Caption() const { return FText; }
    void SetCaption(const String& v) { SetText(v); }
    String Text() const { return FText; }
    virtual void SetText(const String& v);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool v);
    const String& Hint() const { return FHint; }
    void SetHint(const String& v) { FHint = v; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v) { FShowHint = v; }

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    // The form this control lies on (null when not on one).
    TCustomForm* GetParentForm() const;

    TControlStyle& ControlStyle() { return FControlStyle; }
    const TControlStyle& ControlStyle() const { return FControlStyle; }
    void SetControlStyle(const TControlStyle& s) { FControlStyle = s; }
    TControlState& ControlState() { return FControlState; }
    const TControlState& ControlState() const { return FControlState; }

    // Mouse capture: all mouse input goes to this control until released.
    bool MouseCapture() const;
    void SetMouseCapture(bool v);

    // Messages. Perform goes straight to WindowProc; WindowProc can be replaced
    // (keep the old one to chain to) and restored.
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& Message);
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    virtual void Refresh() { Repaint(); }
    virtual void BringToFront();
    virtual void SendToBack();
    // True for controls without a window of their own.
    virtual bool IsGraphic() const { return true; }

    void Loaded() override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnResize;

    // Fired by the framework; public so that a test or an owner can drive them.
    virtual void Click();
    virtual void DblClick();

protected:
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    // Auto-size rule: the size the control wants; false to keep the given one.
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    void AdjustSize();
    virtual void Resize();
    virtual void Paint() {}
    bool IsLoading() const { return FComponentState.Contains(csLoading); }
    virtual void FontChanged(TObject* Sender);
    // Changes the caption text without notifications (for reading controls that keep their own text).
    void StoreText(const String& v) { FText = v; }
    void InvalidateControl(bool IsVisible, bool IsOpaque);
    void RequestAlign();

    // Message handlers (the framework's default handling of each message).
    virtual void WMLButtonDown(TMessage& M);
    virtual void WMLButtonUp(TMessage& M);
    virtual void WMLButtonDblClk(TMessage& M);
    virtual void WMRButtonDown(TMessage& M);
    virtual void WMRButtonUp(TMessage& M);
    virtual void WMRButtonDblClk(TMessage& M);
    virtual void WMMButtonDown(TMessage& M);
    virtual void WMMButtonUp(TMessage& M);
    virtual void WMMouseMove(TMessage& M);
    virtual void WMCancelMode(TMessage& M);
    virtual void CMMouseEnter(TMessage& M);
    virtual void CMMouseLeave(TMessage& M);
    virtual void CMFontChanged(TMessage& M);
    virtual void CMTextChanged(TMessage& M);
    virtual void CMEnabledChanged(TMessage& M);
    virtual void CMColorChanged(TMessage& M);
    virtual void CMVisibleChanged(TMessage& M);
    virtual void CMSysColorChange(TMessage& M);
    virtual void CMParentColorChanged(TMessage& M);
    virtual void CMParentFontChanged(TMessage& M);
    virtual void CMButtonPressed(TMessage& M);
    virtual void CMHitTest(TMessage& M);

    void DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Extra);
    void DoMouseUp(TMessage& M, TMouseButton Button);

    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TControlStyle FControlStyle;
    TControlState FControlState;

private:
    friend class TWinControl;
    friend struct detail::WinAccess;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clWindow;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentFont = true;
    bool FParentColor = true;
    bool FAutoSize = false;
    bool FShowHint = false;
    bool FUpdatingParentProps = false;
    TCursor FCursor = crDefault;
    String FText;
    String FHint;
    TAlign FAlign = alNone;
};

// ---- TGraphicControl ------------------------------------------------------
// No window of its own: the parent paints it (WM_PAINT with the parent's DC,
// offset to the control and clipped to it) and routes mouse input to it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }
    // Synchronous: an opaque control paints over the parent's current pixels
    // (RepaintOver); otherwise the parent first repaints the area beneath.
    void Repaint() override;
    // Synchronous, whatever the style: this control and the graphic controls
    // above it paint straight over the parent's current back-buffer pixels,
    // and the parent does not paint. For a control that keeps its own copy of
    // what lies behind it.
    void RepaintOver();
    // True while a RepaintOver of this control is painting.
    bool PaintingOver() const { return FPaintingOver; }
    void Update() override;

protected:
    virtual void WMPaint(TMessage& M);
    void Dispatch(TMessage& Message) override;

private:
    std::unique_ptr<TCanvas> FCanvas;
    bool FPaintingOver = false;
};

// ---- TWinControl ------------------------------------------------------------
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    HWND Handle() const;
    bool HandleAllocated() const { return FHandle != nullptr; }
    // The window procedure installed at creation (the start of the chain).
    LONG_PTR DefWndProc() const { return FDefWndProc; }

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // Sends a message to every child control (in z-order) until one answers non-zero.
    void Broadcast(TMessage& Message);
    // The topmost visible child at a client point (disabled ones only if asked;
    // windowed ones only if asked).
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false) const;
    bool ContainsControl(const TControl* Control) const;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetVisible(bool v) override;
    void SetParent(TWinControl* AParent) override;
    bool Showing() const override;
    bool IsGraphic() const override { return false; }

    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void InvalidateRect(const TRect& R);
    // Paints the background and the graphic children of this control into dc.
    void PaintHandler(HDC dc);
    void PaintControls(HDC dc, TControl* First);
    // Paints this control's background, own picture and graphic children
    // into dc, with this control's client (0,0) at offset (a transparent
    // windowed child draws its parent's pixels this way).
    void PaintTo(HDC dc, TPoint offset);
    // Marks the whole client area for repainting.
    void InvalidateAll();
    // Renders the pending invalid area into the back buffer now.
    void UpdateBackBuffer();
    // False: while this top-level window is hidden, Update and the controls'
    // synchronous repaints only collect the invalid area, which is painted
    // when the window is shown (or rendered). True, the default: hidden
    // windows render at once like shown ones.
    void SetPaintsWhileHidden(bool v) { FPaintsWhileHidden = v; }
    bool PaintsWhileHidden() const { return FPaintsWhileHidden; }
    // True when a repaint now would only be collected (see above).
    bool PaintDeferred() const;
    // Moves the pixels of the client area (ScrollWindow).
    void ScrollBy(int dx, int dy, const TRect* rect);

    // Focus.
    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool Focused() const;
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);
    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int v) { FTabOrder = v; }

    // Realigns the children with Align set.
    void Realign();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect&) {}
    TBrush* Brush() const { return FBrush.get(); }

    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    // Routes a mouse message to the graphic child under it (or holding capture).
    bool IsControlMouseMsg(TMessage& Message);
    // The control's own picture (after the background, before graphic children).
    virtual void PaintWindow(HDC dc);
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void DoEnter();
    virtual void DoExit();
    // The shape and state of the underlying window changed.
    virtual void VisibleChanging() {}
    void Resize() override;

    virtual void WMPaint(TMessage& M);
    virtual void WMEraseBkgnd(TMessage& M);
    virtual void WMSize(TMessage& M);
    virtual void WMMove(TMessage& M);
    virtual void WMTimer(TMessage& M);
    virtual void WMKeyDown(TMessage& M);
    virtual void WMKeyUp(TMessage& M);
    virtual void WMChar(TMessage& M);
    virtual void WMSetFocus(TMessage& M);
    virtual void WMKillFocus(TMessage& M);
    virtual void WMSysCommand(TMessage& M);
    virtual void WMNCHitTest(TMessage& M);
    virtual void WMCaptureChanged(TMessage& M);
    virtual void WMGetDlgCode(TMessage& M);
    virtual void WMMouseWheel(TMessage& M);
    virtual void WMHScroll(TMessage& M);
    virtual void WMVScroll(TMessage& M);
    virtual void WMDestroy(TMessage& M);
    virtual void CMFocusChanged(TMessage& M);
    virtual void CMEnter(TMessage& M);
    virtual void CMExit(TMessage& M);
    void CMColorChanged(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    void CMEnabledChanged(TMessage& M) override;
    void CMVisibleChanged(TMessage& M) override;
    void CMSysColorChange(TMessage& M) override;

    // The Qt side: the widget this control draws in, and a hook for the
    // standard controls that embed a native Qt widget.
    detail::WinWidget* Widget() const { return FWidget; }
    // Top-level windows (forms) override to build a frame; children are plain.
    virtual bool IsTopLevelWindow() const { return false; }
    // Puts the widget where the control's bounds say.
    virtual void ApplyGeometry();
    // The window system resized or moved the window (client size; client position).
    virtual void WindowSizeChanged(int ClientW, int ClientH);
    virtual void WindowPosChanged(int X, int Y);
    // What the platform does with a message nobody handled (DefWindowProc).
    virtual void DefWindowHandler(TMessage& Message);
    virtual LONG_PTR SetWindowLongValue(int Index, LONG_PTR Value);
    virtual LONG_PTR GetWindowLongValue(int Index) const;
    // Window style bits for GWL_STYLE / GWL_EXSTYLE.
    virtual LONG WindowStyle() const;
    virtual LONG WindowExStyle() const { return 0; }

private:
    friend class TControl;
    friend class TGraphicControl;
    friend struct detail::WinAccess;
    friend class detail::WinWidget;
    void SyncWidgetVisibility();

    std::vector<TControl*> FControls;  // z-order, bottom first
    detail::WinWidget* FWidget = nullptr;
    HWND FHandle = nullptr;
    LONG_PTR FDefWndProc = 0;
    LONG_PTR FCurrentWndProc = 0;
    std::unique_ptr<TBrush> FBrush;
    bool FTabStop = false;
    int FTabOrder = -1;
    bool FAligning = false;
    bool FPaintsWhileHidden = true;
};

// ---- TCustomControl --------------------------------------------------------
// A windowed control with a Canvas and a Paint method.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    void PaintWindow(HDC dc) override;
    void Paint() override;

private:
    std::unique_ptr<TCanvas> FCanvas;
};

// ---- Look-ups ------------------------------------------------------------------
// The control whose window is wnd.
TWinControl* FindControl(HWND wnd);
// The deepest of our windows under a screen point.
TWinControl* FindVCLWindow(const TPoint& Pos);
// The control under a screen point (graphic children included; disabled ones
// only when AllowDisabled).
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
// The control that holds the mouse capture (a graphic control captures
// through its parent's window).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);

// Asks the parent of child to paint its background and graphic children
// into dc, with the child's client (0,0) at `offset` in dc's logical space.
void PaintParentBackground(TWinControl* child, HDC dc, TPoint offset);

}  // namespace gui
