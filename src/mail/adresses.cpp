// Addresses of the header block: one address into a name and an address, its display text, and
// address lists with their groups.

#include "mail/echec.h"
#include "mail/message.h"

#include <array>

namespace vaskor {

namespace {

constexpr std::size_t npos_ = std::string_view::npos;

std::string_view RognerBlancsTabs(std::string_view s)
{
    std::size_t d = 0, f = s.size();
    while (d < f && (s[d] == ' ' || s[d] == '\t')) ++d;
    while (f > d && (s[f - 1] == ' ' || s[f - 1] == '\t')) --f;
    return s.substr(d, f - d);
}

// Trims blanks and control characters in place. The name only ever grows at its end, so once
// trimmed it never again starts with a blank: a text with thousands of "<" costs no more than
// its length, where copying the trimmed name at each one cost the square of it.
void RognerEnPlace(Texte& s)
{
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= 32) s.pop_back();
    std::size_t d = 0;
    while (d < s.size() && static_cast<unsigned char>(s[d]) <= 32) ++d;
    if (d > 0) s.erase(0, d);
}

std::string_view SansBlancsDevant(std::string_view s)
{
    std::size_t d = 0;
    while (d < s.size() && s[d] == ' ') ++d;
    return s.substr(d);
}

// A set of bytes for PremierDe.
struct JeuOctets {
    std::array<bool, 256> dans{};
    constexpr explicit JeuOctets(std::string_view octets)
    {
        for (char c : octets) dans[static_cast<unsigned char>(c)] = true;
    }
};

// find_first_of, with the set in a table: the library's version searches the set again for
// every byte of the text.
std::size_t PremierDe(std::string_view s, const JeuOctets& jeu)
{
    for (std::size_t i = 0; i < s.size(); ++i)
        if (jeu.dans[static_cast<unsigned char>(s[i])]) return i;
    return npos_;
}

constexpr JeuOctets kCommentaire("()\\"), kGuillemets("\"\\"), kApresArobaseChevrons(".>("),
    kApresArobase(".( "), kDansAdresse("\"(@>"), kDebut("(\"< @\t"), kListe(":;(\", \t"), kListeCommentaire("(\\)");

bool EstAtome(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
    case '!': case '#': case '$': case '%': case '&': case '\'': case '*': case '+': case '-': case '/':
    case '=': case '?': case '_': case '{': case '|': case '}': case '~': case '`':
        return true;
    default:
        return false;
    }
}

Texte Echapper(std::string_view s)
{
    Texte r;
    r.reserve(s.size() + 2);
    for (char c : s) {
        if (c == '\\' || c == '"') r += '\\';
        r += c;
    }
    return r;
}

// Whether `majuscules` is `texte` with its ASCII letters in capitals.
bool MajusculesDe(std::string_view texte, std::string_view majuscules)
{
    if (texte.size() != majuscules.size()) return false;
    for (std::size_t i = 0; i < texte.size(); ++i)
        if (MajusculeAscii(texte[i]) != majuscules[i]) return false;
    return true;
}

// Whether an item's display text counts as an address in a list.
bool AGarder(const TElementAdresse& e)
{
    const Texte t = TexteAdresse(e);
    const std::string_view v = Rogner(t);
    return !v.empty() && v != "<>";
}

}  // namespace

TElementAdresse AnalyserAdresse(std::string_view texte)
{
    TElementAdresse e;
    std::string_view reste = Rogner(texte);
    if (reste.empty()) return e;
    if (PremierDe(reste, kDebut) == npos_) {
        e.Address = reste;
        return e;
    }

    bool guillemets = false, arobase = false, chevrons = false, dansAdresse = false;
    int profondeur = 0;
    // Every turn consumes at least one character, so the walk ends.
    for (;;) {
        const JeuOctets& jeu = profondeur >= 1          ? kCommentaire
                               : guillemets               ? kGuillemets
                               : arobase && chevrons      ? kApresArobaseChevrons
                               : arobase                  ? kApresArobase
                               : dansAdresse              ? kDansAdresse
                                                          : kDebut;
        const std::size_t k = PremierDe(reste, jeu);
        if (k == npos_) break;
        const std::string_view avant = reste.substr(0, k);
        const std::string_view apres = reste.substr(k + 1);
        switch (reste[k]) {
        case '@':
            arobase = true;
            if (!dansAdresse && chevrons) throw Echec(GenreEchec::Autre, "@ Outside address");
            dansAdresse = true;
            e.Address += avant;
            e.Address += '@';
            reste = apres;
            break;
        case '\\':
            if (guillemets) {
                Texte& cible = dansAdresse ? e.Address : e.Name;
                cible += avant;
                if (!apres.empty()) cible += apres[0];
            }
            reste = apres.empty() ? apres : apres.substr(1);
            break;
        case '>':
            dansAdresse = false;
            arobase = false;
            e.Address += RognerBlancsTabs(avant);
            reste = apres;
            break;
        case '<':
            e.Name += avant;
            RognerEnPlace(e.Name);
            chevrons = true;
            dansAdresse = true;
            reste = apres;
            break;
        case '.':
            if (chevrons) {
                e.Address += RognerBlancsTabs(avant);
                e.Address += '.';
                reste = SansBlancsDevant(apres);
            } else {
                e.Address += avant;
                e.Address += '.';
                reste = apres;
            }
            break;
        case '(':
            ++profondeur;
            // Only the text before the outermost "(" belongs to the address or the name; what
            // precedes a nested "(" is comment text.
            if (k > 0 && profondeur == 1) {
                if (dansAdresse)
                    e.Address += Rogner(avant);
                else
                    e.Name += Rogner(avant);
            }
            reste = apres;
            break;
        case ')':
            --profondeur;
            reste = apres;
            break;
        case '"':
            if (!guillemets) {
                guillemets = true;
                reste = reste.substr(1);  // the quote itself when it begins the rest
            } else {
                (chevrons ? e.Address : e.Name) += Rogner(avant);
                guillemets = false;
                reste = apres;
            }
            break;
        default:  // blank or TAB
            if (k > 0) {
                if (arobase) {
                    e.Address += Rogner(avant);
                } else {
                    e.Name += avant;
                    e.Name += reste[k];
                }
            }
            reste = apres;
            break;
        }
    }
    if (dansAdresse && !chevrons) e.Address += Rogner(reste);
    return e;
}

