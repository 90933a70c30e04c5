#include "platform/base/dossiers.h"

#include <cstdlib>
#include <unistd.h>

namespace vaskor {

std::filesystem::path CheminExecutable()
{
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : p;
}

std::filesystem::path DossierProgramme()
{
    const auto exe = CheminExecutable();
    if (!exe.empty()) {
        const auto dossier = exe.parent_path();
        if (::access(dossier.c_str(), W_OK) == 0) return dossier;
    }
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (xdg && *xdg) base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) base = std::filesystem::path(home) / ".local/share";
    else base = "/tmp";
    const auto d = base / "vaskor";
    std::error_code ec;
    std::filesystem::create_directories(d, ec);
    return d;
}

}  // namespace vaskor
