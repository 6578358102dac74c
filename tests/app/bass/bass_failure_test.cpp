// Lifecycle and failure handling: calls before init, bad handles, missing,
// unreadable, corrupt and truncated module files.
#include "tests/app/bass/bass_fixture.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace basstest {
namespace {

using testsupport::LoudSilentSong;

TEST(BassLifecycle, VersionInitFreeAndInitAgain) {
    EXPECT_EQ(BASS_GetVersion() & 0xFFFF, 1u);
    EXPECT_EQ(BASS_GetVersion() >> 16, 4u);

    // Nothing works before init.
    const std::string path = WriteScratch("early.it", testsupport::WriteIt(LoudSilentSong(2, 16)));
    EXPECT_EQ(BASS_MusicLoad(0, path.c_str(), 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(BASS_Start(), 0);
    EXPECT_EQ(BASS_Free(), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(BASS_ChannelGetLevel(0), BASS_FAIL);

    ASSERT_NE(BASS_Init(0, 44100, 16, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    EXPECT_EQ(BASS_Init(0, 44100, 16, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    std::int16_t frame[2];
    EXPECT_EQ(bass::Render(frame, 1), 0u) << "output not started yet";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_START);
    ASSERT_NE(BASS_Start(), 0);
    const HMUSIC first = BASS_MusicLoad(0, path.c_str(), 0, 0, 1);
    ASSERT_NE(first, 0u);
    ASSERT_NE(BASS_MusicPlay(first), 0);
    std::vector<std::int16_t> buf(2 * 4410);
    ASSERT_EQ(bass::Render(buf.data(), 4410), 4410u);

    // Free stops everything and frees every module.
    ASSERT_NE(BASS_Free(), 0);
    EXPECT_EQ(BASS_ChannelGetPosition(first), BASS_FAIL);
    EXPECT_EQ(bass::Render(buf.data(), 10), 0u);

    ASSERT_NE(BASS_Init(0, 44100, 16, nullptr), 0);
    ASSERT_NE(BASS_Start(), 0);
    EXPECT_EQ(BASS_ChannelGetPosition(first), BASS_FAIL) << "old handles stay stale";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    const HMUSIC second = BASS_MusicLoad(0, path.c_str(), 0, 0, 0);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    ASSERT_NE(BASS_MusicPlay(second), 0);
    ASSERT_EQ(bass::Render(buf.data(), 4410), 4410u);
    ASSERT_EQ(bass::Render(buf.data(), 10), 10u);
    EXPECT_EQ(BASS_ChannelGetPosition(second), 2u << 16);
    EXPECT_NE(BASS_Free(), 0);
}

TEST(BassLifecycle, BadInitArguments) {
    EXPECT_EQ(BASS_Init(-2, 44100, 0, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_EQ(BASS_Init(0, 0, 0, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
    EXPECT_EQ(BASS_Init(0, 1000000, 0, nullptr), 0);
    EXPECT_EQ(BASS_Free(), 0) << "a failed init leaves nothing to free";
}

TEST_F(OfflineTest, EveryCallFailsCleanlyOnHandleZeroFreedAndUnknownHandles) {
    const HMUSIC freed = Load(testsupport::WriteIt(LoudSilentSong(2, 16)));
    ASSERT_NE(freed, 0u);
    ASSERT_NE(BASS_MusicFree(freed), 0);

    for (const DWORD h : {DWORD{0}, freed, DWORD{0xDEADBEEF}}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(BASS_ChannelGetPosition(h), 0xFFFFFFFFu);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(BASS_ChannelGetLevel(h), 0xFFFFFFFFu);
        EXPECT_EQ(static_cast<std::int32_t>(BASS_MusicGetLength(h, 0)), -1);
        EXPECT_EQ(BASS_MusicGetLength(h, 1), BASS_FAIL);
        EXPECT_EQ(BASS_MusicPlay(h), 0);
        EXPECT_EQ(BASS_ChannelPause(h), 0);
        EXPECT_EQ(BASS_ChannelSetPosition(h, 0), 0);
        EXPECT_EQ(BASS_ChannelResume(h), 0);
        EXPECT_EQ(BASS_ChannelIsActive(h), BASS_ACTIVE_STOPPED);
        EXPECT_EQ(BASS_MusicFree(h), 0);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    }
    Render(441);  // the mixer is unharmed
}

TEST_F(OfflineTest, MissingUnreadableAndForeignFilesAreRefused) {
    const std::string missing = ScratchPath("missing.it");
    EXPECT_EQ(BASS_MusicLoad(0, missing.c_str(), 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(BASS_MusicLoad(0, "", 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(BASS_MusicLoad(0, nullptr, 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

    const std::string folder = ScratchPath("folder.xm");
    std::filesystem::create_directories(folder);
    EXPECT_EQ(BASS_MusicLoad(0, folder.c_str(), 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);

    // A pipe would hold a plain open() forever, a device never ends: neither
    // is a module file. The watchdog fails a blocking open instead of hanging.
    alarm(20);
    const std::string fifo = ScratchPath("pipe.it");
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(BASS_MusicLoad(0, fifo.c_str(), 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    std::filesystem::remove(fifo);
    const std::string zero = ScratchPath("zero.xm");
    std::filesystem::remove(zero);
    std::filesystem::create_symlink("/dev/zero", zero);
    EXPECT_EQ(BASS_MusicLoad(0, zero.c_str(), 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    std::filesystem::remove(zero);
    alarm(0);

    const std::string empty = WriteScratch("empty.mod", {});
    EXPECT_EQ(BASS_MusicLoad(0, empty.c_str(), 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);

    std::vector<std::uint8_t> junk(5000);
    std::uint32_t x = 1;
    for (auto& c : junk) c = static_cast<std::uint8_t>((x = x * 1664525u + 1013904223u) >> 24);
    const std::string junkPath = WriteScratch("junk.s3m", junk);
    EXPECT_EQ(BASS_MusicLoad(0, junkPath.c_str(), 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);

    // A format libopenmpt reads but the player does not play.
    std::vector<std::uint8_t> wav = {'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E'};
    const std::string wavPath = WriteScratch("sound.wav", wav);
    EXPECT_EQ(BASS_MusicLoad(0, wavPath.c_str(), 0, 0, 1), 0u);
}

TEST_F(OfflineTest, TruncatedModulesAreRefusedOrPlayWithoutHarm) {
    for (const Format f : {Format::It, Format::Xm, Format::S3m, Format::Mod}) {
        const std::vector<std::uint8_t> whole = Write(f, testsupport::BusySong(2, 4));
        for (std::size_t cut : {std::size_t{1}, std::size_t{40}, std::size_t{100}, whole.size() / 4,
                                whole.size() / 2, whole.size() - 1}) {
            SCOPED_TRACE(std::string(FormatName(f)) + " cut at " + std::to_string(cut));
            const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
            const HMUSIC h = Load(part);
            if (cut <= 40) {
                EXPECT_EQ(h, 0u);
                EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
            }
            if (h == 0) continue;
            ASSERT_NE(BASS_MusicPlay(h), 0);
            Render(44100);
            const DWORD level = BASS_ChannelGetLevel(h);
            EXPECT_LE(LeftOf(level), 128);
            EXPECT_LE(RightOf(level), 128);
            EXPECT_LT(OrderOf(BASS_ChannelGetPosition(h)), 2);
            EXPECT_NE(BASS_MusicFree(h), 0);
        }
    }
}

TEST_F(OfflineTest, CorruptedModulesNeverCrash) {
    const std::vector<std::uint8_t> whole = testsupport::WriteIt(testsupport::BusySong(2, 4));
    std::uint32_t x = 7;
    for (int round = 0; round < 40; ++round) {
        std::vector<std::uint8_t> bad = whole;
        for (int i = 0; i < 30; ++i) {
            x = x * 1664525u + 1013904223u;
            bad[(x >> 8) % bad.size()] = static_cast<std::uint8_t>(x >> 24);
        }
        const HMUSIC h = BASS_MusicLoad(1, bad.data(), 0, static_cast<DWORD>(bad.size()), 1);
        if (h == 0) continue;
        BASS_MusicPlay(h);
        BASS_ChannelSetPosition(h, 1);
        Render(8820);
        BASS_ChannelGetLevel(h);
        BASS_ChannelGetPosition(h);
        BASS_MusicFree(h);
    }
}

TEST_F(OfflineTest, LoadsFromMemoryAndFromAnOffsetIntoAFile) {
    const std::vector<std::uint8_t> song = testsupport::WriteXm(LoudSilentSong(3, 16));
    const HMUSIC fromMemory = BASS_MusicLoad(1, song.data(), 0, static_cast<DWORD>(song.size()), 1);
    ASSERT_NE(fromMemory, 0u);
    EXPECT_EQ(BASS_MusicGetLength(fromMemory, 0), 3u);
    EXPECT_EQ(BASS_MusicLoad(1, song.data(), 0, 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

    // 100 bytes before the module and 50 after it.
    std::vector<std::uint8_t> packed(100 + song.size() + 50, 0x66);
    std::fill_n(packed.begin(), 100, std::uint8_t{0x55});
    std::copy(song.begin(), song.end(), packed.begin() + 100);
    const std::string path = WriteScratch("packed.bin", packed);
    EXPECT_EQ(BASS_MusicLoad(0, path.c_str(), 0, 0, 1), 0u);
    const HMUSIC atOffset = BASS_MusicLoad(0, path.c_str(), 100, static_cast<DWORD>(song.size()), 1);
    ASSERT_NE(atOffset, 0u);
    EXPECT_EQ(BASS_MusicGetLength(atOffset, 0), 3u);
    EXPECT_EQ(BASS_MusicLoad(0, path.c_str(), static_cast<DWORD>(packed.size() + 1), 0, 1), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

}  // namespace
}  // namespace basstest
