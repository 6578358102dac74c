// Program resources (bitmaps, cursors, JPEG artwork) embedded in the binary.
// CMake: gui_add_resources(<target> PREFIX <kind> FILES a.bmp b.cur ...)
// embeds each file as resource <kind>/<NAME>, NAME being the file name
// without extension in upper case ("w95_htb.bmp" -> "W95_HTB", "1001.bmp"
// -> "1001").
#pragma once

#include <cstdint>
#include <vector>

#include "gui/base/Types.h"

namespace gui {

// Resource kinds (the PREFIX given to gui_add_resources).
inline const String RT_BITMAP = "BITMAP";
inline const String RT_CURSOR = "CURSOR";
inline const String RT_RCDATA = "RCDATA";
inline const String RT_JPEG = "JPEG";

class EResNotFound : public Exception {
    using Exception::Exception;
};

// Looks up a resource by name (case-insensitive) or decimal number.
bool FindResource(const String& nameOrNumber, const String& kind, std::vector<std::uint8_t>& out);
// As FindResource, raising EResNotFound "Resource %s not found" when absent.
std::vector<std::uint8_t> LoadResource(const String& nameOrNumber, const String& kind);
// Names of the resources of one kind, sorted.
std::vector<String> ResourceNames(const String& kind);

}  // namespace gui
