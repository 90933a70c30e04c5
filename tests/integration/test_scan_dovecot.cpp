// vaskor-cli scan against a real Dovecot started by scripts/dovecot-lab.sh (see CMakeLists.txt).
// What the server says is read over a socket of our own, independently of Vaskor's client; what
// the headers should decode to comes from the generator's expectation file.

#include "lab_dovecot.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace vaskor::test;

namespace {

class ScanDovecot : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!lab_.Present()) GTEST_SKIP() << "no Dovecot lab here (dovecot_demarrer was skipped or did not run)";
        // Dates print in local time; the expectations are in UTC.
        ::setenv("TZ", "UTC", 1);
    }

    // The expectations follow the decoding of the Part's rules (the setting off).
    int Scan(const std::string& user, const std::string& motDePasse, std::string& sortie, std::string& erreurs,
             const char* decodage = "0")
    {
        return LancerCli("scan --decodage-moderne " + std::string(decodage) + " " + lab_.ArgumentsCompte(user),
                         motDePasse + "\n", sortie, &erreurs);
    }

    LabDovecot lab_;
};

TEST_F(ScanDovecot, SeveralHundredMessagesGiveTheServersCountAndSizesAndEveryHeaderDecoded)
{
    const int nombre = 400;
    ASSERT_TRUE(lab_.Remplir("anne", nombre, 2));
    const auto attendus = LireAttendus(lab_.FichierAttendus("anne"));
    ASSERT_EQ(attendus.size(), size_t(nombre));
    const VueServeur serveur = InterrogerServeur(lab_, "anne");
    ASSERT_EQ(serveur.nombre, nombre);

    std::string sortie, erreurs;
    ASSERT_EQ(Scan("anne", lab_.MotDePasse("anne"), sortie, erreurs), 0) << erreurs;
    const auto lignes = LignesDe(sortie);
    ASSERT_EQ(lignes.size(), size_t(nombre) + 1) << erreurs;
    EXPECT_EQ(lignes[0], std::to_string(serveur.nombre) + "\t" + std::to_string(serveur.total));

    int ecarts = 0;
    for (long n = 1; n <= nombre && ecarts < 20; ++n) {
        const auto c = DecouperChamps(lignes[size_t(n)], '\t');
        const std::string& id = serveur.identifiants[size_t(n)];
        SCOPED_TRACE("message " + std::to_string(n) + " " + id);
        const auto a = attendus.find(id);
        ASSERT_NE(a, attendus.end()) << "the server's Message-Id is not among the generated ones";
        ASSERT_EQ(c.size(), 5u) << lignes[size_t(n)];
        const std::string tailleServeur = std::to_string(serveur.tailles[size_t(n)]);
        const MessageAttendu& m = a->second;
        if (c[0] != std::to_string(n) || c[1] != tailleServeur || c[1] != std::to_string(m.taille) ||
            c[2] != m.de || c[3] != m.sujet || c[4] != m.date) {
            ++ecarts;
            EXPECT_EQ(c[0], std::to_string(n));
            EXPECT_EQ(c[1], tailleServeur) << "size listed by the server";
            EXPECT_EQ(c[1], std::to_string(m.taille)) << "size of the generated file with CRLF line ends";
            EXPECT_EQ(c[2], m.de);
            EXPECT_EQ(c[3], m.sujet);
            EXPECT_EQ(c[4], m.date);
        }
    }

    // Decoded as today's readers do: no UTF-8 word is left, and the dates are the same.
    ASSERT_EQ(Scan("anne", lab_.MotDePasse("anne"), sortie, erreurs, "1"), 0) << erreurs;
    const auto modernes = LignesDe(sortie);
    ASSERT_EQ(modernes.size(), size_t(nombre) + 1);
    for (long n = 1; n <= nombre; ++n) {
        const auto c = DecouperChamps(modernes[size_t(n)], '\t');
        ASSERT_EQ(c.size(), 5u) << modernes[size_t(n)];
        for (const std::string& t : {c[2], c[3]}) {
            std::string m = t;
            for (char& ch : m) ch = char(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_EQ(m.find("=?UTF-8?"), std::string::npos) << t;
        }
        EXPECT_EQ(c[4], attendus.at(serveur.identifiants[size_t(n)]).date);
    }
}

TEST_F(ScanDovecot, AnEmptyMailboxGivesZeroMessagesOfZeroBytes)
{
    ASSERT_TRUE(lab_.Vider("bruno"));
    std::string sortie, erreurs;
    ASSERT_EQ(Scan("bruno", lab_.MotDePasse("bruno"), sortie, erreurs), 0) << erreurs;
    EXPECT_EQ(LignesDe(sortie), std::vector<std::string>{"0\t0"});
}

TEST_F(ScanDovecot, AnUnreadableHeaderBlockEndsTheScanWithStatusOneAndTheParseFailure)
{
    ASSERT_TRUE(lab_.Remplir("david", 5, 3, "--unreadable 3"));
    std::string sortie, erreurs;
    EXPECT_EQ(Scan("david", lab_.MotDePasse("david"), sortie, erreurs), 1);
    EXPECT_NE(erreurs.find("@ Outside address"), std::string::npos) << erreurs;
    // Whatever was printed before the failure belongs to the messages before it.
    for (const auto& l : LignesDe(sortie)) EXPECT_NE(l.rfind("3\t", 0), 0u) << sortie;
}

TEST_F(ScanDovecot, ARefusedPasswordEndsWithStatusOneAndTheServersText)
{
    std::string sortie, erreurs;
    EXPECT_EQ(Scan("chloe", "not-her-password", sortie, erreurs), 1);
    EXPECT_EQ(sortie, "");
    EXPECT_NE(erreurs.find("[AUTH] Authentication failed."), std::string::npos) << erreurs;
}

}  // namespace
