#include "support/serveur_tls.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>

namespace vaskor::test {

namespace {

std::string EnPem(X509* x)
{
    BIO* b = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(b, x);
    char* p = nullptr;
    const long n = BIO_get_mem_data(b, &p);
    std::string s(p, static_cast<std::size_t>(n));
    BIO_free(b);
    return s;
}

std::string EnPem(EVP_PKEY* k)
{
    BIO* b = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(b, k, nullptr, nullptr, 0, nullptr, nullptr);
    char* p = nullptr;
    const long n = BIO_get_mem_data(b, &p);
    std::string s(p, static_cast<std::size_t>(n));
    BIO_free(b);
    return s;
}

X509* LireCertificat(const std::string& pem)
{
    BIO* b = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* x = PEM_read_bio_X509(b, nullptr, nullptr, nullptr);
    BIO_free(b);
    return x;
}

EVP_PKEY* LireCle(const std::string& pem)
{
    BIO* b = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    EVP_PKEY* k = PEM_read_bio_PrivateKey(b, nullptr, nullptr, nullptr);
    BIO_free(b);
    return k;
}

void Extension(X509* x, X509* emetteur, int nid, const std::string& valeur)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, emetteur, x, nullptr, nullptr, 0);
    X509_EXTENSION* e = X509V3_EXT_conf_nid(nullptr, &ctx, nid, valeur.c_str());
    if (!e) throw std::runtime_error("extension " + valeur);
    X509_add_ext(x, e, -1);
    X509_EXTENSION_free(e);
}

X509* NouveauCertificat(EVP_PKEY* cle, const std::string& cn, int debutJours, int finJours)
{
    X509* x = X509_new();
    X509_set_version(x, 2);
    unsigned char serie[8];
    RAND_bytes(serie, sizeof serie);
    serie[0] &= 0x7F;
    BIGNUM* bn = BN_bin2bn(serie, sizeof serie, nullptr);
    BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(x));
    BN_free(bn);
    X509_gmtime_adj(X509_getm_notBefore(x), long(debutJours) * 86400);
    X509_gmtime_adj(X509_getm_notAfter(x), long(finJours) * 86400);
    X509_set_pubkey(x, cle);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(x), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(cn.c_str()), -1, -1, 0);
    return x;
}

}  // namespace

AutoriteEssai::AutoriteEssai()
{
    EVP_PKEY* cle = EVP_EC_gen("P-256");
    // Two authorities of one test must not share a name: the trusted one would be taken for the other.
    static std::atomic<int> numero{0};
    X509* x = NouveauCertificat(cle, "Autorite d'essai " + std::to_string(++numero), -1, 3);
    X509_set_issuer_name(x, X509_get_subject_name(x));
    Extension(x, x, NID_basic_constraints, "critical,CA:TRUE");
    Extension(x, x, NID_key_usage, "critical,keyCertSign,cRLSign");
    X509_sign(x, cle, EVP_sha256());
    pem_ = EnPem(x);
    cle_ = EnPem(cle);
    X509_free(x);
    EVP_PKEY_free(cle);
}

CertificatEssai AutoriteEssai::Signer(const std::vector<std::string>& noms, int debutJours, int finJours) const
{
    X509* ca = LireCertificat(pem_);
    EVP_PKEY* caCle = LireCle(cle_);
    EVP_PKEY* cle = EVP_EC_gen("P-256");
    X509* x = NouveauCertificat(cle, noms.empty() ? "serveur" : noms.front(), debutJours, finJours);
    X509_set_issuer_name(x, X509_get_subject_name(ca));
    std::string san;
    for (const std::string& n : noms) {
        unsigned char ip[16];
        const bool numerique = ::inet_pton(AF_INET, n.c_str(), ip) == 1 || ::inet_pton(AF_INET6, n.c_str(), ip) == 1;
        san += (san.empty() ? "" : ",") + std::string(numerique ? "IP:" : "DNS:") + n;
    }
    if (!san.empty()) Extension(x, ca, NID_subject_alt_name, san);
    Extension(x, ca, NID_basic_constraints, "CA:FALSE");
    Extension(x, ca, NID_ext_key_usage, "serverAuth");
    X509_sign(x, caCle, EVP_sha256());
    CertificatEssai c;
    c.certificatPem = EnPem(x);
    c.clePem = EnPem(cle);
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    X509_digest(x, EVP_sha256(), md, &n);
    c.empreinte.assign(reinterpret_cast<char*>(md), n);
    X509_free(x);
    X509_free(ca);
    EVP_PKEY_free(cle);
    EVP_PKEY_free(caCle);
    return c;
}

