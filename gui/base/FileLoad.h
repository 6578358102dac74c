// Reading files that may be anything: loaders of pages, pictures and modules
// open only regular files and read at most a stated size, so a named pipe, a
// device or a directory gives an error at once instead of freezing the
// program or filling memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

// The most pixels one picture may have (BMP, JPEG, GIF): far above any real
// picture, far below what a hostile header could ask for.
constexpr long long kMaxPicturePixels = 16LL * 1024 * 1024;

// File size limits of the loaders.
constexpr std::uint64_t kMaxPageFileBytes = std::uint64_t{16} << 20;
// The largest picture file: 32 bits per pixel at the pixel budget plus room
// for headers, tables and trailing data.
constexpr std::uint64_t kMaxPictureFileBytes = 4 * static_cast<std::uint64_t>(kMaxPicturePixels) + (std::uint64_t{1} << 20);
// Whole files loaded into streams and string lists.
constexpr std::uint64_t kMaxStreamFileBytes = std::uint64_t{256} << 20;

enum class FileStatus {
    Ok,
    CannotOpen,   // missing, unreadable, or the open failed
    NotRegular,   // a directory, pipe, socket or device
    TooLarge,     // over the caller's limit
    BadOffset,    // the start lies past the end of the file
    ReadFailed,   // the file shrank or the read failed
};

// Reads [offset, offset + length) of the regular file `path` (length 0: to
// the end) into `out`. Refuses more than `limit` bytes before allocating.
// Never blocks on a pipe or device: the open does not wait, and anything but
// a regular file is refused.
FileStatus ReadRegularFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& out,
                           std::uint64_t offset = 0, std::uint64_t length = 0);

enum class FileAccess { Read, ReadWrite, Create };

// Opens `path` as a descriptor for the stream classes: only a regular file,
// close-on-exec, in blocking mode once open. Returns -1 (with `status` set)
// on failure.
int OpenRegularFile(const std::string& path, FileAccess access, FileStatus& status);

}  // namespace gui
