// The picture loader: type detection, BMP, JPEG and GIF through the
// drawing layer, masks and the GIF transparent-colour probe.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "gui/base/Classes.h"
#include "gui/draw/Graphics.h"
#include "htmlview/HtmlSupport.h"

using namespace htmlview;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Held for the whole run, like a program that shows pages.
    static const std::shared_ptr<THtmlContext> context = THtmlContext::Acquire();
    gui::TColor c = 0;
    GetGIFTransparentColor(data, size, c);
    std::unique_ptr<gui::TBitmap> bmp = GetBitmapFromBytes(data, size, true);
    if (bmp) GetImageMask(bmp.get(), false, 0);
    gui::TMemoryStream stream;
    if (size > 0) stream.Write(data, static_cast<int>(size));
    int kind = 1;
    GetImageAndMaskFromStream(&stream, kind);
    return 0;
}
