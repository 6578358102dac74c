// The transparent-form component on a form with masked images and shapes:
// loading, region building, the window hook and the drag it starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"
#include "shapedwin/SwTransparentForm.h"
#include "shapedwin/mask_util.h"

using namespace gui;
using namespace shapedwin;
using shapedwin_test::MaskOf;
using shapedwin_test::RectMask;

namespace {

constexpr UINT kImageDown = 0xFFFF0001;  // marks the image's OnMouseDown in the log

class ShapedFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 200, 150);
        // A logging procedure beneath everything the component installs.
        logProc = MakeObjectInstance([this](TMessage& m) {
            log.push_back(m.Msg);
            m.Result = CallWindowProcA(baseProc, form->Handle(), m.Msg, m.WParam, m.LParam);
        });
        baseProc = SetWindowLongA(form->Handle(), GWL_WNDPROC, logProc);
        originalProc = logProc;
    }
    void TearDown() override {
        if (trans) trans->UnhookWindow();
        SetWindowLongA(form->Handle(), GWL_WNDPROC, baseProc);
        FreeObjectInstance(logProc);
        delete form;
    }

    // The main menu's arrangement: a masked picture filling the form and the
    // component, built as a stored layout is read.
    void BuildMenuLike() {
        form->BeginLoading();
        image = new TSwImage(form);
        image->SetParent(form);
        image->SetBounds(0, 0, 200, 150);
        auto mask = RectMask(200, 150, Rect(10, 10, 190, 140));
        image->SetMask(mask.get());
        image->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { log.push_back(kImageDown); };
        image->OnClick = [this](TObject*) { ++clicks; };
        trans = new TSwTransparentForm(form);
        form->EndLoading();
    }

    bool Logged(UINT msg) const { return std::find(log.begin(), log.end(), msg) != log.end(); }
    std::ptrdiff_t IndexOf(UINT msg) const { return std::find(log.begin(), log.end(), msg) - log.begin(); }

    testkit::Session session;
    std::vector<UINT> log;
    TForm* form = nullptr;
    TSwImage* image = nullptr;
    TSwTransparentForm* trans = nullptr;
    LONG_PTR baseProc = 0;
    LONG_PTR logProc = 0;
    LONG_PTR originalProc = 0;
    int clicks = 0;
};

// Whether the region the component builds now holds the point.
bool RegionHas(TSwTransBase* t, int x, int y) { return PtInRegion(t->GetRegion(), x, y) != 0; }

}  // namespace

// ---- Creation and loading --------------------------------------------------------------

TEST(SwTransBaseOwnerTest, OwnerMustBeAForm) {
    testkit::Session session;
    TComponent plain(nullptr);
    for (TComponent* owner : {&plain, static_cast<TComponent*>(nullptr)}) {
        try {
            TSwTransparentForm t(owner);
            FAIL() << "no error";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Owner must be a TForm!");
        }
    }
    EXPECT_EQ(plain.ComponentCount(), 0);
}

TEST_F(ShapedFormTest, SettersOnlyStoreWhileLoadingAndLoadedAppliesThem) {
    form->BeginLoading();
    image = new TSwImage(form);
    image->SetParent(form);
    image->SetBounds(0, 0, 50, 50);
    auto mask = RectMask(50, 50, Rect(0, 0, 20, 20));
    image->SetMask(mask.get());
    trans = new TSwTransparentForm(form);
    EXPECT_TRUE(trans->Active());
    EXPECT_TRUE(trans->Dragable());
    EXPECT_FALSE(trans->AlwaysOnTop());
    trans->SetAlwaysOnTop(true);
    trans->SetDragable(true);
    trans->SetActive(false);
    trans->SetActive(true);
    EXPECT_FALSE(trans->Hooked());
    EXPECT_FALSE(form->HasWindowRegion());
    EXPECT_FALSE(trans->IsTopmost());
    EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_WNDPROC), originalProc);

    form->EndLoading();
    EXPECT_TRUE(trans->Hooked());
    EXPECT_NE(GetWindowLongA(form->Handle(), GWL_WNDPROC), originalProc);
    EXPECT_TRUE(trans->IsTopmost());
    EXPECT_TRUE(form->HasWindowRegion());
}

