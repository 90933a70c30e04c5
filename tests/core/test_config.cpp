#include "core/config.h"
#include "core/fichier_ini.h"
#include "core/texte.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace vaskor;
namespace fs = std::filesystem;

namespace {

const EnvironnementConfig kToutPresent{true, true};

TConfig Charger(const fs::path& dossier, const EnvironnementConfig& env = kToutPresent)
{
    TConfig c;
    EXPECT_TRUE(ChargerConfig(dossier, c, env).ok);
    return c;
}

TConfig ChargerTexte(const std::string& ini, const EnvironnementConfig& env = kToutPresent)
{
    TConfig c;
    LireConfig(FichierIni(ini), c, env, {});
    return c;
}

}  // namespace

TEST(Config, AMissingFileGivesEveryDefault)
{
    test::DossierTemporaire d;
    const TConfig c = Charger(d.Chemin());
    EXPECT_TRUE(c.FiltresExpActif && c.FiltresSujetActif && c.FiltresEnteteActif);
    EXPECT_FALSE(c.ControlerAuLancement || c.QueLesMailsDesAmis || c.AutoRun || c.MasquerAuLancement);
    EXPECT_TRUE(c.JouerSons && c.SonsParDef && c.DeconnexionInternet && c.PasserTailleMax && c.ApercuPlainText);
    EXPECT_TRUE(c.DecodageModerne);
    EXPECT_FALSE(c.ControlerA || c.ControleAuto || c.AllowSavePJ || c.DoubleClicEditer);
    EXPECT_EQ(c.FrequenceControleAuto, 30);
    EXPECT_EQ(c.NbLignesSvg, 100);
    EXPECT_EQ(c.ActionParDefaut, 0);
    EXPECT_EQ(c.TaillePasserMessage, 300);
    EXPECT_EQ(c.TailleMaxOctets(), 300000);
    EXPECT_TRUE(c.Entetes.empty());
    EXPECT_EQ(c.MsgOK + c.MsgAMarquer + c.MsgAEffacer, "");
    EXPECT_EQ(c.HeureCtrl, "19:00");
    EXPECT_FALSE(fs::exists(d.Chemin() / "vaskor.ini"));  // created by the first save only
}

TEST(Config, AFileWrittenByTheOtherProgramLoadsEveryField)
{
    test::DossierTemporaire d;
    const std::string son = (d.Chemin() / "ok.wav").string();
    test::EcrireTout(son, "RIFF");
    // Code page 1252 names, CR LF lines, sections in the other program's save order.
    test::EcrireTout(d.Chemin() / "Vaskor.INI",
                     "[G\xE9n\xE9ral]\r\n"
                     "ControlerAuLancement=1\r\n"
                     "HeureCtrl=07:45\r\n"
                     "DoubleClicEditer=1\r\n"
                     "Contr\xF4lerA=1\r\n"
                     "JouerSons=0\r\n"
                     "AutoRun=1\r\n"
                     "MasquerAuLancement=1\r\n"
                     "DeconnexionInternet=0\r\n"
                     "Contr\xF4leAuto=1\r\n"
                     "Fr\xE9quenceContr\xF4leAuto=0x2D\r\n"
                     "AutoriserR\xE9ponse=\r\n"
                     "[Filtrage]\r\n"
                     "QueLesMailsDesAmis=1\r\n"
                     "FiltresExpActif=0\r\n"
                     "FiltresSujetActif=0\r\n"
                     "FiltresEnteteActif=0\r\n"
                     "ActionParD\xE9" "faut=2\r\n"
                     "[Messages]\r\n"
                     "AllowSavePJ=1\r\n"
                     "PasserTailleMax=0\r\n"
                     "ApercuPlainText=0\r\n"
                     "TaillePasserMessage=1500\r\n"
                     "NbLignesSvg=250\r\n"
                     "DecodageModerne=0\r\n"
                     "[Sons]\r\n"
                     "SonsParDef=0\r\n"
                     "MsgOK=" + son + "\r\n"
                     "MsgAMarquer=\r\n"
                     "MsgAEffacer=\r\n"
                     "[Ent\xEAtes]\r\n"
                     "X-Spam-Flag=\r\n"
                     "X-Mailer=\r\n"
                     "R\xE9" "f\xE9rence=\r\n");
    const TConfig c = Charger(d.Chemin());
    EXPECT_TRUE(c.ControlerAuLancement && c.DoubleClicEditer && c.ControlerA && c.AutoRun && c.MasquerAuLancement);
    EXPECT_TRUE(c.ControleAuto && c.QueLesMailsDesAmis && c.AllowSavePJ);
    EXPECT_FALSE(c.JouerSons || c.DeconnexionInternet || c.SonsParDef || c.PasserTailleMax || c.ApercuPlainText);
    EXPECT_FALSE(c.DecodageModerne);
    EXPECT_FALSE(c.FiltresExpActif || c.FiltresSujetActif || c.FiltresEnteteActif);
    EXPECT_EQ(c.HeureCtrl, "07:45");
    EXPECT_EQ(c.FrequenceControleAuto, 45);
    EXPECT_EQ(c.ActionParDefaut, 2);
    EXPECT_EQ(c.TaillePasserMessage, 1500);
    EXPECT_EQ(c.NbLignesSvg, 250);
    EXPECT_EQ(c.MsgOK, Utf8VersCp1252(son));
    EXPECT_EQ(c.Entetes, (std::vector<Texte>{"X-Spam-Flag", "X-Mailer", "R\xE9" "f\xE9rence"}));
    EXPECT_TRUE(ParametrePresent(d.Chemin(), kSectionGeneral, kCleAutoriserReponse));
    EXPECT_FALSE(ParametrePresent(d.Chemin(), kSectionGeneral, kCleAutoriserEnregistrementPJ));
}

