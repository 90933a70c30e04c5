#include "platform/base/autorun.h"

#include "core/fichiers.h"

#include <cstdlib>

namespace vaskor {

namespace fs = std::filesystem;

fs::path DossierAutostart()
{
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = fs::path(home) / ".config";
    else
        return {};
    return base / "autostart";
}

fs::path CheminEntreeAutoRun(const fs::path& executable)
{
    const fs::path dossier = DossierAutostart();
    if (dossier.empty() || executable.filename().empty()) return {};
    return dossier / (executable.filename().string() + ".desktop");
}

std::string ArgumentExec(std::string_view argument)
{
    // Characters that force quoting inside an Exec key.
    constexpr std::string_view reserves = " \t\n\"'\\><~|&;$*?#()`";
    std::string exec;
    if (argument.empty() || argument.find_first_of(reserves) != std::string_view::npos) {
        exec += '"';
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') exec += '\\';
            exec += c;
        }
        exec += '"';
    } else {
        exec = argument;
    }
    // The value is a string value first: its escapes are undone before the Exec rules apply.
    std::string valeur;
    for (char c : exec) {
        switch (c) {
        case '\\': valeur += "\\\\"; break;
        case '\n': valeur += "\\n"; break;
        case '\r': valeur += "\\r"; break;
        case '\t': valeur += "\\t"; break;
        case '%': valeur += "%%"; break;  // a lone "%" would start a field code
        default: valeur += c;
        }
    }
    return valeur;
}

std::string ContenuEntreeAutoRun(const fs::path& executable)
{
    std::string t;
    t += "[Desktop Entry]\n";
    t += "Type=Application\n";
    t += "Name=Vaskor\n";
    t += "Comment=Contrôle des boîtes aux lettres POP3\n";
    t += "Exec=" + ArgumentExec(executable.string()) + "\n";
    t += "Terminal=false\n";
    t += "X-GNOME-Autostart-enabled=true\n";
    return t;
}

bool DefinirAutoRun(bool actif, const fs::path& executable)
{
    const fs::path entree = CheminEntreeAutoRun(executable);
    if (entree.empty()) return false;
    std::error_code ec;
    if (!actif) {
        fs::remove(entree, ec);
        return !ec;
    }
    // A fresh account has no autostart folder yet; the desktop reads it once it exists.
    fs::create_directories(entree.parent_path(), ec);
    if (ec) return false;
    return EcrireFichierAtomique(entree, ContenuEntreeAutoRun(executable)).ok;
}

}  // namespace vaskor
