#pragma once
// "Lancer au démarrage": an XDG autostart entry, which every desktop session of the freedesktop
// family reads when the user logs on. The entry is named after the executable and starts it by
// its full path.

#include <filesystem>
#include <string>
#include <string_view>

namespace vaskor {

// $XDG_CONFIG_HOME/autostart (~/.config/autostart when the variable is unset or not absolute).
std::filesystem::path DossierAutostart();

// The entry's file: <executable's file name>.desktop in DossierAutostart().
std::filesystem::path CheminEntreeAutoRun(const std::filesystem::path& executable);

// The entry's text (UTF-8).
std::string ContenuEntreeAutoRun(const std::filesystem::path& executable);

// On: writes the entry, replacing an earlier one. Off: removes it. Failures are not reported to
// the user (the entry is a convenience); the result says whether it worked.
bool DefinirAutoRun(bool actif, const std::filesystem::path& executable);

// One argument of an Exec line, quoted when it holds a reserved character, then escaped as a
// desktop-entry string value ("\" doubled, "%" doubled, line breaks written as \n).
std::string ArgumentExec(std::string_view argument);

}  // namespace vaskor
