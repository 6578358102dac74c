#include "tools/imagetool/ImageTool.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"
#include "htmlview/GifImage.h"
#include "htmlview/HtmlSupport.h"

namespace imagetool {

using namespace htmlview;

namespace {

const char* kUsage =
    "usage: imagetool decode FILE OUT.ppm [--frame N] [--depth 8] [--bg RRGGBB]\n"
    "       imagetool info FILE\n"
    "decode writes the picture as a binary PPM; for a GIF, frame N (from 1) as\n"
    "the animation shows it, see-through pixels in the --bg colour (black).\n"
    "--depth 8 reduces to the viewer's 256-colour palette as on such a display.\n";

const char* TypeName(TImageType t) {
    switch (t) {
        case Bmp: return "BMP";
        case Gif: return "GIF87a";
        case Gif89: return "GIF89a";
        case Png: return "PNG";
        case Jpg: return "JPEG";
        default: return "unknown";
    }
}

bool ReadFile(const std::string& name, std::vector<std::uint8_t>& bytes, std::ostream& err) {
    std::ifstream in(name, std::ios::binary);
    if (!in) {
        err << "imagetool: cannot open " << name << "\n";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WritePpm(const std::string& name, int w, int h, const std::vector<std::uint32_t>& px, std::ostream& err) {
    std::ofstream out(name, std::ios::binary);
    if (!out) {
        err << "imagetool: cannot create " << name << "\n";
        return false;
    }
    out << "P6\n" << w << " " << h << "\n255\n";
    std::vector<char> row(static_cast<std::size_t>(w) * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
            row[3 * static_cast<std::size_t>(x)] = static_cast<char>(c >> 16);
            row[3 * static_cast<std::size_t>(x) + 1] = static_cast<char>(c >> 8);
            row[3 * static_cast<std::size_t>(x) + 2] = static_cast<char>(c);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    return static_cast<bool>(out);
}

// The pixels of a bitmap as 0x00RRGGBB, rows top-down.
std::vector<std::uint32_t> PixelsOf(gui::TBitmap* bmp) {
    gui::TBitmap copy;
    copy.Assign(bmp);
    copy.SetPixelFormat(gui::pf24bit);
    const int w = copy.Width(), h = copy.Height();
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(copy.ScanLine(y));
        for (int x = 0; x < w; ++x)
            px[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
                (static_cast<std::uint32_t>(row[3 * x + 2]) << 16) | (static_cast<std::uint32_t>(row[3 * x + 1]) << 8) |
                row[3 * x];
    }
    return px;
}

// Holds the viewer's context (at the chosen display depth) while a command runs.
struct Session {
    explicit Session(int depth) {
        gui::SetDisplayColorDepth(depth);
        context = THtmlContext::Acquire();
        context->RefreshDisplayDepth();
    }
    std::shared_ptr<THtmlContext> context;
};

std::unique_ptr<TGIFImage> LoadGif(const std::vector<std::uint8_t>& bytes, bool& single) {
    gui::PALETTEENTRY entries[256];
    int n = 0;
    if (gui::HPALETTE pal = ThePalette()) n = static_cast<int>(gui::GetPaletteEntries(pal, 0, 256, entries));
    return GIFFromBytes(bytes.data(), bytes.size(), single, ColorBits(), entries, n);
}

int Decode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 3) {
        err << kUsage;
        return 2;
    }
    int frame = 1, depth = 24;
    std::uint32_t bg = 0;
    for (std::size_t i = 3; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        try {
            if (args[i] == "--frame" && hasValue) {
                frame = std::stoi(args[++i]);
            } else if (args[i] == "--depth" && hasValue) {
                depth = std::stoi(args[++i]);
            } else if (args[i] == "--bg" && hasValue) {
                bg = static_cast<std::uint32_t>(std::stoul(args[++i], nullptr, 16)) & 0xFFFFFF;
            } else {
                err << kUsage;
                return 2;
            }
        } catch (const std::exception&) {
            err << "imagetool: bad value for " << args[i - 1] << "\n";
            return 2;
        }
    }
    if (depth != 8 && depth != 24) {
        err << "imagetool: --depth must be 8 or 24\n";
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(args[1], bytes, err)) return 1;
    Session session(depth);
    const TImageType type = GetImageType(bytes.data(), bytes.size());
    if (type == Gif || type == Gif89) {
        bool single = false;
        auto gif = LoadGif(bytes, single);
        if (!gif) {
            err << "imagetool: " << args[1] << ": not a readable GIF\n";
            return 1;
        }
        if (frame < 1 || frame > gif->FrameCount()) {
            err << "imagetool: frame " << frame << " out of 1.." << gif->FrameCount() << "\n";
            return 2;
        }
        for (int i = 2; i <= frame; ++i) gif->SetCurrentFrame(i);
        if (!WritePpm(args[2], gif->Width(), gif->Height(), gif->RenderComposite(bg), err)) return 1;
        out << args[2] << ": " << gif->Width() << " x " << gif->Height() << ", frame " << frame << "\n";
        return 0;
    }
    if (frame != 1) {
        err << "imagetool: only GIF pictures have frames\n";
        return 2;
    }
    std::unique_ptr<gui::TBitmap> bmp(GetBitmapFromBytes(bytes.data(), bytes.size(), depth == 8));
    if (!bmp) {
        err << "imagetool: " << args[1] << ": cannot load (" << TypeName(type) << ")\n";
        return 1;
    }
    if (!WritePpm(args[2], bmp->Width(), bmp->Height(), PixelsOf(bmp.get()), err)) return 1;
    out << args[2] << ": " << bmp->Width() << " x " << bmp->Height() << "\n";
    return 0;
}

int Info(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) {
        err << kUsage;
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(args[1], bytes, err)) return 1;
    Session session(24);
    const TImageType type = GetImageType(bytes.data(), bytes.size());
    out << "type: " << TypeName(type) << "\n";
    if (type == Gif || type == Gif89) {
        bool single = false;
        auto gif = LoadGif(bytes, single);
        if (!gif) {
            err << "imagetool: " << args[1] << ": not a readable GIF\n";
            return 1;
        }
        out << "size: " << gif->Width() << " x " << gif->Height() << "\n";
        out << "frames: " << gif->FrameCount() << "\n";
        out << "delays:";
        for (int i = 1; i <= gif->FrameCount(); ++i) out << " " << gif->Frame(i)->Delay;
        out << " ms\n";
        out << "loops: " << (gif->LoopCount() == 0 ? std::string("endless") : std::to_string(gif->LoopCount())) << "\n";
        out << "transparency: " << (gif->HasTransparency() ? "yes" : "no");
        gui::TColor c = 0;
        if (GetGIFTransparentColor(bytes.data(), bytes.size(), c)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%02X%02X%02X", gui::GetRValue(c), gui::GetGValue(c), gui::GetBValue(c));
            out << " (colour " << hex << ")";
        }
        out << "\n";
        return 0;
    }
    std::unique_ptr<gui::TBitmap> bmp(GetBitmapFromBytes(bytes.data(), bytes.size(), false));
    if (!bmp) {
        err << "imagetool: " << args[1] << ": cannot load\n";
        return 1;
    }
    out << "size: " << bmp->Width() << " x " << bmp->Height() << "\n";
    out << "frames: 1\n";
    out << "delays: 0 ms\n";
    out << "transparency: no\n";
    return 0;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return 2;
    }
    try {
        if (args[0] == "decode") return Decode(args, out, err);
        if (args[0] == "info") return Info(args, out, err);
    } catch (const std::exception& e) {
        err << "imagetool: " << e.what() << "\n";
        return 1;
    }
    err << kUsage;
    return 2;
}

}  // namespace imagetool
