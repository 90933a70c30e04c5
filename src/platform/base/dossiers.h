#pragma once

#include <filesystem>

namespace vaskor {

// The program folder: the executable's folder when it is writable, else ~/.local/share/vaskor
// (created when missing).
std::filesystem::path DossierProgramme();
// The running executable's full path.
std::filesystem::path CheminExecutable();

}  // namespace vaskor
