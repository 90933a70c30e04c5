// The preview run and what it shows.

#include "engine/apercu.h"

#include "crypto/chiffrement.h"
#include "engine/controle.h"
#include "mail/echec.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace vaskor {

namespace {

TexteUtf8 ListeAdresses(const std::vector<TElementAdresse>& l)
{
    TexteUtf8 r;
    for (const TElementAdresse& a : l) {
        const Texte t = TexteAdresse(a);
        if (t.empty()) continue;
        if (!r.empty()) r += ", ";
        r += Cp1252VersUtf8(t);
    }
    return r;
}

bool ContientTextPlain(std::string_view contentType) { return contentType.find("text/plain") != std::string_view::npos; }

// The decimal text of a size, whole: "12 ko" or "abc" are not sizes.
bool LireEntierStrict(const Texte& t, std::int64_t& v)
{
    if (t.empty()) return false;
    char* fin = nullptr;
    errno = 0;
    const long long x = std::strtoll(t.c_str(), &fin, 10);
    if (errno != 0 || !fin || *fin != '\0') return false;
    v = x;
    return true;
}

// What identifies a row across a sort or a change of the list.
bool MemeLigne(const LigneMessage& a, const LigneMessage& b)
{
    return a.Resume.Numero == b.Resume.Numero && a.Resume.Entetes == b.Resume.Entetes &&
           a.Resume.Compte->ServeurPOP.Lire() == b.Resume.Compte->ServeurPOP.Lire() &&
           a.Resume.Compte->NomUser.Lire() == b.Resume.Compte->NomUser.Lire();
}

}  // namespace

Texte GrouperChiffres(std::int64_t n)
{
    const bool negatif = n < 0;
    std::string chiffres = std::to_string(n);
    if (negatif) chiffres.erase(0, 1);
    Texte r;
    for (std::size_t i = 0; i < chiffres.size(); ++i) {
        if (i > 0 && (chiffres.size() - i) % 3 == 0) r += ' ';
        r += chiffres[i];
    }
    return negatif ? "-" + r : r;
}

bool EnteteChiffre(const ListeEntetes& entetes)
{
    for (const Texte& l : entetes) {
        const std::size_t dp = l.find(':');
        if (dp != Texte::npos && EgalSansCasse(RognerDroite(std::string_view(l).substr(0, dp)), "X-CRPT")) return true;
    }
    return false;
}

ContenuApercu ConstruireContenu(const TIdMessage& m, bool apercuPlainText, TCipherManager* chiffre)
{
    ContenuApercu c;
    c.A = ListeAdresses(m.Recipients);
    if (c.A.empty()) {
        std::vector<Texte> bcc;
        LireValeurEntete(m.Headers, "Bcc", bcc);
        std::vector<TElementAdresse> adresses;
        for (const Texte& v : bcc) {
            try {
                const auto l = AnalyserListeAdresses(DecoderEntete(v));
                adresses.insert(adresses.end(), l.begin(), l.end());
            } catch (const Echec&) {
                // An unreadable Bcc leaves the field empty, as an unreadable To would have.
            }
        }
        c.A = ListeAdresses(adresses);
    }
    c.De = Cp1252VersUtf8(!m.From.Address.empty() ? TexteAdresse(m.From) : m.Sender.Address);
    c.AdresseReponse = Cp1252VersUtf8(!m.From.Address.empty() ? m.From.Address : m.Sender.Address);
    c.Cc = ListeAdresses(m.CCList);
    // The subject from its raw value: encoded words in any charset, not only the code pages.
    c.Objet = EnteteEnUtf8(LireValeurEntete(m.Headers, "Subject"));
    c.Date = m.Date;
    c.Chiffre = EnteteChiffre(m.Headers);

    auto ajouter = [&](const std::vector<Texte>& lignes, std::string_view charset) {
        if (chiffre) {
            // Each line was enciphered on its own; the clear bytes are code page 1252 text.
            for (const Texte& l : lignes) c.Lignes.push_back(Cp1252VersUtf8(chiffre->DecodeString(l)));
            return;
        }
        Texte tout;
        for (std::size_t i = 0; i < lignes.size(); ++i) {
            if (i) tout += '\n';
            tout += lignes[i];
        }
        const TexteUtf8 texte = VersUtf8(tout, charset);
        std::size_t debut = 0;
        for (;;) {
            const std::size_t fin = texte.find('\n', debut);
            c.Lignes.emplace_back(texte, debut, fin == TexteUtf8::npos ? TexteUtf8::npos : fin - debut);
            if (fin == TexteUtf8::npos) break;
            debut = fin + 1;
        }
    };

    // A message that is not multipart has its text outside any part, uuencoded files or not.
    const bool multipart = !ParametresMime(m.ContentType)["boundary"].empty();
    if (!m.Body.empty() && (m.MessageParts.empty() || !multipart)) ajouter(m.Body, CharSetContentType(m.ContentType));
    for (const TPartie& p : m.MessageParts) {
        if (p.Genre == GenrePartie::PieceJointe) {
            if (c.NombrePJ > 0) c.PJ += ", ";
            // A name is shown on one line, whatever its sender put in it.
            for (char ch : p.FileName) c.PJ += static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F ? ' ' : ch;
            ++c.NombrePJ;
        } else if (p.Genre == GenrePartie::Texte) {
            if (!apercuPlainText || ContientTextPlain(m.ContentType) || ContientTextPlain(p.ContentType))
                ajouter(p.Body, p.CharSet.empty() ? CharSetContentType(m.ContentType) : Texte(p.CharSet));
        }
    }
    return c;
}

