// Text sections: measuring text runs, the count that fits, line breaking,
// alignment, clearing floats and the minimum and maximum widths.
#include <algorithm>

#include "gui/draw/ScopedDC.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlImages.h"
#include "htmlview/HtmlSections.h"

namespace htmlview {

using namespace gui;

namespace {

// Pixel extent of a piece of text in a font, measured on the canvas's DC.
int Extent(HDC DC, TFontObj* F, const char* Text, int N) {
    if (N <= 0) return 0;
    gui::SelectedObject sel(DC, F->TheFont.Handle());
    SIZE sz{};
    GetTextExtentPoint32A(DC, Text, N, &sz);
    return sz.cx;
}

}  // namespace

// Characters from i up to the next image or control mark (or the end).
static int ToNextObject(const String& Buff, int i, int End) {
    int k = i;
    while (k < End && !chars::IsObject(Buff[static_cast<std::size_t>(k)])) ++k;
    return k - i;
}

int TSection::TextWidth(TCanvas* Canvas, int Start, int N, bool RemoveSpaces) {
    if (RemoveSpaces)
        while (N > 1 && Buff[static_cast<std::size_t>(Start + N - 1)] == ' ') --N;
    const int end = std::min(Start + N, Len);
    HDC dc = Canvas->Handle();
    int sum = 0;
    int i = Start;
    while (i < end) {
        const char c = Buff[static_cast<std::size_t>(i)];
        if (chars::IsImage(c)) {
            TImageObj* img = Images->FindImage(i);
            if (img && !img->Floats()) sum += img->ImageWidth + 2 * img->HSpace;
            ++i;
            continue;
        }
        if (chars::IsControl(c)) {
            sum += FormControls->GetWidthAt(i);
            ++i;
            continue;
        }
        const int fontRun = std::min(end - i, Fonts.CountAt(i, Len));
        const int run = std::min(fontRun, ToNextObject(Buff, i, i + fontRun));
        TFontObj* f = Fonts.FontAt(i);
        sum += Extent(dc, f, Buff.data() + i, run) - f->Overhang;
        i += run;
    }
    return sum;
}

int TSection::FitText(TCanvas* Canvas, int Start, int N, int W, int& Used) {
    HDC dc = Canvas->Handle();
    TFontObj* f = Fonts.FontAt(Start);
    gui::SelectedObject sel(dc, f->TheFont.Handle());
    auto width = [&](int k) {
        SIZE sz{};
        GetTextExtentPoint32A(dc, Buff.data() + Start, k, &sz);
        return sz.cx - f->Overhang;
    };
    Used = 0;
    if (N <= 0) return 0;
    const int all = width(N);
    if (all <= W) {
        Used = all;
        return N;
    }
    // Largest prefix in [0, N) whose extent fits.
    int lo = 0, hi = N - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (width(mid) <= W)
            lo = mid;
        else
            hi = mid - 1;
    }
    Used = lo > 0 ? width(lo) : 0;
    return lo;
}

int TSection::ClearDistance(const IndentManager& IMgr, int Y) const {
    int d = 0;
    if (ClearAttr == ClearLeft || ClearAttr == ClearAll) d = std::max(d, IMgr.FloatBottom(1) - Y);
    if (ClearAttr == ClearRight || ClearAttr == ClearAll) d = std::max(d, IMgr.FloatBottom(2) - Y);
    return std::max(d, 0);
}

