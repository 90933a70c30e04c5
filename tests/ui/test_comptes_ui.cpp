// The account editor's checks and security/port coupling, the account list's rows, sorting and
// buttons, what its OK applies to the window and the files, and "Tester la connexion" over TLS.

#include "outils_ui.h"
#include "registre.h"

#include "crypto/fichier_comptes.h"
#include "support/serveur_tls.h"
#include "support/outils.h"
#include "ui/liste_triable.h"
#include "ui/tfcompte.h"
#include "ui/tfcomptes.h"
#include "ui/texte_qt.h"
#include "ui/tfmain.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <deque>

using namespace vaskor;

namespace {

struct Boites : test::BoitesScriptees {
    std::deque<ReponseMessage> reponses;
    std::vector<test::QuestionPosee> posees;
    std::deque<bool> confiances;
    int certificatsMontres = 0;
    Boites() : test::BoitesScriptees(&reponses, &posees) {}
    bool ConfianceCertificat(QWidget*, const Texte&) override
    {
        ++certificatsMontres;
        const bool r = !confiances.empty() && confiances.front();
        if (!confiances.empty()) confiances.pop_front();
        return r;
    }
};

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

void Remplir(TFCompte& e, const char* d, const char* s, const char* u, const QString& p, const char* port)
{
    e.EDescription()->setText(U(d));
    e.EServeurPOP()->setText(U(s));
    e.ENomUser()->setText(U(u));
    e.EPassword()->setText(p);
    e.EPortPOP()->setText(U(port));
}

QStringList Colonne(const ListeTriable* l, int c)
{
    QStringList r;
    for (QTreeWidgetItem* i : l->Lignes()) r << i->text(c);
    return r;
}

}  // namespace

