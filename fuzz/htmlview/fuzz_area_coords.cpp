// AREA parsing and hit tests, and the URL-to-file-name conversion.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "htmlview/HtmlSupport.h"

using namespace htmlview;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)HTMLToDos(text);
    (void)ParseCoords(text);
    TMapItem map;
    TAreaAttributes a;
    a.Href = std::string("x.htm");
    a.Coords = text;
    for (const char* shape : {"rect", "circle", "poly"}) {
        a.Shape = shape;
        map.AddArea(a);
    }
    for (int y = -2; y < 40; y += 7)
        for (int x = -2; x < 40; x += 7) std::unique_ptr<TUrlTarget> u(map.GetURL(x, y));
    return 0;
}
