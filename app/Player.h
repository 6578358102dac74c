// The player as the desktop and the keyboard drive it: pause and resume,
// stop, the previous and next song through the release, and seeks, over the
// Bio window's player. It is what the desktop's media controls see.
#pragma once

#include <cstdint>
#include <string>

#include "gui/windows/Controls.h"
#include "gui/windows/MediaPlayer.h"

namespace app {

class TDiskPlayer : public gui::TMediaPlayer {
public:
    // Told by the Bio window.
    void SongStarted(int Slot, int Which);  // a song was loaded and started
    void SongReleased();                    // no song any more (the library was released)
    void Poll();                            // a player tick: notices a song that ended
    // To the start of an order, as the slider does; a paused song stays paused.
    void SeekOrder(int Order);
    // By a number of orders from the one heard now.
    void SeekBy(int Orders);

    // The song held (slot 1..10, and kOldSong or kRemake); slot 0 for none.
    int SongSlot() const { return FSlot; }
    int SongWhich() const { return FWhich; }
    std::string TrackId() const;

    gui::TPlaybackStatus Status() const override;
    bool Track(gui::TTrackInfo& Info) const override;
    std::int64_t PositionUs() const override;
    bool CanPlay() const override { return true; }
    bool CanPause() const override { return FSlot != 0; }
    bool CanSeek() const override { return FSlot != 0; }
    bool CanGoNext() const override;
    bool CanGoPrevious() const override;

    void Play() override;
    void Pause() override;
    void PlayPause() override;
    void Stop() override;
    void Next() override;
    void Previous() override;
    void Seek(std::int64_t OffsetUs) override;
    void SetPosition(const std::string& TrackId, std::int64_t PositionUs) override;
    void Raise() override;
    void Quit() override;

private:
    // Starts a song of the release, opening its artist first when the Bio
    // window does not show that artist's player.
    void Go(int Slot, int Which);
    std::int64_t LengthUs() const;
    int FSlot = 0;
    int FWhich = 0;
    bool FPaused = false;   // paused by the user
    bool FStopped = false;  // stopped by the user: Play starts from the beginning
    gui::TPlaybackStatus FPolled = gui::TPlaybackStatus::Stopped;
};

// The program's one player.
TDiskPlayer& Player();

// The Bio window's keys: Space pauses and resumes, Left and Right seek one
// order, 1 and 2 start the old song and the remake, Esc closes the window.
// True when the key was one of them.
bool BioWindowKey(gui::Word Key, gui::TShiftState Shift);

}  // namespace app
