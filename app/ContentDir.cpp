#include "app/ContentDir.h"

#include <system_error>

#include "catalogue/Catalogue.h"

namespace app {

namespace fs = std::filesystem;

bool HoldsContent(const fs::path& dir) {
    std::error_code ec;
    return !dir.empty() && fs::is_regular_file(dir / std::string(kInfoPage), ec);
}

ContentChoice FindContentDir(const ContentLookup& lookup) {
    auto absolute = [&](const fs::path& p) { return p.is_absolute() ? p : lookup.workingDir / p; };
    auto named = [&](const fs::path& p, const std::string& by) {
        const fs::path dir = absolute(p).lexically_normal();
        if (HoldsContent(dir)) return ContentChoice{dir, {}};
        return ContentChoice{{}, std::string("The content folder ") + by + " (" + p.string() +
                                     ") does not hold the release: " + std::string(kInfoPage) +
                                     " is missing."};
    };
    if (lookup.option) return named(*lookup.option, "given with --content");
    if (lookup.environment) return named(*lookup.environment, std::string("in ") + kContentEnv);
    if (HoldsContent(lookup.workingDir)) return {lookup.workingDir, {}};
    std::string tried = lookup.workingDir.string();
    if (!lookup.executableDir.empty()) {
        for (const char* rel : {kInstalledContent, "content"}) {
            const fs::path dir = (lookup.executableDir / rel).lexically_normal();
            if (HoldsContent(dir)) return {dir, {}};
            tried += ", " + dir.string();
        }
    }
    return {{},
            "The music disk's content was not found (looked in " + tried + "). Reinstall the program, or name the " +
                "folder with --content DIR or " + kContentEnv + "."};
}

fs::path ExecutableDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

}  // namespace app
