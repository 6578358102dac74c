#include "content/pictures/Artists.h"

#include <stdexcept>
#include <string_view>

#include "catalogue/Catalogue.h"

namespace content::pic {

namespace {

struct ButtonGeometry {
  std::string_view button;
  int ctrlLeft, ctrlTop, ctrlWidth, ctrlHeight;
  int picWidth, picHeight;
};

// The main menu's hot images: control rectangle and picture size.
constexpr ButtonGeometry kButtons[] = {
    {"btn_orvek", 0, 96, 209, 33, 210, 26},     {"btn_lund", -1, 123, 211, 37, 212, 30},
    {"btn_peltrin", -1, 151, 214, 37, 213, 29}, {"SkHotImage4", -1, 184, 214, 29, 213, 29},
    {"btn_moor", -1, 212, 214, 29, 213, 25},    {"btn_zind", -1, 235, 218, 38, 213, 28},
    {"btn_caulfer", -1, 267, 218, 30, 213, 30}, {"btn_vespera", -1, 295, 218, 30, 213, 28},
    {"btn_ubrin", -1, 323, 218, 30, 213, 28},   {"btn_tam", -1, 351, 218, 30, 213, 28},
};

std::vector<ArtistArt> Build() {
  std::vector<ArtistArt> out;
  for (const app::ArtistEntry& e : app::Artists()) {
    const ButtonGeometry* g = nullptr;
    for (const ButtonGeometry& b : kButtons)
      if (b.button == e.button) g = &b;
    if (!g) throw std::logic_error("no button geometry for " + std::string(e.button));
    out.push_back({std::string(e.stem), std::string(e.caption), std::string(e.songTitle), std::string(e.oldSongCaption),
                   std::string(e.button), g->ctrlLeft, g->ctrlTop, g->ctrlWidth, g->ctrlHeight, g->picWidth,
                   g->picHeight});
  }
  return out;
}

}  // namespace

const std::vector<ArtistArt>& Artists() {
  static const std::vector<ArtistArt> artists = Build();
  return artists;
}

}  // namespace content::pic
