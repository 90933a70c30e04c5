// Header lookup, unfolding, encoded words, and the split of a raw text into header lines.

#include "mail/echec.h"
#include "mail/message.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vaskor {

namespace {

bool EstBlancOuControle(char c) { return static_cast<unsigned char>(c) <= 32; }

// Where the value of the line starts when the line's name (its text before the first ":") is
// `nom`, ASCII case ignored; npos otherwise. A name never holds ":", so a wanted name that does
// matches no line. A line without ":" has an empty name, and all of it is its value.
std::size_t DebutValeur(std::string_view ligne, std::string_view nom)
{
    if (nom.empty()) {
        if (!ligne.empty() && ligne[0] == ':') return 1;
        return ligne.find(':') == std::string_view::npos ? 0 : std::string_view::npos;
    }
    if (ligne.size() > nom.size() && ligne[nom.size()] == ':' && EgalSansCasse(ligne.substr(0, nom.size()), nom))
        return nom.size() + 1;
    return std::string_view::npos;
}

// The value of the line at `i` (from `debut`) with its continuation lines, as one text. The
// value is right-trimmed in place before each join, so a header folded over thousands of lines
// costs time in proportion to its length.
Texte ValeurDepliee(const ListeEntetes& entetes, std::size_t i, std::size_t debut)
{
    const std::string_view premiere = std::string_view(entetes[i]).substr(std::min(debut, entetes[i].size()));
    // Most values fit on their line: trimmed and copied once.
    if (i + 1 >= entetes.size() || entetes[i + 1].empty() || (entetes[i + 1][0] != ' ' && entetes[i + 1][0] != '\t'))
        return Texte(Rogner(premiere));
    Texte valeur(premiere);
    for (std::size_t j = i + 1; j < entetes.size(); ++j) {
        const Texte& suite = entetes[j];
        if (suite.empty() || (suite[0] != ' ' && suite[0] != '\t')) break;
        // The left end of the value only meets the final trim, so trimming it here changes nothing.
        while (!valeur.empty() && EstBlancOuControle(valeur.back())) valeur.pop_back();
        valeur += ' ';
        valeur += Rogner(suite);
    }
    return Texte(Rogner(valeur));
}

bool EstHexa(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int ValeurBase64OuZero(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return 0;  // padding and anything else
}

Texte DecoderQ(std::string_view code)
{
    Texte r;
    r.reserve(code.size());
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '_') {
            r += ' ';
        } else if (c == '=' && i + 2 < code.size()) {
            // Two characters follow inside the encoded text: they must spell a byte.
            if (!EstHexa(code[i + 1]) || !EstHexa(code[i + 2]))
                throw Echec(GenreEchec::Autre,
                            "Ent\xEAte illisible : un \xAB = \xBB d'un mot encod\xE9 n'est pas suivi de deux "
                            "chiffres hexad\xE9" "cimaux.");
            r += char(ValeurHexa(code[i + 1]) * 16 + ValeurHexa(code[i + 2]));
            i += 2;
        } else {
            r += c;  // an "=" too near the end stands for itself
        }
    }
    return r;
}

// Groups of four characters over the encoded text followed by its closing "?=", as long as four
// remain; anything outside the alphabet counts as 0, so padding yields NUL bytes (removed later).
Texte DecoderB(std::string_view code)
{
    const std::size_t total = code.size() + 2;
    auto car = [&](std::size_t k) { return k < code.size() ? code[k] : (k == code.size() ? '?' : '='); };
    Texte r;
    r.reserve(total / 4 * 3);
    for (std::size_t k = 0; k + 4 <= total; k += 4) {
        const unsigned v = (unsigned(ValeurBase64OuZero(car(k))) << 18) | (unsigned(ValeurBase64OuZero(car(k + 1))) << 12) |
                           (unsigned(ValeurBase64OuZero(car(k + 2))) << 6) | unsigned(ValeurBase64OuZero(car(k + 3)));
        r += char((v >> 16) & 0xFF);
        r += char((v >> 8) & 0xFF);
        r += char(v & 0xFF);
    }
    return r;
}

