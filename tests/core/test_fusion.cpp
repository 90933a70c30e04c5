// Merging what this program changed with what another program changed in the same data file
// meanwhile: nothing either side did is lost.

#include "core/ami.h"
#include "core/compte.h"
#include "core/filtre.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vaskor;

namespace {

// "A:1 B:2": accounts A and B whose password is 1 and 2 (the password stands for any field).
std::vector<TCompte> Comptes(const std::string& texte)
{
    std::vector<TCompte> r;
    std::istringstream in(texte);
    for (std::string mot; in >> mot;) {
        TCompte c = TCompte::Vierge();
        c.Description = mot.substr(0, mot.find(':'));
        c.ServeurPOP = "pop.exemple.fr";
        c.NomUser = "anne";
        c.Password = mot.substr(mot.find(':') + 1);
        r.push_back(c);
    }
    return r;
}

std::string Liste(const std::vector<TCompte>& l)
{
    std::string r;
    for (const TCompte& c : l) r += (r.empty() ? "" : " ") + c.Description.Lire() + ":" + c.Password.Lire();
    return r;
}

TFiltre Filtre(const char* valeur, int compteur)
{
    TFiltre f = TFiltre::Vierge();
    f.TypeFiltre = FiltreSujet;
    f.Condition1 = CondContient;
    f.Valeur1 = valeur;
    f.Compteur = compteur;
    return f;
}

}  // namespace

TEST(FusionnerComptes, EachSidesAdditionsEditsAndRemovalsAreKept)
{
    struct Cas {
        const char* nom;
        const char* base;
        const char* memoire;
        const char* disque;
        const char* attendu;
    };
    const Cas cas[] = {
        {"file unchanged: the dialog's list", "A:1 B:1", "B:2 C:1", "A:1 B:1", "B:2 C:1"},
        {"added elsewhere (vaskor-cli accounts add)", "A:1", "A:2", "A:1 B:1", "A:2 B:1"},
        {"removed elsewhere, untouched here", "A:1 B:1", "A:1 B:1", "A:1", "A:1"},
        {"removed elsewhere, edited here", "A:1 B:1", "A:1 B:2", "A:1", "A:1 B:2"},
        {"edited elsewhere, untouched here", "A:1", "A:1", "A:3", "A:3"},
        {"edited on both sides: this dialog's", "A:1", "A:2", "A:3", "A:2"},
        {"removed here, edited elsewhere", "A:1 B:1", "B:1", "A:3 B:1", "B:1"},
        {"added on both sides: once", "A:1", "A:1 C:1", "A:1 C:1", "A:1 C:1"},
        {"duplicates pair up in order", "A:1 A:1", "A:1 A:2", "A:1 A:1 B:1", "A:1 A:2 B:1"},
    };
    for (const Cas& c : cas)
        EXPECT_EQ(Liste(FusionnerComptes(Comptes(c.memoire), Comptes(c.base), Comptes(c.disque))), c.attendu)
            << c.nom;
}

TEST(FusionnerFiltres, FiltersOfBothSidesStayAndCountsAdd)
{
    // Read: a(2) b(0) c(1). Here: this run counted 3 more for a, the user removed c and added d.
    // Elsewhere: another check counted 5 more for a, b was removed, e added.
    const ListeFiltres base{Filtre("a", 2), Filtre("b", 0), Filtre("c", 1)};
    const ListeFiltres memoire{Filtre("a", 5), Filtre("b", 0), Filtre("d", 0)};
    const ListeFiltres disque{Filtre("a", 7), Filtre("c", 1), Filtre("e", 0)};
    const ListeFiltres attendu{Filtre("a", 10), Filtre("d", 0), Filtre("e", 0)};
    EXPECT_EQ(EncoderFiltres(FusionnerFiltres(memoire, base, disque)), EncoderFiltres(attendu));
    // Nobody else wrote: the list as it is here.
    EXPECT_EQ(EncoderFiltres(FusionnerFiltres(memoire, base, base)), EncoderFiltres(memoire));
}

TEST(FusionnerAmis, AFriendAddedElsewhereStaysAndTheListIsSorted)
{
    const auto ami = [](const char* nom) {
        TAmi a = TAmi::Vierge();
        a.Nom = nom;
        return a;
    };
    const ListeAmis r = FusionnerAmis({ami("b@x.fr"), ami("c@x.fr")}, {ami("a@x.fr"), ami("b@x.fr")},
                                      {ami("a@x.fr"), ami("b@x.fr"), ami("d@x.fr")});
    EXPECT_EQ(EncoderAmis(r), EncoderAmis({ami("b@x.fr"), ami("c@x.fr"), ami("d@x.fr")}));
}
