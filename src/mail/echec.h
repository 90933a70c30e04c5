#pragma once
// Failures of the network work. Each carries the exact text the user will see; the operation
// that started the work catches it and decides what to show.

#include "core/texte.h"

#include <exception>
#include <string>

namespace vaskor {

enum class GenreEchec {
    DelaiConnexion,  // the TCP connection did not open in time: "Timed out connexion."
    ReponseErreur,   // a command that accepts only "+OK" received "-ERR"
    Autre,           // socket errors, closed connection, long line, unreadable header block...
};

class Echec : public std::exception {
public:
    Echec(GenreEchec genre, Texte message, int statut = 0)
        : genre_(genre), message_(std::move(message)), statut_(statut) {}
    GenreEchec Genre() const { return genre_; }
    // Code page 1252 text, as shown to the user.
    const Texte& Message() const { return message_; }
    // The reply's numeric status for a reply error (2 for "-ERR"), else 0.
    int Statut() const { return statut_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    GenreEchec genre_;
    Texte message_;
    int statut_;
};

}  // namespace vaskor
