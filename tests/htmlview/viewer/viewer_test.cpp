// The page viewer control driven as a user drives it: pages loaded from
// files, scrolled with keys, wheel and bars, links clicked, the history and
// the visited list, and the limits of its settings.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gui/base/FileLoad.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"
#include "htmlview/HtmlView.h"
#include "htmlview/common/DocKit.h"

namespace fs = std::filesystem;
using gui::String;
using htmlview::THtmlView;

namespace {

String Paragraphs(int n, const String& prefix) {
    String s;
    for (int i = 0; i < n; ++i) s += "<p>" + prefix + " line " + std::to_string(i) + "</p>\n";
    return s;
}

String Breaks(int n) {
    String s;
    for (int i = 0; i < n; ++i) s += "<br>";
    return s;
}

class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        gui::InitApplication();
        dir = fs::temp_directory_path() / ("korvane_viewer_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "content");
        content = dir / "content";
        form = std::make_unique<gui::TForm>(nullptr);
        form->SetBounds(0, 0, 420, 340);
        view = new THtmlView(form.get());
        view->SetParent(form.get());
        view->SetBounds(0, 0, 400, 300);
        view->SetHistoryMaxCount(12);
        form->Show();
    }
    void TearDown() override {
        form.reset();
        fs::remove_all(dir);
        dockit::ReleaseViewerCursors();
        gui::DoneApplication();
    }
    String Write(const String& name, const String& html, const fs::path& in = {}) {
        const fs::path p = (in.empty() ? content : in) / name;
        std::ofstream(p, std::ios::binary) << html;
        return p.string();
    }
    // A long page whose first line is a link to `href`.
    String LinkPage(const String& name, const String& href, int lines = 80) {
        return Write(name, "<html><body><a href=\"" + href + "\">LINKLINKLINK</a>" + Paragraphs(lines, name) +
                               "<a name=\"end\">The end</a>" + Paragraphs(5, "tail") + "</body></html>");
    }
    // Paints what is pending, as the screen would before the user points.
    void Shown() { gui::testkit::Render(view); }
    // A point on the first line's link.
    void PointAtLink() {
        Shown();
        gui::testkit::MouseMove(view->PaintPanel(), view->MarginWidth() + 8, view->MarginHeight() + 6);
    }
    void ClickLink() {
        PointAtLink();
        gui::testkit::Click(view->PaintPanel(), view->MarginWidth() + 8, view->MarginHeight() + 6);
    }

    gui::testkit::Session session;
    fs::path dir, content;
    std::unique_ptr<gui::TForm> form;
    THtmlView* view = nullptr;
};

}  // namespace

// ---- Loading --------------------------------------------------------------------------

TEST_F(Viewer, MissingPageRaisesAndLeavesTheViewerEmpty) {
    view->LoadFromFile(LinkPage("a.html", "b.html"));
    ASSERT_GT(view->SectionList()->Count(), 0);
    try {
        view->LoadFromFile("no_such_page.html");
        FAIL() << "no error";
    } catch (const gui::EInOutError& e) {
        EXPECT_STREQ(e.what(), "Can't locate file: no_such_page.html");
    }
    EXPECT_EQ(view->SectionList()->Count(), 0);
    EXPECT_EQ(view->CurrentFile(), "");
    EXPECT_FALSE(view->Processing());
}

TEST_F(Viewer, PipesDevicesFoldersAndHugePagesAreNotPages) {
    alarm(20);  // a page open that blocks fails the run instead of hanging it
    fs::create_directories(dir / "folder.html");
    const String fifo = (dir / "pipe.html").string(), zero = (dir / "zero.html").string(),
                 huge = (dir / "huge.html").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", zero);
    std::ofstream(huge) << "<p>x</p>";
    fs::resize_file(huge, gui::kMaxPageFileBytes + 1);  // sparse
    for (const String& page : {fifo, zero, (dir / "folder.html").string(), huge}) {
        try {
            view->LoadFromFile(page);
            ADD_FAILURE() << "no error for " << page;
        } catch (const gui::Exception& e) {
            EXPECT_EQ(String(e.what()), "Can't locate file: " + page);
        }
        EXPECT_EQ(view->CurrentFile(), "");
    }
    alarm(0);
}

