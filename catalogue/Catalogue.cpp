#include "catalogue/Catalogue.h"

#include <array>
#include <iterator>
#include <stdexcept>
#include <string>

namespace app {
namespace {

// The fixed list lines of the songs whose Mod Info lists do not come from the
// module file itself. One entry per list line; " " entries are spacers.
// The module generator writes these same lines as the songs' instrument (XM)
// or sample (MOD, S3M) names, so they fit those fields: 22 characters for XM
// and MOD, 27 for S3M (whose 28-byte field ends in a zero).
constexpr std::string_view kLundSarrow1[] = {
    "Iron Vow", " ", "by Lund Sarrow", "october 1992", " ", "kick.smp", "snare.smp",
    "hihat closed", "bass - low saw", "lead square", "strings", "pluck", " ",
    "written on a 386sx", "with 2 megs of ram", "and a borrowed", "soundblaster", " ",
    "hi to the hollowmere", "crew and to everyone", "who still listens", " ", "lund.sarrow@bbs",
    "-- end --",
};
static_assert(std::size(kLundSarrow1) == 24);

constexpr std::string_view kLundSarrow2[] = {
    "Iron Vow (2002 remix)", "=====================", " ", "lund sarrow",
    "remade for hollowmere", " ", "ten years on and", "the vow still holds.",
    "same melody, new", "sounds, more patience", " ", "instruments:", "  punchy kick",
    "  dusty snare", "  open hat", "  shaker", "  sub bass", "  saw bass", "  square lead",
    "  glass pad", "  wide strings", "  pluck delay", " ", " ", "thanks to:", "  orvek",
    "  peltrin", "  hask", "  moorgol", "  zinderby", "  caul ferro", "  vespera", "  ubrin",
    "  tam kessel", " ", "special thanks to", "my neighbours for", "their patience with",
    "the subwoofer", " ", " ", "no samples were", "harmed in the making", " ", "- lund, 2002 -",
};
static_assert(std::size(kLundSarrow2) == 45);

constexpr std::string_view kPeltrin1[] = {
    "slow pursuit", " ", "peltrin / may 1996", " ", "01 bd", "02 sd", "03 hh", "04 bass",
    "05 epiano", "06 pad", "07 flute", "08 bell", " ", "this one took", "three weekends and",
    "one broken floppy", " ", "made in ft2", "on a p75", " ", "greets to the", "lantern crew",
    " ", "peltrin out",
};
static_assert(std::size(kPeltrin1) == 24);

constexpr std::string_view kPeltrin2[] = {
    "Slow Pursuit 2002", "~~~~~~~~~~~~~~~~~", " ", "composed and arranged", "by peltrin", " ",
    "for the hollowmere", "music disk", " ", " ", "--- drums ---", "kick deep", "kick short",
    "snare dry", "snare room", "clap", "hat closed", "hat open", "ride", "crash", "tom low",
    "tom high", "shaker", " ", "--- bass ---", "sub sine", "fingered", "saw filtered", " ",
    "--- keys ---", "electric piano", "organ soft", "glass keys", " ", "--- pads ---",
    "warm strings", "choir ooh", "evening pad", "dark pad", " ", "--- lead ---", "flute breath",
    "soft square", "whistle", " ", "--- fx ---", "rain", "wind sweep", "reverse cymbal", " ",
    " ", " ", "a few words:", " ", "the first version", "of this tune was",
    "written in may 1996", "in a cold attic.", "it was always meant", "to be slower, but",
    "the old player could", "not hold the notes", "long enough.", " ", "now it can.", " ", " ",
    "hellos go out to:", " ", "orvek", "lund sarrow", "hask", "moorgol", "zinderby",
    "caul ferro", "vespera", "ubrin", "tam kessel", " ", "and everyone in", "the old channel",
    " ", " ", " ", "if you read this far", "you deserve a cookie", " ", " ", "tools used:",
    "  fasttracker 2.08", "  a wave editor", "  patience", " ", " ", " ", " ", " ", " ", " ",
    " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ",
    " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", "peltrin, 2002",
};
static_assert(std::size(kPeltrin2) == 128);

constexpr std::string_view kHask1[] = {
    "-= DESCENT BELOW =-", " ", "a hask production", "october 17th 1997", " ", " ",
    "this tune is about", "going down the old", "mine shafts behind", "my grandfather's",
    "house. it is dark", "down there and the", "water drips in a", "rhythm of its own.", " ",
    "i tried to catch it.", " ", " ", "samples:", " ", "kick - stomp", "snare - pipe hit",
    "hat - gravel", "perc - drip", "bass - rumble", "bass - pick", "lead - lamp",
    "pad - cavern", "pad - echo", "fx - cart", " ", " ", "greetings:", " ", "lund sarrow",
    "peltrin", "orvek", "moorgol", "zinderby", "ubrin", "caul ferro", "vespera", "tam kessel",
    " ", "the whole hollowmere", "crowd on irc", " ", " ", " ", " ", " ", " ", " ", " ", " ",
    " ", " ", " ", " ", " ", "contact:", "hask@undernet", " ", "no ripping please,",
    "ask and you may use", "the samples.", " ", "(c) 1997 hask",
};
static_assert(std::size(kHask1) == 68);

constexpr std::string_view kHask2[] = {
    "Descent Below - 2002", " ", "hask", " ", "back down the shaft", "with better lamps.", " ",
    "kick", "snare", "hats", "drip perc", "rumble bass", "pick bass", "lamp lead", "cavern pad",
    "echo pad", "cart fx", "deep drone", " ", " ", "five years later the",
    "mine is closed, but", "the drips still keep", "their time.", " ", "greets as before,",
    "plus a special one", "to the new folks", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ",
    " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", "hask, 2002",
};
static_assert(std::size(kHask2) == 49);

constexpr std::string_view kZinderby1[] = {
    "rust engine", " ", "zinderby 1993", " ", "bassdrum", "snare", "hat", "clank", "bass",
    "lead", "chord", " ", "protracker 2.3", "amiga 500", " ", "this is a song about",
    "a tractor that would", "not start on cold", "mornings.", " ", "greetz:",
    "the lantern crew", "hollowmere people", " ", " ", " ", " ", " ", " ", " ", "zinderby",
};
static_assert(std::size(kZinderby1) == 31);

constexpr std::string_view kVespera1[] = {
    "vESPERa: First Light Rising", " ", "written april 10th 1998", "screamtracker 3.21", " ",
    " ", "samples in this module:", " ", "  1 kick (own recording)",
    "  2 snare (own recording)", "  3 hat closed", "  4 hat open", "  5 bass",
    "  6 bass octave", "  7 lead", "  8 pad", "  9 bell", " 10 arp", " ", " ", "words:", " ",
    "i stayed up all night to", "finish this one, and when", "i played it back the sun",
    "was coming up over the", "rooftops. hence the title.", " ", "the arpeggios are for",
    "anyone who misses the sid.", " ", " ", "hello to:", " ", "  orvek", "  lund sarrow",
    "  peltrin", "  hask", "  moorgol", "  zinderby", "  caul ferro", "  ubrin", "  tam kessel",
    " ", "and to my sister who", "lent me her headphones.", " ", " ", "technical notes:", " ",
    "8 channels, 8-bit samples", "no adlib, no gus tricks", "plays best at 44 khz", " ", " ",
    " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ",
    " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ",
    "dedicated to early mornings", " ", "vESPERa '98",
};
static_assert(std::size(kVespera1) == 89);

constexpr std::string_view kUbrin1[] = {
    "copper lantern", " ", "by ubrin, 1997", " ", "kick", "snare", "hat", "bass", "lead", "pad",
    "bell", " ", "a short one for a", "short night.", " ", "greets to all in", "hollowmere",
    " ", " ", " ", " ", "ubrin",
};
static_assert(std::size(kUbrin1) == 22);

constexpr std::string_view kUbrin2[] = {
    "Copper Lantern 2002", " ", "ubrin", " ", "the lantern is lit", "again: same tune,",
    "longer night.", " ", "kick", "snare", "hats", "shaker", "bass", "sub", "lead", "pad",
    "bell", "strings", " ", " ", "thanks to tam kessel", "for the nudge to", "finish it.", " ",
    " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", "ubrin, 2002",
};
static_assert(std::size(kUbrin2) == 35);

constexpr std::string_view kTamKessel1[] = {
    "Hollow Within", " ", "tam kessel - feb 15th 1996", " ", "kick", "snare", "hats", "bass",
    "lead", "pad", "strings", "bell", " ", "st3 on a 486dx2/66", " ",
    "it sounds hollow because", "i was.", "feeling better now.", " ",
    "greets to the hollowmere", "gang, you know who you are.", " ", " ", " ", " ", " ", " ",
    " ", " ", " ", "tam",
};
static_assert(std::size(kTamKessel1) == 31);

constexpr std::array<ArtistEntry, kArtistCount> kArtists{{
    {1, "btn_orvek", "orvek.html", "Orvek", "Glass Meridian", "Spring '92", "orvek"},
    {2, "btn_lund", "lundsarrow.html", "Lund Sarrow", "Iron Vow", "Oct 28, 1992", "lundsarrow"},
    {3, "btn_peltrin", "peltrin.html", "Peltrin", "Slow Pursuit", "May 12, 1996", "peltrin"},
    {4, "SkHotImage4", "hask.html", "Hask", "Descent Below", "Oct 17, 1997", "hask"},
    {5, "btn_moor", "moorgol.html", "Moorgol", "Ashfall", "Nov. 1997", "moorgol"},
    {6, "btn_zind", "zinderby.html", "Zinderby", "Rust Engine", "Circa 1993", "zinderby"},
    {7, "btn_caulfer", "caulferro.html", "Caul Ferro", "What Was Left", "Circa 1998", "caulferro"},
    {8, "btn_vespera", "vespera.html", "vESPERa", "First Light Rising", "April 10, 1998", "vespera"},
    {9, "btn_ubrin", "ubrin.html", "Ubrin", "Copper Lantern", "Circa 1997", "ubrin"},
    {10, "btn_tam", "tamkessel.html", "Tam Kessel", "Hollow Within", "Feb 15, 1996", "tamkessel"},
}};

constexpr std::span<const std::string_view> kNone{};

constexpr SongEntry It(int slot, int which, std::string_view file, std::string_view length,
                       std::string_view size, Loader loader = Loader::PlayModule) {
    const bool byIndex = loader == Loader::PlayModuleByIndex;
    return {slot, which, file, true, loader, byIndex ? which : 0, byIndex ? 0u : 1u,
            ModFormat::IT, "IT", length, size, FixedList::None, kNone};
}

constexpr SongEntry Fixed(int slot, int which, std::string_view file, ModFormat format,
                          std::string_view formatText, std::string_view length,
                          std::string_view size, FixedList list,
                          std::span<const std::string_view> lines,
                          Loader loader = Loader::PlayModule) {
    const bool byIndex = loader == Loader::PlayModuleByIndex;
    return {slot, which, file, false, loader, byIndex ? which : 0, byIndex ? 0u : 1u,
            format, formatText, length, size, list, lines};
}

constexpr ModFormat XM = ModFormat::XM;
constexpr ModFormat S3M = ModFormat::S3M;
constexpr ModFormat MOD = ModFormat::MOD;
constexpr FixedList Inst = FixedList::InstList;
constexpr FixedList Smp = FixedList::SampleList;

const std::array<SongEntry, 2 * kArtistCount> kSongs{{
    // Old songs.
    It(1, 1, "orvek1.it", "2:44", "73k"),
    Fixed(2, 1, "lundsarrow1.xm", XM, "XM", "3:03", "1074k", Inst, kLundSarrow1),
    Fixed(3, 1, "peltrin1.xm", XM, "XM", "4:09", "414k", Inst, kPeltrin1),
    Fixed(4, 1, "hask1.xm", XM, "XM", "2:52", "1914k", Inst, kHask1),
    It(5, 1, "moorgol1.it", "4:13", "579k"),
    Fixed(6, 1, "zinderby1.mod", MOD, "MOD", "3:39", "268k", Smp, kZinderby1),
    It(7, 1, "caulferro1.it", "4:30", "570k"),
    Fixed(8, 1, "vespera1.s3m", S3M, "S3M", "4:52", "759k", Smp, kVespera1),
    Fixed(9, 1, "ubrin1.xm", XM, "XM", "2:59", "153k", Inst, kUbrin1),
    Fixed(10, 1, "tamkessel1.s3m", S3M, "S3M", "4:28", "568k", Smp, kTamKessel1,
          Loader::PlayModuleByIndex),
    // Remakes.
    It(1, 2, "orvek2.it", "3:19", "1213k"),
    Fixed(2, 2, "lundsarrow2.xm", XM, "XM", "3:01", "3453k", Inst, kLundSarrow2),
    Fixed(3, 2, "peltrin2.xm", XM, "XM", "4:03", "4545k", Inst, kPeltrin2),
    Fixed(4, 2, "hask2.xm", XM, "XM", "2:35", "3906k", Inst, kHask2),
    It(5, 2, "moorgol2.it", "4:10", "6939k"),
    It(6, 2, "zinderby2.it", "3:50", "1772k"),
    It(7, 2, "caulferro2.it", "4:42", "4176k"),
    It(8, 2, "vespera2.it", "4:54", "5689k"),
    Fixed(9, 2, "ubrin2.xm", XM, "XM", "3:40", "1657k", Inst, kUbrin2),
    It(10, 2, "tamkessel2.it", "4:25", "3073k", Loader::PlayModuleByIndex),
}};

}  // namespace

std::span<const ArtistEntry> Artists() { return kArtists; }
std::span<const SongEntry> Songs() { return kSongs; }

const ArtistEntry* FindArtist(int slot) {
    if (slot < 1 || slot > kArtistCount) return nullptr;
    return &kArtists[static_cast<std::size_t>(slot - 1)];
}

const SongEntry* FindSong(int slot, int which) {
    if (slot < 1 || slot > kArtistCount || (which != kOldSong && which != kRemake)) return nullptr;
    return &kSongs[static_cast<std::size_t>((which - 1) * kArtistCount + slot - 1)];
}

const ArtistEntry& ArtistBySlot(int slot) {
    const ArtistEntry* a = FindArtist(slot);
    if (!a) throw std::out_of_range("no artist in catalogue slot " + std::to_string(slot));
    return *a;
}

const SongEntry& Song(int slot, int which) {
    const SongEntry* s = FindSong(slot, which);
    if (!s)
        throw std::out_of_range("no song " + std::to_string(which) + " in catalogue slot " +
                                std::to_string(slot));
    return *s;
}

std::string_view ModuleFileByIndex(int index) {
    // Slot 10's songs are reached through this fixed table, not by name.
    const SongEntry* s = FindSong(kArtistCount, index);
    return s ? s->file : std::string_view{};
}

std::string_view SongTitle(const SongEntry& song) { return ArtistBySlot(song.slot).songTitle; }
std::string_view Tracker(const SongEntry& song) { return ArtistBySlot(song.slot).caption; }

std::string_view FormatExtension(ModFormat format) {
    switch (format) {
        case ModFormat::IT: return "it";
        case ModFormat::XM: return "xm";
        case ModFormat::S3M: return "s3m";
        case ModFormat::MOD: return "mod";
    }
    return {};
}

}  // namespace app
