// The twenty modules of the release, composed from the catalogue.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "content/modules/Song.h"

namespace content {

struct GeneratedModule {
    const app::SongEntry* entry = nullptr;
    Song song;
    std::vector<std::uint8_t> bytes;
};

// The seed of a song, taken from its file name so that it never changes.
std::uint64_t SongSeed(const app::SongEntry& entry);
// The seed of an artist's tune, shared by the old song and the remake.
std::uint64_t ThemeSeed(const app::SongEntry& entry);

// Composes and encodes one catalogue song.
GeneratedModule MakeModule(const app::SongEntry& entry);

// Writes all twenty module files into outDir (which must exist). Throws
// std::runtime_error naming the file when one cannot be written.
void WriteModules(const std::string& outDir);

}  // namespace content
