// The support unit's lists, indent tracker, cache life rules and name handling.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "htmlview/HtmlSupport.h"
#include "htmlview/common/GifWriter.h"

using namespace htmlview;

namespace {

int gAlive = 0;

struct Counted : gui::TObject {
    Counted() { ++gAlive; }
    ~Counted() override { --gAlive; }
};

}  // namespace

TEST(FreeList, OwnsAndFreesItsItems) {
    gAlive = 0;
    {
        TFreeList<Counted> list;
        for (int i = 0; i < 5; ++i) list.Add(std::make_unique<Counted>());
        EXPECT_EQ(gAlive, 5);
        list.Delete(1);
        EXPECT_EQ(gAlive, 4);
        EXPECT_EQ(list.Count(), 4);
        list.Clear();
        EXPECT_EQ(gAlive, 0);
        list.Add(std::make_unique<Counted>());
        list.Add(std::make_unique<Counted>());
    }
    EXPECT_EQ(gAlive, 0);
}

TEST(TokenObjTest, GrowsInStepsOfFiftyAndKeepsPositions) {
    TokenObj t;
    EXPECT_EQ(t.Capacity(), 300);
    for (int i = 0; i < 300; ++i) t.AddChar('a', 1000 + i);
    EXPECT_EQ(t.Capacity(), 300);
    t.AddChar('b', 7);
    EXPECT_EQ(t.Capacity(), 350);
    EXPECT_EQ(t.Leng(), 301);
    EXPECT_EQ(t.Position(0), 1000);
    EXPECT_EQ(t.Position(300), 7);

    TokenObj u;
    for (int i = 0; i < 100; ++i) u.AddChar('x', i);
    t.AddString(u);
    EXPECT_EQ(t.Leng(), 401);
    EXPECT_EQ(t.Capacity(), 451) << "new length plus 50";
    EXPECT_EQ(t.Position(301), 0);
    EXPECT_EQ(t.Position(400), 99);
    EXPECT_EQ(t.S.substr(299, 4), "abxx");

    t.Clear();
    EXPECT_EQ(t.Leng(), 0);
    EXPECT_EQ(t.Capacity(), 451);
    t.AddString(u);  // fits: no growth
    EXPECT_EQ(t.Capacity(), 451);
    EXPECT_EQ(t.S, std::string(100, 'x'));
}

TEST(AttributeList, FindsTheFirstOfASymbolAndOwnsEntries) {
    TAttributeList list;
    list.AddAttribute(3, 10, "a");
    list.AddAttribute(5, 20, "b");
    list.AddAttribute(3, 30, "c");
    TAttribute* t = nullptr;
    ASSERT_TRUE(list.Find(3, t));
    EXPECT_EQ(t->Value, 10);
    EXPECT_EQ(t->Name, "a");
    EXPECT_FALSE(list.Find(4, t));
    EXPECT_EQ(t, nullptr);
}

TEST(UrlTarget, AssignReplacesOnlyTheGivenParts) {
    TUrlTarget u;
    EXPECT_TRUE(u.Url.empty());
    u.Assign(String("a.htm"), String("_top"));
    u.Assign(std::nullopt, String("main"));
    EXPECT_EQ(u.Url, "a.htm");
    EXPECT_EQ(u.Target, "main");
    u.Assign(String("b.htm"), std::nullopt);
    EXPECT_EQ(u.Url, "b.htm");
    EXPECT_EQ(u.Target, "main");
    u.Clear();
    EXPECT_TRUE(u.Url.empty() && u.Target.empty());
}

TEST(Coords, SplitsAtCommasAndSpaces) {
    EXPECT_EQ(ParseCoords("1, 2  3,4"), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ParseCoords("  10,x,-5 ,, 7  "), (std::vector<int>{10, 0, -5, 7}));
    EXPECT_EQ(ParseCoords(""), std::vector<int>{});
    EXPECT_EQ(ParseCoords("99999999999"), std::vector<int>{0}) << "out of range counts as 0";
    // Only 20 characters of a number are kept.
    EXPECT_EQ(ParseCoords("000000000000000000012345,1"), (std::vector<int>{1, 1}));
    String many;
    for (int i = 0; i < 400; ++i) many += std::to_string(i) + ",";
    auto v = ParseCoords(many);
    ASSERT_EQ(v.size(), 301u);
    EXPECT_EQ(v[300], 300);
}

