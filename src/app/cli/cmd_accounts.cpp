// vaskor-cli accounts: lists the accounts of comptes.dat, adds one, removes one. Passwords are
// never printed; a new one is read from the first line of standard input so that it appears
// neither in the process list nor in the shell's history.

#include "cli/commande.h"
#include "core/compte.h"
#include "core/fichiers.h"
#include "crypto/fichier_comptes.h"

#include <algorithm>
#include <string>

namespace {

using namespace vaskor;

cli::EnregistrementAide aideListe({"accounts",
                                   "accounts [--data DOSSIER]\n"
                                   "accounts add --description D --server S --user U [--port P] [--data DOSSIER]\n"
                                   "accounts remove DESCRIPTION [--data DOSSIER]",
                                   "Liste les comptes de comptes.dat, une ligne par compte : description, serveur,\n"
                                   "utilisateur, port, contrôle automatique 0/1 (jamais le mot de passe).\n"
                                   "\"accounts add --help\" et \"accounts remove --help\" détaillent les deux autres formes.",
                                   {cli::OptionData}});
cli::EnregistrementAide aideAjout({"accounts add",
                                   "accounts add --description D --server S --user U [--port P] [--data DOSSIER]",
                                   "Ajoute un compte. Le mot de passe est demandé sans écho sur un terminal ; un script\n"
                                   "le donne sur la première ligne de l'entrée standard. Affiche une ligne de confirmation.",
                                   {{"--description", "D", "nom du compte, unique (50 caractères au plus)"},
                                    {"--server", "S", "serveur POP3"},
                                    {"--user", "U", "nom d'utilisateur"},
                                    {"--port", "P", "port POP3, de 1 à 65535 (110 par défaut)"},
                                    cli::OptionData}});
cli::EnregistrementAide aideRetrait({"accounts remove", "accounts remove DESCRIPTION [--data DOSSIER]",
                                     "Supprime le compte de cette description (la casse n'importe que si deux comptes\n"
                                     "ne diffèrent que par elle). Affiche une ligne de confirmation.",
                                     {cli::OptionData}});

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
    r.comptes.NormaliserControleAuto();
    for (const TCompte& k : r.comptes.Tous())
        c.Ecrire(k.Description.Lire() + "\t" + k.ServeurPOP.Lire() + "\t" + k.NomUser.Lire() + "\t" +
                 std::to_string(k.PortPOP.Lire()) + "\t" + std::to_string(int(k.ControleAuto)) + "\n");
    return 0;
}

int Ajouter(cli::Contexte& c, const cli::Arguments& a, const fs::path& dossier)
{
    const Texte description = a.Valeur("--description");
    const Texte serveur = a.Valeur("--server");
    const Texte utilisateur = a.Valeur("--user");
    const Texte port = a.Valeur("--port", "110");
    // A number out of range is refused before anything is asked.
    const std::int64_t numeroPort = port.empty() ? 110 : cli::ValeurEntiere(a, "--port", 1, 65535, 110);
    const Texte motDePasse = c.LireMotDePasse().value_or("");

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
    TCipherManager chiffre;
    enregistrements.push_back(ChiffrerCompte(chiffre, nouveau));
    std::stable_sort(enregistrements.begin(), enregistrements.end(), CompteAvant);
    if (!Ecrire(c, dossier, enregistrements)) return 1;
    c.Ecrire("Compte \xAB " + nouveau.Description.Lire() + " \xBB ajout\xE9 (" + nouveau.ServeurPOP.Lire() + ":" +
             std::to_string(nouveau.PortPOP.Lire()) + ").\n");
    return 0;
}

int Supprimer(cli::Contexte& c, const Texte& description, const fs::path& dossier)
{
    std::vector<TCompte> enregistrements;
    if (!LireEnregistrements(c, dossier, enregistrements)) return 1;
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
        return 1;
    }
    if (positions.size() > 1) {
        c.EcrireErreur("Plusieurs comptes portent la description \"" + cherche + "\" : aucun n'est supprimé.\n"_cp);
        return 1;
    }
    const Texte supprime = enregistrements[positions.front()].Description.Lire();
    enregistrements.erase(enregistrements.begin() + std::ptrdiff_t(positions.front()));
    if (!Ecrire(c, dossier, enregistrements)) return 1;
    c.Ecrire("Compte \xAB " + supprime + " \xBB supprim\xE9.\n");
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
    if (p[0] == "add" && p.size() == 1) {
        if (!optionsSeulement({"--description", "--server", "--user", "--port"})) return ErreurUsage(c, {});
        return Ajouter(c, a, dossier);
    }
    if (p[0] == "remove" && p.size() == 2) {
        if (!optionsSeulement({})) return ErreurUsage(c, {});
        return Supprimer(c, p[1], dossier);
    }
    return ErreurUsage(c, {});
}

cli::EnregistrementCommande e("accounts", "liste, ajoute ou supprime les comptes (comptes.dat)", Comptes);

}  // namespace
