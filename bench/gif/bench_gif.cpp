// GIF decoding of real-world-like stills and animations (below), ours and
// giflib's on the same bytes in the same run, with the ratio per picture at
// the end; dithering a 640 x 480 photo.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <memory>
#include <random>
#include <vector>

#include "gui/draw/Graphics.h"
#include "htmlview/Dither.h"
#include "htmlview/GifImage.h"
#include "htmlview/HtmlSupport.h"
#include "htmlview/common/GifWriter.h"

namespace {

// A photo-like picture: smooth shapes with some grain.
std::vector<std::uint8_t> PhotoBgr(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double fx = x / static_cast<double>(w), fy = y / static_cast<double>(h);
            const int grain = static_cast<int>(rng() % 13) - 6;
            auto clamp = [](double v) { return static_cast<std::uint8_t>(std::max(0.0, std::min(255.0, v))); };
            std::uint8_t* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
            p[0] = clamp(128 + 100 * std::sin(fx * 7 + fy * 3) + grain);
            p[1] = clamp(255 * fy + grain);
            p[2] = clamp(200 * fx + 40 * std::cos(fy * 11) + grain);
        }
    return px;
}

// 256-colour indexes of the same kind of picture.
std::vector<std::uint8_t> PhotoIndexes(int w, int h, unsigned seed) {
    auto bgr = PhotoBgr(w, h, seed);
    std::vector<std::uint8_t> idx(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < idx.size(); ++i)
        idx[i] = static_cast<std::uint8_t>((bgr[3 * i] >> 5) | ((bgr[3 * i + 1] >> 5) << 3) | ((bgr[3 * i + 2] >> 6) << 6));
    return idx;
}

std::vector<testgif::Rgb> Table() {
    std::vector<testgif::Rgb> t;
    for (int i = 0; i < 256; ++i)
        t.push_back({static_cast<std::uint8_t>((i >> 6) * 85), static_cast<std::uint8_t>(((i >> 3) & 7) * 36),
                     static_cast<std::uint8_t>((i & 7) * 36)});
    return t;
}

const std::vector<std::uint8_t>& StillGif() {
    static const std::vector<std::uint8_t> bytes = [] {
        testgif::Gif g;
        g.width = 1024;
        g.height = 768;
        g.globalTable = Table();
        testgif::Frame f;
        f.width = 1024;
        f.height = 768;
        f.pixels = PhotoIndexes(1024, 768, 1);
        g.frames = {f};
        return g.Encode();
    }();
    return bytes;
}

const std::vector<std::uint8_t>& AnimatedGif() {
    static const std::vector<std::uint8_t> bytes = [] {
        testgif::Gif g;
        g.width = 320;
        g.height = 240;
        g.globalTable = Table();
        g.loopCount = 0;
        for (int i = 0; i < 60; ++i) {
            testgif::Frame f;
            f.width = 320;
            f.height = 240;
            f.pixels = PhotoIndexes(320, 240, static_cast<unsigned>(i));
            f.gce = true;
            f.delay = 5;
            f.disposal = 1 + (i % 2);
            f.transparent = i % 3 == 0;
            f.transparentIndex = 0;
            f.interlaced = i % 4 == 0;
            g.frames.push_back(f);
        }
        return g.Encode();
    }();
    return bytes;
}

// ---- Real-world-like pictures -------------------------------------------------
//
// Made here with the content generator's raster, palette and GIF encoder, so
// the benchmark downloads nothing:
//  photo-1024 / photo-1200   a landscape (sky gradient, noise hills, a sun,
//                            grain) quantised to 256 colours with error
//                            diffusion, 1024x768 and 1200x900; photo-1024-i
//                            is the first one interlaced;
//  drawing-800 / -i          flat panels, anti-aliased lines and circles and
//                            lines of text, 800x600, no dithering; -i interlaced;
//  scan-1100                 a page scan: paper tone, text, a grey picture,
//                            error-diffused to 16 greys, 1100x850;
//  sprite-60                 60 frames of a sprite moving over a 480x360 photo,
//                            each frame the sprite's old and new place with a
//                            local colour table and transparency, disposal 1 and 2;
//  screen-60                 a screen recording: an 800x600 window, then 59
//                            small changed rectangles (typing, a progress bar,
//                            a blinking caret), unchanged pixels transparent.
//  synthetic-still / -anim   the colour-cube patterns above: one 1024x768
//                            frame; 60 frames of 320x240, some transparent,
//                            some interlaced.
namespace pic = content::pic;

