#include "crypto/chiffrement.h"
#include "engine/apercu.h"
#include "engine/controle.h"
#include "support/banc_controle.h"
#include "support/faux_serveur_pop3.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace vaskor;
using test::FauxServeurPop3;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

struct FenetreApercuTest : FenetreApercu {
    std::vector<Texte> invites;
    Texte cle;
    bool annuler = false;
    std::vector<ContenuApercu> montres;
    std::vector<std::size_t> piecesJointes;  // parts of the message shown
    bool Saisir(const Texte&, const Texte& invite, Texte& valeur) override
    {
        invites.push_back(invite);
        valeur = cle;
        return !annuler;
    }
    void AfficherApercu(const ContenuApercu& c, const TIdMessage& m) override
    {
        montres.push_back(c);
        piecesJointes.push_back(m.MessageParts.size());
    }
};

const std::vector<std::string> kEntetes = {"From: Anne <anne@exemple.fr>", "To: bob@exemple.fr",
                                           "Subject: =?UTF-8?Q?R=C3=A9union?="};

std::vector<std::string> Message(const std::vector<std::string>& entetes = kEntetes)
{
    std::vector<std::string> m = entetes;
    for (const char* l : {"Content-Type: multipart/mixed; boundary=b", "", "--b",
                          "Content-Type: text/plain; charset=utf-8", "", "La r\xC3\xA9union", ".point", "--b",
                          "Content-Type: application/pdf; name=\"a.pdf\"", "Content-Transfer-Encoding: base64", "",
                          "JVBERg==", "--b--"})
        m.push_back(l);
    return m;
}

struct Banc : test::BancControle {
    TCipherManager chiffre;
    FenetreApercuTest apercu;
    void Ligne(int port, long long taille, std::vector<std::string> entetes = kEntetes)
    {
        LigneMessage l;
        l.De = "Anne";
        l.Taille = std::to_string(taille);
        l.Resume.Numero = 1;
        l.Resume.Entetes = std::move(entetes);
        l.Resume.Compte = test::CompteTest("A", port);
        liste.Ajouter(std::move(l));
    }
    void Apercu() { controle.ApercuMessage(0, apercu, chiffre); }
};

}  // namespace

TEST(Apercu, ChecksTheMessageIsStillTheRowsThenShowsItsTextInItsCharsetAndMarksTheRow)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Entete(1, kEntetes).TailleMessage(1, 300).Message(1, Message()).Quitter();
    s.Demarrer();
    Banc b;
    b.Ligne(s.Port(), 300);
    b.Apercu();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    ASSERT_EQ(b.apercu.montres.size(), 1u);
    const ContenuApercu& c = b.apercu.montres[0];
    EXPECT_EQ(c.Objet, "R\xC3\xA9union");
    EXPECT_EQ(c.A, "bob@exemple.fr");
    EXPECT_THAT(c.Lignes, ElementsAre("La r\xC3\xA9union", ".point"));
    EXPECT_EQ(c.PJ, "a.pdf");
    EXPECT_EQ(b.apercu.piecesJointes[0], 2u);  // the text part and the attachment
    EXPECT_THAT(b.fenetre.statuts[0], Contains("R\xE9" "ception du message en cours (~300 octets)..."));
    EXPECT_TRUE(b.liste[0].Apercu);
    EXPECT_TRUE(b.fenetre.activations.back());
    EXPECT_EQ(b.fenetre.attentes, 0);
    EXPECT_EQ(b.client.Tag, 0);
}

TEST(Apercu, TheSizeGuardAsksAboveTheLimitAndNoStopsBeforeAnyConnection)
{
    FauxServeurPop3 s;
    s.Demarrer();
    Banc b;
    b.config.TaillePasserMessage = 1000;
    b.Ligne(s.Port(), 1000001);
    b.fenetre.reponses = {ReponseMessage::Non};
    b.Apercu();
    EXPECT_THAT(b.fenetre.questions,
                ElementsAre("La taille du message s\xE9lectionn\xE9 est de 1 000 001 octets.\r\n-> Configuration : "
                            "Taille maximale = 1000 ko.\r\r\nLe t\xE9l\xE9" "charger tout de m\xEAme ?"));
    EXPECT_EQ(s.ConnexionsAcceptees(), 0);
    EXPECT_TRUE(b.apercu.montres.empty());
    EXPECT_TRUE(b.fenetre.activations.empty());
}

