#include "engine/controle.h"
#include "support/banc_controle.h"
#include "mail/echec.h"
#include "support/faux_serveur_pop3.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace vaskor;
using test::FauxServeurPop3;
using ::testing::IsEmpty;

namespace {

TCompte Compte(const char* description, int port, const char* user) { return test::CompteTest(description, port, user); }

std::vector<std::string> Entetes(int n) { return {"From: x" + std::to_string(n) + "@exemple.fr", "Subject: message " + std::to_string(n)}; }

LigneMessage Ligne(const TCompte& compte, int numero, bool marque, long long taille = 100, Texte raison = {})
{
    LigneMessage l;
    l.De = "x" + std::to_string(numero) + "@exemple.fr";
    l.Sujet = "message " + std::to_string(numero);
    l.Date = "07/09/2004 10:20:30";
    l.Taille = std::to_string(taille);
    l.Marque = marque;
    l.Resume.Numero = numero;
    l.Resume.Raison = raison;
    l.Resume.Entetes = Entetes(numero);
    l.Resume.Compte = compte;
    return l;
}

// The deletion of message n as the run sends it: the header block and the size checked first.
void ScriptSuppression(FauxServeurPop3& s, int n, long long taille = 100)
{
    s.Entete(n, Entetes(n)).TailleMessage(n, taille).Suppression(n);
}

using Banc = test::BancControle;

}  // namespace

TEST(Suppression, InterleavedRowsOfTwoAccountsUseOneConnectionEachAndUntickedRowsStay)
{
    FauxServeurPop3 sa, sb;
    // The walk goes from the last row up: within each account, the highest row first.
    sa.Connexion("anne", "secret");
    ScriptSuppression(sa, 3);
    ScriptSuppression(sa, 1);
    sa.Quitter();
    sb.Connexion("bruno", "secret");
    ScriptSuppression(sb, 2);
    sb.Quitter();
    sa.Demarrer();
    sb.Demarrer();
    Banc b;
    const TCompte a = Compte("A", sa.Port(), "anne"), bb = Compte("B", sb.Port(), "bruno");
    b.liste.Ajouter(Ligne(a, 1, true, 100, "Effac\xE9 par l'utilisateur"));
    b.liste.Ajouter(Ligne(bb, 1, false));
    b.liste.Ajouter(Ligne(a, 2, false));
    b.liste.Ajouter(Ligne(bb, 2, true));  // empty reason: journaled as "-"
    b.liste.Ajouter(Ligne(a, 3, true));
    b.controle.SupprimerMarques();
    EXPECT_TRUE(sa.AttendreFin());
    EXPECT_TRUE(sb.AttendreFin());
    EXPECT_THAT(sa.Ecarts(), IsEmpty());
    EXPECT_THAT(sb.Ecarts(), IsEmpty());
    EXPECT_EQ(sa.ConnexionsAcceptees(), 1);
    EXPECT_EQ(sb.ConnexionsAcceptees(), 1);
    EXPECT_THAT(b.fenetre.messages, IsEmpty());
    EXPECT_EQ(b.liste.Nombre(), 0u);
    const auto lignes = b.journal.Lignes();
    ASSERT_EQ(lignes.size(), 3u);
    EXPECT_EQ(lignes[0], "B\tx2@exemple.fr\tmessage 2\t07/09/2004 10:20:30\t100\t-\t");
    EXPECT_EQ(lignes[2], "A\tx1@exemple.fr\tmessage 1\t07/09/2004 10:20:30\t100\tEffac\xE9 par l'utilisateur\t");
    EXPECT_EQ(b.fenetre.etatsTray.back(), 0);
    EXPECT_EQ(b.fenetre.activations.back(), true);
}

TEST(Suppression, AnErrorOnOneDeleTellsTheUserJournalsNothingForItAndDeletesTheOthers)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret");
    ScriptSuppression(s, 3);
    s.Entete(2, Entetes(2)).TailleMessage(2, 100).C("DELE 2").S("-ERR message locked");
    ScriptSuppression(s, 1);
    s.Quitter();
    s.Demarrer();
    Banc b;
    const TCompte a = Compte("A", s.Port(), "anne");
    for (int n = 1; n <= 3; ++n) b.liste.Ajouter(Ligne(a, n, true));
    b.controle.SupprimerMarques();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].titre, "Erreur");
    EXPECT_EQ(b.fenetre.messages[0].texte, "Erreur lors de la suppression d'un message :-(\r\n->  message locked\r\n");
    EXPECT_EQ(b.journal.Nombre(), 2u);
    EXPECT_EQ(b.liste.Nombre(), 0u);
}

