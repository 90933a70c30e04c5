// vaskor-cli mime FILE and vaskor-cli show --account DESCRIPTION N: what the preview window
// shows of a message (its fields, its text, its attachments with their sizes), for a raw
// message file or for message N of an account's mailbox.

#include "cli/commande.h"
#include "core/config.h"
#include "crypto/chiffrement.h"
#include "crypto/fichier_comptes.h"
#include "engine/apercu.h"
#include "engine/controle.h"
#include "mail/echec.h"
#include "mail/pop3.h"
#include "platform/base/transport_tls.h"

#include <cstdio>
#include <fstream>
#include <ostream>

namespace vaskor::cli {
namespace {

// A hostile message must not drive the terminal: control characters other than TAB go.
TexteUtf8 SansControles(std::string_view s, bool tabulation)
{
    TexteUtf8 r;
    r.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\t' && tabulation) r += '\t';
        else if (c < 0x20 || c == 0x7F) r += ' ';
        else if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
                 static_cast<unsigned char>(s[i + 1]) < 0xA0) {
            r += ' ';  // C1 controls, the 8-bit escapes of some terminals
            ++i;
        } else r += static_cast<char>(c);
    }
    return r;
}

void Afficher(Contexte& c, const ContenuApercu& a, const TIdMessage& m)
{
    std::ostream& o = c.sortie;
    o << "A: " << SansControles(a.A, false) << "\n";
    o << "De: " << SansControles(a.De, false) << "\n";
    o << "Copie \xC3\xA0: " << SansControles(a.Cc, false) << "\n";
    o << "Sujet: " << SansControles(a.Objet, false) << "\n";
    o << "Date: " << (a.Date != 0 ? FormaterIso(a.Date) : std::string()) << "\n";
    for (const TPartie& p : m.MessageParts) {
        if (p.Genre != GenrePartie::PieceJointe) continue;
        o << "Pi\xC3\xA8" "ce jointe: " << SansControles(p.FileName, false) << "\t" << p.Taille << " octets\t"
          << NomFichierSur(p.FileName) << "\n";
    }
    o << "\n";
    for (const TexteUtf8& l : a.Lignes) o << SansControles(l, true) << "\n";
}

// Lines of a raw file as a server would send them: dot-stuffed, so that the decoding undoes
// exactly what it would undo for a retrieval. Very long lines arrive in pieces.
bool LireFichier(Contexte& c, const Texte& nom, LecteurMessage& lecteur)
{
    std::ifstream fichier;
    std::istream* flux = &c.entree;
    if (nom != "-") {
        fichier.open(std::filesystem::path(Cp1252VersUtf8(nom)), std::ios::binary);
        if (!fichier) {
            c.EcrireErreur("Impossible de lire le fichier "_cp + nom + ".\n");
            return false;
        }
        flux = &fichier;
    }
    constexpr std::size_t kMorceau = 1u << 20;
    std::string ligne;
    char tampon[65536];
    auto donner = [&](std::string_view l) {
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        if (!l.empty() && l[0] == '.') lecteur.Ligne("." + std::string(l));
        else lecteur.Ligne(l);
    };
    while (flux->read(tampon, sizeof tampon) || flux->gcount() > 0) {
        std::string_view bloc(tampon, static_cast<std::size_t>(flux->gcount()));
        while (!bloc.empty()) {
            const std::size_t lf = bloc.find('\n');
            ligne.append(bloc.substr(0, lf));
            if (lf == std::string_view::npos) break;
            donner(ligne);
            ligne.clear();
            bloc.remove_prefix(lf + 1);
        }
        if (ligne.size() > kMorceau) {
            donner(ligne);
            ligne.clear();
        }
    }
    if (flux->bad()) {
        c.EcrireErreur("Impossible de lire le fichier "_cp + nom + ".\n");
        return false;
    }
    if (!ligne.empty()) donner(ligne);
    return true;
}

int Mime(Contexte& c)
{
    const Arguments a = AnalyserArguments(c.args, {"--html"});
    if (!a.erreur.empty() || a.positionnels.size() != 1) {
        c.EcrireErreur(a.erreur.empty() ? Texte("usage: vaskor-cli mime [--html] [--key KEY] FILE (- for standard input)")
                                        : a.erreur);
        c.EcrireErreur("\n");
        return 64;
    }
    TIdMessage m;
    // The headers read as the list and the preview read them: the folder's setting, or the option.
    m.DecodageModerne = DecodageModerne(a, [&a] { return DecodageModerneDuDossier(DossierDonnees(a)); });
    TCipherManager chiffre;
    try {
        LecteurMessage lecteur(m);
        if (!LireFichier(c, a.positionnels[0], lecteur)) return 1;
        lecteur.Terminer();
        const Texte cle = a.Valeur("--key").substr(0, 32);
        if (!cle.empty()) chiffre.InitKey(cle);
        const bool dechiffrer = !cle.empty() && EnteteChiffre(m.Headers);
        Afficher(c, ConstruireContenu(m, !a.A("--html"), dechiffrer ? &chiffre : nullptr), m);
    } catch (const Echec& e) {
        c.EcrireErreur("Erreur : " + e.Message() + "\n");
        return 2;
    } catch (const ErreurChiffrement& e) {
        c.EcrireErreur("Erreur : " + e.Message() + "\n");
        return 2;
    }
    return 0;
}

