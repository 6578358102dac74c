// The interim page viewer: what it shows of a page, and a missing page.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "htmlview/HtmlView.h"
#include "gui/FileLoad.h"
#include "gui/Forms.h"
#include "gui/TestKit.h"

using htmlview::HtmlToPlainText;

TEST(HtmlToPlainTextTest, StripsMarkupAndKeepsTheVisibleText) {
    EXPECT_EQ(HtmlToPlainText("<html><head><title>T</title><style>p{}</style></head>"
                              "<body><h1>Orvek</h1><p>Born   in\n 1975 &amp; still <b>writing</b>.</p>"
                              "<!-- hidden <p>no</p> --><script>var x=1;</script>A&lt;B&#65;</body></html>"),
              "Orvek\r\n\r\nBorn in 1975 & still writing.\r\nA<BA");
}

TEST(HtmlToPlainTextTest, BreaksAndPreformattedTextAndBadInput) {
    EXPECT_EQ(HtmlToPlainText("a<br>b<br><br><br>c"), "a\r\nb\r\n\r\nc");
    EXPECT_EQ(HtmlToPlainText("<pre>x  y\nz</pre>"), "x  y\r\nz");
    // Unfinished tags, comments and entities must not hang or read past the end.
    EXPECT_EQ(HtmlToPlainText("text <b unfinished"), "text");
    EXPECT_EQ(HtmlToPlainText("<!-- open"), "");
    EXPECT_EQ(HtmlToPlainText("a &bogus; &#; &#x; &"), "a &bogus; &#; &#x; &");
    EXPECT_EQ(HtmlToPlainText(""), "");
    EXPECT_EQ(HtmlToPlainText("<table><tr><td>Song</td><td>Format</td></tr><tr><td>A &ndash; B</td><td>IT</td></tr></table>"),
              "Song   Format\r\nA - B   IT");
}

TEST(THtmlViewTest, MissingPageRaisesAndLeavesTheViewerEmpty) {
    gui::testkit::Session session;
    gui::TForm form(nullptr);
    auto* view = new htmlview::THtmlView(&form);
    view->SetParent(&form);
    const std::string page = (std::filesystem::temp_directory_path() / "korvane_viewer_test.html").string();
    {
        std::ofstream(page) << "<p>Hello</p>";
    }
    view->LoadFromFile(page);
    EXPECT_EQ(view->Lines()->Text().substr(0, 5), "Hello");
    EXPECT_EQ(view->CurrentFile(), page);
    std::remove(page.c_str());
    try {
        view->LoadFromFile("no_such_page.html");
        FAIL() << "no error";
    } catch (const gui::Exception& e) {
        EXPECT_STREQ(e.what(), "Can't locate file: no_such_page.html");
    }
    EXPECT_EQ(view->Lines()->Count(), 0);
    EXPECT_EQ(view->CurrentFile(), "");
}

TEST(THtmlViewTest, PipesDevicesFoldersAndHugePagesAreNotPages) {
    alarm(20);  // a page open that blocks fails the run instead of hanging it
    gui::testkit::Session session;
    gui::TForm form(nullptr);
    auto* view = new htmlview::THtmlView(&form);
    view->SetParent(&form);
    const auto dir = std::filesystem::temp_directory_path() / ("korvane_viewer_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "folder.html");
    const std::string fifo = (dir / "pipe.html").string(), zero = (dir / "zero.html").string(),
                      huge = (dir / "huge.html").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", zero);
    {
        std::ofstream(huge) << "<p>x</p>";
    }
    std::filesystem::resize_file(huge, gui::kMaxPageFileBytes + 1);  // sparse
    for (const std::string& page : {fifo, zero, (dir / "folder.html").string(), huge}) {
        try {
            view->LoadFromFile(page);
            ADD_FAILURE() << "no error for " << page;
        } catch (const gui::Exception& e) {
            EXPECT_EQ(std::string(e.what()), "Can't locate file: " + page);
        }
        EXPECT_EQ(view->CurrentFile(), "");
    }
    std::filesystem::remove_all(dir);
    alarm(0);
}
