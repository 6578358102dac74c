// Impulse Tracker files: the header blocks as plain structs, their encoders,
// and a builder that lays a file out. The builder can also place any block at
// an exact offset, override the header's counts and message fields, patch raw
// bytes and cut the file short, so tests can craft unusual files on purpose.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "content/modules/Song.h"

namespace content::it {

constexpr std::size_t kHeaderSize = 192;
constexpr std::size_t kInstrumentSize = 554;
constexpr std::size_t kSampleHeaderSize = 80;
constexpr std::size_t kNameSize = 26;

// Header flag bits.
constexpr std::uint16_t kFlagStereo = 0x01;
constexpr std::uint16_t kFlagInstruments = 0x04;
constexpr std::uint16_t kFlagLinearSlides = 0x08;
// Special bit: a message is attached.
constexpr std::uint16_t kSpecialMessage = 0x01;

// Sample flag bits.
constexpr std::uint8_t kSampleHasData = 0x01;
constexpr std::uint8_t kSample16Bit = 0x02;
constexpr std::uint8_t kSampleLoop = 0x10;

struct Header {
    std::string songName;             // 26 bytes, cut if longer
    std::uint16_t highlight = 0x1004; // rows per beat / per measure
    std::uint16_t createdWith = 0x0214;
    std::uint16_t compatibleWith = 0x0214;
    std::uint16_t flags = kFlagStereo | kFlagInstruments | kFlagLinearSlides;
    std::uint16_t special = 0;        // the message bit is added when a message is set
    std::uint8_t globalVolume = 128;
    std::uint8_t mixVolume = 48;
    std::uint8_t initialSpeed = 6;
    std::uint8_t initialTempo = 125;
    std::uint8_t separation = 128;
    std::uint8_t pitchWheelDepth = 0;
    std::array<std::uint8_t, 64> channelPan{};     // 0..64; +128 disables a channel
    std::array<std::uint8_t, 64> channelVolume{};  // 0..64

    Header() {
        channelPan.fill(32 + 128);
        channelVolume.fill(64);
    }
};

struct EnvelopeNode {
    std::int8_t value;  // 0..64 for volume
    std::uint16_t tick;
};

struct Envelope {
    std::uint8_t flags = 0;  // 1 on, 2 loop, 4 sustain loop
    std::vector<EnvelopeNode> nodes;  // at most 25
    std::uint8_t loopBegin = 0, loopEnd = 0, sustainBegin = 0, sustainEnd = 0;
};

struct InstrumentHeader {
    std::string fileName;  // 12 bytes
    std::string name;      // 26 bytes; 26 characters leave no terminating zero
    std::uint8_t newNoteAction = 0;
    std::uint8_t duplicateCheckType = 0;
    std::uint8_t duplicateCheckAction = 0;
    std::uint16_t fadeout = 0;
    std::uint8_t globalVolume = 128;
    std::uint8_t defaultPan = 32 | 0x80;  // bit 7 set: not used
    // Note -> (note, sample number) for the 120 keys; sample 0 = none.
    std::array<std::pair<std::uint8_t, std::uint8_t>, 120> keyboard{};
    Envelope volume;
    Envelope panning;
    Envelope pitch;

    InstrumentHeader() {
        for (std::size_t i = 0; i < keyboard.size(); ++i)
            keyboard[i] = {static_cast<std::uint8_t>(i), 0};
    }
    // Maps every key to one sample (1-based), or to none with 0.
    void MapAllKeys(std::uint8_t sampleNumber) {
        for (auto& k : keyboard) k.second = sampleNumber;
    }
};

struct SampleHeader {
    std::string fileName;  // 12 bytes
    std::string name;      // 26 bytes
    std::uint8_t globalVolume = 64;
    std::uint8_t flags = 0;
    std::uint8_t volume = 64;
    std::uint8_t convert = 1;     // signed data
    std::uint8_t defaultPan = 32; // bit 7 set: used
    std::uint32_t length = 0;     // in frames
    std::uint32_t loopBegin = 0, loopEnd = 0;
    std::uint32_t c5speed = 8363;
    std::uint32_t sustainBegin = 0, sustainEnd = 0;
    std::uint32_t dataPointer = 0;  // the builder sets it for samples it lays out
    std::uint8_t vibratoSpeed = 0, vibratoDepth = 0, vibratoRate = 0, vibratoType = 0;
};

std::vector<std::uint8_t> EncodeHeader(const Header& h, std::uint16_t orderCount,
                                       std::uint16_t instrumentCount, std::uint16_t sampleCount,
                                       std::uint16_t patternCount, std::uint16_t messageLength,
                                       std::uint32_t messageOffset);
std::vector<std::uint8_t> EncodeInstrument(const InstrumentHeader& ins);
std::vector<std::uint8_t> EncodeSampleHeader(const SampleHeader& s);
// A packed pattern with its 8-byte header. Notes and volumes are in Song terms.
std::vector<std::uint8_t> EncodePattern(const Pattern& p);

class FileBuilder {
public:
    struct InstrumentBlock {
        InstrumentHeader header;
        std::optional<std::uint32_t> offset;  // exact place, else laid out in turn
    };
    struct SampleBlock {
        SampleHeader header;
        std::vector<std::uint8_t> data;        // raw sample bytes
        std::optional<std::uint32_t> offset;   // of the 80-byte header
        std::optional<std::uint32_t> dataOffset;
        bool keepDataPointer = false;          // write header.dataPointer as given
    };
    struct Layout {
        std::uint32_t orderList = 0, instrumentTable = 0, sampleTable = 0, patternTable = 0;
        std::uint32_t message = 0;
        std::vector<std::uint32_t> instruments, samples, patterns, sampleData;
    };

    Header header;
    std::vector<std::uint8_t> orders;   // the order bytes as stored (255 = end)
    std::vector<InstrumentBlock> instruments;
    std::vector<SampleBlock> samples;
    std::vector<std::vector<std::uint8_t>> patterns;  // encoded; empty = offset 0
    std::string message;                // stored as raw bytes, no terminator added

    // Header fields written instead of the derived values. The tables
    // still hold the blocks actually present.
    std::optional<std::uint16_t> orderCount, instrumentCount, sampleCount, patternCount;
    std::optional<std::uint16_t> messageLength;
    std::optional<std::uint32_t> messageOffset;
    // Raw bytes written over the laid-out image, in this order.
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> patches;
    // Cut the finished file to this size.
    std::optional<std::size_t> truncateTo;

    std::vector<std::uint8_t> Build(Layout* layout = nullptr) const;
};

// A whole song as an IT file (instrument mode when the song has instruments).
std::vector<std::uint8_t> WriteIt(const Song& song);

}  // namespace content::it
