// The POP3 client against a scripted server on a real loopback socket.

#include "mail/echec.h"
#include "mail/message.h"
#include "mail/pop3.h"
#include "platform/base/transport_tcp.h"
#include "support/faux_serveur_pop3.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <functional>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace vaskor;
using vaskor::test::FauxServeurPop3;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

// What the client told the window, in order.
struct Journal {
    std::vector<std::string> evenements;
    std::vector<std::int64_t> travail;
    int attentes = 0;
};

void Brancher(TIdPOP3& c, Journal& j)
{
    c.Fabrique = CreerTransportTcp;
    c.Host = "127.0.0.1";
    c.Username = "anne";
    c.Password = "secret";
    c.OnStatus = [&j](StatutPop3, const Texte& t) { j.evenements.push_back(t); };
    c.OnConnected = [&j] { j.evenements.push_back("[connected]"); };
    c.OnDisconnected = [&j] { j.evenements.push_back("[disconnected]"); };
    c.OnWork = [&j](std::int64_t n) { j.travail.push_back(n); };
    c.Attente = [&j] { ++j.attentes; };
}

// Runs `f` and returns the failure it throws, as "kind|status|text".
template <class F>
std::string Echoue(F&& f)
{
    try {
        f();
    } catch (const Echec& e) {
        const char* genre = e.Genre() == GenreEchec::DelaiConnexion ? "delai"
                            : e.Genre() == GenreEchec::ReponseErreur ? "reponse"
                                                                     : "autre";
        return std::string(genre) + "|" + std::to_string(e.Statut()) + "|" + e.Message();
    }
    return "no failure";
}

// A port where nothing listens: the socket is bound but never listens, so a connection
// attempt is refused and nobody else can take the port meanwhile.
class PortFerme {
public:
    PortFerme()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t l = sizeof a;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &l);
        port_ = ntohs(a.sin_port);
    }
    ~PortFerme() { ::close(fd_); }
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace

TEST(TIdPOP3, AGreetingAfterBlankLinesIsAcceptedAndTheStatusTextsComeInOrder)
{
    FauxServeurPop3 s;
    s.Brut("\r\n  \r\n\r\n+OK pret\r\n").C("USER anne").S("+OK").C("PASS secret").S("+OK").Quitter();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    EXPECT_TRUE(c.IsConnected());
    c.CloseSession();
    EXPECT_FALSE(c.IsConnected());
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    EXPECT_THAT(j.evenements, ElementsAre("Connexion en cours à 127.0.0.1."_cp, "Connecté."_cp, "[connected]",
                                          "Déconnexion en cours."_cp, "[disconnected]", "Déconnecté."_cp));
}

TEST(TIdPOP3, AHostNameIsAnnouncedBeforeItIsResolved)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Quitter();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Host = "localhost";
    c.Port = s.Port();
    c.OpenSession();
    c.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
    ASSERT_FALSE(j.evenements.empty());
    EXPECT_EQ(j.evenements.front(), "Resolution du nom d'hôte localhost."_cp);
    EXPECT_THAT(j.evenements, Contains("Connexion en cours à 127.0.0.1."_cp));
}

TEST(TIdPOP3, AFailedLoginClosesTheSessionWithQuitAndReportsTheServersText)
{
    struct Cas {
        std::string script, echec;
    } cas[] = {
        {"S: -ERR occupe\n", "reponse|2| occupe\r\n"},
        {"S: OK ready\n", "autre|0|Unrecognized POP3 Response Header:\n\"eady\""},
        {"S: +OK\nC: USER anne\nS: -ERR inconnu\n", "reponse|2| inconnu\r\n"},
        {"S: +OK\nC: USER anne\nS: +OK\nC: PASS secret\nS: -ERR bad password\n", "reponse|2| bad password\r\n"},
        // A bare refusal still names the server and says that no reason came.
        {"S: +OK\nC: USER anne\nS: +OK\nC: PASS secret\nS: -ERR\n",
         "reponse|2|Le serveur 127.0.0.1 a refus\xE9 sans donner de raison.\r\n"},
    };
    for (const Cas& x : cas) {
        FauxServeurPop3 s;
        s.Script(x.script).Quitter();
        s.Demarrer();
        TIdPOP3 c;
        Journal j;
        Brancher(c, j);
        c.Port = s.Port();
        EXPECT_EQ(Echoue([&] { c.OpenSession(); }), x.echec);
        EXPECT_FALSE(c.IsConnected());
        EXPECT_TRUE(s.AttendreFin()) << x.script;
        EXPECT_THAT(s.Ecarts(), IsEmpty()) << x.script;
        EXPECT_EQ(j.evenements.back(), "Déconnecté."_cp);
    }
}

