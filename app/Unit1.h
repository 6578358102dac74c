// The main menu: the ten artist buttons over the menu picture, whose mask
// gives the window its outline, and the "Info", "Covers", "Min" and "Exit"
// text buttons.
#pragma once

#include "app/PictureShelf.h"
#include "controls/SkHyperCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/StdCtrls.h"
#include "shapedwin/SwImage.h"
#include "shapedwin/SwTransparentForm.h"

class TForm1 : public gui::TForm {
public:
    explicit TForm1(gui::TComponent* AOwner);

    shapedwin::TSwImage* SwImage1 = nullptr;
    controls::TSkHotImage* btn_orvek = nullptr;
    controls::TSkHotImage* btn_lund = nullptr;
    controls::TSkHotImage* btn_peltrin = nullptr;
    controls::TSkHotImage* SkHotImage4 = nullptr;
    controls::TSkHotImage* btn_moor = nullptr;
    controls::TSkHotImage* btn_zind = nullptr;
    controls::TSkHotImage* btn_caulfer = nullptr;
    controls::TSkHotImage* btn_vespera = nullptr;
    controls::TSkHotImage* btn_ubrin = nullptr;
    controls::TSkHotImage* btn_tam = nullptr;
    gui::TLabel* lbl_info = nullptr;
    gui::TLabel* lbl_exit = nullptr;
    gui::TLabel* lbl_cover = nullptr;
    gui::TLabel* lbl_min = nullptr;
    shapedwin::TSwTransparentForm* SwTransparentForm1 = nullptr;

    // The Bio window's panel backgrounds, decoded once.
    app::TPictureShelf PictureShelf;

    // The artist button of a catalogue slot (1..10); nullptr outside.
    controls::TSkHotImage* ArtistButton(int Slot) const;

    void FormCreate(gui::TObject* Sender);
    void FormShow(gui::TObject* Sender);

    void btn_orvekClick(gui::TObject* Sender);
    void btn_lundClick(gui::TObject* Sender);
    void btn_peltrinClick(gui::TObject* Sender);
    void SkHotImage4Click(gui::TObject* Sender);
    void btn_moorClick(gui::TObject* Sender);
    void btn_zindClick(gui::TObject* Sender);
    void btn_caulferClick(gui::TObject* Sender);
    void btn_vesperaClick(gui::TObject* Sender);
    void btn_ubrinClick(gui::TObject* Sender);
    void btn_tamClick(gui::TObject* Sender);
    void lbl_infoClick(gui::TObject* Sender);
    void lbl_coverClick(gui::TObject* Sender);
    void lbl_minClick(gui::TObject* Sender);
    void lbl_exitClick(gui::TObject* Sender);

    // Every artist button's mouse move ends here (they all do the same).
    void ArtistMouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
    void SwImage1MouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
    void lbl_infoMouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
    void lbl_exitMouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
    void lbl_coverMouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
    void lbl_minMouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);

    // Prepares the Bio window for a catalogue slot and shows it.
    void OpenArtist(int Slot);
    void ResetMenuLabels();
    void ShowPlayerControls();

    // The menu's keys: Up and Down move the highlight over the artists,
    // Enter opens the highlighted one; I, C, M and Esc act as "Info",
    // "Covers", "Min" and "Exit". True when the key was one of them.
    bool MenuKey(gui::Word Key, gui::TShiftState Shift);
    // The artist the keys highlight (1..10), 0 for none.
    int HighlightedSlot() const { return FKeySlot; }

private:
    void HighlightLabel(gui::TLabel* Label);
    void MoveHighlight(int Slot);
    controls::TSkHotImage* FButtons[10] = {};
    int FKeySlot = 0;
};

extern TForm1* Form1;
