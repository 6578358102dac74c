#include "app/Unit4.h"

#include "app/Unit1.h"
#include "app/contracts/Artwork.h"

using namespace gui;

int splashticks = 0;
TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    SetBorderStyle(bsNone);
    SetBorderIcons({});
    SetBounds(257, 129, 479, 479);
    SetColor(333333);

    Image1 = new TImage(this);
    Image1->SetParent(this);
    Image1->SetBounds(4, 4, 473, 473);
    app::LoadArtworkJpeg("SPLASH", Image1->Picture());
    SetAccessibleName("Hollowmere");  // it has no caption
    Image1->SetAccessibleName("Hollowmere");

    Timer1 = new TTimer(this);
    Timer1->SetOnTimer([this](TObject* s) { Timer1Timer(s); });

    OnCreate = [this](TObject* s) { FormCreate(s); };
    EndLoading();
}

void TForm4::FormCreate(TObject*) { splashticks = 0; }

void TForm4::Timer1Timer(TObject*) {
    ++splashticks;
    if (splashticks > 2) {
        // The menu's FormShow stops this timer.
        Form1->Show();
        Hide();
    }
}
