// The generated release: pages whose links and pictures resolve, pictures
// that decode, and artwork of the sizes the windows expect.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <unistd.h>

#include "Readers.h"
#include "catalogue/Catalogue.h"
#include "content/pictures/Artists.h"
#include "content/pictures/Pictures.h"

namespace fs = std::filesystem;
using readers::Bytes;

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

struct Tag {
  std::string name;  // upper case
  bool end = false;
  std::map<std::string, std::string> attrs;  // upper-case names
};

struct Page {
  std::vector<Tag> tags;
  std::vector<std::string> entities;
};

// A deliberately small tag scanner: tags, quoted or bare attribute values,
// comments skipped, entity names collected from the text.
Page Scan(const std::string& html) {
  Page p;
  size_t i = 0;
  while (i < html.size()) {
    if (html.compare(i, 4, "<!--") == 0) {
      const size_t e = html.find("-->", i);
      i = e == std::string::npos ? html.size() : e + 3;
      continue;
    }
    if (html[i] == '&') {
      size_t j = i + 1;
      while (j < html.size() && std::isalnum(static_cast<unsigned char>(html[j]))) ++j;
      p.entities.push_back(html.substr(i + 1, j - i - 1));
      i = j;
      continue;
    }
    if (html[i] != '<') {
      ++i;
      continue;
    }
    Tag t;
    size_t j = i + 1;
    if (j < html.size() && html[j] == '/') {
      t.end = true;
      ++j;
    }
    while (j < html.size() && std::isalpha(static_cast<unsigned char>(html[j]))) t.name += static_cast<char>(std::toupper(html[j++]));
    if (t.name == "H" && j < html.size() && std::isdigit(static_cast<unsigned char>(html[j]))) ++j;
    while (j < html.size() && html[j] != '>') {
      if (!std::isalpha(static_cast<unsigned char>(html[j]))) {
        ++j;
        continue;
      }
      std::string name;
      while (j < html.size() && (std::isalpha(static_cast<unsigned char>(html[j])) || html[j] == '-')) name += static_cast<char>(std::toupper(html[j++]));
      std::string value;
      if (j < html.size() && html[j] == '=') {
        ++j;
        if (html[j] == '"' || html[j] == '\'') {
          const char q = html[j++];
          while (j < html.size() && html[j] != q) value += html[j++];
          ++j;
        } else {
          while (j < html.size() && !std::isspace(static_cast<unsigned char>(html[j])) && html[j] != '>') value += html[j++];
        }
      }
      t.attrs[name] = value;
    }
    p.tags.push_back(std::move(t));
    i = j + 1;
  }
  return p;
}

// The viewer's vocabulary: anything outside it would be skipped or shown raw.
const std::set<std::string> kTags = {
    "HTML", "TITLE", "BODY", "HEAD", "B", "I", "H", "EM", "STRONG", "U", "CITE", "VAR", "TT", "CODE", "KBD", "SAMP", "OL",
    "UL", "DIR", "MENU", "DL", "A", "ADDRESS", "BLOCKQUOTE", "PRE", "CENTER", "TABLE", "TD", "TH", "CAPTION", "FORM",
    "TEXTAREA", "SELECT", "OPTION", "FONT", "SUB", "SUP", "BIG", "SMALL", "P", "MAP", "FRAMESET", "NOFRAMES", "SCRIPT",
    "DIV", "S", "STRIKE", "TR", "NOBR", "LI", "BR", "HR", "DD", "DT", "IMG", "BASE", "BUTTON", "INPUT", "SELECTED",
    "BASEFONT", "AREA", "FRAME", "BGSOUND", "WRAP", "META", "WBR"};
const std::set<std::string> kNoEndTag = {"LI", "BR", "HR", "DD", "DT", "IMG", "BASE", "BUTTON", "INPUT",
                                         "SELECTED", "BASEFONT", "AREA", "FRAME", "BGSOUND", "WRAP", "META", "WBR"};
