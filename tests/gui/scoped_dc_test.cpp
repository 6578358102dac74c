#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "gdi_testutil.h"
#include "gui/draw/ScopedDC.h"

using namespace gui;
using gdi_test::Surface;

namespace {

HPALETTE MakeGreyPalette() {
    std::vector<std::uint8_t> buf(4 + 4 * 2);
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    lp->palPalEntry[0] = PALETTEENTRY{0, 0, 0, 0};
    lp->palPalEntry[1] = PALETTEENTRY{128, 128, 128, 0};
    return CreatePalette(lp);
}

}  // namespace

TEST(ScopedDC, SavedDCRestoresOriginAndClipAlsoWhenThePaintThrows) {
    Surface s(20, 20);
    RECT before{};
    GetClipBox(s.dc(), &before);
    EXPECT_THROW(
        {
            SavedDC saved(s.dc());
            OffsetViewportOrgEx(s.dc(), 5, 6, nullptr);
            IntersectClipRect(s.dc(), 0, 0, 2, 2);
            SaveDC(s.dc());  // a level left open inside is unwound too
            throw std::runtime_error("paint failed");
        },
        std::runtime_error);
    POINT org{-1, -1};
    GetViewportOrgEx(s.dc(), &org);
    EXPECT_EQ(org.X, 0);
    EXPECT_EQ(org.Y, 0);
    RECT after{};
    GetClipBox(s.dc(), &after);
    EXPECT_EQ(after.Left, before.Left);
    EXPECT_EQ(after.Right, before.Right);
    EXPECT_EQ(after.Bottom, before.Bottom);
    // Back at the first level: the next save is level 1 again.
    EXPECT_EQ(SaveDC(s.dc()), 1);
    RestoreDC(s.dc(), -1);
}

TEST(ScopedDC, NestedSavesRestoreTheirOwnLevels) {
    Surface s(10, 10);
    SavedDC outer(s.dc());
    OffsetViewportOrgEx(s.dc(), 1, 1, nullptr);
    {
        SavedDC inner(s.dc());
        OffsetViewportOrgEx(s.dc(), 2, 2, nullptr);
    }
    POINT org{};
    GetViewportOrgEx(s.dc(), &org);
    EXPECT_EQ(org.X, 1);
    EXPECT_EQ(org.Y, 1);
}

TEST(ScopedDC, SavedDCOverNoDCDoesNothing) {
    SavedDC none(nullptr);  // must neither save nor restore anything
    OwnedDC empty(nullptr);
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty.Get(), nullptr);
}

TEST(ScopedDC, OwnedDCDrawsUntilScopeEnd) {
    // The sanitizer's leak check fails this test if the DC is not deleted.
    OwnedDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    EXPECT_GT(GetDeviceCaps(dc.Get(), BITSPIXEL), 0);
}

TEST(ScopedDC, SelectedPaletteSelectsThePreviousOneBack) {
    Surface s(4, 4);
    HPALETTE grey = MakeGreyPalette();
    HGDIOBJ original = GetCurrentObject(s.dc(), OBJ_PAL);
    {
        SelectedPalette sel(s.dc(), grey);
        EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PAL), grey);
    }
    EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PAL), original);
    {
        SelectedPalette none(s.dc(), nullptr);  // nothing to select: the DC keeps its own
        EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PAL), original);
    }
    EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PAL), original);
    DeleteObject(grey);
}

TEST(ScopedDC, CanvasBindingUnbindsAndUnlocksOnEveryPath) {
    Surface s(8, 8, RGB(0, 0, 255));
    TCanvas canvas;
    {
        CanvasBinding bind(canvas, s.dc());
        EXPECT_EQ(canvas.LockCount(), 1);
        EXPECT_EQ(canvas.Pixels(1, 1), RGB(0, 0, 255));  // draws on the bound DC
    }
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_EQ(canvas.LockCount(), 0);
    EXPECT_THROW(
        {
            CanvasBinding bind(canvas, s.dc());
            CanvasLock again(canvas);
            EXPECT_EQ(canvas.LockCount(), 2);
            throw std::runtime_error("paint failed");
        },
        std::runtime_error);
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_EQ(canvas.LockCount(), 0);
}
