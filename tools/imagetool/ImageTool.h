// imagetool: decode any picture the viewer accepts and write it as a binary
// PPM, or print what a picture holds.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace imagetool {

// Runs one command line (without the program name); returns the exit code.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace imagetool
