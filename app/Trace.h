// Timing lines on standard error for the program benchmark, while the
// environment variable KORVANE_TRACE is set: each page open by its parts,
// from the click until its first frame is handed to the window system, and
// each wheel turn until its frame is.
#pragma once

#include <cstdint>
#include <string>

#include "gui/windows/Forms.h"
#include "htmlview/HtmlView.h"

namespace app {

// Reads KORVANE_TRACE once; installs the wheel trace when it is set.
void StartTracing();
bool Tracing();

// One page open. Marks are taken only while tracing.
class TPageOpenTrace {
public:
    TPageOpenTrace();
    void PageLoaded(const htmlview::THtmlView* View);
    void PictureStart();
    void PictureLoaded();
    // The form was shown: the line is written once its next frame is out.
    void Shown(gui::TForm* Form, const htmlview::THtmlView* View, std::string Page);

private:
    std::int64_t FStart = 0, FLoaded = 0, FPictureStart = 0, FPictured = 0;
    htmlview::THtmlView::TLoadTimes FTimes;
};

}  // namespace app
