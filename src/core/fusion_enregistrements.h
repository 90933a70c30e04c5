#pragma once
// Merging a list of records that this program changed with the same list changed meanwhile by
// another program. Three copies meet: `base`, the file as this program read it; `memoire`, what
// the user made of it since; `disque`, the file as it is now. Each side's changes are kept record
// by record: what one side added stays, what one side removed goes, a record changed here wins
// over the same record left as it was on disk, and a record nobody here touched is taken as it
// is on disk. Records are matched by a key (an account's description, server and user name; a
// filter's settings), the first free one of the same key in list order, so duplicates pair up
// in order.
//
// The result keeps the order of `memoire`, with the records added elsewhere after it.

#include <cstddef>
#include <vector>

namespace vaskor {

// `memeCle(a, b)`: the same record, perhaps changed. `inchange(a, b)`: not changed at all.
// `garder(m, b, d)`: what to keep of a record left unchanged here and present on disk (usually
// `d`, the other program's version).
template <typename T, typename MemeCle, typename Inchange, typename Garder>
std::vector<T> FusionnerTroisCopies(const std::vector<T>& memoire, const std::vector<T>& base,
                                    const std::vector<T>& disque, MemeCle memeCle, Inchange inchange, Garder garder)
{
    constexpr std::size_t aucun = static_cast<std::size_t>(-1);
    // Pairs `a[i]` with a free `b[j]` of the same key, an unchanged one first. The two lists
    // are mostly in step (a few thousand friends imported from an address book, a few changed):
    // the place after the last pair is tried before the whole list is searched.
    const auto apparier = [&](const std::vector<T>& a, const std::vector<T>& b, std::vector<bool>& pris) {
        std::vector<std::size_t> r(a.size(), aucun);
        for (int passe = 0; passe < 2; ++passe) {
            std::size_t suivant = 0;
            for (std::size_t i = 0; i < a.size(); ++i) {
                if (r[i] != aucun) continue;
                const auto convient = [&](std::size_t j) {
                    return !pris[j] && memeCle(a[i], b[j]) && (passe == 1 || inchange(a[i], b[j]));
                };
                std::size_t j = suivant < b.size() && convient(suivant) ? suivant : aucun;
                for (std::size_t k = 0; j == aucun && k < b.size(); ++k)
                    if (convient(k)) j = k;
                if (j == aucun) continue;
                pris[j] = true;
                r[i] = j;
                suivant = j + 1;
            }
        }
        return r;
    };
    std::vector<bool> basePrise(base.size()), disquePris(disque.size());
    const std::vector<std::size_t> baseDe = apparier(memoire, base, basePrise);
    const std::vector<std::size_t> disqueDe = apparier(base, disque, disquePris);

    std::vector<T> r;
    r.reserve(memoire.size() + disque.size());
    for (std::size_t i = 0; i < memoire.size(); ++i) {
        const T& m = memoire[i];
        const std::size_t b = baseDe[i];
        if (b == aucun) {
            // Added here; the same record added elsewhere too is taken once.
            for (std::size_t k = 0; k < disque.size(); ++k)
                if (!disquePris[k] && memeCle(m, disque[k]) && inchange(m, disque[k])) {
                    disquePris[k] = true;
                    break;
                }
            r.push_back(m);
        } else if (disqueDe[b] == aucun) {
            // Removed elsewhere: it stays removed unless the user changed it here.
            if (!inchange(m, base[b])) r.push_back(m);
        } else {
            r.push_back(inchange(m, base[b]) ? garder(m, base[b], disque[disqueDe[b]]) : m);
        }
    }
    for (std::size_t k = 0; k < disque.size(); ++k)
        if (!disquePris[k]) r.push_back(disque[k]);
    return r;
}

}  // namespace vaskor
