#include "core/texte_date.h"
#include "engine/controle.h"
#include "mail/echec.h"
#include "support/banc_controle.h"
#include "support/faux_serveur_pop3.h"
#include "support/outils.h"
#include "support/verrou_externe.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace vaskor;
using test::FauxServeurPop3;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TCompte Compte(const char* description, int port, const char* user = "anne", const char* mdp = "secret")
{
    return test::CompteTest(description, port, user, mdp);
}

TFiltre FiltreSurSujet(const char* contient, TActionFiltre action)
{
    TFiltre f = TFiltre::Vierge();
    f.TypeFiltre = FiltreSujet;
    f.Condition1 = CondContient;
    f.Valeur1 = contient;
    f.Action = action;
    f.Actif = 1;
    return f;
}

std::vector<std::string> Entetes(const std::string& de, const std::string& sujet)
{
    return {"From: " + de, "Subject: " + sujet, "Date: Tue, 7 Sep 2004 10:20:30 +0000",
            "Message-Id: <" + sujet + "@exemple.fr>"};
}

// The window's data, its client and the check run, as TFMain holds them.
struct Banc : test::BancControle {
    Banc() { filtres = {FiltreSurSujet("SPAM", ActionEffacer), FiltreSurSujet("PUB", ActionMarquer)}; }
};

// Plays the check of one mailbox whose messages have these subjects and sizes; `supprimes`
// lists the numbers the filters delete.
void ScriptControle(FauxServeurPop3& s, const std::vector<std::string>& sujets, const std::vector<long long>& tailles,
                    const std::vector<int>& supprimes, const std::string& user = "anne")
{
    long long total = 0;
    for (auto t : tailles) total += t;
    s.Connexion(user, "secret").Stat(int(sujets.size()), total).Liste(tailles);
    for (std::size_t i = 0; i < sujets.size(); ++i) {
        const int n = int(i + 1);
        s.Entete(n, Entetes("Expediteur " + std::to_string(n) + " <x" + std::to_string(n) + "@exemple.fr>", sujets[i]));
        s.TailleMessage(n, tailles[i]);
        if (std::find(supprimes.begin(), supprimes.end(), n) != supprimes.end()) s.Suppression(n);
    }
    s.Quitter();
}

}  // namespace

TEST(ControleCompte, MessagesDeletedByFiltersAreNotListedAndTheOthersGetTheirNumberOfTheNextSession)
{
    FauxServeurPop3 s;
    ScriptControle(s, {"un", "SPAM deux", "trois PUB", "SPAM quatre", "cinq"}, {100, 200, 300, 400, 500}, {2, 4});
    s.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    b.controle.ControlerCompte(0);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    EXPECT_THAT(b.fenetre.messages, IsEmpty());

    ASSERT_EQ(b.liste.Nombre(), 3u);
    EXPECT_EQ(b.liste[0].Sujet, "un");
    EXPECT_EQ(b.liste[0].Resume.Numero, 1);
    EXPECT_EQ(b.liste[1].Resume.Numero, 2);
    EXPECT_EQ(b.liste[2].Resume.Numero, 3);
    EXPECT_FALSE(b.liste[0].Marque);
    EXPECT_TRUE(b.liste[1].Marque);  // "PUB" marks
    EXPECT_NE(b.liste[1].Resume.Raison, RaisonSuppressionUtilisateur());
    EXPECT_EQ(b.liste[0].Resume.Raison, RaisonSuppressionUtilisateur());
    EXPECT_EQ(b.liste[2].Taille, "500");
    EXPECT_EQ(b.liste[0].De, "Expediteur 1 <x1@exemple.fr>");
    EXPECT_EQ(b.liste[0].Resume.Compte->Description.Lire(), "Maison");
    EXPECT_EQ(b.liste[0].Resume.Entetes.size(), 4u);

    const auto lignes = b.journal.Lignes();
    ASSERT_EQ(lignes.size(), 2u);
    EXPECT_EQ(lignes[0].substr(0, 7), "Maison\t");
    EXPECT_NE(lignes[0].find("\tSPAM deux\t"), std::string::npos);
    EXPECT_NE(lignes[1].find("\t400\t"), std::string::npos);
    EXPECT_THAT(b.fenetre.sons, ElementsAre(SonControle::MsgOK, SonControle::MsgAEffacer, SonControle::MsgAMarquer,
                                            SonControle::MsgAEffacer, SonControle::MsgOK));
    EXPECT_EQ(b.fenetre.DernierStatut(2), "1 ko");  // panel 2 keeps the mailbox size
    EXPECT_EQ(b.fenetre.DernierStatut(0), "");
    EXPECT_EQ(b.fenetre.activations.back(), true);
    EXPECT_FALSE(b.client.IsConnected());
}

