#pragma once
// The one date-time text of the program: the message list's "Date" column, the journal's date
// field, the "Date" header filter and the printed preview all use it. It is the user's short
// date format, a blank and the long time format (without a time-zone name), the time left out
// at exactly midnight: "25/12/2003 14:05:00" with French settings, "12/25/03 2:05:00 PM" with
// American ones.

#include "core/dates.h"
#include "core/texte.h"

#include <memory>
#include <string>

namespace vaskor {

class FormatDateHeure {
public:
    // The formats of a locale named as in the environment ("fr_FR", "de_DE.UTF-8",
    // "en_US.UTF-8@x", "C", "POSIX"); an unknown or empty name gives the C locale.
    explicit FormatDateHeure(const std::string& nomLocale);
    // The user's formats, taken once from LC_ALL, else LC_TIME, else LANG (the first that is set
    // and not empty).
    static const FormatDateHeure& Utilisateur();

    Texte Ecrire(TDateHeure d) const;
    // Reads back a text made by Ecrire with the same formats (the date alone too). Two-digit
    // years are placed within the fifty years before the current year and the forty-nine after.
    bool Lire(const Texte& texte, TDateHeure& d) const;
    // The same reading through Qt's locale parser alone, which Lire leaves for the patterns it
    // cannot follow directly (tests compare the two).
    bool LireParLocale(const Texte& texte, TDateHeure& d) const;

    // The patterns in use, UTF-8, as Qt's date-time format strings (for tests and messages).
    std::string MotifDate() const;
    std::string MotifHeure() const;

private:
    // False when the patterns or the text are not of the plain shape this reading follows.
    bool LireDirectement(const Texte& texte, TDateHeure& d) const;
    TDateHeure Composer(int annee, int mois, int jour, int heure, int minute, int seconde, int milli) const;

    struct Donnees;
    std::shared_ptr<const Donnees> d_;
};

// The locale name from LC_ALL, LC_TIME, LANG; "C" when none is set.
std::string NomLocaleEnvironnement();

Texte TexteDate(TDateHeure d);
bool LireTexteDate(const Texte& texte, TDateHeure& d);

}  // namespace vaskor
