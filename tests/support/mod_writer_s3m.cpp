// The S3M writer: unsigned 8-bit samples, 64-row packed patterns.
#include "support/mod_writer.h"

#include <algorithm>

namespace testsupport {

using namespace detail;

namespace {

int S3mNote(int note) {
    if (note == kNoteCut) return 254;
    if (note < 0) return 255;
    // C-4 plays a sample at its C2 rate, which is our C-5.
    int octave = std::clamp(note / 12 - 1, 0, 7);
    return (octave << 4) | (note % 12);
}

std::uint32_t Paragraph(std::size_t offset) { return static_cast<std::uint32_t>(offset >> 4); }

}  // namespace

std::vector<std::uint8_t> WriteS3m(const Song& song) {
    std::vector<std::uint8_t> b;
    std::size_t orderCount = song.orders.size() + 1;  // plus the end marker
    if (orderCount % 2 != 0) ++orderCount;
    const std::size_t sampleCount = song.samples.size();
    const std::size_t patternCount = song.patterns.size();

    PutText(b, song.title, 28);
    Put8(b, 0x1A);
    Put8(b, 16);
    Put16(b, 0);
    Put16(b, static_cast<unsigned>(orderCount));
    Put16(b, static_cast<unsigned>(sampleCount));
    Put16(b, static_cast<unsigned>(patternCount));
    Put16(b, 0);       // flags
    Put16(b, 0x1320);  // made with
    Put16(b, 2);       // unsigned samples
    PutText(b, "SCRM", 4);
    Put8(b, 64);
    Put8(b, song.speed);
    Put8(b, song.tempo);
    Put8(b, 0x80 | 48);  // stereo, master volume 48
    Put8(b, 0);
    Put8(b, 0);
    PutText(b, "", 8);
    Put16(b, 0);
    for (int ch = 0; ch < 32; ++ch)
        Put8(b, ch < song.channels ? ((ch % 2) ? 8 + ch / 2 : ch / 2) : 255);
    for (std::size_t i = 0; i < orderCount; ++i)
        Put8(b, i < song.orders.size() ? song.orders[i] : 255);
    const std::size_t samplePtrs = b.size();
    for (std::size_t i = 0; i < sampleCount; ++i) Put16(b, 0);
    const std::size_t patternPtrs = b.size();
    for (std::size_t i = 0; i < patternCount; ++i) Put16(b, 0);

    std::vector<std::size_t> sampleHeaders;
    for (std::size_t i = 0; i < sampleCount; ++i) {
        const Sample& s = song.samples[i];
        Align(b, 16);
        sampleHeaders.push_back(b.size());
        Set16(b, samplePtrs + 2 * i, Paragraph(b.size()));
        Put8(b, 1);
        PutText(b, s.name, 12);
        Put8(b, 0);
        Put16(b, 0);  // data paragraph, set below
        Put32(b, static_cast<std::uint32_t>(s.data.size()));
        Put32(b, 0);
        Put32(b, s.loop ? static_cast<std::uint32_t>(s.data.size()) : 0);
        Put8(b, s.volume);
        Put8(b, 0);
        Put8(b, 0);
        Put8(b, s.loop ? 1 : 0);
        Put32(b, 8363);
        PutText(b, "", 12);
        PutText(b, s.name, 28);
        PutText(b, "SCRS", 4);
    }

    for (std::size_t p = 0; p < patternCount; ++p) {
        const Pattern& pat = song.patterns[p];
        Align(b, 16);
        Set16(b, patternPtrs + 2 * p, Paragraph(b.size()));
        const std::size_t start = b.size();
        Put16(b, 0);
        for (int row = 0; row < 64; ++row) {
            if (row < pat.rows) {
                for (int ch = 0; ch < std::min(pat.channels, 32); ++ch) {
                    const Cell& c = pat.at(row, ch);
                    int what = ch;
                    if (c.note != kNoNote || c.instrument > 0) what |= 32;
                    if (c.volume >= 0) what |= 64;
                    if (what == ch) continue;
                    Put8(b, what);
                    if (what & 32) {
                        Put8(b, S3mNote(c.note));
                        Put8(b, c.instrument);
                    }
                    if (what & 64) Put8(b, c.volume);
                }
            }
            Put8(b, 0);
        }
        Set16(b, start, static_cast<unsigned>(b.size() - start));
    }

    for (std::size_t i = 0; i < sampleCount; ++i) {
        Align(b, 16);
        std::uint32_t para = Paragraph(b.size());
        b[sampleHeaders[i] + 13] = static_cast<std::uint8_t>((para >> 16) & 0xFF);
        Set16(b, sampleHeaders[i] + 14, para & 0xFFFF);
        for (std::int8_t v : song.samples[i].data) Put8(b, v + 128);
    }
    return b;
}

}  // namespace testsupport