TEST(TIdPOP3, StatGivesTheCountBeforeTheFirstSpaceAndFailsWithoutOne)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret")
        .Script("C: STAT\nS: +OK 3 1234\nC: STAT\nS: +OK\nC: STAT\nS: +OK 3\nC: STAT\nS: +OK x 12\n")
        .Script("C: STAT\nS: -ERR verrou\n")
        .Quitter();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    EXPECT_EQ(c.CountMessages(), 3);
    EXPECT_EQ(c.CountMessages(), 0);
    EXPECT_EQ(Echoue([&] { c.CountMessages(); }), "autre|0|Réponse à STAT illisible : \"3\"."_cp);
    EXPECT_EQ(Echoue([&] { c.CountMessages(); }), "autre|0|Réponse à STAT illisible : \"x 12\"."_cp);
    EXPECT_EQ(Echoue([&] { c.CountMessages(); }), "reponse|2| verrou\r\n");
    // Failures leave the session open.
    EXPECT_TRUE(c.IsConnected());
    c.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
}

TEST(TIdPOP3, TheMailboxSizeSumsTheListingAndIsMinusOneWhenTheListingFails)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret")
        .C("LIST")
        .S("+OK 3 messages")
        .Brut("1 120\r\n2 abc\r\n3 300\r\n.\r\n")
        .Script("C: LIST\nS: -ERR pas maintenant\n")
        .Stat(3, 420)
        .Script("C: LIST 2\nS: +OK 2 abc\nC: LIST 3\nS: +OK 3 300\nC: LIST 9\nS: +OK\nC: LIST 4\nS: -ERR absent\n")
        .Liste({10, 20})
        .Quitter();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    EXPECT_EQ(c.TotalMailboxSize(), 420);
    EXPECT_EQ(c.TotalMailboxSize(), -1);
    EXPECT_EQ(c.CountMessages(), 3);  // still in step after the refusal
    EXPECT_EQ(c.QueryMessageSize(2), -1);
    EXPECT_EQ(c.QueryMessageSize(3), 300);
    EXPECT_EQ(c.QueryMessageSize(9), -1);
    EXPECT_EQ(Echoue([&] { c.QueryMessageSize(4); }), "reponse|2| absent\r\n");
    EXPECT_EQ(c.TotalMailboxSize(), 30);
    c.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
}

TEST(TIdPOP3, AHeaderBlockKeepsItsLinesAsReceivedAndATopRefusalFails)
{
    const std::string reponse = "+OK\r\nFrom: Anne <anne@exemple.fr>\r\nSubject: essai\r\n..Point: oui\r\n\r\n.\r\n";
    FauxServeurPop3 s;
    s.Connexion("anne", "secret")
        .C("TOP 1 0")
        .Brut(reponse)
        .Script("C: TOP 2 0\nS: -ERR no such message\nC: DELE 1\nS: +OK\nC: DELE 7\nS: -ERR non\n")
        .Quitter();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    TIdMessage m;
    EXPECT_TRUE(c.FetchHeaderBlock(1, m));
    // Empty lines are dropped, dot-stuffing is left as it came.
    EXPECT_THAT(m.Headers, ElementsAre("From: Anne <anne@exemple.fr>", "Subject: essai", "..Point: oui"));
    ASSERT_FALSE(j.travail.empty());
    EXPECT_EQ(j.travail.back(), static_cast<std::int64_t>(reponse.size()));

    TIdMessage m2;
    EXPECT_EQ(Echoue([&] { c.FetchHeaderBlock(2, m2); }), "reponse|2| no such message\r\n");
    EXPECT_TRUE(c.DeleteMessage(1));
    EXPECT_EQ(Echoue([&] { c.DeleteMessage(7); }), "reponse|2| non\r\n");
    c.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
}

