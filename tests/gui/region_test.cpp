// Regions: combination, rectangle-list data blocks, shapes, filling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "gdi_testutil.h"

using namespace gui;
using gdi_test::Surface;

namespace {

// A region data block as the mask scanner builds it: header, bounds, rectangles.
std::vector<std::uint8_t> Block(const std::vector<RECT>& rects, RECT bounds) {
    std::vector<std::uint8_t> b(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    RGNDATAHEADER h;
    h.dwSize = 32;
    h.iType = RDH_RECTANGLES;
    h.nCount = static_cast<DWORD>(rects.size());
    h.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    h.rcBound = bounds;
    std::memcpy(b.data(), &h, sizeof(h));
    if (!rects.empty()) std::memcpy(b.data() + sizeof(h), rects.data(), rects.size() * sizeof(RECT));
    return b;
}

std::vector<RECT> Rects(HRGN rgn) {
    DWORD n = GetRegionData(rgn, 0, nullptr);
    std::vector<std::uint8_t> buf(n);
    EXPECT_EQ(GetRegionData(rgn, n, reinterpret_cast<RGNDATA*>(buf.data())), n);
    RGNDATAHEADER h;
    std::memcpy(&h, buf.data(), sizeof(h));
    std::vector<RECT> out(h.nCount);
    if (h.nCount) std::memcpy(out.data(), buf.data() + sizeof(h), h.nCount * sizeof(RECT));
    return out;
}

}  // namespace

TEST(Region, CombineOperationsAndTheirResultTypes) {
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(r, a, b, RGN_AND), SIMPLEREGION);
    RECT box;
    GetRgnBox(r, &box);
    EXPECT_EQ(box, (RECT{5, 5, 10, 10}));
    EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(r, 14, 14));
    EXPECT_FALSE(PtInRegion(r, 14, 0));
    EXPECT_EQ(CombineRgn(r, a, b, RGN_XOR), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(r, 7, 7));
    EXPECT_TRUE(PtInRegion(r, 2, 2));
    EXPECT_EQ(CombineRgn(r, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(r, 12, 12));
    EXPECT_FALSE(PtInRegion(r, 7, 7));
    // Copy ignores the second source; combining into the first source works.
    EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_COPY), SIMPLEREGION);
    EXPECT_TRUE(EqualRgn(r, a));
    EXPECT_EQ(CombineRgn(a, a, b, RGN_AND), SIMPLEREGION);
    HRGN far = CreateRectRgn(50, 50, 60, 60);
    EXPECT_EQ(CombineRgn(r, a, far, RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(r, a, b, 99), ERROR);
    // Right and bottom edges are outside.
    EXPECT_FALSE(PtInRegion(b, 15, 10));
    EXPECT_TRUE(PtInRegion(b, 14, 10));
    EXPECT_EQ(OffsetRgn(b, -5, -5), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(b, 0, 0));
    for (HRGN h : {a, b, r, far}) DeleteObject(h);
}

TEST(Region, ExtCreateRegionFromScanRunsAndBackThroughGetRegionData) {
    // Two rows of runs, as a mask scan produces them.
    std::vector<RECT> runs = {{0, 0, 3, 1}, {5, 0, 8, 1}, {0, 1, 3, 2}, {5, 1, 8, 2}, {1, 2, 7, 3}};
    auto block = Block(runs, RECT{0, 0, 10, 10});
    HRGN rgn = ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), reinterpret_cast<const RGNDATA*>(block.data()));
    ASSERT_NE(rgn, nullptr);
    EXPECT_TRUE(PtInRegion(rgn, 6, 1));
    EXPECT_FALSE(PtInRegion(rgn, 4, 1));
    EXPECT_TRUE(PtInRegion(rgn, 4, 2));
    RECT box;
    EXPECT_EQ(GetRgnBox(rgn, &box), COMPLEXREGION);
    EXPECT_EQ(box, (RECT{0, 0, 8, 3}));  // the real extent, not the given bounds
    // Identical rows are merged into bands, ordered top to bottom, left to right.
    std::vector<RECT> back = Rects(rgn);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], (RECT{0, 0, 3, 2}));
    EXPECT_EQ(back[1], (RECT{5, 0, 8, 2}));
    EXPECT_EQ(back[2], (RECT{1, 2, 7, 3}));
    // The size query and the filled header agree.
    DWORD n = GetRegionData(rgn, 0, nullptr);
    EXPECT_EQ(n, 32u + 3 * 16);
    std::vector<std::uint8_t> small(n - 1);
    EXPECT_EQ(GetRegionData(rgn, n - 1, reinterpret_cast<RGNDATA*>(small.data())), 0u);
    std::vector<std::uint8_t> buf(n);
    GetRegionData(rgn, n, reinterpret_cast<RGNDATA*>(buf.data()));
    RGNDATAHEADER h;
    std::memcpy(&h, buf.data(), sizeof(h));
    EXPECT_EQ(h.dwSize, 32u);
    EXPECT_EQ(h.iType, RDH_RECTANGLES);
    EXPECT_EQ(h.nRgnSize, 48u);
    EXPECT_EQ(h.rcBound, (RECT{0, 0, 8, 3}));
    // Recreating from the returned data gives the same region.
    HRGN again = ExtCreateRegion(nullptr, n, reinterpret_cast<const RGNDATA*>(buf.data()));
    EXPECT_TRUE(EqualRgn(rgn, again));
    DeleteObject(again);
    DeleteObject(rgn);
}

