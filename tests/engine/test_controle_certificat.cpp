// A certificate that fails its check during a check run: a manual run asks the window, an
// automatic one never does.

#include "engine/controle.h"
#include "platform/base/transport_tls.h"
#include "support/fenetre_enregistreuse.h"
#include "support/serveur_tls.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vaskor;

namespace {

struct Fenetre : test::FenetreEnregistreuse {
    ReponseCertificat reponse = ReponseCertificat::Annuler;
    int demandes = 0;
    ReponseCertificat ConfianceCertificat(const Texte&, const Texte&, const CertificatServeur&) override
    {
        ++demandes;
        return reponse;
    }
};

}  // namespace

TEST(ControleCertificat, OnlyAManualCheckAsksAndTrustingStoresTheFingerprintAndGoesOn)
{
    const test::AutoriteEssai autorite;
    const test::CertificatEssai certificat = autorite.Signer({"localhost"});
    ::setenv("SSL_CERT_FILE", "/dev/null", 1);
    const struct {
        const char* nom;
        bool automatique;
        ReponseCertificat reponse;
        int questions;
        int echecs;
        const char* message;  // the start of the one box, or nullptr
        bool stocke;
    } cas[] = {
        {"trusted", false, ReponseCertificat::Confiance, 1, 0, "Aucun message sur localhost.", true},
        {"cancelled", false, ReponseCertificat::Annuler, 1, 1, "Impossible de se connecter \xE0 localhost :-(", false},
        {"automatic", true, ReponseCertificat::Confiance, 0, 1, nullptr, false},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        test::ServeurTlsEssai serveur(certificat);
        Fenetre fenetre;
        fenetre.reponse = c.reponse;
        TIdPOP3 client(CreerTransportTls);
        client.DelaiLectureMaxMs = 10000;
        ListeComptes comptes;
        TCompte compte = TCompte::Vierge();
        compte.Description = "Essai";
        compte.ServeurPOP = "localhost";
        compte.NomUser = "anne";
        compte.Password = "p";
        compte.PortPOP = serveur.Port();
        compte.ControleAuto = 1;
        comptes.Remplacer({compte});
        SecuritesComptes securites;
        securites.Definir(compte, ModeSecurite::Tls);
        ListeFiltres filtres;
        ListeAmis amis;
        TConfig config = ConfigParDefaut();
        JournalEnAttente journal;
        ListeMessages liste;
        Controleur controle(fenetre, client, {comptes, filtres, amis, config, journal, liste, &securites});
        int sauvegardes = 0;
        controle.SecuritesModifiees = [&] { ++sauvegardes; };
        controle.ControleAutoEnCours = c.automatique;
        controle.ControlerCompte(0);

        EXPECT_EQ(fenetre.demandes, c.questions);
        EXPECT_EQ(controle.ComptesEnEchec, c.echecs);
        ASSERT_EQ(fenetre.messages.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(fenetre.messages[0].texte.rfind(c.message, 0), 0u) << fenetre.messages[0].texte;
        }
        EXPECT_EQ(securites.Pour(compte).empreinte, c.stocke ? certificat.empreinte : std::string());
        EXPECT_EQ(sauvegardes, c.stocke ? 1 : 0);
    }
    ::unsetenv("SSL_CERT_FILE");
}
