// Playback through the mixer on the no-sound device: positions, levels,
// pause, seek, restart and the load flags, in all four module formats.
#include "tests/app/bass/bass_fixture.h"

#include <algorithm>

namespace basstest {
namespace {

using testsupport::LoudSilentSong;

class PerFormat : public OfflineTest, public ::testing::WithParamInterface<Format> {};

TEST_P(PerFormat, PositionWalksEveryRowOfEveryOrderInTurn) {
    const Format f = GetParam();
    const int rows = RowsPerPattern(f);
    const HMUSIC h = LoadAndPlay(Write(f, LoudSilentSong(4, rows)));
    ASSERT_EQ(BASS_MusicGetLength(h, 0), 4u);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);

    // Poll every 30 ms of audio, as the player's timer does.
    int last = -1;
    int seenOrders = 0;
    DWORD rendered = 0;
    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING && rendered < 60 * kRate) {
        Render(1323);
        rendered += 1323;
        const DWORD pos = BASS_ChannelGetPosition(h);
        const int flat = OrderOf(pos) * rows + RowOf(pos);
        ASSERT_LT(RowOf(pos), rows);
        ASSERT_GE(flat, last) << "position went back at frame " << rendered;
        if (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING) {
            // The row of the last frame heard.
            ASSERT_EQ(flat, static_cast<int>((rendered - 1) / kFramesPerRow)) << "at frame " << rendered;
        }
        if (OrderOf(pos) != (last < 0 ? -1 : last / rows)) ++seenOrders;
        last = flat;
    }
    EXPECT_EQ(seenOrders, 4);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
    // After the end the position stays on the last row.
    Render(4410);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 3u | (static_cast<DWORD>(rows - 1) << 16));
}

TEST_P(PerFormat, LevelsFollowLoudAndSilentPassagesAndFallToZeroAtTheEnd) {
    const Format f = GetParam();
    const int rows = RowsPerPattern(f);
    const DWORD pattern = static_cast<DWORD>(rows) * kFramesPerRow;
    const HMUSIC h = LoadAndPlay(Write(f, LoudSilentSong(3, rows)));

    // Channel 0 sits to one side in S3M and MOD, so the louder side counts.
    auto loudest = [](DWORD level) { return std::max(LeftOf(level), RightOf(level)); };
    Render(pattern / 2);  // middle of the loud order 0
    DWORD level = BASS_ChannelGetLevel(h);
    EXPECT_GT(loudest(level), 10);
    EXPECT_LE(LeftOf(level), 128);
    EXPECT_LE(RightOf(level), 128);

    Render(pattern);  // middle of the silent order 1
    EXPECT_EQ(BASS_ChannelGetLevel(h), 0u);

    Render(pattern);  // middle of order 2, loud again
    EXPECT_GT(loudest(BASS_ChannelGetLevel(h)), 10);

    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING) Render(1323);
    Render(2205);  // past the last sound the device held
    EXPECT_EQ(BASS_ChannelGetLevel(h), 0u);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, PerFormat, ::testing::Values(Format::It, Format::Xm, Format::S3m, Format::Mod),
                         [](const auto& info) { return std::string(FormatName(info.param)); });

TEST_F(OfflineTest, LevelReachesExactly128OnAClippingPassageAndNeverMore) {
    testsupport::Song song;
    song.channels = 8;
    song.speed = 3;
    song.tempo = 150;
    song.samples.push_back(testsupport::SquareSample("full", 127, 64));
    testsupport::Pattern p(16, 8);
    for (int ch = 0; ch < 8; ++ch) p.at(0, ch) = testsupport::Cell{testsupport::kMiddleC, 1, 64};
    song.patterns = {p};
    song.orders = {0};
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(song));

    int highest = 0;
    for (int i = 0; i < 20; ++i) {
        Render(1323);
        const DWORD level = BASS_ChannelGetLevel(h);
        ASSERT_LE(LeftOf(level), 128);
        ASSERT_LE(RightOf(level), 128);
        highest = std::max({highest, LeftOf(level), RightOf(level)});
    }
    EXPECT_EQ(highest, 128);
}

TEST_F(OfflineTest, PositionAndLevelDescribeWhatIsHeardNotWhatIsDecoded) {
    // 125 ms between the mixer and the listener, as a device buffer would hold.
    ASSERT_NE(bass::SetNoSoundLatency(5512), 0);
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(LoudSilentSong(4, 16)));

    Render(44100);  // decoded up to row 20; heard up to row 17.5
    DWORD pos = BASS_ChannelGetPosition(h);
    EXPECT_EQ(OrderOf(pos), 1);
    EXPECT_EQ(RowOf(pos), 1);

    ASSERT_NE(BASS_MusicPlay(h), 0);  // restart: order 0 again, not heard yet
    Render(16 * kFramesPerRow + 4410);  // decoded 2 rows into the silent order
    EXPECT_EQ(OrderOf(BASS_ChannelGetPosition(h)), 0);
    EXPECT_GT(LeftOf(BASS_ChannelGetLevel(h)), 10) << "the end of the loud order is still being heard";
    Render(8820);
    EXPECT_EQ(OrderOf(BASS_ChannelGetPosition(h)), 1);
    EXPECT_EQ(BASS_ChannelGetLevel(h), 0u);
}

