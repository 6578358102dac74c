// GIF pictures (GIF87a and GIF89a) for the HTML viewer: decoding into frames,
// composing them by their disposal methods, animation and drawing.
//
// Frames and the composite are kept as plain pixel buffers (0x00RRGGBB, rows
// top-down); bitmaps for the drawing layer are made from them on request.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/draw/Gdi.h"
#include "gui/base/Types.h"
#include "htmlview/Dither.h"
#include "htmlview/GifLzw.h"

namespace gui {
class TBitmap;
class TCanvas;
class TStream;
}  // namespace gui

namespace htmlview {

constexpr int MaxGifFrames = 256;
// A hostile header must not make us allocate without bound: the logical
// screen and every frame are limited per side, and the pixels of all frames
// together. The budget is the one the picture loaders use for a BMP or JPEG:
// 16 Mi pixels per picture, here per frame stack (the sum of the frames'
// sizes); no picture a page shows comes near it. Beyond it the file is
// refused before its pixels are allocated.
constexpr int MaxGifDimension = 4096;
constexpr long long MaxGifPixelBudget = 16LL * 1024 * 1024;

class TGIFImage;

class TgfFrame : public gui::TObject {
public:
    explicit TgfFrame(TGIFImage* AOwner) : Owner(AOwner) {}

    int Left = 0, Top = 0, Width = 0, Height = 0;
    int ColorBits = 0;  // the local table's exponent, 0 with the global table
    int Delay = 0;      // milliseconds
    std::uint8_t Disposal = 0;
    bool Interlaced = false;
    bool Transparent = false;
    std::uint8_t TransparentIndex = 0;
    std::uint8_t TransRed = 0, TransGreen = 0, TransBlue = 0;
    bool OwnsColors = false;
    std::array<std::uint8_t, 768> LocalColors{};
    const std::uint8_t* Colors = nullptr;  // LocalColors or the image's global table

    // The data held a code no encoder writes: the frame shows what was
    // decoded before it, and no frame after it was read.
    bool Damaged = false;
    std::size_t DecodedBeforeDamage = 0;  // pixels, in the data's order
    // The height the descriptor gives; Height is less when the frame's data
    // is cut short and cannot reach its lower rows.
    int DeclaredHeight = 0;

    // Decoded frame: indexes and the transparency mask, Width x Height
    // each, rows top-down; Palette gives each index its display colour.
    std::vector<std::uint8_t> Indexes;
    std::vector<std::uint8_t> Mask;  // 1 (white) where transparent
    std::array<std::uint32_t, 256> Palette{};
    // What the composite showed under the frame, for disposal 3.
    std::vector<std::uint32_t> SavedPixels;
    std::vector<std::uint8_t> SavedMask;

    TGIFImage* Owner;
    gui::String Comment;
    bool Dither = false;

    // LZW decoding of the frame's data into Indexes (and Mask when transparent).
    virtual void DecodePixels(GifReader& R);
    // Reads one image block (after its ","). `Gce` is the pending graphic
    // control block (4 bytes: packed, delay low, delay high, transparent index)
    // or null. False when the data ended inside the descriptor or colour table.
    virtual bool ReadFrame(GifReader& R, const std::uint8_t* Gce);

    std::uint32_t ColorOf(int index) const;
    // The frame's picture pixel i (0x00RRGGBB); see-through pixels are black.
    std::uint32_t PixelAt(std::size_t i) const { return Transparent && Mask[i] ? 0u : Palette[Indexes[i]]; }
    std::vector<std::uint32_t> Pixels() const;
};

// Called by DrawGIF to paint what the page shows behind a transparent GIF,
// at the size of the drawn rectangle.
using TGifBackgroundPainter = std::function<void(gui::TCanvas* Canvas, int Width, int Height)>;

class TGIFImage : public gui::TObject {
public:
    TGIFImage();
    // Copies the picture so that each use of one cached GIF animates on its own.
    explicit TGIFImage(const TGIFImage& Source);
    ~TGIFImage() override;

    // Parses the source loaded with SetSource / Load*; false on a bad file.
    virtual bool ParseGIF();

    // Loads whole files; "Corrupt GIF Image" and other errors of the
    // framework's error class give false (and a released image).
    bool LoadFromBytes(const std::uint8_t* Data, std::size_t Size);
    bool LoadFromStream(gui::TStream* Stream);

    void ClearGIF();
    void ReleaseGIF();

    void SetAnimating(bool Value);
    bool Animating() const { return FAnimating; }
    void SetShown(bool Value) { FShown = Value; }
    bool Shown() const { return FShown; }
    void SetCurrentFrame(int N);
    int CurrentFrame() const { return FCurrentFrame; }
    // One animation tick; `Invalidate` receives the drawn rectangle when the
    // frame changed.
    void AnimationStep(const std::function<void(const gui::TRect&)>& Invalidate);
    void DrawGIF(gui::TCanvas* Canvas, int X, int Y, int W, int H);
    // Frame 1 drawn on a bitmap of its size (owned by the image).
    gui::TBitmap* FirstFrameBitmap();
    // Copies of frame 1's bitmap and mask (mask only with transparency), owned by the image.
    gui::TBitmap* Frame1Bitmap();
    gui::TBitmap* Frame1Mask();

