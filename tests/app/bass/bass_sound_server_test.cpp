// The output against a real sound server (PulseAudio, started here on null
// sinks): a sink unloaded mid-song, the server ended and started again, and
// no server at all for a while. Skipped when PulseAudio is not installed.
#include "tests/app/bass/bass_fixture.h"

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace basstest {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p) != nullptr) out += buf;
        pclose(p);
    }
    return out;
}

bool Installed(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) == 0; }

// A PulseAudio server of the test's own, on a socket in a scratch folder,
// with two null sinks ("first" the default, "second").
class SoundServer {
public:
    SoundServer() : dir_(ScratchPath("pulse")) {
        std::filesystem::create_directories(dir_);
        std::FILE* f = std::fopen((dir_ + "/default.pa").c_str(), "w");
        std::fprintf(f,
                     "load-module module-native-protocol-unix auth-anonymous=1 socket=%s/native\n"
                     "load-module module-null-sink sink_name=first\n"
                     "load-module module-null-sink sink_name=second\n"
                     "set-default-sink first\n",
                     dir_.c_str());
        std::fclose(f);
        setenv("PULSE_SERVER", ("unix:" + dir_ + "/native").c_str(), 1);
    }
    ~SoundServer() {
        Stop();
        unsetenv("PULSE_SERVER");
    }

    bool Start() {
        pid_ = fork();
        if (pid_ == 0) {
            // The server keeps its state in the scratch folder; as root it
            // runs as a per-user server all the same (with a warning).
            setenv("HOME", dir_.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
            const std::string log = dir_ + "/server.log";
            std::freopen(log.c_str(), "a", stdout);
            std::freopen(log.c_str(), "a", stderr);
            const std::string script = dir_ + "/default.pa";
            execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                   "--disallow-exit=1", "--log-target=stderr", "-F", script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100; ++i) {
            if (Sinks().find("second") != std::string::npos) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);  // as a crash would: no goodbye to the clients
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    std::string Sinks() const { return Shell("pactl list short sinks"); }
    // The playback streams, one line each: index, sink index, ...
    std::string Streams() const { return Shell("pactl list short sink-inputs"); }
    // The sink index the first playback stream plays on, or -1.
    int StreamSink() const {
        int index = -1, sink = -1;
        return std::sscanf(Streams().c_str(), "%d %d", &index, &sink) == 2 ? sink : -1;
    }
    void UnloadSink(const std::string& name) const {
        const std::string modules = Shell("pactl list short modules");
        int module = -1;
        std::size_t at = modules.find("sink_name=" + name);
        if (at != std::string::npos) {
            std::size_t line = modules.rfind('\n', at);
            module = std::atoi(modules.c_str() + (line == std::string::npos ? 0 : line + 1));
        }
        ASSERT_GE(module, 0) << modules;
        Shell("pactl unload-module " + std::to_string(module));
    }

private:
    std::string dir_;
    pid_t pid_ = -1;
};

class SoundServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Installed("pulseaudio") || !Installed("pactl")) GTEST_SKIP() << "PulseAudio is not installed";
        setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
        ASSERT_TRUE(server_.Start()) << "the sound server did not start";
        ASSERT_NE(BASS_Init(-1, 44100, 16, nullptr), 0) << BASS_ErrorGetCode();
        ASSERT_NE(BASS_Start(), 0);
        // Long enough for every step: 60 orders of 16 rows, 50 ms a row.
        song_ = BASS_MusicLoad(0, WriteScratch("server.it", testsupport::WriteIt(testsupport::LoudSilentSong(60, 16))).c_str(),
                               0, 0, 1);
        ASSERT_NE(song_, 0u);
        ASSERT_NE(BASS_MusicPlay(song_), 0);
        ASSERT_TRUE(Advances()) << "the song is not heard";
    }
    void TearDown() override {
        BASS_Free();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    int Rows() const {
        const DWORD pos = BASS_ChannelGetPosition(song_);
        return OrderOf(pos) * 16 + RowOf(pos);
    }
    // True when the heard position moves on by several rows within `within`;
    // every query answers at once meanwhile.
    bool Advances(std::chrono::milliseconds within = 4000ms) const {
        const int from = Rows();
        const auto end = Clock::now() + within;
        while (Clock::now() < end) {
            const auto asked = Clock::now();
            const int now = Rows();
            EXPECT_LT(Clock::now() - asked, 100ms) << "a position query waited";
            if (now >= from + 6) return true;
            std::this_thread::sleep_for(30ms);
        }
        return false;
    }
    template <class Pred>
    static bool Within(std::chrono::milliseconds limit, Pred pred) {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            if (pred()) return true;
            std::this_thread::sleep_for(50ms);
        }
        return pred();
    }

    SoundServer server_;
    HMUSIC song_ = 0;
};

TEST_F(SoundServerTest, PlaysOnWhenItsSinkIsUnloadedOrTheDefaultChanges) {
    ASSERT_EQ(server_.StreamSink(), 0) << server_.Streams();
    Shell("pactl set-default-sink second");
    EXPECT_TRUE(Within(3000ms, [&] { return server_.StreamSink() == 1; })) << server_.Streams();
    EXPECT_TRUE(Advances());
    server_.UnloadSink("second");
    EXPECT_TRUE(Within(3000ms, [&] { return server_.StreamSink() == 0; })) << server_.Streams();
    EXPECT_TRUE(Advances());
    EXPECT_EQ(BASS_ChannelIsActive(song_), BASS_ACTIVE_PLAYING);
}

TEST_F(SoundServerTest, PlaysOnAfterTheServerRestarts) {
    const bass::OutputStats before = bass::GetOutputStats();
    server_.Stop();
    ASSERT_TRUE(server_.Start());
    EXPECT_TRUE(Within(5000ms, [&] { return server_.StreamSink() >= 0; })) << "no new stream";
    EXPECT_TRUE(Advances());
    EXPECT_EQ(BASS_ChannelIsActive(song_), BASS_ACTIVE_PLAYING);
    const bass::OutputStats after = bass::GetOutputStats();
    EXPECT_EQ(after.deviceLosses, before.deviceLosses + 1);
    EXPECT_EQ(after.deviceReopens, before.deviceReopens + 1);
}

TEST_F(SoundServerTest, StopsWithoutAServerAndPlaysALaterSong) {
    server_.Stop();
    EXPECT_TRUE(Within(6000ms, [&] { return BASS_ChannelIsActive(song_) == BASS_ACTIVE_STOPPED; }));
    EXPECT_EQ(BASS_ChannelGetLevel(song_), 0u);
    const int held = Rows();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Rows(), held) << "nothing is heard, so the position holds";

    ASSERT_TRUE(server_.Start());
    // The song click of the player: load and play (the old module is freed).
    ASSERT_NE(BASS_MusicFree(song_), 0);
    song_ = BASS_MusicLoad(0, WriteScratch("later.it", testsupport::WriteIt(testsupport::LoudSilentSong(60, 16))).c_str(), 0,
                           0, 1);
    ASSERT_NE(song_, 0u);
    ASSERT_NE(BASS_MusicPlay(song_), 0);
    EXPECT_TRUE(Within(5000ms, [&] { return server_.StreamSink() >= 0; })) << "the song opened no stream";
    EXPECT_TRUE(Advances());
    EXPECT_EQ(BASS_ChannelIsActive(song_), BASS_ACTIVE_PLAYING);
}

}  // namespace
}  // namespace basstest
