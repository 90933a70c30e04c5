// The application's shell: the tray icon, the sounds chosen, the error report, the help window
// and Qt's French texts.

#include "registre.h"

#include "mail/echec.h"
#include "platform/gui/icones.h"
#include "platform/gui/sons.h"
#include "platform/gui/tray.h"
#include "ui/application.h"
#include "ui/tfaide.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <stdexcept>

namespace vaskor::test {

namespace {

QString T(const char* utf8) { return QString::fromUtf8(utf8); }

// The sample rate and channel count of a PCM wave file's header.
bool FormatWave(const QByteArray& octets, int& canaux, int& taux)
{
    if (octets.size() < 44 || !octets.startsWith("RIFF") || octets.mid(8, 4) != "WAVE" || octets.mid(12, 4) != "fmt ")
        return false;
    auto le16 = [&](int i) { return int(quint8(octets[i])) | int(quint8(octets[i + 1])) << 8; };
    canaux = le16(22);
    taux = le16(24) | le16(26) << 16;
    return le16(20) == 1;  // PCM
}

}  // namespace

class TestCoquille : public QObject {
    Q_OBJECT

private slots:
    void LesInfobullesDuTraySuiventLEtatEtTiennentEn63Caracteres()
    {
        QCOMPARE(IconeTray::TexteInfobulle(0, T("pop.exemple.fr"), 5), T("Vaskor"));
        QCOMPARE(IconeTray::TexteInfobulle(1, T("pop.exemple.fr"), 5), T("Vaskor - Contrôle de pop.exemple.fr..."));
        QCOMPARE(IconeTray::TexteInfobulle(2, QString(), 0), T("Vaskor - Aucun message"));
        QCOMPARE(IconeTray::TexteInfobulle(2, QString(), 1), T("Vaskor - Un message"));
        QCOMPARE(IconeTray::TexteInfobulle(2, QString(), 3), T("Vaskor - 3 messages"));
        QCOMPARE(IconeTray::TexteInfobulle(2, QString(), 12345), T("Vaskor - 12345 messages"));

        // "Vaskor - Contrôle de " is 21 characters: a 42-character server fills the 63 exactly.
        const QString serveur42 = QString(42, QLatin1Char('s'));
        const QString serveur39 = QString(39, QLatin1Char('s'));
        QCOMPARE(IconeTray::TexteInfobulle(1, serveur39, 0), T("Vaskor - Contrôle de ") + serveur39 + T("..."));
        QCOMPARE(IconeTray::TexteInfobulle(1, serveur39, 0).size(), 63);
        QCOMPARE(IconeTray::TexteInfobulle(1, serveur42, 0), T("Vaskor - Contrôle de ") + serveur42);
        QCOMPARE(IconeTray::TexteInfobulle(1, serveur42 + T("suite.exemple.fr"), 0).size(), 63);

        IconeTray tray;
        QCOMPARE(tray.Etat(), 0);
        QCOMPARE(tray.Infobulle(), T("Vaskor"));
        tray.MajIconeTray(1, T("pop.exemple.fr"));
        QCOMPARE(tray.Etat(), 1);
        QCOMPARE(tray.Infobulle(), T("Vaskor - Contrôle de pop.exemple.fr..."));
        tray.MajIconeTray(2, QString(), 3);
        QCOMPARE(tray.Etat(), 2);
        QCOMPARE(tray.Infobulle(), T("Vaskor - 3 messages"));
        tray.MajIconeTray(7);
        QCOMPARE(tray.Etat(), 0);
        QCOMPARE(tray.Infobulle(), T("Vaskor"));
    }