TEST(IndentManager, FloatsNarrowTheLineWhileTheirBandLasts) {
    IndentManagerBasic m;
    m.Reset(10, 500);
    EXPECT_EQ(m.LeftIndent(0), 10);
    EXPECT_EQ(m.RightSide(0), 500);
    m.UpdateTable(0, 100, 50, 1);   // left float, 100 wide, y 0..50
    m.UpdateTable(20, 40, 10, 1);   // another left float beside it
    m.UpdateTable(5, 60, 100, 3);   // right float
    m.UpdateTable(5, 60, 100, 2);   // other sides add nothing
    EXPECT_EQ(m.L.Count(), 2);
    EXPECT_EQ(m.R.Count(), 1);
    EXPECT_EQ(m.LeftIndent(0), 110);
    EXPECT_EQ(m.LeftIndent(25), 150);
    EXPECT_EQ(m.LeftIndent(30), 110) << "bottom excluded";
    EXPECT_EQ(m.LeftIndent(50), 10);
    EXPECT_EQ(m.RightSide(4), 500);
    EXPECT_EQ(m.RightSide(5), 440);
    EXPECT_EQ(m.RightSide(105), 500);
    EXPECT_EQ(m.ImageBottom(), 105);
    int cl = 0, cr = 0;
    m.GetClearY(cl, cr);
    EXPECT_EQ(cl, 51);
    EXPECT_EQ(cr, 106);
    m.Clear();
    EXPECT_EQ(m.ImageBottom(), 0);
    m.GetClearY(cl, cr);
    EXPECT_EQ(cl, 0);
    EXPECT_EQ(cr, 0);
}

TEST(IndentManager, ListLevelsIndentAndEnd) {
    IndentManagerBasic m;
    m.Reset(0, 400);
    m.SetLevel(10, 2);
    ASSERT_EQ(m.L.Count(), 2);
    EXPECT_EQ(m.LeftIndent(10), 70);
    EXPECT_EQ(m.LeftRec(1)->Lev, 2);
    EXPECT_EQ(m.LeftRec(1)->YB, 9999999);
    EXPECT_EQ(m.ImageBottom(), 0) << "list records are no floats";
    m.SetLevel(40, 1);
    EXPECT_EQ(m.CurrentLevel, 1);
    EXPECT_EQ(m.LeftRec(1)->Lev, 0);
    EXPECT_EQ(m.LeftRec(1)->YB, 39);
    EXPECT_EQ(m.LeftIndent(40), 35);
    EXPECT_EQ(m.DeeperBottom(), 40) << "one below the ended level 2";
    m.SetLevel(50, 0);
    EXPECT_EQ(m.LeftIndent(60), 0);

    // A stray item raises by one with a 15 pixel step; bigger jumps only store.
    IndentManagerBasic s;
    s.Reset(5, 400);
    s.SetLevelOne(0, 1);
    EXPECT_EQ(s.LeftIndent(0), 20);
    s.SetLevelOne(0, 3);
    EXPECT_EQ(s.L.Count(), 1);
    EXPECT_EQ(s.CurrentLevel, 3);
    s.SetLevelOne(8, 2);
    EXPECT_EQ(s.LeftRec(0)->YB, 9999999) << "level 1 is not deeper than 2";
    s.CurrentLevel = 1;
    s.SetLevelOne(8, 0);
    EXPECT_EQ(s.LeftRec(0)->YB, 7);

    ListIndentStep = 15;
    IndentManagerBasic t;
    t.SetLevel(0, 1);
    EXPECT_EQ(t.LeftIndent(0), 15);
    ListIndentStep = 35;
}