    bool Animated() const { return FAnimated; }
    bool Empty() const { return FEmpty; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int FrameCount() const { return FFrameCount; }
    int LoopCount() const { return FLoopCount; }
    int Speed() const { return FSpeed; }
    void SetSpeed(int Value) { FSpeed = Value > 0 ? Value : 1; }
    bool HasTransparency() const { return FHasTransparency; }
    int ColorBits() const { return FColorBits; }
    bool ScanOnly() const { return FScanOnly; }
    void SetScanOnly(bool v) { FScanOnly = v; }
    bool DitherFrames() const { return FDither; }
    void SetDitherFrames(bool v) { FDither = v; }
    TgfFrame* Frame(int Index1) const;  // 1-based
    const std::uint8_t* GlobalColors() const { return FGlobalColors.data(); }
    int CurrentDelay() const { return FCurrentDelay; }
    int LoopIndex() const { return FLoopIndex; }
    gui::TRect DrawnRect() const { return gui::Bounds(FDrawnX, FDrawnY, FDrawnW, FDrawnH); }

    // The composite as drawn: (FWidth x FHeight), transparent pixels replaced by `Background`.
    std::vector<std::uint32_t> RenderComposite(std::uint32_t Background) const;
    const std::vector<std::uint32_t>& CompositeImage() const { return FImage; }
    const std::vector<std::uint8_t>& CompositeMask() const { return FMaskSurface; }

    // The palette that frames are mapped (or dithered) to on 8-bit displays;
    // empty (the default) keeps the frames' own colours.
    void SetTargetPalette(const gui::PALETTEENTRY* Entries, int Count);
    // Milliseconds clock for the animation (default: a monotonic clock).
    void SetClock(std::function<std::uint32_t()> Clock) { FClock = std::move(Clock); }
    TGifBackgroundPainter OnPaintBackground;
    gui::TColor BackgroundColor = gui::clWhite;

    // Source of the next parse (copied).
    void SetSource(const std::uint8_t* Data, std::size_t Size);

    // Pixel budget left for decoding frames of this file.
    long long FPixelBudget = MaxGifPixelBudget;
    // The frames' pixels as their descriptors give them, summed over the
    // stack; known after a scan, before anything is allocated.
    long long StackPixels() const { return FStackPixels; }
    // Why the last load failed ("Corrupt GIF Image", "GIF image too large: ..."),
    // empty after a success.
    const std::string& LastError() const { return FLastError; }

private:
    friend class TgfFrame;
    void ComposeFrame();
    void DisposeFrame(TgfFrame* F);
    void MakeSurfaces();
    void FreeCachedBitmaps();
    std::uint32_t Now() const;
    void SetDelayFromCurrent();

    bool FAnimated = false;
    int FCurrentFrame = 1;
    bool FEmpty = true;
    int FWidth = 0, FHeight = 0;
    int FFrameCount = 0;
    int FLoopCount = 1;
    int FSpeed = 100;
    bool FHasTransparency = false;
    bool FShown = true;
    int FColorBits = 0;
    std::array<std::uint8_t, 768> FGlobalColors{};

    std::vector<std::uint32_t> FImage;       // composite, starts black
    std::vector<std::uint8_t> FMaskSurface;  // 1 = white (transparent); only with transparency
    std::unique_ptr<gui::TBitmap> FBackground;
    bool FNeedBackground = false;
    std::unique_ptr<gui::TBitmap> FFirstFrameBitmap;
    std::unique_ptr<gui::TBitmap> FFrame1Bitmap;
    std::unique_ptr<gui::TBitmap> FFrame1Mask;
    bool FAnimating = false;
    bool FDither = false;
    int FDrawnX = 0, FDrawnY = 0, FDrawnW = 0, FDrawnH = 0;
    std::vector<std::unique_ptr<TgfFrame>> FFrames;
    int FLoopIndex = 1;
    bool FSkipTick = true;
    bool FScanOnly = false;
    std::vector<std::uint8_t> FSource;
    std::uint32_t FLastTick = 0;
    int FCurrentDelay = 0;

    long long FStackPixels = 0;
    std::string FLastError;
    std::vector<gui::PALETTEENTRY> FTargetPalette;
    std::function<std::uint32_t()> FClock;
};

// Loaders used by the viewer: a scan pass first (frame count and colour
// depth), then the full decode. nullptr when the data is no GIF or is
// corrupt. `SingleFrame` tells the caller to turn it into a plain bitmap.
std::unique_ptr<TGIFImage> GIFFromStream(gui::TStream* Stream, bool& SingleFrame);
std::unique_ptr<TGIFImage> GIFFromFile(const gui::String& FileName, bool& SingleFrame);
// The same over bytes in memory, with the display depth and palette given.
std::unique_ptr<TGIFImage> GIFFromBytes(const std::uint8_t* Data, std::size_t Size, bool& SingleFrame,
                                        int DisplayBits, const gui::PALETTEENTRY* Palette, int PaletteCount);

}  // namespace htmlview
