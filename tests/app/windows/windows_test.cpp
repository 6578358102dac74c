// The music disk's windows together: start-up, the menu's artist and text
// buttons, and the Bio window's player over a recording audio layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "gui/windows/TestKit.h"
#include "../FiveWindows.h"

using namespace gui;
namespace fs = std::filesystem;

namespace {

// ---- A recording audio layer -------------------------------------------------------
struct FakeBass {
    std::vector<std::string> calls;
    DWORD version = (4u << 16) | 1u;
    BOOL initResult = 1;
    DWORD errorCode = 3;
    DWORD length = 20;
    DWORD position = 0;
    DWORD level = 0;
    HMUSIC nextHandle = 100;
    std::vector<std::pair<std::string, DWORD>> loads;  // file, flags
    int inits = 0;
    int frees = 0;
};
FakeBass* fake = nullptr;

void InstallFake() {
    BassCalls.GetVersion = [] { return fake->version; };
    BassCalls.Init = [](int dev, DWORD freq, DWORD flags, void*) {
        fake->calls.push_back("Init " + std::to_string(dev) + " " + std::to_string(freq) + " " + std::to_string(flags));
        ++fake->inits;
        return fake->initResult;
    };
    BassCalls.Start = [] { fake->calls.push_back("Start"); return BOOL(1); };
    BassCalls.ErrorGetCode = [] { return fake->errorCode; };
    BassCalls.Free = [] { fake->calls.push_back("Free"); ++fake->frees; return BOOL(1); };
    BassCalls.MusicLoad = [](BOOL, const void* file, DWORD, DWORD, DWORD flags) {
        fake->loads.emplace_back(static_cast<const char*>(file), flags);
        fake->calls.push_back("Load");
        return fake->nextHandle++;
    };
    BassCalls.MusicFree = [](HMUSIC h) { fake->calls.push_back("MusicFree " + std::to_string(h)); return BOOL(1); };
    BassCalls.MusicGetLength = [](HMUSIC, BOOL) { return fake->length; };
    BassCalls.MusicPlay = [](HMUSIC h) { fake->calls.push_back("Play " + std::to_string(h)); return BOOL(1); };
    BassCalls.ChannelGetPosition = [](DWORD) { return fake->position; };
    BassCalls.ChannelGetLevel = [](DWORD) { return fake->level; };
    BassCalls.ChannelPause = [](DWORD h) { fake->calls.push_back("Pause " + std::to_string(h)); return BOOL(1); };
    BassCalls.ChannelSetPosition = [](DWORD h, DWORD pos) {
        fake->calls.push_back("SetPosition " + std::to_string(h) + " " + std::to_string(pos));
        return BOOL(1);
    };
    BassCalls.ChannelResume = [](DWORD h) { fake->calls.push_back("Resume " + std::to_string(h)); return BOOL(1); };
}

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new FiveWindowsEnvironment);

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = BassCalls;
        fake = &bass;
        InstallFake();
        musichandleBefore = Form3->musichandle;
        bassready = false;
        artistslot = 0;
        // The fake changes what a released library reports, which the real one
        // never does: every test starts with a ticking player timer.
        Form3->Timer1->SetResting(false);
    }
    void TearDown() override {
        BassCalls = saved;
        fake = nullptr;
        Form3->Hide();
        Form5->Hide();
        Form1->Hide();
    }
    // Moves the pointer onto a control and clicks it in the middle, as a user does.
    static void ClickOn(TControl* c) {
        testkit::MouseMove(c, c->Width() / 2, c->Height() / 2);
        testkit::Click(c, c->Width() / 2, c->Height() / 2);
    }

    testkit::Session session;
    FakeBass bass;
    TBassCalls saved;
    HMUSIC musichandleBefore = 0;
};

// Runs a test in an empty working folder, going back afterwards.
class EmptyFolder {
public:
    EmptyFolder() : old(fs::current_path()) {
        dir = fs::temp_directory_path() / ("korvane_windows_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    ~EmptyFolder() {
        fs::current_path(old);
        fs::remove_all(dir);
    }
    fs::path old, dir;
};


}  // namespace

// ---- Start-up --------------------------------------------------------------------------

