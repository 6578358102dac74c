// Fonts and text: logical fonts over Qt fonts (aliased, integer metrics that
// are the same for measuring and drawing), Windows-1252 text, TextOut,
// ExtTextOut, DrawText and the measuring calls.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "gui/draw/detail/GdiInternal.h"

namespace gui {
namespace detail {

namespace {

// Code points of 0x80..0x9F in Windows-1252 (0 = unassigned, shown as is).
const char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

inline char16_t AnsiToUnicode(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F && kCp1252High[c - 0x80] != 0) return kCp1252High[c - 0x80];
    return c;
}

String Lower(const char* s) {
    String r;
    for (; *s; ++s) r.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*s))));
    return r;
}

struct FontKey {
    LONG height, width, weight;
    BYTE italic, charset, pitch;
    String face;
    bool operator<(const FontKey& o) const {
        return std::tie(height, width, weight, italic, charset, pitch, face) <
               std::tie(o.height, o.width, o.weight, o.italic, o.charset, o.pitch, o.face);
    }
};

// The fields of a LOGFONT as given (face zero-padded after its end).
struct RawFontKey {
    LONG height, width, weight;
    BYTE italic, charset, pitch;
    char face[LF_FACESIZE];
    bool operator<(const RawFontKey& o) const {
        const auto a = std::tie(height, width, weight, italic, charset, pitch);
        const auto b = std::tie(o.height, o.width, o.weight, o.italic, o.charset, o.pitch);
        if (a != b) return a < b;
        return std::memcmp(face, o.face, sizeof face) < 0;
    }
};

int PixelSizeFor(const QString& family, LONG lfHeight, int weight, bool italic) {
    // Heights beyond any screen are limited so that glyph caches stay small.
    constexpr LONG kMaxPixels = 2000;
    if (lfHeight < 0) return static_cast<int>(std::clamp<LONG>(lfHeight, -kMaxPixels, -1) * -1);
    if (lfHeight == 0) return 12;
    lfHeight = std::min(lfHeight, kMaxPixels);
    // A positive height is the cell height (ascent + descent): scale from a large probe.
    QFont probe(family);
    probe.setPixelSize(200);
    probe.setWeight(static_cast<QFont::Weight>(weight));
    probe.setItalic(italic);
    QFontMetricsF fm(probe);
    double cell = fm.ascent() + fm.descent();
    if (cell <= 0) return static_cast<int>(lfHeight);
    return std::max(1, static_cast<int>(std::lround(lfHeight * 200.0 / cell)));
}

// Hinted without antialiasing, the sans face's bold keeps one-pixel stems up
// to 12 pixels and reads as regular; a condensed face whose bold has two-pixel
// stems at these sizes stands in, at about the same width.
QString SmallBoldFace(const QString& family, int weight, int pixelSize) {
    static const QString kSmallBold = QStringLiteral("DejaVu Sans Condensed");
    if (family != QLatin1String("Liberation Sans") || weight < 600 || pixelSize > 12) return family;
    static const bool installed = QFontDatabase::hasFamily(kSmallBold);
    return installed ? kSmallBold : family;
}

}  // namespace

QString FromAnsi(const char* text, int count) {
    QString s;
    if (text == nullptr || count <= 0) return s;
    s.resize(count);
    for (int i = 0; i < count; ++i) s[i] = QChar(AnsiToUnicode(static_cast<unsigned char>(text[i])));
    return s;
}

