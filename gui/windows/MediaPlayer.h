// A media player the desktop can drive: the program describes its player
// through TMediaPlayer, and TMediaPlayerService publishes it on the session
// bus as an MPRIS 2 player, so that media keys, the desktop's media panel,
// playerctl and phones control it. The bus stays inside the platform layer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace gui {

enum class TPlaybackStatus { Playing, Paused, Stopped };

// The song the player holds.
struct TTrackInfo {
    std::string Id;  // an object path naming the song, e.g. "/org/korvane/song/3_old"
    std::string Title;
    std::string Artist;
    std::string Album;
    std::int64_t LengthUs = 0;
    std::string ArtFile;  // absolute path of its picture; empty when there is none
};

// What the program offers. Times are in microseconds. Every call comes on
// the GUI thread.
class TMediaPlayer {
public:
    virtual ~TMediaPlayer() = default;

    virtual TPlaybackStatus Status() const = 0;
    // The song playing, paused or stopped at; false when there is none.
    virtual bool Track(TTrackInfo& Info) const = 0;
    // What is being heard now.
    virtual std::int64_t PositionUs() const = 0;
    virtual bool CanPlay() const = 0;
    virtual bool CanPause() const = 0;
    virtual bool CanSeek() const = 0;
    virtual bool CanGoNext() const = 0;
    virtual bool CanGoPrevious() const = 0;

    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void PlayPause() = 0;
    virtual void Stop() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    // Moves by an offset from the current position.
    virtual void Seek(std::int64_t OffsetUs) = 0;
    // Moves to a position of the song named by TrackId (ignored for another song).
    virtual void SetPosition(const std::string& TrackId, std::int64_t PositionUs) = 0;
    // Shows and raises the program's window.
    virtual void Raise() = 0;
    // Ends the program.
    virtual void Quit() = 0;

    // Set by the service. The player calls Changed when any of the state
    // above may have changed (the service publishes what did), and Seeked
    // when the position jumped rather than moved on.
    std::function<void()> OnChanged;
    std::function<void(std::int64_t PositionUs)> OnSeeked;

protected:
    void Changed() const {
        if (OnChanged) OnChanged();
    }
    void Seeked(std::int64_t PositionUs) const {
        if (OnSeeked) OnSeeked(PositionUs);
    }
};

struct TMediaPlayerIdentity {
    std::string Name;          // the bus name is "org.mpris.MediaPlayer2." + Name
    std::string Identity;      // the name people see
    std::string DesktopEntry;  // the desktop entry's id, without ".desktop"
};

class TMediaPlayerService {
public:
    // Publishes the player, which must outlive the service. Returns null,
    // and says nothing, when there is no session bus. When the name is
    // taken (a second copy runs) the player is published as
    // Name + ".instance" + the process id, as players do.
    static std::unique_ptr<TMediaPlayerService> Start(TMediaPlayer& Player, const TMediaPlayerIdentity& Identity);
    ~TMediaPlayerService();
    TMediaPlayerService(const TMediaPlayerService&) = delete;
    TMediaPlayerService& operator=(const TMediaPlayerService&) = delete;

    // The bus name the player has.
    const std::string& BusName() const;

    struct Impl;

private:
    explicit TMediaPlayerService(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> FImpl;
};

}  // namespace gui
