// The XM writer: one sample per instrument, delta-coded 8-bit sample data.
#include "support/mod_writer.h"

#include <algorithm>

namespace testsupport {

using namespace detail;

namespace {

// XM note 49 (C-4) plays a sample at 8363 Hz, which is our C-5.
int XmNote(int note) { return note < 0 ? 0 : std::clamp(note - 11, 1, 96); }

}  // namespace

std::vector<std::uint8_t> WriteXm(const Song& song) {
    std::vector<std::uint8_t> b;
    PutText(b, "Extended Module: ", 17);
    PutText(b, song.title, 20);
    Put8(b, 0x1A);
    PutText(b, "test writer", 20);
    Put16(b, 0x0104);
    Put32(b, 276);
    Put16(b, static_cast<unsigned>(song.orders.size()));
    Put16(b, 0);
    Put16(b, static_cast<unsigned>(song.channels));
    Put16(b, static_cast<unsigned>(song.patterns.size()));
    Put16(b, static_cast<unsigned>(song.samples.size()));
    Put16(b, 1);  // linear frequencies
    Put16(b, static_cast<unsigned>(song.speed));
    Put16(b, static_cast<unsigned>(song.tempo));
    for (std::size_t i = 0; i < 256; ++i) Put8(b, i < song.orders.size() ? song.orders[i] : 0);

    for (const Pattern& pat : song.patterns) {
        Put32(b, 9);
        Put8(b, 0);
        Put16(b, static_cast<unsigned>(pat.rows));
        const std::size_t sizeAt = b.size();
        Put16(b, 0);
        const std::size_t start = b.size();
        for (int row = 0; row < pat.rows; ++row)
            for (int ch = 0; ch < song.channels; ++ch) {
                const Cell& c = pat.at(row, ch);
                int volume = c.note == kNoteCut ? 0 : c.volume;
                int flags = 0x80;
                if (c.note >= 0) flags |= 1;
                if (c.instrument > 0) flags |= 2;
                if (volume >= 0) flags |= 4;
                Put8(b, flags);
                if (flags & 1) Put8(b, XmNote(c.note));
                if (flags & 2) Put8(b, c.instrument);
                if (flags & 4) Put8(b, 0x10 + volume);
            }
        Set16(b, sizeAt, static_cast<unsigned>(b.size() - start));
    }

    for (std::size_t i = 0; i < song.samples.size(); ++i) {
        const Sample& s = song.samples[i];
        const std::string& name = i < song.instrumentNames.size() ? song.instrumentNames[i] : s.name;
        Put32(b, 263);
        PutText(b, name, 22);
        Put8(b, 0);
        Put16(b, 1);
        Put32(b, 40);
        PutText(b, "", 96);       // every note plays sample 0
        PutText(b, "", 48 + 48);  // envelopes
        PutText(b, "", 2 + 6 + 2 + 4);
        Put16(b, 0);              // fade-out
        PutText(b, "", 22);

        Put32(b, static_cast<std::uint32_t>(s.data.size()));
        Put32(b, 0);
        Put32(b, s.loop ? static_cast<std::uint32_t>(s.data.size()) : 0);
        Put8(b, s.volume);
        Put8(b, 0);
        Put8(b, s.loop ? 1 : 0);
        Put8(b, 128);
        Put8(b, 0);
        Put8(b, 0);
        PutText(b, s.name, 22);
        int previous = 0;
        for (std::int8_t v : s.data) {
            Put8(b, v - previous);
            previous = v;
        }
    }
    return b;
}

}  // namespace testsupport
