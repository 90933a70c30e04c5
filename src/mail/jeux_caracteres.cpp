#include "mail/jeux_caracteres.h"

#include "crypto/mime64.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <algorithm>

namespace vaskor {

namespace {

bool EstBlanc(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

Texte CharSetContentType(std::string_view contentType)
{
    const std::size_t p = ChercherSansCasse(contentType, "charset=");
    if (p == std::string_view::npos) return {};
    std::string_view suite = contentType.substr(p + 8);
    if (!suite.empty() && suite[0] == '"') {
        suite.remove_prefix(1);
        return Texte(suite.substr(0, suite.find('"')));
    }
    const std::size_t f = suite.find_first_of("; \t");
    return Texte(Rogner(suite.substr(0, f)));
}

TexteUtf8 VersUtf8(std::string_view octets, std::string_view charset)
{
    const Texte nom(Rogner(charset));
    // Plain ASCII reads the same in every charset a mail may declare but UTF-16/32: the common
    // case needs no converter.
    bool ascii = true;
    for (char c : octets) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii && !EgalSansCasse(nom.substr(0, 6), "utf-16") && !EgalSansCasse(nom.substr(0, 6), "utf-32"))
        return TexteUtf8(octets);
    if (!nom.empty() && !EgalSansCasse(nom, "windows-1252") && !EgalSansCasse(nom, "cp1252")) {
        // Mailers call ISO-8859-1 what is nearly always code page 1252 (its 0x80..0x9F are
        // the quotes and dashes people type); both read the same outside that range.
        const bool latin1 = EgalSansCasse(nom, "iso-8859-1") || EgalSansCasse(nom, "us-ascii") ||
                            EgalSansCasse(nom, "latin1") || EgalSansCasse(nom, "iso8859-1");
        if (!latin1) {
            QStringDecoder decodeur(nom.c_str(), QStringConverter::Flag::Stateless);
            if (decodeur.isValid()) {
                const QString s = decodeur.decode(QByteArrayView(octets.data(), static_cast<qsizetype>(octets.size())));
                return s.toStdString();
            }
        }
    }
    return Cp1252VersUtf8(octets);
}

TexteUtf8 DecoderMotsEncodes(std::string_view texte)
{
    TexteUtf8 resultat;
    std::size_t i = 0;
    std::size_t finDernierMot = std::string_view::npos;  // where the last decoded word ended
    while (i < texte.size()) {
        const std::size_t debut = texte.find("=?", i);
        if (debut == std::string_view::npos) break;
        // =?charset?X?text?=
        const std::size_t q1 = texte.find('?', debut + 2);
        const std::size_t q2 = q1 == std::string_view::npos ? q1 : texte.find('?', q1 + 1);
        const std::size_t fin = q2 == std::string_view::npos ? q2 : texte.find("?=", q2 + 1);
        if (fin == std::string_view::npos || q2 != q1 + 2) {
            resultat += OctetsEnUtf8(texte.substr(i, debut + 2 - i));
            i = debut + 2;
            continue;
        }
        std::string_view charset = texte.substr(debut + 2, q1 - debut - 2);
        charset = charset.substr(0, charset.find('*'));  // RFC 2231 language suffix
        const char codage = MajusculeAscii(texte[q1 + 1]);
        const std::string_view donnees = texte.substr(q2 + 1, fin - q2 - 1);
        Texte octets;
        bool lu = true;
        if (codage == 'B') {
            const auto d = DecoderMime64(donnees);
            if (d) octets = *d;
            else lu = false;
        } else if (codage == 'Q') {
            for (std::size_t k = 0; k < donnees.size(); ++k) {
                const char c = donnees[k];
                if (c == '_') {
                    octets += ' ';
                } else if (c == '=' && k + 2 < donnees.size() && ValeurHexa(donnees[k + 1]) >= 0 &&
                           ValeurHexa(donnees[k + 2]) >= 0) {
                    octets += static_cast<char>(ValeurHexa(donnees[k + 1]) * 16 + ValeurHexa(donnees[k + 2]));
                    k += 2;
                } else {
                    octets += c;
                }
            }
        } else {
            lu = false;
        }
        const std::string_view entre = texte.substr(i, debut - i);
        // Blanks between two encoded words belong to the encoding, not to the text.
        bool blancs = finDernierMot == i;
        for (char c : entre) blancs = blancs && EstBlanc(c);
        if (!blancs) resultat += OctetsEnUtf8(entre);
        if (lu) {
            resultat += VersUtf8(octets, charset);
            finDernierMot = fin + 2;
        } else {
            resultat += OctetsEnUtf8(texte.substr(debut, fin + 2 - debut));
            finDernierMot = std::string_view::npos;
        }
        i = fin + 2;
    }
    if (i < texte.size()) resultat += OctetsEnUtf8(texte.substr(i));
    return resultat;
}

bool Utf8Valide(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        if (c < 0x80) n = 0;
        else if (c >= 0xC2 && c <= 0xDF) n = 1;
        else if (c >= 0xE0 && c <= 0xEF) n = 2;
        else if (c >= 0xF0 && c <= 0xF4) n = 3;
        else return false;
        if (n > 0 && i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

TexteUtf8 OctetsEnUtf8(std::string_view s)
{
    if (Utf8Valide(s)) return TexteUtf8(s);
    // Mostly UTF-8 with a few bad bytes (a name cut in the middle of a character) is still
    // UTF-8; stray bytes among ASCII are code page 1252.
    std::size_t bonnes = 0, mauvais = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = std::min<std::size_t>(4, s.size() - i);
        std::size_t k = 2;
        while (k <= n && !Utf8Valide(s.substr(i, k))) ++k;
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
        } else if (k <= n) {
            ++bonnes;
            i += k;
        } else {
            ++mauvais;
            ++i;
        }
    }
    if (bonnes > mauvais) return VersUtf8(s, "UTF-8");
    return Cp1252VersUtf8(s);
}

TexteUtf8 EnteteEnUtf8(std::string_view brut)
{
    return brut.find("=?") != std::string_view::npos ? DecoderMotsEncodes(brut) : OctetsEnUtf8(brut);
}

}  // namespace vaskor