const std::set<std::string> kAttrs = {
    "HREF", "NAME", "SRC", "ALT", "ALIGN", "TEXT", "BGCOLOR", "LINK", "BACKGROUND", "COLSPAN", "ROWSPAN", "BORDER",
    "CELLPADDING", "CELLSPACING", "VALIGN", "WIDTH", "START", "VALUE", "TYPE", "CHECKBOX", "RADIO", "METHOD", "ACTION",
    "CHECKED", "SIZE", "MAXLENGTH", "COLS", "ROWS", "MULTIPLE", "SELECTED", "FACE", "COLOR", "TRANSP", "CLEAR", "ISMAP",
    "BORDERCOLOR", "USEMAP", "SHAPE", "COORDS", "NOHREF", "HEIGHT", "PLAIN", "TARGET", "NORESIZE", "SCROLLING", "HSPACE",
    "LANGUAGE", "FRAMEBORDER", "MARGINWIDTH", "MARGINHEIGHT", "LOOP", "ONCLICK", "WRAP", "NOSHADE", "HTTP-EQUIV",
    "CONTENT", "ENCTYPE", "VLINK", "OLINK", "ACTIVE", "VSPACE", "NOWRAP"};
const std::set<std::string> kEntities = {
    "amp", "lt", "gt", "quot", "rsquo", "ndash", "trade", "hellip", "nbsp", "iexcl", "cent", "pound", "curren", "yen",
    "brvbar", "sect", "uml", "copy", "ordf", "laquo", "not", "shy", "reg", "macr", "deg", "plusmn", "sup2", "sup3",
    "acute", "micro", "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring", "AElig", "Ccedil", "Egrave", "Eacute", "Ecirc", "Euml",
    "Igrave", "Iacute", "Icirc", "Iuml", "ETH", "Ntilde", "Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml", "Yacute", "THORN", "szlig", "agrave", "aacute", "acirc", "atilde",
    "auml", "aring", "aelig", "ccedil", "egrave", "eacute", "ecirc", "euml", "igrave", "iacute", "icirc", "iuml", "eth",
    "ntilde", "ograve", "oacute", "ocirc", "otilde", "ouml", "divide", "oslash", "ugrave", "uacute", "ucirc", "uuml",
    "yacute", "thorn", "yuml"};

std::pair<int, int> PictureSize(const Bytes& b) {
  const std::string type = readers::SniffType(b);
  if (type == "gif") {
    auto g = readers::DecodeGif(b, nullptr);
    return g ? std::pair{g->width, g->height} : std::pair{-1, -1};
  }
  if (type == "bmp") {
    auto d = readers::DecodeBmp(b, nullptr);
    return d ? std::pair{d->width, d->height} : std::pair{-1, -1};
  }
  if (type == "jpeg") {
    auto d = readers::DecodeJpeg(b, nullptr);
    return d ? std::pair{d->width, d->height} : std::pair{-1, -1};
  }
  // PNG (the program's icons): the IHDR chunk's width and height, big-endian.
  static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (b.size() >= 24 && std::equal(std::begin(kPng), std::end(kPng), b.begin()) &&
      std::string(b.begin() + 12, b.begin() + 16) == "IHDR") {
    auto be = [&](size_t i) { return (b[i] << 24) | (b[i + 1] << 16) | (b[i + 2] << 8) | b[i + 3]; };
    return {be(16), be(20)};
  }
  return {-1, -1};
}

