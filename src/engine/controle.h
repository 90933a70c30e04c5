#pragma once
// The check run: one account or all of them, headers and sizes only, each message classified,
// then listed, listed marked, or deleted on the server in the same session. Also the deletion of
// the marked rows on their servers. Everything is reported to the window through
// FenetreControle, so that every run works without a screen.

#include "core/ami.h"
#include "core/compte.h"
#include "core/config.h"
#include "core/dates.h"
#include "core/filtre.h"
#include "core/securite_compte.h"
#include "core/journal.h"
#include "core/verrou_dossier.h"
#include "engine/fenetre.h"
#include "engine/liste_messages.h"
#include "mail/message.h"
#include "mail/pop3.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace vaskor {

class CommandesEnVol;
class FenetreApercu;
class TCipherManager;

// What the main window owns and the runs work on.
struct DonneesControle {
    ListeComptes& comptes;
    ListeFiltres& filtres;
    ListeAmis& amis;
    TConfig& config;
    JournalEnAttente& journal;
    ListeMessages& liste;
    // How each account connects; null: every account by the default of its port.
    SecuritesComptes* securites = nullptr;
};

// The question about a certificate that failed its check: the account, the reason, the subject,
// the issuer, the validity and the SHA-256 fingerprint.
Texte TexteCertificat(const Texte& compte, const Texte& hote, const CertificatServeur& c);

// Gives the client the account's server, port, user name, password and security.
void PreparerClient(TIdPOP3& client, const TCompte& compte, const SecuritesComptes* securites);

// "" for 0, "n octets" up to 1024, else "n ko" (whole kilobytes, rounded down).
Texte TexteTaille(std::int64_t taille);
// Reads "hh:nn" (also "h:n" and "hh:nn:ss"); false when it is not a time of day.
bool LireHeure(const Texte& texte, int& heure, int& minute);
// The next-check label: "Contrôle tous les jours à hh:nn" in fixed-time mode, else
// "Prochain contrôle : dd/mm/yyyy - hh:nn" for `dernier` + the interval.
Texte TexteProchainControle(const TConfig& config, TDateHeure dernier);

class Controleur {
public:
    Controleur(FenetreControle& fenetre, TIdPOP3& client, DonneesControle donnees);
    Controleur(const Controleur&) = delete;
    Controleur& operator=(const Controleur&) = delete;

    bool ControleAutoEnCours = false;
    bool ControleTousEnCours = false;
    std::int64_t TailleBoite = 0;
    TDateHeure DernierControle = 0;

    // The clock (local time); tests drive it.
    std::function<TDateHeure()> Horloge = MaintenantLocal;
    // Whether an Internet connection is up (after a dial request when it was not). Always up on
    // this platform.
    std::function<bool()> ConnexionInternet = [] { return true; };

    // The program folder. While set, a check and a deletion hold its lock (VerrouDossier) for
    // their whole run; a folder that stays busy refuses the run (a box, none in an automatic run)
    // and sets DossierOccupe.
    std::filesystem::path Dossier;
    bool DossierOccupe = false;
    // Writes journal lines to the journal file at once (merge, trim, write). Called with the
    // lines of a session's deletions once the server confirmed them (QUIT answered "+OK"). Lines
    // it fails to write, or all of them when it is not set, go to the pending journal, which the
    // save at exit merges. While Dossier is set too, a session's lines also wait in the journal's
    // file in suspense from just before its QUIT until its end is dealt with (EcrireJournalSuspens):
    // a program killed after the server committed leaves them for the next start.
    std::function<ResultatFichier(const std::vector<Texte>&)> EcrireJournal;
    // The same write made ready before the session's QUIT goes out (the new journal file written
    // and flushed), then only renamed in place once QUIT is answered "+OK": a kill right after
    // the commit then finds the lines on disk. When it is not set or fails, EcrireJournal writes
    // after the commit.
    std::function<ResultatFichier(const std::vector<Texte>&, JournalPrepare&)> PreparerJournal;
    // Told of the lines of every session the server committed, however they reach the file.
    std::function<void(const std::vector<Texte>&)> Journalise;
    // The most header text the rows of one list keep whole (beyond it, a row keeps only the
    // lines of its sender, subject, date and id).
    std::size_t TexteEntetesMax = std::size_t(256) << 20;
    // Sessions whose deletions the server did not confirm (their lines were not journaled).
    int SuppressionsNonConfirmees = 0;

