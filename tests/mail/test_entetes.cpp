#include "mail/echec.h"
#include "mail/message.h"

#include <gtest/gtest.h>

using namespace vaskor;

TEST(LireValeurEntete, FindsTheFirstLineOfThatNameAndJoinsItsFoldedLines)
{
    const ListeEntetes h = {
        "Received: from a",
        "\tby b",
        "SUBJECT:   Hello  ",
        "\tworld\r",
        "Subject: second",
        "To: a@b.fr,",
        " ",
        "  c@d.fr",
        "Subject : not a subject line (its name ends with a blank)",
        "X-Vide:",
        "Mots: un\t",
        " deux",
        "From: x@y.fr",
        " trois",
        "sans deux-points",
    };
    EXPECT_EQ(LireValeurEntete(h, "subject"), "Hello world");
    EXPECT_EQ(LireValeurEntete(h, "Received"), "from a by b");
    // A continuation made only of blanks adds nothing but the joining blank, which the next join trims.
    EXPECT_EQ(LireValeurEntete(h, "To"), "a@b.fr, c@d.fr");
    EXPECT_EQ(LireValeurEntete(h, "Mots"), "un deux");
    EXPECT_EQ(LireValeurEntete(h, "X-Vide"), "");
    EXPECT_EQ(LireValeurEntete(h, "Cc"), "");
    EXPECT_EQ(LireValeurEntete(h, "Subject "), "not a subject line (its name ends with a blank)");
    EXPECT_EQ(LireValeurEntete(h, "From"), "x@y.fr trois");
    EXPECT_EQ(LireValeurEntete(h, "Received: from a"), "");  // a name never holds ":"
    // Many names in one pass read what one name at a time reads.
    const std::string_view noms[] = {"subject", "Received", "To", "Mots", "X-Vide", "Cc", "Subject ", "From",
                                     "Received: from a", "", "sans deux-points", "mots"};
    Texte valeurs[std::size(noms)];
    LireValeursEntetes(h, noms, std::size(noms), valeurs);
    for (std::size_t k = 0; k < std::size(noms); ++k) EXPECT_EQ(valeurs[k], LireValeurEntete(h, noms[k])) << noms[k];

    std::vector<Texte> toutes{"avant"};
    LireValeurEntete(h, "Subject", toutes);
    EXPECT_EQ(toutes, (std::vector<Texte>{"avant", "Hello world", "second"}));

    // A line without ":" has an empty name, and all of it is its value (a filter file may name
    // no header).
    std::vector<Texte> sansNom;
    LireValeurEntete(ListeEntetes{"A: 1", "sans nom", "\tsuite", ": vide", "B: 2"}, "", sansNom);
    EXPECT_EQ(sansNom, (std::vector<Texte>{"sans nom suite", "suite", "vide"}));
}

TEST(LireValeurEntete, AHeaderFoldedOverThousandsOfLinesIsJoinedWhole)
{
    ListeEntetes h{"Subject: debut"};
    for (int i = 0; i < 20000; ++i) h.push_back(" mot");
    h.push_back("From: a@b.fr");
    const Texte v = LireValeurEntete(h, "Subject");
    EXPECT_EQ(v.size(), 5 + 20000 * 4u);
    EXPECT_EQ(v.substr(0, 14), "debut mot mot ");
    EXPECT_EQ(LireValeurEntete(h, "From"), "a@b.fr");
}

TEST(DecoderEntete, DecodesIsoAndWindowsWordsAndLeavesEveryOtherCharsetAsItIs)
{
    struct Cas {
        const char* entree;
        std::string attendu;
    };
    const Cas cas[] = {
        {"=?ISO-8859-1?Q?caf=E9_cr=E8me?=", "caf\xE9 cr\xE8me"},
        {"=?iso-8859-1?B?Y2Fm6Q==?=", "caf\xE9"},  // the padding gives NUL bytes, removed
        {"=?ISO-8859-1?B?Y2Fm6Q?=", "caf\xE9"},    // the closing "?=" completes the last group
        {"=?UTF-8?Q?caf=C3=A9?=", "=?UTF-8?Q?caf=C3=A9?="},
        {"=?utf-8?B?Y2Fmw6k=?=", "=?utf-8?B?Y2Fmw6k=?="},
        {"=?windows-1252?q?=80_5?=", "\x80 5"},
        {"Re: =?Iso-8859-15?Q?D=E9j=E0?= vu", "Re: D\xE9j\xE0 vu"},
        {"=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?=", "a b"},  // blanks between words are kept
        {"=?ISO-8859-1?Q?a=4?=", "a=4"},                  // an "=" too near the end stays
        {"=?ISO-8859-1?Q?a=?=", "a="},
        {"=?ISO-8859-1?Q?a=00b?=", "ab"},
        {"=?ISO-8859-1?Q?pas fini", "=?ISO-8859-1?Q?pas fini"},
        {"=?ISO-8859-1?Q", "=?ISO-8859-1?Q"},
        {"=?ISO", "=?ISO"},
        {"", ""},
        {"aucun mot", "aucun mot"},
        // ISO-2022-JP becomes Shift_JIS: JIS 30 21, 24 22, 21 21 and 5F 21 in two-byte mode.
        {"=?ISO-2022-JP?Q?x=1B$B0!$\"!!=5F!=1B(By?=", "x\x88\x9F\x82\xA0\x81\x40\xE0\x40y"},
        {"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", "\x83\x65\x83\x58\x83\x67"},
    };
    for (const Cas& c : cas) {
        EXPECT_EQ(DecoderEntete(c.entree), c.attendu) << c.entree;
        EXPECT_EQ(DecoderEntete(c.entree, false), c.attendu) << c.entree;  // the setting off
    }
}

