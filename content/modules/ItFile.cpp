#include "content/modules/ItFile.h"

#include <algorithm>
#include <limits>

#include "content/modules/Bytes.h"
#include "content/modules/Effects.h"

namespace content::it {
namespace {

void PutEnvelope(Bytes& b, const Envelope& e) {
    if (e.nodes.size() > 25) throw FormatError("an IT envelope holds at most 25 nodes");
    b.U8(e.flags);
    b.U8(static_cast<unsigned>(e.nodes.size()));
    b.U8(e.loopBegin);
    b.U8(e.loopEnd);
    b.U8(e.sustainBegin);
    b.U8(e.sustainEnd);
    for (std::size_t i = 0; i < 25; ++i) {
        if (i < e.nodes.size()) {
            b.U8(static_cast<std::uint8_t>(e.nodes[i].value));
            b.U16(e.nodes[i].tick);
        } else {
            b.Zeros(3);
        }
    }
    b.U8(0);
}

std::uint16_t Count16(std::size_t n, const char* what) {
    if (n > std::numeric_limits<std::uint16_t>::max())
        throw FormatError(std::string("too many ") + what + " for an IT file");
    return static_cast<std::uint16_t>(n);
}

}  // namespace

std::vector<std::uint8_t> EncodeHeader(const Header& h, std::uint16_t orderCount,
                                       std::uint16_t instrumentCount, std::uint16_t sampleCount,
                                       std::uint16_t patternCount, std::uint16_t messageLength,
                                       std::uint32_t messageOffset) {
    Bytes b;
    b.Text("IMPM");
    b.Field(h.songName, 26);
    b.U16(h.highlight);
    b.U16(orderCount);
    b.U16(instrumentCount);
    b.U16(sampleCount);
    b.U16(patternCount);
    b.U16(h.createdWith);
    b.U16(h.compatibleWith);
    b.U16(h.flags);
    b.U16(h.special);
    b.U8(h.globalVolume);
    b.U8(h.mixVolume);
    b.U8(h.initialSpeed);
    b.U8(h.initialTempo);
    b.U8(h.separation);
    b.U8(h.pitchWheelDepth);
    b.U16(messageLength);
    b.U32(messageOffset);
    b.U32(0);
    for (auto v : h.channelPan) b.U8(v);
    for (auto v : h.channelVolume) b.U8(v);
    return b.data;
}

std::vector<std::uint8_t> EncodeInstrument(const InstrumentHeader& ins) {
    Bytes b;
    b.Text("IMPI");
    b.Field(ins.fileName, 12);
    b.U8(0);
    b.U8(ins.newNoteAction);
    b.U8(ins.duplicateCheckType);
    b.U8(ins.duplicateCheckAction);
    b.U16(ins.fadeout);
    b.U8(0);  // pitch-pan separation
    b.U8(60); // pitch-pan centre
    b.U8(ins.globalVolume);
    b.U8(ins.defaultPan);
    b.U8(0);  // random volume
    b.U8(0);  // random panning
    b.U16(0); // tracker version (instrument files only)
    std::uint8_t used = 0;
    for (const auto& k : ins.keyboard)
        if (k.second) used = 1;
    b.U8(used);  // number of samples: informational
    b.U8(0);
    b.Field(ins.name, kNameSize);
    b.U8(0);    // filter cutoff off
    b.U8(0);    // filter resonance off
    b.U8(0);    // MIDI channel
    b.U8(0);    // MIDI program
    b.U16(0);   // MIDI bank
    for (const auto& k : ins.keyboard) {
        b.U8(k.first);
        b.U8(k.second);
    }
    PutEnvelope(b, ins.volume);
    PutEnvelope(b, ins.panning);
    PutEnvelope(b, ins.pitch);
    b.Zeros(kInstrumentSize - b.Size());
    return b.data;
}

std::vector<std::uint8_t> EncodeSampleHeader(const SampleHeader& s) {
    Bytes b;
    b.Text("IMPS");
    b.Field(s.fileName, 12);
    b.U8(0);
    b.U8(s.globalVolume);
    b.U8(s.flags);
    b.U8(s.volume);
    b.Field(s.name, kNameSize);
    b.U8(s.convert);
    b.U8(s.defaultPan);
    b.U32(s.length);
    b.U32(s.loopBegin);
    b.U32(s.loopEnd);
    b.U32(s.c5speed);
    b.U32(s.sustainBegin);
    b.U32(s.sustainEnd);
    b.U32(s.dataPointer);
    b.U8(s.vibratoSpeed);
    b.U8(s.vibratoDepth);
    b.U8(s.vibratoRate);
    b.U8(s.vibratoType);
    return b.data;
}

std::vector<std::uint8_t> EncodePattern(const Pattern& p) {
    if (p.rows < 1 || p.rows > 200) throw FormatError("an IT pattern has 1 to 200 rows");
    if (p.channels < 1 || p.channels > 64) throw FormatError("an IT pattern has 1 to 64 channels");
    Bytes packed;
    for (int row = 0; row < p.rows; ++row) {
        for (int ch = 0; ch < p.channels; ++ch) {
            const Cell& c = p.At(row, ch);
            if (c.Empty()) continue;
            std::uint8_t mask = 0;
            if (c.note != kNoNote) mask |= 1;
            if (c.instrument) mask |= 2;
            if (c.volume != kNoVolume) mask |= 4;
            if (c.effect != Fx::None) mask |= 8;
            packed.U8(static_cast<unsigned>(ch + 1) | 0x80);
            packed.U8(mask);
            if (mask & 1) {
                if (c.note == kNoteOff) packed.U8(255);
                else if (c.note == kNoteCut) packed.U8(254);
                else packed.U8(std::min<unsigned>(c.note, 119));
            }
            if (mask & 2) packed.U8(std::min<unsigned>(c.instrument, 99));
            if (mask & 4) packed.U8(std::min<unsigned>(c.volume, 64));
            if (mask & 8) {
                auto [cmd, prm] = EncodeEffect(c.effect, c.param, FxFormat::It);
                packed.U8(cmd);
                packed.U8(prm);
            }
        }
        packed.U8(0);
    }
    if (packed.Size() > 65535) throw FormatError("IT pattern data too large");
    Bytes b;
    b.U16(static_cast<unsigned>(packed.Size()));
    b.U16(static_cast<unsigned>(p.rows));
    b.Zeros(4);
    b.Raw(packed.data);
    return b.data;
}

std::vector<std::uint8_t> FileBuilder::Build(Layout* layoutOut) const {
    Layout layout;
    std::uint32_t pos = kHeaderSize;
    auto advance = [&pos](std::size_t n) {
        if (pos + n > std::numeric_limits<std::uint32_t>::max())
            throw FormatError("IT file too large");
        pos += static_cast<std::uint32_t>(n);
    };
    layout.orderList = pos;
    advance(orders.size());
    layout.instrumentTable = pos;
    advance(4 * instruments.size());
    layout.sampleTable = pos;
    advance(4 * samples.size());
    layout.patternTable = pos;
    advance(4 * patterns.size());
    layout.message = message.empty() ? 0 : pos;
    advance(message.size());

    for (const auto& ins : instruments) {
        layout.instruments.push_back(ins.offset.value_or(pos));
        if (!ins.offset) advance(kInstrumentSize);
    }
    for (const auto& s : samples) {
        layout.samples.push_back(s.offset.value_or(pos));
        if (!s.offset) advance(kSampleHeaderSize);
    }
    for (const auto& p : patterns) {
        layout.patterns.push_back(p.empty() ? 0 : pos);
        advance(p.size());
    }
    for (const auto& s : samples) {
        layout.sampleData.push_back(s.dataOffset.value_or(pos));
        if (!s.dataOffset) advance(s.data.size());
    }

    Header h = header;
    if (!message.empty()) h.special |= kSpecialMessage;
    Bytes b;
    b.Raw(EncodeHeader(h, orderCount.value_or(Count16(orders.size(), "orders")),
                       instrumentCount.value_or(Count16(instruments.size(), "instruments")),
                       sampleCount.value_or(Count16(samples.size(), "samples")),
                       patternCount.value_or(Count16(patterns.size(), "patterns")),
                       messageLength.value_or(Count16(message.size(), "message bytes")),
                       messageOffset.value_or(layout.message)));
    b.Raw(orders);
    for (auto off : layout.instruments) b.U32(off);
    for (auto off : layout.samples) b.U32(off);
    for (auto off : layout.patterns) b.U32(off);
    b.Text(message);
    b.data.resize(pos, 0);

    for (std::size_t i = 0; i < instruments.size(); ++i)
        b.PutAt(layout.instruments[i], EncodeInstrument(instruments[i].header));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SampleHeader sh = samples[i].header;
        if (!samples[i].keepDataPointer) sh.dataPointer = layout.sampleData[i];
        b.PutAt(layout.samples[i], EncodeSampleHeader(sh));
    }
    for (std::size_t i = 0; i < patterns.size(); ++i)
        if (!patterns[i].empty()) b.PutAt(layout.patterns[i], patterns[i]);
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (!samples[i].data.empty()) b.PutAt(layout.sampleData[i], samples[i].data);
    for (const auto& [offset, bytes] : patches) b.PutAt(offset, bytes);
    if (truncateTo && *truncateTo < b.data.size()) b.data.resize(*truncateTo);
    if (layoutOut) *layoutOut = std::move(layout);
    return std::move(b.data);
}