TEST(Region, EmptyAndMalformedDataBlocks) {
    auto empty = Block({}, RECT{0, 0, 294, 441});
    HRGN e = ExtCreateRegion(nullptr, static_cast<DWORD>(empty.size()), reinterpret_cast<const RGNDATA*>(empty.data()));
    ASSERT_NE(e, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(e, &box), NULLREGION);
    EXPECT_EQ(GetRegionData(e, 0, nullptr), 32u);
    DeleteObject(e);
    // A count that claims more rectangles than the block holds is refused.
    auto block = Block({{0, 0, 1, 1}}, RECT{0, 0, 1, 1});
    RGNDATAHEADER h;
    std::memcpy(&h, block.data(), sizeof(h));
    h.nCount = 1000000;
    std::memcpy(block.data(), &h, sizeof(h));
    EXPECT_EQ(ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), reinterpret_cast<const RGNDATA*>(block.data())), nullptr);
    h.nCount = 1;
    h.dwSize = 40;
    std::memcpy(block.data(), &h, sizeof(h));
    EXPECT_EQ(ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), reinterpret_cast<const RGNDATA*>(block.data())), nullptr);
    EXPECT_EQ(ExtCreateRegion(nullptr, 0, nullptr), nullptr);
}

TEST(Region, ManyRunsBuildQuickly) {
    // A full-size mask worth of one-row runs.
    std::vector<RECT> runs;
    for (int y = 0; y < 441; ++y)
        for (int x = 0; x < 290; x += 10) runs.push_back(RECT{x, y, x + 5 + (y % 3), y + 1});
    auto block = Block(runs, RECT{0, 0, 294, 441});
    HRGN rgn = ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), reinterpret_cast<const RGNDATA*>(block.data()));
    ASSERT_NE(rgn, nullptr);
    EXPECT_TRUE(PtInRegion(rgn, 16, 200));
    EXPECT_FALSE(PtInRegion(rgn, 18, 200));
    DeleteObject(rgn);
}

// Lists in band order are taken in one pass; the result must be the region
// (and the rectangle list) that uniting the rectangles one by one gives,
// whatever joins and merges the list needs. Lists out of band order still
// give the union.
TEST(Region, ExtCreateRegionGivesTheUnionForBandedAndUnorderedLists) {
    std::mt19937 rng(19);
    int bandedSeen = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<RECT> rects;
        int y = static_cast<int>(rng() % 3);
        const int bands = 1 + static_cast<int>(rng() % 8);
        std::vector<RECT> prevBand;
        for (int b = 0; b < bands; ++b) {
            const int h = 1 + static_cast<int>(rng() % 3);
            std::vector<RECT> band;
            if (!prevBand.empty() && rng() % 3 == 0) {
                for (RECT r : prevBand) band.push_back(RECT{r.Left, y, r.Right, y + h});  // same spans again
            } else {
                int x = static_cast<int>(rng() % 4);
                const int n = static_cast<int>(rng() % 5);
                for (int i = 0; i < n; ++i) {
                    const int w = 1 + static_cast<int>(rng() % 5);
                    band.push_back(RECT{x, y, x + w, y + h});
                    x += w + static_cast<int>(rng() % 3);  // 0: touching runs
                }
            }
            rects.insert(rects.end(), band.begin(), band.end());
            prevBand = band;
            y += h + static_cast<int>(rng() % 2);  // 0: the next band touches
        }
        const int kind = static_cast<int>(rng() % 4);
        if (kind == 1) std::shuffle(rects.begin(), rects.end(), rng);
        if (kind == 2 && !rects.empty()) rects.push_back(rects[rng() % rects.size()]);  // a repeat overlaps
        if (kind == 3) rects.push_back(RECT{2, 1, 9, 40});  // a tall rectangle across the bands
        bandedSeen += kind == 0 && rects.size() > 3;

        auto block = Block(rects, RECT{0, 0, 50, 50});
        HRGN got = ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), reinterpret_cast<const RGNDATA*>(block.data()));
        ASSERT_NE(got, nullptr);
        HRGN want = CreateRectRgn(0, 0, 0, 0);
        for (const RECT& r : rects) {
            HRGN one = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
            CombineRgn(want, want, one, RGN_OR);
            DeleteObject(one);
        }
        EXPECT_TRUE(EqualRgn(got, want)) << "round " << round;
        EXPECT_EQ(Rects(got), Rects(want)) << "round " << round;
        RECT a, b;
        EXPECT_EQ(GetRgnBox(got, &a), GetRgnBox(want, &b)) << "round " << round;
        EXPECT_EQ(a, b);
        DeleteObject(want);
        DeleteObject(got);
    }
    EXPECT_GT(bandedSeen, 50);
}

