// Pictures in table cells: the columns know every picture's size on the
// first layout (WIDTH and HEIGHT, else the picture's own size, fetched
// once), so the first layout equals every later one; and whitespace alone
// between the table's tags takes no room.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "htmlview/builder/BuildKit.h"

using namespace buildkit;

namespace {

struct PicturePage {
    Built b;
    Pictures pics;
    std::shared_ptr<THtmlContext> context = THtmlContext::Acquire();

    PicturePage() {
        b.doc().Context = context;
        pics.Attach(b.doc());
    }
    int LayOut(int width = 613) { return b.page.LayOut(width); }
    ThtmlTable* Table(const TCell& c, int n = 0) { return Built::All<ThtmlTable>(c).at(static_cast<std::size_t>(n)); }
    ThtmlTable* Table(int n = 0) { return Table(b.doc(), n); }
    static TCellObj* CellAt(ThtmlTable* t, int r, int c) { return t->Row(r)->CellObj(c); }
    static TImageObj* ImageIn(TCellObj* c) { return Built::All<TSection>(*c->Cell).at(0)->Images->Image(0); }
    // Column widths and cell boxes of every table in the document.
    std::string Shape() {
        std::ostringstream o;
        Shape(o, b.doc());
        return o.str();
    }
    static void Shape(std::ostream& o, const TCell& cell) {
        for (auto* t : Built::All<ThtmlTable>(cell)) {
            o << "[" << t->TotalWidth;
            for (int c = 0; c < t->ColCount; ++c) o << ' ' << t->ColumnWidth(c);
            for (int r = 0; r < t->RowCount(); ++r)
                for (int c = 0; c < t->Row(r)->Count(); ++c)
                    if (TCellObj* co = t->Row(r)->CellObj(c); co && !co->IsPlaceholder()) {
                        o << " (" << co->Wd << 'x' << co->Ht;
                        Shape(o, *co->Cell);
                        o << ')';
                    }
            o << "]";
        }
    }
};

TEST(TablePictures, AWidePictureWidensItsCellOnTheFirstLayout) {
    PicturePage p;
    p.pics.Add("logo.bmp", 277, 60);
    p.pics.Add("fig.bmp", 518, 40);
    p.b.Parse("<table cellpadding=3 cellspacing=2><tr><td><img src=\"logo.bmp\"></td><td>next cell</td></tr></table>"
              "<table><tr><td><img src=\"fig.bmp\"></td></tr></table>");
    p.LayOut();
    const std::string first = p.Shape();
    TCellObj* logo = PicturePage::CellAt(p.Table(0), 0, 0);
    EXPECT_GE(logo->Wd, 277 + 2 * 3 + 2);
    EXPECT_GE(PicturePage::CellAt(p.Table(1), 0, 0)->Wd, 518 + 2 * 1 + 2);
    EXPECT_EQ(PicturePage::ImageIn(logo)->ImageWidth, 277);
    p.LayOut();
    EXPECT_EQ(p.Shape(), first);
    p.LayOut(300);  // narrower than the figure: the table keeps it whole
    EXPECT_GE(PicturePage::CellAt(p.Table(1), 0, 0)->Wd, 518 + 4);
    p.LayOut();
    EXPECT_EQ(p.Shape(), first);
    // Measured and laid out, each picture was fetched once.
    EXPECT_EQ(p.pics.requests["logo.bmp"], 1);
    EXPECT_EQ(p.pics.requests["fig.bmp"], 1);
}

TEST(TablePictures, NestedTablesAndGivenSizes) {
    PicturePage p;
    p.pics.Add("inner.bmp", 150, 50);
    p.pics.Add("spacer.bmp", 1, 1);
    p.b.Parse("<table><tr><td><table cellpadding=0 cellspacing=0><tr>"
              "<td><img src=\"inner.bmp\"></td>"
              "<td><img src=\"spacer.bmp\" width=58 height=1></td>"
              "<td><img src=\"spacer.bmp\" height=40></td>"  // 40 x 40 by the picture's proportions
              "</tr></table></td><td>side</td></tr></table>");
    p.LayOut();
    const std::string first = p.Shape();
    ThtmlTable* outer = p.Table();
    ThtmlTable* inner = p.Table(*PicturePage::CellAt(outer, 0, 0)->Cell);
    EXPECT_EQ(inner->ColumnWidth(0), 150);
    EXPECT_EQ(inner->ColumnWidth(1), 58);
    EXPECT_EQ(inner->ColumnWidth(2), 40);
    EXPECT_GE(PicturePage::CellAt(outer, 0, 0)->Wd, inner->TotalWidth + 2 + 2);
    p.LayOut();
    EXPECT_EQ(p.Shape(), first);
    EXPECT_EQ(p.pics.requests["spacer.bmp"], 1);  // one fetch, two pictures: the cache serves the second
}

TEST(TablePictures, MissingPicturesAndPercentagesKeepTheirRules) {
    PicturePage p;
    p.pics.Add("bar.bmp", 200, 10);
    p.b.Parse("<table cellpadding=0 cellspacing=0><tr>"
              "<td><img src=\"gone.gif\" width=120 height=30></td>"
              "<td><img src=\"gone2.gif\" alt=\"A long alternate text\"></td>"
              "</tr></table>"
              "<table width=400 cellpadding=0 cellspacing=0><tr><td width=200><img src=\"bar.bmp\" width=\"50%\"></td>"
              "<td>text</td></tr></table>");
    p.LayOut();
    const std::string first = p.Shape();
    ThtmlTable* missing = p.Table(0);
    EXPECT_EQ(missing->ColumnWidth(0), 120);  // the given box
    TImageObj* alt = PicturePage::ImageIn(PicturePage::CellAt(missing, 0, 1));
    EXPECT_GT(alt->ImageWidth, 24);  // widened for its text
    EXPECT_EQ(missing->ColumnWidth(1), alt->ImageWidth);
    // A percentage follows its column instead of setting it.
    TCellObj* half = PicturePage::CellAt(p.Table(1), 0, 0);
    EXPECT_EQ(PicturePage::ImageIn(half)->ImageWidth, MulDiv(half->Wd, 50, 100));
    p.LayOut();
    EXPECT_EQ(p.Shape(), first);
}

TEST(TablePictures, WhitespaceBetweenTableTagsTakesNoRoom) {
    // Rows of 1-pixel spacers, written tight and written with line ends
    // and indents between (and before) the tags, some cells left unclosed.
    const std::string tight =
        "<table cellpadding=0 cellspacing=0><tr><td><img src=\"s.bmp\" width=10 height=1></td>"
        "<td><img src=\"s.bmp\" width=20 height=1></td></tr>"
        "<tr><td><img src=\"s.bmp\" width=10 height=1></td><td><a href=\"x\"><img src=\"s.bmp\" width=20 "
        "height=1 border=0></a></td></tr></table>";
    const std::string loose =
        "<table cellpadding=0 cellspacing=0>\n  <tr>\n    <td>\n      <img src=\"s.bmp\" width=10 height=1>\n    </td>\n"
        "    <td><img src=\"s.bmp\" width=20 height=1>\n  </tr>\n\n  <tr>\n    <td><img src=\"s.bmp\" width=10 height=1>  \n"
        "    <td><a href=\"x\"><img src=\"s.bmp\" width=20 height=1 border=0></a>\n</table>";
    std::string shapes[2];
    int heights[2] = {};
    for (int i = 0; i < 2; ++i) {
        PicturePage p;
        p.pics.Add("s.bmp", 1, 1);
        p.b.Parse(i == 0 ? tight : loose);
        heights[i] = p.LayOut();
        shapes[i] = p.Shape();
    }
    EXPECT_EQ(heights[0], 2);
    EXPECT_EQ(heights[1], heights[0]);
    EXPECT_EQ(shapes[1], shapes[0]);
}

TEST(TablePictures, WhitespaceBetweenTableTagsInAListChangesNothing) {
    // The same sections in the same places: whitespace leaves no empty
    // sections ahead of the table.
    auto layout = [](const std::string& html) {
        PicturePage p;
        p.b.Parse(html);
        p.LayOut();
        std::ostringstream o;
        for (int i = 0; i < p.b.doc().Count(); ++i) {
            TSectionBase* s = p.b.doc().Section(i);
            o << s->YValue << '/' << s->SectionHeight;
            if (auto* t = dynamic_cast<TSection*>(s); t && !t->Lines().empty()) o << '@' << t->Lines()[0].LineLeftX;
            if (auto* t = dynamic_cast<ThtmlTable*>(s)) o << '@' << t->Indent;
            o << ' ';
        }
        return o.str();
    };
    const std::string tight = layout("<ul><li>item<table><tr><td>cell</td></tr></table>more<li>next</ul>");
    EXPECT_EQ(layout("<ul><li>item<table>\n <tr>\n  <td>cell</td>\n </tr>\n</table>more<li>next</ul>"), tight);
    // Visible text between the tags keeps its place ahead of the table.
    PicturePage p;
    p.b.Parse("<table><tr> \n stray <td>cell</td></tr></table>");
    EXPECT_EQ(Built::Texts(p.b.doc()).front(), "stray ");
}

}  // namespace
