// The viewer's link following, name resolution, history and visited list.
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "htmlview/HtmlView.h"

namespace htmlview {

using namespace gui;

namespace {

String Upper(String s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool SameNoCase(const String& a, const String& b) { return Upper(a) == Upper(b); }

// A link name with the host's separator: URL escapes decoded, "file:" forms
// removed, and "\" (as pages written on other systems use) turned into "/".
String LinkToPath(const String& Url) {
    String s = HTMLToDos(Trim(Url));
    for (char& c : s)
        if (c == '\\') c = PathDelim;
    return s;
}

bool IsAbsoluteName(const String& s) {
    return (!s.empty() && s[0] == PathDelim) || (s.size() >= 2 && s[1] == ':');
}

}  // namespace

bool THtmlView::InContentFolder(const String& FullPath) const {
    if (FRootFolder.empty()) return false;
    const std::filesystem::path root = std::filesystem::path(FRootFolder).lexically_normal();
    const std::filesystem::path rel = std::filesystem::path(FullPath).lexically_normal().lexically_relative(root);
    if (rel.empty() || rel.is_absolute() || rel == ".") return false;
    return rel.begin()->string() != "..";
}

String THtmlView::HTMLExpandFilename(const String& Filename) const {
    String name = LinkToPath(Filename);
    if (name.empty()) return String();
    if (name[0] == PathDelim && !FServerRoot.empty()) {
        String root = LinkToPath(FServerRoot);
        name = root + name;
    } else if (IsAbsoluteName(name)) {
        return String();  // links never name a place outside the content folder directly
    } else if (!FBase.empty() && !SameNoCase(FBase, "DosPath")) {
        String base = LinkToPath(FBase);
        if (!base.empty() && base.back() != PathDelim) base = std::filesystem::path(base).parent_path().string();
        if (IsAbsoluteName(base)) return String();
        name = (std::filesystem::path(FCurrentFile).parent_path() / base / name).string();
    } else {
        name = (std::filesystem::path(FCurrentFile).parent_path() / name).string();
    }
    std::error_code ec;
    const String full = std::filesystem::absolute(std::filesystem::path(name), ec).lexically_normal().string();
    if (ec || !InContentFolder(full)) return String();
    return full;
}

String THtmlView::ExpandImage(const String& Src) const {
    const String full = HTMLExpandFilename(Src);
    // Outside the content folder: a name that loads nothing, so the page
    // shows the error picture.
    return full.empty() ? String("\x01") : full;
}

// ---- Following links ------------------------------------------------------------------

void THtmlView::FollowLink(const String& Url) {
    if (OnHotSpotClick) {
        bool handled = false;
        OnHotSpotClick(this, Url, handled);
        if (handled) return;
    }
    const int pos = Position();
    if (!Url.empty() && Url[0] == '#') {
        if (PositionTo(Url.substr(1))) {
            AddToHistory(FCurrentFile, FTitle, FCurrentFileType, pos);
            AddVisited(FCurrentFile + Url);
        }
        return;
    }
    String link = Url, dest;
    if (const auto hash = link.find('#'); hash != String::npos) {
        dest = link.substr(hash);
        link.erase(hash);
    }
    const String file = HTMLExpandFilename(link);
    if (file.empty()) return;
    const String ext = Upper(std::filesystem::path(file).extension().string());
    if (ext == ".HTM" || ext == ".HTML") {
        if (file != FCurrentFile) {
            LoadFromFile(file + dest);
            AddVisited(file + dest);
        } else if (!dest.empty() && PositionTo(dest)) {
            AddToHistory(FCurrentFile, FTitle, FCurrentFileType, pos);
            AddVisited(file + dest);
        }
    } else if (ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".JPEG" || ext == ".PNG") {
        LoadImageFile(file);
    }
}

bool THtmlView::PositionTo(const String& Dest) {
    String name = Dest;
    if (!name.empty() && name[0] == '#') name.erase(0, 1);
    if (name.empty()) return false;
    int i = FNameList->IndexOf(Upper(name));
    if (i < 0) return false;
    auto* section = dynamic_cast<TSectionBase*>(FNameList->GetObject(i));
    if (!section) return false;
    ScrollTo(section->YValue);
    FHScrollBar->SetPosition(0);
    AddVisited(FCurrentFile + "#" + name);
    return true;
}

// ---- History ----------------------------------------------------------------------------

void THtmlView::AddToHistory(const String& FileName, const String& Title, THtmlFileType Type, int Pos) {
    if (FHistoryMaxCount < 1 || FCurrentFile.empty()) return;
    if (FileName == FCurrentFile && Type == FCurrentFileType && Pos == Position()) return;
    if (FHistory->Count() > 0 && !FileName.empty()) {
        FHistory->Put(FHistoryIndex, FileName);
        FTitleHistory->Put(FHistoryIndex, Title);
        FPositionHistory[static_cast<std::size_t>(FHistoryIndex)] = {Pos, Type};
        for (int i = 0; i < FHistoryIndex; ++i) {
            FHistory->Delete(0);
            FTitleHistory->Delete(0);
            FPositionHistory.erase(FPositionHistory.begin());
        }
    }
    FHistoryIndex = 0;
    FHistory->Insert(0, FCurrentFile);
    FTitleHistory->Insert(0, FTitle);
    FPositionHistory.insert(FPositionHistory.begin(), {Position(), FCurrentFileType});
    if (FHistory->Count() > FHistoryMaxCount) {
        FHistory->Delete(FHistoryMaxCount);
        FTitleHistory->Delete(FHistoryMaxCount);
        FPositionHistory.erase(FPositionHistory.begin() + FHistoryMaxCount);
    }
    if (OnHistoryChange) OnHistoryChange(this);
}

void THtmlView::ClearHistory() {
    const bool had = FHistory->Count() > 0;
    FHistory->Clear();
    FTitleHistory->Clear();
    FPositionHistory.clear();
    FHistoryIndex = 0;
    if (had && OnHistoryChange) OnHistoryChange(this);
}

void THtmlView::SetHistoryIndex(int Value) {
    if (Value < 0 || Value >= FHistory->Count() || Value == FHistoryIndex || FProcessing) return;
    // The entry being left keeps where the reader was.
    if (FHistoryIndex < FHistory->Count()) {
        FTitleHistory->Put(FHistoryIndex, FTitle);
        FPositionHistory[static_cast<std::size_t>(FHistoryIndex)] = {Position(), FCurrentFileType};
    }
    const String file = FHistory->Strings(Value);
    const auto [pos, type] = FPositionHistory[static_cast<std::size_t>(Value)];
    FHistoryIndex = Value;
    if (file != FCurrentFile || type != FCurrentFileType) LoadFile(file, type);
    SetPosition(pos);
    if (OnHistoryChange) OnHistoryChange(this);
}

// ---- Visited links --------------------------------------------------------------------

String THtmlView::LinkTarget(const String& Url) const {
    if (!Url.empty() && Url[0] == '#') return FCurrentFile + Url;
    String link = Url, dest;
    if (const auto hash = link.find('#'); hash != String::npos) {
        dest = link.substr(hash);
        link.erase(hash);
    }
    const String file = HTMLExpandFilename(link);
    return file.empty() ? String() : file + dest;
}

void THtmlView::AddVisited(const String& Name) {
    if (FVisitedMaxCount == 0) return;
    if (FVisited->Count() > 0 && FVisited->Strings(0) == Name) return;
    int found = -1;
    for (int i = 0; i < FVisited->Count(); ++i)
        if (FVisited->Strings(i) == Name) found = i;
    if (found < 0) {
        bool changed = false;
        for (TFontObj* f : FSectionList->LinkList) {
            const String target = LinkTarget(f->UrlTarget.Url);
            if (!target.empty() && SameNoCase(target, Name) && !f->Visited()) {
                f->SetVisited(true);
                changed = true;
            }
        }
        if (changed) FPaintPanel->Invalidate();
    } else {
        FVisited->Delete(found);
    }
    FVisited->Insert(0, Name);
    while (FVisited->Count() > FVisitedMaxCount) FVisited->Delete(FVisited->Count() - 1);
}

void THtmlView::CheckVisitedLinks() {
    if (FVisited->Count() == 0) return;
    for (TFontObj* f : FSectionList->LinkList) {
        const String target = LinkTarget(f->UrlTarget.Url);
        if (target.empty()) continue;
        for (int i = 0; i < FVisited->Count(); ++i)
            if (SameNoCase(FVisited->Strings(i), target)) {
                f->SetVisited(true);
                break;
            }
    }
}

}  // namespace htmlview
