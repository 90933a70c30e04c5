#include "ui/tri_liste.h"

#include "core/texte_date.h"

#include <unordered_map>

namespace vaskor {

bool LireDateListe(const Texte& texte, double& date)
{
    // Read back by the one function that writes the "Date" cells, with the user's formats.
    return LireTexteDate(texte, date);
}

TriListe::TriListe(LecteurDate lireDate) : lireDate_(std::move(lireDate)) {}

void TriListe::ClicColonne(ListeMessages& liste, int colonne)
{
    if (colonne < 0 || colonne > 3) return;
    if (colonne == colonne_) ascendant_ = !ascendant_;
    colonne_ = colonne;
    parCompte_ = false;
    Trier(liste);
}

void TriListe::Trier(ListeMessages& liste) const
{
    // A sort compares each row many times; reading a date text back is the costly part, so each
    // distinct text is read once per sort.
    std::unordered_map<Texte, std::pair<bool, double>> dates;
    const LecteurDate lire = [&](const Texte& t, double& d) {
        auto [it, nouveau] = dates.try_emplace(t);
        if (nouveau) {
            double v = 0;
            const bool lu = lireDate_ && lireDate_(t, v);
            it->second = {lu, v};
        }
        d = it->second.second;
        return it->second.first;
    };
    const ColonneTri colonne = static_cast<ColonneTri>(colonne_);
    liste.Trier([&](const LigneMessage& a, const LigneMessage& b) {
        return LVMsgCompare(a, b, colonne, ascendant_, parCompte_, lire);
    });
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
