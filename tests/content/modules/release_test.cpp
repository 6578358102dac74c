#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "ItInfo.h"
#include "ModuleTestUtil.h"
#include "catalogue/Catalogue.h"
#include "content/modules/Release.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

class Release : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::remove_all(Dir());
        fs::create_directories(Dir());
        content::WriteModules(Dir().string());
    }
    static fs::path Dir() { return fs::current_path() / "generated_modules"; }
    static std::vector<std::uint8_t> File(const app::SongEntry& s) { return ReadFile(Dir() / std::string(s.file)); }
};

TEST_F(Release, EveryModuleLoadsWithItsFormatOrdersAndLength) {
    for (const auto& s : app::Songs()) {
        SCOPED_TRACE(std::string(s.file));
        const auto bytes = File(s);
        ASSERT_FALSE(bytes.empty());
        EXPECT_LE(bytes.size(), 400u * 1024u);
        auto m = modtest::Load(bytes);
        EXPECT_EQ(m->get_metadata("type"), Lower(s.formatText));
        EXPECT_EQ(m->get_metadata("title"), app::SongTitle(s));
        EXPECT_EQ(m->get_metadata("warnings"), "");
        EXPECT_GE(m->get_num_orders(), 12);
        EXPECT_GE(m->get_duration_seconds(), 60.0);
        EXPECT_LE(m->get_duration_seconds(), 180.0);
    }
}

TEST_F(Release, XmS3mAndModSongsAreNamedWithTheCatalogueLines) {
    int checked = 0;
    for (const auto& s : app::Songs()) {
        if (s.format == app::ModFormat::IT) continue;
        SCOPED_TRACE(std::string(s.file));
        auto m = modtest::Load(File(s));
        const auto names = s.format == app::ModFormat::XM ? m->get_instrument_names() : m->get_sample_names();
        ASSERT_EQ(names.size(), s.fixedLines.size());
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(modtest::TrimRight(names[i]), modtest::TrimRight(std::string(s.fixedLines[i]))) << i;
        ++checked;
    }
    EXPECT_EQ(checked, 11);
}

TEST_F(Release, ItSongsCarryTheirOwnNamesAndAMessage) {
    for (const auto& s : app::Songs()) {
        if (s.format != app::ModFormat::IT) continue;
        SCOPED_TRACE(std::string(s.file));
        const auto bytes = File(s);
        const auto info = testing_it::ReadItInfo(bytes);
        ASSERT_TRUE(info.has_value());
        EXPECT_LE(info->samples, 100);
        EXPECT_LE(info->instruments, 100);
        auto countNamed = [](const std::vector<std::string>& v) {
            return std::count_if(v.begin(), v.end(), [](const std::string& n) { return !modtest::TrimRight(n).empty(); });
        };
        EXPECT_GE(countNamed(info->sampleNames), 8);
        EXPECT_GE(countNamed(info->instrumentNames), 8);
        ASSERT_GE(info->messageLines.size(), 8u);
        EXPECT_LE(info->messageLines.size(), 200u);
        EXPECT_EQ(info->messageLines[0], app::SongTitle(s));
        EXPECT_EQ(info->messageLines[1], "by " + std::string(app::Tracker(s)));
        for (const auto& line : info->messageLines) EXPECT_LE(line.size(), 79u) << line;
        // The Mod Info reader takes 628 bytes at each instrument and 80 at each
        // sample: every one of those reads must stay inside the file.
        for (auto off : info->instrumentOffsets) EXPECT_LE(off + 628u, bytes.size());
        for (auto off : info->sampleOffsets) EXPECT_LE(off + 80u, bytes.size());
        EXPECT_LE(192u + info->orders + 4u * (info->instruments + info->samples + info->patterns), bytes.size());
        EXPECT_LE(info->orders, 256);
        EXPECT_LE(info->patterns, 200);
        // Text after the last carriage return would never be shown.
        EXPECT_EQ(bytes.at(info->messageOffset + info->messageLength - 1), '\r');
        auto m = modtest::Load(bytes);
        EXPECT_NE(m->get_metadata("message").find(std::string(app::Tracker(s))), std::string::npos);
    }
}

TEST_F(Release, TheSameSeedGivesTheSameBytesAndEverySongDiffers) {
    std::set<std::vector<std::uint8_t>> verses;
    std::set<std::pair<int, std::uint8_t>> tempoAndFirstBass;
    for (const auto& s : app::Songs()) {
        SCOPED_TRACE(std::string(s.file));
        const auto again = content::MakeModule(s);
        EXPECT_EQ(again.bytes, File(s));
        EXPECT_NE(content::SongSeed(s), 0u);
        // Compare the verses' notes: no two songs share one.
        std::vector<std::uint8_t> notes;
        for (const auto& c : again.song.patterns.at(1).cells) notes.push_back(c.note);
        verses.insert(notes);
    }
    EXPECT_EQ(verses.size(), 20u);
}

TEST_F(Release, NoSongIsSilentForLong) {
    constexpr int kRate = 8000;
    constexpr std::size_t kWindow = kRate / 4;
    for (const auto& s : app::Songs()) {
        SCOPED_TRACE(std::string(s.file));
        auto m = modtest::Load(File(s));
        const auto pcm = modtest::Render(*m, kRate, 200.0);
        ASSERT_GT(pcm.size(), 60u * kRate);
        int quiet = 0, longest = 0;
        for (std::size_t at = 0; at + kWindow <= pcm.size(); at += kWindow) {
            quiet = modtest::Rms(pcm, at, at + kWindow) < 0.01 ? quiet + 1 : 0;
            longest = std::max(longest, quiet);
        }
        EXPECT_LE(longest, 12) << "quiet for " << longest / 4.0 << " s";
        EXPECT_GT(modtest::Rms(pcm, 0, pcm.size()), 0.03);
    }
}

int RunGenerator(const std::string& args) {
    const int status = std::system((std::string(KORVANE_CONTENT_EXE) + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Generator, WritesTheSameModulesAndRefusesBadArguments) {
    const fs::path out = fs::current_path() / "generator_out";
    fs::remove_all(out);
    ASSERT_EQ(RunGenerator(out.string()), 0);
    for (const auto& s : app::Songs())
        EXPECT_EQ(ReadFile(out / std::string(s.file)), content::MakeModule(s).bytes) << s.file;

    EXPECT_EQ(RunGenerator(""), 2);
    EXPECT_EQ(RunGenerator("--artwork"), 2);
    EXPECT_EQ(RunGenerator("a b"), 2);
    // An output folder that cannot be made is a clear failure, not a crash.
    const fs::path blocker = fs::current_path() / "generator_blocker";
    std::ofstream(blocker) << "a file, not a folder";
    EXPECT_EQ(RunGenerator((blocker / "sub").string()), 1);
}

}  // namespace