TEST_F(Viewer, ReloadKeepsTheScrollPositionAnotherPageStartsAtTheTop) {
    const String a = LinkPage("a.html", "b.html"), b = LinkPage("b.html", "a.html");
    view->LoadFromFile(a);
    ASSERT_GT(view->DocumentHeight(), 1000);
    EXPECT_EQ(view->DocumentTitle(), "");
    view->SetVScrollBarPosition(300);
    EXPECT_EQ(view->VScrollBarPosition(), 300);
    EXPECT_EQ(view->SectionList()->YOff, 300);
    view->LoadFromFile(a);
    EXPECT_EQ(view->VScrollBarPosition(), 300);
    view->LoadFromFile(b);
    EXPECT_EQ(view->VScrollBarPosition(), 0);
    EXPECT_EQ(view->CurrentFile(), fs::path(b).lexically_normal().string());
}

TEST_F(Viewer, AnAnchorInTheNameScrollsToIt) {
    const String a = LinkPage("a.html", "b.html");
    view->LoadFromFile(a + "#end");
    const int pos = view->VScrollBarPosition();
    EXPECT_GT(pos, 500);
    // The anchor's section is at the top of the view.
    const int endTop = view->DocumentHeight();
    EXPECT_LT(pos, endTop);
    EXPECT_TRUE(view->PositionTo("#END"));  // names are not case-sensitive
    EXPECT_EQ(view->VScrollBarPosition(), pos);
    EXPECT_FALSE(view->PositionTo("nowhere"));
    EXPECT_EQ(view->VScrollBarPosition(), pos);
}

TEST_F(Viewer, HistoryGrowsOnlyWithOtherFilesAndKeepsItsLimit) {
    int changes = 0;
    view->OnHistoryChange = [&](gui::TObject*) { ++changes; };
    const String a = LinkPage("a.html", "b.html");
    view->LoadFromFile(a);
    EXPECT_EQ(view->History()->Count(), 1);  // the page shown is entry 0
    view->LoadFromFile(a);
    EXPECT_EQ(view->History()->Count(), 1);
    EXPECT_EQ(changes, 1);
    for (int i = 0; i < 15; ++i) view->LoadFromFile(LinkPage("p" + std::to_string(i) + ".html", "a.html", 3));
    EXPECT_EQ(view->History()->Count(), 12);
    EXPECT_EQ(changes, 16);
    EXPECT_EQ(view->History()->Strings(0), view->CurrentFile());
    // Back one step shows the page before.
    view->SetHistoryIndex(1);
    EXPECT_EQ(view->CurrentFile(), view->History()->Strings(1));
    EXPECT_NE(view->CurrentFile().find("p13.html"), String::npos);
    // Alt+Left and Alt+Right walk the history too.
    view->SetFocus();
    gui::testkit::KeyDown(gui::VK_LEFT, {gui::ssAlt}, view);
    EXPECT_EQ(view->HistoryIndex(), 2);
    EXPECT_NE(view->CurrentFile().find("p12.html"), String::npos);
    gui::testkit::KeyDown(gui::VK_RIGHT, {gui::ssAlt}, view);
    gui::testkit::KeyDown(gui::VK_RIGHT, {gui::ssAlt}, view);
    EXPECT_EQ(view->HistoryIndex(), 0);
    EXPECT_NE(view->CurrentFile().find("p14.html"), String::npos);
    // Lowering the limit clears the history.
    view->SetHistoryMaxCount(5);
    EXPECT_EQ(view->History()->Count(), 0);
    view->SetHistoryMaxCount(-1);
    EXPECT_EQ(view->HistoryMaxCount(), 5);
}

// ---- Links ------------------------------------------------------------------------------

TEST_F(Viewer, ASamePageAnchorScrollsWithoutReloading) {
    view->LoadFromFile(LinkPage("a.html", "#end"));
    auto* first = view->SectionList()->Section(0);
    String covered;
    ClickLink();
    EXPECT_GT(view->VScrollBarPosition(), 500);
    EXPECT_EQ(view->SectionList()->Section(0), first);  // the same document
    EXPECT_EQ(view->History()->Count(), 2);
    ASSERT_GT(view->Visited()->Count(), 0);
    EXPECT_EQ(view->Visited()->Strings(0), view->CurrentFile() + "#end");
}

