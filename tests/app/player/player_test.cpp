// The player the desktop and the keys drive: pause and resume, stop, the
// previous and next song through the release, seeks given as times, what it
// tells the desktop, and the keys of the menu, the Bio window, Covers and
// Mod Info.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/Player.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "catalogue/Catalogue.h"
#include "gui/windows/TestKit.h"
#include "../FiveWindows.h"

using namespace gui;
using app::Player;

namespace {

// A recording audio layer: 20 orders of 2 s each.
struct FakeBass {
    std::vector<std::string> calls;
    std::vector<std::string> loads;
    DWORD active = BASS_ACTIVE_STOPPED;
    DWORD position = 3;
    double seconds = 7.5;
    HMUSIC nextHandle = 100;
};
FakeBass* fake = nullptr;
constexpr DWORD kOrders = 20;
constexpr double kOrderSeconds = 2.0;

void InstallFake() {
    BassCalls.GetVersion = [] { return DWORD((4u << 16) | 1u); };
    BassCalls.Init = [](int, DWORD, DWORD, void*) { return BOOL(1); };
    BassCalls.Start = [] { return BOOL(1); };
    BassCalls.Free = [] {
        fake->calls.push_back("Free");
        fake->active = BASS_ACTIVE_STOPPED;
        return BOOL(1);
    };
    BassCalls.MusicLoad = [](BOOL, const void* file, DWORD, DWORD, DWORD) {
        fake->loads.emplace_back(static_cast<const char*>(file));
        return fake->nextHandle++;
    };
    BassCalls.MusicFree = [](HMUSIC) { return BOOL(1); };
    BassCalls.MusicGetLength = [](HMUSIC, BOOL playlen) {
        return playlen ? static_cast<DWORD>(kOrders * kOrderSeconds * 44100 * 4) : kOrders;
    };
    BassCalls.MusicPlay = [](HMUSIC h) {
        fake->calls.push_back("Play " + std::to_string(h));
        fake->active = BASS_ACTIVE_PLAYING;
        return BOOL(1);
    };
    BassCalls.ChannelGetPosition = [](DWORD) { return fake->position; };
    BassCalls.ChannelGetLevel = [](DWORD) { return DWORD(0); };
    BassCalls.ChannelPause = [](DWORD h) {
        fake->calls.push_back("Pause " + std::to_string(h));
        fake->active = BASS_ACTIVE_PAUSED;
        return BOOL(1);
    };
    BassCalls.ChannelSetPosition = [](DWORD h, DWORD pos) {
        fake->calls.push_back("SetPosition " + std::to_string(h) + " " + std::to_string(pos));
        return BOOL(1);
    };
    BassCalls.ChannelResume = [](DWORD h) {
        fake->calls.push_back("Resume " + std::to_string(h));
        fake->active = BASS_ACTIVE_PLAYING;
        return BOOL(1);
    };
    BassCalls.ChannelIsActive = [](DWORD) { return fake->active; };
    BassCalls.ChannelGetSeconds = [](DWORD) { return fake->seconds; };
    BassCalls.MusicOrderAt = [](HMUSIC, double s) {
        return s >= 0 && s < kOrders * kOrderSeconds ? static_cast<DWORD>(s / kOrderSeconds) : BASS_FAIL;
    };
    BassCalls.MusicOrderSeconds = [](HMUSIC, DWORD order) { return order * kOrderSeconds; };
}

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new FiveWindowsEnvironment);

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = BassCalls;
        fake = &bass;
        InstallFake();
        bassready = false;
        artistslot = 0;
        Player().SongReleased();
        Player().OnChanged = [this] { ++changes; };
        Player().OnSeeked = [this](std::int64_t us) { seeks.push_back(us); };
    }
    void TearDown() override {
        Player().OnChanged = nullptr;
        Player().OnSeeked = nullptr;
        Player().SongReleased();
        BassCalls = saved;
        fake = nullptr;
        for (TCustomForm* f : {static_cast<TCustomForm*>(Form1), static_cast<TCustomForm*>(Form2),
                               static_cast<TCustomForm*>(Form3), static_cast<TCustomForm*>(Form5)})
            f->Hide();
    }
    // An artist opened and a song of it started, as the user does it.
    void PlaySong(int slot, int which) {
        Form1->OpenArtist(slot);
        if (which == app::kRemake)
            Form3->lbl_newsongClick(Form3->lbl_newsong);
        else
            Form3->lbl_oldsongClick(Form3->lbl_oldsong);
    }
    std::string LastLoad() const { return bass.loads.empty() ? "" : bass.loads.back(); }
    std::string LastCall() const { return bass.calls.empty() ? "" : bass.calls.back(); }

    testkit::Session session;
    FakeBass bass;
    TBassCalls saved;
    int changes = 0;
    std::vector<std::int64_t> seeks;
};

}  // namespace

