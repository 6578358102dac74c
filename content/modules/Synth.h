// Sound synthesis for the composer: drums from noise, waves, plucks, pads and
// bells, all made from a seeded generator so that a seed gives the same sound.
#pragma once

#include <cstdint>
#include <vector>

#include "content/modules/Song.h"

namespace content::synth {

// SplitMix64: small, fast and the same everywhere.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    // Uniform integer in [lo, hi].
    int Int(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    bool Chance(double p) { return Unit() < p; }
    double Noise() { return 2.0 * Unit() - 1.0; }

private:
    std::uint64_t state_;
};

// Middle C in Hz; every pitched sample sounds this note at its rate.
constexpr double kMiddleCHz = 261.6255653;

// Samples per cycle of middle C at a sample's rate: 64 for 16-bit songs,
// 32 for 8-bit ones. The rate is cycle * kMiddleCHz.
struct Voice {
    int cycle = 64;
    bool sixteenBit = true;
    std::uint32_t Rate() const;
};

Sample Kick(const Voice& v, Rng& rng);
Sample Snare(const Voice& v, Rng& rng);
Sample HiHat(const Voice& v, Rng& rng);
Sample Bass(const Voice& v, Rng& rng);
Sample Lead(const Voice& v, Rng& rng);
Sample Pluck(const Voice& v, Rng& rng);
Sample Pad(const Voice& v, Rng& rng);
Sample Bell(const Voice& v, Rng& rng);

// Scales float samples in [-1, 1]-ish to a peak of 90% and stores them.
std::vector<std::int16_t> ToPcm(const std::vector<double>& x);

}  // namespace content::synth
