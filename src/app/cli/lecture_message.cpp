#include "cli/lecture_message.h"

#include <fstream>
#include <iterator>

namespace vaskor::cli {

namespace {

// A message larger than this is not a mail the program would ever be handed (the check fetches
// header blocks of a few kilobytes); reading it whole (/dev/zero, a disk image) would only
// exhaust the memory.
constexpr std::size_t TailleMaxMessage = std::size_t(64) << 20;

// Reads the whole stream, up to the limit; false past it.
bool LireBorne(std::istream& flux, std::string& octets)
{
    char tampon[65536];
    while (flux.read(tampon, sizeof tampon) || flux.gcount() > 0) {
        if (octets.size() + std::size_t(flux.gcount()) > TailleMaxMessage) return false;
        octets.append(tampon, std::size_t(flux.gcount()));
    }
    return true;
}

}  // namespace

std::optional<ListeEntetes> LireBlocEntete(Contexte& c, const Texte& nom)
{
    std::string octets;
    bool dansLaLimite = true;
    if (nom == "-") {
        dansLaLimite = LireBorne(c.entree, octets);
    } else {
        std::ifstream f(std::filesystem::path(Cp1252VersUtf8(nom)), std::ios::binary);
        if (f) dansLaLimite = LireBorne(f, octets);
        if (!f.is_open() || f.bad()) {
            c.EcrireErreur("Impossible de lire le fichier "_cp + nom + ".\n");
            return std::nullopt;
        }
    }
    if (!dansLaLimite) {
        c.EcrireErreur("Le message "_cp + (nom == "-" ? Texte("lu sur l'entr\xE9" "e standard") : nom) +
                       " d\xE9passe " + std::to_string(TailleMaxMessage >> 20) + " Mo : il n'est pas lu.\n");
        return std::nullopt;
    }
    // The bytes as a TOP reply would deliver them: no character conversion.
    return LignesEnteteDepuisTexte(octets);
}

}  // namespace vaskor::cli