TEST_F(WindowsTest, StartUpOrderAndTheSplashGivesWayOnTheThirdTick) {
    ASSERT_EQ(Screen->FormCount(), 5);
    EXPECT_EQ(Screen->Forms(0), Form4);
    EXPECT_EQ(Screen->Forms(1), Form1);
    EXPECT_EQ(Screen->Forms(2), Form2);
    EXPECT_EQ(Screen->Forms(3), Form3);
    EXPECT_EQ(Screen->Forms(4), Form5);
    EXPECT_EQ(Application->MainForm(), Form4);
    EXPECT_FALSE(Form2->Visible());
    EXPECT_FALSE(Form5->Visible());

    Form4->Show();
    splashticks = 0;
    Form4->Timer1->SetEnabled(true);
    ASSERT_TRUE(testkit::FireTimer(Form4->Timer1));
    ASSERT_TRUE(testkit::FireTimer(Form4->Timer1));
    EXPECT_TRUE(Form4->Visible());
    EXPECT_FALSE(Form1->Visible()) << "not on the second tick";
    ASSERT_TRUE(testkit::FireTimer(Form4->Timer1));
    EXPECT_EQ(splashticks, 3);
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(Form4->Visible());
    EXPECT_FALSE(Form4->Timer1->Enabled()) << "the menu's FormShow stops the splash timer";
    EXPECT_FALSE(testkit::TimerRunning(Form4->Timer1));
    EXPECT_TRUE(session.Boxes.empty());
}

TEST_F(WindowsTest, MenuLayoutFollowsTheCatalogue) {
    for (const app::ArtistEntry& a : app::Artists()) {
        controls::TSkHotImage* b = Form1->ArtistButton(a.slot);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->Name(), String(a.button));
        EXPECT_FALSE(b->HotRect()->Visible());
        EXPECT_TRUE(b->Transparent());
    }
    EXPECT_EQ(Form1->ArtistButton(0), nullptr);
    EXPECT_EQ(Form1->ArtistButton(11), nullptr);
    EXPECT_EQ(Form1->lbl_info->Caption(), "Info");
    EXPECT_EQ(Form1->lbl_cover->Caption(), "Covers");
    EXPECT_EQ(Form1->lbl_min->Caption(), "Min");
    EXPECT_EQ(Form1->lbl_exit->Caption(), "Exit");
    EXPECT_TRUE(Form1->HasWindowRegion()) << "the mask cuts the menu's outline";
    HRGN rgn = Form1->SwTransparentForm1->GetRegion();
    EXPECT_TRUE(PtInRegion(rgn, 100, 110)) << "an artist button is inside the outline";
    EXPECT_TRUE(PtInRegion(rgn, 262, 394)) << "\"Exit\" is inside the outline";
    EXPECT_FALSE(PtInRegion(rgn, 2, 2)) << "the top left corner is cut away";
}

TEST_F(WindowsTest, MenuShowsItsPicture) {
    Form1->Show();
    TBitmap* pic = Form1->SwImage1->Picture()->Bitmap();
    ASSERT_EQ(pic->Width(), 294);
    ASSERT_EQ(pic->Height(), 441);
    // A point of the background that no button covers.
    EXPECT_EQ(testkit::PixelAt(Form1, 250, 300), pic->Canvas()->Pixels(250, 300));
}

// ---- Hover and dragging ------------------------------------------------------------

TEST_F(WindowsTest, HoverSwitchesDraggingAndHighlightsOneLabel) {
    Form1->Show();
    Form1->SwImage1MouseMove(Form1->SwImage1, {}, 5, 5);
    EXPECT_TRUE(Form1->SwTransparentForm1->Dragable());
    Form1->ArtistMouseMove(Form1->btn_orvek, {}, 5, 5);
    Form1->ArtistMouseMove(Form1->btn_orvek, {}, 6, 5);
    EXPECT_FALSE(Form1->SwTransparentForm1->Dragable());
    Form1->SwImage1MouseMove(Form1->SwImage1, {}, 5, 5);
    EXPECT_TRUE(Form1->SwTransparentForm1->Dragable());

    testkit::MouseMove(Form1->lbl_cover, 3, 3);
    EXPECT_FALSE(Form1->SwTransparentForm1->Dragable());
    EXPECT_EQ(Form1->lbl_cover->Font()->Color(), 12632256);
    EXPECT_EQ(Form1->lbl_info->Font()->Color(), 8421504);
    testkit::MouseMove(Form1->lbl_exit, 3, 3);
    EXPECT_EQ(Form1->lbl_cover->Font()->Color(), 8421504);
    EXPECT_EQ(Form1->lbl_exit->Font()->Color(), 12632256);
    Form1->SwImage1MouseMove(Form1->SwImage1, {}, 5, 5);
    EXPECT_EQ(Form1->lbl_exit->Font()->Color(), 8421504);
}

