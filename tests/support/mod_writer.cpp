// The test songs, and their conversion onto the content generator's song and
// writers.
#include "support/mod_writer.h"

#include "content/modules/Writers.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace testsupport {

Sample SquareSample(const std::string& name, int amplitude, int period, int length) {
    Sample s;
    s.name = name;
    s.loop = true;
    s.data.resize(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i)
        s.data[static_cast<std::size_t>(i)] =
            static_cast<std::int8_t>((i % period) < period / 2 ? amplitude : -amplitude);
    return s;
}

Song LoudSilentSong(int orderCount, int rowsPerPattern, int channels) {
    Song song;
    song.title = "loud and silent";
    song.channels = channels;
    song.speed = 3;
    song.tempo = 150;
    song.samples.push_back(SquareSample("square", 100));
    song.instrumentNames.push_back("square inst");

    Pattern loud(rowsPerPattern, channels);
    loud.at(0, 0) = Cell{kMiddleC, 1, 64};
    Pattern silent(rowsPerPattern, channels);
    silent.at(0, 0).note = kNoteCut;
    song.patterns = {loud, silent};
    for (int i = 0; i < orderCount; ++i) song.orders.push_back(i % 2);
    return song;
}

Song BusySong(int orderCount, int channels) {
    Song song;
    song.title = "busy";
    song.channels = channels;
    song.speed = 6;
    song.tempo = 125;
    song.samples.push_back(SquareSample("square", 60, 40, 4000));
    Sample saw{"saw", {}, 64, true};
    for (int i = 0; i < 3000; ++i) saw.data.push_back(static_cast<std::int8_t>((i % 50) * 5 - 125));
    song.samples.push_back(saw);
    Sample sine{"sine", {}, 48, true};
    for (int i = 0; i < 3200; ++i)
        sine.data.push_back(static_cast<std::int8_t>(std::lround(110 * std::sin(i * 2 * std::numbers::pi / 64))));
    song.samples.push_back(sine);
    Sample noise{"noise", {}, 40, false};
    std::uint32_t seed = 12345;
    for (int i = 0; i < 6000; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise.data.push_back(static_cast<std::int8_t>((seed >> 16) & 0xFF));
    }
    song.samples.push_back(noise);

    for (int p = 0; p < 4; ++p) {
        Pattern pat(64, channels);
        for (int row = 0; row < 64; ++row)
            for (int ch = 0; ch < channels; ++ch) {
                if ((row + ch) % 2 != 0) continue;
                Cell& c = pat.at(row, ch);
                // Three octaves, so that MOD can hold the song too.
                c.note = 48 + (row * 7 + ch * 5 + p * 3) % 36;
                c.instrument = 1 + (ch + p) % 4;
                c.volume = 32 + (row * 3 + ch) % 33;
            }
        song.patterns.push_back(pat);
    }
    for (int i = 0; i < orderCount; ++i) song.orders.push_back(i % 4);
    return song;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

namespace {

enum class Target { Mod, S3m, Xm, It };

std::uint8_t Byte(int v, const char* what) {
    if (v < 0 || v > 255) throw content::FormatError(std::string("test song: ") + what + " out of range");
    return static_cast<std::uint8_t>(v);
}

content::Cell ToCell(const Cell& c, Target t) {
    content::Cell out;
    if (c.note == kNoteCut) {
        // XM has no note cut: a volume of 0 silences at once, as a cut does.
        if (t == Target::Xm)
            out.volume = 0;
        else
            out.note = content::kNoteCut;
    } else if (c.note != kNoNote) {
        out.note = Byte(c.note, "note");
    }
    out.instrument = Byte(c.instrument, "instrument");
    if (c.volume >= 0 && out.volume == content::kNoVolume) out.volume = Byte(c.volume, "volume");
    return out;
}

content::Song ToContent(const Song& song, Target t) {
    content::Song out;
    out.title = song.title;
    out.channels = song.channels;
    out.speed = song.speed;
    out.tempo = song.tempo;
    if (t == Target::It) out.message = song.message;
    for (int o : song.orders) out.orders.push_back(Byte(o, "order"));

    for (const Sample& s : song.samples) {
        content::Sample cs;
        cs.name = s.name;
        cs.pcm.reserve(s.data.size());
        for (std::int8_t v : s.data) cs.pcm.push_back(static_cast<std::int16_t>(v * 256));
        // MOD tunes by finetune: the rate of its C-2 keeps it at 0.
        if (t == Target::Mod) cs.rate = 8287;
        cs.loop = s.loop;
        cs.loopEnd = static_cast<std::uint32_t>(s.data.size());
        cs.volume = Byte(s.volume, "sample volume");
        out.samples.push_back(std::move(cs));
    }
    if (t == Target::Xm || t == Target::It) {
        for (std::size_t i = 0; i < song.samples.size(); ++i) {
            content::Instrument in;
            in.name = i < song.instrumentNames.size() ? song.instrumentNames[i] : song.samples[i].name;
            in.sample = static_cast<int>(i);
            out.instruments.push_back(std::move(in));
        }
    }

    const bool fixed64 = t == Target::Mod || t == Target::S3m;
    for (const Pattern& p : song.patterns) {
        if (fixed64 && p.rows > 64) throw content::FormatError("test song: MOD and S3M patterns hold 64 rows");
        content::Pattern cp(fixed64 ? 64 : p.rows, p.channels);
        for (int row = 0; row < p.rows; ++row)
            for (int ch = 0; ch < p.channels; ++ch) cp.At(row, ch) = ToCell(p.at(row, ch), t);
        out.patterns.push_back(std::move(cp));
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> WriteMod(const Song& song) { return content::WriteMod(ToContent(song, Target::Mod)); }
std::vector<std::uint8_t> WriteS3m(const Song& song) { return content::WriteS3m(ToContent(song, Target::S3m)); }
std::vector<std::uint8_t> WriteXm(const Song& song) { return content::WriteXm(ToContent(song, Target::Xm)); }
std::vector<std::uint8_t> WriteIt(const Song& song) { return content::WriteIt(ToContent(song, Target::It)); }

}  // namespace testsupport
