// The audio layer over libopenmpt (decoding) and SDL2 (output).
//
// One mixer renders every playing module in chunks of kChunkFrames. For each
// chunk it notes, per module, the mixer frame where the chunk starts, the
// order and row the decoder stood at, and the chunk's peaks. The output device
// plays the mixer's frames some time later; the queries look up the chunk the
// listener hears now (the mixer's frame count minus the device buffer) instead
// of the decoder's own position, which runs ahead.
//
// Locking: `life` serialises Init, Start and Free, which call into SDL; `state`
// guards everything else and is held by the output callback while it mixes.
// SDL's device lock is taken by SDL around the callback, so no SDL call that
// locks the device is ever made while `state` is held.
//
// The callers' threads hold `state` only for bookkeeping, never for decoder
// work: a seek or restart is noted on the module and carried out by the mixer
// before it renders the module's next chunk, and the order table and length
// they check against are read once at load. So the callback never waits for
// a libopenmpt seek on the GUI thread. The position the caller sets is
// reported at once, as before.
//
// A device can go away under a playing song (headphones unplugged, the sound
// server restarted). SDL then marks it stopped and discards what the callback
// mixes. A watcher thread, running while a real device is open, notices that
// and opens the output again (the default one, which may now be another);
// the mixer goes on where it stood. When no output can be had for a while,
// the playing modules stop, so the player shows them stopped, and the watcher
// keeps trying, so that a later song plays once there is output again.
#include "app/bass/Bass.h"

#include "app/bass/Hooks.h"
#include "app/bass/ModuleLoader.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kChunkFrames = 256;
// About 24 s of chunks at 44.1 kHz: far more than any device buffer.
constexpr std::size_t kHistoryChunks = 4096;
// 46 ms a callback: half the wake-ups of 1024 frames, which cost more CPU
// than the mixing itself; the listener hears a song about 0.1 s after it
// starts, and the position and levels follow what is heard.
constexpr Uint16 kDeviceBufferFrames = 2048;
// How often the watcher looks at the device, how often it tries to open a new
// one after a loss, and how long playing modules wait for one before they stop.
constexpr auto kWatchPeriod = std::chrono::milliseconds(200);
constexpr auto kRetryPeriod = std::chrono::milliseconds(1000);
constexpr auto kGiveUpAfter = std::chrono::milliseconds(2500);

struct Snapshot {
    std::int64_t frame = 0;  // mixer frame where the chunk starts
    DWORD frames = 0;
    std::uint16_t order = 0;
    std::uint16_t row = 0;
    std::uint8_t left = 0;
    std::uint8_t right = 0;
    double seconds = 0;  // the decoder's playing time at the chunk's start
};

// Fixed ring of the latest snapshots, oldest first; allocated once, so the
// output callback never allocates.
class History {
public:
    History() : items_(kHistoryChunks) {}
    void push(const Snapshot& s) {
        if (size_ == items_.size()) {
            first_ = (first_ + 1) % items_.size();
            --size_;
        }
        items_[(first_ + size_) % items_.size()] = s;
        ++size_;
    }
    std::size_t size() const { return size_; }
    const Snapshot& at(std::size_t i) const { return items_[(first_ + i) % items_.size()]; }

private:
    std::vector<Snapshot> items_;
    std::size_t first_ = 0;
    std::size_t size_ = 0;
};

enum class State { Stopped, Playing, Paused };

// A move of the decoder asked for by a caller: to the beginning (restart), or
// to an order and row already checked against the module.
struct Move {
    bool restart = false;
    int order = 0;
    int row = 0;
};

struct Music {
    bass::detail::LoadedModule loaded;
    State state = State::Stopped;
    bool ended = false;  // reached its end while playing
    // Where the decoder stands (the start of the next chunk it renders), or
    // will stand once the pending move is carried out.
    std::uint16_t order = 0;
    std::uint16_t row = 0;
    double time = 0;  // the decoder's playing time, in seconds
    History history;
    // Carried out by the mixer before it renders this module again; a later
    // move replaces an earlier one, both being absolute.
    std::optional<Move> pending;

    // Read once at load, so that seeks are checked without the decoder.
    std::uint16_t startOrder = 0;  // where the decoder stands at its beginning
    std::uint16_t startRow = 0;
    std::vector<int> seekOrder;    // per order: the order a seek lands on, or -1
    std::vector<int> seekRows;     // per order: the rows of the order landed on
    std::vector<double> orderStart; // per order: the playing time where a seek to it lands
    std::optional<double> seconds; // playing time; none when the decoder failed

