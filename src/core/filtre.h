#pragma once
// The filter record: 132 bytes, the same in memory and in the filters file, and the tables of
// texts that go with its codes (conditions, actions, kinds, header numbers).

#include "core/chaine_courte.h"
#include "core/fichiers.h"
#include "core/texte.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vaskor {

// What a filter does with a message it decides; the same values are the verdict of the
// classification.
enum TActionFiltre : std::int32_t {
    ActionAccepter = 0,
    ActionMarquer = 1,
    ActionEffacer = 2,
};
inline constexpr int NombreActions = 3;

// Which part of the message a filter looks at (`TypeFiltre`).
enum GenreFiltre : std::int32_t {
    FiltreExpediteur = 0,
    FiltreSujet = 1,
    FiltreEntete = 2,
};
inline constexpr int NombreGenresFiltre = 3;

// Condition codes; their captions are LibelleCondition.
enum CodeCondition : std::int32_t {
    CondAucune = 0,
    CondContient = 1,
    CondNeContientPas = 2,
    CondEgal = 3,
    CondDifferent = 4,
    CondCommencePar = 5,
    CondNeCommencePasPar = 6,
    CondCommenceParNombre = 7,
    CondFinitPar = 8,
    CondNeFinitPasPar = 9,
    CondVide = 10,
    CondNonVide = 11,
    CondEssentiellementNumerique = 12,
    CondNumerique = 13,
    CondMajuscule = 14,
};
inline constexpr int NombreConditions = 15;

// Header numbers (`NumEntete`) of the header filters; 0 names the header by `Valeur1`.
inline constexpr int NombreEntetesFixes = 10;

#pragma pack(push, 1)
struct TFiltre {
    ChaineCourte<50> Valeur1;             // sender: user part value; subject: value; header: header name
    ChaineCourte<50> Valeur2;             // sender: domain value; header: value; subject: unused
    std::array<std::uint8_t, 2> Reserve1{};
    Entier32LE TypeFiltre;                // GenreFiltre
    Entier32LE Action;                    // TActionFiltre
    Entier32LE Condition1;                // user part, subject or header values
    Entier32LE Condition2;                // domain part (sender filters only)
    Entier32LE Compteur;                  // messages decided since created, edited or reset
    Entier32LE NumEntete;                 // header filters: 0..9
    std::uint8_t Actif = 0;
    std::uint8_t Casse = 0;               // non-zero: comparisons respect letter case
    std::array<std::uint8_t, 2> Reserve2{};

    // A record as the program creates it: every byte zero.
    static TFiltre Vierge();
};
#pragma pack(pop)

static_assert(sizeof(TFiltre) == 132);
static_assert(offsetof(TFiltre, Valeur1) == 0);
static_assert(offsetof(TFiltre, Valeur2) == 51);
static_assert(offsetof(TFiltre, Reserve1) == 102);
static_assert(offsetof(TFiltre, TypeFiltre) == 104);
static_assert(offsetof(TFiltre, Action) == 108);
static_assert(offsetof(TFiltre, Condition1) == 112);
static_assert(offsetof(TFiltre, Condition2) == 116);
static_assert(offsetof(TFiltre, Compteur) == 120);
static_assert(offsetof(TFiltre, NumEntete) == 124);
static_assert(offsetof(TFiltre, Actif) == 128);
static_assert(offsetof(TFiltre, Casse) == 129);
static_assert(offsetof(TFiltre, Reserve2) == 130);
static_assert(alignof(TFiltre) == 1);

// The filters in the order the classification takes them; the first one that decides wins.
using ListeFiltres = std::vector<TFiltre>;

inline bool ConditionConnue(std::int32_t code) { return code >= 0 && code < NombreConditions; }
// Conditions 1 to 6, 8 and 9 compare the text with the filter's value; the others ignore it.
bool ConditionAvecValeur(std::int32_t code);

// Captions of the conditions, in code order (every one but that of code 0 ends with a blank);
// empty for a code outside 0..14.
const Texte& LibelleCondition(std::int32_t code);
// The text the filter lists show for a condition: the caption, followed by the value between
// double quotes for the conditions that take one. A code outside 0..14 (a damaged or foreign
// file) shows as "(Condition inconnue : n)" so that the user sees why the filter never acts.
Texte TexteCondition(std::int32_t code, std::string_view valeur);

// "Accepter", "Marquer", "Effacer"; empty outside 0..2.
const Texte& NomAction(std::int32_t action);
// The items of the editors' action lists: "Accepter", "Marquer mais ne pas effacer", "Effacer".
const Texte& LibelleActionEditeur(std::int32_t action);
// "Expéditeur", "Sujet", "Entête"; empty outside 0..2.
const Texte& NomGenreFiltre(std::int32_t genre);

// The header names that the header editor offers for numbers 1..9 ("Cc", "Content-Type"...);
// empty for 0 and outside 0..9.
const Texte& NomEnteteFixe(std::int32_t numero);
// The label that a reason text gives a header number 1..9 ("CC", "Reply To"...); empty for 0
// (the caller uses Valeur1) and outside 0..9.
const Texte& LibelleEnteteFixe(std::int32_t numero);

// The one spelling of the filters file in the program's folder; loading finds it whatever the
// letter case of the name on disk.
inline constexpr std::string_view NomFichierFiltres = "filtres.dat";

// Appends to `liste` the records of the filters file in `dossier`. A missing file leaves the
// list as it is and is no error (`existe` tells). Nothing is checked: codes out of range are
// kept and handled where they are used. A file whose length is not a multiple of 132 gives a
// last record completed with zero bytes.
ResultatFichier ChargerFiltres(const fs::path& dossier, ListeFiltres& liste, bool* existe = nullptr);
// Writes every record, in list order, replacing the file at once.
ResultatFichier SauverFiltres(const fs::path& dossier, const ListeFiltres& liste);

// The counters to write when this program read `base`, now holds `memoire`, and finds `disque`
// in the file: each filter of `memoire` found in `disque` and in `base` (same record but for the
// counter, matched in order) gets the disk's counter plus this run's increments; the others keep
// their own. The filters, their order and settings are those of `memoire`.
ListeFiltres FusionnerCompteurs(const ListeFiltres& memoire, const ListeFiltres& base, const ListeFiltres& disque);
// The list to write when this program read `base`, now holds `memoire`, and finds `disque` in
// the file: filters added, removed or changed (a change is a removal and an addition) on either
// side are taken from that side, record by record; a filter on both sides gets the disk's counter
// plus this run's increments (memoire - base), as FusionnerCompteurs does. `memoire`'s order,
// then the filters added elsewhere.
ListeFiltres FusionnerFiltres(const ListeFiltres& memoire, const ListeFiltres& base, const ListeFiltres& disque);
// SauverFiltres for a program that may share the folder: under the folder's lock, the file is
// read again and merged as FusionnerFiltres does, so that neither another program's filters and
// counts since `base` nor this one's edits are lost. On success `liste` and `base` both become
// what was written.
ResultatFichier SauverFiltresFusion(const fs::path& dossier, ListeFiltres& liste, ListeFiltres& base);

// File content <-> records, for the two functions above and for tests.
ListeFiltres DecoderFiltres(std::string_view octets);
std::string EncoderFiltres(const ListeFiltres& liste);

}  // namespace vaskor
