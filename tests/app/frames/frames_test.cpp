// What the Bio window costs per player tick and per page open: a tick whose
// values draw the pixels already shown paints, copies and allocates nothing;
// the controls a tick changes reach the screen in one frame when the tick
// ends; the panel's background picture is decoded once.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <cstdlib>
#include <new>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "catalogue/Catalogue.h"
#include "gui/windows/FrameTrace.h"
#include "gui/windows/TestKit.h"
#include "../FiveWindows.h"

using namespace gui;

namespace {
std::atomic<long long> gNews{0};
}  // namespace

// Every operator new of the test is counted.
void* operator new(std::size_t n) {
    ++gNews;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    ++gNews;
    return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

DWORD gPosition = 0, gLevel = 0;

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new FiveWindowsEnvironment);

class Frames : public ::testing::Test {
protected:
    void SetUp() override {
        saved = BassCalls;
        BassCalls.ChannelGetPosition = [](DWORD) { return gPosition; };
        BassCalls.ChannelGetLevel = [](DWORD) { return gLevel; };
    }
    void TearDown() override {
        BassCalls = saved;
        Form3->Hide();
    }
    // One poll with these values, as the timer runs it; returns the frames
    // handed to the screen after it (0 or 1) and the allocations of the poll.
    int Tick(DWORD position, int left, int right, long long* news = nullptr) {
        gPosition = position;
        gLevel = static_cast<DWORD>(left) | (static_cast<DWORD>(right) << 16);
        auto frames = std::make_shared<int>(0);
        AfterNextFrame(Form3, [frames](const TFrameInfo&) { ++*frames; });
        const long long before = gNews.load();
        EXPECT_TRUE(testkit::FireTimer(Form3->Timer1));
        if (news) *news = gNews.load() - before;
        copiesAtTickEnd = testkit::ScreenCopies(Form3->Panel1);
        testkit::ProcessMessages();
        testkit::ProcessMessages();
        if (*frames == 0) waiting = frames;
        return *frames;
    }
    // A frame of our own takes the waiter a frameless tick left, so that it
    // cannot count a later tick's frame.
    void Settle() {
        if (!waiting) return;
        Form3->Panel1->Invalidate();
        testkit::ProcessMessages();
        testkit::ProcessMessages();
        EXPECT_EQ(*waiting, 1);
        waiting.reset();
    }

    std::shared_ptr<int> waiting;
    int copiesAtTickEnd = 0;
    testkit::Session session;
    TBassCalls saved;
};

}  // namespace

TEST_F(Frames, ATickDrawingTheSamePixelsPaintsCopiesAndAllocatesNothing) {
    Form1->btn_orvekClick(nullptr);
    Form3->trackpos->SetMaxValue(1000);
    Form3->slidepos->SetMaxValue(1000);
    ASSERT_EQ(Tick(500, 64, 64), 1);
    const int copies = testkit::ScreenCopies(Form3->Panel1);
    const int leftPaints = Form3->leftlevel->Paints(), rightPaints = Form3->rightlevel->Paints(),
              barPaints = Form3->trackpos->Paints();
    // 65 and 66 of 128 light the same 22 ticks as 64; order 504 of 1000
    // fills the same 100 pixels of the bar as 500 (the slider's thumb too).
    long long news = -1;
    EXPECT_EQ(Tick(504, 65, 66, &news), 0);
    EXPECT_EQ(news, 0);
    EXPECT_EQ(Form3->leftlevel->Position(), 65) << "the values are still taken";
    EXPECT_EQ(Form3->rightlevel->Position(), 66);
    EXPECT_EQ(Form3->trackpos->Position(), 504);
    EXPECT_EQ(Form3->leftlevel->Paints(), leftPaints);
    EXPECT_EQ(Form3->rightlevel->Paints(), rightPaints);
    EXPECT_EQ(Form3->trackpos->Paints(), barPaints);
    EXPECT_EQ(testkit::ScreenCopies(Form3->Panel1), copies);
    Settle();

    // All four change: each control paints once, and one frame shows them.
    const int copies2 = testkit::ScreenCopies(Form3->Panel1);
    const int leftPaints2 = Form3->leftlevel->Paints(), rightPaints2 = Form3->rightlevel->Paints(),
              barPaints2 = Form3->trackpos->Paints();
    EXPECT_EQ(Tick(700, 20, 120), 1);
    EXPECT_EQ(Form3->leftlevel->Paints(), leftPaints2 + 1);
    EXPECT_EQ(Form3->rightlevel->Paints(), rightPaints2 + 1);
    EXPECT_EQ(Form3->trackpos->Paints(), barPaints2 + 1);
    EXPECT_EQ(testkit::ScreenCopies(Form3->Panel1), copies2 + 1);
    EXPECT_EQ(copiesAtTickEnd, copies2 + 1) << "copied when the tick ended, not a loop turn later";
    EXPECT_EQ(testkit::ScreenPixel(Form3->rightlevel->Parent(), Form3->rightlevel->Left() + 1 + 2 * 39,
                                   Form3->rightlevel->Top() + 2),
              clRed);
    // What is shown is what the values draw: 120 of 128 (93 percent) lights 40 ticks.
    EXPECT_EQ(testkit::PixelAt(Form3->rightlevel, 1 + 2 * 39, 2), clRed);
    EXPECT_EQ(testkit::PixelAt(Form3->rightlevel, 1 + 2 * 40, 2), clMaroon);
}

TEST_F(Frames, TheBioBackgroundIsDecodedOnceForEveryArtist) {
    const int before = Form1->PictureShelf.Decodes();
    Form1->btn_orvekClick(nullptr);
    const TGraphic* first = Form3->Image1->Picture()->Graphic();
    Form1->btn_lundClick(nullptr);
    Form1->btn_peltrinClick(nullptr);
    EXPECT_EQ(Form3->Image1->Picture()->Graphic(), first) << "the picture shown already is left alone";
    const int afterArtists = Form1->PictureShelf.Decodes();
    EXPECT_LE(afterArtists - before, 1);
    // The shelved picture shows what a fresh load of the file shows.
    TPicture fresh;
    fresh.LoadFromFile(String(app::kBioBackPicture));
    TBitmap expected;
    expected.Assign(fresh.Graphic());
    auto* shown = Form3->Image1->Picture()->Graphic();
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->Width(), expected.Width());
    ASSERT_EQ(shown->Height(), expected.Height());
    TBitmap got;
    got.Assign(shown);
    for (int y = 0; y < expected.Height(); y += 7)
        for (int x = 0; x < expected.Width(); x += 13)
            ASSERT_EQ(got.Canvas()->Pixels(x, y), expected.Canvas()->Pixels(x, y)) << x << "," << y;
    // "Info" has its own picture, and the artists' comes back from the shelf.
    Form1->lbl_infoClick(nullptr);
    Form1->btn_orvekClick(nullptr);
    EXPECT_LE(Form1->PictureShelf.Decodes() - afterArtists, 1);
}