    openmpt::module& mod() { return *loaded.module; }
    void readDecoderPosition() {
        order = static_cast<std::uint16_t>(std::clamp(mod().get_current_order(), 0, 0xFFFF));
        row = static_cast<std::uint16_t>(std::clamp(mod().get_current_row(), 0, 0xFFFF));
        time = mod().get_position_seconds();
    }
};

struct Engine {
    std::mutex life;
    std::mutex state;

    bool initialised = false;
    bool started = false;
    int device = 0;
    SDL_AudioDeviceID sdlDevice = 0;
    bool sdlAudio = false;    // this layer holds an init of SDL's audio subsystem
    std::string deviceName;   // the device asked for by number; empty for the default
    std::string driver;       // the SDL driver the device first opened on
    // The device went away and no new one is open yet (since lostSince).
    bool lost = false;
    Clock::time_point lostSince{};
    std::uint64_t losses = 0;  // never reset
    std::uint64_t reopens = 0;

    // The watcher thread: it runs while its generation is current.
    std::mutex watchLock;
    std::condition_variable watchWake;
    std::thread watcher;
    unsigned watchGeneration = 0;
    bool retryNow = false;
    DWORD freq = 44100;
    DWORD latency = 0;  // frames between the mixer and the listener
    std::int64_t mixed = 0;
    // The latest block the device asked for, and when.
    std::int64_t blockStart = 0;
    DWORD blockFrames = 0;
    Clock::time_point blockTime{};
    bool haveBlock = false;

    std::map<DWORD, std::shared_ptr<Music>> musics;
    // Never reset, so a handle from before BASS_Free stays stale afterwards.
    DWORD nextHandle = 1;
};

// Never destroyed: an output thread still running at exit must not find it gone.
Engine& engine() {
    static Engine* e = new Engine;
    return *e;
}

thread_local DWORD lastError = BASS_OK;

BOOL fail(DWORD code) {
    lastError = code;
    return 0;
}
DWORD failValue(DWORD code) {
    lastError = code;
    return BASS_FAIL;
}
BOOL succeed() {
    lastError = BASS_OK;
    return 1;
}

DWORD pack(std::uint16_t low, std::uint16_t high) { return static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16); }

std::uint8_t toLevel(int peak) {
    // 0..32768 onto 0..128, rounded; only full scale reaches 128.
    return static_cast<std::uint8_t>(std::min(128, (peak * 128 + 16384) >> 15));
}

Music* findLocked(Engine& e, DWORD handle) {
    if (handle == 0) return nullptr;
    auto it = e.musics.find(handle);
    return it == e.musics.end() ? nullptr : it->second.get();
}

std::mutex hookLock;
bass::detail::SeekHook seekHook = nullptr;
void* seekHookContext = nullptr;

// Carries out the pending seek or restart; on the mixing thread.
void applyPendingMove(Music& m) {
    const Move move = *m.pending;
    m.pending.reset();
    {
        std::lock_guard<std::mutex> lock(hookLock);
        if (seekHook != nullptr) seekHook(seekHookContext);
    }
    try {
        if (move.restart)
            m.mod().set_position_seconds(0.0);
        else
            m.mod().set_position_order_row(move.order, move.row);
        m.readDecoderPosition();
    } catch (...) {
        // The move was checked against the module when it was asked for; a
        // decoder that still refuses plays on from where it stands.
    }
}

