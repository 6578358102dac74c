// Fonts, pens, brushes, the canvas, and the picture containers.
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "gui/base/FileLoad.h"
#include "gui/draw/Graphics.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/draw/detail/PictureFormats.h"

namespace gui {

using namespace detail;

TColor ColorToRGB(TColor c) {
    if (c < 0) return static_cast<TColor>(GetSysColor(c & 0xFF));
    if (c == clNone || c == clDefault) return c;
    return c & ~static_cast<TColor>(PALETTE_RELATIVE);
}

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

// ---- TFont -------------------------------------------------------------------------
TFont::TFont() : FName("MS Sans Serif"), FHeight(-11), FColor(clWindowText), FCharset(DEFAULT_CHARSET), FPitch(fpDefault) {}

TFont::~TFont() {
    if (FHandle != nullptr) DeleteObject(FHandle);
}

void TFont::Changed() {
    if (FHandle != nullptr) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    TGraphicsObject::Changed();
}

void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this) return;
        FName = f->FName;
        FHeight = f->FHeight;
        FStyle = f->FStyle;
        FColor = f->FColor;
        FCharset = f->FCharset;
        FPitch = f->FPitch;
        FEscapement = f->FEscapement;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TFont::SetName(const String& v) {
    if (v.empty() || v == FName) return;
    FName = v;
    FEscapement = 0;
    Changed();
}

void TFont::SetHeight(int v) {
    if (v == FHeight) return;
    FHeight = v;
    FEscapement = 0;
    Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, PixelsPerInch()); }

void TFont::SetSize(int v) { SetHeight(-MulDiv(v, PixelsPerInch(), 72)); }

void TFont::SetStyle(TFontStyles v) {
    if (v == FStyle) return;
    FStyle = v;
    FEscapement = 0;
    Changed();
}

void TFont::SetColor(TColor v) {
    if (v == FColor) return;
    FColor = v;
    // The colour is not part of the font object: keep the handle.
    TGraphicsObject::Changed();
}

void TFont::SetCharset(TFontCharset v) {
    if (v == FCharset) return;
    FCharset = v;
    FEscapement = 0;
    Changed();
}

void TFont::SetPitch(TFontPitch v) {
    if (v == FPitch) return;
    FPitch = v;
    FEscapement = 0;
    Changed();
}

HFONT TFont::Handle() {
    if (FHandle == nullptr) {
        LOGFONTA lf;
        lf.lfHeight = FHeight;
        lf.lfEscapement = FEscapement;
        lf.lfOrientation = FEscapement;
        lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
        lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = FCharset;
        lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
        std::strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
        FHandle = CreateFontIndirectA(&lf);
    }
    return FHandle;
}

void TFont::SetHandle(HFONT h) {
    if (h == nullptr || h == FHandle) return;
    const LOGFONTA& lf = AsFont(h)->lf;
    if (FHandle != nullptr) DeleteObject(FHandle);
    FHandle = nullptr;
    FName = lf.lfFaceName;
    FHeight = lf.lfHeight;
    TFontStyles st;
    if (lf.lfWeight >= 600) st << fsBold;
    if (lf.lfItalic) st << fsItalic;
    if (lf.lfUnderline) st << fsUnderline;
    if (lf.lfStrikeOut) st << fsStrikeOut;
    FStyle = st;
    FCharset = lf.lfCharSet;
    FPitch = (lf.lfPitchAndFamily & 3) == FIXED_PITCH ? fpFixed : (lf.lfPitchAndFamily & 3) == VARIABLE_PITCH ? fpVariable : fpDefault;
    FEscapement = lf.lfEscapement;
    TGraphicsObject::Changed();
    FHandle = h;  // owned from here on
}

// ---- TPen --------------------------------------------------------------------------
TPen::TPen() = default;

TPen::~TPen() {
    if (FHandle != nullptr) DeleteObject(FHandle);
}

void TPen::Changed() {
    if (FHandle != nullptr) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    TGraphicsObject::Changed();
}