Texte TexteAdresse(const TElementAdresse& e)
{
    Texte partie;
    const std::size_t a = e.Address.rfind('@');
    if (e.Address.empty() || a == Texte::npos) {
        // Without an "@" there is no local part nor domain to show.
        partie = e.Name.empty() ? "" : "<>";
    } else {
        const std::string_view local = std::string_view(e.Address).substr(0, a);
        const std::string_view domaine = std::string_view(e.Address).substr(a + 1);
        std::size_t h = 0;
        while (h < local.size() && EstAtome(local[h])) ++h;
        if (h < local.size() && local[h] != '.') {
            partie = "<\"" + Echapper(local) + "\"@" + Texte(domaine) + ">";
        } else {
            partie = e.Address;
            if (!e.Name.empty()) partie = "<" + partie + ">";
        }
    }
    if (e.Name.empty() || MajusculesDe(e.Address, e.Name)) return partie;
    bool simple = true;
    for (char c : e.Name)
        if (!EstAtome(c) && c != ' ') {
            simple = false;
            break;
        }
    // Appended in turn: GCC 12 at -O3 sees an overlap that is not there in "a" + " " + "b".
    Texte r;
    if (simple) {
        r.reserve(e.Name.size() + 1 + partie.size());
        r.append(e.Name).append(" ");
    } else {
        r.append("\"").append(Echapper(e.Name)).append("\" ");
    }
    return r.append(partie);
}

std::vector<TElementAdresse> AnalyserListeAdresses(std::string_view texte)
{
    std::vector<TElementAdresse> liste;
    std::string_view reste = Rogner(texte);
    if (reste.empty()) return liste;
    if (PremierDe(reste, kListe) == npos_) {
        liste.push_back(AnalyserAdresse(reste));
        return liste;
    }

    Texte accu;
    bool guillemets = false;
    int profondeur = 0;
    for (;;) {
        const JeuOctets& jeu = profondeur >= 1 ? kListeCommentaire : guillemets ? kGuillemets : kListe;
        const std::size_t k = PremierDe(reste, jeu);
        if (k == npos_) break;
        switch (reste[k]) {
        case ',': {
            accu += reste.substr(0, k);
            TElementAdresse e = AnalyserAdresse(SansBlancsDevant(accu));
            if (AGarder(e)) liste.push_back(std::move(e));
            accu.clear();
            reste = reste.substr(k + 1);
            break;
        }
        case ':':  // the group's name is dropped
            accu.clear();
            reste = reste.substr(k + 1);
            break;
        case ';':
            accu += reste.substr(0, k);
            if (!Rogner(accu).empty()) liste.push_back(AnalyserAdresse(SansBlancsDevant(accu)));
            accu.clear();
            reste = reste.substr(k + 1);
            break;
        case '\\': {
            const std::size_t n = std::min(k + 2, reste.size());
            accu += reste.substr(0, n);
            reste = reste.substr(n);
            break;
        }
        case '"':
            accu += reste.substr(0, k + 1);
            guillemets = !guillemets;
            reste = reste.substr(k + 1);
            break;
        case '(':
            accu += reste.substr(0, k + 1);
            ++profondeur;
            reste = reste.substr(k + 1);
            break;
        case ')':
            accu += reste.substr(0, k + 1);
            --profondeur;
            reste = reste.substr(k + 1);
            break;
        default:  // blank or TAB
            accu += reste.substr(0, k + 1);
            reste = reste.substr(k + 1);
            break;
        }
    }
    if (!Rogner(accu).empty() || !Rogner(reste).empty()) {
        accu += reste;
        TElementAdresse e = AnalyserAdresse(SansBlancsDevant(accu));
        if (AGarder(e)) liste.push_back(std::move(e));
    }
    return liste;
}

}  // namespace vaskor
