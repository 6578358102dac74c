// The document builder's literal readers: form controls with the SELECT and
// TEXTAREA bodies, image maps and SCRIPT bodies.
#include <algorithm>
#include <cctype>
#include <vector>

#include "htmlview/HtmlBuilder.h"

namespace htmlview {

using namespace gui;

void THtmlBuilder::FormControl(int Level) {
    const Symb sy = FTok.Sy;
    OpenSection(Level < 0 ? 0 : Level);
    const auto kind = sy == InputSy    ? TSection::TFormTag::Input
                      : sy == SelectSy ? TSection::TFormTag::Select
                                       : TSection::TFormTag::TextArea;
    TFormControlObj* ctl = FSection->AddFormControl(kind, FTok.Attributes(), FTok.TagPos);
    if (sy == SelectSy) {
        auto* sel = dynamic_cast<TSelectFormControlObj*>(ctl);
        SelectLoop(sel);
    } else if (sy == TextAreaSy) {
        TextAreaLoop(dynamic_cast<TTextAreaFormControlObj*>(ctl));
    }
    // Inside PRE the caller goes on reading characters itself.
    if (Level >= 0) Next();
}

void THtmlBuilder::SelectLoop(TSelectFormControlObj* Ctl) {
    const bool savedNoBreak = Doc->Build.NoBreak;
    Doc->Build.NoBreak = FTok.NoBreak = false;
    bool open = false, selected = false;
    std::optional<String> value;
    String text;
    auto addOpen = [&] {
        if (!open) return;
        const String t = Trim(text);
        if (!t.empty() && Ctl) Ctl->AddOption(t, value, selected);
        text.clear();
        value.reset();
        selected = false;
    };
    Next();
    while (FTok.Sy != SelectEndSy && FTok.Sy != EofSy) {
        if (FTok.Sy == TextSy) {
            if (open && text.size() < 255) text += FTok.Token().S.substr(0, 255 - text.size());
        } else if (FTok.Sy == OptionSy || FTok.Sy == OptionEndSy) {
            addOpen();
            open = FTok.Sy == OptionSy;
            if (open) {
                TAttribute* t = nullptr;
                selected = FTok.Find(SelectedAttr, t);
                if (FTok.Find(ValueAttr, t)) value = t->Name;
            }
        }
        Next();
    }
    addOpen();
    if (Ctl) Ctl->ResetValue();
    Doc->Build.NoBreak = FTok.NoBreak = savedNoBreak;
}

void THtmlBuilder::TextAreaLoop(TTextAreaFormControlObj* Ctl) {
    String line;
    FTok.NextTextArea();
    while (FTok.Sy != TextAreaEndSy && FTok.Sy != EofSy) {
        if (FTok.Sy == EolSy) {
            if (Ctl) Ctl->AddLine(line);
            line.clear();
        } else {
            line += FTok.Token().S;
        }
        FTok.NextTextArea();
    }
    while (FTok.Ch() != '>' && FTok.Ch() != EofChar) FTok.Advance();
    if (FTok.Ch() == '>') FTok.Advance();
    if (!line.empty() && Ctl) Ctl->AddLine(line);
    if (Ctl) Ctl->ResetValue();
}

void THtmlBuilder::MapLoop() {
    auto map = std::make_unique<TMapItem>();
    TAttribute* t = nullptr;
    if (FTok.Find(NameAttr, t)) {
        String n = t->Name;
        for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        map->MapName = n;
    }
    static const TAreaSymbols Areas{HrefAttr, ShapeAttr, CoordsAttr, NoHrefAttr, TargetAttr};
    int stray = 0;
    Next();
    while (FTok.Sy != MapEndSy && FTok.Sy != EofSy && stray < 3) {
        if (FTok.Sy == htmlview::AreaSy)
            map->AddArea(FTok.Attributes(), Areas);
        else if (FTok.Sy != TextSy)
            ++stray;
        Next();
    }
    if (FTok.Sy == MapEndSy) Doc->MapList.Add(std::move(map));
    Next();
}

void THtmlBuilder::ScriptLoop() {
    if (!Hooks.OnScript) {
        FTok.ScriptMode = true;
        do FTok.NextScript();
        while (FTok.Sy != ScriptEndSy && FTok.Sy != EofSy);
        FTok.ScriptMode = false;
        return;
    }
    struct TScriptFlag {
        THtmlTokenizer& Tok;
        explicit TScriptFlag(THtmlTokenizer& T) : Tok(T) { Tok.ScriptMode = true; }
        ~TScriptFlag() { Tok.ScriptMode = false; }
    } flag(FTok);
    TAttribute* t = nullptr;
    const String language = FTok.Find(LanguageAttr, t) ? t->Name : String();
    const String name = FTok.Find(NameAttr, t) ? t->Name : String();
    std::vector<char> buffer;
    buffer.reserve(32500);
    for (FTok.NextScript(); FTok.Sy != ScriptEndSy && FTok.Sy != EofSy; FTok.NextScript()) {
        const String& piece = FTok.Sy == EolSy ? String("\r\n") : FTok.Token().S;
        if (buffer.size() + piece.size() + 1 > buffer.capacity())
            buffer.reserve(buffer.capacity() + std::max<std::size_t>(10000, piece.size() + 1));
        buffer.insert(buffer.end(), piece.begin(), piece.end());
    }
    buffer.push_back('\0');
    Hooks.OnScript(Hooks.Sender, name, language, buffer.data());
}

}  // namespace htmlview