TEST_F(OfflineTest, PauseHoldsThePositionAndSilencesUntilResumed) {
    ASSERT_NE(bass::SetNoSoundLatency(2048), 0);
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(LoudSilentSong(4, 16)));
    EXPECT_EQ(BASS_ChannelResume(h), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPAUSE);

    Render(10 * kFramesPerRow + 1000);
    ASSERT_NE(BASS_ChannelPause(h), 0);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PAUSED);
    EXPECT_EQ(BASS_ChannelPause(h), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);

    Render(4096);  // the buffered audio plays out
    const DWORD held = BASS_ChannelGetPosition(h);
    EXPECT_EQ(held, 10u << 16);
    Render(44100);
    EXPECT_EQ(BASS_ChannelGetPosition(h), held);
    EXPECT_EQ(BASS_ChannelGetLevel(h), 0u);

    ASSERT_NE(BASS_ChannelResume(h), 0);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
    Render(2048 + 6 * kFramesPerRow);  // through the latency, then six more rows
    EXPECT_EQ(BASS_ChannelGetPosition(h), 1u);  // order 1, row 0
}

TEST_F(OfflineTest, PlayingTimeFollowsWhatIsHeardHoldsWhilePausedAndMapsToOrders) {
    ASSERT_NE(bass::SetNoSoundLatency(2048), 0);
    // 16 rows of 2205 frames: each order lasts 0.8 s.
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(LoudSilentSong(4, 16)));
    const double order = 16.0 * kFramesPerRow / kRate;
    EXPECT_NEAR(bass::MusicOrderSeconds(h, 2), 2 * order, 1e-3);
    EXPECT_EQ(bass::MusicOrderAt(h, 0), 0u);
    EXPECT_EQ(bass::MusicOrderAt(h, 2 * order + 0.1), 2u);
    EXPECT_EQ(bass::MusicOrderAt(h, 3 * order - 0.01), 2u);
    EXPECT_EQ(bass::MusicOrderAt(h, -1), BASS_FAIL);

    Render(10 * kFramesPerRow + 2048);
    EXPECT_NEAR(bass::ChannelGetSeconds(h), 10.0 * kFramesPerRow / kRate, 0.01) << "what is heard, not what is mixed";
    ASSERT_NE(BASS_ChannelPause(h), 0);
    Render(4096);  // the buffered audio plays out
    const double held = bass::ChannelGetSeconds(h);
    EXPECT_NEAR(held, (10.0 * kFramesPerRow + 2048) / kRate, 0.01);
    Render(44100);
    EXPECT_EQ(bass::ChannelGetSeconds(h), held);

    // A seek is reported at once, paused or not.
    ASSERT_NE(BASS_ChannelSetPosition(h, 3), 0);
    EXPECT_NEAR(bass::ChannelGetSeconds(h), 3 * order, 1e-3);
    EXPECT_EQ(bass::ChannelGetSeconds(0), -1.0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(OfflineTest, SeekLandsOnTheFirstRowOfTheOrder) {
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(LoudSilentSong(4, 16)));
    Render(5 * kFramesPerRow + 100);

    // As the player does it: pause, set, resume.
    ASSERT_NE(BASS_ChannelPause(h), 0);
    ASSERT_NE(BASS_ChannelSetPosition(h, 2), 0);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 2u);
    ASSERT_NE(BASS_ChannelResume(h), 0);
    Render(100);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 2u);
    Render(2 * kFramesPerRow);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 2u | (2u << 16));
    EXPECT_GT(LeftOf(BASS_ChannelGetLevel(h)), 10) << "order 2 is a loud one";

    // While playing, and with a row in the high word.
    ASSERT_NE(BASS_ChannelSetPosition(h, 1u | (5u << 16)), 0);
    Render(100);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 1u | (5u << 16));

    // Orders and rows that do not exist are refused and change nothing.
    EXPECT_EQ(BASS_ChannelSetPosition(h, 4), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_EQ(BASS_ChannelSetPosition(h, 0xFFFF), 0);
    EXPECT_EQ(BASS_ChannelSetPosition(h, 1u | (16u << 16)), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 1u | (5u << 16));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
}

