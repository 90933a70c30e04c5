#include "engine/controle.h"

#include "core/texte_date.h"
#include "engine/classification.h"
#include "mail/commandes_en_vol.h"
#include "mail/echec.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <new>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>
#include <unordered_set>

namespace vaskor {

namespace {

const Texte& TitreInformation() { static const Texte t = "Information"; return t; }
const Texte& TitreErreur() { static const Texte t = "Erreur"; return t; }
const Texte& TitreConfirmation() { static const Texte t = "Confirmation"; return t; }

Texte Rogne(const Texte& t) { return Texte(Rogner(t)); }

// The cause of a failure in French, for the line under "Impossible de se connecter à ...".
Texte CauseEchec(const Texte& message, int delaiLectureMs)
{
    const std::string_view m = message;
    if (m == "Max line length exceeded.") return "ligne trop longue re\xE7ue du serveur.";
    if (m == "Connexion ferm\xE9" "e normalement.") return "connexion ferm\xE9" "e par le serveur.";
    if (m == kTexteServeurMuet)
        return "aucune r\xE9ponse du serveur depuis " + std::to_string((delaiLectureMs + 999) / 1000) + " s.";
    if (m.rfind("Unrecognized POP3 Response Header:", 0) == 0)
        return "r\xE9ponse du serveur incompr\xE9hensible : " + Texte(Rogner(m.substr(34)));
    if (m.rfind("Socket Error # ", 0) == 0) {
        const auto saut = m.find("\r\n");
        return "erreur du r\xE9seau : " + Texte(Rogner(saut == std::string_view::npos ? m : m.substr(saut + 2)));
    }
    return message;
}

// The header lines a row keeps once the run holds too much header text: those the list, the
// journal and the check before a deletion read (with their folded continuations).
ListeEntetes EntetesReduites(const ListeEntetes& lignes)
{
    static const std::string_view gardes[] = {"from", "sender", "subject", "date", "message-id"};
    ListeEntetes r;
    bool garder = false;
    for (const Texte& l : lignes) {
        if (!l.empty() && (l[0] == ' ' || l[0] == '\t')) {
            if (garder) r.push_back(l);
            continue;
        }
        const auto deuxPoints = l.find(':');
        const std::string_view nom = Rogner(std::string_view(l).substr(0, deuxPoints == Texte::npos ? 0 : deuxPoints));
        garder = false;
        for (std::string_view g : gardes) garder = garder || EgalSansCasse(nom, g);
        if (garder) r.push_back(l);
    }
    return r;
}

std::size_t TailleEntetes(const ListeEntetes& lignes)
{
    std::size_t t = 0;
    for (const Texte& l : lignes) t += l.size() + 2;
    return t;
}

std::int64_t LireTaille(const Texte& t)
{
    if (t.empty()) return -1;
    char* fin = nullptr;
    const long long v = std::strtoll(t.c_str(), &fin, 10);
    return (fin && *fin == '\0') ? v : -1;
}

}  // namespace

Texte TexteTaille(std::int64_t taille)
{
    if (taille == 0) return {};
    if (taille >= 1 && taille <= 1024) return std::to_string(taille) + " octets";
    return std::to_string(taille / 1024) + " ko";
}

bool LireHeure(const Texte& texte, int& heure, int& minute)
{
    const std::string_view t = Rogner(texte);
    int parties[3] = {0, 0, 0};
    int n = 0, chiffres = 0;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            if (++chiffres > 2) return false;
            parties[n] = parties[n] * 10 + (c - '0');
        } else if (c == ':' && chiffres > 0 && n < 2) {
            ++n;
            chiffres = 0;
        } else {
            return false;
        }
    }
    if (n < 1 || chiffres == 0) return false;
    if (parties[0] > 23 || parties[1] > 59 || parties[2] > 59) return false;
    heure = parties[0];
    minute = parties[1];
    return true;
}

Texte TexteProchainControle(const TConfig& config, TDateHeure dernier)
{
    char tampon[64];
    if (config.ControlerA) {
        int h = 0, m = 0;
        if (!LireHeure(config.HeureCtrl, h, m)) return "Contr\xF4le tous les jours \xE0 " + config.HeureCtrl;
        std::snprintf(tampon, sizeof tampon, "%02d:%02d", h, m);
        return "Contr\xF4le tous les jours \xE0 " + Texte(tampon);
    }
    // The check starts at the first tick at or after the due second: with minutes alone, a due
    // time of 23:27:58 would read "23:27" and name, for a minute, a time already past.
    const ElementsDate e = DecoderDateHeure(dernier + config.FrequenceControleAuto / 1440.0, true);
    std::snprintf(tampon, sizeof tampon, "%02d/%02d/%04d - %02d:%02d:%02d", e.jour, e.mois, e.annee, e.heure,
                  e.minute, e.seconde);
    return "Prochain contr\xF4le : " + Texte(tampon);
}

