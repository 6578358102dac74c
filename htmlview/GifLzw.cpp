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

GifDataError::GifDataError(std::size_t ADecoded) : std::runtime_error("Corrupt GIF Image"), Decoded(ADecoded) {}

std::size_t GifLzwMaxPixels(std::size_t DataBytes) {
    const std::size_t n = std::min<std::size_t>(DataBytes, std::size_t{1} << 40) * 4;  // 2-bit codes
    const std::size_t k = kTableSize;
    if (n <= k) return n * (n + 1) / 2;
    return k * (k + 1) / 2 + (n - k) * k;
}

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

bool DecodeGifLzw(GifReader& R, int Width, int Height, bool Interlaced, std::uint8_t* Indexes,
                  std::size_t Capacity) {
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

    const std::size_t w = static_cast<std::size_t>(std::max(Width, 0));
    const std::size_t total = w * static_cast<std::size_t>(std::max(Height, 0));
    if (Capacity == 0 || Capacity > total) Capacity = total;
    // Pixels arrive in stream order; interlaced rows are put in place
    // afterwards. The stream buffer holds no more rows than the data can fill.
    std::vector<std::uint8_t> stream;
    std::uint8_t* out = Indexes;
    std::size_t room = Capacity;  // pixels `out` can take
    if (Interlaced && total > 0) {
        const std::size_t reach = std::min(total, GifLzwMaxPixels(dataBits / 8));
        room = std::min(total, (reach + w - 1) / w * w);
        stream.assign(room, 0);
        out = stream.data();
    }
    std::size_t pos = 0;
    const std::uint8_t* bytes = data.data();
    std::size_t bitPos = 0;

    // Writes the string of `code` (plus `extra` when >= 0) at pos, cut at the end of `out`.
    auto emit = [&](int code, int extra) {
        const std::size_t len = length[static_cast<std::size_t>(code)] + (extra >= 0 ? 1 : 0);
        std::size_t end = pos + len;
        if (extra >= 0) {
            if (end - 1 < room) out[end - 1] = static_cast<std::uint8_t>(extra);
            --end;
        }
        int cur = code;
        if (end <= room) {
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
                if (i < room) out[i] = suffix[static_cast<std::size_t>(cur)];
                cur = prefix[static_cast<std::size_t>(cur)];
            }
            --i;
            if (i < room) out[i] = static_cast<std::uint8_t>(cur);
        }
        pos += len;
    };

    bool bad = false;  // a code no encoder writes: keep what came before it
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
            if (code >= clearCode) {
                bad = true;
                break;
            }
            if (pos < room) out[pos] = static_cast<std::uint8_t>(code);
            ++pos;
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
            bad = true;
            break;
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
        const std::size_t rows = w ? room / w : 0;
        std::size_t row = 0;
        for (int pass = 0; pass < 4 && row < rows; ++pass)
            for (int y = kPassStart[pass]; y < Height && row < rows; y += kPassStep[pass], ++row)
                if ((static_cast<std::size_t>(y) + 1) * w <= Capacity)
                    std::memcpy(Indexes + static_cast<std::size_t>(y) * w, stream.data() + row * w, w);
    }
    if (bad) throw GifDataError(std::min(pos, total));
    return true;
}

}  // namespace htmlview
