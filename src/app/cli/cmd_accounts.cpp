// vaskor-cli accounts: lists the accounts of comptes.dat, adds one, removes one. Passwords are
// never printed; a new one is read from the first line of standard input so that it appears
// neither in the process list nor in the shell's history.

#include "cli/commande.h"
#include "core/verrou_dossier.h"
#include "core/compte.h"
#include "core/fichiers.h"
#include "core/securite_compte.h"
#include "crypto/fichier_comptes.h"

#include <algorithm>
#include <string>

namespace {

using namespace vaskor;

cli::EnregistrementAide aideListe({"accounts",
                                   "accounts [--data DOSSIER]\n"
                                   "accounts add --description D --server S --user U [--security S] [--port P] [--data DOSSIER]\n"
                                   "accounts remove DESCRIPTION [--data DOSSIER]\n"
                                   "accounts trust DESCRIPTION SHA256 [--data DOSSIER]",
                                   "Liste les comptes de comptes.dat, une ligne par compte : description, serveur,\n"
                                   "utilisateur, port, contrôle automatique 0/1, sécurité (tls, starttls ou none) et\n"
                                   "empreinte du certificat accepté pour le compte (\"-\" sans), jamais le mot de passe.\n"
                                   "\"accounts add --help\", \"accounts remove --help\" et \"accounts trust --help\"\n"
                                   "détaillent les autres formes.",
                                   {cli::OptionData}});
cli::EnregistrementAide aideAjout({"accounts add",
                                   "accounts add --description D --server S --user U [--security S] [--port P] [--data DOSSIER]",
                                   "Ajoute un compte. Le mot de passe est demandé sans écho sur un terminal ; un script\n"
                                   "le donne sur la première ligne de l'entrée standard. Affiche une ligne de confirmation.",
                                   {{"--description", "D", "nom du compte, unique (50 caractères au plus)"},
                                    {"--server", "S", "serveur POP3"},
                                    {"--user", "U", "nom d'utilisateur"},
                                    {"--security", "S", "tls (par défaut : chiffré dès la connexion), starttls ou none\n"
                                                        "(mot de passe en clair)"},
                                    {"--port", "P", "port POP3, de 1 à 65535 (995 avec tls, sinon 110)"},
                                    cli::OptionData}});
cli::EnregistrementAide aideRetrait({"accounts remove", "accounts remove DESCRIPTION [--data DOSSIER]",
                                     "Supprime le compte de cette description (la casse n'importe que si deux comptes\n"
                                     "ne diffèrent que par elle). Affiche une ligne de confirmation.",
                                     {cli::OptionData}});
cli::EnregistrementAide aideConfiance({"accounts trust", "accounts trust DESCRIPTION SHA256 [--data DOSSIER]",
                                       "Fait confiance, pour ce compte seulement, au certificat de cette empreinte SHA-256\n"
                                       "(64 chiffres hexadécimaux, \":\" permis), celle qu'affiche un contrôle refusé.\n"
                                       "Un autre certificat reste refusé.",
                                       {cli::OptionData}});

const char* JetonSecurite(ModeSecurite m)
{
    switch (m) {
    case ModeSecurite::Tls: return "tls";
    case ModeSecurite::StartTls: return "starttls";
    case ModeSecurite::Aucune: break;
    }
    return "none";
}

bool LireSecurite(const Texte& jeton, ModeSecurite& m)
{
    for (const ModeSecurite x : {ModeSecurite::Tls, ModeSecurite::StartTls, ModeSecurite::Aucune})
        if (jeton == JetonSecurite(x)) {
            m = x;
            return true;
        }
    return false;
}

int ErreurUsage(cli::Contexte&, const Texte& erreur)
{
    throw cli::ErreurCommande{erreur.empty() ? Texte("arguments incorrects.") : erreur, cli::StatutUsage};
}

// The records as they are in the file, passwords still enciphered: the accounts the command does
// not touch are written back byte for byte, so a password that this program cannot decipher is
// not lost by adding or removing another account.
bool LireEnregistrements(cli::Contexte& c, const fs::path& dossier, std::vector<TCompte>& enregistrements)
{
    const fs::path chemin = TrouverFichier(dossier, NomFichierComptes);
    std::string octets;
    const ResultatFichier r = LireFichier(chemin, octets);
    if (!r.ok) {
        c.EcrireErreur(MessageErreurFichierComptes() + "\n" + r.erreur + "\n");
        return false;
    }
    enregistrements = DecouperEnregistrements<TCompte>(octets);
    return true;
}

bool LireSecurites(cli::Contexte& c, const fs::path& dossier, SecuritesComptes& securites)
{
    const ResultatFichier r = ChargerSecurites(dossier, securites);
    if (!r.ok) c.EcrireErreur(r.erreur + "\n");
    return r.ok;
}

// The records carry enciphered passwords, but the securities are found by description, server
// and user name only.
bool EcrireSecurites(cli::Contexte& c, const fs::path& dossier, const SecuritesComptes& securites,
                     const std::vector<TCompte>& enregistrements)
{
    const ResultatFichier r = EnregistrerSecurites(dossier, securites, enregistrements);
    if (!r.ok) c.EcrireErreur(r.erreur + "\n");
    return r.ok;
}

bool Ecrire(cli::Contexte& c, const fs::path& dossier, const std::vector<TCompte>& enregistrements)
{
    const ResultatFichier r =
        EcrireFichierDonnees(dossier, NomFichierComptes, AssemblerEnregistrements(enregistrements), true);
    if (!r.ok) c.EcrireErreur(r.erreur + "\n");
    return r.ok;
}

int Lister(cli::Contexte& c, const fs::path& dossier)
{
    TCipherManager chiffre;
    ResultatChargementComptes r = ChargerComptes(chiffre, dossier);
    if (!r.ok) {
        c.EcrireErreur(r.message + "\n" + r.detail + "\n");
        return 1;
    }
    if (r.motsDePasseIllisibles > 0)
        c.EcrireErreur("Attention : " + std::to_string(r.motsDePasseIllisibles) +
                       " mot(s) de passe illisible(s), lu(s) comme vide(s).\n");
    if (!r.erreurSecurites.empty()) c.EcrireErreur(r.erreurSecurites + "\n");
    r.comptes.NormaliserControleAuto();
    for (const TCompte& k : r.comptes.Tous()) {
        const ChoixSecurite s = r.securites.Pour(k);
        c.Ecrire(k.Description.Lire() + "\t" + k.ServeurPOP.Lire() + "\t" + k.NomUser.Lire() + "\t" +
                 std::to_string(k.PortPOP.Lire()) + "\t" + std::to_string(int(k.ControleAuto)) + "\t" +
                 JetonSecurite(s.mode) + "\t" + (s.empreinte.empty() ? Texte("-") : TexteEmpreinte(s.empreinte)) +
                 "\n");
    }
    return 0;
}

int Ajouter(cli::Contexte& c, const cli::Arguments& a, const fs::path& dossier)
{
    const Texte description = a.Valeur("--description");
    const Texte serveur = a.Valeur("--server");
    const Texte utilisateur = a.Valeur("--user");
    ModeSecurite securite = ModeSecurite::Tls;
    if (a.A("--security") && !LireSecurite(a.Valeur("--security"), securite))
        return ErreurUsage(c, "--security : tls, starttls ou none.");
    const int portDefaut = PortParDefaut(securite);
    const Texte port = a.Valeur("--port", std::to_string(portDefaut));
    // A number out of range is refused before anything is asked.
    const std::int64_t numeroPort = port.empty() ? portDefaut : cli::ValeurEntiere(a, "--port", 1, 65535, portDefaut);
    const TexteSecret motDePasse = c.LireMotDePasse().value_or(TexteSecret());

    // The account editor's checks, in its order.
    const char* refus = nullptr;
    if (description.empty())
        refus = "Pas de description saisie.";
    else if (serveur.empty())
        refus = "Pas de nom de serveur POP saisi.";
    else if (utilisateur.empty())
        refus = "Pas de nom d'utilisateur saisi.";
    else if (motDePasse.empty())
        refus = "Pas de mot de passe saisi.";
    else if (port.empty())
        refus = "Le numéro de port POP n'est pas renseigné (110 par défaut)";
    if (refus) {
        c.EcrireErreur(Utf8VersCp1252(refus) + "\n");
        return 1;
    }
    if (motDePasse.size() > LongueurMaxMotDePasse) {
        c.EcrireErreur("Le mot de passe dépasse "_cp + std::to_string(LongueurMaxMotDePasse) +
                       " caractères : il ne pourrait pas être relu du fichier de comptes.\n"_cp);
        return 1;
    }

    TCompte nouveau = TCompte::Vierge();
    nouveau.Description = description;
    nouveau.ServeurPOP = serveur;
    nouveau.NomUser = utilisateur;
    nouveau.Password = motDePasse;
    nouveau.PortPOP = std::int32_t(numeroPort);
    nouveau.ControleAuto = nouveau.Password.Vide() ? 0 : 1;

    std::vector<TCompte> enregistrements;
    if (!LireEnregistrements(c, dossier, enregistrements)) return 1;
    // Here an account is named by its description, so two may not share one.
    for (const TCompte& k : enregistrements) {
        if (EgalSansCasse(k.Description.Lire(), nouveau.Description.Lire())) {
            c.EcrireErreur("Un compte porte déjà la description \""_cp + k.Description.Lire() + "\".\n");
            return 1;
        }
    }
    SecuritesComptes securites;
    if (!LireSecurites(c, dossier, securites)) return 1;
    TCipherManager chiffre;
    enregistrements.push_back(ChiffrerCompte(chiffre, nouveau));
    std::stable_sort(enregistrements.begin(), enregistrements.end(), CompteAvant);
    securites.Definir(nouveau, securite);
    // The security first: an account without its record would be taken in clear on port 110.
    if (!EcrireSecurites(c, dossier, securites, enregistrements) || !Ecrire(c, dossier, enregistrements)) return 1;
    c.Ecrire("Compte \xAB " + nouveau.Description.Lire() + " \xBB ajout\xE9 (" + nouveau.ServeurPOP.Lire() + ":" +
             std::to_string(nouveau.PortPOP.Lire()) + ", " + TexteSecurite(securite) + ").\n");
    return 0;
}

// The position of the one account with that description (exact, else ASCII case ignored), or
// -1 after telling why.
std::ptrdiff_t TrouverCompte(cli::Contexte& c, const std::vector<TCompte>& enregistrements, const Texte& description,
                             const char* quoi)
{
    TCompte cle = TCompte::Vierge();
    cle.Description = description;  // cut to the field's 50 characters, as stored
    const Texte cherche = cle.Description.Lire();

    auto trouver = [&](bool sansCasse) {
        std::vector<std::size_t> positions;
        for (std::size_t i = 0; i < enregistrements.size(); ++i) {
            const Texte d = enregistrements[i].Description.Lire();
            if (sansCasse ? EgalSansCasse(d, cherche) : d == cherche) positions.push_back(i);
        }
        return positions;
    };
    std::vector<std::size_t> positions = trouver(false);
    if (positions.empty()) positions = trouver(true);
    if (positions.empty()) {
        c.EcrireErreur("Aucun compte ne porte la description \"" + cherche + "\".\n");
        return -1;
    }
    if (positions.size() > 1) {
        c.EcrireErreur("Plusieurs comptes portent la description \"" + cherche + "\" : aucun n'est "_cp + quoi + ".\n");
        return -1;
    }
    return std::ptrdiff_t(positions.front());
}

int Supprimer(cli::Contexte& c, const Texte& description, const fs::path& dossier)
{
    std::vector<TCompte> enregistrements;
    if (!LireEnregistrements(c, dossier, enregistrements)) return 1;
    const std::ptrdiff_t i = TrouverCompte(c, enregistrements, description, "supprim\xE9");
    if (i < 0) return 1;
    SecuritesComptes securites;
    // An unreadable securities file is left as it is: the account goes, its choice stays behind.
    const bool securitesLues = ChargerSecurites(dossier, securites).ok;
    const Texte supprime = enregistrements[std::size_t(i)].Description.Lire();
    enregistrements.erase(enregistrements.begin() + i);
    if (!Ecrire(c, dossier, enregistrements)) return 1;
    if (securitesLues && !EcrireSecurites(c, dossier, securites, enregistrements)) return 1;
    c.Ecrire("Compte \xAB " + supprime + " \xBB supprim\xE9.\n");
    return 0;
}

int FaireConfiance(cli::Contexte& c, const Texte& description, const Texte& empreinte, const fs::path& dossier)
{
    const std::string brute = LireEmpreinte(empreinte);
    if (brute.empty()) return ErreurUsage(c, "empreinte SHA-256 illisible : 64 chiffres hexad\xE9" "cimaux attendus (\":\" permis).");
    std::vector<TCompte> enregistrements;
    SecuritesComptes securites;
    if (!LireEnregistrements(c, dossier, enregistrements) || !LireSecurites(c, dossier, securites)) return 1;
    const std::ptrdiff_t i = TrouverCompte(c, enregistrements, description, "modifi\xE9");
    if (i < 0) return 1;
    const TCompte& compte = enregistrements[std::size_t(i)];
    securites.DefinirEmpreinte(compte, brute);
    if (!EcrireSecurites(c, dossier, securites, enregistrements)) return 1;
    c.Ecrire("Compte \xAB " + compte.Description.Lire() + " \xBB : certificat " + TexteEmpreinte(brute) + " accept\xE9.\n");
    return 0;
}

int Comptes(cli::Contexte& c)
{
    const cli::Arguments a = cli::AnalyserArguments(c.args);
    if (!a.erreur.empty()) return ErreurUsage(c, a.erreur);
    const fs::path dossier = cli::DossierDonnees(a);
    const auto& p = a.positionnels;
    auto optionsSeulement = [&](std::initializer_list<const char*> admises) {
        for (const auto& [nom, valeur] : a.options)
            if (nom != "--data" && std::none_of(admises.begin(), admises.end(), [&](const char* x) { return nom == x; }))
                return false;
        return a.drapeaux.empty();
    };
    if (p.empty()) {
        if (!optionsSeulement({})) return ErreurUsage(c, {});
        return Lister(c, dossier);
    }
    // A change reads the files and writes them back: under the folder's lock, so that the window
    // or another vaskor-cli saving at the same moment is neither overwritten nor overwrites it.
    const VerrouDossier verrou(dossier);
    if (!verrou.Obtenu()) {
        c.EcrireErreur(TexteDossierOccupe(dossier) + "\n");
        return 3;
    }
    if (p[0] == "add" && p.size() == 1) {
        if (!optionsSeulement({"--description", "--server", "--user", "--port", "--security"}))
            return ErreurUsage(c, {});
        return Ajouter(c, a, dossier);
    }
    if (p[0] == "remove" && p.size() == 2) {
        if (!optionsSeulement({})) return ErreurUsage(c, {});
        return Supprimer(c, p[1], dossier);
    }
    if (p[0] == "trust" && p.size() == 3) {
        if (!optionsSeulement({})) return ErreurUsage(c, {});
        return FaireConfiance(c, p[1], p[2], dossier);
    }
    return ErreurUsage(c, {});
}

cli::EnregistrementCommande e("accounts", "liste, ajoute ou supprime les comptes, règle la confiance en un certificat", Comptes);

}  // namespace
