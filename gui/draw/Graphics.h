// Graphics objects over the GDI layer: fonts, pens, brushes, the canvas, and
// the picture classes (TGraphic, TBitmap, TPicture).
//
// Property convention: a property P is read with P() and written with SetP(v);
// setters ignore a value equal to the current one and fire OnChange otherwise.
// Events are public TNotifyEvent members.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/base/Classes.h"
#include "gui/draw/Gdi.h"
#include "gui/base/Types.h"

namespace gui {

class TCanvas;
class TBitmap;
class TGraphic;

// ---- Colours ------------------------------------------------------------------
// System colours resolve to the classic Windows scheme (see GetSysColor);
// the palette-relative flag 0x02000000 is masked off.
TColor ColorToRGB(TColor c);
// The Windows colour value for a TColor (system colours resolved, flags kept).
inline COLORREF ColorToRef(TColor c) { return static_cast<COLORREF>(ColorToRGB(c)); }

// ---- Enumerations ---------------------------------------------------------------
enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

using TFontStyles = TSet<TFontStyle>;

enum TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
using TFontCharset = std::uint8_t;
using TFontName = String;

enum TPenStyle : std::uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode : std::uint8_t {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TBrushStyle : std::uint8_t {
    bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

enum TPixelFormat : std::uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode : std::uint8_t { tmAuto, tmFixed };
enum TBitmapHandleType : std::uint8_t { bmDIB, bmDDB };

// ---- Graphics objects -------------------------------------------------------------
class TGraphicsObject : public TPersistent {
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

class TFont : public TGraphicsObject {
public:
    TFont();  // "MS Sans Serif", height -11 (8 pt), clWindowText
    ~TFont() override;

    void Assign(TPersistent* Source) override;

    const String& Name() const { return FName; }
    void SetName(const String& v);
    int Height() const { return FHeight; }
    void SetHeight(int v);
    int Size() const;  // points at 96 dpi: -MulDiv(Height, 72, 96)
    void SetSize(int v);  // Height := -MulDiv(v, 96, 72)
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset v);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch v);
    int PixelsPerInch() const { return 96; }

    // The font object for these values, created on demand and owned by the font.
    HFONT Handle();
    // Adopts a font object (the font owns and deletes it from then on) and
    // takes over its description, escapement included.
    void SetHandle(HFONT h);

private:
    void Changed() override;
    String FName;
    int FHeight;
    TFontStyles FStyle;
    TColor FColor;
    TFontCharset FCharset;
    TFontPitch FPitch;
    LONG FEscapement = 0;  // kept from SetHandle so a rotated font survives
    HFONT FHandle = nullptr;
};

class TPen : public TGraphicsObject {
public:
    TPen();  // black, width 1, psSolid, pmCopy
    ~TPen() override;

    void Assign(TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode v);
    HPEN Handle();

private:
    void Changed() override;
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
    HPEN FHandle = nullptr;
};

class TBrush : public TGraphicsObject {
public:
    TBrush();  // white, bsSolid
    ~TBrush() override;

    void Assign(TPersistent* Source) override;

    TColor Color() const { return FColor; }
    void SetColor(TColor v);  // a clear brush becomes solid
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v);
    // A pattern bitmap (not owned); while set it wins over Style.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* v);
    HBRUSH Handle();

private:
    void Changed() override;
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
    HBRUSH FHandle = nullptr;
};

// ---- Canvas ----------------------------------------------------------------------------
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    // The device context drawn on. A plain canvas draws on whatever DC is
    // bound with SetHandle (not owned); a bitmap's canvas makes its own.
    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return FHandle != nullptr; }

    TFont* Font() { return &FFont; }
    void SetFont(TFont* v) { FFont.Assign(v); }
    TPen* Pen() { return &FPen; }
    void SetPen(TPen* v) { FPen.Assign(v); }
    TBrush* Brush() { return &FBrush; }
    void SetBrush(TBrush* v) { FBrush.Assign(v); }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode v) { FCopyMode = v; }
    TPoint PenPos();
    void SetPenPos(TPoint p);
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor c);
    TRect ClipRect();  // the clip box in logical coordinates

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const TPoint* pts, int count);
    void Polyline(const std::vector<TPoint>& pts) { Polyline(pts.data(), static_cast<int>(pts.size())); }
    void Polygon(const TPoint* pts, int count);
    void Polygon(const std::vector<TPoint>& pts) { Polygon(pts.data(), static_cast<int>(pts.size())); }
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);   // with the brush; right and bottom excluded
    void FrameRect(const TRect& r);  // with the brush colour, one pixel inside r
    void DrawFocusRect(const TRect& r);

    void TextOut(int x, int y, const String& text);
    // Text clipped to r; the brush fills r first unless it is clear.
    void TextRect(const TRect& r, int x, int y, const String& text);
    TSize TextExtent(const String& text);
    int TextWidth(const String& text);
    int TextHeight(const String& text);

    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    // Stretching copy from another canvas with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
    // Stretching copy of a bitmap in which pixels of `color` show the brush
    // (or leave the destination unchanged with a clear brush).
    void BrushCopy(const TRect& dest, const TBitmap* bitmap, const TRect& source, TColor color);

    void Lock() { ++FLockCount; }
    void Unlock() { if (FLockCount > 0) --FLockCount; }
    bool TryLock() { Lock(); return true; }
    int LockCount() const { return FLockCount; }
    void Refresh();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void CreateHandle() {}
    // Makes the DC carry the current font, pen and brush.
    void RequireState();
    void Changing();
    void Changed();
    HDC FHandle = nullptr;

