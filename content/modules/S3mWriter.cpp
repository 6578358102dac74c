#include <algorithm>

#include "content/modules/Bytes.h"
#include "content/modules/Effects.h"
#include "content/modules/Writers.h"

namespace content {
namespace {

std::uint8_t S3mNote(std::uint8_t note) {
    if (note == kNoteOff || note == kNoteCut) return 254;
    // Octave 4 in S3M's numbering holds our middle C.
    if (note < 12 || note >= 12 + 8 * 12) throw FormatError("note outside the S3M range");
    const unsigned n = note - 12u;
    return static_cast<std::uint8_t>(((n / 12) << 4) | (n % 12));
}

std::vector<std::uint8_t> PackPattern(const Pattern& p) {
    if (p.rows != 64) throw FormatError("S3M patterns have 64 rows");
    if (p.channels > 32) throw FormatError("S3M songs have at most 32 channels");
    Bytes b;
    b.U16(0);  // packed length, filled in below
    for (int row = 0; row < 64; ++row) {
        for (int ch = 0; ch < p.channels; ++ch) {
            const Cell& c = p.At(row, ch);
            if (c.Empty()) continue;
            std::uint8_t what = static_cast<std::uint8_t>(ch);
            if (c.note != kNoNote || c.instrument) what |= 0x20;
            if (c.volume != kNoVolume) what |= 0x40;
            if (c.effect != Fx::None) what |= 0x80;
            b.U8(what);
            if (what & 0x20) {
                b.U8(c.note == kNoNote ? 255 : S3mNote(c.note));
                b.U8(std::min<unsigned>(c.instrument, 99));
            }
            if (what & 0x40) b.U8(std::min<unsigned>(c.volume, 64));
            if (what & 0x80) {
                auto [cmd, prm] = EncodeEffect(c.effect, c.param, FxFormat::S3m);
                b.U8(cmd);
                b.U8(prm);
            }
        }
        b.U8(0);
    }
    b.PutU16At(0, static_cast<unsigned>(b.Size()));
    return b.data;
}

std::uint16_t Para(std::size_t offset) {
    if (offset % 16 || offset / 16 > 0xFFFF) throw FormatError("S3M file too large");
    return static_cast<std::uint16_t>(offset / 16);
}

}  // namespace

std::vector<std::uint8_t> WriteS3m(const Song& song) {
    if (song.channels < 1 || song.channels > 16) throw FormatError("S3M songs here have 1 to 16 channels");
    if (song.orders.empty() || song.orders.size() > 254) throw FormatError("S3M songs have 1 to 254 orders");
    if (song.samples.size() > 99) throw FormatError("S3M songs have at most 99 samples");
    if (song.patterns.empty() || song.patterns.size() > 100) throw FormatError("S3M songs have 1 to 100 patterns");
    for (auto o : song.orders)
        if (o >= song.patterns.size()) throw FormatError("order refers to a missing pattern");

    std::vector<std::uint8_t> orders = song.orders;
    orders.push_back(255);
    if (orders.size() % 2) orders.push_back(255);

    Bytes b;
    b.Field(song.title, 28);
    b.U8(0x1A);
    b.U8(16);
    b.U16(0);
    b.U16(static_cast<unsigned>(orders.size()));
    b.U16(static_cast<unsigned>(song.samples.size()));
    b.U16(static_cast<unsigned>(song.patterns.size()));
    b.U16(0);       // flags
    b.U16(0x1320);  // Scream Tracker 3.20
    b.U16(2);       // unsigned sample data
    b.Text("SCRM");
    b.U8(static_cast<unsigned>(std::clamp(song.globalVolume / 2, 0, 64)));
    b.U8(static_cast<unsigned>(std::clamp(song.speed, 1, 255)));
    b.U8(static_cast<unsigned>(std::clamp(song.tempo, 33, 255)));
    b.U8(0x80 | 48);  // stereo, master volume
    b.U8(16);         // click removal
    b.U8(0xFC);       // channel pan table follows
    b.Zeros(8);
    b.U16(0);
    for (int ch = 0; ch < 32; ++ch) {
        if (ch < song.channels) b.U8(ch % 2 == 0 ? static_cast<unsigned>(ch / 2) : static_cast<unsigned>(8 + ch / 2));
        else b.U8(255);
    }
    b.Raw(orders);
    const std::size_t sampleTable = b.Size();
    b.Zeros(2 * song.samples.size());
    const std::size_t patternTable = b.Size();
    b.Zeros(2 * song.patterns.size());
    for (int ch = 0; ch < 32; ++ch) {
        int pan = ch % 2 == 0 ? 16 : 48;
        if (ch < static_cast<int>(song.channelPan.size())) pan = song.channelPan[static_cast<std::size_t>(ch)];
        b.U8(0x20 | static_cast<unsigned>(std::clamp(pan * 15 / 64, 0, 15)));
    }

    std::vector<std::size_t> headerAt;
    for (std::size_t i = 0; i < song.samples.size(); ++i) {
        b.AlignTo(16);
        headerAt.push_back(b.Size());
        b.PutU16At(sampleTable + 2 * i, Para(b.Size()));
        const Sample& s = song.samples[i];
        const bool has = !s.pcm.empty();
        const bool loop = has && s.loop && s.loopEnd > s.loopStart && s.loopEnd <= s.pcm.size();
        b.U8(has ? 1 : 0);
        b.Field(s.fileName, 12);
        b.Zeros(3);  // data pointer, set when the data is placed
        b.U32(static_cast<std::uint32_t>(s.pcm.size()));
        b.U32(loop ? s.loopStart : 0);
        b.U32(loop ? s.loopEnd : 0);
        b.U8(std::min<unsigned>(s.volume, 64));
        b.U8(0);
        b.U8(0);
        b.U8(loop ? 1 : 0);  // 8-bit mono
        b.U32(s.rate);
        b.Zeros(12);
        b.Field(s.name, 28);
        b.Text("SCRS");
    }
    for (std::size_t i = 0; i < song.patterns.size(); ++i) {
        if (song.patterns[i].channels != song.channels)
            throw FormatError("pattern channel count differs from the song's");
        b.AlignTo(16);
        b.PutU16At(patternTable + 2 * i, Para(b.Size()));
        b.Raw(PackPattern(song.patterns[i]));
    }
    for (std::size_t i = 0; i < song.samples.size(); ++i) {
        const Sample& s = song.samples[i];
        if (s.pcm.empty()) continue;
        b.AlignTo(16);
        const std::size_t para = b.Size() / 16;
        if (para > 0xFFFFFF) throw FormatError("S3M file too large");
        b.PutU8At(headerAt[i] + 13, static_cast<unsigned>(para >> 16));
        b.PutU16At(headerAt[i] + 14, static_cast<unsigned>(para & 0xFFFF));
        for (auto v : s.pcm) b.U8(static_cast<unsigned>((v >> 8) + 128));
    }
    return std::move(b.data);
}

}  // namespace content