int TSection::LayOut(TCanvas* Canvas, int Y, IndentManager& IMgr, int& MaxWidth, int& Curs) {
    YValue = Y;
    StartCurs = Curs;
    SectionHeight = 0;
    FLines.clear();
    if (Indent == StrayListIndentStep)
        IMgr.SetLevelOne(Y, ListLevel);
    else
        IMgr.SetLevel(Y, ListLevel);

    if (Len == 0) {
        SectionHeight = ClearDistance(IMgr, Y);
        DrawHeight = SectionHeight;
        MaxWidth = 0;
        return SectionHeight;
    }

    FirstLineIndent = IMgr.LeftIndent(Y);
    MaxWidth = IMgr.Width;
    const int availAtTop = IMgr.RightSide(Y) - IMgr.LeftIndent(Y);
    for (int i = 0; i < Images->Count(); ++i) {
        TImageObj* img = Images->Image(i);
        img->LayOut(Canvas, availAtTop, Fonts.FontAt(img->Pos));
        MaxWidth = std::max(MaxWidth, img->ImageWidth + Indent);
    }
    for (int i = 0; i < FormControls->Count(); ++i)
        MaxWidth = std::max(MaxWidth, FormControls->Control(i)->Width() + Indent);

    int y = Y;
    if (ClearAttr != ClearNone) {
        const int d = ClearDistance(IMgr, y);
        if (d > 0) {
            LineRec l;
            l.LineHt = d;
            l.DrawHeight = d;
            l.Top = y;
            FLines.push_back(l);
            SectionHeight += d;
            y += d;
        }
    }

    int start = 0;
    while (start < Len) {
        const int lf = IMgr.LeftIndent(y);
        const int avail = FPreformatted ? 32000 : IMgr.RightSide(y) - lf;
        int sum = 0, j = start, floatHt = 0;
        bool overflow = false, content = false;
        std::vector<TImageObj*> deferred;
        while (j < Len) {
            const char c = Buff[static_cast<std::size_t>(j)];
            if (chars::IsImage(c)) {
                TImageObj* img = Images->FindImage(j);
                if (img && img->Floats()) {
                    if (!content) {
                        IMgr.FloatImage(y, img);
                        sum += img->ImageWidth + img->HSpace;
                        floatHt = std::max(floatHt, img->ImageHeight + 2 * img->VSpace);
                    } else {
                        deferred.push_back(img);
                    }
                    ++j;
                    continue;
                }
                const int w = img ? img->ImageWidth + 2 * img->HSpace : 0;
                if (sum + w > avail && j > start) {
                    overflow = true;
                    break;
                }
                sum += w;
                ++j;
                content = true;
                continue;
            }
            if (chars::IsControl(c)) {
                const int w = FormControls->GetWidthAt(j);
                if (sum + w > avail && j > start) {
                    overflow = true;
                    break;
                }
                sum += w;
                ++j;
                content = true;
                continue;
            }
            // The object scan stops at the font run's end: scanning to the end of
            // the buffer for every run made long paragraphs quadratic.
            const int fontRun = std::min(Len - j, Fonts.CountAt(j, Len));
            const int run = std::min(fontRun, ToNextObject(Buff, j, j + fontRun));
            int used = 0;
            const int fit = FitText(Canvas, j, run, avail - sum, used);
            if (fit < run) {
                j += fit;
                overflow = true;
                break;
            }
            sum += used;
            j += run;
            content = true;
        }
        int end = std::max(j, start + 1);
        if (overflow && end < Len) {
            const auto at = [&](int k) { return Buff[static_cast<std::size_t>(k)]; };
            if (at(end - 1) == ' ' || at(end) == ' ') {
                // A word that fits ends the line even when its space would not.
                while (end < Len && at(end) == ' ') ++end;
            } else if (at(end) == chars::FormControl || at(end) == chars::Image) {
                // The line ends right before the picture or control.
            } else {
                int k = end - 1;
                while (k > start && !chars::IsBreak(at(k))) --k;
                if (k > start) {
                    end = k + 1;
                } else {
                    // No break in reach: the whole word goes on this line.
                    int w = end;
                    while (w < Len && !chars::IsBreak(at(w))) ++w;
                    end = w;
                    while (end < Len && at(end) == ' ') ++end;
                    MaxWidth = std::max(MaxWidth, TextWidth(Canvas, start, w - start, true));
                }
            }
        }
        std::vector<TImageObj*> late;
        for (TImageObj* img : deferred)
            if (img->Pos < end) late.push_back(img);
        FinishLine(Canvas, IMgr, start, end - start, floatHt, late, y);
        start = end;
    }

    Curs = StartCurs + Len;
    if (ListLevel > 0) SectionHeight = std::max(SectionHeight, IMgr.DeeperBottom() - Y);
    DrawHeight = std::max(SectionHeight, IMgr.ImageBottom() - Y);
    return SectionHeight;
}

