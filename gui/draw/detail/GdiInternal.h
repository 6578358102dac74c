// Inside gui/ only: the Qt side of the GDI objects and device contexts, and
// the bridge that the windowing half uses (DCs over widget back buffers,
// QRegion of a region handle, QFont of a font, ANSI <-> QString).
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRawFont>
#include <QRect>
#include <QRegion>
#include <QString>

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"

namespace gui::detail {

// Creates the process's QApplication when none exists yet (fonts need one).
// The windowing half calls the same before making its own objects.
void EnsureQtApp();

// Windows-1252 <-> Unicode.
QString FromAnsi(const char* text, int count);
inline QString FromAnsi(const String& s) { return FromAnsi(s.data(), static_cast<int>(s.size())); }
String ToAnsi(const QString& s);

inline QRgb ToQRgb(COLORREF c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline COLORREF FromQRgb(QRgb c) { return static_cast<COLORREF>(RGB(qRed(c), qGreen(c), qBlue(c))); }
inline QRect ToQRect(const RECT& r) { return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)); }
inline RECT FromQRect(const QRect& r) { return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

// Keeps a few freed blocks of one size for reuse: canvases re-create their
// pen and brush handles on every colour change, many times per timer tick.
template <typename T>
struct Recycled {
    static void* operator new(std::size_t n) {
        if (n == sizeof(T)) {
            std::lock_guard<std::mutex> lock(mutex());
            auto& p = pool();
            if (p.count > 0) return p.blocks[--p.count];
        }
        return ::operator new(n);
    }
    static void operator delete(void* ptr, std::size_t n) {
        if (ptr == nullptr) return;
        if (n == sizeof(T)) {
            std::lock_guard<std::mutex> lock(mutex());
            auto& p = pool();
            if (p.count < p.blocks.size()) {
                p.blocks[p.count++] = ptr;
                return;
            }
        }
        ::operator delete(ptr);
    }

private:
    struct Pool {
        std::array<void*, 16> blocks{};
        std::size_t count = 0;
    };
    static Pool& pool() {
        static Pool p;
        return p;
    }
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
};

// ---- Objects -------------------------------------------------------------------
struct PenObj : HPEN__, Recycled<PenObj> {
    using Recycled<PenObj>::operator new;
    using Recycled<PenObj>::operator delete;
    PenObj() : HPEN__(GdiKind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct BrushObj : HBRUSH__, Recycled<BrushObj> {
    using Recycled<BrushObj>::operator new;
    using Recycled<BrushObj>::operator delete;
    BrushObj() : HBRUSH__(GdiKind::Brush) {}
    UINT style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
    QImage pattern;          // BS_PATTERN, RGB32
    bool monoPattern = false;  // black -> text colour, white -> background colour
};

// Measured data of one logical font, shared by all font objects with the same key.
struct FontData {
    QFont font;
    QRawFont raw;
    int pixelSize = 0;
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    bool fixedPitch = false;
    bool serif = false;    // the Qt family's name says Serif
    int underlinePos = 0;  // below the baseline
    int lineWidth = 1;
    int strikePos = 0;     // above the baseline
    std::array<int, 256> advance{};
    std::array<quint32, 256> glyph{};
};

struct FontObj : HFONT__ {
    FontObj() : HFONT__(GdiKind::Font) {}
    LOGFONTA lf;
    std::shared_ptr<const FontData> data;
};
// Font data for a logical font (cached by its fields).
std::shared_ptr<const FontData> FontDataFor(const LOGFONTA& lf);
// The Qt face a Windows face name maps to ("Arial" -> "Liberation Sans", ...).
QString MapFaceName(const char* faceName, BYTE pitchAndFamily);

struct PaletteObj : HPALETTE__ {
    PaletteObj() : HPALETTE__(GdiKind::Palette) {}
    std::vector<PALETTEENTRY> entries;
};

struct RegionObj : HRGN__, Recycled<RegionObj> {
    using Recycled<RegionObj>::operator new;
    using Recycled<RegionObj>::operator delete;
    RegionObj() : HRGN__(GdiKind::Region) {}
    QRegion rgn;
};

// A bitmap keeps two forms of its pixels and converts lazily between them:
// an RGB32 image that all drawing uses, and the DIB rows (top-down, rows
// padded to 4 bytes) that scan-line access uses.
struct BitmapObj : HBITMAP__ {
    BitmapObj() : HBITMAP__(GdiKind::Bitmap) {}
    ~BitmapObj() override;
    int width = 0;
    int height = 0;
    int bpp = 24;  // 1, 4, 8, 24 or 32
    bool ddb = false;
    std::vector<QRgb> table;  // colour table for bpp <= 8 (2, 16 or 256 entries)
    HPALETTE palette = nullptr;  // owned; mirrors table when set
    bool paletteReleased = false;  // ReleasePalette took it: no palette until a new one is set
    QImage rgb;
    std::vector<uchar> dib;
    bool rgbValid = true;
    bool dibValid = false;
    int selected = 0;  // number of DCs this bitmap is selected into

    int stride() const { return ((width * bpp + 31) / 32) * 4; }
    // Allocates w x h pixels of the given depth, white, with the given table.
    void reset(int w, int h, int bitsPerPixel, std::vector<QRgb> colours);
    const QImage& image();   // RGB32, current
    QImage& imageForWrite(); // RGB32, the DIB rows become stale
    uchar* scanLine(int row);  // DIB row, the image becomes stale
    const uchar* constScanLine(int row);
    // Maps the given area of the image to the nearest table colours (<= 8 bits).
    void quantize(const QRect& area);
    int nearestIndex(QRgb c) const;
    // Converts to another depth keeping the picture (new table for <= 8 bits).
    void convert(int bitsPerPixel, std::vector<QRgb> colours);
    void setTable(std::vector<QRgb> colours);  // indexes stay, colours change
    HPALETTE paletteHandle();  // creates it from the table when missing
};

// A bitmap from an image of any format (indexed images keep their table).
BitmapObj* NewBitmapFromImage(const QImage& img, int bpp);
std::vector<QRgb> DefaultTable(int bpp);  // black/white; 16 VGA; 256 (20 static + cube)

// ---- Device contexts ------------------------------------------------------------
struct DCState {
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    HPALETTE palette = nullptr;
    HBITMAP bitmap = nullptr;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    UINT textAlign = 0;
    int rop2 = R2_COPYPEN;
    int stretchMode = BLACKONWHITE;
    int polyFillMode = ALTERNATE;
    QPoint pos;
    QPoint windowOrg;
    QPoint viewportOrg;
    QPoint brushOrg;
    bool hasClip = false;
    QRegion clip;  // device units, relative to the DC origin
};

enum class DCKind { Memory, External, Screen };

}  // namespace gui::detail

namespace gui {
struct HDC__ {
    detail::DCKind kind = detail::DCKind::Memory;
    detail::DCState st;
    std::vector<detail::DCState> saved;
    QImage* external = nullptr;  // External: the surface drawn on (RGB32 / ARGB32_Premultiplied)
    QImage own;                  // Screen
    QPoint origin;               // device origin on the surface
    QRect visible;               // External: drawable part of the surface (surface coordinates)
    bool hasVisible = false;
    // The effective clip in surface coordinates, rebuilt when stale.
    QRegion clipCache;
    QSize clipCacheSize{-1, -1};
    bool clipCacheValid = false;
    // Single-rectangle regions made for this DC, kept for reuse: painting a
    // control clips to the same few rectangles again and again.
    std::array<QRegion, 6> rectRegions;
    std::size_t rectRegionNext = 0;

    // Back to the state of a new DC, keeping allocated capacity (DCs are reused).
    void reset() {
        kind = detail::DCKind::Memory;
        st = detail::DCState{};
        saved.clear();
        external = nullptr;
        own = QImage();
        origin = QPoint();
        visible = QRect();
        hasVisible = false;
        clipCache = QRegion();
        clipCacheSize = QSize(-1, -1);
        clipCacheValid = false;
    }
};
}  // namespace gui

namespace gui::detail {

// A DC drawing on `image` (not owned; it must outlive the DC and keep its
// size), with device (0,0) at `origin` and drawing limited to `visible`.
// Free it with DeleteDC.
HDC CreateDCOverImage(QImage* image, QPoint origin, QRect visible);
void SetDCOrigin(HDC dc, QPoint origin, QRect visible);
// The surface and where logical (0,0) lands on it.
QImage* DCImage(HDC dc);
QPoint DCDeviceOffset(HDC dc);  // origin + viewport org - window org
// The region that drawing may touch, in surface coordinates.
QRegion DCClipRegion(HDC dc);
// A region of the one rectangle r, shared with earlier requests for the same
// rectangle on this DC where possible.
QRegion RectRegion(HDC dc, const QRect& r);
// Begins `painter` on the DC's surface, aliased, clipped to the DC's clip and
// translated so that it draws in the DC's logical coordinates. A drawing on a
// paletted bitmap made this way is not mapped to its palette.
bool PreparePainter(HDC dc, QPainter& painter);

inline PenObj* AsPen(HGDIOBJ h) { return static_cast<PenObj*>(h); }
inline BrushObj* AsBrush(HGDIOBJ h) { return static_cast<BrushObj*>(h); }
inline FontObj* AsFont(HGDIOBJ h) { return static_cast<FontObj*>(h); }
inline BitmapObj* AsBitmap(HGDIOBJ h) { return static_cast<BitmapObj*>(h); }
inline RegionObj* AsRegion(HGDIOBJ h) { return static_cast<RegionObj*>(h); }
inline PaletteObj* AsPalette(HGDIOBJ h) { return static_cast<PaletteObj*>(h); }

QRegion& RegionOf(HRGN rgn);
HRGN CreateRegionFrom(const QRegion& r);
QFont QFontOf(HFONT font);
QFont QFontOf(TFont* font);
// The bitmap's pixels as an RGB32 image, and a new bitmap handle from an image.
QImage ImageOf(HBITMAP bmp);
QImage ImageOf(TBitmap* bmp);
QImage ImageOf(const TBitmap& bmp);
HBITMAP CreateBitmapFromImage(const QImage& img);

// TBitmap internals for the JPEG unit.
struct BitmapAccess {
    static BitmapObj* Obj(TBitmap* b);
    static HBITMAP Handle(const TBitmap& b);  // nullptr while it has none
    static void Adopt(TBitmap* b, BitmapObj* obj);  // replaces the picture
};

}  // namespace gui::detail

namespace gui::detail {

// ---- Shared raster helpers (the Gdi*.cpp files and Bitmap.cpp) ----------------
// A colour value for drawing in a DC: palette indexes and palette-relative
// colours resolved, alpha opaque.
QRgb ResolveColor(HDC dc, COLORREF c);
void Retain(HGDIOBJ obj);
void Release(HGDIOBJ obj);

// A source for block transfers: an RGB32 image plus how to read it.
struct BlitSource {
    const QImage* image = nullptr;
    bool mono = false;       // a two-colour surface: maps to text/background colours
    QRgb monoOne = 0xFFFFFFFF;  // the colour meaning bit 1 in a mono source
    QRgb bkColor = 0xFFFFFFFF;  // the source DC's background colour (colour -> mono)
};
BlitSource SourceOf(HDC dc);
// Stretching raster-op transfer to logical rect (x, y, w, h) of dst; w/h < 0 mirror.
// With `transparent` set, source pixels of that colour are left out.
bool BlitCore(HDC dst, int x, int y, int w, int h, const BlitSource* src, int sx, int sy, int sw, int sh,
              DWORD rop, const QRgb* transparent);
// Decodes DIB rows (bottom-up or top-down per biHeight) to RGB32; mono set
// for 1-bit data. Null image for unsupported or inconsistent headers.
QImage DecodeDIB(const void* bits, const BITMAPINFO* info, UINT usage, HDC dc, bool* mono);
std::size_t DIBInfoSize(const BITMAPINFOHEADER& h);
// The 1x1 monochrome bitmap that a new memory DC holds.
HBITMAP StockBitmap();
// Pixels whose centres lie inside the ellipse inscribed in r.
QRegion EllipseRegionFor(const QRect& r);
// BMP files (BmpFile.cpp): the picture at the depth it was stored with
// (EInvalidGraphic on a bad file); the bitmap in its own depth, rows bottom-up.
BitmapObj* ReadBmp(const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> WriteBmp(BitmapObj* b);

// Surface-side drawing used by text output.
struct DrawTarget {
    explicit DrawTarget(HDC dc);
    ~DrawTarget();
    DrawTarget(const DrawTarget&) = delete;
    DrawTarget& operator=(const DrawTarget&) = delete;
    HDC dc;
    QImage* img = nullptr;
    QPoint off;    // logical -> surface
    QRegion clip;  // surface coordinates
    QRect touched;
    bool ok() const { return img != nullptr && !clip.isEmpty(); }
    void fillSolid(const QRect& r, QRgb c);  // surface coordinates, clipped
};

}  // namespace gui::detail
