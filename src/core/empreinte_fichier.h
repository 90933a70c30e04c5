#pragma once
// What a data file was when this program last read or wrote it, so that a save can tell that
// another program (vaskor-cli, a second copy, an editor) changed it meanwhile, and the window
// can tell a change of its own from someone else's.

#include "core/fichiers.h"

#include <cstdint>
#include <string_view>

namespace vaskor {

struct EmpreinteFichier {
    bool existe = false;
    std::uintmax_t taille = 0;
    std::int64_t modifieNs = 0;  // last modification, nanoseconds since the epoch
    std::uint64_t condensat = 0;  // of the content: a rewrite within one clock tick still shows
    bool operator==(const EmpreinteFichier&) const = default;
};

// The data file `nom` of `dossier` as it is now, found whatever its letter case. A file that
// cannot be read has its size and time only.
EmpreinteFichier PrendreEmpreinte(const fs::path& dossier, std::string_view nom);

// FNV-1a over the bytes: a change detector, not a protection against anyone.
std::uint64_t CondensatOctets(std::string_view octets);

}  // namespace vaskor
