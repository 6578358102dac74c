#include "app/Unit2.h"

#include "app/Keys.h"

using namespace gui;

TForm2* Form2 = nullptr;

namespace {

// The background of the cover, bio and splash windows (red 21, green 22, blue 5).
constexpr TColor CoverBackground = 333333;
constexpr TColor CurrentCoverColour = clRed;
constexpr TColor OtherCoverColour = clMaroon;

TLabel* MakeCoverLabel(TForm2* form, int left, const String& caption, TColor colour) {
    auto* l = new TLabel(form);
    l->SetParent(form);
    l->SetAutoSize(false);
    l->SetBounds(left, 480, 69, 17);
    l->SetAlignment(taCenter);
    l->SetTransparent(true);
    l->SetParentFont(false);
    l->Font()->SetName("MS Sans Serif");
    l->Font()->SetHeight(-11);
    l->Font()->SetStyle({fsBold});
    l->Font()->SetColor(colour);
    l->SetCaption(caption);
    return l;
}

}  // namespace

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    SetCaption("Cover");
    SetBorderStyle(bsSingle);
    SetBorderIcons({biSystemMenu, biMinimize});
    SetBounds(241, 129, Width(), Height());
    SetClientWidth(601);
    SetClientHeight(497);
    SetColor(CoverBackground);

    Image1 = new TImage(this);
    Image1->SetParent(this);
    Image1->SetBounds(4, 4, 593, 473);
    Image1->SetStretch(false);
    Image1->SetCenter(false);

    lbl_front = MakeCoverLabel(this, 76, "Front Cover", CurrentCoverColour);
    lbl_front->OnClick = [this](TObject* Sender) { lbl_frontClick(Sender); };
    lbl_back = MakeCoverLabel(this, 472, "Back Cover", OtherCoverColour);
    lbl_back->OnClick = [this](TObject* Sender) { lbl_backClick(Sender); };

    // A missing cover must not stop start-up: it is reported and the picture
    // stays empty.
    OnCreate = [this](TObject* Sender) {
        try {
            FormCreate(Sender);
        } catch (...) {
            if (Application) Application->HandleException(this);
        }
    };
    EndLoading();
    app::HandleWindowKeys(this, [this](gui::Word key, gui::TShiftState) {
        if (key != gui::VK_ESCAPE) return false;
        Close();
        return true;
    });
}

void TForm2::FormCreate(TObject*) { Image1->Picture()->LoadFromFile(FrontCoverFile); }

// The colours change before the load, so a failed load leaves them switched
// and the previous picture in place.
void TForm2::lbl_frontClick(TObject*) {
    lbl_front->Font()->SetColor(CurrentCoverColour);
    lbl_back->Font()->SetColor(OtherCoverColour);
    Image1->Picture()->LoadFromFile(FrontCoverFile);
}

void TForm2::lbl_backClick(TObject*) {
    lbl_front->Font()->SetColor(OtherCoverColour);
    lbl_back->Font()->SetColor(CurrentCoverColour);
    Image1->Picture()->LoadFromFile(BackCoverFile);
}
