// The page viewer of the Bio window. This is the interim viewer: it shows the
// page's text with the markup stripped in a read-only, scrollable memo. The
// windows only use LoadFromFile and the settings below, so the full viewer
// can take its place without touching them.
#pragma once

#include "gui/StdCtrls.h"
#include "gui/Types.h"

namespace htmlview {

enum THtmlBorderStyle { htFocused, htNone, htSingle };
enum THtmlViewOption { htOverLinksActive, htNoLinkUnderline, htPrintTableBackground, htPrintBackground };
using THtmlViewOptions = gui::TSet<THtmlViewOption>;

// The visible text of an HTML page: tags, comments, the head's title and any
// script or style content removed, entities for the common characters
// decoded, runs of white space collapsed, and block tags turned into line
// breaks. Lines are separated by "\r\n".
gui::String HtmlToPlainText(const gui::String& Html);

class THtmlView : public gui::TMemo {
public:
    explicit THtmlView(gui::TComponent* AOwner);

    // Loads a local page and shows it from the top. A missing file raises
    // "Can't locate file: <name>" and leaves the viewer empty.
    void LoadFromFile(const gui::String& FileName);
    // The page shown now; empty when nothing (or nothing valid) is loaded.
    const gui::String& CurrentFile() const { return FCurrentFile; }

    // Stored settings; the interim viewer keeps them for its successor.
    THtmlBorderStyle HtmlBorderStyle() const { return FHtmlBorderStyle; }
    void SetHtmlBorderStyle(THtmlBorderStyle v) { FHtmlBorderStyle = v; }
    int HistoryMaxCount() const { return FHistoryMaxCount; }
    void SetHistoryMaxCount(int v) { FHistoryMaxCount = v < 0 ? 0 : v; }
    const gui::String& DefFontName() const { return FDefFontName; }
    void SetDefFontName(const gui::String& v) { FDefFontName = v; }
    const gui::String& DefPreFontName() const { return FDefPreFontName; }
    void SetDefPreFontName(const gui::String& v) { FDefPreFontName = v; }
    bool NoSelect() const { return FNoSelect; }
    void SetNoSelect(bool v) { FNoSelect = v; }
    THtmlViewOptions htOptions() const { return FhtOptions; }
    void SethtOptions(THtmlViewOptions v) { FhtOptions = v; }

private:
    gui::String FCurrentFile;
    THtmlBorderStyle FHtmlBorderStyle = htFocused;
    int FHistoryMaxCount = 0;
    gui::String FDefFontName = "Times New Roman";
    gui::String FDefPreFontName = "Courier New";
    bool FNoSelect = false;
    THtmlViewOptions FhtOptions;
};

}  // namespace htmlview
