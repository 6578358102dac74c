// The program's own artwork, embedded in the binary (the menu's pictures and
// mask, the button pictures, the splash and the Bio panel pictures).
#pragma once

#include "gui/draw/Graphics.h"
#include "gui/base/Types.h"

namespace app {

// Loads embedded BMP artwork NAME into Target. False, leaving Target as it
// was, when the build embedded no such picture or its data is unusable.
bool LoadArtworkBitmap(const gui::String& Name, gui::TBitmap* Target);
// Loads embedded JPEG artwork NAME into Target, with the same rule.
bool LoadArtworkJpeg(const gui::String& Name, gui::TPicture* Target);

}  // namespace app
