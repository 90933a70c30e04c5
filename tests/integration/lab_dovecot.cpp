#include "lab_dovecot.h"

#include "support/outils.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vaskor::test {

LabDovecot::LabDovecot()
{
    const char* chemin = std::getenv("VASKOR_DOVECOT_ENV");
    if (!chemin) return;
    std::ifstream f(chemin);
    std::string ligne;
    while (std::getline(f, ligne)) {
        const auto egal = ligne.find('=');
        if (egal != std::string::npos) valeurs_[ligne.substr(0, egal)] = ligne.substr(egal + 1);
    }
}

std::string LabDovecot::Valeur(const std::string& cle) const
{
    const auto it = valeurs_.find(cle);
    return it == valeurs_.end() ? std::string() : it->second;
}

int LabDovecot::Port() const
{
    return std::atoi(Valeur("DOVECOT_PORT").c_str());
}

bool LabDovecot::Script(const std::string& arguments) const
{
    const std::string cmd = "bash '" + std::string(VASKOR_SOURCE_DIR) + "/scripts/dovecot-lab.sh' " + arguments;
    return std::system(cmd.c_str()) == 0;
}

bool LabDovecot::Remplir(const std::string& user, int nombre, int graine, const std::string& options) const
{
    return Script("remplir '" + Valeur("DOVECOT_LAB") + "' " + user + " " + std::to_string(nombre) + " " +
                  std::to_string(graine) + " " + options);
}

bool LabDovecot::Vider(const std::string& user) const
{
    return Script("vider '" + Valeur("DOVECOT_LAB") + "' " + user);
}

std::string LabDovecot::FichierAttendus(const std::string& user) const
{
    return Valeur("DOVECOT_LAB") + "/attendu-" + user + ".tsv";
}

std::string LabDovecot::ArgumentsCompte(const std::string& user) const
{
    return "--host " + Hote() + " --port " + std::to_string(Port()) + " --user " + user;
}

std::vector<std::string> DecouperChamps(const std::string& s, char separateur)
{
    std::vector<std::string> champs;
    std::string::size_type debut = 0;
    for (;;) {
        const auto fin = s.find(separateur, debut);
        champs.push_back(s.substr(debut, fin == std::string::npos ? std::string::npos : fin - debut));
        if (fin == std::string::npos) return champs;
        debut = fin + 1;
    }
}

std::vector<std::string> LignesDe(const std::string& texte)
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

std::map<std::string, MessageAttendu> LireAttendus(const std::string& fichier)
{
    std::map<std::string, MessageAttendu> a;
    for (const auto& l : LignesDe(LireTout(fichier))) {
        if (l.empty() || l[0] == '#') continue;
        const auto c = DecouperChamps(l, '\t');
        if (c.size() == 5) a[c[0]] = MessageAttendu{std::atol(c[1].c_str()), c[2], c[3], c[4]};
    }
    return a;
}

ClientPop3Brut::ClientPop3Brut(const std::string& hote, int port)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ < 0) return;
    // A server that stops answering fails the test instead of hanging it.
    timeval delai{30, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &delai, sizeof delai);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    if (::inet_pton(AF_INET, hote.c_str(), &a.sin_addr) != 1 ||
        ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

ClientPop3Brut::~ClientPop3Brut()
{
    if (fd_ >= 0) ::close(fd_);
}

bool ClientPop3Brut::Connexion(const std::string& user, const std::string& motDePasse)
{
    if (Ligne().rfind("+OK", 0) != 0) return false;
    if (Commande("USER " + user).rfind("+OK", 0) != 0) return false;
    return Commande("PASS " + motDePasse).rfind("+OK", 0) == 0;
}

std::string ClientPop3Brut::Ligne()
{
    for (;;) {
        const auto fin = tampon_.find("\r\n");
        if (fin != std::string::npos) {
            std::string l = tampon_.substr(0, fin);
            tampon_.erase(0, fin + 2);
            return l;
        }
        char morceau[65536];
        const ssize_t n = fd_ < 0 ? -1 : ::recv(fd_, morceau, sizeof morceau, 0);
        if (n <= 0) return "<connexion perdue>";
        tampon_.append(morceau, size_t(n));
    }
}

std::string ClientPop3Brut::Commande(const std::string& c)
{
    const std::string l = c + "\r\n";
    if (fd_ < 0 || ::send(fd_, l.data(), l.size(), MSG_NOSIGNAL) != ssize_t(l.size())) return "<envoi impossible>";
    return Ligne();
}

std::vector<std::string> ClientPop3Brut::Suite()
{
    std::vector<std::string> l;
    for (std::string s = Ligne(); s != "."; s = Ligne()) {
        if (s == "<connexion perdue>") break;
        l.push_back(s.rfind("..", 0) == 0 ? s.substr(1) : s);
    }
    return l;
}

VueServeur InterrogerServeur(const LabDovecot& lab, const std::string& user)
{
    VueServeur v;
    ClientPop3Brut c(lab.Hote(), lab.Port());
    if (!c.Connecte() || !c.Connexion(user, lab.MotDePasse(user))) return v;
    const auto stat = DecouperChamps(c.Commande("STAT"), ' ');
    if (stat.size() < 3) return v;
    v.nombre = std::atol(stat[1].c_str());
    v.total = std::atol(stat[2].c_str());
    v.tailles.push_back(-1);
    v.identifiants.emplace_back();
    for (long n = 1; n <= v.nombre; ++n) {
        const auto liste = DecouperChamps(c.Commande("LIST " + std::to_string(n)), ' ');
        v.tailles.push_back(liste.size() == 3 ? std::atol(liste[2].c_str()) : -1);
        std::string id;
        if (c.Commande("TOP " + std::to_string(n) + " 0").rfind("+OK", 0) == 0)
            for (const auto& l : c.Suite())
                if (l.size() > 11 && ::strncasecmp(l.c_str(), "Message-ID:", 11) == 0)
                    id = l.substr(std::min(l.find_first_not_of(" \t", 11), l.size()));
        v.identifiants.push_back(id);
    }
    c.Commande("QUIT");
    return v;
}

}  // namespace vaskor::test
