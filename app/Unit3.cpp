#include "app/Unit3.h"

#include <string>

#include "catalogue/Catalogue.h"
#include "app/Keys.h"
#include "app/Player.h"
#include "app/Unit5.h"
#include "app/contracts/Artwork.h"
#include "gui/windows/Dialogs.h"

using namespace gui;

std::uint8_t artistslot = 0;
bool bassready = false;
TBassCalls BassCalls;
TForm3* Form3 = nullptr;

namespace {

constexpr TColor kSongGrey = 8421504;
constexpr TColor kSongSilver = 12632256;
// Low word 1, high word 4.
constexpr DWORD kBassVersion = (4u << 16) | 1u;

}  // namespace

int MeterLevel(DWORD Half) {
    Half &= 0xFFFF;
    return Half > 128 ? 35 : static_cast<int>(Half);
}

TForm3::TForm3(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    SetCaption("Bio");
    SetBounds(192, 107, 641, 501);
    SetColor(333333);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alTop);
    Panel1->SetHeight(73);
    Panel1->SetBevelInner(bvRaised);
    Panel1->SetBevelOuter(bvLowered);
    Panel1->SetColor(clBlack);
    Panel1->SetCaption("");

    htmlView1 = new htmlview::THtmlView(this);
    htmlView1->SetName("htmlView1");
    htmlView1->SetParent(this);
    htmlView1->SetAlign(alClient);
    htmlView1->SetHtmlBorderStyle(htmlview::htFocused);
    htmlView1->SetHistoryMaxCount(12);
    htmlView1->SetDefFontName("Times New Roman");
    htmlView1->SetDefPreFontName("Courier New");
    htmlView1->SetNoSelect(false);
    htmlView1->SethtOptions({htmlview::htOverLinksActive});

    Image1 = new TImage(this);
    Image1->SetName("Image1");
    Image1->SetParent(Panel1);
    Image1->SetBounds(2, 2, 629, 70);
    Image1->SetAutoSize(true);
    Image1->SetStretch(true);
    app::LoadArtworkJpeg("BIO_PANEL", Image1->Picture());

    auto songLabel = [this](const char* name, int left, int width) {
        auto* l = new controls::TSkLabel(this);
        l->SetName(name);
        l->SetParent(Panel1);
        l->SetAutoSize(false);
        l->SetBounds(left, 32, width, 17);
        l->SetCursor(controls::crSkHandPoint);
        l->SetStyle(controls::lsNone);
        l->SetShadowDepth(1);
        l->SetTransparent(true);
        l->Font()->SetName("Arial");
        l->Font()->SetStyle({fsBold});
        l->Font()->SetHeight(-13);
        l->Font()->SetColor(clGray);
        return l;
    };
    lbl_songtitle = new controls::TSkLabel(this);
    lbl_songtitle->SetName("lbl_songtitle");
    lbl_songtitle->SetParent(Panel1);
    lbl_songtitle->SetAutoSize(false);
    lbl_songtitle->SetBounds(4, 4, 261, 25);
    lbl_songtitle->SetStyle(controls::lsNone);
    lbl_songtitle->SetTransparent(true);
    lbl_songtitle->Font()->SetName("Arial");
    lbl_songtitle->Font()->SetStyle({fsBold});
    lbl_songtitle->Font()->SetHeight(-16);
    lbl_songtitle->Font()->SetColor(clRed);
    lbl_songtitle->SetCaption("");

    lbl_oldsong = songLabel("lbl_oldsong", 4, 121);
    lbl_oldsong->SetCaption("");
    lbl_oldsong->OnClick = [this](TObject* s) { lbl_oldsongClick(s); };
    lbl_oldsong->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { lbl_oldsongMouseMove(s, sh, x, y); };
    lbl_newsong = songLabel("lbl_newsong", 184, 57);
    lbl_newsong->SetCaption("2002");
    lbl_newsong->OnClick = [this](TObject* s) { lbl_newsongClick(s); };
    lbl_newsong->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { lbl_newsongMouseMove(s, sh, x, y); };

    trackpos = new controls::TSkProgressBar(this);
    trackpos->SetName("trackpos");
    trackpos->SetParent(Panel1);
    trackpos->SetBounds(28, 48, 200, 9);
    trackpos->SetEndColor(clRed);
    trackpos->Bevel()->SetInnerStyle(controls::bsNone);
    trackpos->Bevel()->SetOuterStyle(controls::bsNone);

    auto levelBar = [this](const char* name, int left) {
        auto* b = new controls::TSkLevelBar(this);
        b->SetName(name);
        b->SetParent(Panel1);
        b->SetBounds(left, 60, 89, 5);
        b->SetMaxValue(128);
        b->SetOrientation(controls::voHorizontal);
        b->Palette1()->SetLow(clGreen);
        b->Palette1()->SetHigh(clLime);
        b->Palette2()->SetLow(clOlive);
        b->Palette2()->SetHigh(clYellow);
        b->Palette3()->SetLow(clMaroon);
        b->Palette3()->SetHigh(clRed);
        // Only a 1-pixel black outline: the constructor's lowered 5-pixel
        // bevel would leave room for just 40 ticks.
        b->Bevel()->SetInnerStyle(controls::bsNone);
        b->Bevel()->SetOuterStyle(controls::bsNone);
        b->Bevel()->SetInnerSpace(0);
        b->Bevel()->SetOuterOutline(controls::osOuter);
        return b;
    };
    leftlevel = levelBar("leftlevel", 28);
    leftlevel->SetPosition(1);
    leftlevel->SetStyle(controls::psTopRight);
    rightlevel = levelBar("rightlevel", 136);
    rightlevel->SetPosition(0);

    FlatButton1 = new controls::TFlatButton(this);
    FlatButton1->SetName("FlatButton1");
    FlatButton1->SetParent(Panel1);
    FlatButton1->SetBounds(272, 48, 61, 17);
    FlatButton1->SetCaption("ModInfo");
    FlatButton1->SetTransparentMode(controls::tmNotFocused);
    FlatButton1->SetColorFocused(clGray);
    FlatButton1->SetColorBorder(clBlack);
    FlatButton1->Font()->SetName("MS Sans Serif");
    FlatButton1->Font()->SetHeight(-11);
    FlatButton1->Font()->SetColor(clSilver);
    FlatButton1->OnClick = [this](TObject* s) { FlatButton1Click(s); };

    slidepos = new controls::TSlider(this);
    slidepos->SetName("slidepos");
    slidepos->SetParent(Panel1);
    slidepos->SetBounds(252, 32, 101, 17);
    slidepos->SetNumThumbStates(2);
    slidepos->SetOptions({controls::soSmooth});
    slidepos->SetIncrement(10);
    slidepos->SetMinValue(0);
    slidepos->SetMaxValue(100);
    slidepos->SetValue(0);
    slidepos->OnStopTracking = [this](TObject* s) { slideposStopTracking(s); };

    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(30);
    Timer1->SetOnTimer([this](TObject* s) { Timer1Timer(s); });
    // The timer runs while the window is hidden too; what it changes there
    // is painted when the window is shown, not on every tick.
    SetPaintsWhileHidden(false);

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    EndLoading();
    app::HandleWindowKeys(this, app::BioWindowKey);
}

