// A whole message as a retrieval hands it over: header block, MIME walk, decoders, attachment
// names. Small limits keep a run from writing big files; passing them is a normal failure.
#include "mail/corps.h"
#include "mail/echec.h"
#include "mail/message.h"

#include <cstdint>
#include <string_view>

using namespace vaskor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view brut(reinterpret_cast<const char*>(data), size);
    LimitesCorps limites;
    limites.TexteMax = 1u << 20;
    limites.PiecesJointesMax = 1u << 20;
    limites.PartiesMax = 50;
    try {
        TIdMessage m;
        LecteurMessage lecteur(m, limites);
        std::size_t debut = 0;
        while (debut < brut.size()) {
            std::size_t fin = brut.find('\n', debut);
            if (fin == std::string_view::npos) fin = brut.size();
            std::string_view l = brut.substr(debut, fin - debut);
            if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
            lecteur.Ligne(l);
            debut = fin + 1;
        }
        lecteur.Terminer();
        for (const TPartie& p : m.MessageParts) {
            const TexteUtf8 nom = NomFichierSur(p.FileName);
            if (nom.empty() || nom.find('/') != TexteUtf8::npos || nom[0] == '.') __builtin_trap();
            (void)ParametresMime(p.ContentDisposition);
        }
    } catch (const Echec&) {
    }
    return 0;
}
