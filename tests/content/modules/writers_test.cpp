#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "catalogue/Catalogue.h"
#include "content/modules/Composer.h"
#include "content/modules/ItFile.h"
#include "content/modules/Writers.h"
#include "ItInfo.h"
#include "ModuleTestUtil.h"

namespace {

using app::ModFormat;
using namespace content;

const ModFormat kFormats[] = {ModFormat::IT, ModFormat::XM, ModFormat::S3M, ModFormat::MOD};
const char* TypeOf(ModFormat f) {
    switch (f) {
        case ModFormat::IT: return "it";
        case ModFormat::XM: return "xm";
        case ModFormat::S3M: return "s3m";
        case ModFormat::MOD: return "mod";
    }
    return "";
}

// A looped sine that sounds middle C at its rate.
Sample Sine(bool wide) {
    const int cycle = wide ? 64 : 32;
    Sample s;
    s.name = "sine";
    s.sixteenBit = wide;
    s.rate = static_cast<std::uint32_t>(std::lround(cycle * 261.6255653));
    for (int i = 0; i < cycle * 32; ++i)
        s.pcm.push_back(static_cast<std::int16_t>(std::lround(30000 * std::sin(2 * std::numbers::pi * i / cycle))));
    s.loop = true;
    s.loopStart = 0;
    s.loopEnd = static_cast<std::uint32_t>(s.pcm.size());
    return s;
}

// One held note on the first channel, repeated over `orders` orders.
Song ToneSong(ModFormat f, int note, int orders = 1) {
    Song s;
    s.title = "tone test";
    s.channels = f == ModFormat::MOD ? 4 : 8;
    const bool wide = f == ModFormat::IT || f == ModFormat::XM;
    s.samples.push_back(Sine(wide));
    if (wide) {
        Instrument in;
        in.name = "sine instrument";
        in.sample = 0;
        s.instruments.push_back(in);
    }
    Pattern p(64, s.channels);
    p.At(0, 0).note = static_cast<std::uint8_t>(note);
    p.At(0, 0).instrument = 1;
    p.At(0, 0).volume = 64;
    s.patterns.push_back(p);
    s.orders.assign(static_cast<std::size_t>(orders), 0);
    return s;
}

class EveryFormat : public ::testing::TestWithParam<ModFormat> {};

TEST_P(EveryFormat, NotesPlayAtTheirPitch) {
    const ModFormat f = GetParam();
    // Middle C and the octave above; MOD's range starts one octave below middle C.
    for (int note : {60, 72, f == ModFormat::MOD ? 55 : 43}) {
        SCOPED_TRACE(note);
        auto m = modtest::Load(Encode(ToneSong(f, note), f));
        EXPECT_EQ(m->get_metadata("type"), TypeOf(f));
        const auto pcm = modtest::Render(*m, 44100, 1.0);
        const double want = 261.6255653 * std::pow(2.0, (note - 60) / 12.0);
        EXPECT_NEAR(modtest::Frequency(pcm, 44100), want, want * 0.02);
    }
}

TEST_P(EveryFormat, SpeedTempoAndOrdersGiveTheExpectedLength) {
    const ModFormat f = GetParam();
    Song s = ToneSong(f, 60, 13);
    s.speed = 3;
    s.tempo = 150;
    auto m = modtest::Load(Encode(s, f));
    EXPECT_EQ(m->get_num_orders(), 13);
    // IT files carry no channel count: players count the channels in use.
    if (f != ModFormat::IT) {
        EXPECT_EQ(m->get_num_channels(), s.channels);
    }
    EXPECT_NEAR(m->get_duration_seconds(), Duration(s), 0.05);
    EXPECT_NEAR(Duration(s), 13 * 64 * 3 * 2.5 / 150, 1e-9);
}

TEST_P(EveryFormat, PatternBreakLandsOnTheRowAsked) {
    const ModFormat f = GetParam();
    Song s = ToneSong(f, 60);
    s.patterns.push_back(s.patterns[0]);
    s.patterns[0].At(31, 1).effect = Fx::PatternBreak;
    s.patterns[0].At(31, 1).param = 10;  // the second pattern then plays rows 10..63
    s.orders = {0, 1};
    auto m = modtest::Load(Encode(s, f));
    EXPECT_NEAR(m->get_duration_seconds(), (32 + 54) * 6 * 2.5 / 125, 0.05);
}

TEST_P(EveryFormat, NamesAndTitleReadBack) {
    const ModFormat f = GetParam();
    Song s = ToneSong(f, 60);
    const std::vector<std::string> names = {"exactly twenty-two chr", " ", "second line", "  indented"};
    if (f == ModFormat::IT || f == ModFormat::XM) {
        for (std::size_t i = 1; i < names.size(); ++i) s.instruments.push_back(Instrument{});
        for (std::size_t i = 0; i < names.size(); ++i) s.instruments[i].name = names[i];
    } else {
        s.samples.resize(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) s.samples[i].name = names[i];
    }
    auto m = modtest::Load(Encode(s, f));
    EXPECT_EQ(m->get_metadata("title"), "tone test");
    auto got = (f == ModFormat::IT || f == ModFormat::XM) ? m->get_instrument_names() : m->get_sample_names();
    if (f == ModFormat::MOD) {
        ASSERT_EQ(got.size(), 31u);  // MOD always has 31 sample slots
        got.resize(names.size());
    }
    ASSERT_EQ(got.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(modtest::TrimRight(got[i]), modtest::TrimRight(names[i]));
    // The name-only slots make no sound, and the first still plays.
    const auto pcm = modtest::Render(*m, 8000, 0.5);
    EXPECT_GT(modtest::Rms(pcm, 0, pcm.size()), 0.05);
}

TEST_P(EveryFormat, SongsThatDoNotFitAreRefused) {
    const ModFormat f = GetParam();
    Song s = ToneSong(f, 60);
    s.orders = {0, 1};  // pattern 1 does not exist
    EXPECT_THROW(Encode(s, f), FormatError);
    s = ToneSong(f, 60);
    s.patterns[0].channels = s.channels - 1;
    s.patterns[0].cells.resize(static_cast<std::size_t>(64 * s.patterns[0].channels));
    EXPECT_THROW(Encode(s, f), FormatError);
    s = ToneSong(f, 60);
    s.orders.clear();
    EXPECT_THROW(Encode(s, f), FormatError);
}

INSTANTIATE_TEST_SUITE_P(Modules, EveryFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(TypeOf(info.param)); });

TEST(Writers, FormatLimitsAreEnforced) {
    Song mod = ToneSong(ModFormat::MOD, 60);
    mod.patterns[0].At(1, 1).note = 47;  // below ProTracker's lowest C
    EXPECT_THROW(WriteMod(mod), FormatError);
    mod = ToneSong(ModFormat::MOD, 60);
    mod.samples.resize(32);
    EXPECT_THROW(WriteMod(mod), FormatError);
    EXPECT_THROW(WriteMod(ToneSong(ModFormat::S3M, 60)), FormatError);  // eight channels

    Song xm = ToneSong(ModFormat::XM, 60);
    xm.instruments.resize(129);
    EXPECT_THROW(WriteXm(xm), FormatError);
    xm = ToneSong(ModFormat::XM, 60);
    xm.instruments[0].sample = 3;
    EXPECT_THROW(WriteXm(xm), FormatError);

    Song s3m = ToneSong(ModFormat::S3M, 60);
    s3m.patterns[0] = Pattern(32, s3m.channels);
    EXPECT_THROW(WriteS3m(s3m), FormatError);

    Song it = ToneSong(ModFormat::IT, 60);
    it.samples.resize(100);
    EXPECT_THROW(WriteIt(it), FormatError);
}

TEST(Writers, ItKeepsSkipOrdersAndRefusesOtherMissingPatterns) {
    Song it = ToneSong(ModFormat::IT, 60, 3);
    it.orders[1] = kSkipOrder;
    auto m = modtest::Load(WriteIt(it));
    ASSERT_EQ(m->get_num_orders(), 3);
    EXPECT_NEAR(m->get_duration_seconds(), 2 * 64 * 6 * 2.5 / 125, 0.05) << "the skip plays nothing";
    it.orders[1] = 253;
    EXPECT_THROW(WriteIt(it), FormatError);
}

TEST(Writers, UnusedPatternsDoNotShiftModSampleData) {
    Song s = ToneSong(ModFormat::MOD, 72);
    s.patterns.push_back(s.patterns[0]);  // never played
    auto m = modtest::Load(WriteMod(s));
    const auto pcm = modtest::Render(*m, 44100, 1.0);
    EXPECT_NEAR(modtest::Frequency(pcm, 44100), 523.25, 523.25 * 0.02);
}

TEST(Writers, ModTakesSpeedAndTempoFromItsFirstPattern) {
    Song s = ToneSong(ModFormat::MOD, 60, 12);
    s.speed = 4;
    s.tempo = 100;
    // Effects on every channel of the first row: the writer still has to fit
    // speed and tempo in, so it gives up effects from the last channel.
    for (int ch = 0; ch < 4; ++ch) {
        s.patterns[0].At(0, ch).effect = Fx::Vibrato;
        s.patterns[0].At(0, ch).param = 0x11;
    }
    auto m = modtest::Load(WriteMod(s));
    EXPECT_NEAR(m->get_duration_seconds(), 12 * 64 * 4 * 2.5 / 100, 0.05);
}

// The IT builder: exact placement for crafted files.

TEST(ItBuilder, PlacesHeadersNamesAndMessageExactly) {
    it::FileBuilder fb;
    fb.header.songName = "crafted";
    fb.orders = {0, 255};
    it::FileBuilder::InstrumentBlock ins;
    ins.header.name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";  // all 26 bytes, no zero
    ins.offset = 4096;
    fb.instruments.push_back(ins);
    it::FileBuilder::InstrumentBlock second;
    second.header.name = "second";
    fb.instruments.push_back(second);
    it::FileBuilder::SampleBlock smp;
    smp.header.name = "zyxwvutsrqponmlkjihgfedcba";
    smp.offset = 8192;
    smp.data = {1, 2, 3, 4};
    smp.dataOffset = 9000;
    smp.header.flags = it::kSampleHasData;
    smp.header.length = 4;
    fb.samples.push_back(smp);
    fb.message = "one\rtwo\rthree";  // the last line has no carriage return
    it::FileBuilder::Layout layout;
    const auto bytes = fb.Build(&layout);

    ASSERT_GE(bytes.size(), 9004u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "IMPM");
    EXPECT_EQ(testing_it::Le(bytes, 32, 2), 2u);  // orders
    EXPECT_EQ(testing_it::Le(bytes, 34, 2), 2u);  // instruments
    EXPECT_EQ(testing_it::Le(bytes, 36, 2), 1u);  // samples
    EXPECT_EQ(testing_it::Le(bytes, 38, 2), 0u);  // patterns
    EXPECT_EQ(testing_it::Le(bytes, 54, 2), 13u);
    EXPECT_EQ(testing_it::Le(bytes, 56, 4), layout.message);
    EXPECT_EQ(layout.message, 192u + 2 + 4 * 3);
    EXPECT_EQ(testing_it::Le(bytes, 0x2E, 2) & it::kSpecialMessage, it::kSpecialMessage);

    EXPECT_EQ(layout.instruments.at(0), 4096u);
    EXPECT_EQ(testing_it::Le(bytes, layout.instrumentTable, 4), 4096u);
    EXPECT_EQ(std::string(bytes.begin() + 4096, bytes.begin() + 4100), "IMPI");
    EXPECT_EQ(std::string(bytes.begin() + 4096 + 32, bytes.begin() + 4096 + 58), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(testing_it::Le(bytes, layout.sampleTable, 4), 8192u);
    EXPECT_EQ(std::string(bytes.begin() + 8192, bytes.begin() + 8196), "IMPS");
    EXPECT_EQ(testing_it::Le(bytes, 8192 + 0x48, 4), 9000u);  // data pointer
    EXPECT_EQ(bytes[9000], 1);
    EXPECT_EQ(bytes[9003], 4);
    // The second instrument is laid out in turn, after the tables and the message.
    EXPECT_EQ(layout.instruments.at(1), layout.message + 13);

    const auto info = testing_it::ReadItInfo(bytes);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->instrumentNames, (std::vector<std::string>{"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "second"}));
    EXPECT_EQ(info->sampleNames, (std::vector<std::string>{"zyxwvutsrqponmlkjihgfedcba"}));
    EXPECT_EQ(info->messageLines, (std::vector<std::string>{"one", "two"}));
}

TEST(ItBuilder, OverridesPatchesAndTruncationShapeBrokenFiles) {
    it::FileBuilder fb;
    fb.orders = {255};
    fb.instruments.resize(1);
    fb.instrumentCount = 100;         // more than the table holds
    fb.messageLength = 5000;
    fb.messageOffset = 0x10000;       // beyond the end
    fb.patches.push_back({600, {'X', 'Y'}});
    auto bytes = fb.Build();
    EXPECT_EQ(testing_it::Le(bytes, 34, 2), 100u);
    EXPECT_EQ(testing_it::Le(bytes, 54, 2), 5000u);
    EXPECT_EQ(testing_it::Le(bytes, 56, 4), 0x10000u);
    EXPECT_EQ(bytes.at(600), 'X');
    EXPECT_EQ(bytes.at(601), 'Y');
    EXPECT_FALSE(testing_it::ReadItInfo(bytes).has_value());

    it::FileBuilder cut;
    cut.orders = {255};
    cut.instruments.resize(2);
    cut.truncateTo = 300;
    bytes = cut.Build();
    EXPECT_EQ(bytes.size(), 300u);
    EXPECT_FALSE(testing_it::ReadItInfo(bytes).has_value());

    // A patch past the end grows the file with zeros.
    it::FileBuilder grow;
    grow.patches.push_back({1000, {7}});
    bytes = grow.Build();
    EXPECT_EQ(bytes.size(), 1001u);
    EXPECT_EQ(bytes[999], 0);
    EXPECT_EQ(bytes[1000], 7);
}

TEST(ItBuilder, DefaultLayoutHasNoOverlaps) {
    Song s = ToneSong(ModFormat::IT, 60, 3);
    s.samples.push_back(Sine(false));
    s.samples.back().name = "eight-bit";
    s.instruments.push_back({"second", "", 1, {}, -1, 0});
    s.message = "line\r";
    it::FileBuilder::Layout layout;
    // Rebuild through the public pieces to see the layout.
    it::FileBuilder fb;
    fb.orders = {0, 0, 0, 255};
    for (int i = 0; i < 2; ++i) fb.instruments.push_back({});
    for (int i = 0; i < 2; ++i) {
        it::FileBuilder::SampleBlock b;
        b.data.assign(100, 0x55);
        fb.samples.push_back(b);
    }
    fb.patterns.push_back(it::EncodePattern(s.patterns[0]));
    fb.patterns.push_back({});  // an empty pattern has offset 0
    fb.message = s.message;
    const auto bytes = fb.Build(&layout);
    EXPECT_EQ(layout.instruments[1] - layout.instruments[0], it::kInstrumentSize);
    EXPECT_EQ(layout.samples[0], layout.instruments[1] + it::kInstrumentSize);
    EXPECT_EQ(layout.samples[1] - layout.samples[0], it::kSampleHeaderSize);
    EXPECT_EQ(layout.patterns[0], layout.samples[1] + it::kSampleHeaderSize);
    EXPECT_EQ(layout.patterns[1], 0u);
    EXPECT_EQ(layout.sampleData[1] - layout.sampleData[0], 100u);
    EXPECT_EQ(bytes.size(), layout.sampleData[1] + 100u);
    EXPECT_EQ(testing_it::Le(bytes, layout.samples[1] + 0x48, 4), layout.sampleData[1]);

    // The whole song through WriteIt: names and message as written.
    const auto file = WriteIt(s);
    const auto info = testing_it::ReadItInfo(file);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->sampleNames, (std::vector<std::string>{"sine", "eight-bit"}));
    EXPECT_EQ(info->instrumentNames, (std::vector<std::string>{"sine instrument", "second"}));
    EXPECT_EQ(info->messageLines, (std::vector<std::string>{"line"}));
    auto m = modtest::Load(file);
    EXPECT_EQ(m->get_num_orders(), 3);
    EXPECT_EQ(m->get_sample_names().at(1), "eight-bit");
}

}  // namespace