class Generated : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = fs::temp_directory_path() / ("hm_pictures_test_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    content::WriteArtwork((root_ / "artwork").string());
    content::WritePagesAndPictures((root_ / "content").string());
  }
  static void TearDownTestSuite() { fs::remove_all(root_); }
  static fs::path Art(const std::string& f) { return root_ / "artwork" / f; }
  static fs::path Content(const std::string& f) { return root_ / "content" / f; }
  static readers::Bmp Bmp(const fs::path& p) {
    std::string err;
    auto b = readers::DecodeBmp(readers::ReadAll(p.string()), &err);
    EXPECT_TRUE(b) << p << ": " << err;
    return b ? *b : readers::Bmp{};
  }
  static std::string Text(const fs::path& p) {
    const Bytes b = readers::ReadAll(p.string());
    return std::string(b.begin(), b.end());
  }
  static std::vector<std::string> PageNames() {
    std::vector<std::string> names;
    for (const auto& a : app::Artists()) names.emplace_back(a.page);
    names.emplace_back(app::kInfoPage);
    return names;
  }
  static fs::path root_;
};
fs::path Generated::root_;

// ---------------------------------------------------------------- artwork

TEST_F(Generated, MenuPicturesHaveTheLayoutSizes) {
  const auto back = Bmp(Art("menu_back.bmp"));
  EXPECT_EQ(back.bpp, 24);
  EXPECT_EQ(back.width, 294);
  EXPECT_EQ(back.height, 441);
  const auto mask = Bmp(Art("menu_mask.bmp"));
  EXPECT_EQ(mask.bpp, 1);
  EXPECT_EQ(mask.width, 294);
  EXPECT_EQ(mask.height, 441);
  ASSERT_EQ(mask.palette.size(), 2u);
  EXPECT_EQ(mask.palette[0], (readers::Rgb{0, 0, 0}));
  EXPECT_EQ(mask.palette[1], (readers::Rgb{255, 255, 255}));
}

TEST_F(Generated, MaskShowsEveryButtonAndIsNotARectangle) {
  const auto m = Bmp(Art("menu_mask.bmp"));
  ASSERT_EQ(m.width, 294);
  auto visible = [&](int x, int y) { return m.Index(x, y) == 0; };
  auto checkRect = [&](const std::string& what, int l, int t, int w, int h) {
    int hidden = 0;
    for (int y = std::max(0, t); y < std::min(m.height, t + h); ++y)
      for (int x = std::max(0, l); x < std::min(m.width, l + w); ++x) hidden += !visible(x, y);
    EXPECT_EQ(hidden, 0) << what << " has " << hidden << " hidden pixels";
  };
  for (const auto& a : content::pic::Artists()) {
    checkRect(std::string(a.button) + " control", a.ctrlLeft, a.ctrlTop, a.ctrlWidth, a.ctrlHeight);
    checkRect(std::string(a.button) + " picture", content::pic::PicLeft(a), content::pic::PicTop(a), a.picWidth, a.picHeight);
  }
  for (const auto& l : content::pic::kMenuLabels) checkRect(l.caption, l.left, l.top, l.width, l.height);
  checkRect("button column", 0, 96, 219, 286);
  // Not a rectangle: the box around the visible pixels has hidden pixels in it.
  int minX = m.width, maxX = -1, minY = m.height, maxY = -1, shown = 0;
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x)
      if (visible(x, y)) {
        ++shown;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  const int box = (maxX - minX + 1) * (maxY - minY + 1);
  EXPECT_LT(shown, box * 9 / 10);
  EXPECT_GT(shown, box / 2);
  EXPECT_FALSE(visible(0, 0));
  EXPECT_FALSE(visible(293, 440));
}

TEST_F(Generated, ArtistButtonsHaveTheTableSizesAndDifferWhenHot) {
  for (const auto& a : content::pic::Artists()) {
    const auto leave = Bmp(Art(std::string("btn_") + a.stem + "_leave.bmp"));
    const auto enter = Bmp(Art(std::string("btn_") + a.stem + "_enter.bmp"));
    for (const auto* b : {&leave, &enter}) {
      EXPECT_EQ(b->bpp, 24) << a.stem;
      EXPECT_EQ(b->width, a.picWidth) << a.stem;
      EXPECT_EQ(b->height, a.picHeight) << a.stem;
    }
    size_t differ = 0;
    for (size_t i = 0; i < std::min(leave.pixels.size(), enter.pixels.size()); ++i) differ += !(leave.pixels[i] == enter.pixels[i]);
    EXPECT_GT(differ, leave.pixels.size() / 10) << a.stem;
  }
}

