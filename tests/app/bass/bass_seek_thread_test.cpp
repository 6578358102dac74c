// Seeks and restarts asked for on the GUI thread are carried out by the thread
// that mixes, so the output callback never waits for a decoder seek.
#include "tests/app/bass/bass_fixture.h"

#include "app/bass/Hooks.h"

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace basstest {
namespace {

using namespace std::chrono_literals;
using testsupport::LoudSilentSong;

// Notes the thread of every decoder move while installed.
class MoveLog {
public:
    MoveLog() { bass::detail::SetSeekHook(&MoveLog::Record, this); }
    ~MoveLog() { bass::detail::SetSeekHook(nullptr, nullptr); }
    std::vector<std::thread::id> threads() {
        std::lock_guard<std::mutex> lock(m_);
        return threads_;
    }

private:
    static void Record(void* self) {
        auto* log = static_cast<MoveLog*>(self);
        std::lock_guard<std::mutex> lock(log->m_);
        log->threads_.push_back(std::this_thread::get_id());
    }
    std::mutex m_;
    std::vector<std::thread::id> threads_;
};

// Runs f on a thread of its own, standing in for the GUI thread.
template <typename F>
void OnGuiThread(F f) {
    std::thread gui(f);
    gui.join();
}

TEST_F(OfflineTest, SeekAndRestartMoveTheDecoderOnTheMixingThread) {
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(LoudSilentSong(4, 16)));
    Render(3 * kFramesPerRow);
    MoveLog log;

    OnGuiThread([h] {
        EXPECT_NE(BASS_ChannelSetPosition(h, 2u | (3u << 16)), 0);
        EXPECT_EQ(BASS_ChannelGetPosition(h), 2u | (3u << 16)) << "the new place is reported at once";
    });
    EXPECT_TRUE(log.threads().empty()) << "the GUI thread moved the decoder itself";
    Render(kFramesPerRow + 10);
    ASSERT_EQ(log.threads().size(), 1u);
    EXPECT_EQ(log.threads()[0], std::this_thread::get_id());
    EXPECT_EQ(BASS_ChannelGetPosition(h), 2u | (4u << 16));

    OnGuiThread([h] {
        EXPECT_NE(BASS_MusicPlay(h), 0);
        EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    });
    EXPECT_EQ(log.threads().size(), 1u);
    Render(kFramesPerRow + 10);
    ASSERT_EQ(log.threads().size(), 2u);
    EXPECT_EQ(log.threads()[1], std::this_thread::get_id());
    EXPECT_EQ(BASS_ChannelGetPosition(h), 1u << 16);
    EXPECT_GT(LeftOf(BASS_ChannelGetLevel(h)), 10) << "order 0 is a loud one";
}

TEST_F(OfflineTest, OnlyTheLastOfSeveralMovesIsCarriedOut) {
    const HMUSIC h = LoadAndPlay(testsupport::WriteXm(LoudSilentSong(4, 16)));
    Render(kFramesPerRow);
    MoveLog log;
    OnGuiThread([h] {
        EXPECT_NE(BASS_ChannelSetPosition(h, 3), 0);
        EXPECT_NE(BASS_MusicPlay(h), 0);
        EXPECT_NE(BASS_ChannelSetPosition(h, 1u | (7u << 16)), 0);
        EXPECT_EQ(BASS_ChannelSetPosition(h, 9), 0) << "a refused seek leaves the last good one";
    });
    Render(2 * kFramesPerRow + 10);
    EXPECT_EQ(log.threads().size(), 1u);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 1u | (9u << 16));
}

TEST_F(OfflineTest, AMoveOnAPausedChannelWaitsForTheResume) {
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(LoudSilentSong(4, 16)));
    Render(kFramesPerRow);
    ASSERT_NE(BASS_ChannelPause(h), 0);
    MoveLog log;
    ASSERT_NE(BASS_ChannelSetPosition(h, 3), 0);
    Render(4 * kFramesPerRow);
    EXPECT_TRUE(log.threads().empty()) << "a paused module is not decoded";
    EXPECT_EQ(BASS_ChannelGetPosition(h), 3u);
    ASSERT_NE(BASS_ChannelResume(h), 0);
    Render(kFramesPerRow + 10);
    EXPECT_EQ(log.threads().size(), 1u);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 3u | (1u << 16));
}

// On a real device the callback, on SDL's own thread, carries the move out.
TEST(DeviceSeek, TheOutputCallbackMovesTheDecoder) {
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old != nullptr ? old : "";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_NE(BASS_Init(-1, kRate, 0, nullptr), 0) << BASS_ErrorGetCode();
    ASSERT_NE(BASS_Start(), 0);
    const std::string path = WriteScratch("seek.it", testsupport::WriteIt(LoudSilentSong(8, 16)));
    const HMUSIC h = BASS_MusicLoad(0, path.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    ASSERT_NE(BASS_MusicPlay(h), 0);
    {
        MoveLog log;
        ASSERT_NE(BASS_ChannelSetPosition(h, 5), 0);
        // Bounded wait for the callback; it normally comes within a buffer.
        const auto until = std::chrono::steady_clock::now() + 20s;
        while (log.threads().empty() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(5ms);
        ASSERT_EQ(log.threads().size(), 1u);
        EXPECT_NE(log.threads()[0], std::this_thread::get_id());
    }
    BASS_Free();
    if (old != nullptr)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace basstest
