#pragma once
// Line reading over a byte stream, apart from any socket so that it can be fed in any pieces.
// The bytes wait in one buffer with a read offset; the consumed part is dropped only when that
// moves no more bytes than it frees, so a reply costs time in proportion to its size whatever
// the pieces it arrives in.

#include "core/texte.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vaskor {

class LecteurLignes {
public:
    // A longer line (without its CR LF) fails the read.
    static constexpr std::size_t kLongueurMaxLigne = 16384;

    // Room for at least `n` more bytes; write into it, then call Valider with the count written.
    // The pointer and every line handed out before stay valid only until the next call.
    char* Reserver(std::size_t n);
    void Valider(std::size_t n);
    void Ajouter(std::string_view octets);
    // The peer closed the connection: nothing more will come.
    void SignalerFin() { fin_ = true; }
    bool FinSignalee() const { return fin_; }
    // Forgets every byte and the end mark (a new connection).
    void Vider();

    // Takes the next line: the bytes up to the first LF, without the LF and one CR before it.
    // Returns false when no full line is there yet. Throws Echec (GenreEchec::Autre) with
    // "Max line length exceeded." for a longer line, and with "Connexion fermée normalement."
    // when the peer has closed and no full line is left.
    bool LireLigne(std::string_view& ligne);

    std::size_t EnAttente() const { return fin_donnees_ - debut_; }
    // Running totals since the last Vider: bytes given to the reader, bytes taken as lines.
    std::uint64_t TotalRecu() const { return recu_; }
    std::uint64_t TotalConsomme() const { return recu_ - EnAttente(); }

private:
    std::vector<char> tampon_;
    std::size_t debut_ = 0;        // first byte not yet consumed
    std::size_t balayage_ = 0;     // no LF between debut_ and here
    std::size_t fin_donnees_ = 0;  // end of the received bytes
    std::uint64_t recu_ = 0;
    bool fin_ = false;
};

}  // namespace vaskor
