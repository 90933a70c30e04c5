#include "platform/base/transport_tls.h"

#include "core/securite_compte.h"
#include "platform/base/transport_tcp.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace vaskor {

namespace {

using Horloge = std::chrono::steady_clock;
using std::chrono::milliseconds;

// As for the plain stream: the window processes its events between slices.
constexpr int kTrancheMs = 50;

int MsRestantes(Horloge::time_point echeance)
{
    const auto r = std::chrono::duration_cast<milliseconds>(echeance - Horloge::now()).count();
    return r < 0 ? 0 : static_cast<int>(std::min<long long>(r, 1 << 30));
}

// OpenSSL writes to the socket with write(), which raises SIGPIPE when the server has closed its
// end: left alone, the signal would end the whole program in the middle of a check. It is held
// back on this thread for one OpenSSL call, and one the call raised is taken off before the mask
// is restored. errno is kept for the caller's SSL_get_error.
class SansSigpipe {
public:
    SansSigpipe()
    {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t enAttente;
        sigpending(&enAttente);
        dejaEnAttente_ = sigismember(&enAttente, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &ancien_);
    }
    ~SansSigpipe()
    {
        const int erreur = errno;
        sigset_t enAttente;
        sigpending(&enAttente);
        if (!dejaEnAttente_ && sigismember(&enAttente, SIGPIPE) == 1) {
            const timespec zero{0, 0};
            while (sigtimedwait(&pipe_, nullptr, &zero) == -1 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &ancien_, nullptr);
        errno = erreur;
    }
    SansSigpipe(const SansSigpipe&) = delete;
    SansSigpipe& operator=(const SansSigpipe&) = delete;

private:
    sigset_t pipe_{};
    sigset_t ancien_{};
    bool dejaEnAttente_ = false;
};

// The last error of OpenSSL's queue, in its own words; the queue is emptied.
Texte TexteErreurSsl()
{
    unsigned long derniere = 0;
    while (const unsigned long e = ERR_get_error()) derniere = e;
    if (derniere == 0) return {};
    char tampon[256];
    ERR_error_string_n(derniere, tampon, sizeof tampon);
    return tampon;
}

Texte TexteNom(const X509_NAME* nom)
{
    if (!nom) return {};
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio) return {};
    X509_NAME_print_ex(bio, nom, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* p = nullptr;
    const long n = BIO_get_mem_data(bio, &p);
    Texte t = n > 0 ? Utf8VersCp1252(std::string_view(p, static_cast<std::size_t>(n))) : Texte();
    BIO_free(bio);
    return t;
}

Texte TexteDate(const ASN1_TIME* t)
{
    std::tm tm{};
    if (!t || ASN1_TIME_to_tm(t, &tm) != 1) return {};
    char tampon[40];
    std::snprintf(tampon, sizeof tampon, "%02d/%02d/%04d %02d:%02d UTC", tm.tm_mday, tm.tm_mon + 1,
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min);
    return tampon;
}

Texte RaisonRefus(long code, const Texte& hote)
{
    switch (code) {
    case X509_V_ERR_CERT_HAS_EXPIRED: return "le certificat a expiré"_cp;
    case X509_V_ERR_CERT_NOT_YET_VALID: return "le certificat n'est pas encore valable"_cp;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT: return "le certificat est auto-signé"_cp;
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE: return "l'autorité qui l'a signé est inconnue"_cp;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return "le certificat est établi pour un autre nom que "_cp + hote;
    case X509_V_ERR_CERT_REVOKED: return "le certificat a été révoqué"_cp;
    case X509_V_ERR_INVALID_PURPOSE: return "le certificat n'est pas celui d'un serveur"_cp;
    default: return X509_verify_cert_error_string(code);
    }
}

bool AdresseNumerique(const Texte& hote)
{
    unsigned char tampon[16];
    return ::inet_pton(AF_INET, hote.c_str(), tampon) == 1 || ::inet_pton(AF_INET6, hote.c_str(), tampon) == 1;
}

class TransportTls final : public Transport {
public:
    TransportTls() : tcp_(CreerTransportTcp()) {}
    ~TransportTls() override { Fermer(); }

    void Connecter(const ParametresConnexion& p) override
    {
        Fermer();
        tcp_->Connecter(p);
    }

    void DemarrerTls(const ParametresTls& p) override
    {
        try {
            Poignee(p);
            Verifier(p);
        } catch (...) {
            Fermer();
            throw;
        }
    }