TEST_F(PlayerTest, PauseHoldsTheChannelAndPlayResumesIt) {
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Stopped);
    EXPECT_FALSE(Player().CanPause());
    PlaySong(3, app::kOldSong);
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Playing);
    EXPECT_EQ(Player().SongSlot(), 3);
    const int afterStart = changes;
    EXPECT_GT(afterStart, 0) << "a new song is news for the desktop";

    const HMUSIC h = Form3->musichandle;
    Player().Pause();
    EXPECT_EQ(LastCall(), "Pause " + std::to_string(h));
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Paused);
    EXPECT_EQ(changes, afterStart + 1);
    Player().Pause();
    EXPECT_EQ(changes, afterStart + 1) << "nothing changed, nothing to tell";

    // The slider seeks a paused song without starting it.
    Form3->slidepos->SetValue(5);
    Form3->slideposStopTracking(Form3->slidepos);
    EXPECT_EQ(LastCall(), "SetPosition " + std::to_string(h) + " 5");
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Paused);
    ASSERT_EQ(seeks.size(), 1u);
    EXPECT_EQ(seeks[0], 10'000'000) << "order 5 starts at 10 s";

    Player().PlayPause();
    EXPECT_EQ(LastCall(), "Resume " + std::to_string(h));
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Playing);

    // Playing, the slider pauses, seeks and resumes as it always did.
    Form3->slidepos->SetValue(7);
    Form3->slideposStopTracking(Form3->slidepos);
    const std::vector<std::string> tail(bass.calls.end() - 3, bass.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Pause " + std::to_string(h), "SetPosition " + std::to_string(h) + " 7",
                                              "Resume " + std::to_string(h)}));
}

TEST_F(PlayerTest, StopGoesToTheStartAndPlayStartsTheSongAgain) {
    PlaySong(5, app::kRemake);
    const HMUSIC h = Form3->musichandle;
    Player().Stop();
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Stopped);
    EXPECT_EQ(LastCall(), "SetPosition " + std::to_string(h) + " 0");
    Player().Play();
    EXPECT_EQ(LastCall(), "Play " + std::to_string(h));
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Playing);

    // The song's end is seen by the player's tick and told once.
    bass.active = BASS_ACTIVE_STOPPED;
    const int before = changes;
    Form3->Timer1Timer(Form3->Timer1);
    Form3->Timer1Timer(Form3->Timer1);
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Stopped);
    EXPECT_EQ(changes, before + 1);

    // Closing the Bio window releases the song.
    Form3->Close();
    EXPECT_EQ(Player().SongSlot(), 0);
    TTrackInfo info;
    EXPECT_FALSE(Player().Track(info));
}

