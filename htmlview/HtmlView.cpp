#include "htmlview/HtmlView.h"

#include <cctype>
#include <cstdint>
#include <iterator>
#include <vector>

#include "gui/FileLoad.h"

namespace htmlview {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Tags that end a line of text.
bool IsBlockTag(const std::string& name) {
    static const char* const kBlocks[] = {"br", "p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "li", "tr",
                                          "table", "ul", "ol", "hr", "pre", "blockquote", "center", "dd",
                                          "dt", "dl", "body", "title"};
    for (const char* b : kBlocks)
        if (name == b) return true;
    return false;
}

// The character an entity stands for, or 0 when it is not one we know.
char DecodeEntity(const std::string& name) {
    if (name == "amp") return '&';
    if (name == "lt") return '<';
    if (name == "gt") return '>';
    if (name == "quot") return '"';
    if (name == "nbsp") return ' ';
    if (name == "copy") return '\xA9';
    if (name == "ndash" || name == "mdash") return '-';
    if (name == "lsquo" || name == "rsquo") return '\'';
    if (name == "ldquo" || name == "rdquo") return '"';
    if (name == "middot") return '\xB7';
    if (name == "eacute") return '\xE9';
    if (!name.empty() && name[0] == '#') {
        long v = 0;
        bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        std::size_t i = hex ? 2 : 1;
        if (i >= name.size()) return 0;
        for (; i < name.size(); ++i) {
            int d = hex ? (std::isxdigit(static_cast<unsigned char>(name[i]))
                               ? (std::isdigit(static_cast<unsigned char>(name[i])) ? name[i] - '0'
                                                                                    : std::tolower(name[i]) - 'a' + 10)
                               : -1)
                        : (std::isdigit(static_cast<unsigned char>(name[i])) ? name[i] - '0' : -1);
            if (d < 0) return 0;
            v = v * (hex ? 16 : 10) + d;
            if (v > 255) return '?';  // outside the 8-bit code page
        }
        return v == 0 ? 0 : static_cast<char>(v);
    }
    return 0;
}

}  // namespace

gui::String HtmlToPlainText(const gui::String& Html) {
    std::string out;
    std::string line;
    bool pendingSpace = false;
    bool pre = false;
    auto endLine = [&] {
        // Trailing spaces carry no information in a memo; at most one blank line in a row.
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty())
            out += line + "\r\n";
        else if (!out.empty() && !(out.size() >= 4 && out.compare(out.size() - 4, 4, "\r\n\r\n") == 0))
            out += "\r\n";
        line.clear();
        pendingSpace = false;
    };
    auto putChar = [&](char c) {
        if (pre) {
            if (c == '\n') {
                out += line + "\r\n";
                line.clear();
            } else if (c != '\r') {
                line += c;
            }
            return;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            pendingSpace = !line.empty();
            return;
        }
        if (pendingSpace) line += ' ';
        pendingSpace = false;
        line += c;
    };

    const std::size_t n = Html.size();
    std::size_t i = 0;
    while (i < n) {
        char c = Html[i];
        if (c == '<') {
            if (Html.compare(i, 4, "<!--") == 0) {
                std::size_t e = Html.find("-->", i + 4);
                i = e == std::string::npos ? n : e + 3;
                continue;
            }
            std::size_t e = Html.find('>', i + 1);
            if (e == std::string::npos) break;  // an unfinished tag shows nothing
            std::string tag = Html.substr(i + 1, e - i - 1);
            i = e + 1;
            bool closing = !tag.empty() && tag[0] == '/';
            std::size_t s = closing ? 1 : 0;
            std::size_t k = s;
            while (k < tag.size() && std::isalnum(static_cast<unsigned char>(tag[k]))) ++k;
            std::string name = Lower(tag.substr(s, k - s));
            if (!closing && (name == "script" || name == "style" || name == "title")) {
                // Their content is not page text.
                std::size_t close = Lower(Html.substr(i)).find("</" + name);
                if (close == std::string::npos) {
                    i = n;
                } else {
                    std::size_t gt = Html.find('>', i + close);
                    i = gt == std::string::npos ? n : gt + 1;
                }
                continue;
            }
            if (name == "pre") {
                endLine();
                pre = !closing;
                continue;
            }
            if (name == "tr" || name == "li" || name == "dt" || name == "dd") {
                // One line per row or item, without blank lines between them.
                if (!line.empty()) endLine();
            } else if (IsBlockTag(name)) {
                endLine();
            } else if (!closing && (name == "td" || name == "th") && !line.empty()) {
                line += "   ";  // keeps table cells apart
                pendingSpace = false;
            }
            continue;
        }
        if (c == '&') {
            std::size_t semi = Html.find(';', i + 1);
            if (semi != std::string::npos && semi - i <= 8) {
                char d = DecodeEntity(Html.substr(i + 1, semi - i - 1));
                if (d != 0) {
                    if (d == ' ') {
                        if (pendingSpace) line += ' ';
                        pendingSpace = false;
                        line += ' ';
                    } else {
                        putChar(d);
                    }
                    i = semi + 1;
                    continue;
                }
            }
        }
        putChar(c);
        ++i;
    }
    endLine();
    while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.erase(out.size() - 2);
    return out;
}

THtmlView::THtmlView(gui::TComponent* AOwner) : gui::TMemo(AOwner) {
    SetReadOnly(true);
    SetWordWrap(true);
    SetScrollBars(gui::ssVertical);
}

void THtmlView::LoadFromFile(const gui::String& FileName) {
    std::vector<std::uint8_t> bytes;
    if (gui::ReadRegularFile(FileName, gui::kMaxPageFileBytes, bytes) != gui::FileStatus::Ok) {
        FCurrentFile.clear();
        Lines()->Clear();
        throw gui::Exception("Can't locate file: " + FileName);
    }
    FCurrentFile = FileName;
    SetText(HtmlToPlainText(std::string(bytes.begin(), bytes.end())));
    SetSelStart(0);  // from the top
}

}  // namespace htmlview