TEST_F(Generated, JpegArtworkHasItsSizes) {
  for (auto [file, w, h] : {std::tuple{"splash.jpg", 472, 472}, {"bio_panel.jpg", 630, 70}}) {
    const Bytes b = readers::ReadAll(Art(file).string());
    EXPECT_EQ(readers::SniffType(b), "jpeg") << file;
    EXPECT_EQ(PictureSize(b), std::make_pair(w, h)) << file;
  }
}

TEST_F(Generated, SliderBitmapsMatchTheirTable) {
  const readers::Rgb magenta{255, 0, 255}, olive{128, 128, 0};
  struct Row {
    const char* name;
    int w, h, bpp;
    readers::Rgb transparent;
  };
  for (const Row& r : {Row{"W95_HTB", 9, 17, 4, magenta}, Row{"W95_HRL", 10, 10, 4, olive}, Row{"W95_VTB", 18, 9, 4, magenta},
                       Row{"W95_VRL", 8, 10, 4, olive}, Row{"W95_VTBP", 18, 9, 8, magenta}, Row{"W95_HTBP", 9, 17, 4, magenta}}) {
    const auto b = Bmp(Art(std::string(r.name) + ".bmp"));
    EXPECT_EQ(b.width, r.w) << r.name;
    EXPECT_EQ(b.height, r.h) << r.name;
    EXPECT_EQ(b.bpp, r.bpp) << r.name;
    if (b.pixels.empty()) continue;
    EXPECT_EQ(b.At(0, b.height - 1), r.transparent) << r.name << ": bottom-left pixel is the transparent colour";
    int face = 0;
    for (const auto& p : b.pixels) face += !(p == r.transparent);
    EXPECT_GT(face, 0) << r.name;
  }
  // The channels: only rows 3..6 (horizontal) or columns 3..5 (vertical) leave the olive.
  const auto h = Bmp(Art("W95_HRL.bmp"));
  for (int y = 0; y < h.height; ++y)
    for (int x = 0; x < h.width; ++x) EXPECT_EQ(!(h.At(x, y) == olive), y >= 3 && y <= 6) << x << "," << y;
  const auto v = Bmp(Art("W95_VRL.bmp"));
  for (int y = 0; y < v.height; ++y)
    for (int x = 0; x < v.width; ++x) EXPECT_EQ(!(v.At(x, y) == olive), x >= 3 && x <= 5) << x << "," << y;
  // Pressed thumbs share the outline of the plain ones but not the face.
  for (auto [plain, pressed] : {std::pair{"W95_HTB", "W95_HTBP"}, {"W95_VTB", "W95_VTBP"}}) {
    const auto a = Bmp(Art(std::string(plain) + ".bmp")), b = Bmp(Art(std::string(pressed) + ".bmp"));
    ASSERT_EQ(a.pixels.size(), b.pixels.size());
    int differ = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
      EXPECT_EQ(a.pixels[i] == magenta, b.pixels[i] == magenta);
      differ += !(a.pixels[i] == b.pixels[i]);
    }
    EXPECT_GT(differ, 0) << pressed;
  }
}

