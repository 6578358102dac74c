// Hostile pages: deep nesting, huge pages and values, NUL bytes and
// unterminated constructs all finish with a document that lays out.
#include <gtest/gtest.h>

#include <chrono>

#include "htmlview/builder/BuildKit.h"

using namespace buildkit;

namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// Parses, lays out and paints within the time limit.
void Survives(const std::string& html, double seconds = 20) {
    const auto start = std::chrono::steady_clock::now();
    Built b;
    b.Parse(html);
    b.page.LayOut(600);
    b.page.Paint(600);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(took, seconds);
}

TEST(Hostile, DeepNestingIsCutAndSaysSo) {
    for (std::string open : {"<table><tr><td>", "<ul><li>", "<div align=center>", "<blockquote>"}) {
        Built b;
        b.Parse(Repeat(open + "x", 3000));
        EXPECT_TRUE(b.result.NestingCut) << open;
        b.page.LayOut(600);
    }
    Built ok;
    ok.Parse(Repeat("<table><tr><td>", 5) + "fine");
    EXPECT_FALSE(ok.result.NestingCut);
}

TEST(Hostile, NestedTablesLayOutInBoundedTime) {
    Survives(Repeat("<table border=1><tr><td>a<td>", 40) + "deep");
}

TEST(Hostile, ThousandsOfFontsAndStyles) {
    Survives(Repeat("<font size=+1 color=red face=Georgia><b><i><sub>x", 5000));
    Survives(Repeat("<h1><tt><big><a href=x>", 5000));
}

TEST(Hostile, HugeAttributesAndNumbers) {
    Survives("<font size=" + std::string(100000, '9') + ">x<ol start=99999999999999999999><li>a<li>b</ol>"
             "<img src=\"" + std::string(200000, 'a') + "\" width=-2147483648 height=99999999999>"
             "<table cellpadding=2147483647 width=100000000%><tr><td colspan=99999 rowspan=99999>c</table>"
             "<font color=\"#" + std::string(100000, 'f') + "\">d");
}

TEST(Hostile, NulBytesAndUnterminatedConstructs) {
    std::string nul("a\0b<b\0>c\0<p>", 13);
    Survives(nul + Repeat(nul, 1000));
    for (const char* tail : {"<table", "<a href=\"never", "<script>if (x", "<textarea>text", "<select><option>o",
                             "<pre>text", "<map name=m><area", "<!-- open", "<title>t", "&#99999999999"})
        Survives(std::string("start ") + tail);
}

TEST(Hostile, TenMegabytePage) {
    const std::string chunk = "<p>Some <b>bold</b> and <a href=\"x.htm\">linked</a> text &amp; more."
                              "<ul><li>item</ul><table><tr><td>cell<td>cell</table>\n";
    std::string page = Repeat(chunk, static_cast<int>(10'000'000 / chunk.size()) + 1);
    Built b;
    b.Parse(page);
    EXPECT_GT(b.doc().Count(), 100000);
}

}  // namespace