// Renders one chunk of a playing module into buf (frames are zeroed past
// its end) and notes what it was.
void renderChunk(Engine& e, Music& m, DWORD frames, std::int16_t* buf) {
    if (m.pending) applyPendingMove(m);
    Snapshot s;
    s.frame = e.mixed;
    s.order = m.order;
    s.row = m.row;
    s.seconds = m.time;
    std::size_t got = 0;
    try {
        got = m.mod().read_interleaved_stereo(static_cast<std::int32_t>(e.freq), frames, buf);
    } catch (...) {
        got = 0;  // a decoder failure ends the module; the output goes on
    }
    got = std::min<std::size_t>(got, frames);
    std::fill(buf + 2 * got, buf + 2 * frames, std::int16_t{0});
    int peakL = 0, peakR = 0;
    for (std::size_t i = 0; i < got; ++i) {
        peakL = std::max(peakL, std::abs(static_cast<int>(buf[2 * i])));
        peakR = std::max(peakR, std::abs(static_cast<int>(buf[2 * i + 1])));
    }
    s.frames = static_cast<DWORD>(got);
    s.left = toLevel(peakL);
    s.right = toLevel(peakR);
    if (got > 0) m.history.push(s);
    try {
        m.readDecoderPosition();
    } catch (...) {
    }
    if (got < frames) {
        m.state = State::Stopped;
        m.ended = true;
        // The decoder has wrapped to its restart position; the listener
        // stays on the last row played.
        if (m.history.size() > 0) {
            m.order = m.history.at(m.history.size() - 1).order;
            m.row = m.history.at(m.history.size() - 1).row;
            const Snapshot& last = m.history.at(m.history.size() - 1);
            m.time = last.seconds + static_cast<double>(last.frames) / e.freq;
        }
    }
}

void mixLocked(Engine& e, std::int16_t* out, DWORD frames) {
    std::int32_t acc[2 * kChunkFrames];
    std::int16_t buf[2 * kChunkFrames];
    while (frames > 0) {
        const DWORD n = std::min(frames, kChunkFrames);
        Music* only = nullptr;
        int playing = 0;
        if (e.initialised && e.started)
            for (auto& entry : e.musics)
                if (entry.second->state == State::Playing) {
                    only = entry.second.get();
                    ++playing;
                }
        if (playing == 0) {
            std::fill(out, out + 2 * n, std::int16_t{0});
        } else if (playing == 1) {
            // The usual case: one module, straight into the output.
            renderChunk(e, *only, n, out);
        } else {
            std::fill(acc, acc + 2 * n, 0);
            for (auto& entry : e.musics) {
                if (entry.second->state != State::Playing) continue;
                renderChunk(e, *entry.second, n, buf);
                for (DWORD i = 0; i < 2 * n; ++i) acc[i] += buf[i];
            }
            for (DWORD i = 0; i < 2 * n; ++i)
                out[i] = static_cast<std::int16_t>(std::clamp(acc[i], -32768, 32767));
        }
        e.mixed += n;
        out += 2 * n;
        frames -= n;
    }
}

// Output health, written by the callback only, read from any thread.
struct OutputCounters {
    std::atomic<std::uint64_t> callbacks{0};
    std::atomic<std::uint64_t> underruns{0};
    std::atomic<std::int64_t> worstNs{0};
    std::atomic<std::int64_t> bufferNs{0};
};
OutputCounters& outputCounters() {
    static OutputCounters* c = new OutputCounters;  // outlives a callback running at exit
    return *c;
}

// Counts one callback that took `took` for a buffer that plays `plays`.
void noteCallback(Clock::duration took, Clock::duration plays) {
    OutputCounters& c = outputCounters();
    const std::int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
    c.callbacks.fetch_add(1, std::memory_order_relaxed);
    if (took > plays) c.underruns.fetch_add(1, std::memory_order_relaxed);
    if (ns > c.worstNs.load(std::memory_order_relaxed)) c.worstNs.store(ns, std::memory_order_relaxed);
    c.bufferNs.store(std::chrono::duration_cast<std::chrono::nanoseconds>(plays).count(), std::memory_order_relaxed);
}

