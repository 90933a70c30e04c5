#pragma once
// Text of a message body in the charset it declares. Decoded text leaves this module as UTF-8
// (the preview shows any script, which code page 1252 cannot hold); the conversions are Qt's
// (ICU behind it), never a table of ours.

#include "core/texte.h"

#include <string>
#include <string_view>

namespace vaskor {

// UTF-8 text, as opposed to the core's code page 1252 Texte.
using TexteUtf8 = std::string;

// The charset parameter of a Content-Type value, as written (quotes removed); empty when none.
Texte CharSetContentType(std::string_view contentType);

// The bytes read in `charset`. An absent or unknown charset is taken as code page 1252, so that
// every byte still shows as some character. Invalid sequences become U+FFFD.
TexteUtf8 VersUtf8(std::string_view octets, std::string_view charset);

// RFC 2047 encoded words ("=?UTF-8?Q?na=C3=AFve?=") decoded to UTF-8, in any charset the
// converters know; the text between words is read by OctetsEnUtf8, blanks between two
// adjacent words dropped. A word that cannot be read stays as written.
TexteUtf8 DecoderMotsEncodes(std::string_view texte);

// Whether the bytes are well-formed UTF-8.
bool Utf8Valide(std::string_view s);
// Raw 8-bit bytes of a header: UTF-8 when they read as such, else code page 1252.
TexteUtf8 OctetsEnUtf8(std::string_view s);
// A raw header value for display: encoded words decoded, the rest through OctetsEnUtf8.
TexteUtf8 EnteteEnUtf8(std::string_view brut);

}  // namespace vaskor