TEST_F(WindowsTest, MinMinimisesOnlyTheMenu) {
    Form1->Show();
    Form3->Show();
    ClickOn(Form1->lbl_min);
    EXPECT_EQ(Form1->WindowState(), wsMinimized);
    EXPECT_EQ(Form3->WindowState(), wsNormal);
    EXPECT_TRUE(Form3->Visible());
    Form1->SetWindowState(wsNormal);
}

// ---- Artists and the info page ---------------------------------------------------------

TEST_F(WindowsTest, EveryArtistButtonPreparesTheBioWindow) {
    Form1->Show();
    for (const app::ArtistEntry& a : app::Artists()) {
        SCOPED_TRACE(a.caption);
        Form3->Hide();
        Form3->FlatButton1->SetVisible(false);
        ClickOn(Form1->ArtistButton(a.slot));
        ASSERT_TRUE(session.Boxes.empty()) << session.Texts().front();
        EXPECT_EQ(artistslot, a.slot);
        EXPECT_EQ(Form3->Caption(), String(a.caption));
        EXPECT_EQ(Form3->htmlView1->CurrentFile(), (fs::current_path() / a.page).lexically_normal().string());
        EXPECT_GT(Form3->htmlView1->SectionList()->Count(), 0);
        EXPECT_EQ(Form3->lbl_songtitle->Caption(), String(a.songTitle));
        EXPECT_EQ(Form3->lbl_oldsong->Caption(), String(a.oldSongCaption));
        EXPECT_EQ(Form3->lbl_newsong->Caption(), "2002");
        EXPECT_TRUE(Form3->FlatButton1->Visible());
        EXPECT_TRUE(Form3->slidepos->Visible());
        EXPECT_TRUE(Form3->Visible());
    }
    EXPECT_TRUE(bass.loads.empty()) << "opening an artist plays nothing";
}

TEST_F(WindowsTest, AnotherArtistLeavesTheSongAndModInfoAlone) {
    ClickOn(Form1->btn_ubrin);
    ClickOn(Form3->lbl_newsong);
    ASSERT_EQ(bass.loads.size(), 1u);
    EXPECT_EQ(bass.loads[0].first, "ubrin2.xm");
    bass.calls.clear();
    ClickOn(Form1->btn_tam);
    EXPECT_EQ(Form3->Caption(), "Tam Kessel");
    EXPECT_EQ(artistslot, 10);
    EXPECT_TRUE(bass.calls.empty()) << "the song goes on";
    EXPECT_EQ(Form5->lbl_title->Caption(), "Copper Lantern");
    EXPECT_EQ(Form5->instlist->Items()->Count(), 35);
}

TEST_F(WindowsTest, InfoPageHidesThePlayerAndKeepsTheSlot) {
    ClickOn(Form1->btn_peltrin);
    ClickOn(Form1->lbl_info);
    ASSERT_TRUE(session.Boxes.empty()) << session.Texts().front();
    EXPECT_EQ(Form3->Caption(), "Hollowmere - Korvane Info");
    EXPECT_EQ(Form3->htmlView1->CurrentFile(), (fs::current_path() / "_korvane_index.htm").string());
    EXPECT_GT(Form3->htmlView1->SectionList()->Count(), 0);
    EXPECT_EQ(Form3->lbl_songtitle->Caption(), "");
    EXPECT_EQ(Form3->lbl_oldsong->Caption(), "");
    EXPECT_EQ(Form3->lbl_newsong->Caption(), "");
    EXPECT_FALSE(Form3->FlatButton1->Visible());
    EXPECT_FALSE(Form3->leftlevel->Visible());
    EXPECT_FALSE(Form3->rightlevel->Visible());
    EXPECT_FALSE(Form3->trackpos->Visible());
    EXPECT_FALSE(Form3->slidepos->Visible());
    EXPECT_EQ(artistslot, 3);
    // The empty caption still plays the slot's song.
    Form3->lbl_oldsongClick(Form3->lbl_oldsong);
    ASSERT_EQ(bass.loads.size(), 1u);
    EXPECT_EQ(bass.loads[0].first, "peltrin1.xm");
}

