// TFont, TPen, TBrush and TCanvas over bitmaps and external surfaces.
#include <gtest/gtest.h>

#include <QImage>

#include "gui/draw/Graphics.h"
#include "gui/draw/detail/GdiInternal.h"

using namespace gui;

namespace {

std::string CanvasRow(TCanvas* c, int y, TColor ink, int x0, int x1) {
    std::string r;
    for (int x = x0; x < x1; ++x) r.push_back(c->Pixels(x, y) == ink ? '#' : '.');
    return r;
}

}  // namespace

TEST(GraphicsFont, DefaultsSizeAndChangeNotifications) {
    TFont f;
    EXPECT_EQ(f.Name(), "MS Sans Serif");
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    EXPECT_EQ(f.Color(), clWindowText);
    EXPECT_TRUE(f.Style().Empty());
    int changes = 0;
    f.OnChange = [&](TObject* s) {
        EXPECT_EQ(s, &f);
        ++changes;
    };
    f.SetSize(12);
    EXPECT_EQ(f.Height(), -16);
    EXPECT_EQ(f.Size(), 12);
    EXPECT_EQ(changes, 1);
    f.SetHeight(-16);  // equal value: no notification
    f.SetName("MS Sans Serif");
    EXPECT_EQ(changes, 1);
    f.SetStyle(TFontStyles{fsBold, fsUnderline});
    EXPECT_EQ(changes, 2);
    LOGFONTA lf;
    ASSERT_EQ(GetObjectA(f.Handle(), sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
    TFont g;
    g.Assign(&f);
    EXPECT_EQ(g.Height(), -16);
    EXPECT_TRUE(g.Style().Contains(fsBold));
}

TEST(GraphicsFont, AdoptingARotatedHandleKeepsItsEscapement) {
    TFont f;
    f.SetName("Arial");
    LOGFONTA lf;
    GetObjectA(f.Handle(), sizeof(lf), &lf);
    lf.lfEscapement = 450;
    f.SetHandle(CreateFontIndirectA(&lf));
    LOGFONTA back;
    GetObjectA(f.Handle(), sizeof(back), &back);
    EXPECT_EQ(back.lfEscapement, 450);
    TFont copy;
    copy.Assign(&f);
    GetObjectA(copy.Handle(), sizeof(back), &back);
    EXPECT_EQ(back.lfEscapement, 450);
    // A plain property change describes a new, unrotated font.
    f.SetSize(20);
    GetObjectA(f.Handle(), sizeof(back), &back);
    EXPECT_EQ(back.lfEscapement, 0);
}

TEST(GraphicsBrush, ColourMakesAClearBrushSolid) {
    TBrush b;
    b.SetStyle(bsClear);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.SetColor(clWhite);  // same colour, but the style changes
    EXPECT_EQ(b.Style(), bsSolid);
    EXPECT_EQ(changes, 1);
    b.SetColor(clWhite);
    EXPECT_EQ(changes, 1);
    TPen p;
    EXPECT_EQ(p.Color(), clBlack);
    EXPECT_EQ(p.Width(), 1);
    p.SetWidth(-3);  // refused
    EXPECT_EQ(p.Width(), 1);
}

TEST(GraphicsCanvas, ShapesWithPenAndBrush) {
    TBitmap b;
    b.SetSize(12, 12);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clYellow);
    c->FillRect(Rect(0, 0, 12, 12));
    c->Pen()->SetColor(clRed);
    c->Brush()->SetColor(clBlue);
    c->Rectangle(1, 1, 6, 6);
    EXPECT_EQ(CanvasRow(c, 1, clRed, 0, 8), ".#####..");
    EXPECT_EQ(c->Pixels(3, 3), clBlue);
    // The frame uses the brush, one pixel inside the rectangle.
    c->Brush()->SetColor(clLime);
    c->FrameRect(Rect(6, 6, 10, 10));
    EXPECT_EQ(CanvasRow(c, 9, clLime, 5, 11), ".####.");
    EXPECT_EQ(c->Pixels(7, 7), clYellow);
    // Polyline keeps its last point out.
    c->Pen()->SetColor(clBlack);
    TPoint pts[] = {{0, 11}, {11, 11}};
    c->Polyline(pts, 2);
    EXPECT_EQ(c->Pixels(10, 11), clBlack);
    EXPECT_NE(c->Pixels(11, 11), clBlack);
    c->MoveTo(0, 10);
    c->LineTo(3, 10);
    EXPECT_EQ(c->PenPos(), (TPoint{3, 10}));
    EXPECT_EQ(CanvasRow(c, 10, clBlack, 0, 5), "###..");
    // A pen mode of not inverts what lies below.
    c->Pen()->SetMode(pmNot);
    c->MoveTo(0, 0);
    c->LineTo(1, 0);
    EXPECT_EQ(c->Pixels(0, 0), clBlue);  // yellow inverted
}

TEST(GraphicsCanvas, TextOnTheCanvasUsesFontColourAndBrush) {
    TBitmap b;
    b.SetSize(80, 20);
    TCanvas* c = b.Canvas();
    c->Font()->SetName("Arial");
    c->Font()->SetColor(clRed);
    c->Brush()->SetColor(clBlue);
    TSize ext = c->TextExtent("Hi");
    EXPECT_EQ(c->TextWidth("Hi"), ext.cx);
    EXPECT_EQ(c->TextHeight("Hi"), ext.cy);
    c->TextOut(0, 0, "Hi");  // solid brush: the cell is filled
    EXPECT_EQ(c->Pixels(0, ext.cy - 1), clBlue);
    EXPECT_EQ(c->Pixels(ext.cx, 0), clWhite);
    int red = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x) red += c->Pixels(x, y) == clRed;
    EXPECT_GT(red, 5);
    // A clear brush leaves the background alone.
    c->Brush()->SetStyle(bsClear);
    c->TextOut(40, 0, "Hi");
    EXPECT_EQ(c->Pixels(40, ext.cy - 1), clWhite);
    // TextRect clips to its rectangle.
    c->Brush()->SetColor(clLime);
    c->TextRect(Rect(0, 0, 3, 20), 0, 0, "WWW");
    EXPECT_EQ(c->Pixels(2, ext.cy - 1), clLime);
    EXPECT_NE(c->Pixels(3, ext.cy - 1), clLime);
}