class TestComptesUi : public QObject {
    Q_OBJECT
private slots:
    void LEditeurRefuseDansSonOrdreEtDonneLeFocusAuChampFautif()
    {
        const struct {
            const char *d, *s, *u;
            QString p;
            const char* port;
            const char* message;
            const char* champ;
        } cas[] = {
            {"", "s", "u", U("p"), "110", "Pas de description saisie.", "EDescription"},
            {"d", "", "", U(""), "", "Pas de nom de serveur POP saisi.", "EServeurPOP"},
            {"d", "s", "", U("p"), "110", "Pas de nom d'utilisateur saisi.", "ENomUser"},
            {"d", "s", "u", U(""), "110", "Pas de mot de passe saisi.", "EPassword"},
            {"d", "s", "u", U("p"), "", "Le numéro de port POP n'est pas renseigné (110 par défaut)", "EPortPOP"},
            {"d", "s", "u", QString(38, QLatin1Char('x')), "995",
             "Le mot de passe dépasse 37 caractères : il ne pourrait pas être relu du fichier de comptes.", "EPassword"},
        };
        Boites b;
        TFCompte e(b);
        e.show();
        QVERIFY(QTest::qWaitForWindowActive(&e));
        for (const auto& c : cas) {
            Remplir(e, c.d, c.s, c.u, c.p, c.port);
            // The password does not count for the button.
            QCOMPARE(e.BOK()->isEnabled(), *c.d && *c.s && *c.u && *c.port);
            b.posees.clear();
            e.BOKClick();
            QCOMPARE(b.posees.size(), size_t(1));
            QCOMPARE(VersQString(b.posees[0].texte), U(c.message));
            QCOMPARE(VersQString(b.posees[0].titre), QStringLiteral("Information"));
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(c.champ));
            QVERIFY(e.isVisible());
        }
        // The long password was shown before OK.
        QVERIFY(e.LMotDePasse()->isVisible());
        e.EPassword()->setText(QString(37, QLatin1Char('x')));
        QVERIFY(!e.LMotDePasse()->isVisible());
    }

    void LaSecuriteDeplaceLePortQuandIlTientLAutreDefaut()
    {
        const struct {
            int depart;
            const char* port;
            int choix;
            const char* attendu;
        } cas[] = {
            {2, "110", 0, "995"}, {0, "995", 1, "110"}, {0, "995", 2, "110"},
            {1, "110", 0, "995"}, {1, "110", 2, "110"}, {0, "2995", 2, "2995"}, {2, "110", 1, "110"},
        };
        Boites b;
        TFCompte e(b);
        for (const auto& c : cas) {
            TCompte k = TCompte::Vierge();
            k.PortPOP = std::atoi(c.port);
            ChoixSecurite s;
            s.mode = c.depart == 0 ? ModeSecurite::Tls : c.depart == 1 ? ModeSecurite::StartTls : ModeSecurite::Aucune;
            e.Charger(k, s);
            e.CBSecurite()->setCurrentIndex(c.choix);
            QCOMPARE(e.EPortPOP()->text(), U(c.attendu));
        }
        QCOMPARE(e.CBSecurite()->itemText(2), U("Aucune (mot de passe en clair)"));
        e.EPortPOP()->clear();
        e.show();
        QTest::keyClicks(e.EPortPOP(), QStringLiteral("9a9-9"));
        QCOMPARE(e.EPortPOP()->text(), QStringLiteral("999"));
    }

    void LEditeurStockeCommeLaListeLeVeut()
    {
        Boites b;
        TFCompte e(b);
        TCompte k = TCompte::Vierge();
        k.Reserve2[7] = 0x5A;
        k.Password = "\x80ncien\xE9";
        e.Charger(k, {});
        QCOMPARE(e.EPassword()->text(), U("€nciené"));
        Remplir(e, "Maison", "pop.exemple.fr", "anne", U("sésame"), "99999");
        e.Appliquer(k);
        QCOMPARE(k.PortPOP.Lire(), 110);
        QCOMPARE(int(k.ControleAuto), 1);
        QCOMPARE(k.Reserve2[7], 0x5A);
        QCOMPARE(k.Password.Lire(), Texte("s\xE9same"));
        e.Vider();
        QCOMPARE(e.EPortPOP()->text(), QStringLiteral("995"));
        QCOMPARE(e.Securite().mode, ModeSecurite::Tls);
    }

    void LaListeTrieAjouteModifieEtSupprimeSurSesCopies()
    {
        Boites b;
        TFComptes d(b);
        ListeComptes comptes;
        comptes.Remplacer({test::Compte("zoé", "B.fr", "x"), test::Compte("Alpha", "c.fr", "y"),
                           test::Compte("beta", "a.fr", "z")});
        SecuritesComptes securites;
        securites.Definir(test::Compte("zoé", "B.fr", "x"), ModeSecurite::StartTls, std::string(32, 'e'));
        d.Charger(comptes, securites);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        // Byte order for descriptions: capitals first.
        QCOMPARE(Colonne(d.LVComptes(), 0), QStringList({U("Alpha"), U("beta"), U("zoé")}));
        QVERIFY(!d.Bouton("BProprietes")->isEnabled());
        d.LVComptes()->ClicColonne(1);
        QCOMPARE(Colonne(d.LVComptes(), 1), QStringList({U("a.fr"), U("B.fr"), U("c.fr")}));
        d.LVComptes()->ClicColonne(1);
        QCOMPARE(Colonne(d.LVComptes(), 1), QStringList({U("c.fr"), U("B.fr"), U("a.fr")}));

        // Renaming an account keeps its security under the new name.
        d.LVComptes()->setCurrentItem(d.LVComptes()->Lignes()[1]);
        QVERIFY(d.Bouton("BSupprimer")->isEnabled());
        QString titre;
        int securite = -1;
        test::QuandOuvert(QStringLiteral("TFCompte"), [&](QDialog& e) {
            auto& editeur = static_cast<TFCompte&>(e);
            titre = editeur.windowTitle();
            securite = editeur.CBSecurite()->currentIndex();
            editeur.EDescription()->setText(QStringLiteral("Renomme"));
            editeur.EPassword()->setText(QStringLiteral("p"));
            editeur.BOKClick();
        });
        d.BProprietesClick();
        QCOMPARE(titre, U("Propriété d'un compte"));
        QCOMPARE(securite, 1);
        const std::vector<TCompte> apres = d.Comptes();
        const auto renomme = std::find_if(apres.begin(), apres.end(), [](const TCompte& c) { return c.Description.Lire() == "Renomme"; });
        QVERIFY(renomme != apres.end());
        QCOMPARE(d.Securites().Pour(*renomme).empreinte, std::string(32, 'e'));
        // The password reached the record, and the editor no longer holds it.
        QCOMPARE(renomme->Password.Lire(), std::string("p"));
        QVERIFY(d.findChild<TFCompte*>()->EPassword()->text().isEmpty());

        // Adding takes its place in the current order; removing asks first, No by default.
        test::QuandOuvert(QStringLiteral("TFCompte"), [&](QDialog& e) {
            auto& editeur = static_cast<TFCompte&>(e);
            titre = editeur.windowTitle();
            Remplir(editeur, "Nouveau", "b0.fr", "n", QStringLiteral("p"), "995");
            editeur.BOKClick();
        });
        d.BAjouterClick();
        QCOMPARE(titre, QStringLiteral("Ajouter un compte"));
        QCOMPARE(Colonne(d.LVComptes(), 1), QStringList({U("c.fr"), U("b0.fr"), U("B.fr"), U("a.fr")}));
        b.reponses = {ReponseMessage::Non, ReponseMessage::Oui};
        d.BSupprimerClick();
        QCOMPARE(d.Comptes().size(), size_t(4));
        d.BSupprimerClick();
        QCOMPARE(d.Comptes().size(), size_t(3));
        QCOMPARE(VersQString(b.posees.back().texte), U("Supprimer ce compte ?"));
        QVERIFY(b.posees.back().defautNon);
    }

    void LeOKDeLaListeEcritLesFichiersEtReconstruitLesMenus()
    {
        test::DossierTemporaire dossier;
        auto boites = std::make_unique<Boites>();
        TFMain f;
        f.DefinirBoites(std::move(boites));
        f.ChargerDonnees(dossier.Chemin());
        f.Config().ControleAuto = true;
        TCompte k = test::Compte("Maison");
        k.Password = "p";
        k.ControleAuto = 1;
        SecuritesComptes s;
        s.Definir(k, ModeSecurite::StartTls);
        f.AppliquerComptes({k}, s);
        QCOMPARE(test::LireTout(dossier.Chemin() / "comptes.dat").size(), size_t(368));
        QCOMPARE(test::LireTout(dossier.Chemin() / "securites.dat").size(), size_t(192));
        QVERIFY(f.Config().ControleAuto);
        // Every account gone: empty files, the check commands hidden, the automatic check off.
        f.AppliquerComptes({}, {});
        QCOMPARE(test::LireTout(dossier.Chemin() / "comptes.dat").size(), size_t(0));
        QCOMPARE(test::LireTout(dossier.Chemin() / "securites.dat").size(), size_t(0));
        QVERIFY(!f.Config().ControleAuto);
        QVERIFY(!f.Actions().ControleAuto1->isVisible());
    }

    void TesterLaConnexionMontreLaBoiteOuLaRaisonEtRetientLeCertificatAccepte()
    {
        const test::AutoriteEssai autorite;
        const test::CertificatEssai certificat = autorite.Signer({"localhost"});
        test::ServeurTlsEssai serveur(certificat);
        ::setenv("SSL_CERT_FILE", "/dev/null", 1);
        Boites b;
        TFCompte e(b);
        Remplir(e, "Essai", "localhost", "anne", QStringLiteral("p"), std::to_string(serveur.Port()).c_str());
        b.confiances = {false, true};
        e.BTesterClick();
        QVERIFY2(e.LTest()->text().contains(U("Empreinte SHA-256")), qPrintable(e.LTest()->text()));
        QVERIFY(e.Securite().empreinte.empty());
        e.BTesterClick();
        QCOMPARE(e.LTest()->text(), U("0 messages, 0 ko"));
        QCOMPARE(e.Securite().empreinte, certificat.empreinte);
        QCOMPARE(b.certificatsMontres, 2);
        ::unsetenv("SSL_CERT_FILE");
    }
};

VASKOR_TEST_QT(TestComptesUi)
#include "test_comptes_ui.moc"
