// vaskor-cli filters: the filter list of a program folder, one record a line, as the filter
// manager shows it.

#include "cli/commande.h"
#include "core/filtre.h"

#include <string>

namespace {

using namespace vaskor;

// A code outside the tables shows as its number, so that a damaged record is still visible.
Texte NomOuCode(const Texte& nom, std::int32_t code) { return nom.empty() ? std::to_string(code) : nom; }

Texte LigneFiltre(std::size_t i, const TFiltre& f)
{
    const std::int32_t genre = f.TypeFiltre;
    Texte l = std::to_string(i) + "\t" + NomOuCode(NomGenreFiltre(genre), genre) + "\t" + (f.Actif ? "1" : "0");
    switch (genre) {
    case FiltreSujet:
        l += "\t" + TexteCondition(f.Condition1, f.Valeur1.Lire());
        break;
    case FiltreEntete:
        l += "\t" + f.Valeur1.Lire() + "\t" + TexteCondition(f.Condition1, f.Valeur2.Lire());
        break;
    default:  // sender filters, and unknown kinds shown the same way
        l += "\t" + TexteCondition(f.Condition1, f.Valeur1.Lire()) + "\t" +
             TexteCondition(f.Condition2, f.Valeur2.Lire());
        break;
    }
    l += std::string("\t") + (f.Casse ? "O" : "N");
    l += "\t" + NomOuCode(NomAction(f.Action), f.Action);
    l += "\t" + std::to_string(f.Compteur.Lire());
    return l + "\n";
}

cli::EnregistrementAide aide({"filters", "filters [--data DOSSIER]",
                              "Une ligne par filtre de filtres.dat : position, sorte, actif 0/1, conditions,\n"
                              "casse O/N, action, compteur.",
                              {cli::OptionData}});

int Filtres(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args);
    if (!a.erreur.empty() || !a.positionnels.empty())
        throw cli::ErreurCommande{a.erreur.empty() ? Texte("argument inattendu.") : a.erreur, cli::StatutUsage};
    ListeFiltres filtres;
    const ResultatFichier r = ChargerFiltres(cli::DossierDonnees(a), filtres);
    if (!r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        return 1;
    }
    for (std::size_t i = 0; i < filtres.size(); ++i) c.Ecrire(LigneFiltre(i, filtres[i]));
    return 0;
}

cli::EnregistrementCommande e("filters", "liste les filtres (filtres.dat)", Filtres);

}  // namespace
