#include "content/modules/Release.h"

#include <fstream>
#include <stdexcept>

#include "content/modules/Composer.h"

namespace content {

namespace {

std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001B3ull;
    }
    return h;
}

}  // namespace

std::uint64_t SongSeed(const app::SongEntry& entry) { return Fnv1a(entry.file); }

std::uint64_t ThemeSeed(const app::SongEntry& entry) {
    return Fnv1a(app::ArtistBySlot(entry.slot).stem);
}

GeneratedModule MakeModule(const app::SongEntry& entry) {
    const app::ArtistEntry& artist = app::ArtistBySlot(entry.slot);
    SongRequest r;
    r.seed = SongSeed(entry);
    r.themeSeed = ThemeSeed(entry);
    r.format = entry.format;
    r.title = std::string(artist.songTitle);
    r.artist = std::string(artist.caption);
    r.remake = entry.which == app::kRemake;
    r.oldCaption = std::string(artist.oldSongCaption);
    r.written = r.remake ? std::string(app::kRemakeCaption) : std::string(artist.oldSongCaption);
    r.names = entry.fixedLines;
    GeneratedModule m;
    m.entry = &entry;
    m.song = Compose(r);
    m.bytes = Encode(m.song, entry.format);
    return m;
}

void WriteModules(const std::string& outDir) {
    for (const app::SongEntry& entry : app::Songs()) {
        const GeneratedModule m = MakeModule(entry);
        const std::string path = outDir + "/" + std::string(entry.file);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(m.bytes.data()), static_cast<std::streamsize>(m.bytes.size()));
        out.close();
        if (!out) throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace content
