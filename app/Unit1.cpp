#include "app/Unit1.h"

#include <vector>

#include "catalogue/Catalogue.h"
#include "app/Keys.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Trace.h"
#include "app/Unit4.h"
#include "app/contracts/Artwork.h"

using namespace gui;
using controls::TSkHotImage;

TForm1* Form1 = nullptr;

namespace {

constexpr TColor kLabelGrey = 8421504;
constexpr TColor kLabelSilver = 12632256;

// Where each slot's button sits on the menu picture.
struct ButtonPlace {
    int left, top, width, height;
};
constexpr ButtonPlace kButtonPlaces[app::kArtistCount] = {
    {0, 96, 209, 33},   {-1, 123, 211, 37}, {-1, 151, 214, 37}, {-1, 184, 214, 29}, {-1, 212, 214, 29},
    {-1, 235, 218, 38}, {-1, 267, 218, 30}, {-1, 295, 218, 30}, {-1, 323, 218, 30}, {-1, 351, 218, 30},
};

String Upper(std::string_view s) {
    String r(s);
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    SetCaption("Form1");
    SetBounds(337, 143, 309, 476);
    SetColor(clBtnFace);

    SwImage1 = new shapedwin::TSwImage(this);
    SwImage1->SetParent(this);
    SwImage1->SetBounds(0, 0, 297, 445);
    app::LoadArtworkBitmap("MENU_BACK", SwImage1->Picture()->Bitmap());
    {
        TBitmap mask;
        if (app::LoadArtworkBitmap("MENU_MASK", &mask)) SwImage1->SetMask(&mask);
    }
    SwImage1->SetCombineMode(shapedwin::cmOR);
    SwImage1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { SwImage1MouseMove(s, sh, x, y); };

    using Handler = void (TForm1::*)(TObject*);
    static constexpr Handler kClicks[app::kArtistCount] = {
        &TForm1::btn_orvekClick,  &TForm1::btn_lundClick,    &TForm1::btn_peltrinClick, &TForm1::SkHotImage4Click,
        &TForm1::btn_moorClick,   &TForm1::btn_zindClick,    &TForm1::btn_caulferClick, &TForm1::btn_vesperaClick,
        &TForm1::btn_ubrinClick,  &TForm1::btn_tamClick};
    TSkHotImage** fields[app::kArtistCount] = {&btn_orvek,   &btn_lund,    &btn_peltrin, &SkHotImage4, &btn_moor,
                                               &btn_zind,    &btn_caulfer, &btn_vespera, &btn_ubrin,   &btn_tam};
    for (const app::ArtistEntry& artist : app::Artists()) {
        const int i = artist.slot - 1;
        auto* b = new TSkHotImage(this);
        b->SetName(String(artist.button));
        b->SetParent(this);
        const ButtonPlace& p = kButtonPlaces[i];
        b->SetBounds(p.left, p.top, p.width, p.height);
        b->SetCursor(controls::crSkHandPoint);
        b->SetTransparent(true);
        b->HotRect()->SetVisible(false);
        b->Font()->SetName("Arial");
        b->Font()->SetStyle({fsBold});
        b->Font()->SetHeight(-11);
        b->Font()->SetColor(clWhite);
        const String stem = "BTN_" + Upper(artist.stem);
        app::LoadArtworkBitmap(stem + "_LEAVE", b->ImageLeave());
        app::LoadArtworkBitmap(stem + "_ENTER", b->ImageEnter());
        Handler click = kClicks[i];
        b->OnClick = [this, click](TObject* s) { (this->*click)(s); };
        b->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { ArtistMouseMove(s, sh, x, y); };
        *fields[i] = b;
        FButtons[i] = b;
    }

    auto makeLabel = [this](const char* name, const char* caption, int left, int width) {
        auto* l = new TLabel(this);
        l->SetName(name);
        l->SetParent(this);
        l->SetAutoSize(false);
        l->SetBounds(left, 388, width, 13);
        l->SetCaption(caption);
        l->SetTransparent(true);
        l->SetAlignment(taCenter);
        l->SetLayout(tlCenter);
        l->Font()->SetName("MS Sans Serif");
        l->Font()->SetStyle({fsBold});
        l->Font()->SetHeight(-11);
        l->Font()->SetColor(clGray);
        return l;
    };
    lbl_info = makeLabel("lbl_info", "Info", 20, 25);
    lbl_exit = makeLabel("lbl_exit", "Exit", 252, 25);
    lbl_cover = makeLabel("lbl_cover", "Covers", 60, 45);
    lbl_min = makeLabel("lbl_min", "Min", 220, 25);
    lbl_info->OnClick = [this](TObject* s) { lbl_infoClick(s); };
    lbl_exit->OnClick = [this](TObject* s) { lbl_exitClick(s); };
    lbl_cover->OnClick = [this](TObject* s) { lbl_coverClick(s); };
    lbl_min->OnClick = [this](TObject* s) { lbl_minClick(s); };
    lbl_info->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { lbl_infoMouseMove(s, sh, x, y); };
    lbl_exit->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { lbl_exitMouseMove(s, sh, x, y); };
    lbl_cover->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { lbl_coverMouseMove(s, sh, x, y); };
    lbl_min->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { lbl_minMouseMove(s, sh, x, y); };

    SwTransparentForm1 = new shapedwin::TSwTransparentForm(this);
    SwTransparentForm1->SetName("SwTransparentForm1");
    SwTransparentForm1->SetActive(true);
    SwTransparentForm1->SetDragable(true);
    SwTransparentForm1->SetAlwaysOnTop(false);

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    EndLoading();
    app::HandleWindowKeys(this, [this](Word key, TShiftState shift) { return MenuKey(key, shift); });
}

TSkHotImage* TForm1::ArtistButton(int Slot) const {
    return Slot >= 1 && Slot <= app::kArtistCount ? FButtons[Slot - 1] : nullptr;
}

void TForm1::FormCreate(TObject*) { artistslot = 0; }

void TForm1::FormShow(TObject*) {
    if (Form4 && Form4->Timer1) Form4->Timer1->SetEnabled(false);
}

void TForm1::btn_orvekClick(TObject*) { OpenArtist(1); }
void TForm1::btn_lundClick(TObject*) { OpenArtist(2); }
void TForm1::btn_peltrinClick(TObject*) { OpenArtist(3); }
void TForm1::SkHotImage4Click(TObject*) { OpenArtist(4); }
void TForm1::btn_moorClick(TObject*) { OpenArtist(5); }
void TForm1::btn_zindClick(TObject*) { OpenArtist(6); }
void TForm1::btn_caulferClick(TObject*) { OpenArtist(7); }
void TForm1::btn_vesperaClick(TObject*) { OpenArtist(8); }
void TForm1::btn_ubrinClick(TObject*) { OpenArtist(9); }
void TForm1::btn_tamClick(TObject*) { OpenArtist(10); }

void TForm1::OpenArtist(int Slot) {
    app::TPageOpenTrace trace;
    const app::ArtistEntry& artist = app::ArtistBySlot(Slot);
    // A missing page stops the click here: nothing else changes.
    Form3->htmlView1->LoadFromFile(String(artist.page));
    trace.PageLoaded(Form3->htmlView1);
    Form3->lbl_songtitle->SetCaption(String(artist.songTitle));
    Form3->lbl_oldsong->SetCaption(String(artist.oldSongCaption));
    Form3->lbl_newsong->SetCaption(String(app::kRemakeCaption));
    Form3->SetCaption(String(artist.caption));
    artistslot = static_cast<std::uint8_t>(artist.slot);
    trace.PictureStart();
    ShowPlayerControls();
    trace.PictureLoaded();
    Form3->Show();
    Form3->BringToFront();
    trace.Shown(Form3, Form3->htmlView1, String(artist.page));
}

void TForm1::ShowPlayerControls() {
    Form3->FlatButton1->SetVisible(true);
    Form3->leftlevel->SetVisible(true);
    Form3->rightlevel->SetVisible(true);
    Form3->trackpos->SetVisible(true);
    Form3->slidepos->SetVisible(true);
    PictureShelf.LoadInto(Form3->Image1->Picture(), String(app::kBioBackPicture));
}

void TForm1::lbl_infoClick(TObject*) {
    Form3->htmlView1->LoadFromFile(String(app::kInfoPage));
    Form3->lbl_songtitle->SetCaption("");
    Form3->lbl_oldsong->SetCaption("");
    Form3->lbl_newsong->SetCaption("");
    Form3->SetCaption(String(app::kInfoCaption));
    Form3->FlatButton1->SetVisible(false);
    Form3->leftlevel->SetVisible(false);
    Form3->rightlevel->SetVisible(false);
    Form3->trackpos->SetVisible(false);
    Form3->slidepos->SetVisible(false);
    PictureShelf.LoadInto(Form3->Image1->Picture(), String(app::kInfoBackPicture));
    Form3->Show();
    Form3->BringToFront();
}

void TForm1::lbl_coverClick(TObject*) {
    Form2->Show();
    Form2->BringToFront();
}

void TForm1::lbl_minClick(TObject*) { SetWindowState(wsMinimized); }

void TForm1::lbl_exitClick(TObject*) {
    Close();
    Form4->Close();  // the main window: this ends the program
}

void TForm1::ResetMenuLabels() {
    lbl_info->Font()->SetColor(kLabelGrey);
    lbl_exit->Font()->SetColor(kLabelGrey);
    lbl_cover->Font()->SetColor(kLabelGrey);
    lbl_min->Font()->SetColor(kLabelGrey);
}

void TForm1::SwImage1MouseMove(TObject*, TShiftState, int, int) {
    ResetMenuLabels();
    // Switching it on again on every move would re-install the window hook.
    if (!SwTransparentForm1->Dragable()) SwTransparentForm1->SetDragable(true);
}

void TForm1::ArtistMouseMove(TObject* Sender, TShiftState, int, int) {
    ResetMenuLabels();
    SwTransparentForm1->SetDragable(false);
    // The keys go on from the artist under the pointer; a highlight the keys
    // left elsewhere goes out.
    for (int slot = 1; slot <= app::kArtistCount; ++slot) {
        if (FButtons[slot - 1] != Sender) continue;
        if (FKeySlot != slot && FKeySlot != 0) FButtons[FKeySlot - 1]->Perform(CM_MOUSELEAVE, 0, 0);
        FKeySlot = slot;
    }
}

void TForm1::MoveHighlight(int Slot) {
    if (FKeySlot != 0) FButtons[FKeySlot - 1]->Perform(CM_MOUSELEAVE, 0, 0);
    FKeySlot = Slot;
    // Drawn as the pointer's hover is.
    FButtons[Slot - 1]->Perform(CM_MOUSEENTER, 0, 0);
}

bool TForm1::MenuKey(Word Key, TShiftState Shift) {
    if (Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return false;
    switch (Key) {
        case VK_DOWN: MoveHighlight(FKeySlot % app::kArtistCount + 1); return true;
        case VK_UP: MoveHighlight(FKeySlot <= 1 ? app::kArtistCount : FKeySlot - 1); return true;
        case VK_RETURN:
            if (FKeySlot == 0) return false;
            OpenArtist(FKeySlot);
            return true;
        case 'I': lbl_infoClick(this); return true;
        case 'C': lbl_coverClick(this); return true;
        case 'M': lbl_minClick(this); return true;
        case VK_ESCAPE: lbl_exitClick(this); return true;
        default: return false;
    }
}

void TForm1::HighlightLabel(TLabel* Label) {
    ResetMenuLabels();
    SwTransparentForm1->SetDragable(false);
    Label->Font()->SetColor(kLabelSilver);
}

void TForm1::lbl_infoMouseMove(TObject*, TShiftState, int, int) { HighlightLabel(lbl_info); }
void TForm1::lbl_exitMouseMove(TObject*, TShiftState, int, int) { HighlightLabel(lbl_exit); }
void TForm1::lbl_coverMouseMove(TObject*, TShiftState, int, int) { HighlightLabel(lbl_cover); }
void TForm1::lbl_minMouseMove(TObject*, TShiftState, int, int) { HighlightLabel(lbl_min); }
