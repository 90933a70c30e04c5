#pragma once
// The Dovecot lab that dovecot_demarrer starts for the integration tests (scripts/dovecot-lab.sh):
// its lab.env, refilling a user's mailbox between tests, and a bare POP3 client that asks the
// server directly, independently of Vaskor's own client.

#include <map>
#include <string>
#include <vector>

namespace vaskor::test {

class LabDovecot {
public:
    // Reads the file named by VASKOR_DOVECOT_ENV; Present() is false when there is none (the
    // lab could not start here: the tests skip).
    LabDovecot();
    bool Present() const { return !valeurs_.empty(); }

    // A key of lab.env ("DOVECOT_PORT", "DOVECOT_PASSWORD_anne"...); empty when absent.
    std::string Valeur(const std::string& cle) const;
    std::string Hote() const { return Valeur("DOVECOT_HOST"); }
    int Port() const;
    std::string MotDePasse(const std::string& user) const { return Valeur("DOVECOT_PASSWORD_" + user); }
    std::string Maildir(const std::string& user) const { return Valeur("DOVECOT_MAILDIR_" + user); }

    // Replaces the user's mailbox with `nombre` generated messages (options go to the
    // generator, for instance "--unreadable 3"); true when it worked. The expected decoding is
    // then in FichierAttendus(user).
    bool Remplir(const std::string& user, int nombre, int graine, const std::string& options = {}) const;
    bool Vider(const std::string& user) const;
    std::string FichierAttendus(const std::string& user) const;

    // "--host H --port P --user U" for vaskor-cli.
    std::string ArgumentsCompte(const std::string& user) const;

private:
    bool Script(const std::string& arguments) const;
    std::map<std::string, std::string> valeurs_;
};

// What the generator says `vaskor-cli scan` must print for one message (TZ=UTC).
struct MessageAttendu {
    long taille = 0;  // the size the server lists (CRLF line ends)
    std::string de, sujet, date;
};
// By Message-Id.
std::map<std::string, MessageAttendu> LireAttendus(const std::string& fichier);

// A blocking POP3 conversation with no interpretation beyond finding where answers end.
class ClientPop3Brut {
public:
    ClientPop3Brut(const std::string& hote, int port);
    ~ClientPop3Brut();
    ClientPop3Brut(const ClientPop3Brut&) = delete;
    ClientPop3Brut& operator=(const ClientPop3Brut&) = delete;

    bool Connecte() const { return fd_ >= 0; }
    // Reads the greeting, sends USER and PASS; true on "+OK".
    bool Connexion(const std::string& user, const std::string& motDePasse);
    std::string Ligne();                          // one line without CR LF
    std::string Commande(const std::string& c);   // sends c, returns the first answer line
    std::vector<std::string> Suite();             // the lines up to ".", dot-stuffing undone

private:
    int fd_ = -1;
    std::string tampon_;
};

// The server's own view of a mailbox, in one session: STAT, then LIST n and the Message-Id of
// TOP n 0 for every n (index 0 unused). nombre is -1 when the login failed.
struct VueServeur {
    long nombre = -1;
    long total = -1;
    std::vector<long> tailles;
    std::vector<std::string> identifiants;
};
VueServeur InterrogerServeur(const LabDovecot& lab, const std::string& user);

std::vector<std::string> DecouperChamps(const std::string& s, char separateur);
// The lines of a text, CR before LF removed.
std::vector<std::string> LignesDe(const std::string& texte);

}  // namespace vaskor::test