void TPen::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        if (p == this) return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TPen::SetColor(TColor v) {
    if (v == FColor) return;
    FColor = v;
    Changed();
}
void TPen::SetWidth(int v) {
    if (v < 0 || v == FWidth) return;
    FWidth = v;
    Changed();
}
void TPen::SetStyle(TPenStyle v) {
    if (v == FStyle) return;
    FStyle = v;
    Changed();
}
void TPen::SetMode(TPenMode v) {
    if (v == FMode) return;
    FMode = v;
    TGraphicsObject::Changed();  // the mode lives in the DC, not in the pen object
}

HPEN TPen::Handle() {
    if (FHandle == nullptr) {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        FHandle = CreatePen(styles[FStyle], FWidth, ColorToRef(FColor));
    }
    return FHandle;
}

// ---- TBrush ------------------------------------------------------------------------
TBrush::TBrush() = default;

TBrush::~TBrush() {
    if (FHandle != nullptr) DeleteObject(FHandle);
}

void TBrush::Changed() {
    if (FHandle != nullptr) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    TGraphicsObject::Changed();
}

void TBrush::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        if (b == this) return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        FBitmap = b->FBitmap;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor v) {
    if (v == FColor && FStyle != bsClear) return;
    FColor = v;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle v) {
    if (v == FStyle) return;
    FStyle = v;
    Changed();
}

void TBrush::SetBitmap(TBitmap* v) {
    if (v == FBitmap) return;
    FBitmap = v;
    Changed();
}

HBRUSH TBrush::Handle() {
    if (FHandle == nullptr) {
        if (FBitmap != nullptr && !FBitmap->Empty()) {
            FHandle = CreatePatternBrush(FBitmap->Handle());
        } else {
            switch (FStyle) {
                case bsSolid: FHandle = CreateSolidBrush(ColorToRef(FColor)); break;
                case bsClear: FHandle = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); break;
                default: FHandle = CreateHatchBrush(static_cast<int>(FStyle) - static_cast<int>(bsHorizontal), ColorToRef(FColor));
            }
        }
    }
    return FHandle;
}

// ---- TCanvas -----------------------------------------------------------------------
namespace {
int Rop2For(TPenMode m) {
    static const int map[] = {R2_BLACK,       R2_WHITE,     R2_NOP,        R2_NOT,       R2_COPYPEN,   R2_NOTCOPYPEN,
                              R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                              R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,     R2_NOTXORPEN};
    return map[m];
}
}  // namespace

