// The dispatch boundary: what escapes a message handler goes to the
// application's error report instead of the event loop.
#include "gui/windows/Forms.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui::detail {

void Guard(const std::function<void()>& fn) {
    try {
        fn();
    } catch (...) {
        // The report needs the application object even in a program (or a
        // test) that never made one.
        if (!Application) InitApplication();
        try {
            Application->HandleException(nullptr);
        } catch (...) {
            // A failing error report must not take the event loop down.
        }
    }
}

}  // namespace gui::detail
