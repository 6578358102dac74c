#include "app/PictureShelf.h"

#include <algorithm>
#include <system_error>

namespace app {

using namespace gui;

void TPictureShelf::LoadInto(TPicture* Target, const String& FileName) {
    std::error_code e1, e2;
    const std::uintmax_t size = std::filesystem::file_size(FileName, e1);
    const auto time = std::filesystem::last_write_time(FileName, e2);
    auto it = std::find_if(FEntries.begin(), FEntries.end(), [&](const Entry& e) { return e.name == FileName; });
    if (!e1 && !e2 && it != FEntries.end() && it->size == size && it->time == time) {
        Target->Assign(it->picture.get());
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
