// Text sections: building the buffer (space rules, fonts and links by
// position), the position maps, search, and copying the selection.
#include <algorithm>
#include <cstring>

#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlImages.h"
#include "htmlview/HtmlSections.h"

namespace htmlview {

using namespace gui;

namespace {

// Lower case in the Windows code page (letters of the Latin-1 range and the
// few paired letters at 0x8A-0x9F).
unsigned char AnsiLower(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
        case 0x8A: return 0x9A;
        case 0x8C: return 0x9C;
        case 0x8E: return 0x9E;
        case 0x9F: return 0xFF;
        default: return c;
    }
}
unsigned char AnsiUpper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    switch (c) {
        case 0x9A: return 0x8A;
        case 0x9C: return 0x8C;
        case 0x9E: return 0x8E;
        case 0xFF: return 0x9F;
        default: return c;
    }
}

}  // namespace

TSection::TSection(TCell* ACell, std::uint8_t AJustify, const TUrlTarget* AUrl, const TMyFont& AFont, int AListLevel)
    : TSectionBase(ACell ? ACell->MasterList : nullptr),
      Cell(ACell),
      Images(std::make_unique<TImageObjList>()),
      FormControls(std::make_unique<TFormControlList>()),
      ListLevel(AListLevel),
      Indent(AListLevel * ListIndentStep),
      Justify(AJustify) {
    // The style is applied before the font object is made, so that its
    // metrics are read once.
    TMyFont font;
    font.Assign(const_cast<TMyFont*>(&AFont));
    if (ParentSectionList) {
        font.SetStyle(font.Style() + ParentSectionList->Build.Style);
        ParentSectionList->Build.Shift = NormalScript;
    }
    auto owned = std::make_unique<TFontObj>(this, font, 0);
    TFontObj* f = owned.get();
    Fonts.Add(std::move(owned));
    if (AUrl && !AUrl->Url.empty()) {
        f->UrlTarget.Url = AUrl->Url;
        f->UrlTarget.Target = AUrl->Target;
        if (ParentSectionList) ParentSectionList->AddLinkFont(f);
    }
    BaseFont.Assign(const_cast<TMyFont*>(&AFont));
}

TSection::~TSection() {
    if (ParentSectionList)
        for (int i = 0; i < Fonts.Count(); ++i) ParentSectionList->ForgetFont(Fonts.Font(i));
}

void TSection::AppendChar(char Ch, int SourcePos) {
    TokenObj t;
    t.AddChar(Ch, SourcePos);
    AppendText(t);
}

void TSection::AppendText(const TokenObj& Token) {
    if (FFinished) return;
    String s = Token.S;
    std::vector<std::int32_t> pos(Token.I.begin(), Token.I.begin() + Token.Leng());
    if (s.empty()) return;
    auto erase = [&](std::size_t i) {
        s.erase(i, 1);
        pos.erase(pos.begin() + static_cast<std::ptrdiff_t>(i));
    };
    const char last = Buff.empty() ? '\0' : Buff.back();
    if (FPreformatted) {
        // Preformatted text keeps its spaces; a runaway block is cut off.
        if (Len > 20000) return;
    } else if (ParentSectionList && ParentSectionList->Build.NoBreak) {
        if ((Buff.empty() || last == ' ' || last == chars::NoBreakSpace) && s[0] == chars::NoBreakSpaceIn) {
            erase(0);
            if (s.empty()) return;
        }
        bool changed = true;
        while (changed) {
            changed = false;
            for (std::size_t i = 0; i + 1 < s.size(); ++i) {
                const char a = s[i], b = s[i + 1];
                if ((a == ' ' || a == chars::NoBreakSpaceIn) && b == chars::NoBreakSpaceIn) {
                    erase(i + 1);
                    changed = true;
                    break;
                }
                if (a == chars::NoBreakSpaceIn && b == ' ') {
                    erase(i);
                    changed = true;
                    break;
                }
            }
        }
        std::replace(s.begin(), s.end(), chars::NoBreakSpaceIn, chars::NoBreakSpace);
    } else if ((Buff.empty() || last == ' ') && s[0] == ' ') {
        erase(0);
        if (s.empty()) return;
    }
    if (!FPreformatted && !Buff.empty() && (s[0] == ' ' || s[0] == chars::NoBreakSpace)) {
        // After floated images alone a space would start the visible text.
        bool onlyFloats = true;
        for (int i = 0; i < Len && onlyFloats; ++i) {
            TImageObj* img = chars::IsImage(Buff[static_cast<std::size_t>(i)]) ? Images->FindImage(i) : nullptr;
            onlyFloats = img && img->Floats();
        }
        if (onlyFloats) {
            erase(0);
            if (s.empty()) return;
        }
    }
    const std::size_t needed = Buff.size() + s.size() + 1;
    if (Buff.capacity() < needed) {
        Buff.reserve(needed + 99);
        SIndexList.reserve(needed + 99);
    }
    Buff += s;
    SIndexList.insert(SIndexList.end(), pos.begin(), pos.end());
    Len = static_cast<int>(Buff.size());
}