void SDLCALL audioCallback(void* userdata, Uint8* stream, int len) {
    const Clock::time_point entered = Clock::now();
    Engine& e = *static_cast<Engine*>(userdata);
    const DWORD frames = static_cast<DWORD>(std::max(len, 0) / 4);
    std::fill(stream + frames * 4, stream + std::max(len, 0), Uint8{0});
    DWORD freq = 0;
    {
        std::lock_guard<std::mutex> lock(e.state);
        e.blockStart = e.mixed;
        e.blockFrames = frames;
        e.blockTime = Clock::now();
        e.haveBlock = true;
        mixLocked(e, reinterpret_cast<std::int16_t*>(stream), frames);
        freq = e.freq;
    }
    if (freq > 0) {
        const auto plays = std::chrono::duration_cast<Clock::duration>(
            std::chrono::nanoseconds(static_cast<std::int64_t>(frames) * 1'000'000'000LL / freq));
        noteCallback(Clock::now() - entered, plays);
    }
}

// The mixer frame the listener hears now.
std::int64_t heardLocked(const Engine& e) {
    std::int64_t h = 0;
    if (e.device == 0) {
        h = e.mixed - e.latency;
    } else if (e.haveBlock) {
        // The device started on the block before the latest one when the
        // latest was asked for, and plays on in real time from there.
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - e.blockTime).count();
        const std::int64_t limited = std::clamp<std::int64_t>(ns, 0, 10'000'000'000LL);
        const std::int64_t elapsed = limited * e.freq / 1'000'000'000LL;
        h = e.blockStart - e.latency + std::min<std::int64_t>(elapsed, e.blockFrames);
    }
    return std::max<std::int64_t>(h, 0);
}

// What the listener hears now: the chunk that holds the heard frame (with
// the frame's offset into it), or, past a chunk, the start of the next one;
// a pause or the end lies between them. Null: nothing rendered is heard yet.
struct Heard {
    const Snapshot* chunk = nullptr;
    std::int64_t offset = -1;  // frames into chunk; -1: at its start
};
Heard heardChunkLocked(const Engine& e, const Music& m) {
    const std::int64_t h = heardLocked(e);
    const History& hist = m.history;
    for (std::size_t i = hist.size(); i-- > 0;) {
        const Snapshot& s = hist.at(i);
        if (s.frame > h) continue;
        if (h < s.frame + s.frames) return {&s, h - s.frame};
        if (i + 1 < hist.size()) return {&hist.at(i + 1), -1};
        return {};
    }
    // Nothing rendered yet, or all of it still ahead of the listener.
    if (hist.size() > 0) return {&hist.at(0), -1};
    return {};
}

DWORD positionLocked(const Engine& e, const Music& m) {
    const Heard heard = heardChunkLocked(e, m);
    return heard.chunk ? pack(heard.chunk->order, heard.chunk->row) : pack(m.order, m.row);
}

// The playing time the listener hears now, by the same lookup as the position.
double secondsLocked(const Engine& e, const Music& m) {
    const Heard heard = heardChunkLocked(e, m);
    if (!heard.chunk) return m.time;
    return heard.chunk->seconds + (heard.offset > 0 ? static_cast<double>(heard.offset) / e.freq : 0.0);
}

DWORD levelLocked(const Engine& e, const Music& m) {
    if (e.lost) return 0;  // nothing is heard until a device is open again
    const std::int64_t h = heardLocked(e);
    const std::int64_t from = h - std::max<std::int64_t>(e.freq / 50, 1);  // the last 20 ms
    int left = 0, right = 0;
    const History& hist = m.history;
    for (std::size_t i = hist.size(); i-- > 0;) {
        const Snapshot& s = hist.at(i);
        if (s.frame + s.frames <= from) break;
        if (s.frame >= h) continue;
        left = std::max<int>(left, s.left);
        right = std::max<int>(right, s.right);
    }
    return pack(static_cast<std::uint16_t>(left), static_cast<std::uint16_t>(right));
}

// Opens an output device (the default one for an empty name), paused, with
// the mixer's callback; 0 when it would not open.
SDL_AudioDeviceID openOutput(Engine& e, const std::string& name, DWORD freq, DWORD& latency) {
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = static_cast<int>(freq);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceBufferFrames;
    want.callback = audioCallback;
    want.userdata = &e;
    // No changes allowed: SDL converts to whatever the hardware takes.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(name.empty() ? nullptr : name.c_str(), 0, &want, &have, 0);
    if (id != 0) latency = have.samples;
    return id;
}

// One look of the watcher at the device; with `life` held. nextTry paces the
// attempts to open a new device after a loss.
void checkDevice(Engine& e, Clock::time_point& nextTry) {
    SDL_AudioDeviceID id = 0;
    bool lost = false;
    Clock::time_point lostSince{};
    std::string name, driver;
    DWORD freq = 0;
    bool retryNow = false;
    {
        std::lock_guard<std::mutex> lock(e.state);
        if (!e.initialised || e.device == 0) return;
        id = e.sdlDevice;
        lost = e.lost;
        lostSince = e.lostSince;
        name = e.deviceName;
        driver = e.driver;
        freq = e.freq;
    }
    {
        std::lock_guard<std::mutex> g(e.watchLock);
        retryNow = e.retryNow;
        e.retryNow = false;
    }
    const Clock::time_point now = Clock::now();
    if (id != 0) {
        // Playing or paused (before BASS_Start) is a live device; SDL reports
        // one that went away as stopped.
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) return;
        SDL_CloseAudioDevice(id);
        // The driver's connection died with the device: a new init connects anew.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::lock_guard<std::mutex> lock(e.state);
        e.sdlDevice = 0;
        e.sdlAudio = false;
        e.lost = lost = true;
        e.lostSince = lostSince = now;
        ++e.losses;
        nextTry = now;
    }
    if (!lost || (now < nextTry && !retryNow)) return;
    nextTry = now + kRetryPeriod;

    // The same driver as before: when it has no server, the others would only
    // fail too, some of them loudly.
    if (!driver.empty()) SDL_SetHint(SDL_HINT_AUDIODRIVER, driver.c_str());
    DWORD latency = 0;
    SDL_AudioDeviceID fresh = 0;
    const bool initOk = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!driver.empty()) SDL_ResetHint(SDL_HINT_AUDIODRIVER);  // read at init only
    if (initOk) {
        fresh = openOutput(e, name, freq, latency);
        if (fresh == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    bool start = false;
    {
        std::lock_guard<std::mutex> lock(e.state);
        if (fresh != 0) {
            e.sdlDevice = fresh;
            e.sdlAudio = true;
            e.lost = false;
            e.latency = latency;
            ++e.reopens;
            start = e.started;
        } else if (now - lostSince >= kGiveUpAfter) {
            // No output for a while: what played stops, and shows it.
            for (auto& entry : e.musics)
                if (entry.second->state == State::Playing) entry.second->state = State::Stopped;
        }
    }
    if (start) SDL_PauseAudioDevice(fresh, 0);
}

void watchLoop(Engine* engine, unsigned generation) {
    Engine& e = *engine;
    Clock::time_point nextTry{};
    for (;;) {
        {
            std::unique_lock<std::mutex> g(e.watchLock);
            e.watchWake.wait_for(g, kWatchPeriod, [&] { return e.watchGeneration != generation || e.retryNow; });
            if (e.watchGeneration != generation) return;
        }
        std::lock_guard<std::mutex> life(e.life);
        checkDevice(e, nextTry);
    }
}

// With `life` held, after a real device opened.
void startWatcher(Engine& e) {
    std::lock_guard<std::mutex> g(e.watchLock);
    // One left by an Init racing a Free on another thread ends by itself.
    if (e.watcher.joinable()) e.watcher.detach();
    e.retryNow = false;
    e.watcher = std::thread(watchLoop, &e, ++e.watchGeneration);
}

// Without `life` held.
void stopWatcher(Engine& e) {
    std::thread t;
    {
        std::lock_guard<std::mutex> g(e.watchLock);
        ++e.watchGeneration;
        t = std::move(e.watcher);
    }
    e.watchWake.notify_all();
    if (t.joinable()) t.join();
}

bool validFrequency(DWORD freq) { return freq >= 8000 && freq <= 192000; }

// A program may end without BASS_Free. The output thread must then stop
// before the libraries it decodes with are torn down, so a device still open
// at exit is closed first.
void closeAtExit() { BASS_Free(); }
std::once_flag closeAtExitOnce;

}  // namespace

DWORD BASS_GetVersion() { return 0x00040001u; }

bass::OutputStats bass::GetOutputStats() {
    const OutputCounters& c = outputCounters();
    OutputStats s;
    s.callbacks = c.callbacks.load(std::memory_order_relaxed);
    s.underruns = c.underruns.load(std::memory_order_relaxed);
    s.worstMs = static_cast<double>(c.worstNs.load(std::memory_order_relaxed)) / 1e6;
    s.bufferMs = static_cast<double>(c.bufferNs.load(std::memory_order_relaxed)) / 1e6;
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    s.deviceLosses = e.losses;
    s.deviceReopens = e.reopens;
    return s;
}

BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, void* /*win*/) {
    Engine& e = engine();
    std::lock_guard<std::mutex> life(e.life);
    {
        std::lock_guard<std::mutex> lock(e.state);
        if (e.initialised) return fail(BASS_ERROR_ALREADY);
    }
    if (device < -1) return fail(BASS_ERROR_DEVICE);
    if (!validFrequency(freq)) return fail(BASS_ERROR_FORMAT);

    SDL_AudioDeviceID id = 0;
    DWORD latency = 0;
    std::string name;
    std::string driver;
    if (device != 0) {
        // SDL's own SIGINT/SIGTERM handlers would only post a quit event that
        // nobody reads; the program handles those signals itself.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return fail(BASS_ERROR_DRIVER);
        if (device > 0) {
            const int count = SDL_GetNumAudioDevices(0);
            const char* n = device > count ? nullptr : SDL_GetAudioDeviceName(device - 1, 0);
            if (n == nullptr) {
                SDL_QuitSubSystem(SDL_INIT_AUDIO);
                return fail(BASS_ERROR_DEVICE);
            }
            name = n;
        }
        id = openOutput(e, name, freq, latency);
        if (id == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return fail(BASS_ERROR_DRIVER);
        }
        if (const char* d = SDL_GetCurrentAudioDriver()) driver = d;
        std::call_once(closeAtExitOnce, [] { std::atexit(closeAtExit); });
    }

    {
        std::lock_guard<std::mutex> lock(e.state);
        e.initialised = true;
        e.started = false;
        e.device = device;
        e.sdlDevice = id;
        e.sdlAudio = device != 0;
        e.deviceName = name;
        e.driver = driver;
        e.lost = false;
        e.freq = freq;
        e.latency = latency;
        e.mixed = 0;
        e.haveBlock = false;
    }
    if (device != 0) startWatcher(e);
    return succeed();
}

