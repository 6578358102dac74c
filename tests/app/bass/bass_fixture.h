// Shared helpers of the audio layer tests: module files in a scratch folder
// and offline rendering on the no-sound device.
#pragma once

#include "app/bass/Bass.h"
#include "support/mod_writer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace basstest {

// The test songs run at speed 3, tempo 150: a tick is 735 frames at 44.1 kHz.
constexpr DWORD kFramesPerRow = 3 * 735;
constexpr DWORD kRate = 44100;

inline int OrderOf(DWORD pos) { return static_cast<int>(pos & 0xFFFF); }
inline int RowOf(DWORD pos) { return static_cast<int>(pos >> 16); }
inline int LeftOf(DWORD level) { return static_cast<int>(level & 0xFFFF); }
inline int RightOf(DWORD level) { return static_cast<int>(level >> 16); }

// A folder of this process's own, removed when the tests end.
class ScratchFolder {
public:
    ScratchFolder()
        : dir_(std::filesystem::path(::testing::TempDir()) / ("bass_test_" + std::to_string(getpid()))) {
        std::filesystem::create_directories(dir_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

inline std::string ScratchPath(const std::string& name) {
    static ScratchFolder folder;
    static std::atomic<int> counter{0};
    return (folder.dir() / (std::to_string(counter++) + "_" + name)).string();
}

inline std::string WriteScratch(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = ScratchPath(name);
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
    return path;
}

enum class Format { It, Xm, S3m, Mod };

inline const char* FormatName(Format f) {
    switch (f) {
        case Format::It: return "IT";
        case Format::Xm: return "XM";
        case Format::S3m: return "S3M";
        case Format::Mod: return "MOD";
    }
    return "";
}

inline std::vector<std::uint8_t> Write(Format f, const testsupport::Song& song) {
    switch (f) {
        case Format::It: return testsupport::WriteIt(song);
        case Format::Xm: return testsupport::WriteXm(song);
        case Format::S3m: return testsupport::WriteS3m(song);
        case Format::Mod: return testsupport::WriteMod(song);
    }
    return {};
}

// MOD and S3M patterns always have 64 rows.
inline int RowsPerPattern(Format f) { return f == Format::S3m || f == Format::Mod ? 64 : 16; }

// Initialised on the no-sound device and started; freed after each test.
class OfflineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(BASS_Init(0, kRate, 16, nullptr), 0);
        ASSERT_NE(BASS_Start(), 0);
    }
    void TearDown() override { BASS_Free(); }

    std::vector<std::int16_t> Render(DWORD frames) {
        std::vector<std::int16_t> buf(static_cast<std::size_t>(frames) * 2);
        EXPECT_EQ(bass::Render(buf.data(), frames), frames);
        return buf;
    }

    HMUSIC Load(const std::vector<std::uint8_t>& bytes, DWORD flags = BASS_MUSIC_RAMP) {
        const std::string path = WriteScratch("song", bytes);
        return BASS_MusicLoad(0, path.c_str(), 0, 0, flags);
    }

    HMUSIC LoadAndPlay(const std::vector<std::uint8_t>& bytes, DWORD flags = BASS_MUSIC_RAMP) {
        const HMUSIC h = Load(bytes, flags);
        EXPECT_NE(h, 0u);
        EXPECT_NE(BASS_MusicPlay(h), 0);
        return h;
    }
};

}  // namespace basstest