Texte TexteCertificat(const Texte& compte, const Texte& hote, const CertificatServeur& c)
{
    return "Le certificat pr\xE9sent\xE9 par " + hote + " pour le compte \"" + compte +
           "\" n'a pas pu \xEAtre v\xE9rifi\xE9 : " + c.raison + ".\r\n\r\nSujet : " + c.sujet +
           "\r\n\xC9metteur : " + c.emetteur + "\r\nValidit\xE9 : du " + c.debutValidite + " au " + c.finValidite +
           "\r\nEmpreinte SHA-256 :\r\n" + TexteEmpreinte(c.empreinte) +
           "\r\n\r\nNe lui faites confiance que si cette empreinte est bien celle que votre fournisseur "
           "annonce : un autre certificat sera toujours refus\xE9.";
}

void PreparerClient(TIdPOP3& client, const TCompte& compte, const SecuritesComptes* securites)
{
    client.Username = compte.NomUser.Lire();
    client.Port = compte.PortPOP.Lire();
    client.Host = compte.ServeurPOP.Lire();
    client.Password = compte.Password.LireSecret();
    const ChoixSecurite choix = securites ? securites->Pour(compte) : SecuritesComptes().Pour(compte);
    client.Securite = choix.mode;
    client.EmpreinteAcceptee = choix.empreinte;
}

void Controleur::OuvrirSession(const TCompte& compte)
{
    try {
        client_.OpenSession();
    } catch (const EchecCertificat& e) {
        if (ControleAutoEnCours || !d_.securites) throw;
        const ReponseCertificat r =
            fenetre_.ConfianceCertificat(compte.Description.Lire(), compte.ServeurPOP.Lire(), e.Certificat());
        if (r == ReponseCertificat::SansReponse) throw;
        // Annuler: the check fails as a refused connection does.
        if (r == ReponseCertificat::Annuler) throw Echec(GenreEchec::Autre, e.Message());
        d_.securites->DefinirEmpreinte(compte, e.Certificat().empreinte);
        if (SecuritesModifiees) SecuritesModifiees();
        client_.EmpreinteAcceptee = e.Certificat().empreinte;
        client_.OpenSession();
    }
}

Controleur::Controleur(FenetreControle& fenetre, TIdPOP3& client, DonneesControle donnees)
    : fenetre_(fenetre), client_(client), d_(donnees)
{
    BrancherEvenements();
}

void Controleur::BrancherEvenements()
{
    client_.OnStatus = [this](StatutPop3, const Texte& texte) { fenetre_.TexteStatut(0, texte); };
    client_.OnConnected = [this] {
        sessionLaissee_ = false;
        fenetre_.MajIconeTray(1, client_.Host);
    };
    client_.OnDisconnected = [this] {
        sessionLaissee_ = false;
        fenetre_.MajIconeTray(d_.liste.Vide() ? 0 : 2);
    };
    client_.Attente = [this] { fenetre_.TraiterEvenements(); };
    client_.OnFinSession = [this](int, bool confirme) { FinSession(confirme); };
    client_.OnAvantQuit = [this] { AvantQuit(); };
    client_.OnQuitEnvoye = [this] {
        if (suspens_) MarquerQuitEnvoye(Dossier);
    };
}

void Controleur::AvantQuit()
{
    // The file in suspense first: settling one a dead program left may merge into the journal,
    // which the journal prepared next must then hold.
    EcrireSuspens();
    journalPrepare_.reset();
    if (lignesSession_.empty() || !PreparerJournal) return;
    try {
        JournalPrepare prepare;
        if (PreparerJournal(lignesSession_, prepare).ok) journalPrepare_ = std::move(prepare);
    } catch (const std::exception&) {
        // The write after the commit remains.
    }
}

void Controleur::EcrireSuspens()
{
    // An earlier QUIT of this session was cut off by a stop request before its end was dealt
    // with: its file, marked, stays as it is.
    if (suspens_) return;
    if (lignesSession_.empty() || Dossier.empty() || !EcrireJournal) return;
    // A run already holds the lock (counted); a session closed later, by the preview or at exit,
    // takes it here. A folder that stays busy: QUIT goes without the file, as it always did.
    try {
        verrouSuspens_.emplace(Dossier);
        suspens_ = verrouSuspens_->Obtenu() && EcrireJournalSuspens(Dossier, lignesSession_, d_.config.NbLignesSvg).ok;
    } catch (const std::exception&) {
        suspens_ = false;
    }
    if (!suspens_) verrouSuspens_.reset();
}

