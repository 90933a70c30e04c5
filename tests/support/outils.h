#pragma once
// Small helpers shared by the tests.

#include <filesystem>
#include <optional>
#include <string>

namespace vaskor::test {

// The project's shared folder beside the repository (../shared), or empty when this clone has
// none; tests that need it skip with a visible note.
std::filesystem::path DossierPartage();

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class DossierTemporaire {
public:
    DossierTemporaire();
    ~DossierTemporaire();
    DossierTemporaire(const DossierTemporaire&) = delete;
    DossierTemporaire& operator=(const DossierTemporaire&) = delete;
    const std::filesystem::path& Chemin() const { return chemin_; }

private:
    std::filesystem::path chemin_;
};

// Puts the process (and the vaskor-cli it starts) in another local time zone for the life of
// the object. POSIX rules ("UTC0", "XXX-1") need no zone database.
class ZoneLocale {
public:
    explicit ZoneLocale(const char* tz = "UTC0");
    ~ZoneLocale();
    ZoneLocale(const ZoneLocale&) = delete;
    ZoneLocale& operator=(const ZoneLocale&) = delete;

private:
    std::optional<std::string> ancienne_;
};

std::string LireTout(const std::filesystem::path& p);
void EcrireTout(const std::filesystem::path& p, const std::string& octets);

// Runs vaskor-cli with the given arguments (shell-quoted here) and standard input; returns the
// exit status and fills the outputs.
int LancerCli(const std::string& arguments, const std::string& entree, std::string& sortie,
              std::string* erreurs = nullptr);

}  // namespace vaskor::test
