#include "shapedwin/SwRegionAPI.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "gui/windows/Forms.h"

namespace shapedwin {

using namespace gui;

namespace {

constexpr std::size_t kHeaderSize = sizeof(RGNDATAHEADER);
constexpr std::size_t kRectSize = sizeof(RECT);
static_assert(kHeaderSize == 32 && kRectSize == 16, "the region block layout is fixed");

void PutU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

void PutRect(std::uint8_t* p, int l, int t, int r, int b) {
    PutU32(p, static_cast<std::uint32_t>(l));
    PutU32(p + 4, static_cast<std::uint32_t>(t));
    PutU32(p + 8, static_cast<std::uint32_t>(r));
    PutU32(p + 12, static_cast<std::uint32_t>(b));
}

// Appends one run as a one-row rectangle to the growing block.
void AppendRun(std::vector<std::uint8_t>& block, int x0, int x1, int y) {
    const std::size_t at = block.size();
    block.resize(at + kRectSize);
    PutRect(block.data() + at, x0, y, x1, y + 1);
}

// Bit 0 of the mask is inside, and the leftmost pixel is the byte's top bit.
inline bool Outside(const std::uint8_t* row, int x) { return ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0; }

}  // namespace

int CombineOperation(TCombineMode Mode) {
    switch (Mode) {
        case cmAnd: return RGN_AND;
        case cmCopy: return RGN_COPY;
        case cmDifference: return RGN_DIFF;
        case cmOR: return RGN_OR;
        case cmXOR: return RGN_XOR;
    }
    return RGN_OR;
}

std::vector<std::uint8_t> MaskRegionData(TBitmap* Mask, const TRect& Bounds) {
    std::vector<std::uint8_t> block(kHeaderSize);
    const bool hasPixels = Mask != nullptr && !Mask->Empty();
    if (hasPixels && Mask->PixelFormat() != pf1bit) Mask->SetPixelFormat(pf1bit);

    if (hasPixels) {
        // Inclusive limits, cut to the mask; negative bounds start at 0 so that
        // nothing before the first row or column is read.
        const int firstX = std::max(0, Bounds.Left);
        const int firstY = std::max(0, Bounds.Top);
        const int lastX = std::min(Mask->Width() - 1, Bounds.Right);
        const int lastY = std::min(Mask->Height() - 1, Bounds.Bottom);
        for (int y = firstY; y <= lastY && firstX <= lastX; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(Mask->ScanLine(y));
            int x = firstX;
            while (x <= lastX) {
                // Skip the outside pixels; whole bytes of them at once.
                while (x <= lastX && Outside(row, x)) {
                    if ((x & 7) == 0 && x + 7 <= lastX && row[x >> 3] == 0xFF)
                        x += 8;
                    else
                        ++x;
                }
                if (x > lastX) break;
                const int start = x;
                while (x <= lastX && !Outside(row, x)) {
                    if ((x & 7) == 0 && x + 7 <= lastX && row[x >> 3] == 0x00)
                        x += 8;
                    else
                        ++x;
                }
                AppendRun(block, start, x, y);
            }
        }
    }

    const std::size_t listBytes = block.size() - kHeaderSize;
    if (listBytes > std::numeric_limits<std::uint32_t>::max() - kHeaderSize)
        throw EOutOfResources("Out of Resources");
    std::uint8_t* h = block.data();
    PutU32(h, static_cast<std::uint32_t>(kHeaderSize));
    PutU32(h + 4, RDH_RECTANGLES);
    PutU32(h + 8, static_cast<std::uint32_t>(listBytes / kRectSize));
    PutU32(h + 12, static_cast<std::uint32_t>(listBytes));
    PutRect(h + 16, Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Bottom);
    return block;
}

void RegionFromMask(HRGN& Region, TBitmap* Mask, const TRect& Bounds) {
    std::vector<std::uint8_t> block = MaskRegionData(Mask, Bounds);
    HRGN r = ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), reinterpret_cast<const RGNDATA*>(block.data()));
    // A well-formed block is only refused when the platform is out of memory.
    if (r == nullptr) throw EOutOfResources("Out of Resources");
    Region = r;
}

void CreateEmptyRegion(HRGN& Region) { Region = CreateRectRgn(0, 0, 0, 0); }

void CombineWithMode(HRGN& Accumulated, HRGN Component, TCombineMode Mode) {
    if (Accumulated == nullptr) CreateEmptyRegion(Accumulated);
    CombineRgn(Accumulated, Accumulated, Component, CombineOperation(Mode));
}

void SetFormRegion(HWND Wnd, HRGN Region, int dx, int dy) {
    if (Region != nullptr && (dx != 0 || dy != 0)) OffsetRgn(Region, dx, dy);
    if (SetWindowRgn(Wnd, Region, true) == 0 && Region != nullptr) DeleteObject(Region);
}

void ClearFormRegion(HWND Wnd) { SetWindowRgn(Wnd, nullptr, true); }

void OffsetRegion(HRGN Region, int dx, int dy) { OffsetRgn(Region, dx, dy); }

void DeleteRegionHandle(HRGN& Region) {
    if (Region == nullptr) return;
    DeleteObject(Region);
    Region = nullptr;
}

void SaveRegionToStream(HRGN Region, TStream* Stream) {
    const DWORD size = GetRegionData(Region, 0, nullptr);
    std::vector<std::uint8_t> data(size);
    // A size of 0 is the platform's failure answer too: not even a header.
    const DWORD got = size == 0 ? 0 : GetRegionData(Region, size, reinterpret_cast<RGNDATA*>(data.data()));
    if (got == 0 || got > size) throw Exception("Unable to retrieve region data!");
    if (size > static_cast<DWORD>(std::numeric_limits<int>::max()) - 7) throw EOutOfResources("Out of Resources");

    // One write of the whole record, so that a short stream leaves no half header.
    std::vector<std::uint8_t> out(7 + data.size());
    std::memcpy(out.data(), "RGN", 3);
    PutU32(out.data() + 3, size);
    std::memcpy(out.data() + 7, data.data(), data.size());
    Stream->WriteBuffer(out.data(), static_cast<int>(out.size()));
}

void SaveRegionToFile(HRGN Region, const String& FileName) {
    auto file = std::make_unique<TFileStream>(FileName, fmCreate);
    SaveRegionToStream(Region, file.get());
}

TPoint PositionInForm(const TControl* Control) {
    TPoint p{Control->Left(), Control->Top()};
    for (const TWinControl* w = Control->Parent(); w != nullptr && dynamic_cast<const TCustomForm*>(w) == nullptr;
         w = w->Parent()) {
        p.X += w->Left();
        p.Y += w->Top();
    }
    return p;
}

}  // namespace shapedwin
