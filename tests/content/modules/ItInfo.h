// A small reader of an IT file's sample names, instrument names and message,
// the way the Mod Info window shows them, for checking written files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_it {

struct ItInfo {
    std::uint16_t orders = 0, instruments = 0, samples = 0, patterns = 0;
    std::uint16_t messageLength = 0;
    std::uint32_t messageOffset = 0;
    std::vector<std::uint32_t> instrumentOffsets, sampleOffsets;
    std::vector<std::string> sampleNames;      // one per sample offset
    std::vector<std::string> instrumentNames;  // one per instrument offset
    std::vector<std::string> messageLines;     // the text before each carriage return
};

inline std::uint32_t Le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
    return v;
}

inline std::string Name(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::string s;
    for (std::size_t i = 0; i < 26 && b.at(at + i) != 0; ++i) s += static_cast<char>(b[at + i]);
    return s;
}

// Empty on a file too short for what its header promises.
inline std::optional<ItInfo> ReadItInfo(const std::vector<std::uint8_t>& b) {
    try {
        ItInfo info;
        if (b.size() < 192) return std::nullopt;
        info.orders = static_cast<std::uint16_t>(Le(b, 32, 2));
        info.instruments = static_cast<std::uint16_t>(Le(b, 34, 2));
        info.samples = static_cast<std::uint16_t>(Le(b, 36, 2));
        info.patterns = static_cast<std::uint16_t>(Le(b, 38, 2));
        info.messageLength = static_cast<std::uint16_t>(Le(b, 54, 2));
        info.messageOffset = Le(b, 56, 4);
        std::size_t at = 192 + info.orders;
        for (int i = 0; i < info.instruments; ++i, at += 4) {
            info.instrumentOffsets.push_back(Le(b, at, 4));
            info.instrumentNames.push_back(Name(b, info.instrumentOffsets.back() + 32));
        }
        for (int i = 0; i < info.samples; ++i, at += 4) {
            info.sampleOffsets.push_back(Le(b, at, 4));
            info.sampleNames.push_back(Name(b, info.sampleOffsets.back() + 20));
        }
        std::string line;
        for (std::size_t i = 0; i < info.messageLength; ++i) {
            const char c = static_cast<char>(b.at(info.messageOffset + i));
            if (c == '\r') {
                info.messageLines.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        return info;
    } catch (const std::out_of_range&) {
        return std::nullopt;
    }
}

}  // namespace testing_it
