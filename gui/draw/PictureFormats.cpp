#include "gui/draw/detail/PictureFormats.h"

#include "gui/draw/Jpeg.h"

namespace gui::detail {

std::span<const PictureFormat> BuiltInPictureFormats() {
    static const PictureFormat formats[] = {
        {"BM", [] { return std::unique_ptr<TGraphic>(std::make_unique<TBitmap>()); }},
        {"\xFF\xD8\xFF", [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); }},
    };
    return formats;
}

}  // namespace gui::detail
