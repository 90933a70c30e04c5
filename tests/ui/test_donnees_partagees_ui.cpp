// The window and another program working on the same data files: a change made elsewhere while
// the window runs is taken in, and the window's saves never write over it. Also the notice of a
// read-only portable copy.

#include "outils_ui.h"
#include "registre.h"

#include "core/ami.h"
#include "core/config.h"
#include "core/fichier_ini.h"
#include "core/filtre.h"
#include "crypto/fichier_comptes.h"
#include "support/outils.h"
#include "ui/avis_dossier.h"
#include "ui/liste_triable.h"
#include "ui/surveillance_donnees.h"
#include "ui/tffiltres.h"
#include "ui/tfmain.h"

#include <QPushButton>
#include <QTest>
#include <QTreeWidgetItem>

using namespace vaskor;

namespace {

struct Boites : test::BoitesScriptees {
    std::deque<ReponseMessage> reponses;
    std::vector<test::QuestionPosee> posees;
    Boites() : test::BoitesScriptees(&reponses, &posees) {}
};

TFiltre Filtre(const char* valeur, int compteur = 0)
{
    TFiltre f = TFiltre::Vierge();
    f.TypeFiltre = FiltreSujet;
    f.Condition1 = CondContient;
    f.Valeur1 = valeur;
    f.Compteur = compteur;
    f.Actif = 1;
    return f;
}

TCompte CompteAvec(const char* description, const char* motDePasse)
{
    TCompte c = test::Compte(description);
    c.Password = motDePasse;
    return c;
}

std::vector<Texte> Descriptions(const std::vector<TCompte>& l)
{
    std::vector<Texte> r;
    for (const TCompte& c : l) r.push_back(c.Description.Lire() + ":" + c.Password.Lire());
    return r;
}

}  // namespace

class TestDonneesPartagees : public QObject {
    Q_OBJECT
private slots:
    void UnCompteAjouteAilleursSurvitAuOKDeLaListeDesComptes()
    {
        test::DossierTemporaire dossier;
        TCipherManager chiffre;
        QVERIFY(EnregistrerComptes(chiffre, dossier.Chemin(), {CompteAvec("Maison", "1")}).ok);
        TFMain f;
        f.DefinirBoites(std::make_unique<Boites>());
        f.ChargerDonnees(dossier.Chemin());

        // vaskor-cli accounts add, over STARTTLS, while the window runs.
        SecuritesComptes cli;
        cli.Definir(CompteAvec("Cli", "2"), ModeSecurite::StartTls);
        const std::vector<TCompte> disque{CompteAvec("Cli", "2"), CompteAvec("Maison", "1")};
        QVERIFY(EnregistrerSecurites(dossier.Chemin(), cli, disque).ok);
        QVERIFY(EnregistrerComptes(chiffre, dossier.Chemin(), disque).ok);

        // The account list's OK, before the window took the change in: Maison edited, Neuf added.
        SecuritesComptes dialogue;
        dialogue.Definir(CompteAvec("Neuf", "3"), ModeSecurite::Tls);
        f.AppliquerComptes({CompteAvec("Maison", "4"), CompteAvec("Neuf", "3")}, dialogue);

        const ResultatChargementComptes relus = ChargerComptes(chiffre, dossier.Chemin());
        const std::vector<Texte> attendu{"Cli:2", "Maison:4", "Neuf:3"};
        QCOMPARE(Descriptions(relus.comptes.Tous()), attendu);
        QCOMPARE(relus.securites.Pour(CompteAvec("Cli", "2")).mode, ModeSecurite::StartTls);
        QCOMPARE(relus.securites.Pour(CompteAvec("Neuf", "3")).mode, ModeSecurite::Tls);
        QCOMPARE(Descriptions(f.Comptes().Tous()), attendu);
        // The window's own save is no change to take in.
        QVERIFY(!f.Surveillance().Change(SurveillanceDonnees::Comptes));
    }

    void UnFichierChangeAilleursEstReprisSansPerdreLesCompteursDuLancement()
    {
        test::DossierTemporaire dossier;
        QVERIFY(SauverFiltres(dossier.Chemin(), {Filtre("a", 2)}).ok);
        TFMain f;
        f.DefinirBoites(std::make_unique<Boites>());
        f.ChargerDonnees(dossier.Chemin());
        f.Filtres()[0].Compteur = 5;  // this run's check counted 3 messages

        // Another program: its own count for "a", a new filter "b", a friend.
        QVERIFY(SauverFiltres(dossier.Chemin(), {Filtre("a", 10), Filtre("b")}).ok);
        TAmi ami = TAmi::Vierge();
        ami.Nom = "paul@exemple.fr";
        QVERIFY(SauverAmis(dossier.Chemin(), {ami}).ok);

        QTRY_COMPARE(f.Filtres().size(), std::size_t(2));
        QCOMPARE(f.Filtres()[0].Compteur.Lire(), 13);
        QTRY_COMPARE(f.Amis().size(), std::size_t(1));

        // While the filter manager is open a third filter arrives; the manager's OK (filter "b"
        // switched off) is merged with it instead of writing it away.
        test::QuandOuvert(QStringLiteral("TFFiltres"), [&](QDialog& d) {
            QVERIFY(SauverFiltres(dossier.Chemin(), {Filtre("a", 10), Filtre("b"), Filtre("c")}).ok);
            QTest::qWait(400);  // the notice comes, the window is busy: nothing is reloaded under the dialog
            auto& m = static_cast<TFFiltres&>(d);
            QCOMPARE(m.Liste(FiltreSujet)->topLevelItemCount(), 2);
            for (int i = 0; i < 2; ++i) {
                QTreeWidgetItem* ligne = m.Liste(FiltreSujet)->topLevelItem(i);
                if (ligne->text(0).contains(QStringLiteral("\"b\""))) ligne->setCheckState(0, Qt::Unchecked);
            }
            m.Bouton("BOK")->click();
        });
        f.Filtres1Click();
        ListeFiltres lus;
        QVERIFY(ChargerFiltres(dossier.Chemin(), lus).ok);
        TFiltre bEteint = Filtre("b");
        bEteint.Actif = 0;
        QCOMPARE(EncoderFiltres(lus), EncoderFiltres({Filtre("a", 13), bEteint, Filtre("c")}));
        QCOMPARE(EncoderFiltres(f.Filtres()), EncoderFiltres(lus));
    }

    void LeDossierEnLectureSeuleEstSignaleUneFois()
    {
        test::DossierTemporaire d;
        ResultatDossier r;
        r.dossier = d.Chemin() / "repli";
        r.dossierEcarte = d.Chemin() / "cle-usb";
        r.copie = true;
        std::filesystem::create_directories(r.dossier);
        Boites b;
        QVERIFY(SignalerDossierEcarte(nullptr, b, r));
        QVERIFY(!SignalerDossierEcarte(nullptr, b, r));
        QCOMPARE(b.posees.size(), std::size_t(1));
        QCOMPARE(b.posees[0].titre, Texte("Information"));
        QVERIFY(b.posees[0].texte.find(Utf8VersCp1252(r.dossier.string())) != std::string::npos);
        // Another set-aside folder is told of again; a portable copy that can be written, never.
        r.dossierEcarte = d.Chemin() / "cederom";
        QVERIFY(SignalerDossierEcarte(nullptr, b, r));
        r.dossierEcarte.clear();
        QVERIFY(!SignalerDossierEcarte(nullptr, b, r));
    }
};

VASKOR_TEST_QT(TestDonneesPartagees)
#include "test_donnees_partagees_ui.moc"
