// A whole page: the tokenizer and the document builder over arbitrary
// bytes, then layout and paint of the document at a fixed width on a
// bitmap. Pictures are made from their names as in the test corpus (its
// pages are seeds), so tables measure real picture sizes. Anything but a
// document or a clean error is a finding.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "gui/windows/Forms.h"
#include "gui/draw/Graphics.h"
#include "htmlview/HtmlParse.h"
#include "htmlview/HtmlSections.h"
#include "htmlview/corpus/CorpusPictures.h"

using namespace htmlview;
using namespace gui;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TBitmap* surface = [] {
        auto* b = new TBitmap;
        b->SetPixelFormat(pf24bit);
        b->SetSize(600, 400);
        return b;
    }();
    static std::shared_ptr<THtmlContext> context = THtmlContext::Acquire();
    // Pictures by name, kept between inputs but never more than a few.
    static std::map<std::string, std::unique_ptr<TMemoryStream>> pictures;
    TSectionList doc;
    doc.Context = context;
    doc.OnProcessError = [](const String&) {};
    doc.OnGetImage = [](const std::string& name) -> TStream* {
        auto it = pictures.find(name);
        if (it == pictures.end()) {
            if (pictures.size() >= 64) pictures.clear();
            corpus::Bytes bytes;
            try {
                bytes = corpus::PictureFor(name);
            } catch (const std::exception&) {
            }
            if (bytes.empty()) return nullptr;
            auto s = std::make_unique<TMemoryStream>();
            s->Write(bytes.data(), static_cast<int>(bytes.size()));
            it = pictures.emplace(name, std::move(s)).first;
        }
        return it->second.get();
    };
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
