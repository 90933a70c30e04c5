#include "support/faux_serveur_pop3.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vaskor::test {

namespace {

std::string Apercu(std::string_view s)
{
    // Long lines (the line-length tests) would drown the report.
    if (s.size() <= 120) return std::string(s);
    return std::string(s.substr(0, 100)) + "... (" + std::to_string(s.size()) + " octets)";
}

std::string Bourrer(const std::string& ligne)
{
    // A line that starts with "." is sent with one more, so that it cannot end the listing.
    return !ligne.empty() && ligne[0] == '.' ? "." + ligne : ligne;
}

}  // namespace

std::vector<std::string> Lignes(std::string_view texte)
{
    std::vector<std::string> v;
    while (!texte.empty()) {
        const auto lf = texte.find('\n');
        std::string_view l = texte.substr(0, lf);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        v.emplace_back(l);
        if (lf == std::string_view::npos) break;
        texte.remove_prefix(lf + 1);
    }
    return v;
}

FauxServeurPop3::FauxServeurPop3()
{
    ecoute_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (ecoute_ < 0) throw std::runtime_error("socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t l = sizeof a;
    if (::bind(ecoute_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0 || ::listen(ecoute_, 16) < 0 ||
        ::getsockname(ecoute_, reinterpret_cast<sockaddr*>(&a), &l) < 0)
        throw std::runtime_error(std::string("fake server: ") + std::strerror(errno));
    port_ = ntohs(a.sin_port);
    if (::pipe2(reveil_, O_CLOEXEC) < 0) throw std::runtime_error("pipe failed");
}

FauxServeurPop3::~FauxServeurPop3()
{
    // The pipe stays readable from now on, so every wait of the thread ends.
    const char c = 0;
    [[maybe_unused]] const auto n = ::write(reveil_[1], &c, 1);
    if (fil_.joinable()) fil_.join();
    if (conn_ >= 0) ::close(conn_);
    ::close(ecoute_);
    ::close(reveil_[0]);
    ::close(reveil_[1]);
}

FauxServeurPop3& FauxServeurPop3::Script(std::string_view lignes)
{
    for (const std::string& l : Lignes(lignes)) {
        if (l.rfind("S:", 0) == 0) {
            S(l.size() > 2 && l[2] == ' ' ? l.substr(3) : l.substr(2));
        } else if (l.rfind("C:", 0) == 0) {
            C(l.size() > 2 && l[2] == ' ' ? l.substr(3) : l.substr(2));
        } else if (!l.empty()) {
            throw std::invalid_argument("script line neither S: nor C: " + l);
        }
    }
    return *this;
}

FauxServeurPop3& FauxServeurPop3::S(std::string ligne)
{
    etapes_.push_back({Genre::Envoi, std::move(ligne) + "\r\n"});
    return *this;
}
FauxServeurPop3& FauxServeurPop3::C(std::string ligne)
{
    etapes_.push_back({Genre::Attente, std::move(ligne)});
    return *this;
}
FauxServeurPop3& FauxServeurPop3::Brut(std::string octets)
{
    etapes_.push_back({Genre::Envoi, std::move(octets)});
    return *this;
}
FauxServeurPop3& FauxServeurPop3::Goutte(std::string octets, int pasMs)
{
    etapes_.push_back({Genre::Goutte, std::to_string(pasMs) + ":" + octets});
    return *this;
}
FauxServeurPop3& FauxServeurPop3::Fermer()
{
    etapes_.push_back({Genre::Fermeture, {}});
    return *this;
}
FauxServeurPop3& FauxServeurPop3::Silence()
{
    etapes_.push_back({Genre::Silence, {}});
    return *this;
}
FauxServeurPop3& FauxServeurPop3::AttendreFermeture()
{
    etapes_.push_back({Genre::FermetureClient, {}});
    return *this;
}
FauxServeurPop3& FauxServeurPop3::NouvelleConnexion()
{
    etapes_.push_back({Genre::Connexion, {}});
    return *this;
}

FauxServeurPop3& FauxServeurPop3::Accueil(std::string texte) { return S(std::move(texte)); }

FauxServeurPop3& FauxServeurPop3::Connexion(const std::string& utilisateur, const std::string& motDePasse)
{
    return Accueil().C("USER " + utilisateur).S("+OK").C("PASS " + motDePasse).S("+OK connecte");
}

FauxServeurPop3& FauxServeurPop3::Stat(int nombre, long long taille)
{
    return C("STAT").S("+OK " + std::to_string(nombre) + " " + std::to_string(taille));
}

FauxServeurPop3& FauxServeurPop3::Liste(const std::vector<long long>& tailles)
{
    long long total = 0;
    std::string r;
    for (std::size_t i = 0; i < tailles.size(); ++i) {
        total += tailles[i];
        r += std::to_string(i + 1) + " " + std::to_string(tailles[i]) + "\r\n";
    }
    C("LIST").S("+OK " + std::to_string(tailles.size()) + " messages (" + std::to_string(total) + " octets)");
    return Brut(r + ".\r\n");
}

FauxServeurPop3& FauxServeurPop3::TailleMessage(int n, long long taille)
{
    return C("LIST " + std::to_string(n)).S("+OK " + std::to_string(n) + " " + std::to_string(taille));
}

FauxServeurPop3& FauxServeurPop3::EnDeuxEcritures()
{
    deuxEcritures_ = true;
    return *this;
}

FauxServeurPop3& FauxServeurPop3::OctetParOctet()
{
    octetParOctet_ = true;
    return *this;
}

FauxServeurPop3& FauxServeurPop3::Entete(int n, const std::vector<std::string>& lignes)
{
    std::string r;
    for (const auto& l : lignes) r += Bourrer(l) + "\r\n";
    C("TOP " + std::to_string(n) + " 0");
    if (deuxEcritures_) return S("+OK").Brut(r + "\r\n.\r\n");
    return Brut("+OK\r\n" + r + "\r\n.\r\n");
}

FauxServeurPop3& FauxServeurPop3::Message(int n, const std::vector<std::string>& lignes)
{
    std::string r;
    for (const auto& l : lignes) r += Bourrer(l) + "\r\n";
    C("RETR " + std::to_string(n));
    if (deuxEcritures_) return S("+OK message suit").Brut(r + ".\r\n");
    return Brut("+OK message suit\r\n" + r + ".\r\n");
}

FauxServeurPop3& FauxServeurPop3::Suppression(int n)
{
    return C("DELE " + std::to_string(n)).S("+OK message " + std::to_string(n) + " supprime");
}

FauxServeurPop3& FauxServeurPop3::Quitter() { return C("QUIT").S("+OK au revoir").AttendreFermeture(); }

void FauxServeurPop3::Demarrer()
{
    if (!fil_.joinable()) fil_ = std::thread([this] { Servir(); });
}

bool FauxServeurPop3::AttendreFin(std::chrono::milliseconds max)
{
    std::unique_lock<std::mutex> v(m_);
    if (!cv_.wait_for(v, max, [this] { return fini_; }))
        ecarts_.push_back("le script n'a pas fini dans le temps donne");
    return joue_;
}

bool FauxServeurPop3::ScriptJoue() const
{
    std::lock_guard<std::mutex> v(m_);
    return joue_;
}

std::vector<std::string> FauxServeurPop3::Ecarts() const
{
    std::lock_guard<std::mutex> v(m_);
    return ecarts_;
}

std::vector<std::string> FauxServeurPop3::LignesRecues() const
{
    std::lock_guard<std::mutex> v(m_);
    return recues_;
}

int FauxServeurPop3::ConnexionsAcceptees() const
{
    std::lock_guard<std::mutex> v(m_);
    return acceptees_;
}

void FauxServeurPop3::Ecart(std::string texte)
{
    std::lock_guard<std::mutex> v(m_);
    ecarts_.push_back(std::move(texte));
}

bool FauxServeurPop3::Accepter()
{
    pollfd pf[2] = {{ecoute_, POLLIN, 0}, {reveil_[0], POLLIN, 0}};
    for (;;) {
        if (::poll(pf, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (pf[1].revents) return false;
        const int c = ::accept4(ecoute_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (c < 0) continue;
        const int un = 1;
        if (!deuxEcritures_) ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &un, sizeof un);
        conn_ = c;
        tampon_.clear();
        std::lock_guard<std::mutex> v(m_);
        ++acceptees_;
        return true;
    }
}

void FauxServeurPop3::FermerConnexion()
{
    if (conn_ < 0) return;
    // Unread bytes would turn the close into a reset; the client must see an orderly end.
    char poubelle[4096];
    while (::recv(conn_, poubelle, sizeof poubelle, MSG_DONTWAIT) > 0) {
    }
    ::shutdown(conn_, SHUT_WR);
    ::close(conn_);
    conn_ = -1;
}

void FauxServeurPop3::EnvoyerTout(std::string_view octets)
{
    while (!octets.empty() && conn_ >= 0) {
        const ssize_t n = ::send(conn_, octets.data(), octetParOctet_ ? 1 : octets.size(), MSG_NOSIGNAL);
        if (n > 0) {
            octets.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // The client may have gone (after QUIT it does not read the answer): nothing to report.
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return;
        pollfd pf[2] = {{conn_, POLLOUT, 0}, {reveil_[0], POLLIN, 0}};
        if (::poll(pf, 2, -1) < 0 && errno != EINTR) return;
        if (pf[1].revents) return;
    }
}

int FauxServeurPop3::LireLigne(std::string& ligne)
{
    for (;;) {
        const auto lf = tampon_.find('\n');
        if (lf != std::string::npos) {
            ligne.assign(tampon_, 0, lf);
            tampon_.erase(0, lf + 1);
            if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
            std::lock_guard<std::mutex> v(m_);
            recues_.push_back(ligne);
            return 1;
        }
        pollfd pf[2] = {{conn_, POLLIN, 0}, {reveil_[0], POLLIN, 0}};
        if (::poll(pf, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (pf[1].revents) return -1;
        char t[8192];
        const ssize_t n = ::recv(conn_, t, sizeof t, 0);
        if (n > 0) {
            tampon_.append(t, static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR && errno != EWOULDBLOCK)) {
            return 0;
        }
    }
}

int FauxServeurPop3::AttendreFinClient(bool donneesPermises, const std::string& contexte)
{
    bool signale = false;
    auto inattendu = [&](std::string_view octets) {
        if (donneesPermises || signale || octets.empty()) return;
        signale = true;
        Ecart(contexte + ": le client a envoye \"" + Apercu(octets) + "\" au lieu de fermer la connexion");
    };
    inattendu(tampon_);
    tampon_.clear();
    for (;;) {
        pollfd pf[2] = {{conn_, POLLIN, 0}, {reveil_[0], POLLIN, 0}};
        if (::poll(pf, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (pf[1].revents) return -1;
        char t[8192];
        const ssize_t n = ::recv(conn_, t, sizeof t, 0);
        if (n > 0) {
            inattendu(std::string_view(t, static_cast<std::size_t>(n)));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR && errno != EWOULDBLOCK)) {
            ::close(conn_);
            conn_ = -1;
            return 0;
        }
    }
}

void FauxServeurPop3::Servir()
{
    bool arrete = false, rompu = false;
    for (std::size_t i = 0; i < etapes_.size() && !arrete && !rompu; ++i) {
        const Etape& e = etapes_[i];
        const std::string ou = "etape " + std::to_string(i + 1);
        if (e.genre == Genre::Connexion) {
            FermerConnexion();
            arrete = !Accepter();
            continue;
        }
        // A step after a closing is played on the next connection.
        if (conn_ < 0 && !Accepter()) {
            arrete = true;
            break;
        }
        switch (e.genre) {
        case Genre::Envoi:
            EnvoyerTout(e.donnees);
            break;
        case Genre::Attente: {
            std::string l;
            int r = LireLigne(l);
            // A script that does not expect CAPA plays a server that does not know it.
            while (r == 1 && l == "CAPA" && e.donnees != "CAPA") {
                {
                    std::lock_guard<std::mutex> v(m_);
                    recues_.pop_back();
                }
                EnvoyerTout("-ERR commande inconnue\r\n");
                r = LireLigne(l);
            }
            if (r < 0) {
                arrete = true;
            } else if (r == 0) {
                Ecart(ou + ": attendu \"" + e.donnees + "\", le client a ferme la connexion");
                rompu = true;
            } else if (l != e.donnees) {
                Ecart(ou + ": attendu \"" + e.donnees + "\", recu \"" + Apercu(l) + "\"");
                rompu = true;
            }
            break;
        }
        case Genre::Fermeture:
            FermerConnexion();
            break;
        case Genre::Silence:
            arrete = AttendreFinClient(true, ou) < 0;
            break;
        case Genre::FermetureClient:
            arrete = AttendreFinClient(false, ou) < 0;
            break;
        case Genre::Connexion:
            break;
        case Genre::Goutte: {
            const auto deuxPoints = e.donnees.find(':');
            const int pas = std::stoi(e.donnees.substr(0, deuxPoints));
            for (std::size_t k = deuxPoints + 1; k < e.donnees.size() && conn_ >= 0; ++k) {
                // The pause is the behaviour under test; the wake-up pipe still ends it at once.
                pollfd pf[2] = {{conn_, POLLIN, 0}, {reveil_[0], POLLIN, 0}};
                if (::poll(pf, 2, pas) < 0 && errno != EINTR) break;
                if (pf[1].revents) {
                    arrete = true;
                    break;
                }
                char c = 0;
                if (pf[0].revents && ::recv(conn_, &c, 1, MSG_PEEK | MSG_DONTWAIT) == 0) break;
                if (::send(conn_, e.donnees.data() + k, 1, MSG_NOSIGNAL) < 0) break;
            }
            break;
        }
        }
    }
    {
        std::lock_guard<std::mutex> v(m_);
        joue_ = !arrete && !rompu;
        fini_ = true;
    }
    cv_.notify_all();
    if (rompu) {
        FermerConnexion();
        return;
    }
    // Whatever the client sends after the script is a difference too.
    std::string l;
    while (!arrete && conn_ >= 0) {
        const int r = LireLigne(l);
        if (r <= 0) break;
        Ecart("apres le script: recu \"" + Apercu(l) + "\"");
    }
}

}  // namespace vaskor::test
