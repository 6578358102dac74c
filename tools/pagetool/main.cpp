// pagetool render PAGE OUT.png [--width W] | dump PAGE [--width W] |
//          time PAGE [--width W] [--runs N]
// Lays a page out as the Bio window's viewer does (its fonts, margins, link
// colours, the page's BODY colours, pictures from the page's folder) for a
// paint panel W pixels wide, and paints, prints or times it.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "gui/draw/Graphics.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlImages.h"
#include "htmlview/HtmlParse.h"

using namespace htmlview;
using namespace gui;

namespace {

// The Bio window's viewer: its client width less the border and scroll bar.
constexpr int DefaultWidth = 613;
constexpr int MarginWidth = 10;
constexpr int MarginHeight = 5;

struct TPage {
    TSectionList doc;
    TStringList names;
    std::shared_ptr<THtmlContext> context = THtmlContext::Acquire();
    int marginW = MarginWidth, marginH = MarginHeight;
    TBitmap measure;

    explicit TPage(const std::string& file) {
        doc.Context = context;
        doc.SetFonts("Times New Roman", "Courier New", 12, clBlack, clBlue, 0x800080, clRed, clWindow, true);
        doc.OnProcessError = [](const String& m) { std::cerr << m << "\n"; };
        const std::string folder = file.substr(0, file.find_last_of("/\\") + 1);
        doc.ViewerExpandName = [folder](const String& n) { return n.find('/') == 0 ? n : folder + n; };
        names.SetSorted(true);
        names.SetDuplicates(dupIgnore);
        names.SetCaseSensitive(false);
        measure.SetPixelFormat(pf24bit);
        measure.SetSize(16, 16);
    }
    void Parse(const std::string& file) {
        THtmlParseHooks hooks;
        hooks.IsViewer = true;
        hooks.SetMargins = [this](int w, int h) {
            if (w >= 0) marginW = w;
            if (h >= 0) marginH = h;
        };
        HtmlParseFile(&doc, &names, file, hooks);
    }
    int LayOut(int width) {
        int sw = 0, curs = 0;
        return doc.DoLayout(measure.Canvas(), marginH, std::max(width - 2 * marginW, 1), sw, curs) + marginH;
    }
};

// A 24-bit bitmap as a PNG file (stored deflate blocks: no compressor
// needed, and the pixels are exact).
void SavePng(TBitmap& bmp, const std::string& name) {
    const int w = bmp.Width(), h = bmp.Height();
    std::string raw;
    raw.reserve(static_cast<std::size_t>((w * 3 + 1) * h));
    for (int y = 0; y < h; ++y) {
        raw += '\0';
        const auto* row = static_cast<const std::uint8_t*>(bmp.ScanLine(y));
        for (int x = 0; x < w; ++x) {
            raw += static_cast<char>(row[x * 3 + 2]);
            raw += static_cast<char>(row[x * 3 + 1]);
            raw += static_cast<char>(row[x * 3]);
        }
    }
    auto be32 = [](std::string& o, std::uint32_t v) {
        for (int i = 3; i >= 0; --i) o += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto crc = [](const std::string& d) {
        std::uint32_t c = 0xFFFFFFFFu;
        for (unsigned char b : d) {
            c ^= b;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return c ^ 0xFFFFFFFFu;
    };
    std::string out("\x89PNG\r\n\x1a\n", 8);
    auto chunk = [&](const char* type, const std::string& data) {
        be32(out, static_cast<std::uint32_t>(data.size()));
        const std::string body = std::string(type, 4) + data;
        out += body;
        be32(out, crc(body));
    };
    std::string ihdr;
    be32(ihdr, static_cast<std::uint32_t>(w));
    be32(ihdr, static_cast<std::uint32_t>(h));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);
    chunk("IHDR", ihdr);
    std::string z("\x78\x01", 2);
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t i = 0; i < raw.size() || i == 0; i += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - i);
        z += static_cast<char>(i + n >= raw.size() ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, i, n);
        if (raw.empty()) break;
    }
    be32(z, (b << 16) | a);
    chunk("IDAT", z);
    chunk("IEND", "");
    std::ofstream f(name, std::ios::binary);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!f) throw Exception("Cannot create file " + name);
}

void DumpCell(const TCell& cell, int depth);