namespace {

// The indent rules answered by scanning every record, as a yardstick for
// the tracker that skips the records a long page has left behind.
struct FullScan {
    const IndentManagerBasic& m;
    int Left(int Y) const {
        int x = 0;
        for (int i = 0; i < m.L.Count(); ++i)
            if (Y >= m.LeftRec(i)->YT && Y < m.LeftRec(i)->YB) x = std::max(x, m.LeftRec(i)->X);
        return x + m.LfEdge;
    }
    int Right(int Y) const {
        int x = 0;
        for (int i = 0; i < m.R.Count(); ++i)
            if (Y >= m.RightRec(i)->YT && Y < m.RightRec(i)->YB) x = std::min(x, m.RightRec(i)->X);
        return x + m.RtEdge;
    }
    int Bottom(bool left) const {
        int b = 0;
        const int n = left ? m.L.Count() : m.R.Count();
        for (int i = 0; i < n; ++i) {
            const IndentRec* r = left ? m.LeftRec(i) : m.RightRec(i);
            if (r->Lev == 0) b = std::max(b, r->YB);
        }
        return b;
    }
    int Clear(bool left) const {
        int c = 0;
        const int n = left ? m.L.Count() : m.R.Count();
        for (int i = 0; i < n; ++i) {
            const IndentRec* r = left ? m.LeftRec(i) : m.RightRec(i);
            if (r->Lev == 0) c = std::max(c, r->YB + 1);
        }
        return c;
    }
    int Deeper() const {
        int x0 = 0;
        for (int i = 0; i < m.L.Count(); ++i)
            if (m.LeftRec(i)->Lev == m.CurrentLevel) {
                x0 = m.LeftRec(i)->X;
                break;
            }
        int b = 0;
        for (int i = 0; i < m.L.Count(); ++i)
            if (m.LeftRec(i)->X > x0) b = std::max(b, m.LeftRec(i)->YB);
        return b + 1;
    }
};

void ExpectSameAnswers(const IndentManagerBasic& m, int Y, const char* when) {
    const FullScan ref{m};
    ASSERT_EQ(m.LeftIndent(Y), ref.Left(Y)) << when << " at y " << Y;
    ASSERT_EQ(m.RightSide(Y), ref.Right(Y)) << when << " at y " << Y;
    ASSERT_EQ(m.ImageBottom(), std::max(ref.Bottom(true), ref.Bottom(false))) << when;
    int cl = 0, cr = 0;
    m.GetClearY(cl, cr);
    ASSERT_EQ(cl, ref.Clear(true)) << when;
    ASSERT_EQ(cr, ref.Clear(false)) << when;
    ASSERT_EQ(m.DeeperBottom(), ref.Deeper()) << when;
}

}  // namespace

TEST(IndentManager, EndedFloatsStillCountWhenAskedAboutHigherLines) {
    IndentManagerBasic m;
    m.Reset(0, 600);
    // Enough small floats above the page that both lists are long ones.
    for (int i = 0; i < 12; ++i) {
        m.UpdateTable(-100 + i, 5, 1, 1);
        m.UpdateTable(-100 + i, 5, 1, 3);
    }
    m.UpdateTable(0, 80, 30, 1);    // left float, y 0..30
    m.UpdateTable(0, 50, 40, 3);    // right float, y 0..40
    EXPECT_EQ(m.LeftIndent(100), 0) << "both floats ended above y 100";
    EXPECT_EQ(m.RightSide(100), 600);
    // A table cell or a re-layout asks about a line above again.
    EXPECT_EQ(m.LeftIndent(10), 80);
    EXPECT_EQ(m.RightSide(35), 550);
    EXPECT_EQ(m.ImageBottom(), 40);
    int cl = 0, cr = 0;
    m.GetClearY(cl, cr);
    EXPECT_EQ(cl, 31);
    EXPECT_EQ(cr, 41);

    // A list level that ended long ago still bounds the deeper bottom.
    m.SetLevel(200, 2);
    m.SetLevel(260, 1);
    EXPECT_EQ(m.LeftIndent(500), 35);
    EXPECT_EQ(m.DeeperBottom(), 260) << "one below the ended level 2 (bottom 259)";

    // Cleared, the same slots hold new records that must be seen.
    m.Clear();
    m.Reset(0, 600);
    EXPECT_EQ(m.LeftIndent(500), 0);
    m.UpdateTable(490, 20, 30, 1);
    EXPECT_EQ(m.LeftIndent(500), 20);
    EXPECT_EQ(m.ImageBottom(), 520);
    m.GetClearY(cl, cr);
    EXPECT_EQ(cl, 521);
    EXPECT_EQ(cr, 0);
}