TEST_F(Viewer, ALinkToAnotherPageLoadsItAndMarksTheLinkVisited) {
    const String a = LinkPage("a.html", "sub/b.html");
    fs::create_directories(content / "sub");
    const String b = LinkPage("b.html", "../a.html", 3);
    fs::rename(b, content / "sub" / "b.html");
    String covered;
    view->OnHotSpotCovered = [&](gui::TObject*, const String& Src) { covered = Src; };
    view->LoadFromFile(a);
    PointAtLink();
    EXPECT_EQ(covered, "sub/b.html");
    EXPECT_EQ(view->CurrentHotSpot(), "sub/b.html");
    ClickLink();
    EXPECT_EQ(view->CurrentFile(), (content / "sub" / "b.html").string());
    EXPECT_EQ(view->Visited()->Strings(0), (content / "sub" / "b.html").string());
    // Back through the link to the first page: its link shows as visited.
    ClickLink();
    EXPECT_EQ(view->CurrentFile(), a);
    ASSERT_FALSE(view->SectionList()->LinkList.empty());
    EXPECT_TRUE(view->SectionList()->LinkList[0]->Visited());
}

TEST_F(Viewer, PicturesLoadAndOtherExtensionsDoNothing) {
    // A 2x2 BMP.
    {
        const unsigned char bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0,
                                     0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0};
        std::ofstream(content / "pic.bmp", std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
    }
    Write("notes.txt", "plain");
    const String text = LinkPage("t.html", "notes.txt");
    view->LoadFromFile(text);
    ClickLink();
    EXPECT_EQ(view->CurrentFile(), text);
    const String pic = LinkPage("p.html", "pic.bmp");
    view->LoadFromFile(pic);
    ClickLink();
    EXPECT_EQ(view->CurrentFileType(), htmlview::THtmlFileType::ImgType);
    EXPECT_EQ(view->CurrentFile(), (content / "pic.bmp").string());
}

TEST_F(Viewer, LinksNeverLeaveTheContentFolder) {
    Write("outside.html", "<p>secret</p>", dir);
    const String start = LinkPage("start.html", "b.html");
    view->LoadFromFile(start);
    EXPECT_EQ(view->ContentFolder(), content.string());
    for (const String& href : {String("../outside.html"), (dir / "outside.html").string(),
                               String("file:///") + (dir / "outside.html").string(), String("sub/../../outside.html"),
                               String("..\\outside.html")}) {
        EXPECT_EQ(view->HTMLExpandFilename(href), "") << href;
        view->LoadFromFile(LinkPage("l.html", href));
        ClickLink();
        EXPECT_EQ(view->CurrentFile(), (content / "l.html").string()) << href;
    }
    // Inside the folder, escapes decode and back slashes separate folders.
    EXPECT_EQ(view->HTMLExpandFilename("sub\\a%20b.html"), (content / "sub" / "a b.html").string());
    EXPECT_EQ(view->HTMLExpandFilename("sub/../x.html"), (content / "x.html").string());
    // A root-relative name is taken from the server root, which must lie inside.
    view->SetServerRoot("  " + (content / "site").string() + "\\ ");
    EXPECT_EQ(view->ServerRoot(), (content / "site").string());
    EXPECT_EQ(view->HTMLExpandFilename("/x.html"), (content / "site" / "x.html").string());
}

TEST_F(Viewer, ReleasingOverALinkAfterSelectingDoesNotFollowIt) {
    const String a = LinkPage("a.html", "b.html");
    LinkPage("b.html", "a.html");
    view->LoadFromFile(a);
    auto* panel = view->PaintPanel();
    Shown();
    const int y = view->MarginHeight() + 6;
    gui::testkit::MouseDown(panel, view->MarginWidth() + 60, y + 40);
    gui::testkit::MouseMove(panel, view->MarginWidth() + 8, y);
    gui::testkit::MouseUp(panel, view->MarginWidth() + 8, y);
    EXPECT_EQ(view->CurrentFile(), a);
    EXPECT_GT(view->SelLength(), 0);
    EXPECT_FALSE(view->SelText().empty());
    // With selection off a plain click still follows.
    view->SetNoSelect(true);
    EXPECT_EQ(view->SelLength(), 0);
    ClickLink();
    EXPECT_EQ(view->CurrentFile(), (content / "b.html").string());
}

