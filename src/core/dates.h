#pragma once
// Date-times as the record files and the window hold them: days since 30 December 1899, the
// fraction being the time of day. Negative values count back continuously (floor), so a
// date-time a few hours before the origin is the evening of 29 December 1899.

#include <cstdint>
#include <string>

namespace vaskor {

using TDateHeure = double;

struct ElementsDate {
    int annee = 1899, mois = 12, jour = 30;
    int heure = 0, minute = 0, seconde = 0, milli = 0;
};

// Days since 30 December 1899 for a proleptic Gregorian date (no range check on the fields
// beyond what the arithmetic needs: day 31 of February is 3 March).
TDateHeure EncoderDate(int annee, int mois, int jour);
TDateHeure EncoderHeure(int heure, int minute, int seconde, int milli = 0);
// Splits a date-time, rounded to the millisecond (or to the second with `auSeconde`).
ElementsDate DecoderDateHeure(TDateHeure d, bool auSeconde = false);

// Offset of the local time zone from UTC, in minutes, at the given UTC date-time (taken from
// the system's zone rules for that date, daylight saving included).
int DecalageLocalMinutes(TDateHeure utc);
// Now, in local time.
TDateHeure MaintenantLocal();

// "YYYY-MM-DD HH:MM:SS", rounded to the second.
std::string FormaterIso(TDateHeure d);

}  // namespace vaskor