TEST_F(Generated, ViewerBitmapsAndCursors) {
  for (auto [name, bpp] : {std::pair{"1001", 4}, {"1002", 4}, {"1005", 1}}) {
    const auto b = Bmp(Art(std::string(name) + ".bmp"));
    EXPECT_EQ(b.width, 16) << name;
    EXPECT_EQ(b.height, 16) << name;
    EXPECT_EQ(b.bpp, bpp) << name;
  }
  // The error picture's mask is black exactly where the picture is drawn:
  // its corners show the page.
  const auto mask = Bmp(Art("1005.bmp"));
  EXPECT_EQ(mask.At(0, 0), (readers::Rgb{255, 255, 255}));
  EXPECT_EQ(mask.At(8, 8), (readers::Rgb{0, 0, 0}));
  for (const char* name : {"1003", "1006", "UPDOWNCURSOR", "UPONLYCURSOR", "DOWNONLYCURSOR", "SKCURSORHANDPOINT"}) {
    std::string err;
    auto c = readers::DecodeCursor(readers::ReadAll(Art(std::string(name) + ".cur").string()), &err);
    ASSERT_TRUE(c) << name << ": " << err;
    EXPECT_EQ(c->width, 32);
    EXPECT_EQ(c->height, 32);
    const size_t hot = static_cast<size_t>(c->hotY) * 32 + c->hotX;
    int drawn = 0;
    for (size_t i = 0; i < c->andMask.size(); ++i) drawn += !c->andMask[i];
    EXPECT_GT(drawn, 20) << name;
    // The hotspot sits on (or right next to) a drawn pixel.
    bool near = false;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int x = c->hotX + dx, y = c->hotY + dy;
        if (x >= 0 && y >= 0 && x < 32 && y < 32 && !c->andMask[static_cast<size_t>(y) * 32 + x]) near = true;
      }
    EXPECT_TRUE(near || !c->andMask[hot]) << name;
  }
}

TEST_F(Generated, ManifestListsEveryArtworkFileWithItsSize) {
  std::istringstream in(Text(Art("artwork.txt")));
  std::string line;
  std::set<std::string> listed;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ls(line);
    std::string file, resource;
    ls >> file >> resource;
    const std::string size = line.substr(line.find_last_of(' ') + 1);
    listed.insert(file);
    ASSERT_TRUE(fs::exists(Art(file))) << file;
    const Bytes b = readers::ReadAll(Art(file).string());
    if (file.ends_with(".cur")) continue;
    const auto [w, h] = PictureSize(b);
    EXPECT_EQ(std::to_string(w) + "x" + std::to_string(h), size) << file;
  }
  for (const auto& e : fs::directory_iterator(root_ / "artwork")) {
    if (e.path().filename() == "artwork.txt") continue;
    EXPECT_TRUE(listed.count(e.path().filename().string())) << e.path();
  }
  EXPECT_EQ(listed.size(), 1u + 2u + 20u + 1u + 6u + 3u + 6u + 6u);  // ..., the six icon sizes
}

TEST_F(Generated, OutputIsDeterministic) {
  const fs::path again = root_ / "again";
  content::WriteArtwork((again / "artwork").string());
  content::WritePagesAndPictures((again / "content").string());
  for (const char* sub : {"artwork", "content"})
    for (const auto& e : fs::directory_iterator(root_ / sub))
      EXPECT_EQ(readers::ReadAll(e.path().string()), readers::ReadAll((again / sub / e.path().filename()).string()))
          << e.path();
}

// ---------------------------------------------------------------- pages

TEST_F(Generated, PanelAndCoverPicturesHaveTheirSizes) {
  for (auto [file, w, h] : {std::tuple{"bio-back.jpg", 630, 70}, {"info-back.jpg", 630, 70}, {"_korvane_cover.jpg", 593, 473},
                            {"_korvane_back.jpg", 593, 473}}) {
    const Bytes b = readers::ReadAll(Content(file).string());
    EXPECT_EQ(readers::SniffType(b), "jpeg") << file;
    EXPECT_EQ(PictureSize(b), std::make_pair(w, h)) << file;
  }
}

