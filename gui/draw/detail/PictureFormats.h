// The picture formats the drawing floor reads by itself, known by their first
// bytes. TPicture asks this table (and the formats the program registers), so
// the picture class knows no format's code.
#pragma once

#include <span>
#include <string>

#include "gui/draw/Graphics.h"

namespace gui::detail {

struct PictureFormat {
    std::string signature;
    TPicture::TGraphicFactory make;
};

std::span<const PictureFormat> BuiltInPictureFormats();

}  // namespace gui::detail