pic::Image Landscape(int w, int h, std::uint32_t seed) {
    pic::Image img(w, h);
    img.VerticalGradient(0, h, pic::Hex(0x3a6fb0), pic::Hex(0xe8c9a0));
    img.Glow(w * 0.7f, h * 0.25f, w * 0.18f, pic::Hex(0xfff0c0), 0.9f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float fx = x / static_cast<float>(w), fy = y / static_cast<float>(h);
            const float ridge = 0.45f + 0.2f * pic::Fbm(fx * 3.0f, 0.5f, seed, 4);
            if (fy < ridge) continue;
            const float t = pic::Fbm(fx * 9.0f, fy * 9.0f, seed + 7, 5);
            const pic::Rgb near = pic::Mix(pic::Hex(0x2f5a22), pic::Hex(0x8a7a3a), t);
            img.Set(x, y, pic::Mix(pic::Hex(0x56708a), near, std::min(1.0f, (fy - ridge) * 4.0f)));
        }
    img.Noise(seed, 10.0f);
    return img;
}

pic::Image Drawing(int w, int h) {
    pic::Image img(w, h, pic::Hex(0xf4f1e8));
    const pic::Rgb flats[] = {pic::Hex(0xc8d8e8), pic::Hex(0xe8d0b0), pic::Hex(0xb8e0c0), pic::Hex(0xf0c8c8)};
    for (int i = 0; i < 12; ++i) {
        const int x = (i * 137) % (w - 160), y = (i * 89) % (h - 120);
        img.FillRect(x, y, x + 120 + (i * 23) % 90, y + 70 + (i * 31) % 60, flats[i % 4]);
        img.Frame(x, y, x + 120 + (i * 23) % 90, y + 70 + (i * 31) % 60, pic::Hex(0x404040));
    }
    pic::Mask lines(w, h);
    for (int i = 0; i < 40; ++i)
        lines.Line(static_cast<float>((i * 53) % w), static_cast<float>((i * 97) % h),
                   static_cast<float>((i * 211 + 300) % w), static_cast<float>((i * 151 + 100) % h), 1.5f + (i % 3));
    for (int i = 0; i < 10; ++i) lines.FillCircle(static_cast<float>(60 + i * 70), static_cast<float>(h - 60), 18.0f);
    img.Paint(lines, pic::Hex(0x203050), 0.9f);
    pic::TextStyle st;
    st.colour = pic::Hex(0x101010);
    st.shadow = 0.0f;
    for (int i = 0; i < 14; ++i) pic::DrawText(img, 20, 20 + i * 40, "THE QUICK BROWN FOX JUMPS OVER 13 LAZY DOGS", st);
    return img;
}

pic::Image Scan(int w, int h) {
    pic::Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto v = static_cast<std::uint8_t>(225 + 20 * pic::Fbm(x * 0.02f, y * 0.02f, 5, 3));
            img.Set(x, y, {v, v, v});
        }
    pic::TextStyle st;
    st.colour = pic::Hex(0x202020);
    st.shadow = 0.0f;
    for (int i = 0; i < 30; ++i) pic::DrawText(img, 60, 40 + i * 26, "LOREM IPSUM DOLOR SIT AMET CONSECTETUR", st);
    const pic::Image photo = Landscape(420, 300, 9);
    for (int y = 0; y < photo.Height(); ++y)
        for (int x = 0; x < photo.Width(); ++x) {
            const pic::Rgb c = photo.At(x, y);
            const auto g = static_cast<std::uint8_t>((c.r * 30 + c.g * 59 + c.b * 11) / 100);
            img.Set(620 + x, 420 + y, {g, g, g});
        }
    img.Noise(3, 6.0f);
    return img;
}

testgif::Frame FrameOf(const pic::Indexed& ix) {
    testgif::Frame f;
    f.width = ix.width;
    f.height = ix.height;
    f.pixels = ix.indices;
    return f;
}

std::vector<testgif::Rgb> TableOf(const std::vector<pic::Rgb>& p) {
    std::vector<testgif::Rgb> t;
    for (const auto& c : p) t.push_back({c.r, c.g, c.b});
    return t;
}

