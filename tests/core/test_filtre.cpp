#include "core/filtre.h"
#include "core/texte.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vaskor;
using vaskor::test::DossierTemporaire;
using vaskor::test::EcrireTout;
using vaskor::test::LireTout;

namespace {

void Poser32(std::string& r, std::size_t pos, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) r[pos + i] = char((v >> (8 * i)) & 0xFF);
}

void PoserTexte(std::string& r, std::size_t pos, const std::string& t)
{
    r[pos] = char(t.size());
    r.replace(pos + 1, t.size(), t);
}

// One record laid out byte by byte, as another program would have written it.
std::string RecordBrut(const std::string& v1, const std::string& v2, int type, int action, int c1, int c2,
                       int compteur, int num, int actif, int casse)
{
    std::string r(132, '\0');
    PoserTexte(r, 0, v1);
    PoserTexte(r, 51, v2);
    Poser32(r, 104, type);
    Poser32(r, 108, action);
    Poser32(r, 112, c1);
    Poser32(r, 116, c2);
    Poser32(r, 120, std::uint32_t(compteur));
    Poser32(r, 124, num);
    r[128] = char(actif);
    r[129] = char(casse);
    return r;
}

}  // namespace

TEST(FichierFiltres, ARecordWrittenByHandFromTheLayoutLoadsFieldByField)
{
    DossierTemporaire d;
    std::string brut = RecordBrut("bob", "exemple.fr", 0, 2, 1, 3, 7, 0, 1, 0) +
                       RecordBrut("Reply-To", ".biz", 2, 1, 8, 0, -3, 8, 0, 1);
    brut[40] = 'Z';  // a stray byte after the text: no meaning, but kept
    EcrireTout(d.Chemin() / "Filtres.DAT", brut);

    ListeFiltres l;
    bool existe = false;
    ASSERT_TRUE(ChargerFiltres(d.Chemin(), l, &existe).ok);
    EXPECT_TRUE(existe);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].Valeur1.Lire(), "bob");
    EXPECT_EQ(l[0].Valeur2.Lire(), "exemple.fr");
    EXPECT_EQ(l[0].TypeFiltre, FiltreExpediteur);
    EXPECT_EQ(l[0].Action, ActionEffacer);
    EXPECT_EQ(l[0].Condition1, CondContient);
    EXPECT_EQ(l[0].Condition2, CondEgal);
    EXPECT_EQ(l[0].Compteur, 7);
    EXPECT_EQ(l[0].Actif, 1);
    EXPECT_EQ(l[0].Casse, 0);
    EXPECT_EQ(l[1].Valeur1.Lire(), "Reply-To");
    EXPECT_EQ(l[1].TypeFiltre, FiltreEntete);
    EXPECT_EQ(l[1].Compteur, -3);
    EXPECT_EQ(l[1].NumEntete, 8);
    EXPECT_EQ(l[1].Casse, 1);

    // Written back, the file is the same bytes, stray byte included, under the one spelling.
    ASSERT_TRUE(SauverFiltres(d.Chemin(), l).ok);
    EXPECT_EQ(LireTout(d.Chemin() / "filtres.dat"), brut);
    EXPECT_FALSE(std::filesystem::exists(d.Chemin() / "Filtres.DAT"));
}

TEST(FichierFiltres, EmptyShortAndOddLengthFiles)
{
    EXPECT_TRUE(DecoderFiltres("").empty());
    EXPECT_EQ(EncoderFiltres({}), "");

    // 133 bytes: the second record takes its first byte from the file, every other byte zero.
    std::string brut = RecordBrut("a", "b", 1, 0, 1, 0, 0, 0, 1, 0) + std::string(1, '\x05');
    ListeFiltres l = DecoderFiltres(brut);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[1].Valeur1.longueur, 5);
    EXPECT_EQ(EncoderFiltres(l), brut + std::string(131, '\0'));

    // A file shorter than one record still gives one record, completed with zeros.
    l = DecoderFiltres(std::string("\x02xy", 3));
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].Valeur1.Lire(), "xy");
    EXPECT_EQ(l[0].TypeFiltre, 0);
    EXPECT_EQ(l[0].Actif, 0);
}

