// vaskor-cli scan: the header scan of a check, without the window: log in, count, sum the
// sizes, then the header block and the size of every message, in one connection.

#include "cli/commande.h"
#include "core/compte.h"
#include "crypto/fichier_comptes.h"
#include "mail/commandes_en_vol.h"
#include "mail/echec.h"
#include "mail/message.h"
#include "mail/pop3.h"
#include "engine/controle.h"
#include "platform/base/transport_tls.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace vaskor::cli {

// The scan of one account, whatever gave it (the command line now; the accounts file too).
int Scanner(Contexte& c, const TCompte& compte, const ChoixSecurite& securite, bool decodageModerne);

namespace {

// One output line per message, its fields apart: a decoded TAB, CR or LF inside a value must
// not start a new field or line.
void AjouterChamp(Texte& ligne, std::string_view valeur)
{
    ligne += '\t';
    const std::size_t debut = ligne.size();
    ligne += valeur;
    for (std::size_t i = debut; i < ligne.size(); ++i)
        if (ligne[i] == '\t' || ligne[i] == '\r' || ligne[i] == '\n') ligne[i] = ' ';
}

// The first line of a file, read as UTF-8.
// The first line of a password file, wiped when freed like the typed password.
std::optional<TexteSecret> PremiereLigne(const Texte& nom)
{
    std::ifstream f(std::filesystem::path(Cp1252VersUtf8(nom)), std::ios::binary);
    if (!f) return std::nullopt;
    std::string l;
    l.reserve(1024);
    std::getline(f, l);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    TexteSecret r(Utf8VersCp1252(l));
    EffacerTexte(l);
    return r;
}

EnregistrementAide aide({"scan",
                         "scan --host H [--port P] [--tls|--starttls] --user U [--password-file F] [--decodage-moderne 0|1]\n"
                         "scan --account DESCRIPTION [--decodage-moderne 0|1] [--data DOSSIER]",
                         "Se connecte à une boîte POP3 et liste ses messages sans les télécharger : d'abord\n"
                         "\"nombre<TAB>taille totale\", puis par message : numéro, taille, expéditeur, sujet, date\n"
                         "(AAAA-MM-JJ HH:MM:SS, heure locale). Le mot de passe est demandé sans écho sur un\n"
                         "terminal ; un script le donne sur la première ligne de l'entrée standard.",
                         {{"--host", "H", "serveur POP3"},
                          {"--port", "P", "port, de 1 à 65535 (110 par défaut, 995 avec --tls)"},
                          {"--tls", "", "chiffré dès la connexion (SSL/TLS)"},
                          {"--starttls", "", "STLS avant USER ; jamais de repli en clair"},
                          {"--user", "U", "nom d'utilisateur"},
                          {"--password-file", "F", "lit le mot de passe sur la première ligne de F"},
                          {"--account", "DESCRIPTION", "prend serveur, port, sécurité, utilisateur et mot de passe du compte"},
                          OptionDecodageModerne, OptionData}});

int Usage(Contexte&, const Texte& message)
{
    throw ErreurCommande{message, StatutUsage};
}

// Fills the account from --host, --port, --user and the password. Returns an error text, empty
// when the account is complete.
Texte CompteDepuisArguments(Contexte& c, const Arguments& a, TCompte& compte)
{
    if (!a.A("--host") || !a.A("--user")) return "--host et --user sont obligatoires.";
    const int port = int(ValeurEntiere(a, "--port", 1, 65535, a.A("--tls") ? PortTls : PortPop3));
    TexteSecret motDePasse;
    if (a.A("--password-file")) {
        const auto l = PremiereLigne(a.Valeur("--password-file"));
        if (!l) return "Impossible de lire le fichier "_cp + a.Valeur("--password-file") + ".";
        motDePasse = *l;
    } else {
        motDePasse = c.LireMotDePasse().value_or(TexteSecret());
    }
    // The account record holds 50 characters per field; a longer text would be cut unseen.
    const std::pair<const char*, const Texte*> champs[] = {
        {"--host", &a.options.at("--host")}, {"--user", &a.options.at("--user")}};
    for (const auto& [nom, valeur] : champs)
        if (valeur->size() > 50) return std::string(nom) + " d\xE9passe 50 caract\xE8res.";
    if (motDePasse.size() > 50) return "password d\xE9passe 50 caract\xE8res.";
    compte.ServeurPOP = a.Valeur("--host");
    compte.NomUser = a.Valeur("--user");
    compte.Password = motDePasse;
    compte.PortPOP = port;
    return Texte();
}

// The account named by its description in the folder's comptes.dat, password deciphered.
// Returns an error text, empty when found.
Texte CompteDepuisFichier(const Arguments& a, TCompte& compte, ChoixSecurite& securite)
{
    TCipherManager chiffre;
    const ResultatChargementComptes r = ChargerComptes(chiffre, DossierDonnees(a));
    if (!r.ok) return r.message + "\n" + r.detail;
    TCompte cle = TCompte::Vierge();
    cle.Description = a.Valeur("--account");  // cut to the field's 50 characters, as stored
    const Texte cherche = cle.Description.Lire();
    std::vector<const TCompte*> trouves;
    for (const bool sansCasse : {false, true}) {
        for (const TCompte& k : r.comptes.Tous())
            if (sansCasse ? EgalSansCasse(k.Description.Lire(), cherche) : k.Description.Lire() == cherche)
                trouves.push_back(&k);
        if (!trouves.empty()) break;
    }
    if (trouves.empty()) return "Aucun compte ne porte la description \"" + cherche + "\".";
    if (trouves.size() > 1) return "Plusieurs comptes portent la description \"" + cherche + "\".";
    compte = *trouves.front();
    securite = r.securites.Pour(compte);
    return Texte();
}

int Scan(Contexte& c)
{
    const Arguments a = AnalyserArguments(c.args, {"--tls", "--starttls"});
    if (!a.erreur.empty()) return Usage(c, a.erreur);
    if (!a.positionnels.empty()) return Usage(c, "argument inattendu \xAB " + a.positionnels[0] + " \xBB.");
    if (a.A("--tls") && a.A("--starttls")) return Usage(c, "--tls et --starttls s'excluent.");
    TCompte compte = TCompte::Vierge();
    ChoixSecurite securite;
    if (a.A("--account")) {
        if (a.A("--host") || a.A("--user") || a.A("--port") || a.A("--password-file") || a.A("--tls") ||
            a.A("--starttls"))
            return Usage(c, "--account prend le serveur, le port, la s\xE9" "curit\xE9, l'utilisateur et le mot de passe "
                            "du compte.");
        const Texte erreur = CompteDepuisFichier(a, compte, securite);
        if (!erreur.empty()) {
            c.EcrireErreur(erreur + "\n");
            return 1;
        }
        return Scanner(c, compte, securite, DecodageModerne(a, [&a] { return DecodageModerneDuDossier(DossierDonnees(a)); }));
    }
    const Texte erreur = CompteDepuisArguments(c, a, compte);
    if (!erreur.empty()) return Usage(c, erreur);
    securite.mode = a.A("--tls") ? ModeSecurite::Tls : a.A("--starttls") ? ModeSecurite::StartTls : ModeSecurite::Aucune;
    return Scanner(c, compte, securite,
                   DecodageModerne(a, [&a] { return DecodageModerneDuDossier(DossierDonnees(a)); }));
}

}  // namespace

