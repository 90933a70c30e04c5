#include "cli/lecture_message.h"

#include <fstream>
#include <iterator>

namespace vaskor::cli {

Texte EntreeVersCp1252(std::string_view s)
{
    Texte r;
    r.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        if (c >= 0xC2 && c <= 0xDF)
            n = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            n = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            n = 4;
        bool valide = n > 0 && i + n <= s.size();
        for (std::size_t k = 1; valide && k < n; ++k) valide = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
        if (valide && n >= 3) {
            // No overlong forms, no surrogates, nothing above U+10FFFF.
            const auto d = static_cast<unsigned char>(s[i + 1]);
            if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F) || (c == 0xF0 && d < 0x90) || (c == 0xF4 && d > 0x8F))
                valide = false;
        }
        if (valide) {
            r += Utf8VersCp1252(s.substr(i, n));
            i += n;
        } else {
            r += s[i++];
        }
    }
    return r;
}

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
    return LignesEnteteDepuisTexte(EntreeVersCp1252(octets));
}

}  // namespace vaskor::cli