    void LeMenuDuTrayAfficheControleEtQuitte()
    {
        IconeTray tray;
        QStringList textes;
        for (QAction* a : tray.Menu()->actions()) textes << (a->isSeparator() ? T("-") : a->text());
        QCOMPARE(textes, (QStringList{T("Afficher"), T("-"), T("Contrôler"), T("-"), T("Quitter")}));
        QCOMPARE(tray.Menu()->defaultAction(), tray.ActionAfficher());
        QCOMPARE(tray.ActionControler()->menu(), tray.MenuControler());
        QCOMPARE(tray.MenuControler()->objectName(), T("Controler2"));
        QCOMPARE(tray.ActionQuitter()->objectName(), T("Quitter2"));

        tray.MajMenu(false, false);
        QVERIFY(!tray.ActionControler()->isVisible());
        QVERIFY(tray.ActionQuitter()->isEnabled());
        tray.MajMenu(true, true);
        QVERIFY(tray.ActionControler()->isVisible());
        QVERIFY(!tray.ActionControler()->isEnabled());
        QVERIFY(!tray.ActionQuitter()->isEnabled());
        tray.MajMenu(true, false);
        QVERIFY(tray.ActionControler()->isEnabled());
        QVERIFY(tray.ActionQuitter()->isEnabled());

        QSignalSpy afficher(&tray, &IconeTray::AfficherDemande);
        QSignalSpy quitter(&tray, &IconeTray::QuitterDemande);
        tray.ActionAfficher()->trigger();
        tray.ActionQuitter()->trigger();
        QCOMPARE(afficher.count(), 1);
        QCOMPARE(quitter.count(), 1);

        QVERIFY(!tray.Present());
        for (Dessin d : {Dessin::Application, Dessin::Controle, Dessin::Resultat, Dessin::Message, Dessin::MessageVu}) {
            const QImage image = DessinerIcone(d, 32).toImage();
            QCOMPARE(image.size(), QSize(32, 32));
            QVERIFY2(image.pixelColor(16, 16).alpha() > 0, "every picture covers its centre");
            QVERIFY2(image.pixelColor(0, 0).alpha() == 0, "and leaves its corners clear");
        }
    }

    void LesSonsIntegresSontDesWavesMonoAuxBonnesFrequences()
    {
        const struct {
            QString ressource;
            int taux;
        } attendus[] = {
            {RessourceSon(SonControle::MsgOK), 22050},
            {RessourceSon(SonControle::MsgAMarquer), 22050},
            {RessourceSon(SonControle::MsgAEffacer), 11025},
            {RessourceSonDefaut(), 22050},
        };
        for (const auto& a : attendus) {
            QFile f(a.ressource);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(a.ressource));
            int canaux = 0, taux = 0;
            QVERIFY(FormatWave(f.readAll(), canaux, taux));
            QCOMPARE(canaux, 1);
            QCOMPARE(taux, a.taux);
        }
        LecteurSons lecteur;
        lecteur.Charger();
        QVERIFY(lecteur.IntegreCharge(SonControle::MsgOK));
        QVERIFY(lecteur.IntegreCharge(SonControle::MsgAMarquer));
        QVERIFY(lecteur.IntegreCharge(SonControle::MsgAEffacer));
        lecteur.Liberer();
        QVERIFY(!lecteur.IntegreCharge(SonControle::MsgOK));
    }

