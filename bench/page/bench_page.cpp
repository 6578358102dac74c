// A generated page of about 600 KB (text with fonts and links, lists,
// tables, pictures) parsed and laid out at 600 pixels by the viewer's
// builder and layout, and by QTextDocument (setHtml and layout at the same
// width). Each reports bytes allocated per iteration, counted by the global
// operator new.
#include <benchmark/benchmark.h>

#include "bench/common/AllocCount.h"

#include <QTextDocument>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "gui/windows/Forms.h"
#include "gui/draw/Graphics.h"
#include "htmlview/HtmlParse.h"
#include "htmlview/HtmlSections.h"

namespace {

const std::string& Page() {
    static const std::string page = [] {
        std::string s = "<html><body bgcolor=white>";
        for (int i = 0; s.size() < 600 * 1024; ++i) {
            const std::string n = std::to_string(i);
            s += "<h2>Part " + n + "</h2><p>Some <b>bold</b>, <i>italic</i> and <font size=+1 color=navy face=Georgia>"
                 "large</font> text with <a href=\"p" + n + ".htm\">a link</a> and more words to wrap the line "
                 "across the width of the page, again and again.<img src=\"pic" + n + ".gif\" width=32 height=32 "
                 "align=right><ul><li>first item<li>second <tt>item</tt></ul><table border=1 width=90%><tr><td>a "
                 "cell<td>another cell with text<tr><td colspan=2>a wide cell</table>\n";
        }
        return s + "</body></html>";
    }();
    return page;
}

void BM_Builder(benchmark::State& state) {
    gui::TBitmap canvas;
    canvas.SetPixelFormat(gui::pf24bit);
    canvas.SetSize(16, 16);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::size_t before = bench::AllocatedBytes();
        htmlview::TSectionList doc;
        doc.ShowImages = false;
        htmlview::HtmlParseString(&doc, nullptr, Page().data(), Page().size());
        int sw = 0, curs = 0;
        benchmark::DoNotOptimize(doc.DoLayout(canvas.Canvas(), 0, 600, sw, curs));
        bytes = bench::AllocatedBytes() - before;
    }
    state.counters["page_KB"] = static_cast<double>(Page().size()) / 1024;
    state.counters["alloc_MB"] = static_cast<double>(bytes) / (1024 * 1024);
}

void BM_QTextDocument(benchmark::State& state) {
    const QString html = QString::fromLatin1(Page().data(), static_cast<int>(Page().size()));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::size_t before = bench::AllocatedBytes();
        QTextDocument doc;
        doc.setHtml(html);
        doc.setTextWidth(600);
        benchmark::DoNotOptimize(doc.size().height());
        bytes = bench::AllocatedBytes() - before;
    }
    state.counters["page_KB"] = static_cast<double>(Page().size()) / 1024;
    state.counters["alloc_MB"] = static_cast<double>(bytes) / (1024 * 1024);
}

BENCHMARK(BM_Builder)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QTextDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    gui::InitApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
