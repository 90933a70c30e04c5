#include "core/dates.h"
#include "mail/message.h"

#include "support/outils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

using namespace vaskor;

namespace {


// POSIX rules need no zone database: a fixed zone one hour east of UTC, and the rules of Paris.
constexpr const char* kUneHeureEst = "XXX-1";
constexpr const char* kParis = "CET-1CEST,M3.5.0,M10.5.0/3";

}  // namespace

TEST(DateInternet, ReadsTheUsualShapesAndGivesTheOriginForWhatItCannotRead)
{
    test::ZoneLocale utc("UTC0");
    struct Cas {
        const char* texte;
        const char* attendu;
    };
    const Cas cas[] = {
        {"Tue, 7 Sep 2004 10:20:30 +0200", "2004-09-07 08:20:30"},
        {"Sep 7 2004 10:20:30 GMT", "2004-09-07 10:20:30"},
        {"  tue,   07 sep 2004 10:20:30 -0000  ", "2004-09-07 10:20:30"},
        {"7-Sep-2004 10:20:30 -0459", "2004-09-07 15:19:30"},
        {"Thu, 13 Feb 1969 23:32 -0330 (Newfoundland Time)", "1969-02-14 03:02:00"},
        {"Tue, 7 Sep 79 10:20:30 GMT", "2079-09-07 10:20:30"},
        {"Tue, 7 Sep 80 10:20:30 GMT", "1980-09-07 10:20:30"},
        {"7 Sep 04 10:20:30 EST", "2004-09-07 10:20:30"},  // zone names count as UTC
        {"Tue, 7 Sep 2004", "2004-09-07 00:00:00"},
        {"7 Sep 2004 10:20:30 +02", "2004-09-07 10:20:30"},
        {"7 Sep 2004 10:20:30 H0500", "2004-09-07 10:20:30"},
        {"29 Feb 2004 10:00:00 +0000", "2004-02-29 10:00:00"},
        {"30 Jun 2015 23:59:60 +0000", "2015-07-01 00:00:00"},
        {"Mon, 1 Jan 3609 00:00:00 +0000", "3609-01-01 00:00:00"},
        {"xx Sep 2004 10:20:30 +0000", "2004-09-01 10:20:30"},  // an unreadable day is the 1st
        // A year written 1900 keeps the time after it; a word where the year should be is skipped.
        {"Mon, 1 Jan 1900 10:20:30 +0000", "1900-01-01 10:20:30"},
        {"1 Jan 1900 +0100", "1899-12-31 23:00:00"},
        {"7 Sep vers 2004", "2004-09-07 00:00:00"},
        {"", "1899-12-30 00:00:00"},
        {"n'importe quoi", "1899-12-30 00:00:00"},
        {"7 Foo 2004 10:00:00 +0100", "1899-12-30 00:00:00"},
        {"29 Feb 2005 10:00:00 +0000", "1899-12-30 00:00:00"},
        {"7 Sep 2004 59:10:00 +0000", "1899-12-30 00:00:00"},
        {"Tue, 7 Sep 12004 10:20:30 +0000", "1899-12-30 00:00:00"},
        {"Tuesday", "1899-12-30 00:00:00"},
    };
    for (const Cas& c : cas) EXPECT_EQ(FormaterIso(DateInternet(c.texte)), c.attendu) << c.texte;
}

TEST(DateInternet, AddsTheOffsetOfTheLocalZoneAtThatInstant)
{
    {
        test::ZoneLocale z(kUneHeureEst);
        EXPECT_EQ(FormaterIso(DateInternet("Tue, 7 Sep 2004 10:20:30 +0200")), "2004-09-07 09:20:30");
        EXPECT_EQ(FormaterIso(DateInternet("Sep 7 2004 10:20:30 GMT")), "2004-09-07 11:20:30");
        // No date at all: the origin, shifted by the local offset.
        EXPECT_EQ(FormaterIso(DateInternet("")), "1899-12-30 01:00:00");
    }
    test::ZoneLocale z(kParis);
    EXPECT_EQ(FormaterIso(DateInternet("Tue, 7 Dec 2004 10:20:30 +0000")), "2004-12-07 11:20:30");
    EXPECT_EQ(FormaterIso(DateInternet("Tue, 7 Sep 2004 10:20:30 +0000")), "2004-09-07 12:20:30");
    // Summer time began at 01:00 UTC on 31 March 2024: what counts is the offset at the message's instant.
    EXPECT_EQ(FormaterIso(DateInternet("Sun, 31 Mar 2024 00:30:00 +0000")), "2024-03-31 01:30:00");
    EXPECT_EQ(FormaterIso(DateInternet("Sun, 31 Mar 2024 01:30:00 +0000")), "2024-03-31 03:30:00");
    EXPECT_EQ(FormaterIso(DateInternet("Sun, 31 Mar 2024 03:30:00 +0200")), "2024-03-31 03:30:00");
}

TEST(DateInternet, LongOrOddTextsEndQuickly)
{
    test::ZoneLocale utc("UTC0");
    EXPECT_EQ(FormaterIso(DateInternet(std::string(20000, '1'))), "1899-12-30 00:00:00");
    std::string blancs = "7 Sep";
    for (int i = 0; i < 5000; ++i) blancs += " 1:";
    // No year: the 1900 default, and the first of the rest read as a time.
    EXPECT_EQ(FormaterIso(DateInternet(blancs)), "1900-09-07 01:00:00");
    EXPECT_EQ(FormaterIso(DateInternet("7 Sep 2004 99999999999999999999:1:1")), "2004-09-07 00:01:01");
}

TEST(LireDateInternet, ReadsEveryShapeThatRfc5322AllowsAndKeepsWhatTheUsualReadingGives)
{
    test::ZoneLocale utc("UTC0");
    struct Cas {
        const char* texte;
        const char* attendu;  // nullptr: no date
    };
    const Cas cas[] = {
        {"Mon,01 Jan 2024 00:17:23 +0000", "2024-01-01 00:17:23"},
        {"Mon ,  1 Jan 2024 00:17 +0100", "2023-12-31 23:17:00"},
        {"Mon,\t1\tJan\t2024\t10 : 20 : 30\t-0100", "2024-01-01 11:20:30"},
        {"(envoi) Mon, 1 (jour) Jan 2024 10:20:30 (heure) +0200", "2024-01-01 08:20:30"},
        {"7 Sep 04 10:20:30 EST", "2004-09-07 15:20:30"},
        {"Tue, 7 Sep 2004 10:20:30 pdt", "2004-09-07 17:20:30"},
        {"Tue, 7 Sep 2004 10:20:30 UT", "2004-09-07 10:20:30"},
        {"Tue, 7 Sep 2004 10:20:30 Z", "2004-09-07 10:20:30"},
        // What the usual reading gives stays.
        {"Tue, 7 Sep 2004 10:20:30 +0200", "2004-09-07 08:20:30"},
        {"7-Sep-2004 10:20:30 -0459", "2004-09-07 15:19:30"},
        {"xx Sep 2004 10:20:30 +0000", "2004-09-01 10:20:30"},
        {"", nullptr},
        {"n'importe quoi", nullptr},
        {"29 Feb 2005 10:00:00 +0000", nullptr},
        {"Mon,", nullptr},
        {"(((", nullptr},
    };
    for (const Cas& c : cas) {
        TDateHeure d = -1;
        const bool lue = LireDateInternet(c.texte, d);
        EXPECT_EQ(lue, c.attendu != nullptr) << c.texte;
        EXPECT_EQ(FormaterIso(d), c.attendu ? c.attendu : "1899-12-30 00:00:00") << c.texte;
    }
}
