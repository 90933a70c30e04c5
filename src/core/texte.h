#pragma once
// Texts inside Vaskor are code page 1252 byte strings: one character is one byte. Conversion to
// Unicode happens only at the edges (windows, command line), through the functions below.

#include <string>
#include <string_view>

namespace vaskor {

using Texte = std::string;

// ASCII-only case folding: A..Z become a..z, every other byte (accented letters included) stays.
constexpr char MinusculeAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
constexpr char MajusculeAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
std::string EnMinusculesAscii(std::string_view s);
std::string EnMajusculesAscii(std::string_view s);
bool EgalSansCasse(std::string_view a, std::string_view b);
// Compares byte by byte after ASCII folding; bytes compare as unsigned codes, the shorter text
// first when one is a prefix of the other. Returns <0, 0 or >0.
int ComparerSansCasse(std::string_view a, std::string_view b);
// Position of `aiguille` in `botte` from `depuis`, ASCII case ignored; npos when absent.
std::size_t ChercherSansCasse(std::string_view botte, std::string_view aiguille, std::size_t depuis = 0);

// Removes blanks and control characters (codes up to 32) at both ends.
std::string_view Rogner(std::string_view s);
std::string_view RognerGauche(std::string_view s);
std::string_view RognerDroite(std::string_view s);

// Code page 1252 <-> UTF-8. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 code points of the same value, so every byte survives a round trip.
char32_t Cp1252VersUnicode(unsigned char c);
// The position of the first byte at or after i that is not ASCII (s.size() when none).
std::size_t FinAscii(std::string_view s, std::size_t i);
std::string Cp1252VersUtf8(std::string_view cp1252);
// Characters outside the code page become '?'; malformed UTF-8 sequences too.
std::string Utf8VersCp1252(std::string_view utf8);

// Source files are UTF-8; a French literal meant for the core is written "Déjà connecté."_cp
// and arrives as code page 1252 bytes.
// The value of a hexadecimal digit in either case, or -1.
constexpr int ValeurHexa(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The value of a character of the base64 alphabet, or -1 (the padding "=" included).
constexpr int ValeurBase64(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

inline std::string operator""_cp(const char* s, std::size_t n) { return Utf8VersCp1252({s, n}); }

}  // namespace vaskor
