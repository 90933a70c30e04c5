// The line reader fed a server's bytes in pieces of every size: it never reads past what it was
// given, and a line it hands out is never longer than the limit.
#include "mail/echec.h"
#include "mail/lecteur_lignes.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace vaskor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    // The first byte chooses the size of the pieces the bytes arrive in.
    const std::size_t morceau = 1 + data[0] % 64;
    ++data;
    --size;
    LecteurLignes lecteur;
    try {
        std::size_t pos = 0;
        while (pos < size) {
            const std::size_t n = std::min(morceau, size - pos);
            std::memcpy(lecteur.Reserver(n), data + pos, n);
            lecteur.Valider(n);
            pos += n;
            std::string_view ligne;
            while (lecteur.LireLigne(ligne))
                if (ligne.size() > LecteurLignes::kLongueurMaxLigne) std::abort();
        }
        lecteur.SignalerFin();
        std::string_view ligne;
        while (lecteur.LireLigne(ligne)) {
        }
    } catch (const Echec&) {
    }
    return 0;
}
