#include "platform/base/transport_tcp.h"

#include "mail/echec.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vaskor {

namespace {

using Horloge = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The window gets its events processed between slices of every wait: a slow reply (a server
// opening a mailbox of tens of thousands of messages takes a few hundred milliseconds to answer
// the login) must not freeze it for longer than the eye notices.
constexpr int kTrancheConnexionMs = 50;
constexpr int kTrancheLectureMs = 50;

int MsRestantes(Horloge::time_point echeance)
{
    const auto r = std::chrono::duration_cast<milliseconds>(echeance - Horloge::now()).count();
    return r < 0 ? 0 : static_cast<int>(std::min<long long>(r, 1 << 30));
}

void Attendre(const std::function<void()>& attente)
{
    if (attente) attente();
}

// A resolution that outlives its caller when the delay runs out: the thread keeps the shared
// state alive and frees the result itself.
struct EtatResolution {
    std::mutex m;
    std::condition_variable cv;
    bool fini = false;
    int code = 0;
    int erreurSysteme = 0;
    addrinfo* resultat = nullptr;
    ~EtatResolution()
    {
        if (resultat) ::freeaddrinfo(resultat);
    }
};

Texte TexteErreurResolution(int code, int erreurSysteme)
{
    if (code == EAI_SYSTEM) return TexteErreurSocket(erreurSysteme);
    return "Socket Error # " + std::to_string(code) + "\r\n" + ::gai_strerror(code);
}

std::vector<sockaddr_storage> Adresses(const addrinfo* liste)
{
    std::vector<sockaddr_storage> v;
    for (const addrinfo* a = liste; a; a = a->ai_next) {
        if ((a->ai_family != AF_INET && a->ai_family != AF_INET6) || a->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        sockaddr_storage s{};
        std::memcpy(&s, a->ai_addr, a->ai_addrlen);
        v.push_back(s);
    }
    // IPv4 first: servers that listen on one address mostly listen there.
    std::stable_partition(v.begin(), v.end(), [](const sockaddr_storage& s) { return s.ss_family == AF_INET; });
    return v;
}

socklen_t TailleAdresse(const sockaddr_storage& s)
{
    return s.ss_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
}

Texte TexteAdresseNumerique(const sockaddr_storage& s)
{
    char hote[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&s), TailleAdresse(s), hote, sizeof hote, nullptr, 0,
                      NI_NUMERICHOST) != 0)
        return Texte();
    return hote;
}

class TransportTcp final : public Transport {
public:
    ~TransportTcp() override { Fermer(); }

    void Connecter(const ParametresConnexion& p) override
    {
        Fermer();
        const auto echeance = Horloge::now() + milliseconds(std::max(p.delaiMs, 0));
        if (p.port < 1 || p.port > 65535) throw Echec(GenreEchec::Autre, TexteErreurSocket(EINVAL));
        const std::string service = std::to_string(p.port);

        addrinfo indices{};
        indices.ai_family = AF_UNSPEC;
        indices.ai_socktype = SOCK_STREAM;
        indices.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
        addrinfo* numerique = nullptr;
        std::vector<sockaddr_storage> adresses;
        if (!p.hote.empty() && ::getaddrinfo(p.hote.c_str(), service.c_str(), &indices, &numerique) == 0) {
            adresses = Adresses(numerique);
            ::freeaddrinfo(numerique);
        } else {
            if (p.avantResolution) p.avantResolution(p.hote);
            adresses = Resoudre(p, service, echeance);
        }

        int derniere = EHOSTUNREACH;
        for (const sockaddr_storage& a : adresses) {
            if (p.avantConnexion) p.avantConnexion(TexteAdresseNumerique(a));
            derniere = Essayer(a, echeance, p.attente);
            if (derniere == 0) return;
        }
        throw Echec(GenreEchec::Autre, TexteErreurSocket(derniere));
    }

    void Envoyer(std::string_view octets, int delaiMaxMs, const std::function<void()>& attente) override
    {
        if (fd_ < 0) throw Echec(GenreEchec::Autre, TexteErreurSocket(ENOTCONN));
        auto dernierProgres = Horloge::now();
        while (!octets.empty()) {
            const ssize_t n = ::send(fd_, octets.data(), octets.size(), MSG_NOSIGNAL);
            if (n > 0) {
                octets.remove_prefix(static_cast<std::size_t>(n));
                dernierProgres = Horloge::now();
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) throw Echec(GenreEchec::Autre, TexteErreurSocket(errno));
            AttendrePret(POLLOUT, dernierProgres, delaiMaxMs, attente);
        }
    }

    std::size_t Recevoir(char* tampon, std::size_t taille, int delaiMaxMs,
                         const std::function<void()>& attente) override
    {
        if (fd_ < 0) throw Echec(GenreEchec::Autre, TexteErreurSocket(ENOTCONN));
        const auto debut = Horloge::now();
        for (;;) {
            // A slow server's reply comes in pieces, each a little before a slice would end: the
            // hook is due by the clock, not only after a slice of silence.
            if (attente && Horloge::now() - dernierAppel_ >= milliseconds(kTrancheLectureMs)) Appeler(attente);
            // Many servers write a reply's status line and its block in two writes, the second
            // held back by their Nagle until our acknowledgement comes; a delayed one costs them
            // about 40 ms per reply. The option does not stick, so it is set again before each read.
            const int un = 1;
            ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &un, sizeof un);
            const ssize_t n = ::recv(fd_, tampon, taille, 0);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) throw Echec(GenreEchec::Autre, TexteErreurSocket(errno));
            AttendrePret(POLLIN, debut, delaiMaxMs, attente);
        }
    }

    void Fermer() noexcept override
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    bool EstOuvert() const override { return fd_ >= 0; }
    int Descripteur() const { return fd_; }

