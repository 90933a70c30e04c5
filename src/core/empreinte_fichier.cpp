#include "core/empreinte_fichier.h"

#include <sys/stat.h>

namespace vaskor {

std::uint64_t CondensatOctets(std::string_view octets)
{
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : octets) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

EmpreinteFichier PrendreEmpreinte(const fs::path& dossier, std::string_view nom)
{
    EmpreinteFichier e;
    const fs::path chemin = TrouverFichier(dossier, nom);
    struct stat s {};
    if (::stat(chemin.c_str(), &s) != 0) return e;
    e.existe = true;
    e.taille = std::uintmax_t(s.st_size);
    e.modifieNs = std::int64_t(s.st_mtim.tv_sec) * 1000000000 + s.st_mtim.tv_nsec;
    std::string octets;
    if (S_ISREG(s.st_mode) && LireFichier(chemin, octets).ok) e.condensat = CondensatOctets(octets);
    return e;
}

}  // namespace vaskor
