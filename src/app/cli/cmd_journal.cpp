// vaskor-cli journal: the lines of the journal of deleted mails, oldest first.

#include "cli/commande.h"
#include "core/config.h"
#include "core/journal.h"

namespace {

using namespace vaskor;

cli::EnregistrementAide aide({"journal", "journal [--data DOSSIER]",
                              "Les lignes du journal des messages supprimés (MAILS_SUPPRIMES.DAT), de la plus\n"
                              "ancienne à la plus récente : compte, expéditeur, sujet, date (AAAA-MM-JJ HH:MM:SS),\n"
                              "taille, raison.",
                              {cli::OptionData}});

int Journal(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args);
    if (!a.erreur.empty() || !a.positionnels.empty() || !a.drapeaux.empty() ||
        a.options.size() > a.options.count("--data"))
        throw cli::ErreurCommande{a.erreur.empty() ? Texte("argument inattendu.") : a.erreur, cli::StatutUsage};
    const fs::path dossier = cli::DossierDonnees(a);
    // Deletions a killed program left in suspense are settled first, so the journal shown is true.
    TConfig config;
    ChargerConfig(dossier, config, EnvironnementConfig{});
    if (const ResultatFichier r = ResoudreJournalSuspens(dossier, config.NbLignesSvg); !r.ok || !r.avertissement.empty())
        c.EcrireErreur((r.ok ? r.avertissement : r.erreur) + "\n");
    std::vector<Texte> lignes;
    const ResultatFichier r = LireJournal(dossier, lignes);
    if (!r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        return 1;
    }
    for (const Texte& l : lignes) c.Ecrire(cli::LigneJournalIso(l) + "\n");
    return 0;
}

cli::EnregistrementCommande e("journal", "affiche le journal des messages supprimés", Journal);

}  // namespace
