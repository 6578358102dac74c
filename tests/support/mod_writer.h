// Tracker modules (MOD, S3M, XM, IT) for tests and benchmarks. One small song
// model is written out in each format, so a test can make the same music in
// all four and know exactly what it holds. The bytes come from the content
// generator's writers: this is only the conversion onto their song.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A note value: 0..119 with C-5 = 60 playing the sample at its own rate.
constexpr int kNoNote = -1;
constexpr int kNoteCut = -2;
constexpr int kMiddleC = 60;

struct Cell {
    int note = kNoNote;
    int instrument = 0;  // 1-based; 0 = none
    int volume = -1;     // 0..64, -1 = none
};

struct Pattern {
    int rows = 64;
    int channels = 4;
    std::vector<Cell> cells;  // rows * channels, row major

    Pattern() = default;
    Pattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount),
          cells(static_cast<std::size_t>(rowCount) * channelCount) {}
    Cell& at(int row, int channel) { return cells[static_cast<std::size_t>(row) * channels + channel]; }
    const Cell& at(int row, int channel) const {
        return cells[static_cast<std::size_t>(row) * channels + channel];
    }
};

struct Sample {
    std::string name;
    std::vector<std::int8_t> data;  // signed 8-bit PCM
    int volume = 64;                // 0..64
    bool loop = false;              // loops the whole sample
};

struct Song {
    std::string title;
    int channels = 4;
    int speed = 6;    // ticks per row
    int tempo = 125;  // beats per minute
    std::vector<Sample> samples;
    // IT and XM: one instrument per sample, named here (the sample name when absent).
    std::vector<std::string> instrumentNames;
    std::vector<int> orders;  // pattern numbers
    std::vector<Pattern> patterns;
    std::string message;      // IT only; lines separated by "\r"
};

// Each writer takes a song whose patterns have song.channels channels. MOD and
// S3M patterns always have 64 rows: shorter ones are padded with empty rows.
// MOD songs have 4 channels and notes in its three octaves (48..83). A song
// that does not fit the format throws content::FormatError. Order 254 is a
// skip marker.
std::vector<std::uint8_t> WriteMod(const Song& song);
std::vector<std::uint8_t> WriteS3m(const Song& song);
std::vector<std::uint8_t> WriteXm(const Song& song);
std::vector<std::uint8_t> WriteIt(const Song& song);

// A looped square wave of the given amplitude (1..127), period in samples.
Sample SquareSample(const std::string& name, int amplitude, int period = 32, int length = 2048);

// A test song: every order alternates a "loud" pattern (a held note on channel
// 0 at full volume) with a "silent" one (the note is silenced on its first
// row). orderCount orders, rowsPerPattern rows each, speed 3, tempo 150, so a
// row lasts 50 ms.
Song LoudSilentSong(int orderCount, int rowsPerPattern = 16, int channels = 4);

// A busier song for timing: all channels play notes of several samples.
Song BusySong(int orderCount, int channels = 8);

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace testsupport
