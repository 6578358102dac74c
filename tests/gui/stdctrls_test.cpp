#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gui/windows/ComCtrls.h"
#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/StdCtrls.h"
#include "gui/windows/TestKit.h"

using namespace gui;
namespace tk = gui::testkit;

namespace {
std::unique_ptr<TForm> MakeForm(TColor color = RGB(21, 22, 5)) {
    auto f = std::make_unique<TForm>(nullptr);
    f->SetBorderStyle(bsNone);
    f->SetBounds(50, 50, 200, 150);
    f->SetColor(color);
    return f;
}

// Leftmost column of the control's picture holding a pixel of `c`, or -1.
int FirstColumnWith(TControl* ctl, TColor c) {
    auto bmp = tk::Render(ctl);
    for (int x = 0; x < ctl->Width(); ++x)
        for (int y = 0; y < ctl->Height(); ++y)
            if (bmp->Canvas()->Pixels(x, y) == c) return x;
    return -1;
}
}  // namespace

TEST(StdCtrlsLabel, AutoSizeFollowsTheCaptionUnlessTurnedOff) {
    tk::Session s;
    auto f = MakeForm();
    auto* l = new TLabel(f.get());
    l->SetParent(f.get());
    EXPECT_TRUE(l->AutoSize());
    l->SetCaption("Info");
    int shortW = l->Width();
    EXPECT_GT(shortW, 0);
    EXPECT_GT(l->Height(), 0);
    l->SetCaption("Information page");
    EXPECT_GT(l->Width(), shortW);
    l->SetCaption("");
    EXPECT_GT(l->Height(), 0);  // an empty caption keeps a line's height

    l->SetAutoSize(false);
    l->SetBounds(20, 388, 25, 13);
    l->SetCaption("A much longer caption");
    EXPECT_EQ(l->Width(), 25);
    EXPECT_EQ(l->Height(), 13);
}

TEST(StdCtrlsLabel, TransparencyAlignmentAndLayoutShowInThePixels) {
    tk::Session s;
    auto f = MakeForm();
    auto* l = new TLabel(f.get());
    l->SetParent(f.get());
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 120, 40);
    l->Font()->SetColor(clWhite);
    l->SetColor(clNavy);
    l->SetCaption("Exit");
    const TColor white = RGB(255, 255, 255);
    EXPECT_EQ(tk::PixelAt(l, 0, 0), RGB(0, 0, 128));  // opaque: its own colour
    int left = FirstColumnWith(l, white);
    ASSERT_GE(left, 0);
    EXPECT_LT(left, 5);

    l->SetAlignment(taCenter);
    int centred = FirstColumnWith(l, white);
    EXPECT_GT(centred, 30);
    l->SetAlignment(taRightJustify);
    EXPECT_GT(FirstColumnWith(l, white), centred);

    l->SetTransparent(true);
    EXPECT_FALSE(l->ControlStyle().Contains(csOpaque));
    EXPECT_EQ(tk::PixelAt(l, 0, 0), RGB(21, 22, 5));  // the form shows through

    // Layout: the text row moves down with tlCenter and tlBottom.
    auto firstRow = [&]() {
        auto bmp = tk::Render(l);
        for (int y = 0; y < l->Height(); ++y)
            for (int x = 0; x < l->Width(); ++x)
                if (bmp->Canvas()->Pixels(x, y) == white) return y;
        return -1;
    };
    int top = firstRow();
    l->SetLayout(tlCenter);
    int mid = firstRow();
    l->SetLayout(tlBottom);
    int bottom = firstRow();
    EXPECT_LT(top, mid);
    EXPECT_LT(mid, bottom);
}

TEST(StdCtrlsLabel, ClicksAndMouseMovesReachTheLabel) {
    tk::Session s;
    auto f = MakeForm();
    f->Show();
    auto* l = new TLabel(f.get());
    l->SetParent(f.get());
    l->SetAutoSize(false);
    l->SetBounds(20, 20, 40, 13);
    int clicks = 0, moves = 0;
    l->OnClick = [&](TObject*) { ++clicks; };
    l->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    tk::MouseMove(f.get(), 25, 25);
    tk::Click(f.get(), 25, 25);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(moves, 1);
}

