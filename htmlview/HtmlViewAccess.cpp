// The page's links as assistive technology sees them: one item per link run,
// named by its text, placed where it was last laid out, pressed as a click.
#include <algorithm>

#include "htmlview/HtmlSections.h"
#include "htmlview/HtmlView.h"

namespace htmlview {

using namespace gui;

int THtmlView::AccessibleItemCount() const { return static_cast<int>(FSectionList->LinkList.size()); }

TAccessibleItem THtmlView::AccessibleItem(int Index) const {
    TAccessibleItem item;
    const auto& links = FSectionList->LinkList;
    if (Index < 0 || Index >= static_cast<int>(links.size())) return item;
    TFontObj* f = links[static_cast<std::size_t>(Index)];
    TSection* s = f->Section;
    item.Role = arLink;
    if (!s) return item;
    const int start = std::clamp(f->Pos, 0, s->Len);
    const int count = std::min(s->Fonts.CountAt(start, s->Len), s->Len - start);
    // The text without the marks that stand for pictures and controls.
    for (int i = start; i < start + count && i < static_cast<int>(s->Buff.size()); ++i) {
        const char c = s->Buff[static_cast<std::size_t>(i)];
        item.Name += static_cast<unsigned char>(c) < ' ' || c == chars::NoBreakSpace ? ' ' : c;
    }
    item.Name = Trim(item.Name);
    if (item.Name.empty()) item.Name = f->UrlTarget.Url;  // a picture link
    for (const LineRec& l : s->Lines()) {
        if (start < l.Start || start >= l.Start + l.Ln) continue;
        TCanvas* canvas = MeasureCanvas();
        const int x = l.DrawXX + s->TextWidth(canvas, l.Start, start - l.Start, false);
        const int w = s->TextWidth(canvas, start, std::min(count, l.Start + l.Ln - start), false);
        const TPoint panel = FPaintPanel->ClientOrigin(), mine = ClientOrigin();
        item.Bounds = Bounds(x + panel.X - mine.X, l.Top + l.SpaceBefore - FSectionList->YOff + panel.Y - mine.Y, w,
                             l.LineHt);
        break;
    }
    return item;
}

void THtmlView::AccessibleItemPress(int Index) {
    const auto& links = FSectionList->LinkList;
    if (Index < 0 || Index >= static_cast<int>(links.size())) return;
    const String url = links[static_cast<std::size_t>(Index)]->UrlTarget.Url;
    FollowLink(url);
}

}  // namespace htmlview
