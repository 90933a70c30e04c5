#include "ui/disposition_liste.h"

#include "core/config.h"
#include "core/fichier_ini.h"

namespace vaskor {

namespace {
constexpr std::string_view kSection = "Liste";
constexpr std::string_view kCles[4] = {"LargeurDe", "LargeurSujet", "LargeurDate", "LargeurTaille"};
}  // namespace

DispositionListe LireDispositionListe(const fs::path& dossier)
{
    FichierIni ini;
    ini.Charger(CheminConfig(dossier));
    DispositionListe d;
    for (int i = 0; i < 4; ++i) {
        const std::int32_t l = ini.LireEntier(kSection, kCles[i], 0);
        d.largeurs[i] = l >= 20 && l <= 4000 ? l : 0;
    }
    const std::int32_t c = ini.LireEntier(kSection, "ColonneTri", -1);
    d.colonneTri = c >= 0 && c <= 3 ? c : -1;
    d.ascendant = ini.LireBooleen(kSection, "TriCroissant", false);
    return d;
}

ResultatFichier EcrireDispositionListe(const fs::path& dossier, const DispositionListe& d)
{
    FichierIni ini;
    if (ResultatFichier r = ini.Charger(CheminConfig(dossier)); !r.ok) return r;
    for (int i = 0; i < 4; ++i)
        if (d.largeurs[i] > 0) ini.EcrireEntier(kSection, kCles[i], d.largeurs[i]);
    if (d.colonneTri >= 0) {
        ini.EcrireEntier(kSection, "ColonneTri", d.colonneTri);
        ini.EcrireBooleen(kSection, "TriCroissant", d.ascendant);
    }
    return EcrireFichierDonnees(dossier, kNomFichierConfig, ini.Assembler());
}

}  // namespace vaskor
