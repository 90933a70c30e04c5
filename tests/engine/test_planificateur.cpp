#include "engine/planificateur.h"
#include "support/banc_controle.h"
#include "support/faux_serveur_pop3.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vaskor;

namespace {

// The window's data and a clock the test moves by hand.
struct Banc : test::BancControle {
    Planificateur plan{controle, fenetre, client, liste, config};
    TDateHeure maintenant = EncoderDate(2026, 12, 8) + EncoderHeure(9, 0, 0);
    bool apercu = false;

    Banc()
    {
        controle.Horloge = [this] { return maintenant; };
        plan.ApercuVisible = [this] { return apercu; };
        config.ControleAuto = true;
        config.FrequenceControleAuto = 30;
    }
    void A(int h, int m, int s, int jour = 8) { maintenant = EncoderDate(2026, 12, jour) + EncoderHeure(h, m, s); }
    // Automatic runs so far: each sets the tray to "checking" before any connection names a server.
    int Controles() const
    {
        int n = 0;
        for (std::size_t i = 0; i < fenetre.etatsTray.size(); ++i)
            n += fenetre.etatsTray[i] == 1 && fenetre.serveursTray[i].empty();
        return n;
    }
};

}  // namespace

TEST(Planificateur, TheIntervalCountsFromTheEndOfTheLastManualCheck)
{
    Banc b;
    b.plan.Demarrer();
    b.A(10, 0, 0);
    b.controle.MajProchainControle();  // as a manual check ending at 10:00 does
    EXPECT_EQ(b.fenetre.labelProchain, "Prochain contr\xF4le : 08/12/2026 - 10:30:00");
    EXPECT_TRUE(b.fenetre.labelVisible);
    b.A(10, 29, 55);
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 0);
    b.A(10, 30, 5);
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 1);
    EXPECT_EQ(b.fenetre.labelProchain, "Prochain contr\xF4le : 08/12/2026 - 11:00:05");
    EXPECT_FALSE(b.controle.ControleAutoEnCours);
    EXPECT_EQ(b.fenetre.etatsTray.back(), 0);  // nothing listed
    b.A(10, 30, 15);
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 1);
}

TEST(Planificateur, TheFixedTimeRunsOncePerDayWithinItsMinute)
{
    Banc b;
    b.config.ControlerA = true;
    b.config.HeureCtrl = "12:00";
    b.plan.Demarrer();
    EXPECT_EQ(b.fenetre.labelProchain, "Contr\xF4le tous les jours \xE0 12:00");
    const int ticks[][3] = {{11, 59, 55}, {12, 0, 5}, {12, 0, 15}, {12, 0, 55}, {12, 1, 5}};
    for (auto& t : ticks) {
        b.A(t[0], t[1], t[2]);
        b.plan.Tick();
    }
    EXPECT_EQ(b.Controles(), 1);
    b.A(12, 0, 3, 9);
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 2);
    EXPECT_EQ(b.fenetre.labelProchain, "Contr\xF4le tous les jours \xE0 12:00");  // left as it was
}

TEST(Planificateur, NoCheckWhileThePreviewIsOpenOrASessionIsConnectedOrWhenSwitchedOff)
{
    Banc b;
    b.plan.Demarrer();
    b.A(9, 31, 0);
    b.apercu = true;
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 0);
    b.apercu = false;

    test::FauxServeurPop3 s;
    s.Connexion("anne", "x").Quitter();
    s.Demarrer();
    b.client.Host = "127.0.0.1";
    b.client.Port = s.Port();
    b.client.Username = "anne";
    b.client.Password = "x";
    b.client.OpenSession();
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 0);
    b.client.CloseSession();
    EXPECT_TRUE(s.AttendreFin());

    b.config.ControleAuto = false;
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 0);
    b.config.ControleAuto = true;
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 1);
}

TEST(Planificateur, TheStartUpTickChecksAtOnceOnlyWhenAutomaticChecksAreOn)
{
    {
        Banc b;
        b.config.ControlerAuLancement = true;
        b.config.MasquerAuLancement = true;
        b.fenetre.visible = false;
        int icones = 0;
        b.plan.AjouterIconeTray = [&] { ++icones; };
        b.apercu = true;  // the preview window does not exist yet at start
        b.plan.Demarrer();
        EXPECT_EQ(b.Controles(), 1);
        EXPECT_EQ(icones, 1);
    }
    {
        Banc b;
        b.config.ControlerAuLancement = true;
        b.config.ControleAuto = false;
        b.plan.Demarrer();
        EXPECT_EQ(b.Controles(), 0);
        EXPECT_FALSE(b.fenetre.labelVisible);
    }
}