void Controleur::RetirerSuspens()
{
    if (suspens_) RetirerJournalSuspens(Dossier);
    suspens_ = false;
    verrouSuspens_.reset();
}

void Controleur::FinSession(bool confirme)
{
    // Put in place on the commit only; otherwise the prepared file goes with this object.
    std::optional<JournalPrepare> prepare = std::exchange(journalPrepare_, std::nullopt);
    if (lignesSession_.empty()) {
        RetirerSuspens();
        return;
    }
    std::vector<Texte> lignes;
    lignes.swap(lignesSession_);
    if (confirme) {
        if (Journalise) Journalise(lignes);
        if (prepare) {
            const ResultatFichier r = prepare->Valider();
            if (r.ok) {
                RetirerSuspens();
                if (!r.avertissement.empty() && !ControleAutoEnCours)
                    fenetre_.Message(TitreErreur(), r.avertissement, IconeMessage::Avertissement);
                return;
            }
        }
        // Merged (or, when the journal cannot take them, handed to the pending journal, which
        // the save at exit merges): the file in suspense has done its work.
        Journaliser(std::move(lignes));
        RetirerSuspens();
        return;
    }
    // Without "+OK" to QUIT the server rolled the deletions back: the messages are still there,
    // and a journal line would claim otherwise.
    RetirerSuspens();
    ++SuppressionsNonConfirmees;
    if (ControleAutoEnCours) return;
    const Texte quoi = lignes.size() == 1 ? Texte("le message \xE0 effacer reste sur ")
                                          : "les " + std::to_string(lignes.size()) + " messages \xE0 effacer restent sur ";
    fenetre_.Message(TitreInformation(), "Le serveur n'a pas confirm\xE9 les suppressions : " + quoi + hoteSession_ + ".",
                     IconeMessage::Avertissement);
}

void Controleur::Journaliser(std::vector<Texte> lignes)
{
    if (EcrireJournal) {
        const ResultatFichier r = EcrireJournal(lignes);
        if (r.ok && !r.avertissement.empty() && !ControleAutoEnCours)
            fenetre_.Message(TitreErreur(), r.avertissement, IconeMessage::Avertissement);
        if (r.ok) return;
        if (!ControleAutoEnCours)
            fenetre_.Message(TitreErreur(),
                             r.erreur + "\r\nLes lignes du journal seront \xE9" "crites \xE0 la fermeture.",
                             IconeMessage::Avertissement);
    }
    for (Texte& l : lignes) d_.journal.Ajouter(std::move(l));
}

void Controleur::VerifierJournal()
{
    journalBloque_.clear();
    avisJournalDonne_ = false;
    if (Dossier.empty()) return;
    const std::string dossier = Utf8VersCp1252(Dossier.string());
    if (::access(Dossier.c_str(), W_OK) != 0) {
        journalBloque_ = "le dossier " + dossier + " n'accepte pas d'\xE9" "criture";
        return;
    }
    const std::filesystem::path chemin = TrouverFichier(Dossier, NomFichierJournal);
    struct stat etat {};
    if (::lstat(chemin.c_str(), &etat) == 0 && !S_ISREG(etat.st_mode))
        journalBloque_ = Utf8VersCp1252(chemin.string()) + " n'est pas un fichier";
    else if (::lstat(chemin.c_str(), &etat) == 0 && ::access(chemin.c_str(), W_OK) != 0)
        journalBloque_ = Utf8VersCp1252(chemin.string()) + " n'accepte pas d'\xE9" "criture";
}

void Controleur::AvisJournalBloque()
{
    if (avisJournalDonne_) return;
    avisJournalDonne_ = true;
    ++ComptesEnEchec;
    if (ControleAutoEnCours) return;
    fenetre_.Message(TitreErreur(),
                     "Le journal des messages supprim\xE9s ne peut pas \xEAtre \xE9" "crit (" + journalBloque_ +
                         ") : aucun message n'est supprim\xE9 sur le serveur, ceux \xE0 effacer sont marqu\xE9s.",
                     IconeMessage::Avertissement);
}

