// The drawing-layer side of the support unit: image maps over regions, the
// program-wide context, picture loading and conversion for the display,
// the DIB helper and the drawing helpers.
#include "htmlview/HtmlSupport.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "gui/windows/Cursors.h"
#include "gui/base/FileLoad.h"
#include "gui/windows/Forms.h"
#include "gui/draw/Graphics.h"
#include "gui/draw/Jpeg.h"
#include "gui/base/Resources.h"
#include "gui/draw/ScopedDC.h"
#include "htmlview/Dither.h"
#include "htmlview/GifImage.h"

namespace htmlview {

using namespace gui;

// ---- Image maps ---------------------------------------------------------------------

TMapItem::TMapItem() = default;

TMapItem::~TMapItem() {
    for (int i = 0; i < Areas.Count(); ++i)
        if (Areas.Objects(i)) DeleteObject(static_cast<HRGN>(Areas.Objects(i)));
}

void TMapItem::AddArea(const TAreaAttributes& A) {
    String href = A.Href ? *A.Href : String();
    if (A.NoHref) href.clear();
    String shape = A.Shape.substr(0, 4);
    for (char& c : shape) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // Page coordinates beyond the 16-bit range mean nothing on screen; keeping
    // them small also keeps the region code clear of overflowing polygons.
    std::vector<int> n = ParseCoords(A.Coords);
    for (int& v : n) v = std::clamp(v, -32767, 32767);
    // Circles and polygons get no region: a zig-zag of a hundred vertices
    // takes the region code seconds and gigabytes, a huge circle half a
    // second; the point tests cost a few compares per vertex.
    HRGN rgn = nullptr;
    TAreaShape area;
    if (shape == "circ") {
        if (n.size() < 3) return;
        area.Kind = TAreaShape::Ellipse;
        area.Left = n[0] - n[2];
        area.Top = n[1] - n[2];
        area.Right = n[0] + n[2] + 1;
        area.Bottom = n[1] + n[2] + 1;
    } else if (shape == "poly") {
        if (n.size() < 6) return;
        area.Kind = TAreaShape::Polygon;
        area.Points.reserve(n.size() / 2);
        for (std::size_t i = 0; i + 1 < n.size(); i += 2) area.Points.push_back(Point(n[i], n[i + 1]));
    } else {
        if (n.size() < 4) return;
        rgn = CreateRectRgn(n[0], n[1], n[2] + 1, n[3] + 1);
        if (!rgn) return;
    }
    Areas.AddObject(href, rgn);
    AreaTargets.Add(A.Target);
    AreaShapes.push_back(std::move(area));
}

void TMapItem::AddArea(const TAttributeList& Attrs, const TAreaSymbols& Sy) {
    TAreaAttributes a;
    for (int i = 0; i < Attrs.Count(); ++i) {
        const TAttribute* t = Attrs.Attr(i);
        if (t->Which == Sy.Href)
            a.Href = t->Name;
        else if (t->Which == Sy.Shape)
            a.Shape = t->Name;
        else if (t->Which == Sy.Coords)
            a.Coords = t->Name;
        else if (t->Which == Sy.NoHref)
            a.NoHref = true;
        else if (t->Which == Sy.Target)
            a.Target = t->Name;
    }
    AddArea(a);
}

std::unique_ptr<TUrlTarget> TMapItem::GetURL(int X, int Y) const {
    for (int i = 0; i < Areas.Count(); ++i) {
        const TAreaShape& a = AreaShapes[static_cast<std::size_t>(i)];
        bool in = false;
        switch (a.Kind) {
            case TAreaShape::Region: in = PtInRegion(static_cast<HRGN>(Areas.Objects(i)), X, Y) != 0; break;
            case TAreaShape::Polygon:
                in = PtInPolygon(a.Points.data(), static_cast<int>(a.Points.size()), true, X, Y);
                break;
            case TAreaShape::Ellipse: in = PtInEllipse(a.Left, a.Top, a.Right, a.Bottom, X, Y); break;
        }
        if (in) {
            if (Areas.Strings(i).empty()) return nullptr;
            return std::make_unique<TUrlTarget>(Areas.Strings(i), AreaTargets.Strings(i));
        }
    }
    return nullptr;
}

// ---- Program-wide state ----------------------------------------------------------------

namespace {

// The living context; its holders (shared pointers) keep it alive.
THtmlContext* gCurrent = nullptr;

int DetectColorBits() {
    OwnedDC dc(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    int bits = 24;
    if (dc) bits = GetDeviceCaps(dc.Get(), BITSPIXEL) * GetDeviceCaps(dc.Get(), PLANES);
    if (bits <= 4) return 4;
    if (bits <= 8) return 8;
    return 24;
}

HPALETTE MakeSharedPalette() {
    PALETTEENTRY sys[256] = {};
    OwnedDC dc(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    if (dc) {
        GetSystemPaletteEntries(dc.Get(), 0, 256, sys);
    } else {
        GetStandardSystemPalette(sys);
    }
    std::vector<std::uint8_t> buf(4 + 4 * 256);
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 256;
    BuildSharedPaletteEntries(sys, lp->palPalEntry);
    return CreatePalette(lp);
}

// The stock pictures and cursors are embedded with this library.
std::unique_ptr<TBitmap> StockPicture(int id) {
    const std::vector<std::uint8_t> data = LoadResource(std::to_string(id), RT_BITMAP);
    auto bmp = std::make_unique<TBitmap>();
    bmp->LoadFromBytes(data.data(), data.size());
    return bmp;
}

HCURSOR ViewerCursor(const char* resource) {
    return LoadCursor(HInstance, resource);
}

}  // namespace

void RegisterViewerCursors() {
    if (!Screen) return;
    Screen->Cursors[1] = ViewerCursor("1003");
    Screen->Cursors[2] = ViewerCursor("1006");
    Screen->Cursors[3] = ViewerCursor("UPDOWNCURSOR");
    Screen->Cursors[4] = ViewerCursor("UPONLYCURSOR");
    Screen->Cursors[5] = ViewerCursor("DOWNONLYCURSOR");
}

void THtmlContext::PaletteDeleter::operator()(HPALETTE p) const {
    DeleteObject(p);
}

THtmlContext::THtmlContext()
    : FPendingImage(StockPicture(1002)),
      FErrorImage(StockPicture(1001)),
      FErrorMask(StockPicture(1005)),
      FCache(std::make_unique<TStringBitmapList>()),
      FWaitMarker(std::make_unique<TMemoryStream>()) {
    RefreshDisplayDepth();
}

THtmlContext::~THtmlContext() {
    if (gCurrent == this) gCurrent = nullptr;
}

std::shared_ptr<THtmlContext> THtmlContext::Acquire() {
    // Viewers come and go; the context is made on first use and shared until
    // the last holder lets go.
    static std::weak_ptr<THtmlContext> shared;
    if (auto live = shared.lock()) return live;
    std::shared_ptr<THtmlContext> made(new THtmlContext);
    shared = made;
    gCurrent = made.get();
    RegisterViewerCursors();
    return made;
}

THtmlContext* THtmlContext::Current() { return gCurrent; }

void THtmlContext::RefreshDisplayDepth() {
    FColorBits = DetectColorBits();
    if (FColorBits == 8 && !FPalette) FPalette.reset(MakeSharedPalette());
    if (FColorBits != 8) FPalette.reset();
}

void RefreshDisplayDepth() {
    if (gCurrent) gCurrent->RefreshDisplayDepth();
}

int ColorBits() { return gCurrent ? gCurrent->ColorBits() : 24; }
HPALETTE ThePalette() { return gCurrent ? gCurrent->Palette() : nullptr; }
TStringBitmapList* BitmapList() { return gCurrent ? &gCurrent->Cache() : nullptr; }
TBitmap* DefBitmap() { return gCurrent ? &gCurrent->PendingImage() : nullptr; }
TBitmap* ErrorBitmap() { return gCurrent ? &gCurrent->ErrorImage() : nullptr; }
TBitmap* ErrorBitmapMask() { return gCurrent ? &gCurrent->ErrorImageMask() : nullptr; }
TMemoryStream* WaitStream() { return gCurrent ? &gCurrent->WaitMarker() : nullptr; }

// ---- TDib ---------------------------------------------------------------------------------

TDib::TDib(HDC DC, TBitmap* Bitmap) {
    BITMAP bm{};
    HBITMAP h = Bitmap->Handle();
    GetObjectA(h, sizeof(bm), &bm);
    int bits = bm.bmBitsPixel * bm.bmPlanes;
    if (bits == 16 || bits == 32) bits = 24;
    const int infoSize = bits <= 8 ? 40 + 4 * (1 << bits) : 40;
    Info.assign(static_cast<std::size_t>(infoSize), 0);
    auto* hdr = reinterpret_cast<BITMAPINFOHEADER*>(Info.data());
    *hdr = BITMAPINFOHEADER{};
    hdr->biWidth = bm.bmWidth;
    hdr->biHeight = bm.bmHeight;
    hdr->biBitCount = static_cast<WORD>(bits);
    hdr->biCompression = BI_RGB;
    const long long rowSize = (static_cast<long long>(bits) * bm.bmWidth + 31) / 32 * 4;
    hdr->biSizeImage = static_cast<DWORD>(rowSize * bm.bmHeight);
    Bits.assign(hdr->biSizeImage, 0);

    int got = 0;
    {
        OwnedDC own(DC ? nullptr : CreateCompatibleDC(nullptr));
        HDC dc = DC ? DC : own.Get();
        SelectedPalette pal(dc, Bitmap->Palette());
        got = GetDIBits(dc, h, 0, static_cast<UINT>(bm.bmHeight), Bits.data(),
                        reinterpret_cast<BITMAPINFO*>(Info.data()), DIB_RGB_COLORS);
    }
    if (got == 0) {
        if (!DC && BitmapList()) BitmapList()->PurgeCache();
        throw EOutOfResources("Out of memory");
    }
}

TDib::~TDib() = default;

void TDib::DrawDIB(HDC DC, int X, int Y, int W, int H, DWORD ROP) {
    const auto& h = Header();
    StretchDIBits(DC, X, Y, W, H, 0, 0, h.biWidth, h.biHeight, Bits.data(),
                  reinterpret_cast<const BITMAPINFO*>(Info.data()), DIB_RGB_COLORS, ROP);
}

HBITMAP TDib::CreateDIBmp() {
    OwnedDC screen(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    SelectedPalette pal(screen.Get(), ThePalette());
    return CreateDIBitmap(screen.Get(), &Header(), CBM_INIT, Bits.data(),
                          reinterpret_cast<const BITMAPINFO*>(Info.data()), DIB_RGB_COLORS);
}

// ---- Masks and conversion ------------------------------------------------------------------

std::unique_ptr<TBitmap> GetImageMask(TBitmap* Image, bool ColorValid, TColor AColor) {
    if (!Image || Image->Empty()) return nullptr;
    try {
        TBitmap copy;
        copy.Assign(Image);
        TColor colour = ColorValid ? ColorToRGB(AColor) : ColorToRGB(Image->Canvas()->Pixels(0, Image->Height() - 1));
        // Matched against the picture's palette like a palette-relative colour.
        if (HPALETTE pal = Image->Palette(); pal && Image->PixelFormat() <= pf8bit && Image->PixelFormat() != pfDevice) {
            PALETTEENTRY e{};
            const UINT idx = GetNearestPaletteIndex(pal, static_cast<COLORREF>(colour));
            if (idx != CLR_INVALID && GetPaletteEntries(pal, idx, 1, &e) == 1) colour = RGB(e.peRed, e.peGreen, e.peBlue);
        }
        copy.SetPixelFormat(pf24bit);
        const int w = copy.Width(), h = copy.Height();
        auto mask = std::make_unique<TBitmap>();
        mask->SetPixelFormat(pf1bit);
        mask->SetSize(w, h);
        const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
        for (int y = 0; y < h; ++y) {
            const auto* src = static_cast<const std::uint8_t*>(copy.ScanLine(y));
            auto* dst = static_cast<std::uint8_t*>(mask->ScanLine(y));
            std::memset(dst, 0, static_cast<std::size_t>((w + 7) / 8));
            for (int x = 0; x < w; ++x)
                if (src[3 * x] == b && src[3 * x + 1] == g && src[3 * x + 2] == r)
                    dst[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        }
        return mask;
    } catch (const Exception&) {
        return nullptr;
    }
}

namespace {

// Rebuilds a picture as a device bitmap through a DIB, with the shared palette.
std::unique_ptr<TBitmap> RebuildThroughDib(TBitmap* Bitmap) {
    std::unique_ptr<TDib> dib;
    {
        OwnedDC dc(CreateCompatibleDC(nullptr));
        SelectedPalette pal(dc.Get(), ThePalette());
        dib = std::make_unique<TDib>(dc.Get(), Bitmap);
    }
    HBITMAP h = dib->CreateDIBmp();
    if (!h) throw EOutOfResources("Out of Resources");
    auto result = std::make_unique<TBitmap>();
    result->SetHandle(h);
    if (!result->Palette() && ThePalette()) {
        if (HPALETTE copy = CopyPalette(ThePalette())) result->SetPalette(copy);
    }
    return result;
}

}  // namespace

std::unique_ptr<TBitmap> ConvertImage(std::unique_ptr<TBitmap> source) {
    if (!source) return nullptr;
    if (ColorBits() <= 8) {
        if (source->HandleType() == bmDIB) return DitherForScreen(source.get(), ColorBits(), ThePalette());
        return RebuildThroughDib(source.get());
    }
    const TPixelFormat pf = source->PixelFormat();
    if (pf == pf1bit || pf == pf4bit) return RebuildThroughDib(source.get());
    return source;
}

// ---- Picture loading ---------------------------------------------------------------------

namespace {

bool ReadFileBytes(const String& FileName, std::vector<std::uint8_t>& bytes) {
    return gui::ReadRegularFile(FileName, gui::kMaxPictureFileBytes, bytes) == gui::FileStatus::Ok;
}

std::unique_ptr<TBitmap> DecodeJpeg(const std::uint8_t* Data, std::size_t Size) {
    TJpegMod jpeg;
    jpeg.LoadFromBytes(Data, Size);
    if (ColorBits() > 8) {
        jpeg.SetPixelFormat(jf24Bit);
    } else {
        jpeg.SetPixelFormat(jf8Bit);
        if (!jpeg.Grayscale() && ThePalette()) jpeg.SetPalette(ThePalette());  // the picture takes a copy
    }
    jpeg.DIBNeeded();
    auto bmp = std::make_unique<TBitmap>();
    bmp->Assign(&jpeg);
    return bmp;
}

// Frame 1 of a GIF as a bitmap; `Single` tells whether it was a still picture.
std::unique_ptr<TBitmap> DecodeGif(const std::uint8_t* Data, std::size_t Size, bool& Single) {
    PALETTEENTRY entries[256];
    int n = 0;
    if (ThePalette()) n = static_cast<int>(GetPaletteEntries(ThePalette(), 0, 256, entries));
    std::unique_ptr<TGIFImage> gif = GIFFromBytes(Data, Size, Single, ColorBits(), entries, n);
    if (!gif) {
        if (BitmapList()) BitmapList()->PurgeCache();
        return nullptr;
    }
    TBitmap* first = gif->FirstFrameBitmap();
    if (!first) return nullptr;
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(first);
    return copy;
}

}  // namespace

std::unique_ptr<TBitmap> GetBitmapFromBytes(const std::uint8_t* Data, std::size_t Size, bool Convert) {
    try {
        std::unique_ptr<TBitmap> result;
        switch (GetImageType(Data, Size)) {
            case Bmp: {
                result = std::make_unique<TBitmap>();
                result->LoadFromBytes(Data, Size);
                break;
            }
            case Gif:
            case Gif89: {
                // An animated GIF gives its first frame, not converted.
                bool single = false;
                result = DecodeGif(Data, Size, single);
                if (!single) return result;
                break;
            }
            case Jpg: result = DecodeJpeg(Data, Size); break;
            default: return nullptr;
        }
        if (!result || result->Empty()) return nullptr;
        if (Convert) return ConvertImage(std::move(result));
        return result;
    } catch (...) {
        return nullptr;
    }
}

std::unique_ptr<TBitmap> GetBitmapFromFile(const String& FileName, bool Convert) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(FileName, bytes)) return nullptr;
    return GetBitmapFromBytes(bytes.data(), bytes.size(), Convert);
}

TImageType GetImageTypeOfFile(const String& FileName) {
    try {
        TFileStream fs(FileName, fmOpenRead | fmShareDenyNone);
        std::uint8_t head[11] = {};
        const int n = fs.Read(head, sizeof head);
        return GetImageType(head, static_cast<std::size_t>(std::max(0, n)));
    } catch (const Exception&) {
        return NoImage;
    }
}

TPictureAndMask GetImageAndMaskFromFile(const String& FileName, int& Transparent) {
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBytes(FileName, bytes)) return {};
    TColor gifColour = 0;
    String ext = FileName.size() >= 4 ? FileName.substr(FileName.size() - 4) : String();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".gif" && GetGIFTransparentColor(bytes.data(), bytes.size(), gifColour)) Transparent = 2;
    if (Transparent == 0) return {GetBitmapFromBytes(bytes.data(), bytes.size(), true), nullptr};