private:
    TFont FFont;
    TPen FPen;
    TBrush FBrush;
    TCopyMode FCopyMode = cmSrcCopy;
    int FLockCount = 0;
    bool FFontValid = false;
    bool FPenValid = false;
    bool FBrushValid = false;
};

// ---- Pictures -------------------------------------------------------------------------
class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int v) = 0;
    virtual void SetHeight(int v) = 0;
    virtual void LoadFromFile(const String& fileName);  // EFOpenError "Cannot open file %s"
    virtual void SaveToFile(const String& fileName);    // EFCreateError "Cannot create file %s"
    virtual void LoadFromStream(TStream* stream);
    virtual void SaveToStream(TStream* stream);
    // Byte-level forms that the stream and file forms go through.
    virtual void LoadFromBytes(const std::uint8_t* data, std::size_t size) = 0;
    virtual std::vector<std::uint8_t> SaveToBytes() = 0;
    virtual HPALETTE Palette() { return nullptr; }
    virtual void SetPalette(HPALETTE) {}
    virtual bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool v);
    bool Modified() const { return FModified; }
    void SetModified(bool v);
    // An empty graphic of the same kind, which a copy is assigned into.
    virtual std::unique_ptr<TGraphic> NewEmpty() const;

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    virtual void Draw(TCanvas* canvas, const TRect& r) = 0;  // stretched to r
    virtual void Changed();
    bool FTransparent = false;
    bool FModified = false;
};

namespace detail {
struct BitmapObj;
struct BitmapAccess;
}  // namespace detail

class TBitmap : public TGraphic {
public:
    TBitmap();  // empty, pfDevice
    ~TBitmap() override;

    void Assign(TPersistent* Source) override;  // TBitmap, TJPEGImage, TPicture, nullptr

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int v) override;
    void SetHeight(int v) override;
    void SetSize(int w, int h);

    // pfDevice behaves as 24 bits (a two-colour device bitmap reports pf1bit).
    // Changing it converts the picture; a palette format gets the default
    // palette of its depth (8 bits: the 20 static colours, a colour cube, greys).
    TPixelFormat PixelFormat() const;
    void SetPixelFormat(TPixelFormat v);
    TBitmapHandleType HandleType() const;
    void SetHandleType(TBitmapHandleType v);
    // Row `row` from the top, in DIB row layout for the pixel format. Valid
    // until the bitmap is next drawn on, resized or converted.
    void* ScanLine(int row);
    // The same row for reading only: it leaves the picture unchanged.
    const void* ScanLine(int row) const;

    // Two-colour: index 0 black, index 1 white. Turning it on maps pixels of
    // the canvas background (white) to 1 and everything else to 0.
    bool Monochrome() const;
    void SetMonochrome(bool v);

    // The bitmap's palette, owned by the bitmap: nullptr above 8 bits unless
    // set, and after ReleasePalette until a new one is set.
    HPALETTE Palette() override;
    // Takes ownership of pal. A <= 8-bit picture keeps its pixel indexes and
    // takes the palette as its colour table.
    void SetPalette(HPALETTE pal) override;
    HPALETTE ReleasePalette();

    TCanvas* Canvas();
    // The bitmap's canvas for reading (Pixels, the source of a copy) by code
    // that holds a const bitmap. Drawing on it is not allowed.
    TCanvas* ReadCanvas() const;
    HBITMAP Handle();
    void SetHandle(HBITMAP h);  // takes ownership
    HBITMAP ReleaseHandle();    // the caller owns the result; the bitmap becomes empty

    TColor TransparentColor();  // tmAuto: the lower-left pixel (clDefault when empty)
    void SetTransparentColor(TColor v);  // sets tmFixed
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode v);

    void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;  // BMP files
    std::vector<std::uint8_t> SaveToBytes() override;  // exact DIB layout, bottom-up
    // Reads one BMP file (its header's size) and leaves the stream after it.
    void LoadFromStream(TStream* stream) override;
    using TGraphic::SaveToStream;
    void LoadFromResourceName(const String& name);
    void LoadFromResourceID(int id);
    void Dormant() {}
    void FreeImage() {}
    void Mask(TColor transparentColor);  // becomes a monochrome mask: that colour white

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;
    void Changed() override;

private:
    friend struct detail::BitmapAccess;
    void DropCanvas();
    std::unique_ptr<TCanvas> FCanvas;
    HBITMAP FHandle = nullptr;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
};

// Holds one graphic of any type (TBitmap, TJPEGImage).
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;

    void Assign(TPersistent* Source) override;  // TPicture, TGraphic, nullptr

    TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(TGraphic* g);  // copies g
    // The graphic as a bitmap; a picture holding something else (or nothing)
    // is replaced by an empty bitmap.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* b) { SetGraphic(b); }
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // The type comes from the content: the registered format whose signature
    // the data begins with (BMP "BM", JPEG FF D8 FF).
    void LoadFromFile(const String& fileName);
    void LoadFromStream(TStream* stream);
    void SaveToFile(const String& fileName);

    // Adds a format read by the graphics that `make` creates, known by the
    // first bytes `signature`; the longest matching signature wins. Meant for
    // start-up, before pictures are loaded on other threads.
    using TGraphicFactory = std::unique_ptr<TGraphic> (*)();
    static void RegisterFileFormat(const std::string& signature, TGraphicFactory make);

    TNotifyEvent OnChange;

private:
    void Changed(TObject* sender);
    void Take(std::unique_ptr<TGraphic> g);
    std::unique_ptr<TGraphic> FGraphic;
};

// Loads any supported picture from bytes by content; EInvalidGraphic otherwise.
std::unique_ptr<TGraphic> LoadGraphicFromBytes(const std::uint8_t* data, std::size_t size);

}  // namespace gui
