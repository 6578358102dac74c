// Forms (top-level windows), the application object with its event loop and
// error report, and the screen object with its cursor table.
//
// Window geometry: a form's Width and Height are its outside size, with the
// frame the classic platform drew (4 pixels a side for a sizeable border, 3
// for a single or dialog border, plus a 19-pixel caption). The window system
// draws its own frame here, so the client area is the outside size less that
// frame, and Left/Top place the client area on the screen.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include "gui/windows/Controls.h"

namespace gui {

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter, poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TExceptionEvent = std::function<void(TObject* Sender, Exception& E)>;

// The frame the classic platform drew around a form's client area.
struct TFrameMetrics {
    int Border = 0;   // each side
    int Caption = 0;  // above the client area
};
TFrameMetrics FrameMetrics(TFormBorderStyle Style);

// ---- TCustomForm / TForm ------------------------------------------------------
class TCustomForm : public TCustomControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons v);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState v);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle v);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v) { FModalResult = v; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* v);
    bool Active() const;
    // Always on top (SetWindowPos with HWND_TOPMOST, or fsStayOnTop).
    bool Topmost() const { return FTopmost || FFormStyle == fsStayOnTop; }
    void SetTopmost(bool v);
    // The window has a region: frame and caption are gone.
    bool HasWindowRegion() const { return FHasRegion; }
    // Whether the window has an entry of its own in the taskbar and the
    // pager (true by default). The program's secondary windows turn it off,
    // so the program shows one entry. Takes effect when the window is next
    // shown.
    bool ShowInTaskbar() const { return FShowInTaskbar; }
    void SetShowInTaskbar(bool v);
    // The name the desktop shows for the window (title bar, taskbar, window
    // switcher): the caption, but a taskbar form whose caption is never drawn
    // (no border, or a region cutting the frame away) stands there for the
    // application and goes by its Title, as the application's own taskbar
    // button did on the system these windows come from.
    String WindowSystemTitle() const;

    void SetVisible(bool v) override;
    void BringToFront() override;
    void SendToBack() override;
    void Show();
    void Hide();
    // Shows the form and runs the event loop until ModalResult is set.
    TModalResult ShowModal();
    // OnCloseQuery, then OnClose; a secondary form hides, the main form ends the program.
    void Close();
    virtual bool CloseQuery();
    // Frees the form on a later turn of the event loop (safe from its own handlers).
    void Release();

    // Called by EndLoading (once the layout is built) or by CreateForm: fires OnCreate once.
    void EndLoading() override;
    void DoCreate();
    void DoDestroy();

    // Focus bookkeeping: a control of this form got the focus.
    void FocusedControlChanged(TWinControl* Control);
    // Applies a window region (owned by the form afterwards); null removes it.
    void ApplyWindowRegion(HRGN Region);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    bool IsTopLevelWindow() const override { return true; }
    void ApplyGeometry() override;
    void WindowSizeChanged(int ClientW, int ClientH) override;
    void WindowPosChanged(int X, int Y) override;
    LONG WindowStyle() const override;
    LONG WindowExStyle() const override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    void CMTextChanged(TMessage& M) override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    void ApplyWindowFlags();
    void ApplyWindowTitle();

private:
    friend struct detail::WinAccess;
    // The window system changed the state; the window already shows it.
    void WindowStateChangedBySystem(TWindowState v) { FWindowState = v; }

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    TFormStyle FFormStyle = fsNormal;
    TModalResult FModalResult = mrNone;
    TWinControl* FActiveControl = nullptr;
    bool FShowInTaskbar = true;
    bool FTopmost = false;
    bool FHasRegion = false;
    bool FCreated = false;
    bool FDestroyed = false;
    bool FModal = false;
    bool FPlaced = false;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// ---- TApplication -------------------------------------------------------------
class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Creates a form owned by the application. The reference is set before
    // the form's constructor runs (handlers may use it); the first form
    // created becomes the main form.
    template <typename T>
    T* CreateForm(T** Reference = nullptr) {
        void* mem = ::operator new(sizeof(T));
        T* instance = static_cast<T*>(mem);
        if (Reference) *Reference = instance;
        try {
            new (mem) T(this);
        } catch (...) {
            ::operator delete(mem);
            if (Reference) *Reference = nullptr;
            throw;
        }
        FormCreated(instance);
        return instance;
    }

    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* f) { FMainForm = f; }
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool v) { FShowMainForm = v; }
    const String& Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }

    // Shows the main form and runs the event loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    void ProcessMessages();
    void Minimize();
    void Restore();

    // The default error report for the exception being handled: OnException
    // when set, else a message box with the message. Call from a catch block.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    int MessageBox(const String& Text, const String& Caption, int Flags = 0);

    TExceptionEvent OnException;

private:
    void FormCreated(TCustomForm* form);
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FRunning = false;
    bool FShowMainForm = true;
    String FTitle = "korvane";
};

// ---- TScreen ------------------------------------------------------------------
// The numbered cursor table: Screen->Cursors[99] = LoadCursor(HInstance, "X").
class TCursorTable {
public:
    HCURSOR& operator[](TCursor Index) { return FTable[Index]; }
    HCURSOR Find(TCursor Index) const;

private:
    std::map<TCursor, HCURSOR> FTable;
};

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    int Width() const;
    int Height() const;
    // A cursor for the whole application (crHourGlass while busy); crDefault
    // lets each control show its own.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);
    TCursorTable Cursors;

    int FormCount() const { return static_cast<int>(FForms.size()); }
    TCustomForm* Forms(int Index) const { return FForms.at(static_cast<size_t>(Index)); }
    TCustomForm* ActiveForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const;

private:
    friend class TCustomForm;
    TCursor FCursor = crDefault;
    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
};

// The program's application and screen objects (created on first use of any
// control, or by InitApplication).
extern TApplication* Application;
extern TScreen* Screen;
void InitApplication();

// The program's identity towards the desktop, given before the first form is
// created. Name: the application name, the window class the desktop groups
// the windows by (X11 WM_CLASS class). DesktopId: the installed desktop
// entry's id without ".desktop" (the Wayland app id). IconKind: the resource
// kind whose pictures (one per size, PNG or BMP) make the window icon.
struct TDesktopIdentity {
    String Name;
    String DesktopId;
    String IconKind;
};
void SetDesktopIdentity(const TDesktopIdentity& Identity);
// Frees every form and the application objects (end of the program).
void DoneApplication();

// Ends the program at once: no further events are handled. Replaceable so
// that tests can observe it.
using THaltHandler = std::function<void(int ExitCode)>;
THaltHandler SetHaltHandler(THaltHandler Handler);
[[noreturn]] void Halt(int ExitCode);
// Thrown by a test's halt handler to unwind without reporting.
class EHalt : public Exception {
public:
    explicit EHalt(int code) : Exception("Halt"), Code(code) {}
    int Code;
};
// Silent exception: leaves a handler without an error report.
class EAbort : public Exception {
    using Exception::Exception;
};
[[noreturn]] void Abort();

// Windows-style calls on top-level windows.
int SetWindowRgn(HWND wnd, HRGN rgn, bool redraw);

}  // namespace gui