    void LeSonJoueDependDesReglagesEtDuFichierChoisi()
    {
        QTemporaryDir d;
        QVERIFY(d.isValid());
        const QString fichierWave = d.filePath(T("pouet.wav"));
        const QString fichierTexte = d.filePath(T("faux.wav"));
        QVERIFY(QFile::copy(RessourceSon(SonControle::MsgAEffacer), fichierWave));
        QFile faux(fichierTexte);
        QVERIFY(faux.open(QIODevice::WriteOnly));
        faux.write("ce n'est pas un son");
        faux.close();

        ReglagesSons r;
        r.msgOK = fichierWave;
        r.msgAMarquer = fichierTexte;
        r.msgAEffacer = d.filePath(T("efface.wav"));

        r.jouerSons = false;
        r.sonsParDef = true;
        QCOMPARE(ChoisirSon(SonControle::MsgOK, r, true).source, SourceSon::Aucune);
        r.sonsParDef = false;
        QCOMPARE(ChoisirSon(SonControle::MsgOK, r, true).source, SourceSon::Aucune);

        r.jouerSons = true;
        QCOMPARE(ChoisirSon(SonControle::MsgOK, r, false).source, SourceSon::Aucune);

        r.sonsParDef = true;
        for (SonControle s : {SonControle::MsgOK, SonControle::MsgAMarquer, SonControle::MsgAEffacer})
            QCOMPARE(ChoisirSon(s, r, true).source, SourceSon::Integre);

        r.sonsParDef = false;
        const ChoixSon ok = ChoisirSon(SonControle::MsgOK, r, true);
        QCOMPARE(ok.source, SourceSon::Fichier);
        QCOMPARE(ok.fichier, fichierWave);
        QCOMPARE(ChoisirSon(SonControle::MsgAMarquer, r, true).source, SourceSon::Defaut);  // not a wave
        QCOMPARE(ChoisirSon(SonControle::MsgAEffacer, r, true).source, SourceSon::Defaut);  // missing
        r.msgOK.clear();
        QCOMPARE(ChoisirSon(SonControle::MsgOK, r, true).source, SourceSon::Defaut);

        TConfig config;
        config.JouerSons = true;
        config.SonsParDef = false;
        config.MsgOK = "/home/h\xE9l\xE8ne/son.wav";
        const ReglagesSons depuis = ReglagesSons::DepuisConfig(config);
        QVERIFY(depuis.jouerSons);
        QVERIFY(!depuis.sonsParDef);
        QCOMPARE(depuis.msgOK, T("/home/hélène/son.wav"));

        QCOMPARE(TexteTestSon(SonControle::MsgOK), T("Cliquer sur [OK] pour entendre le son des messages valides."));
        QCOMPARE(TexteTestSon(SonControle::MsgAMarquer),
                 T("Cliquer sur [OK] pour entendre le son des messages à marquer."));
        QCOMPARE(TexteTestSon(SonControle::MsgAEffacer),
                 T("Cliquer sur [OK] pour entendre le son des messages à effacer."));
    }

    void LeRapportDErreurAjouteUnPointSaufApresUnePonctuationBasse()
    {
        const struct {
            const char* texte;
            const char* rapport;
        } cas[] = {
            {"Impossible d'écrire Amis.dat", "Impossible d'écrire Amis.dat."},
            {"Fin.", "Fin."},
            {"Attention !", "Attention !"},
            {"Erreur (code 5)", "Erreur (code 5)"},
            {"-ERR mot de passe refusé\r\n", "-ERR mot de passe refusé\r\n"},
            {"a-", "a-"},
            {"a,", "a,"},
            {"Quoi ?", "Quoi ?."},
            {"chemin/", "chemin/."},
            {"Déjà connecté", "Déjà connecté."},
            {"", "."},
        };
        for (const auto& c : cas) QCOMPARE(TexteRapportErreur(T(c.texte)), T(c.rapport));
    }

