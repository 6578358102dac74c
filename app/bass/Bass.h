// The audio layer: the module player's calls, under the names and with the
// 32-bit results the player window expects. Modules are decoded with
// libopenmpt and played through SDL2 from its callback thread; neither library
// shows through this header.
//
// Handles and results are unsigned 32-bit; Booleans are 32-bit, 0 = false.
// All calls are thread-safe. The error code of a failed call is kept per
// calling thread and read with BASS_ErrorGetCode.
//
// Devices for BASS_Init: -1 the default output device, 0 no sound (nothing is
// opened; audio is pulled with bass::Render, which tests and tools use), and
// 1..n the system's output devices in the order SDL lists them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using DWORD = std::uint32_t;
using BOOL = std::int32_t;
using HMUSIC = DWORD;

// Error codes (BASS_ErrorGetCode).
constexpr DWORD BASS_OK = 0;
constexpr DWORD BASS_ERROR_MEM = 1;        // out of memory, or the file is too large
constexpr DWORD BASS_ERROR_FILEOPEN = 2;   // the file is missing or cannot be read
constexpr DWORD BASS_ERROR_DRIVER = 3;     // no audio driver, or the device would not open
constexpr DWORD BASS_ERROR_HANDLE = 5;     // 0, freed or unknown handle
constexpr DWORD BASS_ERROR_FORMAT = 6;     // unsupported output sample rate
constexpr DWORD BASS_ERROR_POSITION = 7;   // the order does not exist
constexpr DWORD BASS_ERROR_INIT = 8;       // BASS_Init has not succeeded
constexpr DWORD BASS_ERROR_START = 9;      // BASS_Start has not been called
constexpr DWORD BASS_ERROR_ALREADY = 14;   // already initialised
constexpr DWORD BASS_ERROR_NOPAUSE = 16;   // the channel is not paused
constexpr DWORD BASS_ERROR_ILLPARAM = 20;  // an argument is invalid
constexpr DWORD BASS_ERROR_DEVICE = 23;    // no such device
constexpr DWORD BASS_ERROR_NOPLAY = 24;    // the channel is not playing
constexpr DWORD BASS_ERROR_FILEFORM = 41;  // not an IT, XM, S3M or MOD module, or corrupt
constexpr DWORD BASS_ERROR_UNKNOWN = 0xFFFFFFFFu;

// BASS_MusicLoad flags. Other bits are accepted and ignored.
// BASS_MUSIC_RAMP selects smooth mixing: volume ramping on note starts and
// volume changes, and cubic interpolation when samples are resampled. Without
// it samples are mixed raw: no ramping and no interpolation, the hard edged
// sound of the old trackers.
constexpr DWORD BASS_MUSIC_RAMP = 1;
// Play the song again from its restart position when it ends, instead of stopping.
constexpr DWORD BASS_MUSIC_LOOP = 4;

// BASS_ChannelIsActive results.
constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_PAUSED = 3;

// Failure value of the calls that return a number.
constexpr DWORD BASS_FAIL = 0xFFFFFFFFu;

// Low word 1, high word 4.
DWORD BASS_GetVersion();
// Opens the output device, 16-bit stereo at freq Hz, with output paused until
// BASS_Start. The flags and the window are accepted and have no effect.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* win);
BOOL BASS_Start();
DWORD BASS_ErrorGetCode();
// Stops output, closes the device and frees every module.
BOOL BASS_Free();

// Loads an IT, XM, S3M or MOD module. With mem false, file is a zero-terminated
// file name, offset the file position to start at and length the bytes to use
// (0 = to the end of the file). With mem true, file points at length bytes in
// memory. Returns the handle, or 0 on failure.
HMUSIC BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// Harmless with 0 or a stale handle (returns 0 then).
BOOL BASS_MusicFree(HMUSIC handle);
// playlen false: the number of orders. playlen true: the playing time in bytes
// of output (16-bit stereo at the device rate). BASS_FAIL on failure.
DWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen);
// Plays the module from its beginning.
BOOL BASS_MusicPlay(HMUSIC handle);

// Order in the low word, row in the high word, of what is being heard now
// (the row of the latest frame that has reached the listener).
DWORD BASS_ChannelGetPosition(DWORD handle);
// Peak of what is being heard now: left in the low word, right in the high
// word, each 0 to 128. 0 when the channel is silent, paused or stopped.
DWORD BASS_ChannelGetLevel(DWORD handle);
BOOL BASS_ChannelPause(DWORD handle);
// pos: order in the low word, row in the high word. The channel keeps its
// state; a channel that had reached the end is held paused at the new place.
BOOL BASS_ChannelSetPosition(DWORD handle, DWORD pos);
BOOL BASS_ChannelResume(DWORD handle);
DWORD BASS_ChannelIsActive(DWORD handle);

namespace bass {

// Playing time, in seconds, for the desktop's media controls, which count in
// time rather than in orders. The playing time of what is being heard now
// (it holds while the channel is paused); -1 on failure.
double ChannelGetSeconds(DWORD handle);
// The order holding a playing time: the one that starts last at or before
// it. BASS_FAIL on failure.
DWORD MusicOrderAt(HMUSIC handle, double seconds);
// Where a seek to the start of an order lands, in seconds; -1 on failure.
double MusicOrderSeconds(HMUSIC handle, DWORD order);

// Pulls frames (stereo, 16-bit, interleaved) through the mixer when the layer
// was initialised on device 0: the same path the output callback takes.
// Returns the number of frames written (frames), or 0 with an error code when
// there is no such device or output has not been started.
DWORD Render(std::int16_t* out, DWORD frames);

// Device 0 only: pretends that this many frames lie between the mixer and the
// listener, as a real device buffer does, so that positions and levels lag
// the mixer by that much.
BOOL SetNoSoundLatency(DWORD frames);

// The real device's output health since the program started (all devices,
// never reset). A callback is one request of the device for a buffer; an
// underrun is a callback that took longer than its buffer plays (frames /
// rate), counted from its entry (waiting for the mixer's lock included) to
// the buffer's last frame mixed: the device ran out of sound while it waited.
struct OutputStats {
    std::uint64_t callbacks = 0;
    std::uint64_t underruns = 0;
    double worstMs = 0;   // the slowest callback
    double bufferMs = 0;  // the time one buffer plays, of the latest callback
};
OutputStats GetOutputStats();

// What a module file holds, read without playing it.
struct ModuleInfo {
    std::string format;  // "IT", "XM", "S3M" or "MOD"
    std::string title;
    int orders = 0;
    std::vector<std::string> sampleNames;
    std::vector<std::string> instrumentNames;
    std::vector<std::string> messageLines;
};

// Returns false and sets error to a readable reason when the file cannot be
// read or is not a module of the four formats.
bool ReadModuleInfo(const std::string& fileName, ModuleInfo& info, std::string& error);

}  // namespace bass
