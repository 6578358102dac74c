// LZW decoding of GIF image data. Needs nothing of the drawing layer, so
// the fuzz targets and tests can drive it on plain buffers.
#include "htmlview/GifLzw.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace htmlview {

namespace {
constexpr int kTableSize = 4096;
}  // namespace

GifDataError::GifDataError() : std::runtime_error("Corrupt GIF Image") {}

// ---- Reader ---------------------------------------------------------------------

bool GifReader::Read(void* out, std::size_t n) {
    if (Pos > Size || Size - Pos < n) {
        Pos = Size;
        return false;
    }
    std::memcpy(out, Data + Pos, n);
    Pos += n;
    return true;
}

int GifReader::Word() {
    const int lo = Byte();
    const int hi = Byte();
    if (lo < 0 || hi < 0) return -1;
    return lo | (hi << 8);
}

void GifReader::SkipSubBlocks() {
    for (;;) {
        const int len = Byte();
        if (len <= 0) return;
        Pos = std::min(Size, Pos + static_cast<std::size_t>(len));
    }
}

// ---- LZW ------------------------------------------------------------------------

bool DecodeGifLzw(GifReader& R, int Width, int Height, bool Interlaced, std::uint8_t* Indexes) {
    const int m = R.Byte();
    if (m < 0) return false;  // the data ends here: the frame stays blank
    if (m < 1 || m > 11) throw GifDataError();

    // The data sub-blocks joined, up to their terminator or the end of the file.
    std::vector<std::uint8_t> data;
    for (;;) {
        const int len = R.Byte();
        if (len <= 0) break;
        const std::size_t n = std::min(static_cast<std::size_t>(len), R.Size - std::min(R.Pos, R.Size));
        data.insert(data.end(), R.Data + R.Pos, R.Data + R.Pos + n);
        R.Pos += n;
        if (n < static_cast<std::size_t>(len)) break;
    }
    const std::size_t dataBits = data.size() * 8;
    data.resize(data.size() + 4, 0);  // room for the 32-bit reads at the end

    const int clearCode = 1 << m;
    const int endCode = clearCode + 1;
    const int firstFree = clearCode + 2;
    int width = m + 1;
    int limit = 1 << width;
    int next = firstFree;
    int prev = -1;

    // Each code's string: its last byte, the code before it, its length and first byte.
    std::vector<std::uint16_t> prefix(kTableSize, 0);
    std::vector<std::uint8_t> suffix(kTableSize, 0);
    std::vector<std::uint16_t> length(kTableSize, 1);
    std::vector<std::uint8_t> first(kTableSize, 0);
    for (int i = 0; i < clearCode && i < kTableSize; ++i) {
        suffix[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        first[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    }

    const std::size_t total = static_cast<std::size_t>(std::max(Width, 0)) * static_cast<std::size_t>(std::max(Height, 0));
    // Pixels arrive in stream order; interlaced rows are put in place afterwards.
    std::vector<std::uint8_t> stream;
    std::uint8_t* out = Indexes;
    if (Interlaced && total > 0) {
        stream.assign(total, 0);
        out = stream.data();
    }
    std::size_t pos = 0;
    const std::uint8_t* bytes = data.data();
    std::size_t bitPos = 0;

    // Writes the string of `code` (plus `extra` when >= 0) at pos, cut at the end of the picture.
    auto emit = [&](int code, int extra) {
        const std::size_t len = length[static_cast<std::size_t>(code)] + (extra >= 0 ? 1 : 0);
        std::size_t end = pos + len;
        if (extra >= 0) {
            if (end - 1 < total) out[end - 1] = static_cast<std::uint8_t>(extra);
            --end;
        }
        int cur = code;
        if (end <= total) {
            std::uint8_t* p = out + end;
            while (cur >= firstFree) {
                *--p = suffix[static_cast<std::size_t>(cur)];
                cur = prefix[static_cast<std::size_t>(cur)];
            }
            *--p = static_cast<std::uint8_t>(cur);
        } else {
            std::size_t i = end;
            while (cur >= firstFree) {
                --i;
                if (i < total) out[i] = suffix[static_cast<std::size_t>(cur)];
                cur = prefix[static_cast<std::size_t>(cur)];
            }
            --i;
            if (i < total) out[i] = static_cast<std::uint8_t>(cur);
        }
        pos += len;
    };

    while (pos < total) {
        if (bitPos + static_cast<std::size_t>(width) > dataBits) break;  // end of the data
        std::uint32_t word;
        std::memcpy(&word, bytes + (bitPos >> 3), 4);
        const int code = static_cast<int>((word >> (bitPos & 7)) & ((1u << width) - 1));
        bitPos += static_cast<std::size_t>(width);

        if (code == clearCode) {
            width = m + 1;
            limit = 1 << width;
            next = firstFree;
            prev = -1;
            continue;
        }
        if (code == endCode) break;
        if (prev < 0) {
            // First code after a clear: a plain pixel value.
            if (code >= clearCode) throw GifDataError();
            out[pos++] = static_cast<std::uint8_t>(code);
            prev = code;
            continue;
        }
        int firstByte;
        if (code < next) {
            firstByte = first[static_cast<std::size_t>(code)];
            emit(code, -1);
        } else if (code == next && next < kTableSize) {
            // Not yet defined: the previous string and its own first byte.
            firstByte = first[static_cast<std::size_t>(prev)];
            emit(prev, firstByte);
        } else {
            throw GifDataError();
        }
        if (next < kTableSize) {
            const std::size_t n = static_cast<std::size_t>(next);
            prefix[n] = static_cast<std::uint16_t>(prev);
            suffix[n] = static_cast<std::uint8_t>(firstByte);
            length[n] = static_cast<std::uint16_t>(length[static_cast<std::size_t>(prev)] + 1);
            first[n] = first[static_cast<std::size_t>(prev)];
            ++next;
            if (next >= limit && width < 12) {
                ++width;
                limit <<= 1;
            }
        }
        prev = code;
    }
    // Codes left over after the last row are dropped with the rest of the data.

    if (Interlaced && total > 0) {
        static constexpr int kPassStart[4] = {0, 4, 2, 1};
        static constexpr int kPassStep[4] = {8, 8, 4, 2};
        const std::size_t w = static_cast<std::size_t>(Width);
        std::size_t row = 0;
        for (int pass = 0; pass < 4; ++pass)
            for (int y = kPassStart[pass]; y < Height; y += kPassStep[pass], ++row)
                std::memcpy(Indexes + static_cast<std::size_t>(y) * w, stream.data() + row * w, w);
    }
    return true;
}

}  // namespace htmlview
