// Entry point: the five windows, created once in this order; the splash is
// the main window, and closing it ends the program. SIGINT and SIGTERM end
// it the same way, through the event loop.
//
// Before that the program moves into its content folder (see
// app/ContentDir.h) and presents itself to the desktop as one application,
// "Hollowmere": the menu is its window, the other windows belong to it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/ContentDir.h"
#include "app/Player.h"
#include "app/Trace.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/bass/Bass.h"
#include "gui/windows/Forms.h"
#include "gui/windows/Dialogs.h"
#include "gui/windows/Signals.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: korvane [--content DIR]\n");
    return 2;
}

// The lookup failed: say so where the user sees it, then end with status 1.
int ContentMissing(const std::string& why) {
    std::fprintf(stderr, "korvane: %s\n", why.c_str());
    gui::InitApplication();
    gui::Application->MessageBox(why, "Hollowmere", gui::MB_OK | gui::MB_ICONSTOP);
    gui::DoneApplication();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    app::ContentLookup lookup;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--content" && i + 1 < argc && !lookup.option) {
            lookup.option = argv[++i];
        } else if (arg.rfind("--content=", 0) == 0 && arg.size() > 10 && !lookup.option) {
            lookup.option = arg.substr(10);
        } else {
            return Usage();
        }
    }
    if (const char* env = std::getenv(app::kContentEnv); env && *env) lookup.environment = env;
    std::error_code ec;
    lookup.workingDir = std::filesystem::current_path(ec);
    lookup.executableDir = app::ExecutableDir();
    const app::ContentChoice content = app::FindContentDir(lookup);
    if (content.dir.empty()) return ContentMissing(content.error);
    if (::chdir(content.dir.c_str()) != 0) {
        return ContentMissing("Cannot enter the content folder " + content.dir.string() + ": " + std::strerror(errno));
    }

    gui::SetDesktopIdentity({"Hollowmere", "korvane", "ICON"});
    gui::InitApplication();
    gui::Application->SetTitle("Hollowmere");
    gui::TerminateOnSignals();
    app::StartTracing();
    gui::Application->CreateForm(&Form4);
    gui::Application->CreateForm(&Form1);
    gui::Application->CreateForm(&Form2);
    gui::Application->CreateForm(&Form3);
    gui::Application->CreateForm(&Form5);
    // One taskbar entry: the splash while it is alone, then the menu. The
    // covers, the Bio window and Mod Info stay out of the taskbar, but they
    // are not made transient for the menu: the window manager would then
    // keep them above it, and the Bio window covers nearly all of the menu.
    Form2->SetShowInTaskbar(false);
    Form3->SetShowInTaskbar(false);
    Form5->SetShowInTaskbar(false);
    // The desktop's media controls; without a session bus there are none.
    auto mediaService = gui::TMediaPlayerService::Start(app::Player(), {"korvane", "Hollowmere", "korvane"});
    gui::Application->Run();
    mediaService.reset();
    gui::DoneApplication();
    // The Bio window releases the audio when it closes; a program ended with
    // it open closes the device here, before anything is torn down.
    const bool closed = BASS_Free() != 0;
    if (const int sig = gui::TerminatingSignal()) {
        std::fprintf(stderr, "korvane: ended by signal %d%s\n", sig, closed ? ", audio device closed" : "");
    }
    // The soak test reads the audio output's health from this line.
    if (const char* stats = std::getenv("KORVANE_AUDIO_STATS"); stats && *stats) {
        const bass::OutputStats s = bass::GetOutputStats();
        std::fprintf(stderr, "korvane: audio output: %llu callbacks, %llu underruns, slowest %.2f ms (buffer %.2f ms)\n",
                     static_cast<unsigned long long>(s.callbacks), static_cast<unsigned long long>(s.underruns),
                     s.worstMs, s.bufferMs);
    }
    return 0;
}