bool Controleur::PrendreDossier(std::optional<VerrouDossier>& verrou)
{
    DossierOccupe = false;
    if (Dossier.empty()) return true;
    // An automatic run does not wait: the next tick tries again.
    verrou.emplace(Dossier, ControleAutoEnCours ? 0 : VerrouDossier::DelaiParDefautMs,
                   [this] { fenetre_.TraiterEvenements(); });
    if (verrou->Obtenu()) return true;
    verrou.reset();
    DossierOccupe = true;
    if (!ControleAutoEnCours) fenetre_.Message(TitreInformation(), TexteDossierOccupe(Dossier), IconeMessage::Information);
    return false;
}

void Controleur::MajProchainControle()
{
    DernierControle = Horloge();
    fenetre_.LabelProchainControle(d_.config.ControleAuto, TexteProchainControle(d_.config, DernierControle));
}

void Controleur::ViderListe()
{
    d_.liste.Vider();
    texteEntetes_ = 0;
}

bool Controleur::DemanderSuppressionAvantControle(bool depuisTray)
{
    if (d_.liste.NombreMarques() == 0) return true;
    if (depuisTray) fenetre_.MontrerFenetre();
    const ReponseMessage r = fenetre_.Question(
        TitreConfirmation(), "Des messages ont \xE9t\xE9 marqu\xE9s pour suppression.\r\r\nLes supprimer avant de continuer ?",
        BoutonsMessage::OuiNonAnnuler, IconeMessage::Question, true);
    if (r == ReponseMessage::Annuler) return false;
    if (r == ReponseMessage::Oui) {
        Supprimer();
        fenetre_.ActiverInterface(false);
    }
    return true;
}

void Controleur::ControlerCompte(std::size_t indice, bool depuisTray)
{
    if (Occupe()) return;
    const Occupation occupation(occupe_);
    std::optional<VerrouDossier> verrou;
    if (!PrendreDossier(verrou)) return;
    VerifierJournal();
    ControlerUnCompte(indice, depuisTray);
}

void Controleur::ControlerUnCompte(std::size_t indice, bool depuisTray)
{
    const Occupation occupation(occupe_);
    fenetre_.CurseurAttente(true);
    if (indice >= d_.comptes.Nombre()) {
        fenetre_.CurseurAttente(false);
        return;
    }
    const TCompte compte = d_.comptes[indice];
    const Texte hote = compte.ServeurPOP.Lire();
    fenetre_.TexteStatut(3, {});
    fenetre_.TexteStatut(2, {});

    // Runs on every way out of the check, the stops included.
    auto fin = [&] {
        fenetre_.TexteStatut(0, {});
        fenetre_.TexteStatut(3, {});
        if (!ControleAutoEnCours) MajProchainControle();
        fenetre_.CurseurAttente(false);
        if (!ControleTousEnCours) fenetre_.ActiverInterface(true);
        if (depuisTray) fenetre_.MontrerFenetre();
        fenetre_.MajActions(false);
        fenetre_.FocusListe();
    };

    if (!ConnexionInternet()) {
        fin();
        return;
    }
    fenetre_.ActiverInterface(false);
    if (!ControleAutoEnCours && !ControleTousEnCours) {
        bool continuer = false;
        try {
            continuer = DemanderSuppressionAvantControle(depuisTray);
        } catch (...) {
            // The deletion asked for could not log in: the failure goes up to the error report,
            // but the cursor, the commands and the window come back first.
            fin();
            throw;
        }
        if (!continuer) {
            fin();
            return;
        }
        ViderListe();
    }

    fenetre_.TexteCompte("  Compte : " + compte.Description.Lire());
    // A run that failed leaves its session open; its QUIT now commits the deletions it sent.
    if (client_.IsConnected()) client_.CloseSession();

    PreparerClient(client_, compte, d_.securites);
    fenetre_.TexteStatut(3, "Serveur : " + hote);

    try {
        OuvrirSession(compte);
        if (client_.IsConnected()) {
            const int nombre = client_.CountMessages();
            client_.PlafondSession(nombre);
            std::int64_t taille = client_.TotalMailboxSize(nombre);
            // A listing whose sizes add up below zero says nothing about the mailbox.
            if (taille < 0) taille = -1;
            bool arret = false;
            if (taille == -1) {
                if (ControleAutoEnCours) {
                    client_.CloseSession();
                    arret = true;
                } else {
                    if (!ControleTousEnCours && fenetre_.FenetreVisible())
                        fenetre_.Message(TitreErreur(),
                                         "Erreur lors de la r\xE9" "ception de la taille de la bo\xEEte sur " + hote + ".",
                                         IconeMessage::Avertissement);
                    fenetre_.TexteCompte({});
                }
            } else if (taille == 0) {
                if (ControleAutoEnCours) {
                    client_.CloseSession();
                    arret = true;
                } else {
                    if (!ControleTousEnCours)
                        fenetre_.Message(TitreInformation(), "Aucun message sur " + hote + ".",
                                         IconeMessage::Information);
                    fenetre_.TexteCompte({});
                }
            } else {
                TailleBoite = taille;
                fenetre_.TexteStatut(2, TexteTaille(taille));
            }
            if (!arret) {
                if (nombre > 0) ReceptionEntetes(nombre, compte);
                client_.CloseSession();
            }
        }
    } catch (const Echec& e) {
        ++ComptesEnEchec;
        // The session stays open: the next run closes it, and its QUIT commits what was deleted.
        sessionLaissee_ = client_.IsConnected();
        if (!ControleAutoEnCours) {
            Texte texte;
            switch (e.Genre()) {
            case GenreEchec::DelaiConnexion: texte = "Time-out sur connexion au serveur " + hote + " :-("; break;
            case GenreEchec::ReponseErreur:
                texte = "Impossible de se connecter \xE0 " + hote + " :-(\r\n-> " + e.Message() + ")";
                break;
            case GenreEchec::Autre:
                // A TLS failure says what went wrong too: the user has something to change.
                texte = "Impossible de se connecter \xE0 " + hote + " :-(\r\n-> " +
                        CauseEchec(e.Message(), client_.DelaiLectureMaxMs);
                break;
            }
            fenetre_.Message(TitreInformation(), Rogne(texte), IconeMessage::Avertissement);
        }
        fenetre_.TexteCompte({});
    } catch (const ArretDemande&) {
        // The program ends: its QUIT (when the session is in step) commits what was deleted.
        sessionLaissee_ = client_.IsConnected();
        fenetre_.TexteCompte({});
        fin();
        throw;
    } catch (const std::exception& e) {
        ++ComptesEnEchec;
        sessionLaissee_ = client_.IsConnected();
        if (!ControleAutoEnCours)
            fenetre_.Message(TitreInformation(),
                             Rogne("Impossible de se connecter \xE0 " + hote + " :-(\r\n-> " +
                                   (dynamic_cast<const std::bad_alloc*>(&e) ? Texte("m\xE9moire insuffisante.")
                                                                            : Texte("erreur interne : ") + e.what())),
                             IconeMessage::Avertissement);
        fenetre_.TexteCompte({});
    }
    fin();
}