TEST(ControleCompte, TheSizeOptionAcceptsMessagesAtTheLimitWithoutClassifyingThem)
{
    FauxServeurPop3 s;
    ScriptControle(s, {"SPAM gros", "SPAM juste dessous"}, {50000, 49999}, {2});
    s.Demarrer();
    Banc b;
    b.config.PasserTailleMax = true;
    b.config.TaillePasserMessage = 50;
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    b.controle.ControlerCompte(0);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    ASSERT_EQ(b.liste.Nombre(), 1u);
    EXPECT_EQ(b.liste[0].Sujet, "SPAM gros");
    EXPECT_FALSE(b.liste[0].Marque);
}

TEST(ControleCompte, AnEmptyMailboxSaysSoOnlyWhenTheUserCheckedThatOneAccount)
{
    for (int mode = 0; mode < 3; ++mode) {  // one account, all accounts, automatic
        SCOPED_TRACE(mode);
        FauxServeurPop3 s;
        s.Connexion("anne", "secret").Stat(0, 0).Liste({}).Quitter();  // every mode closes with QUIT
        s.Demarrer();
        Banc b;
        b.comptes.Remplacer({Compte("Maison", s.Port())});
        b.comptes.DefinirControleAuto(0, true);
        if (mode == 0) b.controle.ControlerCompte(0);
        if (mode == 1) b.controle.ControlerTousLesComptes();
        if (mode == 2) {
            b.controle.ControleAutoEnCours = true;
            b.controle.ControlerTousLesComptes();
        }
        EXPECT_TRUE(s.AttendreFin());
        EXPECT_THAT(s.Ecarts(), IsEmpty());
        if (mode == 0) {
            ASSERT_EQ(b.fenetre.messages.size(), 1u);
            EXPECT_EQ(b.fenetre.messages[0].texte, "Aucun message sur 127.0.0.1.");
            EXPECT_EQ(b.fenetre.messages[0].titre, "Information");
        } else {
            EXPECT_THAT(b.fenetre.messages, IsEmpty());
        }
        EXPECT_EQ(b.liste.Nombre(), 0u);
    }
}

TEST(ControleTous, PanelTwoShowsTheSumOfEveryMailboxAndRowsOfAllAccountsAccumulate)
{
    FauxServeurPop3 s1, s2;
    ScriptControle(s1, {"a1", "a2"}, {600, 700}, {});
    ScriptControle(s2, {"b1"}, {800}, {}, "bruno");
    s1.Demarrer();
    s2.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("Travail", s2.Port(), "bruno"), Compte("Maison", s1.Port())});
    b.controle.ControlerTousLesComptes();
    EXPECT_TRUE(s1.AttendreFin());
    EXPECT_TRUE(s2.AttendreFin());
    EXPECT_THAT(s1.Ecarts(), IsEmpty());
    EXPECT_THAT(s2.Ecarts(), IsEmpty());
    ASSERT_EQ(b.liste.Nombre(), 3u);
    EXPECT_EQ(b.liste[0].Sujet, "a1");  // "Maison" sorts first
    EXPECT_EQ(b.liste[2].Resume.Compte->Description.Lire(), "Travail");
    EXPECT_EQ(b.liste[2].Resume.Numero, 1);
    EXPECT_EQ(b.fenetre.DernierStatut(2), "2 ko");  // 2100 bytes
    EXPECT_EQ(b.fenetre.compte, "");
    // The commands come back once, at the end of the whole run.
    EXPECT_THAT(b.fenetre.activations, ElementsAre(false, false, true));
}

