// The song's effects as the four formats write them: one table for all the
// module writers, so an effect reads the same in every file of a song.
#pragma once

#include <cstdint>
#include <utility>

#include "content/modules/Song.h"

namespace content {

enum class FxFormat : std::uint8_t { Mod, Xm, S3m, It };

// The format's effect command and parameter for an effect: ProTracker's
// numbers for MOD and XM, the letter number (A = 1) for S3M and IT. Fx::None
// gives {0, 0}.
std::pair<std::uint8_t, std::uint8_t> EncodeEffect(Fx fx, std::uint8_t param, FxFormat format);

}  // namespace content