void Controleur::ReceptionEntetes(int nombre, const TCompte& compte)
{
    struct Cacher {
        FenetreControle& f;
        ~Cacher() { f.Progression(false, 0, 0); }
    } cacher{fenetre_};

    const OptionsFiltrage options = OptionsDepuisConfig(d_.config);
    const FonctionTexteDate texteDate = [](TDateHeure d) { return TexteDate(d); };
    // One record for all the rows of this account.
    const CompteLigne compteLignes(compte);
    std::int32_t compteur = 0;
    fenetre_.Progression(true, nombre, 0);
    CommandesEnVol commandes(client_, nombre, nombre >= 2 && client_.Pipelining());
    try {
        for (int n = 1; n <= nombre; ++n) {
            fenetre_.Progression(true, nombre, n);
            fenetre_.TraiterEvenements();
            fenetre_.TexteStatut(0, "R\xE9" "ception de l'ent\xEAte du message n\xB0 " + std::to_string(n) + " / " +
                                        std::to_string(nombre));
            message_.Clear();
            message_.DecodageModerne = d_.config.DecodageModerne;
            // A header block that cannot be read is one message's fault, not the session's: it is
            // listed as it came, and the next message follows.
            Texte illisible;
            if (!commandes.Entete(n, message_.Headers)) {
                illisible = TexteEnteteTropLong(n);
            } else {
                try {
                    message_.AnalyserEntetes();
                } catch (const Echec& e) {
                    illisible = e.Message();
                }
            }
            const std::int64_t taille = commandes.Taille(n);

            // Past the run's ceiling of header text, a row keeps only the lines it needs.
            auto garderEntetes = [&](LigneMessage& l) {
                const std::size_t t = TailleEntetes(message_.Headers);
                if (texteEntetes_ + t > TexteEntetesMax) {
                    l.Resume.Entetes = EntetesReduites(message_.Headers);
                    l.Resume.EntetesReduites = true;
                    texteEntetes_ += TailleEntetes(l.Resume.Entetes);
                } else {
                    l.Resume.Entetes = message_.Headers;
                    texteEntetes_ += t;
                }
            };

            if (!illisible.empty()) {
                LigneMessage ligne;
                const Texte de = TexteAdresse(message_.From);
                const Texte expediteur = TexteAdresse(message_.Sender);
                ligne.De = !de.empty() ? de
                           : !expediteur.empty() ? expediteur
                           : !LireValeurEntete(message_.Headers, "From").empty() ? LireValeurEntete(message_.Headers, "From")
                                                                                 : LireValeurEntete(message_.Headers, "Sender");
                ligne.Sujet = !message_.Subject.empty() ? message_.Subject : LireValeurEntete(message_.Headers, "Subject");
                ligne.Date = Texte();  // no date read: an empty cell, never the origin of the calendar
                ligne.Taille = std::to_string(taille);
                ligne.Resume.Numero = ++compteur;
                // Some parse failures already say that the header is unreadable.
                const Texte prefixe = "Ent\xEAte illisible : ";
                std::string_view cause = Rogner(illisible);
                if (cause.rfind(prefixe, 0) == 0) cause.remove_prefix(prefixe.size());
                ligne.Resume.Raison = (prefixe + Texte(cause)).substr(0, 255);
                garderEntetes(ligne);
                ligne.Resume.Compte = compteLignes;
                d_.liste.Ajouter(std::move(ligne));
                fenetre_.JouerSon(SonControle::MsgOK);
                continue;
            }

            TResultatFiltrage resultat;
            if (!PasserSansFiltrer(options, taille))
                FiltrerMessage(message_, d_.filtres, d_.amis, options, resultat, texteDate);

            const Texte de = TexteAdresse(message_.From);
            // A date that could not be read shows empty, never as the origin of the calendar.
            const Texte date = message_.DateLisible ? TexteDate(message_.Date) : Texte();
            if (resultat.Verdict == ActionEffacer && !journalBloque_.empty()) {
                AvisJournalBloque();
                resultat.Verdict = ActionMarquer;
            }
            if (resultat.Verdict == ActionEffacer) {
                // The journal line only once the server took the DELE (a refused one deleted nothing),
                // and written only once QUIT commits it.
                commandes.Supprimer(n, [this, ligne = LigneJournal(compte.Description.Lire(), de, message_.Subject, date,
                                                                   taille, resultat.Raison)] {
                    hoteSession_ = client_.Host;
                    lignesSession_.push_back(ligne);
                    fenetre_.JouerSon(SonControle::MsgAEffacer);
                });
                continue;
            }
            LigneMessage ligne;
            ligne.De = de.empty() ? TexteAdresse(message_.Sender) : de;
            ligne.Sujet = message_.Subject;
            ligne.Date = date;
            ligne.Taille = std::to_string(taille);
            ligne.Resume.Numero = ++compteur;
            ligne.Resume.Raison = RaisonSuppressionUtilisateur();
            garderEntetes(ligne);
            ligne.Resume.Compte = compteLignes;
            if (resultat.Verdict == ActionMarquer) {
                ligne.Marque = true;
                ligne.Resume.Raison = resultat.Raison.substr(0, 255);
            }
            const bool marque = ligne.Marque;
            d_.liste.Ajouter(std::move(ligne));
            fenetre_.JouerSon(marque ? SonControle::MsgAMarquer : SonControle::MsgOK);
        }
        commandes.Terminer();
    } catch (...) {
        commandes.Abandonner();
        throw;
    }
}