TEST_F(WindowsTest, MissingPageIsReportedAndChangesNothing) {
    ClickOn(Form1->btn_orvek);
    Form3->Hide();
    session.Clear();
    {
        EmptyFolder empty;
        ClickOn(Form1->btn_lund);
    }
    ASSERT_EQ(session.Texts().size(), 1u);
    EXPECT_EQ(session.Texts()[0], "Can't locate file: lundsarrow.html");
    EXPECT_EQ(artistslot, 1);
    EXPECT_EQ(Form3->Caption(), "Orvek");
    EXPECT_EQ(Form3->lbl_oldsong->Caption(), "Spring '92");
    EXPECT_FALSE(Form3->Visible());
    EXPECT_EQ(Form3->htmlView1->SectionList()->Count(), 0) << "the viewer is left empty";
    EXPECT_EQ(Form3->htmlView1->CurrentFile(), "");
}

TEST_F(WindowsTest, MissingBackgroundPictureStopsBeforeShowing) {
    const fs::path content = fs::current_path();
    EmptyFolder empty;
    fs::copy_file(content / "hask.html", "hask.html");
    Form3->Hide();
    ClickOn(Form1->SkHotImage4);
    ASSERT_EQ(session.Texts().size(), 1u);
    EXPECT_EQ(session.Texts()[0], "Cannot open file bio-back.jpg");
    // The steps before the picture stay done; the window is not shown.
    EXPECT_EQ(artistslot, 4);
    EXPECT_EQ(Form3->Caption(), "Hask");
    EXPECT_TRUE(Form3->slidepos->Visible());
    EXPECT_FALSE(Form3->Visible());
}

// ---- Songs -----------------------------------------------------------------------------

TEST_F(WindowsTest, EverySongLoadsItsFileWithItsFlagsAndFillsModInfo) {
    for (const app::SongEntry& s : app::Songs()) {
        SCOPED_TRACE(std::string(s.file));
        artistslot = static_cast<std::uint8_t>(s.slot);
        bass.loads.clear();
        if (s.which == app::kOldSong)
            ClickOn(Form3->lbl_oldsong);
        else
            ClickOn(Form3->lbl_newsong);
        ASSERT_TRUE(session.Boxes.empty()) << session.Texts().front();
        ASSERT_EQ(bass.loads.size(), 1u);
        EXPECT_EQ(bass.loads[0].first, String(s.file));
        EXPECT_EQ(bass.loads[0].second, s.slot == 10 ? 0u : 1u);
        EXPECT_EQ(Form5->lbl_title->Caption(), String(app::ArtistBySlot(s.slot).songTitle));
        EXPECT_EQ(Form5->lbl_tracker->Caption(), String(app::ArtistBySlot(s.slot).caption));
        EXPECT_EQ(Form5->lbl_format->Caption(), String(s.formatText));
        EXPECT_EQ(Form5->lbl_length->Caption(), String(s.length));
        EXPECT_EQ(Form5->lbl_filesize->Caption(), String(s.size));
        const int fixed = static_cast<int>(s.fixedLines.size());
        if (s.itRead) {
            EXPECT_EQ(Form5->samplelist->Items()->Count(), 100);
            EXPECT_EQ(Form5->instlist->Items()->Count(), 100);
            EXPECT_EQ(Form5->commentbox->Items()->Count(), 200);
        } else {
            const bool samples = s.fixedList == app::FixedList::SampleList;
            EXPECT_EQ(Form5->samplelist->Items()->Count(), samples ? fixed : 0);
            EXPECT_EQ(Form5->instlist->Items()->Count(), samples ? 0 : fixed);
            EXPECT_EQ(Form5->commentbox->Items()->Count(), 0);
            TListBox* target = samples ? Form5->samplelist : Form5->instlist;
            ASSERT_EQ(target->Items()->Count(), fixed);
            for (int i = 0; i < fixed; ++i) EXPECT_EQ(target->Items()->Strings(i), String(s.fixedLines[i]));
        }
    }
    EXPECT_EQ(bass.inits, 1) << "the library starts once";
    EXPECT_FALSE(Form5->Visible()) << "a song click does not show Mod Info";
    Form3->Show();
    Form3->FlatButton1->SetVisible(true);
    ClickOn(Form3->FlatButton1);
    EXPECT_TRUE(Form5->Visible());
}

