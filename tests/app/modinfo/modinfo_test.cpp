// The IT information reader, ShowModInfo and the Mod Info window.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Unit5.h"
#include "content/modules/ItFile.h"
#include "gui/windows/TestKit.h"

using namespace gui;
namespace tk = gui::testkit;
namespace it = content::it;
namespace fs = std::filesystem;

namespace {

class ModInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("modinfo_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        for (auto& s : samplenames) s = "old sample";
        for (auto& s : instnames) s = "old instrument";
        for (auto& s : commentlines) s = "old line";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    std::string WriteMessage(const std::string& message) {
        it::FileBuilder fb;
        fb.message = message;
        return Write("msg.it", fb.Build());
    }
    static it::FileBuilder::SampleBlock Sample(const std::string& name) {
        it::FileBuilder::SampleBlock b;
        b.header.name = name;
        return b;
    }
    static it::FileBuilder::InstrumentBlock Instrument(const std::string& name) {
        it::FileBuilder::InstrumentBlock b;
        b.header.name = name;
        return b;
    }
    fs::path dir;
};

TEST_F(ModInfoTest, NamesAreReadUpToTheirZeroByteOrAll26Characters) {
    it::FileBuilder fb;
    const std::string full26 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    fb.samples = {Sample("kick"), Sample(full26), Sample("")};
    fb.instruments = {Instrument(full26), Instrument("pad")};
    // A name with bytes after its zero: only the part before it counts.
    it::FileBuilder::Layout layout;
    fb.Build(&layout);
    fb.patches.push_back({layout.samples[0] + 20 + 5, {'J', 'U', 'N', 'K'}});
    ASSERT_TRUE(ReadITInfo(Write("names.it", fb.Build())));

    EXPECT_EQ(samplenames[0], "kick");
    EXPECT_EQ(samplenames[1], full26);
    EXPECT_EQ(samplenames[2], "");
    EXPECT_EQ(instnames[0], full26);
    EXPECT_EQ(instnames[1], "pad");
    // Slots beyond the file's counts name nothing.
    for (std::size_t i = 3; i < samplenames.size(); ++i) EXPECT_EQ(samplenames[i], "") << i;
    for (std::size_t i = 2; i < instnames.size(); ++i) EXPECT_EQ(instnames[i], "") << i;
    for (const auto& line : commentlines) EXPECT_EQ(line, "");
}

TEST_F(ModInfoTest, MessageLinesArePaddedTo79AndCutAt80) {
    const std::string l79(79, 'a'), l80(80, 'b'), l100 = std::string(80, 'c') + std::string(20, 'd');
    ASSERT_TRUE(ReadITInfo(WriteMessage("hi\r" + l79 + "\r" + l100 + "\r" + l80 + "\r\r")));
    EXPECT_EQ(commentlines[0], "hi" + std::string(77, ' '));
    EXPECT_EQ(commentlines[1], l79);
    EXPECT_EQ(commentlines[2], std::string(80, 'c'));
    EXPECT_EQ(commentlines[3], l80);
    EXPECT_EQ(commentlines[4], std::string(79, ' '));
    for (std::size_t i = 5; i < commentlines.size(); ++i) EXPECT_EQ(commentlines[i], "") << i;
}

TEST_F(ModInfoTest, TextAfterTheLastCarriageReturnIsTheLastLineAndOtherBytesAreKept) {
    std::string msg = "one\rtw";
    msg += '\n';
    msg += '\0';
    msg += "o\rthree without end";
    ASSERT_TRUE(ReadITInfo(WriteMessage(msg)));
    EXPECT_EQ(commentlines[0], "one" + std::string(76, ' '));
    std::string second = "tw";
    second += '\n';
    second += '\0';
    second += 'o';
    EXPECT_EQ(commentlines[1], second + std::string(74, ' '));
    EXPECT_EQ(commentlines[1].size(), 79u);
    EXPECT_EQ(commentlines[2], "three without end" + std::string(62, ' '));
    for (std::size_t i = 3; i < commentlines.size(); ++i) EXPECT_EQ(commentlines[i], "") << i;
}

// The usual ending: a zero terminator instead of a carriage return. The
// terminator is not text, and a last line follows the same 79/80 rule.
TEST_F(ModInfoTest, AZeroTerminatedLastLineIsKeptWithoutItsTerminator) {
    std::string msg = "one\r" + std::string(100, 'x');
    msg += '\0';
    ASSERT_TRUE(ReadITInfo(WriteMessage(msg)));
    EXPECT_EQ(commentlines[1], std::string(80, 'x'));
    ASSERT_TRUE(ReadITInfo(WriteMessage("only line")));
    EXPECT_EQ(commentlines[0], "only line" + std::string(70, ' '));
    std::string ended = "done\r";
    ended += '\0';
    ASSERT_TRUE(ReadITInfo(WriteMessage(ended)));
    EXPECT_EQ(commentlines[0], "done" + std::string(75, ' '));
    EXPECT_EQ(commentlines[1], "");
}

// Files whose message flag is off often still carry an old length and
// offset, which point at sample data: no comment is shown for them.
TEST_F(ModInfoTest, NoMessageIsReadWithoutTheMessageFlag) {
    it::FileBuilder fb;
    fb.samples = {Sample("kick")};
    fb.message = "stale text\r";
    fb.patches.push_back({46, {0x00, 0x00}});  // the flag is cleared, the length stays
    ASSERT_TRUE(ReadITInfo(Write("stale.it", fb.Build())));
    EXPECT_EQ(samplenames[0], "kick");
    for (const auto& line : commentlines) EXPECT_EQ(line, "");
    fb.patches.back().second = {0x01, 0x00};
    ASSERT_TRUE(ReadITInfo(Write("flagged.it", fb.Build())));
    EXPECT_EQ(commentlines[0], "stale text" + std::string(69, ' '));
}

TEST_F(ModInfoTest, AMessageLengthOfZeroEmptiesAllLines) {
    it::FileBuilder fb;
    fb.message = "ignored\r";
    fb.messageLength = 0;
    ASSERT_TRUE(ReadITInfo(Write("nomsg.it", fb.Build())));
    for (const auto& line : commentlines) EXPECT_EQ(line, "");
}

TEST_F(ModInfoTest, AMissingFileReturnsFalseAndChangesNothing) {
    EXPECT_FALSE(ReadITInfo((dir / "absent.it").string()));
    EXPECT_FALSE(ReadITInfo(dir.string()));  // a folder is not a module file
    EXPECT_EQ(samplenames[0], "old sample");
    EXPECT_EQ(instnames[99], "old instrument");
    EXPECT_EQ(commentlines[199], "old line");
}

TEST_F(ModInfoTest, ShortReadsFailWithTheStreamReadError) {
    auto expectReadError = [&](const std::vector<std::uint8_t>& bytes, const char* what) {
        const std::string path = Write("short.it", bytes);
        try {
            ReadITInfo(path);
            ADD_FAILURE() << what << ": no error";
        } catch (const EReadError& e) {
            EXPECT_STREQ(e.what(), "Stream read error") << what;
        }
    };
    it::FileBuilder fb;
    fb.samples = {Sample("s1"), Sample("s2")};
    fb.instruments = {Instrument("i1")};
    fb.message = "line\r";
    it::FileBuilder::Layout layout;
    const auto whole = fb.Build(&layout);

    expectReadError(std::vector<std::uint8_t>(whole.begin(), whole.begin() + 100), "header");
    expectReadError(std::vector<std::uint8_t>(whole.begin(), whole.begin() + layout.sampleTable + 2),
                    "sample table");
    expectReadError(std::vector<std::uint8_t>(whole.begin(), whole.begin() + layout.samples[1] + 79),
                    "last sample header");

    it::FileBuilder far = fb;
    far.patches.push_back({layout.sampleTable + 4, {0xF0, 0xFF, 0xFF, 0x7F}});  // far past the end
    expectReadError(far.Build(), "sample offset past the end");

    it::FileBuilder msg = fb;
    msg.messageOffset = 0xFFFFFFFFu;
    expectReadError(msg.Build(), "message offset past the end");
    msg.messageOffset.reset();
    msg.messageLength = 60000;  // longer than the file
    expectReadError(msg.Build(), "message length past the end");

    it::FileBuilder pats = fb;
    pats.patternCount = 65535;  // a table the file does not hold
    expectReadError(pats.Build(), "pattern table");
}

TEST_F(ModInfoTest, AFailedReadKeepsWhatWasStoredBeforeIt) {
    it::FileBuilder fb;
    fb.samples = {Sample("good")};
    fb.instruments = {Instrument("never read")};
    it::FileBuilder::Layout layout;
    fb.Build(&layout);
    fb.patches.push_back({layout.instrumentTable, {0xFF, 0xFF, 0xFF, 0x00}});
    ASSERT_THROW(ReadITInfo(Write("partial.it", fb.Build())), EReadError);
    EXPECT_EQ(samplenames[0], "good");
    EXPECT_EQ(instnames[0], "old instrument");
    EXPECT_EQ(commentlines[0], "old line");
}

TEST_F(ModInfoTest, CountsBeyondTheTablesKeepTheFirstEntries) {
    it::FileBuilder fb;
    for (int i = 0; i < 150; ++i) fb.samples.push_back(Sample("smp" + std::to_string(i)));
    for (int i = 0; i < 120; ++i) fb.instruments.push_back(Instrument("ins" + std::to_string(i)));
    fb.orders.assign(300, 0);
    fb.patterns.assign(250, {});
    std::string message;
    for (int i = 0; i < 250; ++i) message += "line " + std::to_string(i) + "\r";
    fb.message = message;
    ASSERT_TRUE(ReadITInfo(Write("big.it", fb.Build())));
    EXPECT_EQ(samplenames[0], "smp0");
    EXPECT_EQ(samplenames[99], "smp99");
    EXPECT_EQ(instnames[99], "ins99");
    EXPECT_EQ(commentlines[0].substr(0, 6), "line 0");
    EXPECT_EQ(commentlines[199].substr(0, 8), "line 199");
}

// ---- ShowModInfo and the window ------------------------------------------------------

class ModInfoWindowTest : public ModInfoTest {
protected:
    void SetUp() override {
        ModInfoTest::SetUp();
        Form5 = new TForm5(nullptr);
    }
    void TearDown() override {
        delete Form5;
        Form5 = nullptr;
        ModInfoTest::TearDown();
    }
    tk::Session session;
};

TEST_F(ModInfoWindowTest, TheLayoutIsAsDesigned) {
    EXPECT_EQ(Form5->Caption(), "Mod Info");
    EXPECT_EQ((TRect{Form5->Left(), Form5->Top(), Form5->Left() + Form5->Width(), Form5->Top() + Form5->Height()}),
              (TRect{192, 107, 192 + 636, 107 + 385}));
    EXPECT_EQ(Form5->Color(), clBtnFace);
    EXPECT_TRUE(Form5->BorderIcons().Contains(biSystemMenu));
    EXPECT_TRUE(Form5->BorderIcons().Contains(biMinimize));
    EXPECT_FALSE(Form5->BorderIcons().Contains(biMaximize));
    EXPECT_FALSE(Form5->Visible());

    ASSERT_EQ(Form5->PageControl1->PageCount(), 3);
    EXPECT_EQ(Form5->PageControl1->BoundsRect(), (TRect{8, 12, 537, 325}));
    EXPECT_EQ(Form5->PageControl1->Pages(0)->Caption(), "General");
    EXPECT_EQ(Form5->PageControl1->Pages(1)->Caption(), "Samples / Instruments");
    EXPECT_EQ(Form5->PageControl1->Pages(2)->Caption(), "Comment");
    EXPECT_EQ(Form5->PageControl1->ActivePage(), Form5->TabSheet1);

    const TLabel* captions[] = {Form5->Label1, Form5->Label2, Form5->Label3, Form5->Label4, Form5->Label5};
    const TLabel* values[] = {Form5->lbl_title, Form5->lbl_tracker, Form5->lbl_format, Form5->lbl_length,
                              Form5->lbl_filesize};
    const char* texts[] = {"Title:", "Tracker:", "Format:", "Length:", "Filesize:"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(texts[i]);
        EXPECT_EQ(captions[i]->Caption(), texts[i]);
        EXPECT_EQ(captions[i]->Parent(), Form5->TabSheet1);
        EXPECT_EQ(captions[i]->Top(), 36 + 20 * i);
        EXPECT_EQ(captions[i]->Height(), 17);
        EXPECT_EQ(captions[i]->Left() + captions[i]->Width(), 93);
        EXPECT_EQ(captions[i]->Alignment(), taRightJustify);
        EXPECT_EQ(captions[i]->Layout(), tlCenter);
        EXPECT_TRUE(captions[i]->Font()->Style().Contains(fsBold));
        EXPECT_EQ(captions[i]->Font()->Name(), "MS Sans Serif");
        EXPECT_EQ(captions[i]->Font()->Height(), -11);
        EXPECT_EQ(values[i]->BoundsRect(), (TRect{104, 36 + 20 * i, 104 + 181, 36 + 20 * i + 17}));
        EXPECT_EQ(values[i]->Layout(), tlCenter);
        EXPECT_FALSE(values[i]->Font()->Style().Contains(fsBold));
    }
    EXPECT_EQ(Form5->Label6->Caption(), "Samples:");
    EXPECT_EQ(Form5->Label6->Left(), 8);
    EXPECT_EQ(Form5->Label6->Top(), 16);
    EXPECT_EQ(Form5->Label7->Caption(), "Instruments:");
    EXPECT_EQ(Form5->Label7->Left(), 304);
    EXPECT_TRUE(Form5->Label7->Font()->Style().Contains(fsBold));

    EXPECT_EQ(Form5->samplelist->BoundsRect(), (TRect{8, 32, 217, 277}));
    EXPECT_EQ(Form5->instlist->BoundsRect(), (TRect{304, 32, 513, 277}));
    EXPECT_EQ(Form5->commentbox->BoundsRect(), (TRect{8, 12, 513, 277}));
    EXPECT_EQ(Form5->samplelist->Parent(), Form5->TabSheet2);
    EXPECT_EQ(Form5->commentbox->Parent(), Form5->TabSheet3);
    for (TListBox* box : {Form5->samplelist, Form5->instlist, Form5->commentbox}) {
        EXPECT_EQ(box->Font()->Name(), "Terminal");
        EXPECT_EQ(box->Font()->Height(), -11);
        EXPECT_EQ(box->ItemHeight(), 8);
        EXPECT_EQ(box->Items()->Count(), 0);
    }
}

TEST_F(ModInfoWindowTest, AnItSongFillsLabelsAndAllThreeLists) {
    it::FileBuilder fb;
    fb.samples = {Sample("bassline")};
    fb.instruments = {Instrument("strings")};
    fb.message = "first\rsecond\rno end";
    ASSERT_TRUE(ReadITInfo(Write("song.it", fb.Build())));
    ShowModInfo("Tidewater", "Brine", "IT", "2:44", "73k");

    EXPECT_EQ(Form5->lbl_title->Caption(), "Tidewater");
    EXPECT_EQ(Form5->lbl_tracker->Caption(), "Brine");
    EXPECT_EQ(Form5->lbl_format->Caption(), "IT");
    EXPECT_EQ(Form5->lbl_length->Caption(), "2:44");
    EXPECT_EQ(Form5->lbl_filesize->Caption(), "73k");
    ASSERT_EQ(Form5->samplelist->Items()->Count(), 100);
    ASSERT_EQ(Form5->instlist->Items()->Count(), 100);
    ASSERT_EQ(Form5->commentbox->Items()->Count(), 200);
    EXPECT_EQ(Form5->samplelist->Items()->Strings(0), "bassline");
    EXPECT_EQ(Form5->samplelist->Items()->Strings(1), "");
    EXPECT_EQ(Form5->instlist->Items()->Strings(0), "strings");
    EXPECT_EQ(Form5->commentbox->Items()->Strings(1), "second" + std::string(73, ' '));
    EXPECT_EQ(Form5->commentbox->Items()->Strings(2), "no end" + std::string(73, ' '));
    EXPECT_EQ(Form5->commentbox->Items()->Strings(3), "");

    // The lists are not emptied here: the caller does that before each song.
    ShowModInfo("Tidewater", "Brine", "IT", "2:44", "73k");
    EXPECT_EQ(Form5->commentbox->Items()->Count(), 400);
}

TEST_F(ModInfoWindowTest, OtherFormatsOnlyChangeTheLabels) {
    Form5->instlist->Items()->Add("catalogue line");
    for (const char* format : {"XM", "S3M", "MOD", "it"}) {
        ShowModInfo("Song", "Artist", format, "3:03", "1074k");
        EXPECT_EQ(Form5->lbl_format->Caption(), format);
        EXPECT_EQ(Form5->samplelist->Items()->Count(), 0) << format;
        EXPECT_EQ(Form5->instlist->Items()->Count(), 1) << format;
        EXPECT_EQ(Form5->commentbox->Items()->Count(), 0) << format;
    }
    EXPECT_EQ(samplenames[0], "old sample");
}

TEST_F(ModInfoWindowTest, AReadErrorInAHandlerReachesTheDefaultErrorReport) {
    it::FileBuilder fb;
    fb.samples = {Sample("x")};
    fb.truncateTo = 150;
    const std::string path = Write("cut.it", fb.Build());
    TLabel button(Form5);
    button.SetParent(Form5);
    button.SetBounds(560, 330, 50, 20);
    button.SetCaption("go");
    bool after = false;
    button.OnClick = [&](TObject*) {
        ReadITInfo(path);
        after = true;
    };
    Form5->Show();
    tk::Click(&button, 5, 5);
    EXPECT_FALSE(after);
    EXPECT_EQ(session.Texts(), (std::vector<String>{"Stream read error"}));
}

}  // namespace
