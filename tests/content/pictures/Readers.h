// Small, independent readers for the files the generator writes, so that the
// tests check the bytes against the formats rather than against the writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace readers {

using Bytes = std::vector<uint8_t>;
Bytes ReadAll(const std::string& path);  // empty when missing

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

// ---------------------------------------------------------------- GIF
struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  bool hasControl = false;
  int delayCs = 0, disposal = 0, transparentIndex = -1;
  std::vector<Rgb> localPalette;
  std::vector<uint8_t> indices;  // de-interlaced, row-major
};

struct Gif {
  std::string version;
  int width = 0, height = 0;
  std::vector<Rgb> globalPalette;
  int loopCount = -1;  // -1: no looping extension
  std::vector<std::string> comments;
  std::vector<GifFrame> frames;
  size_t firstControlOffset = 0;  // byte offset of the first 0x21 0xF9, 0 if none
};

// Returns nullopt with `error` set when the data is not a complete, valid GIF
// (including LZW streams that do not yield exactly width * height pixels).
std::optional<Gif> DecodeGif(const Bytes& data, std::string* error);

// ---------------------------------------------------------------- BMP
struct Bmp {
  int width = 0, height = 0, bpp = 0;
  std::vector<Rgb> palette;
  std::vector<uint8_t> indices;  // for bpp <= 8, row-major top-down
  std::vector<Rgb> pixels;       // resolved colours, row-major top-down
  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  uint8_t Index(int x, int y) const { return indices[static_cast<size_t>(y) * width + x]; }
};
std::optional<Bmp> DecodeBmp(const Bytes& data, std::string* error);

// ---------------------------------------------------------------- JPEG
struct JpegInfo {
  int width = 0, height = 0, components = 0;
  std::vector<uint8_t> rgb;  // decoded pixels
};
std::optional<JpegInfo> DecodeJpeg(const Bytes& data, std::string* error);

// ---------------------------------------------------------------- cursor
struct Cursor {
  int width = 0, height = 0, hotX = 0, hotY = 0;
  // Per pixel: AND bit and XOR bit, row-major top-down.
  std::vector<bool> andMask, xorMask;
};
std::optional<Cursor> DecodeCursor(const Bytes& data, std::string* error);

// Picture type from the first bytes, as the viewer sniffs it: "gif", "bmp",
// "jpeg" or "" for anything else.
std::string SniffType(const Bytes& data);

}  // namespace readers
