// The output's underrun count: a callback that cannot fill its buffer within
// the time the buffer plays is an underrun; callbacks that keep up are not.
#include "tests/app/bass/bass_fixture.h"

#include "app/bass/Hooks.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace basstest {
namespace {

using namespace std::chrono_literals;
using testsupport::LoudSilentSong;

class UnderrunTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        if (old) oldDriver_ = old;
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    void TearDown() override {
        bass::detail::SetSeekHook(nullptr, nullptr);
        BASS_Free();
        if (oldDriver_.empty())
            unsetenv("SDL_AUDIODRIVER");
        else
            setenv("SDL_AUDIODRIVER", oldDriver_.c_str(), 1);
    }
    // Waits until the device has asked for at least n more buffers than `from`.
    static bass::OutputStats WaitForCallbacks(const bass::OutputStats& from, std::uint64_t n) {
        const auto until = std::chrono::steady_clock::now() + 5s;
        bass::OutputStats now = bass::GetOutputStats();
        while (now.callbacks < from.callbacks + n && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(5ms);
            now = bass::GetOutputStats();
        }
        return now;
    }
    std::string oldDriver_;
};

TEST_F(UnderrunTest, CountsCallbacksThatCouldNotFillTheirBufferInTime) {
    ASSERT_NE(BASS_Init(-1, 44100, 16, nullptr), 0) << BASS_ErrorGetCode();
    ASSERT_NE(BASS_Start(), 0);
    const std::string path = WriteScratch("underrun.it", testsupport::WriteIt(LoudSilentSong(8, 16)));
    const HMUSIC h = BASS_MusicLoad(0, path.c_str(), 0, 0, 1);
    ASSERT_NE(h, 0u);
    ASSERT_NE(BASS_MusicPlay(h), 0);

    const bass::OutputStats before = bass::GetOutputStats();
    const bass::OutputStats running = WaitForCallbacks(before, 3);
    ASSERT_GE(running.callbacks, before.callbacks + 3) << "the device never asked for sound";
    EXPECT_GT(running.bufferMs, 0.0);
    EXPECT_LE(running.underruns, running.callbacks);

    // A seek is carried out inside the next callback: stalling it there for
    // three buffers' time starves the device once.
    struct Stall {
        static void Sleep(void* ms) { std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(*static_cast<double*>(ms))); }
    };
    double stallMs = 3 * running.bufferMs + 20;
    bass::detail::SetSeekHook(&Stall::Sleep, &stallMs);
    ASSERT_NE(BASS_ChannelSetPosition(h, 2), 0);
    const bass::OutputStats after = WaitForCallbacks(running, 2);
    bass::detail::SetSeekHook(nullptr, nullptr);
    EXPECT_GE(after.underruns, running.underruns + 1);
    EXPECT_GE(after.worstMs, stallMs);
    EXPECT_LE(after.underruns, after.callbacks);
}

}  // namespace
}  // namespace basstest
