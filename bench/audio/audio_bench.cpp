// Decoding cost per second of audio, through the audio layer and through
// libopenmpt directly, on the same IT and XM modules in the same run. The
// ratio of the two is the layer's overhead: mixing, the position and level
// bookkeeping and the locking around them.
#include "app/bass/Bass.h"
#include "support/mod_writer.h"

#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.hpp>

#include <cstdio>
#include <ctime>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
// The size of a device callback's request.
constexpr int kBlock = 1024;

const std::vector<std::uint8_t>& Module(bool it) {
    static const std::vector<std::uint8_t> itBytes = testsupport::WriteIt(testsupport::BusySong(16, 8));
    static const std::vector<std::uint8_t> xmBytes = testsupport::WriteXm(testsupport::BusySong(16, 8));
    return it ? itBytes : xmBytes;
}

// One second of audio per iteration, in device-sized blocks.
void Layer(benchmark::State& state, bool it) {
    if (!BASS_Init(0, kRate, 16, nullptr) || !BASS_Start()) {
        state.SkipWithError("init failed");
        return;
    }
    const auto& bytes = Module(it);
    const HMUSIC h = BASS_MusicLoad(1, bytes.data(), 0, static_cast<DWORD>(bytes.size()), BASS_MUSIC_RAMP | BASS_MUSIC_LOOP);
    if (h == 0 || !BASS_MusicPlay(h)) {
        state.SkipWithError("load failed");
        BASS_Free();
        return;
    }
    std::vector<std::int16_t> buf(2 * kBlock);
    for (auto _ : state) {
        for (int done = 0; done < kRate; done += kBlock) {
            bass::Render(buf.data(), static_cast<DWORD>(std::min(kBlock, kRate - done)));
            benchmark::DoNotOptimize(buf.data());
        }
        // What the player's timer asks, about 33 times per second.
        for (int i = 0; i < 33; ++i) {
            benchmark::DoNotOptimize(BASS_ChannelGetPosition(h));
            benchmark::DoNotOptimize(BASS_ChannelGetLevel(h));
        }
    }
    BASS_Free();
}

// The same module with the same settings as the layer uses, straight from libopenmpt.
class DirectModule {
public:
    explicit DirectModule(bool it)
        : mod_(Module(it).data(), Module(it).size(), log_, {{"dither", "0"}, {"play.at_end", "stop"}}) {
        mod_.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 4);
        mod_.set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, -1);
        mod_.ctl_set_boolean("render.resampler.emulate_amiga", false);
        mod_.set_repeat_count(-1);
    }
    void second() {
        for (int done = 0; done < kRate; done += kBlock) {
            mod_.read_interleaved_stereo(kRate, static_cast<std::size_t>(std::min(kBlock, kRate - done)), buf_.data());
            benchmark::DoNotOptimize(buf_.data());
        }
    }

private:
    std::ostringstream log_;
    openmpt::module mod_;
    std::vector<std::int16_t> buf_ = std::vector<std::int16_t>(2 * kBlock);
};

void Direct(benchmark::State& state, bool it) {
    DirectModule mod(it);
    for (auto _ : state) mod.second();
}

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// Both paths alternately, one second of audio each per iteration, so that
// a busy machine slows both alike; the overhead is reported as a counter.
void Paired(benchmark::State& state, bool it) {
    if (!BASS_Init(0, kRate, 16, nullptr) || !BASS_Start()) {
        state.SkipWithError("init failed");
        return;
    }
    const auto& bytes = Module(it);
    const HMUSIC h = BASS_MusicLoad(1, bytes.data(), 0, static_cast<DWORD>(bytes.size()), BASS_MUSIC_RAMP | BASS_MUSIC_LOOP);
    if (h == 0 || !BASS_MusicPlay(h)) {
        state.SkipWithError("load failed");
        BASS_Free();
        return;
    }
    DirectModule direct(it);
    std::vector<std::int16_t> buf(2 * kBlock);
    double layerCpu = 0, directCpu = 0;
    for (auto _ : state) {
        double t0 = ThreadCpuSeconds();
        direct.second();
        double t1 = ThreadCpuSeconds();
        for (int done = 0; done < kRate; done += kBlock) {
            bass::Render(buf.data(), static_cast<DWORD>(std::min(kBlock, kRate - done)));
            benchmark::DoNotOptimize(buf.data());
        }
        for (int i = 0; i < 33; ++i) {
            benchmark::DoNotOptimize(BASS_ChannelGetPosition(h));
            benchmark::DoNotOptimize(BASS_ChannelGetLevel(h));
        }
        double t2 = ThreadCpuSeconds();
        directCpu += t1 - t0;
        layerCpu += t2 - t1;
    }
    BASS_Free();
    const double n = static_cast<double>(state.iterations());
    state.counters["layer_ms"] = layerCpu / n * 1e3;
    state.counters["direct_ms"] = directCpu / n * 1e3;
    state.counters["overhead_%"] = directCpu > 0 ? (layerCpu / directCpu - 1) * 100 : 0;
}

void BM_Layer_IT(benchmark::State& s) { Layer(s, true); }
void BM_Paired_IT(benchmark::State& s) { Paired(s, true); }
void BM_Paired_XM(benchmark::State& s) { Paired(s, false); }
void BM_Direct_IT(benchmark::State& s) { Direct(s, true); }
void BM_Layer_XM(benchmark::State& s) { Layer(s, false); }
void BM_Direct_XM(benchmark::State& s) { Direct(s, false); }

BENCHMARK(BM_Direct_IT)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Layer_IT)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Direct_XM)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Layer_XM)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paired_IT)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paired_XM)->Unit(benchmark::kMillisecond);

// Prints the usual table, then the overhead per format: from the paired
// runs, which alternate the two paths and so stand up to a busy machine, and
// from the separate runs for comparison. With repetitions, medians are used.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.iterations > 0;
            if (!median && !single) continue;
            Result& r = results_[run.run_name.function_name];
            if (r.fromMedian && !median) continue;
            r.fromMedian = median;
            r.cpu = run.GetAdjustedCPUTime();
            const auto overhead = run.counters.find("overhead_%");
            if (overhead != run.counters.end()) r.pairedOverhead = overhead->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* format : {"IT", "XM"}) {
            const std::string f = format;
            const auto paired = results_.find("BM_Paired_" + f);
            if (paired != results_.end())
                std::printf("%s overhead of the layer, paired runs: %+.1f%% (goal: within 10%%)\n", format,
                            paired->second.pairedOverhead);
            const auto layer = results_.find("BM_Layer_" + f);
            const auto direct = results_.find("BM_Direct_" + f);
            if (layer == results_.end() || direct == results_.end() || direct->second.cpu <= 0) continue;
            std::printf("%s separate runs: layer %.3f ms, libopenmpt %.3f ms CPU per second of audio (%+.1f%%)\n",
                        format, layer->second.cpu, direct->second.cpu,
                        (layer->second.cpu / direct->second.cpu - 1) * 100);
        }
    }

private:
    struct Result {
        bool fromMedian = false;
        double cpu = 0;
        double pairedOverhead = 0;
    };
    std::map<std::string, Result> results_;
};

}  // namespace

int main(int argc, char** argv) {
    // Another output format (bench/report asks for JSON) gets the library's
    // own reporter; the paired runs' overhead_% counter is in it.
    bool console = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--benchmark_format=", 0) == 0 && a != "--benchmark_format=console") console = false;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    if (console)
        benchmark::RunSpecifiedBenchmarks(&reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
