// The check run and the deletion of the engine against a real Dovecot: what is gone from the
// server afterwards is asked of the server itself, over a bare POP3 conversation.

#include "engine/controle.h"
#include "lab_dovecot.h"
#include "support/banc_controle.h"
#include "support/outils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include <filesystem>

using namespace vaskor;
using namespace vaskor::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr int kGraine = 31;

std::string Id(int n) { return "<gen-" + std::to_string(kGraine) + "-" + std::to_string(n) + "@vaskor.test>"; }

// Deletes the messages whose Message-Id holds `morceau`.
TFiltre FiltreIdentifiant(const std::string& morceau, TActionFiltre action)
{
    TFiltre f = TFiltre::Vierge();
    f.TypeFiltre = FiltreEntete;
    f.NumEntete = 0;
    f.Valeur1 = "Message-Id";
    f.Condition1 = CondContient;
    f.Valeur2 = morceau;
    f.Action = action;
    f.Actif = 1;
    return f;
}

struct Banc : BancControle {
    LabDovecot lab;

    void Compte(const std::string& user)
    {
        const std::string description = "Dovecot " + user;
        comptes.Remplacer({CompteTest(description.c_str(), lab.Port(), user.c_str(), lab.MotDePasse(user).c_str(),
                                      lab.Hote().c_str())});
    }
    std::vector<std::string> Restants(const std::string& user)
    {
        const VueServeur v = InterrogerServeur(lab, user);
        return {v.identifiants.begin() + (v.identifiants.empty() ? 0 : 1), v.identifiants.end()};
    }
    // Marks the rows whose message number in the next session is one of `numeros`.
    void Marquer(std::initializer_list<int> numeros)
    {
        for (std::size_t i = 0; i < liste.Nombre(); ++i)
            for (int n : numeros)
                if (liste[i].Resume.Numero == n) liste.Marquer(i, true);
    }
};

// Removes a message from the Maildir behind Dovecot's back, as another mail program would.
void RetirerDuMaildir(const LabDovecot& lab, const std::string& user, const std::string& id)
{
    for (const char* sous : {"cur", "new"}) {
        const auto dossier = std::filesystem::path(lab.Maildir(user)) / sous;
        if (!std::filesystem::exists(dossier)) continue;
        for (const auto& e : std::filesystem::directory_iterator(dossier))
            if (LireTout(e.path()).find("Message-Id: " + id) != std::string::npos ||
                LireTout(e.path()).find("Message-ID: " + id) != std::string::npos) {
                std::filesystem::remove(e.path());
                return;
            }
    }
    ADD_FAILURE() << "no file holds " << id;
}

#define EXIGER_LAB(b)                                                                     \
    if (!(b).lab.Present()) GTEST_SKIP() << "the Dovecot lab did not start here"

}  // namespace

TEST(ControleDovecot, FilterDeletionsGoInTheSameSessionAndTheListedRowsCarryTheirNextNumbers)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.lab.Remplir("emile", 5, kGraine));
    b.Compte("emile");
    b.filtres = {FiltreIdentifiant("-2@vaskor", ActionEffacer), FiltreIdentifiant("-4@vaskor", ActionEffacer)};
    b.controle.ControlerCompte(0);
    EXPECT_THAT(b.fenetre.messages, IsEmpty());
    ASSERT_EQ(b.liste.Nombre(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(b.liste[i].Resume.Numero, int(i + 1));
    EXPECT_EQ(b.journal.Nombre(), 2u);
    EXPECT_THAT(b.Restants("emile"), ElementsAre(Id(1), Id(3), Id(5)));
}

TEST(ControleDovecot, MarkedRowsAreDeletedOnTheServerAndTheListEmptied)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.lab.Remplir("fanny", 6, kGraine));
    b.Compte("fanny");
    b.controle.ControlerCompte(0);
    ASSERT_EQ(b.liste.Nombre(), 6u);
    b.Marquer({2, 5});
    b.controle.SupprimerMarques();
    EXPECT_THAT(b.fenetre.messages, IsEmpty());
    EXPECT_EQ(b.liste.Nombre(), 0u);
    EXPECT_EQ(b.journal.Nombre(), 2u);
    EXPECT_THAT(b.Restants("fanny"), ElementsAre(Id(1), Id(3), Id(4), Id(6)));
}

