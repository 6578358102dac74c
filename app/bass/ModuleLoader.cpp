#include "app/bass/ModuleLoader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <new>

#include "gui/base/FileLoad.h"

namespace bass::detail {

namespace {

std::string FormatName(const std::string& type) {
    if (type == "it") return "IT";
    if (type == "xm") return "XM";
    if (type == "s3m") return "S3M";
    // The tracker library names old MOD variants after their own tracker
    // (15-sample Soundtracker files are "stk" or "m15"); all of them are MOD
    // files to the player.
    static const char* const kModFamily[] = {"mod", "m15", "stk", "st26", "ice", "pt36", "wow"};
    for (const char* t : kModFamily)
        if (type == t) return "MOD";
    return {};
}

bool HasRows(const openmpt::module& mod, int order) {
    const int pattern = mod.get_order_pattern(order);
    return pattern >= 0 && pattern < mod.get_num_patterns() && mod.get_pattern_num_rows(pattern) > 0;
}

}  // namespace

bool ReadFileBytes(const char* fileName, DWORD offset, DWORD length, std::vector<std::uint8_t>& out,
                   DWORD& error) {
    out.clear();
    if (fileName == nullptr || *fileName == '\0') {
        error = BASS_ERROR_FILEOPEN;
        return false;
    }
    switch (gui::ReadRegularFile(fileName, kMaxModuleBytes, out, offset, length)) {
        case gui::FileStatus::Ok: return true;
        case gui::FileStatus::BadOffset: error = BASS_ERROR_ILLPARAM; break;
        case gui::FileStatus::TooLarge: error = BASS_ERROR_MEM; break;
        default: error = BASS_ERROR_FILEOPEN; break;  // missing, unreadable, or not a regular file
    }
    out.clear();
    return false;
}

bool LoadModule(const std::uint8_t* data, std::size_t size, DWORD flags, LoadedModule& out, DWORD& error) {
    out.clear();
    if (data == nullptr || size == 0) {
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    try {
        out.log = std::make_unique<NullLog>();
        // Dithering off: the same module always renders the same samples.
        // Stop at the song's end: a fade-out would replay its start, which
        // the position would then report.
        const std::map<std::string, std::string> ctls = {{"dither", "0"}, {"play.at_end", "stop"}};
        out.module = std::make_unique<openmpt::module>(data, size, out.log->stream(), ctls);
        out.format = FormatName(out.module->get_metadata("type"));
        if (out.format.empty()) {
            out.clear();
            error = BASS_ERROR_FILEFORM;
            return false;
        }
        const bool smooth = (flags & BASS_MUSIC_RAMP) != 0;
        out.module->set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, smooth ? 4 : 1);
        out.module->set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, smooth ? -1 : 0);
        try {
            // Keeps MOD files on the interpolation chosen above.
            out.module->ctl_set_boolean("render.resampler.emulate_amiga", false);
        } catch (const openmpt::exception&) {
        }
        out.module->set_repeat_count((flags & BASS_MUSIC_LOOP) != 0 ? -1 : 0);
        out.orders = std::max(out.module->get_num_orders(), 0);
    } catch (const std::bad_alloc&) {
        out.clear();
        error = BASS_ERROR_MEM;
        return false;
    } catch (...) {
        out.clear();
        error = BASS_ERROR_FILEFORM;
        return false;
    }
    return true;
}

int PlayableOrder(const openmpt::module& mod, int order, int orders) {
    try {
        for (int o = order; o >= 0 && o < orders; ++o)
            if (HasRows(mod, o)) return o;
    } catch (...) {
    }
    return -1;
}

}  // namespace bass::detail

namespace bass {

bool ReadModuleInfo(const std::string& fileName, ModuleInfo& info, std::string& error) {
    info = ModuleInfo{};
    std::vector<std::uint8_t> bytes;
    DWORD code = BASS_OK;
    if (!detail::ReadFileBytes(fileName.c_str(), 0, 0, bytes, code)) {
        error = code == BASS_ERROR_MEM ? "file too large: " + fileName : "cannot read file: " + fileName;
        return false;
    }
    detail::LoadedModule loaded;
    if (!detail::LoadModule(bytes.data(), bytes.size(), 0, loaded, code)) {
        error = code == BASS_ERROR_MEM ? "out of memory reading " + fileName
                                       : "not an IT, XM, S3M or MOD module: " + fileName;
        return false;
    }
    try {
        info.format = loaded.format;
        info.title = loaded.module->get_metadata("title");
        info.orders = loaded.orders;
        info.sampleNames = loaded.module->get_sample_names();
        info.instrumentNames = loaded.module->get_instrument_names();
        const std::string message = loaded.module->get_metadata("message_raw");
        std::string line;
        for (std::size_t i = 0; i < message.size(); ++i) {
            const char c = message[i];
            if (c == '\r' || c == '\n') {
                info.messageLines.push_back(line);
                line.clear();
                if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') ++i;
            } else {
                line += c;
            }
        }
        if (!line.empty()) info.messageLines.push_back(line);
    } catch (const std::exception& ex) {
        error = std::string("cannot read module: ") + ex.what();
        return false;
    }
    return true;
}

}  // namespace bass
