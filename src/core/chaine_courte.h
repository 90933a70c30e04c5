#pragma once
// Length-prefixed text of fixed capacity, as the record files hold it: one length byte, then up
// to N bytes of code page 1252. The bytes after the text have no meaning but are kept as they
// are, so that a record read and written back stays byte for byte the same.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vaskor {

template <std::size_t N>
struct ChaineCourte {
    static_assert(N >= 1 && N <= 255);
    std::uint8_t longueur = 0;
    std::array<char, N> car{};

    static constexpr std::size_t Capacite = N;

    // A damaged record may hold a length above the capacity: it is cut to the capacity, so
    // nothing outside the field is ever read.
    std::size_t Taille() const { return longueur > N ? N : longueur; }
    std::string Lire() const { return std::string(car.data(), Taille()); }
    operator std::string() const { return Lire(); }
    // Longer texts are cut to the capacity. Bytes after the new text are left as they were.
    void Ecrire(std::string_view s)
    {
        const std::size_t n = s.size() > N ? N : s.size();
        std::memcpy(car.data(), s.data(), n);
        longueur = static_cast<std::uint8_t>(n);
    }
    ChaineCourte& operator=(std::string_view s) { Ecrire(s); return *this; }
    bool Vide() const { return Taille() == 0; }
};

// A 32-bit signed integer stored little-endian at any offset of a packed record.
struct Entier32LE {
    std::array<std::uint8_t, 4> o{};
    std::int32_t Lire() const
    {
        const std::uint32_t v = std::uint32_t(o[0]) | (std::uint32_t(o[1]) << 8) |
                                (std::uint32_t(o[2]) << 16) | (std::uint32_t(o[3]) << 24);
        return static_cast<std::int32_t>(v);
    }
    void Ecrire(std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        o = {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
    }
    operator std::int32_t() const { return Lire(); }
    Entier32LE& operator=(std::int32_t v) { Ecrire(v); return *this; }
};

}  // namespace vaskor