TEST(TIdPOP3, AHeaderLineOf16385BytesFails)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret")
        .C("TOP 1 0")
        .Brut("+OK\r\nSubject: " + std::string(16385 - 9, 'a') + "\r\n\r\n.\r\n");
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    TIdMessage m;
    EXPECT_EQ(Echoue([&] { c.FetchHeaderBlock(1, m); }), "autre|0|Max line length exceeded.");
    EXPECT_TRUE(s.AttendreFin());
}

TEST(TIdPOP3, AHeaderBlockLargerThanTheBoundFailsInsteadOfFillingTheMemory)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret")
        .C("TOP 1 0")
        .Brut("+OK\r\nSubject: 1234567890\r\nFrom: a@b.fr\r\n\r\n.\r\n")  // 37 bytes with the blank line
        .C("TOP 2 0")
        .Brut("+OK\r\nSubject: 1234567890\r\nFrom: ab@c.fr\r\n\r\n.\r\n");
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.TailleMaxEntete = 37;
    c.OpenSession();
    TIdMessage m;
    EXPECT_TRUE(c.FetchHeaderBlock(1, m));
    EXPECT_EQ(Echoue([&] { c.FetchHeaderBlock(2, m); }), "autre|0|" + "Bloc d'entête du message 2 trop long."_cp);
    EXPECT_TRUE(s.AttendreFin());
}

TEST(TIdPOP3, AConnectionClosedInTheMiddleOfAReplyFailsAndTheSessionThenClosesQuietly)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").C("TOP 1 0").Brut("+OK\r\nFrom: a@b.fr\r\nSubj").Fermer();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    TIdMessage m;
    EXPECT_EQ(Echoue([&] { c.FetchHeaderBlock(1, m); }), "autre|0|Connexion fermée normalement."_cp);
    EXPECT_TRUE(s.AttendreFin());
    j.evenements.clear();
    EXPECT_FALSE(c.IsConnected());
    EXPECT_THAT(j.evenements, ElementsAre("[disconnected]", "Déconnecté."_cp));
    // Nothing is left to close.
    c.CloseSession();
    EXPECT_EQ(j.evenements.size(), 2u);
}

TEST(TIdPOP3, AServerThatStopsAnsweringFailsAfterTheReadBoundWhileTheIdleHookRuns)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").C("STAT").Silence();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.DelaiLectureMaxMs = 600;
    c.OpenSession();
    const int avant = j.attentes;
    EXPECT_EQ(Echoue([&] { c.CountMessages(); }), std::string("autre|0|") + kTexteServeurMuet);
    // One call at least every 50 ms of silence: the window is never frozen for longer while a
    // reply is late (twelve slices in 600 ms; fewer on a loaded machine, never as few as 250 ms
    // slices would give).
    EXPECT_GE(j.attentes - avant, 8);
    // The session is left as it was.
    EXPECT_TRUE(c.IsConnected());
    c.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
}

TEST(TIdPOP3, AReplyThatTricklesInStillLetsTheIdleHookRunEveryFiftyMilliseconds)
{
    // Eleven bytes 30 ms apart: no slice of the wait ever ends in silence, yet the window must
    // get its events processed as often as when nothing comes.
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").C("STAT").Goutte("+OK 2 300\r\n", 30).Quitter();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    const int avant = j.attentes;
    EXPECT_EQ(c.CountMessages(), 2);
    EXPECT_GE(j.attentes - avant, 4);
    c.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
}

