// vaskor-cli friends: the friends list of a program folder in file order, name and type.

#include "cli/commande.h"
#include "core/ami.h"

namespace {

using namespace vaskor;

int Amis(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args);
    if (!a.erreur.empty() || !a.positionnels.empty()) {
        c.EcrireErreur(a.erreur.empty() ? Texte("Usage: vaskor-cli friends [--data DIR]") : a.erreur);
        c.EcrireErreur("\n");
        return 64;
    }
    ListeAmis amis;
    const ResultatFichier r = ChargerAmis(cli::DossierDonnees(a), amis);
    if (!r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        return 1;
    }
    for (const TAmi& ami : amis) c.Ecrire(ami.Nom.Lire() + "\t" + NomTypeAmi(ami) + "\n");
    return 0;
}

cli::EnregistrementCommande e("friends", "list the friends of amis.dat (--data DIR)", Amis);

}  // namespace
