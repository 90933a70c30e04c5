#include "ui/tri_liste.h"

#include "core/texte_date.h"

namespace vaskor {

bool LireDateListe(const Texte& texte, double& date)
{
    // Read back by the one function that writes the "Date" cells, with the user's formats.
    return LireTexteDate(texte, date);
}

TriListe::TriListe(LecteurDate lireDate) : lireDate_(std::move(lireDate)) {}

std::vector<std::size_t> TriListe::ClicColonne(ListeMessages& liste, int colonne)
{
    if (colonne < 0 || colonne > 3) return {};
    if (colonne == colonne_) ascendant_ = !ascendant_;
    colonne_ = colonne;
    parCompte_ = false;
    return Trier(liste);
}

std::vector<std::size_t> TriListe::Trier(ListeMessages& liste) const
{
    std::vector<std::size_t> ordre =
        OrdreLVMsg(liste, static_cast<ColonneTri>(colonne_), ascendant_, parCompte_, lireDate_);
    liste.Reordonner(ordre);
    return ordre;
}

void TriListe::TrierParCompte(ListeMessages& liste)
{
    parCompte_ = true;
    Trier(liste);
}

int TriListe::Comparer(const LigneMessage& a, const LigneMessage& b) const
{
    return LVMsgCompare(a, b, static_cast<ColonneTri>(colonne_), ascendant_, parCompte_, lireDate_);
}

}  // namespace vaskor