String ToAnsi(const QString& s) {
    String out;
    out.reserve(static_cast<std::size_t>(s.size()));
    for (QChar ch : s) {
        char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        char c = '?';
        for (int i = 0; i < 32; ++i) {
            if (kCp1252High[i] == u && u != 0) {
                c = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.push_back(c);
    }
    return out;
}

QString MapFaceName(const char* faceName, BYTE pitchAndFamily) {
    // Faces that pages ask for and this system lacks go, as the platform's
    // font mapper would send them, to an installed face of the same kind.
    static const char* const kSans[] = {
        "arial", "ms sans serif", "helvetica", "tahoma", "verdana", "system", "ms shell dlg", "small fonts",
        "microsoft sans serif", "trebuchet ms", "century gothic", "lucida sans", "lucida sans unicode",
        "lucida grande", "franklin gothic medium", "segoe ui", "calibri", "candara", "corbel", "geneva",
        "arial narrow", "arial black", "comic sans ms", "impact", "sans-serif", "sans serif"};
    static const char* const kSerif[] = {
        "times new roman", "times", "ms serif", "georgia", "garamond", "book antiqua", "palatino",
        "palatino linotype", "bookman old style", "century schoolbook", "cambria", "constantia",
        "new york", "serif"};
    static const char* const kFixed[] = {
        "courier new", "courier", "terminal", "fixedsys", "lucida console", "consolas",
        "lucida sans typewriter", "andale mono", "monaco", "monospace", "courier 10 pitch"};
    const String f = Lower(faceName != nullptr ? faceName : "");
    for (const char* n : kSans)
        if (f == n) return QStringLiteral("Liberation Sans");
    for (const char* n : kSerif)
        if (f == n) return QStringLiteral("Liberation Serif");
    for (const char* n : kFixed)
        if (f == n) return QStringLiteral("Liberation Mono");
    if (f.empty()) {
        if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN)
            return QStringLiteral("Liberation Mono");
        if ((pitchAndFamily & 0xF0) == FF_ROMAN) return QStringLiteral("Liberation Serif");
        return QStringLiteral("Liberation Sans");
    }
    // A face installed under its own name is used as is; anything else falls
    // back by the family the caller asked for.
    QString name = QString::fromLatin1(faceName);
    if (QFontDatabase::hasFamily(name)) return name;
    if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN)
        return QStringLiteral("Liberation Mono");
    if ((pitchAndFamily & 0xF0) == FF_ROMAN) return QStringLiteral("Liberation Serif");
    return QStringLiteral("Liberation Sans");
}

