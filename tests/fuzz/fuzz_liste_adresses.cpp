// An address list as To or Cc hold it.
#include "mail/echec.h"
#include "mail/message.h"

#include <cstdint>
#include <string_view>

using namespace vaskor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        for (const TElementAdresse& e : AnalyserListeAdresses(std::string_view(reinterpret_cast<const char*>(data), size)))
            (void)TexteAdresse(e);
    } catch (const Echec&) {
    }
    return 0;
}