    void Envoyer(std::string_view octets, int delaiMaxMs, const std::function<void()>& attente) override
    {
        if (!ssl_) return tcp_->Envoyer(octets, delaiMaxMs, attente);
        auto dernierProgres = Horloge::now();
        while (!octets.empty()) {
            ERR_clear_error();
            errno = 0;
            const int n = [&] {
                const SansSigpipe garde;
                return SSL_write(ssl_, octets.data(), static_cast<int>(std::min<std::size_t>(octets.size(), 1 << 20)));
            }();
            if (n > 0) {
                octets.remove_prefix(static_cast<std::size_t>(n));
                dernierProgres = Horloge::now();
                continue;
            }
            Attendre(n, dernierProgres, delaiMaxMs, -1, attente);
        }
    }

    std::size_t Recevoir(char* tampon, std::size_t taille, int delaiMaxMs,
                         const std::function<void()>& attente) override
    {
        if (!ssl_) return tcp_->Recevoir(tampon, taille, delaiMaxMs, attente);
        const auto debut = Horloge::now();
        for (;;) {
            // As in the plain stream: a reply that comes in pieces does not hold the hook back.
            if (attente && Horloge::now() - dernierAppel_ >= milliseconds(kTrancheMs)) {
                dernierAppel_ = Horloge::now();
                attente();
            }
            ERR_clear_error();
            errno = 0;
            const int n = [&] {
                const SansSigpipe garde;
                return SSL_read(ssl_, tampon, static_cast<int>(std::min<std::size_t>(taille, 1 << 20)));
            }();
            if (n > 0) return static_cast<std::size_t>(n);
            const int e = SSL_get_error(ssl_, n);
            // A server that closes after QUIT often skips the TLS closing message.
            if (e == SSL_ERROR_ZERO_RETURN || (e == SSL_ERROR_SYSCALL && ERR_peek_error() == 0 && errno == 0))
                return 0;
            Attendre(n, debut, delaiMaxMs, -1, attente);
        }
    }

    void Fermer() noexcept override
    {
        if (ssl_) SSL_free(ssl_);
        ssl_ = nullptr;
        if (ctx_) SSL_CTX_free(ctx_);
        ctx_ = nullptr;
        tcp_->Fermer();
    }

    bool EstOuvert() const override { return tcp_->EstOuvert(); }

private:
    std::unique_ptr<Transport> tcp_;
    SSL_CTX* ctx_ = nullptr;
    SSL* ssl_ = nullptr;

    [[noreturn]] static void EchecTls(const Texte& quoi)
    {
        const Texte detail = TexteErreurSsl();
        throw EchecSecurite("Erreur TLS : "_cp + quoi + (detail.empty() ? Texte(".") : " (" + detail + ")."));
    }

