#include "core/fichier_ini.h"
#include "core/texte.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <random>

using namespace vaskor;

namespace {
const Texte G = "G\xE9n\xE9ral";
}

TEST(FichierIni, AnUpdateChangesOnlyTheLinesOfTheKeysWrittenAndKeepsEveryOtherLine)
{
    FichierIni ini("; r\xE9glages faits \xE0 la main\r\n"
                   "[g\xC9N\xC9RAL]\r\n"
                   "  jouersons = 0 \r\n"
                   "Inconnue=garde-moi\r\n"
                   "; fin du g\xE9n\xE9ral\r\n"
                   "\r\n"
                   "[Autre]\r\n"
                   "X=1\r\n");
    EXPECT_TRUE(ini.EcrireBooleen(G, "JouerSons", true));          // updated where it stands
    EXPECT_TRUE(ini.Ecrire(G, "HeureCtrl", "07:30"));              // after the section's last key
    EXPECT_TRUE(ini.EcrireEntier("Sons", "Volume", 3));            // a new section at the end
    EXPECT_TRUE(ini.Ecrire("sons", "MsgOK", "a.wav"));             // lands in that new section
    EXPECT_EQ(ini.Assembler(), "; r\xE9glages faits \xE0 la main\r\n"
                               "[g\xC9N\xC9RAL]\r\n"
                               "JouerSons=1\r\n"
                               "Inconnue=garde-moi\r\n"
                               "HeureCtrl=07:30\r\n"
                               "; fin du g\xE9n\xE9ral\r\n"
                               "\r\n"
                               "[Autre]\r\n"
                               "X=1\r\n"
                               "\r\n"
                               "[Sons]\r\n"
                               "Volume=3\r\n"
                               "MsgOK=a.wav\r\n");
}

TEST(FichierIni, ALineThatAlreadyHoldsTheValueIsLeftAsWritten)
{
    const std::string texte = "[Messages]\nNbLignesSvg = 100\n";
    FichierIni ini(texte);
    ini.EcrireEntier("MESSAGES", "nblignessvg", 100);
    EXPECT_EQ(ini.Assembler(), texte);  // LF endings kept too
    ini.EcrireEntier("Messages", "NbLignesSvg", 5);
    EXPECT_EQ(ini.Assembler(), "[Messages]\nNbLignesSvg=5\n");
}

TEST(FichierIni, NamesMatchWithoutRegardToCaseAndTheFirstOccurrenceWins)
{
    FichierIni ini("[Filtrage]\n"
                   "ActionParD\xC9" "FAUT=2\n"
                   "actionpard\xE9" "faut=1\n"
                   "[FILTRAGE]\n"
                   "Seconde=1\n"
                   "[Sons]\n"
                   "MsgOK = \"C:\\son.wav\" \n"
                   "Vide=\n"
                   "Rien\n"
                   "=orpheline\n");
    EXPECT_EQ(ini.LireEntier("filtrage", "ActionParD\xE9" "faut", 0), 2);
    EXPECT_FALSE(ini.ACle("Filtrage", "Seconde"));  // in the second section of that name
    EXPECT_EQ(ini.LireTexte("Sons", "MsgOK", "x"), "C:\\son.wav");
    EXPECT_EQ(ini.LireTexte("Sons", "Vide", "x"), "");
    EXPECT_EQ(ini.LireEntier("Sons", "Vide", 7), 7);
    EXPECT_FALSE(ini.ACle("Sons", "Rien"));
    EXPECT_EQ(ini.Cles("SONS"), (std::vector<Texte>{"MsgOK", "Vide"}));
    EXPECT_EQ(ini.Cles("Filtrage"), (std::vector<Texte>{"ActionParD\xC9" "FAUT"}));
    EXPECT_TRUE(EgalNomIni("\xC9t\xE9", "\xE9T\xC9"));
    EXPECT_FALSE(EgalNomIni("\xD7", "\xF7"));  // × and ÷ are not letters
}

