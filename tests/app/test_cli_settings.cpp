#include "core/compte.h"
#include "core/texte.h"
#include "crypto/fichier_comptes.h"
#include "support/outils.h"

#include <gtest/gtest.h>

using namespace vaskor;
using vaskor::test::DossierTemporaire;
using vaskor::test::EcrireTout;
using vaskor::test::LancerCli;

namespace {

std::string Settings(const DossierTemporaire& d, const std::string& options = "", int* statut = nullptr,
                     std::string* erreurs = nullptr)
{
    std::string sortie;
    const int r = LancerCli("settings --data '" + d.Chemin().string() + "'" + options, "", sortie, erreurs);
    if (statut) *statut = r;
    return sortie;
}

}  // namespace

TEST(CliSettings, AnEmptyFolderShowsEveryDefaultUnderTheFileKeyNames)
{
    DossierTemporaire d;
    int statut = -1;
    EXPECT_EQ(Settings(d, "", &statut),
              "FiltresExpActif=1\nFiltresSujetActif=1\nFiltresEnteteActif=1\nControlerAuLancement=0\n"
              "QueLesMailsDesAmis=0\nJouerSons=1\nSonsParDef=1\nAutoRun=0\nMasquerAuLancement=0\n"
              "DeconnexionInternet=1\nPasserTailleMax=1\nContrôlerA=0\nContrôleAuto=0\nAllowSavePJ=0\n"
              "DoubleClicEditer=0\nApercuPlainText=1\nFréquenceContrôleAuto=30\nNbLignesSvg=100\n"
              "ActionParDéfaut=0\nTaillePasserMessage=300\nMsgOK=\nMsgAMarquer=\nMsgAEffacer=\n"
              "HeureCtrl=19:00\nAutoriserRéponse=0\nAutoriserEnregistrementPJ=0\n");
    EXPECT_EQ(statut, 0);
}

TEST(CliSettings, ValuesAppearAfterTheLoadingRules)
{
    DossierTemporaire d;
    EcrireTout(d.Chemin() / "Vaskor.ini", Utf8VersCp1252("[GÉNÉRAL]\r\n"
                                                         "FréquenceContrôleAuto=121\r\n"
                                                         "ContrôleAuto=1\r\n"
                                                         "JouerSons=1\r\n"
                                                         "AutoriserRéponse=\r\n"
                                                         "[Messages]\r\n"
                                                         "NbLignesSvg=-5\r\n"
                                                         "TaillePasserMessage=0x3A98\r\n"
                                                         "[Entêtes]\r\n"
                                                         "X-Spam=\r\n"
                                                         "Réf=\r\n"));
    const std::string sortie = Settings(d, " --sans-son");
    for (const char* ligne : {"\nFréquenceContrôleAuto=30\n", "\nContrôleAuto=0\n", "\nJouerSons=0\n",
                              "\nNbLignesSvg=150\n", "\nTaillePasserMessage=15000\n",
                              "\nEntêtes=X-Spam\nEntêtes=Réf\n", "\nAutoriserRéponse=1\n"})
        EXPECT_NE(sortie.find(ligne), std::string::npos) << ligne << "\n" << sortie;
    EXPECT_NE(Settings(d).find("\nJouerSons=1\n"), std::string::npos);
}

TEST(CliSettings, TheAutomaticCheckStaysOnOnlyWithAnAccountThatTakesPartInIt)
{
    DossierTemporaire d;
    EcrireTout(d.Chemin() / "vaskor.ini", Utf8VersCp1252("[Général]\nContrôleAuto=1\n"));
    TCompte a = TCompte::Vierge();
    a.Description.Ecrire("Maison");
    a.ControleAuto = 1;  // but no password: the start-up normalisation clears it
    TCipherManager chiffre;
    ASSERT_TRUE(EnregistrerComptes(chiffre, d.Chemin(), {a}).ok);
    EXPECT_NE(Settings(d).find("\nContrôleAuto=0\n"), std::string::npos);

    a.Password.Ecrire("secret");
    ASSERT_TRUE(EnregistrerComptes(chiffre, d.Chemin(), {a}).ok);
    EXPECT_NE(Settings(d).find("\nContrôleAuto=1\n"), std::string::npos);
}

TEST(CliSettings, AnUnreadableFileIsReportedAndTheDefaultsShown)
{
    DossierTemporaire d;
    EcrireTout(d.Chemin() / "vaskor.ini", "[Messages]\nNbLignesSvg=7\n" + std::string(2u << 20, ';'));
    int statut = 0;
    std::string erreurs;
    const std::string sortie = Settings(d, "", &statut, &erreurs);
    EXPECT_EQ(statut, 1);
    EXPECT_NE(erreurs.find("trop grand"), std::string::npos) << erreurs;
    EXPECT_NE(sortie.find("\nNbLignesSvg=100\n"), std::string::npos);
}
