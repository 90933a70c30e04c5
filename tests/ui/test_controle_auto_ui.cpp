// The automatic-check dialog: its lines of accounts, its enabled states, the time field's keys,
// the refusals of OK and what OK saves.

#include "outils_ui.h"
#include "registre.h"

#include "core/config.h"
#include "crypto/fichier_comptes.h"
#include "ui/tfcontroleauto.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

using namespace vaskor;

namespace {

TCompte CompteAvec(const std::string& description, const std::string& motDePasse, bool controleAuto)
{
    TCompte c = test::Compte(description);
    c.Password.Ecrire(motDePasse);
    c.ControleAuto = controleAuto ? 1 : 0;
    return c;
}

// "Bureau" with a password and chosen, "Maison" chosen but without a password, "Perso" with a
// password and not chosen.
ListeComptes TroisComptes()
{
    ListeComptes l;
    l.Remplacer({CompteAvec("Perso", "secret2", false), CompteAvec("Maison", "", true),
                 CompteAvec("Bureau", "secret1", true)});
    return l;
}

std::filesystem::path Chemin(const QTemporaryDir& d) { return std::filesystem::path(d.path().toStdString()); }

// Works the dialog once it runs modally, then lets the test go on.
void QuandLeDialogueEstOuvert(std::function<void(TFControleAuto&)> travail)
{
    QTimer::singleShot(0, [travail] {
        auto* d = qobject_cast<TFControleAuto*>(QApplication::activeModalWidget());
        QVERIFY(d);
        travail(*d);
    });
}

std::string LireOctets(const std::filesystem::path& p)
{
    std::string octets;
    LireFichier(p, octets);
    return octets;
}

struct Boites {
    std::deque<ReponseMessage> reponses;
    std::vector<test::QuestionPosee> posees;
    test::BoitesScriptees scriptees{&reponses, &posees};
};

}  // namespace

