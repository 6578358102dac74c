// Loaders given what is not a regular file, or too much of one: each gets its
// error at once. A watchdog ends the run if an open ever blocks again.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "gui/base/Classes.h"
#include "gui/base/FileLoad.h"
#include "gui/draw/Graphics.h"

using namespace gui;

namespace {

class SpecialFiles : public ::testing::Test {
protected:
    void SetUp() override {
        alarm(20);  // a blocked open() fails the run instead of hanging it
        char tmpl[] = "/tmp/korvane_special_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        fifo = dir + "/pipe.bmp";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        zero = dir + "/zero.bmp";
        ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
        sub = dir + "/folder.bmp";
        ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    }
    void TearDown() override {
        alarm(0);
        for (const std::string& p : {fifo, zero, big}) std::remove(p.c_str());
        rmdir(sub.c_str());
        rmdir(dir.c_str());
    }
    // A sparse file of the given size: costs no disk.
    std::string Sparse(std::uint64_t size) {
        big = dir + "/big.bmp";
        std::FILE* f = std::fopen(big.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        EXPECT_EQ(ftruncate(fileno(f), static_cast<off_t>(size)), 0);
        std::fclose(f);
        return big;
    }
    std::vector<std::string> Specials() const { return {fifo, zero, sub}; }

    std::string dir, fifo, zero, sub, big;
};

template <typename E>
void ExpectError(const std::function<void()>& load, const std::string& text) {
    try {
        load();
        ADD_FAILURE() << "no error for " << text;
    } catch (const E& e) {
        EXPECT_EQ(std::string(e.what()).rfind(text, 0), 0u) << e.what();
    }
}

}  // namespace

TEST_F(SpecialFiles, TheReaderRefusesEverythingButRegularFiles) {
    std::vector<std::uint8_t> out;
    for (const std::string& p : Specials()) EXPECT_EQ(ReadRegularFile(p, 1 << 20, out), FileStatus::NotRegular) << p;
    EXPECT_EQ(ReadRegularFile(dir + "/none", 1 << 20, out), FileStatus::CannotOpen);
    EXPECT_EQ(ReadRegularFile(Sparse(1000), 999, out), FileStatus::TooLarge);
    EXPECT_TRUE(out.empty());
    ASSERT_EQ(ReadRegularFile(big, 1000, out, 10, 20), FileStatus::Ok);
    EXPECT_EQ(out.size(), 20u);
    EXPECT_EQ(ReadRegularFile(big, 1000, out, 1001), FileStatus::BadOffset);
}

TEST_F(SpecialFiles, PicturesReportCannotOpen) {
    for (const std::string& p : Specials()) {
        TPicture pic;
        ExpectError<EFOpenError>([&] { pic.LoadFromFile(p); }, "Cannot open file " + p);
        TBitmap bmp;
        ExpectError<EFOpenError>([&] { bmp.LoadFromFile(p); }, "Cannot open file " + p);
    }
    const std::string huge = Sparse(kMaxPictureFileBytes + 1);
    TPicture pic;
    ExpectError<EFOpenError>([&] { pic.LoadFromFile(huge); }, "Cannot open file " + huge + ": it is too large");
}

TEST_F(SpecialFiles, StreamsAndStringListsReportCannotOpen) {
    for (const std::string& p : Specials()) {
        ExpectError<EFOpenError>([&] { TFileStream fs(p, fmOpenRead); }, "Cannot open file " + p);
        TMemoryStream ms;
        ExpectError<EFOpenError>([&] { ms.LoadFromFile(p); }, "Cannot open file " + p);
        TStringList sl;
        ExpectError<EFOpenError>([&] { sl.LoadFromFile(p); }, "Cannot open file " + p);
    }
    // Writing to a pipe nobody reads, or over a folder, fails at once too.
    ExpectError<EFCreateError>([&] { TFileStream fs(fifo, fmCreate); }, "Cannot create file " + fifo);
    ExpectError<EFCreateError>([&] { TFileStream fs(sub, fmCreate); }, "Cannot create file " + sub);
    const std::string huge = Sparse(kMaxStreamFileBytes + 1);
    TMemoryStream ms;
    ExpectError<EFOpenError>([&] { ms.LoadFromFile(huge); }, "Cannot open file " + huge + ": it is too large");
    TStringList sl;
    ExpectError<EFOpenError>([&] { sl.LoadFromFile(huge); }, "Cannot open file " + huge + ": it is too large");
}

TEST_F(SpecialFiles, RegularFilesStillReadAndWrite) {
    const std::string p = dir + "/plain.txt";
    big = p;
    {
        TStringList sl;
        sl.Add("one");
        sl.Add("two");
        sl.SaveToFile(p);
    }
    TStringList back;
    back.LoadFromFile(p);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back[1], "two");
    TFileStream rw(p, fmOpenReadWrite);
    EXPECT_GT(rw.Size(), 0);
}