TEST(ControleCompte, AFailureInTheHeaderLoopKeepsTheRowsAndTheNextRunCommitsTheEarlierDeletions)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Stat(3, 600).Liste({100, 200, 300});
    s.Entete(1, Entetes("a@exemple.fr", "SPAM un")).TailleMessage(1, 100).Suppression(1);
    s.Entete(2, Entetes("b@exemple.fr", "deux")).TailleMessage(2, 200);
    s.C("TOP 3 0").S("-ERR no such message");
    // The next run finds the session open and closes it first: QUIT commits DELE 1.
    s.C("QUIT").S("+OK").AttendreFermeture();
    s.NouvelleConnexion().Connexion("anne", "secret").Stat(0, 0).Liste({}).Quitter();
    s.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    b.controle.ControlerCompte(0);
    ASSERT_EQ(b.liste.Nombre(), 1u);
    EXPECT_EQ(b.liste[0].Sujet, "deux");
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte, "Impossible de se connecter \xE0 127.0.0.1 :-(\r\n->  no such message\r\n)");
    EXPECT_EQ(b.fenetre.messages[0].icone, IconeMessage::Avertissement);
    EXPECT_TRUE(b.client.IsConnected());
    EXPECT_EQ(b.journal.Nombre(), 0u);  // DELE 1 is not committed yet

    b.fenetre.reponses.push_back(ReponseMessage::Non);  // no row is marked: no question anyway
    b.controle.ControlerCompte(0);
    EXPECT_EQ(b.journal.Nombre(), 1u);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    EXPECT_EQ(b.liste.Nombre(), 0u);
}

TEST(ControleCompte, ARefusedPasswordShowsTheServersTextExceptInAnAutomaticRunWhichGoesOnToTheNextAccount)
{
    {
        FauxServeurPop3 s;
        s.Accueil().C("USER anne").S("+OK").C("PASS secret").S("-ERR bad password").C("QUIT").AttendreFermeture();
        s.Demarrer();
        Banc b;
        b.comptes.Remplacer({Compte("Maison", s.Port())});
        b.controle.ControlerCompte(0);
        EXPECT_TRUE(s.AttendreFin());
        EXPECT_THAT(s.Ecarts(), IsEmpty());
        ASSERT_EQ(b.fenetre.messages.size(), 1u);
        EXPECT_EQ(b.fenetre.messages[0].titre, "Information");
        EXPECT_EQ(b.fenetre.messages[0].texte, "Impossible de se connecter \xE0 127.0.0.1 :-(\r\n->  bad password\r\n)");
        EXPECT_EQ(b.fenetre.compte, "");
    }
    {
        FauxServeurPop3 refus, bon, ignore;
        refus.Accueil().C("USER anne").S("+OK").C("PASS secret").S("-ERR bad password").C("QUIT").AttendreFermeture();
        ScriptControle(bon, {"auto"}, {100}, {}, "bruno");
        refus.Demarrer();
        bon.Demarrer();
        ignore.Demarrer();
        Banc b;
        b.comptes.Remplacer({Compte("A", refus.Port()), Compte("B", bon.Port(), "bruno"),
                             Compte("C sans controle auto", ignore.Port())});
        b.comptes.DefinirControleAuto(0, true);
        b.comptes.DefinirControleAuto(1, true);
        b.liste.Ajouter(LigneMessage{"x", "marque", "", "1", true, {}});
        b.controle.ControleAutoEnCours = true;
        b.controle.ControlerTousLesComptes();
        EXPECT_TRUE(refus.AttendreFin());
        EXPECT_TRUE(bon.AttendreFin());
        EXPECT_THAT(bon.Ecarts(), IsEmpty());
        EXPECT_EQ(ignore.ConnexionsAcceptees(), 0);
        EXPECT_THAT(b.fenetre.messages, IsEmpty());
        EXPECT_THAT(b.fenetre.questions, IsEmpty());  // marked rows are dropped unasked
        ASSERT_EQ(b.liste.Nombre(), 1u);
        EXPECT_EQ(b.liste[0].Sujet, "auto");
        EXPECT_EQ(b.fenetre.labelProchain, "");  // an automatic run leaves the label alone
    }
}

TEST(ControleCompte, CancelInTheMarkedMessagesQuestionLeavesTheListAndTheServerAlone)
{
    FauxServeurPop3 s;
    s.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    b.liste.Ajouter(LigneMessage{"x", "marque", "", "1", true, {}});
    b.fenetre.reponses.push_back(ReponseMessage::Annuler);
    b.controle.ControlerCompte(0, true);
    ASSERT_EQ(b.fenetre.questions.size(), 1u);
    EXPECT_EQ(b.fenetre.questions[0],
              "Des messages ont \xE9t\xE9 marqu\xE9s pour suppression.\r\r\nLes supprimer avant de continuer ?");
    EXPECT_EQ(b.liste.Nombre(), 1u);
    EXPECT_TRUE(b.liste[0].Marque);
    EXPECT_EQ(s.ConnexionsAcceptees(), 0);
    EXPECT_EQ(b.fenetre.activations.back(), true);
    EXPECT_EQ(b.fenetre.montrees, 2);  // shown before the question and at the end: started from the tray
}

