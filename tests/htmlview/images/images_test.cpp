// Images in text: attribute limits, every sizing rule with exact sizes,
// placeholders, borders inside links, drawing and hit tests, and sharing of
// cache entries while GIFs animate on their own.
#include <gtest/gtest.h>

#include "gui/windows/ExtCtrls.h"
#include "gui/base/Resources.h"
#include "gui/windows/TestKit.h"
#include "htmlview/GifImage.h"
#include "htmlview/common/DocKit.h"
#include "htmlview/common/GifWriter.h"

using namespace dockit;

namespace {

class Images : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override {
        ReleaseViewerCursors();
        DoneApplication();
    }
};

std::shared_ptr<TAttributeList> Attrs(std::initializer_list<std::tuple<std::uint8_t, int, std::string>> list) {
    auto a = std::make_shared<TAttributeList>();
    for (const auto& [sym, value, text] : list) a->AddAttribute(sym, value, text);
    return a;
}

const TImageSymbols& Sy = DefaultImageSymbols;

// Lays out one section holding the images described, at width 400.
struct OneLine {
    Page page;
    Pictures pics;
    TSection* section = nullptr;
    explicit OneLine(const std::vector<std::shared_ptr<TAttributeList>>& images, const TUrlTarget* link = nullptr) {
        pics.Add("n.bmp", 30, 20, clLime);
        pics.Attach(page.doc);
        auto s = page.Section(TSection::Left, 0, link);
        int pos = 0;
        for (const auto& a : images) s->AddImage(*a, pos++);
        section = page.Add(std::move(s));
        page.LayOut(400);
    }
    TImageObj* Img(int i) { return section->Images->Image(i); }
};

std::vector<std::uint8_t> TwoFrameGif() {
    testgif::Gif g;
    g.width = 4;
    g.height = 4;
    g.globalTable = {{255, 0, 0}, {0, 0, 255}};
    g.loopCount = 0;
    for (int f = 0; f < 3; ++f) {
        testgif::Frame fr;
        fr.width = 4;
        fr.height = 4;
        fr.gce = true;
        fr.delay = 5;
        fr.pixels.assign(16, static_cast<std::uint8_t>(f % 2));
        g.frames.push_back(fr);
    }
    return g.Encode();
}

}  // namespace

TEST_F(Images, AttributesAreReadWithTheirLimits) {
    TSectionList doc;
    TImageObj a(&doc, &doc, 0,
                *Attrs({{Sy.Src, 0, " pic.gif "}, {Sy.Align, 0, "absmiddle"}, {Sy.HSpace, -60, "-60"},
                       {Sy.VSpace, 7, "7"}, {Sy.Height, 0, "0"}, {Sy.Width, 150, "150%"},
                       {Sy.UseMap, 0, "#nav"}, {Sy.Border, 0, "0"}, {Sy.Transp, 0, ""}}));
    EXPECT_EQ(a.Source, "pic.gif");
    EXPECT_EQ(a.ObjAlign, TFloatingObj::AMiddle);
    EXPECT_EQ(a.HSpace, 40);
    EXPECT_EQ(a.VSpace, 7);
    EXPECT_EQ(a.SpecHeight, 1);
    EXPECT_EQ(a.SpecWidth, 0);
    EXPECT_FALSE(a.Percent);
    EXPECT_TRUE(a.UseMap);
    EXPECT_EQ(a.MapName, "NAV");
    EXPECT_TRUE(a.NoBorder);
    EXPECT_EQ(a.Transparent, 1);
    TImageObj f(&doc, &doc, 0, *Attrs({{Sy.Align, 0, "Right"}}));
    EXPECT_EQ(f.ObjAlign, TFloatingObj::ARight);
    EXPECT_EQ(f.HSpace, 5);  // floats keep a little room by default
    TImageObj g(&doc, &doc, 0, *Attrs({{Sy.Align, 0, "bogus"}, {Sy.UseMap, 0, "#"}}));
    EXPECT_EQ(g.ObjAlign, TFloatingObj::ABottom);
    EXPECT_EQ(g.HSpace, 0);
    EXPECT_EQ(g.MapName, "#");
}