void Controleur::ControlerTousLesComptes()
{
    if (Occupe()) return;
    const Occupation occupation(occupe_);
    std::optional<VerrouDossier> verrou;
    if (!PrendreDossier(verrou)) return;
    VerifierJournal();
    if (!ControleAutoEnCours && !DemanderSuppressionAvantControle(false)) return;
    ControleTousEnCours = true;
    // Left set by a failure escaping the run, the flag would keep every later check of one
    // account from asking, clearing the list and giving the commands back.
    struct FinTous {
        bool& drapeau;
        ~FinTous() { drapeau = false; }
    } finTous{ControleTousEnCours};
    ViderListe();
    std::int64_t total = 0;
    TailleBoite = 0;
    for (std::size_t i = 0; i < d_.comptes.Nombre(); ++i) {
        if (!ControleAutoEnCours || d_.comptes[i].ControleAuto != 0) ControlerUnCompte(i, false);
        // Servers report what they like: the sum stops at the largest size rather than wrap.
        if (__builtin_add_overflow(total, TailleBoite, &total)) total = std::numeric_limits<std::int64_t>::max();
        TailleBoite = 0;
        fenetre_.TraiterEvenements();
    }
    fenetre_.TexteStatut(2, TexteTaille(total));
    fenetre_.ActiverInterface(true);
    fenetre_.MajActions(false);
    ControleTousEnCours = false;
    fenetre_.TexteStatut(3, {});
    fenetre_.TexteCompte({});
}

