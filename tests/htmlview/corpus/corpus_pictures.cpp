// corpus_pictures OUTDIR PAGE...: writes the pictures the pages name (SRC
// and BACKGROUND values) into OUTDIR, made as the corpus test makes them,
// so that the pages can be looked at with pagetool render.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>

#include "content/pictures/Codecs.h"
#include "htmlview/corpus/CorpusPictures.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: corpus_pictures OUTDIR PAGE...\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::regex value(R"re((?:src|background)\s*=\s*"?([^"\s>]+))re", std::regex::icase);
    int written = 0;
    for (int i = 2; i < argc; ++i) {
        std::ifstream f(argv[i], std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        const std::string page = s.str();
        for (std::sregex_iterator m(page.begin(), page.end(), value), end; m != end; ++m) {
            const std::string name = (*m)[1];
            if (name.find("..") != std::string::npos || name[0] == '/') continue;
            const corpus::Bytes bytes = corpus::PictureFor(name);
            if (bytes.empty()) continue;
            const std::filesystem::path p = out / name;
            std::filesystem::create_directories(p.parent_path());
            content::pic::WriteFile(p.string(), bytes);
            ++written;
        }
    }
    std::cout << written << " pictures\n";
    return 0;
}