void TSection::ChangeFont(const TMyFont& AFont) {
    // The font in force from here, with the build's style and script shift,
    // made up first so that the font object reads its metrics once.
    TMyFont font;
    font.Assign(const_cast<TMyFont*>(&AFont));
    if (ParentSectionList) {
        const TBuildState& b = ParentSectionList->Build;
        font.SetStyle(font.Style() + b.Style);
        if (b.Shift == 1 || b.Shift == 2) {
            font.NormalSize = MulDiv(font.NormalSize, 3, 4);
            font.SetSize(EffectiveSize(ParentSectionList->FontSize, font.NormalSize));
        }
    }
    TFontObj* last = Fonts.Font(Fonts.Count() - 1);
    TFontObj* f;
    if (last->Pos == Len) {
        f = last;
        f->TheFont.Assign(&font);
    } else {
        auto added = std::make_unique<TFontObj>(this, font, Len);
        f = added.get();
        f->UrlTarget.Url = last->UrlTarget.Url;
        f->UrlTarget.Target = last->UrlTarget.Target;
        Fonts.Add(std::move(added));
        if (f->HasLink() && ParentSectionList) ParentSectionList->AddLinkFont(f);
    }
    if (ParentSectionList) f->SScript = ParentSectionList->Build.Shift;
}

void TSection::ChangeFontAndLink(bool IsHref, const TMyFont& AFont, const TUrlTarget* Url) {
    ChangeFont(AFont);
    TFontObj* f = Fonts.Font(Fonts.Count() - 1);
    if (ParentSectionList) ParentSectionList->ForgetFont(f);
    f->UrlTarget.Clear();
    if (IsHref && Url) {
        f->UrlTarget.Url = Url->Url;
        f->UrlTarget.Target = Url->Target;
        if (ParentSectionList) ParentSectionList->AddLinkFont(f);
    }
}

TImageObj* TSection::AddImage(const TAttributeList& Attrs, int SourcePos) {
    auto added = std::make_unique<TImageObj>(ParentSectionList, Cell, Len, Attrs);
    TImageObj* img = added.get();
    Images->Add(std::move(added));
    const bool noBreak = ParentSectionList && ParentSectionList->Build.NoBreak;
    Buff += noBreak ? chars::NoBreakImage : chars::Image;
    SIndexList.push_back(SourcePos);
    Len = static_cast<int>(Buff.size());
    return img;
}

