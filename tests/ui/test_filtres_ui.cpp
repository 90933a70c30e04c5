// The filter editors' enabling rules, the manager's lists and buttons, what its OK writes, and a
// filter made from a listed message deciding that message.

#include "outils_ui.h"
#include "registre.h"

#include "engine/classification.h"
#include "ui/editeurs_filtre.h"
#include "ui/liste_triable.h"
#include "ui/tffiltres.h"
#include "ui/tfmain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <filesystem>

using namespace vaskor;

namespace {

struct Boites {
    std::deque<ReponseMessage> reponses;
    std::vector<test::QuestionPosee> posees;
    test::BoitesScriptees scriptees{&reponses, &posees};
};

TFiltre Filtre(int genre, int c1, const char* v1, const char* v2 = "", int compteur = 0, int c2 = 0)
{
    TFiltre f = TFiltre::Vierge();
    f.TypeFiltre = genre;
    f.Condition1 = c1;
    f.Condition2 = c2;
    f.Valeur1 = v1;
    f.Valeur2 = v2;
    f.Compteur = compteur;
    f.Actif = 1;
    return f;
}

std::filesystem::path Chemin(const QTemporaryDir& d) { return std::filesystem::path(d.path().toStdString()); }

std::string Octets(const std::filesystem::path& p)
{
    std::string o;
    LireFichier(p, o);
    return o;
}

}  // namespace

class TestFiltresUi : public QObject {
    Q_OBJECT
private slots:
    void LEditeurExpediteurSuitSaTable()
    {
        const struct {
            int cu;
            const char* vu;
            int cd;
            const char* vd;
            bool ok, valeurUser, valeurDomaine, casse;
        } cas[] = {
            {CondAucune, "", CondAucune, "", false, false, false, false},
            {CondAucune, "", CondVide, "", true, false, false, false},
            {CondAucune, "", CondEgal, "  ", false, false, true, true},
            {CondAucune, "", CondEgal, "x.fr", true, false, true, true},
            {CondContient, " \t ", CondAucune, "", false, true, false, true},
            {CondContient, "jean", CondAucune, "", true, true, false, true},
            {CondContient, "jean", CondFinitPar, "", false, true, true, true},
            {CondContient, "jean", CondFinitPar, ".fr", true, true, true, true},
            {CondContient, "jean", CondMajuscule, "", true, true, false, true},
            {CondNumerique, "", CondAucune, "", true, false, false, false},
            {CondNumerique, "", CondCommencePar, "", false, false, true, true},
            {CondNumerique, "", CondNonVide, "", true, false, false, false},
        };
        TFFiltreExp e;
        e.show();
        for (const auto& c : cas) {
            e.CBConditionUser()->setCurrentIndex(c.cu);
            e.EValeurUser()->setText(QString::fromUtf8(c.vu));
            e.CBConditionDomaine()->setCurrentIndex(c.cd);
            e.EValeurDomaine()->setText(QString::fromUtf8(c.vd));
            const QByteArray ligne = QByteArray::number(c.cu) + "/" + c.vu + "/" + QByteArray::number(c.cd) + "/" + c.vd;
            QVERIFY2(e.BOK()->isEnabled() == c.ok, ligne.constData());
            QVERIFY2(e.CBAction()->isEnabled() == c.ok, ligne.constData());
            QVERIFY2(e.EValeurUser()->isEnabled() == c.valeurUser, ligne.constData());
            QVERIFY2(e.EValeurDomaine()->isEnabled() == c.valeurDomaine, ligne.constData());
            QVERIFY2(e.CBCasse()->isEnabled() == c.casse, ligne.constData());
        }
        QCOMPARE(e.CBConditionUser()->count(), 15);
        QCOMPARE(e.CBConditionUser()->itemText(3), QString::fromUtf8("Est égal à "));
        QCOMPARE(e.CBAction()->itemText(1), QStringLiteral("Marquer mais ne pas effacer"));
        QCOMPARE(e.EValeurUser()->maxLength(), 50);
    }

