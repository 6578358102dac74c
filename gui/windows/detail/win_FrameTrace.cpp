// Frame timing: waiters on a top-level window's next frame, and wheel turns
// timed until their frame is handed over.
#include <QMetaObject>
#include <QPaintEvent>

#include <algorithm>
#include <chrono>

#include "gui/windows/FrameTrace.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui {

std::int64_t FrameClockNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {
// Waiters not yet served, over all windows: every paint event asks, and
// almost always there is none.
std::size_t gWaiting = 0;

std::function<void(double, const TFrameInfo&)>& WheelHook() {
    static std::function<void(double, const TFrameInfo&)> hook;
    return hook;
}
}  // namespace

void SetWheelFrameHook(std::function<void(double Ms, const TFrameInfo&)> Hook) { WheelHook() = std::move(Hook); }

void AfterNextFrame(TWinControl* Window, std::function<void(const TFrameInfo&)> Done) {
    detail::WinWidget* w = detail::WinWidgetOf(Window);
    if (!w || !Done) return;
    auto* top = dynamic_cast<detail::WinWidget*>(w->window());
    if (!top) return;
    top->frameWaiters.push_back(std::move(Done));
    ++gWaiting;
}

namespace detail {

void NoteFramePaint(WinWidget* painted, const QRegion& region) {
    if (gWaiting == 0) return;
    auto* top = dynamic_cast<WinWidget*>(painted->window());
    if (!top || top->frameWaiters.empty()) return;
    for (const QRect& r : region) top->framePainted += static_cast<long long>(r.width()) * r.height();
    if (top->frameQueued) return;
    top->frameQueued = true;
    // Qt copies the frame to the window system after the paint events of
    // this pass; a queued call runs once that is done.
    QMetaObject::invokeMethod(
        top,
        [top] {
            TFrameInfo info;
            info.PresentedNs = FrameClockNs();
            info.PaintedPixels = top->framePainted;
            info.WindowPixels = static_cast<long long>(top->width()) * top->height();
            std::vector<std::function<void(const TFrameInfo&)>> waiters;
            waiters.swap(top->frameWaiters);
            gWaiting -= std::min(gWaiting, waiters.size());
            top->framePainted = 0;
            top->frameQueued = false;
            for (auto& f : waiters) Guard([&] { f(info); });
        },
        Qt::QueuedConnection);
}

void TraceWheel(TWinControl* target, std::int64_t startNs) {
    if (!WheelHook()) return;
    // A turn that changed nothing has no frame of its own: only the latest
    // turn is reported with the next frame, so one never takes another's.
    static std::uint64_t latest = 0;
    const std::uint64_t turn = ++latest;
    AfterNextFrame(target, [startNs, turn](const TFrameInfo& info) {
        if (turn == latest && WheelHook()) WheelHook()(static_cast<double>(info.PresentedNs - startNs) / 1e6, info);
    });
}

bool WheelTraced() { return static_cast<bool>(WheelHook()); }

}  // namespace detail
}  // namespace gui
