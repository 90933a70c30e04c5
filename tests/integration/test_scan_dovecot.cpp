// vaskor-cli scan against a real Dovecot started by scripts/dovecot-lab.sh (see CMakeLists.txt).
// What the server says is read here over a socket of our own, independently of Vaskor's client;
// what the headers should decode to comes from the generator's expectation file.

#include "support/outils.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <strings.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace vaskor::test;

namespace {

std::map<std::string, std::string> LireEnvLab()
{
    std::map<std::string, std::string> v;
    const char* chemin = std::getenv("VASKOR_DOVECOT_ENV");
    if (!chemin) return v;
    std::ifstream f(chemin);
    std::string ligne;
    while (std::getline(f, ligne)) {
        const auto egal = ligne.find('=');
        if (egal != std::string::npos) v[ligne.substr(0, egal)] = ligne.substr(egal + 1);
    }
    return v;
}

std::vector<std::string> Decouper(const std::string& s, char sep)
{
    std::vector<std::string> champs;
    std::string::size_type debut = 0;
    for (;;) {
        const auto fin = s.find(sep, debut);
        champs.push_back(s.substr(debut, fin == std::string::npos ? std::string::npos : fin - debut));
        if (fin == std::string::npos) return champs;
        debut = fin + 1;
    }
}

std::vector<std::string> Lignes(const std::string& texte)
{
    std::vector<std::string> l;
    std::istringstream in(texte);
    std::string ligne;
    while (std::getline(in, ligne)) {
        if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
        l.push_back(ligne);
    }
    return l;
}

// A minimal POP3 conversation over a blocking socket: enough to learn what the server lists,
// without going through the client under test.
class ClientBrut {
public:
    ClientBrut(const std::string& hote, int port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval delai{30, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &delai, sizeof delai);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        ::inet_pton(AF_INET, hote.c_str(), &a.sin_addr);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~ClientBrut()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Connecte() const { return fd_ >= 0; }

    std::string Ligne()
    {
        for (;;) {
            const auto fin = tampon_.find("\r\n");
            if (fin != std::string::npos) {
                std::string l = tampon_.substr(0, fin);
                tampon_.erase(0, fin + 2);
                return l;
            }
            char morceau[65536];
            const ssize_t n = ::recv(fd_, morceau, sizeof morceau, 0);
            if (n <= 0) return "<connexion perdue>";
            tampon_.append(morceau, size_t(n));
        }
    }
    std::string Commande(const std::string& c)
    {
        const std::string l = c + "\r\n";
        if (::send(fd_, l.data(), l.size(), MSG_NOSIGNAL) != ssize_t(l.size())) return "<envoi impossible>";
        return Ligne();
    }
    // The lines of a multi-line answer, dot-stuffing undone, up to the final ".".
    std::vector<std::string> Suite()
    {
        std::vector<std::string> l;
        for (std::string s = Ligne(); s != "."; s = Ligne()) {
            if (s == "<connexion perdue>") break;
            l.push_back(s.rfind("..", 0) == 0 ? s.substr(1) : s);
        }
        return l;
    }

private:
    int fd_ = -1;
    std::string tampon_;
};

struct VueServeur {
    long nombre = -1;
    long total = -1;
    std::vector<long> tailles;              // LIST n, from 1
    std::vector<std::string> identifiants;  // Message-Id of TOP n 0, from 1
};

VueServeur InterrogerServeur(const std::map<std::string, std::string>& lab, const std::string& user)
{
    VueServeur v;
    ClientBrut c(lab.at("DOVECOT_HOST"), std::stoi(lab.at("DOVECOT_PORT")));
    if (!c.Connecte()) return v;
    c.Ligne();
    c.Commande("USER " + user);
    if (c.Commande("PASS " + lab.at("DOVECOT_PASSWORD_" + user)).rfind("+OK", 0) != 0) return v;
    const auto stat = Decouper(c.Commande("STAT"), ' ');
    if (stat.size() < 3) return v;
    v.nombre = std::stol(stat[1]);
    v.total = std::stol(stat[2]);
    v.tailles.push_back(-1);
    v.identifiants.emplace_back();
    for (long n = 1; n <= v.nombre; ++n) {
        const auto liste = Decouper(c.Commande("LIST " + std::to_string(n)), ' ');
        v.tailles.push_back(liste.size() == 3 ? std::stol(liste[2]) : -1);
        c.Commande("TOP " + std::to_string(n) + " 0");
        std::string id;
        for (const auto& l : c.Suite())
            if (l.size() > 11 && strncasecmp(l.c_str(), "Message-ID:", 11) == 0) id = l.substr(12);
        v.identifiants.push_back(id);
    }
    c.Commande("QUIT");
    return v;
}

struct Attendu {
    long taille = 0;
    std::string de, sujet, date;
};

std::map<std::string, Attendu> LireAttendus(const std::string& chemin)
{
    std::map<std::string, Attendu> a;
    for (const auto& l : Lignes(LireTout(chemin))) {
        if (l.empty() || l[0] == '#') continue;
        const auto c = Decouper(l, '\t');
        if (c.size() == 5) a[c[0]] = Attendu{std::stol(c[1]), c[2], c[3], c[4]};
    }
    return a;
}

class ScanDovecot : public ::testing::Test {
protected:
    void SetUp() override
    {
        lab_ = LireEnvLab();
        if (lab_.empty()) GTEST_SKIP() << "no Dovecot lab here (dovecot_demarrer was skipped or did not run)";
        // Dates print in local time; the expectations are in UTC.
        ::setenv("TZ", "UTC", 1);
    }

