// The pictures that the release's pages and windows show.
#pragma once

#include <string>
#include <vector>

#include "content/pictures/Codecs.h"
#include "content/pictures/Raster.h"

namespace content::pic {

// The colour transparent GIF edges are blended against: the pages' darkest
// common background.
inline constexpr Rgb kPageBack{14, 13, 10};

struct PictureFile {
  std::string name;
  Bytes data;
};

// Every picture the pages use, plus the panel and cover JPEGs.
std::vector<PictureFile> PagePictures();

Image ArtistPortrait(int index);
Image FrontCover();
Image BackCover();

}  // namespace content::pic
