#include "core/filtre.h"
#include "core/journal.h"
#include "support/faux_serveur_pop3.h"
#include "support/outils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vaskor;
using namespace vaskor::test;
using ::testing::IsEmpty;

namespace {

std::string Data(const DossierTemporaire& d) { return " --data '" + d.Chemin().string() + "'"; }

void AjouterCompte(const DossierTemporaire& d, const std::string& description, int port, const std::string& user)
{
    std::string sortie, erreurs;
    ASSERT_EQ(LancerCli("accounts add" + Data(d) + " --description '" + description + "' --server 127.0.0.1 --user " +
                            user + " --security none --port " + std::to_string(port),
                        "secret\n", sortie, &erreurs),
              0)
        << erreurs;
}

// Deletes every message whose subject holds "SPAM".
TFiltre FiltreSpam()
{
    TFiltre spam = TFiltre::Vierge();
    spam.TypeFiltre = FiltreSujet;
    spam.Condition1 = CondContient;
    spam.Valeur1 = "SPAM";
    spam.Action = ActionEffacer;
    spam.Actif = 1;
    return spam;
}

}  // namespace

TEST(CliCheck, DeletesByFiltersInTheSameSessionJournalsThemAndKeepsTheFilterCounters)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Stat(3, 600).Liste({100, 200, 300});
    s.Entete(1, {"From: Anne <anne@exemple.fr>", "Subject: bonjour", "Date: Tue, 7 Sep 2004 10:20:30 +0000"});
    s.TailleMessage(1, 100);
    s.Entete(2, {"From: pub@exemple.com", "Subject: =?iso-8859-1?q?SPAM_=E0_vendre?="});
    s.TailleMessage(2, 200).Suppression(2);
    s.Entete(3, {"From: x@exemple.com", "Subject: PUB du jour"});
    s.TailleMessage(3, 300).Quitter();
    s.Demarrer();

    DossierTemporaire d;
    AjouterCompte(d, "Maison", s.Port(), "anne");
    const TFiltre spam = FiltreSpam();
    TFiltre pub = spam;
    pub.Valeur1 = "PUB";
    pub.Action = ActionMarquer;
    ASSERT_TRUE(SauverFiltres(d.Chemin(), {spam, pub}).ok);

    std::string sortie, erreurs;
    EXPECT_EQ(LancerCli("check" + Data(d), "", sortie, &erreurs), 0) << erreurs;
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    const auto lignes = Lignes(sortie);
    ASSERT_EQ(lignes.size(), 3u) << sortie;
    EXPECT_EQ(lignes[0].substr(0, 35), "1\t0\tAnne <anne@exemple.fr>\tbonjour\t");
    EXPECT_EQ(lignes[1].substr(0, 30), "2\t1\tx@exemple.com\tPUB du jour\t");
    // The reason is the classification's: none for the accepted message; no date shows empty.
    EXPECT_NE(lignes[0].find("\t100\t\t"), std::string::npos) << lignes[0];
    EXPECT_EQ(lignes[1].rfind("2\t1\tx@exemple.com\tPUB du jour\t\t300\t", 0), 0u) << lignes[1];
    EXPECT_EQ(lignes[1].find("\t300\t\t"), std::string::npos) << lignes[1];
    EXPECT_EQ(lignes[1].find("utilisateur"), std::string::npos) << lignes[1];
    EXPECT_EQ(lignes[2].rfind("supprimé\tMaison\tpub@exemple.com\tSPAM à vendre\t", 0), 0u) << lignes[2];

    std::vector<Texte> journal;
    ASSERT_TRUE(LireJournal(d.Chemin(), journal).ok);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].substr(0, 7), "Maison\t");
    ListeFiltres relus;
    ASSERT_TRUE(ChargerFiltres(d.Chemin(), relus).ok);
    ASSERT_EQ(relus.size(), 2u);
    EXPECT_EQ(relus[0].Compteur.Lire(), 1);
    EXPECT_EQ(relus[1].Compteur.Lire(), 1);
}

TEST(CliCheck, AFailedAccountGoesToStandardErrorAndTheExitStatus)
{
    FauxServeurPop3 s;
    s.Accueil().C("USER anne").S("+OK").C("PASS secret").S("-ERR [AUTH] Authentication failed.").C("QUIT")
        .AttendreFermeture();
    s.Demarrer();
    DossierTemporaire d;
    AjouterCompte(d, "Maison", s.Port(), "anne");
    std::string sortie, erreurs;
    EXPECT_EQ(LancerCli("check" + Data(d), "", sortie, &erreurs), 1);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_EQ(sortie, "");
    EXPECT_NE(erreurs.find("Impossible de se connecter à 127.0.0.1 :-("), std::string::npos) << erreurs;
    EXPECT_NE(erreurs.find("[AUTH] Authentication failed."), std::string::npos) << erreurs;
}