bool Controleur::MessageInchange(const LigneMessage& ligne)
{
    CommandesEnVol unParUn(client_, std::vector<int>{ligne.Resume.Numero}, false);
    return MessageInchange(ligne, unParUn);
}

bool Controleur::MessageInchange(const LigneMessage& ligne, CommandesEnVol& commandes)
{
    // Another program (a phone, a webmail) may have removed or fetched messages since the check:
    // the numbers then point at other messages. Only the message the user saw is deleted.
    try {
        ListeEntetes lignes;
        commandes.Entete(ligne.Resume.Numero, lignes);
        if ((ligne.Resume.EntetesReduites ? EntetesReduites(lignes) : lignes) != ligne.Resume.Entetes) return false;
        return commandes.Taille(ligne.Resume.Numero) == LireTaille(ligne.Taille);
    } catch (const Echec& e) {
        if (e.Genre() == GenreEchec::ReponseErreur) return false;  // no such message any more
        throw;
    }
}

std::vector<int> Controleur::NumerosAVenir(const LigneMessage& ligne, std::size_t position) const
{
    std::vector<int> numeros{ligne.Resume.Numero};
    std::unordered_set<int> vus{ligne.Resume.Numero};
    for (std::size_t j = std::min(position, d_.liste.Nombre()); j-- > 0;) {
        const LigneMessage& l = d_.liste[j];
        if (!l.Marque) continue;
        if (l.Resume.Compte->ServeurPOP.Lire() != client_.Host || l.Resume.Compte->NomUser.Lire() != client_.Username)
            break;
        // Two rows of one message (two accounts on one mailbox): the second TOP must follow the
        // first one's DELE, as it would one command at a time.
        if (!vus.insert(l.Resume.Numero).second) break;
        numeros.push_back(l.Resume.Numero);
    }
    return numeros;
}

void Controleur::SupprimerMarques()
{
    if (Occupe()) return;
    const Occupation occupation(occupe_);
    std::optional<VerrouDossier> verrou;
    if (!PrendreDossier(verrou)) return;
    VerifierJournal();
    Supprimer();
}