BOOL BASS_Start() {
    Engine& e = engine();
    std::lock_guard<std::mutex> life(e.life);
    SDL_AudioDeviceID id = 0;
    {
        std::lock_guard<std::mutex> lock(e.state);
        if (!e.initialised) return fail(BASS_ERROR_INIT);
        e.started = true;
        id = e.sdlDevice;
    }
    if (id != 0) SDL_PauseAudioDevice(id, 0);
    return succeed();
}

DWORD BASS_ErrorGetCode() { return lastError; }

BOOL BASS_Free() {
    Engine& e = engine();
    // Before taking `life`, which the watcher takes for its checks.
    stopWatcher(e);
    std::lock_guard<std::mutex> life(e.life);
    SDL_AudioDeviceID id = 0;
    bool usedSdl = false;
    {
        std::lock_guard<std::mutex> lock(e.state);
        if (!e.initialised) return fail(BASS_ERROR_INIT);
        e.initialised = false;
        e.started = false;
        id = e.sdlDevice;
        usedSdl = e.sdlAudio;
        e.sdlDevice = 0;
        e.sdlAudio = false;
        e.lost = false;
    }
    // Closing waits for a running callback to finish.
    if (id != 0) SDL_CloseAudioDevice(id);
    if (usedSdl) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::map<DWORD, std::shared_ptr<Music>> gone;
    {
        std::lock_guard<std::mutex> lock(e.state);
        gone.swap(e.musics);
        e.haveBlock = false;
        e.latency = 0;
    }
    gone.clear();  // module teardown outside the lock
    return succeed();
}

