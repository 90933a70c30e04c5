// vaskor-cli over TLS against the lab's Dovecot: implicit TLS on its second port, STLS on the
// plain one, its certificate signed by the lab's own authority (trusted through SSL_CERT_FILE).

#include "lab_dovecot.h"
#include "support/outils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace vaskor::test;

namespace {

class TlsDovecot : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!lab_.Present() || lab_.Valeur("DOVECOT_TLS_PORT").empty())
            GTEST_SKIP() << "no Dovecot lab with TLS here (dovecot_demarrer was skipped or did not run)";
        ::setenv("SSL_CERT_FILE", lab_.Valeur("DOVECOT_TLS_CA").c_str(), 1);
        ASSERT_TRUE(lab_.Remplir("fanny", 2, 7));
    }
    void TearDown() override { ::unsetenv("SSL_CERT_FILE"); }

    int Cli(const std::string& arguments, const std::string& entree = {})
    {
        return LancerCli(arguments + " --data '" + d_.Chemin().string() + "'", entree, sortie_, &erreurs_);
    }
    int Ajouter(const std::string& description, const std::string& hote, const std::string& port,
                const std::string& securite)
    {
        return Cli("accounts add --description " + description + " --server " + hote + " --port " + port +
                       " --user fanny --security " + securite,
                   lab_.MotDePasse("fanny") + "\n");
    }

    LabDovecot lab_;
    DossierTemporaire d_;
    std::string sortie_, erreurs_;
};

TEST_F(TlsDovecot, ImplicitTlsAndStartTlsCheckTheMailboxWithTheLabsAuthorityTrusted)
{
    const std::string tls = lab_.Valeur("DOVECOT_TLS_PORT"), clair = std::to_string(lab_.Port());
    ASSERT_EQ(Ajouter("Nom", "localhost", tls, "tls"), 0) << erreurs_;
    ASSERT_EQ(Ajouter("Adresse", "127.0.0.1", tls, "tls"), 0) << erreurs_;
    ASSERT_EQ(Ajouter("Stls", "localhost", clair, "starttls"), 0) << erreurs_;
    for (const char* compte : {"Nom", "Adresse", "Stls"}) {
        SCOPED_TRACE(compte);
        EXPECT_EQ(Cli("scan --account " + std::string(compte)), 0) << erreurs_;
        EXPECT_EQ(LignesDe(sortie_).size(), 3u);
        EXPECT_EQ(Cli("check --account " + std::string(compte)), 0) << erreurs_;
        EXPECT_EQ(LignesDe(sortie_).size(), 2u) << sortie_;
    }
    // The ad hoc scan takes the same choices.
    EXPECT_EQ(LancerCli("scan --host localhost --port " + clair + " --starttls --user fanny",
                        lab_.MotDePasse("fanny") + "\n", sortie_, &erreurs_),
              0)
        << erreurs_;
}

TEST_F(TlsDovecot, AnUnknownAuthorityIsRefusedWithItsFingerprintUntilTheAccountTrustsIt)
{
    EcrireTout(d_.Chemin() / "vide.pem", "");
    ::setenv("SSL_CERT_FILE", (d_.Chemin() / "vide.pem").c_str(), 1);
    ASSERT_EQ(Ajouter("Fanny", "localhost", lab_.Valeur("DOVECOT_TLS_PORT"), "tls"), 0) << erreurs_;

    EXPECT_EQ(Cli("check"), 1);
    const auto debut = erreurs_.find("Empreinte SHA-256 : ");
    ASSERT_NE(debut, std::string::npos) << erreurs_;
    const std::string empreinte = erreurs_.substr(debut + 20, 95);
    EXPECT_NE(erreurs_.find("inconnue"), std::string::npos) << erreurs_;

    ASSERT_EQ(Cli("accounts trust Fanny " + empreinte), 0) << erreurs_;
    EXPECT_EQ(Cli("check"), 0) << erreurs_;
    EXPECT_EQ(LignesDe(sortie_).size(), 2u);

    // Another certificate is refused again: here the trusted one no longer matches.
    ASSERT_EQ(Cli("accounts trust Fanny " + std::string(64, '0')), 0) << erreurs_;
    EXPECT_EQ(Cli("scan --account Fanny"), 1);
    EXPECT_NE(erreurs_.find(empreinte), std::string::npos) << erreurs_;
}

}  // namespace