TCanvas::TCanvas() {
    FFont.OnChange = [this](TObject*) {
        FFontValid = false;
    };
    FPen.OnChange = [this](TObject*) { FPenValid = false; };
    FBrush.OnChange = [this](TObject*) { FBrushValid = false; };
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

void TCanvas::SetHandle(HDC dc) {
    if (dc == FHandle) return;
    if (FHandle != nullptr) {
        // Give the DC back with stock objects so that ours can be freed.
        SelectObject(FHandle, GetStockObject(BLACK_PEN));
        SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
        SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    }
    FHandle = dc;
    FFontValid = FPenValid = FBrushValid = false;
}

HDC TCanvas::Handle() {
    Changing();
    RequireState();
    return FHandle;
}

void TCanvas::RequireState() {
    if (FHandle == nullptr) CreateHandle();
    if (FHandle == nullptr) throw EInvalidOperation("Canvas does not allow drawing");
    if (!FFontValid) {
        SelectObject(FHandle, FFont.Handle());
        SetTextColor(FHandle, ColorToRef(FFont.Color()));
        FFontValid = true;
    }
    if (!FPenValid) {
        SelectObject(FHandle, FPen.Handle());
        SetROP2(FHandle, Rop2For(FPen.Mode()));
        FPenValid = true;
    }
    if (!FBrushValid) {
        SelectObject(FHandle, FBrush.Handle());
        SetBkColor(FHandle, ColorToRef(FBrush.Color()));
        SetBkMode(FHandle, FBrush.Style() == bsSolid ? OPAQUE : TRANSPARENT);
        FBrushValid = true;
    }
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

void TCanvas::Refresh() { FFontValid = FPenValid = FBrushValid = false; }

TPoint TCanvas::PenPos() {
    RequireState();
    POINT p;
    GetCurrentPositionEx(FHandle, &p);
    return p;
}

void TCanvas::SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }

TColor TCanvas::Pixels(int x, int y) {
    RequireState();
    COLORREF c = GetPixel(FHandle, x, y);
    return c == CLR_INVALID ? static_cast<TColor>(-1) : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int x, int y, TColor c) {
    Changing();
    RequireState();
    SetPixel(FHandle, x, y, ColorToRef(c));
    Changed();
}

TRect TCanvas::ClipRect() {
    RequireState();
    RECT r;
    GetClipBox(FHandle, &r);
    return r;
}

void TCanvas::MoveTo(int x, int y) {
    RequireState();
    MoveToEx(FHandle, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    Changing();
    RequireState();
    ::gui::LineTo(FHandle, x, y);
    Changed();
}

void TCanvas::Polyline(const TPoint* pts, int count) {
    Changing();
    RequireState();
    ::gui::Polyline(FHandle, pts, count);
    Changed();
}

void TCanvas::Polygon(const TPoint* pts, int count) {
    Changing();
    RequireState();
    ::gui::Polygon(FHandle, pts, count);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Changing();
    RequireState();
    ::gui::Rectangle(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    Changing();
    RequireState();
    ::gui::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Changing();
    RequireState();
    ::gui::Ellipse(FHandle, x1, y1, x2, y2);
    Changed();
}

void TCanvas::FillRect(const TRect& r) {
    Changing();
    RequireState();
    ::gui::FillRect(FHandle, &r, FBrush.Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    Changing();
    RequireState();
    ::gui::FrameRect(FHandle, &r, FBrush.Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    Changing();
    RequireState();
    ::gui::DrawFocusRect(FHandle, &r);
    Changed();
}

void TCanvas::TextOut(int x, int y, const String& text) {
    Changing();
    RequireState();
    TextOutA(FHandle, x, y, text.c_str(), static_cast<int>(text.size()));
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text) {
    Changing();
    RequireState();
    UINT options = ETO_CLIPPED;
    if (FBrush.Style() != bsClear) options |= ETO_OPAQUE;
    ExtTextOutA(FHandle, x, y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

TSize TCanvas::TextExtent(const String& text) {
    RequireState();
    SIZE s;
    GetTextExtentPoint32A(FHandle, text.c_str(), static_cast<int>(text.size()), &s);
    return s;
}

int TCanvas::TextWidth(const String& text) { return TextExtent(text).cx; }
int TCanvas::TextHeight(const String& text) { return TextExtent(text).cy; }

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (graphic == nullptr || graphic->Empty()) return;
    Changing();
    RequireState();
    graphic->Draw(this, Rect(x, y, x + graphic->Width(), y + graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (graphic == nullptr || graphic->Empty()) return;
    Changing();
    RequireState();
    graphic->Draw(this, r);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
    if (canvas == nullptr) return;
    Changing();
    RequireState();
    HDC src = canvas->Handle();
    StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top, source.Width(),
               source.Height(), FCopyMode);
    Changed();
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap* bitmap, const TRect& source, TColor color) {
    if (bitmap == nullptr || bitmap->Empty() || dest.Width() == 0 || dest.Height() == 0) return;
    Changing();
    RequireState();
    const int dw = std::abs(dest.Width()), dh = std::abs(dest.Height());
    const int sw = source.Width(), sh = source.Height();
    if (sw == 0 || sh == 0) return;
    // The source stretched to the destination size, as the copy will place it.
    // Both buffers are kept between calls (buttons and meters copy per paint);
    // nothing below can re-enter this function.
    static QImage stretched;
    static std::vector<QRect> runs;
    if (stretched.width() != dw || stretched.height() != dh) stretched = QImage(dw, dh, QImage::Format_RGB32);
    if (stretched.isNull()) throw EOutOfResources("Out of Resources");
    runs.clear();
    const QImage& src = ImageOf(*bitmap);
    const QRgb key = ResolveColor(FHandle, ColorToRef(color)) & 0xFFFFFF;
    for (int y = 0; y < dh; ++y) {
        int sy = source.Top + static_cast<int>(static_cast<long long>(y) * sh / dh);
        auto* out = reinterpret_cast<QRgb*>(stretched.scanLine(y));
        int runStart = -1;
        for (int x = 0; x <= dw; ++x) {
            bool match = false;
            if (x < dw) {
                int sx = source.Left + static_cast<int>(static_cast<long long>(x) * sw / dw);
                QRgb c = (sx >= 0 && sy >= 0 && sx < src.width() && sy < src.height())
                             ? reinterpret_cast<const QRgb*>(src.constScanLine(sy))[sx]
                             : 0xFF000000u;
                out[x] = c | 0xFF000000u;
                match = (c & 0xFFFFFF) == key;
            }
            if (match && runStart < 0) runStart = x;
            if (!match && runStart >= 0) {
                runs.emplace_back(runStart, y, x - runStart, 1);
                runStart = -1;
            }
        }
    }
    // Everything but the key colour is copied; the key colour shows the brush.
    BlitSource s;
    s.image = &stretched;
    QRgb transparentKey = key | 0xFF000000u;
    BlitCore(FHandle, dest.Left, dest.Top, dw, dh, &s, 0, 0, dw, dh, SRCCOPY, &transparentKey);
    if (FBrush.Style() != bsClear && !runs.empty()) {
        QRegion area;
        for (const QRect& r : runs) area += r;
        HRGN rgn = CreateRegionFrom(area.translated(dest.Left, dest.Top));
        FillRgn(FHandle, rgn, FBrush.Handle());
        DeleteObject(rgn);
    }
    // Only small scratch buffers are worth keeping.
    if (static_cast<long long>(dw) * dh > 256 * 256) stretched = QImage();
    if (runs.capacity() > 4096) std::vector<QRect>().swap(runs);
    Changed();
}

// ---- TGraphic ----------------------------------------------------------------------
namespace {

std::vector<std::uint8_t> ReadWholeFile(const String& fileName) {
    std::vector<std::uint8_t> data;
    switch (ReadRegularFile(fileName, kMaxPictureFileBytes, data)) {
        case FileStatus::Ok: return data;
        case FileStatus::TooLarge: throw EFOpenError(FormatMessage("Cannot open file %s: it is too large for a picture", fileName));
        case FileStatus::ReadFailed: throw EReadError("Stream read error");
        default: throw EFOpenError(FormatMessage("Cannot open file %s", fileName));
    }
}

std::vector<std::uint8_t> ReadRest(TStream* stream) {
    if (stream == nullptr) throw EReadError("Stream read error");
    std::int64_t left = stream->Size() - stream->Position();
    if (left < 0) left = 0;
    if (left > (std::int64_t{1} << 30)) throw EReadError("Stream read error");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(left));
    if (left > 0) stream->ReadBuffer(data.data(), static_cast<int>(left));
    return data;
}

void WriteWholeFile(const String& fileName, const std::vector<std::uint8_t>& data) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(FormatMessage("Cannot create file %s", fileName));
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out) throw EWriteError("Stream write error");
}

}  // namespace

void TGraphic::LoadFromFile(const String& fileName) {
    std::vector<std::uint8_t> data = ReadWholeFile(fileName);
    LoadFromBytes(data.data(), data.size());
}

void TGraphic::SaveToFile(const String& fileName) { WriteWholeFile(fileName, SaveToBytes()); }

void TGraphic::LoadFromStream(TStream* stream) {
    std::vector<std::uint8_t> data = ReadRest(stream);
    LoadFromBytes(data.data(), data.size());
}

void TGraphic::SaveToStream(TStream* stream) {
    if (stream == nullptr) throw EWriteError("Stream write error");
    std::vector<std::uint8_t> data = SaveToBytes();
    if (!data.empty()) stream->WriteBuffer(data.data(), static_cast<int>(data.size()));
}

void TGraphic::SetTransparent(bool v) {
    if (v == FTransparent) return;
    FTransparent = v;
    Changed();
}

void TGraphic::SetModified(bool v) {
    if (v) Changed();
    else FModified = false;
}

void TGraphic::Changed() {
    FModified = true;
    if (OnChange) OnChange(this);
}

std::unique_ptr<TGraphic> TGraphic::NewEmpty() const { return std::make_unique<TBitmap>(); }

namespace {
// Formats registered by the program, besides the built-in ones.
std::vector<detail::PictureFormat>& AddedFormats() {
    static std::vector<detail::PictureFormat> formats;
    return formats;
}

bool Matches(const detail::PictureFormat& f, const std::uint8_t* data, std::size_t size) {
    return !f.signature.empty() && size >= f.signature.size() &&
           std::memcmp(data, f.signature.data(), f.signature.size()) == 0;
}
}  // namespace

void TPicture::RegisterFileFormat(const std::string& signature, TGraphicFactory make) {
    if (signature.empty() || make == nullptr) return;
    auto& added = AddedFormats();
    for (auto& f : added) {
        if (f.signature == signature) {
            f.make = make;
            return;
        }
    }
    added.push_back({signature, make});
}

std::unique_ptr<TGraphic> LoadGraphicFromBytes(const std::uint8_t* data, std::size_t size) {
    const detail::PictureFormat* best = nullptr;
    if (data != nullptr) {
        auto consider = [&](const detail::PictureFormat& f) {
            if (Matches(f, data, size) && (best == nullptr || f.signature.size() > best->signature.size())) best = &f;
        };
        for (const auto& f : AddedFormats()) consider(f);
        for (const auto& f : detail::BuiltInPictureFormats()) consider(f);
    }
    if (best == nullptr) throw EInvalidGraphic("Unknown picture format");
    std::unique_ptr<TGraphic> g = best->make();
    g->LoadFromBytes(data, size);
    return g;
}

// ---- TPicture ----------------------------------------------------------------------
TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed(TObject*) {
    if (OnChange) OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> g) {
    FGraphic = std::move(g);
    if (FGraphic) FGraphic->OnChange = [this](TObject* s) { Changed(s); };
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* g) {
    if (g == FGraphic.get()) return;
    if (g == nullptr) {
        Take(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy = g->NewEmpty();
    copy->Assign(g);
    Take(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
    if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get())) return b;
    Take(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::Assign(TPersistent* Source) {
    if (Source == nullptr) {
        SetGraphic(nullptr);
    } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
        SetGraphic(p->Graphic());
    } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
    } else {
        TPersistent::Assign(Source);
    }
}

void TPicture::LoadFromFile(const String& fileName) {
    std::vector<std::uint8_t> data = ReadWholeFile(fileName);
    Take(LoadGraphicFromBytes(data.data(), data.size()));
}

void TPicture::LoadFromStream(TStream* stream) {
    std::vector<std::uint8_t> data = ReadRest(stream);
    Take(LoadGraphicFromBytes(data.data(), data.size()));
}

void TPicture::SaveToFile(const String& fileName) {
    if (FGraphic) FGraphic->SaveToFile(fileName);
}

QFont detail::QFontOf(HFONT font) {
    auto* f = AsFont(font);
    if (f == nullptr || !f->data) return QFont();
    QFont q = f->data->font;
    q.setUnderline(f->lf.lfUnderline != 0);
    q.setStrikeOut(f->lf.lfStrikeOut != 0);
    return q;
}

QFont detail::QFontOf(TFont* font) { return font != nullptr ? detail::QFontOf(font->Handle()) : QFont(); }

QImage detail::ImageOf(TBitmap* bmp) { return bmp != nullptr ? detail::ImageOf(bmp->Handle()) : QImage(); }
QImage detail::ImageOf(const TBitmap& bmp) {
    HBITMAP h = detail::BitmapAccess::Handle(bmp);
    return h != nullptr ? detail::ImageOf(h) : QImage();
}

}  // namespace gui
