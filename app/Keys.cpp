#include "app/Keys.h"

#include <array>
#include <memory>

namespace app {

namespace {

void Hook(gui::TComponent* Component, const TWindowKeyHandler& Handler,
          const std::shared_ptr<std::array<bool, 256>>& Taken) {
    if (auto* control = dynamic_cast<gui::TWinControl*>(Component)) {
        gui::TWndMethod previous = control->WindowProc;
        control->WindowProc = [previous, Handler, Taken](gui::TMessage& M) {
            const auto vk = static_cast<gui::Word>(M.WParam);
            if (M.Msg == gui::WM_KEYDOWN && vk < Taken->size()) {
                (*Taken)[vk] = Handler(vk, gui::GetShiftState());
                if ((*Taken)[vk]) return;
            } else if (M.Msg == gui::WM_KEYUP && vk < Taken->size() && (*Taken)[vk]) {
                // A button clicks on Space's release: the handler had it.
                (*Taken)[vk] = false;
                return;
            }
            previous(M);
        };
    }
    for (int i = 0; i < Component->ComponentCount(); ++i) Hook(Component->Components(i), Handler, Taken);
}

}  // namespace

void HandleWindowKeys(gui::TWinControl* Window, TWindowKeyHandler Handler) {
    Hook(Window, Handler, std::make_shared<std::array<bool, 256>>());
}

}  // namespace app
