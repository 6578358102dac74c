// The format-neutral song that the composer makes and the four module
// writers turn into files.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace content {

// Pattern effects the writers know how to express. Parameters use the
// ProTracker meaning (nibbles xy where there are two values).
enum class Fx : std::uint8_t {
    None,
    Arpeggio,      // xy: semitones above the note
    PortaUp,       // xx
    PortaDown,     // xx
    TonePorta,     // xx: speed
    Vibrato,       // xy: speed, depth
    VolSlide,      // x0 up, 0y down
    SetSpeed,      // ticks per row, 1..31
    SetTempo,      // BPM, 32..255
    PatternBreak,  // row in the next pattern (0..63)
    PositionJump,  // order index
    Panning,       // 0..255, left to right
};

constexpr std::uint8_t kNoNote = 0xFF;
constexpr std::uint8_t kNoteOff = 0xFE;  // release (key off)
constexpr std::uint8_t kNoteCut = 0xFD;  // stop at once
constexpr std::uint8_t kNoVolume = 0xFF;
constexpr std::uint8_t kMiddleC = 60;     // note numbers count semitones from C-0
// An order entry that players pass over ("+++"); IT only.
constexpr std::uint8_t kSkipOrder = 254;

struct Cell {
    std::uint8_t note = kNoNote;       // 0..119, or kNoteOff / kNoteCut / kNoNote
    std::uint8_t instrument = 0;       // 1-based; 0 = none
    std::uint8_t volume = kNoVolume;   // 0..64, or kNoVolume
    Fx effect = Fx::None;
    std::uint8_t param = 0;

    bool Empty() const {
        return note == kNoNote && instrument == 0 && volume == kNoVolume && effect == Fx::None;
    }
};

struct Pattern {
    int rows = 64;
    int channels = 0;
    std::vector<Cell> cells;  // row-major

    Pattern() = default;
    Pattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount),
          cells(static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(channelCount)) {}

    Cell& At(int row, int channel) {
        return cells.at(static_cast<std::size_t>(row) * static_cast<std::size_t>(channels) +
                        static_cast<std::size_t>(channel));
    }
    const Cell& At(int row, int channel) const {
        return cells.at(static_cast<std::size_t>(row) * static_cast<std::size_t>(channels) +
                        static_cast<std::size_t>(channel));
    }
};

// A sample as signed 16-bit PCM; writers of 8-bit data keep the high byte.
struct Sample {
    std::string name;
    std::string fileName;
    std::vector<std::int16_t> pcm;  // empty: a name-only slot
    bool sixteenBit = false;
    std::uint32_t rate = 8363;      // playback rate of note kMiddleC
    bool loop = false;
    std::uint32_t loopStart = 0;    // in sample frames
    std::uint32_t loopEnd = 0;      // exclusive
    std::uint8_t volume = 64;       // 0..64
    int pan = -1;                   // 0..64, or -1 for the channel's
};

struct EnvelopePoint {
    std::uint16_t tick;
    std::uint8_t value;  // 0..64
};

// An instrument (IT and XM): a name and at most one sample, with an
// optional volume envelope held at its sustain point until key off.
struct Instrument {
    std::string name;
    std::string fileName;
    int sample = -1;  // index into Song::samples, or -1 for a name-only entry
    std::vector<EnvelopePoint> volumeEnvelope;
    int sustainPoint = -1;
    std::uint16_t fadeout = 0;  // per-tick volume fade after key off, 0..4095 (XM scale)
};

struct Song {
    std::string title;
    int channels = 4;
    int speed = 6;    // ticks per row
    int tempo = 125;  // BPM
    int globalVolume = 128;  // 0..128
    std::vector<std::uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Sample> samples;
    std::vector<Instrument> instruments;  // IT/XM only; empty for S3M/MOD
    std::vector<int> channelPan;          // 0..64 per channel; empty = format default
    std::string message;                  // IT only: lines ended by '\r'
};

// A song that does not fit the format being written.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace content
