// Builds documents directly (without the parser) and lays them out on a
// bitmap's canvas, for the document model's tests.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "gui/windows/Cursors.h"
#include "gui/windows/Forms.h"
#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"
#include "htmlview/HtmlImages.h"
#include "htmlview/HtmlSections.h"

namespace dockit {

using namespace htmlview;
using namespace gui;

// The viewer's cursors outlive the pages that registered them, and every
// new context registers them again.
inline void ReleaseViewerCursors() {
    if (!Screen) return;
    for (int i = 1; i <= 5; ++i)
        if (Screen->Cursors.Find(i)) {
            DestroyCursor(Screen->Cursors[i]);
            Screen->Cursors[i] = nullptr;
        }
}

inline std::unique_ptr<TokenObj> Tok(const std::string& s, int firstSource = 0) {
    auto t = std::make_unique<TokenObj>();
    for (std::size_t i = 0; i < s.size(); ++i) t->AddChar(s[i], firstSource + static_cast<int>(i));
    return t;
}

struct Page {
    TSectionList doc;
    TBitmap surface;
    TMyFont font;
    std::vector<std::string> errors;

    Page() {
        surface.SetPixelFormat(pf24bit);
        surface.SetSize(700, 500);
        surface.Canvas()->Brush()->SetColor(clWhite);
        surface.Canvas()->FillRect(Rect(0, 0, 700, 500));
        font.SetName("Arial");
        font.SetSize(12);
        font.SetColor(clBlack);
        doc.Background = clWhite;
        doc.OnProcessError = [this](const std::string& m) { errors.push_back(m); };
    }
    TCanvas* Canvas() { return surface.Canvas(); }

    // A new text section (not yet added).
    std::unique_ptr<TSection> Section(std::uint8_t justify = TSection::Left, int listLevel = 0,
                                      const TUrlTarget* url = nullptr) {
        return std::make_unique<TSection>(&doc, justify, url, font, listLevel);
    }
    TSection* Add(std::unique_ptr<TSectionBase> s) {
        auto* raw = s.get();
        doc.AddSection(std::move(s));
        return dynamic_cast<TSection*>(raw);
    }
    int LayOut(int width, int* scrollWidth = nullptr) {
        int sw = 0, curs = 0;
        const int h = doc.DoLayout(Canvas(), 0, width, sw, curs);
        if (scrollWidth) *scrollWidth = sw;
        return h;
    }
    void Paint(int width) { doc.Draw(Canvas(), Rect(0, 0, 700, 500), 0, 0, width); }
    // Text width in the page font (as the section measures it).
    int Width(const std::string& s, TFont* f = nullptr) {
        HDC dc = Canvas()->Handle();
        HGDIOBJ old = SelectObject(dc, (f ? f : &font)->Handle());
        SIZE sz{};
        GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &sz);
        SelectObject(dc, old);
        return sz.cx;
    }
    static std::string LineText(const TSection* s, const LineRec& l) {
        return s->Buffer().substr(static_cast<std::size_t>(l.Start), static_cast<std::size_t>(l.Ln));
    }
};

// A picture of w x h that the page fetches by name.
struct Pictures {
    // Encoded picture files (BMP from a plain colour, or any bytes).
    void AddBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        auto s = std::make_unique<TMemoryStream>();
        s->Write(bytes.data(), static_cast<int>(bytes.size()));
        streams[name] = std::move(s);
    }
    std::map<std::string, int> requests;
    std::map<std::string, std::unique_ptr<TMemoryStream>> streams;
    void Add(const std::string& name, int w, int h, TColor c = clRed) {
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.SetSize(w, h);
        b.Canvas()->Brush()->SetColor(c);
        b.Canvas()->FillRect(Rect(0, 0, w, h));
        auto bytes = b.SaveToBytes();
        auto s = std::make_unique<TMemoryStream>();
        s->Write(bytes.data(), static_cast<int>(bytes.size()));
        streams[name] = std::move(s);
    }
    void Attach(TSectionList& doc) {
        doc.OnGetImage = [this](const std::string& n) -> TStream* {
            ++requests[n];
            auto it = streams.find(n);
            return it == streams.end() ? nullptr : it->second.get();
        };
    }
};

inline std::shared_ptr<TAttributeList> ImageAttrs(const std::string& src, const std::string& align = "", int w = 0,
                                                 int h = 0) {
    auto a = std::make_shared<TAttributeList>();
    const TImageSymbols& sy = DefaultImageSymbols;
    a->AddAttribute(sy.Src, 0, src);
    if (!align.empty()) a->AddAttribute(sy.Align, 0, align);
    if (w) a->AddAttribute(sy.Width, w, std::to_string(w));
    if (h) a->AddAttribute(sy.Height, h, std::to_string(h));
    return a;
}

}  // namespace dockit
