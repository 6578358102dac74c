// Text sections: painting lines (list markers, text runs with selection and
// caret, pictures), and the hit tests (links, images, caret positions).
#include <algorithm>

#include "gui/windows/Controls.h"
#include "gui/draw/ScopedDC.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlImages.h"
#include "htmlview/HtmlSections.h"

namespace htmlview {

using namespace gui;

namespace {

constexpr UINT BaselineAlign = 24;  // TA_BASELINE

TColor Plain(TColor c) { return c & ~static_cast<TColor>(PALETTE_RELATIVE); }

// Backgrounds light enough for the coloured bullets.
bool LightBackground(TColor bg) {
    bg = Plain(bg);
    if (bg == clBtnFace || bg == 0xFFFFFF || bg == 0xC0C0C0) return true;
    return bg == clWindow && (GetSysColor(COLOR_WINDOW) & 0xFFFFFF) == 0xFFFFFF;
}

const char* const Roman[20] = {"i",   "ii",   "iii",   "iv",  "v",  "vi",  "vii",  "viii",  "ix",  "x",
                               "xi",  "xii",  "xiii",  "xiv", "xv", "xvi", "xvii", "xviii", "xix", "xx"};

}  // namespace

String TSection::OrderedMarker() const {
    if (ListType != OrderedList) return String();
    const int n = ListNumber;
    String s;
    if ((ListStyle == 'A' || ListStyle == 'a') && n >= 1) {
        s = String(1, static_cast<char>(ListStyle + std::min(n - 1, 25)));
    } else if ((ListStyle == 'I' || ListStyle == 'i') && n >= 1) {
        s = Roman[std::min(n, 20) - 1];
        if (ListStyle == 'I')
            for (char& c : s) c = static_cast<char>(c - 32);
    } else {
        s = std::to_string(n);
    }
    s += '.';
    return s.substr(0, 7);
}

void TSection::DrawMarker(TCanvas* Canvas, const LineRec& L, int Baseline) {
    TSectionList* doc = ParentSectionList;
    const int left = FirstLineIndent + (L.DrawXX - L.LineLeftX);
    HDC dc = Canvas->Handle();
    if (ListType == OrderedList) {
        const String text = OrderedMarker();
        gui::SelectedObject sel(dc, BaseFont.Handle());
        SIZE sz{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &sz);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRef(BaseFont.Color()));
        TextOutA(dc, left - sz.cx - 5, Baseline, text.c_str(), static_cast<int>(text.size()));
    } else if (ListType == UnorderedList && !PlainItem) {
        const TColor textColor = doc ? doc->FontColor : clBlack;
        const TColor bg = doc ? doc->Background : clWhite;
        const int cx = left - 8;
        // DrawY is in document coordinates; the canvas shows the scrolled view.
        const int cy = L.DrawY - (doc ? doc->YOff : 0) + L.LineHt - L.LineHt / 2;
        if (LightBackground(bg)) {
            // Coloured by level; deeper levels keep the canvas colours.
            if (ListLevel <= 5) {
                const TColor ink = ListLevel % 3 == 0 ? 0x0000FF : ListLevel % 3 == 1 ? 0x800000 : 0x000080;
                Canvas->Pen()->SetColor(ink);
                Canvas->Brush()->SetColor(ink);
            }
            Canvas->Brush()->SetStyle(bsSolid);
        } else {
            Canvas->Pen()->SetColor(textColor);
            Canvas->Brush()->SetStyle(bsClear);
        }
        Canvas->Ellipse(cx - 2, cy - 2, cx + 3, cy + 3);
        Canvas->Brush()->SetColor(bg);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Pen()->SetColor(textColor);
    }
}

