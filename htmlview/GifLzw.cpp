// LZW decoding of GIF image data. Needs nothing of the drawing layer, so
// the fuzz targets and tests can drive it on plain buffers.
#include "htmlview/GifLzw.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace htmlview {

namespace {
constexpr int kTableSize = 4096;

// Copies n bytes from s to d, where s + n <= d: most runs are a few bytes,
// so short ones take two overlapping loads and stores instead of a call.
inline void CopyRun(std::uint8_t* d, const std::uint8_t* s, std::size_t n) {
    if (n >= 16) {
        std::memcpy(d, s, n);
    } else if (n >= 8) {
        std::uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else if (n >= 2) {
        std::uint16_t a, b;
        std::memcpy(&a, s, 2);
        std::memcpy(&b, s + n - 2, 2);
        std::memcpy(d, &a, 2);
        std::memcpy(d + n - 2, &b, 2);
    } else {
        *d = *s;
    }
}
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

    // Each code's string is a run of pixels already written: every table
    // entry is the previous code's string plus the first pixel of the one
    // after it, and the two lie side by side in the output. So an entry is
    // just where that run starts and how long it is, and a code is a copy
    // from earlier output instead of a walk down a chain of prefixes.
    std::uint32_t start[kTableSize];
    std::uint16_t length[kTableSize];

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
    std::size_t prevStart = 0;  // where the previous code's string was written
    std::size_t prevLength = 0;
    const std::uint8_t* bytes = data.data();
    std::size_t bitPos = 0;

    // Copies the run at `from` (already written, ending at or before pos) to
    // pos, cut at the end of `out`. Pixels past `room` are not kept, and no
    // run that starts there is ever read: it is always copied to a later place.
    auto copyRun = [&](std::size_t from, std::size_t len) {
        if (pos + len <= room) {
            CopyRun(out + pos, out + from, len);
        } else if (pos < room) {
            for (std::size_t i = 0; pos + i < room; ++i) out[pos + i] = out[from + i];
        }
    };

    bool bad = false;  // a code no encoder writes: keep what came before it
    while (pos < total) {
        if (bitPos + static_cast<std::size_t>(width) > dataBits) break;  // end of the data
        std::uint32_t word;
        std::memcpy(&word, bytes + (bitPos >> 3), 4);
        const int code = static_cast<int>((word >> (bitPos & 7)) & ((1u << width) - 1));
        bitPos += static_cast<std::size_t>(width);

        if (code < clearCode) {
            // A plain pixel value.
            if (pos < room) out[pos] = static_cast<std::uint8_t>(code);
            if (prev >= 0 && next < kTableSize) {
                start[next] = static_cast<std::uint32_t>(prevStart);
                length[next] = static_cast<std::uint16_t>(prevLength + 1);
                ++next;
                if (next >= limit && width < 12) {
                    ++width;
                    limit <<= 1;
                }
            }
            prevStart = pos;
            prevLength = 1;
            ++pos;
            prev = code;
            continue;
        }
        if (code == clearCode) {
            width = m + 1;
            limit = 1 << width;
            next = firstFree;
            prev = -1;
            continue;
        }
        if (code == endCode) break;
        std::size_t len;
        if (prev < 0) {
            // The first code after a clear must be a plain pixel value.
            bad = true;
            break;
        }
        if (code < next) {
            len = length[code];
            copyRun(start[code], len);
        } else if (code == next && next < kTableSize) {
            // Not yet defined: the previous string and its own first pixel.
            len = prevLength + 1;
            copyRun(prevStart, prevLength);
            if (pos + prevLength < room) out[pos + prevLength] = out[prevStart];
        } else {
            bad = true;
            break;
        }
        if (next < kTableSize) {
            start[next] = static_cast<std::uint32_t>(prevStart);
            length[next] = static_cast<std::uint16_t>(prevLength + 1);
            ++next;
            if (next >= limit && width < 12) {
                ++width;
                limit <<= 1;
            }
        }
        prevStart = pos;
        prevLength = len;
        pos += len;
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