std::vector<std::uint8_t> Still(const pic::Image& img, int colours, bool dither, bool interlaced) {
    const auto palette = pic::BuildPalette({&img}, colours);
    testgif::Gif g;
    g.width = img.Width();
    g.height = img.Height();
    g.globalTable = TableOf(palette);
    g.frames = {FrameOf(pic::MapToPalette(img, palette, dither))};
    g.frames[0].interlaced = interlaced;
    return g.Encode();
}

std::vector<std::uint8_t> GreyScan() {
    const pic::Image img = Scan(1100, 850);
    std::vector<pic::Rgb> greys;
    for (int i = 0; i < 16; ++i) greys.push_back({static_cast<std::uint8_t>(i * 17), static_cast<std::uint8_t>(i * 17),
                                                  static_cast<std::uint8_t>(i * 17)});
    testgif::Gif g;
    g.width = img.Width();
    g.height = img.Height();
    g.globalTable = TableOf(greys);
    g.frames = {FrameOf(pic::MapToPalette(img, greys, true))};
    return g.Encode();
}

std::vector<std::uint8_t> SpriteAnimation() {
    const int w = 480, h = 360, s = 64;
    const pic::Image back = Landscape(w, h, 21);
    const auto palette = pic::BuildPalette({&back}, 256);
    testgif::Gif g;
    g.width = w;
    g.height = h;
    g.loopCount = 0;
    g.globalTable = TableOf(palette);
    g.frames = {FrameOf(pic::MapToPalette(back, palette, true))};
    g.frames[0].gce = true;
    g.frames[0].disposal = 1;
    g.frames[0].delay = 4;
    int px = 0, py = 0;
    for (int i = 1; i < 60; ++i) {
        const int x = 10 + i * 6, y = static_cast<int>(150 + 100 * std::sin(i * 0.2));
        // The frame covers the sprite's old and new place, so a cleared
        // (disposal 2) rectangle is painted over again.
        const int x0 = i == 1 ? x : std::min(x, px), y0 = i == 1 ? y : std::min(y, py);
        const int x1 = std::max(x, px) + s, y1 = std::max(y, py) + s;
        pic::Image part = back.Crop(x0, y0, x1 - x0, y1 - y0);
        pic::Mask ball(x1 - x0, y1 - y0);
        ball.FillCircle(x - x0 + s / 2.0f, y - y0 + s / 2.0f, s / 2.0f - 2);
        part.Paint(ball, pic::Hex(0xd04020));
        part.Glow(x - x0 + s * 0.35f, y - y0 + s * 0.35f, s * 0.3f, pic::Hex(0xffffff), 0.8f);
        const auto local = pic::BuildPalette({&part}, 255);
        auto ix = pic::MapToPalette(part, local, true);
        testgif::Frame f = FrameOf(ix);
        f.left = x0;
        f.top = y0;
        f.localTable = TableOf(local);
        f.localTable.push_back({0, 0, 0});  // the see-through index
        f.gce = true;
        f.delay = 4;
        f.disposal = 1 + (i % 2);
        // The far corners repeat the background: see-through, as optimisers do.
        f.transparent = true;
        f.transparentIndex = static_cast<int>(local.size());
        const auto see = static_cast<std::uint8_t>(f.transparentIndex);
        for (int yy = 0; yy < f.height; ++yy)
            for (int xx = 0; xx < f.width; ++xx)
                if (i > 1 && f.disposal == 1 && (xx + yy) % 7 == 0 && ball.At(xx, yy) == 0.0f)
                    f.pixels[static_cast<std::size_t>(yy) * f.width + xx] = see;
        g.frames.push_back(f);
        px = x;
        py = y;
    }
    return g.Encode();
}

