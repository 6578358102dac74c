// modtool info FILE
// modtool render FILE OUT.wav [--seconds N] [--seek ORDER] [--flags N]
//
// "info" prints what a module holds. "render" plays it through the audio
// layer on the no-sound device, the path the output callback takes, writes
// the audio to a WAV file and prints the position and levels every 30 ms of
// audio, as the player's timer sees them.
#include "app/bass/Bass.h"
#include "tools/modtool/WavWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRate = 44100;
constexpr DWORD kPollFrames = kRate * 30 / 1000;
constexpr double kMaxSeconds = 3600;

int Usage() {
    std::fprintf(stderr,
                 "usage: modtool info FILE\n"
                 "       modtool render FILE OUT.wav [--seconds N] [--seek ORDER] [--flags N]\n");
    return 2;
}

int Info(const std::string& file) {
    bass::ModuleInfo info;
    std::string error;
    if (!bass::ReadModuleInfo(file, info, error)) {
        std::fprintf(stderr, "modtool: %s\n", error.c_str());
        return 1;
    }
    std::printf("format: %s\n", info.format.c_str());
    std::printf("title: %s\n", info.title.c_str());
    std::printf("orders: %d\n", info.orders);
    std::printf("samples: %zu\n", info.sampleNames.size());
    for (std::size_t i = 0; i < info.sampleNames.size(); ++i)
        std::printf("  %3zu %s\n", i + 1, info.sampleNames[i].c_str());
    std::printf("instruments: %zu\n", info.instrumentNames.size());
    for (std::size_t i = 0; i < info.instrumentNames.size(); ++i)
        std::printf("  %3zu %s\n", i + 1, info.instrumentNames[i].c_str());
    std::printf("message: %zu lines\n", info.messageLines.size());
    for (const std::string& line : info.messageLines) std::printf("  %s\n", line.c_str());
    return 0;
}

bool ParseNumber(const char* text, double low, double high, double& out) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !(v >= low && v <= high)) return false;
    out = v;
    return true;
}

int Fail(const char* what) {
    std::fprintf(stderr, "modtool: %s (error code: %u)\n", what, BASS_ErrorGetCode());
    BASS_Free();
    return 1;
}

int Render(const std::string& file, const std::string& out, double seconds, int seek, DWORD flags) {
    if (!BASS_Init(0, kRate, 16, nullptr)) return Fail("cannot initialise the audio layer");
    BASS_Start();
    const HMUSIC music = BASS_MusicLoad(0, file.c_str(), 0, 0, flags);
    if (music == 0) return Fail(("cannot load " + file).c_str());
    if (!BASS_MusicPlay(music)) return Fail("cannot play");
    if (seek >= 0) {
        // As the player seeks: pause, move, resume.
        BASS_ChannelPause(music);
        if (!BASS_ChannelSetPosition(music, static_cast<DWORD>(seek))) return Fail("no such order");
        BASS_ChannelResume(music);
    }
    modtool::WavWriter wav;
    if (!wav.open(out, kRate)) {
        std::fprintf(stderr, "modtool: cannot write %s\n", out.c_str());
        BASS_Free();
        return 1;
    }

    std::printf("#   time order row left right\n");
    std::vector<std::int16_t> buf(2 * kPollFrames);
    const auto total = static_cast<std::uint64_t>(seconds * kRate);
    std::uint64_t done = 0;
    while (done < total && BASS_ChannelIsActive(music) == BASS_ACTIVE_PLAYING) {
        const DWORD n = static_cast<DWORD>(std::min<std::uint64_t>(kPollFrames, total - done));
        if (bass::Render(buf.data(), n) != n) return Fail("render failed");
        if (!wav.write(buf.data(), n)) {
            std::fprintf(stderr, "modtool: cannot write %s\n", out.c_str());
            BASS_Free();
            return 1;
        }
        done += n;
        const DWORD pos = BASS_ChannelGetPosition(music);
        const DWORD level = BASS_ChannelGetLevel(music);
        std::printf("%8.3f %5u %3u %4u %5u\n", static_cast<double>(done) / kRate, pos & 0xFFFF, pos >> 16,
                    level & 0xFFFF, level >> 16);
    }
    BASS_Free();
    if (!wav.finish()) {
        std::fprintf(stderr, "modtool: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "info") {
        if (argc != 3) return Usage();
        return Info(argv[2]);
    }
    if (command != "render" || argc < 4) return Usage();
    double seconds = kMaxSeconds;
    int seek = -1;
    DWORD flags = BASS_MUSIC_RAMP;
    for (int i = 4; i < argc; ++i) {
        const std::string option = argv[i];
        double value = 0;
        const char* arg = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--seconds" && ParseNumber(arg, 0.001, kMaxSeconds, value)) {
            seconds = value;
        } else if (option == "--seek" && ParseNumber(arg, 0, 0xFFFF, value) && value == static_cast<int>(value)) {
            seek = static_cast<int>(value);
        } else if (option == "--flags" && ParseNumber(arg, 0, 0xFFFFFFFFu, value) && value == static_cast<DWORD>(value)) {
            flags = static_cast<DWORD>(value);
        } else {
            std::fprintf(stderr, "modtool: bad option %s%s%s\n", option.c_str(), arg ? " " : "", arg ? arg : "");
            return Usage();
        }
        ++i;
    }
    return Render(argv[2], argv[3], seconds, seek, flags);
}