TEST(Planificateur, AnAutomaticRunChecksOnlyTheChosenAccountsAndDropsMarkedRowsUnasked)
{
    test::FauxServeurPop3 choisi, ignore;
    choisi.Connexion("anne", "secret").Stat(0, 0).Liste({}).Quitter();
    choisi.Demarrer();
    ignore.Demarrer();
    Banc b;
    b.comptes.Remplacer({test::CompteTest("Choisi", choisi.Port()), test::CompteTest("Ignore", ignore.Port())});
    b.comptes.DefinirControleAuto(0, true);
    b.liste.Ajouter(LigneMessage{"x", "marque", "", "1", true, {}});
    b.plan.Demarrer();
    b.A(9, 30, 0);
    b.plan.Tick();
    EXPECT_TRUE(choisi.AttendreFin());
    EXPECT_TRUE(choisi.Ecarts().empty());
    EXPECT_EQ(ignore.ConnexionsAcceptees(), 0);
    EXPECT_TRUE(b.fenetre.questions.empty());
    EXPECT_TRUE(b.fenetre.messages.empty());
    EXPECT_EQ(b.liste.Nombre(), 0u);
}

TEST(Planificateur, ATickArrivingWhileAManualRunProcessesEventsDoesNotStartASecondRun)
{
    Banc b;
    b.plan.Demarrer();
    b.A(9, 31, 0);
    // The question about marked rows is asked with no session open; the window processes its
    // events meanwhile, and the timer may fire.
    b.liste.Ajouter(LigneMessage{"x", "marque", "", "1", true, {}});
    b.comptes.Remplacer({TCompte::Vierge()});
    int pendant = -1;
    struct Fenetre : test::FenetreEnregistreuse {
        std::function<void()> pendantQuestion;
        ReponseMessage Question(const Texte& t, const Texte& x, BoutonsMessage bo, IconeMessage i, bool d) override
        {
            pendantQuestion();
            return test::FenetreEnregistreuse::Question(t, x, bo, i, d);
        }
    };
    Fenetre f;
    Controleur controle{f, b.client, {b.comptes, b.filtres, b.amis, b.config, b.journal, b.liste}};
    controle.Horloge = [&b] { return b.maintenant; };
    Planificateur plan{controle, f, b.client, b.liste, b.config};
    f.pendantQuestion = [&] {
        plan.Tick();
        pendant = int(f.etatsTray.size());
    };
    controle.ControlerTousLesComptes();  // the answer is Cancel
    EXPECT_EQ(pendant, 0);
    EXPECT_EQ(b.liste.Nombre(), 1u);
}

TEST(Planificateur, ASessionLeftOpenByAFailedCheckDoesNotStopTheAutomaticChecks)
{
    test::FauxServeurPop3 s;
    s.Connexion("anne", "secret").Stat(2, 300).Liste({100, 200});
    s.Entete(1, {"From: a@exemple.fr", "Subject: un"}).TailleMessage(1, 100);
    s.C("TOP 2 0").S("-ERR no such message");
    // The next automatic check closes the session left open, then checks again.
    s.C("QUIT").S("+OK").AttendreFermeture();
    s.NouvelleConnexion().Connexion("anne", "secret").Stat(0, 0).Liste({}).Quitter();
    s.Demarrer();
    Banc b;
    b.comptes.Remplacer({test::CompteTest("Maison", s.Port())});
    b.comptes.DefinirControleAuto(0, true);
    b.plan.Demarrer();
    b.A(9, 30, 0);
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 1);
    EXPECT_TRUE(b.client.IsConnected());
    EXPECT_TRUE(b.controle.SessionLaissee());
    b.A(10, 0, 5);
    b.plan.Tick();
    EXPECT_EQ(b.Controles(), 2);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_TRUE(s.Ecarts().empty());
    EXPECT_FALSE(b.client.IsConnected());
    EXPECT_FALSE(b.controle.SessionLaissee());
}