// ISO-2022-JP to Shift_JIS: the escape sequences switch the two-byte mode and are dropped; the
// result is never longer than what it converts.
Texte Iso2022JpVersShiftJis(std::string_view o)
{
    Texte r;
    r.reserve(o.size());
    bool deuxOctets = false;
    std::size_t i = 0;
    while (i < o.size()) {
        if (o[i] == '\x1B' && i + 2 < o.size() && o[i + 2] == 'B' && (o[i + 1] == '$' || o[i + 1] == '(')) {
            deuxOctets = o[i + 1] == '$';
            i += 3;
            continue;
        }
        if (!deuxOctets || i + 1 >= o.size()) {
            r += o[i++];
            continue;
        }
        const int j1 = static_cast<unsigned char>(o[i]);
        const int j2 = static_cast<unsigned char>(o[i + 1]);
        const int s1 = ((j1 - 1) / 2 + (j1 < 95 ? 113 : 177)) & 0xFF;
        int s2;
        if (j1 % 2 == 1)
            s2 = j2 < 96 ? j2 + 31 : j2 + 32;
        else
            s2 = j2 + 126;
        r += char(s1);
        r += char(s2 & 0xFF);
        i += 2;
    }
    return r;
}

// The first start of `motif` at or after a position, remembered between calls. Each caller asks
// with positions that never go back, and the text is only ever rewritten just behind the reading
// position (see DecoderEntete): a remembered match past the rewritten bytes stays valid, so only
// the rewritten stretch has to be searched again and the whole decoding stays linear.
class Recherche {
public:
    explicit Recherche(std::string_view motif) : motif_(motif) {}

    std::size_t Suivant(std::string_view texte, std::size_t depuis)
    {
        if (!valide_ || depuis < depuis_ || (position_ != std::string_view::npos && position_ < depuis)) {
            position_ = ChercherSansCasse(texte, motif_, depuis);
            depuis_ = depuis;
            valide_ = true;
        }
        return position_;
    }

    // The bytes [debut, fin) were rewritten.
    void Reecrit(std::string_view texte, std::size_t debut, std::size_t fin)
    {
        if (!valide_) return;
        if (position_ != std::string_view::npos && position_ < fin) {
            valide_ = false;
            return;
        }
        // A match may now start inside the rewritten bytes (and run past them).
        const std::size_t bout = std::min(texte.size(), fin + motif_.size() - 1);
        if (debut >= bout) return;
        const std::size_t p = ChercherSansCasse(texte.substr(0, bout), motif_, debut);
        if (p != std::string_view::npos) {
            position_ = p;
            depuis_ = debut;
        }
    }

private:
    std::string_view motif_;
    std::size_t position_ = std::string_view::npos;
    std::size_t depuis_ = 0;
    bool valide_ = false;
};

}  // namespace

Texte LireValeurEntete(const ListeEntetes& entetes, std::string_view nom)
{
    for (std::size_t i = 0; i < entetes.size(); ++i) {
        const std::size_t d = DebutValeur(entetes[i], nom);
        if (d != std::string_view::npos) return ValeurDepliee(entetes, i, d);
    }
    return {};
}

void LireValeursEntetes(const ListeEntetes& entetes, const std::string_view* noms, std::size_t nombre, Texte* valeurs)
{
    // A line's name is compared only with the names of its length (a bit per name).
    constexpr std::size_t kLongueurs = 64;
    std::array<std::uint64_t, kLongueurs> parLongueur{};
    std::vector<std::size_t> premiere(nombre, Texte::npos);
    std::uint64_t restants = 0;
    for (std::size_t k = 0; k < nombre; ++k) {
        // An empty name, or one holding ":", is looked for line by line.
        if (k < 64 && !noms[k].empty() && noms[k].size() < kLongueurs && noms[k].find(':') == std::string_view::npos) {
            parLongueur[noms[k].size()] |= std::uint64_t(1) << k;
            restants |= std::uint64_t(1) << k;
            continue;
        }
        for (std::size_t i = 0; i < entetes.size() && premiere[k] == Texte::npos; ++i)
            if (DebutValeur(entetes[i], noms[k]) != std::string_view::npos) premiere[k] = i;
    }
    for (std::size_t i = 0; i < entetes.size() && restants != 0; ++i) {
        const std::string_view l = entetes[i];
        // A name never starts with a blank (a continuation line); the colon must follow the name.
        if (l.empty() || l[0] == ' ' || l[0] == '\t') continue;
        const std::size_t p = l.substr(0, kLongueurs).find(':');
        if (p == std::string_view::npos || p == 0) continue;
        for (std::uint64_t b = parLongueur[p] & restants; b != 0; b &= b - 1) {
            const std::size_t k = std::size_t(__builtin_ctzll(b));
            if (EgalSansCasse(l.substr(0, p), noms[k])) {
                premiere[k] = i;
                restants &= ~(std::uint64_t(1) << k);
            }
        }
    }
    for (std::size_t k = 0; k < nombre; ++k)
        valeurs[k] = premiere[k] == Texte::npos ? Texte() : ValeurDepliee(entetes, premiere[k], noms[k].size() + 1);
}

