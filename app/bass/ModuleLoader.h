// Reading module files and opening them with libopenmpt. Internal to the
// audio layer: this header is not part of its public interface.
#pragma once

#include "app/bass/Bass.h"

#include <libopenmpt/libopenmpt.hpp>

#include <memory>
#include <ostream>
#include <streambuf>

namespace bass::detail {

// Anything larger is refused rather than read into memory.
constexpr std::size_t kMaxModuleBytes = std::size_t{256} << 20;

// libopenmpt keeps writing to the log of a module for its whole life; ours
// discards everything, and each module has its own so that no stream state is
// shared between threads.
class NullLog {
public:
    NullLog() : stream_(&buf_) {}
    std::ostream& stream() { return stream_; }

private:
    class Discard : public std::streambuf {
    protected:
        int overflow(int c) override { return traits_type::not_eof(c); }
        std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    };
    Discard buf_;
    std::ostream stream_;
};

struct LoadedModule {
    std::unique_ptr<NullLog> log;  // declared first: outlives the module
    std::unique_ptr<openmpt::module> module;
    std::string format;  // "IT", "XM", "S3M" or "MOD"
    int orders = 0;      // length of the order list up to its end marker

    LoadedModule() = default;
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    // The module goes before its log.
    void clear() {
        module.reset();
        log.reset();
        format.clear();
        orders = 0;
    }
};

// Reads length bytes (0 = all) of a regular file from offset on. On failure
// returns false with BASS_ERROR_FILEOPEN, BASS_ERROR_MEM or BASS_ERROR_ILLPARAM.
bool ReadFileBytes(const char* fileName, DWORD offset, DWORD length, std::vector<std::uint8_t>& out,
                   DWORD& error);

// Opens the bytes as a module of the four formats and applies the mixing
// flags (BASS_MUSIC_RAMP, BASS_MUSIC_LOOP). On failure returns false with
// BASS_ERROR_FILEFORM or BASS_ERROR_MEM.
bool LoadModule(const std::uint8_t* data, std::size_t size, DWORD flags, LoadedModule& out, DWORD& error);

// The order a seek to `order` lands on: the order itself, or the next one
// when it is a skip marker. -1 when there is none.
int PlayableOrder(const openmpt::module& mod, int order, int orders);

}  // namespace bass::detail
