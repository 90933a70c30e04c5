#include "core/ami.h"
#include "core/filtre.h"
#include "core/texte.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <string>

using namespace vaskor;
using vaskor::test::DossierTemporaire;
using vaskor::test::EcrireTout;
using vaskor::test::LancerCli;
using vaskor::test::LireTout;

namespace {

TFiltre Filtre(std::int32_t type, std::int32_t c1, const std::string& v1, std::int32_t c2, const std::string& v2,
               std::int32_t action, std::int32_t num = 0)
{
    TFiltre f = TFiltre::Vierge();
    f.TypeFiltre = type;
    f.Condition1 = c1;
    f.Valeur1 = v1;
    f.Condition2 = c2;
    f.Valeur2 = v2;
    f.Action = action;
    f.NumEntete = num;
    f.Actif = 1;
    return f;
}

TAmi Ami(const std::string& nom, std::int32_t type)
{
    TAmi a = TAmi::Vierge();
    a.TypeAmi = type;
    a.Nom = nom;
    return a;
}

std::string Data(const DossierTemporaire& d) { return "--data '" + d.Chemin().string() + "'"; }

}  // namespace

TEST(CliFiltres, OneLinePerRecordAsTheFilterManagerShowsIt)
{
    DossierTemporaire d;
    ListeFiltres l = {Filtre(FiltreExpediteur, CondContient, "bob", CondFinitPar, ".biz", ActionMarquer),
                      Filtre(FiltreSujet, CondMajuscule, "", 0, "", ActionEffacer),
                      Filtre(FiltreEntete, CondEgal, "Reply-To", 0, "x@été.fr"_cp, ActionAccepter, 8),
                      Filtre(7, 20, "a", 0, "", 9)};
    l[1].Actif = 0;
    l[1].Casse = 1;
    l[2].Compteur = 12;
    l[3].Compteur = -1;
    ASSERT_TRUE(SauverFiltres(d.Chemin(), l).ok);

    std::string out, err;
    ASSERT_EQ(LancerCli("filters " + Data(d), "", out, &err), 0) << err;
    EXPECT_EQ(out,
              "0\tExpéditeur\t1\tContient \"bob\"\tFinit par \".biz\"\tN\tMarquer\t0\n"
              "1\tSujet\t0\tEst en majuscule \tO\tEffacer\t0\n"
              "2\tEntête\t1\tReply-To\tEst égal à \"x@été.fr\"\tN\tAccepter\t12\n"
              "3\t7\t1\t(Condition inconnue : 20)\t(Pas de condition)\tN\t9\t-1\n");

    // A folder without filters file lists nothing.
    DossierTemporaire vide;
    ASSERT_EQ(LancerCli("filters " + Data(vide), "", out), 0);
    EXPECT_EQ(out, "");
}

TEST(CliAmis, NameAndTypeInFileOrder)
{
    DossierTemporaire d;
    ASSERT_TRUE(SauverAmis(d.Chemin(), {Ami("zoe@z.fr", AmiAdresse), Ami("\xE9t\xE9.fr", AmiDomaine),
                                        Ami("odd.net", 5)})
                    .ok);
    std::string out, err;
    ASSERT_EQ(LancerCli("friends " + Data(d), "", out, &err), 0) << err;
    EXPECT_EQ(out, "zoe@z.fr\tAdresse\nété.fr\tDomaine\nodd.net\tDomaine\n");
}

namespace {

// A program folder with two filters, a friend and, when given, a settings file.
struct Dossier {
    DossierTemporaire d;
    explicit Dossier(const std::string& ini = "")
    {
        ListeFiltres l = {Filtre(FiltreSujet, CondContient, "promo", 0, "", ActionAccepter),
                          Filtre(FiltreExpediteur, CondAucune, "", CondFinitPar, ".biz", ActionMarquer),
                          Filtre(FiltreEntete, CondContient, "X-Mailer", 0, "masse", ActionEffacer)};
        l[0].Actif = 0;
        l[1].Compteur = 4;
        EXPECT_TRUE(SauverFiltres(d.Chemin(), l).ok);
        EXPECT_TRUE(SauverAmis(d.Chemin(), {Ami("anne@vente.biz", AmiAdresse)}).ok);
        if (!ini.empty()) EcrireTout(d.Chemin() / "vaskor.ini", ini);
        EcrireTout(d.Chemin() / "m1.eml", "From: Bob <bob@vente.biz>\r\nSubject: Super promo\r\n\r\ncorps\r\n");
        EcrireTout(d.Chemin() / "m2.eml", "From: anne@vente.biz\nX-Mailer: envoi en masse\n\nX-Mailer: masse\n");
        EcrireTout(d.Chemin() / "m3.eml", "From: zoe@z.fr\nX-Mailer: Masse\nX-Mailer: envoi en masse\n");
    }
    std::string Classer(const std::string& fichier, const std::string& options = "", int* statut = nullptr)
    {
        std::string out, err;
        const int s = LancerCli("classify '" + (d.Chemin() / fichier).string() + "' " + Data(d) + " " + options, "",
                                out, &err);
        if (statut) *statut = s;
        else EXPECT_EQ(s, 0) << err;
        return out;
    }
};

}  // namespace

