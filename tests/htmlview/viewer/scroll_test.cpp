// Scrolling moves the pixels that stay in view and paints only the strip
// that comes into view; the result is what a full paint draws.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "gui/windows/FrameTrace.h"
#include "gui/windows/TestKit.h"
#include "htmlview/HtmlView.h"
#include "htmlview/common/DocKit.h"

namespace fs = std::filesystem;
namespace tk = gui::testkit;
using gui::String;

namespace {

class Scroll : public ::testing::Test {
protected:
    void SetUp() override {
        gui::InitApplication();
        dir = fs::temp_directory_path() / ("korvane_scroll_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        // A background tile 7 high, so 60-pixel moves land mid-tile.
        gui::TBitmap tile;
        tile.SetPixelFormat(gui::pf24bit);
        tile.SetSize(5, 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 5; ++x) tile.Canvas()->SetPixels(x, y, gui::RGB(40 * y, 30 * x, 200 - 20 * y));
        tile.SaveToFile((dir / "tile.bmp").string());
        String html = "<html><body background=\"tile.bmp\">";
        for (int i = 0; i < 150; ++i)
            html += "<p>Line " + std::to_string(i) + " of a long page, <b>bold</b> and <a href=\"x.html\">a link</a></p>\n";
        std::ofstream(dir / "long.html", std::ios::binary) << html << "</body></html>";
        form = std::make_unique<gui::TForm>(nullptr);
        form->SetBounds(0, 0, 420, 340);
        view = new htmlview::THtmlView(form.get());
        view->SetParent(form.get());
        view->SetBounds(0, 0, 400, 300);
        form->Show();
        view->LoadFromFile((dir / "long.html").string());
        tk::Render(view);
        tk::ProcessMessages();
    }
    void TearDown() override {
        form.reset();
        fs::remove_all(dir);
        dockit::ReleaseViewerCursors();
        gui::DoneApplication();
    }
    // Runs a scroll and returns the pixels the frame after it painted in
    // the page (the scroll bar, which shows the new position, left out), or
    // -1 without a frame.
    template <typename F>
    long long PaintedBy(F scroll) {
        long long painted = -1;
        gui::AfterNextFrame(form.get(), [&](const gui::TFrameInfo& f) { painted = f.PaintedPixels; });
        scroll();
        tk::ProcessMessages();
        tk::ProcessMessages();
        const long long bar = static_cast<long long>(view->VScrollBar()->Width()) * view->VScrollBar()->Height();
        return painted >= bar ? painted - bar : painted;
    }
    // The panel as it stands equals the panel painted afresh.
    void ExpectSameAsFullPaint() {
        auto* panel = view->PaintPanel();
        auto scrolled = tk::Render(panel);
        panel->Invalidate();
        auto fresh = tk::Render(panel);
        ASSERT_EQ(scrolled->Width(), fresh->Width());
        ASSERT_EQ(scrolled->PixelFormat(), fresh->PixelFormat());
        const std::size_t bytes =
            static_cast<std::size_t>(scrolled->Width()) * (scrolled->PixelFormat() == gui::pf32bit ? 4 : 3);
        int differing = 0;
        for (int y = 0; y < scrolled->Height(); ++y)
            if (std::memcmp(scrolled->ScanLine(y), fresh->ScanLine(y), bytes) != 0) ++differing;
        EXPECT_EQ(differing, 0) << "rows that differ from a full paint at " << view->VScrollBarPosition();
        // The full paint's own frame goes out before the next scroll.
        tk::ProcessMessages();
        tk::ProcessMessages();
    }

    tk::Session session;
    fs::path dir;
    std::unique_ptr<gui::TForm> form;
    htmlview::THtmlView* view = nullptr;
};

void Wheel(htmlview::THtmlView* v, int delta) {
    v->Perform(gui::WM_MOUSEWHEEL, static_cast<gui::WPARAM>(static_cast<std::uint16_t>(delta)) << 16, 0);
}

}  // namespace

TEST_F(Scroll, AWheelNotchPaintsOnlyTheUncoveredStrip) {
    const long long width = view->PaintPanel()->Width();
    ASSERT_GT(view->DocumentHeight(), 3 * view->PaintPanel()->Height());
    EXPECT_EQ(PaintedBy([&] { Wheel(view, -120); }), 60 * width);
    EXPECT_EQ(view->VScrollBarPosition(), 60);
    ExpectSameAsFullPaint();
    EXPECT_EQ(PaintedBy([&] { Wheel(view, 120); }), 60 * width) << "and back up";
    EXPECT_EQ(view->VScrollBarPosition(), 0);
    ExpectSameAsFullPaint();
}

TEST_F(Scroll, KeysAndTheBarMoveThePixelsThatStayInView) {
    const long long width = view->PaintPanel()->Width(), height = view->PaintPanel()->Height();
    // Page Down keeps 16 rows: only the rest is painted.
    EXPECT_EQ(PaintedBy([&] { tk::KeyDown(gui::VK_NEXT, {}, view); }), (height - 16) * width);
    ExpectSameAsFullPaint();
    EXPECT_EQ(PaintedBy([&] { tk::KeyDown(gui::VK_UP, {}, view); }), 16 * width);
    ExpectSameAsFullPaint();
    // A jump past the whole view paints it all.
    EXPECT_EQ(PaintedBy([&] { tk::KeyDown(gui::VK_END, {}, view); }), height * width);
    ExpectSameAsFullPaint();
    // A wheel turn at the end changes nothing and paints nothing.
    EXPECT_EQ(PaintedBy([&] { Wheel(view, -120); }), -1);
}

// The wheel turns the page under the pointer, wherever the focus is: on
// another control of the window (the Bio window focuses its slider) or in
// another window (the menu whose click opened this one).
TEST_F(Scroll, TheWheelTurnsThePageUnderThePointer) {
    auto* beside = new gui::TPanel(form.get());
    beside->SetParent(form.get());
    beside->SetBounds(400, 300, 20, 20);
    beside->SetFocus();
    tk::ProcessMessages();
    const long long width = view->PaintPanel()->Width();
    EXPECT_EQ(PaintedBy([&] { tk::Wheel(view->PaintPanel(), 50, 50, -120); }), 60 * width);
    EXPECT_EQ(view->VScrollBarPosition(), 60);
    gui::TForm other(nullptr);
    other.SetBounds(500, 0, 100, 100);
    other.Show();
    other.SetFocus();
    tk::Wheel(view->PaintPanel(), 50, 50, -120);
    EXPECT_EQ(view->VScrollBarPosition(), 120);
    ExpectSameAsFullPaint();
}