std::vector<std::uint8_t> ScreenRecording() {
    const int w = 800, h = 600;
    pic::Image screen = Drawing(w, h);
    screen.FillRect(0, 0, w, 24, pic::Hex(0x2050a0));
    screen.FillRect(40, 520, 760, 540, pic::Hex(0xffffff));
    screen.Frame(40, 520, 760, 540, pic::Hex(0x000000));
    const auto palette = pic::BuildPalette({&screen}, 255);
    auto table = TableOf(palette);
    table.push_back({0, 0, 0});
    const auto see = static_cast<std::uint8_t>(palette.size());
    testgif::Gif g;
    g.width = w;
    g.height = h;
    g.loopCount = 0;
    g.globalTable = table;
    g.frames = {FrameOf(pic::MapToPalette(screen, palette, false))};
    pic::Image prev = screen;
    pic::TextStyle st;
    st.colour = pic::Hex(0x000000);
    st.shadow = 0.0f;
    const std::string typed = "TYPING INTO THE NOTES FIELD OF THE WINDOW";
    for (int i = 1; i < 60; ++i) {
        pic::Image next = prev;
        int x0, y0, x1, y1;
        if (i % 3 == 0) {  // the progress bar grows
            x0 = 41 + (i / 3 - 1) * 36;
            y0 = 521;
            x1 = x0 + 36;
            y1 = 539;
            next.FillRect(x0, y0, x1, y1, pic::Hex(0x30a040));
        } else if (i % 3 == 1) {  // one more letter typed
            const int k = i / 3;
            x0 = 300 + k * 12 - 2;
            y0 = 470 - 2;
            x1 = x0 + 20;
            y1 = y0 + 24;
            next.FillRect(x0, y0, x1, y1, pic::Hex(0xffffff));
            pic::DrawText(next, x0 + 2, y0 + 2, std::string(1, typed[static_cast<std::size_t>(k) % typed.size()]), st);
        } else {  // the caret blinks
            x0 = 300 + (i / 3) * 12 + 10;
            y0 = 466;
            x1 = x0 + 2;
            y1 = y0 + 28;
            next.FillRect(x0, y0, x1, y1, (i / 3) % 2 ? pic::Hex(0x000000) : pic::Hex(0xffffff));
        }
        const pic::Image part = next.Crop(x0, y0, x1 - x0, y1 - y0);
        testgif::Frame f = FrameOf(pic::MapToPalette(part, palette, false));
        f.left = x0;
        f.top = y0;
        f.gce = true;
        f.delay = 10;
        f.disposal = 1;
        f.transparent = true;
        f.transparentIndex = see;
        for (int yy = 0; yy < f.height; ++yy)
            for (int xx = 0; xx < f.width; ++xx)
                if (next.At(x0 + xx, y0 + yy) == prev.At(x0 + xx, y0 + yy))
                    f.pixels[static_cast<std::size_t>(yy) * f.width + xx] = see;
        g.frames.push_back(f);
        prev = std::move(next);
    }
    return g.Encode();
}

struct Picture {
    const char* name;
    std::vector<std::uint8_t> (*make)();
};

const Picture kPictures[] = {
    {"photo-1024", [] { return Still(Landscape(1024, 768, 1), 256, true, false); }},
    {"photo-1200", [] { return Still(Landscape(1200, 900, 2), 256, true, false); }},
    {"photo-1024-i", [] { return Still(Landscape(1024, 768, 1), 256, true, true); }},
    {"drawing-800", [] { return Still(Drawing(800, 600), 256, false, false); }},
    {"drawing-800-i", [] { return Still(Drawing(800, 600), 256, false, true); }},
    {"scan-1100", GreyScan},
    {"sprite-60", SpriteAnimation},
    {"screen-60", ScreenRecording},
    {"synthetic-still", [] { return StillGif(); }},
    {"synthetic-anim", [] { return AnimatedGif(); }},
};

// ---- The two decoders ------------------------------------------------------------
//
// Both do the same work: read the file from memory, decode every frame and
// composite them by their disposal methods up to the last frame, as RGB.

