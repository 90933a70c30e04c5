#include "mail/mailto.h"

namespace vaskor {

namespace {

void Encoder(std::string& r, std::string_view s, bool adresse)
{
    static const char hexa[] = "0123456789ABCDEF";
    for (char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const bool libre = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || (adresse && c == '@');
        if (libre) {
            r += ch;
        } else {
            r += '%';
            r += hexa[c >> 4];
            r += hexa[c & 15];
        }
    }
}

}  // namespace

std::string UriMailto(std::string_view adresseUtf8, std::string_view sujetUtf8)
{
    std::string r = "mailto:";
    Encoder(r, adresseUtf8, true);
    r += "?subject=";
    Encoder(r, sujetUtf8, false);
    return r;
}

}  // namespace vaskor
