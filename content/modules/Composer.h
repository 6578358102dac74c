// The composer: makes an original song from a seed, for one module format.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Catalogue.h"
#include "content/modules/Song.h"

namespace content {

struct SongRequest {
    std::uint64_t seed = 1;       // the arrangement: key, tempo, grooves, sounds
    std::uint64_t themeSeed = 1;  // the tune: scale, chords, melodies
    app::ModFormat format = app::ModFormat::IT;
    std::string title;
    std::string artist;
    std::string written;     // when the song was written, for the IT message
    std::string oldCaption;  // when the old song was written (remakes name it)
    bool remake = false;
    // Names the file must carry: instrument names for XM, sample names for
    // S3M and MOD, one per line, their count setting the slot count. Ignored
    // for IT, whose names and message the composer writes itself.
    std::span<const std::string_view> names;
};

// The song in the format's terms (channel count, sample depth, note range).
Song Compose(const SongRequest& request);

// The file bytes of a song in a format.
std::vector<std::uint8_t> Encode(const Song& song, app::ModFormat format);

// The playing time of a song from its speed, tempo and rows, in seconds.
double Duration(const Song& song);

}  // namespace content
