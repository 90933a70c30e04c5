// The reply parser given any lines: a reply ends, keeps asking for lines or is refused as
// unreadable (Echec), and holds no more lines than it was given.
#include "mail/echec.h"
#include "mail/reponse_pop3.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vaskor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view reste(reinterpret_cast<const char*>(data), size);
    AnalyseurReponse a;
    a.Recommencer();
    std::size_t lignes = 0;
    while (!reste.empty()) {
        const std::size_t fin = reste.find('\n');
        const std::string_view ligne = reste.substr(0, fin);
        reste = fin == std::string_view::npos ? std::string_view() : reste.substr(fin + 1);
        ++lignes;
        try {
            if (a.AjouterLigne(ligne)) {
                const ReponsePop3& r = a.Resultat();
                if (r.Lignes.size() > lignes) std::abort();
                (void)r.Message();
                a.Recommencer();
                lignes = 0;
            }
        } catch (const Echec&) {
            a.Recommencer();
            lignes = 0;
        }
    }
    return 0;
}