TEST(TIdPOP3, ARefusedConnectionGivesTheSocketErrorText)
{
    PortFerme p;
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = p.Port();
    EXPECT_EQ(Echoue([&] { c.OpenSession(); }), "autre|0|Socket Error # " + std::to_string(ECONNREFUSED) + "\r\n" +
                                                    std::strerror(ECONNREFUSED));
    EXPECT_FALSE(c.IsConnected());
    EXPECT_THAT(j.evenements, ElementsAre("Connexion en cours à 127.0.0.1."_cp));
}

TEST(TIdPOP3, AConnectionThatNeverCompletesTimesOutWhileTheIdleHookRuns)
{
    // A listening socket whose queue is full drops further connection requests, so the
    // attempt neither succeeds nor fails.
    const int ecoute = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t l = sizeof a;
    ASSERT_EQ(::bind(ecoute, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(ecoute, 0), 0);
    ::getsockname(ecoute, reinterpret_cast<sockaddr*>(&a), &l);
    std::vector<int> remplissage;
    for (int i = 0; i < 3; ++i) {
        const int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
        remplissage.push_back(f);
    }
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = ntohs(a.sin_port);
    c.DelaiConnexionMs = 500;
    EXPECT_EQ(Echoue([&] { c.OpenSession(); }), "delai|0|Timed out connexion.");
    EXPECT_GE(j.attentes, 3);  // slices of 50 ms at most
    EXPECT_FALSE(c.IsConnected());
    for (int f : remplissage) ::close(f);
    ::close(ecoute);
}

TEST(TIdPOP3, ASecondOpenFailsAndEachSessionGetsItsOwnConnection)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret")
        .Quitter()
        .NouvelleConnexion()
        .Connexion("anne", "secret")
        .Message(1, {"From: a@b.fr", "Subject: x", "", "corps", ".cache", ""})
        .Script("C: RETR 2\nS: -ERR absent\n")
        .Quitter();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    EXPECT_EQ(Echoue([&] { c.OpenSession(); }), "autre|0|Déjà connecté."_cp);
    c.CloseSession();
    c.OpenSession();
    TIdMessage m;
    EXPECT_TRUE(c.FetchMessage(1, m));
    EXPECT_THAT(m.LignesBrutes, ElementsAre("From: a@b.fr", "Subject: x", "", "corps", "..cache", ""));
    EXPECT_FALSE(c.FetchMessage(2, m));
    c.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    EXPECT_EQ(s.ConnexionsAcceptees(), 2);
}

TEST(FauxServeurPop3, ReportsWhatTheClientSentOutsideTheScript)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Stat(1, 10);
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.Password = "autre";
    EXPECT_NE(Echoue([&] { c.OpenSession(); }), "no failure");  // the server stops answering
    EXPECT_FALSE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), Contains("etape 4: attendu \"PASS secret\", recu \"PASS autre\""));
}

TEST(TIdPOP3, ReadsRepliesWhoseStatusAndBlockComeInTwoWritesUnderNagle)
{
    // Each block waits for the client's acknowledgement of its status line; the benchmark shows
    // what that costs without quick acknowledgements, here the replies must only come out whole.
    constexpr int kNombre = 100;
    FauxServeurPop3 s;
    s.EnDeuxEcritures().Connexion("anne", "secret");
    for (int n = 1; n <= kNombre; ++n)
        s.Entete(n, {"Subject: essai " + std::to_string(n)}).TailleMessage(n, 100 + n);
    s.Quitter();
    s.Demarrer();
    TIdPOP3 c;
    Journal j;
    Brancher(c, j);
    c.Port = s.Port();
    c.OpenSession();
    for (int n = 1; n <= kNombre; ++n) {
        TIdMessage m;
        c.FetchHeaderBlock(n, m);
        ASSERT_EQ(m.Subject, "essai " + std::to_string(n));
        ASSERT_EQ(c.QueryMessageSize(n), 100 + n);
    }
    c.CloseSession();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
}