ServeurTlsEssai::ServeurTlsEssai(const CertificatEssai& certificat, bool stls)
{
    ecoute_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t l = sizeof a;
    if (::bind(ecoute_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(ecoute_, 4) != 0 ||
        ::getsockname(ecoute_, reinterpret_cast<sockaddr*>(&a), &l) != 0)
        throw std::runtime_error("listen");
    port_ = ntohs(a.sin_port);

    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    X509* x = LireCertificat(certificat.certificatPem);
    EVP_PKEY* k = LireCle(certificat.clePem);
    SSL_CTX_use_certificate(ctx, x);
    SSL_CTX_use_PrivateKey(ctx, k);
    X509_free(x);
    EVP_PKEY_free(k);

    fil_ = std::thread([this, ctx, stls] {
        // The server writes to clients that may have gone (a refused certificate, a QUIT not
        // waited for): SIGPIPE is held back on its threads only (the connections' threads inherit
        // the mask), so that one raised by the client under test still ends the test process.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        // Each connection gets its own thread: one a client dropped cannot hold up the next.
        std::vector<std::thread> connexions;
        while (!fin_) {
            pollfd p{ecoute_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int fd = ::accept(ecoute_, nullptr, nullptr);
            if (fd < 0) continue;
            connexions.emplace_back([this, ctx, stls, fd] { Servir(ctx, fd, stls); });
        }
        for (std::thread& t : connexions) t.join();
        SSL_CTX_free(ctx);
    });
}

void ServeurTlsEssai::Servir(ssl_ctx_st* ctx, int fd, bool stls)
{
    timeval delai{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &delai, sizeof delai);
    std::string tampon;
    auto lignePlate = [&](std::string& ligne) {
        char c;
        ligne.clear();
        while (::recv(fd, &c, 1, 0) == 1) {
            if (c == '\n') return true;
            if (c != '\r') ligne += c;
        }
        return false;
    };
    auto envoyerPlat = [&](const std::string& s) { (void)!::send(fd, s.data(), s.size(), MSG_NOSIGNAL); };
    bool ok = true;
    if (stls) {
        std::string l;
        envoyerPlat("+OK pret\r\n");
        ok = lignePlate(l) && l == "CAPA";
        if (ok) envoyerPlat("+OK\r\nUSER\r\nSTLS\r\n.\r\n");
        ok = ok && lignePlate(l) && l == "STLS";
        if (ok) envoyerPlat("+OK commencez\r\n");
    }
    SSL* ssl = SSL_new(ctx);
    SSL_set_fd(ssl, fd);
    if (ok && SSL_accept(ssl) == 1) {
        auto envoyer = [&](const std::string& s) { SSL_write(ssl, s.data(), static_cast<int>(s.size())); };
        if (!stls) envoyer("+OK pret\r\n");
        char b[512];
        int n;
        while ((n = SSL_read(ssl, b, sizeof b)) > 0) {
            tampon.append(b, static_cast<std::size_t>(n));
            std::size_t fin;
            bool quitte = false;
            while ((fin = tampon.find("\r\n")) != std::string::npos) {
                const std::string l = tampon.substr(0, fin);
                tampon.erase(0, fin + 2);
                {
                    std::lock_guard<std::mutex> verrou(m_);
                    recues_.push_back(l);
                }
                cv_.notify_all();
                if (l == "STAT") envoyer("+OK 0 0\r\n");
                else if (l == "LIST") envoyer("+OK\r\n.\r\n");
                else if (l == "QUIT") { envoyer("+OK\r\n"); quitte = true; }
                else envoyer("+OK\r\n");
            }
            if (quitte) break;
        }
    }
    SSL_free(ssl);
    ::close(fd);
}

ServeurTlsEssai::~ServeurTlsEssai()
{
    fin_ = true;
    if (fil_.joinable()) fil_.join();
    ::close(ecoute_);
}

std::vector<std::string> ServeurTlsEssai::Recues(std::size_t auMoins) const
{
    std::unique_lock<std::mutex> verrou(m_);
    cv_.wait_for(verrou, std::chrono::seconds(5), [&] { return recues_.size() >= auMoins; });
    return recues_;
}

}  // namespace vaskor::test