TEST(Config, StoredNumbersOutsideTheirRangesAreBroughtBack)
{
    struct Cas {
        const char* cle;
        const char* section;
        const char* stocke;
        std::int32_t charge;
    } cas[] = {
        {"Fr\xE9quenceContr\xF4leAuto", "G\xE9n\xE9ral", "0", 30},
        {"Fr\xE9quenceContr\xF4leAuto", "G\xE9n\xE9ral", "121", 30},
        {"Fr\xE9quenceContr\xF4leAuto", "G\xE9n\xE9ral", "120", 120},
        {"Fr\xE9quenceContr\xF4leAuto", "G\xE9n\xE9ral", "1", 1},
        {"Fr\xE9quenceContr\xF4leAuto", "G\xE9n\xE9ral", "abc", 30},
        {"NbLignesSvg", "Messages", "-5", 150},
        {"NbLignesSvg", "Messages", "2000", 1500},
        {"NbLignesSvg", "Messages", "5", 5},
        {"NbLignesSvg", "Messages", "0", 0},
        {"NbLignesSvg", "Messages", "", 100},
        {"TaillePasserMessage", "Messages", "9", 300},
        {"TaillePasserMessage", "Messages", "10", 10},
        {"TaillePasserMessage", "Messages", "20000", 15000},
        {"TaillePasserMessage", "Messages", "-0x1", 300},  // not hexadecimal, not a number
        {"ActionParD\xE9" "faut", "Filtrage", "3", 0},
        {"ActionParD\xE9" "faut", "Filtrage", "-1", 0},
        {"ActionParD\xE9" "faut", "Filtrage", "1", 1},
    };
    for (const Cas& k : cas) {
        const TConfig c = ChargerTexte(std::string("[") + k.section + "]\n" + k.cle + "=" + k.stocke + "\n");
        const std::int32_t lu = k.cle[0] == 'F' ? c.FrequenceControleAuto
                                : k.cle[0] == 'N' ? c.NbLignesSvg
                                : k.cle[0] == 'T' ? c.TaillePasserMessage
                                                  : c.ActionParDefaut;
        EXPECT_EQ(lu, k.charge) << k.cle << "=" << k.stocke;
    }
    // Booleans are integers: any non-zero value is true, text takes the default.
    EXPECT_TRUE(ChargerTexte("[Messages]\nAllowSavePJ=-3\n").AllowSavePJ);
    EXPECT_TRUE(ChargerTexte("[Messages]\nApercuPlainText=vrai\n").ApercuPlainText);
    EXPECT_FALSE(ChargerTexte("[Messages]\nApercuPlainText=0x0\n").ApercuPlainText);
}

