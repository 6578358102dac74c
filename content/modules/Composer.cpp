#include "content/modules/Composer.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "content/modules/Synth.h"
#include "content/modules/Writers.h"

namespace content {
namespace {

using synth::Rng;

struct Scale {
    const char* name;
    std::array<int, 7> steps;
};

constexpr Scale kScales[] = {
    {"minor", {0, 2, 3, 5, 7, 8, 10}},          {"dorian", {0, 2, 3, 5, 7, 9, 10}},
    {"phrygian", {0, 1, 3, 5, 7, 8, 10}},       {"harmonic minor", {0, 2, 3, 5, 7, 8, 11}},
    {"major", {0, 2, 4, 5, 7, 9, 11}},          {"mixolydian", {0, 2, 4, 5, 7, 9, 10}},
    {"lydian", {0, 2, 4, 6, 7, 9, 11}},
};
constexpr const char* kKeyNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// Chord progressions as scale degrees, one chord per bar.
constexpr std::array<int, 4> kProgressions[] = {
    {0, 5, 3, 4}, {0, 3, 4, 0}, {0, 6, 5, 4}, {5, 3, 0, 4}, {0, 4, 5, 3},
    {0, 2, 3, 4}, {3, 4, 0, 0}, {0, 5, 6, 4}, {0, 3, 0, 4}, {5, 6, 0, 0},
};

// The eight sounds, 1-based as cells name them.
enum Sound : std::uint8_t { kKick = 1, kSnare, kHat, kBass, kLead, kPluck, kPad, kBell, kSoundCount = 8 };

enum Section { kIntro, kVerse, kVerse2, kChorus, kChorus2, kBridge, kBridge2, kOutro, kSectionCount };

// Channel use; -1 where the format has no channel for the part.
struct Channels {
    int kick, snare, hat, bass, lead, arp, pad1, pad2;
};

struct Range {
    int lo, hi;
    int Fold(int note) const {
        while (note < lo) note += 12;
        while (note > hi) note -= 12;
        return std::max(note, lo);
    }
};

struct Profile {
    int channels;
    synth::Voice voice;
    Channels ch;
    Range bass, lead, arp, pad, bell;
};

Profile ProfileFor(app::ModFormat f) {
    if (f == app::ModFormat::MOD)
        return {4, {32, false}, {0, 0, 3, 1, 2, 3, -1, -1},
                {48, 62}, {60, 83}, {60, 83}, {60, 83}, {60, 83}};
    const bool wide = f == app::ModFormat::IT || f == app::ModFormat::XM;
    return {8, {wide ? 64 : 32, wide}, {0, 1, 2, 3, 4, 5, 6, 7},
            {31, 50}, {57, 81}, {60, 84}, {48, 70}, {67, 91}};
}

struct MotifNote {
    int step, len, degree;
};

struct Plan {
    int root = 0;
    const Scale* scale = &kScales[0];
    int tempo = 125;
    int kickStyle = 0, hatStyle = 0, bassStyle = 0;
    bool chipArp = false;
    std::uint8_t vibrato = 0x44;
    std::array<std::array<int, 4>, 3> prog{};  // verse, chorus, bridge
    std::array<std::vector<MotifNote>, 3> motif;

