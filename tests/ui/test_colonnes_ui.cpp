// The message list fills the window, remembers its columns, and the status bar fits its texts.

#include "registre.h"

#include "core/config.h"
#include "core/fichier_ini.h"
#include "ui/tfmain.h"
#include "ui/vue_messages.h"

#include <QHeaderView>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

namespace vaskor::test {

class TestColonnesUi : public QObject {
    Q_OBJECT

private slots:
    void LesColonnesRemplissentLaFenetreEtSontRetrouveesAuLancementSuivant()
    {
        QTemporaryDir d;
        const std::filesystem::path dossier = d.path().toStdString();
        std::array<int, 4> gardees{};
        {
            TFMain f;
            f.ChargerDonnees(dossier, EnvironnementConfig{});
            f.resize(1000, 500);
            f.show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            VueMessages* v = f.LVMsg();
            auto somme = [v] {
                const auto l = v->Largeurs();
                return std::accumulate(l.begin(), l.end(), 0);
            };
            QTRY_COMPARE(somme(), v->viewport()->width());
            QVERIFY(v->Largeurs()[1] > 250);  // the spare width went to "De" and "Sujet"
            f.resize(1300, 500);
            QTRY_COMPARE(somme(), v->viewport()->width());

            // Nothing changed by the user: the settings file is not written.
            f.close();
            f.show();
            QVERIFY(!std::filesystem::exists(dossier / "vaskor.ini"));

            v->header()->resizeSection(0, 400);  // the user drags "De" wider; "Sujet" gives way
            QCOMPARE(somme(), v->viewport()->width());
            v->header()->resizeSection(2, 200);
            QCOMPARE(somme(), v->viewport()->width());
            emit v->header()->sectionClicked(2);
            QVERIFY(v->header()->isSortIndicatorShown());
            QCOMPARE(v->header()->sortIndicatorSection(), 2);
            QCOMPARE(v->header()->sortIndicatorOrder(), Qt::DescendingOrder);
            gardees = v->Largeurs();
        }
        FichierIni ini;
        QVERIFY(ini.Charger(dossier / "vaskor.ini").ok);
        QCOMPARE(ini.LireEntier("Liste", "LargeurDate", 0), 200);
        QCOMPARE(ini.LireEntier("Liste", "ColonneTri", -1), 2);

        TFMain f;
        f.ChargerDonnees(dossier, EnvironnementConfig{});
        QCOMPARE(f.LVMsg()->Largeurs(), gardees);  // before the window shows and fits them
        emit f.LVMsg()->header()->sectionClicked(2);  // the remembered column: a click flips it
        QCOMPARE(f.LVMsg()->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    }

    void UnPanneauDeLaBarreDEtatSElargitPourSonTexte()
    {
        TFMain f;
        f.resize(1000, 400);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        auto* p0 = f.findChild<QLabel*>(QStringLiteral("Panneau0"));
        f.TexteStatut(0, "R\xE9" "ception de l'ent\xEAte du message n\xB0 3669 / 5000 sur pop.fournisseur-exemple.fr");
        QTRY_VERIFY(p0->width() >= p0->sizeHint().width());
        QVERIFY(p0->width() > 275);
    }
};

VASKOR_TEST_QT(TestColonnesUi)

}  // namespace vaskor::test

#include "test_colonnes_ui.moc"
