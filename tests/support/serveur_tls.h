#pragma once
// Certificates made in the test process (an authority and the server certificates it signs) and
// a small POP3 server over TLS on 127.0.0.1, served by a thread: implicit TLS, or STLS offered
// in clear first. It accepts any login and reports an empty mailbox.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ssl_ctx_st;

namespace vaskor::test {

struct CertificatEssai {
    std::string certificatPem;
    std::string clePem;
    std::string empreinte;  // SHA-256 of the DER form, 32 raw bytes
};

class AutoriteEssai {
public:
    AutoriteEssai();
    // A server certificate for these names ("localhost", "127.0.0.1"...), valid from `debutJours`
    // to `finJours` days from now (negative: in the past).
    CertificatEssai Signer(const std::vector<std::string>& noms, int debutJours = -1, int finJours = 2) const;
    const std::string& Pem() const { return pem_; }

private:
    std::string pem_, cle_;
};

class ServeurTlsEssai {
public:
    ServeurTlsEssai(const CertificatEssai& certificat, bool stls = false);
    ~ServeurTlsEssai();
    int Port() const { return port_; }
    // The lines the client sent inside TLS, once there are at least `auMoins` of them (or after
    // five seconds): the server's thread may still be reading the last ones.
    std::vector<std::string> Recues(std::size_t auMoins = 0) const;

private:
    void Servir(ssl_ctx_st* ctx, int fd, bool stls);

    int ecoute_ = -1;
    int port_ = 0;
    std::atomic<bool> fin_{false};
    std::thread fil_;
    mutable std::mutex m_;
    mutable std::condition_variable cv_;
    std::vector<std::string> recues_;
};

}  // namespace vaskor::test