std::shared_ptr<const FontData> FontDataFor(const LOGFONTA& lf) {
    EnsureQtApp();
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
    // Pages make fonts by the ten thousand: the face as given is looked up
    // first, without lower-casing it into a new string.
    RawFontKey raw{lf.lfHeight, lf.lfWidth, lf.lfWeight, lf.lfItalic, lf.lfCharSet, lf.lfPitchAndFamily, {}};
    std::memcpy(raw.face, face, std::strlen(face));
    // Never destroyed: Qt font objects must not outlive the application object
    // at exit, and the caches live as long as the program anyway.
    static auto* byRaw = new std::map<RawFontKey, std::shared_ptr<const FontData>>;
    auto hit = byRaw->find(raw);
    if (hit != byRaw->end()) return hit->second;
    FontKey key{lf.lfHeight, lf.lfWidth, lf.lfWeight, lf.lfItalic, lf.lfCharSet, lf.lfPitchAndFamily, Lower(face)};
    static auto* cache = new std::map<FontKey, std::shared_ptr<const FontData>>;
    auto it = cache->find(key);
    if (it != cache->end()) {
        byRaw->emplace(raw, it->second);
        return it->second;
    }

    auto d = std::make_shared<FontData>();
    const QString family = MapFaceName(face, lf.lfPitchAndFamily);
    const int weight = std::clamp<int>(lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight, 100, 900);
    const bool italic = lf.lfItalic != 0;
    const int pixelSize = PixelSizeFor(family, lf.lfHeight, weight, italic);
    QFont f(SmallBoldFace(family, weight, pixelSize));
    f.setStyleStrategy(static_cast<QFont::StyleStrategy>(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(italic);
    d->pixelSize = pixelSize;
    f.setPixelSize(d->pixelSize);
    if (lf.lfWidth > 0) {
        // A requested average width stretches the font horizontally.
        QFontMetrics probe(f);
        int avg = std::max(1, probe.averageCharWidth());
        f.setStretch(std::clamp(static_cast<int>(lf.lfWidth * 100 / avg), 1, 4000));
    }
    d->font = f;
    d->raw = QRawFont::fromFont(f);
    QFontMetrics fm(f);
    d->ascent = fm.ascent();
    d->descent = fm.descent();
    const int height = d->ascent + d->descent;
    d->internalLeading = std::max(0, height - d->pixelSize);
    d->externalLeading = std::max(0, fm.leading());
    d->fixedPitch = QFontInfo(f).fixedPitch();
    d->underlinePos = std::max(1, fm.underlinePos());
    d->lineWidth = std::max(1, fm.lineWidth());
    d->strikePos = std::max(1, fm.strikeOutPos());
    QString all;
    for (int c = 0; c < 256; ++c) all.append(QChar(AnsiToUnicode(static_cast<unsigned char>(c))));
    QList<quint32> glyphs = d->raw.isValid() ? d->raw.glyphIndexesForString(all) : QList<quint32>();
    int maxW = 0;
    for (int c = 0; c < 256; ++c) {
        // Control characters take no room and draw nothing.
        int adv = c < 32 ? 0 : fm.horizontalAdvance(QChar(AnsiToUnicode(static_cast<unsigned char>(c))));
        d->advance[static_cast<std::size_t>(c)] = adv;
        d->glyph[static_cast<std::size_t>(c)] = (c >= 32 && glyphs.size() == 256) ? glyphs[c] : 0;
        maxW = std::max(maxW, adv);
    }
    d->maxCharWidth = maxW;
    d->aveCharWidth = std::max(1, fm.horizontalAdvance(QLatin1Char('x')));
    d->serif = f.family().contains(QStringLiteral("Serif"));
    cache->emplace(key, d);
    byRaw->emplace(raw, d);
    return d;
}

namespace {

const FontData& DCFont(HDC dc) {
    auto* f = AsFont(dc->st.font);
    if (f == nullptr || !f->data) {
        static const FontData* fallback = [] {
            LOGFONTA lf;
            lf.lfHeight = -11;
            return FontDataFor(lf).get();  // kept alive by the font cache
        }();
        return *fallback;
    }
    return *f->data;
}

LONG DCEscapement(HDC dc) {
    auto* f = AsFont(dc->st.font);
    return f != nullptr ? f->lf.lfEscapement : 0;
}

int Extent(const FontData& fd, const char* s, int n) {
    int w = 0;
    for (int i = 0; i < n; ++i) w += fd.advance[static_cast<unsigned char>(s[i])];
    return w;
}

// Draws one run of text with its left end at x and its baseline at y (logical),
// rotated by the DC font's escapement about (refX, refY). The background box
// is filled when opaque. Advances come from dx when given.
void DrawRun(DrawTarget& t, HDC dc, int x, int baseline, const char* s, int n, const int* dx, bool opaque,
             const QRegion* extraClip, int refX, int refY, int extraUnderlineChar = -1) {
    const FontData& fd = DCFont(dc);
    auto* fo = AsFont(dc->st.font);
    const bool underline = fo != nullptr && fo->lf.lfUnderline;
    const bool strike = fo != nullptr && fo->lf.lfStrikeOut;
    const LONG esc = DCEscapement(dc);
    int width = 0;
    std::vector<int> pos(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i) {
        width += dx != nullptr ? dx[i] : fd.advance[static_cast<unsigned char>(s[i])];
        pos[static_cast<std::size_t>(i) + 1] = width;
    }
    QRegion clip = t.clip;
    if (extraClip != nullptr) clip &= *extraClip;
    if (clip.isEmpty()) return;
    const QRgb textColor = ResolveColor(dc, dc->st.textColor);
    const QRgb bk = ResolveColor(dc, dc->st.bkColor);
    QPoint origin = QPoint(x, baseline) + t.off;

    if (esc == 0) {
        QRect box(origin.x(), origin.y() - fd.ascent, width, fd.ascent + fd.descent);
        if (opaque && width > 0) {
            QRegion area = QRegion(box) & clip;
            for (const QRect& r : area) t.fillSolid(r, bk);
        }
        std::vector<quint32> glyphs;
        QList<QPointF> positions;
        for (int i = 0; i < n; ++i) {
            unsigned char c = static_cast<unsigned char>(s[i]);
            if (c < 32) continue;
            glyphs.push_back(fd.glyph[c]);
            positions.append(QPointF(pos[static_cast<std::size_t>(i)], 0));
        }
        if (!glyphs.empty() && fd.raw.isValid()) {
            QPainter p(t.img);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setRenderHint(QPainter::TextAntialiasing, false);
            p.setClipRegion(clip);
            p.setPen(QColor::fromRgb(textColor));
            QGlyphRun run;
            run.setRawFont(fd.raw);
            run.setGlyphIndexes(QList<quint32>(glyphs.begin(), glyphs.end()));
            run.setPositions(positions);
            p.drawGlyphRun(QPointF(origin), run);
        }
        auto line = [&](int x0, int x1, int y, int thick) {
            QRegion area = QRegion(QRect(x0, y, x1 - x0, thick)) & clip;
            for (const QRect& r : area) t.fillSolid(r, textColor);
        };
        if (underline && width > 0) line(origin.x(), origin.x() + width, origin.y() + fd.underlinePos, fd.lineWidth);
        if (strike && width > 0) line(origin.x(), origin.x() + width, origin.y() - fd.strikePos, fd.lineWidth);
        if (extraUnderlineChar >= 0 && extraUnderlineChar < n) {
            line(origin.x() + pos[static_cast<std::size_t>(extraUnderlineChar)],
                 origin.x() + pos[static_cast<std::size_t>(extraUnderlineChar) + 1], origin.y() + fd.underlinePos, 1);
        }
        t.touched |= box.adjusted(-fd.maxCharWidth, 0, fd.maxCharWidth, 2);
        return;
    }

    // Rotated text: the same layout turned counter-clockwise about the reference point.
    QPainter p(t.img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setClipRegion(clip);
    QPoint ref = QPoint(refX, refY) + t.off;
    p.translate(ref);
    p.rotate(-esc / 10.0);
    QPoint rel = origin - ref;
    if (opaque && width > 0) p.fillRect(QRect(rel.x(), rel.y() - fd.ascent, width, fd.ascent + fd.descent), QColor::fromRgb(bk));
    QList<quint32> glyphs;
    QList<QPointF> positions;
    for (int i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 32) continue;
        glyphs.append(fd.glyph[c]);
        positions.append(QPointF(pos[static_cast<std::size_t>(i)], 0));
    }
    if (!glyphs.isEmpty() && fd.raw.isValid()) {
        p.setPen(QColor::fromRgb(textColor));
        QGlyphRun run;
        run.setRawFont(fd.raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        p.drawGlyphRun(QPointF(rel), run);
    }
    if (underline && width > 0) p.fillRect(QRect(rel.x(), rel.y() + fd.underlinePos, width, fd.lineWidth), QColor::fromRgb(textColor));
    if (strike && width > 0) p.fillRect(QRect(rel.x(), rel.y() - fd.strikePos, width, fd.lineWidth), QColor::fromRgb(textColor));
    p.end();
    t.touched |= clip.boundingRect();
}

int TextLen(LPCSTR text, int count) {
    if (text == nullptr) return 0;
    if (count < 0) return static_cast<int>(std::strlen(text));
    return count;
}

// Where the left end and baseline of a run go for the DC's text alignment.
void Align(HDC dc, const FontData& fd, int& x, int& y, int width) {
    UINT a = dc->st.textAlign;
    if ((a & TA_CENTER) == TA_CENTER) x -= width / 2;
    else if (a & TA_RIGHT) x -= width;
    if ((a & TA_BASELINE) == TA_BASELINE) {
        // y is the baseline already
    } else if (a & TA_BOTTOM) {
        y -= fd.descent;
    } else {
        y += fd.ascent;
    }
}

}  // namespace
}  // namespace detail

using namespace detail;

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
    if (lf == nullptr) return nullptr;
    auto* f = new FontObj;
    f->lf = *lf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
    f->data = FontDataFor(f->lf);
    return f;
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const int* dx) {
    if (dc == nullptr) return FALSE;
    const int n = text != nullptr ? static_cast<int>(count) : 0;
    DrawTarget t(dc);
    if (!t.ok()) return TRUE;
    const FontData& fd = DCFont(dc);
    const bool updateCP = (dc->st.textAlign & TA_UPDATECP) != 0;
    if (updateCP) {
        x = dc->st.pos.x();
        y = dc->st.pos.y();
    }
    int width = 0;
    for (int i = 0; i < n; ++i) width += dx != nullptr ? dx[i] : fd.advance[static_cast<unsigned char>(text[i])];
    QRegion clipRect;
    bool haveClip = false;
    if (rect != nullptr) {
        QRect r = QRect(QPoint(rect->Left, rect->Top), QPoint(rect->Right - 1, rect->Bottom - 1)).translated(t.off);
        if (options & ETO_OPAQUE) {
            QRegion area = QRegion(r) & t.clip;
            QRgb bk = ResolveColor(dc, dc->st.bkColor);
            for (const QRect& rc : area) t.fillSolid(rc, bk);
        }
        if (options & ETO_CLIPPED) {
            clipRect = QRegion(r);
            haveClip = true;
        }
    }
    const int refX = x, refY = y;
    int lx = x, ly = y;
    Align(dc, fd, lx, ly, width);
    if (n > 0)
        DrawRun(t, dc, lx, ly, text, n, dx, dc->st.bkMode == OPAQUE, haveClip ? &clipRect : nullptr, refX, refY);
    if (updateCP) {
        UINT a = dc->st.textAlign;
        if ((a & TA_CENTER) == TA_CENTER) {
        } else if (a & TA_RIGHT) {
            dc->st.pos.rx() -= width;
        } else {
            dc->st.pos.rx() += width;
        }
    }
    return TRUE;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
    return ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(TextLen(text, count)), nullptr);
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size) {
    if (dc == nullptr || size == nullptr) return FALSE;
    const FontData& fd = DCFont(dc);
    size->cx = Extent(fd, text, text != nullptr ? std::max(0, count) : 0);
    size->cy = fd.ascent + fd.descent;
    return TRUE;
}

