// A small GIF writer for tests: pictures with known pixels, local and
// global tables, interlacing, graphic control and application extensions,
// and files no well-behaved encoder writes. The LZW codes come from the
// content generator's encoder (link content_pictures).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "content/pictures/Codecs.h"

namespace testgif {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> pixels;  // width * height indexes, rows top-down
    std::vector<Rgb> localTable;       // empty: the global table
    bool interlaced = false;
    bool gce = false;
    int disposal = 0;
    int delay = 0;  // hundredths of a second
    bool transparent = false;
    int transparentIndex = 0;
    std::string comment;  // a comment extension before the frame when not empty
    int minCodeSize = 0;  // 0: chosen from the table size
    int clearEvery = 0;   // >0: emit a clear code after this many codes
};

// Codes of variable width, least significant bit first.
class BitWriter {
public:
    void Put(int code, int width) {
        acc_ |= static_cast<std::uint32_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            bytes.push_back(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    void Flush() {
        if (bits_ > 0) bytes.push_back(static_cast<std::uint8_t>(acc_));
        acc_ = 0;
        bits_ = 0;
    }
    std::vector<std::uint8_t> bytes;

private:
    std::uint32_t acc_ = 0;
    int bits_ = 0;
};

inline int TableBits(std::size_t n) {
    int bits = 1;
    while ((1u << bits) < n) ++bits;
    return bits;
}

inline void PutSubBlocks(std::vector<std::uint8_t>& f, const std::vector<std::uint8_t>& data, std::size_t chunk = 255) {
    for (std::size_t i = 0; i < data.size(); i += chunk) {
        const std::size_t n = std::min(chunk, data.size() - i);
        f.push_back(static_cast<std::uint8_t>(n));
        f.insert(f.end(), data.begin() + static_cast<std::ptrdiff_t>(i), data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    f.push_back(0);
}

inline void PutWord(std::vector<std::uint8_t>& f, int v) {
    f.push_back(static_cast<std::uint8_t>(v & 0xFF));
    f.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void PutTable(std::vector<std::uint8_t>& f, const std::vector<Rgb>& t) {
    const int bits = TableBits(t.size());
    for (int i = 0; i < (1 << bits); ++i) {
        Rgb c = i < static_cast<int>(t.size()) ? t[static_cast<std::size_t>(i)] : Rgb{};
        f.push_back(c.r);
        f.push_back(c.g);
        f.push_back(c.b);
    }
}

// Row order of an interlaced picture.
inline std::vector<int> InterlacedRows(int h) {
    std::vector<int> rows;
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
        for (int y = start[p]; y < h; y += step[p]) rows.push_back(y);
    return rows;
}

struct Gif {
    int width = 0, height = 0;
    std::vector<Rgb> globalTable;
    bool version89 = true;
    int loopCount = -1;  // >= 0: a NETSCAPE2.0 extension
    std::vector<Frame> frames;
    bool trailer = true;

    std::vector<std::uint8_t> Encode() const {
        std::vector<std::uint8_t> f = {'G', 'I', 'F', '8', static_cast<std::uint8_t>(version89 ? '9' : '7'), 'a'};
        PutWord(f, width);
        PutWord(f, height);
        int packed = 0;
        if (!globalTable.empty()) packed = 0x80 | (TableBits(globalTable.size()) - 1);
        f.push_back(static_cast<std::uint8_t>(packed));
        f.push_back(0);
        f.push_back(0);
        if (!globalTable.empty()) PutTable(f, globalTable);
        if (loopCount >= 0) {
            f.push_back(0x21);
            f.push_back(0xFF);
            f.push_back(11);
            const char* id = "NETSCAPE2.0";
            f.insert(f.end(), id, id + 11);
            f.push_back(3);
            f.push_back(1);
            PutWord(f, loopCount);
            f.push_back(0);
        }
        for (const Frame& fr : frames) {
            if (!fr.comment.empty()) {
                f.push_back(0x21);
                f.push_back(0xFE);
                PutSubBlocks(f, std::vector<std::uint8_t>(fr.comment.begin(), fr.comment.end()));
            }
            if (fr.gce) {
                f.push_back(0x21);
                f.push_back(0xF9);
                f.push_back(4);
                f.push_back(static_cast<std::uint8_t>(((fr.disposal & 7) << 2) | (fr.transparent ? 1 : 0)));
                PutWord(f, fr.delay);
                f.push_back(static_cast<std::uint8_t>(fr.transparentIndex));
                f.push_back(0);
            }
            f.push_back(0x2C);
            PutWord(f, fr.left);
            PutWord(f, fr.top);
            PutWord(f, fr.width);
            PutWord(f, fr.height);
            int fp = 0;
            if (!fr.localTable.empty()) fp = 0x80 | (TableBits(fr.localTable.size()) - 1);
            if (fr.interlaced) fp |= 0x40;
            f.push_back(static_cast<std::uint8_t>(fp));
            if (!fr.localTable.empty()) PutTable(f, fr.localTable);
            const auto& table = fr.localTable.empty() ? globalTable : fr.localTable;
            int m = fr.minCodeSize ? fr.minCodeSize : std::max(2, TableBits(table.size()));
            std::vector<std::uint8_t> order;
            if (fr.interlaced) {
                for (int y : InterlacedRows(fr.height))
                    order.insert(order.end(), fr.pixels.begin() + y * fr.width, fr.pixels.begin() + (y + 1) * fr.width);
            } else {
                order = fr.pixels;
            }
            f.push_back(static_cast<std::uint8_t>(m));
            PutSubBlocks(f, content::pic::LzwEncode(order, m, fr.clearEvery));
        }
        if (trailer) f.push_back(0x3B);
        return f;
    }
};

}  // namespace testgif
