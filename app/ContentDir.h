// Where the program finds its content (modules, pages, pictures): it works in
// that folder, since the windows open every file by its plain name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace app {

// The environment variable that names the content folder.
inline constexpr const char* kContentEnv = "KORVANE_CONTENT";
// The installed content, relative to the folder of the executable.
inline constexpr const char* kInstalledContent = "../share/korvane/content";

struct ContentLookup {
    std::optional<std::filesystem::path> option;       // --content DIR
    std::optional<std::filesystem::path> environment;  // KORVANE_CONTENT (set and not empty)
    std::filesystem::path workingDir;
    std::filesystem::path executableDir;  // empty when unknown
};

struct ContentChoice {
    std::filesystem::path dir;  // empty: none found
    std::string error;          // why, when none was found
};

// A folder holds the content when the release's index page is in it.
bool HoldsContent(const std::filesystem::path& dir);

// Chooses the content folder, first match wins: the option, the environment
// variable (either, when given, must hold the content: a wrong one is an
// error, not a reason to look elsewhere), the working directory (development
// runs), the installed folder next to the executable, the build tree's
// content beside the executable.
ContentChoice FindContentDir(const ContentLookup& lookup);

// The folder of the running executable (/proc/self/exe), empty when unknown.
std::filesystem::path ExecutableDir();

}  // namespace app
