// Entry point: the five windows, created once in this order; the splash is
// the main window, and closing it ends the program.
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "gui/Forms.h"

int main() {
    gui::InitApplication();
    gui::Application->CreateForm(&Form4);
    gui::Application->CreateForm(&Form1);
    gui::Application->CreateForm(&Form2);
    gui::Application->CreateForm(&Form3);
    gui::Application->CreateForm(&Form5);
    gui::Application->Run();
    gui::DoneApplication();
    return 0;
}
