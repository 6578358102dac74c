// korvane_content OUTDIR [--artwork ARTDIR]: writes the release's modules,
// pages and pictures into OUTDIR, and the program's artwork into ARTDIR.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "content/modules/Release.h"
#include "content/pictures/Pictures.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: korvane_content OUTDIR [--artwork ARTDIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir, artDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--artwork") {
            if (i + 1 >= argc || !artDir.empty()) return Usage();
            artDir = argv[++i];
        } else if (outDir.empty() && !arg.empty() && arg[0] != '-') {
            outDir = arg;
        } else {
            return Usage();
        }
    }
    if (outDir.empty()) return Usage();
    try {
        std::filesystem::create_directories(outDir);
        content::WriteModules(outDir);
        content::WritePagesAndPictures(outDir);
        if (!artDir.empty()) {
            std::filesystem::create_directories(artDir);
            content::WriteArtwork(artDir);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvane_content: %s\n", e.what());
        return 1;
    }
    return 0;
}
