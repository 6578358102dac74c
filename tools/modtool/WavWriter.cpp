#include "tools/modtool/WavWriter.h"

#include <vector>

namespace modtool {

namespace {

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

std::vector<std::uint8_t> Header(std::uint32_t rate, std::uint32_t dataBytes) {
    std::vector<std::uint8_t> h;
    for (char c : std::string("RIFF")) h.push_back(static_cast<std::uint8_t>(c));
    Put32(h, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<std::uint8_t>(c));
    Put32(h, 16);
    Put16(h, 1);  // PCM
    Put16(h, 2);
    Put32(h, rate);
    Put32(h, rate * 4);
    Put16(h, 4);
    Put16(h, 16);
    for (char c : std::string("data")) h.push_back(static_cast<std::uint8_t>(c));
    Put32(h, dataBytes);
    return h;
}

// A RIFF file cannot say more than 4 GiB; the data size is capped below that.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36 - 3;

}  // namespace

WavWriter::~WavWriter() {
    if (file_ != nullptr) std::fclose(file_);
}

bool WavWriter::open(const std::string& path, std::uint32_t rate) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return false;
    const std::vector<std::uint8_t> h = Header(rate, 0);
    rate_ = rate;
    return std::fwrite(h.data(), 1, h.size(), file_) == h.size();
}

bool WavWriter::write(const std::int16_t* frames, std::uint32_t count) {
    if (file_ == nullptr || failed_) return false;
    if (dataBytes_ + std::uint64_t{count} * 4 > kMaxDataBytes) {
        failed_ = true;
        return false;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::size_t{count} * 4);
    for (std::uint32_t i = 0; i < count * 2; ++i) Put16(bytes, static_cast<std::uint16_t>(frames[i]));
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        failed_ = true;
        return false;
    }
    dataBytes_ += bytes.size();
    return true;
}

bool WavWriter::finish() {
    if (file_ == nullptr) return false;
    const std::vector<std::uint8_t> h = Header(rate_, static_cast<std::uint32_t>(dataBytes_));
    bool ok = !failed_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
              std::fwrite(h.data(), 1, h.size(), file_) == h.size();
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}

}  // namespace modtool
