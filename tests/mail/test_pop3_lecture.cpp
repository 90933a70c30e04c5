// Line and reply reading, fed bytes directly: a reply must read the same whatever pieces the
// network cuts it into.

#include "mail/echec.h"
#include "mail/lecteur_lignes.h"
#include "mail/reponse_pop3.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vaskor;
using ::testing::ElementsAre;

namespace {

struct Lu {
    std::vector<std::string> lignes;
    std::string echec;  // text of the failure that ended the reading, if any
};

// Feeds `octets` in pieces of `morceau` bytes (0: all at once), taking lines as they come,
// then marks the end.
Lu LireEnMorceaux(const std::string& octets, std::size_t morceau)
{
    LecteurLignes l;
    Lu r;
    std::string_view ligne;
    auto prendre = [&] {
        while (l.LireLigne(ligne)) r.lignes.emplace_back(ligne);
    };
    try {
        if (morceau == 0) morceau = octets.size() ? octets.size() : 1;
        for (std::size_t i = 0; i < octets.size(); i += morceau) {
            l.Ajouter(std::string_view(octets).substr(i, morceau));
            prendre();
        }
        l.SignalerFin();
        prendre();
    } catch (const Echec& e) {
        r.echec = e.Message();
    }
    return r;
}

// Reads one reply out of `octets` fed in pieces; returns its description or the failure text.
std::string Reponse(const std::string& octets, std::size_t morceau)
{
    LecteurLignes l;
    AnalyseurReponse a;
    std::string_view ligne;
    try {
        for (std::size_t i = 0; i < octets.size(); i += morceau) {
            l.Ajouter(std::string_view(octets).substr(i, morceau));
            while (l.LireLigne(ligne)) {
                if (a.AjouterLigne(ligne)) {
                    const ReponsePop3& r = a.Resultat();
                    std::string d = r.Statut + "|" + std::to_string(r.Code);
                    for (const auto& t : r.Lignes) d += "|" + t;
                    return d;
                }
            }
        }
        l.SignalerFin();
        l.LireLigne(ligne);
        return "incomplete";
    } catch (const Echec& e) {
        return "echec:" + e.Message();
    }
}

}  // namespace

TEST(LecteurLignes, LinesEndAtLfWithOneCrRemovedWhateverThePiecesTheBytesArriveIn)
{
    const std::string octets = "+OK pret\r\nbare lf\n\r\nCR\r\r\n\rdebut\r\nfin sans lf";
    for (std::size_t morceau : {0u, 1u, 2u, 3u, 7u}) {
        const Lu r = LireEnMorceaux(octets, morceau);
        EXPECT_THAT(r.lignes, ElementsAre("+OK pret", "bare lf", "", "CR\r", "\rdebut")) << morceau;
        // The last bytes never got their LF: the connection's end makes them unreadable.
        EXPECT_EQ(r.echec, "Connexion ferm\xE9" "e normalement.") << morceau;
    }
}

TEST(LecteurLignes, ALineAbove16384BytesFailsEvenBeforeItsEndArrives)
{
    const std::string juste(16384, 'a');
    Lu r = LireEnMorceaux(juste + "\r\n", 1000);
    ASSERT_EQ(r.lignes.size(), 1u);
    EXPECT_EQ(r.lignes[0].size(), 16384u);

    r = LireEnMorceaux(std::string(16385, 'a') + "\r\n", 1);
    EXPECT_TRUE(r.lignes.empty());
    EXPECT_EQ(r.echec, "Max line length exceeded.");

    // No LF ever comes: the reader stops at the limit instead of growing without end.
    LecteurLignes l;
    std::string_view ligne;
    l.Ajouter(std::string(16384, 'a') + "\r");
    EXPECT_FALSE(l.LireLigne(ligne));  // the CR may still be the end of a 16384-byte line
    l.Ajouter("b");
    EXPECT_THROW(l.LireLigne(ligne), Echec);
}

TEST(LecteurLignes, CountsWhatItReceivedAndWhatWasTakenAsLines)
{
    LecteurLignes l;
    std::string_view ligne;
    l.Ajouter("ab\r\ncd");
    ASSERT_TRUE(l.LireLigne(ligne));
    EXPECT_EQ(l.TotalRecu(), 6u);
    EXPECT_EQ(l.TotalConsomme(), 4u);
    EXPECT_EQ(l.EnAttente(), 2u);
    // Many short lines through a small buffer: the consumed bytes are dropped as it goes.
    for (int i = 0; i < 100000; ++i) {
        l.Ajouter("x\r\n");
        ASSERT_TRUE(l.LireLigne(ligne));
        ASSERT_EQ(ligne, i == 0 ? "cdx" : "x");
    }
    EXPECT_EQ(l.EnAttente(), 0u);
}

TEST(AnalyseurReponse, ReadsTheStatusWordAndTheTextFromTheFifthCharacterWhateverThePieces)
{
    struct Cas {
        std::string octets, attendu;
    } cas[] = {
        {"+OK 3 1234\r\n", "+OK|1|3 1234"},
        {"\r\n  \r\n\t\r\n+OK POP3 pret\r\n", "+OK|1|POP3 pret"},
        {"-ERR bad password\r\n", "-ERR|2| bad password"},
        {"+ok\r\n", "+ok|1|"},
        {"  -err  non  \r\n", "-err|2|  non"},
        {"+OK\n", "+OK|1|"},
        // "xxx-" goes on to the line starting with "xxx " (no POP3 server sends this).
        {"+OK-un\r\ndeux\r\n+ok fin\r\n", "echec:Unrecognized POP3 Response Header:\n\"un\r\n\r\nfin\""},
        {"OK ready\r\n", "echec:Unrecognized POP3 Response Header:\n\"eady\""},
        {"+OK", "echec:Connexion ferm\xE9" "e normalement."},
    };
    for (const Cas& c : cas)
        for (std::size_t morceau : {1u, 2u, 5u, 64u}) EXPECT_EQ(Reponse(c.octets, morceau), c.attendu) << c.octets;
}

TEST(AnalyseurReponse, TheErrorMessageIsEveryTextLineFollowedByCrLf)
{
    AnalyseurReponse a;
    ASSERT_TRUE(a.AjouterLigne("-ERR bad password"));
    const ReponsePop3& r = a.Resultat();
    EXPECT_EQ(r.Message(), " bad password\r\n");
    a.Recommencer();
    ASSERT_TRUE(a.AjouterLigne("+OK"));
    EXPECT_EQ(a.Resultat().Premiere(), "");
    EXPECT_EQ(a.Resultat().Message(), "\r\n");
}

TEST(AnalyseurReponse, AContinuedReplyWithoutItsClosingLineEndsAfterAHundredLines)
{
    AnalyseurReponse a;
    ASSERT_FALSE(a.AjouterLigne("+OK-sans fin"));
    std::size_t lignes = 1;
    while (!a.AjouterLigne("encore") && lignes < 100000) ++lignes;
    EXPECT_EQ(lignes + 1, AnalyseurReponse::kLignesMaxSuite);
    EXPECT_THROW(a.Resultat(), Echec);
}