std::vector<std::uint8_t> WriteIt(const Song& song) {
    if (song.channels < 1 || song.channels > 64) throw FormatError("IT songs have 1 to 64 channels");
    if (song.orders.empty() || song.orders.size() > 255) throw FormatError("IT songs have 1 to 255 orders");
    if (song.samples.size() > 99 || song.instruments.size() > 99)
        throw FormatError("IT songs have at most 99 samples and 99 instruments");
    if (song.patterns.size() > 200) throw FormatError("IT songs have at most 200 patterns");
    for (auto o : song.orders)
        if (o != kSkipOrder && o >= song.patterns.size()) throw FormatError("order refers to a missing pattern");

    FileBuilder fb;
    fb.header.songName = song.title;
    fb.header.flags = kFlagStereo | kFlagLinearSlides;
    if (!song.instruments.empty()) fb.header.flags |= kFlagInstruments;
    fb.header.initialSpeed = static_cast<std::uint8_t>(std::clamp(song.speed, 1, 255));
    fb.header.initialTempo = static_cast<std::uint8_t>(std::clamp(song.tempo, 32, 255));
    fb.header.globalVolume = static_cast<std::uint8_t>(std::clamp(song.globalVolume, 0, 128));
    for (int ch = 0; ch < song.channels; ++ch) {
        const int pan = ch < static_cast<int>(song.channelPan.size()) ? song.channelPan[static_cast<std::size_t>(ch)] : 32;
        fb.header.channelPan[static_cast<std::size_t>(ch)] = static_cast<std::uint8_t>(std::clamp(pan, 0, 64));
    }
    fb.orders = song.orders;
    fb.orders.push_back(255);
    fb.message = song.message;

    for (const Instrument& in : song.instruments) {
        FileBuilder::InstrumentBlock blk;
        blk.header.name = in.name;
        blk.header.fileName = in.fileName;
        blk.header.fadeout = static_cast<std::uint16_t>(
            in.fadeout ? std::clamp<unsigned>(in.fadeout / 32u, 1u, 256u) : 0u);  // IT's scale is 1/32 of XM's
        if (in.sample >= 0) {
            if (in.sample >= static_cast<int>(song.samples.size()))
                throw FormatError("instrument refers to a missing sample");
            blk.header.MapAllKeys(static_cast<std::uint8_t>(in.sample + 1));
        }
        if (!in.volumeEnvelope.empty()) {
            Envelope& e = blk.header.volume;
            e.flags = 1;
            for (const auto& pt : in.volumeEnvelope)
                e.nodes.push_back({static_cast<std::int8_t>(std::min<unsigned>(pt.value, 64)), pt.tick});
            if (in.sustainPoint >= 0) {
                e.flags |= 4;
                e.sustainBegin = e.sustainEnd = static_cast<std::uint8_t>(in.sustainPoint);
            }
        }
        fb.instruments.push_back(std::move(blk));
    }
    for (const Sample& s : song.samples) {
        FileBuilder::SampleBlock blk;
        blk.header.name = s.name;
        blk.header.fileName = s.fileName;
        blk.header.volume = std::min<std::uint8_t>(s.volume, 64);
        blk.header.c5speed = s.rate;
        if (s.pan >= 0) blk.header.defaultPan = static_cast<std::uint8_t>(0x80 | std::min(s.pan, 64));
        if (!s.pcm.empty()) {
            blk.header.flags = kSampleHasData;
            blk.header.length = static_cast<std::uint32_t>(s.pcm.size());
            if (s.sixteenBit) {
                blk.header.flags |= kSample16Bit;
                for (auto v : s.pcm) {
                    blk.data.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) & 0xFF));
                    blk.data.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8));
                }
            } else {
                for (auto v : s.pcm) blk.data.push_back(static_cast<std::uint8_t>(v >> 8));
            }
            if (s.loop && s.loopEnd > s.loopStart && s.loopEnd <= s.pcm.size()) {
                blk.header.flags |= kSampleLoop;
                blk.header.loopBegin = s.loopStart;
                blk.header.loopEnd = s.loopEnd;
            }
        }
        fb.samples.push_back(std::move(blk));
    }
    for (const Pattern& p : song.patterns) {
        if (p.channels != song.channels) throw FormatError("pattern channel count differs from the song's");
        fb.patterns.push_back(EncodePattern(p));
    }
    return fb.Build();
}

}  // namespace content::it