TEST_F(PlayerTest, NextAndPreviousWalkTheReleaseOpeningEachArtist) {
    // With nothing played, Play starts the first artist's old song.
    EXPECT_TRUE(Player().CanGoNext());
    EXPECT_FALSE(Player().CanGoPrevious());
    Player().Play();
    EXPECT_EQ(LastLoad(), "orvek1.it");
    EXPECT_TRUE(Form3->Visible());
    EXPECT_FALSE(Player().CanGoPrevious());

    Player().Next();
    EXPECT_EQ(LastLoad(), "orvek2.it");
    Player().Next();
    EXPECT_EQ(LastLoad(), "lundsarrow1.xm");
    EXPECT_EQ(artistslot, 2);
    EXPECT_EQ(Form3->Caption(), "Lund Sarrow");
    EXPECT_EQ(Form3->lbl_oldsong->Caption(), "Oct 28, 1992");

    Player().Previous();
    EXPECT_EQ(LastLoad(), "orvek2.it");
    EXPECT_EQ(Form3->Caption(), "Orvek");

    // The Info page hides the player: the next song brings its artist back.
    Form1->lbl_infoClick(Form1->lbl_info);
    Player().Previous();
    EXPECT_EQ(LastLoad(), "orvek1.it");
    EXPECT_EQ(Form3->Caption(), "Orvek");
    EXPECT_TRUE(Form3->slidepos->Visible());
    const size_t loads = bass.loads.size();
    Player().Previous();
    EXPECT_EQ(bass.loads.size(), loads) << "nothing before the first song";

    PlaySong(10, app::kRemake);
    EXPECT_FALSE(Player().CanGoNext());
    Player().Next();
    EXPECT_EQ(bass.loads.size(), loads + 1) << "nothing after the last song";
}

TEST_F(PlayerTest, TimesSeekToTheStartOfTheOrderHoldingThem) {
    PlaySong(4, app::kOldSong);
    const HMUSIC h = Form3->musichandle;
    EXPECT_EQ(Player().PositionUs(), 7'500'000);

    Player().Seek(2'000'000);  // 9.5 s lies in order 4
    EXPECT_EQ(LastCall(), "Resume " + std::to_string(h));
    EXPECT_EQ(bass.calls[bass.calls.size() - 2], "SetPosition " + std::to_string(h) + " 4");
    EXPECT_EQ(seeks.back(), 8'000'000);

    Player().SetPosition(Player().TrackId(), 13'500'000);
    EXPECT_EQ(bass.calls[bass.calls.size() - 2], "SetPosition " + std::to_string(h) + " 6");

    // Another song's id, and times outside the song, are ignored.
    const size_t calls = bass.calls.size();
    Player().SetPosition("/org/korvane/song/4_remake", 1'000'000);
    Player().SetPosition(Player().TrackId(), -1);
    Player().SetPosition(Player().TrackId(), 41'000'000);
    EXPECT_EQ(bass.calls.size(), calls);

    // Back past the start goes to the start; on past the end, to the next song.
    Player().Seek(-60'000'000);
    EXPECT_EQ(bass.calls[bass.calls.size() - 2], "SetPosition " + std::to_string(h) + " 0");
    Player().Seek(60'000'000);
    EXPECT_EQ(LastLoad(), "hask2.xm");
}

TEST_F(PlayerTest, TheDesktopSeesTheSongWithItsCatalogueNames) {
    PlaySong(8, app::kRemake);
    TTrackInfo info;
    ASSERT_TRUE(Player().Track(info));
    EXPECT_EQ(info.Id, "/org/korvane/song/8_remake");
    EXPECT_EQ(info.Title, "First Light Rising");
    EXPECT_EQ(info.Artist, "vESPERa");
    EXPECT_EQ(info.Album, "Hollowmere");
    EXPECT_EQ(info.LengthUs, 40'000'000);
    EXPECT_EQ(std::filesystem::path(info.ArtFile), std::filesystem::absolute("_korvane_cover.jpg"));
}

TEST_F(PlayerTest, RaiseBringsBackTheMenuFromTheSplashOrTheTaskbar) {
    Form4->Show();
    Player().Raise();
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(Form4->Visible()) << "the splash gives way as on its third tick";
    Form1->SetWindowState(wsMinimized);
    Player().Raise();
    EXPECT_EQ(Form1->WindowState(), wsNormal);
}