HMUSIC BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
    Engine& e = engine();
    {
        std::lock_guard<std::mutex> lock(e.state);
        if (!e.initialised) return fail(BASS_ERROR_INIT);
    }
    if (file == nullptr) return fail(BASS_ERROR_ILLPARAM);

    // Reading and parsing happen outside the lock, so playback goes on meanwhile.
    auto music = std::make_shared<Music>();
    DWORD error = BASS_OK;
    bool loaded = false;
    if (mem) {
        if (length == 0) return fail(BASS_ERROR_ILLPARAM);
        loaded = bass::detail::LoadModule(static_cast<const std::uint8_t*>(file), length, flags, music->loaded, error);
    } else {
        std::vector<std::uint8_t> bytes;
        if (!bass::detail::ReadFileBytes(static_cast<const char*>(file), offset, length, bytes, error))
            return fail(error);
        loaded = bass::detail::LoadModule(bytes.data(), bytes.size(), flags, music->loaded, error);
    }
    if (!loaded) return fail(error);
    try {
        music->readDecoderPosition();
        music->startOrder = music->order;
        music->startRow = music->row;
        const int orders = music->loaded.orders;
        music->seekOrder.assign(static_cast<std::size_t>(orders), -1);
        music->seekRows.assign(static_cast<std::size_t>(orders), 0);
        for (int o = 0; o < orders; ++o) {
            const int target = bass::detail::PlayableOrder(music->mod(), o, orders);
            music->seekOrder[static_cast<std::size_t>(o)] = target;
            if (target >= 0)
                music->seekRows[static_cast<std::size_t>(o)] =
                    music->mod().get_pattern_num_rows(music->mod().get_order_pattern(target));
        }
    } catch (...) {
        return fail(BASS_ERROR_FILEFORM);
    }
    // Where each order starts in time, for seeks given as a time. The decoder
    // is not playing yet, so it may be moved here; it goes back to its
    // beginning afterwards. Orders it cannot place are not seek targets.
    const std::size_t orders = music->seekOrder.size();
    music->orderStart.assign(orders, -1.0);
    for (std::size_t o = 0; o < orders; ++o) {
        try {
            if (music->seekOrder[o] == static_cast<int>(o))
                music->orderStart[o] = music->mod().set_position_order_row(static_cast<std::int32_t>(o), 0);
        } catch (...) {
        }
    }
    try {
        music->mod().set_position_seconds(0.0);
        music->readDecoderPosition();
    } catch (...) {
        return fail(BASS_ERROR_FILEFORM);
    }
    try {
        music->seconds = music->mod().get_duration_seconds();
    } catch (...) {
        music->seconds.reset();  // reported when the length is asked for
    }

    std::lock_guard<std::mutex> lock(e.state);
    if (!e.initialised) return fail(BASS_ERROR_INIT);  // freed meanwhile
    DWORD handle = e.nextHandle++;
    while (handle == 0 || e.musics.count(handle) != 0) handle = e.nextHandle++;
    e.musics.emplace(handle, std::move(music));
    succeed();
    return handle;
}

