// JPEG pictures over libjpeg: decoding to 24 bits, or to 8 bits with a given
// or computed palette, drawing, conversion to TBitmap, and writing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/draw/Graphics.h"

namespace gui {

// A JPEG stream that cannot be decoded or encoded.
class EJPEG : public EInvalidGraphic {
    using EInvalidGraphic::EInvalidGraphic;
};

enum TJPEGPixelFormat : std::uint8_t { jf24Bit, jf8Bit };
enum TJPEGScale : std::uint8_t { jsFullSize, jsHalf, jsQuarter, jsEighth };

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    void Assign(TPersistent* Source) override;  // TJPEGImage, TBitmap (encodes it)
    std::unique_ptr<TGraphic> NewEmpty() const override { return std::make_unique<TJPEGImage>(); }

    bool Empty() const override;
    int Width() const override;
    int Height() const override;
    void SetWidth(int) override {}   // a JPEG's size comes from its data
    void SetHeight(int) override {}

    // jf8Bit decodes to palette indexes: to the palette given with
    // SetPalette if any, else to libjpeg's own 256-colour quantisation.
    TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TJPEGPixelFormat v);
    bool Grayscale() const;  // single-component data (decoded with a grey palette)
    void SetGrayscale(bool v);
    TJPEGScale Scale() const { return FScale; }
    void SetScale(TJPEGScale v);
    int CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(int v);  // 1..100, used by SaveToBytes after Assign(TBitmap)

    HPALETTE Palette() override;             // of the decoded 8-bit picture, if any
    void SetPalette(HPALETTE pal) override;  // copied; used for jf8Bit decoding

    void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;  // EJPEG on bad data
    std::vector<std::uint8_t> SaveToBytes() override;
    void SaveToFile(const String& fileName, int quality);
    using TGraphic::SaveToFile;

    // Decodes now (normally done on first use); EJPEG on bad data.
    void DIBNeeded();
    // The decoded picture (owned by the image).
    TBitmap* Bitmap();

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;
    void AssignTo(TPersistent* Dest) override;  // to TBitmap

private:
    void FreeBitmap();
    std::vector<std::uint8_t> FData;  // the compressed stream
    int FWidth = 0;
    int FHeight = 0;
    int FComponents = 0;
    TJPEGPixelFormat FPixelFormat = jf24Bit;
    TJPEGScale FScale = jsFullSize;
    bool FGrayscale = false;
    int FQuality = 90;
    HPALETTE FPalette = nullptr;  // requested palette (owned copy)
    std::unique_ptr<TBitmap> FBitmap;
};

// Encodes 24-bit BGR rows (top-down, `stride` bytes apart) as a baseline JPEG.
std::vector<std::uint8_t> EncodeJpeg(const std::uint8_t* bgr, int width, int height, int stride, int quality);

}  // namespace gui