TEST(IndentManager, AnswersMatchAFullScanOverALongPage) {
    // Floats and lists down a long page, with now and then a step back up
    // (table cells, clear) and a float that ends above the top of the page.
    std::mt19937 rng(1234);
    for (int round = 0; round < 4; ++round) {
        IndentManagerBasic m;
        m.Reset(5, 600);
        int y = 0;
        for (int step = 0; step < 1500; ++step) {
            const int op = static_cast<int>(rng() % 10);
            const int at = rng() % 8 == 0 ? std::max(-20, y - static_cast<int>(rng() % 200)) : y;
            if (op == 0) m.UpdateTable(at, 10 + static_cast<int>(rng() % 90), static_cast<int>(rng() % 120) - 5, 1);
            else if (op == 1) m.UpdateTable(at, 10 + static_cast<int>(rng() % 90), static_cast<int>(rng() % 120) - 5, 3);
            else if (op == 2) m.SetLevel(at, static_cast<int>(rng() % 4));
            else if (op == 3) m.SetLevelOne(at, static_cast<int>(rng() % 4));
            else if (op == 4 && rng() % 50 == 0) {
                m.Clear();
                m.Reset(5, 600);
            }
            ExpectSameAnswers(m, at, "after an operation");
            ExpectSameAnswers(m, y + static_cast<int>(rng() % 40), "ahead");
            y += static_cast<int>(rng() % 25);
        }
    }
}

TEST(ImageCache, LifeRules) {
    gAlive = 0;
    {
        TStringBitmapList cache;
        EXPECT_EQ(cache.MaxCache(), 4);
        auto* used = new TBitmapItem(std::make_unique<Counted>(), nullptr);
        auto* unused = new TBitmapItem(std::make_unique<Counted>(), nullptr);
        ASSERT_GE(cache.AddObject("USED.GIF", used), 0);
        ASSERT_GE(cache.AddObject("UNUSED.GIF", unused), 0);
        EXPECT_EQ(used->UsageCount, 1);
        auto* dup = new TBitmapItem(std::make_unique<Counted>(), nullptr);
        EXPECT_EQ(cache.AddObject("USED.GIF", dup), -1) << "a key is cached once";
        EXPECT_EQ(dup->UsageCount, 0);
        delete dup;

        cache.DecUsage("UNUSED.GIF");  // its page went away
        cache.DecUsage("NOT THERE");
        for (int load = 1; load <= 4; ++load) {
            cache.BumpAndCheck();
            EXPECT_EQ(cache.Count(), 2) << load;
        }
        cache.BumpAndCheck();  // access count 5 > 4, nobody uses it
        ASSERT_EQ(cache.Count(), 1);
        EXPECT_EQ(cache.Strings(0), "USED.GIF");
        for (int load = 0; load < 50; ++load) cache.BumpAndCheck();
        EXPECT_EQ(cache.Count(), 1) << "a picture in use survives any number of loads";

        int i = cache.IndexOf("USED.GIF");
        EXPECT_EQ(cache.GetImage(i), used->MImage.get());
        EXPECT_EQ(used->AccessCount, 0);
        EXPECT_EQ(used->UsageCount, 2);
        cache.DecUsage("USED.GIF");
        cache.DecUsage("USED.GIF");
        // ImageCacheCount 0: dropped at the next load.
        cache.SetCacheCount(0);
        EXPECT_EQ(cache.Count(), 1) << "access count 0 is not above 0";
        cache.BumpAndCheck();
        EXPECT_EQ(cache.Count(), 0);
        EXPECT_EQ(gAlive, 0);

        // Purge drops everything unused at once; SetCacheCount drops the stale.
        cache.SetCacheCount(5);
        cache.AddObject("A", new TBitmapItem(std::make_unique<Counted>(), nullptr));
        cache.AddObject("B", new TBitmapItem(std::make_unique<Counted>(), nullptr));
        cache.AddObject("C", new TBitmapItem(std::make_unique<Counted>(), nullptr));
        cache.DecUsage("A");
        cache.DecUsage("B");
        cache.BumpAndCheck();
        cache.BumpAndCheck();
        cache.SetCacheCount(1);
        EXPECT_EQ(cache.Count(), 1);
        EXPECT_EQ(cache.Strings(0), "C");
        cache.AddObject("D", new TBitmapItem(std::make_unique<Counted>(), nullptr));
        cache.DecUsage("D");
        cache.PurgeCache();
        EXPECT_EQ(cache.Count(), 1);
        EXPECT_EQ(gAlive, 1);
    }
    EXPECT_EQ(gAlive, 0) << "the cache frees its entries";
}

