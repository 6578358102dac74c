// GIF image data: a byte cursor over a whole file in memory and the LZW
// decoder for one frame. Plain buffers only; nothing of the drawing layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace htmlview {

// Byte cursor over the whole file in memory.
struct GifReader {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    std::size_t Pos = 0;
    bool AtEnd() const { return Pos >= Size; }
    int Byte() { return Pos < Size ? Data[Pos++] : -1; }
    int Peek() const { return Pos < Size ? Data[Pos] : -1; }
    bool Read(void* out, std::size_t n);
    int Word();  // little-endian; -1 at end of data
    // Skips a chain of sub-blocks up to and including its empty terminator.
    void SkipSubBlocks();
};

// A code stream that no encoder can have written. `Decoded` counts the
// pixels written before the bad code; they are in place in the picture.
class GifDataError : public std::runtime_error {
public:
    explicit GifDataError(std::size_t ADecoded = 0);
    std::size_t Decoded;
};

// The most pixels a code stream of `DataBytes` bytes can give: codes are at
// least 2 bits wide, and the n-th code after a clear expands to at most n
// pixels (4096 at most), so a short stream cannot fill a large frame.
std::size_t GifLzwMaxPixels(std::size_t DataBytes);

// Decodes one frame's data at R (the minimum code size byte, then the data
// sub-blocks) into `Indexes`, rows top-down; interlaced rows are put in
// place. `Indexes` holds `Capacity` bytes (Width x Height when 0): only the
// rows that fit are kept, for a truncated frame whose data cannot reach the
// rest. Data that ends early leaves the rest of the picture as it was, and
// codes past the last pixel are dropped. False when the data ends before
// the code size byte (nothing written); GifDataError for an impossible code
// or code size.
bool DecodeGifLzw(GifReader& R, int Width, int Height, bool Interlaced, std::uint8_t* Indexes,
                  std::size_t Capacity = 0);

}  // namespace htmlview