TEST_F(Images, EverySizingRuleGivesExactPixels) {
    OneLine l({Attrs({{Sy.Src, 0, "n.bmp"}}),                                       // natural
               Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Width, 60, "60"}}),                  // width only
               Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Height, 10, "10"}}),                 // height only
               Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Width, 7, "7"}, {Sy.Height, 9, "9"}}),  // both
               Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Width, 50, "50%"}}),                 // percentage
               Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Width, 150, "150%"}}),               // ignored
               Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Height, 0, "0"}}),                   // counts as 1
               Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Width, 25, "25%"}, {Sy.Height, 5, "5"}})});
    const std::pair<int, int> expected[] = {{30, 20}, {60, 40}, {15, 10}, {7, 9}, {200, 20}, {30, 20}, {2, 1}, {100, 5}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(l.Img(i)->ImageWidth, expected[i].first) << i;
        EXPECT_EQ(l.Img(i)->ImageHeight, expected[i].second) << i;
    }
    // A percentage follows the width of every layout; the others are kept.
    l.page.LayOut(200);
    EXPECT_EQ(l.Img(4)->ImageWidth, 100);
    EXPECT_EQ(l.Img(1)->ImageWidth, 60);
}

TEST_F(Images, ALinkDrawsABorderUnlessBorderIsZero) {
    TUrlTarget link("a.htm", "");
    OneLine l({Attrs({{Sy.Src, 0, "n.bmp"}}), Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Border, 0, "0"}})}, &link);
    EXPECT_EQ(l.Img(0)->ImageWidth, 32);
    EXPECT_EQ(l.Img(0)->ImageHeight, 22);
    EXPECT_TRUE(l.Img(0)->HasBorder);
    EXPECT_EQ(l.Img(1)->ImageWidth, 30);
    EXPECT_FALSE(l.Img(1)->HasBorder);
}

TEST_F(Images, MissingPicturesBecomeTheErrorImageInAPlaceholderBox) {
    OneLine l({Attrs({{Sy.Src, 0, "gone.bmp"}}), Attrs({{Sy.Src, 0, "gone.bmp"}, {Sy.Alt, 0, "A lost picture"}}),
               Attrs({{Sy.Src, 0, "gone.bmp"}, {Sy.Width, 10, "10"}, {Sy.Height, 12, "12"}})});
    TBitmap* err = ErrorBitmap();
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(l.Img(0)->Image, err);
    EXPECT_EQ(l.Img(0)->Mask, ErrorBitmapMask());
    EXPECT_EQ(l.Img(0)->ImageWidth, err->Width());
    EXPECT_EQ(l.Img(0)->ImageHeight, std::max(err->Height(), 24));
    TFont arial;
    arial.SetName("Arial");
    arial.SetSize(8);
    EXPECT_EQ(l.Img(1)->ImageWidth, std::max(err->Width(), l.page.Width("A lost picture", &arial) + 26));
    EXPECT_EQ(l.Img(2)->ImageWidth, 10);
    EXPECT_EQ(l.Img(2)->ImageHeight, 12);
    // A box under 24 pixels shows only its frame, not the icon.
    l.page.Paint(400);
    TImageObj* small = l.Img(2);
    const TColor inside = ColorToRGB(l.page.Canvas()->Pixels(small->DrawX + 5, small->DrawY + 5));
    EXPECT_EQ(inside, TColor(clWhite));
}

TEST_F(Images, HiddenImagesSizeAsThePendingPicture) {
    Page p;
    Pictures pics;
    pics.Add("n.bmp", 30, 20);
    pics.Attach(p.doc);
    p.doc.ShowImages = false;
    auto s = p.Section();
    s->AddImage(*Attrs({{Sy.Src, 0, "n.bmp"}}), 0);
    auto* sec = p.Add(std::move(s));
    p.LayOut(300);
    EXPECT_EQ(pics.requests["n.bmp"], 0);
    EXPECT_EQ(sec->Images->Image(0)->ImageWidth, DefBitmap()->Width());
    EXPECT_EQ(sec->Images->Image(0)->ImageHeight, std::max(DefBitmap()->Height(), 24));
}