BOOL BASS_MusicFree(HMUSIC handle) {
    Engine& e = engine();
    std::shared_ptr<Music> gone;
    {
        std::lock_guard<std::mutex> lock(e.state);
        auto it = handle == 0 ? e.musics.end() : e.musics.find(handle);
        if (it == e.musics.end()) return fail(BASS_ERROR_HANDLE);
        gone = std::move(it->second);
        e.musics.erase(it);
    }
    gone.reset();
    return succeed();
}

DWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    Music* m = findLocked(e, handle);
    if (m == nullptr) return failValue(BASS_ERROR_HANDLE);
    if (!playlen) {
        lastError = BASS_OK;
        return static_cast<DWORD>(m->loaded.orders);
    }
    if (!m->seconds) return failValue(BASS_ERROR_UNKNOWN);
    const double bytes = *m->seconds * e.freq * 4.0;
    if (!(bytes >= 0) || bytes >= 4294967295.0) return failValue(BASS_ERROR_UNKNOWN);
    lastError = BASS_OK;
    return static_cast<DWORD>(bytes);
}

BOOL BASS_MusicPlay(HMUSIC handle) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    Music* m = findLocked(e, handle);
    if (m == nullptr) return fail(BASS_ERROR_HANDLE);
    m->pending = Move{true, 0, 0};
    m->order = m->startOrder;
    m->row = m->startRow;
    m->time = 0;
    m->ended = false;
    m->state = State::Playing;
    if (e.lost) {
        // A song asked for while there is no output: look for one now.
        std::lock_guard<std::mutex> g(e.watchLock);
        e.retryNow = true;
        e.watchWake.notify_all();
    }
    return succeed();
}

DWORD BASS_ChannelGetPosition(DWORD handle) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    const Music* m = findLocked(e, handle);
    if (m == nullptr) return failValue(BASS_ERROR_HANDLE);
    lastError = BASS_OK;
    return positionLocked(e, *m);
}

DWORD BASS_ChannelGetLevel(DWORD handle) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    const Music* m = findLocked(e, handle);
    if (m == nullptr) return failValue(BASS_ERROR_HANDLE);
    lastError = BASS_OK;
    return levelLocked(e, *m);
}

BOOL BASS_ChannelPause(DWORD handle) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    Music* m = findLocked(e, handle);
    if (m == nullptr) return fail(BASS_ERROR_HANDLE);
    if (m->state != State::Playing) return fail(BASS_ERROR_NOPLAY);
    m->state = State::Paused;
    return succeed();
}

