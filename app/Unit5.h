#pragma once
// The "Mod Info" window and the reader of IT module information.
#include <array>

#include "gui/windows/Forms.h"
#include "gui/windows/ComCtrls.h"
#include "gui/windows/StdCtrls.h"
#include "gui/base/Types.h"

// What the reader keeps of the last IT file read; they live for the whole run.
inline constexpr int MaxModNames = 100;
inline constexpr int MaxCommentLines = 200;
extern std::array<gui::String, MaxModNames> samplenames;
extern std::array<gui::String, MaxModNames> instnames;
extern std::array<gui::String, MaxCommentLines> commentlines;

class TForm5 : public gui::TForm {
public:
    explicit TForm5(gui::TComponent* AOwner);

    gui::TPageControl* PageControl1 = nullptr;
    gui::TTabSheet* TabSheet1 = nullptr;
    gui::TTabSheet* TabSheet2 = nullptr;
    gui::TTabSheet* TabSheet3 = nullptr;
    gui::TLabel* Label1 = nullptr;
    gui::TLabel* Label2 = nullptr;
    gui::TLabel* Label3 = nullptr;
    gui::TLabel* Label4 = nullptr;
    gui::TLabel* Label5 = nullptr;
    gui::TLabel* lbl_title = nullptr;
    gui::TLabel* lbl_tracker = nullptr;
    gui::TLabel* lbl_format = nullptr;
    gui::TLabel* lbl_length = nullptr;
    gui::TLabel* lbl_filesize = nullptr;
    gui::TLabel* Label6 = nullptr;
    gui::TLabel* Label7 = nullptr;
    gui::TListBox* samplelist = nullptr;
    gui::TListBox* instlist = nullptr;
    gui::TListBox* commentbox = nullptr;
};

extern TForm5* Form5;

// Reads the sample names, instrument names and message of an IT file into
// the tables above. False, with the tables untouched, when the file does not
// exist; a file too short for a read raises EReadError ("Stream read error").
bool ReadITInfo(const gui::String& FileName);

// Puts a song's facts into Form5; for "IT" it also appends the tables to the
// three lists (the caller empties them before each song).
void ShowModInfo(const gui::String& title, const gui::String& tracker, const gui::String& format,
                 const gui::String& length, const gui::String& size);