    void LesEditeursSujetEtEnteteSuiventLeursRegles()
    {
        TFFiltreSujet s;
        s.show();
        s.CBConditionSujet()->setCurrentIndex(CondMajuscule);
        QVERIFY(s.BOK()->isEnabled());
        QVERIFY(!s.EValeurSujet()->isEnabled());
        QVERIFY(!s.CBCasse()->isEnabled());
        s.CBConditionSujet()->setCurrentIndex(CondContient);
        QVERIFY(!s.BOK()->isEnabled());
        s.EValeurSujet()->setText(QStringLiteral("promo"));
        QVERIFY(s.BOK()->isEnabled() && s.CBCasse()->isEnabled());

        std::vector<Texte> noms{"X-Spam-Flag"};
        TFFiltreEntete h(noms);
        h.show();
        QCOMPARE(h.CBEntetes()->count(), 10);
        QCOMPARE(h.CBEntetes()->itemText(0), QStringLiteral("Cc"));
        QCOMPARE(h.CBEntetes()->itemText(9), QStringLiteral("X-Spam-Flag"));
        QVERIFY(!h.BOK()->isDefault());
        h.CBEntetes()->setCurrentIndex(h.CBEntetes()->findText(QStringLiteral("Reply-To")));
        QCOMPARE(h.NumeroEntete(), 8);
        h.CBCondition()->setCurrentIndex(CondVide);
        QVERIFY(h.BOK()->isEnabled());
        QVERIFY(!h.EValeurEntete()->isEnabled());
        h.CBCondition()->setCurrentIndex(CondEgal);
        QVERIFY(!h.BOK()->isEnabled());
        h.EValeurEntete()->setText(QStringLiteral("oui"));
        QVERIFY(h.BOK()->isEnabled());
        h.CBEntetes()->setEditText(QStringLiteral("   "));
        QVERIFY(!h.BOK()->isEnabled());

        // Enter in the name list adds a new name, and only a new one; the editor stays open.
        h.CBEntetes()->setEditText(QStringLiteral("List-Id"));
        QTest::keyClick(h.CBEntetes()->lineEdit(), Qt::Key_Return);
        h.CBEntetes()->setEditText(QStringLiteral("list-id"));
        QTest::keyClick(h.CBEntetes()->lineEdit(), Qt::Key_Return);
        QVERIFY(h.isVisible());
        QCOMPARE(h.CBEntetes()->count(), 11);
        QCOMPARE(noms, (std::vector<Texte>{"X-Spam-Flag", "List-Id"}));
        QCOMPARE(h.CBEntetes()->itemText(h.CBEntetes()->findText(QStringLiteral("List-Id"))), QStringLiteral("List-Id"));
    }