// ---- Keys ---------------------------------------------------------------------------------

TEST_F(PlayerTest, MenuKeysMoveTheHighlightAndActAsTheButtons) {
    Form1->Show();
    testkit::PressKey(VK_DOWN, {}, Form1);
    EXPECT_EQ(Form1->HighlightedSlot(), 1);
    EXPECT_TRUE(Form1->btn_orvek->Hot()) << "drawn as the hover is";
    testkit::PressKey(VK_DOWN, {}, Form1);
    EXPECT_FALSE(Form1->btn_orvek->Hot());
    EXPECT_TRUE(Form1->btn_lund->Hot());
    testkit::PressKey(VK_UP, {}, Form1);
    testkit::PressKey(VK_UP, {}, Form1);
    EXPECT_EQ(Form1->HighlightedSlot(), 10) << "Up from the first goes round to the last";
    EXPECT_TRUE(Form1->btn_tam->Hot());

    // The pointer over another artist takes the highlight there.
    Form1->ArtistMouseMove(Form1->btn_moor, {}, 5, 5);
    EXPECT_FALSE(Form1->btn_tam->Hot());
    testkit::PressKey(VK_DOWN, {}, Form1);
    EXPECT_EQ(Form1->HighlightedSlot(), 6);

    testkit::PressKey(VK_RETURN, {}, Form1);
    EXPECT_TRUE(Form3->Visible());
    EXPECT_EQ(Form3->Caption(), "Zinderby");
    EXPECT_EQ(artistslot, 6);

    testkit::PressKey('I', {}, Form1);
    EXPECT_EQ(Form3->Caption(), "Hollowmere - Korvane Info");
    testkit::PressKey('C', {}, Form1);
    EXPECT_TRUE(Form2->Visible());
    testkit::PressKey(VK_ESCAPE, {}, Form2);
    EXPECT_FALSE(Form2->Visible());
    testkit::PressKey('M', {}, Form1);
    EXPECT_EQ(Form1->WindowState(), wsMinimized);
    Form1->SetWindowState(wsNormal);
}

TEST_F(PlayerTest, BioKeysDriveThePlayerWhereverTheFocusIs) {
    Form1->OpenArtist(2);
    testkit::PressKey('1', {}, Form3->htmlView1);
    EXPECT_EQ(LastLoad(), "lundsarrow1.xm");
    const HMUSIC h = Form3->musichandle;
    testkit::PressKey(VK_SPACE, {}, Form3->htmlView1);
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Paused);
    testkit::PressKey(VK_SPACE, {}, Form3);
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Playing);

    bass.position = 3;  // order 3 heard
    testkit::PressKey(VK_RIGHT, {}, Form3->htmlView1);
    EXPECT_EQ(bass.calls[bass.calls.size() - 2], "SetPosition " + std::to_string(h) + " 4");
    testkit::PressKey(VK_LEFT, {}, Form3->slidepos);
    EXPECT_EQ(bass.calls[bass.calls.size() - 2], "SetPosition " + std::to_string(h) + " 2");

    // Space on the "ModInfo" button pauses; the button does not click.
    testkit::PressKey(VK_SPACE, {}, Form3->FlatButton1);
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Paused);
    EXPECT_FALSE(Form5->Visible());

    testkit::PressKey('2', {}, Form3->FlatButton1);
    EXPECT_EQ(LastLoad(), "lundsarrow2.xm");
    EXPECT_EQ(Player().Status(), TPlaybackStatus::Playing);

    Form3->FlatButton1Click(Form3->FlatButton1);
    ASSERT_TRUE(Form5->Visible());
    testkit::PressKey(VK_ESCAPE, {}, Form5->samplelist);
    EXPECT_FALSE(Form5->Visible());

    testkit::PressKey(VK_ESCAPE, {}, Form3->htmlView1);
    EXPECT_FALSE(Form3->Visible());
    EXPECT_EQ(LastCall(), "Free");
    EXPECT_EQ(Player().SongSlot(), 0);
}