    void UneEchecNonRattrapeeEstRapporteeEtLeProgrammeContinue()
    {
        QStringList rapports;
        auto rapporter = [&rapports](const QString& t) { rapports << t; };

        QVERIFY(AppelerSousRapport([] { return true; }, rapporter));
        QVERIFY(rapports.isEmpty());

        QVERIFY(!AppelerSousRapport(
            []() -> bool { throw Echec(GenreEchec::Autre, "Connexion perdue avec pop.exemple.fr : d\xE9lai d\xE9pass\xE9"); },
            rapporter));
        QVERIFY(!AppelerSousRapport([]() -> bool { throw std::runtime_error("Input is not an valid MIME Base 64 Format"); },
                                    rapporter));
        QVERIFY(!AppelerSousRapport([]() -> bool { throw 42; }, rapporter));
        QCOMPARE(rapports, (QStringList{T("Connexion perdue avec pop.exemple.fr : délai dépassé."),
                                        T("Input is not an valid MIME Base 64 Format."), T("Erreur inattendue.")}));

        // The box itself: "Vaskor", the stop icon, one OK button, the text.
        QString titre, texte;
        QMessageBox::Icon icone = QMessageBox::NoIcon;
        QList<QAbstractButton*> boutons;
        QTimer::singleShot(0, [&] {
            auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(boite);
            titre = boite->windowTitle();
            texte = boite->text();
            icone = boite->icon();
            boutons = boite->buttons();
            QCOMPARE(boite->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
            boite->button(QMessageBox::Ok)->click();
        });
        Application::RapporterErreur(T("-ERR boîte verrouillée\r\n"));
        QCOMPARE(titre, T("Vaskor"));
        QCOMPARE(icone, QMessageBox::Critical);
        QCOMPARE(texte, T("-ERR boîte verrouillée\n"));
        QCOMPARE(boutons.size(), 1);
    }

    void LAideEstUnManuelEnSeptSectionsQueEchapOuEntreeFerment()
    {
        const QString texte = TFAide::TexteAide();
        const char* titres[] = {"CREATION DES COMPTES DE MESSAGERIE :", "CONTROLE DE COMPTE(S) :", "FILTRAGE :",
                                "APERCU D'UN MESSAGE :", "LISTE D'AMIS :", "CONTROLE AUTOMATIQUE :", "OPTIONS :"};
        qsizetype precedent = -1;
        for (const char* t : titres) {
            const QString titre = T(t);
            const QString souligne = QLatin1Char('\n') + titre + QLatin1Char('\n') + QString(titre.size(), QLatin1Char('-')) +
                                     QLatin1Char('\n');
            const qsizetype ici = texte.indexOf(souligne);
            QVERIFY2(ici > precedent, t);
            precedent = ici;
        }
        QVERIFY(texte.size() > 5000);  // a real manual, not a stub

        TFAide aide;
        QCOMPARE(aide.windowTitle(), T("Aide de Vaskor"));
        QVERIFY(aide.MAide()->isReadOnly());
        QCOMPARE(aide.MAide()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(aide.MAide()->toPlainText(), texte);
        QCOMPARE(aide.BFermer()->text(), T("&Fermer"));

        aide.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aide));
        QTest::keyClick(aide.MAide(), Qt::Key_Return);
        QVERIFY(!aide.isVisible());
        QCOMPARE(aide.result(), int(QDialog::Accepted));

        aide.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aide));
        QTest::keyClick(aide.MAide(), Qt::Key_Escape);
        QVERIFY(!aide.isVisible());
    }

    void LesBoutonsStandardDeQtSontEnFrancais()
    {
        QTranslator traducteur;
        if (!ChargerTraductionQt(traducteur)) QSKIP("qtbase_fr.qm is not installed (qt6-translations-l10n)");
        QCoreApplication::installTranslator(&traducteur);
        QMessageBox boite(QMessageBox::Question, T("Confirmation"), T("?"),
                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QMessageBox ok(QMessageBox::Information, T("Information"), T("!"), QMessageBox::Ok);
        const QString oui = boite.button(QMessageBox::Yes)->text();
        const QString non = boite.button(QMessageBox::No)->text();
        const QString annuler = boite.button(QMessageBox::Cancel)->text();
        const QString texteOk = ok.button(QMessageBox::Ok)->text();
        QCoreApplication::removeTranslator(&traducteur);
        QCOMPARE(QString(oui).remove(QLatin1Char('&')), T("Oui"));
        QCOMPARE(QString(non).remove(QLatin1Char('&')), T("Non"));
        QCOMPARE(QString(annuler).remove(QLatin1Char('&')), T("Annuler"));
        QCOMPARE(QString(texteOk).remove(QLatin1Char('&')), T("OK"));
    }
};

VASKOR_TEST_QT(TestCoquille)

}  // namespace vaskor::test

#include "test_coquille_ui.moc"
