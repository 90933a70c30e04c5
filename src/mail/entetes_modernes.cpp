// Header decoding as today's mail readers do it: encoded words in any charset the system knows
// (UTF-8 first of all), blanks between two adjacent encoded words dropped, and raw 8-bit header
// bytes read as UTF-8 when they form valid UTF-8. The result is the code page 1252 text of the
// core; characters it lacks become "?".

#include "mail/message.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <algorithm>

namespace vaskor {

namespace {

bool EstBlanc(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// "_" is a blank, "=XX" a byte; an "=" that spells no byte stands for itself.
std::string OctetsQ(std::string_view t)
{
    std::string r;
    r.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '_') {
            r += ' ';
        } else if (t[i] == '=' && i + 2 < t.size() && ValeurHexa(t[i + 1]) >= 0 && ValeurHexa(t[i + 2]) >= 0) {
            r += char(ValeurHexa(t[i + 1]) * 16 + ValeurHexa(t[i + 2]));
            i += 2;
        } else {
            r += t[i];
        }
    }
    return r;
}

// Standard base64; padding and characters outside the alphabet are skipped.
std::string OctetsB(std::string_view t)
{
    std::string r;
    r.reserve(t.size() / 4 * 3 + 3);
    unsigned acc = 0;
    int bits = 0;
    for (char c : t) {
        const int v = ValeurBase64(c);
        if (v < 0) continue;
        acc = (acc << 6) | unsigned(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            r += char((acc >> bits) & 0xFF);
        }
    }
    return r;
}

// The length of the valid UTF-8 sequence starting at s[i] (2 to 4 bytes), 0 when there is none:
// no overlong form, no surrogate, nothing above U+10FFFF.
std::size_t SequenceUtf8(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        n = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        n = 4;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    const auto d = static_cast<unsigned char>(s[i + 1]);
    if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F) || (c == 0xF0 && d < 0x90) || (c == 0xF4 && d > 0x8F))
        return 0;
    return n;
}

// Raw header bytes to UTF-8: valid UTF-8 sequences stay, every other byte is a code page 1252
// character.
void AjouterBrut(std::string& utf8, std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            const std::size_t fin = FinAscii(s, i);
            utf8.append(s, i, fin - i);
            i = fin;
        } else if (const std::size_t n = SequenceUtf8(s, i)) {
            utf8.append(s, i, n);
            i += n;
        } else {
            utf8 += Cp1252VersUtf8(s.substr(i, 1));
            ++i;
        }
    }
}

// One encoded word "=?charset?X?text?=" starting at s[p]; `fin` is the position after it.
struct MotEncode {
    std::string_view jeu;  // without an RFC 2231 language ("utf-8*fr")
    bool q = false;
    std::string_view code;
    std::size_t fin = 0;
};

bool LireMot(std::string_view s, std::size_t p, MotEncode& m)
{
    if (s.compare(p, 2, "=?") != 0) return false;
    const std::size_t q1 = s.find('?', p + 2);
    if (q1 == std::string_view::npos || q1 == p + 2 || q1 + 3 >= s.size() || s[q1 + 2] != '?') return false;
    const char lettre = s[q1 + 1];
    if (lettre != 'Q' && lettre != 'q' && lettre != 'B' && lettre != 'b') return false;
    const std::size_t q3 = s.find("?=", q1 + 3);
    if (q3 == std::string_view::npos) return false;
    std::string_view jeu = s.substr(p + 2, q1 - p - 2);
    const std::string_view code = s.substr(q1 + 3, q3 - q1 - 3);
    for (char c : jeu)
        if (EstBlanc(c)) return false;
    for (char c : code)
        if (EstBlanc(c)) return false;
    jeu = jeu.substr(0, jeu.find('*'));
    if (jeu.empty()) return false;
    m = {jeu, lettre == 'Q' || lettre == 'q', code, q3 + 2};
    return true;
}

// The bytes of one or more adjacent words of the same charset as UTF-8, through the system's
// converters. False when the charset is unknown.
bool Convertir(std::string_view jeu, const std::string& octets, std::string& utf8)
{
    if (EgalSansCasse(jeu, "UTF-8") || EgalSansCasse(jeu, "UTF8") || EgalSansCasse(jeu, "US-ASCII")) {
        // Invalid bytes each become one "?" (U+FFFD has no code page 1252 form).
        QStringDecoder d(QStringConverter::Utf8);
        utf8 += QString(d(QByteArray::fromRawData(octets.data(), qsizetype(octets.size())))).toStdString();
        return true;
    }
    QStringDecoder d(QByteArray(jeu.data(), qsizetype(jeu.size())).constData());
    if (!d.isValid()) return false;
    utf8 += QString(d(QByteArray::fromRawData(octets.data(), qsizetype(octets.size())))).toStdString();
    return true;
}

}  // namespace

Texte DecoderEnteteModerne(std::string_view s)
{
    bool simple = s.find("=?") == std::string_view::npos;
    for (std::size_t i = 0; simple && i < s.size(); ++i) simple = static_cast<unsigned char>(s[i]) < 0x80 && s[i] != 0;
    if (simple) return Texte(s);

    std::string utf8;
    utf8.reserve(s.size());
    std::size_t c = 0;  // what is left to read is s[c..]
    while (c < s.size()) {
        std::size_t p = s.find("=?", c);
        MotEncode mot;
        while (p != std::string_view::npos && !LireMot(s, p, mot)) p = s.find("=?", p + 1);
        if (p == std::string_view::npos) break;
        AjouterBrut(utf8, s.substr(c, p - c));
        // The run of words separated by blanks only, of the same charset: their bytes are joined
        // before the conversion, because a character may be cut between two words.
        std::string octets = mot.q ? OctetsQ(mot.code) : OctetsB(mot.code);
        std::size_t fin = mot.fin;
        const std::string_view jeu = mot.jeu;
        std::size_t suite = fin;
        for (;;) {
            while (suite < s.size() && EstBlanc(s[suite])) ++suite;
            MotEncode autre;
            if (suite >= s.size() || !LireMot(s, suite, autre)) break;
            if (!EgalSansCasse(autre.jeu, jeu)) break;
            octets += autre.q ? OctetsQ(autre.code) : OctetsB(autre.code);
            fin = suite = autre.fin;
        }
        if (!Convertir(jeu, octets, utf8)) {
            // A charset nobody here knows: the words stay as they came.
            AjouterBrut(utf8, s.substr(p, fin - p));
        }
        c = fin;
        // Blanks before a following encoded word of another charset are dropped too.
        std::size_t b = c;
        while (b < s.size() && EstBlanc(s[b])) ++b;
        MotEncode apres;
        if (b > c && b < s.size() && LireMot(s, b, apres)) c = b;
    }
    AjouterBrut(utf8, s.substr(std::min(c, s.size())));
    Texte r = Utf8VersCp1252(utf8);
    r.erase(std::remove(r.begin(), r.end(), '\0'), r.end());
    return r;
}

Texte DecoderEntete(std::string_view texte, bool moderne)
{
    return moderne ? DecoderEnteteModerne(texte) : DecoderEntete(texte);
}

}  // namespace vaskor