    void Poignee(const ParametresTls& p)
    {
        const int fd = DescripteurTcp(*tcp_);
        if (fd < 0) throw EchecSecurite("Non connecté."_cp);
        if (ssl_) throw EchecSecurite("La connexion est déjà chiffrée."_cp);
        ERR_clear_error();
        ctx_ = SSL_CTX_new(TLS_client_method());
        if (!ctx_) EchecTls("contexte impossible à créer");
        SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
        // The verdict is read once the handshake is over, so that a refused certificate can be
        // shown to the user; nothing of ours is sent before it was read.
        SSL_CTX_set_verify(ctx_, SSL_VERIFY_NONE, nullptr);
        if (SSL_CTX_set_default_verify_paths(ctx_) != 1) EchecTls("magasin de certificats illisible");
        ssl_ = SSL_new(ctx_);
        if (!ssl_ || SSL_set_fd(ssl_, fd) != 1) EchecTls("session impossible à créer");
        if (AdresseNumerique(p.hote)) {
            if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl_), p.hote.c_str()) != 1)
                EchecTls("adresse du serveur illisible");
        } else {
            // SNI and the name check take the name as typed; no certificate names a host with
            // bytes outside ASCII, which then simply does not match.
            if (SSL_set_tlsext_host_name(ssl_, p.hote.c_str()) != 1 || SSL_set1_host(ssl_, p.hote.c_str()) != 1)
                EchecTls("nom du serveur refusé");
        }
        const auto echeance = Horloge::now() + milliseconds(std::max(p.delaiMs, 0));
        silenceMs_ = 0;
        for (;;) {
            ERR_clear_error();
            errno = 0;
            const int r = [&] {
                const SansSigpipe garde;
                return SSL_connect(ssl_);
            }();
            if (r == 1) return;
            Attendre(r, Horloge::now(), p.delaiMaxMs, MsRestantes(echeance), p.attente, true);
        }
    }

    void Verifier(const ParametresTls& p)
    {
        X509* cert = SSL_get1_peer_certificate(ssl_);
        if (!cert) throw EchecSecurite("Erreur TLS : le serveur n'a présenté aucun certificat."_cp);
        const long code = SSL_get_verify_result(ssl_);
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        const bool empreinteOk = X509_digest(cert, EVP_sha256(), md, &n) == 1 && n == 32;
        const std::string empreinte = empreinteOk ? std::string(reinterpret_cast<char*>(md), n) : std::string();
        if (code == X509_V_OK || (!empreinte.empty() && empreinte == p.empreinteAcceptee)) {
            X509_free(cert);
            return;
        }
        CertificatServeur c;
        c.raison = RaisonRefus(code, p.hote);
        c.sujet = TexteNom(X509_get_subject_name(cert));
        c.emetteur = TexteNom(X509_get_issuer_name(cert));
        c.debutValidite = TexteDate(X509_get0_notBefore(cert));
        c.finValidite = TexteDate(X509_get0_notAfter(cert));
        c.empreinte = empreinte;
        X509_free(cert);
        Texte texte = "Certificat du serveur refusé : "_cp + c.raison + ".";
        if (!p.empreinteAcceptee.empty()) texte += " Ce n'est pas le certificat accepté pour ce compte."_cp;
        texte += "\r\nEmpreinte SHA-256 : " + TexteEmpreinte(c.empreinte);
        throw EchecCertificat(texte, c);
    }

    // After a TLS call that did not complete: waits one slice for the socket as OpenSSL asks,
    // or fails. `restantMs` bounds the handshake as a whole (-1: no such bound).
    void Attendre(int retour, Horloge::time_point depuis, int delaiMaxMs, int restantMs,
                  const std::function<void()>& attente, bool poignee = false)
    {
        const int e = SSL_get_error(ssl_, retour);
        short evenement = 0;
        if (e == SSL_ERROR_WANT_READ)
            evenement = POLLIN;
        else if (e == SSL_ERROR_WANT_WRITE)
            evenement = POLLOUT;
        else if (e == SSL_ERROR_SYSCALL && ERR_peek_error() == 0)
            throw Echec(GenreEchec::Autre, errno != 0 ? TexteErreurSocket(errno)
                                                      : Texte("Connexion fermée normalement."_cp));
        else if (e == SSL_ERROR_ZERO_RETURN)
            throw Echec(GenreEchec::Autre, "Connexion fermée normalement."_cp);
        else
            EchecTls(poignee ? "la négociation avec le serveur a échoué"_cp : "la connexion chiffrée est rompue"_cp);

        // The slice ends when the hook is due, however long ago bytes last came.
        const auto depuisAppel = std::chrono::duration_cast<milliseconds>(Horloge::now() - dernierAppel_).count();
        int tranche = static_cast<int>(std::clamp<long long>(kTrancheMs - depuisAppel, 1, kTrancheMs));
        if (restantMs == 0) throw Echec(GenreEchec::DelaiConnexion, kTexteDelaiConnexion);
        if (restantMs > 0) tranche = std::min(tranche, restantMs);
        // The handshake's silence is counted slice by slice: any byte restarts the count.
        if (delaiMaxMs > 0) {
            if (!poignee) {
                const int reste = MsRestantes(depuis + milliseconds(delaiMaxMs));
                if (reste == 0) throw Echec(GenreEchec::Autre, kTexteServeurMuet);
                tranche = std::min(tranche, reste);
            } else if (silenceMs_ >= delaiMaxMs) {
                throw Echec(GenreEchec::Autre, kTexteServeurMuet);
            }
        }
        pollfd pf{DescripteurTcp(*tcp_), evenement, 0};
        const auto avant = Horloge::now();
        const int n = ::poll(&pf, 1, tranche);
        if (n < 0 && errno != EINTR) throw Echec(GenreEchec::Autre, TexteErreurSocket(errno));
        if (n == 0) {
            silenceMs_ += static_cast<int>(std::chrono::duration_cast<milliseconds>(Horloge::now() - avant).count());
            dernierAppel_ = Horloge::now();
            if (attente) attente();
        } else {
            silenceMs_ = 0;
        }
    }
    int silenceMs_ = 0;
    Horloge::time_point dernierAppel_{};
};

}  // namespace

std::unique_ptr<Transport> CreerTransportTls() { return std::make_unique<TransportTls>(); }

}  // namespace vaskor
