// The ten artists as the pictures and pages need them: the catalogue's names
// joined with the main menu's button geometry, which only the artwork needs.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace content::pic {

struct ArtistArt {
  std::string stem;     // page "<stem>.html", modules "<stem>1.*", "<stem>2.*"
  std::string name;     // Bio window caption
  std::string song;     // song title of both songs
  std::string oldDate;  // caption of the old song
  std::string button;   // main menu component
  int ctrlLeft, ctrlTop, ctrlWidth, ctrlHeight;
  int picWidth, picHeight;
};

// In catalogue slot order. Throws std::logic_error when the catalogue names a
// button that has no geometry here.
const std::vector<ArtistArt>& Artists();

// Where a centred picture lands inside its control (integer division, as the
// hot image control centres it).
inline int PicLeft(const ArtistArt& a) { return a.ctrlLeft + (a.ctrlWidth - a.picWidth) / 2; }
inline int PicTop(const ArtistArt& a) { return a.ctrlTop + (a.ctrlHeight - a.picHeight) / 2; }

// Main menu geometry.
inline constexpr int kMenuWidth = 294;
inline constexpr int kMenuHeight = 441;
struct LabelBox {
  const char* caption;
  int left, top, width, height;
};
inline constexpr std::array<LabelBox, 4> kMenuLabels = {{
    {"Info", 20, 388, 25, 13},
    {"Covers", 60, 388, 45, 13},
    {"Min", 220, 388, 25, 13},
    {"Exit", 252, 388, 25, 13},
}};

}  // namespace content::pic