TEST_F(OfflineTest, SeekOntoASkipMarkerPlaysTheNextOrder) {
    testsupport::Song song = LoudSilentSong(4, 16);
    song.orders = {0, 254, 1, 0};
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(song));
    ASSERT_EQ(BASS_MusicGetLength(h, 0), 4u);
    ASSERT_NE(BASS_ChannelSetPosition(h, 1), 0);
    Render(100);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 2u);
}

TEST_F(OfflineTest, SeekAfterTheEndHoldsThereAndResumePlaysOn) {
    const HMUSIC h = LoadAndPlay(testsupport::WriteXm(LoudSilentSong(2, 16)));
    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING) Render(4410);
    // The player pauses first, which fails on a stopped channel, then seeks.
    EXPECT_EQ(BASS_ChannelPause(h), 0);
    ASSERT_NE(BASS_ChannelSetPosition(h, 0), 0);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PAUSED);
    ASSERT_NE(BASS_ChannelResume(h), 0);
    Render(kFramesPerRow * 3 + 100);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 3u << 16);
    EXPECT_GT(LeftOf(BASS_ChannelGetLevel(h)), 10);
}

TEST_F(OfflineTest, PlayRestartsFromTheBeginning) {
    const HMUSIC h = LoadAndPlay(testsupport::WriteS3m(LoudSilentSong(2)));
    Render(70 * kFramesPerRow + 10);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 1u | (6u << 16));
    ASSERT_NE(BASS_MusicPlay(h), 0);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    Render(2 * kFramesPerRow + 10);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 2u << 16);

    // Also once it has ended.
    while (BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING) Render(44100);
    ASSERT_NE(BASS_MusicPlay(h), 0);
    Render(kFramesPerRow + 10);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 1u << 16);
    EXPECT_GT(LeftOf(BASS_ChannelGetLevel(h)), 10);
}

TEST_F(OfflineTest, LoadedButNotPlayedIsSilentAtTheStart) {
    const HMUSIC h = Load(testsupport::WriteMod(LoudSilentSong(2)));
    ASSERT_NE(h, 0u);
    Render(44100);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 0u);
    EXPECT_EQ(BASS_ChannelGetLevel(h), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
}

TEST_F(OfflineTest, RampFlagChangesTheSoundAndRenderingIsRepeatable) {
    testsupport::Song song = LoudSilentSong(2, 16);
    song.patterns[0].at(4, 1) = testsupport::Cell{testsupport::kMiddleC - 5, 1, 40};
    const std::vector<std::uint8_t> bytes = testsupport::WriteIt(song);

    auto renderWith = [&](DWORD flags) {
        const HMUSIC h = LoadAndPlay(bytes, flags);
        std::vector<std::int16_t> out = Render(20000);
        BASS_MusicFree(h);
        return out;
    };
    const auto smooth = renderWith(BASS_MUSIC_RAMP);
    const auto raw = renderWith(0);
    EXPECT_EQ(renderWith(BASS_MUSIC_RAMP), smooth);
    EXPECT_EQ(renderWith(0), raw);
    EXPECT_NE(smooth, raw);
}

TEST_F(OfflineTest, LoopFlagPlaysOnPastTheEnd) {
    const HMUSIC h = LoadAndPlay(testsupport::WriteIt(LoudSilentSong(2, 16)), BASS_MUSIC_RAMP | BASS_MUSIC_LOOP);
    Render(32 * kFramesPerRow + 3 * kFramesPerRow + 10);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(BASS_ChannelGetPosition(h), 3u << 16);
}

TEST_F(OfflineTest, TwoModulesMixAndFreeingOneLeavesTheOther) {
    const HMUSIC a = LoadAndPlay(testsupport::WriteIt(LoudSilentSong(4, 16)));
    const HMUSIC b = LoadAndPlay(testsupport::WriteXm(LoudSilentSong(4, 16)));
    ASSERT_NE(a, b);
    const auto both = Render(4410);
    ASSERT_NE(BASS_MusicFree(a), 0);
    Render(4420);
    EXPECT_EQ(BASS_ChannelGetPosition(b), 4u << 16);
    EXPECT_GT(LeftOf(BASS_ChannelGetLevel(b)), 10);
    int peak = 0;
    for (std::int16_t v : both) peak = std::max(peak, v < 0 ? -v : static_cast<int>(v));
    EXPECT_GT(peak * 128 / 32768, LeftOf(BASS_ChannelGetLevel(b)));
}

TEST_F(OfflineTest, PlayLengthInBytesMatchesTheSongDuration) {
    const HMUSIC h = Load(testsupport::WriteIt(LoudSilentSong(4, 16)));
    const double seconds = 4 * 16 * kFramesPerRow / static_cast<double>(kRate);
    EXPECT_NEAR(BASS_MusicGetLength(h, 1), seconds * kRate * 4, kRate * 4 * 0.01);
}

}  // namespace
}  // namespace basstest