    void Remplir(const std::string& user, int nombre, int graine, const std::string& options = {})
    {
        const std::string cmd = "bash '" + std::string(VASKOR_SOURCE_DIR) + "/scripts/dovecot-lab.sh' remplir '" +
                                lab_.at("DOVECOT_LAB") + "' " + user + " " + std::to_string(nombre) + " " +
                                std::to_string(graine) + " " + options;
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    void Vider(const std::string& user)
    {
        const std::string cmd = "bash '" + std::string(VASKOR_SOURCE_DIR) + "/scripts/dovecot-lab.sh' vider '" +
                                lab_.at("DOVECOT_LAB") + "' " + user;
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    int Scan(const std::string& user, const std::string& motDePasse, std::string& sortie, std::string& erreurs)
    {
        return LancerCli("scan --host " + lab_.at("DOVECOT_HOST") + " --port " + lab_.at("DOVECOT_PORT") +
                             " --user " + user,
                         motDePasse + "\n", sortie, &erreurs);
    }

    std::map<std::string, std::string> lab_;
};

TEST_F(ScanDovecot, SeveralHundredMessagesGiveTheServersCountAndSizesAndEveryHeaderDecoded)
{
    const int nombre = 400;
    Remplir("anne", nombre, 2);
    const auto attendus = LireAttendus(lab_.at("DOVECOT_LAB") + "/attendu-anne.tsv");
    ASSERT_EQ(attendus.size(), size_t(nombre));
    const VueServeur serveur = InterrogerServeur(lab_, "anne");
    ASSERT_EQ(serveur.nombre, nombre);

    std::string sortie, erreurs;
    ASSERT_EQ(Scan("anne", lab_.at("DOVECOT_PASSWORD_anne"), sortie, erreurs), 0) << erreurs;
    const auto lignes = Lignes(sortie);
    ASSERT_EQ(lignes.size(), size_t(nombre) + 1) << erreurs;
    EXPECT_EQ(lignes[0], std::to_string(serveur.nombre) + "\t" + std::to_string(serveur.total));

    int ecarts = 0;
    for (long n = 1; n <= nombre && ecarts < 20; ++n) {
        const auto c = Decouper(lignes[size_t(n)], '\t');
        const std::string& id = serveur.identifiants[size_t(n)];
        SCOPED_TRACE("message " + std::to_string(n) + " " + id);
        const auto a = attendus.find(id);
        ASSERT_NE(a, attendus.end()) << "the server's Message-Id is not among the generated ones";
        ASSERT_EQ(c.size(), 5u) << lignes[size_t(n)];
        const bool bon = c[0] == std::to_string(n) && c[1] == std::to_string(serveur.tailles[size_t(n)]) &&
                         c[1] == std::to_string(a->second.taille) && c[2] == a->second.de &&
                         c[3] == a->second.sujet && c[4] == a->second.date;
        if (!bon) {
            ++ecarts;
            EXPECT_EQ(c[0], std::to_string(n));
            EXPECT_EQ(c[1], std::to_string(serveur.tailles[size_t(n)])) << "size listed by the server";
            EXPECT_EQ(c[1], std::to_string(a->second.taille)) << "size of the generated file with CRLF";
            EXPECT_EQ(c[2], a->second.de);
            EXPECT_EQ(c[3], a->second.sujet);
            EXPECT_EQ(c[4], a->second.date);
        }
    }
}

TEST_F(ScanDovecot, AnEmptyMailboxGivesZeroMessagesOfZeroBytes)
{
    Vider("bruno");
    std::string sortie, erreurs;
    ASSERT_EQ(Scan("bruno", lab_.at("DOVECOT_PASSWORD_bruno"), sortie, erreurs), 0) << erreurs;
    EXPECT_EQ(Lignes(sortie), std::vector<std::string>{"0\t0"});
}

TEST_F(ScanDovecot, AnUnreadableHeaderBlockEndsTheScanWithStatusOneAndTheParseFailure)
{
    Remplir("david", 5, 3, "--unreadable 3");
    std::string sortie, erreurs;
    EXPECT_EQ(Scan("david", lab_.at("DOVECOT_PASSWORD_david"), sortie, erreurs), 1);
    EXPECT_NE(erreurs.find("@ Outside address"), std::string::npos) << erreurs;
    // Whatever was printed before the failure belongs to the messages before it.
    for (const auto& l : Lignes(sortie)) EXPECT_NE(l.rfind("3\t", 0), 0u) << sortie;
}

TEST_F(ScanDovecot, ARefusedPasswordEndsWithStatusOneAndTheServersText)
{
    std::string sortie, erreurs;
    EXPECT_EQ(Scan("chloe", "not-her-password", sortie, erreurs), 1);
    EXPECT_EQ(sortie, "");
    EXPECT_NE(erreurs.find("[AUTH] Authentication failed."), std::string::npos) << erreurs;
}

}  // namespace
