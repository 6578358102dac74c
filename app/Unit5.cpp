#include "app/Unit5.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "app/Keys.h"
#include "gui/base/Classes.h"

using namespace gui;

std::array<String, MaxModNames> samplenames;
std::array<String, MaxModNames> instnames;
std::array<String, MaxCommentLines> commentlines;

TForm5* Form5 = nullptr;

namespace {

constexpr int HeaderSize = 192;
constexpr int SampleHeaderSize = 80;
constexpr int SampleNameAt = 20;
constexpr int InstrumentHeaderSize = 628;
constexpr int InstrumentNameAt = 32;
constexpr int NameSize = 26;
constexpr int CommentLineSize = 80;

std::uint16_t Word16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t Dword32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// A name field ends at its first zero byte or after all 26 bytes.
String NameField(const std::uint8_t* p) {
    int n = 0;
    while (n < NameSize && p[n] != 0) ++n;
    return String(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
}

// Reads `count` little-endian offsets; all of them must be in the file, but
// only the first `keep` are returned (the rest is beyond what the tables hold).
std::vector<std::uint32_t> ReadOffsets(TStream& s, int count, int keep) {
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(count) * 4);
    if (count > 0) s.ReadBuffer(raw.data(), static_cast<int>(raw.size()));
    std::vector<std::uint32_t> out;
    for (int i = 0; i < count && i < keep; ++i) out.push_back(Dword32(&raw[static_cast<std::size_t>(i) * 4]));
    return out;
}

// Reads one block at `offset` and returns the name inside it.
String ReadName(TStream& s, std::uint32_t offset, int blockSize, int nameAt) {
    std::vector<std::uint8_t> block(static_cast<std::size_t>(blockSize));
    s.SetPosition(offset);
    s.ReadBuffer(block.data(), blockSize);
    return NameField(&block[static_cast<std::size_t>(nameAt)]);
}

void SplitComment(const std::vector<std::uint8_t>& msg) {
    char line[CommentLineSize];
    std::fill(std::begin(line), std::end(line), ' ');
    std::size_t pos = 0;
    int next = 0;
    for (std::uint8_t b : msg) {
        // Bytes past the buffer are dropped: a long line keeps its first 80.
        if (pos < CommentLineSize) line[pos] = static_cast<char>(b);
        ++pos;
        if (b != 13) continue;
        // The carriage return is not part of the text; a short line stays
        // padded with spaces to 79 characters.
        String text(line, CommentLineSize);
        if (pos <= CommentLineSize) text.erase(pos - 1, 1);
        // Lines past the table's end are skipped.
        if (next < MaxCommentLines) commentlines[static_cast<std::size_t>(next++)] = std::move(text);
        std::fill(std::begin(line), std::end(line), ' ');
        pos = 0;
    }
    // Most trackers end the message without a carriage return (often with a
    // zero terminator instead): the text after the last one is a line too.
    std::size_t tail = pos;
    while (tail > 0 && msg[msg.size() - pos + tail - 1] == 0) --tail;
    if (tail == 0) return;
    String text(line, CommentLineSize);
    if (tail < CommentLineSize) text.erase(tail);
    if (text.size() < CommentLineSize - 1) text.resize(CommentLineSize - 1, ' ');
    if (next < MaxCommentLines) commentlines[static_cast<std::size_t>(next)] = std::move(text);
}

TLabel* MakeLabel(TForm5* form, TWinControl* parent, int left, int top, int width, int height,
                  const String& caption, bool bold, TAlignment alignment) {
    auto* l = new TLabel(form);
    l->SetParent(parent);
    l->SetAutoSize(false);
    l->SetBounds(left, top, width, height);
    l->SetAlignment(alignment);
    l->SetLayout(tlCenter);
    l->SetParentFont(false);
    l->Font()->SetName("MS Sans Serif");
    l->Font()->SetHeight(-11);
    if (bold) l->Font()->SetStyle({fsBold});
    l->SetCaption(caption);
    return l;
}

TListBox* MakeList(TForm5* form, TWinControl* parent, int left, int top, int width, int height) {
    auto* b = new TListBox(form);
    b->SetParent(parent);
    b->SetBounds(left, top, width, height);
    b->SetParentFont(false);
    b->Font()->SetName("Terminal");
    b->Font()->SetHeight(-11);
    b->SetItemHeight(8);
    return b;
}

TTabSheet* MakePage(TForm5* form, TPageControl* pages, const String& caption) {
    auto* t = new TTabSheet(form);
    t->SetPageControl(pages);
    t->SetCaption(caption);
    return t;
}

}  // namespace