void Controleur::ApercuMessage(std::size_t indice, FenetreApercu& fa, TCipherManager& chiffre)
{
    if (Occupe() || indice >= d_.liste.Nombre()) return;
    const Occupation occupation(occupe_);
    const LigneMessage ligne = d_.liste[indice];

    std::int64_t taille = 0;
    if (!LireEntierStrict(ligne.Taille, taille))
        throw Echec(GenreEchec::Autre, "'" + ligne.Taille + "' n'est pas une valeur enti\xE8re correcte");
    if (taille > d_.config.TailleMaxOctets()) {
        const ReponseMessage r = fenetre_.Question(
            "Confirmation",
            "La taille du message s\xE9lectionn\xE9 est de " + GrouperChiffres(taille) +
                " octets.\r\n-> Configuration : Taille maximale = " + std::to_string(d_.config.TaillePasserMessage) +
                " ko.\r\r\nLe t\xE9l\xE9" "charger tout de m\xEAme ?",
            BoutonsMessage::OuiNon, IconeMessage::Question, false);
        if (r != ReponseMessage::Oui) return;
    }

    fenetre_.CurseurAttente(true);
    fenetre_.ActiverInterface(false);
    auto nettoyage = [&] {
        client_.OnWork = nullptr;
        // A read cut short leaves the rest of the message on the line: the session cannot go on.
        if (client_.IsConnected()) client_.CloseSession();
        fenetre_.ActiverInterface(true);
        fenetre_.MajActions(!d_.liste.Vide());
        fenetre_.Progression(false, 100, 0);
        client_.Tag = 0;
        fenetre_.CurseurAttente(false);
        fenetre_.FocusListe();
    };

    try {
        Texte cle;
        if (EnteteChiffre(ligne.Resume.Entetes)) {
            Texte saisie;
            if (!fa.Saisir("D\xE9" "cryptage", "Ce message est crypt\xE9.\r\n-> Entrez la cl\xE9 de d\xE9" "cryptage :",
                           saisie))
                saisie.clear();
            cle = saisie.substr(0, 32);
            if (cle.empty())
                fenetre_.Message("Information", "La cl\xE9 saisie n'est pas valide. Le message ne sera pas d\xE9" "crypt\xE9 :-(",
                                 IconeMessage::Information);
            else
                chiffre.InitKey(cle);
        }

        if (client_.IsConnected()) client_.CloseSession();
        client_.Tag = 1;
        const TCompte& compte = ligne.Resume.Compte;
        const Texte hote = compte.ServeurPOP.Lire();
        PreparerClient(client_, compte, d_.securites);
        fenetre_.TexteStatut(3, "Serveur : " + hote);
        fenetre_.TexteStatut(0, "Connexion en cours \xE0 " + hote + "...");
        fenetre_.Progression(false, 100, 0);
        if (!ConnexionInternet()) {
            nettoyage();
            return;
        }
        if (!client_.IsConnected()) OuvrirSession(compte);
        message_.Clear();
        message_.DecodageModerne = d_.config.DecodageModerne;  // the list and the preview show the same texts
        if (client_.IsConnected()) {
            // Another program may have deleted or fetched messages since the check: the number
            // would then bring another message, which must not be shown as this one.
            if (!MessageInchange(ligne)) {
                nettoyage();
                fenetre_.Message("Information",
                                 "Ce message a chang\xE9 sur le serveur depuis le contr\xF4le : il n'est pas affich\xE9.\r\n"
                                 "Faites un nouveau contr\xF4le avant de l'ouvrir.",
                                 IconeMessage::Information);
                return;
            }
            fenetre_.Progression(true, 100, 0);
            fenetre_.TexteStatut(0, taille >= 1 && taille <= 1024
                                        ? "R\xE9" "ception du message en cours (~" + std::to_string(taille) + " octets)..."
                                        : "R\xE9" "ception du message en cours (~" + std::to_string(taille / 1024) +
                                              " ko)...");
            fenetre_.TraiterEvenements();
            client_.OnWork = [this, taille](std::int64_t octets) {
                if (client_.Tag != 1 || octets == 0 || taille <= 0) return;
                fenetre_.Progression(true, 100, static_cast<int>(std::min<std::int64_t>(100, octets * 100 / taille)));
            };
            LecteurMessage lecteur(message_);
            const bool recu = client_.FetchMessage(ligne.Resume.Numero, [&lecteur](std::string_view l) { lecteur.Ligne(l); });
            client_.OnWork = nullptr;
            if (!recu) {
                fenetre_.Message("Information", "Echec lors de la r\xE9" "ception du message.", IconeMessage::Avertissement);
                nettoyage();
                return;
            }
            lecteur.Terminer();
            client_.CloseSession();
            ContenuApercu contenu =
                ConstruireContenu(message_, d_.config.ApercuPlainText, cle.empty() ? nullptr : &chiffre);
            contenu.Cle = cle;
            fenetre_.Progression(false, 100, 0);
            fenetre_.TexteStatut(0, {});
            fa.AfficherApercu(contenu, message_);
            // The list may have changed while the window was open: find the row again.
            for (std::size_t i = 0; i < d_.liste.Nombre(); ++i) {
                if (MemeLigne(d_.liste[i], ligne)) {
                    d_.liste.MarquerApercu(i);
                    break;
                }
            }
        }
    } catch (...) {
        nettoyage();
        throw;
    }
    nettoyage();
}

}  // namespace vaskor