TEST_F(Viewer, AClickHandlerCanStopTheViewer) {
    const String a = LinkPage("a.html", "b.html");
    LinkPage("b.html", "a.html");
    view->LoadFromFile(a);
    String clicked;
    view->OnHotSpotClick = [&](gui::TObject*, const String& Src, bool& Handled) {
        clicked = Src;
        Handled = true;
    };
    ClickLink();
    EXPECT_EQ(clicked, "b.html");
    EXPECT_EQ(view->CurrentFile(), a);
}

// ---- Scrolling --------------------------------------------------------------------------

TEST_F(Viewer, WheelAndKeysScrollByTheirSteps) {
    view->LoadFromFile(LinkPage("a.html", "b.html", 120));
    view->SetFocus();
    // One notch toward the reader scrolls 60 pixels down.
    view->Perform(gui::WM_MOUSEWHEEL, static_cast<gui::WPARAM>(static_cast<std::uint16_t>(-120)) << 16, 0);
    EXPECT_EQ(view->VScrollBarPosition(), 60);
    view->Perform(gui::WM_MOUSEWHEEL, static_cast<gui::WPARAM>(120) << 16, 0);
    EXPECT_EQ(view->VScrollBarPosition(), 0);
    gui::testkit::KeyDown(gui::VK_DOWN, {}, view);
    EXPECT_EQ(view->VScrollBarPosition(), 16);
    gui::testkit::KeyDown(gui::VK_NEXT, {}, view);
    EXPECT_EQ(view->VScrollBarPosition(), 16 + view->PaintPanel()->Height() - 16);
    gui::testkit::KeyDown(gui::VK_UP, {}, view);
    EXPECT_EQ(view->VScrollBarPosition(), view->PaintPanel()->Height() - 16);
    gui::testkit::KeyDown(gui::VK_END, {}, view);
    EXPECT_EQ(view->VScrollBarPosition(), view->DocumentHeight() - view->PaintPanel()->Height());
    gui::testkit::KeyDown(gui::VK_HOME, {}, view);
    EXPECT_EQ(view->VScrollBarPosition(), 0);
    // Right-button scroll mode eats the next key.
    gui::testkit::MouseDown(view->PaintPanel(), 50, 50, gui::mbRight);
    gui::testkit::KeyDown(gui::VK_DOWN, {}, view);
    EXPECT_EQ(view->VScrollBarPosition(), 0);
    gui::testkit::KeyDown(gui::VK_DOWN, {}, view);
    EXPECT_EQ(view->VScrollBarPosition(), 16);
    EXPECT_EQ(view->Perform(gui::WM_GETDLGCODE, 0, 0), gui::DLGC_WANTARROWS);
    // A click may leave the focus on the inner panel: its keys scroll too.
    gui::testkit::KeyDown(gui::VK_DOWN, {}, view->PaintPanel());
    EXPECT_EQ(view->VScrollBarPosition(), 32);
}

TEST_F(Viewer, TheScrollBarMovesTheView) {
    view->LoadFromFile(LinkPage("a.html", "b.html", 120));
    auto* bar = view->VScrollBar();
    ASSERT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Max32(), view->DocumentHeight());
    EXPECT_EQ(bar->Page32(), view->PaintPanel()->Height() + 1);
    bar->Perform(gui::WM_VSCROLL, gui::SB_LINEDOWN, 0);
    EXPECT_EQ(view->VScrollBarPosition(), 16);
    bar->Perform(gui::WM_VSCROLL, gui::SB_PAGEDOWN, 0);
    EXPECT_EQ(view->VScrollBarPosition(), 16 + bar->LargeChange());
    bar->Perform(gui::WM_VSCROLL, gui::SB_BOTTOM, 0);
    EXPECT_EQ(view->VScrollBarPosition(), view->DocumentHeight() - view->PaintPanel()->Height());
    bar->Perform(gui::WM_VSCROLL, gui::SB_TOP, 0);
    EXPECT_EQ(view->VScrollBarPosition(), 0);
}

TEST_F(Viewer, AShortPageShowsNoBarUnlessAskedAndThenADisabledOne) {
    const String s = Write("short.html", "<p>short</p>");
    view->LoadFromFile(s);
    EXPECT_FALSE(view->VScrollBar()->Visible());
    EXPECT_FALSE(view->HScrollBar()->Visible());
    EXPECT_EQ(view->PaintPanel()->Width(), view->Width() - 2);
    view->SethtOptions({htmlview::htOverLinksActive, htmlview::htShowVScroll});
    EXPECT_TRUE(view->VScrollBar()->Visible());
    EXPECT_FALSE(view->VScrollBar()->BarEnabled());
    EXPECT_EQ(view->PaintPanel()->Width(), view->Width() - 2 - THtmlView::kScrollBarSize);
    // A long page enables it.
    view->LoadFromFile(LinkPage("a.html", "b.html"));
    EXPECT_TRUE(view->VScrollBar()->BarEnabled());
}

