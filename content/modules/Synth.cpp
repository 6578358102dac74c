#include "content/modules/Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace content::synth {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

Sample Make(const Voice& v, std::vector<double> x, std::uint32_t rate) {
    Sample s;
    s.pcm = ToPcm(x);
    s.sixteenBit = v.sixteenBit;
    s.rate = rate;
    return s;
}

void Loop(Sample& s, std::size_t start, std::size_t end) {
    s.loop = true;
    s.loopStart = static_cast<std::uint32_t>(start);
    s.loopEnd = static_cast<std::uint32_t>(end);
}

// One cycle (length `cycle`) of a band-limited wave with the given harmonic
// amplitudes; amp[k] is the amplitude of harmonic k+1.
void AddCycle(std::vector<double>& out, int cycle, const std::vector<double>& amp, double phase0 = 0.0) {
    for (int i = 0; i < cycle; ++i) {
        double acc = 0.0;
        for (std::size_t k = 0; k < amp.size(); ++k)
            acc += amp[k] * std::sin(kTwoPi * static_cast<double>(k + 1) * i / cycle + phase0 * static_cast<double>(k + 1));
        out.push_back(acc);
    }
}

// Harmonic amplitudes of a saw (odd and even) or a pulse of the given duty,
// rolled off above `bright` harmonics, below Nyquist for the cycle length.
std::vector<double> Harmonics(int cycle, double duty, double bright) {
    std::vector<double> amp;
    const int top = cycle / 2 - 1;
    for (int k = 1; k <= top; ++k) {
        double a = duty <= 0.0 ? 1.0 / k : std::sin(std::numbers::pi * k * duty) / k;
        a /= 1.0 + std::pow(k / bright, 2.0);
        amp.push_back(a);
    }
    return amp;
}

}  // namespace

std::uint32_t Voice::Rate() const {
    return static_cast<std::uint32_t>(std::lround(cycle * kMiddleCHz));
}

std::vector<std::int16_t> ToPcm(const std::vector<double>& x) {
    double peak = 1e-9;
    for (double v : x) peak = std::max(peak, std::abs(v));
    const double gain = 0.9 * 32767.0 / peak;
    std::vector<std::int16_t> out;
    out.reserve(x.size());
    for (double v : x)
        out.push_back(static_cast<std::int16_t>(std::clamp(std::lround(v * gain), -32767l, 32767l)));
    return out;
}

Sample Kick(const Voice& v, Rng& rng) {
    const double rate = v.Rate();
    const double f0 = rng.Range(110, 170), f1 = rng.Range(42, 56);
    const double sweep = rng.Range(18, 35), decay = rng.Range(6, 10);
    const double click = rng.Range(0.1, 0.4);
    const auto n = static_cast<std::size_t>(rate * 0.32);
    std::vector<double> x(n);
    double phase = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = i / rate;
        phase += kTwoPi * (f1 + (f0 - f1) * std::exp(-t * sweep)) / rate;
        x[i] = std::sin(phase) * std::exp(-t * decay) + click * rng.Noise() * std::exp(-t * 250);
        x[i] = std::tanh(1.5 * x[i]);
    }
    return Make(v, std::move(x), v.Rate());
}

Sample Snare(const Voice& v, Rng& rng) {
    const double rate = v.Rate();
    const double tone = rng.Range(170, 230), noiseDecay = rng.Range(11, 18);
    const double toneMix = rng.Range(0.3, 0.7), colour = rng.Range(0.3, 0.7);
    const auto n = static_cast<std::size_t>(rate * 0.26);
    std::vector<double> x(n);
    double lp = 0.0, prev = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = i / rate;
        const double w = rng.Noise();
        lp += colour * (w - lp);       // darker noise
        const double hp = lp - prev;  // with the lowest rumble taken out
        prev = lp;
        x[i] = (lp * 0.6 + hp) * std::exp(-t * noiseDecay) +
               toneMix * std::sin(kTwoPi * tone * t) * std::exp(-t * 25);
    }
    return Make(v, std::move(x), v.Rate());
}

Sample HiHat(const Voice& v, Rng& rng) {
    const double rate = v.Rate();
    const double decay = rng.Range(35, 60);
    const auto n = static_cast<std::size_t>(rate * 0.09);
    std::vector<double> x(n);
    double prev = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double w = rng.Noise();
        x[i] = (w - prev) * std::exp(-(i / rate) * decay);
        prev = w;
    }
    return Make(v, std::move(x), v.Rate());
}

