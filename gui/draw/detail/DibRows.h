// Rows of device-independent bitmaps: index access at 1, 4 and 8 bits, table
// sizes and little-endian fields, shared by the pixel store and the BMP file
// reader and writer.
#pragma once

#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace gui::detail {

// Limits that keep hostile headers from asking for absurd allocations.
constexpr int kMaxSide = 32768;

inline int TableSizeFor(int bpp) { return bpp <= 8 ? (1 << bpp) : 0; }

inline std::uint16_t Rd16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Rd32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void Wr16(std::vector<std::uint8_t>& v, unsigned x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
inline void Wr32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
}

inline int GetIndex(const uchar* row, int x, int bpp) {
    switch (bpp) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        default: return row[x];
    }
}
inline void SetIndex(uchar* row, int x, int bpp, int idx) {
    switch (bpp) {
        case 1: {
            uchar m = static_cast<uchar>(0x80 >> (x & 7));
            if (idx & 1) row[x >> 3] |= m;
            else row[x >> 3] &= static_cast<uchar>(~m);
            break;
        }
        case 4:
            if (x & 1) row[x >> 1] = static_cast<uchar>((row[x >> 1] & 0xF0) | (idx & 0x0F));
            else row[x >> 1] = static_cast<uchar>((row[x >> 1] & 0x0F) | ((idx & 0x0F) << 4));
            break;
        default: row[x] = static_cast<uchar>(idx);
    }
}

}  // namespace gui::detail