TEST(TexteTaille, BytesUpTo1024ThenWholeKilobytes)
{
    EXPECT_EQ(TexteTaille(0), "");
    EXPECT_EQ(TexteTaille(1), "1 octets");
    EXPECT_EQ(TexteTaille(1024), "1024 octets");
    EXPECT_EQ(TexteTaille(1025), "1 ko");
    EXPECT_EQ(TexteTaille(2047), "1 ko");
    EXPECT_EQ(TexteTaille(2048), "2 ko");
    EXPECT_EQ(TexteTaille(5000000000LL), "4882812 ko");
}

TEST(ProchainControle, IntervalAndFixedTimeTexts)
{
    TConfig c = ConfigParDefaut();
    c.FrequenceControleAuto = 30;
    EXPECT_EQ(TexteProchainControle(c, EncoderDate(2026, 12, 31) + EncoderHeure(23, 45, 0)),
              "Prochain contr\xF4le : 01/01/2027 - 00:15:00");
    // A check made at 23:57:58 runs again at 00:27:58 at the earliest, not during 00:27.
    EXPECT_EQ(TexteProchainControle(c, EncoderDate(2026, 12, 31) + EncoderHeure(23, 57, 58)),
              "Prochain contr\xF4le : 01/01/2027 - 00:27:58");
    c.ControlerA = true;
    c.HeureCtrl = "7:05";
    EXPECT_EQ(TexteProchainControle(c, 0), "Contr\xF4le tous les jours \xE0 07:05");
    int h = 0, m = 0;
    EXPECT_TRUE(LireHeure("19:00", h, m));
    EXPECT_TRUE(LireHeure("19:00:30", h, m));
    EXPECT_FALSE(LireHeure("24:00", h, m));
    EXPECT_FALSE(LireHeure("12h30", h, m));
    EXPECT_FALSE(LireHeure("12:", h, m));
    EXPECT_FALSE(LireHeure("", h, m));
}

TEST(ControleCompte, ADeleRefusedByTheServerLeavesNoJournalLine)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Stat(2, 300).Liste({100, 200});
    s.Entete(1, Entetes("a@exemple.fr", "SPAM un")).TailleMessage(1, 100).Suppression(1);
    s.Entete(2, Entetes("b@exemple.fr", "SPAM deux")).TailleMessage(2, 200).C("DELE 2").S("-ERR message locked");
    s.Quitter();
    s.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    b.controle.ControlerCompte(0);
    EXPECT_EQ(b.journal.Nombre(), 0u);
    b.client.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    const auto lignes = b.journal.Lignes();
    ASSERT_EQ(lignes.size(), 1u);  // message 2 is still on the server
    EXPECT_NE(lignes[0].find("\tSPAM un\t"), std::string::npos);
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte, "Impossible de se connecter \xE0 127.0.0.1 :-(\r\n->  message locked\r\n)");
    EXPECT_THAT(b.fenetre.sons, ElementsAre(SonControle::MsgAEffacer));
}

TEST(ControleCompte, ARefusedLoginOfTheDeletionAskedBeforeTheCheckGivesTheCursorAndTheCommandsBack)
{
    FauxServeurPop3 s;
    s.Accueil().C("USER anne").S("+OK").C("PASS secret").S("-ERR bad password").C("QUIT").AttendreFermeture();
    s.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    LigneMessage marquee{"x", "marque", "", "1", true, {}};
    marquee.Resume.Compte = b.comptes[0];
    marquee.Resume.Numero = 1;
    b.liste.Ajouter(marquee);
    b.fenetre.reponses.push_back(ReponseMessage::Oui);
    EXPECT_THROW(b.controle.ControlerCompte(0, true), Echec);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_EQ(b.fenetre.attentes, 0);
    EXPECT_EQ(b.fenetre.activations.back(), true);
    EXPECT_EQ(b.fenetre.montrees, 2);  // before the question and at the end, as after any run from the tray
    EXPECT_FALSE(b.controle.Occupe());
}

TEST(ControleCompte, NoOtherRunStartsFromTheEventsProcessedDuringARun)
{
    // The tray's check menu is not disabled while a run goes on: choosing an entry there must not
    // start a second run on the same client in the middle of the first one.
    FauxServeurPop3 s, autre;
    ScriptControle(s, {"un", "deux"}, {100, 200}, {});
    s.Demarrer();
    autre.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("A", s.Port()), Compte("B", autre.Port(), "bruno")});
    int tentatives = 0;
    b.fenetre.pendantEvenements = [&] {
        if (!b.client.IsConnected()) return;
        ++tentatives;
        b.controle.ControlerCompte(1);
        b.controle.ControlerTousLesComptes();
        b.controle.SupprimerMarques();
    };
    b.controle.ControlerCompte(0);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    EXPECT_GT(tentatives, 0);
    EXPECT_EQ(autre.ConnexionsAcceptees(), 0);
    EXPECT_EQ(b.liste.Nombre(), 2u);
    EXPECT_THAT(b.fenetre.messages, IsEmpty());  // not even "Aucun message marqué pour suppression."
}

