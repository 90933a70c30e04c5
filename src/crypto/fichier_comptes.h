#pragma once
// The accounts file comptes.dat: the account records end to end, 368 bytes each, exactly as in
// memory except the password, which is stored enciphered under a fixed key text, as base64 text
// of at most 50 characters.

#include "core/compte.h"
#include "core/fichiers.h"
#include "core/securite_compte.h"
#include "core/texte.h"
#include "crypto/chiffrement.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vaskor {

inline constexpr std::string_view NomFichierComptes = "comptes.dat";
inline constexpr std::string_view CleFichierComptes = "52918_QUALBERIN";
// The base64 text of more than 37 enciphered bytes does not fit the 50 characters of the field:
// a longer password would come back cut or altered. The account editor refuses longer ones.
inline constexpr std::size_t LongueurMaxMotDePasse = 37;

// "Erreur lors de l'ouverture du fichier de comptes." (code page 1252).
Texte MessageErreurFichierComptes();

// The record as the file holds it: the password enciphered and encoded (empty stays empty), cut
// to 50 characters. Sets the cipher's key to the accounts key first, so every password starts
// from the same state and equal passwords give equal bytes. The bytes after the encoded text in
// the password field are zeroed: they could otherwise carry characters of a clear password.
TCompte ChiffrerCompte(TCipherManager& chiffre, const TCompte& compte);

// Deciphers the password of a record read from the file, in place, cut to 50 characters. The
// cipher's key must already be the accounts key. A password that cannot be decoded becomes
// empty; the result is false then.
bool DechiffrerCompte(TCipherManager& chiffre, TCompte& compte);

// The records of a file's bytes with their passwords deciphered, in file order; a short last
// record is completed with zero bytes. `illisibles` counts passwords that could not be decoded.
std::vector<TCompte> LireComptes(TCipherManager& chiffre, std::string_view octets, int* illisibles = nullptr);
// The file's bytes for a list, in list order; an empty list gives no byte.
std::string EcrireComptes(TCipherManager& chiffre, const std::vector<TCompte>& comptes);

struct ResultatChargementComptes {
    bool ok = true;
    ListeComptes comptes;      // sorted; empty after a failure
    Texte message;             // MessageErreurFichierComptes() after a failure
    Texte detail;              // the system's reason after a failure, for a log
    Texte avertissement;       // a damaged file, kept aside (GarderSiEndommage)
    int motsDePasseIllisibles = 0;
    // How each account connects (securites.dat beside comptes.dat).
    SecuritesComptes securites;
    // Why securites.dat could not be read; empty when it could (or does not exist).
    Texte erreurSecurites;
};

// Loads `comptes.dat` from the folder (found whatever its letter case). A missing file is an
// empty list and no failure. Any failure to read gives ok = false and an empty list, never a
// partial one.
ResultatChargementComptes ChargerComptes(TCipherManager& chiffre, const fs::path& dossier);

// Writes the list to `comptes.dat` in the folder, replacing the whole file through a temporary
// file, readable and writable by its owner only.
ResultatFichier EnregistrerComptes(TCipherManager& chiffre, const fs::path& dossier,
                                   const std::vector<TCompte>& comptes);

}  // namespace vaskor
