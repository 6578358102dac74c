// Start-up shared by every fuzz target: the drawing layer runs without a
// display, and leaks that belong to system libraries are not findings.
#include <cstdlib>

#include "FuzzSuppressions.h"

extern "C" const char* __lsan_default_suppressions() { return kLsanSuppressions; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Qt's platform is chosen when the first picture needs it; without a
    // display only the offscreen one works.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return 0;
}