TEST(ControleTous, HostileMailboxSizesNeitherWrapTheTotalNorShowBelowZero)
{
    {
        FauxServeurPop3 s1, s2;
        s1.Connexion("anne", "secret").Stat(0, 0).Liste({9000000000000000000LL}).Quitter();
        s2.Connexion("bruno", "secret").Stat(0, 0).Liste({9000000000000000000LL}).Quitter();
        s1.Demarrer();
        s2.Demarrer();
        Banc b;
        b.comptes.Remplacer({Compte("A", s1.Port()), Compte("B", s2.Port(), "bruno")});
        b.controle.ControlerTousLesComptes();
        EXPECT_TRUE(s1.AttendreFin());
        EXPECT_TRUE(s2.AttendreFin());
        EXPECT_EQ(b.fenetre.DernierStatut(2), "9007199254740991 ko");  // the largest size, not a wrapped one
    }
    {
        FauxServeurPop3 s;
        s.Connexion("anne", "secret").Stat(1, 0).Liste({-500});
        s.Entete(1, Entetes("a@exemple.fr", "un")).TailleMessage(1, 10).Quitter();
        s.Demarrer();
        Banc b;
        b.comptes.Remplacer({Compte("A", s.Port())});
        b.controle.ControlerCompte(0);
        EXPECT_TRUE(s.AttendreFin());
        EXPECT_THAT(s.Ecarts(), IsEmpty());
        ASSERT_EQ(b.fenetre.messages.size(), 1u);
        EXPECT_EQ(b.fenetre.messages[0].titre, "Erreur");
        EXPECT_EQ(b.fenetre.messages[0].texte,
                  "Erreur lors de la r\xE9" "ception de la taille de la bo\xEEte sur 127.0.0.1.");
        EXPECT_EQ(b.fenetre.DernierStatut(2), "");
        EXPECT_EQ(b.liste.Nombre(), 1u);  // the header loop rests on the count
    }
}

TEST(ControleTous, AFailureEscapingTheRunDoesNotLeaveItMarkedAsGoingOn)
{
    struct Fenetre : test::FenetreEnregistreuse {
        bool lancer = true;
        void FocusListe() override
        {
            if (lancer) throw std::runtime_error("fen\xEAtre d\xE9truite");
        }
    };
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Stat(0, 0).Liste({}).Quitter();
    s.Demarrer();
    Banc b;
    Fenetre f;
    Controleur controle{f, b.client, {b.comptes, b.filtres, b.amis, b.config, b.journal, b.liste}};
    b.comptes.Remplacer({Compte("A", s.Port())});
    EXPECT_THROW(controle.ControlerTousLesComptes(), std::runtime_error);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_FALSE(controle.ControleTousEnCours);
    EXPECT_FALSE(controle.Occupe());
}

TEST(ControleCompte, AnUnreadableHeaderBlockIsListedWithItsRawValuesAndTheCheckGoesOn)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Stat(4, 1000).Liste({100, 200, 300, 400});
    s.Entete(1, {"From: <a@b.fr> c@d.fr", "Subject: deux adresses"}).TailleMessage(1, 100);
    s.Entete(2, {"From: x@y.fr", "Subject: =?ISO-8859-1?Q?caf=XY?="}).TailleMessage(2, 200);
    s.Entete(3, {"From: z@y.fr", "Subject: long", "X-Long: " + std::string(300, 'a')}).TailleMessage(3, 300);
    s.Entete(4, Entetes("w@y.fr", "SPAM quatre")).TailleMessage(4, 400).Suppression(4).Quitter();
    s.Demarrer();
    Banc b;
    b.client.TailleMaxEntete = 200;
    b.config.DecodageModerne = false;  // the decoding that finds an "=XY" unreadable
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    b.controle.ControlerCompte(0);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    EXPECT_THAT(b.fenetre.messages, IsEmpty());
    EXPECT_EQ(b.journal.Nombre(), 1u);
    struct Attendu {
        const char* de;
        const char* sujet;
        const char* raison;
    };
    const Attendu attendus[] = {
        {"<a@b.fr> c@d.fr", "deux adresses", "Entête illisible : @ Outside address"},
        {"x@y.fr", "=?ISO-8859-1?Q?caf=XY?=",
         "Entête illisible : un « = » d'un mot encodé n'est pas suivi de deux chiffres hexadécimaux."},
        {"z@y.fr", "long", "Entête illisible : Bloc d'entête du message 3 trop long."},
    };
    ASSERT_EQ(b.liste.Nombre(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(b.liste[i].De, Utf8VersCp1252(attendus[i].de)) << i;
        EXPECT_EQ(b.liste[i].Sujet, Utf8VersCp1252(attendus[i].sujet)) << i;
        EXPECT_EQ(b.liste[i].Resume.Raison, Utf8VersCp1252(attendus[i].raison)) << i;
        EXPECT_EQ(b.liste[i].Resume.Numero, int(i + 1));
        EXPECT_FALSE(b.liste[i].Marque) << i;
    }
}

