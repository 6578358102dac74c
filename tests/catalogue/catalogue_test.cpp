#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "catalogue/Catalogue.h"

namespace {

using app::FixedList;
using app::ModFormat;

TEST(Catalogue, ArtistsAreTheTenRowsInSlotOrder) {
    const auto artists = app::Artists();
    ASSERT_EQ(artists.size(), 10u);
    const char* buttons[] = {"btn_orvek", "btn_lund", "btn_peltrin", "SkHotImage4", "btn_moor",
                             "btn_zind", "btn_caulfer", "btn_vespera", "btn_ubrin", "btn_tam"};
    const char* stems[] = {"orvek", "lundsarrow", "peltrin", "hask", "moorgol",
                           "zinderby", "caulferro", "vespera", "ubrin", "tamkessel"};
    for (int i = 0; i < 10; ++i) {
        const auto& a = artists[static_cast<std::size_t>(i)];
        EXPECT_EQ(a.slot, i + 1);
        EXPECT_EQ(a.button, buttons[i]);
        EXPECT_EQ(a.stem, stems[i]);
        EXPECT_EQ(std::string(a.page), std::string(stems[i]) + ".html");
        EXPECT_EQ(&app::ArtistBySlot(i + 1), &a);
    }
}

TEST(Catalogue, ArtistRowsHoldTheExactCaptions) {
    struct Row { int slot; const char* caption; const char* title; const char* old; };
    const Row rows[] = {
        {1, "Orvek", "Glass Meridian", "Spring '92"},
        {2, "Lund Sarrow", "Iron Vow", "Oct 28, 1992"},
        {3, "Peltrin", "Slow Pursuit", "May 12, 1996"},
        {4, "Hask", "Descent Below", "Oct 17, 1997"},
        {5, "Moorgol", "Ashfall", "Nov. 1997"},
        {6, "Zinderby", "Rust Engine", "Circa 1993"},
        {7, "Caul Ferro", "What Was Left", "Circa 1998"},
        {8, "vESPERa", "First Light Rising", "April 10, 1998"},
        {9, "Ubrin", "Copper Lantern", "Circa 1997"},
        {10, "Tam Kessel", "Hollow Within", "Feb 15, 1996"},
    };
    for (const Row& r : rows) {
        const auto& a = app::ArtistBySlot(r.slot);
        EXPECT_EQ(a.caption, r.caption) << r.slot;
        EXPECT_EQ(a.songTitle, r.title) << r.slot;
        EXPECT_EQ(a.oldSongCaption, r.old) << r.slot;
    }
    EXPECT_EQ(app::kRemakeCaption, "2002");
    EXPECT_EQ(app::kInfoPage, "_korvane_index.htm");
    EXPECT_EQ(app::kInfoCaption, "Hollowmere - Korvane Info");
}

struct SongRow {
    int slot, which;
    const char* file;
    const char* format;
    const char* length;
    const char* size;
    FixedList list;
    std::size_t lines;
};

constexpr FixedList kNone = FixedList::None, kInst = FixedList::InstList, kSmp = FixedList::SampleList;
const SongRow kSongRows[] = {
    {1, 1, "orvek1.it", "IT", "2:44", "73k", kNone, 0},
    {2, 1, "lundsarrow1.xm", "XM", "3:03", "1074k", kInst, 24},
    {3, 1, "peltrin1.xm", "XM", "4:09", "414k", kInst, 24},
    {4, 1, "hask1.xm", "XM", "2:52", "1914k", kInst, 68},
    {5, 1, "moorgol1.it", "IT", "4:13", "579k", kNone, 0},
    {6, 1, "zinderby1.mod", "MOD", "3:39", "268k", kSmp, 31},
    {7, 1, "caulferro1.it", "IT", "4:30", "570k", kNone, 0},
    {8, 1, "vespera1.s3m", "S3M", "4:52", "759k", kSmp, 89},
    {9, 1, "ubrin1.xm", "XM", "2:59", "153k", kInst, 22},
    {10, 1, "tamkessel1.s3m", "S3M", "4:28", "568k", kSmp, 31},
    {1, 2, "orvek2.it", "IT", "3:19", "1213k", kNone, 0},
    {2, 2, "lundsarrow2.xm", "XM", "3:01", "3453k", kInst, 45},
    {3, 2, "peltrin2.xm", "XM", "4:03", "4545k", kInst, 128},
    {4, 2, "hask2.xm", "XM", "2:35", "3906k", kInst, 49},
    {5, 2, "moorgol2.it", "IT", "4:10", "6939k", kNone, 0},
    {6, 2, "zinderby2.it", "IT", "3:50", "1772k", kNone, 0},
    {7, 2, "caulferro2.it", "IT", "4:42", "4176k", kNone, 0},
    {8, 2, "vespera2.it", "IT", "4:54", "5689k", kNone, 0},
    {9, 2, "ubrin2.xm", "XM", "3:40", "1657k", kInst, 35},
    {10, 2, "tamkessel2.it", "IT", "4:25", "3073k", kNone, 0},
};

TEST(Catalogue, SongRowsMatchBothTables) {
    ASSERT_EQ(app::Songs().size(), 20u);
    for (const SongRow& r : kSongRows) {
        SCOPED_TRACE(r.file);
        const app::SongEntry& s = app::Song(r.slot, r.which);
        EXPECT_EQ(s.slot, r.slot);
        EXPECT_EQ(s.which, r.which);
        EXPECT_EQ(s.file, r.file);
        EXPECT_EQ(s.formatText, r.format);
        EXPECT_EQ(s.length, r.length);
        EXPECT_EQ(s.size, r.size);
        EXPECT_EQ(s.fixedList, r.list);
        EXPECT_EQ(s.fixedLines.size(), r.lines);
        EXPECT_EQ(s.itRead, s.format == ModFormat::IT);
        // The file name is the stem, the song number and the format's extension.
        const auto& a = app::ArtistBySlot(r.slot);
        EXPECT_EQ(std::string(s.file), std::string(a.stem) + std::to_string(r.which) + "." +
                                           std::string(app::FormatExtension(s.format)));
        EXPECT_EQ(app::SongTitle(s), a.songTitle);
        EXPECT_EQ(app::Tracker(s), a.caption);
    }
}

TEST(Catalogue, OnlySlotTenLoadsByIndexWithFlagsZero) {
    for (const auto& s : app::Songs()) {
        SCOPED_TRACE(s.file);
        if (s.slot == 10) {
            EXPECT_EQ(s.loader, app::Loader::PlayModuleByIndex);
            EXPECT_EQ(s.loaderIndex, s.which);
            EXPECT_EQ(s.loadFlags, 0u);
        } else {
            EXPECT_EQ(s.loader, app::Loader::PlayModule);
            EXPECT_EQ(s.loadFlags, 1u);
        }
    }
    EXPECT_EQ(app::ModuleFileByIndex(1), "tamkessel1.s3m");
    EXPECT_EQ(app::ModuleFileByIndex(2), "tamkessel2.it");
    EXPECT_TRUE(app::ModuleFileByIndex(0).empty());
    EXPECT_TRUE(app::ModuleFileByIndex(3).empty());
}

TEST(Catalogue, FixedLinesFitTheNameFieldsTheyAreWrittenTo) {
    std::set<std::string> firstLines;
    for (const auto& s : app::Songs()) {
        SCOPED_TRACE(s.file);
        // XM instrument and MOD sample names hold 22 characters, S3M's 27 before its zero.
        const std::size_t width = s.format == ModFormat::S3M ? 27 : 22;
        int blanks = 0;
        for (std::string_view line : s.fixedLines) {
            EXPECT_FALSE(line.empty()) << "blank entries are a single space";
            EXPECT_LE(line.size(), width) << line;
            if (line == " ") ++blanks;
            else EXPECT_NE(line.back(), ' ') << line;
        }
        if (!s.fixedLines.empty()) {
            EXPECT_GT(blanks, 0);
            EXPECT_LT(blanks, static_cast<int>(s.fixedLines.size()));
            firstLines.insert(std::string(s.fixedLines.front()));
        }
    }
    EXPECT_EQ(firstLines.size(), 11u) << "every song has its own lines";
    // A few exact entries.
    EXPECT_EQ(app::Song(2, 1).fixedLines[0], "Iron Vow");
    EXPECT_EQ(app::Song(2, 1).fixedLines[1], " ");
    EXPECT_EQ(app::Song(3, 2).fixedLines[127], "peltrin, 2002");
    EXPECT_EQ(app::Song(8, 1).fixedLines[0], "vESPERa: First Light Rising");
    EXPECT_EQ(app::Song(6, 1).fixedLines[30], "zinderby");
}

TEST(Catalogue, LookupsOutsideTheTablesFailCleanly) {
    EXPECT_EQ(app::FindArtist(0), nullptr);
    EXPECT_EQ(app::FindArtist(11), nullptr);
    EXPECT_EQ(app::FindArtist(-1), nullptr);
    EXPECT_EQ(app::FindArtist(255), nullptr);
    EXPECT_EQ(app::FindSong(0, 1), nullptr);
    EXPECT_EQ(app::FindSong(11, 2), nullptr);
    EXPECT_EQ(app::FindSong(5, 0), nullptr);
    EXPECT_EQ(app::FindSong(5, 3), nullptr);
    EXPECT_THROW(app::ArtistBySlot(0), std::out_of_range);
    EXPECT_THROW(app::Song(1, 3), std::out_of_range);
    EXPECT_EQ(app::FindSong(10, 2)->file, "tamkessel2.it");
    EXPECT_EQ(app::FindArtist(4)->button, "SkHotImage4");
}

}  // namespace
