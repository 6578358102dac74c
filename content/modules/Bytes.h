// Little helpers for writing binary file images.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace content {

class Bytes {
public:
    std::vector<std::uint8_t> data;

    std::size_t Size() const { return data.size(); }

    void U8(unsigned v) { data.push_back(static_cast<std::uint8_t>(v & 0xFF)); }
    void U16(unsigned v) { U8(v); U8(v >> 8); }
    void U32(std::uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
    void U16BE(unsigned v) { U8(v >> 8); U8(v); }
    void Zeros(std::size_t n) { data.insert(data.end(), n, 0); }
    void Raw(const std::vector<std::uint8_t>& bytes) { data.insert(data.end(), bytes.begin(), bytes.end()); }
    void Text(std::string_view s) { data.insert(data.end(), s.begin(), s.end()); }

    // A fixed-width text field: cut to width, padded with `pad`.
    void Field(std::string_view s, std::size_t width, std::uint8_t pad = 0) {
        const std::size_t n = std::min(s.size(), width);
        data.insert(data.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
        data.insert(data.end(), width - n, pad);
    }

    void AlignTo(std::size_t alignment) {
        while (data.size() % alignment != 0) data.push_back(0);
    }

    // Writes at an earlier position, growing the image with zeros if needed.
    void PutU8At(std::size_t pos, unsigned v) {
        if (pos >= data.size()) data.resize(pos + 1, 0);
        data[pos] = static_cast<std::uint8_t>(v & 0xFF);
    }
    void PutU16At(std::size_t pos, unsigned v) { PutU8At(pos, v); PutU8At(pos + 1, v >> 8); }
    void PutU32At(std::size_t pos, std::uint32_t v) {
        PutU16At(pos, v & 0xFFFF);
        PutU16At(pos + 2, v >> 16);
    }
    void PutAt(std::size_t pos, const std::vector<std::uint8_t>& bytes) {
        if (pos + bytes.size() > data.size()) data.resize(pos + bytes.size(), 0);
        std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(pos));
    }
};

}  // namespace content
