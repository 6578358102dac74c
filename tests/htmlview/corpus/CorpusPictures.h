// The pictures of the page corpus, made from their names, so the corpus
// holds no binary files:
//   NAME-WxH.gif / .jpg / .bmp   a W x H picture (a framed, striped plate;
//                                a GIF whose name holds "anim" has 2 frames)
//   spacer*, clear*, dot*        a transparent GIF, 1 x 1 or -WxH
// Any other name has no picture (a missing file). Sizes are held to
// 1..1024 so that fuzzed names cannot ask for huge pictures.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "content/pictures/Codecs.h"

namespace corpus {

using Bytes = std::vector<std::uint8_t>;

inline std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The size written in a stem ("logo-277x60"); false without one.
inline bool SizeOf(const std::string& stem, int& w, int& h) {
    const std::size_t dash = stem.rfind('-');
    if (dash == std::string::npos) return false;
    const std::string dims = stem.substr(dash + 1);
    const std::size_t x = dims.find('x');
    if (x == std::string::npos || x == 0 || x + 1 >= dims.size()) return false;
    for (std::size_t i = 0; i < dims.size(); ++i)
        if (i != x && !std::isdigit(static_cast<unsigned char>(dims[i]))) return false;
    if (x > 5 || dims.size() - x - 1 > 5) return false;
    w = std::clamp(std::atoi(dims.substr(0, x).c_str()), 1, 1024);
    h = std::clamp(std::atoi(dims.substr(x + 1).c_str()), 1, 1024);
    return true;
}

inline Bytes PictureFor(const std::string& path) {
    using namespace content::pic;
    std::string name = Lower(path);
    if (const std::size_t slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    const std::string stem = name.substr(0, dot), ext = name.substr(dot + 1);
    int w = 1, h = 1;
    const bool sized = SizeOf(stem, w, h);
    const bool spacer = stem.rfind("spacer", 0) == 0 || stem.rfind("clear", 0) == 0 || stem.rfind("dot", 0) == 0;
    if (spacer && ext == "gif") {
        GifFile g;
        g.width = w;
        g.height = h;
        g.globalPalette = {{255, 255, 255}, {0, 0, 0}};
        GifFrame f;
        f.width = w;
        f.height = h;
        f.indices.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
        f.transparentIndex = 0;
        g.frames.push_back(f);
        return EncodeGif(g);
    }
    if (!sized) return {};
    // A plate in a colour of the name, with a dark frame and diagonal stripes.
    const std::uint32_t seed = Hash(static_cast<std::uint32_t>(std::hash<std::string>{}(stem)));
    const Rgb base{static_cast<std::uint8_t>(64 + seed % 160), static_cast<std::uint8_t>(64 + (seed >> 8) % 160),
                   static_cast<std::uint8_t>(64 + (seed >> 16) % 160)};
    Image img(w, h, base);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x + y) / 6 % 2) img.Set(x, y, Scale(base, 0.8f));
    img.Frame(0, 0, w, h, Rgb{20, 20, 40});
    if (ext == "jpg" || ext == "jpeg") return EncodeJpeg(img, 80);
    if (ext == "bmp") return EncodeBmp24(img);
    if (ext != "gif") return {};
    const std::vector<Rgb> palette = {base, Scale(base, 0.8f), Rgb{20, 20, 40}, Rgb{255, 255, 255}};
    GifFile g;
    g.width = w;
    g.height = h;
    g.globalPalette = palette;
    const Indexed ix = MapToPalette(img, palette, false);
    GifFrame f;
    f.width = w;
    f.height = h;
    f.indices = ix.indices;
    g.frames.push_back(f);
    if (stem.find("anim") != std::string::npos) {
        g.loopCount = 0;
        g.frames[0].delayCs = 20;
        GifFrame second = f;
        for (auto& i : second.indices) i = i < 2 ? static_cast<std::uint8_t>(i ^ 1) : i;  // stripes swap
        g.frames.push_back(second);
    }
    return EncodeGif(g);
}

}  // namespace corpus
