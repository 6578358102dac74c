#include "content/modules/Effects.h"

#include <algorithm>
#include <array>

namespace content {
namespace {

// Command numbers by effect, in Fx's order: ProTracker's (MOD, XM) and
// Scream Tracker's letters (S3M, IT).
struct FxCodes {
    Fx fx;
    std::uint8_t protracker;
    std::uint8_t letter;
};
constexpr std::array<FxCodes, 12> kCodes{{
    {Fx::None, 0x0, 0},
    {Fx::Arpeggio, 0x0, 10},      // J
    {Fx::PortaUp, 0x1, 6},        // F
    {Fx::PortaDown, 0x2, 5},      // E
    {Fx::TonePorta, 0x3, 7},      // G
    {Fx::Vibrato, 0x4, 8},        // H
    {Fx::VolSlide, 0xA, 4},       // D
    {Fx::SetSpeed, 0xF, 1},       // A
    {Fx::SetTempo, 0xF, 20},      // T
    {Fx::PatternBreak, 0xD, 3},   // C
    {Fx::PositionJump, 0xB, 2},   // B
    {Fx::Panning, 0x8, 24},       // X
}};

constexpr bool InFxOrder() {
    for (std::size_t i = 0; i < kCodes.size(); ++i)
        if (static_cast<std::size_t>(kCodes[i].fx) != i) return false;
    return true;
}
static_assert(InFxOrder(), "kCodes follows Fx's order");

std::uint8_t Decimal(std::uint8_t row) {
    return static_cast<std::uint8_t>(((row / 10) << 4) | (row % 10));
}

std::uint8_t Param(Fx fx, std::uint8_t param, FxFormat format) {
    const bool protracker = format == FxFormat::Mod || format == FxFormat::Xm;
    switch (fx) {
        case Fx::PortaUp:
        case Fx::PortaDown:
            // Scream Tracker reads Ex and Fx above DF as fine slides.
            return protracker ? param : std::min<std::uint8_t>(param, 0xDF);
        case Fx::VolSlide: {
            // One direction only (up wins); Scream Tracker reads an F nibble as "fine".
            const unsigned up = param >> 4, down = param & 0x0F;
            if (protracker) return up ? static_cast<std::uint8_t>(param & 0xF0) : param;
            return static_cast<std::uint8_t>(up ? std::min(up, 0xEu) << 4 : std::min(down, 0xEu));
        }
        case Fx::SetSpeed: return protracker ? std::clamp<std::uint8_t>(param, 1, 31) : param;
        case Fx::SetTempo: return std::max<std::uint8_t>(param, format == FxFormat::S3m ? 33 : 32);
        case Fx::PatternBreak: return format == FxFormat::It ? param : Decimal(param);  // IT alone counts in binary
        case Fx::Panning: return format == FxFormat::S3m ? static_cast<std::uint8_t>(param / 2) : param;  // S3M: 0..0x80
        default: return param;
    }
}

}  // namespace

std::pair<std::uint8_t, std::uint8_t> EncodeEffect(Fx fx, std::uint8_t param, FxFormat format) {
    const auto i = static_cast<std::size_t>(fx);
    if (fx == Fx::None || i >= kCodes.size()) return {0, 0};
    const bool protracker = format == FxFormat::Mod || format == FxFormat::Xm;
    return {protracker ? kCodes[i].protracker : kCodes[i].letter, Param(fx, param, format)};
}

}  // namespace content