TEST(StdCtrlsImage, MissingFileAutoSizeAndStretch) {
    tk::Session s;
    auto f = MakeForm();
    auto* img = new TImage(f.get());
    img->SetParent(f.get());
    img->SetBounds(4, 4, 50, 40);
    try {
        img->Picture()->LoadFromFile("no-such-cover.jpg");
        FAIL() << "no error";
    } catch (Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot open file no-such-cover.jpg");
    }

    TBitmap bmp;
    bmp.SetSize(20, 10);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 20, 10));
    img->Picture()->SetGraphic(&bmp);
    EXPECT_EQ(tk::PixelAt(img, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(tk::PixelAt(img, 30, 30), RGB(21, 22, 5));  // not stretched: the form shows
    img->SetStretch(true);
    EXPECT_EQ(tk::PixelAt(img, 30, 30), RGB(255, 0, 0));
    EXPECT_TRUE(img->ControlStyle().Contains(csOpaque));
    img->SetAutoSize(true);
    EXPECT_EQ(img->Width(), 20);
    EXPECT_EQ(img->Height(), 10);
}

TEST(StdCtrlsListBox, ItemsShowAtOnceAndSelectionFollowsInput) {
    tk::Session s;
    auto f = MakeForm(clBtnFace);
    f->Show();
    auto* lb = new TListBox(f.get());
    lb->SetParent(f.get());
    lb->SetBounds(8, 32, 120, 60);
    lb->Font()->SetName("Terminal");
    lb->Font()->SetHeight(-11);
    lb->SetItemHeight(8);
    EXPECT_EQ(lb->ItemHeight(), 8);
    EXPECT_EQ(lb->Color(), clWindow);  // its own colour, not the form's
    for (int i = 0; i < 20; ++i) lb->Items()->Add("sample " + std::to_string(i));
    EXPECT_EQ(lb->Items()->Count(), 20);
    // Added lines are painted without waiting for the event loop.
    auto inkInFirstRow = [&]() {
        for (int y = 2; y < 10; ++y)
            for (int x = 2; x < 60; ++x)
                if (tk::BackBufferPixel(lb, x, y) != ColorToRGB(clWindow)) return true;
        return false;
    };
    EXPECT_TRUE(inkInFirstRow());

    int clicks = 0;
    lb->OnClick = [&](TObject*) { ++clicks; };
    tk::Click(lb, 20, lb->ItemRect(3).Top + 2);
    EXPECT_EQ(lb->ItemIndex(), 3);
    EXPECT_TRUE(lb->Selected(3));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(lb->Focused());
    tk::KeyDown(VK_DOWN);
    EXPECT_EQ(lb->ItemIndex(), 4);
    tk::KeyDown(VK_END);
    EXPECT_EQ(lb->ItemIndex(), 19);
    EXPECT_GT(lb->TopIndex(), 0);  // scrolled to keep it in view

    lb->Items()->Clear();
    EXPECT_EQ(lb->ItemIndex(), -1);
    EXPECT_EQ(lb->TopIndex(), 0);
    EXPECT_FALSE(inkInFirstRow());
}

// The Mod Info lists: a small item height must not cut the font's glyphs,
// since a standard list takes its rows from the font.
TEST(StdCtrlsListBox, StandardRowsFitTheFontAndOwnerDrawnRowsTheItemHeight) {
    tk::Session s;
    auto f = MakeForm(clBtnFace);
    auto* lb = new TListBox(f.get());
    lb->SetParent(f.get());
    lb->SetBounds(8, 8, 120, 100);
    lb->Font()->SetName("Terminal");
    lb->Font()->SetHeight(-11);
    lb->SetItemHeight(8);
    for (const char* line : {"by Orvek", "by Orvek", "by Orvek"}) lb->Items()->Add(line);
    const int text = MeasureText(lb->Font(), "by Orvek", 0, DT_SINGLELINE).cy;
    ASSERT_GE(text, 11);
    EXPECT_EQ(lb->ItemRect(1).Top - lb->ItemRect(0).Top, text);
    EXPECT_EQ(lb->ItemAtPos(Point(20, lb->ItemRect(2).Top + text - 1), true), 2);
    // The lowest ink of a row (the descenders) lies inside that row, and the
    // row below does not paint over it: every row shows the same pixels.
    auto pic = tk::Render(lb);
    auto rowInk = [&](int i) {
        std::vector<TColor> px;
        TRect r = lb->ItemRect(i);
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) px.push_back(pic->Canvas()->Pixels(x, y));
        return px;
    };
    int lowest = -1;
    TRect r0 = lb->ItemRect(0);
    for (int y = r0.Top; y < r0.Bottom; ++y)
        for (int x = r0.Left; x < r0.Right; ++x)
            if (pic->Canvas()->Pixels(x, y) != ColorToRGB(clWindow)) lowest = y;
    EXPECT_GE(lowest, r0.Top + 8);  // descenders below the old 8-pixel row
    EXPECT_EQ(rowInk(0), rowInk(1));
    EXPECT_EQ(rowInk(1), rowInk(2));

    lb->SetStyle(lbOwnerDrawFixed);
    EXPECT_EQ(lb->ItemRect(1).Top - lb->ItemRect(0).Top, 8);
}

