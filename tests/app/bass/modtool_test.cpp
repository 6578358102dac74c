// modtool run as a user runs it: its output and the WAV file it writes.
#include "support/mod_writer.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Result {
    int status = -1;
    std::string output;
};

Result RunModtool(const std::string& args) {
    Result r;
    const std::string command = std::string("'") + MODTOOL_PATH + "' " + args + " 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.output.append(buf, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

std::string Scratch(const std::string& name) {
    // A folder of this process's own, removed when the tests end.
    struct Folder {
        std::filesystem::path dir =
            std::filesystem::path(::testing::TempDir()) / ("modtool_test_" + std::to_string(getpid()));
        Folder() { std::filesystem::create_directories(dir); }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    };
    static Folder folder;
    return (folder.dir / name).string();
}

std::string WriteSong(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = Scratch(name);
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
    return path;
}

struct Poll {
    double time;
    int order, row, left, right;
};

std::vector<Poll> Polls(const std::string& output) {
    std::vector<Poll> polls;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        Poll p{};
        std::istringstream fields(line);
        if (fields >> p.time >> p.order >> p.row >> p.left >> p.right) polls.push_back(p);
    }
    return polls;
}

TEST(Modtool, InfoPrintsFormatTitleOrdersNamesAndMessage) {
    testsupport::Song song = testsupport::LoudSilentSong(3, 16);
    song.title = "Tidewater";
    song.instrumentNames = {"piano"};
    song.message = "made for tests\rsecond";
    const Result r = RunModtool("info '" + WriteSong("info.it", testsupport::WriteIt(song)) + "'");
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("format: IT\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("title: Tidewater\n"), std::string::npos);
    EXPECT_NE(r.output.find("orders: 3\n"), std::string::npos);
    EXPECT_NE(r.output.find("square"), std::string::npos);
    EXPECT_NE(r.output.find("piano"), std::string::npos);
    EXPECT_NE(r.output.find("message: 2 lines\n  made for tests\n  second\n"), std::string::npos);
}

TEST(Modtool, RenderWritesTheWavAndAPollLineEvery30Ms) {
    const std::string song = WriteSong("render.xm", testsupport::WriteXm(testsupport::LoudSilentSong(4, 16)));
    const std::string wav = Scratch("render.wav");
    const Result r = RunModtool("render '" + song + "' '" + wav + "' --seconds 1");
    ASSERT_EQ(r.status, 0) << r.output;
    const std::vector<Poll> polls = Polls(r.output);
    ASSERT_EQ(polls.size(), 34u);  // 33 full polls and the last 10 ms
    EXPECT_NEAR(polls[14].time, 0.45, 1e-9);
    EXPECT_EQ(polls[14].order, 0);
    EXPECT_EQ(polls[14].row, 8);
    EXPECT_GT(polls[14].left, 10);
    EXPECT_EQ(polls[33].order, 1);
    EXPECT_EQ(polls[33].left, 0) << "order 1 is silent";
    EXPECT_EQ(std::filesystem::file_size(wav), 44u + 44100u * 4);

    std::ifstream in(wav, std::ios::binary);
    std::vector<char> head(44);
    in.read(head.data(), 44);
    EXPECT_EQ(std::string(head.data(), 4), "RIFF");
    EXPECT_EQ(std::string(head.data() + 8, 8), "WAVEfmt ");
    EXPECT_EQ(std::string(head.data() + 36, 4), "data");
}

TEST(Modtool, RenderSeeksAndStopsAtTheEnd) {
    const std::string song = WriteSong("seek.it", testsupport::WriteIt(testsupport::LoudSilentSong(4, 16)));
    const std::string wav = Scratch("seek.wav");
    const Result r = RunModtool("render '" + song + "' '" + wav + "' --seek 2");
    ASSERT_EQ(r.status, 0) << r.output;
    const std::vector<Poll> polls = Polls(r.output);
    ASSERT_FALSE(polls.empty());
    EXPECT_EQ(polls.front().order, 2);
    EXPECT_EQ(polls.back().order, 3);
    EXPECT_EQ(polls.back().row, 15);
    // Two orders of 16 rows of 2205 frames, rendered in 30 ms polls.
    const auto bytes = std::filesystem::file_size(wav) - 44;
    EXPECT_GE(bytes, 2u * 16 * 2205 * 4);
    EXPECT_LT(bytes, 2u * 16 * 2205 * 4 + 1323 * 4);
}

TEST(Modtool, RefusesBadArgumentsAndFiles) {
    EXPECT_EQ(RunModtool("").status, 2);
    EXPECT_EQ(RunModtool("play x").status, 2);
    const std::string song = WriteSong("bad.mod", testsupport::WriteMod(testsupport::LoudSilentSong(2)));
    EXPECT_EQ(RunModtool("render '" + song + "' '" + Scratch("x.wav") + "' --seconds -1").status, 2);
    EXPECT_EQ(RunModtool("render '" + song + "' '" + Scratch("x.wav") + "' --seek").status, 2);
    const Result missing = RunModtool("info '" + Scratch("missing.it") + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("cannot read file"), std::string::npos);
    const Result noOrder = RunModtool("render '" + song + "' '" + Scratch("x.wav") + "' --seek 9");
    EXPECT_EQ(noOrder.status, 1);
    EXPECT_NE(noOrder.output.find("no such order (error code: 7)"), std::string::npos) << noOrder.output;
    EXPECT_EQ(RunModtool("render '" + song + "' /nonexistent-dir/x.wav").status, 1);
}

}  // namespace
