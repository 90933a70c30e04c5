#pragma once
// The POP3 client (`IdPOP3`): one session at a time, plain USER/PASS login, and the commands
// STAT, LIST, TOP, RETR, DELE and QUIT. Every failure is thrown as an Echec; the operation that
// started the work catches it. The client runs on the window's thread: all its waits call the
// idle hook so that the window keeps processing its events.

#include "core/secret.h"
#include "core/securite_compte.h"
#include "core/texte.h"
#include "mail/lecteur_lignes.h"
#include "mail/message.h"
#include "mail/reponse_pop3.h"
#include "mail/transport.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vaskor {

// The code that goes with each status text.
enum class StatutPop3 {
    Resolution,   // "Resolution du nom d'hôte %s."
    Connexion,    // "Connexion en cours à %s."
    Connecte,     // "Connecté."
    Deconnexion,  // "Déconnexion en cours."
    Deconnecte,   // "Déconnecté."
};

// "Bloc d'entête du message n trop long."
Texte TexteEnteteTropLong(int n);

class TIdPOP3 {
public:
    Texte Host;
    std::int32_t Port = 110;  // 0 also means 110
    Texte Username;
    TexteSecret Password;
    bool APOP = false;  // the login is always USER/PASS
    // TLS from the first byte, STLS before USER (never falling back to clear), or none.
    ModeSecurite Securite = ModeSecurite::Aucune;
    // 32 raw bytes: the SHA-256 of a certificate the user trusted for this account.
    std::string EmpreinteAcceptee;
    int Tag = 0;        // 1 while the preview retrieves a message

    // Resolution and connection together.
    int DelaiConnexionMs = 120000;
    // The longest wait for the server's next bytes before the operation fails with
    // "Le serveur ne répond plus."; 0 or less waits for ever.
    int DelaiLectureMaxMs = 60000;
    // The longest a whole reply may take (a multi-line one included), however slowly the server
    // trickles it; 0 or less: no limit. A reply that overruns it leaves the connection unusable.
    int DelaiReponseMs = 120000;
    // The shortest ceiling of a whole session once PlafondSession is called.
    int DelaiSessionMinMs = 600000;
    // The most bytes a header block may hold (lines with their CR LF). Real header blocks hold a
    // few kilobytes; the lines past this are read and dropped, so the session stays in step.
    std::size_t TailleMaxEntete = 1u << 20;
    // False: every command waits for its reply, whatever the server offers (tests compare both).
    bool PipeliningPermis = true;

    std::function<void(StatutPop3 code, const Texte& texte)> OnStatus;
    std::function<void()> OnConnected;
    std::function<void()> OnDisconnected;
    // Bytes received since the start of the current header block or message.
    std::function<void(std::int64_t octets)> OnWork;
    // Called while a network wait goes on: at least every 50 ms while the connection or a
    // reply is awaited.
    std::function<void()> Attente;
    // A session ended. `suppressions` counts the DELE the server accepted in it; `confirme` is
    // true when the server answered QUIT with "+OK", the only moment it commits them (a session
    // that ends otherwise rolls every DELE back).
    std::function<void(int suppressions, bool confirme)> OnFinSession;
    // Around the QUIT of a session that holds deletions: just before the command goes out, and
    // once it is in the connection's hands (the system delivers it even if the program dies
    // now). Whatever happens between them and OnFinSession, the server may have committed from
    // the second one on. They must not throw.
    std::function<void()> OnAvantQuit;
    std::function<void()> OnQuitEnvoye;
    // Makes the byte stream of each new connection (the application gives it the TCP one).
    FabriqueTransport Fabrique;

    TIdPOP3() = default;
    explicit TIdPOP3(FabriqueTransport fabrique) : Fabrique(std::move(fabrique)) {}
    // Closes the connection without QUIT and without events.
    ~TIdPOP3();
    TIdPOP3(const TIdPOP3&) = delete;
    TIdPOP3& operator=(const TIdPOP3&) = delete;

    // Connects, reads the greeting, logs in with USER and PASS. A failure after the connection
    // closes the session (QUIT) before it is thrown again unchanged.
    // With a security, the handshake and the certificate check come before any command of ours
    // (STARTTLS: CAPA and STLS only, in clear).
    void OpenSession();
    // True while the connection is open. When an earlier read found it closed by the server,
    // the session is closed here quietly (no QUIT; OnDisconnected and "Déconnecté.").
    bool IsConnected();
    // Sends QUIT when connected, then closes. After deletions the reply is read (within
    // DelaiReponseMs): true when the server committed them with "+OK", or when there was nothing
    // to commit. Never throws.
    bool CloseSession();
    // Gives the open session a ceiling of DelaiSessionMinMs plus 1 s per message from its
    // opening: a server that drips its replies cannot hold a run for ever.
    void PlafondSession(std::int64_t nombreMessages);