TEST_F(Images, DrawsThePictureWhereTheHitTestFindsIt) {
    TUrlTarget link("map.htm", "");
    OneLine l({Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.IsMap, 0, ""}})}, &link);
    l.page.doc.RefreshFonts();  // links take the link colour
    l.page.LayOut(400);
    l.page.Paint(400);
    TImageObj* img = l.Img(0);
    EXPECT_EQ(ColorToRGB(l.page.Canvas()->Pixels(img->DrawX + 3, img->DrawY + 3)), TColor(clLime));
    EXPECT_EQ(ColorToRGB(l.page.Canvas()->Pixels(img->DrawX - 1, img->DrawY + 3)), ColorToRGB(l.page.doc.HotSpotColor));
    const auto [found, xi, yi] = l.page.doc.ImageAt(img->DrawX + 4, img->DrawY + 6);
    ASSERT_TRUE(found);
    EXPECT_EQ(found, img);
    EXPECT_EQ(xi, 4);
    EXPECT_EQ(yi, 6);
    EXPECT_FALSE(l.page.doc.ImageAt(img->DrawX + 30, img->DrawY).Image);
    TObject* control = nullptr;
    auto url = l.page.doc.LinkAt(l.page.Canvas(), img->DrawX + 4, img->DrawY + 6, control);
    ASSERT_NE(url, nullptr);
    EXPECT_EQ(url->Url, "map.htm?4,6");
    EXPECT_EQ(l.page.doc.ActiveImage, img);
}

TEST_F(Images, OneSourceSharesOneCacheEntry) {
    OneLine l({Attrs({{Sy.Src, 0, "n.bmp"}}), Attrs({{Sy.Src, 0, "N.BMP "}})});
    EXPECT_EQ(l.pics.requests["n.bmp"], 1);
    EXPECT_EQ(l.Img(0)->Image, l.Img(1)->Image);
    TStringBitmapList* cache = BitmapList();
    const int i = cache->IndexOf("N.BMP");
    ASSERT_GE(i, 0);
    EXPECT_EQ(cache->Item(i)->UsageCount, 2);
    // Dropping the page gives the entry back.
    l.page.doc.Clear();
    EXPECT_EQ(cache->Item(cache->IndexOf("N.BMP"))->UsageCount, 0);
}

TEST_F(Images, AnAnimatedGifUsedTwiceAnimatesOnItsOwn) {
    Page p;
    Pictures pics;
    pics.AddBytes("spin.gif", TwoFrameGif());
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AddImage(*Attrs({{Sy.Src, 0, "spin.gif"}}), 0);
    s->AddImage(*Attrs({{Sy.Src, 0, "spin.gif"}}), 1);
    auto* sec = p.Add(std::move(s));
    p.LayOut(300);
    TGIFImage* a = sec->Images->Image(0)->Gif();
    TGIFImage* b = sec->Images->Image(1)->Gif();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(pics.requests["spin.gif"], 1);
    EXPECT_EQ(p.doc.AnimatedImages().size(), 2u);
    ASSERT_NE(p.doc.AnimationTimer(), nullptr);
    EXPECT_TRUE(p.doc.AnimationTimer()->Enabled());
    EXPECT_EQ(p.doc.AnimationTimer()->Interval(), 50u);
    EXPECT_EQ(sec->Images->Image(0)->ImageWidth, 4);
    a->SetCurrentFrame(2);
    EXPECT_EQ(b->CurrentFrame(), 1);
}

TEST_F(Images, AnAnimatedGifIsDrawnOnEveryPaint) {
    // The document clears every GIF's painted mark before a paint; the
    // picture must still be drawn, the first time and the next.
    Page p;
    Pictures pics;
    pics.AddBytes("spin.gif", TwoFrameGif());
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AddImage(*Attrs({{Sy.Src, 0, "spin.gif"}}), 0);
    auto* sec = p.Add(std::move(s));
    p.LayOut(300);
    for (int paint = 0; paint < 2; ++paint) {
        p.Paint(300);
        TImageObj* img = sec->Images->Image(0);
        EXPECT_EQ(ColorToRGB(p.Canvas()->Pixels(img->DrawX + 1, img->DrawY + 1)), TColor(0x0000FF)) << paint;
    }
}