TEST(ControleCompte, DeletionsTheServerDoesNotCommitAtQuitAreNotJournaledAndTheRunSaysSo)
{
    const std::vector<std::pair<const char*, std::function<void(FauxServeurPop3&)>>> fins = {
        {"quit-err", [](FauxServeurPop3& s) { s.C("QUIT").S("-ERR commit failed").AttendreFermeture(); }},
        {"dropped-after-dele", [](FauxServeurPop3& s) { s.Fermer(); }},
    };
    for (const auto& [nom, fin] : fins) {
        FauxServeurPop3 s;
        s.Connexion("anne", "secret").Stat(2, 300).Liste({100, 200});
        s.Entete(1, Entetes("a@exemple.fr", "SPAM un")).TailleMessage(1, 100).Suppression(1);
        s.Entete(2, Entetes("b@exemple.fr", "SPAM deux")).TailleMessage(2, 200).Suppression(2);
        fin(s);
        s.Demarrer();
        Banc b;
        b.comptes.Remplacer({Compte("Maison", s.Port())});
        test::DossierTemporaire d;
        b.controle.Dossier = d.Chemin();
        b.controle.EcrireJournal = [&](const std::vector<Texte>& l) { return EnregistrerJournal(d.Chemin(), l, 100); };
        b.controle.ControlerCompte(0);
        EXPECT_TRUE(s.AttendreFin()) << nom;
        EXPECT_EQ(b.journal.Nombre(), 0u) << nom;
        EXPECT_FALSE(fs::exists(d.Chemin() / NomFichierSuspens)) << nom;
        EXPECT_FALSE(fs::exists(d.Chemin() / NomFichierJournal)) << nom;
        EXPECT_EQ(b.controle.SuppressionsNonConfirmees, 1) << nom;
        ASSERT_EQ(b.fenetre.messages.size(), 1u) << nom;
        EXPECT_EQ(b.fenetre.messages[0].texte,
                  "Le serveur n'a pas confirm\xE9 les suppressions : les 2 messages \xE0 effacer restent sur 127.0.0.1.")
            << nom;
    }
}

TEST(ControleCompte, TheJournalFileIsReadyBeforeQuitAndTakesItsPlaceOnlyOnTheCommit)
{
    // While the server is slow to answer QUIT, the new journal already waits, written, beside
    // the old one: on "+OK" only a rename remains, so a kill just after the commit loses nothing.
    for (const char* reponse : {"+OK\r\n", "-ERR\r\n"}) {
        const bool commis = reponse[0] == '+';
        test::DossierTemporaire d;
        FauxServeurPop3 s;
        s.Connexion("anne", "secret").Stat(1, 100).Liste({100});
        s.Entete(1, Entetes("x <x@exemple.fr>", "SPAM un")).TailleMessage(1, 100).Suppression(1);
        s.C("QUIT").Goutte(reponse, 70).AttendreFermeture();
        s.Demarrer();
        Banc b;
        b.comptes.Remplacer({Compte("Maison", s.Port())});
        b.controle.Dossier = d.Chemin();
        b.controle.EcrireJournal = [&](const std::vector<Texte>& l) { return EnregistrerJournal(d.Chemin(), l, 100); };
        b.controle.PreparerJournal = [&](const std::vector<Texte>& l, JournalPrepare& p) {
            return PreparerJournal(d.Chemin(), l, 100, p);
        };
        bool pretPendantQuit = false;
        b.fenetre.pendantEvenements = [&] {
            if (!b.client.IsConnected()) return;
            for (const auto& f : std::filesystem::directory_iterator(d.Chemin()))
                if (f.path().filename().string().rfind(".MAILS_SUPPRIMES.DAT.tmp", 0) == 0) pretPendantQuit = true;
        };
        b.controle.ControlerCompte(0);
        EXPECT_TRUE(s.AttendreFin()) << reponse;
        EXPECT_TRUE(pretPendantQuit) << reponse;
        std::vector<Texte> fichier;
        ASSERT_TRUE(LireJournal(d.Chemin(), fichier).ok);
        EXPECT_EQ(fichier.size(), commis ? 1u : 0u) << reponse;
        EXPECT_EQ(b.journal.Nombre(), 0u) << reponse;
        // Nothing else is left in the folder: the prepared file was put in place or removed.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d.Chemin()), {}), commis ? 1 : 0) << reponse;
    }
}