    void LeGestionnaireRangeTrieEtEcritSesFiltres()
    {
        Boites b;
        TConfig config = ConfigParDefaut();
        TFFiltres g(config, b.scriptees);
        TFiltre inconnu = Filtre(5, CondContient, "x");
        const ListeFiltres depart{
            Filtre(FiltreEntete, CondEgal, "X-Spam", "yes", 4), Filtre(FiltreExpediteur, CondContient, "zoe", "", 2),
            Filtre(FiltreSujet, CondCommencePar, "Promo", "", 0), inconnu,
            Filtre(FiltreExpediteur, CondContient, "Anne", "", 0, CondFinitPar)};
        g.Charger(depart);
        ListeTriable* exp = g.Liste(FiltreExpediteur);
        QCOMPARE(exp->topLevelItemCount(), 2);
        // Sorted on the first column, byte by byte: capitals first.
        QCOMPARE(exp->topLevelItem(0)->text(0), QStringLiteral("Contient \"Anne\""));
        QCOMPARE(exp->topLevelItem(0)->text(1), QStringLiteral("Finit par \"\""));
        QCOMPARE(exp->topLevelItem(1)->text(4), QStringLiteral("2"));
        QCOMPARE(g.Liste(FiltreEntete)->topLevelItem(0)->text(0), QStringLiteral("X-Spam"));
        QCOMPARE(g.Liste(FiltreEntete)->topLevelItem(0)->background(0).color(), QColor(242, 242, 242));
        exp->ClicColonne(4);  // another column: the direction is kept
        QCOMPARE(exp->topLevelItem(0)->text(4), QStringLiteral("0"));
        exp->ClicColonne(4);
        QCOMPARE(exp->topLevelItem(0)->text(4), QStringLiteral("2"));

        // Buttons of the current list; the obsolete-filters button wants a row in each list.
        g.show();
        QVERIFY(!g.Bouton("BProprietes")->isEnabled());
        QVERIFY(g.Bouton("BRAZCpt")->isEnabled());
        QVERIFY(g.Bouton("BClearFiltresObso")->isEnabled());
        exp->setCurrentItem(exp->topLevelItem(0));
        QVERIFY(g.Bouton("BProprietes")->isEnabled());
        g.BInverserClick();
        QCOMPARE(exp->topLevelItem(0)->checkState(0), Qt::Unchecked);

        // Editing resets the counter, even without a change.
        test::QuandOuvert(QStringLiteral("TFFiltreExp"), [](QDialog& d) {
            QCOMPARE(d.windowTitle(), QString::fromUtf8("Propriété d'un filtre Expéditeur"));
            static_cast<TFFiltreExp&>(d).BOK()->click();
        });
        g.BProprietesClick();
        QCOMPARE(exp->topLevelItem(0)->text(4), QStringLiteral("0"));

        // Refused, then accepted deletion of the subject filter; the last list left empty turns
        // the obsolete-filters button off.
        g.Onglets()->setCurrentIndex(FiltreSujet);
        g.Liste(FiltreSujet)->setCurrentItem(g.Liste(FiltreSujet)->topLevelItem(0));
        b.reponses = {ReponseMessage::Non, ReponseMessage::Oui};
        g.BSupprimerClick();
        QCOMPARE(g.Liste(FiltreSujet)->topLevelItemCount(), 1);
        g.BSupprimerClick();
        QCOMPARE(g.Liste(FiltreSujet)->topLevelItemCount(), 0);
        QCOMPARE(b.posees.back().texte, "Supprimer ce filtre sujet ?"_cp);
        QVERIFY(b.posees.back().defautNon);
        QVERIFY(!g.Bouton("BClearFiltresObso")->isEnabled());
        g.hide();

        // OK: sender filters first, in the order shown, with their ticks; the unknown kind is
        // gone; the file holds exactly those records.
        QTemporaryDir dossier;
        ListeFiltres filtres = depart;
        test::QuandOuvert(QStringLiteral("TFFiltres"), [](QDialog& d) {
            auto& m = static_cast<TFFiltres&>(d);
            m.Liste(FiltreExpediteur)->ClicColonne(0);  // descending: "zoe" before "Anne"
            m.Liste(FiltreExpediteur)->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
            m.Bouton("BOK")->click();
        });
        config.Entetes = {"List-Id"};
        QVERIFY(g.Executer(filtres, Chemin(dossier)));
        ListeFiltres attendu{depart[1], depart[4], depart[2], depart[0]};
        attendu[0].Actif = 0;
        QCOMPARE(filtres.size(), attendu.size());
        QVERIFY(EncoderFiltres(filtres) == EncoderFiltres(attendu));
        QVERIFY(Octets(Chemin(dossier) / "filtres.dat") == EncoderFiltres(attendu));
        QVERIFY(Octets(CheminConfig(Chemin(dossier))).find("[Ent\xEAtes]\r\nList-Id=") != std::string::npos ||
                Octets(CheminConfig(Chemin(dossier))).find("[Ent\xEAtes]\nList-Id=") != std::string::npos);
    }

    void LesFiltresObsoletesPartentDesTroisListes()
    {
        Boites b;
        TConfig config = ConfigParDefaut();
        TFFiltres g(config, b.scriptees);
        g.Charger({Filtre(FiltreExpediteur, CondVide, "", "", 0), Filtre(FiltreExpediteur, CondVide, "a", "", 3),
                   Filtre(FiltreSujet, CondVide, "", "", 0), Filtre(FiltreEntete, CondVide, "From", "", 1)});
        b.reponses = {ReponseMessage::Oui};
        g.BClearFiltresObsoClick();
        QCOMPARE(b.posees.back().texte, "Supprimer les filtres dont le compteur est à zéro ?"_cp);
        QVERIFY(!b.posees.back().defautNon);
        const ListeFiltres r = g.Resultat();
        QCOMPARE(r.size(), std::size_t(2));
        QCOMPARE(r[0].Compteur.Lire(), 3);
        QCOMPARE(r[1].Compteur.Lire(), 1);
    }

