// One address as a From line holds it, parsed and written back.
#include "mail/echec.h"
#include "mail/message.h"

#include <cstdint>
#include <string_view>

using namespace vaskor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        (void)TexteAdresse(AnalyserAdresse(std::string_view(reinterpret_cast<const char*>(data), size)));
    } catch (const Echec&) {
    }
    return 0;
}