TEST(ImageType, FromTheFirstBytes) {
    auto type = [](std::vector<std::uint8_t> b) { return GetImageType(b.data(), b.size()); };
    EXPECT_EQ(type({'G', 'I', 'F', '8', '9', 'a'}), Gif89);
    EXPECT_EQ(type({'G', 'I', 'F', '8', '7', 'a'}), Gif);
    EXPECT_EQ(type({'B', 'M', 0, 0}), Bmp);
    EXPECT_EQ(type({137, 'P', 'N', 'G', 13, 10}), Png);
    EXPECT_EQ(type({0xFF, 0xD8, 0xFF, 0xE0}), Jpg);
    EXPECT_EQ(type({0xFF, 0xD8, 0xFF, 0xE1}), Jpg) << "Exif pictures are JPEG as well";
    EXPECT_EQ(type({0xFF, 0xD8}), NoImage);
    EXPECT_EQ(type({'G', 'I'}), NoImage);
    EXPECT_EQ(type({}), NoImage);
}

TEST(ImageType, GifTransparentColourNeedsA89aControlBlockAfterTheTable) {
    testgif::Gif g;
    g.width = 2;
    g.height = 1;
    g.globalTable = {{1, 2, 3}, {40, 50, 60}};
    testgif::Frame f;
    f.width = 2;
    f.height = 1;
    f.pixels = {0, 1};
    f.gce = true;
    f.transparent = true;
    f.transparentIndex = 1;
    g.frames = {f};
    auto b = g.Encode();
    gui::TColor c = 0;
    ASSERT_TRUE(GetGIFTransparentColor(b.data(), b.size(), c));
    EXPECT_EQ(c, gui::RGB(40, 50, 60));
    g.version89 = false;
    b = g.Encode();
    EXPECT_FALSE(GetGIFTransparentColor(b.data(), b.size(), c)) << "GIF87a never";
    g.version89 = true;
    g.frames[0].transparent = false;
    b = g.Encode();
    EXPECT_FALSE(GetGIFTransparentColor(b.data(), b.size(), c));
    g.frames[0].transparent = true;
    b = g.Encode();
    EXPECT_FALSE(GetGIFTransparentColor(b.data(), 20, c)) << "cut short";
}

TEST(Names, UrlFormToFileName) {
    // Links name files with the host's separator, so sub-folders open.
    EXPECT_EQ(HTMLToDos("file:///c|/music/bio.htm"), "c:/music/bio.htm");
    EXPECT_EQ(HTMLToDos("FILE://d|/x/y.gif"), "d:/x/y.gif");
    EXPECT_EQ(HTMLToDos("pages/sub/a.htm"), "pages/sub/a.htm");
    EXPECT_EQ(HTMLToDos("my%20page.htm"), "my page.htm");
    EXPECT_EQ(HTMLToDos("%20start.htm"), "%20start.htm") << "a % at the start is kept";
    EXPECT_EQ(HTMLToDos("a%zz%20b"), "a%zz%20b") << "a bad pair stops the decoding";
    EXPECT_EQ(HTMLToDos("ab%2"), "ab%2");
    EXPECT_EQ(HTMLToDos("a%2541"), "aA") << "a decoded % starts the next escape";
    EXPECT_EQ(HTMLToDos("%2541"), "%2541");
    EXPECT_EQ(HTMLToDos("plain.htm"), "plain.htm");
    EXPECT_EQ(HTMLServerToDos("/docs/a.htm", "/srv/root"), "/srv/root/docs/a.htm");
    EXPECT_EQ(HTMLServerToDos("docs/a.htm", "/srv/root"), "docs/a.htm");
    EXPECT_EQ(Trim(String("\t\r\n a b \x01")), "a b");
}