    void LesCompteursRemisAZeroRestentJustesALaSortie()
    {
        QTemporaryDir dossier;
        QVERIFY(SauverFiltres(Chemin(dossier), {Filtre(FiltreSujet, CondContient, "promo", "", 5)}).ok);
        std::deque<ReponseMessage> reponses{ReponseMessage::Oui};
        std::vector<test::QuestionPosee> posees;
        TFMain f;
        f.DefinirBoites(std::make_unique<test::BoitesScriptees>(&reponses, &posees));
        f.ChargerDonnees(Chemin(dossier));
        test::QuandOuvert(QStringLiteral("TFFiltres"), [](QDialog& d) {
            auto& m = static_cast<TFFiltres&>(d);
            m.Onglets()->setCurrentIndex(FiltreSujet);
            m.BRAZCptClick();
            m.Bouton("BOK")->click();
        });
        f.Filtres1Click();
        QCOMPARE(DecoderFiltres(Octets(Chemin(dossier) / "filtres.dat"))[0].Compteur.Lire(), 0);
        // A check of this run decides one message; quitting writes its count, the reset kept.
        f.Filtres()[0].Compteur = 1;
        f.Quitter();
        QCOMPARE(DecoderFiltres(Octets(Chemin(dossier) / "filtres.dat"))[0].Compteur.Lire(), 1);
    }

    void UnFiltreFaitDepuisUnMessageDecideCeMessage_data()
    {
        QTest::addColumn<QString>("choix");
        QTest::addColumn<QString>("editeur");
        QTest::addRow("expediteur") << "RBExpediteur" << "TFFiltreExp";
        QTest::addRow("sujet") << "RBSujet" << "TFFiltreSujet";
    }
    void UnFiltreFaitDepuisUnMessageDecideCeMessage()
    {
        QFETCH(QString, choix);
        QFETCH(QString, editeur);
        Boites b;
        TConfig config = ConfigParDefaut();
        config.ActionParDefaut = ActionMarquer;
        TFFiltres g(config, b.scriptees);
        LigneMessage ligne = test::Ligne("Jean Dupont", "Promo =?ISO-8859-1?Q?=E9t=E9?=");
        ligne.Resume.Entetes = {"From: \"Jean Dupont\" <jean.dupont@promo.example>", "Subject: Soldes d'\xE9t\xE9",
                                "Date: Mon, 7 Dec 2026 10:00:00 +0100"};
        ligne.Sujet = "Soldes d'\xE9t\xE9";
        ListeFiltres filtres{Filtre(FiltreSujet, CondContient, "autre chose")};
        QTemporaryDir dossier;
        test::QuandOuvert(QStringLiteral("TFNouveauFiltre"), [choix](QDialog& d) {
            d.findChild<QRadioButton*>(choix)->setChecked(true);
            d.findChild<QPushButton*>(QStringLiteral("BOK"))->click();
        });
        test::QuandOuvert(editeur, [](QDialog& d) {
            auto& e = static_cast<EditeurFiltre&>(d);
            QVERIFY(d.windowTitle().startsWith(QStringLiteral("Ajouter un filtre ")));
            QCOMPARE(e.CBAction()->currentIndex(), int(ActionMarquer));
            e.BOK()->click();
        });
        QVERIFY(g.NouveauDepuisMessage(ligne, filtres, Chemin(dossier)));
        QCOMPARE(filtres.size(), std::size_t(2));
        const TFiltre& f = filtres.back();
        if (choix == QStringLiteral("RBExpediteur")) {
            QCOMPARE(f.Valeur1.Lire(), Texte("jean.dupont"));
            QCOMPARE(f.Valeur2.Lire(), Texte("promo.example"));
            QCOMPARE(f.Condition2.Lire(), int(CondAucune));
        } else {
            QCOMPARE(f.Valeur1.Lire(), Texte("Soldes d'\xE9t\xE9"));
        }
        QCOMPARE(f.Condition1.Lire(), int(CondContient));
        QCOMPARE(f.Actif, std::uint8_t(1));
        QVERIFY(Octets(Chemin(dossier) / "filtres.dat") == EncoderFiltres(filtres));

        TIdMessage m;
        m.Headers = ligne.Resume.Entetes;
        m.AnalyserEntetes();
        TResultatFiltrage r;
        FiltrerMessage(m, filtres, {}, OptionsFiltrage{}, r);
        QCOMPARE(r.Verdict, int(ActionMarquer));
        QCOMPARE(r.IndiceFiltre, 1);
        QCOMPARE(filtres.back().Compteur.Lire(), 1);
    }
};

VASKOR_TEST_QT(TestFiltresUi)
#include "test_filtres_ui.moc"