TEST_F(ShapedFormTest, ActiveOffShowsTheWholeWindowAndOnCutsItAgain) {
    BuildMenuLike();
    trans->SetActive(false);
    EXPECT_FALSE(trans->Active());
    EXPECT_FALSE(form->HasWindowRegion());
    trans->SetActive(false);  // equal value: nothing
    EXPECT_FALSE(form->HasWindowRegion());
    trans->SetActive(true);
    EXPECT_TRUE(form->HasWindowRegion());
}

TEST_F(ShapedFormTest, BorderedFormLosesFrameAndCaptionWithItsRegion) {
    form->SetBorderStyle(bsSingle);
    BuildMenuLike();
    EXPECT_TRUE(form->HasWindowRegion());
    EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CAPTION, 0);
    // The region is built in client coordinates and moved by the client
    // area's place in the window.
    TPoint origin{0, 0};
    ClientToScreen(form->Handle(), &origin);
    EXPECT_EQ(trans->ClientOffset(), (TPoint{origin.X - form->Left(), origin.Y - form->Top()}));
    trans->SetActive(false);
    EXPECT_NE(GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CAPTION, 0);
}

TEST_F(ShapedFormTest, AlwaysOnTopOnAndOff) {
    BuildMenuLike();
    EXPECT_FALSE(trans->IsTopmost());
    trans->SetAlwaysOnTop(true);
    EXPECT_TRUE(form->Topmost());
    trans->SetAlwaysOnTop(false);
    EXPECT_FALSE(trans->IsTopmost());
    EXPECT_FALSE(form->Topmost());
}

// ---- The hook ---------------------------------------------------------------------------

TEST_F(ShapedFormTest, HookFollowsDragable) {
    BuildMenuLike();
    trans->SetDragable(false);
    EXPECT_FALSE(trans->Hooked());
    EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_WNDPROC), originalProc);
    EXPECT_NO_THROW(trans->SetDragable(false));  // not installed: nothing to undo
    EXPECT_NO_THROW(trans->UnhookWindow());

    trans->SetDragable(true);
    trans->SetDragable(true);  // reinstalls, one layer only
    EXPECT_TRUE(trans->Hooked());
    EXPECT_NE(GetWindowLongA(form->Handle(), GWL_WNDPROC), originalProc);
    trans->SetDragable(false);
    EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_WNDPROC), originalProc);
}

TEST_F(ShapedFormTest, PressOnAGraphicControlReachesItBeforeTheMoveStarts) {
    BuildMenuLike();
    log.clear();
    testkit::MouseDown(image, 50, 40);
    ASSERT_TRUE(Logged(kImageDown));
    ASSERT_TRUE(Logged(WM_SYSCOMMAND));
    EXPECT_LT(IndexOf(WM_LBUTTONDOWN), IndexOf(kImageDown));
    EXPECT_LT(IndexOf(kImageDown), IndexOf(WM_SYSCOMMAND));

    // The window follows the pointer until the button is released.
    testkit::MouseMove(form, 70, 65);
    EXPECT_EQ(form->Left(), 120);
    EXPECT_EQ(form->Top(), 125);
    testkit::MouseUp(form, 20, 25);
    testkit::MouseMove(form, 40, 40);
    EXPECT_EQ(form->Left(), 120);
    EXPECT_EQ(clicks, 0);  // the move took the release: the click is lost
}

// Also run under Xvfb with QT_QPA_PLATFORM=xcb: with no window manager to
// offer a system move, the window must still follow the pointer.
TEST_F(ShapedFormTest, ShownWindowIsDraggedByItsPicture) {
    BuildMenuLike();
    form->Show();
    testkit::ProcessMessages();
    testkit::MouseDown(image, 30, 30);
    testkit::MouseMove(form, 20, 50);
    testkit::MouseUp(form, 20, 50);
    testkit::ProcessMessages();
    EXPECT_EQ(form->Left(), 90);
    EXPECT_EQ(form->Top(), 120);
    form->Hide();
}