TEST_F(Viewer, AWidePageGetsAHorizontalBar) {
    view->LoadFromFile(Write("wide.html", "<pre>" + String(300, 'W') + "</pre>" + Paragraphs(60, "w")));
    EXPECT_TRUE(view->HScrollBar()->Visible());
    EXPECT_GT(view->HScrollBar()->Max(), view->PaintPanel()->Width());
    view->SetFocus();
    gui::testkit::KeyDown(gui::VK_RIGHT, {}, view);
    EXPECT_EQ(view->HScrollBarPosition(), 15);
    gui::testkit::KeyDown(gui::VK_LEFT, {}, view);
    gui::testkit::KeyDown(gui::VK_LEFT, {}, view);
    EXPECT_EQ(view->HScrollBarPosition(), 0);
}

// ---- Settings and events ----------------------------------------------------------------

TEST_F(Viewer, SettingsKeepTheirLimits) {
    view->SetDefFontSize(4);
    EXPECT_EQ(view->DefFontSize(), 6);
    view->SetImageCacheCount(50);
    EXPECT_EQ(view->ImageCacheCount(), 20);
    view->SetImageCacheCount(-3);
    EXPECT_EQ(view->ImageCacheCount(), 0);
    view->SetMarginWidth(-1);
    EXPECT_EQ(view->MarginWidth(), 10);
    view->SetMarginWidth(500);
    EXPECT_EQ(view->MarginWidth(), 200);
    view->SetMarginHeight(-4);
    EXPECT_EQ(view->MarginHeight(), 5);
    view->SetMarginHeight(250);
    EXPECT_EQ(view->MarginHeight(), 200);
    view->SetVisitedMaxCount(-2);
    EXPECT_EQ(view->VisitedMaxCount(), 0);
    // Defaults.
    THtmlView fresh(nullptr);
    EXPECT_EQ(fresh.DefBackground(), gui::clBtnFace);
    EXPECT_EQ(fresh.DefHotSpotColor(), 16711680);
    EXPECT_EQ(fresh.DefVisitedLinkColor(), 8388736);
    EXPECT_EQ(fresh.HistoryMaxCount(), 0);
    EXPECT_EQ(fresh.VisitedMaxCount(), 50);
    EXPECT_EQ(fresh.Width(), 150);
    EXPECT_FALSE(fresh.TabStop());
    EXPECT_EQ(fresh.ScrollBars(), gui::ssBoth);
}

TEST_F(Viewer, VisitedListKeepsItsLimitAndZeroUnmarks) {
    view->SetVisitedMaxCount(2);
    const String a = LinkPage("a.html", "b.html");
    LinkPage("b.html", "a.html");
    view->LoadFromFile(a);
    ClickLink();
    ClickLink();
    ClickLink();
    EXPECT_EQ(view->Visited()->Count(), 2);
    ASSERT_FALSE(view->SectionList()->LinkList.empty());
    EXPECT_TRUE(view->SectionList()->LinkList[0]->Visited());
    view->SetVisitedMaxCount(0);
    EXPECT_EQ(view->Visited()->Count(), 0);
    EXPECT_FALSE(view->SectionList()->LinkList[0]->Visited());
}

TEST_F(Viewer, MetaRefreshIsReportedAfterTheLoad) {
    int delay = -1;
    String url;
    view->OnMetaRefresh = [&](gui::TObject*, int D, const String& U) {
        delay = D;
        url = U;
    };
    view->LoadFromFile(Write("r.html", "<meta http-equiv=\"Refresh\" content=\"0; URL=next.html\"><p>x</p>"));
    EXPECT_EQ(delay, 1);  // 0 would reload at once, over and over
    EXPECT_EQ(url, "next.html");
    delay = -1;
    view->LoadFromFile(Write("r2.html", "<meta http-equiv=\"refresh\" content=\"soon\"><p>x</p>"));
    EXPECT_EQ(delay, -1);
}

