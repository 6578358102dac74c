#pragma once
// The Covers window: the release's front or back cover, switched by two labels.
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/StdCtrls.h"
#include "gui/base/Types.h"

inline constexpr const char* FrontCoverFile = "_korvane_cover.jpg";
inline constexpr const char* BackCoverFile = "_korvane_back.jpg";

class TForm2 : public gui::TForm {
public:
    explicit TForm2(gui::TComponent* AOwner);

    gui::TImage* Image1 = nullptr;
    gui::TLabel* lbl_front = nullptr;
    gui::TLabel* lbl_back = nullptr;

    void FormCreate(gui::TObject* Sender);
    void lbl_frontClick(gui::TObject* Sender);
    void lbl_backClick(gui::TObject* Sender);
};

extern TForm2* Form2;