void DumpSection(TSectionBase* s, int depth) {
    const std::string pad(static_cast<std::size_t>(depth * 2), ' ');
    std::string kind = dynamic_cast<ThtmlTable*>(s)        ? "table"
                       : dynamic_cast<TPreFormated*>(s)    ? "pre"
                       : dynamic_cast<TOListItem*>(s)      ? "olitem"
                       : dynamic_cast<TDListItem*>(s)      ? "dlitem"
                       : dynamic_cast<TUListItem*>(s)      ? "ulitem"
                       : dynamic_cast<TSection*>(s)        ? "text"
                       : dynamic_cast<TParagraphSpace*>(s) ? "pspace"
                       : dynamic_cast<THeadingSpace*>(s)   ? "hspace"
                       : dynamic_cast<THorzLine*>(s)       ? "rule"
                                                           : "other";
    std::cout << pad << "section " << kind << " y=" << s->YValue << " h=" << s->SectionHeight << "\n";
    if (auto* t = dynamic_cast<TSection*>(s))
        for (int i = 0; i < t->Images->Count(); ++i) {
            const TImageObj* img = t->Images->Image(i);
            std::cout << pad << "  image x=" << img->DrawX << " y=" << img->DrawY << " w=" << img->ImageWidth
                      << " h=" << img->ImageHeight << "\n";
        }
    if (auto* t = dynamic_cast<ThtmlTable*>(s))
        for (int r = 0; r < t->RowCount(); ++r) {
            int x = 0;
            for (int c = 0; c < t->Row(r)->Count(); ++c) {
                TCellObj* cell = t->Row(r)->CellObj(c);
                const int w = c < t->ColCount ? t->ColumnWidth(c) : 0;
                if (cell && !cell->IsPlaceholder()) {
                    std::cout << pad << "  cell row=" << r << " col=" << c << " x=" << t->RowsLeft() + x
                              << " y=" << cell->Cell->YValue << " w=" << cell->Wd << " h=" << cell->Ht << "\n";
                    DumpCell(*cell->Cell, depth + 2);
                }
                x += w;
            }
        }
}

void DumpCell(const TCell& cell, int depth) {
    for (int i = 0; i < cell.Count(); ++i) DumpSection(cell.Section(i), depth);
}

// Paints the laid-out document of height h, top to bottom, on its
// background, as the viewer shows it scrolled through.
std::unique_ptr<TBitmap> PaintWhole(TPage& p, int width, int h) {
    h = std::min(h + p.marginH, 30000);
    auto out = std::make_unique<TBitmap>();
    out->SetPixelFormat(pf24bit);
    out->SetSize(width, std::max(h, 1));
    out->Canvas()->Brush()->SetColor(p.doc.Background);
    out->Canvas()->FillRect(Rect(0, 0, width, h));
    p.doc.Draw(out->Canvas(), Rect(0, 0, width, h), p.marginW, p.marginH, width - 2 * p.marginW);
    return out;
}

int Usage() {
    std::cerr << "usage: pagetool render PAGE OUT.png [--width W]\n"
                 "       pagetool dump PAGE [--width W]\n"
                 "       pagetool time PAGE [--width W] [--runs N]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::vector<std::string> args(argv + 1, argv + argc);
    int width = DefaultWidth, runs = 5;
    std::vector<std::string> pos;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--width" && i + 1 < args.size())
            width = std::atoi(args[++i].c_str());
        else if (args[i] == "--runs" && i + 1 < args.size())
            runs = std::max(1, std::atoi(args[++i].c_str()));
        else
            pos.push_back(args[i]);
    }
    if (pos.size() < 2 || width <= 0 || width > 10000) return Usage();
    const std::string& cmd = pos[0];
    const std::string& file = pos[1];
    try {
        if (cmd == "dump") {
            TPage p(file);
            p.Parse(file);
            const int h = p.LayOut(width);
            // Pictures learn where they are drawn only when painted.
            PaintWhole(p, width, h);
            std::cout << "document h=" << h << " width=" << width << "\n";
            DumpCell(p.doc, 0);
            return 0;
        }
        if (cmd == "render" && pos.size() == 3) {
            TPage p(file);
            p.Parse(file);
            SavePng(*PaintWhole(p, width, p.LayOut(width)), pos[2]);
            return 0;
        }
        if (cmd == "time") {
            using clock = std::chrono::steady_clock;
            std::vector<double> parse, layout, paint;
            for (int r = 0; r < runs; ++r) {
                TPage p(file);
                auto t0 = clock::now();
                p.Parse(file);
                auto t1 = clock::now();
                const int h = std::min(p.LayOut(width), 30000);
                auto t2 = clock::now();
                TBitmap out;
                out.SetPixelFormat(pf24bit);
                out.SetSize(width, std::max(h, 1));
                p.doc.Draw(out.Canvas(), Rect(0, 0, width, h), p.marginW, p.marginH, width - 2 * p.marginW);
                auto t3 = clock::now();
                auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
                parse.push_back(ms(t0, t1));
                layout.push_back(ms(t1, t2));
                paint.push_back(ms(t2, t3));
            }
            auto median = [](std::vector<double> v) {
                std::sort(v.begin(), v.end());
                return v[v.size() / 2];
            };
            std::cout << "parse " << median(parse) << " ms\nlayout " << median(layout) << " ms\npaint "
                      << median(paint) << " ms\n";
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "pagetool: " << e.what() << "\n";
        return 1;
    }
    return Usage();
}
