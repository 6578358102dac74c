// The Covers window: layout, switching pictures, missing cover files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Unit2.h"
#include "gui/draw/Jpeg.h"
#include "gui/windows/TestKit.h"

using namespace gui;
namespace tk = gui::testkit;
namespace fs = std::filesystem;

namespace {

// A flat-coloured JPEG; colours are far apart so lossy coding cannot blur them together.
void WriteJpeg(const fs::path& path, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(w) * h * 3);
    for (std::size_t i = 0; i < bgr.size(); i += 3) {
        bgr[i] = b;
        bgr[i + 1] = g;
        bgr[i + 2] = r;
    }
    const auto bytes = EncodeJpeg(bgr.data(), w, h, w * 3, 95);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

bool Near(TColor c, int r, int g, int b) {
    return std::abs(static_cast<int>(c & 0xFF) - r) < 24 && std::abs(static_cast<int>((c >> 8) & 0xFF) - g) < 24 &&
           std::abs(static_cast<int>((c >> 16) & 0xFF) - b) < 24;
}

// Each test runs in a folder of its own: the cover files are looked up by plain name.
class CoversTest : public ::testing::Test {
protected:
    void SetUp() override {
        old = fs::current_path();
        dir = fs::temp_directory_path() /
              ("covers_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    void TearDown() override {
        delete Form2;
        Form2 = nullptr;
        fs::current_path(old);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    void Create() { Form2 = new TForm2(nullptr); }
    tk::Session session;
    fs::path old, dir;
};

TEST_F(CoversTest, TheLayoutIsAsDesignedAndTheFrontCoverIsLoaded) {
    WriteJpeg("_korvane_cover.jpg", 40, 30, 0, 200, 0);
    Create();
    EXPECT_TRUE(session.Texts().empty());
    EXPECT_EQ(Form2->Caption(), "Cover");
    EXPECT_EQ(Form2->Left(), 241);
    EXPECT_EQ(Form2->Top(), 129);
    EXPECT_EQ(Form2->BorderStyle(), bsSingle);
    EXPECT_EQ(Form2->ClientWidth(), 601);
    EXPECT_EQ(Form2->ClientHeight(), 497);
    EXPECT_EQ(Form2->Color(), 333333);
    EXPECT_TRUE(Form2->BorderIcons().Contains(biSystemMenu));
    EXPECT_TRUE(Form2->BorderIcons().Contains(biMinimize));
    EXPECT_FALSE(Form2->BorderIcons().Contains(biMaximize));
    EXPECT_FALSE(Form2->Visible());

    EXPECT_EQ(Form2->Image1->BoundsRect(), (TRect{4, 4, 597, 477}));
    EXPECT_FALSE(Form2->Image1->Stretch());
    EXPECT_FALSE(Form2->Image1->Center());
    EXPECT_EQ(Form2->Image1->Picture()->Width(), 40);

    EXPECT_EQ(Form2->lbl_front->Caption(), "Front Cover");
    EXPECT_EQ(Form2->lbl_front->BoundsRect(), (TRect{76, 480, 145, 497}));
    EXPECT_EQ(Form2->lbl_front->Font()->Color(), 255);
    EXPECT_EQ(Form2->lbl_back->Caption(), "Back Cover");
    EXPECT_EQ(Form2->lbl_back->BoundsRect(), (TRect{472, 480, 541, 497}));
    EXPECT_EQ(Form2->lbl_back->Font()->Color(), 128);
    for (TLabel* l : {Form2->lbl_front, Form2->lbl_back}) {
        EXPECT_EQ(l->Alignment(), taCenter);
        EXPECT_TRUE(l->Transparent());
        EXPECT_FALSE(l->AutoSize());
        EXPECT_EQ(l->Font()->Name(), "MS Sans Serif");
        EXPECT_EQ(l->Font()->Height(), -11);
        EXPECT_TRUE(l->Font()->Style().Contains(fsBold));
    }
}

TEST_F(CoversTest, TheLabelsSwitchPicturesAndColours) {
    WriteJpeg("_korvane_cover.jpg", 40, 30, 0, 200, 0);
    WriteJpeg("_korvane_back.jpg", 60, 50, 0, 0, 220);
    Create();
    Form2->Show();
    tk::Click(Form2->lbl_back, 30, 8);
    EXPECT_EQ(Form2->Image1->Picture()->Width(), 60);
    EXPECT_EQ(Form2->lbl_front->Font()->Color(), 128);
    EXPECT_EQ(Form2->lbl_back->Font()->Color(), 255);
    // A smaller picture sits at the top left; the rest shows the background.
    EXPECT_TRUE(Near(tk::PixelAt(Form2, 4 + 10, 4 + 10), 0, 0, 220));
    EXPECT_EQ(tk::PixelAt(Form2, 4 + 100, 4 + 100), 333333);

    // Clicking it again reloads the same file and keeps the colours.
    WriteJpeg("_korvane_back.jpg", 70, 50, 0, 0, 220);
    tk::Click(Form2->lbl_back, 30, 8);
    EXPECT_EQ(Form2->Image1->Picture()->Width(), 70);
    EXPECT_EQ(Form2->lbl_front->Font()->Color(), 128);
    EXPECT_EQ(Form2->lbl_back->Font()->Color(), 255);

    tk::Click(Form2->lbl_front, 30, 8);
    EXPECT_EQ(Form2->Image1->Picture()->Width(), 40);
    EXPECT_EQ(Form2->lbl_front->Font()->Color(), 255);
    EXPECT_EQ(Form2->lbl_back->Font()->Color(), 128);
    EXPECT_TRUE(session.Texts().empty());
}

TEST_F(CoversTest, ALargePictureIsClippedAtThePictureEdges) {
    WriteJpeg("_korvane_cover.jpg", 700, 600, 200, 0, 0);
    Create();
    Form2->Show();
    EXPECT_TRUE(Near(tk::PixelAt(Form2, 596, 476), 200, 0, 0));
    EXPECT_EQ(tk::PixelAt(Form2, 599, 300), 333333);  // right of the picture control
    EXPECT_EQ(tk::PixelAt(Form2, 300, 478), 333333);  // below it
}

TEST_F(CoversTest, AMissingFrontCoverIsReportedAndStartUpGoesOn) {
    Create();
    ASSERT_NE(Form2, nullptr);
    EXPECT_EQ(session.Texts(), (std::vector<String>{"Cannot open file _korvane_cover.jpg"}));
    EXPECT_EQ(Form2->Image1->Picture()->Graphic(), nullptr);
}

TEST_F(CoversTest, AMissingBackCoverSwitchesTheColoursButKeepsThePicture) {
    WriteJpeg("_korvane_cover.jpg", 40, 30, 0, 200, 0);
    Create();
    Form2->Show();
    tk::Click(Form2->lbl_back, 30, 8);
    EXPECT_EQ(session.Texts(), (std::vector<String>{"Cannot open file _korvane_back.jpg"}));
    EXPECT_EQ(Form2->lbl_front->Font()->Color(), 128);
    EXPECT_EQ(Form2->lbl_back->Font()->Color(), 255);
    EXPECT_EQ(Form2->Image1->Picture()->Width(), 40);
}

}  // namespace
