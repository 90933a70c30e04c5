#pragma once
// The "mailto:" address that answers a message through the desktop's mail program.

#include "mail/jeux_caracteres.h"

#include <string>
#include <string_view>

namespace vaskor {

// "mailto:" + the address + "?subject=" + the subject, both percent-encoded byte by byte in
// UTF-8 (RFC 6068): everything but letters, digits, "-", ".", "_", "~" (and "@" in the address)
// is escaped, so a subject or an address holding "&", "?", "#", "%", a comma or a line break
// arrives whole and can add neither a header nor a recipient. The result is plain ASCII.
std::string UriMailto(std::string_view adresseUtf8, std::string_view sujetUtf8);

}  // namespace vaskor
