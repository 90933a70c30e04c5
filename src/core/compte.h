#pragma once
// The account record: 368 bytes, the same in memory and in the accounts file (where only the
// password differs: it is stored enciphered).

#include "core/chaine_courte.h"
#include "core/secret.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vaskor {

// The password field of an account record, laid out like any other text field. Every record
// that holds a password in clear (the list, a dialog's copy, a row's copy of its account) wipes
// it when it is freed; copying and moving copy it, so a source record keeps working.
struct ChampMotDePasse : ChaineCourte<50> {
    using ChaineCourte<50>::operator=;
    ChampMotDePasse() = default;
    ChampMotDePasse(const ChampMotDePasse&) = default;
    ChampMotDePasse& operator=(const ChampMotDePasse&) = default;
    ~ChampMotDePasse() { EffacerMemoire(static_cast<void*>(this), sizeof *this); }

    // The password without a copy, and a copy that wipes itself.
    std::string_view Vue() const { return {car.data(), Taille()}; }
    TexteSecret LireSecret() const { return TexteSecret(Vue()); }
};

#pragma pack(push, 1)
struct TCompte {
    std::uint8_t ControleAuto = 0;          // 0: no; anything else: part of the automatic check
    ChaineCourte<50> Description;
    ChaineCourte<50> ServeurPOP;
    std::array<std::uint8_t, 51> Reserve1{};  // kept exactly as read
    ChaineCourte<50> NomUser;
    std::array<std::uint8_t, 102> Reserve2{};
    ChampMotDePasse Password;                // in clear in memory, enciphered base64 in the file
    std::array<std::uint8_t, 6> Reserve3{};
    Entier32LE PortPOP;

    // A record as the account dialog creates it: every byte zero.
    static TCompte Vierge();
};
#pragma pack(pop)

static_assert(sizeof(TCompte) == 368);
static_assert(offsetof(TCompte, Description) == 1);
static_assert(offsetof(TCompte, ServeurPOP) == 52);
static_assert(offsetof(TCompte, Reserve1) == 103);
static_assert(offsetof(TCompte, NomUser) == 154);
static_assert(offsetof(TCompte, Reserve2) == 205);
static_assert(offsetof(TCompte, Password) == 307);
static_assert(offsetof(TCompte, Reserve3) == 358);
static_assert(offsetof(TCompte, PortPOP) == 364);
static_assert(alignof(TCompte) == 1);
static_assert(sizeof(ChampMotDePasse) == sizeof(ChaineCourte<50>));

// The account list, ascending by description with ASCII case ignored. An account is designated
// by its position in this list.
class ListeComptes {
public:
    std::size_t Nombre() const { return comptes_.size(); }
    const TCompte& operator[](std::size_t i) const { return comptes_.at(i); }
    const std::vector<TCompte>& Tous() const { return comptes_; }
    // Replaces the whole list, then sorts it.
    void Remplacer(std::vector<TCompte> comptes);
    void Trier();
    void DefinirControleAuto(std::size_t i, bool actif);
    // An account takes part in the automatic check only when it has a password: every record
    // gets ControleAuto = 1 when it was non-zero and the password is not empty, else 0.
    // Returns the number of accounts left with the flag set.
    int NormaliserControleAuto();

private:
    std::vector<TCompte> comptes_;
};

bool CompteAvant(const TCompte& a, const TCompte& b);

// One account in two copies of the list: the same description, server and user name (the
// password, the port and the automatic-check flag may differ).
bool MemeIdentiteCompte(const TCompte& a, const TCompte& b);

// The accounts to write when this program read `base`, now holds `memoire` (the account dialog's
// additions, edits and removals) and finds `disque` in the file (vaskor-cli accounts add or
// remove meanwhile): each side's changes are kept account by account, an account edited here
// wins, one untouched here is taken from disk. Sorted by description.
std::vector<TCompte> FusionnerComptes(const std::vector<TCompte>& memoire, const std::vector<TCompte>& base,
                                      const std::vector<TCompte>& disque);

}  // namespace vaskor
