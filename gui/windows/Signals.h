// Ending the program cleanly on SIGINT and SIGTERM. The handlers only note
// the signal; the event loop reads it and terminates the application, so the
// normal exit path (freeing the forms, closing the audio device) runs.
#pragma once

namespace gui {

// Installs the handlers for SIGINT and SIGTERM. After one arrives,
// Application->Run returns (or never starts its loop). Call after
// InitApplication; calling again does nothing.
void TerminateOnSignals();

// The signal that ended the application, 0 while none has.
int TerminatingSignal();

}  // namespace gui