void LireValeurEntete(const ListeEntetes& entetes, std::string_view nom, std::vector<Texte>& cible)
{
    for (std::size_t i = 0; i < entetes.size(); ++i) {
        const std::size_t d = DebutValeur(entetes[i], nom);
        if (d != std::string_view::npos) cible.push_back(ValeurDepliee(entetes, i, d));
    }
}

Texte DecoderEntete(std::string_view texte)
{
    // Each decoded word is shorter than the word it replaces (at least "=?ISO??" and "?=" go),
    // so the decoded bytes are written over the end of the word in the working copy and the
    // search goes on from there: every byte is handled a bounded number of times however many
    // encoded words the header holds. The search after a word starts one byte into its decoded
    // text, which is what lets a decoded text that itself spells an encoded word be decoded again.
    Texte s(texte);
    Texte sortie;
    sortie.reserve(s.size());
    // One search per kind of mark, each asked with positions that never go back: a header made of
    // thousands of unfinished words does not rescan the rest of the text for each of them.
    Recherche iso("=?ISO"), windows("=?WINDOWS"), finJeu("?"), finLettre("?"), finMot("?=");
    std::size_t c = 0;  // what remains to be read is s[c..]
    while (c < s.size()) {
        std::size_t p = iso.Suivant(s, c);
        if (p == std::string_view::npos) p = windows.Suivant(s, c);
        if (p == std::string_view::npos) break;

        const std::size_t q1 = finJeu.Suivant(s, p + 5);
        const std::size_t q2 = q1 == Texte::npos ? Texte::npos : finLettre.Suivant(s, q1 + 1);
        const std::size_t q3 = q2 == Texte::npos ? Texte::npos : finMot.Suivant(s, q2 + 1);
        if (q3 == Texte::npos) {
            // Not a whole word: left as it is; the search resumes one byte further on.
            sortie.append(s, c, p + 1 - c);
            c = p + 1;
            continue;
        }
        const std::string_view vue(s);
        const std::string_view jeu = vue.substr(p + 2, q1 - p - 2);
        const std::string_view lettre = vue.substr(q1 + 1, q2 - q1 - 1);
        const std::string_view code = vue.substr(q2 + 1, q3 - q2 - 1);
        Texte octets = EgalSansCasse(lettre, "Q") ? DecoderQ(code) : DecoderB(code);
        if (EgalSansCasse(jeu, "ISO-2022-JP")) octets = Iso2022JpVersShiftJis(octets);

        const std::size_t fin = q3 + 2;
        sortie.append(s, c, p - c);
        // The decoded bytes now stand where the word began; the first of them (or, when there
        // are none, the first byte after the word) is behind the next search.
        const std::size_t debut = fin - octets.size();
        std::copy(octets.begin(), octets.end(), s.begin() + std::ptrdiff_t(debut));
        c = debut;
        if (c < s.size()) sortie += s[c++];
        for (Recherche* r : {&iso, &windows, &finJeu, &finLettre, &finMot}) r->Reecrit(s, c, fin);
    }
    if (c < s.size()) sortie.append(s, c, Texte::npos);
    sortie.erase(std::remove(sortie.begin(), sortie.end(), '\0'), sortie.end());
    return sortie;
}

ListeEntetes LignesEnteteDepuisTexte(std::string_view texte)
{
    ListeEntetes lignes;
    std::size_t debut = 0;
    while (debut < texte.size()) {
        std::size_t fin = texte.find('\n', debut);
        const bool derniere = fin == std::string_view::npos;
        if (derniere) fin = texte.size();
        std::string_view ligne = texte.substr(debut, fin - debut);
        if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
        if (ligne.empty()) break;  // the blank line that ends the header block
        lignes.emplace_back(ligne);
        debut = fin + 1;
    }
    return lignes;
}

}  // namespace vaskor
