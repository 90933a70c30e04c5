#pragma once
// The friend record (60 bytes, the same in memory and in the friends file), the friends list and
// the friend test of the classification.

#include "core/chaine_courte.h"
#include "core/fichiers.h"
#include "core/texte.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vaskor {

#pragma pack(push, 1)
struct TAmi {
    std::array<std::uint8_t, 4> Reserve1{};  // zero in new records, kept as read otherwise
    Entier32LE TypeAmi;                      // 0: an address; anything else: a domain
    ChaineCourte<50> Nom;                    // as entered: no case change, no trimming
    std::uint8_t Reserve2 = 0;

    // A record as the program creates it: every byte zero.
    static TAmi Vierge();
    bool EstDomaine() const { return TypeAmi.Lire() != 0; }
};
#pragma pack(pop)

static_assert(sizeof(TAmi) == 60);
static_assert(offsetof(TAmi, Reserve1) == 0);
static_assert(offsetof(TAmi, TypeAmi) == 4);
static_assert(offsetof(TAmi, Nom) == 8);
static_assert(offsetof(TAmi, Reserve2) == 59);
static_assert(alignof(TAmi) == 1);

inline constexpr std::int32_t AmiAdresse = 0;
inline constexpr std::int32_t AmiDomaine = 1;

// The friends: the file's order after loading, ascending by name with ASCII case ignored after
// every change the program makes.
using ListeAmis = std::vector<TAmi>;

// Sorts by name without regard to ASCII case; equal names keep their relative order.
void TrierAmis(ListeAmis& liste);

// "Adresse" or "Domaine", as the friends dialog and vaskor-cli show the type.
const Texte& NomTypeAmi(const TAmi& ami);

// An address split at its first "@": the user part before it, the domain part after it; an
// address without "@" is all user part with an empty domain part. No trimming, no case change.
struct AdresseSeparee {
    Texte utilisateur;
    Texte domaine;
};
AdresseSeparee SeparerAdresse(std::string_view adresse);

// The friend test: some friend's name equals, byte for byte, the full address or its domain
// part. A friend with an empty name therefore matches every sender without domain part.
bool EstUnAmi(const ListeAmis& amis, std::string_view adresse);

// What the friend editor accepts as an address: an "@" and, somewhere after the first one, a ".".
bool AdresseValide(std::string_view texte);

// The one spelling of the friends file; loading finds it whatever the letter case on disk.
inline constexpr std::string_view NomFichierAmis = "amis.dat";

// Appends the records of the friends file in `dossier`, unsorted. A missing file is no error
// (`existe` tells); a short last record is completed with zero bytes.
ResultatFichier ChargerAmis(const fs::path& dossier, ListeAmis& liste, bool* existe = nullptr);
// Writes every record in list order, replacing the file at once.
ResultatFichier SauverAmis(const fs::path& dossier, const ListeAmis& liste);

// The list to write when this program read `base`, now holds `memoire` and finds `disque` in the
// file: friends added or removed on either side are taken from that side, matched by name (a
// renamed friend is a removal and an addition), sorted by name.
ListeAmis FusionnerAmis(const ListeAmis& memoire, const ListeAmis& base, const ListeAmis& disque);
// SauverAmis for a program that may share the folder: under the folder's lock the file is read
// again and merged as above, so that friends added elsewhere since `base` stay. On success
// `liste` and `base` both become what was written.
ResultatFichier SauverAmisFusion(const fs::path& dossier, ListeAmis& liste, ListeAmis& base);

ListeAmis DecoderAmis(std::string_view octets);
std::string EncoderAmis(const ListeAmis& liste);

// Adds an address friend (name cut to 50 characters, reserved bytes zero), sorts the list and
// writes it. No duplicate check: adding the sender of a message twice gives two records. When the
// write fails the list in memory keeps the new friend and the result says why.
ResultatFichier AjouterAmiAdresse(const fs::path& dossier, ListeAmis& liste, std::string_view adresse);

}  // namespace vaskor
