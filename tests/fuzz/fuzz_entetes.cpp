// A header block as TOP n 0 brings it: split into lines, every field parsed, every value decoded.
#include "mail/echec.h"
#include "mail/message.h"

#include <cstdint>
#include <string_view>

using namespace vaskor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view texte(reinterpret_cast<const char*>(data), size);
    TIdMessage m;
    m.Headers = LignesEnteteDepuisTexte(texte);
    // An unreadable block or a bad encoded word is refused with Echec, as the check expects.
    try {
        m.AnalyserEntetes();
    } catch (const Echec&) {
    }
    try {
        (void)DecoderEntete(texte);
    } catch (const Echec&) {
    }
    (void)LireValeurEntete(m.Headers, "Subject");
    return 0;
}