bool ReadITInfo(const String& FileName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(FileName, ec)) return false;

    TFileStream s(FileName, fmOpenRead | fmShareDenyNone);
    std::uint8_t header[HeaderSize];
    s.ReadBuffer(header, HeaderSize);
    const int orderCount = Word16(header + 32);
    const int instrumentCount = Word16(header + 34);
    const int sampleCount = Word16(header + 36);
    const int patternCount = Word16(header + 38);
    const bool hasMessage = (Word16(header + 46) & 1) != 0;
    const int messageLength = Word16(header + 54);
    const std::uint32_t messageOffset = Dword32(header + 56);

    // The tables must be present in full, but only what the name tables can
    // hold is kept; the order list and pattern offsets are not needed at all.
    std::vector<std::uint8_t> orders(static_cast<std::size_t>(orderCount));
    if (orderCount > 0) s.ReadBuffer(orders.data(), orderCount);
    const auto instrumentOffsets = ReadOffsets(s, instrumentCount, MaxModNames);
    const auto sampleOffsets = ReadOffsets(s, sampleCount, MaxModNames);
    ReadOffsets(s, patternCount, 0);

    // Slots past the file's own counts name nothing and stay empty.
    for (std::size_t i = 0; i < samplenames.size(); ++i)
        samplenames[i] = i < sampleOffsets.size()
                             ? ReadName(s, sampleOffsets[i], SampleHeaderSize, SampleNameAt)
                             : String();
    for (std::size_t i = 0; i < instnames.size(); ++i)
        instnames[i] = i < instrumentOffsets.size()
                           ? ReadName(s, instrumentOffsets[i], InstrumentHeaderSize, InstrumentNameAt)
                           : String();

    for (auto& line : commentlines) line.clear();
    // Without the message flag the length and offset are left-overs.
    if (hasMessage && messageLength > 0) {
        std::vector<std::uint8_t> msg(static_cast<std::size_t>(messageLength));
        s.SetPosition(messageOffset);
        s.ReadBuffer(msg.data(), messageLength);
        SplitComment(msg);
    }
    return true;
}

void ShowModInfo(const String& title, const String& tracker, const String& format, const String& length,
                 const String& size) {
    if (!Form5) return;
    Form5->lbl_title->SetCaption(title);
    Form5->lbl_tracker->SetCaption(tracker);
    Form5->lbl_format->SetCaption(format);
    Form5->lbl_length->SetCaption(length);
    Form5->lbl_filesize->SetCaption(size);
    if (format != "IT") return;
    // One repaint per list rather than one per line.
    TStrings* samples = Form5->samplelist->Items();
    TStrings* instruments = Form5->instlist->Items();
    TStrings* comment = Form5->commentbox->Items();
    samples->BeginUpdate();
    instruments->BeginUpdate();
    comment->BeginUpdate();
    for (std::size_t i = 0; i < samplenames.size(); ++i) {
        samples->Add(samplenames[i]);
        instruments->Add(instnames[i]);
    }
    for (const auto& line : commentlines) comment->Add(line);
    comment->EndUpdate();
    instruments->EndUpdate();
    samples->EndUpdate();
}

TForm5::TForm5(TComponent* AOwner) : TForm(AOwner) {
    BeginLoading();
    SetCaption("Mod Info");
    SetBounds(192, 107, 636, 385);
    SetColor(clBtnFace);
    SetBorderIcons({biSystemMenu, biMinimize});
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    PageControl1 = new TPageControl(this);
    PageControl1->SetParent(this);
    PageControl1->SetBounds(8, 12, 529, 313);
    TabSheet1 = MakePage(this, PageControl1, "General");
    TabSheet2 = MakePage(this, PageControl1, "Samples / Instruments");
    TabSheet3 = MakePage(this, PageControl1, "Comment");
    PageControl1->SetActivePage(TabSheet1);

    // Captions end at x = 93; the values start at x = 104.
    constexpr int captionLeft = 8, captionWidth = 93 - captionLeft;
    Label1 = MakeLabel(this, TabSheet1, captionLeft, 36, captionWidth, 17, "Title:", true, taRightJustify);
    Label2 = MakeLabel(this, TabSheet1, captionLeft, 56, captionWidth, 17, "Tracker:", true, taRightJustify);
    Label3 = MakeLabel(this, TabSheet1, captionLeft, 76, captionWidth, 17, "Format:", true, taRightJustify);
    Label4 = MakeLabel(this, TabSheet1, captionLeft, 96, captionWidth, 17, "Length:", true, taRightJustify);
    Label5 = MakeLabel(this, TabSheet1, captionLeft, 116, captionWidth, 17, "Filesize:", true, taRightJustify);
    // No song has been started yet: the values start empty.
    lbl_title = MakeLabel(this, TabSheet1, 104, 36, 181, 17, "", false, taLeftJustify);
    lbl_tracker = MakeLabel(this, TabSheet1, 104, 56, 181, 17, "", false, taLeftJustify);
    lbl_format = MakeLabel(this, TabSheet1, 104, 76, 181, 17, "", false, taLeftJustify);
    lbl_length = MakeLabel(this, TabSheet1, 104, 96, 181, 17, "", false, taLeftJustify);
    lbl_filesize = MakeLabel(this, TabSheet1, 104, 116, 181, 17, "", false, taLeftJustify);

    Label6 = new TLabel(this);
    Label6->SetParent(TabSheet2);
    Label6->SetBounds(8, 16, Label6->Width(), Label6->Height());
    Label6->SetParentFont(false);
    Label6->Font()->SetName("MS Sans Serif");
    Label6->Font()->SetHeight(-11);
    Label6->Font()->SetStyle({fsBold});
    Label6->SetCaption("Samples:");
    Label7 = new TLabel(this);
    Label7->SetParent(TabSheet2);
    Label7->SetBounds(304, 16, Label7->Width(), Label7->Height());
    Label7->SetParentFont(false);
    Label7->Font()->SetName("MS Sans Serif");
    Label7->Font()->SetHeight(-11);
    Label7->Font()->SetStyle({fsBold});
    Label7->SetCaption("Instruments:");
    samplelist = MakeList(this, TabSheet2, 8, 32, 209, 245);
    instlist = MakeList(this, TabSheet2, 304, 32, 209, 245);

    commentbox = MakeList(this, TabSheet3, 8, 12, 505, 265);
    EndLoading();
    app::HandleWindowKeys(this, [this](gui::Word key, gui::TShiftState) {
        if (key != gui::VK_ESCAPE) return false;
        Close();
        return true;
    });
}
