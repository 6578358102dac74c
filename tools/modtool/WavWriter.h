// A 16-bit stereo PCM WAV file written as the audio arrives; the sizes in
// the header are filled in by finish().
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace modtool {

class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const std::string& path, std::uint32_t rate);
    bool write(const std::int16_t* frames, std::uint32_t count);
    // Completes the header and closes the file; false when anything failed.
    bool finish();

private:
    std::FILE* file_ = nullptr;
    std::uint32_t rate_ = 44100;
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;
};

}  // namespace modtool
