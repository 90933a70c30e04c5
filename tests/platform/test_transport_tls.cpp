#include "core/securite_compte.h"
#include "mail/pop3.h"
#include "platform/base/transport_tls.h"
#include "support/faux_serveur_pop3.h"
#include "support/outils.h"
#include "support/serveur_tls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace vaskor;
using namespace vaskor::test;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

// SSL_CERT_FILE names the test authority (or an empty file: nothing is trusted) for one test.
class MagasinEssai {
public:
    explicit MagasinEssai(const std::string& pem)
    {
        EcrireTout(d_.Chemin() / "ca.pem", pem);
        const char* ancien = std::getenv("SSL_CERT_FILE");
        if (ancien) ancien_ = ancien;
        ::setenv("SSL_CERT_FILE", (d_.Chemin() / "ca.pem").c_str(), 1);
    }
    ~MagasinEssai()
    {
        if (ancien_)
            ::setenv("SSL_CERT_FILE", ancien_->c_str(), 1);
        else
            ::unsetenv("SSL_CERT_FILE");
    }

private:
    DossierTemporaire d_;
    std::optional<std::string> ancien_;
};

struct Issue {
    std::string erreur;  // empty: logged in, STAT answered, QUIT sent
    std::optional<CertificatServeur> certificat;
};

Issue Session(const std::string& hote, int port, ModeSecurite mode, const std::string& empreinte = {},
              int delaiMs = 10000)
{
    TIdPOP3 client(CreerTransportTls);
    client.Host = hote;
    client.Port = port;
    client.Username = "anne";
    client.Password = "secret";
    client.Securite = mode;
    client.EmpreinteAcceptee = empreinte;
    client.DelaiConnexionMs = delaiMs;
    client.DelaiLectureMaxMs = delaiMs;
    Issue r;
    try {
        client.OpenSession();
        client.CountMessages();
        client.CloseSession();
    } catch (const EchecCertificat& e) {
        r.erreur = e.Message();
        r.certificat = e.Certificat();
    } catch (const Echec& e) {
        r.erreur = e.Message().empty() ? "?" : e.Message();
    }
    return r;
}

}  // namespace

TEST(TransportTls, OnlyAVerifiedCertificateOrTheOneTrustedForTheAccountIsAccepted)
{
    const AutoriteEssai autorite, inconnue;
    const CertificatEssai local = autorite.Signer({"localhost", "127.0.0.1"});
    const CertificatEssai ailleurs = autorite.Signer({"pop.ailleurs.test"});
    const CertificatEssai perime = autorite.Signer({"localhost"}, -10, -1);
    const CertificatEssai etranger = inconnue.Signer({"localhost", "127.0.0.1"});
    MagasinEssai magasin(autorite.Pem());

    struct Cas {
        const char* nom;
        const CertificatEssai& certificat;
        std::string hote;
        std::string empreinte;
        const char* raison;  // nullptr: accepted
    } cas[] = {
        {"name", local, "localhost", {}, nullptr},
        {"address", local, "127.0.0.1", {}, nullptr},
        {"other-name", ailleurs, "localhost", {}, "le certificat est \xE9tabli pour un autre nom que localhost"},
        {"expired", perime, "localhost", {}, "le certificat a expir\xE9"},
        {"unknown-authority", etranger, "localhost", {}, "l'autorit\xE9 qui l'a sign\xE9 est inconnue"},
        {"pinned", etranger, "localhost", etranger.empreinte, nullptr},
        {"pin-of-another", etranger, "localhost", local.empreinte, "l'autorit\xE9 qui l'a sign\xE9 est inconnue"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        ServeurTlsEssai serveur(c.certificat);
        const Issue r = Session(c.hote, serveur.Port(), ModeSecurite::Tls, c.empreinte);
        if (!c.raison) {
            EXPECT_EQ(r.erreur, "");
            continue;
        }
        ASSERT_TRUE(r.certificat);
        EXPECT_EQ(r.certificat->raison, c.raison);
        EXPECT_EQ(r.certificat->empreinte, c.certificat.empreinte);
        EXPECT_THAT(r.erreur, HasSubstr("Empreinte SHA-256 : " + TexteEmpreinte(c.certificat.empreinte)));
        // Nothing of the login went out over a connection that was not verified.
        EXPECT_THAT(serveur.Recues(), IsEmpty());
    }
}

TEST(TransportTls, StartTlsLogsInOnlyInsideTheEncryptedSession)
{
    const AutoriteEssai autorite;
    MagasinEssai magasin(autorite.Pem());
    ServeurTlsEssai serveur(autorite.Signer({"localhost"}), true);
    EXPECT_EQ(Session("localhost", serveur.Port(), ModeSecurite::StartTls).erreur, "");
    EXPECT_THAT(serveur.Recues(4), ::testing::ElementsAre("USER anne", "PASS secret", "STAT", "QUIT"));
}

TEST(TransportTls, StartTlsNeverFallsBackToClear)
{
    struct Cas {
        const char* nom;
        const char* capa;
    } cas[] = {
        {"capa-refused", "S: -ERR inconnu\nC: QUIT"},
        {"no-stls", "S: +OK\nS: USER\nS: TOP\nS: .\nC: QUIT"},
        {"stls-refused", "S: +OK\nS: STLS\nS: .\nC: STLS\nS: -ERR pas maintenant\nC: QUIT"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        FauxServeurPop3 s;
        s.Accueil().C("CAPA").Script(c.capa).AttendreFermeture();
        s.Demarrer();
        const Issue r = Session("127.0.0.1", s.Port(), ModeSecurite::StartTls);
        EXPECT_THAT(r.erreur, HasSubstr("STARTTLS"));
        EXPECT_TRUE(s.AttendreFin());
        EXPECT_THAT(s.Ecarts(), IsEmpty());
    }
}

TEST(TransportTls, AHandshakeWithAPlainOrSilentServerEndsWithinItsBounds)
{
    struct Cas {
        const char* nom;
        bool silence;
        const char* texte;
    } cas[] = {
        {"plain-server", false, "Erreur TLS : la n\xE9gociation avec le serveur a \xE9" "chou\xE9"},
        {"silent-server", true, "Timed out connexion."},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        FauxServeurPop3 s;
        if (c.silence)
            s.Silence();
        else
            s.Accueil().Silence();
        s.Demarrer();
        EXPECT_THAT(Session("127.0.0.1", s.Port(), ModeSecurite::Tls, {}, 400).erreur, HasSubstr(c.texte));
    }
}
