#include <algorithm>
#include <cmath>

#include "content/modules/Bytes.h"
#include "content/modules/Effects.h"
#include "content/modules/Writers.h"

namespace content {
namespace {

// XM's note 49 is our middle C (60); 97 is key off.
std::uint8_t XmNote(std::uint8_t note) {
    if (note == kNoteOff || note == kNoteCut) return 97;
    const int n = static_cast<int>(note) - 11;
    if (n < 1 || n > 96) throw FormatError("note outside the XM range");
    return static_cast<std::uint8_t>(n);
}

std::vector<std::uint8_t> PackPattern(const Pattern& p) {
    Bytes b;
    for (int row = 0; row < p.rows; ++row) {
        for (int ch = 0; ch < p.channels; ++ch) {
            const Cell& c = p.At(row, ch);
            std::uint8_t note = c.note == kNoNote ? 0 : XmNote(c.note);
            std::uint8_t ins = c.instrument;
            std::uint8_t vol = c.volume == kNoVolume ? 0 : static_cast<std::uint8_t>(0x10 + std::min<unsigned>(c.volume, 64));
            auto [fx, prm] = EncodeEffect(c.effect, c.param, FxFormat::Xm);
            // An arpeggio of 000 is no effect at all, so a plain cell packs to one byte.
            std::uint8_t bits = 0;
            if (note) bits |= 1;
            if (ins) bits |= 2;
            if (vol) bits |= 4;
            if (fx) bits |= 8;
            if (prm) bits |= 16;
            if (bits == 31) {
                b.U8(note); b.U8(ins); b.U8(vol); b.U8(fx); b.U8(prm);
                continue;
            }
            b.U8(0x80 | bits);
            if (note) b.U8(note);
            if (ins) b.U8(ins);
            if (vol) b.U8(vol);
            if (fx) b.U8(fx);
            if (prm) b.U8(prm);
        }
    }
    return b.data;
}

// Relative note and finetune that make note 49 play at `rate`.
std::pair<std::int8_t, std::int8_t> Tuning(std::uint32_t rate) {
    const double semis = 12.0 * std::log2(static_cast<double>(rate) / 8363.0);
    int rel = static_cast<int>(std::floor(semis + 0.5));
    int fine = static_cast<int>(std::lround((semis - rel) * 128.0));
    fine = std::clamp(fine, -128, 127);
    rel = std::clamp(rel, -96, 95);
    return {static_cast<std::int8_t>(rel), static_cast<std::int8_t>(fine)};
}

}  // namespace

std::vector<std::uint8_t> WriteXm(const Song& song) {
    if (song.channels < 2 || song.channels > 32) throw FormatError("XM songs have 2 to 32 channels");
    if (song.orders.empty() || song.orders.size() > 256) throw FormatError("XM songs have 1 to 256 orders");
    if (song.patterns.empty() || song.patterns.size() > 256) throw FormatError("XM songs have 1 to 256 patterns");
    if (song.instruments.size() > 128) throw FormatError("XM songs have at most 128 instruments");
    for (auto o : song.orders)
        if (o >= song.patterns.size()) throw FormatError("order refers to a missing pattern");

    Bytes b;
    b.Text("Extended Module: ");
    b.Field(song.title, 20);
    b.U8(0x1A);
    b.Field("Hollowmere gen", 20);
    b.U16(0x0104);
    b.U32(276);
    b.U16(static_cast<unsigned>(song.orders.size()));
    b.U16(0);  // restart position
    b.U16(static_cast<unsigned>(song.channels));
    b.U16(static_cast<unsigned>(song.patterns.size()));
    b.U16(static_cast<unsigned>(song.instruments.size()));
    b.U16(1);  // linear frequency table
    b.U16(static_cast<unsigned>(std::clamp(song.speed, 1, 31)));
    b.U16(static_cast<unsigned>(std::clamp(song.tempo, 32, 255)));
    for (std::size_t i = 0; i < 256; ++i) b.U8(i < song.orders.size() ? song.orders[i] : 0);

    for (const Pattern& p : song.patterns) {
        if (p.channels != song.channels) throw FormatError("pattern channel count differs from the song's");
        if (p.rows < 1 || p.rows > 256) throw FormatError("XM patterns have 1 to 256 rows");
        auto packed = PackPattern(p);
        if (packed.size() > 65535) throw FormatError("XM pattern data too large");
        b.U32(9);
        b.U8(0);
        b.U16(static_cast<unsigned>(p.rows));
        b.U16(static_cast<unsigned>(packed.size()));
        b.Raw(packed);
    }

    for (const Instrument& in : song.instruments) {
        const Sample* s = nullptr;
        if (in.sample >= 0) {
            if (in.sample >= static_cast<int>(song.samples.size()))
                throw FormatError("instrument refers to a missing sample");
            s = &song.samples[static_cast<std::size_t>(in.sample)];
        }
        const std::size_t start = b.Size();
        b.U32(263);
        b.Field(in.name, 22);
        b.U8(0);
        b.U16(s ? 1 : 0);
        b.U32(40);
        b.Zeros(96);  // every key plays the instrument's first sample
        if (in.volumeEnvelope.size() > 12) throw FormatError("an XM envelope holds at most 12 points");
        for (std::size_t i = 0; i < 12; ++i) {
            if (i < in.volumeEnvelope.size()) {
                b.U16(in.volumeEnvelope[i].tick);
                b.U16(std::min<unsigned>(in.volumeEnvelope[i].value, 64));
            } else {
                b.U32(0);
            }
        }
        b.Zeros(48);  // panning envelope
        b.U8(static_cast<unsigned>(in.volumeEnvelope.size()));
        b.U8(0);
        b.U8(in.sustainPoint >= 0 ? static_cast<unsigned>(in.sustainPoint) : 0);
        b.U8(0);
        b.U8(0);
        b.Zeros(3);
        std::uint8_t volType = 0;
        if (!in.volumeEnvelope.empty()) volType |= 1;
        if (!in.volumeEnvelope.empty() && in.sustainPoint >= 0) volType |= 2;
        b.U8(volType);
        b.U8(0);
        b.Zeros(4);  // auto-vibrato
        b.U16(std::min<unsigned>(in.fadeout, 0xFFF));
        b.Zeros(263 - (b.Size() - start));
        if (!s) continue;

        const bool wide = s->sixteenBit;
        const std::uint32_t frames = static_cast<std::uint32_t>(s->pcm.size());
        const std::uint32_t unit = wide ? 2 : 1;
        auto [rel, fine] = Tuning(s->rate);
        const bool loop = s->loop && s->loopEnd > s->loopStart && s->loopEnd <= frames;
        b.U32(frames * unit);
        b.U32(loop ? s->loopStart * unit : 0);
        b.U32(loop ? (s->loopEnd - s->loopStart) * unit : 0);
        b.U8(std::min<unsigned>(s->volume, 64));
        b.U8(static_cast<std::uint8_t>(fine));
        b.U8((loop ? 1 : 0) | (wide ? 0x10 : 0));
        b.U8(s->pan >= 0 ? static_cast<unsigned>(std::min(s->pan * 4, 255)) : 128);
        b.U8(static_cast<std::uint8_t>(rel));
        b.U8(0);
        b.Field(s->name, 22);
        // Sample data is stored as deltas.
        if (wide) {
            std::int16_t prev = 0;
            for (auto v : s->pcm) {
                const auto d = static_cast<std::uint16_t>(static_cast<std::uint16_t>(v) - static_cast<std::uint16_t>(prev));
                b.U16(d);
                prev = v;
            }
        } else {
            std::int8_t prev = 0;
            for (auto v : s->pcm) {
                const auto cur = static_cast<std::int8_t>(v >> 8);
                b.U8(static_cast<std::uint8_t>(static_cast<std::uint8_t>(cur) - static_cast<std::uint8_t>(prev)));
                prev = cur;
            }
        }
    }
    return std::move(b.data);
}

}  // namespace content