namespace {
// The conversion done the slow, literal way: look for the first "%" again
// after every replacement.
String LiteralHTMLToDos(String s) {
    auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (;;) {
        const std::size_t i = s.find('%');
        if (i == String::npos || i == 0 || i + 2 >= s.size()) break;
        const int hi = hex(s[i + 1]), lo = hex(s[i + 2]);
        if (hi < 0 || lo < 0) break;
        s.replace(i, 3, 1, static_cast<char>(hi * 16 + lo));
    }
    if (s.find('/') != String::npos) {
        String lower = s;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::size_t k = lower.find("file:///");
        if (k != String::npos)
            s.erase(k, 8);
        else if ((k = lower.find("file://")) != String::npos)
            s.erase(k, 7);
        for (char& c : s)
            if (c == '|') c = ':';
    }
    return s;
}
}  // namespace

TEST(Names, UrlConversionIsLinearAndAgreesWithTheLiteralRules) {
    std::mt19937 rng(7);
    const char alphabet[] = "%%%2541aF/|:xfile";
    for (int n = 0; n < 3000; ++n) {
        String s;
        const int len = static_cast<int>(rng() % 14);
        for (int i = 0; i < len; ++i) s.push_back(alphabet[rng() % (sizeof alphabet - 1)]);
        if (rng() % 4 == 0) s.insert(rng() % (s.size() + 1), rng() % 2 ? "file:///" : "FILE://");
        ASSERT_EQ(HTMLToDos(s), LiteralHTMLToDos(s)) << s;
    }
    // 300 KB of escapes: the literal way takes seconds, one pass milliseconds.
    String big = "x";
    for (int i = 0; i < 100000; ++i) big += "%41";
    const auto start = std::chrono::steady_clock::now();
    const String out = HTMLToDos(big);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(out, "x" + String(100000, 'A'));
    EXPECT_LT(ms.count(), 500);
    String chain = "x%";  // each "%25" decodes to the "%" of the next escape
    for (int i = 0; i < 100000; ++i) chain += "25";
    chain += "41";
    EXPECT_EQ(HTMLToDos(chain), "xA");
}

TEST(SharedPalette, CubeAndGreysBetweenTheStaticColours) {
    gui::PALETTEENTRY sys[256] = {}, out[256];
    for (int i = 0; i < 256; ++i) sys[i].peRed = static_cast<std::uint8_t>(i);
    BuildSharedPaletteEntries(sys, out);
    for (int i : {0, 9, 246, 255}) EXPECT_EQ(out[i].peRed, i);
    auto rgb = [&](int i) { return std::vector<int>{out[i].peRed, out[i].peGreen, out[i].peBlue}; };
    EXPECT_EQ(rgb(10), (std::vector<int>{55, 55, 55}));
    EXPECT_EQ(rgb(11), (std::vector<int>{115, 55, 55})) << "red varies fastest";
    EXPECT_EQ(rgb(16), (std::vector<int>{55, 115, 55}));
    EXPECT_EQ(rgb(224), (std::vector<int>{235, 255, 255})) << "white is left out of the cube";
    EXPECT_EQ(rgb(225), (std::vector<int>{135, 135, 135}));
    EXPECT_EQ(rgb(245), (std::vector<int>{250, 250, 250}));
    for (int i = 225; i <= 245; ++i) {
        EXPECT_NE(out[i].peRed, 165);
        EXPECT_NE(out[i].peRed, 205);
        EXPECT_NE(out[i].peRed, 235);
    }
}
