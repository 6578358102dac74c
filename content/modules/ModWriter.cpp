#include <algorithm>
#include <array>
#include <cmath>

#include "content/modules/Bytes.h"
#include "content/modules/Effects.h"
#include "content/modules/Writers.h"

namespace content {
namespace {

// ProTracker's periods at finetune 0 for its three octaves; our note 48 is
// its C-1, and middle C (60) its C-2.
constexpr std::array<unsigned, 36> kPeriods{
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};
constexpr int kLowestNote = 48;
constexpr double kPalRate = 3546895.0 / 428.0;  // playback rate of C-2

unsigned Period(std::uint8_t note) {
    const int i = static_cast<int>(note) - kLowestNote;
    if (i < 0 || i >= static_cast<int>(kPeriods.size())) throw FormatError("note outside the MOD range");
    return kPeriods[static_cast<std::size_t>(i)];
}

}  // namespace

std::vector<std::uint8_t> WriteMod(const Song& song) {
    if (song.channels != 4) throw FormatError("MOD songs here have 4 channels");
    if (song.orders.empty() || song.orders.size() > 128) throw FormatError("MOD songs have 1 to 128 orders");
    if (song.samples.size() > 31) throw FormatError("MOD songs have at most 31 samples");
    if (song.patterns.empty() || song.patterns.size() > 64) throw FormatError("MOD songs have 1 to 64 patterns");
    for (auto o : song.orders)
        if (o >= song.patterns.size()) throw FormatError("order refers to a missing pattern");

    Bytes b;
    b.Field(song.title, 20);
    for (std::size_t i = 0; i < 31; ++i) {
        const Sample* s = i < song.samples.size() ? &song.samples[i] : nullptr;
        if (s && s->pcm.size() > 2 * 65535) throw FormatError("MOD samples hold at most 131070 frames");
        const unsigned words = s ? static_cast<unsigned>((s->pcm.size() + 1) / 2) : 0;
        b.Field(s ? std::string_view(s->name) : std::string_view(), 22);
        b.U16BE(words);
        int fine = 0;
        if (s && !s->pcm.empty())
            fine = std::clamp(static_cast<int>(std::lround(96.0 * std::log2(s->rate / kPalRate))), -8, 7);
        b.U8(static_cast<unsigned>(fine) & 0x0F);
        b.U8(s ? std::min<unsigned>(s->volume, 64) : 0);
        const bool loop = s && s->loop && s->loopEnd > s->loopStart && s->loopEnd <= s->pcm.size();
        if (loop) {
            // Loops are kept in words, so they start and end on even frames.
            const unsigned start = s->loopStart / 2, end = s->loopEnd / 2;
            b.U16BE(start);
            b.U16BE(std::max(1u, end - start));
        } else {
            b.U16BE(0);
            b.U16BE(1);
        }
    }
    b.U8(static_cast<unsigned>(song.orders.size()));
    b.U8(127);
    for (std::size_t i = 0; i < 128; ++i) b.U8(i < song.orders.size() ? song.orders[i] : 0);
    b.Text("M.K.");

    // Players count the patterns from the highest order entry, so patterns
    // past it must not be stored or the sample data would be read too early.
    const std::size_t patternCount = *std::max_element(song.orders.begin(), song.orders.end()) + 1u;
    for (std::size_t pi = 0; pi < patternCount; ++pi) {
        Pattern p = song.patterns[pi];
        if (p.channels != 4 || p.rows != 64) throw FormatError("MOD patterns have 64 rows of 4 channels");
        // MOD has no header speed or tempo: the first pattern played sets them.
        if (pi == song.orders[0]) {
            // Free effect slots first, from the last channel down; if fewer than
            // two are free, the last channels give up their effects.
            std::vector<int> slots;
            for (int ch = 3; ch >= 0; --ch)
                if (p.At(0, ch).effect == Fx::None) slots.push_back(ch);
            for (int ch = 3; ch >= 0 && slots.size() < 2; --ch)
                if (std::find(slots.begin(), slots.end(), ch) == slots.end()) slots.push_back(ch);
            p.At(0, slots[0]).effect = Fx::SetSpeed;
            p.At(0, slots[0]).param = static_cast<std::uint8_t>(std::clamp(song.speed, 1, 31));
            p.At(0, slots[1]).effect = Fx::SetTempo;
            p.At(0, slots[1]).param = static_cast<std::uint8_t>(std::clamp(song.tempo, 32, 255));
        }
        for (int row = 0; row < 64; ++row) {
            for (int ch = 0; ch < 4; ++ch) {
                const Cell& c = p.At(row, ch);
                unsigned period = 0;
                if (c.note != kNoNote && c.note != kNoteOff && c.note != kNoteCut) period = Period(c.note);
                auto [cmd, prm] = EncodeEffect(c.effect, c.param, FxFormat::Mod);
                if (c.note == kNoteOff || c.note == kNoteCut) {
                    if (c.effect == Fx::None) cmd = 0xC, prm = 0;  // silence the channel
                } else if (c.volume != kNoVolume && c.effect == Fx::None) {
                    cmd = 0xC;
                    prm = static_cast<std::uint8_t>(std::min<unsigned>(c.volume, 64));
                }
                const unsigned ins = c.instrument;
                if (ins > 31) throw FormatError("MOD cells name samples 1 to 31");
                b.U8((ins & 0xF0) | ((period >> 8) & 0x0F));
                b.U8(period & 0xFF);
                b.U8(((ins & 0x0F) << 4) | (cmd & 0x0F));
                b.U8(prm);
            }
        }
    }
    for (const Sample& s : song.samples) {
        for (auto v : s.pcm) b.U8(static_cast<std::uint8_t>(static_cast<std::int8_t>(v >> 8)));
        if (s.pcm.size() % 2) b.U8(0);
    }
    return std::move(b.data);
}

}  // namespace content
