#include "core/texte.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vaskor {

std::string EnMinusculesAscii(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = MinusculeAscii(c);
    return r;
}

std::string EnMajusculesAscii(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = MajusculeAscii(c);
    return r;
}

bool EgalSansCasse(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (MinusculeAscii(a[i]) != MinusculeAscii(b[i])) return false;
    return true;
}

int ComparerSansCasse(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(MinusculeAscii(a[i]));
        const auto cb = static_cast<unsigned char>(MinusculeAscii(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t ChercherSansCasse(std::string_view botte, std::string_view aiguille, std::size_t depuis)
{
    if (aiguille.empty()) return depuis <= botte.size() ? depuis : std::string_view::npos;
    if (aiguille.size() > botte.size()) return std::string_view::npos;
    for (std::size_t i = depuis; i + aiguille.size() <= botte.size(); ++i) {
        std::size_t j = 0;
        while (j < aiguille.size() && MinusculeAscii(botte[i + j]) == MinusculeAscii(aiguille[j])) ++j;
        if (j == aiguille.size()) return i;
    }
    return std::string_view::npos;
}

static bool EstBlanc(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view RognerGauche(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && EstBlanc(s[i])) ++i;
    return s.substr(i);
}

std::string_view RognerDroite(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && EstBlanc(s[n - 1])) --n;
    return s.substr(0, n);
}

std::string_view Rogner(std::string_view s) { return RognerDroite(RognerGauche(s)); }

namespace {
constexpr std::array<char16_t, 32> kHaut = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AjouterUtf8(std::string& r, char32_t cp)
{
    if (cp < 0x80) {
        r += char(cp);
    } else if (cp < 0x800) {
        r += char(0xC0 | (cp >> 6));
        r += char(0x80 | (cp & 0x3F));
    } else {
        r += char(0xE0 | (cp >> 12));
        r += char(0x80 | ((cp >> 6) & 0x3F));
        r += char(0x80 | (cp & 0x3F));
    }
}

int Cp1252Depuis(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
    for (std::size_t i = 0; i < kHaut.size(); ++i)
        if (kHaut[i] == cp) return int(0x80 + i);
    return -1;
}
}  // namespace

char32_t Cp1252VersUnicode(unsigned char c)
{
    if (c >= 0x80 && c < 0xA0) return kHaut[c - 0x80];
    return c;
}

std::size_t FinAscii(std::string_view s, std::size_t i)
{
    // Eight bytes at a time: most header text is ASCII, the same in both encodings.
    constexpr std::uint64_t kHauts = 0x8080808080808080ull;
    while (i + 8 <= s.size()) {
        std::uint64_t mot;
        std::memcpy(&mot, s.data() + i, 8);
        if (mot & kHauts) break;
        i += 8;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    return i;
}

std::string Cp1252VersUtf8(std::string_view cp1252)
{
    std::string r;
    r.reserve(cp1252.size() + cp1252.size() / 8);
    for (std::size_t i = 0; i < cp1252.size();) {
        const std::size_t fin = FinAscii(cp1252, i);
        r.append(cp1252, i, fin - i);
        if (fin == cp1252.size()) break;
        AjouterUtf8(r, Cp1252VersUnicode(static_cast<unsigned char>(cp1252[fin])));
        i = fin + 1;
    }
    return r;
}

std::string Utf8VersCp1252(std::string_view s)
{
    std::string r;
    r.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int suite = 0;
        char32_t cp = 0, minimum = 0;
        if (c < 0x80) {
            const std::size_t fin = FinAscii(s, i);
            r.append(s, i, fin - i);
            i = fin;
            continue;
        }
        if ((c & 0xE0) == 0xC0) { suite = 1; cp = c & 0x1F; minimum = 0x80; }
        else if ((c & 0xF0) == 0xE0) { suite = 2; cp = c & 0x0F; minimum = 0x800; }
        else if ((c & 0xF8) == 0xF0) { suite = 3; cp = c & 0x07; minimum = 0x10000; }
        else { r += '?'; ++i; continue; }
        // A sequence cut short (by the end or by a byte that does not continue it) gives one "?"
        // and the bytes after it are read again, so an ASCII letter there is not lost.
        bool bon = true;
        for (int k = 1; k <= suite; ++k) {
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) { bon = false; break; }
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        if (!bon) { r += '?'; ++i; continue; }
        i += suite + 1;
        // An overlong form is not the character it spells (a hidden "/" or line feed).
        const int b = cp < minimum ? -1 : Cp1252Depuis(cp);
        r += b < 0 ? '?' : char(b);
    }
    return r;
}

}  // namespace vaskor
