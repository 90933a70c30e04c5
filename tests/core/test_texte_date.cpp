#include "core/dates.h"
#include "core/texte_date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <vector>

using namespace vaskor;

namespace {
const TDateHeure kNoel = EncoderDate(2003, 12, 25) + EncoderHeure(14, 5, 0);
}

TEST(TexteDate, TheShortDateABlankAndTheLongTimeOfEachLocaleWithoutTimeZone)
{
    struct Cas {
        const char* locale;
        const char* apresMidi;
        const char* minuit;
        const char* matin;
    } cas[] = {
        {"fr_FR.UTF-8", "25/12/2003 14:05:00", "25/12/2003", "25/12/2003 09:00:07"},
        {"en_US", "12/25/03 2:05:00 PM", "12/25/03", "12/25/03 9:00:07 AM"},
        {"de_DE@euro", "25.12.03 14:05:00", "25.12.03", "25.12.03 09:00:07"},
        {"C", "25 Dec 2003 14:05:00", "25 Dec 2003", "25 Dec 2003 09:00:07"},
        {"POSIX", "25 Dec 2003 14:05:00", "25 Dec 2003", "25 Dec 2003 09:00:07"},
        {"", "25 Dec 2003 14:05:00", "25 Dec 2003", "25 Dec 2003 09:00:07"},
        {"es_ES", "25/12/03 14:05:00", "25/12/03", "25/12/03 9:00:07"},  // zone was in brackets
        {"zh_CN", "2003/12/25 14:05:00", "2003/12/25", "2003/12/25 09:00:07"},  // zone came first
    };
    for (const Cas& c : cas) {
        const FormatDateHeure f(c.locale);
        EXPECT_EQ(f.Ecrire(kNoel), c.apresMidi) << c.locale;
        EXPECT_EQ(f.Ecrire(EncoderDate(2003, 12, 25)), c.minuit) << c.locale;
        EXPECT_EQ(f.Ecrire(EncoderDate(2003, 12, 25) + EncoderHeure(9, 0, 7)), c.matin) << c.locale;
        EXPECT_EQ(f.MotifHeure().find('t'), std::string::npos) << c.locale;
    }
}

TEST(TexteDate, OnlyExactMidnightLeavesTheTimeOut)
{
    const FormatDateHeure f("fr_FR");
    EXPECT_EQ(f.Ecrire(EncoderDate(2003, 12, 25) + EncoderHeure(0, 0, 1)), "25/12/2003 00:00:01");
    // A millisecond after midnight is not midnight, though the seconds do not show it.
    EXPECT_EQ(f.Ecrire(EncoderDate(2003, 12, 25) + EncoderHeure(0, 0, 0, 1)), "25/12/2003 00:00:00");
    // Arithmetic noise far below a millisecond is.
    EXPECT_EQ(f.Ecrire(EncoderDate(2003, 12, 25) + 1e-12), "25/12/2003");
    EXPECT_EQ(f.Ecrire(EncoderDate(2003, 12, 26) - 1e-12), "26/12/2003");
}

TEST(TexteDate, TextsReadBackToTheirDateTimeUnderEveryLocale)
{
    const TDateHeure dates[] = {kNoel, EncoderDate(2003, 12, 25), EncoderDate(1999, 1, 2) + EncoderHeure(23, 59, 59),
                                EncoderDate(2024, 3, 31) + EncoderHeure(2, 30, 0)};  // a daylight-saving gap
    for (const char* locale : {"fr_FR", "en_US", "de_DE", "C", "es_ES", "zh_CN"}) {
        const FormatDateHeure f(locale);
        for (TDateHeure d : dates) {
            TDateHeure lu = -1;
            ASSERT_TRUE(f.Lire(f.Ecrire(d), lu)) << locale << " " << f.Ecrire(d);
            EXPECT_NEAR(lu, d, 1e-9) << locale << " " << f.Ecrire(d);
        }
        TDateHeure lu = 0;
        EXPECT_FALSE(f.Lire("", lu)) << locale;
        EXPECT_FALSE(f.Lire("pas une date", lu)) << locale;
        EXPECT_FALSE(f.Lire("\xFF\x01 12", lu)) << locale;
    }
}