void TForm3::FormCreate(TObject*) {
    bassready = false;
    trackpos->SetPosition(0);
}

void TForm3::FormClose(TObject*, TCloseAction&) {
    bassready = false;
    BassCalls.Free();
    app::Player().SongReleased();
}

void TForm3::ShowBassError(const String& Message) {
    const String text = Message + "\r\n" + "(error code: " + std::to_string(BassCalls.ErrorGetCode()) + ")";
    MessageBox(Handle(), text, "Error", MB_OK | MB_ICONERROR);
}

void TForm3::InitAudio() {
    if (BassCalls.GetVersion() != kBassVersion) {
        ShowBassError("Bass version 1.4 could not load");
        Halt(1);
    }
    if (BassCalls.Init(-1, 44100, 16, nullptr) == 0) {
        ShowBassError("Can't initialize device");
        Halt(1);
    }
    BassCalls.Start();
    bassready = true;
    Timer1->SetResting(false);
}

void TForm3::LoadAndPlay(const String& FileName, DWORD Flags) {
    BassCalls.MusicFree(musichandle);
    musichandle = BassCalls.MusicLoad(0, FileName.c_str(), 0, 0, Flags);
    // The library's failure value reads as -1 here, a maximum the controls refuse.
    trackpos->SetMaxValue(static_cast<int>(BassCalls.MusicGetLength(musichandle, 0)));
    slidepos->SetMaxValue(static_cast<int>(BassCalls.MusicGetLength(musichandle, 0)));
    BassCalls.MusicPlay(musichandle);
}

