#include "gui/base/FileLoad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace gui {

namespace {

// Closes a descriptor at scope end unless released.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        int f = fd_;
        fd_ = -1;
        return f;
    }

private:
    int fd_;
};

}  // namespace

int OpenRegularFile(const std::string& path, FileAccess access, FileStatus& status) {
    int flags = O_CLOEXEC | O_NONBLOCK;  // a FIFO without a writer must not hold the open
    switch (access) {
        case FileAccess::Read: flags |= O_RDONLY; break;
        case FileAccess::ReadWrite: flags |= O_RDWR; break;
        case FileAccess::Create: flags |= O_RDWR | O_CREAT; break;
    }
    Fd fd(::open(path.c_str(), flags, 0666));
    if (fd.get() < 0) {
        status = errno == EISDIR || errno == ENXIO ? FileStatus::NotRegular : FileStatus::CannotOpen;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        status = FileStatus::CannotOpen;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        status = FileStatus::NotRegular;
        return -1;
    }
    // Truncate only now that the target is known to be a plain file.
    if (access == FileAccess::Create && ::ftruncate(fd.get(), 0) != 0) {
        status = FileStatus::CannotOpen;
        return -1;
    }
    const int fl = ::fcntl(fd.get(), F_GETFL);
    if (fl < 0 || ::fcntl(fd.get(), F_SETFL, fl & ~O_NONBLOCK) != 0) {
        status = FileStatus::CannotOpen;
        return -1;
    }
    status = FileStatus::Ok;
    return fd.release();
}

FileStatus ReadRegularFile(const std::string& path, std::uint64_t limit, std::vector<std::uint8_t>& out,
                           std::uint64_t offset, std::uint64_t length) {
    out.clear();
    FileStatus status = FileStatus::Ok;
    Fd fd(OpenRegularFile(path, FileAccess::Read, status));
    if (fd.get() < 0) return status;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return FileStatus::CannotOpen;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (offset > size) return FileStatus::BadOffset;
    std::uint64_t count = size - offset;
    if (length != 0 && length < count) count = length;
    if (count > limit) return FileStatus::TooLarge;
    try {
        out.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return FileStatus::TooLarge;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd.get(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            out.clear();
            return FileStatus::ReadFailed;
        }
        done += static_cast<std::size_t>(n);
    }
    return FileStatus::Ok;
}

}  // namespace gui