TEST_F(ShapedFormTest, WithoutDragPressesAreOrdinaryClicks) {
    BuildMenuLike();
    trans->SetDragable(false);
    log.clear();
    testkit::MouseDown(image, 50, 40);
    testkit::MouseMove(image, 70, 60);
    testkit::MouseUp(image, 70, 60);
    EXPECT_FALSE(Logged(WM_SYSCOMMAND));
    EXPECT_EQ(form->Left(), 100);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ShapedFormTest, OtherButtonsAndWindowedChildrenDoNotMoveTheWindow) {
    BuildMenuLike();
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(150, 100, 30, 30);
    log.clear();
    testkit::Click(image, 50, 40, mbRight);
    testkit::MouseDown(panel, 5, 5);
    testkit::MouseMove(panel, 20, 20);
    testkit::MouseUp(panel, 20, 20);
    EXPECT_FALSE(Logged(WM_SYSCOMMAND));
    EXPECT_EQ(form->Left(), 100);
    EXPECT_EQ(form->Top(), 100);
}

TEST_F(ShapedFormTest, AHandlerThatFreesTheComponentDuringThePressIsSafe) {
    BuildMenuLike();
    image->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
        delete trans;
        trans = nullptr;
    };
    testkit::MouseDown(image, 50, 40);
    testkit::MouseMove(form, 70, 60);
    testkit::MouseUp(form, 70, 60);
    EXPECT_EQ(form->Left(), 100);  // no move was started by a freed component
    EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_WNDPROC), originalProc);
}

TEST_F(ShapedFormTest, UnhookUnderAnotherHookKeepsTheChainWorking) {
    BuildMenuLike();
    // Someone else subclasses the window on top of the component.
    LONG_PTR below = 0;
    int seen = 0;
    const LONG_PTR foreign = MakeObjectInstance([&](TMessage& m) {
        ++seen;
        m.Result = CallWindowProcA(below, form->Handle(), m.Msg, m.WParam, m.LParam);
    });
    below = SetWindowLongA(form->Handle(), GWL_WNDPROC, foreign);

    trans->SetDragable(false);
    EXPECT_FALSE(trans->Hooked());
    EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_WNDPROC), foreign);
    log.clear();
    testkit::MouseDown(image, 50, 40);
    testkit::MouseMove(form, 70, 60);
    testkit::MouseUp(form, 70, 60);
    EXPECT_GT(seen, 0);
    EXPECT_TRUE(Logged(kImageDown));  // still reaches the form through the old stub
    EXPECT_FALSE(Logged(WM_SYSCOMMAND));
    EXPECT_EQ(form->Left(), 100);

    SetWindowLongA(form->Handle(), GWL_WNDPROC, below);
    FreeObjectInstance(foreign);
}

TEST_F(ShapedFormTest, FreeingTheComponentRestoresTheWindowProcedure) {
    BuildMenuLike();
    delete trans;
    trans = nullptr;
    EXPECT_EQ(GetWindowLongA(form->Handle(), GWL_WNDPROC), originalProc);
    testkit::MouseDown(image, 50, 40);
    testkit::MouseUp(image, 50, 40);
    EXPECT_EQ(clicks, 1);
}

TEST(SwTransBaseLifetimeTest, FormFreedWhileHooked) {
    testkit::Session session;
    auto* form = new TForm(nullptr);
    form->BeginLoading();
    auto* t = new TSwTransparentForm(form);
    form->EndLoading();
    EXPECT_TRUE(t->Hooked());
    delete form;  // frees the component with it; the sanitizers watch this
}

// ---- Region building -------------------------------------------------------------------