TEST(ControleDovecot, AMailboxChangedByAnotherProgramSinceTheCheckLosesNoMessageTheUserDidNotMark)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.lab.Remplir("gaston", 5, kGraine));
    b.Compte("gaston");
    b.controle.ControlerCompte(0);
    ASSERT_EQ(b.liste.Nombre(), 5u);
    b.Marquer({3, 5});
    // A phone fetched and removed message 1: message 3 is now number 2, number 3 is message 4.
    RetirerDuMaildir(b.lab, "gaston", Id(1));
    b.controle.SupprimerMarques();
    EXPECT_EQ(b.controle.MessagesChangesGardes(), 2);
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].titre, "Information");
    EXPECT_EQ(b.journal.Nombre(), 0u);
    EXPECT_THAT(b.Restants("gaston"), ElementsAre(Id(2), Id(3), Id(4), Id(5)));
}

TEST(ControleDovecot, AnUnreadableHeaderBlockIsListedAndTheCheckGoesOnToItsQuit)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.lab.Remplir("helene", 4, kGraine, "--unreadable 3"));
    b.Compte("helene");
    b.filtres = {FiltreIdentifiant("-2@vaskor", ActionEffacer)};
    b.controle.ControlerCompte(0);
    EXPECT_THAT(b.fenetre.messages, IsEmpty());
    ASSERT_EQ(b.liste.Nombre(), 3u);  // 1, 3 (unreadable) and 4; 2 deleted
    EXPECT_EQ(b.liste[1].Resume.Raison.rfind("Ent\xEAte illisible : ", 0), 0u) << b.liste[1].Resume.Raison;
    EXPECT_EQ(b.liste[2].Resume.Numero, 3);
    EXPECT_FALSE(b.client.IsConnected());
    EXPECT_EQ(b.journal.Nombre(), 1u);
    EXPECT_THAT(b.Restants("helene"), ElementsAre(Id(1), Id(3), Id(4)));
}

TEST(ControleDovecot, ADeletionAfterAFailedCheckCommitsTheCheckDeletionsFirstThenDeletesTheMarkedRow)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.lab.Remplir("helene", 4, kGraine));
    b.Compte("helene");
    b.filtres = {FiltreIdentifiant("-2@vaskor", ActionEffacer)};
    // The check fails between two messages, the session in step: it is left open.
    bool echoue = false;
    b.fenetre.pendantEvenements = [&] {
        if (b.fenetre.progression == 3 && !echoue) {
            echoue = true;
            throw std::runtime_error("panne");
        }
    };
    b.controle.ControlerCompte(0);
    b.fenetre.pendantEvenements = nullptr;
    ASSERT_EQ(b.liste.Nombre(), 1u);
    ASSERT_TRUE(b.client.IsConnected());  // left open, DELE 2 not yet committed
    EXPECT_EQ(b.journal.Nombre(), 0u);
    b.Marquer({1});
    b.controle.SupprimerMarques();
    EXPECT_EQ(b.controle.MessagesChangesGardes(), 0);
    EXPECT_EQ(b.journal.Nombre(), 2u);  // the filter's deletion and the user's
    EXPECT_FALSE(b.client.IsConnected());
    const auto restants = b.Restants("helene");
    ASSERT_EQ(restants.size(), 2u);
    EXPECT_EQ(std::count(restants.begin(), restants.end(), Id(1)), 0);
    EXPECT_EQ(std::count(restants.begin(), restants.end(), Id(2)), 0);
}

TEST(ControleDovecot, ARefusedPasswordShowsDovecotsText)
{
    Banc b;
    EXIGER_LAB(b);
    b.Compte("emile");
    TCompte c = b.comptes[0];
    c.Password = "pas-le-bon";
    b.comptes.Remplacer({c});
    b.controle.ControlerCompte(0);
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_THAT(b.fenetre.messages[0].texte, ::testing::HasSubstr("Authentication failed"));
    EXPECT_FALSE(b.client.IsConnected());
}