TEST(ControleCompte, CommittedLinesReachTheJournalFileAtQuitAndABusyFolderRefusesTheRun)
{
    test::DossierTemporaire d;
    FauxServeurPop3 s;
    ScriptControle(s, {"SPAM un", "deux"}, {100, 200}, {1});
    s.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    b.controle.Dossier = d.Chemin();
    std::size_t lignesAuQuit = 0;
    b.controle.EcrireJournal = [&](const std::vector<Texte>& lignes) {
        lignesAuQuit = b.client.IsConnected() ? 99 : lignes.size();
        return EnregistrerJournal(d.Chemin(), lignes, 100);
    };
    // From the moment QUIT is in the socket the line waits in suspense, marked as sent, until
    // the journal holds it.
    std::string suspensAuQuit;
    b.client.OnQuitEnvoye = [&, marquer = b.client.OnQuitEnvoye] {
        marquer();
        suspensAuQuit = test::LireTout(d.Chemin() / NomFichierSuspens);
    };
    b.controle.ControlerCompte(0);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_EQ(lignesAuQuit, 1u);
    EXPECT_THAT(suspensAuQuit, testing::MatchesRegex("VASKOR SUSPENS 1\r\nMaison\t.*\tSPAM un\t.*\r\nQUIT\r\n"));
    EXPECT_FALSE(fs::exists(d.Chemin() / NomFichierSuspens));
    EXPECT_EQ(b.journal.Nombre(), 0u);  // nothing left pending
    std::vector<Texte> fichier;
    ASSERT_TRUE(LireJournal(d.Chemin(), fichier).ok);
    ASSERT_EQ(fichier.size(), 1u);
    EXPECT_NE(fichier[0].find("\tSPAM un\t"), std::string::npos);

    // Another program holds the folder: the run refuses before it connects.
    test::VerrouExterne autre(d.Chemin());
    ASSERT_TRUE(autre.Tenu());
    const int delai = VerrouDossier::DelaiParDefautMs;
    VerrouDossier::DelaiParDefautMs = 200;
    b.fenetre.messages.clear();
    b.controle.ControlerCompte(0);
    VerrouDossier::DelaiParDefautMs = delai;
    EXPECT_TRUE(b.controle.DossierOccupe);
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte, TexteDossierOccupe(d.Chemin()));
    EXPECT_EQ(s.ConnexionsAcceptees(), 1);
}