TEST_F(Generated, EveryLinkAndPictureResolves) {
  std::map<std::string, std::set<std::string>> anchors;  // file -> upper-case anchor names
  std::map<std::string, Page> pages;
  for (const std::string& name : PageNames()) {
    ASSERT_TRUE(fs::exists(Content(name))) << name;
    pages[name] = Scan(Text(Content(name)));
    for (const Tag& t : pages[name].tags)
      if (t.name == "A" && t.attrs.count("NAME")) anchors[name].insert(Upper(t.attrs.at("NAME")));
  }
  for (const auto& [name, page] : pages) {
    int links = 0, images = 0;
    for (const Tag& t : page.tags) {
      if (t.end) continue;
      if (t.name == "A" && t.attrs.count("HREF")) {
        ++links;
        const std::string href = t.attrs.at("HREF");
        const size_t hash = href.find('#');
        const std::string file = hash == std::string::npos ? href : href.substr(0, hash);
        const std::string target = file.empty() ? name : file;
        ASSERT_TRUE(fs::exists(Content(target))) << name << " links to missing " << href;
        if (hash != std::string::npos) {
          ASSERT_TRUE(anchors.count(target)) << name << ": " << href << " points into a file that is not a page";
          EXPECT_TRUE(anchors[target].count(Upper(href.substr(hash + 1)))) << name << ": no anchor for " << href;
        }
      }
      if (t.name == "IMG") {
        ++images;
        ASSERT_TRUE(t.attrs.count("SRC")) << name;
        const std::string src = t.attrs.at("SRC");
        const Bytes b = readers::ReadAll(Content(src).string());
        ASSERT_FALSE(b.empty()) << name << " shows missing picture " << src;
        const std::string ext = src.substr(src.find_last_of('.') + 1);
        const std::string type = readers::SniffType(b);
        EXPECT_EQ(type, ext == "jpg" ? "jpeg" : ext) << src << " has the wrong content for its name";
        const auto [w, h] = PictureSize(b);
        if (t.attrs.count("WIDTH")) {
          EXPECT_EQ(std::to_string(w), t.attrs.at("WIDTH")) << name << " " << src;
        }
        if (t.attrs.count("HEIGHT")) {
          EXPECT_EQ(std::to_string(h), t.attrs.at("HEIGHT")) << name << " " << src;
        }
      }
    }
    EXPECT_GE(links, 11) << name;
    EXPECT_GE(images, 2) << name;
  }
}

TEST_F(Generated, PagesUseOnlyWhatTheViewerUnderstands) {
  for (const std::string& name : PageNames()) {
    const Page p = Scan(Text(Content(name)));
    for (const Tag& t : p.tags) {
      EXPECT_TRUE(kTags.count(t.name)) << name << ": unknown tag " << t.name;
      if (t.end) {
        EXPECT_FALSE(kNoEndTag.count(t.name)) << name << ": </" << t.name << "> is not a tag";
      }
      for (const auto& [attr, value] : t.attrs) EXPECT_TRUE(kAttrs.count(attr)) << name << ": unknown attribute " << attr;
      if (t.name == "BODY" && !t.end) {
        for (const char* c : {"BGCOLOR", "TEXT", "LINK"}) EXPECT_TRUE(t.attrs.count(c)) << name << " BODY has no " << c;
      }
    }
    for (const std::string& e : p.entities) EXPECT_TRUE(kEntities.count(e)) << name << ": unknown entity &" << e << ";";
  }
}

TEST_F(Generated, PagesUseTheRequiredKindsOfMarkup) {
  std::set<std::string> used, floats;
  for (const std::string& name : PageNames()) {
    const Page p = Scan(Text(Content(name)));
    std::set<std::string> here;
    for (const Tag& t : p.tags) {
      here.insert(t.name);
      if (t.name == "IMG" && t.attrs.count("ALIGN")) floats.insert(Upper(t.attrs.at("ALIGN")));
    }
    for (const char* must : {"BODY", "H", "FONT", "A", "P", "IMG", "HR"}) EXPECT_TRUE(here.count(must)) << name << " lacks " << must;
    used.insert(here.begin(), here.end());
  }
  for (const char* must : {"UL", "OL", "LI", "TABLE", "TR", "TD", "BR", "B", "I", "U", "CENTER"}) EXPECT_TRUE(used.count(must)) << must;
  EXPECT_TRUE(floats.count("LEFT"));
  EXPECT_TRUE(floats.count("RIGHT"));
}