TEST(StdCtrlsTimer, FiresEveryIntervalWhileEnabledAndReportsErrors) {
    tk::Session s;
    TComponent owner(nullptr);
    auto* t = new TTimer(&owner);
    int ticks = 0;
    t->SetOnTimer([&](TObject*) {
        ++ticks;
        if (ticks == 3) throw Exception("tick failed");
    });
    EXPECT_TRUE(tk::TimerRunning(t));
    tk::AdvanceTime(999);
    EXPECT_EQ(ticks, 0);
    tk::AdvanceTime(2001);
    EXPECT_EQ(ticks, 3);  // 1000, 2000, 3000
    EXPECT_EQ(s.Texts(), std::vector<String>{"tick failed"});
    t->SetInterval(30);
    tk::AdvanceTime(90);
    EXPECT_EQ(ticks, 6);
    t->SetEnabled(false);
    EXPECT_FALSE(tk::TimerRunning(t));
    tk::AdvanceTime(1000);
    EXPECT_EQ(ticks, 6);
    t->SetEnabled(true);
    EXPECT_TRUE(tk::FireTimer(t));
    EXPECT_EQ(ticks, 7);

    // A resting timer keeps its settings but does not tick; a tick may rest
    // its own timer, and waking starts a fresh interval.
    t->SetOnTimer([&](TObject* sender) {
        ++ticks;
        static_cast<TTimer*>(sender)->SetResting(true);
    });
    tk::AdvanceTime(30);
    EXPECT_EQ(ticks, 8);
    EXPECT_TRUE(t->Resting());
    EXPECT_TRUE(t->Enabled());
    EXPECT_FALSE(tk::TimerRunning(t));
    tk::AdvanceTime(300);
    EXPECT_EQ(ticks, 8);
    t->SetEnabled(false);
    t->SetResting(false);
    EXPECT_FALSE(tk::TimerRunning(t)) << "waking a disabled timer does not start it";
    t->SetEnabled(true);
    tk::AdvanceTime(29);
    EXPECT_EQ(ticks, 8);
    tk::AdvanceTime(1);
    EXPECT_EQ(ticks, 9);
}

TEST(StdCtrlsPages, ActivePageIsTheOnlyVisibleOneAndTabsSwitch) {
    tk::Session s;
    auto f = MakeForm(clBtnFace);
    f->Show();
    auto* pc = new TPageControl(f.get());
    pc->SetParent(f.get());
    pc->SetBounds(8, 12, 180, 120);
    TTabSheet* sheets[3];
    const char* names[] = {"General", "Samples / Instruments", "Comment"};
    for (int i = 0; i < 3; ++i) {
        sheets[i] = new TTabSheet(f.get());
        sheets[i]->SetPageControl(pc);
        sheets[i]->SetCaption(names[i]);
    }
    EXPECT_EQ(pc->PageCount(), 3);
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_TRUE(sheets[0]->Visible());
    EXPECT_FALSE(sheets[1]->Visible());
    EXPECT_GT(sheets[0]->Top(), 0);  // below the tabs

    int changes = 0;
    pc->OnChange = [&](TObject*) { ++changes; };
    TRect tab = pc->TabRect(2);
    tk::Click(pc, tab.Left + 3, tab.Top + 3);
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    EXPECT_FALSE(sheets[0]->Visible());
    EXPECT_EQ(changes, 1);
    pc->SetActivePage(sheets[1]);
    EXPECT_EQ(pc->ActivePageIndex(), 1);
    delete sheets[1];
    EXPECT_EQ(pc->PageCount(), 2);
    EXPECT_NE(pc->ActivePage(), nullptr);
}