// The scan of one account; prints "count<TAB>total size", then per message n, size, sender,
// subject and date, TAB-separated. A failure prints its text on standard error: status 1.
int Scanner(Contexte& c, const TCompte& compte, const ChoixSecurite& securite, bool decodageModerne)
{
    TIdPOP3 pop(CreerTransportTls);
    PreparerClient(pop, compte, nullptr);
    pop.Securite = securite.mode;
    pop.EmpreinteAcceptee = securite.empreinte;
    try {
        pop.OpenSession();
        const int nombre = pop.CountMessages();
        const std::int64_t taille = pop.TotalMailboxSize();
        c.Ecrire(std::to_string(nombre) + "\t" + std::to_string(taille) + "\n");
        TIdMessage m;
        m.DecodageModerne = decodageModerne;
        Texte ligne;
        // The commands of the next messages go out ahead when the server allows it.
        CommandesEnVol commandes(pop, nombre, nombre >= 2 && pop.Pipelining());
        for (int n = 1; n <= nombre; ++n) {
            m.Clear();
            if (!commandes.Entete(n, m.Headers)) throw Echec(GenreEchec::Autre, TexteEnteteTropLong(n));
            m.AnalyserEntetes();
            const std::int64_t t = commandes.Taille(n);
            Texte de = TexteAdresse(m.From);
            if (de.empty()) de = TexteAdresse(m.Sender);
            ligne = std::to_string(n);
            AjouterChamp(ligne, std::to_string(t));
            AjouterChamp(ligne, de);
            AjouterChamp(ligne, m.Subject);
            AjouterChamp(ligne, m.DateLisible ? FormaterIso(m.Date) : Texte());
            ligne += '\n';
            c.Ecrire(ligne);
        }
        commandes.Terminer();
        pop.CloseSession();
    } catch (const Echec& e) {
        Texte t = e.Message();
        if (t.empty() || t.back() != '\n') t += '\n';
        c.EcrireErreur(t);
        return 1;
    }
    return 0;
}

namespace {
EnregistrementCommande e("scan", "liste taille, expéditeur, sujet et date des messages d'une boîte POP3", Scan);
}

}  // namespace vaskor::cli