TEST(TIdPOP3, OnlyAPlusOkToQuitCommitsTheDeletionsOfTheSession)
{
    struct Cas {
        const char* nom;
        bool suppression;
        std::function<void(FauxServeurPop3&)> fin;
        bool confirme;
    };
    const Cas cas[] = {
        {"quit-ok", true, [](FauxServeurPop3& s) { s.Quitter(); }, true},
        {"quit-err", true, [](FauxServeurPop3& s) { s.C("QUIT").S("-ERR cannot commit").AttendreFermeture(); }, false},
        {"dropped-at-quit", true, [](FauxServeurPop3& s) { s.C("QUIT").Fermer(); }, false},
        {"dropped-after-dele", true, [](FauxServeurPop3& s) { s.Fermer(); }, false},
        // Nothing to commit: the reply is not awaited.
        {"no-dele-no-wait", false, [](FauxServeurPop3& s) { s.C("QUIT").Silence(); }, true},
    };
    for (const Cas& k : cas) {
        FauxServeurPop3 s;
        s.Connexion("anne", "secret");
        if (k.suppression) s.C("DELE 1").S("+OK");
        k.fin(s);
        s.Demarrer();
        TIdPOP3 c;
        Journal j;
        Brancher(c, j);
        c.Port = s.Port();
        std::vector<std::pair<int, bool>> fins;
        c.OnFinSession = [&](int n, bool ok) { fins.emplace_back(n, ok); };
        c.OpenSession();
        if (k.suppression) c.DeleteMessage(1);
        EXPECT_EQ(c.CloseSession(), k.confirme) << k.nom;
        EXPECT_THAT(fins, ElementsAre(std::make_pair(k.suppression ? 1 : 0, k.confirme))) << k.nom;
        EXPECT_TRUE(s.AttendreFin()) << k.nom;
        EXPECT_THAT(s.Ecarts(), IsEmpty()) << k.nom;
    }
}

TEST(TIdPOP3, ASlowOrEndlessServerIsCutOffAtItsDeadlineAndTheSessionIsOver)
{
    std::string listeSansFin = "+OK\r\n";
    for (int i = 1; i <= 40; ++i) listeSansFin += std::to_string(i) + " 10\r\n";
    struct Cas {
        const char* nom;
        std::function<void(FauxServeurPop3&)> script;
        std::function<void(TIdPOP3&)> operation;
        std::string echec;
    };
    const Cas cas[] = {
        {"trickled-reply", [](FauxServeurPop3& s) { s.C("STAT").Goutte("+OK 2 300\r\n", 150); },
         [](TIdPOP3& c) { c.CountMessages(); }, "Le serveur n'a pas fini de répondre à STAT en 1 s."},
        {"endless-list", [&](FauxServeurPop3& s) { s.C("LIST").Brut(listeSansFin).Silence(); },
         [](TIdPOP3& c) { c.TotalMailboxSize(3); }, "Le serveur envoie une liste sans fin : plus de 19 lignes pour 3 messages."},
        {"session-ceiling", [](FauxServeurPop3& s) { s.C("STAT").Goutte("+OK 1 1\r\n", 150); },
         [](TIdPOP3& c) {
             c.DelaiReponseMs = 60000;
             c.PlafondSession(0);
             c.CountMessages();
         },
         "La session a dépassé sa durée maximale de 1 s."},
    };
    for (const Cas& k : cas) {
        FauxServeurPop3 s;
        s.Connexion("anne", "secret");
        k.script(s);
        s.Demarrer();
        TIdPOP3 c;
        Journal j;
        Brancher(c, j);
        c.Port = s.Port();
        c.DelaiReponseMs = 500;
        c.DelaiSessionMinMs = 400;
        c.OpenSession();
        EXPECT_EQ(Echoue([&] { k.operation(c); }), "autre|0|" + Utf8VersCp1252(k.echec)) << k.nom;
        EXPECT_FALSE(c.IsConnected()) << k.nom;
    }
}