TEST_F(ShapedFormTest, TwoImagesUniteWithOrAndCutWithDifference) {
    form->BeginLoading();
    auto* a = new TSwImage(form);
    a->SetParent(form);
    a->SetBounds(10, 20, 40, 30);
    a->SetMask(RectMask(40, 30, Rect(0, 0, 40, 30)).get());
    auto* b = new TSwImage(form);
    b->SetParent(form);
    b->SetBounds(40, 20, 40, 30);
    b->SetMask(RectMask(40, 30, Rect(0, 0, 40, 30)).get());
    trans = new TSwTransparentForm(form);
    form->EndLoading();

    // Images in the form's client coordinates: a covers x 10..49, b 40..79.
    EXPECT_TRUE(RegionHas(trans, 10, 20));
    EXPECT_TRUE(RegionHas(trans, 45, 30));
    EXPECT_TRUE(RegionHas(trans, 79, 49));
    EXPECT_FALSE(RegionHas(trans, 9, 20));
    EXPECT_FALSE(RegionHas(trans, 80, 20));

    b->SetCombineMode(cmDifference);
    EXPECT_TRUE(RegionHas(trans, 39, 30));
    EXPECT_FALSE(RegionHas(trans, 40, 30));
    EXPECT_FALSE(RegionHas(trans, 60, 30));

    // Enabled, not Visible, decides: a disabled image takes no part.
    b->SetEnabled(false);
    EXPECT_TRUE(RegionHas(trans, 45, 30));
    b->SetEnabled(true);

    // Order matters: a first cmAnd starts from the empty region.
    a->SetCombineMode(cmAnd);
    b->SetCombineMode(cmOR);
    EXPECT_FALSE(RegionHas(trans, 20, 30));
    EXPECT_TRUE(RegionHas(trans, 60, 30));
}

TEST_F(ShapedFormTest, ImageRegionFollowsItsMaskPositionAndParent) {
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(30, 40, 100, 80);
    image = new TSwImage(form);
    image->SetParent(panel);
    image->SetBounds(5, 6, 8, 3);
    // A mask one column wider than the image: the image's right edge is an
    // inclusive limit, so column 8 still counts.
    auto mask = MaskOf({"#........", ".........", "........#"});
    image->SetMask(mask.get());
    HRGN r = image->GetRegion();
    EXPECT_TRUE(PtInRegion(r, 35, 46));
    EXPECT_FALSE(PtInRegion(r, 36, 46));
    EXPECT_TRUE(PtInRegion(r, 43, 48));
    RECT box;
    GetRgnBox(r, &box);
    EXPECT_EQ(box, Rect(35, 46, 44, 49));
}

TEST_F(ShapedFormTest, ImageMaskIsACopyAndItsAbsenceAddsNothing) {
    image = new TSwImage(form);
    image->SetParent(form);
    image->SetBounds(0, 0, 10, 10);
    EXPECT_FALSE(image->HasMask());
    EXPECT_EQ(image->CombineMode(), cmOR);
    RECT box;
    EXPECT_EQ(GetRgnBox(image->GetRegion(), &box), NULLREGION);

    TBitmap colour;
    colour.SetPixelFormat(pf24bit);
    colour.SetSize(10, 10);
    colour.Canvas()->Brush()->SetColor(clBlack);
    colour.Canvas()->FillRect(Rect(0, 0, 10, 10));
    image->SetMask(&colour);
    EXPECT_TRUE(image->HasMask());
    EXPECT_EQ(image->Mask()->PixelFormat(), pf1bit);
    EXPECT_EQ(colour.PixelFormat(), pf24bit);  // the given bitmap is left alone
    colour.Canvas()->Brush()->SetColor(clWhite);
    colour.Canvas()->FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(GetRgnBox(image->GetRegion(), &box), SIMPLEREGION);
    EXPECT_EQ(box, Rect(0, 0, 10, 10));
}

TEST_F(ShapedFormTest, ShapesCountEvenWhenInvisible) {
    auto* shape = new TSwShape(form);
    shape->SetParent(form);
    EXPECT_FALSE(shape->Visible());
    EXPECT_EQ(shape->Brush()->Style(), bsBDiagonal);
    EXPECT_EQ(shape->CombineMode(), cmOR);
    shape->SetBounds(20, 10, 40, 20);
    trans = new TSwTransparentForm(form);
    EXPECT_TRUE(RegionHas(trans, 20, 10));
    EXPECT_TRUE(RegionHas(trans, 59, 29));
    EXPECT_FALSE(RegionHas(trans, 60, 29));
    shape->SetEnabled(false);
    EXPECT_FALSE(RegionHas(trans, 20, 10));
}

