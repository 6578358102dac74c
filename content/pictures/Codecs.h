// Encoders for the picture formats the program and its pages read: BMP,
// GIF (with our own LZW coder), JPEG (through libjpeg) and Windows cursors.
// Every encoder returns the file's bytes; WriteFile puts them on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/pictures/Raster.h"

namespace content::pic {

using Bytes = std::vector<uint8_t>;

// Throws std::runtime_error "Cannot write file <path>" on failure.
void WriteFile(const std::string& path, const Bytes& data);

// ---------------------------------------------------------------- BMP
Bytes EncodeBmp24(const Image& img);
// Palettised BMP with 1, 4 or 8 bits per pixel. The palette may be shorter
// than 2^bits; indices must be below its size.
Bytes EncodeBmpIndexed(int width, int height, const std::vector<uint8_t>& indices, const std::vector<Rgb>& palette,
                       int bitsPerPixel);
// 1-bit mask: palette index 0 black, index 1 white; `black[i]` true means black.
Bytes EncodeBmpMask(int width, int height, const std::vector<bool>& black);

// ---------------------------------------------------------------- palettes
struct Indexed {
  int width = 0, height = 0;
  std::vector<uint8_t> indices;
};
// Median-cut palette of at most maxColours entries over all the given images.
std::vector<Rgb> BuildPalette(const std::vector<const Image*>& images, int maxColours);
// Nearest-colour mapping, optionally with Floyd-Steinberg error diffusion.
Indexed MapToPalette(const Image& img, const std::vector<Rgb>& palette, bool dither);

// ---------------------------------------------------------------- GIF
struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> indices;  // width * height, row-major, top-down
  std::vector<Rgb> localPalette;  // empty: use the global table
  int delayCs = 0;                // hundredths of a second
  int disposal = 0;               // 0..3
  int transparentIndex = -1;      // -1: none
  bool interlaced = false;
  bool writeControl = false;      // forces a graphic control block (implied by delay/disposal/transparency)
};

struct GifFile {
  int width = 0, height = 0;
  std::vector<Rgb> globalPalette;  // may be empty when every frame has a local table
  int backgroundIndex = 0;
  int loopCount = -1;  // -1: no looping extension; 0: endless
  std::string comment;  // written as a comment extension when not empty
  std::vector<GifFrame> frames;
};

// Raw LZW code stream (before sub-blocking) for the given minimum code size.
// clearEvery > 0 also restarts the table after that many codes (the viewer's
// tests use it to exercise clear codes in short pictures).
Bytes LzwEncode(const std::vector<uint8_t>& indices, int minCodeSize, int clearEvery = 0);
// Throws std::invalid_argument for inconsistent input (sizes, indices out of
// the palette, more than 256 colours).
Bytes EncodeGif(const GifFile& gif);

// ---------------------------------------------------------------- JPEG
Bytes EncodeJpeg(const Image& img, int quality = 90);

// ---------------------------------------------------------------- PNG
// 8-bit RGB PNG, its image data in stored (uncompressed) deflate blocks: the
// desktop's icon loaders read it, and the generator needs no zlib.
Bytes EncodePng(const Image& img);

// ---------------------------------------------------------------- cursors
// A 32 x 32 monochrome cursor described by 32 strings of 32 characters:
// '.' transparent, '#' black, 'o' white, 'x' inverted screen.
Bytes EncodeCursor(const std::vector<std::string>& art, int hotX, int hotY);

}  // namespace content::pic