TEST(Region, EllipsesAndPolygons) {
    // A circle of radius 5 around (10, 10), bounds from (x - r, y - r) to (x + r + 1, y + r + 1).
    HRGN c = CreateEllipticRgn(5, 5, 16, 16);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 21; ++x)
            if ((x - 10) * (x - 10) + (y - 10) * (y - 10) <= 25) {
                EXPECT_TRUE(PtInRegion(c, x, y)) << x << "," << y;
            }
    EXPECT_FALSE(PtInRegion(c, 5, 5));
    EXPECT_FALSE(PtInRegion(c, 16, 10));
    RECT r{5, 5, 16, 16};
    HRGN c2 = CreateEllipticRgnIndirect(&r);
    EXPECT_TRUE(EqualRgn(c, c2));
    // A five-pointed star: its centre is covered twice, so only WINDING fills it.
    POINT star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    HRGN alt = CreatePolygonRgn(star, 5, ALTERNATE);
    HRGN win = CreatePolygonRgn(star, 5, WINDING);
    EXPECT_FALSE(PtInRegion(alt, 50, 50));
    EXPECT_TRUE(PtInRegion(win, 50, 50));
    EXPECT_TRUE(PtInRegion(alt, 50, 10));
    POINT tri[] = {{0, 0}, {10, 0}, {0, 10}};
    HRGN t = CreatePolygonRgn(tri, 3, ALTERNATE);
    EXPECT_TRUE(PtInRegion(t, 1, 1));
    EXPECT_FALSE(PtInRegion(t, 8, 8));
    POINT two[] = {{0, 0}, {5, 5}};
    HRGN degenerate = CreatePolygonRgn(two, 2, ALTERNATE);
    RECT box;
    EXPECT_EQ(GetRgnBox(degenerate, &box), NULLREGION);
    for (HRGN h : {c, c2, alt, win, t, degenerate}) DeleteObject(h);
}

TEST(Region, FillRgnAndFrameRgnPaintExactlyTheRegion) {
    Surface s(12, 12);
    HRGN a = CreateRectRgn(1, 1, 5, 5);
    HRGN b = CreateRectRgn(7, 7, 10, 11);
    CombineRgn(a, a, b, RGN_OR);
    HBRUSH red = CreateSolidBrush(0x0000FF);
    FillRgn(s.dc(), a, red);
    EXPECT_EQ(s.Count(0x0000FF), 16 + 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_EQ(s.at(x, y) == 0x0000FFu, PtInRegion(a, x, y) != 0) << x << "," << y;
    s.Clear(0xFFFFFF);
    HRGN sq = CreateRectRgn(2, 2, 8, 8);
    FrameRgn(s.dc(), sq, red, 1, 1);
    EXPECT_EQ(s.Count(0x0000FF), 20);  // a one-pixel ring inside the square
    EXPECT_EQ(s.at(4, 4), 0xFFFFFFu);
    // Regions are in logical coordinates of the DC.
    s.Clear(0xFFFFFF);
    SetViewportOrgEx(s.dc(), 5, 5, nullptr);
    HRGN one = CreateRectRgn(0, 0, 1, 1);
    FillRgn(s.dc(), one, red);
    SetViewportOrgEx(s.dc(), 0, 0, nullptr);
    EXPECT_EQ(s.at(5, 5), 0x0000FFu);
    for (HRGN h : {a, b, sq, one}) DeleteObject(h);
    DeleteObject(red);
}