TEST_F(Viewer, ProcessingBracketsEveryLoad) {
    std::vector<bool> seen;
    view->OnProcessing = [&](gui::TObject*, bool On) { seen.push_back(On); };
    view->LoadFromFile(LinkPage("a.html", "b.html", 2));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(seen.front());
    EXPECT_FALSE(seen.back());
    EXPECT_FALSE(view->Processing());
}

TEST_F(Viewer, PaintingShowsTheBackgroundAndTheText) {
    view->SetHtmlBorderStyle(htmlview::htNone);
    view->LoadFromFile(Write("c.html", "<body bgcolor=\"#00FF00\"><p>" + String(40, 'M') + "</p></body>"));
    EXPECT_EQ(view->PaintPanel()->Left(), 0);
    auto shot = gui::testkit::Render(view->PaintPanel());
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->Canvas()->Pixels(view->PaintPanel()->Width() - 3, view->PaintPanel()->Height() - 3),
              static_cast<gui::TColor>(0x00FF00));
    int dark = 0;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 40; ++y)
            if (gui::ColorToRGB(shot->Canvas()->Pixels(x, y)) == 0) ++dark;
    EXPECT_GT(dark, 20);
}

TEST_F(Viewer, ListBulletsScrollWithTheirText) {
    view->SetHtmlBorderStyle(htmlview::htNone);
    view->LoadFromFile(Write("list.html", "<body bgcolor=\"#FFFFFF\" text=\"#000000\">" + Paragraphs(30, "p") +
                                              "<ul><li>item</ul>" + Breaks(40) + "</body>"));
    htmlview::TSection* item = nullptr;
    for (int i = 0; i < view->SectionList()->Count(); ++i)
        if (auto* s = dynamic_cast<htmlview::TSection*>(view->SectionList()->Section(i)); s && s->ListType == 2)
            item = s;
    ASSERT_NE(item, nullptr);
    view->SetVScrollBarPosition(item->YValue - 100);
    auto shot = gui::testkit::Render(view->PaintPanel());
    ASSERT_TRUE(shot);
    ASSERT_FALSE(item->Lines().empty());
    const int textLeft = item->Lines()[0].DrawXX;
    // The bullet sits left of the item's text on its line, not where the
    // line would be without the scroll.
    auto darkIn = [&](int top, int bottom) {
        int n = 0;
        for (int x = 0; x < textLeft - 1; ++x)
            for (int y = std::max(0, top); y < bottom; ++y)
                if (gui::ColorToRGB(shot->Canvas()->Pixels(x, y)) != 0xFFFFFF) ++n;
        return n;
    };
    EXPECT_GT(darkIn(100, 100 + item->SectionHeight), 0);
    EXPECT_EQ(darkIn(100 + item->SectionHeight, view->PaintPanel()->Height()), 0);
}

TEST_F(Viewer, GoingBackReturnsToTheReadingPosition) {
    const String a = LinkPage("a.html", "b.html"), b = LinkPage("b.html", "a.html");
    view->LoadFromFile(a);
    view->SetVScrollBarPosition(250);
    view->LoadFromFile(b);
    view->SetVScrollBarPosition(100);
    view->SetHistoryIndex(1);
    EXPECT_EQ(view->CurrentFile(), a);
    EXPECT_EQ(view->VScrollBarPosition(), 250);
    view->SetHistoryIndex(0);
    EXPECT_EQ(view->CurrentFile(), b);
    EXPECT_EQ(view->VScrollBarPosition(), 100);
}

TEST_F(Viewer, PicturesFromOutsideTheContentFolderShowTheErrorPicture) {
    // The same 2x2 picture beside the page and above its folder.
    const unsigned char bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0,
                                 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0};
    for (const fs::path& p : {content / "in.bmp", dir / "out.bmp"})
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
    view->LoadFromFile(Write("pics.html", "<img src=\"in.bmp\"><img src=\"../out.bmp\"><img src=\"" +
                                              (dir / "out.bmp").string() + "\">"));
    Shown();
    auto* s = dynamic_cast<htmlview::TSection*>(view->SectionList()->Section(0));
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Images->Count(), 3);
    EXPECT_FALSE(s->Images->Image(0)->IsStock());
    EXPECT_TRUE(s->Images->Image(1)->IsStock());
    EXPECT_TRUE(s->Images->Image(2)->IsStock());
}
