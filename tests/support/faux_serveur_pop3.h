#pragma once
// A scripted POP3 server on a real loopback socket, served by a thread of the test process.
// The script is a sequence of steps: lines the server sends ("S: ..."), lines the client must
// send ("C: ..."), raw bytes, a closing, a silence, the next connection. Every difference from
// the script is collected as a text; nothing in it sleeps, every wait ends on an event. A CAPA
// that the script does not expect is refused, as a server without it would (and not recorded).
//
//   FauxServeurPop3 s;
//   s.Connexion("anne", "secret").Stat(2, 300).Quitter();
//   s.Demarrer();
//   ... the client talks to 127.0.0.1:s.Port() ...
//   EXPECT_TRUE(s.AttendreFin());
//   EXPECT_THAT(s.Ecarts(), IsEmpty());

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vaskor::test {

class FauxServeurPop3 {
public:
    // Listens on 127.0.0.1 at a port chosen by the system; serves nothing before Demarrer.
    FauxServeurPop3();
    // Stops the thread and closes every socket, whatever the script's progress.
    ~FauxServeurPop3();
    FauxServeurPop3(const FauxServeurPop3&) = delete;
    FauxServeurPop3& operator=(const FauxServeurPop3&) = delete;

    int Port() const { return port_; }

    // Behaves like the many servers that write a reply's status line and its block in two
    // writes, with Nagle's algorithm on: the block then waits for the client's acknowledgement.
    // Set before the script steps it should shape (Entete, Message).
    FauxServeurPop3& EnDeuxEcritures();
    // Every byte the server sends goes in a write of its own, so that the client meets every
    // possible boundary inside the replies.
    FauxServeurPop3& OctetParOctet();

    // --- Script steps, in order (only before Demarrer) ---
    // Lines "S: text" and "C: text" separated by LF ("S:" alone sends an empty line).
    FauxServeurPop3& Script(std::string_view lignes);
    // The server sends the line and CR LF.
    FauxServeurPop3& S(std::string ligne);
    // The client must send exactly this line (its CR LF removed).
    FauxServeurPop3& C(std::string ligne);
    // The server sends these bytes as they are.
    FauxServeurPop3& Brut(std::string octets);
    // The server sends these bytes one at a time, `pasMs` apart (a server that trickles); it
    // stops when the client closes.
    FauxServeurPop3& Goutte(std::string octets, int pasMs);
    // The server closes the connection (an orderly close). A later step other than
    // NouvelleConnexion waits for the next connection first.
    FauxServeurPop3& Fermer();
    // The server answers nothing more on this connection and waits for the client to close it.
    FauxServeurPop3& Silence();
    // The client must close the connection now.
    FauxServeurPop3& AttendreFermeture();
    // The next connection is accepted (the current one, if any, is closed first).
    FauxServeurPop3& NouvelleConnexion();

    // --- Usual exchanges ---
    FauxServeurPop3& Accueil(std::string texte = "+OK serveur de test pret");
    // Greeting, then USER and PASS both accepted.
    FauxServeurPop3& Connexion(const std::string& utilisateur, const std::string& motDePasse);
    FauxServeurPop3& Stat(int nombre, long long taille);
    // LIST: one line "n size" per message, then ".".
    FauxServeurPop3& Liste(const std::vector<long long>& tailles);
    // LIST n.
    FauxServeurPop3& TailleMessage(int n, long long taille);
    // TOP n 0: the header lines (dot-stuffed), the blank line, ".".
    FauxServeurPop3& Entete(int n, const std::vector<std::string>& lignes);
    // RETR n: the message lines (dot-stuffed), ".".
    FauxServeurPop3& Message(int n, const std::vector<std::string>& lignes);
    // DELE n.
    FauxServeurPop3& Suppression(int n);
    // QUIT answered, then the client closes.
    FauxServeurPop3& Quitter();

    // Starts serving the script.
    void Demarrer();
    // Waits until every step was played or the script broke off (the first difference closes the
    // connection and ends the script); true when played whole.
    bool AttendreFin(std::chrono::milliseconds max = std::chrono::seconds(30));
    bool ScriptJoue() const;
    // The differences from the script, in the order they were found.
    std::vector<std::string> Ecarts() const;
    // The lines received from the client, all connections together.
    std::vector<std::string> LignesRecues() const;
    int ConnexionsAcceptees() const;

private:
    enum class Genre { Envoi, Attente, Fermeture, Silence, FermetureClient, Connexion, Goutte };
    struct Etape {
        Genre genre;
        std::string donnees;
    };

    bool deuxEcritures_ = false;
    bool octetParOctet_ = false;
    int ecoute_ = -1;
    int port_ = 0;
    int reveil_[2] = {-1, -1};
    int conn_ = -1;
    std::string tampon_;  // bytes from the client not yet taken as lines
    std::vector<Etape> etapes_;
    std::thread fil_;

    mutable std::mutex m_;
    std::condition_variable cv_;
    bool fini_ = false;
    bool joue_ = false;
    std::vector<std::string> ecarts_;
    std::vector<std::string> recues_;
    int acceptees_ = 0;

    void Servir();
    void Ecart(std::string texte);
    bool Accepter();
    void FermerConnexion();
    void EnvoyerTout(std::string_view octets);
    // 1: a line, 0: the client closed, -1: the server is stopping.
    int LireLigne(std::string& ligne);
    // 0: the client closed, -1: stopping. Received bytes are dropped.
    int AttendreFinClient(bool donneesPermises, const std::string& contexte);
};

// Splits a text into lines at LF (a CR before the LF is removed).
std::vector<std::string> Lignes(std::string_view texte);

}  // namespace vaskor::test
