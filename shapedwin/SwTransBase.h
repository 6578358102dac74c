// The non-visual component that shapes its form: it cuts the window to a
// region (Active), lets the user move the window by pressing the left button
// anywhere on it (Dragable) and can keep it above other windows (AlwaysOnTop).
#pragma once

#include <memory>

#include "gui/base/Classes.h"
#include "gui/windows/Forms.h"
#include "gui/windows/Messages.h"
#include "shapedwin/SwRegionAPI.h"

namespace shapedwin {

class TSwTransBase : public gui::TComponent {
public:
    // The owner must be a form: "Owner must be a TForm!" otherwise.
    explicit TSwTransBase(gui::TComponent* AOwner);
    ~TSwTransBase() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    bool Dragable() const { return FDragable; }
    // Acts on every call, equal value or not: True reinstalls the hook.
    void SetDragable(bool Value);
    bool AlwaysOnTop() const { return FAlwaysOnTop; }
    void SetAlwaysOnTop(bool Value);

    // Rebuilds the region held in FRegion.
    virtual void BuildRegion() = 0;
    // BuildRegion, then the region in the saved-region format.
    virtual void SaveRegionToStream(gui::TStream* Stream);
    virtual void SaveRegionToFile(const gui::String& FileName);

    // Hook, topmost and region as the properties say, once the form is built.
    void Loaded() override;

    // BuildRegion, then the region (still owned by this component).
    gui::HRGN GetRegion();
    void DeleteRegion();

    // Builds the region and gives it to the window (moved past a frame).
    void ApplyRegion();
    // The window gets its whole rectangle back.
    void RemoveRegion();

    // Subclasses the form's window; "Failed to subclass window!" when refused.
    void HookWindow();
    // Restores the form's window procedure; safe in every state.
    void UnhookWindow();
    bool Hooked() const { return FHooked; }

    void MakeTopmost();
    void MakeNotTopmost();
    bool IsTopmost() const;

    gui::TCustomForm* Form() const { return FForm; }
    gui::HWND FormHandle() const { return FFormHandle; }
    // Where the client area lies within the window: the shift that moves a
    // region built in client coordinates past a frame and caption.
    gui::TPoint ClientOffset() const;

protected:
    bool IsDesigningOrLoading() const;
    // The hooked window's procedure: the message is handled normally first;
    // a left-button press then starts moving the window while Dragable.
    virtual void NewWndProc(gui::TMessage& Message);

    gui::HRGN FRegion = nullptr;

private:
    // Points at this component until it is destroyed. The installed stub and
    // a message on its way through NewWndProc keep a copy, so that a handler
    // that unhooks or frees the component does not leave them dangling.
    using SelfRef = std::shared_ptr<TSwTransBase*>;
    struct HookState {
        SelfRef Self;
        gui::HWND Wnd = nullptr;
        gui::LONG_PTR OldProc = 0;
        bool PassThrough = false;  // left inside another hook's chain: only forwards
    };

    bool FActive = true;
    bool FDragable = true;
    bool FAlwaysOnTop = false;
    gui::HWND FHookWnd = nullptr;
    gui::LONG_PTR FWndProcStub = 0;
    gui::LONG_PTR FOldWndProc = 0;
    bool FHooked = false;
    gui::TCustomForm* FForm = nullptr;
    gui::HWND FFormHandle = nullptr;
    SelfRef FSelf;
    std::shared_ptr<HookState> FHookState;
};

}  // namespace shapedwin