void TSection::FinishLine(TCanvas* Canvas, IndentManager& IMgr, int Start, int N, int FloatHt,
                          const std::vector<TImageObj*>& Deferred, int& Y) {
    LineRec l;
    l.Start = Start;
    l.Ln = N;
    l.Top = Y;
    const int end = Start + N;
    bool text = false;
    for (int i = Start; i < end && !text; ++i) text = !chars::IsObject(Buff[static_cast<std::size_t>(i)]);
    if (text) {
        for (int i = Start; i < end;) {
            TFontObj* f = Fonts.FontAt(i);
            l.LineHt = std::max(l.LineHt, f->FontHeight);
            l.Descent = std::max(l.Descent, f->Descent);
            i += std::max(1, Fonts.CountAt(i, Len));
        }
    }
    for (int i = Start; i < end; ++i) {
        if (!chars::IsImage(Buff[static_cast<std::size_t>(i)])) continue;
        TImageObj* img = Images->FindImage(i);
        if (!img || img->Floats()) continue;
        const int d = img->ImageHeight - l.LineHt;
        switch (img->ObjAlign) {
            case TFloatingObj::ATop:
                l.SpaceAfter = std::max(l.SpaceAfter, d);
                break;
            case TFloatingObj::AMiddle:
                l.SpaceAfter = std::max(l.SpaceAfter, d / 2);
                l.SpaceBefore = std::max(l.SpaceBefore, d - d / 2);
                break;
            default:
                l.SpaceBefore = std::max(l.SpaceBefore, img->ImageHeight + l.Descent - l.LineHt);
                break;
        }
    }
    for (int i = Start; i < end; ++i) {
        if (!chars::IsControl(Buff[static_cast<std::size_t>(i)])) continue;
        TFormControlObj* ctl = FormControls->FindControl(i);
        if (!ctl) continue;
        // Controls on the baseline need the room of the descent as well.
        const int d = ctl->Height() - l.LineHt + (ctl->OnBaseline ? l.Descent : 0);
        l.SpaceBefore = std::max(l.SpaceBefore, d);
        ctl->YValue = Y;
    }
    const int lf = IMgr.LeftIndent(Y), rt = IMgr.RightSide(Y);
    const int cw = TextWidth(Canvas, Start, N, true);
    switch (Justify) {
        case Centre: l.LineLeftX = std::max(lf, (lf + rt - cw) / 2); break;
        case Right: l.LineLeftX = rt - cw - 1; break;
        default: l.LineLeftX = lf; break;
    }
    l.DrawXX = l.LineLeftX;
    const int band = l.Band();
    SectionHeight += band;
    Y += band;
    l.DrawHeight = std::max(band, FloatHt);
    for (TImageObj* img : Deferred) {
        IMgr.FloatImage(Y, img);
        l.DrawHeight = std::max(l.DrawHeight, band + img->ImageHeight + 2 * img->VSpace);
    }
    l.DrawY = Y - l.SpaceAfter - l.LineHt;
    FLines.push_back(l);
}

void TSection::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
    Min = 0;
    Max = 0;
    if (Len == 0) return;
    int largest = 0, floats = 0;
    for (int i = 0; i < Images->Count(); ++i) {
        const TImageObj* img = Images->Image(i);
        if (img->Percent) continue;
        if (img->Floats())
            floats += img->ImageWidth + img->HSpace;
        else
            largest = std::max(largest, img->ImageWidth);
    }
    Max = floats + TextWidth(Canvas, 0, Len, false) + Indent;
    int widest = 0;
    int i = 0;
    while (i < Len) {
        int k = i;
        while (k < Len && Buff[static_cast<std::size_t>(k)] != ' ' && Buff[static_cast<std::size_t>(k)] != chars::Image &&
               Buff[static_cast<std::size_t>(k)] != '\0')
            ++k;
        if (k > i) widest = std::max(widest, TextWidth(Canvas, i, k - i, false));
        i = k + 1;
    }
    Min = std::max(largest, widest) + floats + Indent;
}

// ---- Floats ----------------------------------------------------------------------------------

void IndentManager::FloatImage(int Y, TFloatingObj* Img) {
    const int w = Img->ImageWidth + Img->HSpace;
    const int bottom = Y + Img->ImageHeight + 2 * Img->VSpace;
    auto rec = std::make_unique<IndentRec>();
    rec->YT = Y;
    rec->YB = bottom;
    rec->Lev = 0;
    if (Img->ObjAlign == TFloatingObj::ALeft) {
        Img->Indent = LeftIndent(Y) - LfEdge;
        rec->X = Img->Indent + w;
        L.Add(std::move(rec));
    } else if (Img->ObjAlign == TFloatingObj::ARight) {
        const int r = RightSide(Y) - RtEdge - w;
        rec->X = r;
        R.Add(std::move(rec));
        Img->Indent = RtEdge + r + Img->HSpace;
    }
}

}  // namespace htmlview
