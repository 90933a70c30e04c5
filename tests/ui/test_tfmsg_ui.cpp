// The preview window: its fields and panels, printing to PDF, saving attachments.

#include "outils_ui.h"
#include "registre.h"

#include "crypto/chiffrement.h"
#include "mail/corps.h"
#include "support/banc_controle.h"
#include "support/faux_serveur_pop3.h"
#include "ui/commandes.h"
#include "ui/tfmain.h"
#include "ui/tfmsg.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <fstream>

using namespace vaskor;

namespace {

std::shared_ptr<FichierTemporaire> Fichier(const std::string& octets)
{
    auto f = std::make_shared<FichierTemporaire>();
    std::ofstream(f->Chemin(), std::ios::binary) << octets;
    return f;
}

TPartie PieceJointe(const std::string& nom, const std::string& octets)
{
    TPartie p;
    p.Genre = GenrePartie::PieceJointe;
    p.FileName = nom;
    p.Taille = static_cast<std::int64_t>(octets.size());
    p.Fichier = Fichier(octets);
    return p;
}

ContenuApercu Contenu()
{
    ContenuApercu c;
    c.A = "bob@exemple.fr";
    c.De = "Anne <anne@exemple.fr>";
    c.AdresseReponse = "anne@exemple.fr";
    c.Objet = "R\xC3\xA9union";
    c.Lignes = {"La r\xC3\xA9union est d\xC3\xA9plac\xC3\xA9" "e.", "", "Anne"};
    c.PJ = "../../ordre du jour.txt";
    c.NombrePJ = 1;
    return c;
}

std::string Lire(const QString& chemin)
{
    std::ifstream f(chemin.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

class TestTFMsg : public QObject {
    Q_OBJECT
    std::deque<ReponseMessage> reponses;
    std::vector<test::QuestionPosee> posees;

private slots:
    void init()
    {
        reponses.clear();
        posees.clear();
    }

    void LesChampsEtLesPanneauxSuiventLesReglages()
    {
        test::BoitesScriptees boites(&reponses, &posees);
        TCipherManager chiffre;
        TFMsg f(boites, chiffre);
        TIdMessage m;
        f.Charger(Contenu(), &m, false, false);
        QCOMPARE(f.EObjet()->text(), QString::fromUtf8("Réunion"));
        QVERIFY(f.MMsg()->toPlainText().startsWith(QString::fromUtf8("La réunion est déplacée.")));
        QVERIFY(f.MMsg()->isReadOnly());
        QVERIFY(f.PPJ()->isHidden());
        QVERIFY(f.BRepondre()->isHidden());
        f.Charger(Contenu(), &m, true, true);
        QVERIFY(!f.PPJ()->isHidden());
        QVERIFY(!f.BRepondre()->isHidden());
        QVERIFY(f.BEnregistrerPJ()->isEnabled());
        QCOMPARE(f.UriReponse(), QStringLiteral("mailto:anne@exemple.fr?subject=Re%20%3A%20R%C3%A9union"));
        QUrl ouverte;
        f.OuvrirUrl = [&ouverte](const QUrl& u) {
            ouverte = u;
            return true;
        };
        f.BRepondre()->click();
        QCOMPARE(ouverte.toString(QUrl::FullyEncoded), f.UriReponse());
    }

    void ImprimeVersUnPdfQuiSeLitEnTexte()
    {
        test::BoitesScriptees boites(&reponses, &posees);
        TCipherManager chiffre;
        TFMsg f(boites, chiffre);
        TIdMessage m;
        f.Charger(Contenu(), &m, true, false);
        QTemporaryDir dossier;
        const QString pdf = dossier.filePath(QStringLiteral("message.pdf"));
        reponses = {ReponseMessage::Oui};
        f.ChoisirImprimante = [&pdf](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            return true;
        };
        f.BImprimer()->click();
        QCOMPARE(posees.size(), std::size_t(1));
        QCOMPARE(posees[0].texte, Texte("Imprimer ce message ?"));
        QVERIFY(QFileInfo(pdf).size() > 0);
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed: the PDF's text is not checked");
        QProcess p;
        p.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString texte = QString::fromUtf8(p.readAllStandardOutput());
        for (const char* attendu : {"A : bob@exemple.fr", "Objet : Re\xCC\x81union", "Pi\xC3\xA8" "ce(s) jointe(s) : ../../ordre du jour.txt",
                                    "*** Fin ***"}) {
            QString a = QString::fromUtf8(attendu).normalized(QString::NormalizationForm_C);
            QVERIFY2(texte.normalized(QString::NormalizationForm_C).contains(a), qPrintable(texte));
        }
        QVERIFY2(texte.contains(QString::fromUtf8("La réunion est déplacée.")), qPrintable(texte));
        QVERIFY(!texte.contains(QStringLiteral("Copie")));
    }

    void EnregistreLesPiecesJointesSousUnNomSurEtDechiffreCellesDUnMessageCrypte()
    {
        test::BoitesScriptees boites(&reponses, &posees);
        TCipherManager chiffre;
        TFMsg f(boites, chiffre);
        QTemporaryDir dossier;
        TIdMessage m;
        m.MessageParts.push_back(PieceJointe("../../.bashrc", "clair"));
        // Enciphered as one chained stream under the message's key.
        std::string chiffrees = "contenu secret d'une pi\xE8" "ce jointe, plus long qu'un bloc";
        chiffre.InitKey("cle");
        chiffre.ReinitialiserFeedback();
        chiffre.EncodeBuffer(chiffrees.data(), chiffrees.data(), chiffrees.size());
        chiffre.ReinitialiserFeedback();
        m.MessageParts.push_back(PieceJointe("b.bin", chiffrees));
        chiffre.InitKey("autre chose");  // the accounts file used the cipher meanwhile

        QStringList propositions;
        f.ChoisirFichier = [&](const QString&, const QString& proposition) {
            propositions << QFileInfo(proposition).fileName();
            return dossier.filePath(QFileInfo(proposition).fileName());
        };
        ContenuApercu c = Contenu();
        c.Chiffre = true;
        c.Cle = "cle";
        c.NombrePJ = 2;
        f.Charger(c, &m, true, false);
        f.BEnregistrerPJ()->click();
        QCOMPARE(propositions, QStringList({QStringLiteral("bashrc"), QStringLiteral("b.bin")}));
        QCOMPARE(Lire(dossier.filePath(QStringLiteral("b.bin"))),
                 std::string("contenu secret d'une pi\xE8" "ce jointe, plus long qu'un bloc"));
        QVERIFY(posees.empty());

        // Not enciphered: the bytes as they are; a folder that cannot be written is reported.
        c.Chiffre = false;
        f.Charger(c, &m, true, false);
        f.ChoisirFichier = [&](const QString&, const QString& proposition) {
            return dossier.filePath(QStringLiteral("absent/") + QFileInfo(proposition).fileName());
        };
        f.BEnregistrerPJ()->click();
        QCOMPARE(posees.size(), std::size_t(2));
        QVERIFY(posees[0].texte.rfind("Impossible d'enregistrer ", 0) == 0);
        QCOMPARE(posees[0].titre, Texte("Erreur"));
    }

    // F3 on the selected row: the message fetched from the server, shown in TFMsg, the row
    // marked as previewed once the window closes.
    void F3MontreLeMessageDeLaLigneSelectionnee()
    {
        const std::vector<std::string> entetes = {"From: anne@exemple.fr", "Subject: =?UTF-8?Q?R=C3=A9union?="};
        std::vector<std::string> message = entetes;
        for (const char* l : {"Content-Type: text/plain; charset=utf-8", "", "\xC3\x80 jeudi."}) message.push_back(l);
        test::FauxServeurPop3 s;
        s.Connexion("anne", "secret").Entete(1, entetes).TailleMessage(1, 120).Message(1, message).Quitter();
        s.Demarrer();
        TFMain w;
        w.DefinirBoites(std::make_unique<test::BoitesScriptees>(&reponses, &posees));
        LigneMessage l;
        l.De = "anne@exemple.fr";
        l.Taille = "120";
        l.Resume.Numero = 1;
        l.Resume.Entetes = entetes;
        l.Resume.Compte = test::CompteTest("A", s.Port());
        w.Liste().Ajouter(std::move(l));
        w.DefinirComptes({test::CompteTest("A", s.Port())});
        w.SelectionnerLigne(0);
        QString objet, texte;
        test::QuandOuvert(QStringLiteral("TFMsg"), [&](QDialog& d) {
            auto& f = static_cast<TFMsg&>(d);
            objet = f.EObjet()->text();
            texte = f.MMsg()->toPlainText();
            d.reject();
        });
        w.Actions().ApercuMessage1->trigger();
        QVERIFY(s.AttendreFin());
        QCOMPARE(objet, QString::fromUtf8("Réunion"));
        QCOMPARE(texte, QString::fromUtf8("À jeudi."));
        QVERIFY(w.Liste()[0].Apercu);
        QVERIFY(posees.empty());
    }
};

VASKOR_TEST_QT(TestTFMsg)
#include "test_tfmsg_ui.moc"
