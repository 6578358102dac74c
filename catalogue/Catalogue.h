// The release's catalogue: the ten artists, their pages and captions, and
// their twenty songs with file names, load flags, Mod Info texts and the
// fixed list lines shown for the non-IT songs. Pure data, no GUI: the windows
// read it, and the content generator writes the module names from it.
#pragma once

#include <span>
#include <string_view>

namespace app {

constexpr int kArtistCount = 10;
constexpr int kOldSong = 1;
constexpr int kRemake = 2;

// The remake caption, the same for every artist.
constexpr std::string_view kRemakeCaption = "2002";
constexpr std::string_view kInfoPage = "_korvane_index.htm";
constexpr std::string_view kInfoCaption = "Hollowmere - Korvane Info";
constexpr std::string_view kBioBackPicture = "bio-back.jpg";
constexpr std::string_view kInfoBackPicture = "info-back.jpg";

enum class ModFormat { IT, XM, S3M, MOD };

// How the Bio window loads a song: by file name (flags 1), or by index
// through the fixed table of slot 10 (flags 0).
enum class Loader { PlayModule, PlayModuleByIndex };

// The Mod Info list box that receives a song's fixed lines.
enum class FixedList { None, SampleList, InstList };

struct ArtistEntry {
    int slot;                         // 1..10, the value written to artistslot
    std::string_view button;          // the menu component that selects it
    std::string_view page;            // biography page file
    std::string_view caption;         // Bio window caption, also the tracker
    std::string_view songTitle;       // for the old song and the remake
    std::string_view oldSongCaption;  // lbl_oldsong
    std::string_view stem;            // page name without ".html"
};

struct SongEntry {
    int slot;
    int which;                  // kOldSong or kRemake
    std::string_view file;      // module file name
    bool itRead;                // ReadITInfo runs first
    Loader loader;
    int loaderIndex;            // 1 or 2 for PlayModuleByIndex, else 0
    unsigned loadFlags;         // the flags word passed to the loader
    ModFormat format;
    std::string_view formatText;  // "IT", "XM", "S3M", "MOD"
    std::string_view length;      // Mod Info playing time text
    std::string_view size;        // Mod Info file size text
    FixedList fixedList;
    std::span<const std::string_view> fixedLines;  // blank spacers are " "
};

// All ten artists in slot order.
std::span<const ArtistEntry> Artists();
// All twenty songs: the ten old songs in slot order, then the ten remakes.
std::span<const SongEntry> Songs();

// The entry for a slot; nullptr outside 1..10 (slot 0 means "none chosen").
const ArtistEntry* FindArtist(int slot);
// The song of a slot (which = kOldSong or kRemake); nullptr if out of range.
const SongEntry* FindSong(int slot, int which);

// Checked lookups: throw std::out_of_range outside the table.
const ArtistEntry& ArtistBySlot(int slot);
const SongEntry& Song(int slot, int which);

// The slot-10 index loader's table: 1 -> old song's file, 2 -> remake's file;
// empty for any other index.
std::string_view ModuleFileByIndex(int index);

// The Mod Info title and tracker of a song (the artist's song title and caption).
std::string_view SongTitle(const SongEntry& song);
std::string_view Tracker(const SongEntry& song);

// The file extension for a format, without the dot ("it", "xm", "s3m", "mod").
std::string_view FormatExtension(ModFormat format);

}  // namespace app