    std::unique_ptr<TBitmap> plain = GetBitmapFromBytes(bytes.data(), bytes.size(), false);
    if (!plain) return {};
    TPictureAndMask result;
    result.Mask = GetImageMask(plain.get(), Transparent == 2, gifColour);
    if (!result.Mask) return {};
    try {
        result.Picture = ConvertImage(std::move(plain));
    } catch (...) {
        return {};  // loading never raises to its caller
    }
    if (!result.Picture) return {};
    return result;
}

TPictureAndMask GetImageAndMaskFromStream(TStream* Stream, int& Transparent) {
    auto* mem = dynamic_cast<TMemoryStream*>(Stream);
    if (!mem || !mem->Memory() || mem->Size() <= 19) return {};
    const auto* data = static_cast<const std::uint8_t*>(mem->Memory());
    const std::size_t size = static_cast<std::size_t>(mem->Size());
    TPictureAndMask result;
    try {
        const TImageType type = GetImageType(data, size);
        std::unique_ptr<TBitmap> bmp;
        if (type == Jpg) {
            Transparent = 0;
            bmp = DecodeJpeg(data, size);
        } else if (type == Bmp) {
            bmp = std::make_unique<TBitmap>();
            bmp->LoadFromBytes(data, size);
            if (Transparent == 1) result.Mask = GetImageMask(bmp.get(), false, 0);
        } else {
            return {};
        }
        result.Picture = ConvertImage(std::move(bmp));
    } catch (...) {
        return {};  // loading never raises to its caller
    }
    if (!result.Picture) return {};  // a mask alone would draw nothing
    return result;
}

// ---- Drawing helpers -------------------------------------------------------------------

void WrapTextW(TCanvas* Canvas, int X1, int Y1, int X2, int Y2, const String& S) {
    const TBrushStyle saved = Canvas->Brush()->Style();
    Canvas->Brush()->SetStyle(bsClear);
    const int lineHeight = Canvas->TextHeight("A");
    const int width = X2 - X1;
    int y = Y1;
    String line;
    String rest = Trim(S);
    auto drawLine = [&] {
        if (y + lineHeight <= Y2) Canvas->TextRect(Rect(X1, y, X2, Y2), X1, y, line);
        y += lineHeight;
    };
    while (!rest.empty()) {
        const std::size_t sp = rest.find(' ');
        const String word = rest.substr(0, sp);
        rest = sp == String::npos ? String() : Trim(rest.substr(sp));
        const String candidate = line.empty() ? word : line + " " + word;
        if (line.empty() || Canvas->TextWidth(candidate) <= width) {
            line = candidate;
        } else {
            drawLine();
            line = word;
        }
    }
    if (!line.empty()) drawLine();
    Canvas->Brush()->SetStyle(saved);
}

int GetXExtent(HDC DC, const String& S, int N) {
    SIZE size{};
    const int n = std::clamp(N, 0, static_cast<int>(S.size()));
    GetTextExtentExPointA(DC, S.c_str(), n, 0, nullptr, nullptr, &size);
    return size.cx;
}

void RaisedRect(TColor DocBackground, TCanvas* Canvas, int X1, int Y1, int X2, int Y2, bool Raised) {
    Y1 = std::max(Y1, -200);
    Y2 = std::min(Y2, 3000);
    const TColor bg = DocBackground & ~static_cast<TColor>(PALETTE_RELATIVE);
    const bool white = bg == 0xFFFFFF || (bg == clWindow && (GetSysColor(COLOR_WINDOW) & 0xFFFFFF) == 0xFFFFFF);
    const TColor highlight = white ? clSilver : clBtnHighlight;
    const TColor topLeft = Raised ? highlight : clBtnShadow;
    const TColor bottomRight = Raised ? clBtnShadow : highlight;
    Canvas->Pen()->SetColor(topLeft);
    Canvas->MoveTo(X1, Y2);
    Canvas->LineTo(X1, Y1);
    Canvas->LineTo(X2, Y1);
    Canvas->Pen()->SetColor(bottomRight);
    Canvas->MoveTo(X2, Y1);
    Canvas->LineTo(X2, Y2);
    Canvas->LineTo(X1, Y2);
}

void FinishTransparentBitmap(HDC DC, TBitmap* Image, TBitmap* Mask, int X, int Y, int W, int H) {
    if (!Image || !Mask || Image->Empty() || Mask->Empty()) return;
    if (GetDeviceCaps(DC, BITSPIXEL) * GetDeviceCaps(DC, PLANES) == 1) return;
    TBitmap copy;
    copy.Assign(Image);
    HDC maskDC = Mask->Canvas()->Handle();
    HDC copyDC = copy.Canvas()->Handle();
    const COLORREF oldBk = SetBkColor(DC, 0xFFFFFF);
    const COLORREF oldText = SetTextColor(DC, 0);
    const int oldMode = SetStretchBltMode(DC, WHITEONBLACK);
    StretchBlt(DC, X, Y, W, H, maskDC, 0, 0, Mask->Width(), Mask->Height(), SRCAND);
    // Clear the see-through pixels of the copy: copy AND NOT mask.
    BitBlt(copyDC, 0, 0, copy.Width(), copy.Height(), maskDC, 0, 0, 0x00220326);
    SetStretchBltMode(DC, COLORONCOLOR);
    StretchBlt(DC, X, Y, W, H, copyDC, 0, 0, copy.Width(), copy.Height(), SRCPAINT);
    SetStretchBltMode(DC, oldMode);
    SetBkColor(DC, oldBk);
    SetTextColor(DC, oldText);
}

}  // namespace htmlview
