// The program shell: one form captioned "Hollowmere" as the main window,
// whose close ends the event loop and lets the program free everything.
#include <gtest/gtest.h>

#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"

using namespace gui;
namespace tk = gui::testkit;

TEST(AppShell, MainWindowCloseEndsRunAndEverythingIsFreed) {
    tk::Session s;
    InitApplication();
    TForm* mainForm = Application->CreateForm<TForm>();
    mainForm->SetCaption("Hollowmere");
    EXPECT_EQ(Application->MainForm(), mainForm);
    HWND h = mainForm->Handle();
    PostMessage(h, WM_CLOSE, 0, 0);
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(IsWindow(h));  // the window lives until the application is freed
    DoneApplication();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(Application, nullptr);
    EXPECT_TRUE(s.Boxes.empty());
}
