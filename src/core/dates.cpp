#include "core/dates.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace vaskor {

namespace {
// Days from 1970-01-01 for a civil date (H. Hinnant's algorithm).
std::int64_t JoursDepuisCivil(std::int64_t a, unsigned m, unsigned j)
{
    a -= m <= 2;
    const std::int64_t ere = (a >= 0 ? a : a - 399) / 400;
    const unsigned ade = static_cast<unsigned>(a - ere * 400);
    const unsigned adj = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + j - 1;
    const unsigned ado = ade * 365 + ade / 4 - ade / 100 + adj;
    return ere * 146097 + static_cast<std::int64_t>(ado) - 719468;
}

void CivilDepuisJours(std::int64_t z, int& a, int& m, int& j)
{
    z += 719468;
    const std::int64_t ere = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned ado = static_cast<unsigned>(z - ere * 146097);
    const unsigned ade = (ado - ado / 1460 + ado / 36524 - ado / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(ade) + ere * 400;
    const unsigned adj = ado - (365 * ade + ade / 4 - ade / 100);
    const unsigned mp = (5 * adj + 2) / 153;
    j = static_cast<int>(adj - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    a = static_cast<int>(y + (m <= 2));
}

constexpr std::int64_t kOrigine = -25569;  // 1899-12-30 counted from 1970-01-01
}  // namespace

TDateHeure EncoderDate(int annee, int mois, int jour)
{
    // Normalise the month so that arithmetic on out-of-range fields stays defined.
    std::int64_t a = annee, m = mois - 1;
    a += m >= 0 ? m / 12 : -((11 - m) / 12);
    m = ((m % 12) + 12) % 12;
    return static_cast<double>(JoursDepuisCivil(a, unsigned(m + 1), 1) + (jour - 1) - kOrigine);
}

TDateHeure EncoderHeure(int heure, int minute, int seconde, int milli)
{
    return (((heure * 60.0 + minute) * 60.0 + seconde) * 1000.0 + milli) / 86400000.0;
}

ElementsDate DecoderDateHeure(TDateHeure d, bool auSeconde)
{
    ElementsDate e;
    if (!std::isfinite(d) || std::fabs(d) > 3.0e6) return e;  // far outside any real date
    const double unite = auSeconde ? 1000.0 : 1.0;
    const auto ms = static_cast<std::int64_t>(std::llround(d * 86400000.0 / unite) * unite);
    std::int64_t jours = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    std::int64_t reste = ms - jours * 86400000;
    CivilDepuisJours(jours + kOrigine, e.annee, e.mois, e.jour);
    e.heure = int(reste / 3600000);
    reste %= 3600000;
    e.minute = int(reste / 60000);
    reste %= 60000;
    e.seconde = int(reste / 1000);
    e.milli = int(reste % 1000);
    return e;
}

int DecalageLocalMinutes(TDateHeure utc)
{
    if (!std::isfinite(utc) || std::fabs(utc) > 3.0e6) return 0;
    const auto t = static_cast<std::time_t>(std::floor((utc + kOrigine) * 86400.0));
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return 0;
    return static_cast<int>(tm.tm_gmtoff / 60);
}

TDateHeure MaintenantLocal()
{
    const auto maintenant = std::chrono::system_clock::now();
    const double s = std::chrono::duration<double>(maintenant.time_since_epoch()).count();
    const TDateHeure utc = s / 86400.0 - kOrigine;
    return utc + DecalageLocalMinutes(utc) / 1440.0;
}

std::string FormaterIso(TDateHeure d)
{
    const ElementsDate e = DecoderDateHeure(d, true);
    const int champs[] = {e.annee, e.mois, e.jour, e.heure, e.minute, e.seconde};
    bool courant = e.annee >= 0 && e.annee <= 9999;
    for (int k = 1; k < 6; ++k) courant = courant && champs[k] >= 0 && champs[k] <= 99;
    if (!courant) {
        char tampon[80];
        std::snprintf(tampon, sizeof tampon, "%04d-%02d-%02d %02d:%02d:%02d", e.annee, e.mois, e.jour, e.heure,
                      e.minute, e.seconde);
        return tampon;
    }
    // The usual case without the formatter, which costs more than the rest of a scanned row.
    std::string r = "0000-00-00 00:00:00";
    for (int k = 0, v = e.annee; k < 4; ++k, v /= 10) r[std::size_t(3 - k)] = char('0' + v % 10);
    for (int k = 1; k < 6; ++k) {
        const std::size_t p = std::size_t(2 + 3 * k);
        r[p] = char('0' + champs[k] / 10);
        r[p + 1] = char('0' + champs[k] % 10);
    }
    return r;
}

}  // namespace vaskor