void Controleur::Supprimer()
{
    const Occupation occupation(occupe_);
    changesGardes_ = 0;
    const std::size_t marques = d_.liste.NombreMarques();
    if (marques == 0) {
        fenetre_.Message(TitreInformation(), "Aucun message marqu\xE9 pour suppression.", IconeMessage::Information);
        return;
    }
    // The list stays as it is: nothing was deleted, the numbers still hold.
    if (!journalBloque_.empty()) {
        AvisJournalBloque();
        return;
    }
    int position = 0;
    fenetre_.Progression(false, static_cast<int>(marques), 0);
    fenetre_.ActiverInterface(false);
    d_.liste.Reordonner(OrdreLVMsg(d_.liste, ColonneTri::De, true, true, {}));
    if (client_.IsConnected()) client_.CloseSession();
    client_.Host.clear();
    client_.Username.clear();

    // With a server that pipelines, the identity checks (TOP and LIST) of the session's next rows
    // go out ahead; each row's DELE goes out once its identity holds, and its reply is awaited
    // before the row is done, so that rows, journal lines and everything shown come in the order
    // of one command at a time.
    std::optional<CommandesEnVol> commandes;
    // Before a session ends: the replies still due are read, so that its QUIT commits what the
    // server accepted.
    auto finirCommandes = [&] {
        if (!commandes) return;
        try {
            commandes->Abandonner();
        } catch (...) {
            commandes.reset();
            throw;
        }
        commandes.reset();
    };
    // A reading that broke leaves the session out of step: it ends at once, without QUIT.
    auto siRompu = [&] {
        if (!commandes || !commandes->Rompu()) return;
        commandes.reset();
        if (client_.IsConnected()) client_.CloseSession();
    };

    auto nettoyage = [&] {
        try {
            finirCommandes();
        } catch (...) {
            // Cut short: the session is out of step and ends without QUIT below.
        }
        if (client_.IsConnected()) client_.CloseSession();
        fenetre_.MajIconeTray(0);
        fenetre_.ActiverInterface(true);
        fenetre_.Progression(false, 0, 0);
        for (int p = 0; p < 4; ++p) fenetre_.TexteStatut(p, {});
        fenetre_.TexteCompte({});
        ViderListe();
        fenetre_.MajActions(false);
    };

    // Told once per run, also when a refused login ends the run: the list is emptied either way,
    // and the user must not believe those messages gone.
    auto avisChanges = [&] {
        if (changesGardes_ == 0) return;
        fenetre_.Message(TitreInformation(),
                         changesGardes_ == 1
                             ? Texte("Un message a chang\xE9 sur le serveur depuis le contr\xF4le : il n'a pas \xE9t\xE9 "
                                     "supprim\xE9.\r\nFaites un nouveau contr\xF4le avant de le supprimer.")
                             : std::to_string(changesGardes_) +
                                   " messages ont chang\xE9 sur le serveur depuis le contr\xF4le : ils n'ont pas \xE9t\xE9 "
                                   "supprim\xE9s.\r\nFaites un nouveau contr\xF4le avant de les supprimer.",
                         IconeMessage::Information);
    };

    try {
        for (std::size_t k = d_.liste.Nombre(); k-- > 0;) {
            // The window processes its events during the walk: work on a copy of the row, and
            // skip positions that no longer exist.
            if (k >= d_.liste.Nombre() || !d_.liste[k].Marque) continue;
            const LigneMessage ligne = d_.liste[k];
            const TCompte& compte = ligne.Resume.Compte;
            const Texte hote = compte.ServeurPOP.Lire();
            if (hote != client_.Host || compte.NomUser.Lire() != client_.Username) {
                finirCommandes();
                if (client_.IsConnected()) client_.CloseSession();
                PreparerClient(client_, compte, d_.securites);
                fenetre_.TexteStatut(0, "Connexion en cours \xE0 " + hote + "...");
                if (!ConnexionInternet()) break;
                OuvrirSession(compte);
                client_.PlafondSession(static_cast<std::int64_t>(marques));
            }
            try {
                if (!client_.IsConnected()) {
                    fenetre_.Message(TitreErreur(), "Impossible de se connecter \xE0 " + hote + ".",
                                     IconeMessage::Avertissement);
                    continue;
                }
                fenetre_.TexteStatut(3, "Serveur : " + hote);
                fenetre_.Progression(true, static_cast<int>(marques), position);
                fenetre_.TraiterEvenements();
                fenetre_.TexteStatut(0, "Suppression du message n\xB0 " + std::to_string(k + 1));
                if (!commandes || !commandes->Prevu(ligne.Resume.Numero)) {
                    finirCommandes();
                    std::vector<int> numeros = NumerosAVenir(ligne, k);
                    const bool pipeline = numeros.size() >= 2 && client_.Pipelining();
                    commandes.emplace(client_, std::move(numeros), pipeline);
                }
                if (!MessageInchange(ligne, *commandes)) {
                    ++changesGardes_;
                    continue;
                }
                commandes->Supprimer(ligne.Resume.Numero, {});
                commandes->Solder();
                fenetre_.Progression(true, static_cast<int>(marques), ++position);
                fenetre_.JouerSon(SonControle::MsgAEffacer);
                const Texte raison = ligne.Resume.Raison.empty() ? Texte("-") : ligne.Resume.Raison;
                hoteSession_ = hote;
                lignesSession_.push_back(LigneJournal(compte.Description.Lire(), ligne.De, ligne.Sujet, ligne.Date,
                                                      LireTaille(ligne.Taille), raison));
                if (k < d_.liste.Nombre()) d_.liste.Retirer(k);
            } catch (const Echec& e) {
                Texte texte, titre = TitreErreur();
                switch (e.Genre()) {
                case GenreEchec::DelaiConnexion:
                    texte = "Time-out sur connexion au serveur " + hote + " :-(";
                    titre = TitreInformation();
                    break;
                case GenreEchec::ReponseErreur:
                    texte = "Erreur lors de la suppression d'un message :-(\r\n-> " + e.Message();
                    break;
                case GenreEchec::Autre:
                    texte = "Erreur lors de la suppression d'un message :-(\r\n-> " +
                            CauseEchec(e.Message(), client_.DelaiLectureMaxMs);
                    break;
                }
                fenetre_.Message(titre, texte, IconeMessage::Avertissement);
                siRompu();
            } catch (const ArretDemande&) {
                throw;
            } catch (const std::exception&) {
                fenetre_.Message(TitreErreur(), "Erreur lors de la suppression d'un message :-(",
                                 IconeMessage::Avertissement);
                siRompu();
            }
        }
    } catch (...) {
        nettoyage();
        avisChanges();
        throw;
    }
    nettoyage();
    avisChanges();
}

}  // namespace vaskor