TEST_F(ShapedFormTest, ShapeRegionsFollowTheirFigure) {
    auto* shape = new TSwShape(form);
    shape->SetParent(form);
    shape->SetBounds(10, 10, 60, 40);
    RECT box;

    shape->SetShape(stSquare);
    GetRgnBox(shape->GetRegion(), &box);
    EXPECT_EQ(box, Rect(20, 10, 60, 50));  // centred, side 40

    shape->SetShape(stEllipse);
    HRGN r = shape->GetRegion();
    EXPECT_TRUE(PtInRegion(r, 40, 30));
    EXPECT_FALSE(PtInRegion(r, 11, 11));  // corner cut off
    EXPECT_TRUE(PtInRegion(r, 11, 30));

    shape->SetShape(stCircle);
    r = shape->GetRegion();
    GetRgnBox(r, &box);
    EXPECT_EQ(box, Rect(20, 10, 60, 50));
    EXPECT_FALSE(PtInRegion(r, 21, 11));

    shape->SetShape(stRoundRect);
    r = shape->GetRegion();
    GetRgnBox(r, &box);
    EXPECT_EQ(box, Rect(10, 10, 70, 50));
    EXPECT_FALSE(PtInRegion(r, 10, 10));  // rounded corner
    EXPECT_TRUE(PtInRegion(r, 40, 10));
    EXPECT_TRUE(PtInRegion(r, 10, 30));

    shape->SetShape(stRoundSquare);
    GetRgnBox(shape->GetRegion(), &box);
    EXPECT_EQ(box, Rect(20, 10, 60, 50));

    shape->SetBounds(10, 10, 0, 40);
    EXPECT_EQ(GetRgnBox(shape->GetRegion(), &box), NULLREGION);
}

TEST_F(ShapedFormTest, ShapeStoresItsBrushStyleAsAnExtraProperty) {
    auto* shape = new TSwShape(form);
    shape->Brush()->SetStyle(bsCross);
    TMemoryStream s;
    TWriter(&s).WriteProperties(shape);
    const auto* p = static_cast<const std::uint8_t*>(s.Memory());
    const std::string stored(reinterpret_cast<const char*>(p), static_cast<std::size_t>(s.Size()));
    EXPECT_NE(stored.find("BrushDataOverride"), std::string::npos);

    auto* other = new TSwShape(form);
    EXPECT_EQ(other->Brush()->Style(), bsBDiagonal);
    s.SetPosition(0);
    TReader(&s).ReadProperties(other);
    EXPECT_EQ(other->Brush()->Style(), bsCross);

    // An inherited layout stores it only where it differs from the ancestor.
    TMemoryStream same;
    TWriter w(&same);
    w.SetAncestor(other);
    w.WriteProperties(shape);
    EXPECT_EQ(same.Size(), 1);  // just the end marker
    other->Brush()->SetStyle(bsSolid);
    TMemoryStream differs;
    TWriter w2(&differs);
    w2.SetAncestor(other);
    w2.WriteProperties(shape);
    EXPECT_GT(differs.Size(), 1);

    // A style byte out of range is a read error, not a wild brush.
    std::string bad = stored;
    bad[bad.size() - 2] = 42;
    TMemoryStream in;
    in.WriteBuffer(bad.data(), static_cast<int>(bad.size()));
    in.SetPosition(0);
    EXPECT_THROW(TReader(&in).ReadProperties(other), EReadError);
}

TEST_F(ShapedFormTest, SavedRegionIsTheCombinedRegion) {
    BuildMenuLike();
    TMemoryStream s;
    trans->SaveRegionToStream(&s);
    ASSERT_GT(s.Size(), 7 + 32);
    const auto* p = static_cast<const std::uint8_t*>(s.Memory());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), 3), "RGN");
    // One rectangle: the mask's black block.
    EXPECT_EQ(p[7 + 8], 1);
    const int left = p[7 + 32], top = p[7 + 36], right = p[7 + 40], bottom = p[7 + 44];
    EXPECT_EQ(Rect(left, top, right, bottom), Rect(10, 10, 190, 140));
}