TEST(ControleDovecot, TheCommandLineTakesTheAccountAndItsDecipheredPasswordFromComptesDat)
{
    Banc b;
    EXIGER_LAB(b);
    ASSERT_TRUE(b.lab.Remplir("emile", 3, kGraine));
    DossierTemporaire d;
    const std::string data = " --data '" + d.Chemin().string() + "'";
    std::string sortie, erreurs;
    ASSERT_EQ(LancerCli("accounts add" + data + " --description Emile --server " + b.lab.Hote() + " --security none --port " +
                            std::to_string(b.lab.Port()) + " --user emile",
                        b.lab.MotDePasse("emile") + "\n", sortie, &erreurs),
              0)
        << erreurs;
    // The password is stored enciphered, never in clear.
    EXPECT_EQ(LireTout(d.Chemin() / "comptes.dat").find(b.lab.MotDePasse("emile")), std::string::npos);

    ASSERT_EQ(LancerCli("scan --account Emile" + data, "", sortie, &erreurs), 0) << erreurs;
    const auto lignes = LignesDe(sortie);
    ASSERT_EQ(lignes.size(), 4u);
    EXPECT_EQ(lignes[0].substr(0, 2), "3\t");

    // The headless check deletes by filter in the same session, like the window.
    ASSERT_TRUE(SauverFiltres(d.Chemin(), {FiltreIdentifiant("-1@vaskor", ActionEffacer)}).ok);
    ASSERT_EQ(LancerCli("check" + data, "", sortie, &erreurs), 0) << erreurs;
    EXPECT_EQ(LignesDe(sortie).size(), 3u) << sortie;  // two rows and one deleted message
    EXPECT_THAT(b.Restants("emile"), ElementsAre(Id(2), Id(3)));
    std::vector<Texte> journal;
    ASSERT_TRUE(LireJournal(d.Chemin(), journal).ok);
    EXPECT_EQ(journal.size(), 1u);
}

TEST(ControleDovecot, APipelinedCheckAndDeletionLeaveTheSameRowsJournalAndServerAsOneCommandAtATime)
{
    std::string bilans[2], suppressions[2];
    std::vector<std::string> restants[2], restantsApres[2];
    for (const bool pipeline : {false, true}) {
        Banc b;
        EXIGER_LAB(b);
        ASSERT_TRUE(b.lab.Remplir("chloe", 300, kGraine));
        b.Compte("chloe");
        b.client.PipeliningPermis = pipeline;
        b.filtres = {FiltreIdentifiant("7@vaskor", ActionEffacer), FiltreIdentifiant("3@vaskor", ActionMarquer)};
        b.controle.ControlerCompte(0);
        EXPECT_THAT(b.fenetre.messages, IsEmpty());
        for (std::size_t i = 0; i < b.liste.Nombre(); ++i) {
            const LigneMessage& l = b.liste[i];
            bilans[pipeline] += std::to_string(l.Resume.Numero) + "\t" + l.De + "\t" + l.Sujet + "\t" + l.Date + "\t" +
                                l.Taille + "\t" + (l.Marque ? l.Resume.Raison : "") + "\n";
        }
        for (const Texte& l : b.journal.Lignes()) bilans[pipeline] += "journal\t" + l + "\n";
        restants[pipeline] = b.Restants("chloe");

        // Then the marked rows and every fourth one are deleted (more than one window's worth),
        // one message having gone behind the server's back: the rows after it hold other
        // numbers now and are kept.
        for (std::size_t i = 0; i < b.liste.Nombre(); i += 4) b.liste.Marquer(i, true);
        RetirerDuMaildir(b.lab, "chloe", Id(280));
        const std::size_t avant = b.journal.Nombre();
        b.controle.SupprimerMarques();
        for (const auto& m : b.fenetre.messages) suppressions[pipeline] += "message\t" + m.texte + "\n";
        const auto lignes = b.journal.Lignes();
        for (std::size_t i = avant; i < lignes.size(); ++i) suppressions[pipeline] += "journal\t" + lignes[i] + "\n";
        suppressions[pipeline] += "kept " + std::to_string(b.controle.MessagesChangesGardes());
        restantsApres[pipeline] = b.Restants("chloe");
    }
    EXPECT_EQ(bilans[1], bilans[0]);
    EXPECT_EQ(restants[1], restants[0]);
    EXPECT_EQ(restants[0].size(), 270u);
    EXPECT_EQ(suppressions[1], suppressions[0]);
    EXPECT_EQ(restantsApres[1], restantsApres[0]);
    EXPECT_GT(restants[0].size() - restantsApres[0].size(), 64u);
    EXPECT_NE(suppressions[0].find("ont chang\xE9 sur le serveur"), std::string::npos);
}