TEST(FichierIni, IntegersAreDecimalOrHexadecimalAfter0x)
{
    struct Cas {
        const char* texte;
        bool lu;
        std::int32_t valeur;
    } cas[] = {
        {"12", true, 12},           {" -5 ", true, -5},          {"+7", true, 7},
        {"0x1F", true, 31},         {"0X1f", true, 31},          {"0xFFFFFFFF", true, -1},
        {"0x7fffffff", true, 2147483647}, {"0x", false, 0},      {"0x123456789", false, 0},
        {"0xG", false, 0},          {"2147483647", true, 2147483647}, {"2147483648", false, 0},
        {"-2147483648", true, -2147483647 - 1}, {"-2147483649", false, 0}, {"", false, 0},
        {"-", false, 0},            {"1.5", false, 0},           {"12abc", false, 0},
        {"99999999999999999999", false, 0}, {"012", true, 12},
        // Leading zeros are not digits that could overflow.
        {"0x000000001", true, 1},   {"0x000000000FFFFFFFF", true, -1}, {"0x0000100000000", false, 0},
    };
    for (const Cas& c : cas) {
        std::int32_t n = 0;
        EXPECT_EQ(LireEntierIni(c.texte, n), c.lu) << c.texte;
        if (c.lu) {
            EXPECT_EQ(n, c.valeur) << c.texte;
        }
    }
    FichierIni ini("[a]\nb=oui\nc=0x0\nd=0x10\n");
    EXPECT_TRUE(ini.LireBooleen("a", "b", true));  // unreadable: the default
    EXPECT_FALSE(ini.LireBooleen("a", "b", false));
    EXPECT_FALSE(ini.LireBooleen("a", "c", true));
    EXPECT_TRUE(ini.LireBooleen("a", "d", false));
}

TEST(FichierIni, ErasingASectionRemovesEveryCopyOfItWithItsLines)
{
    FichierIni ini("[Ent\xEAtes]\nX-A=\n\n[Sons]\nMsgOK=\n[ent\xCAtes]\nX-B=\n");
    ini.EffacerSection("Ent\xEAtes");
    EXPECT_EQ(ini.Assembler(), "[Sons]\nMsgOK=\n");
    ini.Ecrire("Ent\xEAtes", "X-C", "");
    EXPECT_EQ(ini.Assembler(), "[Sons]\nMsgOK=\n\n[Ent\xEAtes]\nX-C=\n");
}

TEST(FichierIni, ASectionOfNamesIsRewrittenAtTheEndOnceEachWhateverTheDamage)
{
    const std::string avant = "[Ent\xEAtes]\nX-A=\n\n[Sons]\nMsgOK=\n[ent\xCAtes]\nX-B=\n[Fin]\nk=1";
    const std::vector<Texte> noms = {"X-Un", "x-un", "a=b", "", ";c", "X-Deux"};
    FichierIni parCle(avant);
    parCle.EffacerSection("Ent\xEAtes");
    for (const Texte& n : noms) parCle.Ecrire("Ent\xEAtes", n, "");
    FichierIni enBloc(avant);
    enBloc.RemplacerSectionCles("Ent\xEAtes", noms);
    EXPECT_EQ(enBloc.Assembler(), parCle.Assembler());
    EXPECT_EQ(enBloc.Assembler(), "[Sons]\nMsgOK=\n[Fin]\nk=1\n\n[Ent\xEAtes]\nX-Un=\nX-Deux=\n");
    enBloc.RemplacerSectionCles("Ent\xEAtes", {});
    EXPECT_EQ(enBloc.Assembler(), "[Sons]\nMsgOK=\n[Fin]\nk=1\n\n");

    // A damaged file made of thousands of copies of the section and of names: one section of
    // distinct names comes out.
    std::string gros;
    for (int i = 0; i < 20000; ++i) gros += "[Ent\xEAtes]\r\nX-" + std::to_string(i % 5000) + "=\r\n";
    FichierIni ini(gros);
    std::vector<Texte> lus;
    for (int i = 0; i < 20000; ++i) lus.push_back("X-" + std::to_string(i % 5000));
    ini.RemplacerSectionCles("Ent\xEAtes", lus);
    EXPECT_EQ(ini.Cles("Ent\xEAtes").size(), 5000u);
    EXPECT_EQ(ini.NombreLignes(), 5001u);
}

