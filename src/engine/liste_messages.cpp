#include "engine/liste_messages.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

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

void ListeMessages::Reordonner(const std::vector<std::size_t>& ordre)
{
    if (ordre.size() != lignes_.size()) return;
    if (observateur_) observateur_->AvantReinitialisation();
    std::vector<LigneMessage> lignes;
    lignes.reserve(lignes_.size());
    for (std::size_t i : ordre) lignes.push_back(std::move(lignes_.at(i)));
    lignes_ = std::move(lignes);
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
        const int r = ComparerOctets(l1.Resume.Compte->ServeurPOP.Lire(), l2.Resume.Compte->ServeurPOP.Lire());
        if (r != 0) return r;
        return ComparerOctets(l1.Resume.Compte->NomUser.Lire(), l2.Resume.Compte->NomUser.Lire());
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

std::vector<std::size_t> OrdreLVMsg(const ListeMessages& liste, ColonneTri colonne, bool ascendant, bool parCompte,
                                    const std::function<bool(const Texte&, double&)>& lireDate)
{
    const std::size_t n = liste.Nombre();
    std::vector<std::size_t> ordre(n);
    std::iota(ordre.begin(), ordre.end(), std::size_t(0));
    // `avant(i, j)`: row i sorts before row j ascending. Descending swaps the two rows, as
    // LVMsgCompare does, so that equal rows keep their order both ways.
    const auto trier = [&](const auto& cles) {
        if (ascendant || parCompte)
            std::stable_sort(ordre.begin(), ordre.end(), [&](std::size_t i, std::size_t j) { return cles[i] < cles[j]; });
        else
            std::stable_sort(ordre.begin(), ordre.end(), [&](std::size_t i, std::size_t j) { return cles[j] < cles[i]; });
    };
    // std::string compares its bytes as unsigned char: the byte order of ComparerOctets.
    if (parCompte) {
        std::vector<std::pair<Texte, Texte>> cles(n);
        for (std::size_t i = 0; i < n; ++i)
            cles[i] = {liste[i].Resume.Compte->ServeurPOP.Lire(), liste[i].Resume.Compte->NomUser.Lire()};
        trier(cles);
        return ordre;
    }
    switch (colonne) {
    case ColonneTri::De: {
        std::vector<const Texte*> cles(n);
        for (std::size_t i = 0; i < n; ++i) cles[i] = &liste[i].De;
        struct Pointe {
            const std::vector<const Texte*>& v;
            const Texte& operator[](std::size_t i) const { return *v[i]; }
        };
        trier(Pointe{cles});
        break;
    }
    case ColonneTri::Sujet: {
        std::vector<Texte> cles(n);
        for (std::size_t i = 0; i < n; ++i) {
            cles[i] = liste[i].Sujet;
            for (char& c : cles[i]) c = MajusculeAscii(c);
        }
        trier(cles);
        break;
    }
    case ColonneTri::Date: {
        // Unreadable (false) before readable, then by value; without a reader every row is equal.
        std::vector<std::pair<bool, double>> cles(n, {false, 0.0});
        if (lireDate) {
            for (std::size_t i = 0; i < n; ++i) {
                double d = 0;
                if (lireDate(liste[i].Date, d)) cles[i] = {true, d};
            }
        }
        trier(cles);
        break;
    }
    case ColonneTri::Taille: {
        std::vector<long long> cles(n);
        for (std::size_t i = 0; i < n; ++i) cles[i] = LireEntier(liste[i].Taille);
        trier(cles);
        break;
    }
    }
    return ordre;
}

}  // namespace vaskor