// The sheet sits inside the body's 3-D frame; the frame's top edge shows
// beside the tabs and opens under the active tab, which joins its page.
TEST(StdCtrlsPages, SheetSitsInsideTheFrameAndTheActiveTabJoinsIt) {
    tk::Session s;
    auto f = MakeForm(clBtnFace);
    f->Show();
    auto* pc = new TPageControl(f.get());
    pc->SetParent(f.get());
    pc->SetBounds(8, 12, 180, 120);
    auto* sheet = new TTabSheet(f.get());
    sheet->SetPageControl(pc);
    sheet->SetCaption("General");
    const int body = pc->TabHeight() + 2;  // the frame's top row
    EXPECT_EQ(sheet->BoundsRect(), Rect(2, body + 2, 178, 118));
    const TRect tab = pc->TabRect(0);
    const int beside = tab.Right + 20, under = (tab.Left + tab.Right) / 2;
    EXPECT_EQ(tk::PixelAt(pc, beside, body), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(tk::PixelAt(pc, beside, body + 1), ColorToRGB(cl3DLight));
    EXPECT_EQ(tk::PixelAt(pc, 0, 60), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(tk::PixelAt(pc, 179, 60), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(tk::PixelAt(pc, under, body), ColorToRGB(clBtnFace));
    EXPECT_EQ(tk::PixelAt(pc, under, body + 1), ColorToRGB(clBtnFace));
}

TEST(StdCtrlsScrollBar, ScrollInfoAndScrollMessagesMoveThePosition) {
    tk::Session s;
    auto f = MakeForm();
    auto* sb = new TScrollBar(f.get());
    sb->SetParent(f.get());
    sb->SetKind(sbVertical);
    sb->SetSmallChange(16);
    sb->SetLargeChange(100);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 1000;
    si.nPage = 201;
    si.nPos = 990;
    SetScrollInfo(sb->Handle(), SB_CTL, &si, true);
    EXPECT_EQ(sb->Position(), 800);  // limited to max - page + 1
    int changes = 0;
    sb->OnChange = [&](TObject*) { ++changes; };
    SendMessage(sb->Handle(), WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(sb->Position(), 784);
    SendMessage(sb->Handle(), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(sb->Position(), 0);
    SendMessage(sb->Handle(), WM_VSCROLL, SB_THUMBTRACK | (300 << 16), 0);
    EXPECT_EQ(sb->Position(), 300);
    EXPECT_EQ(changes, 3);
    SCROLLINFO out;
    out.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(sb->Handle(), SB_CTL, &out));
    EXPECT_EQ(out.nMax, 1000);
    EXPECT_EQ(out.nPage, 201u);
    EXPECT_EQ(out.nPos, 300);
    EXPECT_EQ(SetScrollInfo(f->Handle(), SB_CTL, &si, true), 0);  // not a scroll bar
}

TEST(StdCtrlsForms, EditCheckRadioComboAndButton) {
    tk::Session s;
    auto f = MakeForm(clBtnFace);
    f->Show();
    auto* e = new TEdit(f.get());
    e->SetParent(f.get());
    int changes = 0;
    e->OnChange = [&](TObject*) { ++changes; };
    e->SetText("hello");
    EXPECT_EQ(e->Text(), "hello");
    EXPECT_EQ(changes, 1);
    Word key = 0;
    e->OnKeyDown = [&](TObject*, Word& k, TShiftState) { key = k; };
    e->SetFocus();
    tk::KeyDown(VK_RETURN);
    EXPECT_EQ(key, VK_RETURN);

    auto* r1 = new TRadioButton(f.get());
    auto* r2 = new TRadioButton(f.get());
    r1->SetParent(f.get());
    r2->SetParent(f.get());
    r1->SetChecked(true);
    r2->SetChecked(true);
    EXPECT_FALSE(r1->Checked());
    EXPECT_TRUE(r2->Checked());

    auto* c = new TCheckBox(f.get());
    c->SetParent(f.get());
    int cclicks = 0;
    c->OnClick = [&](TObject*) { ++cclicks; };
    c->SetChecked(true);
    c->SetChecked(true);
    EXPECT_TRUE(c->Checked());
    EXPECT_EQ(cclicks, 1);

    auto* cb = new TComboBox(f.get());
    cb->SetParent(f.get());
    cb->SetStyle(csDropDownList);
    cb->Items()->Add("one");
    cb->Items()->Add("two");
    cb->SetItemIndex(1);
    EXPECT_EQ(cb->Text(), "two");
    cb->SetItemIndex(5);
    EXPECT_EQ(cb->ItemIndex(), -1);

    auto* b = new TButton(f.get());
    b->SetParent(f.get());
    b->SetModalResult(mrOk);
    int bclicks = 0;
    b->OnClick = [&](TObject*) { ++bclicks; };
    b->Click();
    EXPECT_EQ(bclicks, 1);
    EXPECT_EQ(f->ModalResult(), mrOk);

    auto* m = new TMemo(f.get());
    m->SetParent(f.get());
    m->Lines()->Add("line 1");
    m->Lines()->Add("line 2");
    EXPECT_EQ(m->Text(), "line 1\r\nline 2");
}

TEST(StdCtrlsPanel, BevelsShrinkTheAreaForAlignedChildren) {
    tk::Session s;
    auto f = MakeForm();
    auto* p = new TPanel(f.get());
    p->SetParent(f.get());
    p->SetBounds(0, 0, 100, 73);
    p->SetBevelInner(bvRaised);
    p->SetBevelOuter(bvLowered);
    p->SetColor(clBlack);
    auto* child = new TPanel(f.get());
    child->SetParent(p);
    child->SetBevelOuter(bvNone);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), Rect(2, 2, 98, 71));
    EXPECT_EQ(tk::PixelAt(p, 0, 0), ColorToRGB(clBtnShadow));  // lowered outer bevel
    p->SetBorderWidth(3);
    EXPECT_EQ(child->BoundsRect(), Rect(5, 5, 95, 68));
}

TEST(StdCtrlsLabel, WordWrapGrowsTheHeightAtAFixedWidth) {
    tk::Session s;
    auto f = MakeForm();
    auto* l = new TLabel(f.get());
    l->SetParent(f.get());
    l->SetCaption("one two three four five six seven eight nine ten");
    int oneLine = l->Height();
    l->SetWidth(60);
    EXPECT_GT(l->Width(), 60);  // without word wrap the caption decides the width
    l->SetWordWrap(true);
    l->SetWidth(60);
    EXPECT_EQ(l->Width(), 60);
    EXPECT_GT(l->Height(), 2 * oneLine);
}

TEST(StdCtrlsShapes, ShapeAndPaintBoxDrawWithTheirTools) {
    tk::Session s;
    auto f = MakeForm(clWhite);
    auto* sh = new TShape(f.get());
    sh->SetParent(f.get());
    sh->SetBounds(10, 10, 40, 20);
    sh->Brush()->SetColor(clLime);
    sh->Pen()->SetColor(clRed);
    EXPECT_EQ(tk::PixelAt(sh, 0, 0), RGB(255, 0, 0));     // outline
    EXPECT_EQ(tk::PixelAt(sh, 20, 10), RGB(0, 255, 0));   // fill
    sh->SetShape(stCircle);
    EXPECT_EQ(tk::PixelAt(sh, 0, 0), RGB(255, 255, 255));  // outside the circle: the form

    auto* pb = new TPaintBox(f.get());
    pb->SetParent(f.get());
    pb->SetBounds(100, 10, 20, 20);
    pb->OnPaint = [pb](TObject*) {
        pb->Canvas()->Brush()->SetColor(clNavy);
        pb->Canvas()->FillRect(Rect(0, 0, 20, 20));
    };
    pb->Invalidate();
    EXPECT_EQ(tk::PixelAt(pb, 5, 5), RGB(0, 0, 128));
}

TEST(StdCtrlsImage, CentredPictureLeavesTheBordersToTheParent) {
    tk::Session s;
    auto f = MakeForm();
    auto* img = new TImage(f.get());
    img->SetParent(f.get());
    img->SetBounds(0, 0, 40, 40);
    TBitmap bmp;
    bmp.SetSize(10, 10);
    bmp.Canvas()->Brush()->SetColor(clYellow);
    bmp.Canvas()->FillRect(Rect(0, 0, 10, 10));
    img->Picture()->SetGraphic(&bmp);
    img->SetCenter(true);
    EXPECT_EQ(img->DestRect(), Rect(15, 15, 25, 25));
    EXPECT_EQ(tk::PixelAt(img, 20, 20), RGB(255, 255, 0));
    EXPECT_EQ(tk::PixelAt(img, 2, 2), RGB(21, 22, 5));
    EXPECT_FALSE(img->ControlStyle().Contains(csOpaque));
}

TEST(StdCtrlsListBox, OwnerDrawnRowsComeFromOnDrawItem) {
    tk::Session s;
    auto f = MakeForm(clBtnFace);
    auto* lb = new TListBox(f.get());
    lb->SetParent(f.get());
    lb->SetBounds(0, 0, 80, 44);
    lb->SetStyle(lbOwnerDrawFixed);
    lb->SetItemHeight(10);
    std::vector<int> drawn;
    lb->OnDrawItem = [&](TWinControl* c, int index, TRect r, TOwnerDrawState) {
        drawn.push_back(index);
        auto* box = static_cast<TListBox*>(c);
        box->Canvas()->Brush()->SetColor(index % 2 ? clRed : clLime);
        box->Canvas()->FillRect(r);
    };
    for (int i = 0; i < 9; ++i) lb->Items()->Add("x");
    drawn.clear();
    lb->Items()->Add("x");  // repaints at once
    EXPECT_EQ(tk::PixelAt(lb, 20, 2 + 10 + 5), RGB(255, 0, 0));  // row 1
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn.front(), 0);
    EXPECT_LE(drawn.back(), 4);  // only the rows in view
}
