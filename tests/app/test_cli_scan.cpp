// vaskor-cli scan against the scripted server.

#include "support/faux_serveur_pop3.h"
#include "support/outils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using vaskor::test::FauxServeurPop3;
using ::testing::IsEmpty;

namespace {


}  // namespace

TEST(CliScan, ListsCountTotalAndEveryMessagesSizeSenderSubjectAndDateInOneSession)
{
    vaskor::test::ZoneLocale zone;  // dates print in local time: the child takes this zone
    FauxServeurPop3 s;
    s.Connexion("anne", "secret")
        .Stat(2, 300)
        .Liste({100, 200})
        .Entete(1, {"From: Anne Martin <anne@exemple.fr>", "Subject: =?ISO-8859-1?Q?caf=E9?=",
                    "Date: Tue, 1 Jul 2003 10:52:37 +0200"})
        .TailleMessage(1, 100)
        .Entete(2, {"Sender: bob@exemple.fr", "Subject: =?ISO-8859-1?Q?a=09b?="})
        .TailleMessage(2, 200)
        .Quitter();
    s.Demarrer();
    std::string sortie, erreurs;
    const int r = vaskor::test::LancerCli("scan --host 127.0.0.1 --port " + std::to_string(s.Port()) + " --user anne",
                                          "secret\n", sortie, &erreurs);
    EXPECT_EQ(r, 0) << erreurs;
    EXPECT_EQ(sortie,
              "2\t300\n"
              "1\t100\tAnne Martin <anne@exemple.fr>\tcaf\u00e9\t2003-07-01 08:52:37\n"
              "2\t200\tbob@exemple.fr\ta b\t\n");  // no date: an empty field
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
}

TEST(CliScan, AFailurePrintsItsTextOnStandardErrorWithStatus1)
{
    vaskor::test::DossierTemporaire d;
    vaskor::test::EcrireTout(d.Chemin() / "mdp", "s\xC3\xA9same\r\nignored\n");
    FauxServeurPop3 s;
    s.Script("S: +OK\nC: USER anne\nS: +OK\nC: PASS s\xE9same\nS: -ERR bad password\n").Quitter();
    s.Demarrer();
    std::string sortie, erreurs;
    const int r = vaskor::test::LancerCli("scan --host 127.0.0.1 --port " + std::to_string(s.Port()) +
                                              " --user anne --password-file '" + (d.Chemin() / "mdp").string() + "'",
                                          "", sortie, &erreurs);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(sortie, "");
    EXPECT_EQ(erreurs, " bad password\r\n");
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());

    EXPECT_EQ(vaskor::test::LancerCli("scan --host 127.0.0.1 --port 99999 --user anne", "x\n", sortie, &erreurs), 2);
}
