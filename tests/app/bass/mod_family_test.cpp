// Old MOD variants that the tracker library names after their own tracker
// still are MOD files to the player.
#include "tests/app/bass/bass_fixture.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace basstest {
namespace {

// A 15-sample MOD as the earliest trackers wrote it: no format tag, 15 sample
// headers, one pattern that plays a square wave on every row of channel 1.
std::vector<std::uint8_t> FifteenSampleMod() {
    std::vector<std::uint8_t> f;
    auto text = [&f](const char* s, std::size_t n) {
        const std::size_t len = std::strlen(s);
        for (std::size_t i = 0; i < n; ++i) f.push_back(i < len ? static_cast<std::uint8_t>(s[i]) : 0);
    };
    auto be16 = [&f](unsigned v) {
        f.push_back(static_cast<std::uint8_t>(v >> 8));
        f.push_back(static_cast<std::uint8_t>(v & 0xFF));
    };
    constexpr unsigned kSampleWords = 64;
    text("old fifteen", 20);
    for (int s = 0; s < 15; ++s) {
        text(s == 0 ? "square" : "", 22);
        be16(s == 0 ? kSampleWords : 0);  // length in words
        f.push_back(0);                   // finetune
        f.push_back(s == 0 ? 64 : 0);     // volume
        be16(0);                          // loop start
        be16(s == 0 ? kSampleWords : 1);  // loop length: the square repeats
    }
    f.push_back(1);    // song length
    f.push_back(120);  // the old trackers' tempo byte
    for (int i = 0; i < 128; ++i) f.push_back(0);
    for (int row = 0; row < 64; ++row)
        for (int ch = 0; ch < 4; ++ch) {
            const bool note = ch == 0 && row % 16 == 0;
            be16(note ? 428 : 0);  // C-2, sample 1 (high nibble 0)
            f.push_back(note ? 0x10 : 0);
            f.push_back(0);
        }
    for (unsigned i = 0; i < kSampleWords * 2; ++i) f.push_back(i % 32 < 16 ? 0x60 : 0xA0);
    return f;
}

TEST(ModFamily, AFifteenSampleModLoadsPlaysAndIsNamedMod) {
    const std::string path = WriteScratch("old.mod", FifteenSampleMod());
    bass::ModuleInfo info;
    std::string error;
    ASSERT_TRUE(bass::ReadModuleInfo(path, info, error)) << error;
    EXPECT_EQ(info.format, "MOD");
    EXPECT_EQ(info.title, "old fifteen");
    EXPECT_EQ(info.orders, 1);
    ASSERT_FALSE(info.sampleNames.empty());
    EXPECT_EQ(info.sampleNames[0], "square");

    ASSERT_NE(BASS_Init(0, kRate, 16, nullptr), 0);
    ASSERT_NE(BASS_Start(), 0);
    const HMUSIC music = BASS_MusicLoad(0, path.c_str(), 0, 0, 1);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    ASSERT_NE(music, 0u);
    EXPECT_EQ(BASS_MusicGetLength(music, 0), 1u);
    ASSERT_NE(BASS_MusicPlay(music), 0);
    std::vector<std::int16_t> buf(2 * 4410);
    ASSERT_EQ(bass::Render(buf.data(), 4410), 4410u);
    int peak = 0;
    for (std::int16_t v : buf) peak = std::max(peak, v < 0 ? -v : static_cast<int>(v));
    EXPECT_GT(peak, 1000) << "the square wave is heard";
    EXPECT_NE(BASS_Free(), 0);
}

}  // namespace
}  // namespace basstest