TEST(Suppression, MessagesThatChangedOnTheServerSinceTheCheckAreKeptAndTheUserIsToldOnce)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret");
    // Message 3 is gone (another program fetched it), 2 is another message now, 1 changed size.
    s.C("TOP 3 0").S("-ERR no such message");
    s.Entete(2, Entetes(7));  // other headers: the size is not even asked
    s.Entete(1, Entetes(1)).TailleMessage(1, 4321);
    s.Quitter();
    s.Demarrer();
    Banc b;
    const TCompte a = Compte("A", s.Port(), "anne");
    for (int n = 1; n <= 3; ++n) b.liste.Ajouter(Ligne(a, n, true));
    b.controle.SupprimerMarques();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    for (const auto& l : s.LignesRecues()) EXPECT_EQ(l.rfind("DELE", 0), std::string::npos) << l;
    EXPECT_EQ(b.journal.Nombre(), 0u);
    EXPECT_EQ(b.controle.MessagesChangesGardes(), 3);
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte,
              "3 messages ont chang\xE9 sur le serveur depuis le contr\xF4le : ils n'ont pas \xE9t\xE9 supprim\xE9s.\r\n"
              "Faites un nouveau contr\xF4le avant de les supprimer.");
    EXPECT_EQ(b.liste.Nombre(), 0u);
}

TEST(Suppression, NoTickedRowOnlySaysSo)
{
    Banc b;
    b.liste.Ajouter(Ligne(Compte("A", 1, "anne"), 1, false));
    b.controle.SupprimerMarques();
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte, "Aucun message marqu\xE9 pour suppression.");
    EXPECT_EQ(b.liste.Nombre(), 1u);
}

TEST(Suppression, ARefusedLoginReachesTheCallerAfterTheCleanup)
{
    FauxServeurPop3 s;
    s.Accueil().C("USER anne").S("+OK").C("PASS secret").S("-ERR bad password").C("QUIT").AttendreFermeture();
    s.Demarrer();
    Banc b;
    b.liste.Ajouter(Ligne(Compte("A", s.Port(), "anne"), 1, true));
    EXPECT_THROW(b.controle.SupprimerMarques(), Echec);
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_EQ(b.liste.Nombre(), 0u);
    EXPECT_EQ(b.fenetre.activations.back(), true);
}

TEST(Suppression, TheWalkGoesOnFromItsOwnCopyWhenTheListChangesWhileEventsAreProcessed)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret");
    ScriptSuppression(s, 3);  // the row in hand when the list is emptied; the other two are gone
    s.Quitter();
    s.Demarrer();
    Banc b;
    const TCompte a = Compte("A", s.Port(), "anne");
    for (int n = 1; n <= 3; ++n) b.liste.Ajouter(Ligne(a, n, true));
    b.fenetre.pendantEvenements = [&] {
        if (b.client.IsConnected()) b.liste.Vider();
    };
    EXPECT_NO_THROW(b.controle.SupprimerMarques());
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    ASSERT_EQ(b.journal.Nombre(), 1u);
    EXPECT_EQ(b.journal.Lignes()[0], "A\tx3@exemple.fr\tmessage 3\t07/09/2004 10:20:30\t100\t-\t");
    EXPECT_THAT(b.fenetre.messages, IsEmpty());
}

TEST(Suppression, AnyOtherFailureOnOneRowIsReportedAndTheWalkGoesOn)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret");
    ScriptSuppression(s, 1);  // row 2 fails before its TOP
    s.Quitter();
    s.Demarrer();
    Banc b;
    const TCompte a = Compte("A", s.Port(), "anne");
    for (int n = 1; n <= 2; ++n) b.liste.Ajouter(Ligne(a, n, true));
    bool premiere = true;
    b.fenetre.pendantEvenements = [&] {
        // At the first row's own event processing, after the status shows its server.
        if (!premiere || b.fenetre.DernierStatut(3).rfind("Serveur : ", 0) != 0) return;
        premiere = false;
        throw std::runtime_error("plus de m\xE9moire");
    };
    EXPECT_NO_THROW(b.controle.SupprimerMarques());
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].titre, "Erreur");
    EXPECT_EQ(b.fenetre.messages[0].texte, "Erreur lors de la suppression d'un message :-(");
    EXPECT_EQ(b.journal.Nombre(), 1u);
    EXPECT_EQ(b.liste.Nombre(), 0u);
}

TEST(Suppression, KeptMessagesAreStillToldWhenARefusedLoginEndsTheRun)
{
    FauxServeurPop3 zoe, bruno;
    // Grouped by server then user: "zoe" comes last, so the walk meets her row first.
    zoe.Connexion("zoe", "secret").C("TOP 1 0").S("-ERR no such message").Quitter();
    bruno.Accueil().C("USER bruno").S("+OK").C("PASS secret").S("-ERR bad password").C("QUIT").AttendreFermeture();
    zoe.Demarrer();
    bruno.Demarrer();
    Banc b;
    b.liste.Ajouter(Ligne(Compte("B", bruno.Port(), "bruno"), 1, true));
    b.liste.Ajouter(Ligne(Compte("Z", zoe.Port(), "zoe"), 1, true));
    EXPECT_THROW(b.controle.SupprimerMarques(), Echec);
    EXPECT_TRUE(zoe.AttendreFin());
    EXPECT_TRUE(bruno.AttendreFin());
    EXPECT_THAT(zoe.Ecarts(), IsEmpty());
    EXPECT_THAT(bruno.Ecarts(), IsEmpty());
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte,
              "Un message a chang\xE9 sur le serveur depuis le contr\xF4le : il n'a pas \xE9t\xE9 supprim\xE9.\r\n"
              "Faites un nouveau contr\xF4le avant de le supprimer.");
    EXPECT_EQ(b.liste.Nombre(), 0u);
    EXPECT_EQ(b.journal.Nombre(), 0u);
}

