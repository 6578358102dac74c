// GIF frames over plain pixel buffers: parsing the blocks, composing the
// frames by their disposal methods and stepping the animation. The LZW
// decoder is in GifLzw.cpp, the drawing side in GifImage.cpp.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "htmlview/GifImage.h"

namespace htmlview {

namespace {

[[noreturn]] void Corrupt() { throw GIFException("Corrupt GIF Image"); }
[[noreturn]] void TooLarge() { throw GIFException("GIF image too large"); }
[[noreturn]] void OverBudget(long long pixels) {
    throw GIFException("GIF image too large: its frames hold " + std::to_string(pixels) +
                       " pixels, more than the budget of " + std::to_string(MaxGifPixelBudget));
}

// The bytes of the sub-block chain at Pos (up to its terminator or the end
// of the file), without moving.
std::size_t ChainBytes(const GifReader& R, std::size_t Pos) {
    std::size_t n = 0;
    while (Pos < R.Size) {
        const std::size_t len = R.Data[Pos++];
        if (len == 0) break;
        const std::size_t take = std::min(len, R.Size - Pos);
        n += take;
        Pos += take;
    }
    return n;
}

// How many rows of an interlaced frame of height h the first `streamRows`
// rows of its data reach: one more than the lowest row they fill.
int InterlacedRowsReached(int h, std::size_t streamRows) {
    static constexpr int kPassStart[4] = {0, 4, 2, 1};
    static constexpr int kPassStep[4] = {8, 8, 4, 2};
    int reached = 0;
    std::size_t row = 0;
    for (int pass = 0; pass < 4 && row < streamRows; ++pass)
        for (int y = kPassStart[pass]; y < h && row < streamRows; y += kPassStep[pass], ++row)
            reached = std::max(reached, y + 1);
    return reached;
}

std::uint32_t Rgb(const std::uint8_t* c) {
    return (static_cast<std::uint32_t>(c[0]) << 16) | (static_cast<std::uint32_t>(c[1]) << 8) | c[2];
}

// a * b / c rounded to the nearest, for the delay scaling.
int MulDivRound(long long a, long long b, long long c) {
    if (c == 0) return -1;
    long long p = a * b;
    long long q = (p >= 0) == (c > 0) ? (p + (c > 0 ? c : -c) / 2) / c : (p - (c > 0 ? c : -c) / 2) / c;
    return static_cast<int>(q);
}

}  // namespace

// ---- Frames --------------------------------------------------------------------

std::vector<std::uint32_t> TgfFrame::Pixels() const {
    std::vector<std::uint32_t> out(Indexes.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = PixelAt(i);
    return out;
}

std::uint32_t TgfFrame::ColorOf(int index) const {
    return Rgb(Colors + 3 * (index & 0xFF));
}

void TgfFrame::DecodePixels(GifReader& R) {
    try {
        if (!DecodeGifLzw(R, Width, DeclaredHeight, Interlaced, Indexes.data(), Indexes.size())) return;
    } catch (const GifDataError& e) {
        // A bad code damages the rest of this frame only: what came before
        // it is shown, as for data that ends early. A frame that decoded
        // nothing is dropped (ParseGIF); without any frame before it the
        // file has nothing to show.
        if (e.Decoded == 0 && Owner->FFrames.empty()) Corrupt();
        Damaged = true;
        DecodedBeforeDamage = e.Decoded;
    }
    const std::size_t total = Indexes.size();
    if (Transparent) {
        const std::uint8_t ti = TransparentIndex;
        for (std::size_t i = 0; i < total; ++i) Mask[i] = Indexes[i] == ti;
    }
}

bool TgfFrame::ReadFrame(GifReader& R, const std::uint8_t* Gce) {
    std::uint8_t d[9];
    if (!R.Read(d, 9)) return false;
    Left = d[0] | (d[1] << 8);
    Top = d[2] | (d[3] << 8);
    Width = d[4] | (d[5] << 8);
    Height = d[6] | (d[7] << 8);
    const int packed = d[8];
    if (Width > MaxGifDimension || Height > MaxGifDimension || Left + Width > MaxGifDimension ||
        Top + Height > MaxGifDimension)
        TooLarge();
    const bool scan = Owner->FScanOnly;
    if (packed & 0x80) {
        const int bits = (packed & 7) + 1;
        const std::size_t n = 3u << bits;
        if (scan) {
            if (R.Pos > R.Size || R.Size - R.Pos < n) return false;
            R.Pos += n;
        } else {
            if (!R.Read(LocalColors.data(), n)) return false;
            OwnsColors = true;
        }
        ColorBits = bits;
        Colors = LocalColors.data();
    } else {
        ColorBits = 0;
        Colors = Owner->FGlobalColors.data();
    }
    Interlaced = (packed & 0x40) != 0;
    if (Gce) {
        const int p = Gce[0];
        const int disposal = (p >> 2) & 7;
        Disposal = static_cast<std::uint8_t>(disposal <= 1 || disposal == 3 ? disposal : 2);
        Delay = (Gce[1] | (Gce[2] << 8)) * 10;
        Transparent = (p & 1) != 0;
        TransparentIndex = Gce[3];
    }

    if (scan) {
        R.Byte();
        R.SkipSubBlocks();
    }
    Owner->FStackPixels += static_cast<long long>(Width) * Height;
    if (!scan) {
        if (Owner->FStackPixels > MaxGifPixelBudget) OverBudget(Owner->FStackPixels);
        // Data cut short cannot fill a large frame: keep only the rows it can
        // reach (the rest would stay blank), so a few bytes never claim
        // megabytes.
        DeclaredHeight = Height;
        const std::size_t reach = GifLzwMaxPixels(ChainBytes(R, R.Pos + 1));
        if (Width > 0 && reach < static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height)) {
            const std::size_t streamRows = std::max<std::size_t>(1, (reach + Width - 1) / Width);
            Height = Interlaced ? InterlacedRowsReached(Height, streamRows)
                                : static_cast<int>(std::min<std::size_t>(streamRows, Height));
        }
        const long long pixels = static_cast<long long>(Width) * Height;
        Owner->FPixelBudget -= pixels;
        Indexes.assign(static_cast<std::size_t>(pixels), 0);
        if (Transparent) Mask.assign(static_cast<std::size_t>(pixels), 0);
        DecodePixels(R);

        if (Transparent) {
            const std::uint8_t* c = Colors + 3 * TransparentIndex;
            TransRed = c[0];
            TransGreen = c[1];
            TransBlue = c[2];
        }
        // The colours: the frame's own table, or on a palette display the
        // nearest entries of the shared palette.
        std::uint32_t table[256];
        const auto& target = Owner->FTargetPalette;
        for (int i = 0; i < 256; ++i) {
            const std::uint8_t* c = Colors + 3 * i;
            if (target.empty() || Dither) {
                table[i] = Rgb(c);
                continue;
            }
            long best = -1;
            std::size_t bestIndex = 0;
            for (std::size_t k = 0; k < target.size(); ++k) {
                const long dr = c[0] - target[k].peRed;
                const long dg = c[1] - target[k].peGreen;
                const long db = c[2] - target[k].peBlue;
                const long dist = dr * dr + dg * dg + db * db;
                if (best < 0 || dist < best) {
                    best = dist;
                    bestIndex = k;
                }
            }
            const auto& e = target[bestIndex];
            table[i] = (static_cast<std::uint32_t>(e.peRed) << 16) | (static_cast<std::uint32_t>(e.peGreen) << 8) |
                       e.peBlue;
        }
        if (Dither && !target.empty() && pixels > 0) {
            // Still pictures on a palette display: Floyd-Steinberg to the palette.
            std::vector<std::uint8_t> bgr(static_cast<std::size_t>(pixels) * 3);
            for (std::size_t i = 0; i < Indexes.size(); ++i) {
                const std::uint32_t c = Transparent && Mask[i] ? 0u : table[Indexes[i]];
                bgr[3 * i] = static_cast<std::uint8_t>(c);
                bgr[3 * i + 1] = static_cast<std::uint8_t>(c >> 8);
                bgr[3 * i + 2] = static_cast<std::uint8_t>(c >> 16);
            }
            std::vector<std::uint8_t> out(static_cast<std::size_t>(pixels));
            if (DitherRows(Width, Height, target.data(), static_cast<int>(target.size()), bgr.data(), 3 * Width,
                           out.data(), Width)) {
                Indexes = std::move(out);
                for (std::size_t k = 0; k < 256; ++k) {
                    const auto& e = target[std::min(k, target.size() - 1)];
                    table[k] = (static_cast<std::uint32_t>(e.peRed) << 16) |
                               (static_cast<std::uint32_t>(e.peGreen) << 8) | e.peBlue;
                }
            }
        }
        // See-through pixels stay black in the picture (PixelAt) whatever the
        // dithering spread into them, so the XOR composition leaves them alone.
        std::copy_n(table, 256, Palette.begin());
    }
    // Padding zero bytes between blocks are skipped, in both passes alike.
    while (R.Peek() == 0) R.Pos++;
    return true;
}

// ---- Image ----------------------------------------------------------------------

TGIFImage::TGIFImage() = default;

TGIFImage::TGIFImage(const TGIFImage& S)
    : FAnimated(S.FAnimated),
      FCurrentFrame(S.FCurrentFrame),
      FEmpty(S.FEmpty),
      FWidth(S.FWidth),
      FHeight(S.FHeight),
      FFrameCount(S.FFrameCount),
      FLoopCount(S.FLoopCount),
      FSpeed(S.FSpeed),
      FHasTransparency(S.FHasTransparency),
      FShown(S.FShown),
      FColorBits(S.FColorBits),
      FGlobalColors(S.FGlobalColors) {
    FSkipTick = false;
    OnPaintBackground = S.OnPaintBackground;
    BackgroundColor = S.BackgroundColor;
    FTargetPalette = S.FTargetPalette;
    FClock = S.FClock;
    MakeSurfaces();
    for (const auto& f : S.FFrames) {
        auto c = std::make_unique<TgfFrame>(this);
        c->Left = f->Left;
        c->Top = f->Top;
        c->Width = f->Width;
        c->Height = f->Height;
        c->ColorBits = f->ColorBits;
        c->Delay = f->Delay;
        c->Disposal = f->Disposal;
        c->Interlaced = f->Interlaced;
        c->Transparent = f->Transparent;
        c->TransparentIndex = f->TransparentIndex;
        c->TransRed = f->TransRed;
        c->TransGreen = f->TransGreen;
        c->TransBlue = f->TransBlue;
        c->OwnsColors = f->OwnsColors;
        c->LocalColors = f->LocalColors;
        c->Colors = f->Colors == f->LocalColors.data() ? c->LocalColors.data() : FGlobalColors.data();
        c->Indexes = f->Indexes;
        c->Palette = f->Palette;
        c->Mask = f->Mask;
        c->SavedPixels = f->SavedPixels;
        c->SavedMask = f->SavedMask;
        c->Comment = f->Comment;
        c->Damaged = f->Damaged;
        c->DecodedBeforeDamage = f->DecodedBeforeDamage;
        c->DeclaredHeight = f->DeclaredHeight;
        FFrames.push_back(std::move(c));
    }
    FCurrentFrame = 1;
    FLoopIndex = 1;
    if (!FFrames.empty() && !FImage.empty()) ComposeFrame();
}

TGIFImage::~TGIFImage() {
    FreeCachedBitmaps();
}

void TGIFImage::FreeCachedBitmaps() {
    FFirstFrameBitmap.reset();
    FFrame1Bitmap.reset();
    FFrame1Mask.reset();
    FBackground.reset();
}

void TGIFImage::SetSource(const std::uint8_t* Data, std::size_t Size) {
    FSource.assign(Data, Data + Size);
}

void TGIFImage::SetTargetPalette(const gui::PALETTEENTRY* Entries, int Count) {
    FTargetPalette.assign(Entries, Entries + std::max(0, std::min(Count, 256)));
}

TgfFrame* TGIFImage::Frame(int Index1) const {
    if (Index1 < 1 || Index1 > static_cast<int>(FFrames.size())) return nullptr;
    return FFrames[static_cast<std::size_t>(Index1 - 1)].get();
}

void TGIFImage::ClearGIF() {
    FEmpty = true;
    FFrames.clear();
    FFrameCount = 0;
    FCurrentFrame = 1;
    FLoopCount = 1;
    FLoopIndex = 1;
    FSkipTick = true;
    FColorBits = 0;
    FHasTransparency = false;
    FPixelBudget = MaxGifPixelBudget;
    FStackPixels = 0;
}

void TGIFImage::ReleaseGIF() {
    ClearGIF();
    FSource.clear();
    FreeCachedBitmaps();
    FImage.clear();
    FMaskSurface.clear();
}

void TGIFImage::MakeSurfaces() {
    const std::size_t n = static_cast<std::size_t>(FWidth) * static_cast<std::size_t>(FHeight);
    FImage.assign(n, 0);
    if (FHasTransparency)
        FMaskSurface.assign(n, 1);
    else
        FMaskSurface.clear();
}

bool TGIFImage::ParseGIF() {
    ClearGIF();
    bool haveGce = false;
    std::uint8_t gce[4] = {};
    gui::String comment;

    GifReader R{FSource.data(), FSource.size(), 0};
    if (FSource.size() < 3 || std::memcmp(FSource.data(), "GIF", 3) != 0) {
        FSource.clear();
        return false;
    }
    R.Pos = std::min<std::size_t>(6, R.Size);
    std::uint8_t screen[7] = {};
    int screenW = 0, screenH = 0;
    FGlobalColors.fill(0);
    if (R.Read(screen, 7)) {
        screenW = screen[0] | (screen[1] << 8);
        screenH = screen[2] | (screen[3] << 8);
        if (screenW > MaxGifDimension || screenH > MaxGifDimension) TooLarge();
        bool ok = true;
        if (screen[4] & 0x80) {
            FColorBits = (screen[4] & 7) + 1;
            ok = R.Read(FGlobalColors.data(), 3u << FColorBits);
            if (!ok) FGlobalColors.fill(0);
        }
        while (ok) {
            const int b = R.Byte();
            if (b == '!') {
                const int label = R.Byte();
                if (label == 1) {
                    R.SkipSubBlocks();
                } else if (label == 249) {
                    const int len = R.Byte();
                    std::uint8_t buf[255];
                    if (len < 0 || !R.Read(buf, static_cast<std::size_t>(len))) break;
                    if (len >= 4) {
                        std::memcpy(gce, buf, 4);
                        haveGce = true;
                    }
                    R.SkipSubBlocks();
                } else if (label == 254) {
                    for (;;) {
                        const int len = R.Byte();
                        if (len <= 0) break;
                        const std::size_t n = std::min(static_cast<std::size_t>(len), R.Size - R.Pos);
                        comment.append(reinterpret_cast<const char*>(R.Data + R.Pos), n);
                        R.Pos += n;
                    }
                } else if (label == 255) {
                    const int len = R.Byte();
                    std::uint8_t id[255];
                    if (len < 0 || !R.Read(id, static_cast<std::size_t>(len))) break;
                    if (len == 11 && std::memcmp(id, "NETSCAPE2.0", 11) == 0) {
                        const int sub = R.Byte();
                        std::uint8_t data[255];
                        if (sub < 0 || !R.Read(data, static_cast<std::size_t>(sub))) break;
                        if (sub >= 3) FLoopCount = data[1] | (data[2] << 8);
                        if (sub == 0) continue;  // that was the chain's terminator
                    }
                    R.SkipSubBlocks();
                } else {
                    break;  // an unknown extension counts as an unknown byte
                }
            } else if (b == ',') {
                if (FFrameCount >= MaxGifFrames) break;
                auto frame = std::make_unique<TgfFrame>(this);
                frame->Dither = FDither;
                if (!frame->ReadFrame(R, haveGce ? gce : nullptr)) break;
                FColorBits = std::max(FColorBits, frame->ColorBits);
                FHasTransparency = FHasTransparency || frame->Transparent;
                frame->Comment = comment;
                comment.clear();
                haveGce = false;
                const bool damaged = frame->Damaged;
                if (damaged && frame->DecodedBeforeDamage == 0) break;
                FFrames.push_back(std::move(frame));
                FFrameCount = static_cast<int>(FFrames.size());
                if (damaged) break;  // where the next block starts is lost
            } else {
                break;  // the trailer, the end of the data or an unknown byte
            }
        }
    }

    FWidth = screenW;
    FHeight = screenH;
    for (const auto& f : FFrames) {
        FWidth = std::max(FWidth, f->Left + f->Width);
        FHeight = std::max(FHeight, f->Top + f->Height);
    }
    if (!FScanOnly) MakeSurfaces();
    FAnimated = FFrameCount > 1;
    FEmpty = false;
    if (!FScanOnly && FFrameCount > 0) ComposeFrame();
    FSource.clear();
    FSource.shrink_to_fit();
    return true;
}

bool TGIFImage::LoadFromBytes(const std::uint8_t* Data, std::size_t Size) {
    SetSource(Data, Size);
    FLastError.clear();
    try {
        if (ParseGIF()) return true;
        FLastError = "not a GIF file";
    } catch (const gui::Exception& e) {
        FLastError = e.what();
    }
    ReleaseGIF();
    return false;
}

void TGIFImage::ComposeFrame() {
    TgfFrame* f = Frame(FCurrentFrame);
    if (!f || FImage.empty()) return;
    FNeedBackground = FFrames[0]->Disposal < 2 && FCurrentFrame == 1;
    const bool hasMask = !FMaskSurface.empty();
    const std::size_t fw = static_cast<std::size_t>(f->Width);
    const std::size_t sw = static_cast<std::size_t>(FWidth);
    if (f->Disposal == 3) {
        f->SavedPixels.resize(fw * static_cast<std::size_t>(f->Height));
        if (hasMask) f->SavedMask.resize(f->SavedPixels.size());
        for (int y = 0; y < f->Height; ++y) {
            const std::size_t src = static_cast<std::size_t>(f->Top + y) * sw + static_cast<std::size_t>(f->Left);
            std::copy_n(FImage.begin() + static_cast<std::ptrdiff_t>(src), fw,
                        f->SavedPixels.begin() + static_cast<std::ptrdiff_t>(y * fw));
            if (hasMask)
                std::copy_n(FMaskSurface.begin() + static_cast<std::ptrdiff_t>(src), fw,
                            f->SavedMask.begin() + static_cast<std::ptrdiff_t>(y * fw));
        }
    }
    if (f->Indexes.empty()) return;  // a scanned frame has no pixels
    for (int y = 0; y < f->Height; ++y) {
        const std::size_t dst = static_cast<std::size_t>(f->Top + y) * sw + static_cast<std::size_t>(f->Left);
        const std::size_t src = static_cast<std::size_t>(y) * fw;
        std::uint32_t* image = FImage.data() + dst;
        const std::uint8_t* index = f->Indexes.data() + src;
        const std::uint32_t* pal = f->Palette.data();
        if (f->Transparent) {
            // Mask AND, image AND mask, image XOR frame: opaque pixels take
            // the frame's colour, see-through ones keep what was there.
            const std::uint8_t* mask = f->Mask.data() + src;
            for (std::size_t x = 0; x < fw; ++x)
                if (!mask[x]) image[x] = pal[index[x]];
            if (hasMask) {
                std::uint8_t* composite = FMaskSurface.data() + dst;
                for (std::size_t x = 0; x < fw; ++x) composite[x] &= mask[x];
            }
        } else {
            for (std::size_t x = 0; x < fw; ++x) image[x] = pal[index[x]];
            if (hasMask) std::fill_n(FMaskSurface.data() + dst, fw, std::uint8_t{0});
        }
    }
}

void TGIFImage::DisposeFrame(TgfFrame* f) {
    if (!f || FImage.empty()) return;
    const bool hasMask = !FMaskSurface.empty();
    const std::size_t fw = static_cast<std::size_t>(f->Width);
    const std::size_t sw = static_cast<std::size_t>(FWidth);
    if (f->Disposal == 2) {
        for (int y = 0; y < f->Height; ++y) {
            const std::size_t dst = static_cast<std::size_t>(f->Top + y) * sw + static_cast<std::size_t>(f->Left);
            std::fill_n(FImage.begin() + static_cast<std::ptrdiff_t>(dst), fw, 0u);
            if (hasMask) std::fill_n(FMaskSurface.begin() + static_cast<std::ptrdiff_t>(dst), fw, std::uint8_t{1});
        }
    } else if (f->Disposal == 3 && f->SavedPixels.size() == fw * static_cast<std::size_t>(f->Height)) {
        for (int y = 0; y < f->Height; ++y) {
            const std::size_t dst = static_cast<std::size_t>(f->Top + y) * sw + static_cast<std::size_t>(f->Left);
            std::copy_n(f->SavedPixels.begin() + static_cast<std::ptrdiff_t>(y * fw), fw,
                        FImage.begin() + static_cast<std::ptrdiff_t>(dst));
            if (hasMask && f->SavedMask.size() == f->SavedPixels.size())
                std::copy_n(f->SavedMask.begin() + static_cast<std::ptrdiff_t>(y * fw), fw,
                            FMaskSurface.begin() + static_cast<std::ptrdiff_t>(dst));
        }
    }
}

std::vector<std::uint32_t> TGIFImage::RenderComposite(std::uint32_t Background) const {
    std::vector<std::uint32_t> out = FImage;
    if (!FMaskSurface.empty())
        for (std::size_t i = 0; i < out.size(); ++i)
            if (FMaskSurface[i]) out[i] = Background;
    return out;
}

std::uint32_t TGIFImage::Now() const {
    if (FClock) return FClock();
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TGIFImage::SetCurrentFrame(int N) {
    if (N == FCurrentFrame) return;
    DisposeFrame(Frame(FCurrentFrame));
    if (N > FFrameCount)
        FCurrentFrame = 1;
    else if (N <= 0)
        FCurrentFrame = FFrameCount;
    else
        FCurrentFrame = N;
    ComposeFrame();
}

void TGIFImage::SetAnimating(bool Value) {
    if (Value == FAnimating) return;
    FAnimating = Value;
    FLoopIndex = 1;
    if (Value && FFrameCount > 1) {
        const TgfFrame* f = Frame(FCurrentFrame);
        FCurrentDelay = std::max(1, (f ? f->Delay : 0) * 100 / FSpeed);
        FLastTick = Now();
    }
}

void TGIFImage::SetDelayFromCurrent() {
    const TgfFrame* f = Frame(FCurrentFrame);
    FCurrentDelay = std::max(1, MulDivRound(f ? f->Delay : 0, 100, FSpeed));
}

void TGIFImage::AnimationStep(const std::function<void(const gui::TRect&)>& Invalidate) {
    if (!FAnimating || FEmpty || FScanOnly) return;
    const std::uint32_t now = Now();
    if (static_cast<std::int64_t>(now - FLastTick) < FCurrentDelay) return;
    FLastTick = now;
    if (FLoopCount > 0 && FCurrentFrame == FFrameCount) {
        if (FLoopIndex >= FLoopCount) {
            SetAnimating(false);
            return;
        }
        ++FLoopIndex;
    }
    if (FSkipTick) {
        FSkipTick = false;
    } else {
        DisposeFrame(Frame(FCurrentFrame));
        ++FCurrentFrame;
        if (FCurrentFrame > FFrameCount || FCurrentFrame <= 0) FCurrentFrame = 1;
        ComposeFrame();
        if (Invalidate) Invalidate(DrawnRect());
    }
    SetDelayFromCurrent();
}

std::unique_ptr<TGIFImage> GIFFromBytes(const std::uint8_t* Data, std::size_t Size, bool& SingleFrame,
                                        int DisplayBits, const gui::PALETTEENTRY* Palette, int PaletteCount) {
    SingleFrame = false;
    auto img = std::make_unique<TGIFImage>();
    if (DisplayBits == 8 && Palette && PaletteCount > 0) img->SetTargetPalette(Palette, PaletteCount);
    img->SetAnimating(false);
    img->SetShown(false);
    img->SetScanOnly(true);
    if (!img->LoadFromBytes(Data, Size) || img->FrameCount() == 0) return nullptr;
    // The scan knows every frame's size: refuse an over-budget stack before
    // a single pixel is allocated.
    if (img->StackPixels() > MaxGifPixelBudget) return nullptr;
    SingleFrame = !img->Animated();
    if (DisplayBits == 8 && img->ColorBits() > 1) img->SetDitherFrames(SingleFrame);
    img->SetScanOnly(false);
    if (!img->LoadFromBytes(Data, Size) || img->FrameCount() == 0) return nullptr;
    // A damaged frame ends the stack early; what is left may be a still.
    SingleFrame = !img->Animated();
    return img;
}

}  // namespace htmlview