Sample Bass(const Voice& v, Rng& rng) {
    const double duty = rng.Chance(0.5) ? 0.0 : rng.Range(0.3, 0.5);
    const double bright = rng.Range(3, 7);
    std::vector<double> x;
    // A brighter attack that settles into the looped last cycle.
    const int attackCycles = 12;
    for (int c = 0; c <= attackCycles; ++c) {
        const double b = bright * (1.0 + 2.5 * (attackCycles - c) / attackCycles);
        AddCycle(x, v.cycle, Harmonics(v.cycle, duty, b));
    }
    Sample s = Make(v, std::move(x), v.Rate());
    Loop(s, static_cast<std::size_t>(attackCycles * v.cycle), s.pcm.size());
    return s;
}

Sample Lead(const Voice& v, Rng& rng) {
    const double duty = rng.Range(0.12, 0.5);
    const double bright = rng.Range(5, 14);
    const int cycles = 64;  // a slow built-in chorus: a second voice one cycle ahead over the loop
    std::vector<double> x;
    const auto a = Harmonics(v.cycle, duty, bright);
    for (int c = 0; c < cycles; ++c) {
        for (int i = 0; i < v.cycle; ++i) {
            const double ph = static_cast<double>(c * v.cycle + i) / v.cycle;
            double acc = 0.0;
            for (std::size_t k = 0; k < a.size(); ++k) {
                const double h = static_cast<double>(k + 1);
                acc += a[k] * (std::sin(kTwoPi * h * ph) +
                               0.5 * std::sin(kTwoPi * h * ph * (cycles + 1.0) / cycles));
            }
            x.push_back(acc);
        }
    }
    Sample s = Make(v, std::move(x), v.Rate());
    Loop(s, 0, s.pcm.size());
    return s;
}

Sample Pluck(const Voice& v, Rng& rng) {
    // Karplus-Strong: a noise burst in a delay line of one cycle, averaged.
    const double rate = v.Rate();
    const double damp = rng.Range(0.992, 0.998);
    const auto n = static_cast<std::size_t>(rate * 0.8);
    const auto len = static_cast<std::size_t>(v.cycle);
    std::vector<double> x(n);
    double lp = 0.0;
    for (std::size_t i = 0; i < len; ++i) {
        lp += 0.6 * (rng.Noise() - lp);
        x[i] = lp;
    }
    for (std::size_t i = len; i < n; ++i) {
        const double older = i >= len + 1 ? x[i - len - 1] : 0.0;
        x[i] = damp * 0.5 * (x[i - len] + older);
    }
    for (std::size_t i = n * 9 / 10; i < n; ++i) x[i] *= static_cast<double>(n - i) / (n / 10.0);
    // The averaging delays by half a sample more than one cycle.
    const auto tuned = static_cast<std::uint32_t>(std::lround((v.cycle + 0.5) * kMiddleCHz));
    return Make(v, std::move(x), tuned);
}

Sample Pad(const Voice& v, Rng& rng) {
    // Three saws detuned by whole cycles over a long loop, so the loop is seamless.
    const int cycles = 96;
    const double bright = rng.Range(2.5, 5);
    const double spread = rng.Int(1, 2);
    const auto a = Harmonics(v.cycle, 0.0, bright);
    std::vector<double> x;
    x.reserve(static_cast<std::size_t>(cycles * v.cycle));
    for (int c = 0; c < cycles; ++c) {
        for (int i = 0; i < v.cycle; ++i) {
            const double ph = static_cast<double>(c * v.cycle + i) / v.cycle;
            double acc = 0.0;
            for (std::size_t k = 0; k < a.size(); ++k) {
                const double h = static_cast<double>(k + 1);
                acc += a[k] * (std::sin(kTwoPi * h * ph) +
                               std::sin(kTwoPi * h * ph * (cycles + spread) / cycles + 1.0) +
                               std::sin(kTwoPi * h * ph * (cycles - spread) / cycles + 2.0));
            }
            x.push_back(acc);
        }
    }
    Sample s = Make(v, std::move(x), v.Rate());
    Loop(s, 0, s.pcm.size());
    return s;
}

Sample Bell(const Voice& v, Rng& rng) {
    const double rate = v.Rate();
    const double f = kMiddleCHz;
    const double ratio = rng.Chance(0.5) ? 3.5 : 2.76;
    const double index = rng.Range(1.5, 3.5), decay = rng.Range(2.5, 4.5);
    const auto n = static_cast<std::size_t>(rate * 1.1);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = i / rate;
        const double mod = index * std::exp(-t * 3) * std::sin(kTwoPi * f * ratio * t);
        x[i] = std::sin(kTwoPi * f * t + mod) * std::exp(-t * decay) * std::min(1.0, t * 400);
    }
    return Make(v, std::move(x), v.Rate());
}

}  // namespace content::synth
