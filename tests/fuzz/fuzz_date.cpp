// A Date header's value: read or found unreadable, never out of the calendar's range.
#include "mail/message.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vaskor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TDateHeure d = DateInternet(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!std::isfinite(d)) std::abort();
    return 0;
}