void TForm3::PlayModule(const String& FileName) { LoadAndPlay(FileName, BASS_MUSIC_RAMP); }

void TForm3::PlayModuleByIndex(int Index) {
    const std::string_view file = app::ModuleFileByIndex(Index);
    if (file.empty()) return;  // only the two songs of the index table exist
    LoadAndPlay(String(file), 0);
}

void TForm3::StartSong(int Which) {
    if (!bassready) InitAudio();
    Form5->samplelist->Clear();
    Form5->instlist->Clear();
    Form5->commentbox->Clear();
    const app::SongEntry* song = app::FindSong(artistslot, Which);
    if (!song) return;
    const String file(song->file);
    if (song->itRead && !ReadITInfo(file)) return;
    if (song->loader == app::Loader::PlayModuleByIndex)
        PlayModuleByIndex(song->loaderIndex);
    else
        PlayModule(file);
    if (musichandle != 0)
        app::Player().SongStarted(artistslot, Which);
    else
        app::Player().SongReleased();  // the load failed, and the previous song is gone
    ShowModInfo(String(app::SongTitle(*song)), String(app::Tracker(*song)), String(song->formatText),
                String(song->length), String(song->size));
    TListBox* target = song->fixedList == app::FixedList::SampleList ? Form5->samplelist
                       : song->fixedList == app::FixedList::InstList ? Form5->instlist
                                                                     : nullptr;
    if (target)
        for (std::string_view line : song->fixedLines) target->Items()->Add(String(line));
}

void TForm3::lbl_oldsongClick(TObject*) { StartSong(app::kOldSong); }
void TForm3::lbl_newsongClick(TObject*) { StartSong(app::kRemake); }

void TForm3::lbl_oldsongMouseMove(TObject*, TShiftState, int, int) {
    lbl_oldsong->Font()->SetColor(kSongSilver);
    lbl_newsong->Font()->SetColor(kSongGrey);
}

void TForm3::lbl_newsongMouseMove(TObject*, TShiftState, int, int) {
    lbl_oldsong->Font()->SetColor(kSongGrey);
    lbl_newsong->Font()->SetColor(kSongSilver);
}

void TForm3::Timer1Timer(TObject*) {
    const DWORD p = BassCalls.ChannelGetPosition(musichandle);
    const DWORD left = BassCalls.ChannelGetLevel(musichandle) & 0xFFFF;
    const DWORD right = BassCalls.ChannelGetLevel(musichandle) >> 16;
    trackpos->SetPosition(static_cast<int>(p & 0xFFFF));
    slidepos->SetValue(static_cast<int>(p & 0xFFFF));  // ignored while the user drags
    leftlevel->SetPosition(MeterLevel(left));
    rightlevel->SetPosition(MeterLevel(right));
    // Hidden, with the library released, every poll fails alike: once a tick
    // has written what the one before it wrote, the next ones would only
    // repeat it, so the timer rests until the window is shown or the library
    // started (an idle program then does not wake 33 times a second).
    const Poll poll{p, left, right};
    Timer1->SetResting(!bassready && !Visible() && lastPoll == poll);
    lastPoll = poll;
    app::Player().Poll();
}

void TForm3::DoShow() {
    Timer1->SetResting(false);
    TForm::DoShow();
}

void TForm3::slideposStopTracking(TObject*) { app::Player().SeekOrder(slidepos->Value()); }

void TForm3::FlatButton1Click(TObject*) {
    Form5->Show();
    Form5->BringToFront();
}