TEST(Config, SoundsAndTheAutomaticCheckDependOnTheComputerAndTheAccounts)
{
    test::DossierTemporaire d;
    test::EcrireTout(d.Chemin() / "present.wav", "RIFF");
    const std::string ini = "[G\xE9n\xE9ral]\nJouerSons=1\nContr\xF4leAuto=1\n"
                            "[Sons]\nMsgOK=present.wav\nMsgAMarquer=" +
                            (d.Chemin() / "efface.wav").string() + "\nMsgAEffacer=" + d.Chemin().string() + "\n";
    test::EcrireTout(d.Chemin() / "vaskor.ini", ini);

    TConfig c = Charger(d.Chemin(), {true, true});
    EXPECT_TRUE(c.JouerSons);
    EXPECT_TRUE(c.ControleAuto);
    EXPECT_EQ(c.MsgOK, "present.wav");  // relative names are looked for in the program folder
    EXPECT_EQ(c.MsgAMarquer, "");       // deleted file
    EXPECT_EQ(c.MsgAEffacer, "");       // a folder is no sound

    c = Charger(d.Chemin(), {false, false});
    EXPECT_FALSE(c.JouerSons);
    EXPECT_FALSE(c.ControleAuto);
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), c).ok);
    const FichierIni relu(test::LireTout(d.Chemin() / "vaskor.ini"));
    EXPECT_EQ(relu.LireTexte(kSectionGeneral, "JouerSons", "?"), "0");
    EXPECT_EQ(relu.LireTexte(kSectionGeneral, "Contr\xF4leAuto", "?"), "0");
    EXPECT_EQ(relu.LireTexte(kSectionSons, "MsgAMarquer", "?"), "");

    ListeComptes comptes;
    TCompte a = TCompte::Vierge();
    comptes.Remplacer({a});
    EXPECT_FALSE(UnCompteEnControleAuto(comptes));
    a.ControleAuto = 1;
    comptes.Remplacer({a, TCompte::Vierge()});
    EXPECT_TRUE(UnCompteEnControleAuto(comptes));
}

TEST(Config, AFirstSaveWritesEverySectionInOrder)
{
    test::DossierTemporaire d;
    TConfig c = ConfigParDefaut();
    c.Entetes = {"X-Spam", "x-spam", "a=b", " Liste-Id "};
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), c).ok);
    EXPECT_EQ(test::LireTout(d.Chemin() / "vaskor.ini"),
              Utf8VersCp1252("[Général]\r\n"
                             "ControlerAuLancement=0\r\n"
                             "HeureCtrl=19:00\r\n"
                             "DoubleClicEditer=0\r\n"
                             "ContrôlerA=0\r\n"
                             "JouerSons=1\r\n"
                             "AutoRun=0\r\n"
                             "MasquerAuLancement=0\r\n"
                             "DeconnexionInternet=1\r\n"
                             "ContrôleAuto=0\r\n"
                             "FréquenceContrôleAuto=30\r\n"
                             "\r\n"
                             "[Filtrage]\r\n"
                             "QueLesMailsDesAmis=0\r\n"
                             "FiltresExpActif=1\r\n"
                             "FiltresSujetActif=1\r\n"
                             "FiltresEnteteActif=1\r\n"
                             "ActionParDéfaut=0\r\n"
                             "\r\n"
                             "[Messages]\r\n"
                             "AllowSavePJ=0\r\n"
                             "PasserTailleMax=1\r\n"
                             "ApercuPlainText=1\r\n"
                             "TaillePasserMessage=300\r\n"
                             "NbLignesSvg=100\r\n"
                             "DecodageModerne=1\r\n"
                             "\r\n"
                             "[Sons]\r\n"
                             "SonsParDef=1\r\n"
                             "MsgOK=\r\n"
                             "MsgAMarquer=\r\n"
                             "MsgAEffacer=\r\n"
                             "\r\n"
                             "[Entêtes]\r\n"
                             "X-Spam=\r\n"
                             "Liste-Id=\r\n"));
}