    // STAT: the message count.
    int CountMessages();
    // LIST: the sum of the sizes; -1 when the server refuses or the listing is unreadable. A
    // listing longer than `nombreAttendu` + 16 lines (when given), or a reply or session past its
    // deadline, breaks the session and is thrown.
    std::int64_t TotalMailboxSize(std::int64_t nombreAttendu = -1);
    // TOP n 0: appends the header lines to msg.Headers, then parses them (msg.AnalyserEntetes).
    bool FetchHeaderBlock(int n, TIdMessage& msg);
    // TOP n 0 without the parse: appends the raw header lines (the deletion compares them with
    // what the check saw before it sends DELE). False when the block was longer than
    // TailleMaxEntete: only the lines within it are kept, the rest is read and dropped.
    bool FetchHeaderLines(int n, ListeEntetes& lignes);
    // LIST n: the size; -1 when the reply does not hold a number.
    std::int64_t QueryMessageSize(int n);
    // DELE n: takes effect on the server when the session is closed with QUIT.
    bool DeleteMessage(int n);
    // RETR n: false when the server refuses; for "+OK" the message lines, up to the final ".",
    // go as received (dot-stuffing kept) to msg.LignesBrutes.
    bool FetchMessage(int n, TIdMessage& msg);
    // RETR n, each line handed to `ligne` as it arrives (CR LF removed, dot-stuffing kept, the
    // final "." not given); false when the server refuses. A failure thrown by `ligne` ends the
    // read (the rest of the message is left unread: close the session).
    bool FetchMessage(int n, const std::function<void(std::string_view)>& ligne);

    // RFC 2449 pipelining: whether the server lists PIPELINING in its CAPA reply. CAPA is sent at
    // the first call of a session only; a refusal means no.
    bool Pipelining();
    // Pipelined commands: each is put in the output buffer without its reply being read, and
    // Expedier sends the buffer. The caller reads the replies in the order the commands went
    // out, with the Lire... operations below. While replies are due the session is out of step:
    // closed then, it ends without QUIT (the server keeps every message).
    void EnvoyerSansAttendre(std::string_view commande);
    void Expedier();
    // The reply to a TOP n 0 already sent: as FetchHeaderLines.
    bool LireEntete(int n, ListeEntetes& lignes);
    // The reply to a LIST n already sent: as QueryMessageSize.
    std::int64_t LireTaille(int n);
    // The reply to a DELE n already sent: as DeleteMessage.
    void LireSuppression(int n);

    // The last reply read.
    const ReponsePop3& DerniereReponse() const { return *derniere_; }

private:
    std::unique_ptr<Transport> transport_;
    LecteurLignes lecteur_;
    AnalyseurReponse analyseur_;
    const ReponsePop3* derniere_ = &vide_;
    ReponsePop3 vide_;
    // Work events: the reader's total at the start of the current multi-line read, or -1.
    std::int64_t baseTravail_ = -1;
    using Horloge = std::chrono::steady_clock;
    Horloge::time_point ouverture_{};
    Horloge::time_point echeanceReponse_ = Horloge::time_point::max();
    Horloge::time_point echeanceSession_ = Horloge::time_point::max();
    Texte commandeEnCours_;  // what the deadline's message names
    int suppressionsSession_ = 0;
    // False from a command until its whole reply is read: a session left with a reply cut short
    // is out of step with the server.
    bool enPhase_ = true;
    std::string sortie_;   // pipelined commands not sent yet
    int reponsesDues_ = 0;  // replies to pipelined commands not read yet
    int pipelining_ = -1;  // -1: not asked yet in this session

    void Statut(StatutPop3 code, const Texte& texte);
    void VerifierConnecte();
    void Envoyer(std::string_view commande);
    std::string_view LireLigne();
    const ReponsePop3& LireReponse(bool seulementOk, bool multiligne = false);
    const ReponsePop3& Commande(std::string_view commande, bool seulementOk = true, bool multiligne = false);
    void FermerTransport();
    void DemarrerTls();
    void NegocierStls();
    void DebutReponse(std::string_view commande, std::int64_t delaiMs);
    [[noreturn]] void Expirer(bool session);
    void FinSession(bool confirme);
    void DebutTravail();
    void FinTravail();
};

}  // namespace vaskor