int TSection::Paint(TCanvas* Canvas, const TRect& ARect, IndentManager&, int X, int Y) {
    YValue = Y;
    const int result = Y + SectionHeight;
    TSectionList* doc = ParentSectionList;
    const int scroll = doc ? doc->YOff : 0;
    // Lines keep their painted place for hit tests even when off screen.
    {
        int y = Y;
        for (LineRec& l : FLines) {
            l.Top = y;
            l.DrawXX = X + l.LineLeftX;
            l.DrawY = y + l.SpaceBefore;
            y += l.Band();
        }
    }
    if (Len == 0 || Y - scroll >= ARect.Bottom || Y - scroll + std::max(DrawHeight, SectionHeight) <= ARect.Top)
        return result;

    const int selB = doc ? doc->SelB : 0, selE = doc ? doc->SelE : 0;
    const TColor background = doc ? doc->Background : clWhite;
    bool markerDone = false;
    for (const LineRec& l : FLines) {
        if (l.Ln == 0) continue;
        const int textBottom = l.DrawY + l.LineHt;  // document coordinates
        const int baseline = textBottom - l.Descent - scroll;
        const bool firstLine = !markerDone;
        markerDone = true;
        if (l.Top - scroll >= ARect.Bottom || l.Top - scroll + std::max(l.DrawHeight, l.Band()) <= ARect.Top)
            continue;
        if (firstLine && (ListType == OrderedList || ListType == UnorderedList)) {
            gui::SavedCanvasDC saved(*Canvas);
            SetTextAlign(saved.DC(), BaselineAlign);
            DrawMarker(Canvas, l, baseline);
        }
        int x = l.DrawXX;
        const int end = l.Start + l.Ln;
        bool onlyFloatsSoFar = true;
        for (int i = l.Start; i < end;) {
            const char c = Buff[static_cast<std::size_t>(i)];
            if (chars::IsImage(c)) {
                TImageObj* img = Images->FindImage(i);
                if (img) {
                    TFontObj* f = Fonts.FontAt(i);
                    if (img->Floats()) {
                        const int t = onlyFloatsSoFar ? l.Top : textBottom;
                        img->Paint(Canvas, X + img->Indent, t, f, textBottom - l.Descent);
                    } else {
                        img->Paint(Canvas, x + img->HSpace, textBottom - l.LineHt, f, textBottom - l.Descent);
                        x += img->ImageWidth + 2 * img->HSpace;
                        onlyFloatsSoFar = false;
                    }
                }
                ++i;
                continue;
            }
            onlyFloatsSoFar = false;
            if (chars::IsControl(c)) {
                if (TFormControlObj* ctl = FormControls->FindControl(i)) {
                    // Bottom on the text's bottom, or on the baseline.
                    const int bottom = (ctl->OnBaseline ? textBottom - l.Descent : textBottom) - scroll;
                    if (auto* radio = dynamic_cast<TRadioButtonFormControlObj*>(ctl); radio && radio->TheControl()) {
                        TCell* home = radio->MyCell;
                        radio->TheControl()->SetColor(home && home->BkGnd ? home->BkColor : background);
                    }
                    ctl->Place(x, bottom - ctl->Height());
                    x += ctl->Width();
                }
                ++i;
                continue;
            }
            int run = Fonts.CountAt(i, Len);
            run = std::min(run, end - i);
            int k = i;
            while (k < i + run && !chars::IsObject(Buff[static_cast<std::size_t>(k)])) ++k;
            run = k - i;
            const int pos = StartCurs + i;
            // Cut at the selection's ends.
            if (pos < selB && pos + run > selB) run = selB - pos;
            if (pos < selE && pos + run > selE) run = selE - pos;
            const bool selected = pos >= selB && pos < selE;
            TFontObj* f = Fonts.FontAt(i);
            String text = Buff.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(run));
            std::replace(text.begin(), text.end(), chars::NoBreakSpace, ' ');
            int shift = 0;
            if (f->SScript == Subscript) shift = f->Descent / 2 + 1;
            if (f->SScript == Superscript) shift = -(f->FontHeight / 3);
            int width = 0;
            {
                gui::SavedCanvasDC saved(*Canvas);
                HDC dc = saved.DC();
                SetTextAlign(dc, BaselineAlign);
                gui::SelectedObject sel(dc, f->TheFont.Handle());
                if (selected) {
                    SetBkMode(dc, OPAQUE);
                    SetBkColor(dc, ColorToRef(f->TheFont.Color()));
                    SetTextColor(dc, ColorToRef(background));
                } else {
                    SetBkMode(dc, TRANSPARENT);
                    SetTextColor(dc, ColorToRef(f->TheFont.Color()));
                }
                if (FPreformatted && Cell && Cell->ClipWidth > 0) {
                    // Long preformatted lines stop at the cell's edge.
                    const TRect clip = Rect(X, l.Top - scroll, X + Cell->ClipWidth, l.Top + l.Band() - scroll);
                    ExtTextOutA(dc, x - f->Overhang / 2, baseline + shift, ETO_CLIPPED, &clip, text.c_str(),
                                static_cast<UINT>(run), nullptr);
                } else {
                    TextOutA(dc, x - f->Overhang / 2, baseline + shift, text.c_str(), run);
                }
                SIZE sz{};
                GetTextExtentPoint32A(dc, text.c_str(), run, &sz);
                width = sz.cx - f->Overhang;
                if (doc && doc->ShowCaret && pos == selB && selB == selE) {
                    const TRect caret = Rect(x, baseline + f->Descent + shift - f->FontHeight, x + 1,
                                             baseline + f->Descent + shift);
                    HBRUSH b = CreateSolidBrush(ColorToRef(f->TheFont.Color()));
                    FillRect(dc, &caret, b);
                    DeleteObject(b);
                }
            }
            x += width;
            i += std::max(run, 1);
        }
    }
    return result;
}

// ---- Hit tests ------------------------------------------------------------------------------

const LineRec* TSection::LineAtY(int Y) const {
    for (const LineRec& l : FLines)
        if (l.Ln > 0 && Y >= l.Top && Y < l.Top + l.Band()) return &l;
    return nullptr;
}

