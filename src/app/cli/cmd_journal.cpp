// vaskor-cli journal: the lines of the journal of deleted mails, oldest first.

#include "cli/commande.h"
#include "core/journal.h"

namespace {

using namespace vaskor;

int Journal(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args);
    if (!a.erreur.empty() || !a.positionnels.empty() || !a.drapeaux.empty() ||
        a.options.size() > a.options.count("--data")) {
        if (!a.erreur.empty()) c.EcrireErreur(a.erreur + "\n");
        c.EcrireErreur("Usage: vaskor-cli journal [--data DIR]\n");
        return 64;
    }
    std::vector<Texte> lignes;
    const ResultatFichier r = LireJournal(cli::DossierDonnees(a), lignes);
    if (!r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        return 1;
    }
    for (const Texte& l : lignes) c.Ecrire(l + "\n");
    return 0;
}

cli::EnregistrementCommande e("journal", "print the lines of MAILS_SUPPRIMES.DAT (--data DIR)", Journal);

}  // namespace