BOOL GetTextExtentExPointA(HDC dc, LPCSTR text, int count, int maxExtent, int* fit, int* dx, SIZE* size) {
    if (dc == nullptr || size == nullptr || count < 0) return FALSE;
    if (text == nullptr) count = 0;
    const FontData& fd = DCFont(dc);
    int w = 0, fitted = 0;
    for (int i = 0; i < count; ++i) {
        w += fd.advance[static_cast<unsigned char>(text[i])];
        if (fit != nullptr && w <= maxExtent) fitted = i + 1;
        if (dx != nullptr && (fit == nullptr || w <= maxExtent)) dx[i] = w;
    }
    if (fit != nullptr) *fit = fitted;
    size->cx = w;
    size->cy = fd.ascent + fd.descent;
    return TRUE;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* tm) {
    if (dc == nullptr || tm == nullptr) return FALSE;
    const FontData& fd = DCFont(dc);
    auto* fo = AsFont(dc->st.font);
    *tm = TEXTMETRICA{};
    tm->tmAscent = fd.ascent;
    tm->tmDescent = fd.descent;
    tm->tmHeight = fd.ascent + fd.descent;
    tm->tmInternalLeading = fd.internalLeading;
    tm->tmExternalLeading = fd.externalLeading;
    tm->tmAveCharWidth = fd.aveCharWidth;
    tm->tmMaxCharWidth = fd.maxCharWidth;
    tm->tmWeight = fo != nullptr && fo->lf.lfWeight != 0 ? fo->lf.lfWeight : FW_NORMAL;
    tm->tmOverhang = 0;  // outline fonts synthesise no overhang
    tm->tmItalic = fo != nullptr ? fo->lf.lfItalic : 0;
    tm->tmUnderlined = fo != nullptr ? fo->lf.lfUnderline : 0;
    tm->tmStruckOut = fo != nullptr ? fo->lf.lfStrikeOut : 0;
    // TMPF_FIXED_PITCH set means a variable-pitch font.
    BYTE family = FF_SWISS;
    if (fd.fixedPitch) family = FF_MODERN;
    else if (fd.serif) family = FF_ROMAN;
    tm->tmPitchAndFamily = static_cast<BYTE>(family | TMPF_TRUETYPE | TMPF_VECTOR | (fd.fixedPitch ? 0 : TMPF_FIXED_PITCH));
    tm->tmCharSet = fo != nullptr ? fo->lf.lfCharSet : ANSI_CHARSET;
    if (tm->tmCharSet == DEFAULT_CHARSET) tm->tmCharSet = ANSI_CHARSET;
    return TRUE;
}