TEST_F(WindowsTest, TheFixedLineCountsOfTheCatalogue) {
    const std::pair<const char*, int> expected[] = {
        {"lundsarrow1.xm", 24}, {"peltrin1.xm", 24}, {"hask1.xm", 68},     {"zinderby1.mod", 31}, {"vespera1.s3m", 89},
        {"ubrin1.xm", 22},      {"tamkessel1.s3m", 31}, {"lundsarrow2.xm", 45}, {"peltrin2.xm", 128}, {"hask2.xm", 49},
        {"ubrin2.xm", 35}};
    for (const auto& [file, count] : expected) {
        bool found = false;
        for (const app::SongEntry& s : app::Songs())
            if (s.file == file) {
                found = true;
                EXPECT_EQ(static_cast<int>(s.fixedLines.size()), count) << file;
            }
        EXPECT_TRUE(found) << file;
    }
}

TEST_F(WindowsTest, SongClickWithoutArtistStartsTheLibraryAndPlaysNothing) {
    Form5->samplelist->Items()->Add("old");
    Form5->commentbox->Items()->Add("old");
    ClickOn(Form3->lbl_oldsong);
    EXPECT_EQ(bass.inits, 1);
    EXPECT_EQ(bass.calls.at(0), "Init -1 44100 16");
    EXPECT_EQ(bass.calls.at(1), "Start");
    EXPECT_TRUE(bassready);
    EXPECT_TRUE(bass.loads.empty());
    EXPECT_EQ(Form5->samplelist->Items()->Count(), 0);
    EXPECT_EQ(Form5->commentbox->Items()->Count(), 0);
}

TEST_F(WindowsTest, MissingModules) {
    EmptyFolder empty;
    // An IT row: the lists are cleared and nothing else happens.
    Form5->lbl_title->SetCaption("before");
    Form5->instlist->Items()->Add("old");
    artistslot = 1;
    ClickOn(Form3->lbl_oldsong);
    EXPECT_TRUE(session.Boxes.empty());
    EXPECT_TRUE(bass.loads.empty());
    EXPECT_EQ(Form5->lbl_title->Caption(), "before");
    EXPECT_EQ(Form5->instlist->Items()->Count(), 0);

    // Another row, with the real audio layer: silent failure, the texts still set.
    BassCalls = saved;
    artistslot = 2;
    ClickOn(Form3->lbl_oldsong);
    EXPECT_TRUE(session.Boxes.empty());
    EXPECT_TRUE(bassready);
    EXPECT_EQ(Form5->lbl_format->Caption(), "XM");
    EXPECT_EQ(Form5->instlist->Items()->Count(), 24);
    // Polling a failed module puts the meters at 35 and clamps the bars.
    testkit::FireTimer(Form3->Timer1);
    EXPECT_EQ(Form3->leftlevel->Position(), 35);
    EXPECT_EQ(Form3->rightlevel->Position(), 35);
    EXPECT_EQ(Form3->trackpos->Position(), Form3->trackpos->MaxValue());
    Form3->Close();
    EXPECT_FALSE(bassready);
}

// ---- The player timer ----------------------------------------------------------------------

