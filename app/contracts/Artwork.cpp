#include "app/contracts/Artwork.h"

#include <vector>

#include "gui/draw/Jpeg.h"
#include "gui/base/Resources.h"

namespace app {

bool LoadArtworkBitmap(const gui::String& Name, gui::TBitmap* Target) {
    std::vector<std::uint8_t> data;
    if (!Target || !gui::FindResource(Name, gui::RT_BITMAP, data) || data.empty()) return false;
    gui::TBitmap loaded;
    try {
        loaded.LoadFromBytes(data.data(), data.size());
    } catch (const gui::Exception&) {
        return false;  // a damaged picture leaves the control plain rather than stopping start-up
    }
    Target->Assign(&loaded);
    return true;
}

bool LoadArtworkJpeg(const gui::String& Name, gui::TPicture* Target) {
    std::vector<std::uint8_t> data;
    if (!Target || !gui::FindResource(Name, gui::RT_JPEG, data) || data.empty()) return false;
    gui::TJPEGImage jpeg;
    try {
        jpeg.LoadFromBytes(data.data(), data.size());
    } catch (const gui::Exception&) {
        return false;
    }
    Target->SetGraphic(&jpeg);
    return true;
}

}  // namespace app
