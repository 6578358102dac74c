#include "app/PictureShelf.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace app {

using namespace gui;

namespace {
// Target already shows exactly this picture (an unchanged window needs no
// new copy, and its repaint would draw the same pixels).
bool Shows(const TPicture* Target, const TBitmap& Picture) {
    const auto* shown = dynamic_cast<const TBitmap*>(Target->Graphic());
    if (!shown || shown->Width() != Picture.Width() || shown->Height() != Picture.Height() ||
        shown->PixelFormat() != Picture.PixelFormat() || shown->Transparent() != Picture.Transparent())
        return false;
    const int rows = Picture.Height(), width = Picture.Width();
    if (rows <= 0 || width <= 0) return false;
    const auto row = [](const TBitmap& b, int y) { return static_cast<const char*>(b.ScanLine(y)); };
    // One row's bytes: the distance between two rows, or the whole image for one row.
    const std::ptrdiff_t stride = rows > 1 ? std::abs(row(Picture, 1) - row(Picture, 0)) : 0;
    const std::size_t bytes = static_cast<std::size_t>(stride > 0 ? stride : 0);
    if (bytes == 0) return false;
    for (int y = 0; y < rows; ++y)
        if (std::memcmp(row(*shown, y), row(Picture, y), bytes) != 0) return false;
    return true;
}
}  // namespace

void TPictureShelf::LoadInto(TPicture* Target, const String& FileName) {
    std::error_code e1, e2;
    const std::uintmax_t size = std::filesystem::file_size(FileName, e1);
    const auto time = std::filesystem::last_write_time(FileName, e2);
    auto it = std::find_if(FEntries.begin(), FEntries.end(), [&](const Entry& e) { return e.name == FileName; });
    if (!e1 && !e2 && it != FEntries.end() && it->size == size && it->time == time) {
        if (!Shows(Target, *it->picture)) Target->Assign(it->picture.get());
        return;
    }
    if (it != FEntries.end()) FEntries.erase(it);
    TPicture fresh;
    fresh.LoadFromFile(FileName);  // raises for a missing or bad file
    ++FDecodes;
    auto decoded = std::make_unique<TBitmap>();
    decoded->Assign(fresh.Graphic());
    Target->Assign(decoded.get());
    // A file that cannot be stamped is not kept: it could not be checked.
    if (!e1 && !e2) FEntries.push_back({FileName, size, time, std::move(decoded)});
}

}  // namespace app