TEST_F(WindowsTest, TimerLevelRuleAndClamping) {
    EXPECT_EQ(MeterLevel(0), 0);
    EXPECT_EQ(MeterLevel(128), 128);
    EXPECT_EQ(MeterLevel(129), 35);
    EXPECT_EQ(MeterLevel(65535), 35);

    Form3->trackpos->SetMaxValue(50);
    Form3->slidepos->SetMaxValue(50);
    bass.position = (7u << 16) | 12u;  // row 7 of order 12
    bass.level = (129u << 16) | 128u;
    ASSERT_TRUE(testkit::FireTimer(Form3->Timer1));
    EXPECT_EQ(Form3->leftlevel->Position(), 128);
    EXPECT_EQ(Form3->rightlevel->Position(), 35);
    EXPECT_EQ(Form3->trackpos->Position(), 12);
    EXPECT_EQ(Form3->slidepos->Value(), 12);

    bass.level = (128u << 16) | 200u;
    bass.position = 0xFFFFFFFFu;
    testkit::FireTimer(Form3->Timer1);
    EXPECT_EQ(Form3->leftlevel->Position(), 35);
    EXPECT_EQ(Form3->rightlevel->Position(), 128);
    EXPECT_EQ(Form3->trackpos->Position(), 50);
    EXPECT_EQ(Form3->slidepos->Value(), 50);
    EXPECT_EQ(Form3->Timer1->Interval(), 30u);
}

// The timer runs while the Bio window is hidden: the controls take every
// value, but nothing is painted until the window is shown.
TEST_F(WindowsTest, TimerTicksOfTheHiddenBioWindowPaintNothing) {
    int paints = 0;
    TWndMethod old = Form3->leftlevel->WindowProc;
    Form3->leftlevel->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_PAINT) ++paints;
        old(m);
    };
    struct Restore {
        TWndMethod old;
        ~Restore() {
            Form3->leftlevel->WindowProc = old;
            Form3->leftlevel->SetVisible(false);
        }
    } restore{old};
    Form3->leftlevel->SetVisible(true);
    ASSERT_FALSE(Form3->Visible());
    for (DWORD level = 1; level <= 20; ++level) {
        bass.level = level * 6;
        ASSERT_TRUE(testkit::FireTimer(Form3->Timer1));
        EXPECT_EQ(Form3->leftlevel->Position(), static_cast<int>(level * 6));
    }
    EXPECT_EQ(paints, 0);
    Form3->Show();
    testkit::ProcessMessages();
    EXPECT_EQ(paints, 1) << "shown: the last state, painted once";
    bass.level = 128;
    testkit::FireTimer(Form3->Timer1);
    EXPECT_EQ(paints, 2) << "shown: every change paints at once";
}

// Hidden with the library released, the polls repeat themselves: after two
// equal ticks the timer rests (still enabled) until the window is shown or a
// song starts the library. Shown, or with the library running, it never rests.
TEST_F(WindowsTest, PlayerTimerRestsOnlyWhileHiddenAndReleased) {
    ASSERT_FALSE(Form3->Visible());
    bass.position = 0xFFFFFFFFu;
    bass.level = 0xFFFFFFFFu;
    ASSERT_TRUE(testkit::FireTimer(Form3->Timer1));
    ASSERT_TRUE(testkit::FireTimer(Form3->Timer1));
    EXPECT_TRUE(Form3->Timer1->Resting());
    EXPECT_TRUE(Form3->Timer1->Enabled());
    EXPECT_FALSE(testkit::TimerRunning(Form3->Timer1));
    EXPECT_EQ(Form3->leftlevel->Position(), 35);

    Form3->Show();
    EXPECT_TRUE(testkit::TimerRunning(Form3->Timer1));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(testkit::FireTimer(Form3->Timer1)) << "shown: every tick";

    // The library running while hidden: the song's values keep arriving.
    Form3->Hide();
    bassready = true;
    bass.level = 0;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(testkit::FireTimer(Form3->Timer1));
    EXPECT_EQ(Form3->leftlevel->Position(), 0);

    // Released and resting, then a song started while hidden wakes it.
    bassready = false;
    ASSERT_TRUE(testkit::FireTimer(Form3->Timer1));
    ASSERT_FALSE(testkit::TimerRunning(Form3->Timer1));
    Form3->InitAudio();
    EXPECT_TRUE(testkit::TimerRunning(Form3->Timer1));
}

