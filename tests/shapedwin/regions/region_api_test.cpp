// The mask scan, the combine modes, handing regions to windows and the saved
// region format.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"
#include "shapedwin/SwRegionAPI.h"
#include "shapedwin/mask_util.h"

using namespace gui;
using namespace shapedwin;
using shapedwin_test::MaskOf;

namespace {

std::unique_ptr<TBitmap> Filled(int w, int h, bool black) {
    return MaskOf(std::vector<std::string>(static_cast<std::size_t>(h), std::string(static_cast<std::size_t>(w), black ? '#' : '.')));
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
int I32(const std::vector<std::uint8_t>& b, std::size_t at) { return static_cast<int>(U32(b, at)); }

struct Block {
    std::uint32_t headerSize, type, count, listSize;
    TRect bounds;
    std::vector<TRect> rects;
};

Block Parse(const std::vector<std::uint8_t>& b) {
    Block r{U32(b, 0), U32(b, 4), U32(b, 8), U32(b, 12), Rect(I32(b, 16), I32(b, 20), I32(b, 24), I32(b, 28)), {}};
    EXPECT_EQ(b.size(), 32u + 16u * r.count);
    for (std::size_t i = 0; i < r.count && 32 + 16 * (i + 1) <= b.size(); ++i) {
        std::size_t at = 32 + 16 * i;
        r.rects.push_back(Rect(I32(b, at), I32(b, at + 4), I32(b, at + 8), I32(b, at + 12)));
    }
    return r;
}

// The runs the scan must produce, found pixel by pixel through the canvas
// colours rather than the packed bits.
std::vector<TRect> ReferenceRuns(TBitmap* mask, const TRect& bounds) {
    std::vector<TRect> out;
    const int lastX = std::min(mask->Width() - 1, bounds.Right);
    const int lastY = std::min(mask->Height() - 1, bounds.Bottom);
    for (int y = std::max(0, bounds.Top); y <= lastY; ++y) {
        int start = -1;
        for (int x = std::max(0, bounds.Left); x <= lastX + 1; ++x) {
            bool inside = x <= lastX && mask->Canvas()->Pixels(x, y) == clBlack;
            if (inside && start < 0) start = x;
            if (!inside && start >= 0) {
                out.push_back(Rect(start, y, x, y + 1));
                start = -1;
            }
        }
    }
    return out;
}

std::vector<std::uint8_t> ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

// ---- The mask scan -------------------------------------------------------------------

TEST(RegionFromMaskTest, AllWhiteGivesNoRectanglesAndAnEmptyRegion) {
    auto mask = Filled(9, 4, false);
    Block b = Parse(MaskRegionData(mask.get(), Rect(0, 0, 9, 4)));
    EXPECT_EQ(b.headerSize, 32u);
    EXPECT_EQ(b.type, 1u);
    EXPECT_EQ(b.count, 0u);
    EXPECT_EQ(b.listSize, 0u);
    EXPECT_EQ(b.bounds, Rect(0, 0, 9, 4));

    HRGN r = nullptr;
    RegionFromMask(r, mask.get(), Rect(0, 0, 9, 4));
    ASSERT_NE(r, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), NULLREGION);
    DeleteRegionHandle(r);
    EXPECT_EQ(r, nullptr);
}

TEST(RegionFromMaskTest, AllBlackGivesOneRunPerRowUpToTheInclusiveLimits) {
    auto mask = Filled(5, 3, true);
    // Bounds equal to the mask size: the inclusive edges are cut to the mask.
    Block b = Parse(MaskRegionData(mask.get(), Rect(0, 0, 5, 3)));
    ASSERT_EQ(b.count, 3u);
    EXPECT_EQ(b.listSize, 48u);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(b.rects[static_cast<std::size_t>(y)], Rect(0, y, 5, y + 1));

    HRGN r = nullptr;
    RegionFromMask(r, mask.get(), Rect(0, 0, 5, 3));
    RECT box;
    GetRgnBox(r, &box);
    EXPECT_EQ(box, Rect(0, 0, 5, 3));
    DeleteRegionHandle(r);
}

TEST(RegionFromMaskTest, RunsFollowScanOrderAndCloseAtTheLastColumn) {
    auto mask = MaskOf({
        "##..#.##",
        "........",
        ".#######",
        "#......#",
    });
    Block b = Parse(MaskRegionData(mask.get(), Rect(0, 0, 8, 4)));
    std::vector<TRect> want = {
        Rect(0, 0, 2, 1), Rect(4, 0, 5, 1), Rect(6, 0, 8, 1),  // a black last pixel closes at lastX + 1
        Rect(1, 2, 8, 3),                                        //
        Rect(0, 3, 1, 4), Rect(7, 3, 8, 4),
    };
    EXPECT_EQ(b.rects, want);
}

TEST(RegionFromMaskTest, BoundsCutWiderAndNarrowerMasks) {
    auto wide = Filled(12, 2, true);
    // Column `right` itself is still scanned, and so is row `bottom`.
    Block b = Parse(MaskRegionData(wide.get(), Rect(2, 0, 5, 0)));
    EXPECT_EQ(b.rects, (std::vector<TRect>{Rect(2, 0, 6, 1)}));
    EXPECT_EQ(b.bounds, Rect(2, 0, 5, 0));

    auto narrow = Filled(4, 2, true);
    b = Parse(MaskRegionData(narrow.get(), Rect(0, 0, 30, 30)));
    EXPECT_EQ(b.rects, (std::vector<TRect>{Rect(0, 0, 4, 1), Rect(0, 1, 4, 2)}));
    EXPECT_EQ(b.bounds, Rect(0, 0, 30, 30));
}

TEST(RegionFromMaskTest, NegativeOrDisjointBoundsNeverReadOutsideTheMask) {
    auto mask = Filled(4, 4, true);
    Block b = Parse(MaskRegionData(mask.get(), Rect(-3, -2, 1, 1)));
    EXPECT_EQ(b.rects, (std::vector<TRect>{Rect(0, 0, 2, 1), Rect(0, 1, 2, 2)}));
    EXPECT_EQ(b.bounds, Rect(-3, -2, 1, 1));  // the header keeps the bounds as given

    EXPECT_EQ(Parse(MaskRegionData(mask.get(), Rect(-10, -10, -1, -1))).count, 0u);
    EXPECT_EQ(Parse(MaskRegionData(mask.get(), Rect(4, 0, 10, 3))).count, 0u);
    EXPECT_EQ(Parse(MaskRegionData(mask.get(), Rect(0, 7, 3, 9))).count, 0u);
    EXPECT_EQ(Parse(MaskRegionData(mask.get(), Rect(3, 3, 1, 1))).count, 0u);  // right left of left
}

TEST(RegionFromMaskTest, EmptyOrMissingMaskGivesAnEmptyRegion) {
    TBitmap empty;
    HRGN r = nullptr;
    RegionFromMask(r, &empty, Rect(0, 0, 10, 10));
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), NULLREGION);
    DeleteRegionHandle(r);
    RegionFromMask(r, nullptr, Rect(0, 0, 10, 10));
    EXPECT_EQ(GetRgnBox(r, &box), NULLREGION);
    DeleteRegionHandle(r);
}