    // These three do nothing while a run is going on (Occupe): the run processes the window's
    // events, and the tray's check menu stays usable meanwhile.
    // The run of one account (its position in the account list).
    void ControlerCompte(std::size_t indice, bool depuisTray = false);
    // Every account in turn; with ControleAutoEnCours, only those with ControleAuto set.
    void ControlerTousLesComptes();
    // Deletes the marked rows on their servers, one connection per account, and empties the
    // list. A failure while opening a connection is thrown after the cleanup.
    void SupprimerMarques();
    // A check or a deletion is running (it lets the window process its events, so a timer tick
    // can arrive in the middle of it, even between two accounts or during a question).
    bool Occupe() const { return occupe_ > 0; }

    // The open session is one that a failed check left open (the next run's QUIT commits what
    // it deleted); no operation is using the client.
    bool SessionLaissee() const { return sessionLaissee_; }

    // The preview of row `indice` (apercu.cpp): the size guard, the key of an enciphered
    // message, RETR after checking that the number still points at the row's message, the
    // preview window, the row's icon. Does nothing while a run is going on. Failures of the
    // connection escape after the cleanup, for the window's error report.
    void ApercuMessage(std::size_t indice, FenetreApercu& fenetre, TCipherManager& chiffre);
    // The message of the last preview (its parts and their files live until the next check or
    // preview).
    const TIdMessage& MessageApercu() const { return message_; }

    // Shows the next-check label after a check that was not automatic.
    void MajProchainControle();

    // Called after the user trusted a certificate, to save the accounts' securities.
    std::function<void()> SecuritesModifiees;

    // Accounts whose check failed since the counter was last reset (an automatic run shows no
    // message, but a headless caller still wants to know).
    int ComptesEnEchec = 0;

    // How many messages the last deletion kept because they had changed on the server.
    int MessagesChangesGardes() const { return changesGardes_; }

private:
    FenetreControle& fenetre_;
    TIdPOP3& client_;
    DonneesControle d_;
    TIdMessage message_;
    int changesGardes_ = 0;
    bool sessionLaissee_ = false;
    int occupe_ = 0;
    struct Occupation {
        int& n;
        explicit Occupation(int& compteur) : n(compteur) { ++n; }
        ~Occupation() { --n; }
    };

    // The lines of the DELEs the open session sent, journaled when its QUIT is confirmed.
    std::vector<Texte> lignesSession_;
    std::optional<JournalPrepare> journalPrepare_;
    Texte hoteSession_;
    // Header text kept by this run's rows; past a ceiling, new rows keep only what they need.
    std::size_t texteEntetes_ = 0;

    // Why the journal cannot take a line now (empty when it can): a run then deletes nothing.
    Texte journalBloque_;
    bool avisJournalDonne_ = false;

    // The file in suspense of the session being closed, and the folder's lock held until it is
    // removed (a program resolving files in suspense must never take a live one).
    bool suspens_ = false;
    std::optional<VerrouDossier> verrouSuspens_;

    void FinSession(bool confirme);
    void AvantQuit();
    void EcrireSuspens();
    void RetirerSuspens();
    // Checked before a run's first DELE: a deletion that could not be journaled is not made.
    void VerifierJournal();
    void AvisJournalBloque();
    void Journaliser(std::vector<Texte> lignes);
    // Takes the folder's lock for a run; false (after telling the user) when it stays busy.
    bool PrendreDossier(std::optional<VerrouDossier>& verrou);
    void ControlerUnCompte(std::size_t indice, bool depuisTray);
    // OpenSession; in a manual run, a certificate that fails its check is put to the user, and
    // trusting it stores its fingerprint and connects again.
    void OuvrirSession(const TCompte& compte);
    void Supprimer();
    void ReceptionEntetes(int nombre, const TCompte& compte);
    void ViderListe();
    // The question asked before a check when rows are marked. False: the run stops (Cancel).
    bool DemanderSuppressionAvantControle(bool depuisTray);
    // TOP n 0 and LIST n, one command at a time or through the session's pipelined commands.
    bool MessageInchange(const LigneMessage& ligne);
    bool MessageInchange(const LigneMessage& ligne, CommandesEnVol& commandes);
    // The message numbers whose identity the session may check ahead: the row in hand, then the
    // next marked rows of the same mailbox in the walk's order (up to a number met twice).
    std::vector<int> NumerosAVenir(const LigneMessage& ligne, std::size_t position) const;
    void BrancherEvenements();
};

}  // namespace vaskor