TEST_F(Images, AnActiveGifAnimatesOnlyUnderTheMouse) {
    Page p;
    Pictures pics;
    pics.AddBytes("spin.gif", TwoFrameGif());
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AddImage(*Attrs({{Sy.Src, 0, "spin.gif"}, {Sy.Active, 0, ""}}), 0);
    auto* sec = p.Add(std::move(s));
    p.LayOut(300);
    TImageObj* img = sec->Images->Image(0);
    ASSERT_NE(img->Gif(), nullptr);
    EXPECT_TRUE(p.doc.AnimatedImages().empty());
    img->SetHover(true);
    EXPECT_TRUE(img->Gif()->Animating());
    EXPECT_EQ(p.doc.AnimatedImages().size(), 1u);
    img->SetHover(false);
    EXPECT_FALSE(img->Gif()->Animating());
    EXPECT_EQ(img->Gif()->CurrentFrame(), 1);
    EXPECT_TRUE(p.doc.AnimatedImages().empty());
}

TEST_F(Images, MiddleAndTopAlignedImagesMakeRoomAroundTheText) {
    OneLine l({Attrs({{Sy.Src, 0, "n.bmp"}, {Sy.Align, 0, "top"}})});
    const LineRec& line = l.section->Lines()[0];
    EXPECT_EQ(line.LineHt, 0);  // images only
    EXPECT_EQ(line.SpaceAfter, 20);
    EXPECT_EQ(l.section->SectionHeight, 20);
}

TEST_F(Images, TheStockPicturesAndCursorsAreTheEmbeddedOnes) {
    auto context = THtmlContext::Acquire();
    for (const char* id : {"1001", "1002", "1005"}) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(FindResource(id, RT_BITMAP, bytes)) << id;
        TBitmap embedded;
        embedded.LoadFromBytes(bytes.data(), bytes.size());
        TBitmap* stock = std::string(id) == "1001" ? ErrorBitmap() : std::string(id) == "1002" ? DefBitmap() : ErrorBitmapMask();
        ASSERT_EQ(stock->Width(), embedded.Width()) << id;
        ASSERT_EQ(stock->Height(), embedded.Height()) << id;
        for (int y = 0; y < embedded.Height(); ++y)
            for (int x = 0; x < embedded.Width(); ++x)
                ASSERT_EQ(ColorToRGB(stock->Canvas()->Pixels(x, y)), ColorToRGB(embedded.Canvas()->Pixels(x, y)))
                    << id << " " << x << "," << y;
    }
    // The error mask lets the page show around the icon.
    bool white = false, black = false;
    for (int y = 0; y < ErrorBitmapMask()->Height(); ++y)
        for (int x = 0; x < ErrorBitmapMask()->Width(); ++x) {
            const TColor c = ColorToRGB(ErrorBitmapMask()->Canvas()->Pixels(x, y));
            white |= c == clWhite;
            black |= c == clBlack;
        }
    EXPECT_TRUE(white && black);
    for (const char* name : {"1003", "1006", "UPDOWNCURSOR", "UPONLYCURSOR", "DOWNONLYCURSOR"}) {
        std::vector<std::uint8_t> bytes;
        EXPECT_TRUE(FindResource(name, RT_CURSOR, bytes)) << name;
        EXPECT_FALSE(bytes.empty()) << name;
    }
    for (int i = 1; i <= 5; ++i) EXPECT_NE(Screen->Cursors.Find(i), nullptr) << i;
}

TEST_F(Images, TheAnimationTimerStepsOnlyPaintedGifs) {
    testkit::Session session;
    Page p;
    Pictures pics;
    pics.AddBytes("spin.gif", TwoFrameGif());
    pics.Attach(p.doc);
    auto s = p.Section();
    s->AddImage(*Attrs({{Sy.Src, 0, "spin.gif"}}), 0);
    auto* sec = p.Add(std::move(s));
    p.LayOut(300);
    TGIFImage* gif = sec->Images->Image(0)->Gif();
    ASSERT_NE(gif, nullptr);
    std::uint32_t now = 0;
    gif->SetClock([&now] { return now; });
    auto advance = [&now](int ms) {
        for (int t = 0; t < ms; t += 50) {
            now += 50;
            testkit::AdvanceTime(50);
        }
    };
    // Scrolled out of sight: not painted, so it stays still.
    p.doc.SetYOffset(1000);
    p.Paint(300);
    advance(400);
    EXPECT_EQ(gif->CurrentFrame(), 1);
    p.doc.SetYOffset(0);
    p.Paint(300);
    EXPECT_TRUE(gif->Shown());
    for (int i = 0; i < 10 && gif->CurrentFrame() == 1; ++i) advance(100);
    EXPECT_NE(gif->CurrentFrame(), 1);
}
