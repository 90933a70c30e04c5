#include "engine/liste_messages.h"

#include <algorithm>
#include <cstdlib>

namespace vaskor {

std::size_t ListeMessages::NombreMarques() const
{
    return static_cast<std::size_t>(
        std::count_if(lignes_.begin(), lignes_.end(), [](const LigneMessage& l) { return l.Marque; }));
}

void ListeMessages::Ajouter(LigneMessage ligne)
{
    const std::size_t i = lignes_.size();
    if (observateur_) observateur_->AvantAjout(i, i);
    lignes_.push_back(std::move(ligne));
    if (observateur_) observateur_->ApresAjout();
}

void ListeMessages::Retirer(std::size_t i)
{
    if (i >= lignes_.size()) return;
    if (observateur_) observateur_->AvantRetrait(i, i);
    lignes_.erase(lignes_.begin() + static_cast<std::ptrdiff_t>(i));
    if (observateur_) observateur_->ApresRetrait();
}

void ListeMessages::Vider()
{
    if (observateur_) observateur_->AvantReinitialisation();
    lignes_.clear();
    if (observateur_) observateur_->ApresReinitialisation();
}

void ListeMessages::Marquer(std::size_t i, bool marque)
{
    if (i >= lignes_.size() || lignes_[i].Marque == marque) return;
    lignes_[i].Marque = marque;
    if (observateur_) observateur_->MarquesChangees(i, i);
}

void ListeMessages::MarquerApercu(std::size_t i)
{
    if (i >= lignes_.size() || lignes_[i].Apercu) return;
    lignes_[i].Apercu = true;
    if (observateur_) observateur_->MarquesChangees(i, i);
}

void ListeMessages::BasculerMarque(std::size_t i)
{
    if (i < lignes_.size()) Marquer(i, !lignes_[i].Marque);
}

void ListeMessages::MarquerTout()
{
    for (auto& l : lignes_) l.Marque = true;
    if (observateur_ && !lignes_.empty()) observateur_->MarquesChangees(0, lignes_.size() - 1);
}

void ListeMessages::InverserMarques()
{
    for (auto& l : lignes_) l.Marque = !l.Marque;
    if (observateur_ && !lignes_.empty()) observateur_->MarquesChangees(0, lignes_.size() - 1);
}

void ListeMessages::AnnulerMarques()
{
    for (auto& l : lignes_) l.Marque = false;
    if (observateur_ && !lignes_.empty()) observateur_->MarquesChangees(0, lignes_.size() - 1);
}

void ListeMessages::Trier(const std::function<int(const LigneMessage&, const LigneMessage&)>& comparer)
{
    if (observateur_) observateur_->AvantReinitialisation();
    std::stable_sort(lignes_.begin(), lignes_.end(),
                     [&](const LigneMessage& a, const LigneMessage& b) { return comparer(a, b) < 0; });
    if (observateur_) observateur_->ApresReinitialisation();
}

namespace {
int ComparerOctets(const Texte& a, const Texte& b)
{
    const int r = a.compare(b);  // std::string compares as unsigned char
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int ComparerMajuscules(const Texte& a, const Texte& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(MajusculeAscii(a[i]));
        const auto cb = static_cast<unsigned char>(MajusculeAscii(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

long long LireEntier(const Texte& t)
{
    if (t.empty()) return 0;
    char* fin = nullptr;
    const long long v = std::strtoll(t.c_str(), &fin, 10);
    return (fin && *fin == '\0') ? v : 0;
}
}  // namespace

int LVMsgCompare(const LigneMessage& l1, const LigneMessage& l2, ColonneTri colonne, bool ascendant, bool parCompte,
                 const std::function<bool(const Texte&, double&)>& lireDate)
{
    if (parCompte) {
        const int r = ComparerOctets(l1.Resume.Compte.ServeurPOP.Lire(), l2.Resume.Compte.ServeurPOP.Lire());
        if (r != 0) return r;
        return ComparerOctets(l1.Resume.Compte.NomUser.Lire(), l2.Resume.Compte.NomUser.Lire());
    }
    const LigneMessage& a = ascendant ? l1 : l2;
    const LigneMessage& b = ascendant ? l2 : l1;
    switch (colonne) {
    case ColonneTri::De: return ComparerOctets(a.De, b.De);
    case ColonneTri::Sujet: return ComparerMajuscules(a.Sujet, b.Sujet);
    case ColonneTri::Date: {
        double da = 0, db = 0;
        if (!lireDate) return 0;
        const bool la = lireDate(a.Date, da), lb = lireDate(b.Date, db);
        // A date that cannot be read (an empty cell) sorts before every readable one.
        if (!la || !lb) return la == lb ? 0 : (la ? 1 : -1);
        return da < db ? -1 : (da > db ? 1 : 0);
    }
    case ColonneTri::Taille: {
        const long long ta = LireEntier(a.Taille), tb = LireEntier(b.Taille);
        return ta < tb ? -1 : (ta > tb ? 1 : 0);
    }
    }
    return 0;
}

}  // namespace vaskor