// The meters as the Bio window builds them: a 1-pixel black outline around 44
// one-pixel ticks, zones of 26, 11 and 7, filling from opposite ends.
TEST_F(WindowsTest, LevelMetersDrawOutlinedTicksInThreeZones) {
    struct Restore {
        ~Restore() {
            for (auto* m : {Form3->leftlevel, Form3->rightlevel}) m->SetVisible(false);
            Form3->leftlevel->SetPosition(1);
            Form3->rightlevel->SetPosition(0);
        }
    } restore;
    for (auto* m : {Form3->leftlevel, Form3->rightlevel}) {
        m->SetVisible(true);
        m->SetPosition(128);
        auto pic = testkit::Render(m);
        ASSERT_EQ(pic->Width(), 89);
        ASSERT_EQ(pic->Height(), 5);
        for (int x = 0; x < 89; ++x) {
            EXPECT_EQ(pic->Canvas()->Pixels(x, 0), clBlack) << m->Name() << " x " << x;
            EXPECT_EQ(pic->Canvas()->Pixels(x, 4), clBlack) << m->Name() << " x " << x;
        }
        for (int y = 0; y < 5; ++y) {
            EXPECT_EQ(pic->Canvas()->Pixels(0, y), clBlack);
            EXPECT_EQ(pic->Canvas()->Pixels(88, y), clBlack);
        }
    }
    // rightlevel: tick k at x = 2k - 1, from the left.
    auto tickRight = [](int k) { return 2 * k - 1; };
    // leftlevel: tick k at x = 89 - 2k, from the right.
    auto tickLeft = [](int k) { return 89 - 2 * k; };
    auto expectTicks = [](TControl* m, auto at, int lit) {
        auto pic = testkit::Render(m);
        for (int k = 1; k <= 44; ++k) {
            const TColor want = k <= 26 ? (k <= lit ? clLime : clGreen)
                                : k <= 37 ? (k <= lit ? clYellow : clOlive)
                                          : (k <= lit ? clRed : clMaroon);
            for (int y = 1; y <= 3; ++y)
                EXPECT_EQ(pic->Canvas()->Pixels(at(k), y), want) << m->Name() << " tick " << k << " y " << y;
            if (k < 44) {
                EXPECT_EQ(pic->Canvas()->Pixels((at(k) + at(k + 1)) / 2, 2), clBlack);  // the gap
            }
        }
    };
    expectTicks(Form3->rightlevel, tickRight, 44);
    expectTicks(Form3->leftlevel, tickLeft, 44);
    Form3->rightlevel->SetPosition(64);
    Form3->leftlevel->SetPosition(64);
    expectTicks(Form3->rightlevel, tickRight, 22);
    expectTicks(Form3->leftlevel, tickLeft, 22);
}

TEST_F(WindowsTest, ShortModulesAndFailedLengths) {
    Form3->trackpos->SetMaxValue(40);
    Form3->slidepos->SetMaxValue(40);
    bass.length = 5;  // below the slider's minimum plus its increment
    Form3->PlayModule("x.it");
    EXPECT_EQ(Form3->trackpos->MaxValue(), 5);
    EXPECT_EQ(Form3->slidepos->MaxValue(), 40);
    bass.length = 0xFFFFFFFFu;
    Form3->PlayModule("y.it");
    EXPECT_EQ(Form3->trackpos->MaxValue(), 5);
    EXPECT_EQ(Form3->slidepos->MaxValue(), 40);
}

TEST_F(WindowsTest, StoppingTheSliderSeeksToTheReleasedOrder) {
    bass.length = 60;
    Form3->PlayModuleByIndex(2);
    EXPECT_EQ(Form3->slidepos->MaxValue(), 60);
    ASSERT_EQ(bass.loads.size(), 1u);
    EXPECT_EQ(bass.loads[0].first, "tamkessel2.it");
    const HMUSIC h = Form3->musichandle;
    Form3->slidepos->SetValue(30);
    bass.calls.clear();
    Form3->slideposStopTracking(Form3->slidepos);
    const std::vector<std::string> expected = {"Pause " + std::to_string(h), "SetPosition " + std::to_string(h) + " 30",
                                               "Resume " + std::to_string(h)};
    EXPECT_EQ(bass.calls, expected);
}

