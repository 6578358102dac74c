// Entry point of the program: one empty main window until the windows of the
// music disk take its place.
#include "gui/Forms.h"

int main() {
    using namespace gui;
    InitApplication();
    TForm* mainForm = Application->CreateForm<TForm>();
    mainForm->SetCaption("Hollowmere");
    Application->Run();
    DoneApplication();
    return 0;
}
