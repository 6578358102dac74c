// Reading what a module file holds without playing it.
#include "tests/app/bass/bass_fixture.h"

namespace basstest {
namespace {

testsupport::Song NamedSong() {
    testsupport::Song song = testsupport::LoudSilentSong(3, 16);
    song.title = "Harbour Lights";
    song.samples.push_back(testsupport::SquareSample("bass drum", 90));
    song.instrumentNames = {"lead", "drums"};
    song.message = "first line\rsecond line\r\rafter a blank";
    return song;
}

TEST(ModuleInfo, ItGivesTitleOrdersNamesAndMessageLines) {
    const std::string path = WriteScratch("named.it", testsupport::WriteIt(NamedSong()));
    bass::ModuleInfo info;
    std::string error;
    ASSERT_TRUE(bass::ReadModuleInfo(path, info, error)) << error;
    EXPECT_EQ(info.format, "IT");
    EXPECT_EQ(info.title, "Harbour Lights");
    EXPECT_EQ(info.orders, 3);
    EXPECT_EQ(info.sampleNames, (std::vector<std::string>{"square", "bass drum"}));
    EXPECT_EQ(info.instrumentNames, (std::vector<std::string>{"lead", "drums"}));
    EXPECT_EQ(info.messageLines, (std::vector<std::string>{"first line", "second line", "", "after a blank"}));
}

TEST(ModuleInfo, EachFormatIsNamed) {
    const testsupport::Song song = NamedSong();
    for (const Format f : {Format::It, Format::Xm, Format::S3m, Format::Mod}) {
        const std::string path = WriteScratch("named", Write(f, song));
        bass::ModuleInfo info;
        std::string error;
        ASSERT_TRUE(bass::ReadModuleInfo(path, info, error)) << error;
        EXPECT_EQ(info.format, FormatName(f));
        EXPECT_EQ(info.orders, 3);
        EXPECT_EQ(info.title, "Harbour Lights");
        if (f == Format::Mod || f == Format::S3m) {
            ASSERT_GE(info.sampleNames.size(), 2u);
            EXPECT_EQ(info.sampleNames[1], "bass drum");
            EXPECT_TRUE(info.instrumentNames.empty());
        } else if (f == Format::Xm) {
            EXPECT_EQ(info.instrumentNames, (std::vector<std::string>{"lead", "drums"}));
        }
    }
}

TEST(ModuleInfo, MissingAndForeignFilesGiveAReason) {
    bass::ModuleInfo info;
    std::string error;
    EXPECT_FALSE(bass::ReadModuleInfo(ScratchPath("nothing.xm"), info, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
    const std::string text = WriteScratch("text.mod", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(bass::ReadModuleInfo(text, info, error));
    EXPECT_NE(error.find("not an IT, XM, S3M or MOD module"), std::string::npos);
}

}  // namespace
}  // namespace basstest
