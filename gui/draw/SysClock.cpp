// The millisecond clocks.
#include <chrono>

#include "gui/draw/Gdi.h"

namespace gui {


static DWORD MonotonicMs() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD GetTickCount() { return MonotonicMs(); }
DWORD timeGetTime() { return MonotonicMs(); }

}  // namespace gui