TEST(GraphicsCanvas, CopyRectAndBrushCopy) {
    TBitmap src;
    src.SetSize(2, 2);
    src.Canvas()->Brush()->SetColor(clFuchsia);
    src.Canvas()->FillRect(Rect(0, 0, 2, 2));
    src.Canvas()->SetPixels(1, 1, clGreen);
    TBitmap dst;
    dst.SetSize(4, 4);
    TCanvas* c = dst.Canvas();
    c->Brush()->SetColor(clSilver);
    c->FillRect(Rect(0, 0, 4, 4));
    // CopyRect stretches with the copy mode.
    c->CopyRect(Rect(0, 0, 4, 4), src.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(c->Pixels(3, 3), clGreen);
    EXPECT_EQ(c->Pixels(1, 1), clFuchsia);
    c->SetCopyMode(cmSrcInvert);
    c->CopyRect(Rect(0, 0, 4, 4), src.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(c->Pixels(3, 3), clBlack);
    c->SetCopyMode(cmSrcCopy);
    // BrushCopy: the key colour shows the brush, everything else is copied.
    c->Brush()->SetColor(clNavy);
    c->BrushCopy(Rect(0, 0, 4, 4), &src, Rect(0, 0, 2, 2), clFuchsia);
    EXPECT_EQ(c->Pixels(0, 0), clNavy);
    EXPECT_EQ(c->Pixels(2, 2), clGreen);
    // With a clear brush the key colour leaves the destination as it was.
    c->Brush()->SetColor(clSilver);
    c->FillRect(Rect(0, 0, 4, 4));
    c->Brush()->SetStyle(bsClear);
    c->BrushCopy(Rect(0, 0, 4, 4), &src, Rect(0, 0, 2, 2), clFuchsia);
    EXPECT_EQ(c->Pixels(0, 0), clSilver);
    EXPECT_EQ(c->Pixels(3, 2), clGreen);
}

TEST(GraphicsCanvas, FocusRectClipRectAndNotifications) {
    TBitmap b;
    b.SetSize(10, 10);
    TCanvas* c = b.Canvas();
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 10, 10));
    int changing = 0, changed = 0;
    c->OnChanging = [&](TObject*) { ++changing; };
    c->OnChange = [&](TObject*) { ++changed; };
    c->DrawFocusRect(Rect(1, 1, 9, 9));
    EXPECT_EQ(c->Pixels(1, 1), clBlack);
    EXPECT_EQ(c->Pixels(2, 1), clWhite);
    c->DrawFocusRect(Rect(1, 1, 9, 9));
    EXPECT_EQ(c->Pixels(1, 1), clWhite);
    EXPECT_GE(changing, 2);
    EXPECT_GE(changed, 2);
    c->Lock();
    EXPECT_EQ(c->LockCount(), 1);
    c->Unlock();
    EXPECT_EQ(c->LockCount(), 0);
}

TEST(GraphicsCanvas, DrawsOnAnExternalSurfaceThroughItsOriginAndClip) {
    // The windowing half's view: a back buffer with a control at (10, 5) whose
    // visible part is limited.
    QImage back(40, 30, QImage::Format_RGB32);
    back.fill(0xFFFFFFFF);
    HDC dc = detail::CreateDCOverImage(&back, QPoint(10, 5), QRect(10, 5, 8, 6));
    TCanvas c;
    c.SetHandle(dc);
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 8, 6));
    c.Brush()->SetColor(clRed);
    c.FillRect(Rect(-5, -5, 100, 100));
    c.SetHandle(nullptr);
    DeleteDC(dc);
    int red = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) red += back.pixel(x, y) == 0xFFFF0000u;
    EXPECT_EQ(red, 48);
    EXPECT_EQ(back.pixel(10, 5), 0xFFFF0000u);
    EXPECT_EQ(back.pixel(17, 10), 0xFFFF0000u);
    EXPECT_EQ(back.pixel(18, 10), 0xFFFFFFFFu);
}

TEST(GraphicsCanvas, CanvasWithoutASurfaceRefusesToDraw) {
    TCanvas c;
    EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}
