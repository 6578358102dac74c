#include "shapedwin/SwTransBase.h"

namespace shapedwin {

using namespace gui;

namespace {
// SC_MOVE with the caption hit-test code in the low bits: the move the
// platform runs for a press on a caption.
constexpr WPARAM kMoveByCaption = 0xF012;
}  // namespace

TSwTransBase::TSwTransBase(TComponent* AOwner) : TComponent(AOwner) {
    FForm = dynamic_cast<TCustomForm*>(AOwner);
    if (FForm == nullptr) throw Exception("Owner must be a TForm!");
    FFormHandle = FForm->Handle();
    FSelf = std::make_shared<TSwTransBase*>(this);
}

TSwTransBase::~TSwTransBase() {
    UnhookWindow();
    DeleteRegion();
    if (FSelf) *FSelf = nullptr;
}

bool TSwTransBase::IsDesigningOrLoading() const {
    const TComponentState& s = ComponentState();
    return s.Contains(csDesigning) || s.Contains(csLoading);
}

void TSwTransBase::SetActive(bool Value) {
    if (Value == FActive) return;
    FActive = Value;
    if (IsDesigningOrLoading()) return;
    if (Value)
        ApplyRegion();
    else
        RemoveRegion();
}

void TSwTransBase::SetDragable(bool Value) {
    FDragable = Value;
    if (IsDesigningOrLoading()) return;
    if (Value)
        HookWindow();
    else
        UnhookWindow();
}

void TSwTransBase::SetAlwaysOnTop(bool Value) {
    FAlwaysOnTop = Value;
    if (IsDesigningOrLoading()) return;
    if (Value)
        MakeTopmost();
    else
        MakeNotTopmost();
}

void TSwTransBase::Loaded() {
    TComponent::Loaded();
    if (ComponentState().Contains(csDesigning)) return;
    if (FDragable) HookWindow();
    if (FAlwaysOnTop) MakeTopmost();
    if (FActive) ApplyRegion();
}

void TSwTransBase::SaveRegionToStream(TStream* Stream) {
    BuildRegion();
    shapedwin::SaveRegionToStream(FRegion, Stream);
}

void TSwTransBase::SaveRegionToFile(const String& FileName) {
    BuildRegion();
    shapedwin::SaveRegionToFile(FRegion, FileName);
}

HRGN TSwTransBase::GetRegion() {
    BuildRegion();
    return FRegion;
}

void TSwTransBase::DeleteRegion() {
    if (FRegion != nullptr) DeleteRegionHandle(FRegion);
}

TPoint TSwTransBase::ClientOffset() const {
    TPoint origin{0, 0};
    if (!ClientToScreen(FFormHandle, &origin)) return TPoint{0, 0};
    return TPoint{origin.X - FForm->Left(), origin.Y - FForm->Top()};
}

void TSwTransBase::ApplyRegion() {
    FActive = true;
    TPoint d{0, 0};
    if (FForm->BorderStyle() != bsNone || ComponentState().Contains(csDesigning)) d = ClientOffset();
    HRGN region = GetRegion();
    SetFormRegion(FFormHandle, region, d.X, d.Y);
    // The window owns the region now.
    FRegion = nullptr;
}

void TSwTransBase::RemoveRegion() {
    FActive = false;
    ClearFormRegion(FFormHandle);
}

void TSwTransBase::HookWindow() {
    UnhookWindow();
    FHookWnd = FForm->Handle();
    auto state = std::make_shared<HookState>();
    state->Self = FSelf;
    state->Wnd = FHookWnd;
    FWndProcStub = MakeObjectInstance([state](TMessage& m) {
        TSwTransBase* self = *state->Self;
        if (self != nullptr && !state->PassThrough)
            self->NewWndProc(m);
        else
            m.Result = CallWindowProcA(state->OldProc, state->Wnd, m.Msg, m.WParam, m.LParam);
    });
    FOldWndProc = SetWindowLongA(FHookWnd, GWL_WNDPROC, FWndProcStub);
    if (FOldWndProc == 0) {
        FreeObjectInstance(FWndProcStub);
        FWndProcStub = 0;
        FHookWnd = nullptr;
        throw Exception("Failed to subclass window!");
    }
    state->OldProc = FOldWndProc;
    FHookState = std::move(state);
    FHooked = true;
}

void TSwTransBase::UnhookWindow() {
    if (FHooked && FWndProcStub != 0) {
        if (!IsWindow(FHookWnd)) {
            // The window is gone, and nothing can call the stub any more.
            FreeObjectInstance(FWndProcStub);
        } else if (GetWindowLongA(FHookWnd, GWL_WNDPROC) == FWndProcStub) {
            SetWindowLongA(FHookWnd, GWL_WNDPROC, FOldWndProc);
            FreeObjectInstance(FWndProcStub);
        } else {
            // Another procedure was installed over ours and still chains to
            // it: freeing the stub would break that chain, so it stays and
            // only forwards from now on.
            FHookState->PassThrough = true;
        }
    }
    FHookWnd = nullptr;
    FWndProcStub = 0;
    FOldWndProc = 0;
    FHooked = false;
    FHookState.reset();
}

void TSwTransBase::NewWndProc(TMessage& Message) {
    SelfRef self = FSelf;  // outlives this object if a handler frees it
    const HWND wnd = FHookWnd != nullptr ? FHookWnd : FFormHandle;
    Message.Result = CallWindowProcA(FOldWndProc, wnd, Message.Msg, Message.WParam, Message.LParam);
    if (*self != this) return;
    if (FDragable && !ComponentState().Contains(csDesigning) && Message.Msg == WM_LBUTTONDOWN) {
        ReleaseCapture();
        SendMessage(FFormHandle, WM_SYSCOMMAND, kMoveByCaption, 0);
    }
}

bool TSwTransBase::IsTopmost() const { return (GetWindowLongA(FFormHandle, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void TSwTransBase::MakeTopmost() {
    if (!IsTopmost()) SetWindowPos(FFormHandle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TSwTransBase::MakeNotTopmost() {
    if (IsTopmost()) SetWindowPos(FFormHandle, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace shapedwin