private:
    int fd_ = -1;

    static std::vector<sockaddr_storage> Resoudre(const ParametresConnexion& p, const std::string& service,
                                                  Horloge::time_point echeance)
    {
        auto etat = std::make_shared<EtatResolution>();
        try {
            std::thread([etat, hote = p.hote, service] {
                addrinfo indices{};
                indices.ai_family = AF_UNSPEC;
                indices.ai_socktype = SOCK_STREAM;
                indices.ai_flags = AI_NUMERICSERV;
                addrinfo* r = nullptr;
                const int code = ::getaddrinfo(hote.c_str(), service.c_str(), &indices, &r);
                const int err = errno;
                std::lock_guard<std::mutex> verrou(etat->m);
                etat->code = code;
                etat->erreurSysteme = err;
                etat->resultat = r;
                etat->fini = true;
                etat->cv.notify_all();
            }).detach();
        } catch (const std::system_error& e) {
            throw Echec(GenreEchec::Autre, TexteErreurSocket(e.code().value()));
        }
        for (;;) {
            {
                std::unique_lock<std::mutex> verrou(etat->m);
                const int reste = MsRestantes(echeance);
                etat->cv.wait_for(verrou, milliseconds(std::min(reste, kTrancheConnexionMs)),
                                  [&] { return etat->fini; });
                if (etat->fini) {
                    if (etat->code != 0) throw Echec(GenreEchec::Autre, TexteErreurResolution(etat->code, etat->erreurSysteme));
                    return Adresses(etat->resultat);
                }
                if (reste == 0) throw Echec(GenreEchec::DelaiConnexion, kTexteDelaiConnexion);
            }
            Attendre(p.attente);
        }
    }

    // 0 when connected (the socket is kept), else the error number.
    int Essayer(const sockaddr_storage& a, Horloge::time_point echeance, const std::function<void()>& attente)
    {
        const int fd = ::socket(a.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return errno;
        int r = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), TailleAdresse(a));
        if (r < 0 && errno != EINPROGRESS && errno != EINTR) {
            const int e = errno;
            ::close(fd);
            return e;
        }
        while (r < 0) {
            const int reste = MsRestantes(echeance);
            if (reste == 0) {
                ::close(fd);
                throw Echec(GenreEchec::DelaiConnexion, kTexteDelaiConnexion);
            }
            pollfd pf{fd, POLLOUT, 0};
            const int n = ::poll(&pf, 1, std::min(reste, kTrancheConnexionMs));
            if (n < 0 && errno != EINTR) {
                const int e = errno;
                ::close(fd);
                return e;
            }
            if (n > 0) {
                int err = 0;
                socklen_t l = sizeof err;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &l) < 0) err = errno;
                if (err != 0) {
                    ::close(fd);
                    return err;
                }
                r = 0;
                break;
            }
            Attendre(attente);
        }
        // Commands go out as one write each and wait for their reply: nothing to gain by delaying.
        const int un = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &un, sizeof un);
        fd_ = fd;
        return 0;
    }

    // Waits one slice for the socket to be ready; fails once nothing happened since `depuis`
    // for `delaiMaxMs` (no bound when it is 0 or less).
    void AttendrePret(short evenement, Horloge::time_point depuis, int delaiMaxMs,
                      const std::function<void()>& attente)
    {
        // The slice ends when the hook is due, however long ago bytes last came.
        const auto depuisAppel = std::chrono::duration_cast<milliseconds>(Horloge::now() - dernierAppel_).count();
        int tranche = static_cast<int>(std::clamp<long long>(kTrancheLectureMs - depuisAppel, 1, kTrancheLectureMs));
        if (delaiMaxMs > 0) {
            const int reste = MsRestantes(depuis + milliseconds(delaiMaxMs));
            if (reste == 0) throw Echec(GenreEchec::Autre, kTexteServeurMuet);
            tranche = std::min(tranche, reste);
        }
        pollfd pf{fd_, evenement, 0};
        const int n = ::poll(&pf, 1, tranche);
        if (n < 0 && errno != EINTR) throw Echec(GenreEchec::Autre, TexteErreurSocket(errno));
        if (n == 0) Appeler(attente);
    }

    void Appeler(const std::function<void()>& attente)
    {
        dernierAppel_ = Horloge::now();
        Attendre(attente);
    }
    Horloge::time_point dernierAppel_{};
};

}  // namespace

Texte TexteErreurSocket(int erreur)
{
    return "Socket Error # " + std::to_string(erreur) + "\r\n" + std::strerror(erreur);
}

std::unique_ptr<Transport> CreerTransportTcp() { return std::make_unique<TransportTcp>(); }

int DescripteurTcp(const Transport& t)
{
    const auto* tcp = dynamic_cast<const TransportTcp*>(&t);
    return tcp ? tcp->Descripteur() : -1;
}

}  // namespace vaskor
