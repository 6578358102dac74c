#include "app/Player.h"

#include <filesystem>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "catalogue/Catalogue.h"

namespace app {

namespace {

// The audio layer's length in bytes counts 16-bit stereo at the rate the
// player opens the device with.
constexpr double kBytesPerSecond = 44100.0 * 4;
constexpr std::string_view kAlbum = "Hollowmere";

HMUSIC Handle() { return Form3->musichandle; }

// The release in order: each artist's old song, then the remake.
int Index(int slot, int which) { return (slot - 1) * 2 + (which == kRemake ? 1 : 0); }
constexpr int kLastIndex = kArtistCount * 2 - 1;

}  // namespace

TDiskPlayer& Player() {
    static TDiskPlayer player;
    return player;
}

void TDiskPlayer::SongStarted(int Slot, int Which) {
    FSlot = Slot;
    FWhich = Which;
    FPaused = false;
    FStopped = false;
    FPolled = Status();
    Changed();
}

void TDiskPlayer::SongReleased() {
    if (FSlot == 0) return;
    FSlot = FWhich = 0;
    FPaused = FStopped = false;
    FPolled = gui::TPlaybackStatus::Stopped;
    Changed();
}

void TDiskPlayer::Poll() {
    if (FSlot == 0 || FPaused || FStopped) return;
    const gui::TPlaybackStatus now = Status();
    if (now == FPolled) return;
    FPolled = now;
    Changed();
}

gui::TPlaybackStatus TDiskPlayer::Status() const {
    if (FSlot == 0 || FStopped) return gui::TPlaybackStatus::Stopped;
    if (FPaused) return gui::TPlaybackStatus::Paused;
    switch (BassCalls.ChannelIsActive(Handle())) {
        case BASS_ACTIVE_PLAYING: return gui::TPlaybackStatus::Playing;
        case BASS_ACTIVE_PAUSED: return gui::TPlaybackStatus::Paused;
        default: return gui::TPlaybackStatus::Stopped;
    }
}

std::string TDiskPlayer::TrackId() const {
    if (FSlot == 0) return {};
    return "/org/korvane/song/" + std::to_string(FSlot) + (FWhich == kRemake ? "_remake" : "_old");
}

std::int64_t TDiskPlayer::LengthUs() const {
    const DWORD bytes = BassCalls.MusicGetLength(Handle(), 1);
    if (bytes == BASS_FAIL) return 0;
    return static_cast<std::int64_t>(bytes / kBytesPerSecond * 1e6);
}

bool TDiskPlayer::Track(gui::TTrackInfo& Info) const {
    const ArtistEntry* artist = FindArtist(FSlot);
    if (!artist) return false;
    Info.Id = TrackId();
    Info.Title = std::string(artist->songTitle);
    Info.Artist = std::string(artist->caption);
    Info.Album = std::string(kAlbum);
    Info.LengthUs = LengthUs();
    std::error_code ec;
    const std::filesystem::path cover = std::filesystem::absolute(FrontCoverFile, ec);
    Info.ArtFile = !ec && std::filesystem::is_regular_file(cover, ec) ? cover.string() : std::string();
    return true;
}

std::int64_t TDiskPlayer::PositionUs() const {
    if (FSlot == 0) return 0;
    const double seconds = BassCalls.ChannelGetSeconds(Handle());
    return seconds > 0 ? static_cast<std::int64_t>(seconds * 1e6) : 0;
}

bool TDiskPlayer::CanGoNext() const { return FSlot == 0 || Index(FSlot, FWhich) < kLastIndex; }
bool TDiskPlayer::CanGoPrevious() const { return FSlot != 0 && Index(FSlot, FWhich) > 0; }

void TDiskPlayer::Go(int Slot, int Which) {
    // The song buttons act for the artist the Bio window was opened for.
    if (artistslot != Slot || !Form3->Visible() || !Form3->slidepos->Visible()) Form1->OpenArtist(Slot);
    if (Which == kRemake)
        Form3->lbl_newsongClick(nullptr);
    else
        Form3->lbl_oldsongClick(nullptr);
}

void TDiskPlayer::Play() {
    if (FSlot == 0) {
        Go(artistslot != 0 ? artistslot : 1, kOldSong);
        return;
    }
    if (FPaused) {
        BassCalls.ChannelResume(Handle());
        FPaused = false;
    } else if (Status() == gui::TPlaybackStatus::Stopped) {
        BassCalls.MusicPlay(Handle());  // from the beginning, as a song click
        FStopped = false;
    } else {
        return;
    }
    FPolled = Status();
    Changed();
}

void TDiskPlayer::Pause() {
    if (FSlot == 0 || Status() != gui::TPlaybackStatus::Playing) return;
    BassCalls.ChannelPause(Handle());
    FPaused = true;
    FPolled = gui::TPlaybackStatus::Paused;
    Changed();
}

void TDiskPlayer::PlayPause() {
    if (Status() == gui::TPlaybackStatus::Playing)
        Pause();
    else
        Play();
}

void TDiskPlayer::Stop() {
    if (FSlot == 0 || FStopped) return;
    BassCalls.ChannelPause(Handle());
    BassCalls.ChannelSetPosition(Handle(), 0);  // the bar and the slider go back to the start
    FStopped = true;
    FPaused = false;
    FPolled = gui::TPlaybackStatus::Stopped;
    Changed();
}

void TDiskPlayer::Next() {
    if (FSlot == 0) {
        Play();
        return;
    }
    const int i = Index(FSlot, FWhich) + 1;
    if (i <= kLastIndex) Go(i / 2 + 1, i % 2 == 0 ? kOldSong : kRemake);
}

void TDiskPlayer::Previous() {
    if (FSlot == 0) return;
    const int i = Index(FSlot, FWhich) - 1;
    if (i >= 0) Go(i / 2 + 1, i % 2 == 0 ? kOldSong : kRemake);
}

void TDiskPlayer::SeekOrder(int Order) {
    const DWORD order = static_cast<DWORD>(Order) & 0xFFFF;
    if (FPaused || FStopped) {
        BassCalls.ChannelSetPosition(Handle(), order);
        if (FStopped) {
            // Moved away from the start: held there until Play.
            FStopped = false;
            FPaused = true;
            Changed();
        }
    } else {
        BassCalls.ChannelPause(Handle());
        BassCalls.ChannelSetPosition(Handle(), order);
        BassCalls.ChannelResume(Handle());
    }
    if (FSlot == 0) return;
    const double seconds = BassCalls.MusicOrderSeconds(Handle(), order);
    if (seconds >= 0) Seeked(static_cast<std::int64_t>(seconds * 1e6));
}

void TDiskPlayer::SeekBy(int Orders) {
    if (FSlot == 0) return;
    const int now = static_cast<int>(BassCalls.ChannelGetPosition(Handle()) & 0xFFFF);
    const int orders = static_cast<int>(BassCalls.MusicGetLength(Handle(), 0));
    const int target = now + Orders;
    if (orders <= 0 || target < 0 || target >= orders) return;
    SeekOrder(target);
}

void TDiskPlayer::Seek(std::int64_t OffsetUs) {
    if (FSlot == 0) return;
    std::int64_t target = PositionUs() + OffsetUs;
    if (target < 0) target = 0;
    if (target > LengthUs()) {
        Next();  // past the end: as the song's end would
        return;
    }
    const DWORD order = BassCalls.MusicOrderAt(Handle(), static_cast<double>(target) / 1e6);
    if (order != BASS_FAIL) SeekOrder(static_cast<int>(order));
}

void TDiskPlayer::SetPosition(const std::string& Id, std::int64_t PositionUs) {
    if (FSlot == 0 || Id != TrackId() || PositionUs < 0 || PositionUs > LengthUs()) return;
    const DWORD order = BassCalls.MusicOrderAt(Handle(), static_cast<double>(PositionUs) / 1e6);
    if (order != BASS_FAIL) SeekOrder(static_cast<int>(order));
}

void TDiskPlayer::Raise() {
    if (Form4->Visible()) {
        // Still on the splash: end it as its timer does.
        Form1->Show();
        Form4->Hide();
    }
    if (Form1->WindowState() == gui::wsMinimized) Form1->SetWindowState(gui::wsNormal);
    Form1->Show();
    Form1->BringToFront();
}

void TDiskPlayer::Quit() { Form1->lbl_exitClick(nullptr); }

bool BioWindowKey(gui::Word Key, gui::TShiftState Shift) {
    if (Shift.Contains(gui::ssCtrl) || Shift.Contains(gui::ssAlt)) return false;  // Alt+Left/Right: the page's history
    TDiskPlayer& player = Player();
    switch (Key) {
        case gui::VK_SPACE:
            if (player.SongSlot() == 0) return false;
            player.PlayPause();
            return true;
        case gui::VK_LEFT:
        case gui::VK_RIGHT: player.SeekBy(Key == gui::VK_LEFT ? -1 : 1); return true;
        case '1': Form3->lbl_oldsongClick(nullptr); return true;
        case '2': Form3->lbl_newsongClick(nullptr); return true;
        case gui::VK_ESCAPE: Form3->Close(); return true;
        default: return false;
    }
}

}  // namespace app