TFormControlObj* TSection::AddFormControl(TFormTag Tag, const TAttributeList& Attrs, int SourcePos,
                                          const TFormSymbols* Symbols) {
    if (FFinished || !ParentSectionList) return nullptr;
    const TFormSymbols& sy = Symbols ? *Symbols : DefaultFormSymbols;
    TSectionList* doc = ParentSectionList;
    std::unique_ptr<TFormControlObj> ctl;
    bool hidden = false, image = false;
    if (Tag == TFormTag::Input) {
        TAttribute* t = nullptr;
        String type = Attrs.Find(sy.Type, t) ? LowerCase(t->Name.substr(0, 20)) : String();
        if (type == "submit" || type == "reset" || type == "button") {
            ctl = std::make_unique<TButtonFormControlObj>(doc, Len, Attrs, type, sy);
        } else if (type == "radio") {
            ctl = std::make_unique<TRadioButtonFormControlObj>(doc, Len, Attrs, Cell, sy);
        } else if (type == "checkbox") {
            ctl = std::make_unique<TCheckBoxFormControlObj>(doc, Len, Attrs, sy);
        } else if (type == "hidden") {
            ctl = std::make_unique<THiddenFormControlObj>(doc, Len, Attrs, sy);
            hidden = true;
        } else if (type == "image") {
            ctl = std::make_unique<TImageFormControlObj>(doc, Len, Attrs, sy);
            image = true;
        } else {
            ctl = std::make_unique<TEditFormControlObj>(doc, Len, Attrs, type, sy);
        }
    } else if (Tag == TFormTag::Select) {
        TAttribute* t = nullptr;
        const bool list = Attrs.Find(sy.Multiple, t) || (Attrs.Find(sy.Size, t) && t->Value > 1);
        if (list)
            ctl = std::make_unique<TListBoxFormControlObj>(doc, Len, Attrs, sy);
        else
            ctl = std::make_unique<TComboFormControlObj>(doc, Len, Attrs, sy);
    } else {
        ctl = std::make_unique<TTextAreaFormControlObj>(doc, Len, Attrs, sy);
    }
    TFormControlObj* raw = ctl.get();
    raw->MyCell = Cell;
    ThtmlForm::Current(doc)->InsertControl(std::move(ctl));
    if (image) {
        // The picture stands for the control; clicks on it reach the control.
        TImageObj* img = AddImage(Attrs, SourcePos);
        img->FormControl = raw;
    } else if (!hidden) {
        FormControls->Add(raw);
        const bool noBreak = doc && doc->Build.NoBreak;
        Buff += noBreak ? chars::NoBreakControl : chars::FormControl;
        SIndexList.push_back(SourcePos);
        Len = static_cast<int>(Buff.size());
    }
    return raw;
}

void TSection::SetClear(const String& Value) {
    String v = Value.substr(0, 15);
    for (char& c : v) c = static_cast<char>(AnsiUpper(static_cast<unsigned char>(c)));
    ClearAttr = v == "LEFT" ? ClearLeft : v == "RIGHT" ? ClearRight : ClearAll;
}

std::uint8_t TSection::MakeNonEmpty() {
    if (Len == 0) {
        // Survives the space collapsing, so the section keeps a line.
        Buff += ' ';
        SIndexList.push_back(0);
        Len = 1;
    }
    return Justify;
}

void TSection::Finish() {
    if (FFinished) return;
    FFinished = true;
    PosIndex.clear();
    for (int i = 0; i < Len; ++i) {
        const int p = SIndexList[static_cast<std::size_t>(i)];
        if (i == 0 || p != SIndexList[static_cast<std::size_t>(i - 1)] + 1) PosIndex.push_back({i, p});
    }
    std::vector<std::int32_t>().swap(SIndexList);
    Buff.shrink_to_fit();
}

void TSection::RefreshFonts() {
    if (ParentSectionList) {
        for (int i = 0; i < Fonts.Count(); ++i) Fonts.Font(i)->Refresh(*ParentSectionList);
        BaseFont.SetName(BaseFont.Fixed ? ParentSectionList->PreFontName : ParentSectionList->FontName);
        BaseFont.SetCharset(ParentSectionList->Charset);
        BaseFont.SetSize(EffectiveSize(ParentSectionList->FontSize, BaseFont.NormalSize));
        BaseFont.SetColor(ParentSectionList->FontColor | static_cast<TColor>(PALETTE_RELATIVE));
    }
    FixHeight();
}

// ---- Positions ----------------------------------------------------------------------------