class TestControleAutoUi : public QObject {
    Q_OBJECT
private slots:
    void LesComptesSansMotDePasseSontGrisesEtLeDoubleClicCocheLesAutres()
    {
        Boites b;
        TFControleAuto f(b.scriptees);
        TConfig config = ConfigParDefaut();
        config.ControleAuto = true;
        f.Charger(config, TroisComptes());
        f.show();

        QCOMPARE(f.windowTitle(), QString::fromUtf8("Contrôle automatique"));
        QListWidget* l = f.CLBComptes();
        QCOMPARE(l->count(), 3);
        QCOMPARE(l->item(0)->text(), QStringLiteral("Bureau"));
        QCOMPARE(l->item(1)->text(), QStringLiteral("Maison"));
        QCOMPARE(l->item(2)->text(), QStringLiteral("Perso"));
        QVERIFY(l->item(0)->flags() & Qt::ItemIsEnabled);
        QCOMPARE(l->item(0)->checkState(), Qt::Checked);
        // Chosen in the file but without a password: greyed and unticked.
        QVERIFY(!(l->item(1)->flags() & Qt::ItemIsEnabled));
        QCOMPARE(l->item(1)->checkState(), Qt::Unchecked);
        QVERIFY(l->item(2)->flags() & Qt::ItemIsEnabled);
        QCOMPARE(l->item(2)->checkState(), Qt::Unchecked);

        // A double click on a line's text toggles its tick.
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QRect rect = l->visualItemRect(l->item(2));
        const QPoint texte = rect.center() + QPoint(rect.width() / 4, 0);
        // The first click of a double click comes as a press, the second as a double click.
        const auto doubleClic = [&] {
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, texte);
            QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, texte);
        };
        doubleClic();
        QCOMPARE(l->item(2)->checkState(), Qt::Checked);
        doubleClic();
        QCOMPARE(l->item(2)->checkState(), Qt::Unchecked);
        // A greyed line does not change, even when it is the current one.
        l->setCurrentRow(1);
        f.CLBComptesDblClick();
        QCOMPARE(l->item(1)->checkState(), Qt::Unchecked);
    }

    void LesControlesSuiventLaCaseEtLeBoutonChoisi()
    {
        Boites b;
        TFControleAuto f(b.scriptees);
        // Before the settings are loaded the time field reads "20:00".
        QCOMPARE(f.EControlerA()->text(), QStringLiteral("20:00"));
        QCOMPARE(f.EControlerA()->maxLength(), 5);
        TConfig config = ConfigParDefaut();
        config.ControleAuto = false;
        config.FrequenceControleAuto = 45;
        f.Charger(config, TroisComptes());
        f.show();
        QCOMPARE(f.EControlerA()->text(), QStringLiteral("19:00"));

        QWidget* autres[] = {f.LSelection(), f.CLBComptes(), f.RBIntervalle(), f.TBTimerControleAuto(),
                             f.LMinutes(), f.RBControlerA(), f.EControlerA()};
        for (QWidget* w : autres) QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        f.CBControleAuto()->setChecked(true);
        QVERIFY(f.CLBComptes()->isEnabled());
        QVERIFY(f.RBIntervalle()->isChecked());
        QVERIFY(f.TBTimerControleAuto()->isEnabled());
        QVERIFY(f.LMinutes()->isEnabled());
        QVERIFY(!f.EControlerA()->isEnabled());
        f.RBControlerA()->setChecked(true);
        QVERIFY(!f.TBTimerControleAuto()->isEnabled());
        QVERIFY(!f.LMinutes()->isEnabled());
        QVERIFY(f.EControlerA()->isEnabled());

        QSlider* barre = f.TBTimerControleAuto();
        QCOMPARE(barre->minimum(), 1);
        QCOMPARE(barre->maximum(), 120);
        QCOMPARE(barre->singleStep(), 5);
        QCOMPARE(barre->pageStep(), 10);
        QCOMPARE(barre->tickInterval(), 10);
        QCOMPARE(barre->value(), 45);
        QCOMPARE(f.LMinutes()->text(), QStringLiteral("45 minutes"));
        barre->setValue(1);
        QCOMPARE(f.LMinutes()->text(), QStringLiteral("minutes"));
        barre->setValue(120);
        QCOMPARE(f.LMinutes()->text(), QStringLiteral("120 minutes"));
        // The dialog keeps its size.
        QCOMPARE(f.minimumSize(), f.maximumSize());
    }

    void LeChampDeLHeureNePrendQueDesChiffresEtUnSeulDeuxPoints()
    {
        Boites b;
        TFControleAuto f(b.scriptees);
        f.CBControleAuto()->setChecked(true);
        f.RBControlerA()->setChecked(true);
        QLineEdit* e = f.EControlerA();
        e->clear();
        QTest::keyClicks(e, QStringLiteral("1a2 :3:b4"));
        QCOMPARE(e->text(), QStringLiteral("12:34"));
        // Five characters at most.
        QTest::keyClicks(e, QStringLiteral("5"));
        QCOMPARE(e->text(), QStringLiteral("12:34"));
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QStringLiteral("12"));
        QTest::keyClicks(e, QStringLiteral("::7"));
        QCOMPARE(e->text(), QStringLiteral("12:7"));
        // Keys that write nothing still move the cursor.
        QTest::keyClick(e, Qt::Key_Home);
        QTest::keyClicks(e, QStringLiteral("0"));
        QCOMPARE(e->text(), QStringLiteral("012:7"));
        // A text that comes by another road than the keyboard (a paste) is held to the same rule.
        e->clear();
        e->insert(QStringLiteral("8h30"));
        QCOMPARE(e->text(), QString());
    }

    // "2599" typed in the fixed-time field, then the interval mode chosen: OK does not read the
    // time, and nothing may store it either.
    void UneHeureInvalideNestJamaisEnregistree()
    {
        Boites b;
        TFControleAuto f(b.scriptees);
        TConfig config = ConfigParDefaut();
        config.ControleAuto = true;
        config.ControlerA = true;
        config.HeureCtrl = "06:15";
        ListeComptes comptes = TroisComptes();
        f.Charger(config, comptes);
        f.EControlerA()->setText(QStringLiteral("2599"));
        f.RBIntervalle()->setChecked(true);
        f.Appliquer(config, comptes);
        QCOMPARE(config.HeureCtrl, Texte("06:15"));
        QVERIFY(!config.ControlerA);
    }

    void OKRefuseUneHeureInvalideOuAucunCompteEtResteOuvert()
    {
        Boites b;
        TFControleAuto f(b.scriptees);
        TConfig config = ConfigParDefaut();
        config.ControleAuto = true;
        config.ControlerA = true;
        config.HeureCtrl = "25:00";
        f.Charger(config, TroisComptes());
        f.show();

        f.BOK()->click();
        QCOMPARE(b.posees.size(), std::size_t(1));
        QCOMPARE(b.posees[0].titre, Texte("Information"));
        QCOMPARE(b.posees[0].icone, IconeMessage::Information);
        QCOMPARE(b.posees[0].texte, MessageHeureInvalide("25:00"));
        QVERIFY(b.posees[0].texte.find("hh:mm") != Texte::npos);
        QVERIFY(f.isVisible());
        QCOMPARE(f.EControlerA()->selectedText(), QStringLiteral("25:00"));
        QCOMPARE(f.focusWidget(), static_cast<QWidget*>(f.EControlerA()));

        f.EControlerA()->clear();
        f.BOK()->click();
        QCOMPARE(b.posees.back().texte, MessageHeureInvalide(""));

        // A good time, but no account ticked.
        f.EControlerA()->setText(QStringLiteral("7:05"));
        f.CLBComptes()->item(0)->setCheckState(Qt::Unchecked);
        f.BOK()->click();
        QCOMPARE(b.posees.size(), std::size_t(3));
        QCOMPARE(b.posees[2].titre, Texte("Information"));
        QCOMPARE(b.posees[2].texte, Texte("L'activation du contr\xF4le automatique n\xE9"
                                          "cessite qu'au moins un compte soit s\xE9lectionn\xE9."));
        QVERIFY(f.isVisible());
        QCOMPARE(f.result(), 0);

        // Switched off, neither the time nor the accounts are asked for.
        f.CBControleAuto()->setChecked(false);
        f.EControlerA()->setText(QStringLiteral("99"));
        f.BOK()->click();
        QCOMPARE(b.posees.size(), std::size_t(3));
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }

    void OKEnregistreLesReglagesEtLesComptesDansLeDossier()
    {
        QTemporaryDir d;
        TCipherManager chiffre;
        ListeComptes comptes = TroisComptes();
        QVERIFY(EnregistrerComptes(chiffre, Chemin(d), comptes.Tous()).ok);
        TConfig config = ConfigParDefaut();
        Boites b;

        QuandLeDialogueEstOuvert([](TFControleAuto& f) {
            f.CBControleAuto()->setChecked(true);
            f.RBControlerA()->setChecked(true);
            f.EControlerA()->setText(QStringLiteral("07:30"));
            f.TBTimerControleAuto()->setValue(45);
            f.CLBComptes()->item(0)->setCheckState(Qt::Unchecked);  // Bureau
            f.CLBComptes()->item(2)->setCheckState(Qt::Checked);    // Perso
            QTest::mouseClick(f.BOK(), Qt::LeftButton);
        });
        QVERIFY(TFControleAuto::Executer(nullptr, config, comptes, Chemin(d), chiffre, b.scriptees));
        QVERIFY(b.posees.empty());

        QVERIFY(config.ControleAuto);
        QVERIFY(config.ControlerA);
        QCOMPARE(config.HeureCtrl, Texte("07:30"));
        QCOMPARE(config.FrequenceControleAuto, 45);
        QCOMPARE(int(comptes[0].ControleAuto), 0);
        QCOMPARE(int(comptes[1].ControleAuto), 0);
        QCOMPARE(int(comptes[2].ControleAuto), 1);

        // What the next start reads back.
        TConfig relue = ConfigParDefaut();
        QVERIFY(ChargerConfig(Chemin(d), relue, {}).ok);
        QVERIFY(relue.ControleAuto);
        QVERIFY(relue.ControlerA);
        QCOMPARE(relue.HeureCtrl, Texte("07:30"));
        QCOMPARE(relue.FrequenceControleAuto, 45);
        const ResultatChargementComptes relus = ChargerComptes(chiffre, Chemin(d));
        QVERIFY(relus.ok);
        QCOMPARE(relus.comptes.Nombre(), std::size_t(3));
        QCOMPARE(relus.comptes[0].Description.Lire(), std::string("Bureau"));
        QCOMPARE(int(relus.comptes[0].ControleAuto), 0);
        QCOMPARE(relus.comptes[0].Password.Lire(), std::string("secret1"));
        QCOMPARE(int(relus.comptes[2].ControleAuto), 1);
        QCOMPARE(relus.comptes[2].Password.Lire(), std::string("secret2"));

        // "Annuler" changes nothing, in memory or on disk.
        const std::string avant = LireOctets(CheminConfig(Chemin(d)));
        QuandLeDialogueEstOuvert([](TFControleAuto& f) {
            f.CBControleAuto()->setChecked(false);
            f.BAnnuler()->click();
        });
        QVERIFY(!TFControleAuto::Executer(nullptr, config, comptes, Chemin(d), chiffre, b.scriptees));
        QVERIFY(config.ControleAuto);
        QCOMPARE(LireOctets(CheminConfig(Chemin(d))), avant);
    }

    void UnCompteAjouteAilleursSurvitALEnregistrement()
    {
        QTemporaryDir d;
        TCipherManager chiffre;
        Boites b;
        ListeComptes fenetre = TroisComptes();
        std::vector<TCompte> disque = fenetre.Tous();
        disque.push_back(CompteAvec("Ajout", "secret3", false));  // vaskor-cli accounts add meanwhile
        QVERIFY(EnregistrerComptes(chiffre, Chemin(d), disque).ok);
        fenetre.DefinirControleAuto(2, false);
        QVERIFY(TFControleAuto::Enregistrer(nullptr, ConfigParDefaut(), fenetre, Chemin(d), chiffre, b.scriptees));
        const ResultatChargementComptes relus = ChargerComptes(chiffre, Chemin(d));
        QCOMPARE(relus.comptes.Nombre(), std::size_t(4));
        for (const TCompte& c : relus.comptes.Tous())
            if (c.Description.Lire() == fenetre[2].Description.Lire()) QCOMPARE(int(c.ControleAuto), 0);
    }

    void UnEnregistrementImpossibleEstSignaleDansUneBoiteErreur()
    {
        QTemporaryDir d;
        const std::filesystem::path absent = Chemin(d) / "dossier-absent";
        TCipherManager chiffre;
        Boites b;
        QVERIFY(!TFControleAuto::Enregistrer(nullptr, ConfigParDefaut(), TroisComptes(), absent, chiffre, b.scriptees));
        QCOMPARE(b.posees.size(), std::size_t(2));
        for (const auto& p : b.posees) {
            QCOMPARE(p.titre, Texte("Erreur"));
            QCOMPARE(p.icone, IconeMessage::Erreur);
        }
        QVERIFY(b.posees[0].texte.starts_with("Les param\xE8tres n'ont pas pu \xEAtre enregistr\xE9s.\r\n"));
        QVERIFY(b.posees[1].texte.starts_with("Le fichier de comptes n'a pas pu \xEAtre enregistr\xE9.\r\n"));
    }
};

VASKOR_TEST_QT(TestControleAutoUi)
#include "test_controle_auto_ui.moc"