TEST(Config, ASaveUpdatesTheFileInPlaceAndRewritesTheHeaderNames)
{
    test::DossierTemporaire d;
    test::EcrireTout(d.Chemin() / "VASKOR.ini",
                     "; copie de l'ancien poste\n"
                     "[Ent\xEAtes]\n"
                     "Ancien=\n"
                     "[g\xE9n\xE9ral]\n"
                     "AutoriserEnregistrementPJ=oui\n"
                     "heurectrl=06:00\n"
                     "Cl\xE9" "Inconnue=42\n"
                     "[Messages]\n"
                     "NbLignesSvg=5\n");
    TConfig c = Charger(d.Chemin());
    EXPECT_EQ(c.Entetes, std::vector<Texte>{"Ancien"});
    c.HeureCtrl = "21:15";
    c.Entetes = {"X-Un", "X-Deux"};
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), c).ok);
    EXPECT_FALSE(fs::exists(d.Chemin() / "VASKOR.ini"));  // one spelling left
    const std::string ecrit = test::LireTout(d.Chemin() / "vaskor.ini");
    EXPECT_EQ(ecrit.substr(0, ecrit.find("ControlerAuLancement")),
              "; copie de l'ancien poste\n"
              "[g\xE9n\xE9ral]\n"
              "AutoriserEnregistrementPJ=oui\n"
              "HeureCtrl=21:15\n"
              "Cl\xE9" "Inconnue=42\n");
    EXPECT_NE(ecrit.find("[Messages]\nNbLignesSvg=5\nAllowSavePJ=0\n"), std::string::npos);
    EXPECT_TRUE(ecrit.ends_with("\nSonsParDef=1\nMsgOK=\nMsgAMarquer=\nMsgAEffacer=\n\n[Ent\xEAtes]\nX-Un=\nX-Deux=\n"))
        << ecrit;
    EXPECT_EQ(ecrit.find("Ancien"), std::string::npos);
    EXPECT_TRUE(ParametrePresent(d.Chemin(), "G\xC9N\xC9RAL", "autoriserenregistrementpj"));

    const TConfig relu = Charger(d.Chemin());
    EXPECT_EQ(relu.HeureCtrl, "21:15");
    EXPECT_EQ(relu.Entetes, (std::vector<Texte>{"X-Un", "X-Deux"}));
    EXPECT_EQ(relu.NbLignesSvg, 5);
}

TEST(Config, SavingUnchangedSettingsLeavesTheFileUntouched)
{
    test::DossierTemporaire d;
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), ConfigParDefaut()).ok);
    const fs::path f = d.Chemin() / "vaskor.ini";
    const auto ancienne = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::last_write_time(f, ancienne);
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), Charger(d.Chemin())).ok);
    EXPECT_EQ(fs::last_write_time(f), ancienne);
}

TEST(Config, AnUnreadableFileGivesTheDefaultsAnErrorAndIsNotOverwritten)
{
    test::DossierTemporaire d;
    const std::string gros = "[Messages]\nNbLignesSvg=7\n" + std::string(FichierIni::TailleMax, ';');
    test::EcrireTout(d.Chemin() / "vaskor.ini", gros);
    TConfig c;
    const ResultatFichier r = ChargerConfig(d.Chemin(), c, kToutPresent);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.erreur.empty());
    EXPECT_EQ(c.NbLignesSvg, 100);
    EXPECT_EQ(c.HeureCtrl, "19:00");
    EXPECT_FALSE(EnregistrerConfig(d.Chemin(), c).ok);
    EXPECT_EQ(test::LireTout(d.Chemin() / "vaskor.ini"), gros);
}

TEST(Config, BinaryGarbageLoadsAsDefaults)
{
    test::DossierTemporaire d;
    std::string dechets;
    for (int i = 0; i < 70000; ++i) dechets += char((i * 7919) % 251);
    test::EcrireTout(d.Chemin() / "vaskor.ini", dechets);
    TConfig c;
    EXPECT_TRUE(ChargerConfig(d.Chemin(), c, kToutPresent).ok);
    EXPECT_EQ(c.FrequenceControleAuto, 30);
    EXPECT_EQ(c.TaillePasserMessage, 300);
    // A save keeps the garbage it cannot understand and adds the settings after it.
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), c).ok);
    const TConfig relu = Charger(d.Chemin());
    EXPECT_EQ(relu.FrequenceControleAuto, 30);
    EXPECT_EQ(relu.HeureCtrl, "19:00");
}

TEST(Config, ASaveWithWhatWasReadWritesOnlyTheSettingsChangedSince)
{
    test::DossierTemporaire d;
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), ConfigParDefaut()).ok);
    const TConfig lue = Charger(d.Chemin());
    // An editor or another copy changes two settings while the window runs.
    TConfig ailleurs = lue;
    ailleurs.NbLignesSvg = 500;
    ailleurs.Entetes = {"List-Id"};
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), ailleurs).ok);
    // The window's dialog changes another one, from its older copy.
    TConfig fenetre = lue;
    fenetre.DoubleClicEditer = !lue.DoubleClicEditer;
    ASSERT_TRUE(EnregistrerConfig(d.Chemin(), fenetre, &lue).ok);
    const TConfig relue = Charger(d.Chemin());
    EXPECT_EQ(relue.NbLignesSvg, 500);
    EXPECT_EQ(relue.Entetes, std::vector<Texte>{"List-Id"});
    EXPECT_EQ(relue.DoubleClicEditer, fenetre.DoubleClicEditer);
}
