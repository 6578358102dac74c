// The real output path: SDL's dummy driver pulls audio from its own thread
// in real time, as a sound card would.
#include "tests/app/bass/bass_fixture.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace basstest {
namespace {

using namespace std::chrono_literals;
using testsupport::LoudSilentSong;

// Puts SDL on the named driver for the test's lifetime.
class DriverScope {
public:
    explicit DriverScope(const char* driver) {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv("SDL_AUDIODRIVER", driver, 1);
    }
    ~DriverScope() {
        if (had_)
            setenv("SDL_AUDIODRIVER", old_.c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
    }

private:
    bool had_ = false;
    std::string old_;
};

class DeviceTest : public ::testing::Test {
protected:
    void TearDown() override { BASS_Free(); }
    DriverScope dummy_{"dummy"};
};

TEST_F(DeviceTest, PlaysInRealTimeOnTheDefaultDevice) {
    ASSERT_NE(BASS_Init(-1, 44100, 16, nullptr), 0) << BASS_ErrorGetCode();
    ASSERT_NE(BASS_Start(), 0);
    std::int16_t frame[2];
    EXPECT_EQ(bass::Render(frame, 1), 0u) << "only the no-sound device is pulled by hand";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);

    const std::string path = WriteScratch("device.it", testsupport::WriteIt(LoudSilentSong(8, 16)));
    const HMUSIC h = BASS_MusicLoad(0, path.c_str(), 0, 0, 1);
    ASSERT_NE(h, 0u);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_NE(BASS_MusicPlay(h), 0);

    int last = 0;
    int highest = 0;
    while (std::chrono::steady_clock::now() - start < 1200ms) {
        std::this_thread::sleep_for(30ms);
        const DWORD pos = BASS_ChannelGetPosition(h);
        const DWORD level = BASS_ChannelGetLevel(h);
        const int flat = OrderOf(pos) * 16 + RowOf(pos);
        ASSERT_GE(flat, last);
        ASSERT_LE(LeftOf(level), 128);
        ASSERT_LE(RightOf(level), 128);
        highest = std::max(highest, LeftOf(level));
        // Never ahead of the wall clock: what is heard has been played.
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ASSERT_LE(flat, static_cast<int>(elapsed / 0.05) + 1);
        last = flat;
    }
    EXPECT_GE(last, 10) << "about 24 rows of audio have been played";
    EXPECT_GT(highest, 10);

    ASSERT_NE(BASS_ChannelPause(h), 0);
    std::this_thread::sleep_for(150ms);  // the device buffer plays out
    const DWORD held = BASS_ChannelGetPosition(h);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(BASS_ChannelGetPosition(h), held);
    EXPECT_EQ(BASS_ChannelGetLevel(h), 0u);

    ASSERT_NE(BASS_ChannelSetPosition(h, 5), 0);
    ASSERT_NE(BASS_ChannelResume(h), 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(OrderOf(BASS_ChannelGetPosition(h)), 5);

    ASSERT_NE(BASS_Free(), 0);
    EXPECT_EQ(BASS_ChannelGetLevel(h), BASS_FAIL);
    // And again after the release, as the player does on its next song.
    ASSERT_NE(BASS_Init(-1, 44100, 16, nullptr), 0);
    ASSERT_NE(BASS_Start(), 0);
    const HMUSIC again = BASS_MusicLoad(0, path.c_str(), 0, 0, 1);
    ASSERT_NE(again, 0u);
    ASSERT_NE(BASS_MusicPlay(again), 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(BASS_ChannelGetPosition(again), 0u);
}

TEST_F(DeviceTest, QueriesFromAnotherThreadWhileModulesComeAndGo) {
    ASSERT_NE(BASS_Init(-1, 44100, 16, nullptr), 0);
    ASSERT_NE(BASS_Start(), 0);
    const std::string path = WriteScratch("busy.xm", testsupport::WriteXm(testsupport::BusySong(4, 8)));

    std::atomic<DWORD> current{0};
    std::atomic<bool> done{false};
    std::thread poller([&] {
        while (!done) {
            const DWORD h = current.load();
            const DWORD level = BASS_ChannelGetLevel(h);
            if (level != BASS_FAIL) {
                EXPECT_LE(LeftOf(level), 128);
                EXPECT_LE(RightOf(level), 128);
            }
            BASS_ChannelGetPosition(h);
            std::this_thread::sleep_for(1ms);
        }
    });
    for (int i = 0; i < 15; ++i) {
        BASS_MusicFree(current.load());
        const HMUSIC h = BASS_MusicLoad(0, path.c_str(), 0, 0, i % 2);
        ASSERT_NE(h, 0u);
        current = h;
        ASSERT_NE(BASS_MusicPlay(h), 0);
        std::this_thread::sleep_for(20ms);
        BASS_ChannelPause(h);
        BASS_ChannelSetPosition(h, static_cast<DWORD>(i % 4));
        BASS_ChannelResume(h);
    }
    done = true;
    poller.join();
}

TEST(DeviceExit, ProgramMayEndWhilePlayingWithoutFree) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    DriverScope dummy("dummy");
    const std::string path = WriteScratch("exit.it", testsupport::WriteIt(testsupport::BusySong(4, 8)));
    EXPECT_EXIT(
        {
            BASS_Init(-1, 44100, 16, nullptr);
            BASS_Start();
            const HMUSIC h = BASS_MusicLoad(0, path.c_str(), 0, 0, 1);
            BASS_MusicPlay(h);
            // The position follows what is heard, a device buffer behind.
            const auto deadline = std::chrono::steady_clock::now() + 5s;
            while (BASS_ChannelGetPosition(h) == 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(20ms);
            std::exit(BASS_ChannelGetPosition(h) > 0 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(DeviceFailure, InitFailsWithACodeWhenNoDeviceCanBeOpened) {
    {
        DriverScope none("no-such-driver");
        EXPECT_EQ(BASS_Init(-1, 44100, 16, nullptr), 0);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DRIVER);
        EXPECT_EQ(BASS_Start(), 0);
    }
    DriverScope dummy("dummy");
    EXPECT_EQ(BASS_Init(50, 44100, 16, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    ASSERT_NE(BASS_Init(-1, 44100, 16, nullptr), 0) << "a failed init leaves the layer usable";
    EXPECT_NE(BASS_Free(), 0);
}

}  // namespace
}  // namespace basstest
