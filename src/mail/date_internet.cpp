// The "Date" header as a local date-time. Mailers write dates in many shapes; what cannot be read
// gives the origin of the calendar (shifted to local time) rather than a failure, so that an odd
// date never makes a whole header block unreadable.

#include "mail/message.h"

#include <cmath>
#include <optional>

namespace vaskor {

namespace {

constexpr std::string_view kMois[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::string_view kJours[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

// A decimal number, optionally signed, spelling the whole text; nothing else is accepted.
std::optional<long long> LireEntier(std::string_view s)
{
    std::size_t i = 0;
    bool negatif = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negatif = s[i++] == '-';
    if (i == s.size() || s.size() - i > 15) return std::nullopt;  // also keeps far clear of overflow
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
    }
    return negatif ? -v : v;
}

long long EntierOu(std::string_view s, long long defaut) { return LireEntier(s).value_or(defaut); }

int NumeroMois(std::string_view partie)
{
    if (partie.size() < 3) return 0;
    for (int m = 0; m < 12; ++m)
        if (EgalSansCasse(partie.substr(0, 3), kMois[m])) return m + 1;
    return 0;
}

bool EstBissextile(long long a) { return (a % 4 == 0 && a % 100 != 0) || a % 400 == 0; }
int JoursDuMois(long long a, int m)
{
    static constexpr int n[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && EstBissextile(a) ? 29 : n[m - 1];
}

// Takes the text up to the first of `fins` off the front of `s` (all of it when none), and the
// blanks after that character.
std::string_view Prendre(std::string_view& s, std::string_view fins)
{
    const std::size_t k = s.find_first_of(fins);
    const std::string_view partie = s.substr(0, k);
    s = k == std::string_view::npos ? std::string_view() : RognerGauche(s.substr(k + 1));
    return partie;
}

// The date and time written in the text, as written (no zone applied), and the zone text.
std::optional<TDateHeure> LireDateHeure(std::string_view s, std::string_view& zone)
{
    if (s.size() >= 3) {
        for (std::string_view j : kJours)
            if (EgalSansCasse(s.substr(0, 3), j)) {
                const std::size_t b = s.find(' ');
                s = b == std::string_view::npos ? std::string_view() : RognerGauche(s.substr(b + 1));
                break;
            }
    }
    const std::size_t blanc = s.find(' ');
    const std::size_t tiret = s.substr(0, blanc).find('-');
    const bool avecTirets = tiret != std::string_view::npos && tiret > 0;
    // With dashes ("7-Sep-2004 ...") a part also ends at a blank, so that a date that mixes
    // both still finds its year after the month.
    const std::string_view fins = avecTirets ? "- " : " ";

    const std::string_view premiere = Prendre(s, fins);
    const std::string_view seconde = Prendre(s, fins);
    std::string_view partieJour = premiere, partieMois = seconde;
    if (NumeroMois(premiere) != 0) std::swap(partieJour, partieMois);
    const int mois = NumeroMois(partieMois);
    if (mois == 0) return std::nullopt;
    const long long jour = EntierOu(partieJour, 1);

    std::string_view reste = s;
    const std::optional<long long> lue = LireEntier(Prendre(reste, " "));
    // A stray word where the year should be: the text after it is tried as the year, and
    // stays the rest. A year written 1900 is taken as it is, so that its time still follows.
    long long annee = lue ? *lue : EntierOu(reste, 1900);
    if (annee < 80)
        annee += 2000;
    else if (annee < 100)
        annee += 1900;
    if (annee < 1 || annee > 9999 || jour < 1 || jour > JoursDuMois(annee, mois)) return std::nullopt;
    TDateHeure d = EncoderDate(int(annee), mois, int(jour));

    if (reste.find(':') != std::string_view::npos) {
        std::string_view heure = Prendre(reste, " ");
        const long long h = EntierOu(Prendre(heure, ":"), 0);
        const long long m = EntierOu(Prendre(heure, ":"), 0);
        const long long sec = EntierOu(heure, 0);
        // A leap second (60) is let through: it reads as the first second of the next minute.
        if (h < 0 || h > 23 || m < 0 || m > 59 || sec < 0 || sec > 60) return std::nullopt;
        d += EncoderHeure(int(h), int(m), int(sec));
    }
    zone = reste;
    return d;
}

// The shapes that RFC 5322 allows beside the usual one, brought back to it: comments dropped,
// folding blanks made single blanks, a blank after the comma of the day name ("Mon,01 Jan"),
// none around the colons of the time ("10 : 20").
std::string Normaliser(std::string_view t)
{
    std::string r;
    r.reserve(t.size() + 4);
    int profondeur = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (profondeur > 0) {
            if (c == '\\') ++i;
            else if (c == '(') ++profondeur;
            else if (c == ')' && --profondeur == 0) r += ' ';
            continue;
        }
        if (c == '(') {
            ++profondeur;
            continue;
        }
        if (static_cast<unsigned char>(c) <= 32) c = ' ';
        if (c == ' ' && (r.empty() || r.back() == ' ' || r.back() == ':')) continue;
        if ((c == ',' || c == ':') && !r.empty() && r.back() == ' ') r.pop_back();
        r += c;
        if (c == ',') r += ' ';
    }
    return std::string(Rogner(r));
}

// The offset in minutes east of UTC of an obsolete zone name (RFC 5322: UT, GMT, the North
// American names; the military letters carry no reliable meaning and count as UTC).
std::optional<int> ZoneNommee(std::string_view zone)
{
    struct Nom {
        std::string_view nom;
        int heures;
    };
    static constexpr Nom kNoms[] = {{"UT", 0},   {"GMT", 0},  {"EST", -5}, {"EDT", -4}, {"CST", -6},
                                    {"CDT", -5}, {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}};
    zone = zone.substr(0, zone.find_first_of(" \t("));
    for (const Nom& n : kNoms)
        if (EgalSansCasse(zone, n.nom)) return n.heures * 60;
    if (zone.size() == 1 && ((zone[0] >= 'A' && zone[0] <= 'Z') || (zone[0] >= 'a' && zone[0] <= 'z'))) return 0;
    return std::nullopt;
}

// The date-time written with its zone text, as local time: a sign and four digits are the
// offset from UTC; anything else counts as UTC.
TDateHeure AvecZone(TDateHeure d, std::string_view zone)
{
    zone = Rogner(zone);
    if (zone.size() >= 5 && (zone[0] == '+' || zone[0] == '-')) {
        bool chiffres = true;
        for (std::size_t i = 1; i < 5; ++i) chiffres = chiffres && zone[i] >= '0' && zone[i] <= '9';
        if (chiffres) {
            const int minutes = ((zone[1] - '0') * 10 + (zone[2] - '0')) * 60 + (zone[3] - '0') * 10 + (zone[4] - '0');
            d += (zone[0] == '+' ? -minutes : minutes) / 1440.0;
        }
    }
    // The local offset in force at that instant, summer time included.
    return d + DecalageLocalMinutes(d) / 1440.0;
}

}  // namespace

TDateHeure DateInternet(std::string_view texte)
{
    std::string_view zone;
    const std::string_view t = Rogner(texte);
    TDateHeure d = 0;
    if (!t.empty()) {
        const auto lue = LireDateHeure(t, zone);
        if (lue)
            d = *lue;
        else
            zone = {};
    }
    return AvecZone(d, zone);
}

bool LireDateInternet(std::string_view texte, TDateHeure& resultat)
{
    const std::string_view t = Rogner(texte);
    std::string_view zone;
    std::optional<TDateHeure> lue;
    std::string normalise;
    if (!t.empty()) lue = LireDateHeure(t, zone);
    if (!lue && !t.empty()) {
        // What the usual reading leaves unreadable may still be a valid date of another shape.
        normalise = Normaliser(t);
        zone = {};
        if (!normalise.empty()) lue = LireDateHeure(normalise, zone);
    }
    if (!lue) {
        resultat = AvecZone(0, {});
        return false;
    }
    if (const std::optional<int> nommee = ZoneNommee(Normaliser(zone))) {
        const TDateHeure utc = *lue - *nommee / 1440.0;
        resultat = utc + DecalageLocalMinutes(utc) / 1440.0;
    } else {
        resultat = AvecZone(*lue, zone);
    }
    return true;
}

}  // namespace vaskor
