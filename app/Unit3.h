// The Bio window: the artist's page, and the player of the artist's two songs
// with its position bar, level meters, seek slider and "ModInfo" button.
#pragma once

#include <cstdint>
#include <optional>

#include "app/bass/Bass.h"
#include "htmlview/HtmlView.h"
#include "controls/FlatButtons.h"
#include "controls/SkLabel.h"
#include "controls/SkLevelBar.h"
#include "controls/SkProgressBar.h"
#include "controls/slider.h"
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"

// The catalogue slot of the artist opened last (1..10), 0 before any.
extern std::uint8_t artistslot;
// The audio library has been initialised and started (and not released since).
extern bool bassready;

// The audio calls the player makes. They default to the audio layer; tests
// put recording fakes in their place.
struct TBassCalls {
    DWORD (*GetVersion)() = BASS_GetVersion;
    BOOL (*Init)(int, DWORD, DWORD, void*) = BASS_Init;
    BOOL (*Start)() = BASS_Start;
    DWORD (*ErrorGetCode)() = BASS_ErrorGetCode;
    BOOL (*Free)() = BASS_Free;
    HMUSIC (*MusicLoad)(BOOL, const void*, DWORD, DWORD, DWORD) = BASS_MusicLoad;
    BOOL (*MusicFree)(HMUSIC) = BASS_MusicFree;
    DWORD (*MusicGetLength)(HMUSIC, BOOL) = BASS_MusicGetLength;
    BOOL (*MusicPlay)(HMUSIC) = BASS_MusicPlay;
    DWORD (*ChannelGetPosition)(DWORD) = BASS_ChannelGetPosition;
    DWORD (*ChannelGetLevel)(DWORD) = BASS_ChannelGetLevel;
    BOOL (*ChannelPause)(DWORD) = BASS_ChannelPause;
    BOOL (*ChannelSetPosition)(DWORD, DWORD) = BASS_ChannelSetPosition;
    BOOL (*ChannelResume)(DWORD) = BASS_ChannelResume;
    DWORD (*ChannelIsActive)(DWORD) = BASS_ChannelIsActive;
    double (*ChannelGetSeconds)(DWORD) = bass::ChannelGetSeconds;
    DWORD (*MusicOrderAt)(HMUSIC, double) = bass::MusicOrderAt;
    double (*MusicOrderSeconds)(HMUSIC, DWORD) = bass::MusicOrderSeconds;
};
extern TBassCalls BassCalls;

// The level meters' value for one half of a level word: levels above the
// library's 128 (its failure value among them) show as 35.
int MeterLevel(DWORD Half);

class TForm3 : public gui::TForm {
public:
    explicit TForm3(gui::TComponent* AOwner);

    htmlview::THtmlView* htmlView1 = nullptr;
    gui::TPanel* Panel1 = nullptr;
    gui::TImage* Image1 = nullptr;
    controls::TSkLabel* lbl_songtitle = nullptr;
    controls::TSkLabel* lbl_oldsong = nullptr;
    controls::TSkLabel* lbl_newsong = nullptr;
    controls::TSkProgressBar* trackpos = nullptr;
    controls::TSkLevelBar* leftlevel = nullptr;
    controls::TSkLevelBar* rightlevel = nullptr;
    controls::TFlatButton* FlatButton1 = nullptr;
    controls::TSlider* slidepos = nullptr;
    gui::TTimer* Timer1 = nullptr;

    // The module loaded last; 0 before the first load.
    HMUSIC musichandle = 0;

    void FormCreate(gui::TObject* Sender);
    void FormClose(gui::TObject* Sender, gui::TCloseAction& Action);
    void lbl_oldsongClick(gui::TObject* Sender);
    void lbl_newsongClick(gui::TObject* Sender);
    void lbl_oldsongMouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
    void lbl_newsongMouseMove(gui::TObject* Sender, gui::TShiftState Shift, int X, int Y);
    void Timer1Timer(gui::TObject* Sender);
    void slideposStopTracking(gui::TObject* Sender);
    void FlatButton1Click(gui::TObject* Sender);

    void InitAudio();
    void ShowBassError(const gui::String& Message);
    void PlayModule(const gui::String& FileName);
    void PlayModuleByIndex(int Index);

protected:
    void DoShow() override;

private:
    void StartSong(int Which);
    // The last poll's raw results, to see when ticks stop changing anything.
    struct Poll {
        DWORD position, left, right;
        bool operator==(const Poll&) const = default;
    };
    std::optional<Poll> lastPoll;
    void LoadAndPlay(const gui::String& FileName, DWORD Flags);
};

extern TForm3* Form3;
