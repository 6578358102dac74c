// AREA parsing and hit tests, and the URL-to-file-name conversion. Small
// polygons are also checked against the polygon region of the drawing
// layer, which the direct point test must agree with.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gui/draw/Gdi.h"
#include "htmlview/HtmlSupport.h"

using namespace htmlview;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)HTMLToDos(text);
    (void)HTMLServerToDos(text, "/srv");
    const std::vector<int> n = ParseCoords(text);
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

    // Up to 8 vertices within 40 pixels: cheap enough for a region.
    if (n.size() >= 6 && n.size() <= 16) {
        std::vector<gui::POINT> pts;
        bool small = true;
        for (std::size_t i = 0; i + 1 < n.size(); i += 2) {
            small = small && n[i] >= -40 && n[i] <= 40 && n[i + 1] >= -40 && n[i + 1] <= 40;
            pts.push_back(gui::Point(n[i], n[i + 1]));
        }
        if (small) {
            for (int fill : {gui::WINDING, gui::ALTERNATE}) {
                gui::HRGN rgn = gui::CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), fill);
                for (int y = -41; y <= 41; ++y)
                    for (int x = -41; x <= 41; ++x)
                        if ((gui::PtInRegion(rgn, x, y) != 0) !=
                            PtInPolygon(pts.data(), static_cast<int>(pts.size()), fill == gui::WINDING, x, y))
                            std::abort();
                gui::DeleteObject(rgn);
            }
        }
    }
    return 0;
}
