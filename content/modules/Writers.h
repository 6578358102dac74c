// The module writers. Each turns a Song into the bytes of one file format and
// throws FormatError when the song does not fit that format.
#pragma once

#include <cstdint>
#include <vector>

#include "content/modules/ItFile.h"
#include "content/modules/Song.h"

namespace content {

using it::WriteIt;

// FastTracker 2 XM (version 1.04). Every instrument with a sample carries it
// as its only sample; name-only instruments have none.
std::vector<std::uint8_t> WriteXm(const Song& song);

// Scream Tracker 3 S3M. Cells name samples (1-based) as instruments.
std::vector<std::uint8_t> WriteS3m(const Song& song);

// ProTracker MOD, four channels ("M.K."), 31 samples. Cells name samples;
// notes must lie in ProTracker's three octaves (48..83), volumes become Cxx.
std::vector<std::uint8_t> WriteMod(const Song& song);

}  // namespace content
