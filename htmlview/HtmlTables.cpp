// Tables: attributes, the grid with its spans, column measurement, the
// distribution of the available width, row heights and placement.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "gui/draw/Gdi.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlParse.h"

namespace htmlview {

using namespace gui;

// The tokenizer numbers attributes in this order (ALIGN 5, BGCOLOR 7, ...).
const TTableSymbols DefaultTableSymbols{AlignAttr,       BgColorAttr, ColSpanAttr,     RowSpanAttr,
                                        BorderAttr,      CellPaddingAttr, CellSpacingAttr, WidthAttr,
                                        BorderColorAttr, HeightAttr,  HSpaceAttr,      VSpaceAttr};

namespace {

String Upper(String s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool HasPercent(const String& s) { return s.find('%') != String::npos; }

// Integer a * b / c on 64 bits, truncating; 0 for c == 0.
int Scale(long long a, long long b, long long c) { return c == 0 ? 0 : static_cast<int>(a * b / c); }

// Multiply-then-divide rounded to nearest; 0 where the division is undefined.
int Share(int a, int b, int c) { return c == 0 ? 0 : MulDiv(a, b, c); }

}  // namespace

bool ParseHtmlColor(const String& Value, TColor& Color) {
    if (!ParseColorValue(Value, Color)) return false;
    Color |= static_cast<TColor>(PALETTE_RELATIVE);
    return true;
}

// ---- TCellObj ---------------------------------------------------------------------------------

TCellObj::TCellObj(TSectionList* Doc, const TAttributeList& Attrs, std::uint8_t AVAlign, const TTableSymbols& Sy)
    : VAlign(AVAlign), Cell(std::make_unique<TCell>(Doc)) {
    for (int i = 0; i < Attrs.Count(); ++i) {
        const TAttribute* a = Attrs.Attr(i);
        if (a->Which == Sy.BgColor) {
            TColor c;
            if (ParseHtmlColor(a->Name, c)) {
                Cell->BkColor = c;
                Cell->BkGnd = true;
            }
        } else if (a->Which == Sy.ColSpan) {
            if (a->Value > 1) ColSpan = a->Value;
        } else if (a->Which == Sy.RowSpan) {
            if (a->Value > 1) RowSpan = a->Value;
        } else if (a->Which == Sy.Width) {
            if (HasPercent(a->Name)) {
                if (a->Value >= 1 && a->Value <= 100) {
                    SpecWd = a->Value * 10;
                    WidthPercent = true;
                }
            } else if (a->Value > 0) {
                SpecWd = a->Value;
            }
        } else if (a->Which == Sy.Height) {
            SpecHt = std::max(0, a->Value);
        }
    }
}

std::unique_ptr<TCellObj> TCellObj::Placeholder(TSectionList* Doc, int ARowSpan) {
    auto c = std::make_unique<TCellObj>(Doc, TAttributeList(), std::uint8_t{0});
    c->ColSpan = 0;
    c->RowSpan = ARowSpan;
    return c;
}

TCellObj::~TCellObj() = default;

// ---- TCellList ---------------------------------------------------------------------------------

TCellList::TCellList(const TAttributeList& Attrs, const TTableSymbols& Sy) {
    TAttribute* a = nullptr;
    TColor c;
    if (Attrs.Find(Sy.BgColor, a) && ParseHtmlColor(a->Name, c)) {
        BkColor = c;
        BkGnd = true;
    }
}

void TCellList::AddCell(std::unique_ptr<TCellObj> C) { Add(std::move(C)); }

// ---- ThtmlTable: building ---------------------------------------------------------------------

ThtmlTable::ThtmlTable(TCell* AOwner, int AListLevel, TSectionList* ADoc, std::uint8_t AJustify,
                       const TAttributeList& Attrs, const TTableSymbols& Sy)
    : TSectionBase(ADoc),
      Caption(std::make_unique<TCellObj>(ADoc, TAttributeList(), std::uint8_t{0})),
      Justify(AJustify),
      ListLevel(AListLevel),
      Owner(AOwner),
      Doc(ADoc) {
    for (int i = 0; i < Attrs.Count(); ++i) {
        const TAttribute* a = Attrs.Attr(i);
        if (a->Which == Sy.Align) {
            const String v = Upper(Trim(a->Name));
            if (v == "CENTER") {
                Justify = ACentre;
            } else if (v == "LEFT") {
                Justify = ALeft;
                Float = true;
            } else if (v == "RIGHT") {
                Justify = ARight;
                Float = true;
            }
        } else if (a->Which == Sy.BgColor) {
            BkGnd = ParseHtmlColor(a->Name, BkColor) || BkGnd;
        } else if (a->Which == Sy.Border) {
            BorderOn = a->Value > 0;
        } else if (a->Which == Sy.CellPadding) {
            if (a->Value >= 0) CellPadding = std::min(a->Value, 50);
        } else if (a->Which == Sy.CellSpacing) {
            if (a->Value >= 0) CellSpacing = std::min(a->Value, 40);
        } else if (a->Which == Sy.Width) {
            if (HasPercent(a->Name)) {
                WidthPercent = true;
                SpecWidth = a->Value >= 1 && a->Value <= 100 ? a->Value * 10 : 0;
            } else {
                WidthPercent = false;
                SpecWidth = a->Value;
            }
        } else if (a->Which == Sy.BorderColor) {
            BdrOn = ParseHtmlColor(a->Name, BdrColor) || BdrOn;
        } else if (a->Which == Sy.Height) {
            // A percentage height is of the viewer's window, so only a table
            // standing directly in the document can have one.
            if (HasPercent(a->Name) && Owner == Doc) {
                HeightPercent = true;
                SpecHeight = a->Value >= 1 && a->Value <= 110 ? a->Value * 10 : 0;
            } else {
                HeightPercent = false;
                SpecHeight = a->Value;
            }
        } else if (a->Which == Sy.HSpace) {
            HSpace = std::min(40, std::abs(a->Value));
        } else if (a->Which == Sy.VSpace) {
            VSpace = std::min(200, std::abs(a->Value));
        }
    }
    if (BorderOn) CellSpacing = std::max(1, CellSpacing + 2);
    Widths.assign(MaxCols + 1, 0);
}

ThtmlTable::~ThtmlTable() = default;

void ThtmlTable::AddRow(std::unique_ptr<TCellList> Row) {
    if (Row) Rows.Add(std::move(Row));
}

// ---- Grid normalisation --------------------------------------------------------------------

void ThtmlTable::Initialize() {
    if (Initialized) return;
    Initialized = true;
    if (!BkGnd && Owner && Owner->BkGnd) {
        BkGnd = true;
        BkColor = Owner->BkColor;
    }
    // Spans make entries; a row past the column limit is refused before a
    // huge COLSPAN can make millions of them.
    const auto tooMany = [this] {
        FTooManyColumns = true;
        for (int r = 0; r < RowCount(); ++r) Row(r)->Clear();
        ColCount = 0;
    };
    ColCount = 0;
    for (int r = 0; r < RowCount(); ++r) {
        TCellList* row = Row(r);
        for (int c = 0; c < row->Count(); ++c) {
            TCellObj* cell = row->CellObj(c);
            if (cell && !cell->Cell->BkGnd && row->BkGnd) {
                cell->Cell->BkGnd = true;
                cell->Cell->BkColor = row->BkColor;
            }
        }
        long long entries = row->Count();
        for (int c = 0; c < row->Count(); ++c)
            if (TCellObj* cell = row->CellObj(c)) entries += cell->ColSpan - 1;
        if (entries > MaxCols) {
            tooMany();
            return;
        }
        for (int c = row->Count() - 1; c >= 0; --c) {
            TCellObj* cell = row->CellObj(c);
            if (!cell) continue;
            if (cell->PixelWidth()) HasPixelWidthCells = true;
            if (!cell->Cell->BkGnd && BkGnd) {
                cell->Cell->BkGnd = true;
                cell->Cell->BkColor = BkColor;
            }
            for (int k = 1; k < cell->ColSpan; ++k)
                row->Insert(c + 1, cell->RowSpan < 2 ? nullptr : TCellObj::Placeholder(Doc, cell->RowSpan));
        }
        ColCount = std::max(ColCount, row->Count());
    }
    // Row spans: cut at the last row; the slots below take placeholders.
    const int rows = RowCount();
    for (int c = 0; c < ColCount; ++c) {
        for (int r = 0; r < rows; ++r) {
            TCellList* row = Row(r);
            if (c >= row->Count()) continue;
            TCellObj* cell = row->CellObj(c);
            if (!cell || cell->RowSpan < 2) continue;
            cell->RowSpan = std::min(cell->RowSpan, rows - r);
            for (int k = 1; k < cell->RowSpan; ++k) {
                TCellList* below = Row(r + k);
                // A shorter row is padded so the placeholder keeps its column.
                while (below->Count() < c) below->Add(nullptr);
                below->Insert(c, TCellObj::Placeholder(Doc, 0));
                if (below->Count() > MaxCols) {
                    tooMany();
                    return;
                }
            }
        }
        for (int r = 0; r < rows; ++r) ColCount = std::max(ColCount, Row(r)->Count());
    }
}

// ---- Column measurement ---------------------------------------------------------------------

struct ThtmlTable::Measure {
    std::vector<int> Min, Max, Pct;
    int TotMin = 0, TotMax = 0;
    explicit Measure(int n) : Min(static_cast<std::size_t>(n), 0), Max(Min), Pct(Min) {}
    void Totals() {
        TotMin = TotMax = 0;
        for (std::size_t i = 0; i < Min.size(); ++i) {
            // A span can leave a column's maximum under its minimum.
            Max[i] = std::max(Max[i], Min[i]);
            TotMin += Min[i];
            TotMax += Max[i];
        }
    }
};

void ThtmlTable::CellMinMax(TCanvas* Canvas, TCellObj* C, int& Mn, int& Mx) {
    const int pad = 2 * CellPadding + CellSpacing;
    C->Cell->MeasureWidths(Canvas, Mn, Mx);
    Mn += pad;
    Mx += pad;
    if (C->PixelWidth()) {
        Mn = std::max(Mn, C->SpecWd + pad);
        Mx = std::max(Mn, C->SpecWd + pad);
    }
}

namespace {

int MaxColSpan(const TFreeList<TCellList>& Rows) {
    int s = 1;
    for (int r = 0; r < Rows.Count(); ++r) {
        TCellList* row = Rows.Items(r);
        for (int c = 0; c < row->Count(); ++c)
            if (TCellObj* cell = row->CellObj(c)) s = std::max(s, cell->ColSpan);
    }
    return s;
}

// Adds Extra to the columns [First, Last) in proportion to Weight (all to the
// first column when the weights sum to nothing); the rounding remainder goes
// to the last column so the columns take exactly Extra.
void Spread(std::vector<int>& Cols, const std::vector<int>& Weight, int First, int Last, int Extra) {
    long long sum = 0;
    for (int k = First; k < Last; ++k) sum += Weight[static_cast<std::size_t>(k)];
    if (sum <= 0) {
        Cols[static_cast<std::size_t>(First)] += Extra;
        return;
    }
    int given = 0, lastWeighted = First;
    for (int k = First; k < Last; ++k) {
        if (Weight[static_cast<std::size_t>(k)] <= 0) continue;
        const int part = Scale(Extra, Weight[static_cast<std::size_t>(k)], sum);
        Cols[static_cast<std::size_t>(k)] += part;
        given += part;
        lastWeighted = k;
    }
    Cols[static_cast<std::size_t>(lastWeighted)] += Extra - given;
}

}  // namespace

void ThtmlTable::PlainMeasure(TCanvas* Canvas, Measure& M) {
    const int maxSpan = MaxColSpan(Rows);
    for (int s = 1; s <= maxSpan; ++s)
        for (int r = 0; r < RowCount(); ++r) {
            TCellList* row = Row(r);
            for (int c = 0; c < row->Count() && c < ColCount; ++c) {
                TCellObj* cell = row->CellObj(c);
                if (!cell || cell->ColSpan != s) continue;
                int mn, mx;
                CellMinMax(Canvas, cell, mn, mx);
                const auto i = static_cast<std::size_t>(c);
                if (s == 1) {
                    M.Min[i] = std::max(M.Min[i], mn);
                    M.Max[i] = std::max(M.Max[i], mx);
                    continue;
                }
                const int last = std::min(c + s, ColCount);
                int sumMin = 0, sumMax = 0;
                for (int k = c; k < last; ++k) {
                    sumMin += M.Min[static_cast<std::size_t>(k)];
                    sumMax += M.Max[static_cast<std::size_t>(k)];
                }
                if (mn > sumMin) Spread(M.Min, M.Min, c, last, mn - sumMin);
                if (mx > sumMax) Spread(M.Max, M.Max, c, last, mx - sumMax);
            }
        }
    M.Totals();
}

void ThtmlTable::PercentMeasure(TCanvas* Canvas, int TotalW, Measure& M) {
    const int maxSpan = MaxColSpan(Rows);
    for (int s = 1; s <= maxSpan; ++s)
        for (int r = 0; r < RowCount(); ++r) {
            TCellList* row = Row(r);
            for (int c = 0; c < row->Count() && c < ColCount; ++c) {
                TCellObj* cell = row->CellObj(c);
                if (!cell || cell->ColSpan != s) continue;
                int mn, mx;
                CellMinMax(Canvas, cell, mn, mx);
                int p = 0;
                if (cell->WidthPercent)
                    p = cell->SpecWd;
                else if (cell->SpecWd > 0 && TotalW > 0)
                    p = std::min(1000, Scale(cell->SpecWd, 1000, TotalW));
                const auto i = static_cast<std::size_t>(c);
                if (s == 1) {
                    M.Min[i] = std::max(M.Min[i], mn);
                    M.Max[i] = std::max(M.Max[i], mx);
                    M.Pct[i] = std::max(M.Pct[i], p);
                    continue;
                }
                const int last = std::min(c + s, ColCount);
                const int n = last - c;
                int sumMin = 0, sumMax = 0, P = 0, z = 0;
                std::vector<bool> without(static_cast<std::size_t>(n), false);
                for (int k = c; k < last; ++k) {
                    const auto j = static_cast<std::size_t>(k);
                    sumMin += M.Min[j];
                    sumMax += M.Max[j];
                    if (M.Pct[j] > 0)
                        P += M.Pct[j];
                    else {
                        ++z;
                        without[static_cast<std::size_t>(k - c)] = true;
                    }
                }
                const int exMin = mn - sumMin, exMax = mx - sumMax;
                if (p > 0 || P > 0) {
                    const int a = z > 0 ? std::max(0, (p - P) / z) : 0;
                    const int S = std::max(P, p);
                    if (z == 0 && P < p) {
                        for (int k = c; k < last; ++k) {
                            auto& pk = M.Pct[static_cast<std::size_t>(k)];
                            pk = Scale(pk, p, P);
                        }
                    } else if (a > 0) {
                        for (int k = c; k < last; ++k)
                            if (without[static_cast<std::size_t>(k - c)]) M.Pct[static_cast<std::size_t>(k)] = a;
                    }
                    if (exMin > 0) {
                        if (z == 0) {
                            for (int k = c; k < last; ++k) {
                                const auto j = static_cast<std::size_t>(k);
                                M.Min[j] = std::max(M.Min[j], Scale(mn, M.Pct[j], S));
                            }
                        } else {
                            // In proportion to their maximums; with none, the first takes it all.
                            std::vector<int> weight(M.Max);
                            int first = -1;
                            for (int k = c; k < last; ++k) {
                                const auto j = static_cast<std::size_t>(k);
                                if (!without[static_cast<std::size_t>(k - c)])
                                    weight[j] = 0;
                                else if (first < 0)
                                    first = k;
                            }
                            long long wsum = 0;
                            for (int k = c; k < last; ++k) wsum += std::max(0, weight[static_cast<std::size_t>(k)]);
                            if (wsum > 0)
                                Spread(M.Min, weight, c, last, exMin);
                            else
                                M.Min[static_cast<std::size_t>(first)] += exMin;
                        }
                    }
                    if (exMax > 0) {
                        for (int k = c; k < last; ++k) {
                            const auto j = static_cast<std::size_t>(k);
                            if (z == 0)
                                M.Max[j] = std::max(M.Max[j], Scale(mx, M.Pct[j], S));
                            else if (without[static_cast<std::size_t>(k - c)])
                                M.Max[j] += exMax / z;
                        }
                    }
                } else {
                    if (exMin > 0)
                        for (int k = c; k < last; ++k) {
                            auto& v = M.Min[static_cast<std::size_t>(k)];
                            v = sumMin > 0 ? Scale(mn, v, sumMin) : mn / n;
                        }
                    if (exMax > 0)
                        for (int k = c; k < last; ++k) {
                            auto& v = M.Max[static_cast<std::size_t>(k)];
                            v = sumMax > 0 ? Scale(mx, v, sumMax) : mx / n;
                        }
                }
            }
        }
    M.Totals();
}

void ThtmlTable::MeasureWidths(TCanvas* Canvas, int& Min, int& Max) {
    Initialize();
    Min = Max = 0;
    if (FTooManyColumns) return;
    Measure m(ColCount);
    const bool pixelWidth = SpecWidth >= 1 && !WidthPercent;
    if (!HasPixelWidthCells || SpecWidth >= 1)
        PercentMeasure(Canvas, pixelWidth ? SpecWidth : 0, m);
    else
        PlainMeasure(Canvas, m);
    int mn = m.TotMin + CellSpacing, mx = m.TotMax + CellSpacing;
    if (pixelWidth) {
        mn = std::max(mn, SpecWidth);
        mx = std::max(mx, SpecWidth);
    }
    int capMax = 0;
    Caption->Cell->MeasureWidths(Canvas, CaptionMinWidth, capMax);
    Min = std::max(CaptionMinWidth, mn);
    Max = std::max(CaptionMinWidth, mx);
}

// ---- Width distribution ------------------------------------------------------------------

void ThtmlTable::DistributeWithPercents(Measure& M, int Target) {
    const int n = ColCount;
    std::vector<bool> fixed(static_cast<std::size_t>(n), false);
    int without = 0;
    for (int c = 0; c < n; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (M.Pct[i] > 0) {
            const int want = Share(Target, M.Pct[i], 1000);
            if (want < M.Min[i]) {
                Widths[i] = M.Min[i];
                fixed[i] = true;
            } else {
                Widths[i] = want;
            }
        } else {
            Widths[i] = M.Min[i];
            ++without;
        }
    }
    const auto sum = [&] {
        int u = 0;
        for (int c = 0; c < n; ++c) u += Widths[static_cast<std::size_t>(c)];
        return u;
    };
    const auto unfixedPercent = [&] {
        int p = 0;
        for (int c = 0; c < n; ++c)
            if (M.Pct[static_cast<std::size_t>(c)] > 0 && !fixed[static_cast<std::size_t>(c)]) p += M.Pct[static_cast<std::size_t>(c)];
        return p;
    };
    const int used = sum();
    if (used < Target) {
        const int room = Target - used;
        if (without == 0) {
            const int p = unfixedPercent();
            for (int c = 0; c < n; ++c) {
                const auto i = static_cast<std::size_t>(c);
                if (M.Pct[i] > 0 && !fixed[i]) Widths[i] += Share(room, M.Pct[i], p);
            }
        } else {
            int slack = 0;
            for (int c = 0; c < n; ++c)
                if (M.Pct[static_cast<std::size_t>(c)] <= 0)
                    slack += M.Max[static_cast<std::size_t>(c)] - M.Min[static_cast<std::size_t>(c)];
            for (int c = 0; c < n; ++c) {
                const auto i = static_cast<std::size_t>(c);
                if (M.Pct[i] > 0) continue;
                if (slack == 0 || slack < room / 2)
                    Widths[i] += room / without;
                else
                    Widths[i] += Share(room, M.Max[i] - M.Min[i], slack);
            }
        }
    } else if (used > Target) {
        for (int round = 0; round < 4; ++round) {
            const int over = sum() - Target;
            const int p = unfixedPercent();
            if (over <= 0 || p <= 0) break;
            bool fixedAny = false;
            for (int c = 0; c < n; ++c) {
                const auto i = static_cast<std::size_t>(c);
                if (M.Pct[i] <= 0 || fixed[i]) continue;
                if (Widths[i] - Share(over, M.Pct[i], p) < M.Min[i]) {
                    Widths[i] = M.Min[i];
                    fixed[i] = true;
                    fixedAny = true;
                }
            }
            if (!fixedAny) break;
        }
        const int over = sum() - Target;
        const int p = unfixedPercent();
        if (over > 0 && p > 0)
            for (int c = 0; c < n; ++c) {
                const auto i = static_cast<std::size_t>(c);
                if (M.Pct[i] > 0 && !fixed[i]) Widths[i] -= Share(over, M.Pct[i], p);
            }
    }
    const int total = sum();
    if (n > 0 && total < Target) {
        Widths[0] += Target - total;
    } else if (total > Target) {
        for (int c = 0; c < n; ++c)
            if (!fixed[static_cast<std::size_t>(c)]) {
                auto& w = Widths[static_cast<std::size_t>(c)];
                w = std::max(0, w - (total - Target));
                break;
            }
    }
}

void ThtmlTable::AutoWidthPercents(Measure& M, int Target) {
    const int n = ColCount;
    int Q = 0;
    for (int c = 0; c < n; ++c) Q += M.Pct[static_cast<std::size_t>(c)];
    if (Q > 0 && Q <= 1000) {
        int N = 0, need = 0;
        for (int c = 0; c < n; ++c) {
            const auto i = static_cast<std::size_t>(c);
            if (M.Pct[i] > 0)
                need = std::max(need, Scale(M.Max[i], 1000, M.Pct[i]));
            else
                N += M.Max[i];
        }
        int rest;
        if (Q > 999)
            rest = N > 0 ? 30000 : 0;
        else
            rest = Scale(N, 1000, 1000 - Q);
        const int W = std::max(need, rest);
        if (Target >= W) {
            const int others = Scale(W, 1000 - Q, 1000);
            for (int c = 0; c < n; ++c) {
                const auto i = static_cast<std::size_t>(c);
                Widths[i] = M.Pct[i] > 0 ? Scale(W, M.Pct[i], 1000) : (N < 1 ? 0 : Scale(M.Max[i], others, N));
            }
            return;
        }
        // Too narrow for every column at its share: percentages that cannot
        // hold their column's minimum are dropped, the rest scaled down.
        for (int guard = 0; guard < 1000; ++guard) {
            for (int c = 0; c < n; ++c) {
                auto& p = M.Pct[static_cast<std::size_t>(c)];
                if (p > 0 && M.Min[static_cast<std::size_t>(c)] > Scale(Target, p, 1000) - 1) p = 0;
            }
            int R = 0, O = 0, left = 0;
            for (int c = 0; c < n; ++c) {
                const auto i = static_cast<std::size_t>(c);
                if (M.Pct[i] > 0) {
                    R += Scale(Target, M.Pct[i], 1000) - 1;
                    ++left;
                } else {
                    O += M.Min[i];
                }
            }
            if (left == 0) break;
            if (R + O > Target && R > 0) {
                for (int c = 0; c < n; ++c) {
                    auto& p = M.Pct[static_cast<std::size_t>(c)];
                    if (p > 0) p = std::max(0, Scale(p, Target - O, R));
                }
                continue;
            }
            for (int c = 0; c < n; ++c) {
                const auto i = static_cast<std::size_t>(c);
                if (M.Pct[i] > 0) M.Min[i] = M.Max[i] = Scale(Target, M.Pct[i], 1000);
            }
            M.Totals();
            break;
        }
    }
    for (int c = 0; c < n; ++c) {
        const auto i = static_cast<std::size_t>(c);
        if (Target < M.TotMax && M.TotMax > M.TotMin)
            Widths[i] = M.Min[i] + Share(M.Max[i] - M.Min[i], Target - M.TotMin, M.TotMax - M.TotMin);
        else
            Widths[i] = M.Max[i];
    }
}

int ThtmlTable::ViewPercentHeight() const {
    if (!Doc || !Doc->OnViewHeight) return 0;
    return Scale(Doc->OnViewHeight(), SpecHeight, 1000) - CellSpacing - 3;
}

// ---- Layout -----------------------------------------------------------------------------------

int ThtmlTable::LayOut(TCanvas* Canvas, int Y, IndentManager& IMgr, int& MaxWidth, int& Curs) {
    YValue = Y;
    StartCurs = Curs;
    IMgr.SetLevel(Y, ListLevel);
    const int avail = IMgr.RightSide(Y) - IMgr.LeftIndent(Y);
    const bool specified = SpecWidth >= 1;
    int target = avail;
    if (specified) target = WidthPercent ? Scale(avail, SpecWidth, 1000) : SpecWidth;
    target = std::max(target - CellSpacing, 20);

    Initialize();
    if (FTooManyColumns) throw EProcessError("Table has too many Columns");

    std::fill(Widths.begin(), Widths.end(), 0);
    Measure m(ColCount);
    if (HasPixelWidthCells && !specified) {
        PlainMeasure(Canvas, m);
        for (int c = 0; c < ColCount; ++c) {
            const auto i = static_cast<std::size_t>(c);
            if (m.TotMin >= target)
                Widths[i] = m.Min[i];
            else if (target < m.TotMax)
                Widths[i] = m.Min[i] + Share(m.Max[i] - m.Min[i], target - m.TotMin, m.TotMax - m.TotMin);
            else
                Widths[i] = m.Max[i];
        }
    } else {
        PercentMeasure(Canvas, target, m);
        if (m.TotMin >= target) {
            for (int c = 0; c < ColCount; ++c) Widths[static_cast<std::size_t>(c)] = m.Min[static_cast<std::size_t>(c)];
        } else if (specified) {
            DistributeWithPercents(m, target);
        } else {
            AutoWidthPercents(m, target);
        }
    }

    TableWidth = CellSpacing;
    for (int c = 0; c < ColCount; ++c) TableWidth += Widths[static_cast<std::size_t>(c)];
    int capMax = 0;
    Caption->Cell->MeasureWidths(Canvas, CaptionMinWidth, capMax);
    TotalWidth = std::max(TableWidth, CaptionMinWidth);

    // Row heights from a trial layout of every cell, shortest spans first.
    const int rows = RowCount();
    int maxRowSpan = 1;
    for (int r = 0; r < rows; ++r) {
        TCellList* row = Row(r);
        row->RowHeight = 0;
        for (int c = 0; c < row->Count(); ++c)
            if (TCellObj* cell = row->CellObj(c); cell && !cell->IsPlaceholder())
                maxRowSpan = std::max(maxRowSpan, cell->RowSpan);
    }
    const int pad2 = 2 * CellPadding;
    for (int s = 1; s <= maxRowSpan; ++s)
        for (int r = 0; r + s <= rows; ++r) {
            TCellList* row = Row(r);
            int need = 0;
            bool any = false;
            for (int c = 0; c < row->Count(); ++c) {
                TCellObj* cell = row->CellObj(c);
                if (!cell || cell->IsPlaceholder() || cell->RowSpan != s) continue;
                cell->Wd = 0;
                for (int k = c; k < c + cell->ColSpan && k < ColCount; ++k) cell->Wd += Widths[static_cast<std::size_t>(k)];
                int sw = 0, trialCurs = Curs;
                const int h = cell->Cell->DoLayout(Canvas, Y, cell->Wd - pad2 - CellSpacing, sw, trialCurs);
                cell->VSize = std::max(h, cell->SpecHt - pad2);
                need = std::max(need, cell->VSize + pad2 + CellSpacing);
                any = true;
            }
            if (!any) continue;
            if (s == 1) {
                row->RowHeight = need;
                continue;
            }
            int sum = 0;
            for (int k = r; k < r + s; ++k) sum += Row(k)->RowHeight;
            if (sum < need) {
                const int each = (need - sum) / s;
                for (int k = r; k < r + s; ++k) Row(k)->RowHeight += each;
                Row(r + s - 1)->RowHeight += (need - sum) - each * s;
            }
        }

    // A float keeps its vertical space above the caption and rows.
    int y = Y + (Float ? VSpace : 0);
    CaptionHeight = 0;
    int scrollW = 0;
    if (TopCaption) {
        CaptionHeight = Caption->Cell->DoLayout(Canvas, y, TotalWidth, scrollW, Curs);
        y += CaptionHeight;
    }

    if (SpecHeight > 0 && rows > 0) {
        const int H = HeightPercent ? ViewPercentHeight() : SpecHeight;
        int sum = 0;
        for (int r = 0; r < rows; ++r) sum += Row(r)->RowHeight;
        if (sum < H) {
            const int more = (H - sum) / rows;
            int others = 0;
            for (int r = 0; r < rows - 1; ++r) {
                Row(r)->RowHeight += more;
                others += Row(r)->RowHeight;
            }
            Row(rows - 1)->RowHeight = H - others;
        }
    }

    FRowsTop = y;
    RowsHeight = 0;
    for (int r = 0; r < rows; ++r) {
        TCellList* row = Row(r);
        row->SpanHeight = 0;
        for (int c = 0; c < row->Count(); ++c) {
            TCellObj* cell = row->CellObj(c);
            if (!cell || cell->IsPlaceholder()) continue;
            cell->Ht = 0;
            for (int k = r; k < r + cell->RowSpan && k < rows; ++k) cell->Ht += Row(k)->RowHeight;
            row->SpanHeight = std::max(row->SpanHeight, cell->Ht);
            const int slack = cell->Ht - cell->VSize - CellSpacing - pad2;
            cell->YIndent = cell->VAlign == 0 ? 0 : cell->VAlign == 1 ? slack / 2 : slack;
            int sw = 0;
            cell->Cell->DoLayout(Canvas, y + CellSpacing + CellPadding + cell->YIndent,
                                 cell->Wd - CellSpacing - pad2, sw, Curs);
        }
        y += row->RowHeight;
        RowsHeight += row->RowHeight;
    }
    y += CellSpacing;
    if (!TopCaption) {
        CaptionHeight = Caption->Cell->DoLayout(Canvas, y, TotalWidth, scrollW, Curs);
        y += CaptionHeight;
    }
    int height = y - Y;

    Indent = 0;
    if (TotalWidth < avail) {
        if (Justify == ACentre)
            Indent = (avail - TotalWidth) / 2;
        else if (Justify == ARight)
            Indent = avail - TotalWidth;
    }
    Indent += IMgr.LeftIndent(Y);
    TableIndent = (TotalWidth - TableWidth) / 2 + Indent;

    MaxWidth = TotalWidth;
    Len = Curs - StartCurs;
    if (Float) {
        height += VSpace;  // the space above was counted from y
        IMgr.UpdateTable(Y, TotalWidth + HSpace + 1, height, Justify == ALeft ? 1 : 3);
        DrawHeight = height;
        SectionHeight = 0;
    } else {
        DrawHeight = height;
        SectionHeight = height;
    }
    return SectionHeight;
}

}  // namespace htmlview