int GetTextFaceA(HDC dc, int count, LPSTR name) {
    if (dc == nullptr) return 0;
    auto* fo = AsFont(dc->st.font);
    const char* face = fo != nullptr ? fo->lf.lfFaceName : "";
    int len = static_cast<int>(std::strlen(face));
    if (name == nullptr) return len + 1;
    if (count <= 0) return 0;
    int k = std::min(len, count - 1);
    std::memcpy(name, face, static_cast<std::size_t>(k));
    name[k] = 0;
    return k;
}

// ---- DrawText -------------------------------------------------------------------------
namespace {

struct DTLine {
    String text;
    int underline = -1;  // index of the &-prefixed character, or -1
    int width = 0;
};

// Width of a line with tabs expanded to stops every 8 average characters.
int LineWidth(const FontData& fd, const String& s, bool expandTabs, std::vector<int>* positions = nullptr) {
    const int tab = std::max(1, fd.aveCharWidth * 8);
    int w = 0;
    if (positions != nullptr) positions->assign(s.size() + 1, 0);
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\t' && expandTabs) w = (w / tab + 1) * tab;
        else w += fd.advance[c];
        if (positions != nullptr) (*positions)[i + 1] = w;
    }
    return w;
}

// Removes prefix characters: "&&" is "&", "&x" underlines x.
String StripPrefix(const String& s, int& underline) {
    String out;
    underline = -1;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != '&') underline = static_cast<int>(out.size());
            out.push_back(s[i]);
        } else if (s[i] == '&') {
            // a lone trailing '&' shows nothing
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

std::vector<DTLine> LayoutLines(const FontData& fd, const String& text, UINT fmt, int maxWidth) {
    std::vector<DTLine> lines;
    const bool expand = (fmt & DT_EXPANDTABS) != 0;
    std::vector<String> paras;
    if (fmt & DT_SINGLELINE) {
        paras.push_back(text);
    } else {
        String cur;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '\r' || c == '\n') {
                paras.push_back(cur);
                cur.clear();
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                cur.push_back(c);
            }
        }
        paras.push_back(cur);
    }
    for (const String& para : paras) {
        DTLine raw;
        raw.text = (fmt & DT_NOPREFIX) ? para : StripPrefix(para, raw.underline);
        if (!(fmt & DT_WORDBREAK) || (fmt & DT_SINGLELINE)) {
            raw.width = LineWidth(fd, raw.text, expand);
            lines.push_back(raw);
            continue;
        }
        // Word wrapping: break after the last space that keeps the line inside maxWidth.
        const String& s = raw.text;
        std::size_t start = 0;
        bool first = true;
        while (start < s.size() || first) {
            first = false;
            std::vector<int> pos;
            String rest = s.substr(start);
            LineWidth(fd, rest, expand, &pos);
            std::size_t end = rest.size();
            if (pos[rest.size()] > maxWidth) {
                std::size_t lastBreak = String::npos;
                for (std::size_t i = 0; i < rest.size(); ++i) {
                    if (rest[i] == ' ' && pos[i] <= maxWidth) lastBreak = i;
                    if (pos[i + 1] > maxWidth && rest[i] != ' ') break;
                }
                if (lastBreak != String::npos && lastBreak > 0) {
                    end = lastBreak;
                } else {
                    // One word wider than the box stays whole on its line.
                    end = rest.find(' ');
                    if (end == String::npos) end = rest.size();
                }
            }
            DTLine ln;
            ln.text = rest.substr(0, end);
            while (!ln.text.empty() && ln.text.back() == ' ' && end < rest.size()) ln.text.pop_back();
            if (raw.underline >= 0 && static_cast<std::size_t>(raw.underline) >= start &&
                static_cast<std::size_t>(raw.underline) < start + ln.text.size())
                ln.underline = raw.underline - static_cast<int>(start);
            ln.width = LineWidth(fd, ln.text, expand);
            lines.push_back(ln);
            std::size_t next = start + end;
            while (next < s.size() && s[next] == ' ') ++next;
            if (next >= s.size()) break;
            start = next;
        }
    }
    return lines;
}

}  // namespace

