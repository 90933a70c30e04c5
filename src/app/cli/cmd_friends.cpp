// vaskor-cli friends: the friends list of a program folder in file order, name and type.

#include "cli/commande.h"
#include "core/ami.h"

namespace {

using namespace vaskor;

cli::EnregistrementAide aide({"friends", "friends [--data DOSSIER]",
                              "Une ligne par ami de amis.dat, dans l'ordre du fichier : nom, Adresse ou Domaine.",
                              {cli::OptionData}});

int Amis(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args);
    if (!a.erreur.empty() || !a.positionnels.empty())
        throw cli::ErreurCommande{a.erreur.empty() ? Texte("argument inattendu.") : a.erreur, cli::StatutUsage};
    ListeAmis amis;
    const ResultatFichier r = ChargerAmis(cli::DossierDonnees(a), amis);
    if (!r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        return 1;
    }
    for (const TAmi& ami : amis) c.Ecrire(ami.Nom.Lire() + "\t" + NomTypeAmi(ami) + "\n");
    return 0;
}

cli::EnregistrementCommande e("friends", "liste les amis (amis.dat)", Amis);

}  // namespace