TEST_F(WindowsTest, DraggingTheSliderIgnoresThePlayerAndSeeksOnRelease) {
    Form3->Show();
    Form3->slidepos->SetVisible(true);
    bass.length = 100;
    Form3->PlayModule("z.it");
    const HMUSIC h = Form3->musichandle;
    bass.position = 3;
    testkit::FireTimer(Form3->Timer1);
    ASSERT_EQ(Form3->slidepos->Value(), 3);

    controls::TSliderThumb* thumb = Form3->slidepos->Thumb();
    const int ty = thumb->Height() / 2;
    testkit::MouseDown(thumb, 2, ty);
    testkit::MouseMove(thumb, 2 + 40, ty);
    ASSERT_TRUE(Form3->slidepos->CurrentlySeeking());
    const int dragged = Form3->slidepos->Value();
    EXPECT_GT(dragged, 3);
    bass.position = 4;
    testkit::FireTimer(Form3->Timer1);
    EXPECT_EQ(Form3->slidepos->Value(), dragged) << "the player's writes are ignored during a drag";
    EXPECT_EQ(Form3->trackpos->Position(), 4);
    bass.calls.clear();
    testkit::MouseUp(thumb, 2 + 40, ty);
    const std::vector<std::string> expected = {"Pause " + std::to_string(h),
                                               "SetPosition " + std::to_string(h) + " " + std::to_string(dragged),
                                               "Resume " + std::to_string(h)};
    EXPECT_EQ(bass.calls, expected);
    EXPECT_FALSE(Form3->slidepos->CurrentlySeeking());
    testkit::FireTimer(Form3->Timer1);
    EXPECT_EQ(Form3->slidepos->Value(), 4);
}

TEST_F(WindowsTest, CloseReleasesTheLibraryAndTheNextSongStartsItAgain) {
    artistslot = 2;
    ClickOn(Form3->lbl_newsong);
    EXPECT_EQ(bass.inits, 1);
    ClickOn(Form3->lbl_newsong);
    EXPECT_EQ(bass.inits, 1);
    const HMUSIC first = bass.nextHandle - 2;
    EXPECT_NE(std::find(bass.calls.begin(), bass.calls.end(), "MusicFree " + std::to_string(first)), bass.calls.end())
        << "the same song again frees the previous module";
    Form3->Show();
    Form3->Close();
    EXPECT_FALSE(Form3->Visible());
    EXPECT_FALSE(bassready);
    EXPECT_EQ(bass.frees, 1);
    ClickOn(Form3->lbl_newsong);
    EXPECT_EQ(bass.inits, 2);
    EXPECT_TRUE(bassready);
}

TEST_F(WindowsTest, AudioStartFailuresShowTheErrorAndEndTheProgram) {
    bass.version = 0x00020001;
    bass.errorCode = 41;
    ClickOn(Form3->lbl_oldsong);
    ASSERT_EQ(session.Boxes.size(), 1u);
    EXPECT_EQ(session.Boxes[0].Text, "Bass version 1.4 could not load\r\n(error code: 41)");
    EXPECT_EQ(session.Boxes[0].Caption, "Error");
    EXPECT_EQ(session.Boxes[0].Flags & MB_ICONERROR, MB_ICONERROR);
    EXPECT_EQ(session.Halts.size(), 1u);
    EXPECT_EQ(bass.inits, 0);

    session.Clear();
    bass.version = (4u << 16) | 1u;
    bass.initResult = 0;
    bass.errorCode = 3;
    ClickOn(Form3->lbl_oldsong);
    ASSERT_EQ(session.Boxes.size(), 1u);
    EXPECT_EQ(session.Boxes[0].Text, "Can't initialize device\r\n(error code: 3)");
    EXPECT_EQ(session.Halts.size(), 2u);
    EXPECT_FALSE(bassready);
}

TEST_F(WindowsTest, SongCaptionsHighlightUnderThePointer) {
    testkit::MouseMove(Form3->lbl_oldsong, 2, 2);
    EXPECT_EQ(Form3->lbl_oldsong->Font()->Color(), 12632256);
    EXPECT_EQ(Form3->lbl_newsong->Font()->Color(), 8421504);
    Form3->lbl_newsongMouseMove(Form3->lbl_newsong, {}, 2, 2);
    EXPECT_EQ(Form3->lbl_oldsong->Font()->Color(), 8421504);
    EXPECT_EQ(Form3->lbl_newsong->Font()->Color(), 12632256);
}
