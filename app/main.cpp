// Entry point: the five windows, created once in this order; the splash is
// the main window, and closing it ends the program. SIGINT and SIGTERM end
// it the same way, through the event loop.
#include <cstdio>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/bass/Bass.h"
#include "gui/Forms.h"
#include "gui/Signals.h"

int main() {
    gui::InitApplication();
    gui::TerminateOnSignals();
    gui::Application->CreateForm(&Form4);
    gui::Application->CreateForm(&Form1);
    gui::Application->CreateForm(&Form2);
    gui::Application->CreateForm(&Form3);
    gui::Application->CreateForm(&Form5);
    gui::Application->Run();
    gui::DoneApplication();
    // The Bio window releases the audio when it closes; a program ended with
    // it open closes the device here, before anything is torn down.
    const bool closed = BASS_Free() != 0;
    if (const int sig = gui::TerminatingSignal()) {
        std::fprintf(stderr, "korvane: ended by signal %d%s\n", sig, closed ? ", audio device closed" : "");
    }
    return 0;
}
