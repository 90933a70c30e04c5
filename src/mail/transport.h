#pragma once
// The byte stream under the POP3 client. The client knows only this interface, so that an
// encrypted stream can take the place of the plain TCP one without touching the conversation.
// Every wait is cut into short slices with a call of the caller's idle hook after each one,
// because the client runs on the window's thread and the window must keep answering.

#include "core/texte.h"
#include "mail/echec.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vaskor {

// Code page 1252 texts of the transport's own failures.
inline constexpr char kTexteDelaiConnexion[] = "Timed out connexion.";
inline constexpr char kTexteServeurMuet[] = "Le serveur ne r\xE9pond plus.";

struct ParametresConnexion {
    Texte hote;
    int port = 110;
    // Resolution and connection together, in milliseconds.
    int delaiMs = 120000;
    // Called after each slice of the wait (at most 50 ms each).
    std::function<void()> attente;
    // Before a name is resolved (never for a numeric address), with the host name.
    std::function<void(const Texte& hote)> avantResolution;
    // Before each connection attempt, with the numeric address tried.
    std::function<void(const Texte& adresse)> avantConnexion;
};

struct ParametresTls {
    // The server's name as the user typed it: sent as SNI (not for a numeric address) and checked
    // against the certificate's names or addresses.
    Texte hote;
    // 32 raw bytes: the SHA-256 of a certificate the user trusted for this account; accepted
    // even when it cannot be verified. Empty: none.
    std::string empreinteAcceptee;
    // The whole handshake, in milliseconds ("Timed out connexion." past it).
    int delaiMs = 120000;
    // The longest silence of the server during the handshake ("Le serveur ne répond plus.").
    int delaiMaxMs = 60000;
    std::function<void()> attente;
};

// A certificate that failed its check, as shown to the user (code page 1252 texts).
struct CertificatServeur {
    Texte raison;     // "le certificat a expiré", "l'autorité qui l'a signé est inconnue"...
    Texte sujet;
    Texte emetteur;
    Texte debutValidite;  // "dd/mm/yyyy hh:nn UTC"
    Texte finValidite;
    std::string empreinte;  // SHA-256, 32 raw bytes
};

// A TLS failure (handshake refused, STLS not offered...): its text says what went wrong and is
// shown to the user.
class EchecSecurite : public Echec {
public:
    explicit EchecSecurite(Texte message) : Echec(GenreEchec::Autre, std::move(message)) {}
};

// The server's certificate could not be verified: the user decides whether to trust it.
class EchecCertificat : public EchecSecurite {
public:
    EchecCertificat(Texte message, CertificatServeur certificat)
        : EchecSecurite(std::move(message)), certificat_(std::move(certificat)) {}
    const CertificatServeur& Certificat() const { return certificat_; }

private:
    CertificatServeur certificat_;
};

class Transport {
public:
    virtual ~Transport() = default;

    // Resolves the host and connects. Throws Echec: GenreEchec::DelaiConnexion with
    // "Timed out connexion." when the delay ran out, GenreEchec::Autre with the socket error
    // text ("Socket Error # %d\r\n%s") when the name is unknown or the connection refused.
    virtual void Connecter(const ParametresConnexion& p) = 0;
    // Sends every byte. Throws Echec (GenreEchec::Autre) on a socket error, or when the peer
    // takes nothing for `delaiMaxMs`.
    virtual void Envoyer(std::string_view octets, int delaiMaxMs, const std::function<void()>& attente) = 0;
    // Waits for bytes and stores up to `taille` of them; returns their count, or 0 when the peer
    // has closed the connection. Calls `attente` at least every 50 ms while nothing comes.
    // Throws Echec (GenreEchec::Autre): the socket error text, or "Le serveur ne répond plus."
    // when nothing came for `delaiMaxMs`.
    virtual std::size_t Recevoir(char* tampon, std::size_t taille, int delaiMaxMs,
                                 const std::function<void()>& attente) = 0;
    // Closes at once; nothing is sent. Harmless when already closed.
    virtual void Fermer() noexcept = 0;
    virtual bool EstOuvert() const = 0;

    // Starts TLS on the open connection: the handshake, then the check of the certificate; every
    // later byte goes through it. Nothing of ours is sent before both succeeded. Throws
    // EchecCertificat when the certificate is not trusted (and is not the one the user trusted for
    // this account), EchecSecurite for any other TLS failure, and the waits' failures as
    // Connecter and Recevoir do. After a failure the connection is closed. A stream that cannot
    // encrypt throws EchecSecurite.
    virtual void DemarrerTls(const ParametresTls& p);
};

inline void Transport::DemarrerTls(const ParametresTls&)
{
    Fermer();
    throw EchecSecurite("Cette connexion ne sait pas chiffrer.");
}

using FabriqueTransport = std::function<std::unique_ptr<Transport>()>;

}  // namespace vaskor