TEST(FichierIni, NamesThatCannotStandInTheFileAreRefusedAndLineBreaksInValuesBecomeBlanks)
{
    FichierIni ini;
    EXPECT_FALSE(ini.Ecrire("S", "a=b", ""));
    EXPECT_FALSE(ini.Ecrire("S", "", "1"));
    EXPECT_FALSE(ini.Ecrire("S", "[x", "1"));
    EXPECT_FALSE(ini.Ecrire("S", ";x", "1"));
    EXPECT_FALSE(ini.Ecrire("S", "a\nb", "1"));
    EXPECT_FALSE(ini.Ecrire("S]", "a", "1"));
    EXPECT_TRUE(ini.NombreLignes() == 0);
    EXPECT_TRUE(ini.Ecrire("S", "k", "un\r\n[Pirate]\ndeux"));
    EXPECT_EQ(ini.Assembler(), "[S]\r\nk=un  [Pirate] deux\r\n");
    EXPECT_FALSE(FichierIni(ini.Assembler()).ASection("Pirate"));
}

TEST(FichierIni, AFileSavedAsUtf8WithAByteOrderMarkStaysUtf8AndLosesNothing)
{
    const std::string utf8 = "\xEF\xBB\xBF; \xE6\x97\xA5\xE6\x9C\xAC\n[G\xC3\xA9n\xC3\xA9ral]\nJouerSons=0\n";
    FichierIni ini(utf8);
    EXPECT_EQ(ini.LireEntier(G, "JouerSons", 5), 0);
    ini.Ecrire(G, "HeureCtrl", "8:00");
    ini.Ecrire(G, "Note", "\xE9t\xE9");
    EXPECT_EQ(ini.Assembler(), "\xEF\xBB\xBF; \xE6\x97\xA5\xE6\x9C\xAC\n[G\xC3\xA9n\xC3\xA9ral]\nJouerSons=0\n"
                               "HeureCtrl=8:00\nNote=\xC3\xA9t\xC3\xA9\n");
}

TEST(FichierIni, DamagedContentIsReadWithoutFaultAndKeptOnWriting)
{
    std::mt19937 alea(1234);
    std::string dechets(200000, '\0');
    for (char& c : dechets) c = char(alea());
    // Binary garbage, then a huge line without an end, then a truncated section line.
    const std::string contenu = dechets + "\n[Messages]\nNbLignesSvg=7\n" + std::string(300000, '=') + "\n[Sons";
    FichierIni ini(contenu);
    EXPECT_EQ(ini.LireEntier("Messages", "NbLignesSvg", 0), 7);
    EXPECT_TRUE(ini.ASection("Sons"));
    ini.EcrireEntier("Messages", "NbLignesSvg", 8);
    const std::string sortie = ini.Assembler();
    EXPECT_NE(sortie.find(std::string(300000, '=')), std::string::npos);
    EXPECT_EQ(FichierIni(sortie).LireEntier("Messages", "NbLignesSvg", 0), 8);
    EXPECT_EQ(FichierIni(std::string(1, '\0')).LireEntier("a", "b", 3), 3);
}

TEST(FichierIni, LoadingAMissingFileGivesAnEmptyOneAndATooLargeFileAnError)
{
    test::DossierTemporaire d;
    FichierIni ini("[a]\nb=1\n");
    EXPECT_TRUE(ini.Charger(d.Chemin() / "absent.ini").ok);
    EXPECT_TRUE(ini.NombreLignes() == 0);

    test::EcrireTout(d.Chemin() / "gros.ini", "[a]\nb=1\n" + std::string(FichierIni::TailleMax, 'x'));
    const ResultatFichier r = ini.Charger(d.Chemin() / "gros.ini");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.erreur.find("trop grand"), std::string::npos);
    EXPECT_FALSE(ini.ACle("a", "b"));

    std::filesystem::create_directory(d.Chemin() / "dossier.ini");
    ini.Charger(d.Chemin() / "dossier.ini");
    EXPECT_TRUE(ini.NombreLignes() == 0);
}