int DrawTextA(HDC dc, LPCSTR text, int count, RECT* rect, UINT format) {
    if (dc == nullptr || rect == nullptr) return 0;
    const int n = TextLen(text, count);
    const String s = n > 0 ? String(text, static_cast<std::size_t>(n)) : String();
    const FontData& fd = DCFont(dc);
    const int lineH = fd.ascent + fd.descent + ((format & DT_EXTERNALLEADING) ? fd.externalLeading : 0);
    const int boxW = rect->Right - rect->Left;
    std::vector<DTLine> lines = LayoutLines(fd, s, format, boxW);
    int maxW = 0;
    for (const auto& l : lines) maxW = std::max(maxW, l.width);
    const int totalH = lineH * static_cast<int>(lines.size());

    if (format & DT_CALCRECT) {
        rect->Right = rect->Left + maxW;
        rect->Bottom = rect->Top + totalH;
        return totalH;
    }

    int y = rect->Top;
    const bool single = (format & DT_SINGLELINE) != 0;
    if (single && (format & DT_VCENTER)) y = rect->Top + (rect->Bottom - rect->Top - lineH) / 2;
    else if (single && (format & DT_BOTTOM)) y = rect->Bottom - lineH;

    {
        DrawTarget t(dc);
        if (t.ok()) {
            QRegion clip;
            const QRegion* extra = nullptr;
            if (!(format & DT_NOCLIP)) {
                clip = QRegion(ToQRect(*rect).translated(t.off));
                extra = &clip;
            }
            const bool expand = (format & DT_EXPANDTABS) != 0;
            int ly = y;
            for (const auto& l : lines) {
                int x = rect->Left;
                if (format & DT_CENTER) x = rect->Left + (boxW - l.width) / 2;
                else if (format & DT_RIGHT) x = rect->Right - l.width;
                if (expand && l.text.find('\t') != String::npos) {
                    // Draw the pieces between tabs at their stops.
                    std::vector<int> pos;
                    LineWidth(fd, l.text, true, &pos);
                    std::size_t a = 0;
                    while (a <= l.text.size()) {
                        std::size_t b = l.text.find('\t', a);
                        if (b == String::npos) b = l.text.size();
                        if (b > a) {
                            int ul = (l.underline >= static_cast<int>(a) && l.underline < static_cast<int>(b))
                                         ? l.underline - static_cast<int>(a)
                                         : -1;
                            DrawRun(t, dc, x + pos[a], ly + fd.ascent, l.text.data() + a, static_cast<int>(b - a),
                                    nullptr, dc->st.bkMode == OPAQUE, extra, x + pos[a], ly, ul);
                        }
                        a = b + 1;
                    }
                } else if (!l.text.empty()) {
                    DrawRun(t, dc, x, ly + fd.ascent, l.text.data(), static_cast<int>(l.text.size()), nullptr,
                            dc->st.bkMode == OPAQUE, extra, x, ly, l.underline);
                }
                ly += lineH;
            }
        }
    }
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) return y - rect->Top + lineH;
    return totalH;
}

}  // namespace gui