    int Semis(int degree) const {
        const int o = degree >= 0 ? degree / 7 : -((6 - degree) / 7);
        const int d = degree - 7 * o;
        return scale->steps[static_cast<std::size_t>(d)] + 12 * o;
    }
};

std::vector<MotifNote> MakeMotif(Rng& rng, double density) {
    std::vector<int> onsets;
    for (int s = 0; s < 16; ++s) {
        const double p = s == 0 ? 0.85 : (s % 4 == 0 ? 0.55 : (s % 2 == 0 ? 0.35 : 0.12)) * density;
        if (rng.Chance(p)) onsets.push_back(s);
    }
    if (onsets.empty() || onsets[0] != 0) onsets.insert(onsets.begin(), 0);
    if (onsets.size() < 2) onsets.push_back(8);
    std::vector<MotifNote> m;
    int degree = std::array{0, 2, 4}[static_cast<std::size_t>(rng.Int(0, 2))];
    for (std::size_t i = 0; i < onsets.size(); ++i) {
        const int next = i + 1 < onsets.size() ? onsets[i + 1] : 16;
        m.push_back({onsets[i], next - onsets[i], degree});
        static constexpr int kSteps[] = {-2, -1, -1, 1, 1, 2, 0, 3, -3};
        degree = std::clamp(degree + kSteps[rng.Int(0, 8)], -2, 8);
    }
    return m;
}

// The theme (scale, harmony, melodies, home key) comes from the artist, so an
// old song and its remake share their tune; the arrangement (key, tempo,
// grooves, sounds) comes from the song itself.
Plan MakePlan(Rng& theme, Rng& rng, bool remake) {
    Plan p;
    const int homeKey = theme.Int(0, 11);
    p.scale = &kScales[theme.Int(0, static_cast<int>(std::size(kScales)) - 1)];
    const int n = static_cast<int>(std::size(kProgressions));
    const int a = theme.Int(0, n - 1);
    int b = theme.Int(0, n - 1);
    if (b == a) b = (b + 1) % n;
    int c = theme.Int(0, n - 1);
    while (c == a || c == b) c = (c + 1) % n;
    p.prog = {kProgressions[a], kProgressions[b], kProgressions[c]};
    p.motif[0] = MakeMotif(theme, 1.0);
    p.motif[1] = MakeMotif(theme, 1.3);
    p.motif[2] = MakeMotif(theme, 0.5);

    p.root = remake ? (homeKey + rng.Int(1, 11)) % 12 : homeKey;
    p.tempo = remake ? rng.Int(104, 142) : rng.Int(92, 132);
    p.kickStyle = rng.Int(0, 3);
    p.hatStyle = rng.Int(0, 1);
    p.bassStyle = rng.Int(0, 3);
    p.chipArp = rng.Chance(0.5);
    p.vibrato = static_cast<std::uint8_t>((rng.Int(3, 6) << 4) | rng.Int(2, 4));
    return p;
}

struct Writer {
    Pattern& p;
    void Put(int row, int ch, int note, std::uint8_t ins, int vol, Fx fx = Fx::None, std::uint8_t param = 0) {
        if (ch < 0 || row < 0 || row >= p.rows) return;
        Cell& c = p.At(row, ch);
        if (c.note != kNoNote) return;  // first part written to a shared channel wins
        c.note = static_cast<std::uint8_t>(note);
        c.instrument = ins;
        c.volume = vol < 0 ? kNoVolume : static_cast<std::uint8_t>(std::clamp(vol, 0, 64));
        if (fx != Fx::None) {
            c.effect = fx;
            c.param = param;
        }
    }
    void Off(int row, int ch) {
        if (ch < 0 || row < 0 || row >= p.rows) return;
        Cell& c = p.At(row, ch);
        if (c.note == kNoNote) c.note = kNoteOff;
    }
    void Effect(int row, int ch, Fx fx, std::uint8_t param) {
        if (ch < 0 || row < 0 || row >= p.rows) return;
        Cell& c = p.At(row, ch);
        if (c.effect == Fx::None) {
            c.effect = fx;
            c.param = param;
        }
    }
};

struct Features {
    bool kick = false, snare = false, halftime = false, hats = false, hats16 = false;
    bool bass = false, busyBass = false, lead = false, leadFx = false;
    bool arp = false, bellArp = false, pad = false, fadeIn = false, fadeOut = false, fill = false;
    int motif = 0, prog = 0;
};

Features FeaturesOf(Section s) {
    Features f;
    switch (s) {
        case kIntro: f.pad = f.hats = f.arp = f.fadeIn = true; f.prog = 0; break;
        case kVerse: f.kick = f.snare = f.hats = f.bass = f.lead = f.pad = true; break;
        case kVerse2: f.kick = f.snare = f.hats = f.bass = f.lead = f.pad = f.arp = f.fill = true; break;
        case kChorus:
            f.kick = f.snare = f.hats16 = f.bass = f.busyBass = f.lead = f.arp = f.pad = true;
            f.motif = f.prog = 1;
            break;
        case kChorus2:
            f.kick = f.snare = f.hats16 = f.bass = f.busyBass = f.lead = f.arp = f.pad = true;
            f.leadFx = f.fill = true;
            f.motif = f.prog = 1;
            break;
        case kBridge: f.hats = f.bass = f.lead = f.bellArp = f.pad = true; f.motif = f.prog = 2; break;
        case kBridge2:
            f.kick = f.snare = f.halftime = f.hats = f.bass = f.lead = f.bellArp = f.pad = true;
            f.leadFx = f.fill = true;
            f.motif = f.prog = 2;
            break;
        case kOutro: f.kick = f.bass = f.pad = f.lead = f.fadeOut = true; break;
        default: break;
    }
    return f;
}

Pattern MakePattern(Section section, const Plan& plan, const Profile& prof, Rng& rng) {
    Pattern pat(64, prof.channels);
    Writer w{pat};
    const Features f = FeaturesOf(section);
    const Channels& ch = prof.ch;
    const auto& prog = plan.prog[static_cast<std::size_t>(f.prog)];
    // The key's C sits within half an octave of middle C, so parts stay in their ranges.
    const int base = 60 + (plan.root > 6 ? plan.root - 12 : plan.root);
    const int bars = 4;

    static constexpr std::array<std::array<bool, 16>, 4> kKicks = {{
        {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0},
        {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0},
        {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0},
        {1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0},
    }};
    static constexpr std::array<std::array<bool, 16>, 4> kBassSteps = {{
        {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0},
        {1, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0},
        {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0},
        {1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0},
    }};

    for (int bar = 0; bar < bars; ++bar) {
        const int r0 = bar * 16;
        const int chord = prog[static_cast<std::size_t>(bar)];
        const bool lastBar = bar == bars - 1;
        const bool drumsOn = !(section == kOutro && bar >= 2);

        // Drums. The snare goes first so that it wins a shared channel.
        if (f.snare && drumsOn) {
            for (int s : f.halftime ? std::vector<int>{8} : std::vector<int>{4, 12})
                w.Put(r0 + s, ch.snare, kMiddleC, kSnare, 52);
            if (f.fill && lastBar)
                for (int s = 13; s < 16; ++s) w.Put(r0 + s, ch.snare, kMiddleC, kSnare, 24 + 8 * (s - 12));
        }
        if (f.kick && drumsOn)
            for (int s = 0; s < 16; ++s)
                if (kKicks[static_cast<std::size_t>(plan.kickStyle)][static_cast<std::size_t>(s)])
                    w.Put(r0 + s, ch.kick, kMiddleC, kKick, 64);

        // Chip arpeggio or plucked/bell chord tones; they take the hat channel in MOD.
        if (f.arp || f.bellArp) {
            const int t1 = plan.Semis(chord + 2) - plan.Semis(chord);
            const int t2 = plan.Semis(chord + 4) - plan.Semis(chord);
            const int rootNote = prof.arp.Fold(base + plan.Semis(chord));
            if (f.arp && plan.chipArp && section != kIntro) {
                const auto param = static_cast<std::uint8_t>((t1 << 4) | t2);
                for (int s = 0; s < 16; ++s) {
                    if (s % 8 == 0) w.Put(r0 + s, ch.arp, rootNote, kLead, 26, Fx::Arpeggio, param);
                    else w.Effect(r0 + s, ch.arp, Fx::Arpeggio, param);
                }
            } else {
                const int tones[4] = {0, plan.Semis(chord + 2) - plan.Semis(chord),
                                      plan.Semis(chord + 4) - plan.Semis(chord), 12};
                const int stepEvery = f.bellArp ? 4 : (section == kIntro ? 4 : 2);
                const std::uint8_t ins = f.bellArp ? kBell : kPluck;
                const Range& r = f.bellArp ? prof.bell : prof.arp;
                for (int s = 0, i = 0; s < 16; s += stepEvery, ++i)
                    w.Put(r0 + s, ch.arp, r.Fold(rootNote + tones[i % 4]), ins, f.bellArp ? 34 : 40 - 2 * (i % 3));
            }
        }
        if ((f.hats || f.hats16) && drumsOn) {
            for (int s = 0; s < 16; ++s) {
                if (!f.hats16 && s % 2) continue;
                if (section == kIntro && bar < 2) continue;
                const int vol = f.hats16 ? (s % 2 ? 18 : 30) : (s % 4 == 2 ? 34 : 24);
                if (plan.hatStyle == 1 && !f.hats16 && s % 4 == 0) continue;
                w.Put(r0 + s, ch.hat, kMiddleC, kHat, vol);
            }
        }

        // Bass.
        if (f.bass && !(section == kOutro && bar == 3)) {
            const int style = f.busyBass ? (plan.bassStyle + 2) % 4 : plan.bassStyle;
            const auto& steps = kBassSteps[static_cast<std::size_t>(style == 3 && f.busyBass ? 2 : style)];
            const int rootNote = prof.bass.Fold(base - 24 + plan.Semis(chord));
            int last = -1;
            for (int s = 0; s < 16; ++s) {
                if (!steps[static_cast<std::size_t>(s)]) continue;
                int note = rootNote;
                if (s % 8 == 6 && rng.Chance(0.4)) note = prof.bass.Fold(rootNote + plan.Semis(chord + 4) - plan.Semis(chord));
                else if (style == 2 && s % 4 == 2) note = rootNote + 12 <= prof.bass.hi ? rootNote + 12 : rootNote;
                w.Put(r0 + s, ch.bass, note, kBass, 56);
                last = s;
            }
            if (section == kBridge || section == kBridge2) w.Off(r0 + 14, ch.bass);
            else if (last >= 0 && last <= 12) w.Off(r0 + last + 3, ch.bass);
        }

        // Lead melody: the motif over each chord, varied in the third bar and
        // resolved on a long chord tone in the last.
        if (f.lead && !(section == kOutro && bar >= 2)) {
            std::vector<MotifNote> m = plan.motif[static_cast<std::size_t>(f.motif)];
            if (bar == 2 && m.size() > 1) m[static_cast<std::size_t>(rng.Int(1, static_cast<int>(m.size()) - 1))].degree += rng.Chance(0.5) ? 1 : -1;
            if (lastBar) {
                std::vector<MotifNote> cut;
                for (auto n : m)
                    if (n.step < 8) cut.push_back({n.step, std::min(n.len, 8 - n.step), n.degree});
                cut.push_back({8, 8, std::array{0, 2, 4}[static_cast<std::size_t>(rng.Int(0, 2))]});
                m = std::move(cut);
            }
            int prevNote = -1;
            for (const auto& n : m) {
                const int note = prof.lead.Fold(base + plan.Semis(chord + n.degree));
                const int row = r0 + n.step;
                if (f.leadFx && prevNote >= 0 && std::abs(note - prevNote) <= 5 && rng.Chance(0.35)) {
                    w.Put(row, ch.lead, note, kLead, -1, Fx::TonePorta, 0x30);
                } else {
                    w.Put(row, ch.lead, note, kLead, 44);
                }
                if (n.len >= 4)
                    for (int s = 2; s < n.len - 1; ++s) w.Effect(row + s, ch.lead, Fx::Vibrato, plan.vibrato);
                if (n.len >= 6 && !lastBar) w.Off(row + n.len - 1, ch.lead);
                prevNote = note;
            }
        }

        // Pads hold two chord tones through the bar.
        if (f.pad) {
            const int n1 = prof.pad.Fold(base - 12 + plan.Semis(chord));
            const int n2 = prof.pad.Fold(base - 12 + plan.Semis(chord + (bar % 2 ? 4 : 2)));
            const bool fadeIn = f.fadeIn && bar == 0;
            w.Put(r0, ch.pad1, n1, kPad, fadeIn ? 0 : 28);
            w.Put(r0, ch.pad2, n2, kPad, fadeIn ? 0 : 24);
            for (int s = 1; s < 16; ++s) {
                if (fadeIn && s < 12) {
                    w.Effect(r0 + s, ch.pad1, Fx::VolSlide, 0x10);
                    w.Effect(r0 + s, ch.pad2, Fx::VolSlide, 0x10);
                }
                if (f.fadeOut && bar >= 1) {
                    w.Effect(r0 + s, ch.pad1, Fx::VolSlide, 0x01);
                    w.Effect(r0 + s, ch.pad2, Fx::VolSlide, 0x01);
                }
            }
        }
    }
    // The intro of a four-channel song has no pad: the bass carries it in.
    if (section == kIntro && ch.pad1 < 0) {
        const int rootNote = prof.bass.Fold(base - 24 + plan.Semis(prog[0]));
        for (int bar = 0; bar < bars; ++bar)
            w.Put(bar * 16, ch.bass, prof.bass.Fold(rootNote + plan.Semis(prog[static_cast<std::size_t>(bar)]) - plan.Semis(prog[0])), kBass, 40);
    }
    return pat;
}

std::vector<std::uint8_t> MakeOrders(int count) {
    static constexpr Section kBody[] = {kVerse, kVerse2, kChorus, kChorus2, kVerse, kVerse2,
                                        kBridge, kBridge2, kChorus, kChorus2, kChorus, kChorus2};
    std::vector<std::uint8_t> orders{kIntro};
    for (int i = 0; i < count - 2; ++i) orders.push_back(static_cast<std::uint8_t>(kBody[i % std::size(kBody)]));
    orders.push_back(kOutro);
    return orders;
}

const char* Pick(Rng& rng, std::initializer_list<const char*> names) {
    return names.begin()[rng.Int(0, static_cast<int>(names.size()) - 1)];
}

// The sounds, with names a tracker musician might give them.
std::vector<Sample> MakeSounds(const Profile& prof, Rng& rng) {
    std::vector<Sample> s;
    s.push_back(synth::Kick(prof.voice, rng));
    s.back().name = Pick(rng, {"kick", "bassdrum", "bd dry", "kick low"});
    s.push_back(synth::Snare(prof.voice, rng));
    s.back().name = Pick(rng, {"snare", "sd tight", "snare room", "snr"});
    s.push_back(synth::HiHat(prof.voice, rng));
    s.back().name = Pick(rng, {"hihat", "hat closed", "hh", "tick"});
    s.push_back(synth::Bass(prof.voice, rng));
    s.back().name = Pick(rng, {"bass", "saw bass", "sub bass", "bass pulse"});
    s.push_back(synth::Lead(prof.voice, rng));
    s.back().name = Pick(rng, {"lead", "square lead", "pulse lead", "chip lead"});
    s.push_back(synth::Pluck(prof.voice, rng));
    s.back().name = Pick(rng, {"pluck", "string pluck", "koto-ish", "harp"});
    s.push_back(synth::Pad(prof.voice, rng));
    s.back().name = Pick(rng, {"pad", "warm pad", "strings", "choir-ish pad"});
    s.push_back(synth::Bell(prof.voice, rng));
    s.back().name = Pick(rng, {"bell", "fm bell", "glass bell", "chime"});
    s[kBass - 1].volume = 60;
    s[kHat - 1].volume = 48;
    s[kPad - 1].volume = 52;
    return s;
}

std::string Message(const SongRequest& r, const Plan& plan, const Song& song, const std::string& oldCaption,
                    Rng& rng) {
    static constexpr const char* kThoughts[] = {
        "Written late at night with the volume turned down low.",
        "The bass line came first; everything else grew around it.",
        "Best heard loud, in the dark, with the window open.",
        "The melody is older than the drums. It waited years for them.",
        "No loops were borrowed: every wave was drawn from numbers.",
        "Dedicated to the people who kept the old boards running.",
        "This one is for long train rides and short winter days.",
        "If it sounds cold, blame the weather that month.",
        "The pads are slow on purpose. Let them breathe.",
        "Turn the lights off and follow the arpeggios.",
    };
    constexpr int kThoughtCount = static_cast<int>(std::size(kThoughts));
    std::string m;
    auto line = [&m](const std::string& s) { m += s.substr(0, 79) + '\r'; };
    line(r.title);
    line("by " + r.artist);
    line(std::string(std::min<std::size_t>(r.title.size() + 3 + r.artist.size(), 40), '-'));
    line("");
    if (r.remake) {
        line("The 2002 remake, made for the Hollowmere music disk.");
        if (!oldCaption.empty()) line("The tune is the one from " + oldCaption + "; the sounds are new.");
    } else {
        line("The original, written " + r.written + ", restored for Hollowmere.");
    }
    line("");
    const int first = rng.Int(0, kThoughtCount - 1);
    const int second = (first + rng.Int(1, kThoughtCount - 1)) % kThoughtCount;
    line(kThoughts[first]);
    line(kThoughts[second]);
    line("");
    line(std::string("Key of ") + kKeyNames[plan.root] + " " + plan.scale->name + ", " +
         std::to_string(plan.tempo) + " bpm, " + std::to_string(song.channels) + " channels, " +
         std::to_string(song.orders.size()) + " orders.");
    line("Every sound here was built from scratch: waves, plucks, pads and");
    line("drums cut from plain noise.");
    line("");
    line("Greetings to the other nine artists on this disk,");
    line("and to everyone who still keeps a tracker around.");
    line("");
    line("-- " + r.artist);
    return m;
}

}  // namespace

double Duration(const Song& song) {
    double seconds = 0.0;
    for (auto o : song.orders) seconds += song.patterns.at(o).rows * song.speed * 2.5 / song.tempo;
    return seconds;
}

Song Compose(const SongRequest& r) {
    Rng rng(r.seed);
    Rng theme(r.themeSeed);
    const Profile prof = ProfileFor(r.format);
    const Plan plan = MakePlan(theme, rng, r.remake);

    Song song;
    song.title = r.title;
    song.channels = prof.channels;
    song.speed = 6;
    song.tempo = plan.tempo;
    if (prof.channels == 8) song.channelPan = {32, 36, 44, 30, 26, 46, 14, 50};

    // Length: 12 or more patterns of 16 beats, about 1:30 to 2:40, at most 2:55;
    // the remakes run longer.
    const double patternSeconds = 64.0 * song.speed * 2.5 / song.tempo;
    const double target = r.remake ? rng.Range(125, 160) : rng.Range(90, 130);
    int count = static_cast<int>(std::lround(target / patternSeconds));
    count = std::clamp(count, 12, static_cast<int>(175.0 / patternSeconds));
    song.orders = MakeOrders(count);
    for (int s = 0; s < kSectionCount; ++s)
        song.patterns.push_back(MakePattern(static_cast<Section>(s), plan, prof, rng));

    std::vector<Sample> sounds = MakeSounds(prof, rng);
    const bool named = r.format != app::ModFormat::IT;
    if (named && r.names.size() < kSoundCount)
        throw FormatError("a song needs at least 8 name lines for its sounds");

    switch (r.format) {
        case app::ModFormat::MOD:
        case app::ModFormat::S3M:
            // The name lines become the sample names; the sounds fill the first slots.
            for (std::size_t i = 0; i < r.names.size(); ++i) {
                Sample s = i < sounds.size() ? sounds[i] : Sample{};
                s.name = std::string(r.names[i]);
                song.samples.push_back(std::move(s));
            }
            break;
        case app::ModFormat::XM:
            song.samples = sounds;
            for (std::size_t i = 0; i < r.names.size(); ++i) {
                Instrument in;
                in.name = std::string(r.names[i]);
                if (i < sounds.size()) in.sample = static_cast<int>(i);
                song.instruments.push_back(std::move(in));
            }
            break;
        case app::ModFormat::IT: {
            song.samples = sounds;
            for (auto& s : song.samples) s.fileName = s.name.substr(0, 8) + ".raw";
            static constexpr const char* kInstrumentNames[kSoundCount] = {
                "Kick", "Snare", "Hi-hat", "Bass", "Lead", "Pluck", "Pad", "Bell"};
            for (std::size_t i = 0; i < sounds.size(); ++i) {
                Instrument in;
                in.name = std::string(kInstrumentNames[i]) + " - " + sounds[i].name;
                in.sample = static_cast<int>(i);
                song.instruments.push_back(std::move(in));
            }
            // Name-only entries carry the credits, as trackers have always done.
            for (const std::string& text : {std::string(" "), r.title, "by " + r.artist,
                                            r.remake ? std::string("remade 2002") : "written " + r.written}) {
                Sample s;
                s.name = text;
                song.samples.push_back(s);
            }
            for (const std::string& text : {std::string(" "), std::string("Hollowmere"),
                                            std::string("korvane music disk")}) {
                Instrument in;
                in.name = text;
                song.instruments.push_back(in);
            }
            break;
        }
    }
    // Envelopes so that key off releases the held sounds softly.
    for (auto& in : song.instruments) {
        if (in.sample == kBass - 1) { in.volumeEnvelope = {{0, 64}, {4, 56}}; in.sustainPoint = 1; in.fadeout = 2048; }
        if (in.sample == kLead - 1) { in.volumeEnvelope = {{0, 64}, {6, 52}}; in.sustainPoint = 1; in.fadeout = 1536; }
        if (in.sample == kPad - 1) { in.volumeEnvelope = {{0, 8}, {24, 64}}; in.sustainPoint = 1; in.fadeout = 512; }
    }
    if (r.format == app::ModFormat::IT) song.message = Message(r, plan, song, r.oldCaption, rng);
    return song;
}

std::vector<std::uint8_t> Encode(const Song& song, app::ModFormat format) {
    switch (format) {
        case app::ModFormat::IT: return WriteIt(song);
        case app::ModFormat::XM: return WriteXm(song);
        case app::ModFormat::S3M: return WriteS3m(song);
        case app::ModFormat::MOD: return WriteMod(song);
    }
    throw FormatError("unknown module format");
}

}  // namespace content
