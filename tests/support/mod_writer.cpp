// Shared helpers, the test songs and the MOD writer.
#include "support/mod_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace testsupport {

namespace detail {

void Put8(std::vector<std::uint8_t>& b, int v) { b.push_back(static_cast<std::uint8_t>(v & 0xFF)); }

void Put16(std::vector<std::uint8_t>& b, unsigned v) {
    Put8(b, static_cast<int>(v));
    Put8(b, static_cast<int>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

void PutText(std::vector<std::uint8_t>& b, const std::string& s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) b.push_back(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
}

void Set16(std::vector<std::uint8_t>& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

void Set32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    Set16(b, at, v & 0xFFFF);
    Set16(b, at + 2, v >> 16);
}

void Align(std::vector<std::uint8_t>& b, std::size_t unit) {
    while (b.size() % unit != 0) b.push_back(0);
}

}  // namespace detail

using namespace detail;

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
                c.note = 36 + (row * 7 + ch * 5 + p * 3) % 48;
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

void Put16BE(std::vector<std::uint8_t>& b, unsigned v) {
    Put8(b, static_cast<int>(v >> 8));
    Put8(b, static_cast<int>(v));
}

// Amiga periods without finetune, C-1 to B-3; C-2 plays a sample at about 8287 Hz.
constexpr int kPeriods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                              428, 404, 381, 360, 340, 320, 302, 285, 269, 254, 240, 226,
                              214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

std::string ModMagic(int channels) {
    if (channels == 4) return "M.K.";
    if (channels < 10) return std::to_string(channels) + "CHN";
    return std::to_string(channels) + "CH";
}

}  // namespace

std::vector<std::uint8_t> WriteMod(const Song& song) {
    std::vector<std::uint8_t> b;
    PutText(b, song.title, 20);
    for (std::size_t i = 0; i < 31; ++i) {
        if (i < song.samples.size()) {
            const Sample& s = song.samples[i];
            unsigned words = static_cast<unsigned>((s.data.size() + 1) / 2);
            PutText(b, s.name, 22);
            Put16BE(b, words);
            Put8(b, 0);
            Put8(b, s.volume);
            Put16BE(b, 0);
            Put16BE(b, s.loop ? words : 1);
        } else {
            PutText(b, "", 22);
            Put16BE(b, 0);
            Put8(b, 0);
            Put8(b, 0);
            Put16BE(b, 0);
            Put16BE(b, 1);
        }
    }
    Put8(b, static_cast<int>(song.orders.size()));
    Put8(b, 127);
    int patternCount = 0;
    for (std::size_t i = 0; i < 128; ++i) {
        int order = i < song.orders.size() ? song.orders[i] : 0;
        patternCount = std::max(patternCount, order + 1);
        Put8(b, order);
    }
    PutText(b, ModMagic(song.channels), 4);

    const int firstPattern = song.orders.empty() ? -1 : song.orders[0];
    for (int p = 0; p < patternCount; ++p) {
        for (int row = 0; row < 64; ++row) {
            for (int ch = 0; ch < song.channels; ++ch) {
                Cell c;
                if (p < static_cast<int>(song.patterns.size()) && row < song.patterns[p].rows)
                    c = song.patterns[p].at(row, ch);
                int period = 0;
                if (c.note >= 0) period = kPeriods[std::clamp(c.note - 48, 0, 35)];
                int effect = 0, param = 0;
                if (c.note == kNoteCut) {
                    effect = 0xC;
                } else if (c.volume >= 0) {
                    effect = 0xC;
                    param = c.volume;
                }
                // MOD has no header speed: set it with Fxx on the first row played.
                if (p == firstPattern && row == 0 && ch == song.channels - 1 && song.speed != 6) {
                    effect = 0xF;
                    param = song.speed;
                } else if (p == firstPattern && row == 0 && ch == song.channels - 2 && song.tempo != 125) {
                    effect = 0xF;
                    param = song.tempo;
                }
                Put8(b, (c.instrument & 0xF0) | ((period >> 8) & 0x0F));
                Put8(b, period & 0xFF);
                Put8(b, ((c.instrument & 0x0F) << 4) | effect);
                Put8(b, param);
            }
        }
    }
    for (const Sample& s : song.samples) {
        for (std::int8_t v : s.data) Put8(b, v);
        if (s.data.size() % 2 != 0) Put8(b, 0);
    }
    return b;
}

}  // namespace testsupport