void OurDecode(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    for (auto _ : state) {
        htmlview::TGIFImage gif;
        const bool ok = gif.LoadFromBytes(bytes.data(), bytes.size());
        if (!ok) state.SkipWithError("decode failed");
        for (int i = 2; i <= gif.FrameCount(); ++i) gif.SetCurrentFrame(i);
        benchmark::DoNotOptimize(gif.CompositeImage().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}

struct Memory {
    const std::vector<std::uint8_t>* bytes;
    std::size_t pos;
};

int ReadMemory(GifFileType* f, GifByteType* out, int n) {
    auto* m = static_cast<Memory*>(f->UserData);
    const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(n), m->bytes->size() - m->pos);
    std::memcpy(out, m->bytes->data() + m->pos, k);
    m->pos += k;
    return static_cast<int>(k);
}

// giflib at its leanest: records read one by one, each frame's lines decoded
// straight into one reused buffer (no saved images), then composited.
struct GiflibBuffers {
    std::vector<std::uint32_t> canvas, saved;
    std::vector<GifByteType> raster;
};

bool GiflibComposite(const std::vector<std::uint8_t>& bytes, GiflibBuffers& b) {
    auto& [canvas, saved, raster] = b;
    Memory m{&bytes, 0};
    int err = 0;
    GifFileType* f = DGifOpen(&m, ReadMemory, &err);
    if (!f) return false;
    const int sw = f->SWidth, sh = f->SHeight;
    canvas.assign(static_cast<std::size_t>(sw) * sh, 0);
    int lastDisposal = 0;
    GifImageDesc last{};
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    GifRecordType type = TERMINATE_RECORD_TYPE;
    bool failed = false;
    do {
        if (DGifGetRecordType(f, &type) != GIF_OK) {
            failed = true;
            break;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(f, &code, &ext) != GIF_OK) {
                failed = true;
                break;
            }
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) DGifExtensionToGCB(ext[0], ext + 1, &gcb);
            while (ext)
                if (DGifGetExtensionNext(f, &ext) != GIF_OK) {
                    failed = true;
                    break;
                }
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(f) != GIF_OK) {
                failed = true;
                break;
            }
            const GifImageDesc d = f->Image;
            raster.resize(static_cast<std::size_t>(d.Width) * d.Height);
            if (d.Interlace) {
                static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
                for (int p = 0; p < 4 && !failed; ++p)
                    for (int y = kStart[p]; y < d.Height && !failed; y += kStep[p])
                        failed = DGifGetLine(f, raster.data() + static_cast<std::size_t>(y) * d.Width, d.Width) !=
                                 GIF_OK;
            } else {
                failed = DGifGetLine(f, raster.data(), static_cast<int>(raster.size())) != GIF_OK;
            }
            if (failed) break;
            auto rows = [&](const GifImageDesc& r, auto&& fn) {
                for (int y = 0; y < r.Height && r.Top + y < sh; ++y)
                    fn(static_cast<std::size_t>(r.Top + y) * sw + r.Left, static_cast<std::size_t>(y) * r.Width,
                       std::min(r.Width, sw - r.Left));
            };
            // The previous frame's disposal first.
            if (lastDisposal == DISPOSE_BACKGROUND)
                rows(last, [&](std::size_t dst, std::size_t, int n) {
                    std::fill_n(canvas.begin() + static_cast<std::ptrdiff_t>(dst), n, 0u);
                });
            else if (lastDisposal == DISPOSE_PREVIOUS)
                rows(last, [&](std::size_t dst, std::size_t src, int n) {
                    std::copy_n(saved.begin() + static_cast<std::ptrdiff_t>(src), n,
                                canvas.begin() + static_cast<std::ptrdiff_t>(dst));
                });
            if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
                saved.resize(raster.size());
                rows(d, [&](std::size_t dst, std::size_t src, int n) {
                    std::copy_n(canvas.begin() + static_cast<std::ptrdiff_t>(dst), n,
                                saved.begin() + static_cast<std::ptrdiff_t>(src));
                });
            }
            const ColorMapObject* map = d.ColorMap ? d.ColorMap : f->SColorMap;
            std::uint32_t pal[256] = {};
            for (int k = 0; map && k < map->ColorCount && k < 256; ++k)
                pal[k] = (static_cast<std::uint32_t>(map->Colors[k].Red) << 16) |
                         (static_cast<std::uint32_t>(map->Colors[k].Green) << 8) | map->Colors[k].Blue;
            const int t = gcb.TransparentColor;
            rows(d, [&](std::size_t dst, std::size_t src, int n) {
                const GifByteType* in = raster.data() + src;
                std::uint32_t* out = canvas.data() + dst;
                if (t < 0)
                    for (int x = 0; x < n; ++x) out[x] = pal[in[x]];
                else
                    for (int x = 0; x < n; ++x)
                        if (in[x] != t) out[x] = pal[in[x]];
            });
            lastDisposal = gcb.DisposalMode;
            last = d;
            gcb = GraphicsControlBlock{};
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        }
    } while (type != TERMINATE_RECORD_TYPE);
    DGifCloseFile(f, &err);
    return !failed;
}

