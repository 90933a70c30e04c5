#include "platform/base/dossiers.h"

#include "core/ami.h"
#include "core/config.h"
#include "core/fichiers.h"
#include "core/texte.h"
#include "core/filtre.h"
#include "core/journal.h"
#include "core/securite_compte.h"
#include "crypto/fichier_comptes.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vaskor {

namespace {

bool EgalSansCasseAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto bas = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (bas(a[i]) != bas(b[i])) return false;
    }
    return true;
}

// Creates `d` and its missing parents; `d` itself gets 0700 (the parents the usual 0755 less
// the umask). An existing folder is left as the user set it.
std::string CreerDossierPrive(const std::filesystem::path& d)
{
    std::error_code ec;
    if (std::filesystem::is_directory(d, ec)) return {};
    if (d.has_parent_path()) std::filesystem::create_directories(d.parent_path(), ec);
    if (::mkdir(d.c_str(), 0700) != 0 && errno != EEXIST) {
        return "Impossible de créer le dossier des données « " + d.string() + " » : " +
               Cp1252VersUtf8(TexteErreurSysteme(errno)) + ".";
    }
    if (!std::filesystem::is_directory(d, ec))
        return "« " + d.string() + " » existe mais n'est pas un dossier : Vaskor ne peut pas y garder ses données.";
    return {};
}

// The portable copy's data files into the fallback folder, each under its one spelling, owner
// only. Returns what could not be copied, empty when all was.
std::string CopierDonnees(const std::filesystem::path& source, const std::filesystem::path& cible)
{
    static constexpr std::string_view noms[] = {NomFichierComptes, NomFichierSecurites, NomFichierFiltres,
                                                NomFichierAmis,    kNomFichierConfig,   NomFichierJournal};
    std::string erreurs;
    for (std::string_view nom : noms) {
        const std::filesystem::path chemin = TrouverFichier(source, nom);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(chemin, ec)) continue;
        std::string octets;
        ResultatFichier r = LireFichier(chemin, octets);
        if (r.ok) r = EcrireFichierDonnees(cible, nom, octets, true);
        if (!r.ok) erreurs += (erreurs.empty() ? "" : " ; ") + Cp1252VersUtf8(r.erreur);
    }
    return erreurs;
}

}  // namespace

std::filesystem::path CheminExecutable()
{
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : p;
}

bool ContientDonneesVaskor(const std::filesystem::path& dossier)
{
    static constexpr std::string_view noms[] = {NomFichierComptes, NomFichierFiltres, NomFichierAmis,
                                                kNomFichierConfig, NomFichierJournal};
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dossier, ec), fin; !ec && it != fin; it.increment(ec)) {
        const std::string nom = it->path().filename().string();
        for (std::string_view n : noms)
            if (EgalSansCasseAscii(nom, n) && it->is_regular_file(ec)) return true;
    }
    return false;
}

ResultatDossier ChoisirDossierProgramme(const std::filesystem::path& dossierExecutable, const char* xdgDataHome,
                                        const char* home,
                                        const std::function<bool(const std::filesystem::path&)>& inscriptible)
{
    ResultatDossier r;
    if (!dossierExecutable.empty() && ContientDonneesVaskor(dossierExecutable)) {
        const bool ecriture =
            inscriptible ? inscriptible(dossierExecutable) : ::access(dossierExecutable.c_str(), W_OK) == 0;
        if (ecriture) {
            r.dossier = dossierExecutable;
            r.portable = true;
            return r;
        }
        r.dossierEcarte = dossierExecutable;
    }
    std::filesystem::path base;
    if (xdgDataHome && *xdgDataHome && std::filesystem::path(xdgDataHome).is_absolute()) base = xdgDataHome;
    else if (home && *home) base = std::filesystem::path(home) / ".local" / "share";
    if (base.empty() && !r.dossierEcarte.empty()) {
        // Nowhere else to go: the read-only copy is still the user's data.
        r.dossier = r.dossierEcarte;
        r.portable = true;
        r.dossierEcarte.clear();
        return r;
    }
    if (base.empty()) {
        r.erreur = "Ni XDG_DATA_HOME ni HOME ne sont définis : Vaskor ne sait pas où garder ses données.";
        return r;
    }
    r.dossier = base / "vaskor";
    r.erreur = CreerDossierPrive(r.dossier);
    // The first start from a read-only portable copy takes its data along; later starts keep
    // what the user changed since.
    if (r.erreur.empty() && !r.dossierEcarte.empty() && !ContientDonneesVaskor(r.dossier)) {
        r.erreurCopie = CopierDonnees(r.dossierEcarte, r.dossier);
        r.copie = true;
    }
    return r;
}

ResultatDossier DossierProgrammeDetaille()
{
    const auto exe = CheminExecutable();
    return ChoisirDossierProgramme(exe.empty() ? exe : exe.parent_path(), std::getenv("XDG_DATA_HOME"),
                                   std::getenv("HOME"));
}

std::filesystem::path DossierProgramme() { return DossierProgrammeDetaille().dossier; }

}  // namespace vaskor