int Show(Contexte& c)
{
    const Arguments a = AnalyserArguments(c.args, {"--html"});
    auto usage = [](const Texte& erreur) -> int { throw ErreurCommande{erreur, StatutUsage}; };
    if (!a.erreur.empty()) return usage(a.erreur);
    if (!a.options.count("--account")) return usage("--account est obligatoire.");
    if (a.positionnels.size() != 1) return usage("il faut un num\xE9ro de message N.");
    const Texte& texteNumero = a.positionnels[0];
    // A count like the others: a bad one is an invalid value (status 2).
    int numero = 0;
    for (char ch : texteNumero) {
        if (ch < '0' || ch > '9' || numero > 100000000) numero = -1;
        if (numero < 0) break;
        numero = numero * 10 + (ch - '0');
    }
    if (numero < 1)
        throw ErreurCommande{"N attend un num\xE9ro de message \xE0 partir de 1, pas \xAB " + texteNumero + " \xBB.",
                             StatutValeurInvalide};

    const fs::path dossier = DossierDonnees(a);
    TCipherManager chiffre;
    ResultatChargementComptes comptes = ChargerComptes(chiffre, dossier);
    if (!comptes.ok) {
        c.EcrireErreur(comptes.message + " " + comptes.detail + "\n");
        return 1;
    }
    TConfig config;
    if (const ResultatFichier r = ChargerConfig(dossier, config, {true, true}); !r.ok) {
        c.EcrireErreur(r.erreur + "\n");
        return 1;
    }
    const Texte voulu = a.Valeur("--account");
    const TCompte* compte = nullptr;
    for (const bool sansCasse : {false, true}) {
        for (std::size_t i = 0; i < comptes.comptes.Nombre() && !compte; ++i) {
            const Texte d = comptes.comptes[i].Description.Lire();
            if (sansCasse ? EgalSansCasse(d, voulu) : d == voulu) compte = &comptes.comptes[i];
        }
    }
    if (!compte) {
        c.EcrireErreur("Aucun compte ne porte la description \"" + voulu + "\".\n");
        return 1;
    }

    TIdPOP3 client([] { return CreerTransportTls(); });
    // The account's security (TLS, STLS, a trusted certificate) as the check uses it.
    PreparerClient(client, *compte, &comptes.securites);
    TIdMessage m;
    m.DecodageModerne = DecodageModerne(a, [&config] { return config.DecodageModerne; });
    try {
        client.OpenSession();
        LecteurMessage lecteur(m);
        const bool recu = client.FetchMessage(numero, [&lecteur](std::string_view l) { lecteur.Ligne(l); });
        if (!recu) {
            client.CloseSession();
            c.EcrireErreur("Echec lors de la r\xE9" "ception du message.\n");
            return 1;
        }
        lecteur.Terminer();
        client.CloseSession();
        const Texte cle = a.Valeur("--key").substr(0, 32);
        if (!cle.empty()) chiffre.InitKey(cle);
        const bool dechiffrer = !cle.empty() && EnteteChiffre(m.Headers);
        Afficher(c, ConstruireContenu(m, config.ApercuPlainText && !a.A("--html"), dechiffrer ? &chiffre : nullptr), m);
    } catch (const Echec& e) {
        client.CloseSession();
        Texte t = e.Message();
        for (char& ch : t)
            if (ch == '\r' || ch == '\n') ch = ' ';
        c.EcrireErreur("Impossible d'afficher le message " + std::to_string(numero) + " de " + client.Host + " : " +
                       Texte(Rogner(t)) + "\n");
        return 1;
    } catch (const ErreurChiffrement& e) {
        client.CloseSession();
        c.EcrireErreur("Erreur : " + e.Message() + "\n");
        return 2;
    }
    return 0;
}

EnregistrementCommande mime("mime", "affiche un message brut comme l'aperçu (champs, texte, pièces jointes)", Mime);
EnregistrementCommande show("show", "aperçu du message N d'un compte, sans le supprimer", Show);
EnregistrementAide aideMime({"mime", "mime [--html] [--key CLÉ] [--decodage-moderne 0|1] [--data DOSSIER] FICHIER",
                             "Affiche le message brut de FICHIER (- pour l'entrée standard) comme l'aperçu le\n"
                             "montrerait : ses champs, son texte décodé, ses pièces jointes.",
                             {{"--html", nullptr, "montre aussi la partie HTML d'un message HTML"},
                              {"--key", "CLÉ", "clé d'un message chiffré (entête X-CRPT)"},
                              OptionDecodageModerne, OptionData}});
EnregistrementAide aideShow({"show", "show --account DESCRIPTION [--html] [--key CLÉ] [--decodage-moderne 0|1] [--data DOSSIER] N",
                             "L'aperçu du message numéro N du compte, téléchargé entier (RETR) sans être supprimé :\n"
                             "ses champs, son texte décodé, ses pièces jointes.",
                             {{"--account", "DESCRIPTION", "le compte de comptes.dat"},
                              {"--html", nullptr, "montre aussi la partie HTML d'un message HTML"},
                              {"--key", "CLÉ", "clé d'un message chiffré (entête X-CRPT)"},
                              OptionDecodageModerne, OptionData}});

}  // namespace
}  // namespace vaskor::cli