namespace {

// One mailbox and what goes wrong in it: a TOP refused, the connection closed before the
// replies of a message, or a header line past the 16384-byte limit (0: nothing).
struct CasFenetre {
    const char* nom;
    std::vector<std::string> sujets;
    int refus = 0, coupure = 0, ligneLongue = 0;
    bool octetParOctet = false;
};

// The server's side of the check: one command at a time, or (pipelined) the TOP and LIST of
// every message first, in one go, then the DELE commands.
void ScriptFenetre(FauxServeurPop3& s, const CasFenetre& c, bool pipeline)
{
    const int nombre = int(c.sujets.size());
    std::vector<long long> tailles;
    for (int n = 1; n <= nombre; ++n) tailles.push_back(100 * n);
    if (c.octetParOctet) s.OctetParOctet();
    s.Connexion("anne", "secret").Stat(nombre, 0).Liste(tailles);
    if (pipeline) s.Script("C: CAPA\nS: +OK\nS: TOP\nS: PIPELINING\nS: .");
    const int arret = c.refus ? c.refus : c.coupure ? c.coupure : c.ligneLongue ? c.ligneLongue : nombre + 1;
    std::vector<int> supprimes;
    for (int n = 1; n <= nombre; ++n) {
        if (n == c.coupure) {
            if (!pipeline) s.C("TOP " + std::to_string(n) + " 0");
            s.Fermer();
            return;
        }
        const bool efface = c.sujets[size_t(n - 1)].find("SPAM") != std::string::npos;
        if (n == c.refus) {
            s.C("TOP " + std::to_string(n) + " 0").S("-ERR refus");
        } else if (n == c.ligneLongue) {
            s.C("TOP " + std::to_string(n) + " 0").Brut("+OK\r\nX-Long: " + std::string(16385, 'x') + "\r\n\r\n.\r\n");
        } else {
            s.Entete(n, Entetes("x" + std::to_string(n) + "@exemple.fr", c.sujets[size_t(n - 1)]));
        }
        if (!pipeline && n >= arret) return;
        s.TailleMessage(n, tailles[size_t(n - 1)]);
        if (efface && n < arret) {
            if (pipeline)
                supprimes.push_back(n);
            else
                s.Suppression(n);
        }
    }
    for (int n : supprimes) s.Suppression(n);
    if (arret > nombre) s.Quitter();
}

// What a check left: rows, journal, sounds and messages, as one text.
std::string Bilan(const test::BancControle& b)
{
    std::string r;
    for (std::size_t i = 0; i < b.liste.Nombre(); ++i)
        r += "row " + std::to_string(b.liste[i].Resume.Numero) + " " + b.liste[i].Sujet + (b.liste[i].Marque ? " M" : "") +
             "\n";
    for (const Texte& l : b.journal.Lignes()) r += "journal " + l + "\n";
    for (SonControle s : b.fenetre.sons) r += "sound " + std::to_string(int(s)) + "\n";
    for (const auto& m : b.fenetre.messages) r += "message " + m.texte + "\n";
    return r;
}

}  // namespace

TEST(ControleCompte, APipelinedCheckGivesWhatOneCommandAtATimeGives)
{
    const std::vector<std::string> sujets = {"un", "SPAM deux", "trois PUB", "quatre", "SPAM cinq", "six"};
    const CasFenetre cas[] = {
        {"whole mailbox", sujets},
        {"every reply cut at every byte", sujets, 0, 0, 0, true},
        {"TOP refused inside the window", sujets, 4},
        {"connection closed inside the window", {"un", "deux", "trois PUB", "quatre"}, 0, 3},
        // (A DELE still unanswered when the reading breaks deletes nothing: the session ends without QUIT.)
        {"line past the limit inside the window", {"un", "deux", "trois PUB", "quatre", "SPAM cinq"}, 0, 0, 4},
    };
    for (const CasFenetre& c : cas) {
        SCOPED_TRACE(c.nom);
        std::string bilans[2];
        for (const bool pipeline : {false, true}) {
            FauxServeurPop3 s;
            ScriptFenetre(s, c, pipeline);
            s.Demarrer();
            Banc b;
            b.client.PipeliningPermis = pipeline;
            b.comptes.Remplacer({Compte("Maison", s.Port())});
            b.controle.ControlerCompte(0);
            EXPECT_TRUE(s.AttendreFin()) << pipeline;
            EXPECT_THAT(s.Ecarts(), IsEmpty()) << pipeline;
            bilans[pipeline] = Bilan(b);
        }
        EXPECT_EQ(bilans[1], bilans[0]);
        EXPECT_NE(bilans[0].find("row 1 un"), std::string::npos) << bilans[0];
    }
}

TEST(ControleCompte, AJournalThatCannotBeWrittenTurnsTheFiltersDeletionsIntoMarksAndSaysSoOnce)
{
    test::DossierTemporaire d;
    std::filesystem::create_directory(d.Chemin() / "MAILS_SUPPRIMES.DAT");  // not a file
    FauxServeurPop3 s;
    ScriptControle(s, {"SPAM un", "deux", "SPAM trois"}, {100, 200, 300}, {});
    s.Demarrer();
    Banc b;
    b.comptes.Remplacer({Compte("Maison", s.Port())});
    b.controle.Dossier = d.Chemin();
    b.controle.ControlerCompte(0);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());  // no DELE
    ASSERT_EQ(b.liste.Nombre(), 3u);
    EXPECT_TRUE(b.liste[0].Marque);
    EXPECT_TRUE(b.liste[2].Marque);
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_NE(b.fenetre.messages[0].texte.find("n'est pas un fichier) : aucun message n'est supprim\xE9"),
              std::string::npos);
    // The marked rows are not deleted either, and the list stays.
    b.controle.SupprimerMarques();
    EXPECT_EQ(b.liste.Nombre(), 3u);
    EXPECT_EQ(b.fenetre.messages.size(), 2u);
}