TEST(RegionFromMaskTest, RandomMasksMatchAPixelByPixelScan) {
    // Odd widths and runs that start and end inside and across bytes, so that
    // the whole-byte shortcuts meet every alignment.
    std::mt19937 rng(7);
    std::size_t seen = 0;
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + static_cast<int>(rng() % 45), h = 1 + static_cast<int>(rng() % 9);
        std::vector<std::string> rows(static_cast<std::size_t>(h));
        const unsigned flipEvery[] = {2, 3, 6, 12, 25};  // from speckle to long stretches
        const unsigned flip = flipEvery[rng() % 5];
        for (auto& row : rows) {
            row.resize(static_cast<std::size_t>(w));
            char cur = '.';
            for (auto& c : row) {
                if (rng() % flip == 0) cur = cur == '#' ? '.' : '#';
                c = cur;
            }
        }
        auto mask = MaskOf(rows);
        const TRect bounds = Rect(static_cast<int>(rng() % 7) - 3, static_cast<int>(rng() % 5) - 2,
                                  static_cast<int>(rng() % 50) - 2, static_cast<int>(rng() % 12) - 1);
        Block b = Parse(MaskRegionData(mask.get(), bounds));
        EXPECT_EQ(b.rects, ReferenceRuns(mask.get(), bounds)) << "round " << round;
        seen += b.rects.size();
    }
    EXPECT_GT(seen, 100u);
}

TEST(RegionFromMaskTest, ColourMasksAreConvertedToOneBitFirst) {
    TBitmap mask;
    mask.SetPixelFormat(pf24bit);
    mask.SetSize(20, 10);
    mask.Canvas()->Brush()->SetColor(clWhite);
    mask.Canvas()->FillRect(Rect(0, 0, 20, 10));
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(3, 2, 11, 6));

    HRGN r = nullptr;
    RegionFromMask(r, &mask, Rect(0, 0, 20, 10));
    EXPECT_EQ(mask.PixelFormat(), pf1bit);
    RECT box;
    EXPECT_EQ(GetRgnBox(r, &box), SIMPLEREGION);
    EXPECT_EQ(box, Rect(3, 2, 11, 6));
    EXPECT_TRUE(PtInRegion(r, 3, 2));
    EXPECT_FALSE(PtInRegion(r, 11, 2));
    DeleteRegionHandle(r);
}

// ---- Combining -----------------------------------------------------------------------