TEST(CliClassify, VerdictReasonAndFilterPosition)
{
    Dossier x;
    EXPECT_EQ(x.Classer("m1.eml"), "Verdict: 1\nRaison: Le domaine finit par \".biz\"\nFiltre: 1\n");
    // A friend: accepted, no filter looked at.
    EXPECT_EQ(x.Classer("m2.eml"), "Verdict: 0\n");
    // Only the header lines before the blank line count; the second X-Mailer line decides.
    EXPECT_EQ(x.Classer("m3.eml"), "Verdict: 2\nRaison: L'entête \"X-Mailer\" contient \"masse\"\nFiltre: 2\n");
    // The counters stay as they were without --write-counters.
    ListeFiltres l;
    ASSERT_TRUE(ChargerFiltres(x.d.Chemin(), l).ok);
    EXPECT_EQ(l[1].Compteur, 4);

    EXPECT_EQ(x.Classer("m1.eml", "--write-counters"), "Verdict: 1\nRaison: Le domaine finit par \".biz\"\nFiltre: 1\n");
    l.clear();
    ASSERT_TRUE(ChargerFiltres(x.d.Chemin(), l).ok);
    EXPECT_EQ(l[1].Compteur, 5);
    EXPECT_EQ(l[2].Compteur, 0);

    // An accepting filter that decides is named too.
    l[0].Actif = 1;
    ASSERT_TRUE(SauverFiltres(x.d.Chemin(), l).ok);
    EXPECT_EQ(x.Classer("m1.eml"), "Verdict: 0\nFiltre: 0\n");

    // Standard input.
    std::string out;
    ASSERT_EQ(LancerCli("classify - " + Data(x.d), "From: a@b.biz\n\n", out), 0);
    EXPECT_EQ(out, "Verdict: 1\nRaison: Le domaine finit par \".biz\"\nFiltre: 1\n");
}

TEST(CliClassify, TheSizeRuleAndTheSettingsApply)
{
    Dossier x;
    EXPECT_EQ(x.Classer("m3.eml", "--size 299999"), "Verdict: 2\nRaison: L'entête \"X-Mailer\" contient \"masse\"\nFiltre: 2\n");
    EXPECT_EQ(x.Classer("m3.eml", "--size 300000"), "Verdict: 0\n");

    Dossier amis("[Filtrage]\r\nQueLesMailsDesAmis=1\r\nFiltresEnteteActif=0\r\n[Messages]\r\nTaillePasserMessage=10\r\n");
    EXPECT_EQ(amis.Classer("m3.eml"), "Verdict: 2\nRaison: \"zoe@z.fr\" n'est pas dans la liste des amis\n");
    EXPECT_EQ(amis.Classer("m3.eml", "--size 10000"), "Verdict: 0\n");
    EXPECT_EQ(amis.Classer("m2.eml"), "Verdict: 0\n");

    Dossier sansEntete("[Filtrage]\r\nFiltresEnteteActif=0\r\n[Messages]\r\nPasserTailleMax=0\r\n");
    EXPECT_EQ(sansEntete.Classer("m3.eml", "--size 99999999"), "Verdict: 0\n");
}

TEST(CliClassify, UnreadableInputAndBadArguments)
{
    Dossier x;
    EcrireTout(x.d.Chemin() / "bad.eml", "From: <a@b.fr> x@y.fr\n\n");
    int statut = 0;
    EXPECT_EQ(x.Classer("bad.eml", "", &statut), "Error: @ Outside address\n");
    EXPECT_EQ(statut, 2);
    std::string out, err;
    EXPECT_EQ(LancerCli("classify /nonexistent/m.eml " + Data(x.d), "", out, &err), 1);
    EXPECT_NE(err, "");
    EXPECT_EQ(LancerCli("classify " + Data(x.d), "", out, &err), 64);
    EXPECT_EQ(LancerCli("classify - --size 12x " + Data(x.d), "", out, &err), 2);

    // An endless or huge input is refused at 64 MiB instead of filling the memory.
    EXPECT_EQ(LancerCli("classify /dev/zero " + Data(x.d), "", out, &err), 1);
    EXPECT_NE(err.find("64 Mo"), std::string::npos) << err;
    EXPECT_EQ(out, "");
    std::filesystem::resize_file(x.d.Chemin() / "bad.eml", (std::uintmax_t(64) << 20) + 1);
    EXPECT_EQ(LancerCli("classify " + (x.d.Chemin() / "bad.eml").string() + " " + Data(x.d), "", out, &err), 1);
    EXPECT_NE(err.find("64 Mo"), std::string::npos) << err;
}
