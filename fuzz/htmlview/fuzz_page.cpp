// A whole page: the tokenizer and the document builder over arbitrary
// bytes, then layout and paint of the document at a fixed width on a
// bitmap. Anything but a document or a clean error is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "gui/windows/Forms.h"
#include "gui/draw/Graphics.h"
#include "htmlview/HtmlParse.h"
#include "htmlview/HtmlSections.h"

using namespace htmlview;
using namespace gui;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TBitmap* surface = [] {
        auto* b = new TBitmap;
        b->SetPixelFormat(pf24bit);
        b->SetSize(600, 400);
        return b;
    }();
    TSectionList doc;
    doc.OnProcessError = [](const String&) {};
    TStringList names;
    names.SetSorted(true);
    names.SetDuplicates(dupIgnore);
    THtmlParseHooks hooks;
    hooks.OnScript = [](TObject*, const String&, const String&, const char* s) {
        if (!s) __builtin_trap();
    };
    HtmlParseString(&doc, &names, reinterpret_cast<const char*>(data), size, hooks);
    int scrollWidth = 0, curs = 0;
    const int height = doc.DoLayout(surface->Canvas(), 0, 600, scrollWidth, curs);
    for (int y = 0; y < height && y < 20000; y += 400) {
        doc.SetYOffset(y);
        doc.Draw(surface->Canvas(), Rect(0, 0, 600, 400), 0, 0, 600);
    }
    return 0;
}