BOOL BASS_ChannelSetPosition(DWORD handle, DWORD pos) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    Music* m = findLocked(e, handle);
    if (m == nullptr) return fail(BASS_ERROR_HANDLE);
    const std::size_t order = pos & 0xFFFF;
    const int row = static_cast<int>(pos >> 16);
    if (order >= m->seekOrder.size() || m->seekOrder[order] < 0) return fail(BASS_ERROR_POSITION);
    const int target = m->seekOrder[order];
    if (row >= m->seekRows[order]) return fail(BASS_ERROR_POSITION);
    m->pending = Move{false, target, row};
    m->order = static_cast<std::uint16_t>(target);
    m->row = static_cast<std::uint16_t>(row);
    m->time = std::max(m->orderStart[static_cast<std::size_t>(target)], 0.0);
    if (m->ended) {
        // Hold it at the new place, so that a resume plays on from there.
        m->ended = false;
        m->state = State::Paused;
    }
    return succeed();
}

BOOL BASS_ChannelResume(DWORD handle) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    Music* m = findLocked(e, handle);
    if (m == nullptr) return fail(BASS_ERROR_HANDLE);
    if (m->state != State::Paused) return fail(BASS_ERROR_NOPAUSE);
    m->state = State::Playing;
    return succeed();
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    const Music* m = findLocked(e, handle);
    if (m == nullptr) {
        lastError = BASS_ERROR_HANDLE;
        return BASS_ACTIVE_STOPPED;
    }
    lastError = BASS_OK;
    switch (m->state) {
        case State::Playing: return BASS_ACTIVE_PLAYING;
        case State::Paused: return BASS_ACTIVE_PAUSED;
        case State::Stopped: break;
    }
    return BASS_ACTIVE_STOPPED;
}

namespace bass {

double ChannelGetSeconds(DWORD handle) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    const Music* m = findLocked(e, handle);
    if (m == nullptr) {
        fail(BASS_ERROR_HANDLE);
        return -1.0;
    }
    lastError = BASS_OK;
    return std::max(secondsLocked(e, *m), 0.0);
}

DWORD MusicOrderAt(HMUSIC handle, double seconds) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    const Music* m = findLocked(e, handle);
    if (m == nullptr) return failValue(BASS_ERROR_HANDLE);
    if (!(seconds >= 0)) return failValue(BASS_ERROR_ILLPARAM);
    // The order holding the time is the one that starts last at or before it
    // (a song that jumps back plays some orders later than their place).
    DWORD best = BASS_FAIL;
    double bestStart = -1;
    for (std::size_t o = 0; o < m->orderStart.size(); ++o) {
        const double start = m->orderStart[o];
        if (start >= 0 && start <= seconds && start > bestStart) {
            best = static_cast<DWORD>(o);
            bestStart = start;
        }
    }
    if (best == BASS_FAIL) return failValue(BASS_ERROR_POSITION);
    lastError = BASS_OK;
    return best;
}

double MusicOrderSeconds(HMUSIC handle, DWORD order) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    const Music* m = findLocked(e, handle);
    if (m == nullptr) {
        fail(BASS_ERROR_HANDLE);
        return -1.0;
    }
    if (order >= m->seekOrder.size() || m->seekOrder[order] < 0) {
        fail(BASS_ERROR_POSITION);
        return -1.0;
    }
    lastError = BASS_OK;
    return m->orderStart[static_cast<std::size_t>(m->seekOrder[order])];
}

namespace detail {

void SetSeekHook(SeekHook hook, void* context) {
    std::lock_guard<std::mutex> lock(hookLock);
    seekHook = hook;
    seekHookContext = context;
}

}  // namespace detail

DWORD Render(std::int16_t* out, DWORD frames) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    if (!e.initialised) return failValue(BASS_ERROR_INIT), 0;
    if (e.device != 0) return failValue(BASS_ERROR_DEVICE), 0;
    if (!e.started) return failValue(BASS_ERROR_START), 0;
    if (out == nullptr || frames == 0) return failValue(BASS_ERROR_ILLPARAM), 0;
    mixLocked(e, out, frames);
    lastError = BASS_OK;
    return frames;
}

BOOL SetNoSoundLatency(DWORD frames) {
    Engine& e = engine();
    std::lock_guard<std::mutex> lock(e.state);
    if (!e.initialised) return fail(BASS_ERROR_INIT);
    if (e.device != 0) return fail(BASS_ERROR_DEVICE);
    e.latency = frames;
    return succeed();
}

}  // namespace bass
