#include "core/compte.h"

#include "core/fusion_enregistrements.h"
#include "core/texte.h"

#include <algorithm>
#include <cstring>

namespace vaskor {

TCompte TCompte::Vierge()
{
    TCompte c;
    std::memset(static_cast<void*>(&c), 0, sizeof c);
    return c;
}

bool CompteAvant(const TCompte& a, const TCompte& b)
{
    return ComparerSansCasse(a.Description.Lire(), b.Description.Lire()) < 0;
}

bool MemeIdentiteCompte(const TCompte& a, const TCompte& b)
{
    return a.Description.Lire() == b.Description.Lire() && a.ServeurPOP.Lire() == b.ServeurPOP.Lire() &&
           a.NomUser.Lire() == b.NomUser.Lire();
}

std::vector<TCompte> FusionnerComptes(const std::vector<TCompte>& memoire, const std::vector<TCompte>& base,
                                      const std::vector<TCompte>& disque)
{
    std::vector<TCompte> r = FusionnerTroisCopies(
        memoire, base, disque, MemeIdentiteCompte,
        [](const TCompte& a, const TCompte& b) { return std::memcmp(&a, &b, sizeof a) == 0; },
        [](const TCompte&, const TCompte&, const TCompte& d) { return d; });
    std::stable_sort(r.begin(), r.end(), CompteAvant);
    return r;
}

void ListeComptes::Remplacer(std::vector<TCompte> comptes)
{
    comptes_ = std::move(comptes);
    Trier();
}

void ListeComptes::Trier() { std::stable_sort(comptes_.begin(), comptes_.end(), CompteAvant); }

void ListeComptes::DefinirControleAuto(std::size_t i, bool actif) { comptes_.at(i).ControleAuto = actif ? 1 : 0; }

int ListeComptes::NormaliserControleAuto()
{
    int n = 0;
    for (TCompte& c : comptes_) {
        c.ControleAuto = (c.ControleAuto != 0 && !c.Password.Vide()) ? 1 : 0;
        n += c.ControleAuto;
    }
    return n;
}

}  // namespace vaskor