int TSection::SourcePosOf(int DocPos) {
    const int i = DocPos - StartCurs;
    if (i < 0 || i >= Len || PosIndex.empty()) return -1;
    auto it = std::upper_bound(PosIndex.begin(), PosIndex.end(), i,
                               [](int v, const IndexObj& r) { return v < r.Pos; });
    --it;
    return it->Index + (i - it->Pos);
}

int TSection::DocPosOf(int SourcePos, bool TakePrevious) {
    if (Len == 0 || PosIndex.empty()) return -1;
    const int n = static_cast<int>(PosIndex.size());
    auto runEnd = [&](int k) { return (k + 1 < n ? PosIndex[static_cast<std::size_t>(k + 1)].Pos : Len) - 1; };
    if (SourcePos < PosIndex[0].Index) return TakePrevious ? -1 : StartCurs;
    for (int k = 0; k < n; ++k) {
        const IndexObj& r = PosIndex[static_cast<std::size_t>(k)];
        const int last = runEnd(k);
        const int lastSource = r.Index + (last - r.Pos);
        if (SourcePos >= r.Index && SourcePos <= lastSource) return StartCurs + r.Pos + (SourcePos - r.Index);
        if (k + 1 < n && SourcePos > lastSource && SourcePos < PosIndex[static_cast<std::size_t>(k + 1)].Index)
            return TakePrevious ? StartCurs + last : StartCurs + PosIndex[static_cast<std::size_t>(k + 1)].Pos;
    }
    return TakePrevious ? StartCurs + Len - 1 : -1;
}

bool TSection::CharAt(int DocPos, char& Ch, TSectionBase*& Section) {
    const int i = DocPos - StartCurs;
    if (i < 0 || i >= Len) return false;
    Ch = Buff[static_cast<std::size_t>(i)];
    Section = this;
    return true;
}

int TSection::SearchText(int Start, const String& Text, bool MatchCase) {
    if (Text.empty() || Len == 0 || Start >= StartCurs + Len) return -1;
    const int from = std::max(Start, StartCurs) - StartCurs;
    if (MatchCase) {
        const auto p = Buff.find(Text, static_cast<std::size_t>(from));
        return p == String::npos ? -1 : StartCurs + static_cast<int>(p);
    }
    const String t = Text.substr(0, 255);
    const auto n = t.size();
    const unsigned char first = static_cast<unsigned char>(t[0]);
    const char lo = static_cast<char>(AnsiLower(first)), up = static_cast<char>(AnsiUpper(first));
    std::size_t i = static_cast<std::size_t>(from);
    while (true) {
        const auto a = Buff.find(lo, i), b = Buff.find(up, i);
        const auto p = std::min(a, b);
        if (p == String::npos || p + n > Buff.size()) return -1;
        bool same = true;
        for (std::size_t k = 1; k < n && same; ++k)
            same = AnsiLower(static_cast<unsigned char>(Buff[p + k])) == AnsiLower(static_cast<unsigned char>(t[k]));
        if (same) return StartCurs + static_cast<int>(p);
        i = p + 1;
    }
}

void TSection::CopySelection(TCopyBuffer& Buffer) {
    if (!ParentSectionList) return;
    const int selB = ParentSectionList->SelB, selE = ParentSectionList->SelE;
    for (const LineRec& l : FLines) {
        const int ls = StartCurs + l.Start, le = ls + l.Ln;
        if (l.Ln == 0 || ls >= selE || le <= selB) continue;
        if (ls >= selB && ListIndentStep > 0)
            for (int k = 0; k < l.LineLeftX / ListIndentStep; ++k) Buffer.Append("   ");
        const int from = std::max(ls, selB) - StartCurs, to = std::min(le, selE) - StartCurs;
        for (int i = from; i < to; ++i) {
            const char c = Buff[static_cast<std::size_t>(i)];
            // The marks of images and controls are no text.
            if (!chars::IsObject(c)) Buffer.Append(&c, 1);
        }
        if (le <= selE) Buffer.Append("\r\n");
    }
}

}  // namespace htmlview