namespace {

// Six marked rows of one mailbox (the walk takes 6 down to 1) and what happens to them on the
// server: another message now under a number, a number gone, a refused DELE, the connection
// closed at a DELE (0: nothing).
struct CasSuppression {
    const char* nom;
    int autre = 0, parti = 0, refus = 0, coupure = 0;
    bool octetParOctet = false;
};

// The server's side: one command at a time, or (pipelined) the TOP and LIST of every row first,
// then each DELE.
void ScriptSuppressionFenetre(FauxServeurPop3& s, const CasSuppression& c, bool pipeline)
{
    if (c.octetParOctet) s.OctetParOctet();
    s.Connexion("anne", "secret");
    if (pipeline) s.Script("C: CAPA\nS: +OK\nS: PIPELINING\nS: .");
    auto identite = [&](int n) {
        if (n == c.parti) {
            s.C("TOP " + std::to_string(n) + " 0").S("-ERR no such message");
            if (pipeline) s.C("LIST " + std::to_string(n)).S("-ERR no such message");
            return false;
        }
        s.Entete(n, Entetes(n == c.autre ? 9 : n));
        if (n == c.autre && !pipeline) return false;
        s.TailleMessage(n, 100);
        return n != c.autre;
    };
    auto dele = [&](int n) {
        if (n == c.refus) {
            s.C("DELE " + std::to_string(n)).S("-ERR message locked");
        } else if (n == c.coupure) {
            s.C("DELE " + std::to_string(n)).Fermer();
        } else {
            s.Suppression(n);
        }
    };
    std::vector<int> confirmes;
    for (int n = 6; n >= 1; --n) {
        // Pipelined, the server closes after the replies of the next rows, before the rest.
        if (pipeline && c.coupure && n == c.coupure - 3) {
            for (int m = n; m >= 1; --m) s.C("TOP " + std::to_string(m) + " 0").C("LIST " + std::to_string(m));
            break;
        }
        if (!identite(n)) continue;
        if (!pipeline) dele(n);
        if (!pipeline && n == c.coupure) return;
        confirmes.push_back(n);
    }
    for (int n : pipeline ? confirmes : std::vector<int>{}) {
        dele(n);
        if (n == c.coupure) return;
    }
    s.Quitter();
}

// What the walk showed and left: statuses, boxes, sounds, rows, journal.
std::string BilanSuppression(const Banc& b)
{
    std::string r;
    for (int p : {0, 3})
        for (const Texte& t : b.fenetre.statuts[p]) r += "status " + std::to_string(p) + " " + t + "\n";
    for (const auto& m : b.fenetre.messages) r += "message " + m.titre + " " + m.texte + "\n";
    for (SonControle s : b.fenetre.sons) r += "sound " + std::to_string(int(s)) + "\n";
    for (const Texte& l : b.journal.Lignes()) r += "journal " + l + "\n";
    r += "rows " + std::to_string(b.liste.Nombre()) + " kept " + std::to_string(b.controle.MessagesChangesGardes());
    return r;
}

}  // namespace

TEST(Suppression, APipelinedDeletionGivesWhatOneCommandAtATimeGives)
{
    const CasSuppression cas[] = {
        {"every row deleted"},
        {"every reply cut at every byte", 0, 0, 0, 0, true},
        {"a changed and a vanished message inside the window", 4, 2},
        {"DELE refused inside the window", 0, 0, 3},
        {"connection closed at a DELE, replies still due", 0, 0, 0, 6},
    };
    for (const CasSuppression& c : cas) {
        SCOPED_TRACE(c.nom);
        std::string bilans[2];
        for (const bool pipeline : {false, true}) {
            FauxServeurPop3 s;
            ScriptSuppressionFenetre(s, c, pipeline);
            s.Demarrer();
            Banc b;
            b.client.PipeliningPermis = pipeline;
            const TCompte a = Compte("A", s.Port(), "anne");
            for (int n = 1; n <= 6; ++n) b.liste.Ajouter(Ligne(a, n, true));
            b.controle.SupprimerMarques();
            EXPECT_TRUE(s.AttendreFin()) << pipeline;
            EXPECT_THAT(s.Ecarts(), IsEmpty()) << pipeline;
            bilans[pipeline] = BilanSuppression(b);
        }
        EXPECT_EQ(bilans[1], bilans[0]);
        EXPECT_NE(bilans[0].find("status 0 Suppression du message n\xB0 6"), std::string::npos) << bilans[0];
    }
}
