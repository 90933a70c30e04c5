#pragma once
// The byte stream under the POP3 client. The client knows only this interface, so that an
// encrypted stream can take the place of the plain TCP one without touching the conversation.
// Every wait is cut into short slices with a call of the caller's idle hook after each one,
// because the client runs on the window's thread and the window must keep answering.

#include "core/texte.h"

#include <cstddef>
#include <functional>
#include <memory>
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
    // Called after each slice of the wait (at most 125 ms each).
    std::function<void()> attente;
    // Before a name is resolved (never for a numeric address), with the host name.
    std::function<void(const Texte& hote)> avantResolution;
    // Before each connection attempt, with the numeric address tried.
    std::function<void(const Texte& adresse)> avantConnexion;
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
    // has closed the connection. Calls `attente` at least every 250 ms while nothing comes.
    // Throws Echec (GenreEchec::Autre): the socket error text, or "Le serveur ne répond plus."
    // when nothing came for `delaiMaxMs`.
    virtual std::size_t Recevoir(char* tampon, std::size_t taille, int delaiMaxMs,
                                 const std::function<void()>& attente) = 0;
    // Closes at once; nothing is sent. Harmless when already closed.
    virtual void Fermer() noexcept = 0;
    virtual bool EstOuvert() const = 0;
};

using FabriqueTransport = std::function<std::unique_ptr<Transport>()>;

}  // namespace vaskor
