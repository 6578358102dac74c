#include <filesystem>
#include <stdexcept>

#include "content/pictures/Codecs.h"
#include "content/pictures/PagePictures.h"
#include "content/pictures/PageText.h"
#include "content/pictures/Pictures.h"

namespace content {

void WritePagesAndPictures(const std::string& outDir) {
  using namespace pic;
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (!std::filesystem::is_directory(outDir)) throw std::runtime_error("Cannot create folder " + outDir);
  const std::filesystem::path dir(outDir);
  for (const PageFile& p : Pages()) {
    Bytes data;
    data.reserve(p.html.size() + p.html.size() / 16);
    for (char c : p.html) {
      if (c == '\n') data.push_back('\r');  // the pages are DOS text
      data.push_back(static_cast<uint8_t>(c));
    }
    WriteFile((dir / p.name).string(), data);
  }
  for (const PictureFile& f : PagePictures()) WriteFile((dir / f.name).string(), f.data);
}

}  // namespace content