TEST(CliCheck, AFolderThatCannotBeWrittenDeletesNothingOnTheServerAndMarksInstead)
{
    FauxServeurPop3 s;
    // No DELE in the script: one would break it.
    s.Connexion("anne", "secret").Stat(2, 300).Liste({100, 200});
    s.Entete(1, {"From: pub@exemple.com", "Subject: SPAM un"}).TailleMessage(1, 100);
    s.Entete(2, {"From: pub@exemple.com", "Subject: SPAM deux"}).TailleMessage(2, 200).Quitter();
    s.Demarrer();
    DossierTemporaire d, sorties;
    AjouterCompte(d, "Maison", s.Port(), "anne");
    ASSERT_TRUE(SauverFiltres(d.Chemin(), {FiltreSpam()}).ok);

    // The superuser writes anywhere whatever the modes say: the check then runs as "nobody",
    // who may read the folder but not write in it.
    const bool root = ::geteuid() == 0;
    namespace fs = std::filesystem;
    for (const auto& f : fs::directory_iterator(d.Chemin()))
        fs::permissions(f.path(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                      fs::perms::others_read);
    fs::permissions(d.Chemin(), root ? fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                           fs::perms::others_read | fs::perms::others_exec
                                     : fs::perms::owner_read | fs::perms::owner_exec);
    const int sortie = ::open((sorties.Chemin() / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int erreurs = ::open((sorties.Chemin() / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(sortie, 1), ::dup2(erreurs, 2);
        ::close(0);
        if (root && (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                     ::setresuid(65534, 65534, 65534) != 0))
            ::_exit(77);
        // Still writable (a file system that ignores modes), or the program out of reach: no test.
        if (::access(d.Chemin().c_str(), W_OK) == 0 || ::access(VASKOR_CLI_PATH, X_OK) != 0) ::_exit(77);
        ::execl(VASKOR_CLI_PATH, VASKOR_CLI_PATH, "check", "--data", d.Chemin().c_str(), nullptr);
        ::_exit(127);
    }
    ::close(sortie), ::close(erreurs);
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    fs::permissions(d.Chemin(), fs::perms::owner_all);
    if (WIFEXITED(statut) && WEXITSTATUS(statut) == 77)
        GTEST_SKIP() << "the folder could not be made unwritable for the check here";
    const std::string texte = LireTout(sorties.Chemin() / "out"), diagnostic = LireTout(sorties.Chemin() / "err");
    EXPECT_TRUE(WIFEXITED(statut)) << statut;  // 1: the counters could not be saved either, and it says so
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    const auto lignes = Lignes(texte);
    ASSERT_EQ(lignes.size(), 2u) << texte << diagnostic;
    EXPECT_EQ(lignes[0].rfind("1\t1\t", 0), 0u) << lignes[0];  // marked, not deleted
    EXPECT_EQ(lignes[1].rfind("2\t1\t", 0), 0u) << lignes[1];
    EXPECT_NE(diagnostic.find("aucun message n'est supprimé sur le serveur"), std::string::npos) << diagnostic;
    EXPECT_FALSE(fs::exists(d.Chemin() / "MAILS_SUPPRIMES.DAT"));
}

TEST(CliCheck, OutputToAReaderThatHasGoneStopsNeitherTheRunNorItsSaves)
{
    // The first account's failure is written while the run goes on, into a pipe nobody reads.
    FauxServeurPop3 refus, s;
    refus.Accueil().C("USER anne").S("+OK").C("PASS secret").S("-ERR [AUTH] Authentication failed.").C("QUIT")
        .AttendreFermeture();
    refus.Demarrer();
    s.Connexion("anne", "secret").Stat(1, 100).Liste({100});
    s.Entete(1, {"From: pub@exemple.com", "Subject: SPAM"}).TailleMessage(1, 100).Suppression(1).Quitter();
    s.Demarrer();
    DossierTemporaire d;
    AjouterCompte(d, "Panne", refus.Port(), "anne");
    AjouterCompte(d, "Maison", s.Port(), "anne");
    ASSERT_TRUE(SauverFiltres(d.Chemin(), {FiltreSpam()}).ok);

    int tube[2];
    ASSERT_EQ(::pipe(tube), 0);
    ::close(tube[0]);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(tube[1], 1), ::dup2(tube[1], 2);
        ::close(0);
        ::execl(VASKOR_CLI_PATH, VASKOR_CLI_PATH, "check", "--data", d.Chemin().c_str(), nullptr);
        ::_exit(127);
    }
    ::close(tube[1]);
    int statut = 0;
    ::waitpid(pid, &statut, 0);
    ASSERT_TRUE(WIFEXITED(statut)) << "signal " << WTERMSIG(statut);
    EXPECT_EQ(WEXITSTATUS(statut), 1);  // the failed account
    EXPECT_TRUE(refus.AttendreFin());
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    std::vector<Texte> journal;
    ASSERT_TRUE(LireJournal(d.Chemin(), journal).ok);
    EXPECT_EQ(journal.size(), 1u);
    ListeFiltres relus;
    ASSERT_TRUE(ChargerFiltres(d.Chemin(), relus).ok);
    ASSERT_EQ(relus.size(), 1u);
    EXPECT_EQ(relus[0].Compteur.Lire(), 1);
}