TEST(Apercu, AChangedMailboxIsNotShownAndTheUserIsToldToCheckAgain)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Entete(1, {"From: autre@exemple.fr", "Subject: autre"}).Quitter();
    s.Demarrer();
    Banc b;
    b.Ligne(s.Port(), 300);
    b.Apercu();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_THAT(s.Ecarts(), IsEmpty());
    EXPECT_TRUE(b.apercu.montres.empty());
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte,
              "Ce message a chang\xE9 sur le serveur depuis le contr\xF4le : il n'est pas affich\xE9.\r\n"
              "Faites un nouveau contr\xF4le avant de l'ouvrir.");
    EXPECT_FALSE(b.liste[0].Apercu);
}

TEST(Apercu, AnEncipheredMessageIsDecipheredLineByLineWithTheTypedKeyAndAnEmptyKeyShowsItAsIs)
{
    TCipherManager c;
    c.InitKey("cle secrete");
    std::vector<std::string> entetes = {"From: anne@exemple.fr", "X-CRPT: 1", "Subject: s"};
    std::vector<std::string> message = entetes;
    message.push_back("");
    message.push_back(c.EncodeString("premi\xE8re ligne"));
    message.push_back(c.EncodeString("seconde"));
    for (const char* cle : {"cle secrete", ""}) {
        SCOPED_TRACE(cle);
        FauxServeurPop3 s;
        s.Connexion("anne", "secret").Entete(1, entetes).TailleMessage(1, 90).Message(1, message).Quitter();
        s.Demarrer();
        Banc b;
        b.apercu.cle = cle;
        b.Ligne(s.Port(), 90, entetes);
        b.Apercu();
        EXPECT_TRUE(s.AttendreFin());
        EXPECT_THAT(b.apercu.invites, ElementsAre("Ce message est crypt\xE9.\r\n-> Entrez la cl\xE9 de d\xE9" "cryptage :"));
        ASSERT_EQ(b.apercu.montres.size(), 1u);
        if (*cle) {
            EXPECT_THAT(b.apercu.montres[0].Lignes, ElementsAre("premi\xC3\xA8re ligne", "seconde"));
            EXPECT_TRUE(b.fenetre.messages.empty());
        } else {
            EXPECT_EQ(b.apercu.montres[0].Lignes[0], message[4]);
            ASSERT_EQ(b.fenetre.messages.size(), 1u);
            EXPECT_EQ(b.fenetre.messages[0].texte, "La cl\xE9 saisie n'est pas valide. Le message ne sera pas d\xE9" "crypt\xE9 :-(");
        }
    }
}

TEST(Apercu, ARefusedRetrievalIsReportedAndNothingIsShown)
{
    FauxServeurPop3 s;
    s.Connexion("anne", "secret").Entete(1, kEntetes).TailleMessage(1, 300).C("RETR 1").S("-ERR non").C("QUIT").S("+OK");
    s.Demarrer();
    Banc b;
    b.Ligne(s.Port(), 300);
    b.Apercu();
    EXPECT_TRUE(s.AttendreFin());
    EXPECT_TRUE(b.apercu.montres.empty());
    ASSERT_EQ(b.fenetre.messages.size(), 1u);
    EXPECT_EQ(b.fenetre.messages[0].texte, "Echec lors de la r\xE9" "ception du message.");
    EXPECT_EQ(b.fenetre.messages[0].icone, IconeMessage::Avertissement);
}

TEST(Apercu, GroupedDigitsAndTheTextPartsShownWithApercuPlainText)
{
    EXPECT_EQ(GrouperChiffres(1234567), "1 234 567");
    EXPECT_EQ(GrouperChiffres(999), "999");
    TIdMessage m;
    m.ContentType = "multipart/alternative; boundary=b";
    TPartie texte, html;
    texte.Genre = html.Genre = GenrePartie::Texte;
    texte.ContentType = "text/plain";
    texte.Body = {"simple"};
    html.ContentType = "text/html";
    html.Body = {"<b>riche</b>"};
    m.MessageParts = {texte, html};
    EXPECT_THAT(ConstruireContenu(m, true, nullptr).Lignes, ElementsAre("simple"));
    EXPECT_THAT(ConstruireContenu(m, false, nullptr).Lignes, ElementsAre("simple", "<b>riche</b>"));
}
