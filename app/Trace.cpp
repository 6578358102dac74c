#include "app/Trace.h"

#include <cstdio>
#include <cstdlib>

#include "gui/windows/FrameTrace.h"

namespace app {

namespace {
bool gTracing = false;

double Ms(std::int64_t from, std::int64_t to) { return static_cast<double>(to - from) / 1e6; }
}  // namespace

void StartTracing() {
    const char* v = std::getenv("KORVANE_TRACE");
    gTracing = v && *v;
    if (!gTracing) return;
    gui::SetWheelFrameHook([](double ms, const gui::TFrameInfo& f) {
        std::fprintf(stderr, "trace wheel ms=%.3f painted=%lld window=%lld\n", ms, f.PaintedPixels, f.WindowPixels);
    });
}

bool Tracing() { return gTracing; }

TPageOpenTrace::TPageOpenTrace() {
    if (gTracing) FStart = gui::FrameClockNs();
}

void TPageOpenTrace::PageLoaded(const htmlview::THtmlView* View) {
    if (!gTracing) return;
    FLoaded = gui::FrameClockNs();
    FTimes = View->LastLoadTimes();
}

void TPageOpenTrace::PictureStart() {
    if (gTracing) FPictureStart = gui::FrameClockNs();
}

void TPageOpenTrace::PictureLoaded() {
    if (gTracing) FPictured = gui::FrameClockNs();
}

void TPageOpenTrace::Shown(gui::TForm* Form, const htmlview::THtmlView* View, std::string Page) {
    if (!gTracing) return;
    const std::int64_t shown = gui::FrameClockNs();
    const std::int64_t start = FStart, loaded = FLoaded, pictureStart = FPictureStart, pictured = FPictured;
    const auto times = FTimes;
    gui::AfterNextFrame(Form, [=](const gui::TFrameInfo& f) {
        // "other" is the click's remaining work: captions, the controls' visibility.
        const double other = Ms(start, loaded) - times.Read - times.Parse - times.Layout + Ms(loaded, pictureStart);
        std::fprintf(stderr,
                     "trace page-open page=%s total=%.3f read=%.3f parse=%.3f layout=%.3f picture=%.3f "
                     "show=%.3f paint=%.3f docpaint=%.3f other=%.3f height=%d painted=%lld\n",
                     Page.c_str(), Ms(start, f.PresentedNs), times.Read, times.Parse, times.Layout,
                     Ms(pictureStart, pictured), Ms(pictured, shown), Ms(shown, f.PresentedNs), View->LastPaintMs(),
                     other, View->DocumentHeight(), f.PaintedPixels);
    });
}

}  // namespace app
