// Parses pages into a dockit page's document for the builder's tests.
#pragma once

#include <string>

#include "gui/windows/ExtCtrls.h"
#include "gui/windows/Forms.h"
#include "gui/windows/TestKit.h"
#include "htmlview/HtmlBlocks.h"
#include "htmlview/HtmlParse.h"
#include "htmlview/common/DocKit.h"

namespace buildkit {

using namespace dockit;

struct Built {
    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    Page page;
    TStringList names;
    THtmlParseResult result;

    Built() {
        InitApplication();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 700, 500);
        panel = new TPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBounds(0, 0, 700, 500);
        page.doc.PaintPanel = panel;
        page.doc.TheOwner = form.get();
        names.SetSorted(true);
        names.SetDuplicates(dupIgnore);
        names.SetCaseSensitive(false);
    }
    // Every new context registers the viewer's cursors again.
    ~Built() { ReleaseViewerCursors(); }
    TSectionList& doc() { return page.doc; }
    void Parse(const std::string& html, const THtmlParseHooks& hooks = {}) {
        result = HtmlParseString(&page.doc, &names, html.data(), html.size(), hooks);
    }
    // Sections of a cell of one kind.
    template <class T>
    static std::vector<T*> All(const TCell& c) {
        std::vector<T*> out;
        for (int i = 0; i < c.Count(); ++i)
            if (auto* s = dynamic_cast<T*>(c.Section(i))) out.push_back(s);
        return out;
    }
    // The text of every text section of a cell, one string per section.
    static std::vector<std::string> Texts(const TCell& c) {
        std::vector<std::string> out;
        for (auto* s : All<TSection>(c))
            if (!s->Buffer().empty()) out.push_back(s->Buffer());
        return out;
    }
    static TFontObj* LastFont(const TSection* s) { return s->Fonts.Font(s->Fonts.Count() - 1); }
};

}  // namespace buildkit
