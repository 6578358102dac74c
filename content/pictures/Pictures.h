// The release's pages and pictures, and the program's own artwork.
#pragma once

#include <string>

namespace content {

// The ten biography pages, "_korvane_index.htm", the pictures they show and
// the panel and cover JPEGs, written into outDir.
void WritePagesAndPictures(const std::string& outDir);

// The program's embedded artwork (splash, menu background and mask, artist
// buttons, panel picture, slider bitmaps, viewer bitmaps and cursors), written
// into outDir for the GUI layer's resource compiler.
void WriteArtwork(const std::string& outDir);

}  // namespace content
