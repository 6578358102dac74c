// GIF decoding: the scan pass, the full decode, the dithered and the mapped
// paths, and stepping the animation through every frame.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "htmlview/GifImage.h"
#include "htmlview/HtmlSupport.h"

using namespace htmlview;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static gui::PALETTEENTRY palette[256];
    static bool init = [] {
        gui::PALETTEENTRY sys[256] = {};
        BuildSharedPaletteEntries(sys, palette);
        return true;
    }();
    (void)init;
    const bool eightBit = size > 0 && (data[size - 1] & 1);
    bool single = false;
    std::unique_ptr<TGIFImage> gif = GIFFromBytes(data, size, single, eightBit ? 8 : 24, palette, 256);
    if (!gif) return 0;
    std::uint32_t now = 0;
    gif->SetClock([&] { return now; });
    gif->SetAnimating(true);
    for (int i = 0; i < 2 * gif->FrameCount() + 2 && gif->Animating(); ++i) {
        now += 100000;
        gif->AnimationStep(nullptr);
    }
    TGIFImage copy(*gif);
    copy.SetCurrentFrame(copy.FrameCount());
    (void)copy.RenderComposite(0);
    return 0;
}
