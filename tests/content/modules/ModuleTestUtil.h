// Shared helpers of the module tests: loading through libopenmpt and
// measuring what it plays.
#pragma once

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace modtest {

inline std::unique_ptr<openmpt::module> Load(const std::vector<std::uint8_t>& bytes) {
    return std::make_unique<openmpt::module>(bytes);
}

inline std::string TrimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// Renders mono at `rate` for `seconds` (or to the end).
inline std::vector<float> Render(openmpt::module& m, int rate, double seconds) {
    std::vector<float> out;
    std::vector<float> buf(4096);
    const auto want = static_cast<std::size_t>(rate * seconds);
    while (out.size() < want) {
        const std::size_t n = m.read(rate, std::min(buf.size(), want - out.size()), buf.data());
        if (n == 0) break;
        out.insert(out.end(), buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return out;
}

// Frequency from upward zero crossings, skipping the first tenth of a second.
inline double Frequency(const std::vector<float>& x, int rate) {
    const std::size_t start = static_cast<std::size_t>(rate / 10);
    std::size_t first = 0, last = 0;
    int crossings = 0;
    for (std::size_t i = start + 1; i < x.size(); ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            if (crossings == 0) first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first);
}

inline double Rms(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double s = 0.0;
    for (std::size_t i = from; i < to; ++i) s += static_cast<double>(x[i]) * x[i];
    return to > from ? std::sqrt(s / static_cast<double>(to - from)) : 0.0;
}

}  // namespace modtest
