// The record files as another machine, an older version or a damaged disk may leave them: the
// filters, friends, accounts and journal files. What is read is written back and read again to
// the same records, so a save never changes what a load made of a file.
#include "core/ami.h"
#include "core/filtre.h"
#include "core/journal.h"
#include "crypto/chiffrement.h"
#include "crypto/fichier_comptes.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

using namespace vaskor;

namespace {

template <class T>
bool MemesOctets(const std::vector<T>& a, const std::vector<T>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::string_view octets(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0: {
        const ListeFiltres f = DecoderFiltres(octets);
        if (!MemesOctets(DecoderFiltres(EncoderFiltres(f)), f)) std::abort();
        break;
    }
    case 1: {
        const ListeAmis a = DecoderAmis(octets);
        if (!MemesOctets(DecoderAmis(EncoderAmis(a)), a)) std::abort();
        break;
    }
    case 2: {
        static TCipherManager chiffre;
        const std::vector<TCompte> c = LireComptes(chiffre, octets);
        (void)LireComptes(chiffre, EcrireComptes(chiffre, c));
        break;
    }
    default: {
        const std::vector<Texte> lignes = DecouperLignesJournal(octets, 1000);
        for (const Texte& l : lignes) (void)DecouperLigneJournal(l);
        if (DecouperLignesJournal(AssemblerLignesJournal(lignes)) != lignes) std::abort();
        break;
    }
    }
    return 0;
}
