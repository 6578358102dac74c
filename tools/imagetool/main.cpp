#include <cstdlib>
#include <iostream>

#include "tools/imagetool/ImageTool.h"

int main(int argc, char** argv) {
    // Pictures need no display; run the drawing layer off screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::vector<std::string> args(argv + 1, argv + argc);
    return imagetool::Run(args, std::cout, std::cerr);
}
