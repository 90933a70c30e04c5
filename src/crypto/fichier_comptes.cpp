#include "crypto/fichier_comptes.h"

#include <exception>

namespace vaskor {

Texte MessageErreurFichierComptes() { return "Erreur lors de l'ouverture du fichier de comptes."; }

TCompte ChiffrerCompte(TCipherManager& chiffre, const TCompte& compte)
{
    TCompte copie = compte;
    chiffre.InitKey(CleFichierComptes);
    // EncodeString enciphers its own copy in place: no clear copy is left behind.
    const Texte texte = chiffre.EncodeString(compte.Password.Vue());
    copie.Password.car.fill(0);
    copie.Password.Ecrire(texte);
    return copie;
}

bool DechiffrerCompte(TCipherManager& chiffre, TCompte& compte)
{
    try {
        const TexteSecret clair(chiffre.DecodeString(compte.Password.Lire()));
        compte.Password.Ecrire(clair);
        return true;
    } catch (const ErreurChiffrement&) {
        compte.Password.Ecrire("");
        return false;
    }
}

std::vector<TCompte> LireComptes(TCipherManager& chiffre, std::string_view octets, int* illisibles)
{
    std::vector<TCompte> comptes = DecouperEnregistrements<TCompte>(octets);
    int n = 0;
    for (TCompte& c : comptes)
        if (!DechiffrerCompte(chiffre, c)) ++n;
    if (illisibles) *illisibles = n;
    return comptes;
}

std::string EcrireComptes(TCipherManager& chiffre, const std::vector<TCompte>& comptes)
{
    std::vector<TCompte> stockes;
    stockes.reserve(comptes.size());
    for (const TCompte& c : comptes) stockes.push_back(ChiffrerCompte(chiffre, c));
    return AssemblerEnregistrements(stockes);
}

ResultatChargementComptes ChargerComptes(TCipherManager& chiffre, const fs::path& dossier)
{
    ResultatChargementComptes r;
    auto echec = [&r](Texte detail) {
        r.ok = false;
        r.comptes.Remplacer({});
        r.message = MessageErreurFichierComptes();
        r.detail = std::move(detail);
        r.motsDePasseIllisibles = 0;
    };
    try {
        chiffre.InitKey(CleFichierComptes);
        const fs::path chemin = TrouverFichier(dossier, NomFichierComptes);
        std::error_code ec;
        if (fs::is_directory(chemin, ec)) {
            echec("Le chemin "_cp + Utf8VersCp1252(chemin.string()) + " est un dossier.");
            return r;
        }
        std::string octets;
        const ResultatFichier lu = LireFichier(chemin, octets);
        if (!lu.ok) {
            echec(lu.erreur);
            return r;
        }
        r.avertissement = GarderSiEndommage(chemin, octets.size(), sizeof(TCompte));
        r.comptes.Remplacer(LireComptes(chiffre, octets, &r.motsDePasseIllisibles));
        // The accounts stay usable without their securities (each then takes its port's default),
        // but the user is told, and the file is not rewritten from that default unseen.
        if (const ResultatFichier s = ChargerSecurites(dossier, r.securites); !s.ok) r.erreurSecurites = s.erreur;
    } catch (const std::exception& e) {
        echec(e.what());
    }
    return r;
}

ResultatFichier EnregistrerComptes(TCipherManager& chiffre, const fs::path& dossier,
                                   const std::vector<TCompte>& comptes)
{
    return EcrireFichierDonnees(dossier, NomFichierComptes, EcrireComptes(chiffre, comptes), true);
}

}  // namespace vaskor
