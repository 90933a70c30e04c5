#include "core/chaine_courte.h"
#include "core/compte.h"
#include "core/dates.h"
#include "core/fichiers.h"
#include "core/texte.h"
#include "support/outils.h"

#include <gtest/gtest.h>

using namespace vaskor;

TEST(Cp1252, EveryByteSurvivesARoundTripThroughUtf8)
{
    std::string tous;
    for (int i = 0; i < 256; ++i) tous += char(i);
    EXPECT_EQ(Utf8VersCp1252(Cp1252VersUtf8(tous)), tous);
    EXPECT_EQ(Cp1252VersUtf8("\x80\x81\x9D\xE9"), "\u20AC\u0081\u009D\u00E9");
    EXPECT_EQ(Cp1252VersUnicode(0x92), U'\u2019');
}

TEST(Cp1252, CharactersOutsideTheCodePageAndBrokenUtf8BecomeQuestionMarks)
{
    EXPECT_EQ(Utf8VersCp1252("a\u4E2Db"), "a?b");
    EXPECT_EQ(Utf8VersCp1252("a\xC3"), "a?");
    EXPECT_EQ(Utf8VersCp1252("\xE2" "A"), "?A");  // a cut sequence does not swallow what follows
    EXPECT_EQ(Utf8VersCp1252("\xE2\x82" "A"), "??A");
    EXPECT_EQ(Utf8VersCp1252("\xC0\x8A" "b\xE0\x80\xAF"), "?b?");  // overlong forms
    EXPECT_EQ(Utf8VersCp1252("\xFF" "b"), "?b");
    EXPECT_EQ("Déjà"_cp, "D\xE9j\xE0");
}

TEST(CasseAscii, OnlyAsciiLettersFoldAndBytesCompareByTheirCode)
{
    EXPECT_TRUE(EgalSansCasse("Compte", "cOMPTE"));
    EXPECT_FALSE(EgalSansCasse("\xC9t\xE9", "\xE9t\xE9"));  // É and é do not fold
    EXPECT_LT(ComparerSansCasse("abc", "abcd"), 0);
    EXPECT_EQ(ComparerSansCasse("ABC", "abc"), 0);
    EXPECT_GT(ComparerSansCasse("\xE9", "z"), 0);  // accented letters after every ASCII letter
    EXPECT_EQ(ChercherSansCasse("xx=?IsO-8859", "=?iso"), 2u);
    EXPECT_EQ(Rogner(" \t\x01 a b \r\n"), "a b");
}

TEST(ChaineCourte, ALengthAboveTheCapacityIsCutAndSpareBytesAreKept)
{
    ChaineCourte<5> c;
    c.car = {'a', 'b', 'c', 'd', 'e'};
    c.longueur = 200;
    EXPECT_EQ(c.Lire(), "abcde");
    c.Ecrire("xy");
    EXPECT_EQ(c.Lire(), "xy");
    EXPECT_EQ(c.car[2], 'c');
    c.Ecrire("0123456789");
    EXPECT_EQ(c.Lire(), "01234");
}

TEST(TCompte, ReservedBytesSurviveACopyAndTheAccountListSortsByFoldedDescription)
{
    std::string octets(368, '\0');
    for (int i = 103; i < 154; ++i) octets[i] = char(i);
    for (int i = 205; i < 307; ++i) octets[i] = char(i);
    for (int i = 358; i < 364; ++i) octets[i] = char(0xA0 + i - 358);
    octets[364] = char(0x6E);  // port 110, little-endian
    auto recs = DecouperEnregistrements<TCompte>(octets);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].PortPOP.Lire(), 110);
    TCompte copie = recs[0];
    copie.Description = "Maison";
    std::string ecrit = AssemblerEnregistrements(std::vector<TCompte>{copie});
    EXPECT_EQ(ecrit.substr(103, 51), octets.substr(103, 51));
    EXPECT_EQ(ecrit.substr(205, 102), octets.substr(205, 102));
    EXPECT_EQ(ecrit.substr(358, 10), octets.substr(358, 10));

    auto nomme = [](const char* d, int ctrl, const char* mdp) {
        TCompte c = TCompte::Vierge();
        c.Description = d;
        c.ControleAuto = std::uint8_t(ctrl);
        c.Password = mdp;
        return c;
    };
    ListeComptes l;
    l.Remplacer({nomme("abcd", 7, "x"), nomme("\xE9t\xE9", 1, ""), nomme("ABC", 0, "y"), nomme("Zoo", 1, "")});
    EXPECT_EQ(l[0].Description.Lire(), "ABC");
    EXPECT_EQ(l[1].Description.Lire(), "abcd");
    EXPECT_EQ(l[2].Description.Lire(), "Zoo");
    EXPECT_EQ(l[3].Description.Lire(), "\xE9t\xE9");
    EXPECT_EQ(l.NormaliserControleAuto(), 1);
    EXPECT_EQ(l[1].ControleAuto, 1);
    EXPECT_EQ(l[2].ControleAuto, 0);  // no password, no automatic check
}

TEST(Fichiers, LoadingFindsAnyLetterCaseAndSavingReplacesThatCopyWhole)
{
    test::DossierTemporaire d;
    test::EcrireTout(d.Chemin() / "Filtres.DAT", "ancien");
    EXPECT_EQ(TrouverFichier(d.Chemin(), "filtres.dat"), d.Chemin() / "Filtres.DAT");
    ASSERT_TRUE(EcrireFichierDonnees(d.Chemin(), "filtres.dat", "nouveau").ok);
    EXPECT_EQ(TrouverFichier(d.Chemin(), "filtres.dat"), d.Chemin() / "filtres.dat");
    EXPECT_FALSE(std::filesystem::exists(d.Chemin() / "Filtres.DAT"));
    EXPECT_EQ(test::LireTout(d.Chemin() / "filtres.dat"), "nouveau");
    ASSERT_TRUE(EcrireFichierAtomique(d.Chemin() / "comptes.dat", "x", true).ok);
    auto perms = std::filesystem::status(d.Chemin() / "comptes.dat").permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.Chemin()), {}), 2);  // no temporary left
}

TEST(Dates, DaysCountFromTheLastDaysOf1899)
{
    EXPECT_EQ(EncoderDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncoderDate(2004, 9, 7), 38237.0);
    EXPECT_EQ(FormaterIso(EncoderDate(2004, 9, 7) + EncoderHeure(10, 20, 30, 600)), "2004-09-07 10:20:31");
    EXPECT_EQ(FormaterIso(-0.25), "1899-12-29 18:00:00");
    EXPECT_EQ(FormaterIso(EncoderDate(2000, 2, 29) + EncoderHeure(23, 59, 59, 999)), "2000-03-01 00:00:00");
    EXPECT_EQ(FormaterIso(EncoderDate(9999, 12, 31) + 1), "10000-01-01 00:00:00");  // past four digits
    EXPECT_EQ(FormaterIso(EncoderDate(7, 3, 4)), "0007-03-04 00:00:00");
}
