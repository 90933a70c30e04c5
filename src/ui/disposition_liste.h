#pragma once
// The message list's column widths and sort state, kept in the settings file's section "Liste"
// so that the list comes back as the user left it. The section is the window's own: the options
// dialog's saves leave it alone, and it is written only when something in it changed.

#include "core/fichiers.h"

#include <array>
#include <cstdint>

namespace vaskor {

struct DispositionListe {
    std::array<std::int32_t, 4> largeurs{};  // De, Sujet, Date, Taille; 0: the default width
    std::int32_t colonneTri = -1;             // -1: never sorted
    bool ascendant = false;
    bool operator==(const DispositionListe&) const = default;
};

// Keys: LargeurDe, LargeurSujet, LargeurDate, LargeurTaille (pixels, 20..4000, else default),
// ColonneTri (0..3), TriCroissant (0/1).
DispositionListe LireDispositionListe(const fs::path& dossier);
// Updates those keys in place; a settings file that cannot be read is not replaced.
ResultatFichier EcrireDispositionListe(const fs::path& dossier, const DispositionListe& d);

}  // namespace vaskor