int TSection::FitLine(TCanvas* Canvas, const LineRec& L, int W, int& Used) {
    Used = 0;
    const int end = L.Start + L.Ln;
    int i = L.Start;
    while (i < end) {
        const char c = Buff[static_cast<std::size_t>(i)];
        if (chars::IsObject(c)) {
            TImageObj* img = chars::IsImage(c) ? Images->FindImage(i) : nullptr;
            int w = img && !img->Floats() ? img->ImageWidth + 2 * img->HSpace : 0;
            if (chars::IsControl(c)) w = FormControls->GetWidthAt(i);
            if (Used + w > W) break;
            Used += w;
            ++i;
            continue;
        }
        int run = std::min(Fonts.CountAt(i, Len), end - i);
        int k = i;
        while (k < i + run && !chars::IsObject(Buff[static_cast<std::size_t>(k)])) ++k;
        run = k - i;
        int used = 0;
        const int fit = FitText(Canvas, i, run, W - Used, used);
        Used += used;
        i += fit;
        if (fit < run) break;
    }
    return i - L.Start;
}

TImageHit TSection::ImageAt(int X, int Y) {
    TImageHit hit;
    for (int i = 0; i < Images->Count(); ++i)
        if (Images->Image(i)->HitTest(X, Y, hit.XInside, hit.YInside)) {
            hit.Image = Images->Image(i);
            return hit;
        }
    return {};
}

std::unique_ptr<TUrlTarget> TSection::LinkAt(TCanvas* Canvas, int X, int Y, TObject*& FormControl) {
    TSectionList* doc = ParentSectionList;
    for (int i = 0; i < Images->Count(); ++i) {
        TImageObj* img = Images->Image(i);
        int xi = 0, yi = 0;
        if (!img->HitTest(X, Y, xi, yi)) continue;
        if (doc) doc->ActiveImage = img;
        if (img->FormControl) {
            FormControl = img->FormControl;
            if (auto* button = dynamic_cast<TImageFormControlObj*>(img->FormControl)) {
                button->XTmp = xi;
                button->YTmp = yi;
            }
            return nullptr;
        }
        TFontObj* f = Fonts.FontAt(img->Pos);
        if (img->UseMap && doc) {
            for (int m = 0; m < doc->MapList.Count(); ++m) {
                TMapItem* map = doc->MapList.Items(m);
                if (map->MapName == img->MapName) return map->GetURL(xi, yi);
            }
        }
        if (f && f->HasLink()) {
            auto url = std::make_unique<TUrlTarget>(f->UrlTarget.Url, f->UrlTarget.Target);
            if (img->IsMap) {
                // Appended piece by piece: "?" + a temporary trips a false -Wrestrict in GCC 12 at -O2.
                url->Url += '?';
                url->Url += std::to_string(xi);
                url->Url += ',';
                url->Url += std::to_string(yi);
            }
            if (doc) doc->ActiveLink = f;
            return url;
        }
        return nullptr;
    }
    const LineRec* l = LineAtY(Y);
    if (!l || X < l->DrawXX) return nullptr;
    int used = 0;
    const int n = FitLine(Canvas, *l, X - l->DrawXX, used);
    if (n >= l->Ln) return nullptr;
    const int i = l->Start + n;
    if (chars::IsImage(Buff[static_cast<std::size_t>(i)])) return nullptr;
    TFontObj* f = Fonts.FontAt(i);
    if (!f || !f->HasLink()) return nullptr;
    if (doc) doc->ActiveLink = f;
    return std::make_unique<TUrlTarget>(f->UrlTarget.Url, f->UrlTarget.Target);
}

TCursorHit TSection::CursorAt(TCanvas* Canvas, int X, int Y) {
    TCursorHit hit;
    const LineRec* l = LineAtY(Y);
    if (!l) return hit;
    hit.CaretHt = l->LineHt;
    hit.CaretY = l->Top + l->SpaceBefore;
    if (X < l->DrawXX) {
        hit.CaretX = l->DrawXX;
        hit.Pos = StartCurs + l->Start;
        return hit;
    }
    int used = 0;
    int n = FitLine(Canvas, *l, X - l->DrawXX, used);
    hit.CaretX = l->DrawXX + used;
    if (n < l->Ln) {
        hit.InText = true;
        const int next = TextWidth(Canvas, l->Start + n, 1, false);
        if (used + next / 2 <= X - l->DrawXX) {
            ++n;
            hit.CaretX += next;
        }
    }
    if (n >= l->Ln) hit.InText = false;
    hit.Pos = StartCurs + l->Start + n;
    return hit;
}

bool TSection::CaretPointOf(TCanvas* Canvas, int DocPos, int& X, int& Y) {
    const int i = DocPos - StartCurs;
    if (i < 0 || i > Len || Len == 0) return false;
    for (std::size_t k = 0; k < FLines.size(); ++k) {
        const LineRec& l = FLines[k];
        const bool last = k + 1 == FLines.size();
        if (l.Ln == 0) continue;
        if (i >= l.Start && (i < l.Start + l.Ln || (last && i == l.Start + l.Ln))) {
            Y = l.Top;
            X = l.DrawXX + TextWidth(Canvas, l.Start, i - l.Start, false);
            return true;
        }
    }
    return false;
}

}  // namespace htmlview
