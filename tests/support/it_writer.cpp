// The IT writer: instrument mode, one sample per instrument, signed 8-bit
// uncompressed samples, packed patterns and an optional message.
//
// Layout: the 192-byte header, the order list (ended by 255), the instrument,
// sample and pattern offset tables, the message, the 554-byte instrument
// headers, the 80-byte sample headers, the patterns, the sample data.
#include "support/mod_writer.h"

#include <algorithm>

namespace testsupport {

using namespace detail;

namespace {

int ItNote(int note) {
    if (note == kNoteCut) return 254;
    return std::clamp(note, 0, 119);
}

}  // namespace

std::vector<std::uint8_t> WriteIt(const Song& song) {
    std::vector<std::uint8_t> b;
    const std::size_t orderCount = song.orders.size() + 1;
    const std::size_t count = song.samples.size();
    const std::size_t patternCount = song.patterns.size();

    PutText(b, "IMPM", 4);
    PutText(b, song.title, 26);
    Put16(b, 0x1004);
    Put16(b, static_cast<unsigned>(orderCount));
    Put16(b, static_cast<unsigned>(count));  // instruments
    Put16(b, static_cast<unsigned>(count));  // samples
    Put16(b, static_cast<unsigned>(patternCount));
    Put16(b, 0x0214);
    Put16(b, 0x0214);
    Put16(b, 1 | 4 | 8);  // stereo, instruments, linear slides
    Put16(b, song.message.empty() ? 0 : 1);
    Put8(b, 128);
    Put8(b, 48);
    Put8(b, song.speed);
    Put8(b, song.tempo);
    Put8(b, 128);
    Put8(b, 0);
    const std::size_t messageFields = b.size();
    Put16(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    for (int ch = 0; ch < 64; ++ch) Put8(b, ch < song.channels ? 32 : 32 | 128);
    for (int ch = 0; ch < 64; ++ch) Put8(b, 64);
    for (std::size_t i = 0; i < orderCount; ++i) Put8(b, i < song.orders.size() ? song.orders[i] : 255);
    const std::size_t instrumentPtrs = b.size();
    for (std::size_t i = 0; i < count; ++i) Put32(b, 0);
    const std::size_t samplePtrs = b.size();
    for (std::size_t i = 0; i < count; ++i) Put32(b, 0);
    const std::size_t patternPtrs = b.size();
    for (std::size_t i = 0; i < patternCount; ++i) Put32(b, 0);

    if (!song.message.empty()) {
        Set16(b, messageFields, static_cast<unsigned>(song.message.size() + 1));
        Set32(b, messageFields + 2, static_cast<std::uint32_t>(b.size()));
        PutText(b, song.message, song.message.size() + 1);
    }

    for (std::size_t i = 0; i < count; ++i) {
        Set32(b, instrumentPtrs + 4 * i, static_cast<std::uint32_t>(b.size()));
        const std::size_t start = b.size();
        PutText(b, "IMPI", 4);
        PutText(b, "", 12);
        Put8(b, 0);
        Put8(b, 0);  // new note action: cut
        Put8(b, 0);
        Put8(b, 0);
        Put16(b, 0);  // fade-out
        Put8(b, 0);
        Put8(b, 60);
        Put8(b, 128);       // global volume
        Put8(b, 32 | 128);  // default pan, not used
        Put8(b, 0);
        Put8(b, 0);
        Put16(b, 0x0214);
        Put8(b, 1);
        Put8(b, 0);
        const std::string& name = i < song.instrumentNames.size() ? song.instrumentNames[i] : song.samples[i].name;
        PutText(b, name, 26);
        Put8(b, 0);
        Put8(b, 0);
        Put8(b, 0);
        Put8(b, 0);
        Put16(b, 0);
        for (int note = 0; note < 120; ++note) {
            Put8(b, note);
            Put8(b, static_cast<int>(i + 1));
        }
        PutText(b, "", 82 * 3);  // volume, panning and pitch envelopes, all off
        Align(b, 2);
        while (b.size() - start < 554) Put8(b, 0);
    }

    std::vector<std::size_t> sampleHeaders;
    for (std::size_t i = 0; i < count; ++i) {
        const Sample& s = song.samples[i];
        Set32(b, samplePtrs + 4 * i, static_cast<std::uint32_t>(b.size()));
        sampleHeaders.push_back(b.size());
        PutText(b, "IMPS", 4);
        PutText(b, "", 12);
        Put8(b, 0);
        Put8(b, 64);
        Put8(b, 1 | (s.loop ? 16 : 0));
        Put8(b, s.volume);
        PutText(b, s.name, 26);
        Put8(b, 1);   // signed samples
        Put8(b, 32);  // default pan, not used
        Put32(b, static_cast<std::uint32_t>(s.data.size()));
        Put32(b, 0);
        Put32(b, static_cast<std::uint32_t>(s.data.size()));
        Put32(b, 8363);
        Put32(b, 0);
        Put32(b, 0);
        Put32(b, 0);  // data offset, set below
        Put32(b, 0);
    }

    for (std::size_t p = 0; p < patternCount; ++p) {
        const Pattern& pat = song.patterns[p];
        Set32(b, patternPtrs + 4 * p, static_cast<std::uint32_t>(b.size()));
        const std::size_t start = b.size();
        Put16(b, 0);
        Put16(b, static_cast<unsigned>(pat.rows));
        Put32(b, 0);
        for (int row = 0; row < pat.rows; ++row) {
            for (int ch = 0; ch < std::min(pat.channels, 64); ++ch) {
                const Cell& c = pat.at(row, ch);
                int mask = 0;
                if (c.note != kNoNote) mask |= 1;
                if (c.instrument > 0) mask |= 2;
                if (c.volume >= 0) mask |= 4;
                if (mask == 0) continue;
                Put8(b, (ch + 1) | 128);
                Put8(b, mask);
                if (mask & 1) Put8(b, ItNote(c.note));
                if (mask & 2) Put8(b, c.instrument);
                if (mask & 4) Put8(b, std::min(c.volume, 64));
            }
            Put8(b, 0);
        }
        Set16(b, start, static_cast<unsigned>(b.size() - start - 8));
    }

    for (std::size_t i = 0; i < count; ++i) {
        Set32(b, sampleHeaders[i] + 72, static_cast<std::uint32_t>(b.size()));
        for (std::int8_t v : song.samples[i].data) Put8(b, v);
    }
    return b;
}

}  // namespace testsupport