void GiflibDecode(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
    GiflibBuffers buffers;
    for (auto _ : state) {
        if (!GiflibComposite(bytes, buffers)) {
            state.SkipWithError("giflib failed");
            break;
        }
        benchmark::DoNotOptimize(buffers.canvas.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}

// Prints, after the usual table, each picture's CPU time ours / giflib's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            const std::string name = r.benchmark_name();
            if (name.rfind("Gif/", 0) != 0 || r.run_type != Run::RT_Iteration) continue;
            const std::size_t slash = name.rfind('/');
            auto& entry = times_[name.substr(4, slash - 4)];
            (name.compare(slash + 1, 4, "ours") == 0 ? entry.first : entry.second) = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (times_.empty()) return;
        std::printf("\nCPU time ours / giflib (below 1: ours is faster)\n");
        for (const auto& [name, t] : times_)
            if (t.first > 0 && t.second > 0) std::printf("  %-18s %.2f\n", name.c_str(), t.first / t.second);
    }

private:
    std::map<std::string, std::pair<double, double>> times_;
};

void BM_Dither640x480Rows(benchmark::State& state) {
    const auto photo = PhotoBgr(640, 480, 3);
    gui::PALETTEENTRY sys[256] = {}, pal[256];
    gui::GetStandardSystemPalette(sys);
    htmlview::BuildSharedPaletteEntries(sys, pal);
    std::vector<std::uint8_t> out(640 * 480);
    for (auto _ : state) {
        htmlview::DitherRows(640, 480, pal, 256, photo.data(), 640 * 3, out.data(), 640);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel("per picture");
}

void BM_Dither640x480Bitmap(benchmark::State& state) {
    gui::SetDisplayColorDepth(8);
    auto context = htmlview::THtmlContext::Acquire();
    context->RefreshDisplayDepth();
    const auto photo = PhotoBgr(640, 480, 3);
    gui::TBitmap src;
    src.SetPixelFormat(gui::pf24bit);
    src.SetSize(640, 480);
    for (int y = 0; y < 480; ++y) std::memcpy(src.ScanLine(y), &photo[static_cast<std::size_t>(y) * 640 * 3], 640 * 3);
    for (auto _ : state) {
        std::unique_ptr<gui::TBitmap> out(htmlview::DitherForScreen(&src, 8, htmlview::ThePalette()));
        benchmark::DoNotOptimize(out.get());
    }
    context.reset();
    gui::SetDisplayColorDepth(24);
    state.SetLabel("per picture, bitmap to bitmap");
}

}  // namespace

BENCHMARK(BM_Dither640x480Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dither640x480Bitmap)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The bitmaps need the GUI layer's platform: off screen, as in the tests,
    // so the benchmark runs without a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#ifndef NDEBUG
    std::fputs("bench_gif: our code is a debug build; time a Release build (see README.md)\n", stderr);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // The pictures are made once, before any timing.
    static std::vector<std::vector<std::uint8_t>> files;
    for (const Picture& p : kPictures) files.push_back(p.make());
    for (std::size_t i = 0; i < files.size(); ++i) {
        // Both must arrive at the same picture, or the times compare different work.
        htmlview::TGIFImage gif;
        GiflibBuffers peer;
        if (!gif.LoadFromBytes(files[i].data(), files[i].size()) || !GiflibComposite(files[i], peer)) {
            std::fprintf(stderr, "bench_gif: %s does not decode\n", kPictures[i].name);
            return 1;
        }
        for (int k = 2; k <= gif.FrameCount(); ++k) gif.SetCurrentFrame(k);
        if (gif.CompositeImage() != peer.canvas) {
            std::fprintf(stderr, "bench_gif: %s: our last frame differs from giflib's\n", kPictures[i].name);
            return 1;
        }
        const std::string name = std::string("Gif/") + kPictures[i].name;
        const auto* bytes = &files[i];
        benchmark::RegisterBenchmark((name + "/ours").c_str(), [bytes](benchmark::State& s) { OurDecode(s, *bytes); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "/giflib").c_str(),
                                     [bytes](benchmark::State& s) { GiflibDecode(s, *bytes); })
            ->Unit(benchmark::kMillisecond);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
