// The tokenizer over arbitrary bytes with every reader and flag the builder
// uses, and an include handler that feeds part of the input back in. The
// first byte picks the flags and reader; the rest is the page.
#include <cstddef>
#include <cstdint>
#include <string>

#include "htmlview/HtmlParse.h"

using namespace htmlview;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    const std::string page(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string included = page.substr(0, page.size() / 4);

    THtmlTokenizer t;
    if (mode & 0x10) {
        t.SetIncludeHandler([&](gui::TObject*, const gui::String&, gui::TStringList* Params, const char*& Buf,
                                std::int32_t& Size) {
            if (Params->Count() > THtmlTokenizer::MaxAttributes) __builtin_trap();
            Buf = included.data();
            Size = static_cast<std::int32_t>(included.size());
        },
                            nullptr);
    }
    t.Start(page.data(), page.size());
    t.Preformatted = mode & 0x01;
    t.NoBreak = mode & 0x02;
    t.ScriptMode = mode & 0x04;
    // Each character of the page and of every include can give at most one
    // token, plus end of file: a reader that stops advancing is caught here.
    const std::size_t limit = 2 * (page.size() + 1) * (included.size() + 2) + 16;
    std::size_t tokens = 0;
    try {
        t.Advance();
        do {
            switch ((mode >> 5) & 3) {
            case 1: t.NextScript(); break;
            case 2: t.NextTextArea(); break;
            default: t.Next(); break;
            }
            if (t.Sy == TextSy && (mode >> 5 & 3) != 2 && t.Token().Leng() > 100) __builtin_trap();
            for (int i = 0; i < t.Token().Leng(); ++i)
                if (t.Token().Position(i) < 0 || static_cast<std::size_t>(t.Token().Position(i)) > page.size())
                    __builtin_trap();
            if (t.Attributes().Count() > THtmlTokenizer::MaxAttributes) __builtin_trap();
            if (++tokens > limit) __builtin_trap();
        } while (t.Sy != EofSy);
    } catch (const EParseError&) {
    }
    return 0;
}