TEST(CombineWithModeTest, EachModeGivesItsSetOperation) {
    struct Case {
        TCombineMode mode;
        bool onlyA, both, onlyB;
    };
    const Case cases[] = {
        {cmAnd, false, true, false}, {cmCopy, true, true, false}, {cmDifference, true, false, false},
        {cmOR, true, true, true},    {cmXOR, true, false, true},
    };
    for (const Case& c : cases) {
        HRGN acc = CreateRectRgn(0, 0, 10, 10);
        HRGN comp = CreateRectRgn(5, 5, 15, 15);
        CombineWithMode(acc, comp, c.mode);
        EXPECT_EQ(PtInRegion(acc, 2, 2) != 0, c.onlyA) << int(c.mode);
        EXPECT_EQ(PtInRegion(acc, 7, 7) != 0, c.both) << int(c.mode);
        EXPECT_EQ(PtInRegion(acc, 12, 12) != 0, c.onlyB) << int(c.mode);
        // The component region is only read.
        HRGN same = CreateRectRgn(5, 5, 15, 15);
        EXPECT_TRUE(EqualRgn(comp, same));
        DeleteObject(same);
        DeleteObject(comp);
        DeleteObject(acc);
    }
}

TEST(CombineWithModeTest, ANullAccumulatorStartsEmpty) {
    HRGN comp = CreateRectRgn(5, 5, 15, 15);
    HRGN acc = nullptr;
    CombineWithMode(acc, comp, cmOR);
    ASSERT_NE(acc, nullptr);
    EXPECT_TRUE(EqualRgn(acc, comp));
    DeleteRegionHandle(acc);

    CombineWithMode(acc, comp, cmAnd);
    RECT box;
    EXPECT_EQ(GetRgnBox(acc, &box), NULLREGION);
    DeleteRegionHandle(acc);
    DeleteObject(comp);
}

// ---- Windows -------------------------------------------------------------------------

TEST(FormRegionTest, SetAndClearOnAForm) {
    testkit::Session session;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    HRGN r = CreateRectRgn(0, 0, 10, 10);
    SetFormRegion(form->Handle(), r, 3, 4);
    EXPECT_TRUE(form->HasWindowRegion());
    ClearFormRegion(form->Handle());
    EXPECT_FALSE(form->HasWindowRegion());
}

TEST(FormRegionTest, ARegionRefusedByADeadWindowIsNotLeaked) {
    // The leak checker reports the region if it is dropped here.
    SetFormRegion(nullptr, CreateRectRgn(0, 0, 10, 10), 1, 1);
    ClearFormRegion(nullptr);
    HRGN none = nullptr;
    DeleteRegionHandle(none);
    EXPECT_EQ(none, nullptr);
}

// ---- Saving --------------------------------------------------------------------------

TEST(SaveRegionTest, StreamHoldsTheTagTheSizeAndTheRegionData) {
    HRGN r = CreateRectRgn(1, 2, 4, 3);
    TMemoryStream s;
    SaveRegionToStream(r, &s);
    const auto* p = static_cast<const std::uint8_t*>(s.Memory());
    std::vector<std::uint8_t> bytes(p, p + s.Size());
    const std::vector<std::uint8_t> want = {
        'R', 'G', 'N', 48, 0, 0, 0,                    // tag, N = 32 + 16
        32, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 16, 0, 0, 0,  // header: size, type, count, list size
        1, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0,    // bounds
        1, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0,    // the one rectangle
    };
    EXPECT_EQ(bytes, want);
    DeleteObject(r);
}

TEST(SaveRegionTest, UnreadableRegionRaisesAndWritesNothing) {
    TMemoryStream s;
    try {
        SaveRegionToStream(nullptr, &s);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Unable to retrieve region data!");
    }
    EXPECT_EQ(s.Size(), 0);
}

TEST(SaveRegionTest, FileIsReplacedAndHoldsTheSameBytes) {
    const std::string name = ::testing::TempDir() + "shapedwin_region.rgn";
    {
        std::ofstream old(name, std::ios::binary);
        old << std::string(500, 'x');  // a longer old file must not leave a tail
    }
    HRGN r = CreateRectRgn(0, 0, 8, 8);
    SaveRegionToFile(r, name);
    TMemoryStream s;
    SaveRegionToStream(r, &s);
    const auto* p = static_cast<const std::uint8_t*>(s.Memory());
    EXPECT_EQ(ReadFile(name), std::vector<std::uint8_t>(p, p + s.Size()));
    DeleteObject(r);
    std::remove(name.c_str());
}

TEST(SaveRegionTest, UncreatableFileRaisesTheFileError) {
    HRGN r = CreateRectRgn(0, 0, 8, 8);
    const std::string name = "/nonexistent-dir/sub/region.rgn";
    try {
        SaveRegionToFile(r, name);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + name);
    }
    DeleteObject(r);
}
