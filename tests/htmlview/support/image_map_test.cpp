// Polygon areas of image maps: the direct point test against the polygon
// region of the drawing layer, and the cost of hostile COORDS.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "gui/draw/Gdi.h"
#include "htmlview/HtmlSupport.h"

using namespace htmlview;
using gui::POINT;

namespace {

// Every point of a grid around the polygon, point test against region.
void ExpectSameAsRegion(const std::vector<POINT>& pts, int fill) {
    gui::HRGN rgn = gui::CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), fill);
    ASSERT_NE(rgn, nullptr);
    for (int y = -3; y < 19; ++y)
        for (int x = -3; x < 19; ++x) {
            const bool region = gui::PtInRegion(rgn, x, y) != 0;
            const bool direct = PtInPolygon(pts.data(), static_cast<int>(pts.size()), fill == gui::WINDING, x, y);
            if (region != direct) {
                std::string s;
                for (const POINT& p : pts) s += "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
                ADD_FAILURE() << s << (fill == gui::WINDING ? " winding" : " even-odd") << " at " << x << ","
                              << y << ": region " << region;
                gui::DeleteObject(rgn);
                return;
            }
        }
    gui::DeleteObject(rgn);
}

std::vector<POINT> Pts(std::initializer_list<int> xy) {
    std::vector<POINT> out;
    for (auto it = xy.begin(); it != xy.end(); it += 2) out.push_back(gui::Point(*it, *(it + 1)));
    return out;
}

}  // namespace

TEST(PolygonHitTest, AgreesWithThePolygonRegionOnEveryGridPoint) {
    const std::vector<std::vector<POINT>> shapes = {
        Pts({0, 0, 10, 0, 0, 10}),                          // right angle, edges on the axes
        Pts({2, 2, 12, 2, 12, 9, 2, 9}),                    // rectangle: left/top in, right/bottom out
        Pts({5, 0, 10, 10, 0, 10}),                         // sloped edges both ways
        Pts({0, 0, 13, 3, 1, 7, 9, 11}),                    // shallow and steep slopes
        Pts({8, 0, 10, 14, 0, 4, 16, 4, 6, 14}),            // pentagram: winding fills the middle, even-odd not
        Pts({0, 0, 2, 10, 4, 0, 6, 10, 8, 0, 10, 10, 12, 0}),  // zig-zag
        Pts({0, 0, 10, 0, 10, 10, 0, 10, 0, 0, 10, 0, 10, 10, 0, 10}),  // traced twice: winding 2
        Pts({0, 0, 5, 5, 10, 10}),                          // collinear: empty
        Pts({3, 3, 3, 3, 3, 3}),                            // one point
        Pts({0, 5, 10, 5, 10, 6, 0, 6}),                    // one row high
        Pts({10, 0, 0, 0, 0, 10, 10, 10}),                  // counter-clockwise
    };
    for (const auto& s : shapes) {
        ExpectSameAsRegion(s, gui::WINDING);
        ExpectSameAsRegion(s, gui::ALTERNATE);
    }
    std::mt19937 rng(11);
    for (int n = 0; n < 400; ++n) {
        std::vector<POINT> pts(3 + rng() % 6);
        for (POINT& p : pts) p = gui::Point(static_cast<int>(rng() % 16), static_cast<int>(rng() % 16));
        ExpectSameAsRegion(pts, gui::WINDING);
        ExpectSameAsRegion(pts, gui::ALTERNATE);
        if (HasFailure()) break;
    }
}

TEST(EllipseHitTest, AgreesWithTheEllipticRegionOnEveryGridPoint) {
    std::mt19937 rng(5);
    for (int n = 0; n < 300; ++n) {
        // Circles as AREA makes them (radius 0 and negative included), and
        // boxes of any proportion.
        int l, t, r, b;
        if (n % 2) {
            const int cx = static_cast<int>(rng() % 16), cy = static_cast<int>(rng() % 16);
            const int rad = static_cast<int>(rng() % 12) - 2;
            l = cx - rad, t = cy - rad, r = cx + rad + 1, b = cy + rad + 1;
        } else {
            l = static_cast<int>(rng() % 20) - 2, t = static_cast<int>(rng() % 20) - 2;
            r = static_cast<int>(rng() % 20) - 2, b = static_cast<int>(rng() % 20) - 2;
        }
        gui::HRGN rgn = gui::CreateEllipticRgn(l, t, r, b);
        for (int y = -4; y < 30; ++y)
            for (int x = -4; x < 30; ++x)
                ASSERT_EQ(gui::PtInRegion(rgn, x, y) != 0, PtInEllipse(l, t, r, b, x, y))
                    << l << "," << t << "," << r << "," << b << " at " << x << "," << y;
        gui::DeleteObject(rgn);
    }
}

TEST(PolygonHitTest, HostileCoordsCostLinearTime) {
    // The longest polygon COORDS can give (150 vertices), zig-zagging across
    // the whole coordinate range: its region took minutes and gigabytes.
    std::string coords;
    for (int i = 0; i < 150; ++i)
        coords += std::to_string(i % 2 ? 32767 : -32767) + "," + std::to_string(i * 437 - 32767) + ",";
    TMapItem map;
    TAreaAttributes a;
    a.Href = std::string("zig.htm");
    a.Shape = "poly";
    a.Coords = coords;
    const auto start = std::chrono::steady_clock::now();
    map.AddArea(a);
    int hits = 0;
    for (int y = -32000; y < 32000; y += 640)
        for (int x = -32000; x < 32000; x += 640) hits += map.GetURL(x, y) != nullptr;
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(map.Areas.Count(), 1);
    EXPECT_GT(hits, 0);
    EXPECT_LT(hits, 100 * 100);
    EXPECT_LT(ms, 1000) << "10,000 hit tests of a 150-vertex area";
    // The map's answers are the point test's, vertex for vertex.
    const auto& poly = map.AreaShapes[0].Points;
    ASSERT_EQ(poly.size(), 150u);
    EXPECT_EQ(poly[1].X, 32767);
    EXPECT_EQ(map.GetURL(0, 0) != nullptr, PtInPolygon(poly.data(), 150, true, 0, 0));

    // The same text as a circle: radius 32767 around (-32767, -32767).
    TMapItem circle;
    a.Shape = "circle";
    const auto start2 = std::chrono::steady_clock::now();
    circle.AddArea(a);
    hits = 0;
    for (int y = -32000; y < 32000; y += 640)
        for (int x = -32000; x < 32000; x += 640) hits += circle.GetURL(x, y) != nullptr;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start2).count(),
              100);
    EXPECT_GT(hits, 0);
    EXPECT_TRUE(circle.GetURL(-32767, -32767));
    EXPECT_FALSE(circle.GetURL(32000, 32000));
}