TEST(TexteDate, TwoDigitYearsReadBackInTheRightCenturySoThatSortingHolds)
{
    const FormatDateHeure de("de_DE");
    TDateHeure a = 0, b = 0;
    ASSERT_TRUE(de.Lire("31.12.99 23:00:00", a));
    ASSERT_TRUE(de.Lire("01.01.03", b));
    EXPECT_EQ(a, EncoderDate(1999, 12, 31) + EncoderHeure(23, 0, 0));
    EXPECT_EQ(b, EncoderDate(2003, 1, 1));
    EXPECT_LT(a, b);
}

TEST(TexteDate, DatesOutsideTheCalendarStillGiveAText)
{
    const FormatDateHeure f("fr_FR");
    EXPECT_FALSE(f.Ecrire(EncoderDate(0, 6, 1)).empty());
    EXPECT_FALSE(f.Ecrire(std::numeric_limits<double>::quiet_NaN()).empty());
    EXPECT_EQ(f.Ecrire(EncoderDate(9999, 12, 31)), "31/12/9999");
}

TEST(TexteDate, TheLocaleComesFromLcAllThenLcTimeThenLang)
{
    struct Garde {
        const char* nom;
        std::optional<std::string> avant;
        explicit Garde(const char* n) : nom(n)
        {
            if (const char* v = std::getenv(n)) avant = v;
        }
        ~Garde() { avant ? ::setenv(nom, avant->c_str(), 1) : ::unsetenv(nom); }
    } g1("LC_ALL"), g2("LC_TIME"), g3("LANG");

    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    ::setenv("LC_TIME", "en_US.UTF-8", 1);
    ::setenv("LANG", "fr_FR.UTF-8", 1);
    EXPECT_EQ(NomLocaleEnvironnement(), "de_DE.UTF-8");
    ::setenv("LC_ALL", "", 1);  // set but empty counts as unset
    EXPECT_EQ(NomLocaleEnvironnement(), "en_US.UTF-8");
    ::unsetenv("LC_TIME");
    EXPECT_EQ(NomLocaleEnvironnement(), "fr_FR.UTF-8");
    ::unsetenv("LANG");
    ::unsetenv("LC_ALL");
    EXPECT_EQ(NomLocaleEnvironnement(), "C");
}

TEST(TexteDate, TheDirectReadingGivesWhatQtsParserGives)
{
    // Lire follows plain patterns itself and leaves the rest to Qt; both must agree on every
    // text a list can hold, whatever the locale (12-hour clocks, two-digit years, month names,
    // literal text, month names outside the code page in a numeric pattern).
    std::vector<TDateHeure> dates = {kNoel, EncoderDate(2003, 12, 25), EncoderDate(2000, 2, 29) + EncoderHeure(8, 1, 2),
                                     EncoderDate(1960, 7, 4) + EncoderHeure(23, 59, 59),
                                     EncoderDate(2099, 1, 31) + EncoderHeure(0, 0, 1)};
    for (int m = 1; m <= 12; ++m) dates.push_back(EncoderDate(2024, m, 9 + m) + EncoderHeure(m, 7 * m, 59 - m));
    for (const char* locale : {"fr_FR", "en_US", "de_DE", "C", "es_ES", "zh_CN", "en_GB", "ru_RU", "hu_HU", "pt_BR",
                               "fr_CA", "ja_JP", "nl_NL", "pl_PL", "tr_TR", "cs_CZ", "hi_IN", "zh_TW", "fi_FI"}) {
        const FormatDateHeure f(locale);
        std::vector<Texte> textes = {"", "pas une date", "\xFF\x01 12", "1", "31/02/2003", "25/12/2003 25:00:00"};
        for (TDateHeure d : dates) {
            const Texte t = f.Ecrire(d);
            textes.insert(textes.end(), {t, " " + t, t + " ", t + "0", t.substr(0, t.size() - 1), "0" + t});
        }
        for (const Texte& t : textes) {
            TDateHeure direct = -1, qt = -1;
            EXPECT_EQ(f.Lire(t, direct), f.LireParLocale(t, qt)) << locale << " [" << t << "]";
            EXPECT_EQ(direct, qt) << locale << " [" << t << "]";
        }
    }
}
