// Fonts of text sections: relative sizes, font changes by buffer position,
// their metrics and link colouring.
#include <algorithm>

#include "gui/draw/ScopedDC.h"
#include "htmlview/HtmlSections.h"

namespace htmlview {

using namespace gui;

void TMyFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TMyFont*>(Source)) {
        NormalSize = f->NormalSize;
        Fixed = f->Fixed;
    }
    TFont::Assign(Source);
}

int EffectiveSize(int DefaultSize, int RelativeSize) {
    return MulDiv(DefaultSize, RelativeSize, 12);
}

TFontObj::TFontObj(TSection* ASection, const TMyFont& AFont, int APos) : Section(ASection), Pos(APos) {
    TheFont.Assign(const_cast<TMyFont*>(&AFont));
    // Every change of the font re-reads its metrics.
    TheFont.OnChange = [this](TObject*) { Measure(); };
    Measure();
}

TFontObj::~TFontObj() {
    TheFont.OnChange = nullptr;
}

void TFontObj::Measure() {
    // One memory DC per thread for reading metrics: a long page changes fonts
    // tens of thousands of times, and a new DC each time cost more than the
    // reading. The font is selected only for the call.
    thread_local const gui::OwnedDC dc(gui::CreateCompatibleDC(nullptr));
    if (!dc.Get()) return;
    gui::SelectedObject sel(dc.Get(), TheFont.Handle());
    TEXTMETRICA tm{};
    if (!GetTextMetricsA(dc.Get(), &tm)) return;
    tmHeight = tm.tmHeight;
    FontHeight = tm.tmHeight + tm.tmExternalLeading;
    Overhang = tm.tmOverhang;
    Descent = tm.tmDescent;
}

void TFontObj::Recolor() {
    const TSectionList* doc = Section ? Section->ParentSectionList : nullptr;
    if (!doc) return;
    const TColor c = FHover ? doc->LinkActiveColor : FVisited ? doc->LinkVisitedColor : doc->HotSpotColor;
    TheFont.SetColor(c | static_cast<TColor>(PALETTE_RELATIVE));
}

void TFontObj::SetVisited(bool Value) {
    if (Value == FVisited) return;
    FVisited = Value;
    Recolor();
}

void TFontObj::SetHover(bool Value) {
    if (Value == FHover) return;
    FHover = Value;
    Recolor();
}

namespace {
void ApplyDocument(TMyFont& F, const TSectionList& Doc, TColor Color) {
    F.SetName(F.Fixed ? Doc.PreFontName : Doc.FontName);
    F.SetCharset(Doc.Charset);
    F.SetSize(EffectiveSize(Doc.FontSize, F.NormalSize));
    F.SetColor(Color | static_cast<TColor>(PALETTE_RELATIVE));
}
}  // namespace

void TFontObj::Refresh(const TSectionList& Doc) {
    // One measurement for the whole change, not one per property.
    TheFont.OnChange = nullptr;
    if (HasLink()) {
        ApplyDocument(TheFont, Doc, Doc.HotSpotColor);
        Recolor();
    } else {
        ApplyDocument(TheFont, Doc, Doc.FontColor);
    }
    TheFont.OnChange = [this](TObject*) { Measure(); };
    Measure();
}

// ---- TFontList ------------------------------------------------------------------------

TFontObj* TFontList::FontAt(int Pos) const {
    TFontObj* found = nullptr;
    // Entries are in position order; the last at or before Pos is in force.
    int lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (Font(mid)->Pos <= Pos) {
            found = Font(mid);
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return found ? found : (Count() > 0 ? Font(0) : nullptr);
}

TFontObj* TFontList::FontAt(int Pos, int& Overhang) const {
    TFontObj* f = FontAt(Pos);
    Overhang = f ? f->Overhang : 0;
    return f;
}

int TFontList::CountAt(int Pos, int Leng) const {
    // Entries are in position order: the first one starting after Pos ends
    // the run. Searched by halves, as a paragraph of links has thousands.
    int lo = 0, hi = Count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (Font(mid)->Pos > Pos)
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo < Count() ? Font(lo)->Pos - Pos : Leng - Pos;
}

// ---- IndentManager -------------------------------------------------------------------------

int IndentManager::FloatBottom(int Side) const {
    return std::max(0, LowestFloat(Side == 1));
}

}  // namespace htmlview
