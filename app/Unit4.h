// The splash window: the first window, the application's main window, shown
// until the main menu takes over on the third tick of its timer.
#pragma once

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"

// Ticks of the splash timer so far.
extern int splashticks;

class TForm4 : public gui::TForm {
public:
    explicit TForm4(gui::TComponent* AOwner);

    gui::TImage* Image1 = nullptr;
    gui::TTimer* Timer1 = nullptr;

    void FormCreate(gui::TObject* Sender);
    void Timer1Timer(gui::TObject* Sender);
};

extern TForm4* Form4;