TEST(FichierFiltres, OutOfRangeCodesAndLengthsAreKeptAndNeverReadOutsideTheRecord)
{
    std::string brut = RecordBrut("", "", 3, 9, 15, -1, 0, 42, 1, 1);
    brut[0] = char(200);   // length above the capacity of 50
    brut[51] = char(255);
    ListeFiltres l = DecoderFiltres(brut);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].Valeur1.Lire().size(), 50u);
    EXPECT_EQ(l[0].Valeur2.Lire().size(), 50u);
    EXPECT_EQ(l[0].TypeFiltre, 3);
    EXPECT_EQ(l[0].Condition1, 15);
    EXPECT_EQ(l[0].Condition2, -1);
    EXPECT_EQ(EncoderFiltres(l), brut);

    EXPECT_EQ(NomGenreFiltre(3), "");
    EXPECT_EQ(NomAction(9), "");
    EXPECT_EQ(NomAction(-1), "");
    EXPECT_EQ(LibelleCondition(15), "");
    EXPECT_EQ(TexteCondition(15, "x"), "(Condition inconnue : 15)");
    EXPECT_EQ(TexteCondition(-2, "x"), "(Condition inconnue : -2)");
    EXPECT_EQ(LibelleEnteteFixe(10), "");
}

TEST(FichierFiltres, AMissingFileIsNoErrorAndLeavesTheListAlone)
{
    DossierTemporaire d;
    ListeFiltres l(1, TFiltre::Vierge());
    bool existe = true;
    EXPECT_TRUE(ChargerFiltres(d.Chemin(), l, &existe).ok);
    EXPECT_FALSE(existe);
    EXPECT_EQ(l.size(), 1u);
    // Loading appends to what the list holds.
    EcrireTout(d.Chemin() / "filtres.dat", RecordBrut("x", "", 1, 0, 1, 0, 0, 0, 1, 0));
    EXPECT_TRUE(ChargerFiltres(d.Chemin(), l).ok);
    EXPECT_EQ(l.size(), 2u);
    // An empty list gives an empty file.
    ASSERT_TRUE(SauverFiltres(d.Chemin(), {}).ok);
    EXPECT_EQ(LireTout(d.Chemin() / "filtres.dat"), "");
}

TEST(TexteCondition, CaptionsAndQuotedValuesAsTheFilterListsShowThem)
{
    const std::pair<int, const char*> attendus[] = {
        {0, "(Pas de condition)"},
        {1, "Contient \"abc\""},
        {2, "Ne contient pas \"abc\""},
        {3, "Est égal à \"abc\""},
        {4, "N'est pas égal à \"abc\""},
        {5, "Commence par \"abc\""},
        {6, "Ne commence pas par \"abc\""},
        {7, "Commence par un nombre "},
        {8, "Finit par \"abc\""},
        {9, "Ne finit pas par \"abc\""},
        {10, "Est vide "},
        {11, "N'est pas vide "},
        {12, "Est essentiellement numérique "},
        {13, "Est numérique "},
        {14, "Est en majuscule "},
    };
    for (const auto& [code, texte] : attendus)
        EXPECT_EQ(Cp1252VersUtf8(TexteCondition(code, "abc")), texte) << "code " << code;
    EXPECT_EQ(Cp1252VersUtf8(LibelleCondition(3)), "Est égal à ");
}

TEST(TablesFiltre, ActionKindAndHeaderTexts)
{
    EXPECT_EQ(NomAction(ActionAccepter), "Accepter");
    EXPECT_EQ(NomAction(ActionMarquer), "Marquer");
    EXPECT_EQ(NomAction(ActionEffacer), "Effacer");
    EXPECT_EQ(LibelleActionEditeur(ActionMarquer), "Marquer mais ne pas effacer");
    EXPECT_EQ(Cp1252VersUtf8(NomGenreFiltre(FiltreExpediteur)), "Expéditeur");
    EXPECT_EQ(NomGenreFiltre(FiltreSujet), "Sujet");
    EXPECT_EQ(Cp1252VersUtf8(NomGenreFiltre(FiltreEntete)), "Entête");
    EXPECT_EQ(NomEnteteFixe(2), "Content-Transfert-Encoding");
    EXPECT_EQ(LibelleEnteteFixe(2), "Content transfert encoding");
    EXPECT_EQ(LibelleEnteteFixe(1), "CC");
    EXPECT_EQ(LibelleEnteteFixe(6), "Message ID");
    EXPECT_EQ(LibelleEnteteFixe(0), "");
    EXPECT_TRUE(ConditionAvecValeur(9));
    EXPECT_FALSE(ConditionAvecValeur(7));
    EXPECT_FALSE(ConditionAvecValeur(0));
}
