#include "crypto/mime64.h"

#include <array>

namespace vaskor {

namespace {

constexpr std::string_view Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view Ignores = " $()[]{},;:-_\\*\"'\t\n\r";

// Value of each alphabet character, -1 for every other byte.
constexpr std::array<signed char, 256> TableValeurs()
{
    std::array<signed char, 256> t{};
    for (auto& v : t) v = -1;
    for (std::size_t i = 0; i < Alphabet.size(); ++i) t[static_cast<unsigned char>(Alphabet[i])] = static_cast<signed char>(i);
    return t;
}
constexpr auto Valeurs = TableValeurs();

}  // namespace

Texte EncoderMime64(std::string_view octets)
{
    Texte r;
    r.reserve((octets.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= octets.size(); i += 3) {
        const std::uint32_t v = (std::uint32_t(std::uint8_t(octets[i])) << 16) |
                                (std::uint32_t(std::uint8_t(octets[i + 1])) << 8) | std::uint8_t(octets[i + 2]);
        r += Alphabet[(v >> 18) & 63];
        r += Alphabet[(v >> 12) & 63];
        r += Alphabet[(v >> 6) & 63];
        r += Alphabet[v & 63];
    }
    const std::size_t reste = octets.size() - i;
    if (reste > 0) {
        std::uint32_t v = std::uint32_t(std::uint8_t(octets[i])) << 16;
        if (reste == 2) v |= std::uint32_t(std::uint8_t(octets[i + 1])) << 8;
        r += Alphabet[(v >> 18) & 63];
        r += Alphabet[(v >> 12) & 63];
        r += reste == 2 ? Alphabet[(v >> 6) & 63] : '=';
        r += '=';
    }
    return r;
}

bool CaractereIgnoreMime64(unsigned char c) { return c != 0 && Ignores.find(char(c)) != std::string_view::npos; }

std::optional<Texte> DecoderMime64(std::string_view texte)
{
    for (const char c : texte) {
        const auto u = static_cast<unsigned char>(c);
        if (Valeurs[u] < 0 && c != '=' && !CaractereIgnoreMime64(u)) return std::nullopt;
    }
    Texte r;
    r.reserve(texte.size() / 4 * 3 + 3);
    std::uint32_t groupe = 0;
    int nombre = 0;   // characters of the current group, "=" included
    int bourrage = 0; // "=" in the current group
    auto vider = [&] {
        // A group short of characters is completed as if its padding were present.
        bourrage += 4 - nombre;
        groupe <<= 6 * (4 - nombre);
        const int utiles = bourrage >= 3 ? 0 : 3 - bourrage;
        for (int k = 0; k < utiles; ++k) r += char((groupe >> (16 - 8 * k)) & 0xFF);
        groupe = 0;
        nombre = 0;
        bourrage = 0;
    };
    for (const char c : texte) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '=') {
            groupe <<= 6;
            ++bourrage;
        } else if (Valeurs[u] >= 0) {
            groupe = (groupe << 6) | std::uint32_t(Valeurs[u]);
        } else {
            continue;
        }
        if (++nombre == 4) vider();
    }
    if (nombre > 0) vider();
    return r;
}

}  // namespace vaskor
