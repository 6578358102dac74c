// The release's HTML pages.
#pragma once

#include <string>
#include <vector>

namespace content::pic {

struct PageFile {
  std::string name;
  std::string html;  // with "\n" line ends; written with CR LF
};

// The ten biography pages and "_korvane_index.htm".
std::vector<PageFile> Pages();

}  // namespace content::pic
