// Decoded pictures the program shows again: the Bio window's panel takes the
// same background for every artist, which is read and decoded only once for
// as long as its file stays the same.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "gui/draw/Graphics.h"

namespace app {

class TPictureShelf {
public:
    // Puts the picture of FileName into Target: the shelved copy while the
    // file's size and modification time are those it was decoded from, else
    // read and decoded afresh (and shelved). Missing or bad files raise as
    // TPicture::LoadFromFile does.
    void LoadInto(gui::TPicture* Target, const gui::String& FileName);
    // Files read and decoded so far.
    int Decodes() const { return FDecodes; }

private:
    struct Entry {
        gui::String name;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time;
        std::unique_ptr<gui::TBitmap> picture;
    };
    std::vector<Entry> FEntries;
    int FDecodes = 0;
};

}  // namespace app
