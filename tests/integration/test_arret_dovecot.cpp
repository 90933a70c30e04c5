// vaskor-cli check against a real Dovecot, ended by kill -9 or SIGTERM at several moments of a
// run whose filter deletes every message, and two checks started at once on one folder: in every
// case the journal holds exactly the messages gone from the server, no fewer, no more, no twice.

#include "core/filtre.h"
#include "core/journal.h"
#include "lab_dovecot.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vaskor;
using namespace vaskor::test;

namespace {

constexpr int kMessages = 30;
const char* const kUsers[] = {"ivan", "julie"};

// A folder with both accounts and a filter that deletes every generated message.
void PreparerDossier(const LabDovecot& lab, const DossierTemporaire& d)
{
    for (const char* u : kUsers) {
        std::string sortie, erreurs;
        ASSERT_EQ(LancerCli("accounts add --data '" + d.Chemin().string() + "' --description " + u + " --server " +
                                lab.Hote() + " --security none --port " + std::to_string(lab.Port()) + " --user " + u,
                            lab.MotDePasse(u) + "\n", sortie, &erreurs),
                  0)
            << erreurs;
    }
    TFiltre tout = TFiltre::Vierge();
    tout.TypeFiltre = FiltreEntete;
    tout.Valeur1 = "Message-Id";
    tout.Condition1 = CondContient;
    tout.Valeur2 = "@vaskor";
    tout.Action = ActionEffacer;
    tout.Actif = 1;
    ASSERT_TRUE(SauverFiltres(d.Chemin(), {tout}).ok);
}

pid_t LancerCheck(const DossierTemporaire& d)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int nul = ::open("/dev/null", O_RDWR);
        ::dup2(nul, 0), ::dup2(nul, 1), ::dup2(nul, 2);
        ::execl(VASKOR_CLI_PATH, VASKOR_CLI_PATH, "check", "--quiet", "--data", d.Chemin().c_str(), nullptr);
        ::_exit(127);
    }
    return pid;
}

// The journal lines of each account against the messages gone from its mailbox.
void VerifierAccord(const LabDovecot& lab, const DossierTemporaire& d, const std::string& cas)
{
    std::vector<Texte> lignes;
    ASSERT_TRUE(LireJournal(d.Chemin(), lignes).ok) << cas;
    EXPECT_EQ(std::set<Texte>(lignes.begin(), lignes.end()).size(), lignes.size()) << cas << ": a line twice";
    std::map<std::string, long> journalises;
    for (const Texte& l : lignes) ++journalises[DecouperLigneJournal(l).titre];
    for (const char* u : kUsers) {
        const VueServeur v = InterrogerServeur(lab, u);
        ASSERT_GE(v.nombre, 0) << cas;
        EXPECT_EQ(journalises[u], kMessages - v.nombre) << cas << ", " << u;
    }
}

}  // namespace

TEST(ArretDovecot, AtEveryKillPointTheJournalHoldsExactlyTheMessagesGoneFromTheServer)
{
    LabDovecot lab;
    if (!lab.Present()) GTEST_SKIP() << "no Dovecot lab here";
    for (const int signal : {SIGKILL, SIGTERM}) {
        for (const int delaiMs : {40, 150, 400, 900}) {
            const std::string cas = std::string(signal == SIGKILL ? "SIGKILL" : "SIGTERM") + " after " +
                                    std::to_string(delaiMs) + " ms";
            for (const char* u : kUsers) ASSERT_TRUE(lab.Remplir(u, kMessages, 7)) << cas;
            DossierTemporaire d;
            PreparerDossier(lab, d);
            const pid_t pid = LancerCheck(d);
            std::this_thread::sleep_for(std::chrono::milliseconds(delaiMs));
            ::kill(pid, signal);
            int statut = 0;
            ::waitpid(pid, &statut, 0);
            VerifierAccord(lab, d, cas);
        }
    }
}

TEST(ArretDovecot, TwoChecksStartedAtOnceOnOneFolderGiveOneSetOfJournalLines)
{
    LabDovecot lab;
    if (!lab.Present()) GTEST_SKIP() << "no Dovecot lab here";
    for (const char* u : kUsers) ASSERT_TRUE(lab.Remplir(u, kMessages, 8));
    DossierTemporaire d;
    PreparerDossier(lab, d);
    const pid_t a = LancerCheck(d), b = LancerCheck(d);
    int sa = 0, sb = 0;
    ::waitpid(a, &sa, 0);
    ::waitpid(b, &sb, 0);
    // Each either ran whole or, the folder staying busy, refused with status 3.
    for (const int s : {sa, sb}) EXPECT_TRUE(WIFEXITED(s) && (WEXITSTATUS(s) == 0 || WEXITSTATUS(s) == 3));
    VerifierAccord(lab, d, "two checks");
    for (const char* u : kUsers) EXPECT_EQ(InterrogerServeur(lab, u).nombre, 0) << u;
}