TEST_F(Generated, InfoPageLinksToEveryArtist) {
  const Page p = Scan(Text(Content(std::string(app::kInfoPage))));
  std::set<std::string> targets;
  for (const Tag& t : p.tags)
    if (t.name == "A" && t.attrs.count("HREF")) targets.insert(t.attrs.at("HREF"));
  for (const auto& a : app::Artists()) EXPECT_TRUE(targets.count(std::string(a.page))) << a.page;
  const std::string text = Text(Content(std::string(app::kInfoPage)));
  EXPECT_NE(text.find("Hollowmere"), std::string::npos);
  for (const auto& a : app::Artists()) EXPECT_NE(text.find(std::string(a.songTitle)), std::string::npos) << a.songTitle;
}

TEST_F(Generated, EveryPagePictureDecodes) {
  int animated = 0, transparent = 0, interlaced = 0, localTables = 0, bmps = 0, jpegs = 0;
  for (const auto& e : fs::directory_iterator(root_ / "content")) {
    const std::string name = e.path().filename().string();
    const Bytes b = readers::ReadAll(e.path().string());
    std::string err;
    if (name.ends_with(".gif")) {
      auto g = readers::DecodeGif(b, &err);
      ASSERT_TRUE(g) << name << ": " << err;
      ASSERT_FALSE(g->frames.empty()) << name;
      for (const auto& f : g->frames) {
        EXPECT_LE(f.left + f.width, g->width) << name;
        EXPECT_LE(f.top + f.height, g->height) << name;
        interlaced += f.interlaced;
        localTables += !f.localPalette.empty();
      }
      if (g->frames.size() > 1) {
        ++animated;
        EXPECT_GE(g->loopCount, 0) << name << " animates without a looping block";
        for (const auto& f : g->frames) EXPECT_GT(f.delayCs, 0) << name;
      }
      if (g->frames[0].transparentIndex >= 0) {
        ++transparent;
        // Where the viewer looks for a GIF's transparent colour.
        EXPECT_EQ(g->firstControlOffset, 13u + 3u * g->globalPalette.size()) << name;
      }
    } else if (name.ends_with(".bmp")) {
      ++bmps;
      EXPECT_TRUE(readers::DecodeBmp(b, &err)) << name << ": " << err;
    } else if (name.ends_with(".jpg")) {
      ++jpegs;
      EXPECT_TRUE(readers::DecodeJpeg(b, &err)) << name << ": " << err;
    }
  }
  EXPECT_GE(animated, 3);
  EXPECT_GE(transparent, 2);
  EXPECT_EQ(interlaced, 1);
  EXPECT_GE(localTables, 1);
  EXPECT_GE(bmps, 2);
  EXPECT_GE(jpegs, 14);
}

TEST(ArtistTable, FollowsTheCatalogueAndCoversEveryButton) {
  const auto& art = content::pic::Artists();
  ASSERT_EQ(art.size(), app::Artists().size());
  for (size_t i = 0; i < art.size(); ++i) {
    EXPECT_EQ(art[i].button, app::Artists()[i].button);
    EXPECT_EQ(art[i].stem + ".html", app::Artists()[i].page);
    EXPECT_GT(art[i].picWidth, 200);
    EXPECT_GT(art[i].picHeight, 20);
  }
}

TEST(WriteErrors, UnwritableFolderIsAClearError) {
  const fs::path file = fs::temp_directory_path() / "hm_pictures_not_a_folder";
  { std::ofstream(file.string()) << "x"; }
  EXPECT_THROW(content::WriteArtwork((file / "sub").string()), std::runtime_error);
  EXPECT_THROW(content::WritePagesAndPictures(file.string()), std::runtime_error);
  fs::remove(file);
}

}  // namespace