TEST(DecoderEntete, TheModernDecodingReadsEveryKnownCharsetAndRawUtf8)
{
    struct Cas {
        const char* entree;
        std::string attendu;
    };
    const Cas cas[] = {
        {"=?UTF-8?Q?caf=C3=A9?=", "caf\xE9"},
        {"=?utf-8?b?Y2Fmw6k=?=", "caf\xE9"},
        {"=?ISO-8859-15?Q?=BDuvres?=", "\x9Cuvres"},  // "œ", not the code page 1252 "½"
        {"120 =?ISO-8859-15?Q?=A4?=", "120 \x80"},
        {"b=?windows-1252?Q?=9C?= =?windows-1252?Q?uf?=", "b\x9Cuf"},  // blanks between words go
        {"=?UTF-8?Q?a?=\t =?ISO-8859-1?Q?=E9?= fin", "a\xE9 fin"},
        {"=?UTF-8?Q?=C3?= =?UTF-8?Q?=A9t=C3=A9?=", "\xE9t\xE9"},  // a character cut between two words
        {"=?UTF-8?Q?=E2=82=AC_=E4=B8=AD_=FF?=", "\x80 ? ?"},      // lacking or invalid: "?"
        {"=?UTF-8*fr?Q?oui?=", "oui"},
        {"=?KOI8-R?B?8NLJ18XU?=", "??????"},
        {"Soci\xC3\xA9t\xC3\xA9 caf\xE9", "Soci\xE9t\xE9 caf\xE9"},  // raw UTF-8 read, a stray byte kept
        {"=?UTF-8?Q?=ZZ?=", "=ZZ"},  // never unreadable
        {"=?x-inconnu?Q?abc?= =?UTF-8?Q?a b?=", "=?x-inconnu?Q?abc?= =?UTF-8?Q?a b?="},
        {"=?ISO-8859-1?Q?a=00b?=", "ab"},
        {"sans mot", "sans mot"},
    };
    for (const Cas& c : cas) EXPECT_EQ(DecoderEntete(c.entree, true), c.attendu) << c.entree;
}

TEST(DecoderEntete, AQEscapeThatIsNotHexadecimalMakesTheHeaderUnreadable)
{
    for (const char* mauvais : {"=?ISO-8859-1?Q?caf=G9?=", "x =?windows-1252?Q?=e?_?="}) {
        try {
            DecoderEntete(mauvais);
            ADD_FAILURE() << mauvais;
        } catch (const Echec& e) {
            EXPECT_EQ(e.Genre(), GenreEchec::Autre);
            EXPECT_FALSE(e.Message().empty());
        }
    }
}

TEST(DecoderEntete, ThousandsOfWordsAndUnfinishedWordsStayLinear)
{
    Texte beaucoup;
    for (int i = 0; i < 20000; ++i) beaucoup += "=?ISO-8859-1?B?YQ==?=";
    EXPECT_EQ(DecoderEntete(beaucoup), Texte(20000, 'a'));

    Texte inacheves;
    for (int i = 0; i < 20000; ++i) inacheves += "=?ISO-8859-1?Q";
    EXPECT_EQ(DecoderEntete(inacheves), inacheves);

    // With no ISO word left, every search for one must not rescan the rest of the text.
    Texte windows;
    for (int i = 0; i < 20000; ++i) windows += "=?windows-1252?Q?b?=";
    EXPECT_EQ(DecoderEntete(windows), Texte(20000, 'b'));

    Texte melange = "=?ISO?Q?";
    for (int i = 0; i < 5000; ++i) melange += "=?WINDOWS-1252?X ";
    EXPECT_EQ(DecoderEntete(melange), melange);
}

TEST(LignesEnteteDepuisTexte, SplitsAtLineFeedsAndStopsAtTheFirstEmptyLine)
{
    EXPECT_EQ(LignesEnteteDepuisTexte("A: 1\r\nB: 2\n \tsuite\r\n\r\nCorps: non\r\n"),
              (ListeEntetes{"A: 1", "B: 2", " \tsuite"}));
    EXPECT_EQ(LignesEnteteDepuisTexte("A: 1"), (ListeEntetes{"A: 1"}));
    EXPECT_EQ(LignesEnteteDepuisTexte("  \nA: 1\n\n"), (ListeEntetes{"  ", "A: 1"}));
    EXPECT_EQ(LignesEnteteDepuisTexte("\r\nA: 1\r\n"), ListeEntetes{});
    EXPECT_EQ(LignesEnteteDepuisTexte(""), ListeEntetes{});
    EXPECT_EQ(LignesEnteteDepuisTexte(std::string("A: \0x\n", 6)), (ListeEntetes{std::string("A: \0x", 5)}));
}
